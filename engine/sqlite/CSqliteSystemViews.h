#pragma once

#include <span>

#include "engine/sqlite/CDictionaryView.h"

struct sqlite3;
struct CSqliteSession;

// The session's NLS settings as rows (name, value), as
// NLS_SESSION_PARAMETERS and V$PARAMETER show them.
#define TARVEX_NLS_SESSION_ROWS                                                                            \
    "VALUES ('NLS_LANGUAGE', substr(ORA_SYS_CONTEXT('USERENV', 'LANGUAGE'), 1, instr(ORA_SYS_CONTEXT("     \
    "'USERENV', 'LANGUAGE'), '_') - 1)), ('NLS_TERRITORY', ORA_SYS_CONTEXT('USERENV', 'NLS_TERRITORY')), " \
    "('NLS_CURRENCY', '\xEF\xBF\xA5'), ('NLS_ISO_CURRENCY', 'JAPAN'), ('NLS_NUMERIC_CHARACTERS', '.,'), "  \
    "('NLS_CALENDAR', 'GREGORIAN'), ('NLS_DATE_FORMAT', ORA_SYS_CONTEXT('USERENV', 'NLS_DATE_FORMAT')), "  \
    "('NLS_DATE_LANGUAGE', ORA_SYS_CONTEXT('USERENV', 'NLS_DATE_LANGUAGE')), ('NLS_SORT', 'BINARY'), "     \
    "('NLS_TIME_FORMAT', 'HH24:MI:SSXFF'), ('NLS_TIMESTAMP_FORMAT', "                                      \
    "ORA_NLS_PARAMETER('NLS_TIMESTAMP_FORMAT')), "                                                         \
    "('NLS_TIME_TZ_FORMAT', 'HH24:MI:SSXFF TZR'), ('NLS_TIMESTAMP_TZ_FORMAT', "                            \
    "ORA_NLS_PARAMETER('NLS_TIMESTAMP_TZ_FORMAT')), "                                                      \
    "('NLS_DUAL_CURRENCY', '\xEF\xBF\xA5'), ('NLS_COMP', 'BINARY'), ('NLS_LENGTH_SEMANTICS', 'BYTE'), "    \
    "('NLS_NCHAR_CONV_EXCP', 'FALSE')"

// The database's character sets as rows (name, value), without VALUES, as
// V$NLS_PARAMETERS shows them after the session's (the values of the
// database's rows below).
#define TARVEX_NLS_CHARACTER_SET_ROWS \
    "('NLS_CHARACTERSET', 'AL32UTF8'), ('NLS_NCHAR_CHARACTERSET', 'AL16UTF16')"

// The database's NLS settings as rows (name, value), as
// NLS_DATABASE_PARAMETERS and DATABASE_PROPERTIES show them.
#define TARVEX_NLS_DATABASE_ROWS                                                                          \
    "VALUES ('NLS_LANGUAGE', 'JAPANESE'), ('NLS_TERRITORY', 'JAPAN'), ('NLS_CURRENCY', '\xEF\xBF\xA5'), " \
    "('NLS_ISO_CURRENCY', 'JAPAN'), ('NLS_NUMERIC_CHARACTERS', '.,'), ('NLS_CHARACTERSET', 'AL32UTF8'), " \
    "('NLS_CALENDAR', 'GREGORIAN'), ('NLS_DATE_FORMAT', 'RR-MM-DD'), ('NLS_DATE_LANGUAGE', 'JAPANESE'), " \
    "('NLS_SORT', 'BINARY'), ('NLS_COMP', 'BINARY'), ('NLS_LENGTH_SEMANTICS', 'BYTE'), "                  \
    "('NLS_NCHAR_CHARACTERSET', 'AL16UTF16')"

// The views of the running database rather than of its objects: the
// dynamic views (V$SESSION, V$INSTANCE, V$DATABASE, V$PARAMETER, V$OPTION
// and their GV$ forms) with the one session of this connection, and the
// storage views (USER_SEGMENTS, USER_EXTENTS, DBA_DATA_FILES,
// DBA_FREE_SPACE) measured from the pages of the one file: a run of
// consecutive pages is an extent, a page no table or index uses is free.
class CSqliteSystemViews {
public:
    static std::span<const CDictionaryView> Views();
    // Adds ORA_SESSION_FACT(name), the facts of this connection's session
    // (its logon is the moment of this call); false on failure.
    static bool Register(sqlite3* db, const CSqliteSession* session);
};
