#pragma once

#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqliteDictionary.h"

struct sqlite3;

// The constraints a table's definition holds (keys, foreign keys, NOT NULL
// and CHECK), with their names, kept in the catalog table TARVEX_CONSTRAINTS:
// a name the system gave one stays its name whatever becomes of the table
// (a rebuild makes its definition anew), as the server keeps it. The rows of
// a table are written in the transaction of the statement that makes or
// changes it.
class CConstraintCatalog {
public:
    static constexpr const char* kCreate =
        "CREATE TABLE IF NOT EXISTS TARVEX_CONSTRAINTS (CONSTRAINT_NAME VARCHAR2(128) PRIMARY KEY, "
        "TABLE_NAME "
        "VARCHAR2(128) NOT NULL, POSITION INTEGER NOT NULL, CONSTRAINT_TYPE VARCHAR2(1) NOT NULL, COLUMNS "
        "TEXT "
        "NOT NULL, SEARCH_CONDITION TEXT, R_TABLE VARCHAR2(128), R_COLUMNS TEXT, DELETE_RULE VARCHAR2(9), "
        "GENERATED VARCHAR2(14) NOT NULL)";

    // Records the constraints of `table` (UTF-8, any case) as its definition
    // now holds them; one the system named keeps the name it had. A table
    // that is not there leaves the catalog as it is.
    static bool Record(sqlite3* db, const std::string& table, CEngineError& error);
    // Files of an earlier version: every table's constraints recorded under
    // the names they were shown with.
    static bool Convert(sqlite3* db, CEngineError& error);
    // The constraints recorded for `table` (upper case, UTF-8) in `out`;
    // false when the catalog holds none for it.
    static bool Read(sqlite3* db, const std::string& table, std::vector<CSqliteDictionary::Constraint>& out);
};
