#include "engine/sqlite/CCatalogTables.h"

#include <sqlite3.h>

#include <cstdio>
#include <span>
#include <vector>

#include "engine/sqlite/CColumnCatalog.h"
#include "engine/sqlite/CColumnOptions.h"
#include "engine/sqlite/CConstraintCatalog.h"
#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/CNameUpgrade.h"
#include "engine/sqlite/CNestedTables.h"
#include "engine/sqlite/CObjectTimes.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CTableOptions.h"
#include "engine/sqlite/CTableStatistics.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CMviewCatalog.h"
#include "engine/sqlite/warehouse/CPartitionCatalog.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::Statement;

// The tables of the current version, each made if missing.
constexpr const char* kTables[] = {
    "CREATE TABLE IF NOT EXISTS TARVEX_SEQUENCES (NAME TEXT PRIMARY KEY, NEXT_VALUE INTEGER NOT NULL, "
    "STEP INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS TARVEX_SEQUENCE_OPTIONS (NAME TEXT PRIMARY KEY, MIN_VALUE TEXT, MAX_VALUE "
    "TEXT, CYCLE_FLAG TEXT NOT NULL, CACHE_SIZE INTEGER NOT NULL, ORDER_FLAG TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS TARVEX_TABLE_STATS (TABLE_NAME TEXT PRIMARY KEY, NUM_ROWS INTEGER, BLOCKS "
    "INTEGER, AVG_ROW_LEN INTEGER, LAST_ANALYZED TEXT)",
    "CREATE TABLE IF NOT EXISTS TARVEX_COMMENTS (TABLE_NAME TEXT NOT NULL, COLUMN_NAME TEXT NOT NULL, "
    "COMMENTS TEXT, PRIMARY KEY (TABLE_NAME, COLUMN_NAME))",
    "CREATE TABLE IF NOT EXISTS TARVEX_VIEWS (VIEW_NAME VARCHAR2(128) PRIMARY KEY, TEXT TEXT NOT NULL, "
    "READ_ONLY VARCHAR2(1) NOT NULL, CHECK_OPTION VARCHAR2(1) NOT NULL, CONSTRAINT_NAME VARCHAR2(128))",
    // Note: files of version 0 kept a view's text in a comment "/*TEXT:...*/".
    "INSERT OR IGNORE INTO TARVEX_VIEWS SELECT upper(name), CASE WHEN instr(sql, '/*TEXT:') > 0 THEN "
    "substr(sql, instr(sql, '/*TEXT:') + 7, instr(sql, '*/') - instr(sql, '/*TEXT:') - 7) ELSE substr(sql, "
    "instr(upper(sql), ' AS ') + 4) END, 'N', 'N', NULL FROM main.sqlite_schema WHERE type = 'view'",
    "CREATE TABLE IF NOT EXISTS TARVEX_TEMPORARY (TABLE_NAME VARCHAR2(128) PRIMARY KEY, DEFINITION TEXT NOT "
    "NULL, DURATION VARCHAR2(15) NOT NULL)",
    "CREATE TABLE IF NOT EXISTS TARVEX_SYNONYMS (SYNONYM_NAME VARCHAR2(128) PRIMARY KEY, OWNER VARCHAR2(128) "
    "NOT NULL, TABLE_OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128) NOT NULL)",
    "CREATE TABLE IF NOT EXISTS TARVEX_IDENTITIES (TABLE_NAME VARCHAR2(128) NOT NULL, COLUMN_NAME "
    "VARCHAR2(128) NOT NULL, GENERATION_TYPE VARCHAR2(10) NOT NULL, DEFAULT_ON_NULL VARCHAR2(3) NOT NULL, "
    "SEQUENCE_NAME VARCHAR2(128) NOT NULL, IDENTITY_OPTIONS VARCHAR2(298), PRIMARY KEY (TABLE_NAME, "
    "COLUMN_NAME))",
    CColumnCatalog::kCreate,
    CConstraintCatalog::kCreate,
    CObjectTimes::kTable,
    CTableOptions::kCreateTables,
    CTableOptions::kCreateIndexes,
    CColumnOptions::kCreate,
    CNestedTables::kCreate,
};

