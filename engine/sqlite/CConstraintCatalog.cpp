#include "engine/sqlite/CConstraintCatalog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

#include "engine/sqlite/CConstraintDefinition.h"
#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Constraint = CSqliteDictionary::Constraint;
using sqliteapi::Statement;

// The columns added to the table of version 5, with what its rows hold.
struct Added {
    const char* name;
    const char* definition;
};
constexpr Added kAdded[] = {
    {"STATUS", "VARCHAR2(8) NOT NULL DEFAULT 'ENABLED'"},
    {"VALIDATED", "VARCHAR2(13) NOT NULL DEFAULT 'VALIDATED'"},
    {"DEFERRABLE", "VARCHAR2(14) NOT NULL DEFAULT 'NOT DEFERRABLE'"},
    {"DEFERRED", "VARCHAR2(9) NOT NULL DEFAULT 'IMMEDIATE'"},
    {"INDEX_NAME", "VARCHAR2(128)"},
    {"OWN_INDEX", "VARCHAR2(1) NOT NULL DEFAULT 'Y'"},
    {"NOT_NULL_ADDED", "TEXT NOT NULL DEFAULT ''"},
    {"ENFORCED_BY", "VARCHAR2(5) NOT NULL DEFAULT 'TABLE'"},
};

constexpr const char* kColumns =
    "CONSTRAINT_NAME, CONSTRAINT_TYPE, COLUMNS, SEARCH_CONDITION, R_TABLE, R_COLUMNS, DELETE_RULE, "
    "GENERATED, STATUS, VALIDATED, INDEX_NAME, OWN_INDEX, NOT_NULL_ADDED, ENFORCED_BY, TABLE_NAME, "
    "\"DEFERRABLE\", \"DEFERRED\"";

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK || Failed(db, error);
}

bool IsNotNull(const Constraint& c) {
    return c.type == 'C' && c.columns.size() == 1 && c.condition == "\"" + c.columns[0] + "\" IS NOT NULL";
}

Constraint FromRow(sqlite3_stmt* row) {
    Constraint c;
    c.name = Text(row, 0);
    std::string type = Text(row, 1);
    c.type = type.empty() ? 'C' : type.front();
    c.columns = CNameList::Split(Text(row, 2));
    c.condition = Text(row, 3);
    c.referencedTable = Text(row, 4);
    c.referencedColumns = CNameList::Split(Text(row, 5));
    if (c.type == 'R') c.deleteRule = Text(row, 6);
    c.generated = Text(row, 7) == "GENERATED NAME";
    c.enabled = Text(row, 8) == "ENABLED";
    c.validated = Text(row, 9) == "VALIDATED";
    c.index = Text(row, 10);
    c.ownIndex = Text(row, 11) != "N";
    c.notNullAdded = CNameList::Split(Text(row, 12));
    c.enforcedBy = Text(row, 13);
    c.table = Text(row, 14);
    c.deferrable = Text(row, 15) == "DEFERRABLE";
    c.deferred = Text(row, 16) == "DEFERRED";
    return c;
}

bool Same(const Constraint& a, const Constraint& b) {
    return a.type == b.type && a.columns == b.columns && a.condition == b.condition &&
           a.referencedTable == b.referencedTable && a.referencedColumns == b.referencedColumns &&
           a.deleteRule == b.deleteRule;
}

// The table's definition as SQLite keeps it, its place and its name (as SQLite spells it).
struct Definition {
    long long number = 0;
    std::string name;
    std::string sql;
};

bool FindTable(sqlite3* db, const std::string& table, Definition& definition) {
    Statement look = sqliteapi::Prepare(db,
                                        "SELECT rowid, name, sql FROM main.sqlite_schema WHERE type = "
                                        "'table' AND sql IS NOT NULL AND name = ?1 COLLATE NOCASE");
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

std::string SystemName(long long number) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "SYS_C%07lld", number);
    return buffer;
}

