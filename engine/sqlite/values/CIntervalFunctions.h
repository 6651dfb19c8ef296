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
// ORA-01760 for a unit that is none of those; ORA-01867 for text that is no
// interval.
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
};
