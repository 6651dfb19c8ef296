#pragma once

// Values: intervals made at run time, held as the text the server shows.
#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;

// An interval value travels as the server shows it: "+000000001-02" (YEAR
// TO MONTH) or "+000000001 02:03:04.500000000" (DAY TO SECOND). Called by
// the text CSqlEmitter writes:
//   ORA_NUMTOYMINTERVAL(n, 'YEAR'|'MONTH')   n years or months (rounded to
//       a month)
//   ORA_NUMTODSINTERVAL(n, 'DAY'|'HOUR'|'MINUTE'|'SECOND')   to the
//       nanosecond
//   ORA_TO_YMINTERVAL('[+|-]y-m'), ORA_TO_DSINTERVAL('[+|-]d hh:mi:ss[.f]')
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
    static std::string Show(const Value& value);
    // `value` as a type of that leading precision and (DAY TO SECOND) that
    // many digits of a second holds it: the fraction rounded half away from
    // zero; false when the leading field (years, days) needs more digits.
    static bool Fit(Value& value, int leading, int fraction);
    // As the server shows a value of that type: "+001 02:03:04.78", "+005-01".
    static std::string Show(const Value& value, int leading, int fraction);
};
