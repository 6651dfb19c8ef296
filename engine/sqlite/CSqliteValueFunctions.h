#pragma once

#include "engine/sqlite/values/CNumberDecimal.h"

struct sqlite3;
struct CSqliteSession;

// The server's value rules as functions of the engine, called by the text
// CSqlEmitter writes:
//   ORA_STORE_NUMBER(v, p, s, 'T.C', at)   NUMBER(p, s): rounded half away
//       from zero to s decimals; ORA-01438 beyond p digits; text converted
//       (ORA-01722 when it is no number). p 0: no precision; s kNoScale: none.
//   ORA_STORE_TEXT(v, n, chars, pad, 'T.C', at)   VARCHAR2/CHAR(n): ORA-12899
//       beyond n bytes (n characters when `chars`); CHAR blank-padded to n.
//   ORA_STORE_DATE(v, at)   a date in its one stored form; text read in the
//       session's date format.
//   ORA_ROWNUM_PEEK(b), ORA_ROWNUM_ACCEPT(b, condition), ORA_ROWNUM_CURRENT(b)
//       the ROWNUM of query block b: the number the next accepted row gets,
//       acceptance, the number of the row accepted last.
//   ORA_ROUND, ORA_CEIL, ORA_FLOOR, ORA_POWER, ORA_SQRT, ORA_SIGN,
//   ORA_MONTHS_BETWEEN, and the aggregate ORA_LISTAGG(v, separator
//   [, key, descending]...).
// `at` is the byte offset of the value in the statement, for the error.
class CSqliteValueFunctions {
public:
    // The scale of a NUMBER declared without one.
    static constexpr int kNoScale = -1000;

    static bool Register(sqlite3* db, CSqliteSession* session);

    // `value` as NUMBER(precision, scale) holds it; false when its leading
    // digit stands higher than the type allows.
    static bool FitNumber(CNumberDecimal& value, int precision, int scale);
};
