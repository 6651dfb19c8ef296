#include "engine/sqlite/CSqliteValueFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/CTimestampText.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CIntervalFunctions.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "engine/sqlite/values/CZoneFunctions.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::TextOf;

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

void Raise(sqlite3_context* context, int code, std::initializer_list<std::string_view> args, int at) {
    std::string message = COraError::ForFunction(code, args, at);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

using sqliteapi::ResultText;

// A number that already has at most `scale` decimals and fits `precision`:
// true when it needs no decimal rounding (the common case, kept fast).
bool FitsAsIs(sqlite3_value* value, int precision, int scale) {
    int type = sqlite3_value_type(value);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return false;
    bool scaled = scale != CSqliteValueFunctions::kNoScale;
    double number = sqlite3_value_double(value);
    if (type == SQLITE_FLOAT) {
        if (!scaled || scale < 0 || scale > 12) return !scaled && precision == 0 && std::isfinite(number);
        double shifted = number * std::pow(10.0, scale);
        if (!(std::fabs(shifted) < 1e15) || shifted != std::nearbyint(shifted)) return false;
    } else if (scaled && scale < 0) {
        return false;
    }
    return precision == 0 || std::fabs(number) < std::pow(10.0, precision - (scaled ? scale : 0)) * 0.999999;
}

void StoreNumber(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    int precision = sqlite3_value_int(argv[1]);
    int scale = sqlite3_value_int(argv[2]);
    if (FitsAsIs(argv[0], precision, scale)) return sqlite3_result_value(context, argv[0]);
    int at = sqlite3_value_int(argv[4]);
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722, {}, at);
    if (!CSqliteValueFunctions::FitNumber(number, precision, scale))
        return Raise(context, 1438, {TextOf(argv[3])}, at);
    CNumberValue::ResultStored(context, number);
}

std::size_t Characters(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

void StoreText(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    std::string text;
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_INTEGER:
            text = CValueText::FromInteger(sqlite3_value_int64(argv[0]));
            break;
        case SQLITE_FLOAT:
            text = CValueText::FromDouble(sqlite3_value_double(argv[0]));
            break;
        default:
            text = TextOf(argv[0]);
    }
    if (text.empty()) return sqlite3_result_null(context);
    long limit = sqlite3_value_int(argv[1]);
    bool chars = sqlite3_value_int(argv[2]) != 0;
    bool pad = sqlite3_value_int(argv[3]) != 0;
    int at = sqlite3_value_int(argv[5]);
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    std::size_t length = chars || ascii ? Characters(text) : encoding::Utf8ToCp932(text).size();
    if (limit > 0 && length > static_cast<std::size_t>(limit))
        return Raise(context, chars ? 112899 : 12899,
                     {TextOf(argv[4]), std::to_string(length), std::to_string(limit)}, at);
    if (pad && limit > 0) text.append(static_cast<std::size_t>(limit) - length, ' ');
    ResultText(context, text);
}

// 0, or the server's number for why `text` is no date of the session's format.
int ReadDate(const CSqliteSession& session, const std::string& text, CDateTime& value) {
    if (CValueText::HasStoredDatePrefix(text) && CDateFormat::ParseStored(text, value)) return 0;
    return CDateFormat::Read(text, session.dateFormat, value, session.dateLanguage);
}

void StoreDate(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    int at = sqlite3_value_int(argv[1]);
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return Raise(context, 932, {}, at);
    std::string text = TextOf(argv[0]);
    CDateTime value;
    if (int code = ReadDate(*session, text, value); code != 0) return Raise(context, code, {text}, at);
    ResultText(context, CDateFormat::ToStored(value));
}

// ORA_STORE_DATE(value, at, digits): a DATE (0 digits) or TIMESTAMP(n)
// holds the second's fraction rounded to its digits.
void StoreTimestamp(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    int at = sqlite3_value_int(argv[1]);
    int digits = std::clamp(sqlite3_value_int(argv[2]), 0, 9);
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return Raise(context, 932, {}, at);
    std::string text = TextOf(argv[0]);
    CDateTime value;
    // Note: a text of the session's NLS_TIMESTAMP_FORMAT is taken too.
    if (int code = ReadDate(*session, text, value);
        code != 0 && CDateFormat::Read(text, CTimestampText::WithFraction(session->timestampFormat, 9), value,
                                       session->dateLanguage) != 0)
        return Raise(context, code, {text}, at);
    static constexpr int kUnits[] = {1000000000, 100000000, 10000000, 1000000, 100000,
                                     10000,      1000,      100,      10,      1};
    int unit = kUnits[digits];
    int nanos = (value.nanos + unit / 2) / unit * unit;
    value.nanos = 0;
    if (nanos >= 1000000000) {
        CDateTime next;
        if (!CDateFormat::AddDays(value, 1.0 / 86400, next)) return Raise(context, 1841, {}, at);
        value = next;
        nanos = 0;
    }
    value.nanos = nanos;
    ResultText(context, CDateFormat::ToStored(value));
}

