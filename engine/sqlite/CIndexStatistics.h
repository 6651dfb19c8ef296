#pragma once

#include <string>

#include "engine/EngineTypes.h"

struct sqlite3;

// The optimizer statistics the server keeps of an index, gathered with
// those of its table: its entries (rows whose key is not wholly NULL), its
// distinct keys, its depth (BLEVEL, 0 when the root is the one leaf), its
// leaf blocks and its clustering factor. They are rows of
// TARVEX_INDEX_STATS, made by the first gathering; USER_INDEXES shows them.
class CIndexStatistics {
public:
    static constexpr const char* kTable = "TARVEX_INDEX_STATS";
    // Gathers those of every index of `table` (its stored name), stamped `now`.
    static bool Gather(sqlite3* db, const std::string& table, const std::string& now, CEngineError& error);
    // Forgets those of the indexes of `table`; "" for every table.
    static bool Delete(sqlite3* db, const std::string& table, CEngineError& error);
    static bool RenameTable(sqlite3* db, const std::string& table, const std::string& to,
                            CEngineError& error);
};
