#pragma once

#include <string>
#include <vector>

#include "engine/EngineTypes.h"

struct sqlite3;

// Materialized views (TARVEX_MVIEWS): the rows live in an ordinary table of
// the view's name; the query as written and the refresh options are kept
// here. Names upper case, UTF-8; the query CP932 as written.
class CMviewCatalog {
public:
    static constexpr const char* kTables[] = {
        "CREATE TABLE IF NOT EXISTS TARVEX_MVIEWS (MVIEW_NAME VARCHAR2(128) PRIMARY KEY, QUERY TEXT NOT "
        "NULL, "
        "REFRESH_MODE VARCHAR2(6) NOT NULL, REFRESH_METHOD VARCHAR2(8) NOT NULL, BUILD_MODE VARCHAR2(9) NOT "
        "NULL, "
        "REWRITE_ENABLED VARCHAR2(1) NOT NULL, LAST_REFRESH_DATE TEXT)",
    };

    struct Mview {
        std::string name;
        std::string query;
        std::string refreshMode = "DEMAND";   // DEMAND, COMMIT
        std::string refreshMethod = "FORCE";  // COMPLETE, FAST, FORCE
        std::string buildMode = "IMMEDIATE";  // IMMEDIATE, DEFERRED
        bool rewrite = false;
    };

    static bool Add(sqlite3* db, const Mview& mview, CEngineError& error);
    static bool Find(sqlite3* db, const std::string& name, Mview& mview);
    static bool Drop(sqlite3* db, const std::string& name, CEngineError& error);
    // After a refresh: the time of it, and the view usable.
    static bool Refreshed(sqlite3* db, const std::string& name, CEngineError& error);
    // The views refreshed at every commit (once refreshed: one built
    // DEFERRED waits for its first refresh).
    static std::vector<std::string> OnCommit(sqlite3* db);
    // DML on the view's table refused with ORA-01732 but while it is refreshed.
    static bool Guard(sqlite3* db, const std::string& name, CEngineError& error);
};
