#include "engine/sqlite/CIndexStatistics.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/SqliteApi.h"

namespace {

constexpr const char* kCreate =
    "CREATE TABLE IF NOT EXISTS main.TARVEX_INDEX_STATS (INDEX_NAME TEXT PRIMARY KEY, TABLE_NAME TEXT NOT "
    "NULL, BLEVEL INTEGER, LEAF_BLOCKS INTEGER, DISTINCT_KEYS INTEGER, CLUSTERING_FACTOR INTEGER, NUM_ROWS "
    "INTEGER, SAMPLE_SIZE INTEGER, LAST_ANALYZED TEXT)";

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

bool Exists(sqlite3* db) {
    sqliteapi::Statement look =
        sqliteapi::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE name = 'TARVEX_INDEX_STATS'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

std::vector<std::string> Texts(sqlite3* db, const char* sql, const std::string& argument) {
    std::vector<std::string> texts;
    sqliteapi::Statement list = sqliteapi::Prepare(db, sql);
    if (!list) return texts;
    sqlite3_bind_text(list.get(), 1, argument.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(list.get()) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(list.get(), 0);
        texts.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
    }
    return texts;
}

// The statement that gathers one index over the key columns `keys` of
// `table`. An entry whose key is wholly NULL is not in the server's index.
// The clustering factor counts the table blocks met walking the index in
// key order, a row's block being where its place in the table's row order
// falls among the table's leaf pages.
std::string GatherSql(const std::string& table, const std::vector<std::string>& keys) {
    std::string list, allNull;
    for (const std::string& key : keys) {
        list += (list.empty() ? "" : ", ") + Quoted(key);
        allNull += (allNull.empty() ? "" : " AND ") + Quoted(key) + " IS NULL";
    }
    const std::string from = "main." + Quoted(table);
    const std::string entries =
        "(SELECT rowid AS r, " + list + " FROM " + from + " WHERE NOT (" + allNull + "))";
    return "INSERT OR REPLACE INTO main.TARVEX_INDEX_STATS SELECT ?1, ?2, (SELECT coalesce(max(length(path) "
           "- "
           "length(replace(path, '/', '')) - 1), 0) FROM dbstat('main') WHERE name = ?1 AND pagetype <> "
           "'overflow'), (SELECT count(*) FROM dbstat('main') WHERE name = ?1 AND pagetype = 'leaf'), "
           "(SELECT "
           "count(*) FROM (SELECT DISTINCT " +
           list + " FROM " + entries + ")), (SELECT count(*) FROM (SELECT b, lag(b) OVER (ORDER BY " + list +
           ", r) AS p FROM (SELECT e.*, (o.n - 1) * max(1, (SELECT count(*) FROM dbstat('main') WHERE name = "
           "?2 AND pagetype = 'leaf')) / max(1, (SELECT count(*) FROM " +
           from + ")) AS b FROM " + entries +
           " e JOIN (SELECT rowid AS rr, row_number() OVER (ORDER BY rowid) " + "AS n FROM " + from +
           ") o ON o.rr = e.r)) WHERE p IS NULL OR p <> b), n, n, ?3 FROM (SELECT count(*) " + "AS n FROM " +
           entries + ")";
}

}  // namespace

bool CIndexStatistics::Gather(sqlite3* db, const std::string& table, const std::string& now,
                              CEngineError& error) {
    if (sqlite3_exec(db, kCreate, nullptr, nullptr, nullptr) != SQLITE_OK) return Failed(db, error);
    if (!Delete(db, table, error)) return false;
    // Note: a table without rowids (ORGANIZATION INDEX) is its own key index.
    bool withoutRowid =
        !Texts(db, "SELECT 1 FROM pragma_table_list WHERE schema = 'main' AND name = ?1 AND wr = 1", table)
             .empty();
    if (withoutRowid) return true;
    for (const std::string& index :
         Texts(db, "SELECT name FROM main.sqlite_schema WHERE type = 'index' AND tbl_name = ?1", table)) {
        std::vector<std::string> keys = Texts(
            db, "SELECT coalesce(name, '') FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno", index);
        // Note: an index over expressions keeps no statistics here.
        bool expression = keys.empty();
        for (const std::string& key : keys) expression = expression || key.empty();
        if (expression) continue;
        sqliteapi::Statement gather = sqliteapi::Prepare(db, GatherSql(table, keys));
        if (!gather) return Failed(db, error);
        sqlite3_bind_text(gather.get(), 1, index.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(gather.get(), 2, table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(gather.get(), 3, now.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(gather.get()) != SQLITE_DONE) return Failed(db, error);
    }
    return true;
}

bool CIndexStatistics::Delete(sqlite3* db, const std::string& table, CEngineError& error) {
    if (!Exists(db)) return true;
    sqliteapi::Statement remove =
        sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_INDEX_STATS WHERE TABLE_NAME = ?1 OR ?1 = ''");
    if (!remove) return Failed(db, error);
    sqlite3_bind_text(remove.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(remove.get()) == SQLITE_DONE || Failed(db, error);
}

bool CIndexStatistics::RenameTable(sqlite3* db, const std::string& table, const std::string& to,
                                   CEngineError& error) {
    if (!Exists(db)) return true;
    sqliteapi::Statement rename =
        sqliteapi::Prepare(db, "UPDATE main.TARVEX_INDEX_STATS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1");
    if (!rename) return Failed(db, error);
    sqlite3_bind_text(rename.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(rename.get(), 2, to.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(rename.get()) == SQLITE_DONE || Failed(db, error);
}
