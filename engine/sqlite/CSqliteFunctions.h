#pragma once

struct sqlite3;
struct CSqliteSession;

// The server's SQL functions that the embedded engine lacks: SYSDATE, NVL,
// NVL2, DECODE, TO_DATE, TO_CHAR, TO_NUMBER, MOD, TRUNC, CONCAT, ADD_MONTHS,
// LAST_DAY and LENGTHB
// (bytes of the CP932 text), ROWNUM() (the number of the row being read, as
// the server's ROWNUM), and the
// server's "+", "-" and "||" as ORA_ADD, ORA_SUB and ORA_CONCAT (see
// CSqlEmitter; "*" and "/" are CNumberFunctions'), USER, UID and
// SYS_CONTEXT as ORA_USER, ORA_UID and ORA_SYS_CONTEXT, and ORA_NOCYCLE for
// CONNECT BY. Dates are text "YYYY-MM-DD HH:MM:SS".
class CSqliteFunctions {
public:
    // False when a function could not be registered. ROWNUM() counts its
    // calls in `rowNumber`, which the caller sets to 0 before each statement.
    // TO_DATE and TO_CHAR without a format use the session's date format.
    static bool Register(sqlite3* db, long long* rowNumber, CSqliteSession* session);
};
