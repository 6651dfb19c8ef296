#include "commands/CConnectCommand.h"

#include <algorithm>
#include <iterator>

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
    shown.Append(
        Open(context, cp932::ToUpper(textparse::TrimBlanks(user)), password, database, OLogonOptions()));
    return shown;
}

namespace {

// The privileges AS takes.
constexpr const char* kPrivileges[] = {"SYSDBA", "SYSOPER", "SYSBACKUP", "SYSDG", "SYSKM"};

constexpr int kPasswordExpired = 28001;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Takes a final "AS privilege" off `text` (upper-cased) and `typed` (the
// same bytes as typed); the privilege, or "" when there is none.
std::string TakePrivilege(std::string& text, std::string& typed) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    std::size_t begin = end;
    while (begin > 0 && !IsBlank(text[begin - 1])) --begin;
    const std::string word = text.substr(begin, end - begin);
    const bool known =
        std::any_of(std::begin(kPrivileges), std::end(kPrivileges), [&](const char* p) { return word == p; });
    std::size_t as = begin;
    while (as > 0 && IsBlank(text[as - 1])) --as;
    if (!known || as == begin || as < 2 || text.compare(as - 2, 2, "AS") != 0) return {};
    std::size_t cut = as - 2;
    if (cut > 0 && !IsBlank(text[cut - 1])) return {};
    while (cut > 0 && IsBlank(text[cut - 1])) --cut;
    text.resize(cut);
    if (typed.size() >= cut) typed.resize(cut);
    return word;
}

}  // namespace

CScriptLines CConnectCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (args.fixed != nullptr) return AskAndOpen(context, args);
    if (args.args.size() < 2) return CScriptLines(MessageText(Message::ConnectUsage));
    // The last capture may end in "AS privilege".
    const std::size_t last = args.args.size() - 1;
    std::string lastArg = args.Arg(last);
    std::string lastTyped = args.Typed(last);
    OLogonOptions logon;
    logon.privilege = TakePrivilege(lastArg, lastTyped);
    std::string user = args.Arg(0);
    // Note: the password keeps the case it was typed in; servers compare
    // passwords case-sensitively.
    std::string password = last == 1 ? lastTyped : args.Typed(1);
    const std::string name = args.args.size() >= 3 ? lastArg : m_connectDatabase;
    // CONNECT / logs on with the operating system's credentials.
    logon.external = textparse::TrimBlanks(user).empty() && textparse::TrimBlanks(password).empty();
    if (logon.external) {
        user.clear();
        password.clear();
    }
    return Open(context, user, password, name, logon);
}

CScriptLines CConnectCommand::Open(CCommandContext& context, const std::string& user,
                                   const std::string& password, const std::string& name,
                                   OLogonOptions logon) {
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
    if (database->Open(*session, name.c_str(), user.c_str(), password.c_str(), logon) != OSUCCESS) {
        if (database->GetErrorCode() != kPasswordExpired || logon.external ||
            !ChangeExpiredPassword(context, name, user, password, logon, output))
            return output.empty() ? context.AppendServerError(output) : output;
    }
    m_connectDatabase = name;
    m_user = database->GetSessionUser().empty() ? user : database->GetSessionUser();
    output.push_back(MessageText(Message::Connected));
    return output;
}

bool CConnectCommand::ChangeExpiredPassword(CCommandContext& context, const std::string& name,
                                            const std::string& user, const std::string& password,
                                            OLogonOptions logon, CScriptLines& output) {
    CConsoleHost* host = context.GetHost();
    std::string first;
    std::string second;
    context.AppendServerError(output);
    if (host == nullptr || !host->AskLine(MessageText(Message::NewPassword), true, first) ||
        !host->AskLine(MessageText(Message::NewPasswordAgain), true, second)) {
        output.push_back(MessageText(Message::PasswordNotRead));
        return false;
    }
    if (first != second) {
        output.push_back(MessageText(Message::PasswordMismatch));
        return false;
    }
    logon.newPassword = first;
    ODatabase* database = context.GetDatabase();
    OSession* session = context.GetSession();
    if (database->Open(*session, name.c_str(), user.c_str(), password.c_str(), logon) != OSUCCESS) {
        context.AppendServerError(output);
        return false;
    }
    output.clear();
    output.push_back(MessageText(Message::PasswordChanged));
    return true;
}
