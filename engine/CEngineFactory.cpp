#include "engine/CEngineFactory.h"

#include "engine/CConnectIdentifier.h"
#include "engine/oci/COciConnection.h"
#include "engine/sqlite/CSqliteConnection.h"

std::unique_ptr<CEngineConnection> CEngineFactory::Open(const std::string& databaseName,
                                                        const std::string& user, const std::string& password,
                                                        CEngineError& error) {
    if (CConnectIdentifier::RouteOf(databaseName) == CConnectIdentifier::Route::Server) {
        const std::size_t begin = databaseName.find_first_not_of(" \t");
        const std::size_t end = databaseName.find_last_not_of(" \t");
        return COciConnection::Open(databaseName.substr(begin, end - begin + 1), user, password, error);
    }
    return Open(databaseName, error, user);
}

std::unique_ptr<CEngineConnection> CEngineFactory::Open(const std::string& databaseName, CEngineError& error,
                                                        const std::string& user) {
    return CSqliteConnection::Open(databaseName, error, CSqliteConnection::kDefaultBusyTimeoutMs, user);
}
