#pragma once

#include <string>
#include <string_view>

// The server's types that are neither plain text, NUMBER nor a datetime:
// intervals, row addresses, binary floating point, national text and
// LONG RAW, as DESCRIBE and the dictionary tell them. Reads a type as the
// catalog keeps it ("INTERVAL DAY(3) TO SECOND(2)") or as SQLite declares
// it ("INTERVAL_DAY_TO_SECOND(3,2)").
class CServerType {
public:
    struct Shape {
        // The dictionary's DATA_TYPE: "INTERVAL DAY(2) TO SECOND(6)", "ROWID", ...
        std::string name;
        int serverType = 0;
        // DATA_LENGTH in bytes.
        long length = 0;
        // DATA_PRECISION and DATA_SCALE; -1 when the dictionary shows none.
        int precision = -1;
        int scale = -1;
        // The widest text of a value, as a query shows it.
        long width = 0;
        // NCHAR and NVARCHAR2: the length in characters.
        long characters = 0;
        bool national = false;
    };

    // False when `declared` is none of these types.
    static bool Describe(std::string_view declared, Shape& out);
};
