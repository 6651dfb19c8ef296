#pragma once

#include <string>

#include "commands/CCommand.h"

// CONNECT user/password[@database]: commits and closes an open session,
// then opens one for the user. Without "@database" the database of the last
// successful CONNECT is used. CONNECT [user][@database] asks for what is
// missing (rows with a fixed argument).
class CConnectCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    // The database name of the last successful CONNECT.
    const std::string& GetConnectDatabase() const { return m_connectDatabase; }
    // The user of the last successful CONNECT.
    const std::string& GetUser() const { return m_user; }

private:
    // CONNECT [user][@database]: asks for the user when none is given and
    // for the password, the answer hidden.
    CScriptLines AskAndOpen(CCommandContext& context, const CCommandArgs& args);
    // Commits and closes an open session, then opens one for `user`.
    CScriptLines Open(CCommandContext& context, const std::string& user, const std::string& password,
                      const std::string& name);

    std::string m_connectDatabase;
    std::string m_user;
};
