#include "engine/sqlite/CDateFormat.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "text/LeadingInt.h"

namespace {

enum class Element { Year4, Year2, YearRR, Month, MonthName, Day, Hour24, Hour12, Minute, Second, Meridian };

struct ElementRule {
    std::string_view name;
    Element element;
    int width;
};

// Note: longer names come before the names they begin with.
constexpr ElementRule kElements[] = {
    {"YYYY", Element::Year4, 4},  {"RRRR", Element::Year4, 4},    {"HH24", Element::Hour24, 2},
    {"HH12", Element::Hour12, 2}, {"MON", Element::MonthName, 3}, {"HH", Element::Hour12, 2},
    {"YY", Element::Year2, 2},    {"RR", Element::YearRR, 2},     {"MM", Element::Month, 2},
    {"DD", Element::Day, 2},      {"MI", Element::Minute, 2},     {"SS", Element::Second, 2},
    {"AM", Element::Meridian, 2}, {"PM", Element::Meridian, 2},
};

constexpr std::string_view kMonthNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (Upper(text[at + k]) != word[k]) return false;
    return true;
}

const ElementRule* ElementAt(std::string_view format, std::size_t at) {
    for (const ElementRule& rule : kElements)
        if (StartsWithNoCase(format, at, rule.name)) return &rule;
    return nullptr;
}

using textparse::IsDigit;

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads up to `width` digits at `at`; false when there is none.
bool ReadNumber(std::string_view text, std::size_t& at, int width, int& value) {
    std::size_t start = at;
    value = 0;
    while (at < text.size() && at - start < static_cast<std::size_t>(width) && IsDigit(text[at]))
        value = value * 10 + (text[at++] - '0');
    return at > start;
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

struct ParseState {
    CDateTime value;
    bool pm = false;
    bool hour12 = false;
};

bool ReadElement(const ElementRule& rule, std::string_view text, std::size_t& at, ParseState& state) {
    CDateTime& v = state.value;
    if (rule.element == Element::Meridian) {
        if (StartsWithNoCase(text, at, "PM"))
            state.pm = true;
        else if (!StartsWithNoCase(text, at, "AM"))
            return false;
        at += 2;
        return true;
    }
    if (rule.element == Element::MonthName) {
        for (int m = 0; m < 12; ++m)
            if (StartsWithNoCase(text, at, kMonthNames[m])) {
                v.month = m + 1;
                at += 3;
                return true;
            }
        return false;
    }
    int number = 0;
    if (!ReadNumber(text, at, rule.width, number)) return false;
    switch (rule.element) {
        case Element::Year4:
            v.year = number;
            break;
        case Element::Year2:
            v.year = 2000 + number;
            break;
        case Element::YearRR:
            v.year = number < 50 ? 2000 + number : 1900 + number;
            break;
        case Element::Month:
            v.month = number;
            break;
        case Element::Day:
            v.day = number;
            break;
        case Element::Hour24:
            v.hour = number;
            break;
        case Element::Hour12:
            v.hour = number;
            state.hour12 = true;
            break;
        case Element::Minute:
            v.minute = number;
            break;
        case Element::Second:
            v.second = number;
            break;
        default:
            break;
    }
    return true;
}

std::string WriteElement(const ElementRule& rule, const CDateTime& v) {
    switch (rule.element) {
        case Element::Year4: {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d", v.year);
            return buffer;
        }
        case Element::Year2:
        case Element::YearRR:
            return TwoDigits(v.year % 100);
        case Element::Month:
            return TwoDigits(v.month);
        case Element::MonthName:
            return std::string(kMonthNames[(v.month + 11) % 12]);
        case Element::Day:
            return TwoDigits(v.day);
        case Element::Hour24:
            return TwoDigits(v.hour);
        case Element::Hour12:
            return TwoDigits(v.hour % 12 == 0 ? 12 : v.hour % 12);
        case Element::Minute:
            return TwoDigits(v.minute);
        case Element::Second:
            return TwoDigits(v.second);
        case Element::Meridian:
            return v.hour < 12 ? "AM" : "PM";
    }
    return {};
}

// The text of a "quoted" literal of the format starting at `at`; `end` is
// set past it (an unterminated literal runs to the end).
std::string_view Literal(std::string_view format, std::size_t at, std::size_t& end) {
    std::size_t close = format.find('"', at + 1);
    if (close == std::string_view::npos) {
        end = format.size();
        return format.substr(at + 1);
    }
    end = close + 1;
    return format.substr(at + 1, close - at - 1);
}

constexpr long long kSecondsPerDay = 86400;

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long year, long long month, long long day) {
    year -= month <= 2 ? 1 : 0;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long yearOfEra = year - era * 400;
    long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CDateTime CivilFromDays(long long days) {
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long dayOfEra = days - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long shifted = (5 * dayOfYear + 2) / 153;
    CDateTime out;
    out.day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    out.month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
    return out;
}

long long SecondsOf(const CDateTime& v) {
    return DaysFromCivil(v.year, v.month, v.day) * kSecondsPerDay + v.hour * 3600 + v.minute * 60 + v.second;
}

}  // namespace

