#pragma once

#include <span>

#include "engine/sqlite/CDictionaryView.h"

struct sqlite3;
struct CSqliteSession;

// The dynamic views of the instance's memory, logs, processes, locks and
// files (V$SGA, V$LOG, V$PROCESS, V$LOCK, V$TRANSACTION, ... and their GV$
// forms). The instance is this process with its one session on one file:
// memory is what SQLite counts of the connection's caches, the redo log is
// the file's write-ahead log, and the one lock is the open transaction's.
// What the engine does not keep (a shared SQL area, wait events, archived
// logs, backups) has no rows rather than figures that look real.
class CSqliteInstanceViews {
public:
    static std::span<const CDictionaryView> Views();
    // Adds ORA_INSTANCE_FACT(name), the figures of the process and its
    // connection the views read; false on failure.
    static bool Register(sqlite3* db, const CSqliteSession* session);
    // Measures the memory the views show, once before a statement's views
    // are filled, so that all of them show the same moment.
    static void Measure(sqlite3* db);
};
