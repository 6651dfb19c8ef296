#include "engine/sqlite/CNameUpgrade.h"

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteName.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::Statement;

// Columns of the catalog's tables that hold names (or lists of them) beside
// those whose name ends in NAME.
constexpr std::string_view kNameColumns[] = {
    "COLUMNS", "R_COLUMNS", "R_TABLE", "MASTER", "LOG_TABLE", "KEY_COLUMNS", "PARENT_TABLE_COLUMN"};

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

// The spelling of a UTF-8 name, UTF-8.
std::string SpellingOf(const std::string& utf8) {
    return encoding::Cp932ToUtf8(CSqliteName::Spelling(encoding::Utf8ToCp932(utf8)));
}

bool IsPlain(const std::string& utf8) { return SpellingOf(utf8) == utf8; }

std::string Quoted(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

struct Object {
    std::string type;
    std::string name;
    std::string sql;
};

std::vector<Object> Objects(sqlite3* db, const char* where) {
    std::vector<Object> objects;
    Statement list = sqliteapi::Prepare(
        db,
        std::string("SELECT type, name, sql FROM main.sqlite_schema WHERE sql IS NOT NULL AND name NOT LIKE "
                    "'sqlite%' AND upper(tbl_name) NOT LIKE 'TARVEX%' AND ") +
            where + " ORDER BY rowid");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW)
        objects.push_back({Text(list.get(), 0), Text(list.get(), 1), Text(list.get(), 2)});
    return objects;
}

std::vector<std::string> Column0(sqlite3* db, const std::string& sql) {
    std::vector<std::string> out;
    Statement list = sqliteapi::Prepare(db, sql);
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) out.push_back(Text(list.get(), 0));
    return out;
}

bool RenameTables(sqlite3* db, CEngineError& error) {
    for (const Object& table : Objects(db, "type = 'table'")) {
        for (const std::string& column :
             Column0(db, "SELECT name FROM pragma_table_xinfo(" + Quoted(table.name) + ")"))
            if (!IsPlain(column) && !Exec(db,
                                          "ALTER TABLE " + Quoted(table.name) + " RENAME COLUMN " +
                                              Quoted(column) + " TO " + Quoted(SpellingOf(column)),
                                          error))
                return false;
        if (!IsPlain(table.name) &&
            !Exec(db, "ALTER TABLE " + Quoted(table.name) + " RENAME TO " + Quoted(SpellingOf(table.name)),
                  error))
            return false;
    }
    return true;
}

// An index or view is made anew under its spelling: its definition with the
// quoted name that names it replaced.
bool RemakeObjects(sqlite3* db, CEngineError& error) {
    for (const Object& object : Objects(db, "type IN ('index', 'view')")) {
        if (IsPlain(object.name)) continue;
        std::string sql = object.sql;
        for (const CSqlScanner::Token& token : CSqlScanner::Significant(sql)) {
            if (token.kind != CSqlScanner::Kind::QuotedName || token.length < 2) continue;
            std::string inner = sql.substr(token.begin + 1, token.length - 2);
            if (inner != object.name) continue;
            sql.replace(token.begin, token.length, Quoted(SpellingOf(object.name)));
            break;
        }
        const char* kind = object.type == "index" ? "DROP INDEX " : "DROP VIEW ";
        if (!Exec(db, kind + Quoted(object.name), error) || !Exec(db, sql, error)) return false;
    }
    return true;
}

bool IsNameColumn(const std::string& column) {
    if (column.size() >= 4 && column.compare(column.size() - 4, 4, "NAME") == 0) return true;
    for (std::string_view name : kNameColumns)
        if (column == name) return true;
    return false;
}

bool SpellCatalogRows(sqlite3* db, CEngineError& error) {
    for (const std::string& table :
         Column0(db, "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name LIKE 'TARVEX%'")) {
        for (const std::string& column : Column0(db, "SELECT name FROM pragma_table_info('" + table + "')")) {
            if (!IsNameColumn(column)) continue;
            for (const std::string& value : Column0(db, "SELECT DISTINCT " + column + " FROM main." + table +
                                                            " WHERE " + column + " GLOB '*[a-z]*'")) {
                Statement set = sqliteapi::Prepare(db, "UPDATE OR IGNORE main." + table + " SET " + column +
                                                           " = ?1 WHERE " + column + " = ?2");
                const std::string spelled = SpellingOf(value);
                if (set) {
                    sqlite3_bind_text(set.get(), 1, spelled.c_str(), -1, SQLITE_TRANSIENT);
                    sqlite3_bind_text(set.get(), 2, value.c_str(), -1, SQLITE_TRANSIENT);
                }
                if (!set || sqlite3_step(set.get()) != SQLITE_DONE) {
                    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace

bool CNameUpgrade::Run(sqlite3* db, CEngineError& error) {
    return RenameTables(db, error) && RemakeObjects(db, error) && SpellCatalogRows(db, error);
}