// The highest number of a name of the server's form in the file.
long long HighestNumber(sqlite3* db) {
    Statement look = sqliteapi::Prepare(
        db,
        "SELECT max(CAST(substr(CONSTRAINT_NAME, 6) AS INTEGER)) FROM (SELECT CONSTRAINT_NAME FROM "
        "main.TARVEX_CONSTRAINTS UNION ALL SELECT CONSTRAINT_NAME FROM main.TARVEX_VIEWS) WHERE "
        "CONSTRAINT_NAME "
        "GLOB 'SYS_C[0-9]*' AND substr(CONSTRAINT_NAME, 6) NOT GLOB '*[^0-9]*'");
    // Note: the numbers start apart from those the dictionary gave the
    // constraints of older files (from the table's place) and the options of
    // their views.
    long long highest = 8000000;
    if (look && sqlite3_step(look.get()) == SQLITE_ROW)
        highest = std::max(highest, static_cast<long long>(sqlite3_column_int64(look.get(), 0)));
    return highest;
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    if (text.empty())
        sqlite3_bind_null(statement, index);
    else
        sqlite3_bind_text(statement, index, text.c_str(), -1, SQLITE_TRANSIENT);
}

bool Insert(sqlite3* db, const Constraint& c, long long position, CEngineError& error) {
    Statement add = sqliteapi::Prepare(
        db,
        "INSERT OR REPLACE INTO main.TARVEX_CONSTRAINTS (CONSTRAINT_NAME, TABLE_NAME, POSITION, "
        "CONSTRAINT_TYPE, COLUMNS, SEARCH_CONDITION, R_TABLE, R_COLUMNS, DELETE_RULE, GENERATED, STATUS, "
        "VALIDATED, INDEX_NAME, OWN_INDEX, NOT_NULL_ADDED, ENFORCED_BY, \"DEFERRABLE\", \"DEFERRED\") "
        "VALUES (?1, ?2, coalesce(?3, (SELECT coalesce(max(POSITION), 0) + 1 FROM main.TARVEX_CONSTRAINTS "
        "WHERE TABLE_NAME = ?2)), ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)");
    if (!add) return Failed(db, error);
    sqlite3_bind_text(add.get(), 1, c.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add.get(), 2, c.table.c_str(), -1, SQLITE_TRANSIENT);
    if (position > 0)
        sqlite3_bind_int64(add.get(), 3, position);
    else
        sqlite3_bind_null(add.get(), 3);
    sqlite3_bind_text(add.get(), 4, std::string(1, c.type).c_str(), 1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add.get(), 5, CNameList::Join(c.columns).c_str(), -1, SQLITE_TRANSIENT);
    BindText(add.get(), 6, c.condition);
    BindText(add.get(), 7, c.referencedTable);
    BindText(add.get(), 8, CNameList::Join(c.referencedColumns));
    BindText(add.get(), 9, c.type == 'R' ? c.deleteRule : std::string());
    sqlite3_bind_text(add.get(), 10, c.generated ? "GENERATED NAME" : "USER NAME", -1, SQLITE_STATIC);
    sqlite3_bind_text(add.get(), 11, c.enabled ? "ENABLED" : "DISABLED", -1, SQLITE_STATIC);
    sqlite3_bind_text(add.get(), 12, c.validated ? "VALIDATED" : "NOT VALIDATED", -1, SQLITE_STATIC);
    BindText(add.get(), 13, c.index);
    sqlite3_bind_text(add.get(), 14, c.ownIndex ? "Y" : "N", -1, SQLITE_STATIC);
    sqlite3_bind_text(add.get(), 15, CNameList::Join(c.notNullAdded).c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add.get(), 16, c.enforcedBy.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add.get(), 17, c.deferrable ? "DEFERRABLE" : "NOT DEFERRABLE", -1, SQLITE_STATIC);
    sqlite3_bind_text(add.get(), 18, c.deferred ? "DEFERRED" : "IMMEDIATE", -1, SQLITE_STATIC);
    return sqlite3_step(add.get()) == SQLITE_DONE || Failed(db, error);
}

