#pragma once

// PL/SQL: INTERVAL YEAR TO MONTH and DAY TO SECOND values of variables.
#include <string>

#include "engine/sqlite/values/CIntervalFunctions.h"

struct CPlsqlType;
class CTimeZone;

// An interval value is its text as the server shows it ("+01-02",
// "+01 02:03:04.500000"), as intervals travel through the engine. Every
// operation answers 0 or the ORA code of its failure.
class CPlsqlInterval {
public:
    // Interval text (as shown, or "d hh:mi:ss[.f]", "y-m") as a variable of
    // `type` holds it: its leading field in `type.precision` digits, its
    // second in `type.fraction` (rounded). ORA-01867 for text of no interval
    // or of the other kind, ORA-01873 for a leading field too long.
    static int Fit(const std::string& text, const CPlsqlType& type, std::string& out);
    // Stored DATE or TIMESTAMP `date` moved by interval `text` times `sign`
    // (1 or -1), as the engine stores dates, a zoned one keeping its zone;
    // ORA-01839 for a day its month lacks (the date it would be in `out`).
    static int Shift(const std::string& date, const std::string& text, int sign, std::string& out);
    // TIMESTAMP `later` - `earlier` (stored), an INTERVAL DAY(9) TO SECOND(9);
    // a plain one meeting a zoned one stands in the zone `session`.
    static int Between(const std::string& later, const std::string& earlier, const CTimeZone& session,
                       std::string& out);
    // Whether `value` is an interval as intervals are shown (signed first):
    // its value in `out`; text such as '1-2' is not taken for one.
    static bool Shown(const std::string& value, CIntervalFunctions::Value& out);
    // `left` + `right` (`sign` 1) or - (-1) shown in `out`: 0, or the error
    // of CIntervalFunctions::Add.
    static int Sum(CIntervalFunctions::Value left, const CIntervalFunctions::Value& right, int sign,
                   std::string& out);
    // `days` as an INTERVAL DAY(9) TO SECOND(9), to the nanosecond.
    static std::string OfDays(double days);
    // Whether `text` is an interval; its value in `out`.
    static bool Read(const std::string& text, CIntervalFunctions::Value& out);
    static std::string Show(const CIntervalFunctions::Value& value, int leading, int fraction);
};