// The warehouse's catalogs, each listing its tables.
constexpr std::span<const char* const> kWarehouseTables[] = {CPartitionCatalog::kTables,
                                                             CMviewCatalog::kTables};

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

std::string Name(std::string_view token) {
    if (token.size() >= 2 && token.front() == '"') return std::string(token.substr(1, token.size() - 2));
    return cp932::ToUpperAscii(token);
}

int UserVersion(sqlite3* db) {
    Statement version = sqliteapi::Prepare(db, "PRAGMA user_version");
    return version && sqlite3_step(version.get()) == SQLITE_ROW ? sqlite3_column_int(version.get(), 0) : 0;
}

// Files of version 0 marked an identity column with a comment
// "/*IDENTITY kind*/" in the column's definition: each becomes a row.
bool ConvertIdentityMarks(sqlite3* db, CEngineError& error) {
    Statement tables = sqliteapi::Prepare(
        db, "SELECT name, sql FROM main.sqlite_schema WHERE type = 'table' AND sql LIKE '%/*IDENTITY %'");
    std::vector<CCatalogTables::Identity> found;
    while (tables && sqlite3_step(tables.get()) == SQLITE_ROW) {
        std::string table = cp932::ToUpperAscii(Text(tables.get(), 0));
        std::string sql = Text(tables.get(), 1);
        auto tokens = CSqlScanner::Significant(sql);
        int depth = 0;
        std::size_t itemStart = 0;
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            bool open = CSqlScanner::IsSymbol(sql, tokens[k], '(');
            bool close = CSqlScanner::IsSymbol(sql, tokens[k], ')');
            if (open && ++depth == 1) itemStart = k + 1;
            if (close) --depth;
            bool end = depth == 1 && CSqlScanner::IsSymbol(sql, tokens[k], ',');
            if (!end && !(close && depth == 0)) continue;
            // The item from itemStart to token k: a mark between them is its column's.
            std::size_t from = tokens[itemStart].begin;
            std::size_t mark = sql.find("/*IDENTITY ", from);
            if (itemStart < k && mark != std::string::npos && mark < tokens[k].begin) {
                std::size_t kindEnd = sql.find("*/", mark);
                std::string kind = sql.substr(mark + 11, kindEnd - mark - 11);
                CCatalogTables::Identity identity;
                identity.table = table;
                identity.column = Name(std::string_view(sql).substr(from, tokens[itemStart].length));
                identity.generation = kind == "ALWAYS"    ? "ALWAYS"
                                      : kind == "ON NULL" ? "ON NULL"
                                                          : "BY DEFAULT";
                found.push_back(identity);
            }
            itemStart = k + 1;
            if (close) break;
        }
    }
    tables.reset();
    Statement add = sqliteapi::Prepare(db,
                                       "INSERT OR IGNORE INTO TARVEX_IDENTITIES VALUES (?1, ?2, ?3, ?4, ?5, "
                                       "'START WITH: 1, INCREMENT BY: 1')");
    for (const auto& identity : found) {
        std::string sequence = encoding::Cp932ToUtf8(CSqliteCatalog::IdentitySequence(
            encoding::Utf8ToCp932(identity.table), encoding::Utf8ToCp932(identity.column)));
        bool onNull = identity.generation == "ON NULL";
        sqlite3_bind_text(add.get(), 1, identity.table.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 2, identity.column.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 3, onNull ? "BY DEFAULT" : identity.generation.c_str(), -1,
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 4, onNull ? "YES" : "NO", -1, SQLITE_STATIC);
        sqlite3_bind_text(add.get(), 5, sequence.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(add.get()) != SQLITE_DONE) {
            error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
            return false;
        }
        sqlite3_reset(add.get());
    }
    return true;
}

std::vector<std::string> IndexColumns(sqlite3* db, const std::string& index) {
    std::vector<std::string> columns;
    Statement info = sqliteapi::Prepare(db, "SELECT name FROM pragma_index_info(?1) ORDER BY seqno");
    if (info) sqlite3_bind_text(info.get(), 1, index.c_str(), -1, SQLITE_TRANSIENT);
    while (info && sqlite3_step(info.get()) == SQLITE_ROW) columns.push_back(Text(info.get(), 0));
    return columns;
}

