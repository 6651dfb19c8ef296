#include "commands/CConnectCommand.h"

#include "interpreter/CCommandContext.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"

CScriptLines CConnectCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (args.args.size() < 2) return CScriptLines(MessageText(Message::ConnectUsage));
    OSession* session = context.GetSession();
    ODatabase* database = context.GetDatabase();
    if (session == nullptr || database == nullptr) return CScriptLines(MessageText(Message::NotConnected));
    CScriptLines output;
    if (context.IsConnected()) {
        if (!context.CommitBeforeClose(Message::CommitFailedStillConnected, output)) return output;
        session->Close();
    }
    const std::string& user = args.Arg(0);
    // Note: the password keeps the case it was typed in; servers compare
    // passwords case-sensitively.
    const std::string& password = args.Typed(1);
    const std::string name = args.args.size() >= 3 ? args.Arg(2) : m_connectDatabase;
    if (session->Open() != OSUCCESS) return context.AppendServerError(output);
    session->BeginTransaction();
    if (database->Open(*session, name.c_str(), user.c_str(), password.c_str(), 0) != OSUCCESS)
        return context.AppendServerError(output);
    m_connectDatabase = name;
    return CScriptLines(MessageText(Message::Connected));
}
