#include "engine/sqlite/plsql/CPlsqlInterval.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/plsql/CPlsqlType.h"
#include "engine/sqlite/values/CTimeZone.h"

namespace {

constexpr std::int64_t kNanos = 1000000000;

std::int64_t Power10(int digits) {
    std::int64_t out = 1;
    for (int k = 0; k < digits; ++k) out *= 10;
    return out;
}

}  // namespace

bool CPlsqlInterval::Read(const std::string& text, CIntervalFunctions::Value& out) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    return CIntervalFunctions::Read(std::string_view(text).substr(first), out);
}

std::string CPlsqlInterval::Show(const CIntervalFunctions::Value& value, int leading, int fraction) {
    bool negative = value.months < 0 || value.seconds < 0 || value.nanos < 0;
    char sign = negative ? '-' : '+';
    char buffer[80];
    if (value.yearToMonth) {
        std::int64_t months = std::llabs(value.months);
        std::snprintf(buffer, sizeof buffer, "%c%0*lld-%02lld", sign, leading,
                      static_cast<long long>(months / 12), static_cast<long long>(months % 12));
        return buffer;
    }
    std::int64_t seconds = std::llabs(value.seconds);
    std::snprintf(buffer, sizeof buffer, "%c%0*lld %02lld:%02lld:%02lld", sign, leading,
                  static_cast<long long>(seconds / 86400), static_cast<long long>(seconds % 86400 / 3600),
                  static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
    std::string out = buffer;
    if (fraction > 0 && fraction <= 9) {
        std::string digits = std::to_string(std::llabs(value.nanos) / Power10(9 - fraction));
        out += "." +
               std::string(static_cast<std::size_t>(fraction) -
                               std::min<std::size_t>(digits.size(), static_cast<std::size_t>(fraction)),
                           '0') +
               digits;
    }
    return out;
}

int CPlsqlInterval::Fit(const std::string& text, const CPlsqlType& type, std::string& out) {
    CIntervalFunctions::Value value;
    if (!Read(text, value) || value.yearToMonth != (type.interval == 'Y')) return 1867;
    int fraction = type.fraction < 0 ? 6 : type.fraction;
    if (!value.yearToMonth) {
        // Note: the second is rounded to the digits the variable keeps.
        std::int64_t unit = Power10(9 - fraction);
        std::int64_t total = value.nanos + (value.nanos < 0 ? -unit / 2 : unit / 2);
        std::int64_t nanos = total / unit * unit;
        value.seconds += nanos / kNanos;
        value.nanos = nanos % kNanos;
    }
    std::int64_t leading =
        value.yearToMonth ? std::llabs(value.months) / 12 : std::llabs(value.seconds) / 86400;
    if (leading >= Power10(type.precision)) return 1873;
    out = Show(value, type.precision, fraction);
    return 0;
}

int CPlsqlInterval::Shift(const std::string& date, const std::string& text, int sign, std::string& out) {
    CIntervalFunctions::Value interval;
    CDateTime value;
    std::string_view local = date;
    std::string_view written;
    CTimeZone zone;
    bool zoned = CTimeZone::Split(date, local, written);
    if (zoned && CTimeZone::Parse(written, zone) != 0) return 932;
    if (!Read(text, interval) || !CDateFormat::ParseStored(local, value)) return 932;
    CDateTime moved = value;
    if (interval.months != 0) {
        if (!CDateFormat::AddMonths(value, sign * interval.months, moved)) return 1841;
        // Note: a month added keeps its day, as the server's interval arithmetic does.
        moved.day = value.day;
        if (!CDateFormat::IsValid(moved)) return out = CDateFormat::ToStored(moved), 1839;
    }
    std::int64_t nanos = moved.nanos + sign * interval.nanos;
    std::int64_t carry = nanos >= 0 ? nanos / kNanos : -((kNanos - 1 - nanos) / kNanos);
    nanos -= carry * kNanos;
    moved.nanos = 0;
    CDateTime shifted;
    if (!CDateFormat::AddDays(moved, static_cast<double>(sign * interval.seconds + carry) / 86400, shifted))
        return 1841;
    shifted.nanos = static_cast<int>(nanos);
    // Note: a zoned value moves on its own clock and keeps its zone, as in SQL.
    out = zoned ? CTimeZone::Store(shifted, zone) : CDateFormat::ToStored(shifted);
    return 0;
}

int CPlsqlInterval::Between(const std::string& later, const std::string& earlier, const CTimeZone& session,
                            std::string& out) {
    CDateTime a;
    CDateTime b;
    std::string_view local;
    std::string_view zone;
    // Note: with a zone on either side the two differ by their instants,
    // a plain one standing in the session's zone.
    if (CTimeZone::Split(later, local, zone) || CTimeZone::Split(earlier, local, zone)) {
        if (int code = CTimeZone::Instant(later, session, a); code != 0) return code;
        if (int code = CTimeZone::Instant(earlier, session, b); code != 0) return code;
    } else if (!CDateFormat::ParseStored(later, a) || !CDateFormat::ParseStored(earlier, b)) {
        return 932;
    }
    std::int64_t nanos = static_cast<std::int64_t>(a.nanos) - b.nanos;
    a.nanos = 0;
    b.nanos = 0;
    CIntervalFunctions::Value value;
    value.seconds = std::llround(CDateFormat::DaysBetween(a, b) * 86400);
    // Note: seconds and nanoseconds take one sign.
    if (value.seconds > 0 && nanos < 0) {
        --value.seconds;
        nanos += kNanos;
    } else if (value.seconds < 0 && nanos > 0) {
        ++value.seconds;
        nanos -= kNanos;
    }
    value.nanos = nanos;
    out = Show(value, 9, 9);
    return 0;
}

bool CPlsqlInterval::Shown(const std::string& value, CIntervalFunctions::Value& out) {
    return !value.empty() && (value[0] == '+' || value[0] == '-') && Read(value, out);
}

int CPlsqlInterval::Sum(CIntervalFunctions::Value left, const CIntervalFunctions::Value& right, int sign,
                        std::string& out) {
    if (int code = CIntervalFunctions::Add(left, right, sign); code != 0) return code;
    out = Show(left, 9, left.yearToMonth ? 0 : 9);
    return 0;
}

std::string CPlsqlInterval::OfDays(double days) {
    auto nanos = static_cast<std::int64_t>(std::llround(days * 86400.0 * 1e9));
    CIntervalFunctions::Value value;
    value.seconds = nanos / kNanos;
    value.nanos = nanos % kNanos;
    return Show(value, 9, 9);
}
