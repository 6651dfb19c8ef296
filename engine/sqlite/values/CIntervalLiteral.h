#pragma once

// Values: the server's INTERVAL literals.
#include <cstdint>
#include <string>
#include <string_view>

// An INTERVAL literal's value: months (YEAR TO MONTH) or seconds and
// nanoseconds (DAY TO SECOND), signed as written.
class CIntervalLiteral {
public:
    // `text` is the quoted literal's content; `leading` and `trailing` the
    // field names (YEAR, MONTH, DAY, HOUR, MINUTE, SECOND; `trailing` empty
    // for a single field). False when the text does not fit the fields.
    bool Parse(std::string_view text, std::string_view leading, std::string_view trailing);

    bool YearToMonth() const { return m_yearMonth; }
    std::int64_t Months() const { return m_negative ? -m_months : m_months; }
    std::int64_t Seconds() const { return m_negative ? -m_seconds : m_seconds; }
    int Nanos() const { return m_negative ? -m_nanos : m_nanos; }
    // The value as a literal of that precision holds it: its fraction of a
    // second rounded to `fraction` digits; false when the leading field as
    // written has more digits than `leading`.
    bool Fit(int leading, int fraction);
    // As the server shows the value, the days or years with at least
    // `leading` digits: "+02-06", "+01 00:00:00.000000".
    std::string Show(int leading, int fraction) const;

private:
    bool m_yearMonth = false;
    bool m_negative = false;
    std::int64_t m_months = 0;
    std::int64_t m_seconds = 0;
    int m_nanos = 0;
    std::int64_t m_leadingField = 0;  // the leading field's number as written
};
