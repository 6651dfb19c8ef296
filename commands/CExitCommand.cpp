#include "commands/CExitCommand.h"

#include "commands/CSpoolCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "oracle/OSession.h"

CScriptLines CExitCommand::Run(CCommandContext& context, const CCommandArgs&) {
    m_exitRefused = false;
    if (context.IsConnected()) {
        CScriptLines output;
        if (!context.CommitBeforeClose(Message::CommitFailedNoExit, output)) {
            m_exitRefused = true;
            return output;
        }
        context.GetSession()->Close();
    }
    // Note: the spool file is flushed and closed before the console goes.
    const std::string told = context.Command<CSpoolCommand>().GetFile().Close();
    if (context.GetHost() != nullptr) context.GetHost()->PostClose();
    return told.empty() ? CScriptLines() : CScriptLines(told);
}
