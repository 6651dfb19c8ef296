#include "engine/sqlite/CColumnDrop.h"

#include <sqlite3.h>

#include <algorithm>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Constraint = CSqliteDictionary::Constraint;

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::vector<std::string> TableColumns(sqlite3* db, const std::string& table) {
    std::vector<std::string> names;
    sqliteapi::Statement info = sqliteapi::Prepare(db, "SELECT name FROM pragma_table_xinfo(?1)");
    if (!info) return names;
    sqlite3_bind_text(info.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(info.get()) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
    return names;
}

// Whether the foreign key `key` refers to the primary or unique key `parent`.
bool RefersTo(const Constraint& key, const Constraint& parent) {
    return key.type == 'R' && (parent.type == 'P' || parent.type == 'U') &&
           key.referencedTable == parent.table &&
           (key.referencedColumns.empty() ? parent.type == 'P' : key.referencedColumns == parent.columns);
}

}  // namespace

std::string CColumnDrop::StoredName(std::string_view text, const CSqlScanner::Token& token) {
    std::string_view written = text.substr(token.begin, token.length);
    if (token.kind == CSqlScanner::Kind::QuotedName && written.size() >= 2)
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

std::vector<std::string> CColumnDrop::NamesIn(std::string_view utf8, const std::vector<std::string>& names) {
    const std::string text = encoding::Utf8ToCp932(std::string(utf8));
    std::vector<std::string> read;
    for (const CSqlScanner::Token& token : CSqlScanner::Significant(text)) {
        if (token.kind != CSqlScanner::Kind::Word && token.kind != CSqlScanner::Kind::QuotedName) continue;
        const std::string name = StoredName(text, token);
        for (const std::string& candidate : names)
            if (encoding::Utf8ToCp932(candidate) == name && !Contains(read, candidate))
                read.push_back(candidate);
    }
    return read;
}

std::vector<std::string> CColumnDrop::ColumnsOf(const Constraint& constraint,
                                                const std::vector<std::string>& names) {
    if (!constraint.columns.empty() || constraint.type != 'C') return constraint.columns;
    return NamesIn(constraint.condition, names);
}

bool CColumnDrop::IndexUses(const std::string& sql, const std::vector<std::string>& columns) {
    // Note: what follows the table's name: the keys and a WHERE.
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t on = 0;
    while (on < tokens.size() && !CSqlScanner::Is(sql, tokens[on], "ON")) ++on;
    if (on + 2 >= tokens.size()) return false;
    return !NamesIn(std::string_view(sql).substr(tokens[on + 2].begin), columns).empty();
}

CColumnDrop::Plan CColumnDrop::Make(sqlite3* db, const std::string& table,
                                    const std::vector<std::string>& columns, bool cascade,
                                    const std::vector<Constraint>& all) {
    Plan plan;
    const std::vector<std::string> names = TableColumns(db, table);
    std::vector<const Constraint*> going;
    auto goes = [&](const Constraint& c) { return std::find(going.begin(), going.end(), &c) != going.end(); };
    for (const Constraint& c : all) {
        if (c.table != table || std::string_view("PURC").find(c.type) == std::string_view::npos) continue;
        std::vector<std::string> over = ColumnsOf(c, names);
        bool touched = false;
        bool whole = true;
        for (const std::string& column : over) {
            bool dropped = Contains(columns, column);
            touched = touched || dropped;
            whole = whole && dropped;
        }
        if (!touched) continue;
        // Note: a constraint over columns that stay goes only with CASCADE CONSTRAINTS.
        if (!whole && !cascade) {
            plan.refusal = 12991;
            return plan;
        }
        going.push_back(&c);
    }
    // The foreign keys that refer to a key that goes, unless they go themselves.
    std::vector<const Constraint*> referring;
    for (const Constraint* key : going)
        for (const Constraint& other : all)
            if (RefersTo(other, *key) && !goes(other) &&
                std::find(referring.begin(), referring.end(), &other) == referring.end()) {
                if (!cascade) {
                    plan.refusal = 12992;
                    return plan;
                }
                referring.push_back(&other);
            }
    for (const Constraint* c : referring) plan.constraints.emplace_back(c->table, c->name);
    for (const Constraint* c : going)
        if (c->type == 'R') plan.constraints.emplace_back(c->table, c->name);
    for (const Constraint* c : going)
        if (c->type != 'R') plan.constraints.emplace_back(c->table, c->name);
    sqliteapi::Statement list = sqliteapi::Prepare(db,
                                                   "SELECT name, sql FROM main.sqlite_schema WHERE type = "
                                                   "'index' AND sql IS NOT NULL AND tbl_name = ?1");
    if (!list) return plan;
    sqlite3_bind_text(list.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(list.get()) == SQLITE_ROW) {
        std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1));
        if (IndexUses(sql, columns))
            plan.indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    }
    return plan;
}
