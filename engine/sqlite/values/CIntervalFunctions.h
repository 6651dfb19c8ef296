#pragma once

// Values: intervals made at run time, held as the text the server shows.
#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
class CNumberDecimal;

// An interval value travels as the server shows it: "+000000001-02" (YEAR
// TO MONTH) or "+000000001 02:03:04.500000000" (DAY TO SECOND). Called by
// the text CSqlEmitter writes:
//   ORA_NUMTOYMINTERVAL(n, 'YEAR'|'MONTH')   n years or months (rounded to
//       a month)
//   ORA_NUMTODSINTERVAL(n, 'DAY'|'HOUR'|'MINUTE'|'SECOND')   to the
//       nanosecond
//   ORA_TO_YMINTERVAL('[+|-]y-m'), ORA_TO_DSINTERVAL('[+|-]d hh:mi:ss[.f]'),
//       either also an ISO 8601 duration (see CIsoDuration)
//   ORA_INTERVAL_ADD(a, b, 1|-1)   a + b or a - b, both of one kind
//   ORA_INTERVAL_SCALE(a, n, 0|1)   a * n or a / n (months cut to whole
//       months, seconds rounded to the nanosecond)
//   ORA_INTERVAL_CMP(a, b)   -1, 0 or 1 (by value, whatever the precision)
//   ORA_INTERVAL_KEY(a)   text that sorts as the intervals' lengths do
//   ORA_INTERVAL_SUM(a), ORA_INTERVAL_AVG(a)   aggregates, also over a
//       window; the average rounded to the nanosecond (months cut)
//   ORA_STORE_INTERVAL(v, yearToMonth, leading, fraction)   v as an INTERVAL
//       YEAR(leading) TO MONTH or DAY(leading) TO SECOND(fraction) holds it
// ORA-01760 for a unit that is none of those; ORA-01867 for text that is no
// interval; ORA-01873 for a value whose leading field has more digits than
// the type's leading precision; ORA-00932 for a value of another type.
class CIntervalFunctions {
public:
    struct Value {
        bool yearToMonth = false;
        std::int64_t months = 0;
        std::int64_t seconds = 0;
        std::int64_t nanos = 0;  // same sign as seconds
    };

    static bool Register(sqlite3* db);
    // The value of an interval's text as the functions write it (also "d
    // hh:mi:ss[.f]" and "y-m" as TO_DSINTERVAL and TO_YMINTERVAL read them).
    static bool Read(std::string_view text, Value& out);
    // As Read: 0, or the server's error for the text: ORA-01843 for months
    // past 11, ORA-01850, 01851 or 01852 for hours, minutes or seconds past
    // their ranges, ORA-01867 for any other text that is no interval.
    static int Parse(std::string_view text, Value& out);
    static std::string Show(const Value& value);
    // `value` as a type of that leading precision and (DAY TO SECOND) that
    // many digits of a second holds it: the fraction rounded half away from
    // zero; false when the leading field (years, days) needs more digits.
    static bool Fit(Value& value, int leading, int fraction);
    // As the server shows a value of that type: "+001 02:03:04.78", "+005-01".
    static std::string Show(const Value& value, int leading, int fraction);
    // left + right (sign 1) or left - right (sign -1) into `left`; 0, or
    // ORA-00932 for two kinds, ORA-01873 past nine leading digits.
    static int Add(Value& left, const Value& right, int sign);
    // value * factor, or value / factor when `divide`: months cut to whole
    // months, seconds rounded to the nanosecond; 0, ORA-01476 or ORA-01873.
    static int Scale(Value& value, const CNumberDecimal& factor, bool divide);
    // -1, 0 or 1 as `left` is shorter, as long or longer (one kind).
    static int Compare(const Value& left, const Value& right);
};
