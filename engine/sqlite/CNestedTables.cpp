#include "engine/sqlite/CNestedTables.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Token = CSqlScanner::Token;

std::string NameOf(std::string_view sql, const Token& token) {
    std::string_view written = sql.substr(token.begin, token.length);
    if (token.kind == CSqlScanner::Kind::QuotedName)
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

bool Run(sqlite3* db, const char* sql, const std::vector<std::string>& texts, CEngineError& error) {
    sqliteapi::Statement statement = sqliteapi::Prepare(db, sql);
    int index = 1;
    for (const std::string& text : texts)
        if (statement)
            sqlite3_bind_text(statement.get(), index++, text.c_str(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
    if (statement && sqlite3_step(statement.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

// The type (UTF-8) of `column` of `table` when it is a nested table type; "" otherwise.
std::string NestedType(sqlite3* db, const std::string& table, const std::string& column) {
    sqliteapi::Statement look = sqliteapi::Prepare(
        db,
        "SELECT upper(DATA_TYPE) FROM main.TARVEX_COLUMNS WHERE TABLE_NAME = ?1 AND COLUMN_NAME = ?2 AND "
        "TARVEX_TYPE_SHAPE(upper(DATA_TYPE)) ->> '$.kind' = 'TABLE'");
    if (!look) return {};
    sqlite3_bind_text(look.get(), 1, table.c_str(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(look.get(), 2, column.c_str(), static_cast<int>(column.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return {};
    const unsigned char* text = sqlite3_column_text(look.get(), 0);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

bool NameTaken(sqlite3* db, const std::string& name) {
    sqliteapi::Statement look = sqliteapi::Prepare(
        db,
        "SELECT 1 FROM main.sqlite_schema WHERE upper(name) = ?1 UNION ALL SELECT 1 FROM main.TARVEX_UNITS "
        "WHERE NAME = ?1 UNION ALL SELECT 1 FROM main.TARVEX_NESTED_TABLES WHERE TABLE_NAME = ?1");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW;
}

}  // namespace

bool CNestedTables::Record(sqlite3* db, std::string_view sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    std::size_t k = 1;
    while (k < tokens.size() && !is(k, "TABLE") && !CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++k;
    if (!is(0, "CREATE") || !is(k, "TABLE") || k + 1 >= tokens.size()) return true;
    std::string table = encoding::Cp932ToUtf8(NameOf(sql, tokens[k + 1]));
    // The clauses follow the column list.
    int depth = 0;
    std::size_t t = k + 2;
    for (; t < tokens.size(); ++t) {
        if (CSqlScanner::IsSymbol(sql, tokens[t], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[t], ')') && --depth == 0) break;
    }
    for (; t < tokens.size(); ++t) {
        if (!is(t, "NESTED") || !is(t + 1, "TABLE") || !is(t + 3, "STORE") || !is(t + 4, "AS") ||
            t + 5 >= tokens.size())
            continue;
        std::string column = encoding::Cp932ToUtf8(NameOf(sql, tokens[t + 2]));
        std::string storage = encoding::Cp932ToUtf8(NameOf(sql, tokens[t + 5]));
        if (!Run(db, kCreate, {}, error)) return false;
        std::string type = NestedType(db, table, column);
        // Note: the server names the column it finds no nested table in (ORA-22912), a name in use ORA-00955.
        if (type.empty()) {
            COraError::Set(error, 22912, {}, static_cast<int>(tokens[t + 2].begin));
            return false;
        }
        if (NameTaken(db, storage)) {
            COraError::Set(error, 955, {encoding::Utf8ToCp932(storage)},
                           static_cast<int>(tokens[t + 5].begin));
            return false;
        }
        // STORE AS name [(storage)] [RETURN [AS] LOCATOR | VALUE]
        std::size_t after = t + 6;
        bool specified = after < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[after], '(');
        for (int open = 0; after < tokens.size() && specified; ++after) {
            if (CSqlScanner::IsSymbol(sql, tokens[after], '(')) ++open;
            if (CSqlScanner::IsSymbol(sql, tokens[after], ')') && --open == 0) break;
        }
        if (specified) ++after;
        bool locator = is(after, "RETURN") && (is(after + 1, "LOCATOR") || is(after + 2, "LOCATOR"));
        if (!Run(db, "INSERT INTO main.TARVEX_NESTED_TABLES VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                 {storage, table, column, type, specified ? "USER_SPECIFIED" : "DEFAULT",
                  locator ? "LOCATOR" : "VALUE"},
                 error))
            return false;
    }
    return true;
}

bool CNestedTables::Forget(sqlite3* db, const std::string& table, CEngineError& error) {
    sqliteapi::Statement look =
        sqliteapi::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE name = 'TARVEX_NESTED_TABLES'");
    if (!look || sqlite3_step(look.get()) != SQLITE_ROW) return true;
    look.reset();
    return Run(db, "DELETE FROM main.TARVEX_NESTED_TABLES WHERE PARENT_TABLE_NAME = ?1", {table}, error);
}
