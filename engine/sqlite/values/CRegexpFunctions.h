#pragma once

// Values: the server's regular expression functions (PCRE2 underneath).
struct sqlite3;

// ORA_REGEXP_LIKE(s, pattern [, match]), ORA_REGEXP_COUNT(s, pattern
// [, position [, match]]), ORA_REGEXP_SUBSTR(s, pattern [, position
// [, occurrence [, match [, group]]]]), ORA_REGEXP_INSTR(s, pattern
// [, position [, occurrence [, end [, match [, group]]]]]) and
// ORA_REGEXP_REPLACE(s, pattern [, with [, position [, occurrence
// [, match]]]]) as the server's REGEXP_ functions: positions count
// characters from 1, occurrence 0 of REPLACE is every match, \1 to \9 in the
// replacement are groups, match flags i c n m x; ORA-12725 for a malformed
// pattern. Text is UTF-8, as SQLite hands it.
class CRegexpFunctions {
public:
    static bool Register(sqlite3* db);
};
