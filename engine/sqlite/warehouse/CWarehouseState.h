#pragma once

#include <map>
#include <optional>
#include <string>

#include "engine/sqlite/warehouse/CPartitionScheme.h"

struct sqlite3;

// What one connection keeps of partitioned tables and materialized views
// while its statements run: the schemes read (dropped before each
// statement and after every schema change) and whether a refresh is
// writing a materialized view's rows.
struct CWarehouseState {
    std::map<std::string, std::optional<CPartitionScheme>> schemes;
    bool refreshing = false;

    // The scheme of `table` (upper case, UTF-8); nullptr when it is not partitioned.
    const CPartitionScheme* Scheme(sqlite3* db, const std::string& table);
    void Forget() { schemes.clear(); }
};

// TARVEX_PARTITION(table, key...): the position (from 1) of the partition
// the key maps to, NULL for none; TARVEX_ROW_MOVEMENT(table): 1 when rows may
// move between partitions; TARVEX_MVIEW_WRITABLE(): 1 while a refresh runs.
class CPartitionFunctions {
public:
    static bool Register(sqlite3* db, CWarehouseState* state);
};
