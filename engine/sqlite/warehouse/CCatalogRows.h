#pragma once

#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/SqliteApi.h"

struct sqlite3;

// How the warehouse's catalogs (partitions, materialized views) read and
// write their rows: statements with text parameters bound in order, the
// failure in SQLite's words.
class CCatalogRows {
public:
    // Runs `sql` (no rows) with `values` bound as ?1, ?2 ...
    static bool Run(sqlite3* db, const std::string& sql, const std::vector<std::string>& values,
                    CEngineError& error);
    // `sql` prepared with `key` bound as ?1; empty when it cannot be.
    static sqliteapi::Statement Keyed(sqlite3* db, const std::string& sql, const std::string& key);
    // Column `column` of the current row as text; "" for NULL.
    static std::string Text(const sqliteapi::Statement& statement, int column);
    // Sets `error` to SQLite's message; false.
    static bool Fail(sqlite3* db, CEngineError& error);
};