bool HasTable(sqlite3* db, const char* table) {
    Statement look =
        sqliteapi::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE type = 'table' AND name = ?1");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, table, -1, SQLITE_STATIC);
    return sqlite3_step(look.get()) == SQLITE_ROW;
}

bool AddColumns(sqlite3* db, CEngineError& error) {
    for (const Added& added : kAdded) {
        Statement look =
            sqliteapi::Prepare(db, "SELECT 1 FROM pragma_table_info('TARVEX_CONSTRAINTS') WHERE name = ?1");
        if (!look) return Failed(db, error);
        sqlite3_bind_text(look.get(), 1, added.name, -1, SQLITE_STATIC);
        if (sqlite3_step(look.get()) == SQLITE_ROW) continue;
        look.reset();
        if (!Exec(db,
                  std::string("ALTER TABLE main.TARVEX_CONSTRAINTS ADD COLUMN \"") + added.name + "\" " +
                      added.definition,
                  error))
            return false;
    }
    return true;
}

// Version 5 kept keys added later in TARVEX_KEYS, with the NOT NULL they
// brought recorded as constraints of their own, and the CHECK conditions as
// written in TARVEX_CHECKS.
constexpr const char* kMoves[] = {
    "INSERT OR REPLACE INTO main.TARVEX_CONSTRAINTS (CONSTRAINT_NAME, TABLE_NAME, POSITION, CONSTRAINT_TYPE, "
    "COLUMNS, GENERATED, STATUS, VALIDATED, INDEX_NAME, OWN_INDEX, NOT_NULL_ADDED, ENFORCED_BY) SELECT "
    "CONSTRAINT_NAME, TABLE_NAME, 1000000 + rowid, CONSTRAINT_TYPE, COLUMNS, CASE WHEN CONSTRAINT_NAME GLOB "
    "'SYS_C[0-9]*' THEN 'GENERATED NAME' ELSE 'USER NAME' END, STATUS, CASE STATUS WHEN 'ENABLED' THEN "
    "'VALIDATED' ELSE 'NOT VALIDATED' END, INDEX_NAME, OWN_INDEX, NOT_NULL_ADDED, 'INDEX' FROM "
    "main.TARVEX_KEYS",
    "DELETE FROM main.TARVEX_CONSTRAINTS AS c WHERE ENFORCED_BY = 'TABLE' AND CONSTRAINT_TYPE = 'C' AND "
    "SEARCH_CONDITION = '\"' || COLUMNS || '\" IS NOT NULL' AND EXISTS (SELECT 1 FROM main.TARVEX_KEYS k "
    "WHERE k.TABLE_NAME = c.TABLE_NAME AND ',' || k.NOT_NULL_ADDED || ',' LIKE '%,' || c.COLUMNS || ',%')",
    ("UPDATE main.TARVEX_CONSTRAINTS AS c SET SEARCH_CONDITION = k.SEARCH_CONDITION, GENERATED = k.GENERATED "
     "FROM main.TARVEX_CHECKS k WHERE k.CONSTRAINT_NAME = c.CONSTRAINT_NAME AND c.CONSTRAINT_TYPE = 'C'"),
};

// Constraints set aside by DISABLE were kept with the clause that made them.
bool MoveDisabled(sqlite3* db, CEngineError& error) {
    Statement list = sqliteapi::Prepare(
        db, "SELECT TABLE_NAME, CONSTRAINT_NAME, DEFINITION FROM main.TARVEX_DISABLED WHERE KIND <> 'I'");
    std::vector<Constraint> kept;
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) {
        auto found = CConstraintDefinition::Read("CREATE TABLE X (" + Text(list.get(), 2) + ")");
        if (found.empty()) continue;
        Constraint c = found.front();
        c.table = Text(list.get(), 0);
        c.name = Text(list.get(), 1);
        c.referencedTable = cp932::ToUpperAscii(c.referencedTable);
        c.generated = c.name.rfind("SYS_C", 0) == 0;
        c.enabled = c.validated = false;
        c.enforcedBy = "NONE";
        kept.push_back(std::move(c));
    }
    list.reset();
    for (const Constraint& c : kept)
        if (!Insert(db, c, 0, error)) return false;
    return true;
}

}  // namespace