// Files of version 0 marked the index of a key added later with a comment
// "/*TARVEX:P*/" or "/*TARVEX:U*/" in its definition.
bool ConvertKeyMarks(sqlite3* db, CEngineError& error) {
    Statement indexes = sqliteapi::Prepare(
        db,
        "SELECT upper(name), upper(tbl_name), substr(sql, instr(sql, '/*TARVEX:') + 9, 1) FROM "
        "main.sqlite_schema WHERE type = 'index' AND sql LIKE '%/*TARVEX:%'");
    std::vector<CCatalogTables::Key> keys;
    while (indexes && sqlite3_step(indexes.get()) == SQLITE_ROW) {
        CCatalogTables::Key key;
        key.name = key.index = Text(indexes.get(), 0);
        key.table = Text(indexes.get(), 1);
        key.type = Text(indexes.get(), 2) == "P" ? 'P' : 'U';
        keys.push_back(key);
    }
    indexes.reset();
    for (auto& key : keys) {
        key.columns = IndexColumns(db, key.index);
        if (key.type == 'P') key.notNullAdded = key.columns;
    }
    // A disabled one was kept aside as its index's definition.
    Statement disabled = sqliteapi::Prepare(
        db, "SELECT DEFINITION FROM main.TARVEX_DISABLED WHERE KIND = 'I' AND DEFINITION LIKE '%/*TARVEX:%'");
    while (disabled && sqlite3_step(disabled.get()) == SQLITE_ROW) {
        // CREATE UNIQUE INDEX name /*TARVEX:K*/ ON table (columns)
        std::string sql = Text(disabled.get(), 0);
        auto tokens = CSqlScanner::Significant(sql);
        if (tokens.size() < 8) continue;
        CCatalogTables::Key key;
        key.name = key.index = Name(std::string_view(sql).substr(tokens[3].begin, tokens[3].length));
        key.table = Name(std::string_view(sql).substr(tokens[5].begin, tokens[5].length));
        key.type = sql[sql.find("/*TARVEX:") + 9] == 'P' ? 'P' : 'U';
        key.enabled = false;
        for (std::size_t k = 7; k < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[k], ')'); ++k)
            if (!CSqlScanner::IsSymbol(sql, tokens[k], ','))
                key.columns.push_back(Name(std::string_view(sql).substr(tokens[k].begin, tokens[k].length)));
        keys.push_back(key);
    }
    disabled.reset();
    for (const auto& key : keys)
        if (!CCatalogTables::AddKey(db, key, error)) return false;
    return true;
}

}  // namespace

