#pragma once

#include <string>
#include <vector>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/values/CTimeZone.h"

// What one connection's statements share: the settings of ALTER SESSION
// and the ROWNUM counters of the statement being run (one per query block).
struct CSqliteSession {
    std::string dateFormat = "RR-MM-DD";
    // NLS_TIMESTAMP_FORMAT (TIMESTAMP and WITH LOCAL TIME ZONE) and
    // NLS_TIMESTAMP_TZ_FORMAT (WITH TIME ZONE).
    static constexpr const char* kTimestampFormat = "RR-MM-DD HH24:MI:SSXFF";
    static constexpr const char* kTimestampTzFormat = "RR-MM-DD HH24:MI:SSXFF TZR";
    std::string timestampFormat = kTimestampFormat;
    std::string timestampTzFormat = kTimestampTzFormat;
    // The three formats as ALTER SESSION set them (UTF-8), as SYS_CONTEXT
    // and the NLS views show them; the models above, which dates are
    // written and read by, hold the territory's DL, DS and TS expanded.
    std::string dateFormatSetting = "RR-MM-DD";
    std::string timestampFormatSetting = kTimestampFormat;
    std::string timestampTzFormatSetting = kTimestampTzFormat;
    // NLS_DATE_LANGUAGE: JAPANESE, as the server's session of this console.
    CDateLanguage dateLanguage = CDateLanguage::Japanese;
    // NLS_LANGUAGE and NLS_TERRITORY as ALTER SESSION last set them.
    std::string language = "JAPANESE";
    std::string territory = "JAPAN";
    // TIME_ZONE: the machine's offset when the session starts, as the
    // server's client sets it; the database's zone is UTC.
    CTimeZone timeZone = CTimeZone::Machine();
    CTimeZone dbTimeZone;
    std::vector<long long> rownum;
    // The clock as the statement being run first read it (microseconds
    // since 1970; 0 before it is read).
    long long clockMicros = 0;
    // The user of CONNECT and the database's name, upper case (CP932).
    std::string user;
    std::string database;
};
