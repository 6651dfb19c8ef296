#pragma once

#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CColumnCatalog.h"

struct sqlite3;

// What a column is beyond its type and DEFAULT, kept in the catalog table
// TARVEX_COLUMN_OPTIONS: INVISIBLE (left out of SELECT *, of INSERT without
// a column list and of DESCRIBE; HIDDEN_COLUMN in USER_TAB_COLS) and
// DEFAULT ON NULL (a NULL given is stored as the DEFAULT). A virtual
// column is SQLite's generated column and needs no row here. Names upper
// case, UTF-8.
class CColumnOptions {
public:
    static constexpr const char* kCreate =
        "CREATE TABLE IF NOT EXISTS TARVEX_COLUMN_OPTIONS (TABLE_NAME VARCHAR2(128) NOT NULL, COLUMN_NAME "
        "VARCHAR2(128) NOT NULL, HIDDEN_COLUMN VARCHAR2(3) NOT NULL DEFAULT 'NO', DEFAULT_ON_NULL "
        "VARCHAR2(3) "
        "NOT NULL DEFAULT 'NO', PRIMARY KEY (TABLE_NAME, COLUMN_NAME))";

    // The options of the columns `declared` (CP932) as their definitions give them.
    static bool Record(sqlite3* db, const std::string& table,
                       const std::vector<CColumnCatalog::Declared>& declared, CEngineError& error);
    // ALTER TABLE ... MODIFY column VISIBLE | INVISIBLE.
    static bool SetHidden(sqlite3* db, const std::string& table, const std::string& column, bool hidden,
                          CEngineError& error);
};
