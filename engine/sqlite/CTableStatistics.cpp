#include "engine/sqlite/CTableStatistics.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/CIndexStatistics.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CPartitionCatalog.h"
#include "text/Encoding.h"

namespace {

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// The name the table is stored under (a quoted name in its own case); ""
// when the file has no such table.
std::string StoredName(sqlite3* db, const std::string& table) {
    sqliteapi::Statement find = sqliteapi::Prepare(
        db,
        "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name = ?1 AND name NOT "
        "LIKE 'sqlite%' AND upper(name) NOT LIKE 'TARVEX%'");
    if (!find) return {};
    sqlite3_bind_text(find.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(find.get()) != SQLITE_ROW) return {};
    return reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0));
}

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

// Note: made by the first gathering, so that a file never analyzed (or one
// only read) has none; the dictionary reads it only where it is.
constexpr const char* kColumnTable =
    "CREATE TABLE IF NOT EXISTS main.TARVEX_COLUMN_STATS (TABLE_NAME TEXT NOT NULL, COLUMN_NAME TEXT NOT "
    "NULL, NUM_DISTINCT INTEGER, NUM_NULLS INTEGER, AVG_COL_LEN INTEGER, SAMPLE_SIZE INTEGER, LAST_ANALYZED "
    "TEXT, PRIMARY KEY (TABLE_NAME, COLUMN_NAME))";

bool HasColumnTable(sqlite3* db) {
    sqliteapi::Statement look =
        sqliteapi::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE name = 'TARVEX_COLUMN_STATS'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

bool DeleteColumns(sqlite3* db, const std::string& table, CEngineError& error) {
    if (!HasColumnTable(db)) return true;
    sqliteapi::Statement remove =
        sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_COLUMN_STATS WHERE TABLE_NAME = ?1 OR ?1 IS NULL");
    if (!remove) return Failed(db, error);
    if (!table.empty()) sqlite3_bind_text(remove.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(remove.get()) == SQLITE_DONE || Failed(db, error);
}

// Runs `sql` with the texts `first`, `second` and `third` as ?1, ?2 and ?3.
bool Run(sqlite3* db, const std::string& sql, const std::string& first, const std::string& second,
         const std::string& third, CEngineError& error) {
    sqliteapi::Statement run = sqliteapi::Prepare(db, sql);
    if (!run) return Failed(db, error);
    for (int k = 0; const std::string* text : {&first, &second, &third})
        sqlite3_bind_text(run.get(), ++k, text->c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(run.get()) == SQLITE_DONE || Failed(db, error);
}

// The statistics of each column of `stored`: its distinct values and NULLs
// counted, and the bytes its values take on average, with one for the length.
bool GatherColumns(sqlite3* db, const std::string& stored, const std::string& now, CEngineError& error) {
    if (sqlite3_exec(db, kColumnTable, nullptr, nullptr, nullptr) != SQLITE_OK) return Failed(db, error);
    if (!DeleteColumns(db, stored, error)) return false;
    std::vector<std::string> columns;
    sqliteapi::Statement list = sqliteapi::Prepare(db, "SELECT name FROM pragma_table_info(?1)");
    if (!list) return Failed(db, error);
    sqlite3_bind_text(list.get(), 1, stored.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(list.get()) == SQLITE_ROW)
        columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    list.reset();
    for (const std::string& column : columns) {
        const std::string value = Quoted(column);
        sqliteapi::Statement gather = sqliteapi::Prepare(
            db, "INSERT INTO main.TARVEX_COLUMN_STATS SELECT ?1, ?2, count(DISTINCT " + value +
                    "), count(*) - count(" + value + "), coalesce(round(avg(length(CAST(" + value +
                    " AS BLOB)))), 0) + 1, count(*), ?3 FROM main." + Quoted(stored));
        if (!gather) return Failed(db, error);
        sqlite3_bind_text(gather.get(), 1, stored.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(gather.get(), 2, column.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(gather.get(), 3, now.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(gather.get()) != SQLITE_DONE) return Failed(db, error);
    }
    return true;
}

}  // namespace

bool CTableStatistics::Gather(sqlite3* db, const std::string& table, CEngineError& error) {
    std::string stored = StoredName(db, table);
    if (stored.empty()) {
        COraError::Set(error, 942, {encoding::Utf8ToCp932(table)});
        return false;
    }
    // Note: the blocks are the file's pages the table holds; the average row
    // length is what its pages hold over its rows.
    sqliteapi::Statement gather = sqliteapi::Prepare(
        db, "INSERT OR REPLACE INTO main.TARVEX_TABLE_STATS SELECT ?1, (SELECT count(*) FROM main." +
                Quoted(stored) + "), count(*), CASE WHEN (SELECT count(*) FROM main." + Quoted(stored) +
                ") = 0 THEN 0 ELSE sum(payload) / (SELECT count(*) FROM main." + Quoted(stored) +
                ") END, ?2 FROM dbstat('main') WHERE name = ?1");
    if (!gather) return Failed(db, error);
    sqlite3_bind_text(gather.get(), 1, stored.c_str(), -1, SQLITE_TRANSIENT);
    std::string now = CDateFormat::ToStored(CDateFormat::Now());
    sqlite3_bind_text(gather.get(), 2, now.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(gather.get()) != SQLITE_DONE) return Failed(db, error);
    return GatherColumns(db, stored, now, error) && CIndexStatistics::Gather(db, stored, now, error) &&
           CPartitionCatalog::Count(db, stored, error);
}

bool CTableStatistics::GatherAll(sqlite3* db, CEngineError& error) {
    std::vector<std::string> tables;
    sqliteapi::Statement list = sqliteapi::Prepare(
        db,
        "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%' AND "
        "upper(name) NOT LIKE 'TARVEX%'");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    list.reset();
    for (const std::string& table : tables)
        if (!Gather(db, table, error)) return false;
    return true;
}

bool CTableStatistics::Delete(sqlite3* db, const std::string& table, CEngineError& error) {
    sqliteapi::Statement remove =
        sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_TABLE_STATS WHERE TABLE_NAME = ?1");
    if (!remove) return Failed(db, error);
    sqlite3_bind_text(remove.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(remove.get()) != SQLITE_DONE) return Failed(db, error);
    return DeleteColumns(db, table, error) && CIndexStatistics::Delete(db, table, error);
}

bool CTableStatistics::DeleteAll(sqlite3* db, CEngineError& error) {
    if (sqlite3_exec(db, "DELETE FROM main.TARVEX_TABLE_STATS", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Failed(db, error);
    return DeleteColumns(db, "", error) && CIndexStatistics::Delete(db, "", error);
}

bool CTableStatistics::RenameTable(sqlite3* db, const std::string& table, const std::string& to,
                                   CEngineError& error) {
    // Note: statistics gathered for another table of the new name go.
    if (!Delete(db, to, error) ||
        !Run(db, "UPDATE main.TARVEX_TABLE_STATS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 = ''",
             table, to, "", error) ||
        !CIndexStatistics::RenameTable(db, table, to, error))
        return false;
    return !HasColumnTable(db) ||
           Run(db, "UPDATE main.TARVEX_COLUMN_STATS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 = ''",
               table, to, "", error);
}

bool CTableStatistics::RenameColumn(sqlite3* db, const std::string& table, const std::string& column,
                                    const std::string& to, CEngineError& error) {
    return !HasColumnTable(db) || Run(db,
                                      "UPDATE main.TARVEX_COLUMN_STATS SET COLUMN_NAME = ?3 WHERE TABLE_NAME "
                                      "= ?1 AND COLUMN_NAME = ?2",
                                      table, column, to, error);
}
