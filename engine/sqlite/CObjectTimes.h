#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "engine/EngineTypes.h"

struct sqlite3;

// When the user's objects were made and last changed by a schema statement
// (USER_OBJECTS' CREATED, LAST_DDL_TIME and TIMESTAMP), kept in
// TARVEX_OBJECT_TIMES by name and type. The objects a statement makes are
// those there after it and not before; the one it changes is the one it
// names (ALTER, CREATE OR REPLACE, TRUNCATE, RENAME, which keeps the
// object's creation time). Objects made before the file kept times have
// none until a statement changes them.
class CObjectTimes {
public:
    // The table, made with the catalog's other tables.
    static constexpr const char* kTable =
        "CREATE TABLE IF NOT EXISTS TARVEX_OBJECT_TIMES (NAME VARCHAR2(128) NOT NULL, TYPE VARCHAR2(23) NOT "
        "NULL, CREATED TEXT, LAST_DDL_TIME TEXT, SPEC_TIME TEXT, PRIMARY KEY (NAME, TYPE))";

    // Before the schema statement `sql` (CP932) runs; `holdsWork`: the
    // transaction holds work of earlier statements, which the statement
    // commits first.
    void Begin(sqlite3* db, std::string_view sql, bool holdsWork);
    // Before a commit: inside the statement's own transaction, records what
    // it did (once). False with SQLite's reason.
    bool BeforeCommit(sqlite3* db, CEngineError& error);
    // After the statement: records in a transaction of its own what a
    // statement that commits otherwise did, when it succeeded; then forgets it.
    void End(sqlite3* db, bool ok);

    // The object a schema statement changes without making it: its name
    // (CP932, as stored), the type filter ("INDEX", "TRIGGER" or "" for the
    // others), the name it had before a RENAME ("" for none) and whether
    // the statement changes the object's declaration (not for COMPILE or
    // TRUNCATE). Empty name for a statement that changes none.
    struct Changed {
        std::string name;
        std::string type;
        std::string renamedFrom;
        bool declaration = true;
    };
    static Changed ChangedBy(std::string_view sql);

private:
    enum class State { Idle, AfterPriorWork, Armed, Recorded };
    using Objects = std::set<std::pair<std::string, std::string>>;

    static bool Read(sqlite3* db, Objects& out);
    bool Record(sqlite3* db, CEngineError& error);

    State m_state = State::Idle;
    Objects m_before;
    std::string m_sql;
};