// ORA_ADD_INTERVAL(value, months, seconds, nanos): an INTERVAL added to a
// date or timestamp; the month must have the day (ORA-01839).
// The date `date` moved by months, seconds and nanoseconds.
void Shift(sqlite3_context* context, sqlite3_value* date, long long months, long long seconds,
           long long nanos) {
    if (IsNull(date)) return sqlite3_result_null(context);
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    std::string text = TextOf(date);
    CDateTime value;
    if (int code = ReadDate(*session, text, value); code != 0) return Raise(context, code, {text}, 0);
    CDateTime moved = value;
    if (months != 0) {
        if (!CDateFormat::AddMonths(value, months, moved)) return Raise(context, 1841, {}, 0);
        moved.day = value.day;
        if (!CDateFormat::IsValid(moved)) return Raise(context, 1839, {CDateFormat::ToStored(moved)}, 0);
    }
    nanos += moved.nanos;
    long long carry = nanos >= 0 ? nanos / 1000000000 : -((999999999 - nanos) / 1000000000);
    nanos -= carry * 1000000000;
    moved.nanos = 0;
    CDateTime out;
    if (!CDateFormat::AddDays(moved, static_cast<double>(seconds + carry) / 86400, out))
        return Raise(context, 1841, {}, 0);
    out.nanos = static_cast<int>(nanos);
    // Note: a zoned value moves on its clock and keeps its zone.
    std::string_view local;
    std::string_view zone;
    CTimeZone zoned;
    if (CTimeZone::Split(text, local, zone) && CTimeZone::Parse(zone, zoned) == 0)
        return ResultText(context, CTimeZone::Store(out, zoned));
    ResultText(context, CDateFormat::ToStored(out));
}

void AddInterval(sqlite3_context* context, int, sqlite3_value** argv) {
    Shift(context, argv[0], sqlite3_value_int64(argv[1]), sqlite3_value_int64(argv[2]),
          sqlite3_value_int64(argv[3]));
}

// A date plus (sign 1) or minus (-1) an interval made at run time.
void AddIntervalValue(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(context);
    CIntervalFunctions::Value interval;
    if (!CIntervalFunctions::Read(TextOf(argv[1]), interval)) return Raise(context, 1867, {}, -1);
    long long sign = sqlite3_value_int(argv[2]) < 0 ? -1 : 1;
    Shift(context, argv[0], sign * interval.months, sign * interval.seconds, sign * interval.nanos);
}

long long& Counter(sqlite3_context* context, sqlite3_value* block) {
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    auto index = static_cast<std::size_t>(std::max(0, sqlite3_value_int(block)));
    if (session->rownum.size() <= index) session->rownum.resize(index + 1, 0);
    return session->rownum[index];
}

void RownumPeek(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_int64(context, Counter(context, argv[0]) + 1);
}

void RownumCurrent(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_int64(context, Counter(context, argv[0]));
}

void RownumAccept(sqlite3_context* context, int, sqlite3_value** argv) {
    bool accepted = !IsNull(argv[1]) && sqlite3_value_double(argv[1]) != 0;
    if (accepted) ++Counter(context, argv[0]);
    sqlite3_result_int(context, accepted ? 1 : 0);
}

bool DateValue(sqlite3_value* value, CDateTime& date) {
    if (sqlite3_value_type(value) != SQLITE_TEXT) return false;
    std::string text = TextOf(value);
    return CValueText::IsStoredDate(text) && CDateFormat::ParseStored(text, date);
}

bool NumberValue(sqlite3_value* value, double& number) {
    int type = sqlite3_value_type(value);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        number = sqlite3_value_double(value);
        return true;
    }
    return CValueText::ParseNumber(TextOf(value), number);
}

