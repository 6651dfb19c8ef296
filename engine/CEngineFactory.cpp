#include "engine/CEngineFactory.h"

#include "engine/sqlite/CSqliteConnection.h"

std::unique_ptr<CEngineConnection> CEngineFactory::Open(const std::string& databaseName,
                                                        CEngineError& error) {
    return CSqliteConnection::Open(databaseName, error);
}
