#include "commands/CExitCommand.h"

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
    if (context.GetHost() != nullptr) context.GetHost()->PostClose();
    return {};
}
