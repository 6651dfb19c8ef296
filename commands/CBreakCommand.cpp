#include "commands/CBreakCommand.h"

#include <string_view>

#include "commands/ReportCommandText.h"

CScriptLines CBreakCommand::Run(CCommandContext&, const CCommandArgs& args) {
    const std::string arguments = args.JoinedTyped(0);
    const bool compute = args.fixed != nullptr && std::string_view(args.fixed) == "COMPUTE";
    return reportcommand::Lines(compute ? m_breaks.SetCompute(arguments) : m_breaks.SetBreaks(arguments));
}
