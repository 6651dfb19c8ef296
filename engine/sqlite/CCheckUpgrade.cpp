#include "engine/sqlite/CCheckUpgrade.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CConstraintCatalog.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/CTableRebuild.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

struct Table {
    long long number = 0;
    std::string name;  // UTF-8
    std::string sql;   // UTF-8
};

std::vector<Table> TablesWithChecks(sqlite3* db) {
    std::vector<Table> tables;
    sqliteapi::Statement list = sqliteapi::Prepare(
        db,
        "SELECT rowid, name, sql FROM main.sqlite_schema WHERE type = 'table' AND sql LIKE "
        "'%CHECK%' AND name NOT LIKE 'sqlite%' AND upper(name) NOT LIKE 'TARVEX%'");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW)
        tables.push_back({sqlite3_column_int64(list.get(), 0),
                          reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1)),
                          reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 2))});
    return tables;
}

// The names the catalog gives the table's CHECK constraints, in order
// (a NOT NULL is recorded as a check of its own, and is none here).
std::vector<std::string> CheckNames(sqlite3* db, const Table& table) {
    std::vector<std::string> names;
    std::vector<CSqliteDictionary::Constraint> constraints;
    CConstraintCatalog::Read(db, cp932::ToUpperAscii(table.name), constraints);
    for (const auto& constraint : constraints) {
        bool notNull = constraint.columns.size() == 1 &&
                       constraint.condition == "\"" + constraint.columns[0] + "\" IS NOT NULL";
        if (constraint.type == 'C' && constraint.enforcedBy == "TABLE" && !notNull)
            names.push_back(constraint.name);
    }
    return names;
}

bool Convert(sqlite3* db, CSqliteCatalog& catalog, const Table& table, CEngineError& error) {
    std::string sql = encoding::Utf8ToCp932(table.sql);
    auto checks = CCheckCompiler::Find(sql, true);
    std::vector<std::string> names = CheckNames(db, table);
    const auto* found = catalog.Columns(encoding::Utf8ToCp932(table.name));
    if (found == nullptr || names.size() != checks.size()) return true;
    const std::vector<CSqliteCatalog::Column> columns = *found;
    bool changed = false;
    for (std::size_t k = checks.size(); k-- > 0;) {
        auto& check = checks[k];
        CSqlEmitter::Failure failure;
        std::vector<CCheckCompiler::Check> one{check};
        if (!CCheckCompiler(catalog).Compile(sql, columns, one, failure)) continue;
        // Note: the catalog keeps the condition as written under this name.
        const std::string& name = names[k];
        sql.replace(check.begin, check.end - check.begin,
                    "CONSTRAINT \"" + encoding::Utf8ToCp932(name) + "\" CHECK (" + one[0].compiled + ")");
        changed = true;
    }
    return !changed || CTableRebuild::Run(db, table.name, encoding::Cp932ToUtf8(sql), error);
}

}  // namespace

bool CCheckUpgrade::Run(sqlite3* db, CSqliteCatalog& catalog, CEngineError& error) {
    if (sqlite3_db_readonly(db, "main") == 1) return true;
    std::vector<Table> tables = TablesWithChecks(db);
    if (tables.empty()) return true;
    const bool ok = CTableRebuild::InTransaction(db, error, [&] {
        for (const Table& table : tables)
            if (!Convert(db, catalog, table, error)) return false;
        return true;
    });
    catalog.Invalidate();
    return ok;
}