// The unit a date format names for TRUNC and ROUND.
enum class DateUnit {
    Century,
    Year,
    IsoYear,
    Quarter,
    Month,
    YearWeek,
    IsoWeek,
    MonthWeek,
    Week,
    Day,
    Hour,
    Minute,
    None
};

DateUnit UnitOf(std::string format) {
    for (char& c : format)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const struct {
        const char* name;
        DateUnit unit;
    } kUnits[] = {{"YYYY", DateUnit::Year},   {"YYY", DateUnit::Year},     {"YY", DateUnit::Year},
                  {"Y", DateUnit::Year},      {"YEAR", DateUnit::Year},    {"SYYYY", DateUnit::Year},
                  {"RR", DateUnit::Year},     {"RRRR", DateUnit::Year},    {"Q", DateUnit::Quarter},
                  {"MM", DateUnit::Month},    {"MON", DateUnit::Month},    {"MONTH", DateUnit::Month},
                  {"RM", DateUnit::Month},    {"DD", DateUnit::Day},       {"DDD", DateUnit::Day},
                  {"J", DateUnit::Day},       {"HH", DateUnit::Hour},      {"HH12", DateUnit::Hour},
                  {"HH24", DateUnit::Hour},   {"MI", DateUnit::Minute},    {"CC", DateUnit::Century},
                  {"SCC", DateUnit::Century}, {"IYYY", DateUnit::IsoYear}, {"IYY", DateUnit::IsoYear},
                  {"IY", DateUnit::IsoYear},  {"I", DateUnit::IsoYear},    {"WW", DateUnit::YearWeek},
                  {"IW", DateUnit::IsoWeek},  {"W", DateUnit::MonthWeek},  {"D", DateUnit::Week},
                  {"DY", DateUnit::Week},     {"DAY", DateUnit::Week},     {"SYEAR", DateUnit::Year}};
    for (const auto& row : kUnits)
        if (format == row.name) return row.unit;
    return DateUnit::None;
}

// Whole days from a Monday (2001-01-01) to the day of `date`.
long DayNumber(const CDateTime& date) {
    CDateTime day{date.year, date.month, date.day, 0, 0, 0};
    return std::lround(CDateFormat::DaysBetween(day, CDateTime{2001, 1, 1, 0, 0, 0}));
}

// The Monday of the first ISO week of `year`: the week of January 4th.
CDateTime IsoYearStart(int year) {
    CDateTime fourth{year, 1, 4, 0, 0, 0};
    CDateTime start = fourth;
    CDateFormat::AddDays(fourth, -static_cast<double>(((DayNumber(fourth) % 7) + 7) % 7), start);
    return start;
}

// The start of the period of `days` days that `date` is in, counted from
// `origin`; the next one when rounding and `date` is in its second half.
bool PeriodOf(const CDateTime& date, const CDateTime& origin, bool round, CDateTime& out) {
    long since = DayNumber(date) - DayNumber(origin);
    long into = ((since % 7) + 7) % 7;
    CDateTime day{date.year, date.month, date.day, 0, 0, 0};
    if (!CDateFormat::AddDays(day, -static_cast<double>(into), out)) return false;
    bool up = round && CDateFormat::DaysBetween(date, out) >= 3.5;
    return !up || CDateFormat::AddDays(out, 7, out);
}

// TRUNC (or ROUND) of a date to a week, an ISO year or a century.
bool DateToWeeks(CDateTime date, DateUnit unit, bool round, CDateTime& out) {
    switch (unit) {
        case DateUnit::Century: {
            int first = (date.year - 1) / 100 * 100 + 1;
            out = CDateTime{first + (round && (date.year - 1) % 100 >= 50 ? 100 : 0), 1, 1, 0, 0, 0};
            return CDateFormat::IsValid(out);
        }
        case DateUnit::IsoYear: {
            int year = date.year;
            if (CDateFormat::DaysBetween(date, IsoYearStart(year)) < 0) --year;
            if (CDateFormat::DaysBetween(date, IsoYearStart(year + 1)) >= 0) ++year;
            // Note: as a year, an ISO year rounds up from July 1st.
            out = IsoYearStart(year + (round && date.month >= 7 ? 1 : 0));
            return CDateFormat::IsValid(out);
        }
        case DateUnit::YearWeek:
            return PeriodOf(date, CDateTime{date.year, 1, 1, 0, 0, 0}, round, out);
        case DateUnit::MonthWeek:
            return PeriodOf(date, CDateTime{date.year, date.month, 1, 0, 0, 0}, round, out);
        case DateUnit::IsoWeek:
            return PeriodOf(date, CDateTime{2001, 1, 1, 0, 0, 0}, round, out);
        default:
            // Note: the week of the session's territory starts on Sunday.
            return PeriodOf(date, CDateTime{2000, 12, 31, 0, 0, 0}, round, out);
    }
}