bool CConstraintCatalog::Extend(sqlite3* db, CEngineError& error) { return AddColumns(db, error); }

bool CConstraintCatalog::Upgrade(sqlite3* db, CEngineError& error) {
    if (HasTable(db, "TARVEX_KEYS"))
        for (const char* sql : {kMoves[0], kMoves[1]})
            if (!Exec(db, sql, error)) return false;
    if (HasTable(db, "TARVEX_CHECKS") && !Exec(db, kMoves[2], error)) return false;
    if (HasTable(db, "TARVEX_DISABLED") && !MoveDisabled(db, error)) return false;
    return Exec(
        db,
        "DROP TABLE IF EXISTS main.TARVEX_KEYS; DROP TABLE IF EXISTS main.TARVEX_CHECKS; DROP TABLE IF "
        "EXISTS main.TARVEX_DISABLED",
        error);
}

bool CConstraintCatalog::Read(sqlite3* db, const std::string& table, std::vector<Constraint>& out) {
    Statement rows = sqliteapi::Prepare(db, std::string("SELECT ") + kColumns +
                                                " FROM main.TARVEX_CONSTRAINTS WHERE TABLE_NAME = ?1 ORDER "
                                                "BY POSITION, rowid");
    if (!rows) return false;
    sqlite3_bind_text(rows.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    bool found = false;
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        found = true;
        out.push_back(FromRow(rows.get()));
    }
    return found;
}

bool CConstraintCatalog::Find(sqlite3* db, const std::string& name, Constraint& out) {
    Statement row = sqliteapi::Prepare(
        db, std::string("SELECT ") + kColumns + " FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_NAME = ?1");
    if (!row) return false;
    sqlite3_bind_text(row.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(row.get()) != SQLITE_ROW) return false;
    out = FromRow(row.get());
    return true;
}

bool CConstraintCatalog::Write(sqlite3* db, const Constraint& c, CEngineError& error) {
    return Insert(db, c, 0, error);
}

