#include "engine/CEngineFactory.h"

#include "engine/CConnectIdentifier.h"
#include "engine/oci/COciConnection.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "text/Encoding.h"

namespace {
// Note: written here in UTF-8 for reading; the engine's text is CP932.
constexpr const char* kNoPrivilege =
    "組み込みデータベースには管理者権限 (AS SYSDBA など) がありません。AS 句を付けずに接続してください。";
constexpr const char* kNoExternal =
    "組み込みデータベースには OS 認証 (CONNECT /) がありません。ユーザー名/パスワードを指定してください。";
}  // namespace

std::unique_ptr<CEngineConnection> CEngineFactory::Open(const std::string& databaseName,
                                                        const std::string& user, const std::string& password,
                                                        CEngineError& error) {
    CEngineLogon logon;
    logon.database = databaseName;
    logon.user = user;
    logon.password = password;
    return Open(logon, error);
}

std::unique_ptr<CEngineConnection> CEngineFactory::Open(const CEngineLogon& logon, CEngineError& error) {
    const std::string& name = logon.database;
    if (CConnectIdentifier::RouteOf(name) == CConnectIdentifier::Route::Server) {
        const std::size_t begin = name.find_first_not_of(" \t");
        const std::size_t end = name.find_last_not_of(" \t");
        CEngineLogon trimmed = logon;
        trimmed.database = name.substr(begin, end - begin + 1);
        return COciConnection::Open(trimmed, error);
    }
    if (!logon.privilege.empty() || logon.external) {
        error.Set(encoding::Utf8ToCp932(logon.external ? kNoExternal : kNoPrivilege));
        return nullptr;
    }
    return Open(name, error, logon.user);
}

std::unique_ptr<CEngineConnection> CEngineFactory::Open(const std::string& databaseName, CEngineError& error,
                                                        const std::string& user) {
    return CSqliteConnection::Open(databaseName, error, CSqliteConnection::kDefaultBusyTimeoutMs, user);
}