bool CDateFormat::AddDays(const CDateTime& value, double days, CDateTime& out) {
    double seconds = std::round(days * kSecondsPerDay);
    if (!(std::fabs(seconds) < 1e12)) return false;
    long long total = SecondsOf(value) + static_cast<long long>(seconds);
    long long day = total >= 0 ? total / kSecondsPerDay : (total - kSecondsPerDay + 1) / kSecondsPerDay;
    long long rest = total - day * kSecondsPerDay;
    out = CivilFromDays(day);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest % 3600 / 60);
    out.second = static_cast<int>(rest % 60);
    return IsValid(out);
}

int CDateFormat::LastDayOfMonth(int year, int month) { return DaysInMonth(year, month); }

bool CDateFormat::AddMonths(const CDateTime& value, long long months, CDateTime& out) {
    constexpr long long kMonthsInRange = 10000 * 12;
    if (months <= -kMonthsInRange || months >= kMonthsInRange) return false;
    long long index = static_cast<long long>(value.year) * 12 + (value.month - 1) + months;
    if (index < 12 || index >= 10000 * 12) return false;
    out = value;
    out.year = static_cast<int>(index / 12);
    out.month = static_cast<int>(index % 12) + 1;
    int last = DaysInMonth(out.year, out.month);
    if (value.day == DaysInMonth(value.year, value.month) || out.day > last) out.day = last;
    return true;
}

double CDateFormat::DaysBetween(const CDateTime& later, const CDateTime& earlier) {
    return static_cast<double>(SecondsOf(later) - SecondsOf(earlier)) / kSecondsPerDay;
}

bool CDateFormat::IsValid(const CDateTime& v) {
    return v.year >= 1 && v.year <= 9999 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
           v.day <= DaysInMonth(v.year, v.month) && v.hour >= 0 && v.hour <= 23 && v.minute >= 0 &&
           v.minute <= 59 && v.second >= 0 && v.second <= 59;
}

bool CDateFormat::ParseStored(std::string_view text, CDateTime& value) {
    std::string error;
    std::string_view format = text.size() > 10 ? "YYYY-MM-DD HH24:MI:SS" : "YYYY-MM-DD";
    return Parse(text, format, value, error);
}

std::string CDateFormat::ToStored(const CDateTime& v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day, v.hour,
                  v.minute, v.second);
    return buffer;
}

CDateTime CDateFormat::Now() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

bool CDateFormat::Parse(std::string_view text, std::string_view format, CDateTime& value,
                        std::string& error) {
    CDateTime now = Now();
    ParseState state;
    state.value = CDateTime{now.year, now.month, 1, 0, 0, 0};
    std::size_t at = 0;
    std::size_t f = 0;
    while (f < format.size()) {
        if (const ElementRule* rule = ElementAt(format, f)) {
            while (at < text.size() && text[at] == ' ') ++at;
            if (!ReadElement(*rule, text, at, state)) {
                error = "date \"" + std::string(text) + "\" does not match the format \"" +
                        std::string(format) + "\"";
                return false;
            }
            f += rule->name.size();
        } else if (format[f] == '"') {
            std::size_t end = 0;
            at += Literal(format, f, end).size();
            f = end;
        } else {
            // Note: any separator of the text matches any separator of the format.
            if (at < text.size() && !IsDigit(text[at])) ++at;
            ++f;
        }
    }
    while (at < text.size() && text[at] == ' ') ++at;
    if (at < text.size()) {
        error =
            "date \"" + std::string(text) + "\" does not match the format \"" + std::string(format) + "\"";
        return false;
    }
    if (state.hour12) {
        if (state.value.hour < 1 || state.value.hour > 12)
            state.value.hour = 99;
        else
            state.value.hour = state.value.hour % 12 + (state.pm ? 12 : 0);
    }
    if (!IsValid(state.value)) {
        error = "date \"" + std::string(text) + "\" is not a valid date";
        return false;
    }
    value = state.value;
    return true;
}

bool CDateFormat::Format(const CDateTime& value, std::string_view format, std::string& out,
                         std::string& error) {
    out.clear();
    std::size_t f = 0;
    while (f < format.size()) {
        if (const ElementRule* rule = ElementAt(format, f)) {
            out += WriteElement(*rule, value);
            f += rule->name.size();
        } else if (format[f] == '"') {
            std::size_t end = 0;
            out += Literal(format, f, end);
            f = end;
        } else if ((format[f] >= 'A' && format[f] <= 'Z') || (format[f] >= 'a' && format[f] <= 'z')) {
            error = "date format \"" + std::string(format) + "\" is not recognised";
            return false;
        } else {
            out += format[f++];
        }
    }
    return true;
}
