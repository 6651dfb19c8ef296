#pragma once

// Values: how the engine keeps a NUMBER in SQLite and reads it back.
#include <cstdint>

#include "engine/sqlite/values/CNumberDecimal.h"

struct sqlite3_context;
struct sqlite3_value;

// A NUMBER is held in SQLite as an INTEGER when it is whole and fits 64
// bits, as a REAL when it has at most 15 significant digits (the double
// then stands for exactly that decimal), and as TEXT of its digits beyond
// that. In a table's column the digits are a BLOB instead: the column's
// numeric affinity would turn TEXT into a REAL and lose digits. Reading
// takes all four forms back, and text that reads as a number, as the
// server converts it.
class CNumberValue {
public:
    // A number held as a whole coefficient below 10^15 and a scale of 0 to
    // 15 decimals: what a double or a 64-bit integer of a NUMBER column
    // almost always is.
    struct Scaled {
        std::int64_t coefficient = 0;
        int scale = 0;
    };

    // False for NULL, a BLOB, or text that is no number.
    static bool Read(sqlite3_value* value, CNumberDecimal& out);
    // False when the value is not held in that form (see Scaled).
    static bool ReadScaled(sqlite3_value* value, Scaled& out);
    static bool ScaledOf(double value, Scaled& out);
    // Sets the result to `value` as the server's NUMBER holds it; ORA-01426
    // when it is beyond the server's range.
    static void Result(sqlite3_context* context, const CNumberDecimal& value);
    // As Result, with the digits of a long value as a BLOB: the form a
    // column keeps (one form a value, so that equal values are equal bytes).
    static void ResultStored(sqlite3_context* context, const CNumberDecimal& value);
    // A scaled sum or product whose coefficient fits 64 bits.
    static void ResultScaled(sqlite3_context* context, std::int64_t coefficient, int scale);

private:
    static void Held(sqlite3_context* context, const CNumberDecimal& value, bool stored);
};
