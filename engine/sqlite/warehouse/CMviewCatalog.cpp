#include "engine/sqlite/warehouse/CMviewCatalog.h"

#include <sqlite3.h>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CCatalogRows.h"

namespace {

using sqliteapi::Statement;

bool Fail(sqlite3* db, CEngineError& error) { return CCatalogRows::Fail(db, error); }

bool Run(sqlite3* db, const std::string& sql, const std::vector<std::string>& values, CEngineError& error) {
    return CCatalogRows::Run(db, sql, values, error);
}

std::string Column(const Statement& statement, int column) { return CCatalogRows::Text(statement, column); }

// The events whose DML the view's table refuses.
constexpr const char* kEvents[] = {"INSERT", "UPDATE", "DELETE"};

}  // namespace

bool CMviewCatalog::Add(sqlite3* db, const Mview& mview, CEngineError& error) {
    return Run(db, "INSERT OR REPLACE INTO main.TARVEX_MVIEWS VALUES (?1, ?2, ?3, ?4, ?5, ?6, NULL)",
               {mview.name, mview.query, mview.refreshMode, mview.refreshMethod, mview.buildMode,
                mview.rewrite ? "Y" : "N"},
               error) &&
           Guard(db, mview.name, error);
}

bool CMviewCatalog::Find(sqlite3* db, const std::string& name, Mview& mview) {
    Statement statement = CCatalogRows::Keyed(
        db,
        "SELECT MVIEW_NAME, QUERY, REFRESH_MODE, REFRESH_METHOD, BUILD_MODE, REWRITE_ENABLED FROM "
        "main.TARVEX_MVIEWS WHERE MVIEW_NAME = ?1",
        name);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) return false;
    mview = {Column(statement, 0), Column(statement, 1), Column(statement, 2),
             Column(statement, 3), Column(statement, 4), Column(statement, 5) == "Y"};
    return true;
}

bool CMviewCatalog::Drop(sqlite3* db, const std::string& name, CEngineError& error) {
    return Run(db, "DELETE FROM main.TARVEX_MVIEWS WHERE MVIEW_NAME = ?1", {name}, error);
}

bool CMviewCatalog::Refreshed(sqlite3* db, const std::string& name, CEngineError& error) {
    return Run(db, "UPDATE main.TARVEX_MVIEWS SET LAST_REFRESH_DATE = SYSDATE() WHERE MVIEW_NAME = ?1",
               {name}, error);
}

std::vector<std::string> CMviewCatalog::OnCommit(sqlite3* db) {
    std::vector<std::string> names;
    Statement statement =
        sqliteapi::Prepare(db,
                           "SELECT MVIEW_NAME FROM main.TARVEX_MVIEWS WHERE REFRESH_MODE = 'COMMIT' AND "
                           "LAST_REFRESH_DATE IS NOT NULL");
    while (statement && sqlite3_step(statement.get()) == SQLITE_ROW) names.push_back(Column(statement, 0));
    return names;
}

bool CMviewCatalog::Guard(sqlite3* db, const std::string& name, CEngineError& error) {
    for (const char* event : kEvents) {
        std::string trigger = "\"TARVEX_MVIEW_" + std::string(event) + "_" + name + "\"";
        std::string sql = "DROP TRIGGER IF EXISTS main." + trigger + "; CREATE TRIGGER main." + trigger +
                          " BEFORE " + event + " ON \"" + name +
                          "\" WHEN NOT TARVEX_MVIEW_WRITABLE() BEGIN SELECT ORA_RAISE(1732); END";
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return Fail(db, error);
    }
    return true;
}
