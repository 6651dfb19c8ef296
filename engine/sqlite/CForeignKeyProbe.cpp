#include "engine/sqlite/CForeignKeyProbe.h"

#include <sqlite3.h>

#include <optional>
#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::Statement;

// The most rows without a parent looked at: the first the statement made
// is among them unless that many were already there.
constexpr int kMostViolations = 200;

struct Violation {
    std::string table;  // the child table (SQLite's name)
    std::optional<sqlite3_int64> rowid;
    int key = 0;                       // its index in PRAGMA foreign_key_list
    std::string parent;                // the parent table
    std::vector<std::string> columns;  // the child's key columns
    std::string after;                 // their values after the statement
};

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// PL/SQL called from the statement (a stored function, a package's, one of
// a WITH clause) would run again the same way: such a statement is not run twice.
bool CallsPlsql(sqlite3* db, const std::string& text) {
    for (const char* call : {"TARVEX_CALL(", "TARVEX_WITH_CALL("})
        if (text.find(call) != std::string::npos) return true;
    Statement functions =
        sqliteapi::Prepare(db, "SELECT NAME FROM main.TARVEX_UNITS WHERE TYPE = 'FUNCTION'");
    while (functions && sqlite3_step(functions.get()) == SQLITE_ROW)
        if (text.find("\"" + cp932::ToUpperAscii(Text(functions.get(), 0)) + "\"(") != std::string::npos)
            return true;
    return false;
}

// Row triggers run PL/SQL, whose effects (output, package state) no
// savepoint undoes: a statement that may fire them is not run again.
bool MayRunPlsql(sqlite3* db, sqlite3_stmt* statement) {
    Statement list =
        sqliteapi::Prepare(db,
                           "SELECT DISTINCT tbl_name FROM main.sqlite_schema WHERE type = 'trigger' "
                           "AND sql LIKE '%TARVEX_ROW(%'");
    if (!list) return true;
    std::string text = sqlite3_sql(statement) != nullptr ? sqlite3_sql(statement) : "";
    text = cp932::ToUpperAscii(text);
    if (CallsPlsql(db, text)) return true;
    while (sqlite3_step(list.get()) == SQLITE_ROW) {
        std::string table = Text(list.get(), 0);
        if (text.find(cp932::ToUpperAscii(table)) != std::string::npos) return true;
        // Note: a cascade from a parent may reach a table with a key.
        Statement keys = sqliteapi::Prepare(db, "SELECT 1 FROM pragma_foreign_key_list(?1)");
        if (!keys) return true;
        sqlite3_bind_text(keys.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(keys.get()) == SQLITE_ROW) return true;
    }
    return false;
}

// The values of the key columns of the row (quoted, comma separated);
// nothing when the row is not there.
std::optional<std::string> KeyValues(sqlite3* db, const Violation& violation) {
    std::string values;
    for (const std::string& column : violation.columns)
        values += (values.empty() ? "quote(" : " || ',' || quote(") + Quoted(column) + ")";
    if (values.empty() || !violation.rowid) return std::nullopt;
    Statement read =
        sqliteapi::Prepare(db, "SELECT " + values + " FROM " + Quoted(violation.table) + " WHERE rowid = ?1");
    if (!read) return std::nullopt;
    sqlite3_bind_int64(read.get(), 1, *violation.rowid);
    if (sqlite3_step(read.get()) != SQLITE_ROW) return std::nullopt;
    return Text(read.get(), 0);
}

