#include "commands/CDisconnectCommand.h"

#include "interpreter/CCommandContext.h"
#include "oracle/OSession.h"

CScriptLines CDisconnectCommand::Run(CCommandContext& context, const CCommandArgs&) {
    if (!context.IsConnected()) return CScriptLines(MessageText(Message::NotConnected));
    CScriptLines output;
    if (!context.CommitBeforeClose(Message::CommitFailedStillConnected, output)) return output;
    context.GetSession()->Close();
    return CScriptLines(MessageText(Message::Disconnected));
}
