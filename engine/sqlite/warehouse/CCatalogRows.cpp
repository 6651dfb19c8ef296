#include "engine/sqlite/warehouse/CCatalogRows.h"

#include <sqlite3.h>

bool CCatalogRows::Fail(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

bool CCatalogRows::Run(sqlite3* db, const std::string& sql, const std::vector<std::string>& values,
                       CEngineError& error) {
    sqliteapi::Statement statement = sqliteapi::Prepare(db, sql);
    if (!statement) return Fail(db, error);
    for (std::size_t k = 0; k < values.size(); ++k)
        sqlite3_bind_text(statement.get(), static_cast<int>(k + 1), values[k].c_str(),
                          static_cast<int>(values[k].size()), SQLITE_TRANSIENT);
    return sqlite3_step(statement.get()) == SQLITE_DONE || Fail(db, error);
}

sqliteapi::Statement CCatalogRows::Keyed(sqlite3* db, const std::string& sql, const std::string& key) {
    sqliteapi::Statement statement = sqliteapi::Prepare(db, sql);
    if (statement)
        sqlite3_bind_text(statement.get(), 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    return statement;
}

std::string CCatalogRows::Text(const sqliteapi::Statement& statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement.get(), column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}
