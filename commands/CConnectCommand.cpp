#include "commands/CConnectCommand.h"

#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"
#include "text/Cp932.h"

// Note: the password typed at the prompt is shown nowhere and kept nowhere
// but in the call that opens the session.
CScriptLines CConnectCommand::AskAndOpen(CCommandContext& context, const CCommandArgs& args) {
    std::string user = args.Typed(0);
    if (user.find_first_of("/ ") != std::string::npos)
        return CScriptLines(MessageText(Message::ConnectUsage));
    CScriptLines shown;
    CConsoleHost* host = context.GetHost();
    if (user.empty()) {
        const std::string& prompt = MessageText(Message::EnterUser);
        if (host == nullptr || !host->AskLine(prompt, false, user) || user.empty())
            return CScriptLines(MessageText(Message::ConnectUsage));
        shown.push_back(prompt + user);
    }
    std::string password;
    const std::string& prompt = MessageText(Message::EnterPassword);
    if (host == nullptr || !host->AskLine(prompt, true, password)) {
        shown.push_back(MessageText(Message::ConnectUsage));
        return shown;
    }
    shown.push_back(prompt);
    const std::string database = args.args.size() >= 2 ? args.Arg(1) : m_connectDatabase;
    shown.Append(Open(context, cp932::ToUpper(textparse::TrimBlanks(user)), password, database));
    return shown;
}

CScriptLines CConnectCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (args.fixed != nullptr) return AskAndOpen(context, args);
    if (args.args.size() < 2) return CScriptLines(MessageText(Message::ConnectUsage));
    // Note: the password keeps the case it was typed in; servers compare
    // passwords case-sensitively.
    return Open(context, args.Arg(0), args.Typed(1), args.args.size() >= 3 ? args.Arg(2) : m_connectDatabase);
}

CScriptLines CConnectCommand::Open(CCommandContext& context, const std::string& user,
                                   const std::string& password, const std::string& name) {
    OSession* session = context.GetSession();
    ODatabase* database = context.GetDatabase();
    if (session == nullptr || database == nullptr) return CScriptLines(MessageText(Message::NotConnected));
    CScriptLines output;
    if (context.IsConnected()) {
        if (!context.CommitBeforeClose(Message::CommitFailedStillConnected, output)) return output;
        session->Close();
    }
    if (session->Open() != OSUCCESS) return context.AppendServerError(output);
    session->BeginTransaction();
    if (database->Open(*session, name.c_str(), user.c_str(), password.c_str(), 0) != OSUCCESS)
        return context.AppendServerError(output);
    m_connectDatabase = name;
    m_user = user;
    return CScriptLines(MessageText(Message::Connected));
}
