#include "commands/CTitleCommand.h"

#include <string_view>

#include "commands/ReportCommandText.h"

CScriptLines CTitleCommand::Run(CCommandContext&, const CCommandArgs& args) {
    const std::string_view which = args.fixed != nullptr ? args.fixed : "TTITLE";
    for (CTitle* title : {&m_top, &m_bottom, &m_reportHeader, &m_reportFooter})
        if (title->GetCommand() == which) return reportcommand::Lines(title->Command(args.JoinedTyped(0)));
    return {};
}
