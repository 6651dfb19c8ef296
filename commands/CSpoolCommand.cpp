#include "commands/CSpoolCommand.h"

#include "commands/ReportCommandText.h"
#include "interpreter/CCommandContext.h"

// Note: the file name is taken as typed, not upper-cased.
CScriptLines CSpoolCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    return reportcommand::Lines(m_file.Command(args.JoinedTyped(0), context.GetReportSettings().utf8Spool));
}
