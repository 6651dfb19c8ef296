#include "engine/sqlite/CTableOrganization.h"

#include <sqlite3.h>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"

namespace {

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

bool HasIotColumn(sqlite3* db) {
    sqliteapi::Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM pragma_table_info('TARVEX_TABLE_OPTIONS') WHERE name = 'IOT_TYPE'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

}  // namespace

CTableOrganization::Definition CTableOrganization::Read(std::string_view sql) {
    Definition out;
    auto tokens = CSqlScanner::Significant(sql);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    if (!is(0, "CREATE") || !is(1, "TABLE")) return out;
    int depth = 0;
    bool listed = false;  // the column list is closed
    for (std::size_t k = 2; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[k], ')') && --depth == 0) listed = true;
        if (depth >= 1 && !listed && is(k, "PRIMARY") && is(k + 1, "KEY")) out.primaryKey = true;
        if (depth != 0 || !listed) continue;
        // Note: the query of a table made by one ends its options.
        if (is(k, "AS") && !is(k - 1, "STORE")) break;
        if (is(k, "ORGANIZATION") && is(k + 1, "INDEX")) {
            out.indexOrganized = true;
            out.at = tokens[k].begin;
        }
    }
    return out;
}

bool CTableOrganization::Record(sqlite3* db, const std::string& table, CEngineError& error) {
    if (!HasIotColumn(db) &&
        sqlite3_exec(db, "ALTER TABLE main.TARVEX_TABLE_OPTIONS ADD COLUMN IOT_TYPE VARCHAR2(12)", nullptr,
                     nullptr, nullptr) != SQLITE_OK)
        return Failed(db, error);
    sqliteapi::Statement add =
        sqliteapi::Prepare(db,
                           "INSERT INTO main.TARVEX_TABLE_OPTIONS (TABLE_NAME, IOT_TYPE) VALUES (?1, 'IOT') "
                           "ON CONFLICT (TABLE_NAME) DO UPDATE SET IOT_TYPE = 'IOT'");
    if (!add) return Failed(db, error);
    sqlite3_bind_text(add.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(add.get()) == SQLITE_DONE || Failed(db, error);
}
