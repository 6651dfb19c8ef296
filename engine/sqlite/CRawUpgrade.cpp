#include "engine/sqlite/CRawUpgrade.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CTableRebuild.h"
#include "engine/sqlite/SqliteApi.h"

namespace {

struct Table {
    std::string name;  // UTF-8
    std::string sql;   // UTF-8
};

std::vector<Table> TablesWithRaw(sqlite3* db) {
    std::vector<Table> tables;
    sqliteapi::Statement list = sqliteapi::Prepare(
        db,
        "SELECT m.name, m.sql FROM main.sqlite_schema m WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite%' "
        "AND upper(m.name) NOT LIKE 'TARVEX%' AND EXISTS (SELECT 1 FROM pragma_table_info(m.name) p WHERE "
        "upper(trim(p.type)) = 'RAW' OR upper(p.type) GLOB 'RAW[ (]*')");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW)
        tables.push_back({reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)),
                          reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1))});
    return tables;
}

// `sql` with the type of each column declared RAW named as RAW is now.
std::string Redeclared(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql);
    std::vector<std::size_t> raws;
    int depth = 0;
    std::size_t itemStart = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const bool open = CSqlScanner::IsSymbol(sql, tokens[k], '(');
        if (open && ++depth == 1) {
            itemStart = k + 1;
            continue;
        }
        if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) --depth;
        if (depth == 1 && CSqlScanner::IsSymbol(sql, tokens[k], ',')) itemStart = k + 1;
        // Note: a column's type is the word after its name.
        if (depth == 1 && k == itemStart + 1 && tokens[k].kind == CSqlScanner::Kind::Word &&
            CSqlScanner::Is(sql, tokens[k], "RAW"))
            raws.push_back(k);
    }
    std::string out = sql;
    for (std::size_t k = raws.size(); k-- > 0;)
        out.replace(tokens[raws[k]].begin, tokens[raws[k]].length, CColumnCompiler::kRawText);
    return out;
}

}  // namespace

bool CRawUpgrade::Run(sqlite3* db, CSqliteCatalog& catalog, CEngineError& error) {
    if (sqlite3_db_readonly(db, "main") == 1) return true;
    std::vector<Table> tables = TablesWithRaw(db);
    if (tables.empty()) return true;
    const bool ok = CTableRebuild::InTransaction(db, error, [&] {
        for (const Table& table : tables) {
            const std::string sql = Redeclared(table.sql);
            if (sql != table.sql && !CTableRebuild::Run(db, table.name, sql, error)) return false;
        }
        return true;
    });
    catalog.Invalidate();
    return ok;
}
