#pragma once

#include <memory>
#include <string>

#include "engine/CEngineConnection.h"

// Opens connections on the embedded engine.
class CEngineFactory {
public:
    // Opens the database of that name: "" is the default database, any other
    // name a database file in the data directory (TARVEX_HOME). Returns null
    // and fills `error` when the name is refused or the file is unusable.
    static std::unique_ptr<CEngineConnection> Open(const std::string& databaseName, CEngineError& error);
};
