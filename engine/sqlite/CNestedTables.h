#pragma once

#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

struct sqlite3;

// The storage tables that CREATE TABLE names for its nested table columns
// (NESTED TABLE column STORE AS name), kept in the catalog table
// TARVEX_NESTED_TABLES for USER_NESTED_TABLES, and shown by USER_TABLES
// (NESTED 'YES') and USER_OBJECTS as the server shows them. The column
// itself holds its collection; nothing else is made. Names upper case, UTF-8.
class CNestedTables {
public:
    static constexpr const char* kCreate =
        "CREATE TABLE IF NOT EXISTS TARVEX_NESTED_TABLES (TABLE_NAME VARCHAR2(128) PRIMARY KEY, "
        "PARENT_TABLE_NAME VARCHAR2(128) NOT NULL, PARENT_TABLE_COLUMN VARCHAR2(4000) NOT NULL, "
        "TABLE_TYPE_NAME VARCHAR2(128) NOT NULL, STORAGE_SPEC VARCHAR2(30) NOT NULL, RETURN_TYPE "
        "VARCHAR2(20) "
        "NOT NULL)";

    // After CREATE TABLE `sql` (CP932) made `table`: its clauses NESTED
    // TABLE column STORE AS name recorded; ORA-00955 for a storage name
    // another object has. Nothing for another statement.
    static bool Record(sqlite3* db, std::string_view sql, CEngineError& error);
    // DROP TABLE: the storage of its columns goes with it.
    static bool Forget(sqlite3* db, const std::string& table, CEngineError& error);
};
