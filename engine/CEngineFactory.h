#pragma once

#include <memory>
#include <string>

#include "engine/CEngineConnection.h"

// Opens connections: on an Oracle server for the server forms of a connect
// identifier and for net service names of tnsnames.ora (see
// CConnectIdentifier), else on the embedded engine.
class CEngineFactory {
public:
    // Returns null and fills `error` when the name is refused, the file is
    // unusable, the client library is missing or the server refuses.
    static std::unique_ptr<CEngineConnection> Open(const std::string& databaseName, const std::string& user,
                                                   const std::string& password, CEngineError& error);
    // The same with a privilege (AS SYSDBA ...), external credentials or a
    // new password; the embedded engine refuses privileges and external
    // credentials, as it has no users.
    static std::unique_ptr<CEngineConnection> Open(const CEngineLogon& logon, CEngineError& error);
    // The embedded engine only: "" is the default database, any other name
    // a database file in the data directory (TARVEX_HOME); `user` is the
    // session's user (USER), not checked.
    static std::unique_ptr<CEngineConnection> Open(const std::string& databaseName, CEngineError& error,
                                                   const std::string& user = {});
};