// TRUNC (or ROUND) of a date to `unit`; false when out of range.
bool DateTo(CDateTime date, DateUnit unit, bool round, CDateTime& out) {
    CDateTime start = date;
    CDateTime next = date;
    switch (unit) {
        case DateUnit::Century:
        case DateUnit::IsoYear:
        case DateUnit::YearWeek:
        case DateUnit::IsoWeek:
        case DateUnit::MonthWeek:
        case DateUnit::Week:
            return DateToWeeks(date, unit, round, out);
        case DateUnit::Year:
            start = CDateTime{date.year, 1, 1, 0, 0, 0};
            next = CDateTime{date.year + 1, 1, 1, 0, 0, 0};
            // Note: a year rounds up from July 1st, a quarter or month from its 16th.
            out = round && date.month >= 7 ? next : start;
            return CDateFormat::IsValid(out);
        case DateUnit::Quarter: {
            int first = (date.month - 1) / 3 * 3 + 1;
            start = CDateTime{date.year, first, 1, 0, 0, 0};
            bool up = round && (date.month > first + 1 || (date.month == first + 1 && date.day >= 16));
            if (!up) return out = start, true;
            return CDateFormat::AddMonths(start, 3, out);
        }
        case DateUnit::Month:
            start = CDateTime{date.year, date.month, 1, 0, 0, 0};
            if (!(round && date.day >= 16)) return out = start, true;
            return CDateFormat::AddMonths(start, 1, out);
        case DateUnit::Day:
            start.hour = start.minute = start.second = 0;
            if (!(round && date.hour >= 12)) return out = start, true;
            return CDateFormat::AddDays(start, 1, out);
        case DateUnit::Hour:
            start.minute = start.second = 0;
            if (!(round && date.minute >= 30)) return out = start, true;
            return CDateFormat::AddDays(start, 1.0 / 24, out);
        case DateUnit::Minute:
            start.second = 0;
            if (!(round && date.second >= 30)) return out = start, true;
            return CDateFormat::AddDays(start, 1.0 / 1440, out);
        case DateUnit::None:
            break;
    }
    return false;
}

// ROUND or TRUNC: numbers to decimals, dates to a unit (a day by default).
template <bool kRound>
void RoundOrTrunc(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (IsNull(argv[k])) return sqlite3_result_null(context);
    CDateTime date;
    if (DateValue(argv[0], date)) {
        std::string format = argc > 1 ? TextOf(argv[1]) : std::string("DD");
        DateUnit unit = UnitOf(format);
        if (unit == DateUnit::None) return Raise(context, 1821, {format}, -1);
        CDateTime out;
        if (!DateTo(date, unit, kRound, out)) return Raise(context, 1841, {}, -1);
        return ResultText(context, CDateFormat::ToStored(out));
    }
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722, {}, -1);
    long scale = argc > 1 ? static_cast<long>(sqlite3_value_int(argv[1])) : 0;
    CNumberValue::Result(context, kRound ? number.Round(scale) : number.Truncate(scale));
}

// CEIL and FLOOR: the next whole number up or down.
template <bool kUp>
void Whole(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722, {}, -1);
    CNumberDecimal whole = number.Truncate(0);
    int away = number.Compare(whole);
    if (away != 0 && (away > 0) == kUp) whole = whole.Add(CNumberDecimal::FromInteger(kUp ? 1 : -1));
    CNumberValue::Result(context, whole);
}

template <double (*F)(double)>
void Unary(sqlite3_context* context, int, sqlite3_value** argv) {
    double x = 0;
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    if (!NumberValue(argv[0], x)) return Raise(context, 1722, {}, -1);
    double y = F(x);
    if (std::trunc(y) == y && std::fabs(y) < 9e15)
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(y));
    else
        sqlite3_result_double(context, y);
}

double Sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

