#pragma once

struct sqlite3;

// The server's functions over the bytes of values: DUMP, ORA_HASH,
// STANDARD_HASH, RAWTOHEX and HEXTORAW. A value's bytes are the server's
// own form: a NUMBER's base-100 digits with its exponent byte, a DATE's
// seven bytes (century and year plus 100, month, day, hour, minute and
// second plus 1), text in the database's character set (CP932). A RAW is
// held as its hexadecimal digits, as SYS_GUID gives it.
class CRawFunctions {
public:
    // The server's type codes DUMP shows.
    static constexpr int kVarchar2 = 1;
    static constexpr int kNumber = 2;
    static constexpr int kDate = 12;
    // A DATE computed rather than stored: the year in two bytes, low first,
    // then month, day, hour, minute, second and a byte of 0.
    static constexpr int kDateValue = 13;
    // A stored TIMESTAMP: a DATE's seven bytes and, for a fraction of a
    // second, its nanoseconds in four bytes, high first.
    static constexpr int kTimestamp = 180;
    // A stored TIMESTAMP WITH TIME ZONE: its instant in UTC in a DATE's
    // seven bytes, its nanoseconds in four, and an offset zone's hours plus
    // 20 and minutes plus 60.
    static constexpr int kTimestampZone = 181;
    // A stored TIMESTAMP WITH LOCAL TIME ZONE: a TIMESTAMP's bytes of its
    // value in the database's zone.
    static constexpr int kTimestampLocal = 231;
    static constexpr int kChar = 96;

    // Adds ORA_DUMP(value, type, format, start, length),
    // ORA_HASH(value, max_bucket, seed_value), ORA_STANDARD_HASH(value, type,
    // method), ORA_HEXTORAW(text) and ORA_RAWTOHEX(raw).
    static bool Register(sqlite3* db);
};
