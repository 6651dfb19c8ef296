#include "commands/CColumnCommand.h"

#include "commands/ReportCommandText.h"

CScriptLines CColumnCommand::Run(CCommandContext&, const CCommandArgs& args) {
    return reportcommand::Lines(m_columns.Command(args.JoinedTyped(0)));
}