// POWER: exact for a whole exponent, through doubles otherwise.
void Power(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    CNumberDecimal base;
    CNumberDecimal exponent;
    if (!CNumberValue::Read(argv[0], base) || !CNumberValue::Read(argv[1], exponent))
        return Raise(context, 1722, {}, -1);
    std::int64_t whole = 0;
    CNumberDecimal raised;
    if (exponent.ToInteger(whole) && whole > -100000 && whole < 100000) {
        if (!base.Power(static_cast<long>(whole), raised))
            return Raise(context, base.IsZero() ? 1476 : 1426, {}, -1);
        return CNumberValue::Result(context, raised);
    }
    double z = std::pow(base.Approximate(), exponent.Approximate());
    if (!std::isfinite(z) || !CNumberDecimal::FromDouble(z, raised))
        return Raise(context, 1428, {TextOf(argv[0])}, -1);
    CNumberValue::Result(context, raised);
}

// A field of an interval's text: YEAR and MONTH of YEAR TO MONTH, DAY to
// SECOND (with its fraction) of DAY TO SECOND.
void ExtractInterval(sqlite3_context* context, const std::string& field,
                     const CIntervalFunctions::Value& interval) {
    struct Field {
        const char* name;
        bool yearToMonth;
        std::int64_t value;
    };
    const Field fields[] = {
        {"YEAR", true, interval.months / 12},
        {"MONTH", true, interval.months % 12},
        {"DAY", false, interval.seconds / 86400},
        {"HOUR", false, interval.seconds % 86400 / 3600},
        {"MINUTE", false, interval.seconds % 3600 / 60},
        {"SECOND", false, interval.seconds % 60},
    };
    for (const Field& row : fields) {
        if (field != row.name) continue;
        if (row.yearToMonth != interval.yearToMonth) return Raise(context, 932, {}, -1);
        if (field != "SECOND" || interval.nanos == 0) return sqlite3_result_int64(context, row.value);
        std::string nanos = std::to_string(std::llabs(interval.nanos));
        std::string text = (row.value < 0 || interval.nanos < 0 ? "-" : "") +
                           std::to_string(std::llabs(row.value)) + "." +
                           std::string(9 - std::min<std::size_t>(nanos.size(), 9), '0') + nanos;
        CNumberDecimal seconds;
        if (!CNumberDecimal::FromText(text, seconds)) return sqlite3_result_null(context);
        return CNumberValue::Result(context, seconds);
    }
    sqlite3_result_null(context);
}

// ORA_IS_INTERVAL(value): 1 when the value is an interval's text.
void IsInterval(sqlite3_context* context, int, sqlite3_value** argv) {
    CIntervalFunctions::Value interval;
    bool text = sqlite3_value_type(argv[0]) == SQLITE_TEXT;
    sqlite3_result_int(context, text && CIntervalFunctions::Read(TextOf(argv[0]), interval) ? 1 : 0);
}

void Extract(sqlite3_context* context, int, sqlite3_value** argv) {
    CDateTime date;
    if (IsNull(argv[1])) return sqlite3_result_null(context);
    CIntervalFunctions::Value interval;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT && CIntervalFunctions::Read(TextOf(argv[1]), interval))
        return ExtractInterval(context, TextOf(argv[0]), interval);
    if (!DateValue(argv[1], date)) return Raise(context, 932, {}, -1);
    // Note: the fields of a zoned value are those of its instant in UTC; a
    // block's variable reaches SQL with its type unknown, so comes here.
    std::string text = TextOf(argv[1]);
    std::string_view local;
    std::string_view zone;
    CDateTime utc;
    if (CTimeZone::Split(text, local, zone) && CTimeZone::Instant(text, CTimeZone(), utc) == 0) date = utc;
    std::string field = TextOf(argv[0]);
    if (field == "SECOND") return CZoneFunctions::ResultSecond(context, date);
    const int parts[] = {date.year, date.month, date.day, date.hour, date.minute};
    const char* const names[] = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE"};
    for (int k = 0; k < 5; ++k)
        if (field == names[k]) return sqlite3_result_int(context, parts[k]);
    sqlite3_result_null(context);
}

void MonthsBetween(sqlite3_context* context, int, sqlite3_value** argv) {
    CDateTime a;
    CDateTime b;
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    if (!DateValue(argv[0], a) || !DateValue(argv[1], b)) return Raise(context, 932, {}, -1);
    auto whole = static_cast<std::int64_t>((a.year - b.year) * 12 + (a.month - b.month));
    CNumberDecimal months = CNumberDecimal::FromInteger(whole);
    bool bothLast = a.day == CDateFormat::LastDayOfMonth(a.year, a.month) &&
                    b.day == CDateFormat::LastDayOfMonth(b.year, b.month);
    // Note: the part of a month is the difference in days and time over a
    // month of 31 days, exact.
    if (a.day != b.day && !bothLast) {
        std::int64_t seconds = (a.day - b.day) * 86400LL + (a.hour - b.hour) * 3600LL +
                               (a.minute - b.minute) * 60LL + (a.second - b.second);
        CNumberDecimal part;
        CNumberDecimal::FromInteger(seconds).Divide(CNumberDecimal::FromInteger(31LL * 86400), part);
        months = months.Add(part);
    }
    CNumberValue::Result(context, months);
}

