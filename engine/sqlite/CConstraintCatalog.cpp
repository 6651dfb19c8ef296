#include "engine/sqlite/CConstraintCatalog.h"

#include <sqlite3.h>

#include <cstdio>

#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Constraint = CSqliteDictionary::Constraint;
using sqliteapi::Statement;

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

bool Same(const Constraint& a, const Constraint& b) {
    return a.type == b.type && a.columns == b.columns && a.condition == b.condition &&
           a.referencedTable == b.referencedTable && a.referencedColumns == b.referencedColumns &&
           a.deleteRule == b.deleteRule;
}

// The table's definition as SQLite keeps it, its place and its name (upper case).
struct Definition {
    long long number = 0;
    std::string name;
    std::string sql;
};

bool Find(sqlite3* db, const std::string& table, Definition& definition) {
    Statement look = sqliteapi::Prepare(db,
                                        "SELECT rowid, upper(name), sql FROM main.sqlite_schema WHERE type = "
                                        "'table' AND sql IS NOT NULL AND upper(name) = upper(?1)");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return false;
    definition = {sqlite3_column_int64(look.get(), 0), Text(look.get(), 1), Text(look.get(), 2)};
    return true;
}

bool Taken(sqlite3* db, const std::string& name, const std::string& table) {
    Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_NAME = ?1 AND TABLE_NAME <> ?2");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(look.get(), 2, table.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW;
}

// A name of the server's form that no constraint of another table bears.
std::string FreeName(sqlite3* db, const std::string& table, const std::vector<Constraint>& mine) {
    for (long long number = 7000001;; ++number) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "SYS_C%07lld", number);
        bool used = Taken(db, buffer, table);
        for (const auto& c : mine) used = used || c.name == buffer;
        if (!used) return buffer;
    }
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    if (text.empty())
        sqlite3_bind_null(statement, index);
    else
        sqlite3_bind_text(statement, index, text.c_str(), -1, SQLITE_TRANSIENT);
}

}  // namespace

bool CConstraintCatalog::Read(sqlite3* db, const std::string& table, std::vector<Constraint>& out) {
    Statement rows =
        sqliteapi::Prepare(db,
                           "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, COLUMNS, SEARCH_CONDITION, R_TABLE, "
                           "R_COLUMNS, DELETE_RULE, "
                           "GENERATED FROM main.TARVEX_CONSTRAINTS WHERE TABLE_NAME = ?1 ORDER BY POSITION");
    if (!rows) return false;
    sqlite3_bind_text(rows.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    bool found = false;
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        found = true;
        Constraint c;
        c.name = Text(rows.get(), 0);
        c.type = Text(rows.get(), 1).front();
        c.table = table;
        c.columns = CNameList::Split(Text(rows.get(), 2));
        c.condition = Text(rows.get(), 3);
        c.referencedTable = Text(rows.get(), 4);
        c.referencedColumns = CNameList::Split(Text(rows.get(), 5));
        if (c.type == 'R') c.deleteRule = Text(rows.get(), 6);
        c.generated = Text(rows.get(), 7) == "GENERATED NAME";
        out.push_back(std::move(c));
    }
    return found;
}

bool CConstraintCatalog::Record(sqlite3* db, const std::string& table, CEngineError& error) {
    Definition definition;
    if (!Find(db, table, definition)) return true;
    std::vector<Constraint> now = CSqliteDictionary::Parse(definition.sql, definition.number);
    std::vector<Constraint> before;
    Read(db, definition.name, before);
    // Note: a name the system gave goes to the constraint that is the same
    // as before; one new to the catalog takes a name no other bears.
    std::vector<bool> used(before.size(), false);
    for (Constraint& c : now) {
        // Note: tables go by upper-case names, as the dictionary shows them
        // (a renamed parent is written as the rename gave its name).
        c.referencedTable = cp932::ToUpperAscii(c.referencedTable);
        // A name is one constraint's in the whole schema.
        if (!c.generated && Taken(db, c.name, definition.name)) {
            COraError::Set(error, 2264, {encoding::Utf8ToCp932(c.name)}, 0);
            return false;
        }
        if (!c.generated) continue;
        bool kept = false;
        for (std::size_t k = 0; k < before.size() && !kept; ++k)
            if (!used[k] && before[k].generated && Same(before[k], c)) {
                c.name = before[k].name;
                used[k] = kept = true;
            }
        if (!kept && Taken(db, c.name, definition.name)) c.name = FreeName(db, definition.name, now);
    }
    Statement clear = sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_CONSTRAINTS WHERE TABLE_NAME = ?1");
    Statement add = sqliteapi::Prepare(
        db,
        "INSERT OR REPLACE INTO main.TARVEX_CONSTRAINTS VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    if (!clear || !add) return Failed(db, error);
    sqlite3_bind_text(clear.get(), 1, definition.name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(clear.get()) != SQLITE_DONE) return Failed(db, error);
    for (std::size_t k = 0; k < now.size(); ++k) {
        const Constraint& c = now[k];
        sqlite3_bind_text(add.get(), 1, c.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 2, definition.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(add.get(), 3, static_cast<sqlite3_int64>(k + 1));
        sqlite3_bind_text(add.get(), 4, std::string(1, c.type).c_str(), 1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 5, CNameList::Join(c.columns).c_str(), -1, SQLITE_TRANSIENT);
        BindText(add.get(), 6, c.condition);
        BindText(add.get(), 7, c.referencedTable);
        BindText(add.get(), 8, CNameList::Join(c.referencedColumns));
        BindText(add.get(), 9, c.type == 'R' ? c.deleteRule : std::string());
        sqlite3_bind_text(add.get(), 10, c.generated ? "GENERATED NAME" : "USER NAME", -1, SQLITE_STATIC);
        bool ok = sqlite3_step(add.get()) == SQLITE_DONE;
        sqlite3_reset(add.get());
        if (!ok) return Failed(db, error);
    }
    return true;
}

bool CConstraintCatalog::Convert(sqlite3* db, CEngineError& error) {
    for (const std::string& table : CNameList::UserTables(db))
        if (!Record(db, table, error)) return false;
    return true;
}