namespace {

// Sets STATUS (and VALIDATED with it) of the constraint `name`.
bool SetStatus(sqlite3* db, const std::string& name, bool enabled, CEngineError& error) {
    Statement set = sqliteapi::Prepare(
        db, "UPDATE main.TARVEX_CONSTRAINTS SET STATUS = ?2, VALIDATED = ?3 WHERE CONSTRAINT_NAME = ?1");
    if (!set) return Exec(db, "SELECT 1 FROM main.TARVEX_CONSTRAINTS", error);
    sqlite3_bind_text(set.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 2, enabled ? "ENABLED" : "DISABLED", -1, SQLITE_STATIC);
    sqlite3_bind_text(set.get(), 3, enabled ? "VALIDATED" : "NOT VALIDATED", -1, SQLITE_STATIC);
    if (sqlite3_step(set.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

}  // namespace

bool CCatalogTables::AddKey(sqlite3* db, const Key& key, CEngineError& error) {
    Key c = key;
    c.validated = c.enabled;
    c.enforcedBy = "INDEX";
    return CConstraintCatalog::Write(db, c, error);
}

std::vector<CCatalogTables::Key> CCatalogTables::Keys(sqlite3* db) {
    std::vector<Key> keys;
    Statement list = sqliteapi::Prepare(
        db, "SELECT DISTINCT TABLE_NAME FROM main.TARVEX_CONSTRAINTS WHERE ENFORCED_BY = 'INDEX'");
    std::vector<std::string> tables;
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) tables.push_back(Text(list.get(), 0));
    list.reset();
    for (const std::string& table : tables) CConstraintCatalog::Read(db, table, keys);
    std::erase_if(keys, [](const Key& key) { return key.enforcedBy != "INDEX"; });
    return keys;
}

bool CCatalogTables::SetKeyEnabled(sqlite3* db, const std::string& name, bool enabled, CEngineError& error) {
    return SetStatus(db, name, enabled, error);
}

bool CCatalogTables::DropKey(sqlite3* db, const std::string& name, CEngineError& error) {
    return CConstraintCatalog::Remove(db, name, error);
}

bool CCatalogTables::SetView(sqlite3* db, const View& given, CEngineError& error) {
    // Note: an option of no name is named by the system, as a constraint is.
    View view = given;
    if (view.constraint.empty() && (view.readOnly || view.checkOption))
        view.constraint = CConstraintCatalog::NewName(db);
    Statement set = sqliteapi::Prepare(db, "INSERT OR REPLACE INTO TARVEX_VIEWS VALUES (?1, ?2, ?3, ?4, ?5)");
    if (!set) return Exec(db, "SELECT 1 FROM TARVEX_VIEWS", error);
    sqlite3_bind_text(set.get(), 1, view.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 2, view.text.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 3, view.readOnly ? "Y" : "N", -1, SQLITE_STATIC);
    sqlite3_bind_text(set.get(), 4, view.checkOption ? "Y" : "N", -1, SQLITE_STATIC);
    if (view.constraint.empty())
        sqlite3_bind_null(set.get(), 5);
    else
        sqlite3_bind_text(set.get(), 5, view.constraint.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(set.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

bool CCatalogTables::FindView(sqlite3* db, const std::string& name, View& view) {
    Statement look = sqliteapi::Prepare(
        db,
        "SELECT TEXT, READ_ONLY, CHECK_OPTION, CONSTRAINT_NAME FROM main.TARVEX_VIEWS WHERE VIEW_NAME = ?1");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return false;
    view.name = name;
    view.text = Text(look.get(), 0);
    view.readOnly = Text(look.get(), 1) == "Y";
    view.checkOption = Text(look.get(), 2) == "Y";
    view.constraint = Text(look.get(), 3);
    return true;
}

bool CCatalogTables::AddTemporary(sqlite3* db, const std::string& table, const std::string& definition,
                                  bool deleteOnCommit, CEngineError& error) {
    Statement add = sqliteapi::Prepare(db, "INSERT OR REPLACE INTO TARVEX_TEMPORARY VALUES (?1, ?2, ?3)");
    if (!add) return Exec(db, "SELECT 1 FROM TARVEX_TEMPORARY", error);
    sqlite3_bind_text(add.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add.get(), 2, definition.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add.get(), 3, deleteOnCommit ? "SYS$TRANSACTION" : "SYS$SESSION", -1, SQLITE_STATIC);
    if (sqlite3_step(add.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

void CCatalogTables::OpenTemporary(sqlite3* db, std::vector<std::string>& deleteOnCommit) {
    Statement list = sqliteapi::Prepare(db, "SELECT DEFINITION FROM main.TARVEX_TEMPORARY");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW)
        sqlite3_exec(db, Text(list.get(), 0).c_str(), nullptr, nullptr, nullptr);
    deleteOnCommit = DeleteOnCommit(db);
}

std::vector<std::string> CCatalogTables::DeleteOnCommit(sqlite3* db) {
    std::vector<std::string> names;
    Statement list = sqliteapi::Prepare(
        db, "SELECT TABLE_NAME FROM main.TARVEX_TEMPORARY WHERE DURATION = 'SYS$TRANSACTION'");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) names.push_back("\"" + Text(list.get(), 0) + "\"");
    return names;
}

namespace {

// Files before kExactNames: their sequences were found in any case, and the
// columns of a table named in quotes were recorded under upper-case names.
bool ConvertExactNames(sqlite3* db, CEngineError& error) {
    if (!Exec(
            db,
            "UPDATE OR IGNORE main.TARVEX_SEQUENCES SET NAME = upper(NAME) WHERE NAME <> upper(NAME); "
            "UPDATE OR IGNORE main.TARVEX_SEQUENCE_OPTIONS SET NAME = upper(NAME) WHERE NAME <> upper(NAME)",
            error))
        return false;
    for (const std::string& table : CNameList::UserTables(db)) {
        if (table == cp932::ToUpperAscii(table)) continue;
        Statement rekey =
            sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_COLUMNS WHERE TABLE_NAME = upper(?1)");
        if (rekey) sqlite3_bind_text(rekey.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (!rekey || sqlite3_step(rekey.get()) != SQLITE_DONE ||
            !CColumnCatalog::Record(db, table, {}, error))
            return false;
    }
    return true;
}

}  // namespace

int CCatalogTables::Version(sqlite3* db) { return UserVersion(db); }

bool CCatalogTables::Install(sqlite3* db, CEngineError& error) {
    if (UserVersion(db) >= kVersion || sqlite3_db_readonly(db, "main") == 1) return true;
    // Note: inside the caller's transaction the work is the caller's to commit.
    const bool own = sqlite3_get_autocommit(db) != 0;
    if (own && !Exec(db, "BEGIN IMMEDIATE", error)) return false;
    // Note: another connection may have done it while this one waited.
    bool ok = true;
    if (int version = UserVersion(db); version < kVersion) {
        for (const char* sql : kTables) ok = ok && Exec(db, sql, error);
        for (auto tables : kWarehouseTables)
            for (const char* sql : tables) ok = ok && Exec(db, sql, error);
        ok = ok && CConstraintCatalog::Extend(db, error) && ConvertIdentityMarks(db, error) &&
             ConvertKeyMarks(db, error) &&
             (version >= kColumnsRecorded ||
              (CConstraintCatalog::Convert(db, error) && CColumnCatalog::Convert(db, error))) &&
             CConstraintCatalog::Upgrade(db, error) &&
             (version >= kExactNames || ConvertExactNames(db, error)) &&
             (version >= kSpelledNames || CNameUpgrade::Run(db, error)) &&
             Exec(db, "PRAGMA user_version = " + std::to_string(kVersion), error);
    }
    if (ok && (!own || Exec(db, "COMMIT", error))) return true;
    if (own) sqliteapi::Undo(db, "ROLLBACK");
    return false;
}

bool CCatalogTables::SetIdentity(sqlite3* db, const Identity& identity, CEngineError& error) {
    std::string sequence = encoding::Cp932ToUtf8(CSqliteCatalog::IdentitySequence(
        encoding::Utf8ToCp932(identity.table), encoding::Utf8ToCp932(identity.column)));
    bool onNull = identity.generation == "ON NULL";
    Statement set =
        sqliteapi::Prepare(db, "INSERT OR REPLACE INTO TARVEX_IDENTITIES VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (!set) return Exec(db, "SELECT 1 FROM TARVEX_IDENTITIES", error);
    std::string options = identity.options;
    sqlite3_bind_text(set.get(), 1, identity.table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 2, identity.column.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 3, onNull ? "BY DEFAULT" : identity.generation.c_str(), -1,
                      SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 4, onNull ? "YES" : "NO", -1, SQLITE_STATIC);
    sqlite3_bind_text(set.get(), 5, sequence.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 6, options.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(set.get()) != SQLITE_DONE) {
        error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
        return false;
    }
    set.reset();
    // The sequence starts where the options say; LIMIT VALUE: past the
    // column's highest (lowest, when counting down) value.
    std::string quotedTable = "\"" + identity.table + "\"";
    std::string quotedColumn = "\"" + identity.column + "\"";
    std::string start = std::to_string(identity.start);
    if (identity.startAtLimit)
        start = identity.increment > 0
                    ? "coalesce(max(" + quotedColumn + "), 0) + " + std::to_string(identity.increment)
                    : "coalesce(min(" + quotedColumn + "), 0) + " + std::to_string(identity.increment);
    return Exec(db,
                "INSERT INTO TARVEX_SEQUENCES SELECT '" + sequence + "', " + start + ", " +
                    std::to_string(identity.increment) +
                    (identity.startAtLimit ? " FROM " + quotedTable : "") +
                    " WHERE true ON CONFLICT (NAME) DO UPDATE SET STEP = excluded.STEP" +
                    (identity.startGiven ? ", NEXT_VALUE = excluded.NEXT_VALUE" : ""),
                error);
}

std::string CCatalogTables::IdentityOf(sqlite3* db, std::string_view table, std::string_view column) {
    Statement look =
        sqliteapi::Prepare(db,
                           "SELECT CASE WHEN DEFAULT_ON_NULL = 'YES' THEN 'ON NULL' ELSE "
                           "GENERATION_TYPE END FROM TARVEX_IDENTITIES WHERE TABLE_NAME = ?1 AND "
                           "COLUMN_NAME = ?2");
    if (!look) return {};
    sqlite3_bind_text(look.get(), 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(look.get(), 2, column.data(), static_cast<int>(column.size()), SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW ? Text(look.get(), 0) : std::string();
}

namespace {

// Runs `sql` with ?1, ?2 and ?3 bound to `a`, `b` and `c`.
bool Run(sqlite3* db, const char* sql, const std::string& a, const std::string& b, const std::string& c,
         CEngineError& error) {
    Statement statement = sqliteapi::Prepare(db, sql);
    if (!statement) return Exec(db, sql, error);
    sqlite3_bind_text(statement.get(), 1, a.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement.get(), 2, b.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement.get(), 3, c.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

}  // namespace

bool CCatalogTables::RenameTable(sqlite3* db, const std::string& table, const std::string& to,
                                 CEngineError& error) {
    if (UserVersion(db) < kVersion) return true;
    // Note: an identity sequence is named after its table and column.
    constexpr const char* kStatements[] = {
        ("UPDATE TARVEX_SEQUENCES SET NAME = 'ISEQ$$_' || ?2 || '_' || (SELECT COLUMN_NAME FROM "
         "TARVEX_IDENTITIES i WHERE i.SEQUENCE_NAME = NAME) WHERE NAME IN (SELECT SEQUENCE_NAME FROM "
         "TARVEX_IDENTITIES WHERE TABLE_NAME = ?1) AND ?3 IS NOT NULL"),
        ("UPDATE TARVEX_IDENTITIES SET TABLE_NAME = ?2, SEQUENCE_NAME = 'ISEQ$$_' || ?2 || '_' || "
         "COLUMN_NAME "
         "WHERE TABLE_NAME = ?1 AND ?3 IS NOT NULL"),
        "UPDATE TARVEX_COMMENTS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 IS NOT NULL",
        "UPDATE TARVEX_COLUMNS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 IS NOT NULL",
        "UPDATE TARVEX_TABLE_OPTIONS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 IS NOT NULL",
        "UPDATE TARVEX_COLUMN_OPTIONS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 IS NOT NULL",
        "UPDATE TARVEX_CONSTRAINTS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1 AND ?3 IS NOT NULL",
        "UPDATE TARVEX_CONSTRAINTS SET R_TABLE = ?2 WHERE R_TABLE = ?1 AND ?3 IS NOT NULL",
    };
    for (const char* sql : kStatements)
        if (!Run(db, sql, table, to, "", error)) return false;
    return CTableStatistics::RenameTable(db, table, to, error) &&
           CPartitionCatalog::Rename(db, table, to, error);
}

namespace {

// `condition` (CP932) with each name of the column `column` written as `to`
// (both UTF-8, as the dictionary shows them); literals stay as they are.
std::string RenamedIn(const std::string& condition, const std::string& column, const std::string& to) {
    std::string from = encoding::Utf8ToCp932(column);
    std::string name = encoding::Utf8ToCp932(to);
    bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
    for (char c : name)
        plain =
            plain && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#');
    std::string out;
    std::size_t done = 0;
    for (const auto& token : CSqlScanner::Significant(condition)) {
        std::string_view text = std::string_view(condition).substr(token.begin, token.length);
        bool named = (token.kind == CSqlScanner::Kind::Word && cp932::ToUpperAscii(text) == from) ||
                     (token.kind == CSqlScanner::Kind::QuotedName && text.substr(1, text.size() - 2) == from);
        if (!named) continue;
        out += condition.substr(done, token.begin - done);
        out += token.kind == CSqlScanner::Kind::Word && plain ? name : "\"" + name + "\"";
        done = token.begin + token.length;
    }
    return out + condition.substr(done);
}

// The CHECK conditions of `table` as written follow the column's new name.
bool RenameInChecks(sqlite3* db, const std::string& table, const std::string& column, const std::string& to,
                    CEngineError& error) {
    std::vector<CSqliteDictionary::Constraint> constraints;
    CConstraintCatalog::Read(db, table, constraints);
    Statement set = sqliteapi::Prepare(
        db, "UPDATE main.TARVEX_CONSTRAINTS SET SEARCH_CONDITION = ?2 WHERE CONSTRAINT_NAME = ?1");
    if (!set) return Exec(db, "SELECT 1 FROM main.TARVEX_CONSTRAINTS", error);
    for (const auto& c : constraints) {
        if (c.type != 'C' || c.condition.empty()) continue;
        std::string renamed =
            encoding::Cp932ToUtf8(RenamedIn(encoding::Utf8ToCp932(c.condition), column, to));
        if (renamed == c.condition) continue;
        sqlite3_bind_text(set.get(), 1, c.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(set.get(), 2, renamed.c_str(), -1, SQLITE_TRANSIENT);
        bool ok = sqlite3_step(set.get()) == SQLITE_DONE;
        sqlite3_reset(set.get());
        if (!ok) return Exec(db, "SELECT 1 FROM main.TARVEX_CONSTRAINTS", error);
    }
    return true;
}

}  // namespace

bool CCatalogTables::RenameColumn(sqlite3* db, const std::string& table, const std::string& column,
                                  const std::string& to, CEngineError& error) {
    if (UserVersion(db) < kVersion) return true;
    constexpr const char* kStatements[] = {
        "UPDATE TARVEX_SEQUENCES SET NAME = 'ISEQ$$_' || ?1 || '_' || ?3 WHERE NAME IN (SELECT SEQUENCE_NAME "
        "FROM TARVEX_IDENTITIES WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2)",
        "UPDATE TARVEX_IDENTITIES SET COLUMN_NAME = ?3, SEQUENCE_NAME = 'ISEQ$$_' || ?1 || '_' || ?3 WHERE "
        "TABLE_NAME = ?1 AND COLUMN_NAME = ?2",
        "UPDATE TARVEX_COMMENTS SET COLUMN_NAME = ?3 WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2",
        "UPDATE TARVEX_COLUMNS SET COLUMN_NAME = ?3 WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2",
        "UPDATE TARVEX_COLUMN_OPTIONS SET COLUMN_NAME = ?3 WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2",
        // The column lists of constraints are joined by commas; a NOT NULL names its column.
        "UPDATE TARVEX_CONSTRAINTS SET COLUMNS = trim(replace(',' || COLUMNS || ',', ',' || ?2 || ',', ',' "
        "|| "
        "?3 || ','), ','), SEARCH_CONDITION = CASE WHEN SEARCH_CONDITION = '\"' || ?2 || '\" IS NOT NULL' "
        "THEN "
        "'\"' || ?3 || '\" IS NOT NULL' ELSE SEARCH_CONDITION END WHERE TABLE_NAME = ?1",
        "UPDATE TARVEX_CONSTRAINTS SET R_COLUMNS = trim(replace(',' || R_COLUMNS || ',', ',' || ?2 || ',', "
        "',' "
        "|| ?3 || ','), ',') WHERE R_TABLE = ?1",
        "UPDATE TARVEX_CONSTRAINTS SET NOT_NULL_ADDED = trim(replace(',' || NOT_NULL_ADDED || ',', ',' || ?2 "
        "|| ',', ',' || ?3 || ','), ',') WHERE TABLE_NAME = ?1",
        // A partitioning key names its columns the same way.
        "UPDATE TARVEX_PART_TABLES SET KEY_COLUMNS = trim(replace(',' || KEY_COLUMNS || ',', ',' || ?2 || "
        "',', "
        "',' || ?3 || ','), ',') WHERE TABLE_NAME = ?1",
    };
    for (const char* sql : kStatements)
        if (!Run(db, sql, table, column, to, error)) return false;
    return RenameInChecks(db, table, column, to, error) &&
           CTableStatistics::RenameColumn(db, table, column, to, error);
}

bool CCatalogTables::Prune(sqlite3* db, const std::string& table, CEngineError& error) {
    if (UserVersion(db) < kVersion) return true;
    constexpr const char* kStatements[] = {
        "DELETE FROM TARVEX_SEQUENCES WHERE NAME IN (SELECT SEQUENCE_NAME FROM TARVEX_IDENTITIES WHERE "
        "TABLE_NAME = ?1 AND COLUMN_NAME NOT IN (SELECT name FROM pragma_table_info(?1))) AND ?2 = ?3",
        "DELETE FROM TARVEX_IDENTITIES WHERE TABLE_NAME = ?1 AND COLUMN_NAME NOT IN (SELECT name FROM "
        "pragma_table_info(?1)) AND ?2 = ?3",
        "DELETE FROM TARVEX_COMMENTS WHERE TABLE_NAME = ?1 AND COLUMN_NAME <> '' AND COLUMN_NAME NOT IN "
        "(SELECT name FROM pragma_table_info(?1)) AND ?2 = ?3",
        "DELETE FROM TARVEX_COLUMN_OPTIONS WHERE TABLE_NAME = ?1 AND COLUMN_NAME NOT IN (SELECT name "
        "FROM pragma_table_xinfo(?1)) AND ?2 = ?3",
    };
    for (const char* sql : kStatements)
        if (!Run(db, sql, table, "", "", error)) return false;
    return CConstraintCatalog::Prune(db, table, error);
}

bool CCatalogTables::Forget(sqlite3* db, const std::string& table, CEngineError& error) {
    if (UserVersion(db) < kVersion) return true;
    std::string name = "'";
    for (char c : table) name += c == '\'' ? std::string("''") : std::string(1, c);
    name += "'";
    return Exec(db,
                "DELETE FROM TARVEX_SEQUENCES WHERE NAME IN (SELECT SEQUENCE_NAME FROM TARVEX_IDENTITIES "
                "WHERE "
                "TABLE_NAME = " +
                    name + "); DELETE FROM TARVEX_IDENTITIES WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_COMMENTS WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_VIEWS WHERE VIEW_NAME = " + name +
                    "; DELETE FROM TARVEX_TEMPORARY WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_TABLE_STATS WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_COLUMNS WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_TABLE_OPTIONS WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_COLUMN_OPTIONS WHERE TABLE_NAME = " + name +
                    "; DELETE FROM TARVEX_CONSTRAINTS WHERE TABLE_NAME = " + name,
                error) &&
           CTableStatistics::Delete(db, table, error) && CPartitionCatalog::Forget(db, table, error) &&
           CNestedTables::Forget(db, table, error) &&
           Exec(db, "DELETE FROM TARVEX_MVIEW_LOGS WHERE MASTER = " + name, error);
}

bool CCatalogTables::AddCheck(sqlite3* db, const std::string& table, std::string& name,
                              const std::string& condition, CEngineError& error) {
    CSqliteDictionary::Constraint c;
    c.generated = name.empty();
    c.name = c.generated ? CConstraintCatalog::NewName(db) : name;
    c.table = table;
    c.condition = encoding::Cp932ToUtf8(condition);
    name = c.name;
    return CConstraintCatalog::Write(db, c, error);
}

bool CCatalogTables::CheckCondition(sqlite3* db, const std::string& name, std::string& condition) {
    CSqliteDictionary::Constraint c;
    if (!CConstraintCatalog::Find(db, name, c) || c.type != 'C') return false;
    condition = encoding::Utf8ToCp932(c.condition);
    return true;
}

bool CCatalogTables::DropCheck(sqlite3* db, const std::string& name, CEngineError& error) {
    return CConstraintCatalog::Remove(db, name, error);
}
