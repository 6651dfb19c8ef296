#pragma once

#include <string>

#include "commands/CCommand.h"

// CONNECT user/password[@database]: commits and closes an open session,
// then opens one for the user. Without "@database" the database of the last
// successful CONNECT is used.
class CConnectCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    // The database name of the last successful CONNECT.
    const std::string& GetConnectDatabase() const { return m_connectDatabase; }

private:
    std::string m_connectDatabase;
};
