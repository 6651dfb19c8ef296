#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

struct sqlite3;

// CREATE TABLE ... ORGANIZATION INDEX: an index-organized table. The
// embedded file keeps its rows as any table's, found by the key's index; the
// dictionary shows it as the server does (USER_TABLES.IOT_TYPE 'IOT'), kept
// in the IOT_TYPE column of TARVEX_TABLE_OPTIONS, which the first such table
// adds to a file without it.
class CTableOrganization {
public:
    struct Definition {
        bool indexOrganized = false;
        bool primaryKey = false;  // the definition declares one
        std::size_t at = 0;       // the offset of ORGANIZATION
    };

    // What a CREATE TABLE statement (CP932) says of its organization;
    // another statement is none.
    static Definition Read(std::string_view sql);
    // Records `table` (UTF-8, as the catalog names it) as index-organized.
    static bool Record(sqlite3* db, const std::string& table, CEngineError& error);
};
