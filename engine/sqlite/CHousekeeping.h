#pragma once

#include <string>

#include "engine/EngineTypes.h"

struct sqlite3;

// Statements scripts run around their work that change no data: LOCK
// TABLE, ANALYZE, PURGE, SET TRANSACTION and SET CONSTRAINTS. Each checks
// what it names and does what it means for the one session of a file:
// ANALYZE gathers or deletes statistics; SET CONSTRAINTS ALL DEFERRED
// defers the foreign keys to the commit; the rest have nothing to wait
// for or throw away.
class CHousekeeping {
public:
    explicit CHousekeeping(sqlite3* db) : m_db(db) {}

    // Whether `sql` (CP932) is such a statement.
    static bool Takes(const std::string& sql);
    // Runs it; false with the server's error in `error`.
    bool Run(const std::string& sql, CEngineError& error);

private:
    bool Lock(const std::string& sql, CEngineError& error);
    bool Analyze(const std::string& sql, CEngineError& error);
    bool Purge(const std::string& sql, CEngineError& error);
    bool SetConstraints(const std::string& sql, CEngineError& error);
    // The table named at the token `k`, upper case (UTF-8); false with
    // ORA-00942 when the file has none.
    bool TableAt(const std::string& sql, std::size_t k, std::string& table, CEngineError& error);

    sqlite3* m_db;
};
