#include "commands/CDisconnectCommand.h"

#include "commands/CSpoolCommand.h"
#include "interpreter/CCommandContext.h"
#include "oracle/OSession.h"

CScriptLines CDisconnectCommand::Run(CCommandContext& context, const CCommandArgs&) {
    if (!context.IsConnected()) return CScriptLines(MessageText(Message::NotConnected));
    CScriptLines output;
    if (!context.CommitBeforeClose(Message::CommitFailedStillConnected, output)) return output;
    context.GetSession()->Close();
    CScriptLines done(MessageText(Message::Disconnected));
    // Note: disconnecting ends spooling, the file flushed and closed.
    const std::string told = context.Command<CSpoolCommand>().GetFile().Close();
    if (!told.empty()) done.push_back(told);
    return done;
}
