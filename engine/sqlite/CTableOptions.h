#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqlScanner.h"

struct sqlite3;

// What the dictionary shows of a table and of an index beyond their
// definitions, kept in the catalog tables TARVEX_TABLE_OPTIONS (LOGGING,
// DEGREE, CACHE, COMPRESSION, PCT_FREE, READ_ONLY) and TARVEX_INDEX_OPTIONS
// (STATUS, VISIBILITY, LOGGING, DEGREE, MONITORING). A table or index
// without a row has the server's defaults. Physical attributes change
// nothing a query sees in the one file; READ ONLY and an UNUSABLE unique
// index refuse DML (see CSqlEmitter), an INVISIBLE index is still used.
// Names upper case, UTF-8.
class CTableOptions {
public:
    static constexpr const char* kCreateTables =
        "CREATE TABLE IF NOT EXISTS TARVEX_TABLE_OPTIONS (TABLE_NAME VARCHAR2(128) PRIMARY KEY, LOGGING "
        "VARCHAR2(3) NOT NULL DEFAULT 'YES', DEGREE VARCHAR2(10) NOT NULL DEFAULT '1', CACHE VARCHAR2(1) NOT "
        "NULL DEFAULT 'N', COMPRESSION VARCHAR2(8) NOT NULL DEFAULT 'DISABLED', PCT_FREE INTEGER NOT NULL "
        "DEFAULT 10, READ_ONLY VARCHAR2(3) NOT NULL DEFAULT 'NO')";
    static constexpr const char* kCreateIndexes =
        "CREATE TABLE IF NOT EXISTS TARVEX_INDEX_OPTIONS (INDEX_NAME VARCHAR2(128) PRIMARY KEY, STATUS "
        "VARCHAR2(8) NOT NULL DEFAULT 'VALID', VISIBILITY VARCHAR2(9) NOT NULL DEFAULT 'VISIBLE', LOGGING "
        "VARCHAR2(3) NOT NULL DEFAULT 'YES', DEGREE VARCHAR2(10) NOT NULL DEFAULT '1', MONITORING "
        "VARCHAR2(3) NOT NULL DEFAULT 'NO')";

    // One column of a table's or index's row and its new value.
    struct Setting {
        std::string_view column;
        std::string value;
    };
    using Tokens = std::vector<CSqlScanner::Token>;

    // The clauses of ALTER TABLE from token `k` to the end (NOLOGGING,
    // PARALLEL 4, MOVE TABLESPACE x, READ ONLY ...), in any number and
    // order. False when the clause at token `k` is none of them (`failAt`
    // its token), or a later one is not understood.
    static bool ReadTableClauses(std::string_view sql, const Tokens& tokens, std::size_t k,
                                 std::vector<Setting>& settings, std::size_t& failAt);
    // The same for ALTER INDEX (REBUILD, UNUSABLE, INVISIBLE, NOLOGGING ...).
    static bool ReadIndexClauses(std::string_view sql, const Tokens& tokens, std::size_t k,
                                 std::vector<Setting>& settings, std::size_t& failAt);

    static bool SetTable(sqlite3* db, const std::string& table, const std::vector<Setting>& settings,
                         CEngineError& error);
    static bool SetIndex(sqlite3* db, const std::string& index, const std::vector<Setting>& settings,
                         CEngineError& error);

    static bool IsReadOnly(sqlite3* db, const std::string& table);
    // The name of a unique index of `table` that is UNUSABLE; "" when none.
    static std::string UnusableUniqueIndex(sqlite3* db, const std::string& table);
    // The row of index `from` follows its new name.
    static bool RenameIndex(sqlite3* db, const std::string& from, const std::string& to, CEngineError& error);
    // Forgets the rows of tables and indexes the file no longer has.
    static bool Prune(sqlite3* db, CEngineError& error);
};
