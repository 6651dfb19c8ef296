#pragma once

// Values: time zones as the server names them, and zoned timestamps as the
// engine stores them.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/sqlite/CDateFormat.h"

// A zone is an offset ("+09:00", "-05:30") or a region of the system's
// zone database ("Asia/Tokyo", any case; shown upper case as the server
// shows TZR). A TIMESTAMP WITH TIME ZONE is stored as its local time with
// nine digits of a second, a space and its zone:
// "2020-01-01 10:00:00.000000000 +09:00"; every function that reads a
// stored date reads such a value as its local time.
class CTimeZone {
public:
    bool region = false;
    std::int32_t offset = 0;  // seconds east of UTC, of an offset zone
    std::string name;         // a region's name, upper case

    // 0, or the server's number: ORA-01857 for text that is no zone,
    // ORA-01874 for an hour outside -15..15 (ORA-01875 a minute outside
    // 0..59), ORA-01882 for a region the zone database lacks.
    static int Parse(std::string_view text, CTimeZone& out);
    // "+09:00", "-05:30", or the region's name.
    std::string Show() const;
    // The offset from UTC at the instant `utc` (seconds since 1970).
    std::int32_t OffsetAt(std::int64_t utc) const;
    // The abbreviation at `utc` ("JST", "EDT"); empty for an offset zone.
    std::string Abbreviation(std::int64_t utc) const;
    // The offset of a local time of the zone: 0, or ORA-01878 for a time the
    // clocks skip.
    int OffsetOfLocal(std::int64_t local, std::int32_t& out) const;

    // The offset "+hh:mi" of `seconds`.
    static std::string ShowOffset(std::int32_t seconds);
    // The machine's offset from UTC now, as "+hh:mi" (TZ is honoured), and
    // as a zone.
    static std::string MachineOffset();
    static CTimeZone Machine();
    // The folder of the zone database: TZDIR, else /usr/share/zoneinfo.
    static std::string Directory();

    // Seconds since 1970 of a date and time, and back (nanos kept apart).
    static std::int64_t Seconds(const CDateTime& value);
    static CDateTime FromSeconds(std::int64_t seconds, int nanos);

    // The stored form of a zoned value, and its parts: false when `stored`
    // carries no zone (a DATE or TIMESTAMP's stored text).
    static std::string Store(const CDateTime& local, const CTimeZone& zone);
    static bool Split(std::string_view stored, std::string_view& local, std::string_view& zone);
    // The stored text of a timestamp moved from the zone `from` to `to`.
    // 0, or the server's number of what failed.
    static int Convert(const CDateTime& local, const CTimeZone& from, const CTimeZone& to, CDateTime& out);
    // The instant of a stored value (zoned or, at `fallback`, plain) in UTC.
    static int Instant(std::string_view stored, const CTimeZone& fallback, CDateTime& utc);
};
