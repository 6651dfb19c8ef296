#pragma once

// Values: the server's NUMBER arithmetic as functions of the engine.
struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// Exact decimal arithmetic, called by the text CSqlEmitter writes:
//   ORA_MUL(a, b), ORA_DIV(a, b)   "*" and "/" (ORA-01476 on a zero divisor)
//   ORA_SUM(v), ORA_AVG(v)         aggregates and window functions
//   ORA_NUMCMP(a, b)               -1, 0 or 1 comparing two numbers exactly
//   ORA_NUMKEY(a)                  a BLOB that sorts as the numbers do
//   ORA_ABS(a)                     ABS
//   ORA_MIN(v), ORA_MAX(v)         MIN and MAX of numbers longer than a double
// Text operands are read as numbers (ORA-01722 when they are none); NULL
// gives NULL. Results are held as CNumberValue says.
class CNumberFunctions {
public:
    static bool Register(sqlite3* db);
    // a + b or a - b of two numbers, for ORA_ADD and ORA_SUB.
    static void AddValues(sqlite3_context* context, sqlite3_value* a, sqlite3_value* b, bool subtract);
};