void ReadColumns(sqlite3* db, Violation& violation) {
    Statement list =
        sqliteapi::Prepare(db, "SELECT \"from\" FROM pragma_foreign_key_list(?1) WHERE id = ?2 ORDER BY seq");
    if (!list) return;
    sqlite3_bind_text(list.get(), 1, violation.table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(list.get(), 2, violation.key);
    while (sqlite3_step(list.get()) == SQLITE_ROW) violation.columns.push_back(Text(list.get(), 0));
}

std::vector<Violation> Violations(sqlite3* db) {
    std::vector<Violation> found;
    Statement check =
        sqliteapi::Prepare(db, "SELECT \"table\", rowid, parent, fkid FROM pragma_foreign_key_check");
    if (!check) return found;
    while (found.size() < kMostViolations && sqlite3_step(check.get()) == SQLITE_ROW) {
        Violation violation;
        violation.table = Text(check.get(), 0);
        if (sqlite3_column_type(check.get(), 1) != SQLITE_NULL)
            violation.rowid = sqlite3_column_int64(check.get(), 1);
        violation.parent = Text(check.get(), 2);
        violation.key = sqlite3_column_int(check.get(), 3);
        found.push_back(std::move(violation));
    }
    check.reset();
    for (Violation& violation : found) {
        ReadColumns(db, violation);
        violation.after = KeyValues(db, violation).value_or("");
    }
    return found;
}

// Whether the row was already without a parent (before the statement).
bool AlreadyBroken(sqlite3* db, const Violation& violation) {
    Statement check =
        sqliteapi::Prepare(db, "SELECT 1 FROM pragma_foreign_key_check(?1) WHERE rowid = ?2 AND fkid = ?3");
    if (!check) return false;
    sqlite3_bind_text(check.get(), 1, violation.table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(check.get(), 2, *violation.rowid);
    sqlite3_bind_int(check.get(), 3, violation.key);
    return sqlite3_step(check.get()) == SQLITE_ROW;
}

// The dictionary's name of the key: the child's table, columns and parent.
std::string NameOf(sqlite3* db, const Violation& violation) {
    auto same = [](const std::string& a, const std::string& b) {
        return sqlite3_stricmp(a.c_str(), b.c_str()) == 0;
    };
    for (const auto& constraint : CSqliteDictionary::All(db)) {
        if (constraint.type != 'R' || !same(constraint.table, violation.table) ||
            !same(constraint.referencedTable, violation.parent) ||
            constraint.columns.size() != violation.columns.size())
            continue;
        bool match = true;
        for (std::size_t k = 0; k < violation.columns.size(); ++k)
            match = match && same(constraint.columns[k], violation.columns[k]);
        if (match) return constraint.name;
    }
    return "";
}

}  // namespace

CForeignKeyProbe::Broken CForeignKeyProbe::Find(sqlite3* db, sqlite3_stmt* statement) {
    if (statement == nullptr || MayRunPlsql(db, statement)) return {};
    // Note: the transaction's own setting (SET CONSTRAINTS) is given back afterwards.
    Statement setting = sqliteapi::Prepare(db, "PRAGMA defer_foreign_keys");
    const bool deferred =
        setting && sqlite3_step(setting.get()) == SQLITE_ROW && sqlite3_column_int(setting.get(), 0) != 0;
    setting.reset();
    if (!Exec(db, "SAVEPOINT TARVEX_KEY_PROBE")) return {};
    std::vector<Violation> found;
    if (Exec(db, "PRAGMA defer_foreign_keys = ON")) {
        sqlite3_reset(statement);
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        sqlite3_reset(statement);
        if (rc == SQLITE_DONE) found = Violations(db);
    }
    // Note: should the savepoint not be undone, the transaction is, rather than keep the second run.
    bool undone = sqliteapi::Undo(db, "ROLLBACK TO TARVEX_KEY_PROBE") && Exec(db, "RELEASE TARVEX_KEY_PROBE");
    Exec(db, deferred ? "PRAGMA defer_foreign_keys = ON" : "PRAGMA defer_foreign_keys = OFF");
    if (!undone) return {};
    for (const Violation& violation : found) {
        std::string name = NameOf(db, violation);
        if (!violation.rowid) return {0, name};
        std::optional<std::string> before = KeyValues(db, violation);
        if (!before || *before != violation.after) return {2291, name};
        if (!AlreadyBroken(db, violation)) return {2292, name};
    }
    return {};
}

std::string CForeignKeyProbe::FirstBroken(sqlite3* db) {
    const std::vector<Violation> found = Violations(db);
    return found.empty() ? std::string() : NameOf(db, found.front());
}

void CForeignKeyProbe::Name(sqlite3* db, sqlite3_stmt* statement, CEngineError& error) {
    if (sqlite3_extended_errcode(db) != SQLITE_CONSTRAINT_FOREIGNKEY) return;
    const Broken broken = Find(db, statement);
    if (broken.code == 0 || broken.name.empty()) return;
    // Note: the server reports no token for a violation found while the statement runs.
    COraError::Set(error, broken.code, {encoding::Utf8ToCp932(broken.name)}, 0);
}
