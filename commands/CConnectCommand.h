#pragma once

#include <string>

#include "commands/CCommand.h"
#include "oracle/ODatabase.h"

// CONNECT user/password[@database] [AS privilege] and CONNECT /[@database]
// [AS privilege] (the operating system's credentials): commits and closes
// an open session, then opens one for the user. Without "@database" the
// database of the last successful CONNECT is used. CONNECT [user][@database]
// asks for what is missing (rows with a fixed argument).
class CConnectCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    // The database name of the last successful CONNECT.
    const std::string& GetConnectDatabase() const { return m_connectDatabase; }
    // The user of the last successful CONNECT, as the session names it
    // (SYS after AS SYSDBA); the name CONNECT was given where it names none.
    const std::string& GetUser() const { return m_user; }

private:
    // CONNECT [user][@database]: asks for the user when none is given and
    // for the password, the answer hidden.
    CScriptLines AskAndOpen(CCommandContext& context, const CCommandArgs& args);
    // Commits and closes an open session, then opens one for `user`.
    CScriptLines Open(CCommandContext& context, const std::string& user, const std::string& password,
                      const std::string& name, OLogonOptions logon);
    // Asks for a new password twice when the server says the old one has
    // expired, and logs on with it; false leaves the report in `output`.
    bool ChangeExpiredPassword(CCommandContext& context, const std::string& name, const std::string& user,
                               const std::string& password, OLogonOptions logon, CScriptLines& output);

    std::string m_connectDatabase;
    std::string m_user;
};