bool CConstraintCatalog::Remove(sqlite3* db, const std::string& name, CEngineError& error) {
    Statement drop = sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_NAME = ?1");
    if (!drop) return Failed(db, error);
    sqlite3_bind_text(drop.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(drop.get()) == SQLITE_DONE || Failed(db, error);
}

bool CConstraintCatalog::Prune(sqlite3* db, const std::string& table, CEngineError& error) {
    std::vector<std::string> columns;
    Statement info = sqliteapi::Prepare(db, "SELECT name FROM pragma_table_info(?1)");
    if (info) sqlite3_bind_text(info.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (info && sqlite3_step(info.get()) == SQLITE_ROW) columns.push_back(Text(info.get(), 0));
    info.reset();
    // Note: a table that is not there (renamed, dropped) keeps its rows here.
    if (columns.empty()) return true;
    std::vector<Constraint> constraints;
    Read(db, table, constraints);
    for (const Constraint& c : constraints)
        for (const std::string& column : c.columns)
            if (std::find(columns.begin(), columns.end(), column) == columns.end()) {
                if (!Remove(db, c.name, error)) return false;
                break;
            }
    return true;
}

bool CConstraintCatalog::SetAside(sqlite3* db, const std::string& name, CEngineError& error) {
    Statement set = sqliteapi::Prepare(db,
                                       "UPDATE main.TARVEX_CONSTRAINTS SET ENFORCED_BY = 'NONE', STATUS = "
                                       "'DISABLED', VALIDATED = 'NOT VALIDATED' WHERE CONSTRAINT_NAME = ?1");
    if (!set) return Failed(db, error);
    sqlite3_bind_text(set.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(set.get()) == SQLITE_DONE || Failed(db, error);
}

bool CConstraintCatalog::SetValidated(sqlite3* db, const std::string& name, bool validated,
                                      CEngineError& error) {
    Statement set = sqliteapi::Prepare(
        db, "UPDATE main.TARVEX_CONSTRAINTS SET VALIDATED = ?2 WHERE CONSTRAINT_NAME = ?1");
    if (!set) return Failed(db, error);
    sqlite3_bind_text(set.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 2, validated ? "VALIDATED" : "NOT VALIDATED", -1, SQLITE_STATIC);
    return sqlite3_step(set.get()) == SQLITE_DONE || Failed(db, error);
}

bool CConstraintCatalog::SetDeferral(sqlite3* db, const std::string& name, bool deferrable, bool deferred,
                                     CEngineError& error) {
    Statement set =
        sqliteapi::Prepare(db,
                           "UPDATE main.TARVEX_CONSTRAINTS SET \"DEFERRABLE\" = ?2, \"DEFERRED\" = ?3 "
                           "WHERE CONSTRAINT_NAME = ?1");
    if (!set) return Failed(db, error);
    sqlite3_bind_text(set.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 2, deferrable ? "DEFERRABLE" : "NOT DEFERRABLE", -1, SQLITE_STATIC);
    sqlite3_bind_text(set.get(), 3, deferred ? "DEFERRED" : "IMMEDIATE", -1, SQLITE_STATIC);
    return sqlite3_step(set.get()) == SQLITE_DONE || Failed(db, error);
}

std::string CConstraintCatalog::NewName(sqlite3* db) { return SystemName(HighestNumber(db) + 1); }

std::string CConstraintCatalog::Clause(const Constraint& c) {
    auto list = [](const std::vector<std::string>& names) {
        std::string out;
        for (const auto& name : names)
            out += (out.empty() ? "\"" : ", \"") + encoding::Utf8ToCp932(name) + "\"";
        return "(" + out + ")";
    };
    std::string clause = "CONSTRAINT \"" + encoding::Utf8ToCp932(c.name) + "\" ";
    switch (c.type) {
        case 'P':
            return clause + "PRIMARY KEY " + list(c.columns);
        case 'U':
            return clause + "UNIQUE " + list(c.columns);
        case 'R':
            clause += "FOREIGN KEY " + list(c.columns) + " REFERENCES \"" +
                      encoding::Utf8ToCp932(c.referencedTable) + "\"";
            if (!c.referencedColumns.empty()) clause += " " + list(c.referencedColumns);
            if (c.deleteRule == "CASCADE" || c.deleteRule == "SET NULL")
                clause += " ON DELETE " + c.deleteRule;
            if (c.deferrable) clause += c.deferred ? " DEFERRABLE INITIALLY DEFERRED" : " DEFERRABLE";
            return clause;
        default:
            return clause + "CHECK (" + encoding::Utf8ToCp932(c.condition) + ")";
    }
}

namespace {

// Names for the constraints of `now` the definition leaves unnamed: the one
// each had before when it is the same constraint, else a new one: the name
// the dictionary showed in files of an earlier version, from the
// table's place and the constraint's, when no other constraint bears it.
void NameUnnamed(sqlite3* db, const Definition& definition, std::vector<Constraint>& now,
                 const std::vector<bool>& unnamed, const std::vector<Constraint>& before) {
    std::vector<bool> used(before.size(), false);
    // A name the definition gives is no unnamed constraint's.
    auto named = [&](const std::string& name) {
        for (std::size_t n = 0; n < now.size(); ++n)
            if (!unnamed[n] && now[n].name == name) return true;
        return false;
    };
    long long next = HighestNumber(db);
    int ordinal = 0;
    for (std::size_t n = 0; n < now.size(); ++n) {
        Constraint& c = now[n];
        if (!unnamed[n]) continue;
        ++ordinal;
        bool kept = false;
        for (std::size_t k = 0; k < before.size() && !kept; ++k)
            if (!used[k] && !named(before[k].name) && before[k].enforcedBy == "TABLE" && Same(before[k], c)) {
                // Note: one renamed keeps its new name, though the definition does not name it.
                c.name = before[k].name;
                c.generated = before[k].generated;
                used[k] = kept = true;
            }
        if (kept) continue;
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "SYS_C%05lld%02d", definition.number % 100000, ordinal % 100);
        c.name = !Taken(db, buffer, definition.name) ? std::string(buffer) : SystemName(++next);
    }
}

// Note: a definition is read back only here, once, when the file of an
// earlier version is converted; the engine records what it compiles.
bool ConvertTable(sqlite3* db, const std::string& table, CEngineError& error) {
    Definition definition;
    if (!FindTable(db, table, definition)) return true;
    std::vector<Constraint> now = CConstraintDefinition::Read(definition.sql);
    std::vector<bool> unnamed;
    for (const Constraint& c : now) unnamed.push_back(c.generated);
    std::vector<Constraint> before;
    CConstraintCatalog::Read(db, definition.name, before);
    for (Constraint& c : now) {
        c.table = definition.name;
        // Note: tables go by upper-case names, as the dictionary shows them
        // (a renamed parent is written as the rename gave its name).
        c.referencedTable = cp932::ToUpperAscii(c.referencedTable);
        if (c.generated) continue;
        // A name is one constraint's in the whole schema.
        if (Taken(db, c.name, definition.name)) {
            COraError::Set(error, 2264, {encoding::Utf8ToCp932(c.name)}, 0);
            return false;
        }
        // What the catalog knew of it stays: how it was named, its condition as written.
        for (const Constraint& old : before)
            if (old.name == c.name && old.type == c.type && old.enforcedBy == "TABLE") {
                c.generated = old.generated;
                c.validated = old.validated;
                if (c.type == 'C' && !old.condition.empty()) c.condition = old.condition;
            }
    }
    NameUnnamed(db, definition, now, unnamed, before);
    // Note: the NOT NULL a key added to its columns is no constraint of its own.
    std::vector<std::string> keyNotNull;
    for (const Constraint& c : before)
        keyNotNull.insert(keyNotNull.end(), c.notNullAdded.begin(), c.notNullAdded.end());
    std::erase_if(now, [&](const Constraint& c) {
        return c.generated && IsNotNull(c) &&
               std::find(keyNotNull.begin(), keyNotNull.end(), c.columns[0]) != keyNotNull.end();
    });
    Statement clear = sqliteapi::Prepare(
        db, "DELETE FROM main.TARVEX_CONSTRAINTS WHERE TABLE_NAME = ?1 AND ENFORCED_BY = 'TABLE'");
    if (!clear) return Failed(db, error);
    sqlite3_bind_text(clear.get(), 1, definition.name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(clear.get()) != SQLITE_DONE) return Failed(db, error);
    for (std::size_t k = 0; k < now.size(); ++k)
        if (!Insert(db, now[k], static_cast<long long>(k + 1), error)) return false;
    return true;
}

}  // namespace

bool CConstraintCatalog::Record(sqlite3* db, const std::vector<Constraint>& constraints,
                                CEngineError& error) {
    for (const Constraint& c : constraints) {
        // A name is one constraint's in the whole schema.
        Constraint taken;
        if (Find(db, c.name, taken)) {
            COraError::Set(error, 2264, {encoding::Utf8ToCp932(c.name)}, 0);
            return false;
        }
        if (!Insert(db, c, 0, error)) return false;
    }
    return true;
}

std::function<std::string()> CConstraintCatalog::Namer(sqlite3* db) {
    return [db, next = 0LL]() mutable {
        next = std::max(next, HighestNumber(db)) + 1;
        return SystemName(next);
    };
}

bool CConstraintCatalog::Convert(sqlite3* db, CEngineError& error) {
    for (const std::string& table : CNameList::UserTables(db))
        if (!ConvertTable(db, table, error)) return false;
    return true;
}
