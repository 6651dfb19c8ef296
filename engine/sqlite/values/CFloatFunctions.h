#pragma once

// Values: BINARY_FLOAT and BINARY_DOUBLE arithmetic and conversions in SQLite.
struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// A floating value is held in SQLite as a REAL (an infinity too) and NaN,
// which SQLite cannot hold as a REAL, as the TEXT 'NaN': SQLite orders text
// above every number, which is the server's place for NaN. `width` is
// CFloatValue's (4 BINARY_FLOAT, 8 BINARY_DOUBLE). NULL in, NULL out.
// Called by the text CSqlEmitter writes:
//   ORA_FLOAT(v, width, at)         v converted (text: a number, INF, -INF,
//       NaN; ORA-01722 for other text, `at` its offset)
//   ORA_FLOAT_OP(op, a, b, width)   a op b for '+', '-', '*', '/' in IEEE
//       arithmetic (1/0 is Inf, 0/0 NaN)
//   ORA_FLOAT_NEG(a, width)         -a
//   ORA_FLOAT_CMP(a, b)             -1, 0 or 1, NaN above all and equal to itself
//   ORA_FLOAT_TEXT(v, width)        the server's text without a model
//   ORA_FLOAT_IS(v, 'NAN' | 'INFINITE')   1 or 0
//   ORA_NANVL(a, b, width)          b when a is NaN, else a (width 0: as it is)
//   ORA_FLOAT_CALL(name, v, width)  ABS, CEIL, FLOOR, SQRT, EXP, LN, SIN,
//       COS, TAN, ROUND, TRUNC, SIGN of one value
//   ORA_FLOAT_SUM(v, width), ORA_FLOAT_AVG(v, width)   aggregates
class CFloatFunctions {
public:
    static bool Register(sqlite3* db);
    // The value of `value` as a double; false for NULL, and (with `valid`
    // false) for a value that is no number.
    static bool Read(sqlite3_value* value, double& out, bool& valid);
    // Sets the result to `value` narrowed to `width`, in its held form.
    static void Result(sqlite3_context* context, double value, int width);
};
