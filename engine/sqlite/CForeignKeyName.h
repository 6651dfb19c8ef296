#pragma once

#include <string>
#include <string_view>

struct sqlite3;

// The name of the foreign key an INSERT, UPDATE or DELETE broke, as SQLite
// reports the failure without it: the one foreign key of the statement's
// table (`child`: the table holds it; else it names the table as parent).
// "" when the table has none or several, and the failure cannot tell which.
class CForeignKeyName {
public:
    static std::string Of(sqlite3* db, std::string_view sql, bool child);
    // The table an INSERT INTO, UPDATE or DELETE [FROM] writes (upper case
    // unless quoted, without its schema, CP932); "" for another statement.
    static std::string TargetOf(std::string_view sql);
};
