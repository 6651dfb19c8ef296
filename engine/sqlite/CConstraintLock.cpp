#include "engine/sqlite/CConstraintLock.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"

namespace {

using sqliteapi::Statement;

struct Event {
    const char* name;
    char code;
};
constexpr Event kEvents[] = {{"INSERT", 'I'}, {"UPDATE", 'U'}, {"DELETE", 'D'}};

std::string Quoted(const std::string& text, char quote) {
    std::string out(1, quote);
    for (char c : text) out += c == quote ? std::string(2, c) : std::string(1, c);
    return out + quote;
}

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

std::vector<std::string> Column(sqlite3* db, const char* sql, const std::string& table) {
    std::vector<std::string> out;
    Statement rows = sqliteapi::Prepare(db, sql);
    if (rows) sqlite3_bind_text(rows.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (rows && sqlite3_step(rows.get()) == SQLITE_ROW)
        out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(rows.get(), 0)));
    return out;
}

}  // namespace

bool CConstraintLock::Sync(sqlite3* db, const std::string& table, CEngineError& error) {
    // Note: those of a table renamed since are found by the table they are on.
    for (const std::string& name : Column(db,
                                          "SELECT name FROM main.sqlite_schema WHERE type = 'trigger' AND "
                                          "tbl_name = ?1 AND name LIKE 'TARVEX!_LOCK!_%' ESCAPE '!'",
                                          table))
        if (!Exec(db, "DROP TRIGGER main." + Quoted(name, '"'), error)) return false;
    std::vector<std::string> locking =
        Column(db,
               "SELECT CONSTRAINT_NAME FROM main.TARVEX_CONSTRAINTS WHERE TABLE_NAME = ?1 AND STATUS = "
               "'DISABLED' AND VALIDATED = 'VALIDATED' ORDER BY POSITION, rowid",
               table);
    if (locking.empty()) return true;
    std::vector<std::string> stored =
        Column(db, "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name = ?1", table);
    if (stored.empty()) return true;
    std::string message = COraError::ForFunction(25128, {locking.front()}, 0);
    for (const Event& event : kEvents)
        if (!Exec(db,
                  "CREATE TRIGGER main." +
                      Quoted("TARVEX_LOCK_" + std::string(1, event.code) + "_" + table, '"') + " BEFORE " +
                      event.name + " ON " + Quoted(stored.front(), '"') + " BEGIN SELECT RAISE(ABORT, " +
                      Quoted(message, '\'') + "); END",
                  error))
            return false;
    return true;
}
