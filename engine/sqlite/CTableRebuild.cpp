#include "engine/sqlite/CTableRebuild.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kNewName = "TARVEX_REBUILD";

using sqliteapi::Statement;

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

struct Column {
    std::string name;  // as stored
    std::string upper;
    std::string type;
    bool primaryKey = false;
};

std::vector<Column> Columns(sqlite3* db, const std::string& table) {
    std::vector<Column> columns;
    Statement info = sqliteapi::Prepare(
        db, "SELECT name, upper(name), upper(type), pk FROM pragma_table_info(" + Literal(table) + ")");
    while (info && sqlite3_step(info.get()) == SQLITE_ROW)
        columns.push_back(Column{Text(info.get(), 0), Text(info.get(), 1), Text(info.get(), 2),
                                 sqlite3_column_int(info.get(), 3) > 0});
    return columns;
}

// Note: a lone INTEGER PRIMARY KEY is the rowid itself and is copied as a column.
bool KeepsRowid(const std::vector<Column>& columns) {
    int keys = 0;
    bool integer = false;
    for (const Column& column : columns)
        if (column.primaryKey) {
            ++keys;
            integer = column.type == "INTEGER";
        }
    return !(keys == 1 && integer);
}

// The definition with the name before its column list replaced by `name`;
// `written` is that name as the definition writes it, quoted.
bool Renamed(const std::string& definition, const std::string& name, std::string& out, std::string& written) {
    auto tokens = CSqlScanner::Significant(definition);
    for (std::size_t k = 1; k < tokens.size(); ++k)
        if (CSqlScanner::IsSymbol(definition, tokens[k], '(')) {
            std::size_t from = tokens[k - 1].begin;
            written = definition.substr(from, tokens[k - 1].length);
            // Note: an unquoted name is the upper-case one.
            if (written.front() != '"') {
                for (char& c : written)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
                written = Quoted(written);
            }
            // A name given with its schema ("S"."T") goes whole.
            if (k >= 3 && CSqlScanner::IsSymbol(definition, tokens[k - 2], '.')) from = tokens[k - 3].begin;
            out = definition.substr(0, from) + name + " " + definition.substr(tokens[k].begin);
            return true;
        }
    return false;
}

}  // namespace

bool CTableRebuild::Run(sqlite3* db, const std::string& table, const std::string& definition,
                        CEngineError& error, const Fills& fills) {
    std::string stored;
    Statement look = sqliteapi::Prepare(
        db, "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND upper(name) = upper(" +
                Literal(table) + ")");
    if (!look || sqlite3_step(look.get()) != SQLITE_ROW) {
        error.Set(sqliteapi::Cp932Of(("no such table: " + table).c_str()));
        return false;
    }
    stored = Text(look.get(), 0);
    look.reset();
    // What dropping the table takes along and must be made again.
    std::vector<std::string> dependents;
    Statement list =
        sqliteapi::Prepare(db,
                           "SELECT sql FROM main.sqlite_schema WHERE type IN ('index', 'trigger') "
                           "AND sql IS NOT NULL AND tbl_name = " +
                               Literal(stored) + " ORDER BY type = 'trigger', rowid");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) dependents.push_back(Text(list.get(), 0));
    list.reset();
    std::string create;
    std::string written;
    if (!Renamed(definition, kNewName, create, written)) {
        error.Set(sqliteapi::Cp932Of("incomplete CREATE TABLE"));
        return false;
    }
    if (!Exec(db, create, error)) return false;
    std::vector<Column> before = Columns(db, stored);
    std::vector<Column> after = Columns(db, kNewName);
    std::string names;
    std::string values;
    for (const Column& column : after) {
        std::string value;
        for (const Column& old : before)
            if (old.upper == column.upper) value = Quoted(old.name);
        for (const auto& [name, expression] : fills)
            if (name == column.name || name == column.upper) value = expression;
        if (value.empty()) continue;
        names += (names.empty() ? "" : ", ") + Quoted(column.name);
        values += (values.empty() ? "" : ", ") + value;
    }
    bool rowid = KeepsRowid(before) && KeepsRowid(after);
    std::string copy = "INSERT INTO " + std::string(kNewName) + " (" + (rowid ? "rowid" : "") +
                       (rowid && !names.empty() ? ", " : "") + names + ") SELECT " + (rowid ? "rowid" : "") +
                       (rowid && !values.empty() ? ", " : "") + values + " FROM " + Quoted(stored) +
                       " ORDER BY rowid";
    // Note: the rows stay as they were accepted; a CHECK the new definition
    // adds is checked against them before (or not, ENABLE NOVALIDATE).
    sqlite3_exec(db, "PRAGMA ignore_check_constraints = ON", nullptr, nullptr, nullptr);
    bool copied = names.empty() && !rowid ? true : Exec(db, copy, error);
    sqlite3_exec(db, "PRAGMA ignore_check_constraints = OFF", nullptr, nullptr, nullptr);
    if (!copied) return false;
    // Note: the legacy rename leaves views and the foreign keys of other
    // tables as they are: they name the table, which is there again.
    if (!Exec(db, "DROP TABLE " + Quoted(stored), error) ||
        !Exec(db, "PRAGMA legacy_alter_table = ON", error))
        return false;
    bool renamed = Exec(db, "ALTER TABLE " + std::string(kNewName) + " RENAME TO " + written, error);
    sqlite3_exec(db, "PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
    if (!renamed) return false;
    for (const std::string& sql : dependents)
        if (!Exec(db, sql, error)) return false;
    return true;
}

bool CTableRebuild::InTransaction(sqlite3* db, CEngineError& error, const std::function<bool()>& rebuilds) {
    // Note: a rebuilt table is dropped and made again, which foreign keys must not see.
    sqlite3_exec(db, "PRAGMA foreign_keys = OFF", nullptr, nullptr, nullptr);
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK && rebuilds() &&
              sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        if (error.message.empty()) error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
        sqliteapi::Undo(db, "ROLLBACK");
    }
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    return ok;
}
