#pragma once

// Values: the server's time zone functions and TIMESTAMP arithmetic in SQL.
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_context;
struct CDateTime;
struct CSqliteSession;
class CTimeZone;

// Called by the text CSqlEmitter writes (values as CTimeZone stores them;
// a plain TIMESTAMP taken in the session's zone where a zone is needed):
//   ORA_TS_DIFF(a, b)             a - b, an INTERVAL DAY(9) TO SECOND(9)
//                                 between their instants
//   ORA_FROM_TZ(ts, zone)         the TIMESTAMP at the zone
//   ORA_AT_ZONE(v, zone)          the instant of v at the zone (AT TIME ZONE)
//   ORA_AT_LOCAL(v)               at the session's zone (AT LOCAL)
//   ORA_SYS_EXTRACT_UTC(v)        the TIMESTAMP in UTC
//   ORA_TZ_OFFSET(zone)           the zone's offset now, "+09:00"
//   ORA_SESSIONTIMEZONE(), ORA_DBTIMEZONE()
//   ORA_SYSTIMESTAMP(), ORA_CURRENT_TIMESTAMP(), ORA_LOCALTIMESTAMP(),
//   ORA_CURRENT_DATE()            the time now at the machine's zone or the
//                                 session's
//   ORA_TO_TIMESTAMP_TZ(text, format or NULL, at)
//   ORA_STORE_TZ(v, at, digits, kind)   stored in a column WITH TIME ZONE
//                                 (kind 1) or WITH LOCAL TIME ZONE (2)
//   ORA_LTZ(v)                    a WITH LOCAL TIME ZONE value in the
//                                 session's zone
//   ORA_TZ_KEY(v)                 the instant, as comparisons and sorts take it
//   ORA_NEW_TIME(date, zone, zone)  the date of one of NEW_TIME's zones
//                                 (AST, ..., YDT) at another
//   ORA_EXTRACT_TZ(field, v)      EXTRACT of a zoned value (in UTC) and of
//                                 TIMEZONE_HOUR, _MINUTE, _REGION, _ABBR
// Errors are the server's: ORA-01857, 01874, 01875, 01878, 01882 for zones.
class CZoneFunctions {
public:
    static bool Register(sqlite3* db, CSqliteSession* session);
    // `format` with its TZH, TZM, TZR and TZD elements written out as
    // quoted text for a value of `zone` at `utc` (seconds since 1970).
    static std::string WithZone(std::string_view format, const CTimeZone& zone, long long utc);
    // EXTRACT(SECOND): the second of `value` with its fraction, exact.
    static void ResultSecond(sqlite3_context* context, const CDateTime& value);
};
