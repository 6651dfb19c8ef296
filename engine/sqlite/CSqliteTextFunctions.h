#pragma once

struct sqlite3;

// The server's text functions where the engine's differ or are missing,
// counting characters: SUBSTR (position 0 is 1; an empty result is NULL),
// INSTR with a start position (negative: searching backwards) and an
// occurrence, REPLACE with two arguments or a NULL replacement, LPAD, RPAD,
// INITCAP, GREATEST and LEAST.
class CSqliteTextFunctions {
public:
    // False when a function could not be registered.
    static bool Register(sqlite3* db);
};