// LISTAGG: values with their sort keys, joined at the end.
struct ListEntry {
    std::string value;
    bool keyNull = true;
    bool keyNumber = false;
    double number = 0;
    std::string text;
};

struct ListState {
    std::vector<ListEntry>* entries;
    std::string separator;
    bool descending;
    // ON OVERFLOW TRUNCATE: the indicator, and whether the count follows it.
    bool truncate = false;
    std::string indicator;
    bool count = true;
    // LISTAGG(DISTINCT ...): each value once.
    bool distinct = false;
};

// What the user data of ORA_LISTAGG and its forms tells.
struct ListForm {
    bool cut;
    bool distinct;
};

// The result of LISTAGG may hold this many bytes (VARCHAR2).
constexpr std::size_t kListLimit = 4000;

std::size_t Cp932Bytes(const std::string& utf8) {
    return encoding::IsAscii(utf8) ? utf8.size() : encoding::Utf8ToCp932(utf8).size();
}

// ORA_LISTAGG(v [, separator [, key, descending]]) and ORA_LISTAGG_CUT(v,
// separator, indicator, count [, key, descending]) for ON OVERFLOW TRUNCATE.
void ListStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
    auto** state = static_cast<ListState**>(sqlite3_aggregate_context(context, sizeof(ListState*)));
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    const auto* form = static_cast<const ListForm*>(sqlite3_user_data(context));
    bool cut = form->cut;
    if (*state == nullptr) {
        *state = new ListState{new std::vector<ListEntry>, {}, false, cut, {}, true, form->distinct};
        if (cut) {
            (*state)->indicator = TextOf(argv[2]);
            (*state)->count = sqlite3_value_int(argv[3]) != 0;
        }
    }
    if (IsNull(argv[0])) return;
    ListEntry entry;
    int type = sqlite3_value_type(argv[0]);
    entry.value = type == SQLITE_INTEGER ? CValueText::FromInteger(sqlite3_value_int64(argv[0]))
                  : type == SQLITE_FLOAT ? CValueText::FromDouble(sqlite3_value_double(argv[0]))
                                         : TextOf(argv[0]);
    (*state)->separator = argc > 1 && !IsNull(argv[1]) ? TextOf(argv[1]) : std::string();
    int keys = cut ? 4 : 2;
    if (argc > keys) {
        entry.keyNull = IsNull(argv[keys]);
        int keyType = sqlite3_value_type(argv[keys]);
        entry.keyNumber = keyType == SQLITE_INTEGER || keyType == SQLITE_FLOAT;
        entry.number = sqlite3_value_double(argv[keys]);
        entry.text = TextOf(argv[keys]);
        (*state)->descending = argc > keys + 1 && sqlite3_value_int(argv[keys + 1]) != 0;
    }
    (*state)->entries->push_back(std::move(entry));
}

// The values joined, at most kListLimit bytes: false when they do not fit
// and the list is not to be cut; cut, whole values are kept with the
// separator, the indicator and the count of the values left out.
bool JoinList(const ListState& state, std::string& out) {
    const std::vector<ListEntry>& entries = *state.entries;
    std::vector<std::pair<std::size_t, std::size_t>> marks;  // text size and bytes after each value
    std::size_t bytes = 0;
    std::size_t separator = Cp932Bytes(state.separator);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        std::size_t add = (k > 0 ? separator : 0) + Cp932Bytes(entries[k].value);
        if (bytes + add > kListLimit) break;
        if (k > 0) out += state.separator;
        out += entries[k].value;
        bytes += add;
        marks.emplace_back(out.size(), bytes);
    }
    if (marks.size() == entries.size()) return true;
    if (!state.truncate) return false;
    std::size_t kept = marks.size();
    auto tail = [&](std::size_t left) {
        return state.separator + state.indicator + (state.count ? "(" + std::to_string(left) + ")" : "");
    };
    while (kept > 0 && marks[kept - 1].second + Cp932Bytes(tail(entries.size() - kept)) > kListLimit) --kept;
    out.resize(kept > 0 ? marks[kept - 1].first : 0);
    out += tail(entries.size() - kept);
    return true;
}

