#pragma once

// Values: the static type of a value, as the statement's tree gives it.
#include <string>

#include "engine/sqlite/CSqliteCatalog.h"

// What a query column holds, known before any row: its kind and, for text,
// the declared length (as the server describes the column).
struct CValueType {
    CSqlType kind = CSqlType::Unknown;
    // Text: the length in bytes (characters when `chars`); 0 when unknown.
    long length = 0;
    bool chars = false;
    // A NUMBER column that may hold more digits than a double: its long
    // values are kept as their digits, which SQLite does not order as numbers.
    bool wide = false;
    // A DATE holding a TIMESTAMP: the digits of a second shown (-1: a DATE),
    // and whether its time zone is shown.
    int fraction = -1;
    bool zone = false;
    // A TIMESTAMP WITH LOCAL TIME ZONE, read in the session's zone.
    bool localZone = false;
    // A value of a schema's object or collection type: the type's name.
    std::string typeName = {};
    // A BLOB or RAW column: its bytes, kept as their hex digits.
    bool binary = false;
    // An INTERVAL column.
    bool interval = false;
    // A BINARY_FLOAT (4) or BINARY_DOUBLE (8) value; 0 for a NUMBER.
    int floatWidth = 0;
    // Read from a NOT NULL column that the query shows as an expression (an
    // object as its constructor), so its describe cannot find the column.
    bool notNull = false;
};
