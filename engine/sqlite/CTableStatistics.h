#pragma once

#include <string>

#include "engine/EngineTypes.h"

struct sqlite3;

// The optimizer statistics the server keeps of a table: its rows, blocks,
// average row length and when they were gathered, as ANALYZE and
// DBMS_STATS gather them and USER_TABLES shows them. They are a row of
// TARVEX_TABLE_STATS; a table never analyzed has none.
class CTableStatistics {
public:
    // Gathers the statistics of `table` (upper case, UTF-8); false with
    // ORA-00942 when there is no such table.
    static bool Gather(sqlite3* db, const std::string& table, CEngineError& error);
    // Gathers those of every table of the user's.
    static bool GatherAll(sqlite3* db, CEngineError& error);
    static bool Delete(sqlite3* db, const std::string& table, CEngineError& error);
    static bool DeleteAll(sqlite3* db, CEngineError& error);
    // The statistics follow a table or a column renamed (upper case, UTF-8).
    static bool RenameTable(sqlite3* db, const std::string& table, const std::string& to,
                            CEngineError& error);
    static bool RenameColumn(sqlite3* db, const std::string& table, const std::string& column,
                             const std::string& to, CEngineError& error);
};