// The answer of the values given, sorted (and their repeats dropped) here.
void ListAnswer(sqlite3_context* context, const ListState& state, std::vector<ListEntry>& entries) {
    bool descending = state.descending;
    std::stable_sort(entries.begin(), entries.end(), [descending](const ListEntry& a, const ListEntry& b) {
        if (a.keyNull || b.keyNull)
            return !a.keyNull && b.keyNull ? !descending : (a.keyNull && !b.keyNull ? descending : false);
        bool less = a.keyNumber && b.keyNumber ? a.number < b.number : a.text < b.text;
        bool greater = a.keyNumber && b.keyNumber ? b.number < a.number : b.text < a.text;
        return descending ? greater : less;
    });
    if (state.distinct) {
        std::set<std::string> seen;
        entries.erase(
            std::remove_if(entries.begin(), entries.end(),
                           [&seen](const ListEntry& entry) { return !seen.insert(entry.value).second; }),
            entries.end());
    }
    ListState joined = state;
    joined.entries = &entries;
    std::string out;
    if (!JoinList(joined, out)) return Raise(context, 1489, {}, -1);
    // Note: as on the server, an empty list (or only empty values) is NULL.
    if (entries.empty() || out.empty()) return sqlite3_result_null(context);
    ResultText(context, out);
}

ListState* ListOf(sqlite3_context* context) {
    auto** state = static_cast<ListState**>(sqlite3_aggregate_context(context, 0));
    return state == nullptr ? nullptr : *state;
}

void ListFinal(sqlite3_context* context) {
    ListState* state = ListOf(context);
    if (state == nullptr) return sqlite3_result_null(context);
    ListAnswer(context, *state, *state->entries);
    delete state->entries;
    delete state;
}

// Over a window, the list of the rows in it so far; the rows keep the order
// they came in, the first to leave the window first.
void ListValue(sqlite3_context* context) {
    ListState* state = ListOf(context);
    if (state == nullptr) return sqlite3_result_null(context);
    std::vector<ListEntry> entries = *state->entries;
    ListAnswer(context, *state, entries);
}

void ListInverse(sqlite3_context* context, int, sqlite3_value** argv) {
    ListState* state = ListOf(context);
    if (state != nullptr && !IsNull(argv[0]) && !state->entries->empty())
        state->entries->erase(state->entries->begin());
}

void Require(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_bytes(argv[0]) == 0))
        return Raise(context, 1400, {TextOf(argv[1])}, 0);
    sqlite3_result_value(context, argv[0]);
}

// The condition of a view WITH CHECK OPTION over a row stored through it.
void ViewCheck(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || sqlite3_value_int(argv[0]) == 0) return Raise(context, 1402, {}, 0);
    sqlite3_result_int(context, 1);
}

// The conversions of JSON_TABLE's columns: the value, or NULL where the
// type does not take it.
void TryNumber(sqlite3_context* context, int, sqlite3_value** argv) {
    CNumberDecimal number;
    if (IsNull(argv[0]) || !CNumberValue::Read(argv[0], number) ||
        !CSqliteValueFunctions::FitNumber(number, sqlite3_value_int(argv[1]), sqlite3_value_int(argv[2])))
        return sqlite3_result_null(context);
    CNumberValue::Result(context, number);
}

void TryText(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    // Note: characters when the type counts them, else CP932 bytes.
    std::size_t length = 0;
    if (sqlite3_value_int(argv[2]) != 0)
        for (unsigned char c : text) length += (c & 0xC0) != 0x80 ? 1 : 0;
    else
        length = encoding::Utf8ToCp932(text).size();
    if (length > static_cast<std::size_t>(sqlite3_value_int64(argv[1]))) return sqlite3_result_null(context);
    sqlite3_result_value(context, argv[0]);
}

// A date written as JSON writes it: YYYY-MM-DD[THH:MM:SS[.f...]][Z].
void TryDate(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    if (text.size() > 10 && text[10] == 'T') text[10] = ' ';
    if (!text.empty() && text.back() == 'Z') text.pop_back();
    if (std::size_t point = text.find('.'); point != std::string::npos && point > 10) text.resize(point);
    CDateTime value;
    if ((text.size() != 10 && text.size() != 19) || !CDateFormat::ParseStored(text, value) ||
        !CDateFormat::IsValid(value))
        return sqlite3_result_null(context);
    ResultText(context, CDateFormat::ToStored(value));
}

