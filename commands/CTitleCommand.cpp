#include "commands/CTitleCommand.h"

#include <string_view>

#include "commands/ReportCommandText.h"

CScriptLines CTitleCommand::Run(CCommandContext&, const CCommandArgs& args) {
    const bool bottom = args.fixed != nullptr && std::string_view(args.fixed) == "BTITLE";
    CTitle& title = bottom ? m_bottom : m_top;
    return reportcommand::Lines(title.Command(reportcommand::Arguments(args.Typed(0))));
}
