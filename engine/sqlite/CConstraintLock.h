#pragma once

#include <string>

#include "engine/EngineTypes.h"

struct sqlite3;

// A table with a constraint disabled and validated (DISABLE VALIDATE) takes
// no INSERT, UPDATE or DELETE, as on the server (ORA-25128): the file holds
// triggers of the engine's own that refuse them, made or dropped from the
// states the catalog records, whatever statement writes the table.
class CConstraintLock {
public:
    // Makes the table's triggers agree with its constraints' states;
    // `table` upper case, UTF-8. A table that is not there needs none.
    static bool Sync(sqlite3* db, const std::string& table, CEngineError& error);
};