// An error of the server raised where the statement's text says so.
void RaiseCode(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc > 1) return Raise(context, sqlite3_value_int(argv[0]), {TextOf(argv[1])}, -1);
    Raise(context, sqlite3_value_int(argv[0]), {}, -1);
}

struct Row {
    const char* name;
    int arguments;
    void (*function)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
    bool session;
};

constexpr Row kFunctions[] = {
    {"ORA_STORE_NUMBER", 5, StoreNumber, true, false},
    {"ORA_STORE_TEXT", 6, StoreText, true, false},
    {"ORA_STORE_DATE", 2, StoreDate, true, true},
    {"ORA_STORE_DATE", 3, StoreTimestamp, true, true},
    {"ORA_ADD_INTERVAL", 4, AddInterval, true, true},
    {"ORA_ADD_INTERVAL", 3, AddIntervalValue, true, true},
    {"ORA_ROWNUM_PEEK", 1, RownumPeek, false, true},
    {"ORA_ROWNUM_CURRENT", 1, RownumCurrent, false, true},
    {"ORA_ROWNUM_ACCEPT", 2, RownumAccept, false, true},
    {"ORA_REQUIRE", 2, Require, true, false},
    {"ORA_VIEW_CHECK", 1, ViewCheck, true, false},
    {"ORA_ROUND", 1, RoundOrTrunc<true>, true, false},
    {"ORA_ROUND", 2, RoundOrTrunc<true>, true, false},
    {"ORA_TRUNC", 1, RoundOrTrunc<false>, true, false},
    {"ORA_TRUNC", 2, RoundOrTrunc<false>, true, false},
    {"ORA_CEIL", 1, Whole<true>, true, false},
    {"ORA_FLOOR", 1, Whole<false>, true, false},
    {"ORA_SIGN", 1, Unary<Sign>, true, false},
    {"ORA_POWER", 2, Power, true, false},
    {"ORA_MONTHS_BETWEEN", 2, MonthsBetween, true, false},
    {"ORA_EXTRACT", 2, Extract, true, false},
    {"ORA_IS_INTERVAL", 1, IsInterval, true, false},
    {"ORA_TRY_NUMBER", 3, TryNumber, true, false},
    {"ORA_TRY_TEXT", 3, TryText, true, false},
    {"ORA_TRY_DATE", 1, TryDate, true, false},
    {"ORA_RAISE", 1, RaiseCode, false, false},
    {"ORA_RAISE", 2, RaiseCode, false, false},
};

}  // namespace

bool CSqliteValueFunctions::FitNumber(CNumberDecimal& value, int precision, int scale) {
    bool scaled = scale != kNoScale;
    value = scaled ? value.Round(scale) : value.Server();
    // Note: the leading digit may stand no higher than the precision allows
    // (below the point when the scale exceeds the precision).
    return precision <= 0 || value.IsZero() ||
           value.AdjustedExponent() + 1 <= precision - (scaled ? scale : 0);
}

bool CSqliteValueFunctions::Register(sqlite3* db, CSqliteSession* session) {
    for (const Row& row : kFunctions) {
        int flags = SQLITE_UTF8 | (row.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function(db, row.name, row.arguments, flags, row.session ? session : nullptr,
                                    row.function, nullptr, nullptr) != SQLITE_OK)
            return false;
    }
    // Note: the user data tells the forms apart; DISTINCT is done by the
    // function, as SQLite takes DISTINCT with one argument only.
    static ListForm kForms[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    static const char* const kNames[] = {"ORA_LISTAGG", "ORA_LISTAGG_DISTINCT", "ORA_LISTAGG_CUT",
                                         "ORA_LISTAGG_CUT_DISTINCT"};
    static const std::vector<int> kPlain = {1, 2, 4};
    static const std::vector<int> kCut = {4, 6};
    for (std::size_t form = 0; form < 4; ++form)
        for (int arguments : kForms[form].cut ? kCut : kPlain)
            if (sqlite3_create_window_function(db, kNames[form], arguments, SQLITE_UTF8, &kForms[form],
                                               ListStep, ListFinal, ListValue, ListInverse,
                                               nullptr) != SQLITE_OK)
                return false;
    return true;
}
