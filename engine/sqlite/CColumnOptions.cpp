#include "engine/sqlite/CColumnOptions.h"

#include <sqlite3.h>

#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::Statement;

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

}  // namespace

bool CColumnOptions::Record(sqlite3* db, const std::string& table,
                            const std::vector<CColumnCatalog::Declared>& declared, CEngineError& error) {
    Statement set =
        sqliteapi::Prepare(db, "INSERT OR REPLACE INTO main.TARVEX_COLUMN_OPTIONS VALUES (?1, ?2, ?3, ?4)");
    Statement clear = sqliteapi::Prepare(
        db, "DELETE FROM main.TARVEX_COLUMN_OPTIONS WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2");
    if (!set || !clear) return Failed(db, error);
    for (const auto& column : declared) {
        std::string name = encoding::Cp932ToUtf8(column.name);
        bool plain = !column.invisible && !column.defaultOnNull;
        sqlite3_stmt* statement = plain ? clear.get() : set.get();
        sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        if (!plain) {
            sqlite3_bind_text(statement, 3, column.invisible ? "YES" : "NO", -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 4, column.defaultOnNull ? "YES" : "NO", -1, SQLITE_STATIC);
        }
        bool ok = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        if (!ok) return Failed(db, error);
    }
    return true;
}

bool CColumnOptions::SetHidden(sqlite3* db, const std::string& table, const std::string& column, bool hidden,
                               CEngineError& error) {
    Statement add = sqliteapi::Prepare(
        db, "INSERT OR IGNORE INTO main.TARVEX_COLUMN_OPTIONS (TABLE_NAME, COLUMN_NAME) VALUES (?1, ?2)");
    Statement set = sqliteapi::Prepare(db,
                                       "UPDATE main.TARVEX_COLUMN_OPTIONS SET HIDDEN_COLUMN = ?3 WHERE "
                                       "TABLE_NAME = ?1 AND COLUMN_NAME = ?2");
    if (!add || !set) return Failed(db, error);
    for (sqlite3_stmt* statement : {add.get(), set.get()}) {
        sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, column.c_str(), -1, SQLITE_TRANSIENT);
    }
    sqlite3_bind_text(set.get(), 3, hidden ? "YES" : "NO", -1, SQLITE_STATIC);
    return (sqlite3_step(add.get()) == SQLITE_DONE && sqlite3_step(set.get()) == SQLITE_DONE) ||
           Failed(db, error);
}
