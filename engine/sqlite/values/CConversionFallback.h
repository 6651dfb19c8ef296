#pragma once

// Values: conversions that fall back on another value when theirs fails
// with a conversion error, and the test of whether one would fail.
struct sqlite3;

// Called by the text CSqlEmitter writes, `conversion` being the text of a
// query of one value, the conversion (TO_NUMBER(?1, ?2, ...), a CAST) over
// its operands as parameters ?1, ?2, ?3:
//   ORA_CONVERT_OR(conversion, fallback, p1 [, p2 [, p3]])   the conversion
//       of p1 (p2 and p3 its model and NLS parameter); when that fails with
//       a conversion error, the conversion of `fallback` instead, whose own
//       error is raised
//   ORA_CONVERTS(conversion, p1 [, p2 [, p3]])   1 when the conversion gives
//       a value (NULL among them), 0 when it fails with a conversion error
// Any other error (a model that cannot be read, an NLS parameter of no use)
// is raised as it is. The query is prepared once for the calling statement.
class CConversionFallback {
public:
    static bool Register(sqlite3* db);
    // Whether the server's error `code` says a value is not of the type it
    // converts to: no number, date, time, time zone or interval, or one
    // that does not match its model. A value too long for the precision of
    // its type (ORA-01438, ORA-01873) is not among them.
    static bool IsConversionError(int code);
};
