#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// The name of the foreign key an INSERT, UPDATE or DELETE broke, as SQLite
// reports the failure without it: the one foreign key of the statement's
// table (`child`: the table holds it; else it names the table as parent).
// "" when the table has none or several, and the failure cannot tell which.
class CForeignKeyName {
public:
    struct Broken {
        int code;          // 2291 (no parent key) or 2292 (child rows found)
        std::string name;  // CP932; "" when the failure cannot tell which key
    };

    static std::string Of(sqlite3* db, std::string_view sql, bool child);
    // The key an UPDATE broke: only the keys that hold (child) or are
    // referred to by (parent) a column the statement sets can have broken,
    // so an UPDATE that touches no key of its table as a child broke a
    // parent key (2292). Other statements keep `code` and the name `Of`
    // finds.
    static Broken Find(sqlite3* db, std::string_view sql, int code);
    // The table an INSERT INTO, UPDATE or DELETE [FROM] writes (upper case
    // unless quoted, without its schema, CP932); "" for another statement.
    static std::string TargetOf(std::string_view sql);
    // The columns an UPDATE sets (upper case unless quoted, CP932), in the
    // order written; empty for another statement.
    static std::vector<std::string> SetColumnsOf(std::string_view sql);
};
