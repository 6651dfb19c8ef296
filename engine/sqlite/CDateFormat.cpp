#include "engine/sqlite/CDateFormat.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "engine/sqlite/CSpelledNumber.h"
#include "text/LeadingInt.h"

namespace {

enum class Element {
    Year4,
    Year2,
    YearRR,
    Month,
    MonthName,
    MonthAbbreviation,
    Day,
    DayName,
    DayAbbreviation,
    Hour24,
    Hour12,
    Minute,
    Second,
    Fraction,
    Radix,
    Meridian,
    FillMode,
    ExactMode,
    // Written only (TO_CHAR), never read:
    Year3,
    Year1,
    SignedYear,
    IsoYear4,
    IsoYear3,
    IsoYear2,
    IsoYear1,
    Century,
    Quarter,
    RomanMonth,
    YearWeek,
    IsoWeek,
    MonthWeek,
    WeekDayNumber,
    DayOfYear,
    Julian,
    SecondOfDay,
    SpelledYear,
    SignedSpelledYear,
    Era,
    DottedEra
};

struct ElementRule {
    std::string_view name;
    Element element;
    int width;
};

// Note: longer names come before the names they begin with.
constexpr ElementRule kElements[] = {
    {"SYYYY", Element::SignedYear, 5},
    {"YYYY", Element::Year4, 4},
    {"RRRR", Element::Year4, 4},
    {"HH24", Element::Hour24, 2},
    {"HH12", Element::Hour12, 2},
    {"MONTH", Element::MonthName, 0},
    {"MON", Element::MonthAbbreviation, 0},
    {"HH", Element::Hour12, 2},
    {"YY", Element::Year2, 2},
    {"RR", Element::YearRR, 2},
    {"MM", Element::Month, 2},
    {"DAY", Element::DayName, 0},
    {"DY", Element::DayAbbreviation, 0},
    {"DD", Element::Day, 2},
    {"MI", Element::Minute, 2},
    {"SS", Element::Second, 2},
    {"FF", Element::Fraction, 9},
    {"X", Element::Radix, 0},
    {"AM", Element::Meridian, 2},
    {"PM", Element::Meridian, 2},
    {"A.M.", Element::Meridian, 2},
    {"P.M.", Element::Meridian, 2},
    {"FM", Element::FillMode, 0},
    {"FX", Element::ExactMode, 0},
};

// Elements TO_CHAR writes beside them; tried after those (longer names first).
constexpr ElementRule kWrittenElements[] = {
    {"SYEAR", Element::SignedSpelledYear, 0},
    {"YEAR", Element::SpelledYear, 0},
    {"IYYY", Element::IsoYear4, 4},
    {"SSSSS", Element::SecondOfDay, 5},
    {"YYY", Element::Year3, 3},
    {"IYY", Element::IsoYear3, 3},
    {"DDD", Element::DayOfYear, 3},
    {"SCC", Element::Century, 2},
    {"CC", Element::Century, 2},
    {"IY", Element::IsoYear2, 2},
    {"IW", Element::IsoWeek, 2},
    {"WW", Element::YearWeek, 2},
    {"RM", Element::RomanMonth, 4},
    {"Y", Element::Year1, 1},
    {"I", Element::IsoYear1, 1},
    {"Q", Element::Quarter, 1},
    {"W", Element::MonthWeek, 1},
    {"D", Element::WeekDayNumber, 1},
    {"J", Element::Julian, 7},
    {"A.D.", Element::DottedEra, 0},
    {"B.C.", Element::DottedEra, 0},
    {"AD", Element::Era, 0},
    {"BC", Element::Era, 0},
};

// Month and day names of a language (UTF-8), Sunday first.
struct LanguageNames {
    std::string_view months[12];
    std::string_view monthAbbreviations[12];
    std::string_view days[7];
    std::string_view dayAbbreviations[7];
    std::string_view am;
    std::string_view pm;
    // AD, BC, A.D. and B.C. as the language writes them.
    std::string_view eras[4];
};

constexpr LanguageNames kJapanese = {
    {"1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"},
    {"1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"},
    {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"},
    {"日", "月", "火", "水", "木", "金", "土"},
    "午前",
    "午後",
    {"西暦", "紀元前", "西暦", "紀元前"},
};

constexpr LanguageNames kAmerican = {
    {"JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST", "SEPTEMBER", "OCTOBER",
     "NOVEMBER", "DECEMBER"},
    {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"},
    {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY"},
    {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"},
    "AM",
    "PM",
    {"AD", "BC", "A.D.", "B.C."},
};

const LanguageNames& NamesOf(CDateLanguage language) {
    return language == CDateLanguage::American ? kAmerican : kJapanese;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (Upper(text[at + k]) != Upper(word[k])) return false;
    return true;
}

const ElementRule* ElementAt(std::string_view format, std::size_t at, bool writing = false) {
    const ElementRule* found = nullptr;
    for (const ElementRule& rule : kElements)
        if (found == nullptr && StartsWithNoCase(format, at, rule.name)) found = &rule;
    if (!writing) return found;
    // Note: a written element longer than the one found wins (DDD over DD).
    for (const ElementRule& rule : kWrittenElements)
        if (StartsWithNoCase(format, at, rule.name) &&
            (found == nullptr || rule.name.size() > found->name.size()))
            return &rule;
    return found;
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

// `value` in `width` digits, or without leading zeros in fill mode.
std::string Digits(int value, int width, bool fill) {
    char buffer[16];
    if (fill)
        std::snprintf(buffer, sizeof buffer, "%d", value);
    else
        std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

struct ParseState {
    CDateTime value;
    bool pm = false;
    bool hour12 = false;
    CDateLanguage language = CDateLanguage::Japanese;
    // FX: the text matches the model exactly (FM lets a number be shorter).
    bool exact = false;
    bool fill = false;
};

// FX: a number of other digits than its element's (ORA-01862).
int ExactWidth(const ParseState& state, const ElementRule& rule, std::size_t digits) {
    bool fixed = state.exact && !state.fill && rule.width > 0 && rule.element != Element::Fraction;
    return fixed && digits != static_cast<std::size_t>(rule.width) ? 1862 : 0;
}

// The longest of `names` that the text at `at` starts with (any case); its
// index, or -1.
int ReadName(std::string_view text, std::size_t& at, const std::string_view* names, int count) {
    int found = -1;
    std::size_t longest = 0;
    for (int k = 0; k < count; ++k)
        if (names[k].size() > longest && StartsWithNoCase(text, at, names[k])) {
            found = k;
            longest = names[k].size();
        }
    at += longest;
    return found;
}

// A month by name or abbreviation, as MM, MON and MONTH all take them.
bool ReadMonthName(std::string_view text, std::size_t& at, ParseState& state) {
    const LanguageNames& names = NamesOf(state.language);
    std::size_t start = at;
    int month = ReadName(text, at, names.months, 12);
    std::size_t afterName = at;
    at = start;
    int abbreviation = ReadName(text, at, names.monthAbbreviations, 12);
    if (month >= 0 && afterName >= at) {
        at = afterName;
        abbreviation = month;
    }
    if (abbreviation < 0) return false;
    state.value.month = abbreviation + 1;
    return true;
}

// Two digits of a year, or four (then the year as written).
int ReadYear(std::string_view text, std::size_t& at, int& digits) {
    std::size_t start = at;
    int number = 0;
    ReadNumber(text, at, 4, number);
    digits = static_cast<int>(at - start);
    return number;
}

// The server's number for a field read outside its range, 0 within it.
struct FieldRange {
    Element element;
    int low;
    int high;
    int code;
};

constexpr FieldRange kFieldRanges[] = {
    {Element::Month, 1, 12, 1843},   {Element::Day, 1, 31, 1847},    {Element::Hour24, 0, 23, 1850},
    {Element::Hour12, 1, 12, 1849},  {Element::Minute, 0, 59, 1851}, {Element::Second, 0, 59, 1852},
    {Element::Year4, 1, 9999, 1841},
};

int RangeError(Element element, int number) {
    for (const FieldRange& range : kFieldRanges)
        if (range.element == element && (number < range.low || number > range.high)) return range.code;
    return 0;
}

// A number the element wants is missing: the text has ended (ORA-01840) or
// holds something else there (ORA-01858).
int MissingNumber(std::string_view text, std::size_t at) { return at >= text.size() ? 1840 : 1858; }

// SYYYY: a year of up to four digits after an optional sign. A year before
// the common era is refused (3001): the engine keeps none.
int ReadSignedYear(std::string_view text, std::size_t& at, ParseState& state) {
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    std::size_t start = at;
    int number = 0;
    if (!ReadNumber(text, at, 4, number)) return MissingNumber(text, at);
    if (int code = ExactWidth(state, ElementRule{"YYYY", Element::Year4, 4}, at - start); code != 0)
        return code;
    if (negative && number != 0) return 3001;
    if (number == 0) return 1841;
    state.value.year = number;
    return 0;
}

// Reads one element at `at`: 0, or the server's error number.
int ReadElement(const ElementRule& rule, std::string_view text, std::size_t& at, ParseState& state) {
    CDateTime& v = state.value;
    const LanguageNames& names = NamesOf(state.language);
    switch (rule.element) {
        case Element::Meridian: {
            bool ampm = false;
            for (std::string_view pm : {names.pm, std::string_view("PM"), std::string_view("P.M.")})
                if (!ampm && StartsWithNoCase(text, at, pm)) {
                    state.pm = ampm = true;
                    at += pm.size();
                }
            for (std::string_view am : {names.am, std::string_view("AM"), std::string_view("A.M.")})
                if (!ampm && StartsWithNoCase(text, at, am)) {
                    ampm = true;
                    at += am.size();
                }
            return ampm ? 0 : 1855;
        }
        case Element::MonthName:
        case Element::MonthAbbreviation:
            return ReadMonthName(text, at, state) ? 0 : 1843;
        case Element::DayName:
        case Element::DayAbbreviation: {
            // Note: the day's name is read and checked by nothing, as the server reads it.
            std::size_t start = at;
            if (ReadName(text, at, names.days, 7) >= 0) return 0;
            at = start;
            return ReadName(text, at, names.dayAbbreviations, 7) >= 0 ? 0 : 1846;
        }
        case Element::Radix:
            if (at < text.size() && text[at] == '.') ++at;
            return 0;
        case Element::FillMode:
            state.fill = !state.fill;
            return 0;
        case Element::ExactMode:
            state.exact = !state.exact;
            return 0;
        default:
            break;
    }
    if (rule.element == Element::SignedYear) return ReadSignedYear(text, at, state);
    if (rule.element == Element::Month && at < text.size() && !IsDigit(text[at]))
        return ReadMonthName(text, at, state) ? 0 : 1843;
    int number = 0;
    std::size_t start = at;
    if (rule.element == Element::Year2 || rule.element == Element::YearRR) {
        int digits = 0;
        number = ReadYear(text, at, digits);
        if (digits == 0) return MissingNumber(text, at);
        if (int code = ExactWidth(state, rule, static_cast<std::size_t>(digits)); code != 0) return code;
        if (digits > 2)
            v.year = number;
        else
            v.year = rule.element == Element::Year2 || number < 50 ? 2000 + number : 1900 + number;
        return v.year == 0 ? 1841 : 0;
    }
    if (!ReadNumber(text, at, rule.width, number)) return MissingNumber(text, at);
    if (int code = ExactWidth(state, rule, at - start); code != 0) return code;
    if (int code = RangeError(rule.element, number); code != 0) return code;
    switch (rule.element) {
        case Element::Year4:
            v.year = number;
            break;
        case Element::Month:
            v.month = number;
            // Note: a month written "7月" is read with MM too.
            if (state.language == CDateLanguage::Japanese && text.substr(at, 3) == "月") at += 3;
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
        case Element::Fraction:
            for (std::size_t digits = at - start; digits < 9; ++digits) number *= 10;
            v.nanos = number;
            break;
        default:
            break;
    }
    return 0;
}

// A name in the case the element is written in: "MONTH" upper, "Month"
// capitalised, "month" lower (names that are not ASCII stay as they are).
std::string Cased(std::string_view name, std::string_view element) {
    std::string out(name);
    bool lowerFirst = !element.empty() && element[0] >= 'a' && element[0] <= 'z';
    bool lowerRest = element.size() > 1 && element[1] >= 'a' && element[1] <= 'z';
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = (k == 0 ? lowerFirst : lowerRest) ? Lower(out[k]) : out[k];
    return out;
}

// A name padded to the longest of its list, unless in fill mode.
std::string Padded(std::string_view name, const std::string_view* names, int count, bool fill) {
    std::string out(name);
    if (fill) return out;
    std::size_t longest = 0;
    for (int k = 0; k < count; ++k) longest = std::max(longest, names[k].size());
    out.append(longest - std::min(longest, name.size()), ' ');
    return out;
}

int WeekDay(const CDateTime& v);
long long DaysFromCivil(long long year, long long month, long long day);

int DayOfYear(const CDateTime& v) {
    return static_cast<int>(DaysFromCivil(v.year, v.month, v.day) - DaysFromCivil(v.year, 1, 1)) + 1;
}

// The ISO year and week of `v`: those of the Thursday of its week.
void IsoWeekOf(const CDateTime& v, int& year, int& week) {
    long long days = DaysFromCivil(v.year, v.month, v.day);
    int fromMonday = (WeekDay(v) + 6) % 7;
    long long thursday = days - fromMonday + 3;
    year = v.year + (thursday < DaysFromCivil(v.year, 1, 1) ? -1 : 0) +
           (thursday >= DaysFromCivil(v.year + 1, 1, 1) ? 1 : 0);
    week = static_cast<int>((thursday - DaysFromCivil(year, 1, 1)) / 7) + 1;
}

std::string WrittenOnly(const ElementRule& rule, std::string_view written, const CDateTime& v, bool fill) {
    static constexpr std::string_view kRoman[] = {"I",   "II",   "III", "IV", "V",  "VI",
                                                  "VII", "VIII", "IX",  "X",  "XI", "XII"};
    int isoYear = 0;
    int isoWeek = 0;
    IsoWeekOf(v, isoYear, isoWeek);
    switch (rule.element) {
        case Element::Year3:
            return Digits(v.year % 1000, 3, false);
        case Element::Year1:
            return Digits(v.year % 10, 1, false);
        case Element::SignedYear:
            return (v.year < 0 ? "-" : " ") + Digits(std::abs(v.year), 4, false);
        case Element::IsoYear4:
            return Digits(isoYear, 4, false);
        case Element::IsoYear3:
            return Digits(isoYear % 1000, 3, false);
        case Element::IsoYear2:
            return Digits(isoYear % 100, 2, false);
        case Element::IsoYear1:
            return Digits(isoYear % 10, 1, false);
        case Element::Century:
            return Digits((v.year - 1) / 100 + 1, 2, fill);
        case Element::Quarter:
            return Digits((v.month - 1) / 3 + 1, 1, false);
        case Element::RomanMonth: {
            std::string roman(kRoman[(v.month + 11) % 12]);
            if (!fill) roman.append(4 - roman.size(), ' ');
            if (!written.empty() && written[0] >= 'a')
                for (char& c : roman) c = Lower(c);
            return roman;
        }
        case Element::YearWeek:
            return Digits((DayOfYear(v) - 1) / 7 + 1, 2, fill);
        case Element::IsoWeek:
            return Digits(isoWeek, 2, fill);
        case Element::MonthWeek:
            return Digits((v.day - 1) / 7 + 1, 1, false);
        case Element::WeekDayNumber:
            return Digits(WeekDay(v) + 1, 1, false);
        case Element::DayOfYear:
            return Digits(DayOfYear(v), 3, fill);
        case Element::Julian:
            // Note: day 1 is January 1st, 4712 BC; 1970-01-01 is day 2440588.
            return Digits(static_cast<int>(DaysFromCivil(v.year, v.month, v.day) + 2440588), 7, fill);
        case Element::SecondOfDay:
            return Digits(v.hour * 3600 + v.minute * 60 + v.second, 5, fill);
        case Element::SpelledYear:
        case Element::SignedSpelledYear:
            return (rule.element == Element::SignedSpelledYear && v.year < 0 ? "-" : "") +
                   CSpelledNumber::Cased(CSpelledNumber::Year(std::abs(v.year)),
                                         written.substr(rule.element == Element::SignedSpelledYear ? 1 : 0));
        default:
            return {};
    }
}

// A number element's digits followed by TH, SP, SPTH or THSP (any case) at
// `at`: the digits with their ordinal suffix, or the number spelled in
// English words in the case the element was written in; `at` moves past.
void Suffixed(std::string_view format, std::size_t& at, std::string_view written, std::string& text) {
    static constexpr std::string_view kSuffixes[] = {"SPTH", "THSP", "SP", "TH"};
    for (std::string_view suffix : kSuffixes) {
        if (!StartsWithNoCase(format, at, suffix)) continue;
        std::string_view as = format.substr(at, suffix.size());
        at += suffix.size();
        long long value = 0;
        bool digits = false;
        for (char c : text)
            if (IsDigit(c)) value = value * 10 + (c - '0'), digits = true;
        if (!digits) return;
        if (suffix == "TH") {
            std::string ending(CSpelledNumber::Suffix(value));
            if (as[0] >= 'a')
                for (char& c : ending) c = Lower(c);
            text += ending;
            return;
        }
        text = CSpelledNumber::Cased(
            suffix == "SP" ? CSpelledNumber::Cardinal(value) : CSpelledNumber::Ordinal(value), written);
        return;
    }
}

std::string WriteElement(const ElementRule& rule, std::string_view written, const CDateTime& v,
                         const LanguageNames& names, bool fill) {
    switch (rule.element) {
        case Element::Year4:
            return Digits(v.year, 4, false);
        case Element::Year2:
        case Element::YearRR:
            return Digits(v.year % 100, 2, false);
        case Element::Month:
            return Digits(v.month, 2, fill);
        case Element::MonthName:
            return Cased(Padded(names.months[(v.month + 11) % 12], names.months, 12, fill), written);
        case Element::MonthAbbreviation:
            return Cased(names.monthAbbreviations[(v.month + 11) % 12], written);
        case Element::Day:
            return Digits(v.day, 2, fill);
        case Element::DayName:
            return Cased(Padded(names.days[WeekDay(v)], names.days, 7, fill), written);
        case Element::DayAbbreviation:
            return Cased(names.dayAbbreviations[WeekDay(v)], written);
        case Element::Hour24:
            return Digits(v.hour, 2, fill);
        case Element::Hour12:
            return Digits(v.hour % 12 == 0 ? 12 : v.hour % 12, 2, fill);
        case Element::Minute:
            return Digits(v.minute, 2, fill);
        case Element::Second:
            return Digits(v.second, 2, fill);
        case Element::Fraction:
            return Digits(v.nanos, 9, false);
        case Element::Radix:
            return ".";
        case Element::Meridian:
            return std::string(v.hour < 12 ? names.am : names.pm);
        case Element::Era:
        case Element::DottedEra:
            return Cased(names.eras[(v.year > 0 ? 0 : 1) + (rule.element == Element::DottedEra ? 2 : 0)],
                         written);
        case Element::FillMode:
            return {};
        default:
            return WrittenOnly(rule, written, v, fill);
    }
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

// 0 for Sunday ... 6 for Saturday (1970-01-01 was a Thursday).
int WeekDay(const CDateTime& v) {
    long long days = DaysFromCivil(v.year, v.month, v.day);
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
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
           v.minute <= 59 && v.second >= 0 && v.second <= 59 && v.nanos >= 0 && v.nanos <= 999999999;
}

namespace {

// Reads `count` digits at `at`, nothing else.
bool FixedDigits(std::string_view text, std::size_t at, std::size_t count, int& out) {
    out = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
        out = out * 10 + (text[k] - '0');
    }
    return true;
}

// The stored layout with every digit in its place: YYYY-MM-DD, then
// " HH:MI:SS", then "." and 1 to 9 digits of a second.
bool ReadStoredLayout(std::string_view text, CDateTime& value) {
    const std::size_t size = text.size();
    if (size != 10 && (size < 19 || size == 20 || size > 29)) return false;
    CDateTime v;
    if (text[4] != '-' || text[7] != '-' || !FixedDigits(text, 0, 4, v.year) ||
        !FixedDigits(text, 5, 2, v.month) || !FixedDigits(text, 8, 2, v.day))
        return false;
    if (size > 10 &&
        (text[10] != ' ' || text[13] != ':' || text[16] != ':' || !FixedDigits(text, 11, 2, v.hour) ||
         !FixedDigits(text, 14, 2, v.minute) || !FixedDigits(text, 17, 2, v.second)))
        return false;
    if (size > 19) {
        if (text[19] != '.' || !FixedDigits(text, 20, size - 20, v.nanos)) return false;
        for (std::size_t k = size - 20; k < 9; ++k) v.nanos *= 10;
    }
    if (!CDateFormat::IsValid(v)) return false;
    value = v;
    return true;
}

}  // namespace

bool CDateFormat::ParseStored(std::string_view text, CDateTime& value) {
    std::string error;
    // Note: a zoned value is read as its local time; its zone follows it.
    if (text.size() > 30 && text[29] == ' ' && text[19] == '.') text = text.substr(0, 29);
    // Note: values as the engine stores them are read without the model.
    if (ReadStoredLayout(text, value)) return true;
    std::string_view format = text.size() > 19   ? "YYYY-MM-DD HH24:MI:SS.FF9"
                              : text.size() > 10 ? "YYYY-MM-DD HH24:MI:SS"
                                                 : "YYYY-MM-DD";
    return Parse(text, format, value, error);
}

std::string CDateFormat::WithFractionDigits(std::string_view model, int digits) {
    std::string out;
    bool quoted = false;
    for (std::size_t k = 0; k < model.size(); ++k) {
        const char c = model[k];
        out += c;
        if (c == '"') quoted = !quoted;
        if (quoted || (c != 'F' && c != 'f') || k + 1 >= model.size() ||
            (model[k + 1] != 'F' && model[k + 1] != 'f'))
            continue;
        out += model[++k];
        if (k + 1 < model.size() && model[k + 1] >= '1' && model[k + 1] <= '9') continue;
        // Note: a bare FF writes the type's digits: none for TIMESTAMP(0).
        if (digits == 0)
            out.resize(out.size() - 2);
        else
            out += std::to_string(digits);
    }
    return out;
}

bool CDateFormat::NamesFraction(std::string_view model) {
    bool quoted = false;
    for (std::size_t k = 0; k + 1 < model.size(); ++k) {
        if (model[k] == '"') quoted = !quoted;
        if (!quoted && (model[k] == 'F' || model[k] == 'f') && (model[k + 1] == 'F' || model[k + 1] == 'f'))
            return true;
    }
    return false;
}

namespace {

// Writes `value` as `count` digits ending before `end`, leading zeros kept.
void PutDigits(std::string& out, std::size_t end, int value, std::size_t count) {
    for (std::size_t k = 1; k <= count; ++k, value /= 10) out[end - k] = static_cast<char>('0' + value % 10);
}

bool Within(int value, int last) { return value >= 0 && value <= last; }

}  // namespace

std::string CDateFormat::ToStored(const CDateTime& v) {
    // Note: the usual values are written digit by digit; others (a year
    // before 1) as the general writer writes them.
    if (Within(v.year, 9999) && Within(v.month, 99) && Within(v.day, 99) && Within(v.hour, 99) &&
        Within(v.minute, 99) && Within(v.second, 99) && Within(v.nanos, 999999999)) {
        std::string out = "0000-00-00 00:00:00";
        PutDigits(out, 4, v.year, 4);
        PutDigits(out, 7, v.month, 2);
        PutDigits(out, 10, v.day, 2);
        PutDigits(out, 13, v.hour, 2);
        PutDigits(out, 16, v.minute, 2);
        PutDigits(out, 19, v.second, 2);
        if (v.nanos != 0) {
            out += ".000000000";
            PutDigits(out, out.size(), v.nanos, 9);
        }
        return out;
    }
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day, v.hour,
                  v.minute, v.second);
    // Note: a time with fractional seconds keeps them (a TIMESTAMP's value).
    if (v.nanos != 0) std::snprintf(buffer + 19, sizeof buffer - 19, ".%09d", v.nanos);
    return buffer;
}

long long CDateFormat::NowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

CDateTime CDateFormat::Now() {
    // Note: TARVEX_CLOCK ("YYYY-MM-DD HH:MM:SS") stops the clock there, so
    // that a script that depends on the time of day can be tried at any hour.
    if (const char* fixed = std::getenv("TARVEX_CLOCK"); fixed != nullptr) {
        CDateTime value;
        if (std::sscanf(fixed, "%d-%d-%d %d:%d:%d", &value.year, &value.month, &value.day, &value.hour,
                        &value.minute, &value.second) == 6 &&
            IsValid(value))
            return value;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return CDateTime{
        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 0};
}

bool CDateFormat::NextDay(const CDateTime& value, std::string_view name, CDateLanguage language,
                          CDateTime& out) {
    const LanguageNames& names = NamesOf(language);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (int day = 0; day < 7; ++day) {
        if (!StartsWithNoCase(name, 0, names.dayAbbreviations[day])) continue;
        int ahead = ((day - WeekDay(value)) % 7 + 7) % 7;
        return AddDays(value, ahead == 0 ? 7 : ahead, out);
    }
    return false;
}

bool CDateFormat::LanguageOfParameter(std::string_view text, CDateLanguage& language) {
    const auto trim = [](std::string_view v) {
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
        return v;
    };
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    std::string key(trim(text.substr(0, equals)));
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string_view name = trim(text.substr(equals + 1));
    if (name.size() >= 2 && (name.front() == '\'' || name.front() == '"') && name.back() == name.front())
        name = trim(name.substr(1, name.size() - 2));
    return key == "NLS_DATE_LANGUAGE" && LanguageNamed(name, language);
}

bool CDateFormat::LanguageNamed(std::string_view name, CDateLanguage& language) {
    if (StartsWithNoCase(name, 0, "JAPANESE") && name.size() == 8) {
        language = CDateLanguage::Japanese;
        return true;
    }
    for (std::string_view english : {"AMERICAN", "ENGLISH"})
        if (name.size() == english.size() && StartsWithNoCase(name, 0, english)) {
            language = CDateLanguage::American;
            return true;
        }
    return false;
}

bool CDateFormat::Parse(std::string_view text, std::string_view format, CDateTime& value, std::string& error,
                        CDateLanguage language) {
    int code = Read(text, format, value, language);
    if (code == 0) return true;
    error = "date \"" + std::string(text) + "\" does not match the format \"" + std::string(format) +
            "\" (ORA-0" + std::to_string(code) + ")";
    return false;
}

int CDateFormat::Read(std::string_view text, std::string_view format, CDateTime& value,
                      CDateLanguage language) {
    CDateTime now = Now();
    ParseState state;
    state.language = language;
    state.value = CDateTime{now.year, now.month, 1, 0, 0, 0, 0};
    std::size_t at = 0;
    std::size_t f = 0;
    while (f < format.size()) {
        if (const ElementRule* rule = ElementAt(format, f)) {
            while (at < text.size() && text[at] == ' ') ++at;
            ElementRule read = *rule;
            f += rule->name.size();
            // FF1 to FF9 read at most that many digits.
            if (rule->element == Element::Fraction && f < format.size() && format[f] >= '1' &&
                format[f] <= '9')
                read.width = format[f++] - '0';
            if (int code = ReadElement(read, text, at, state); code != 0) return code;
        } else if (format[f] == '"') {
            std::size_t end = 0;
            std::string_view literal = Literal(format, f, end);
            // Note: "7月" read by MM has taken the 月 of MM"月" already.
            if (at >= literal.size() && text.substr(at - literal.size(), literal.size()) == literal &&
                text.substr(at, literal.size()) != literal && literal == "月")
                literal = {};
            at += literal.size();
            f = end;
        } else if (state.exact) {
            // Note: under FX the text has the format's own separators.
            if (at >= text.size() || text[at] != format[f]) return 1861;
            ++at;
            ++f;
        } else {
            // Note: any separator of the text matches any separator of the format.
            if (at < text.size() && !IsDigit(text[at])) ++at;
            ++f;
        }
    }
    while (at < text.size() && text[at] == ' ') ++at;
    // The picture ends before the text does.
    if (at < text.size()) return 1830;
    if (state.hour12) state.value.hour = state.value.hour % 12 + (state.pm ? 12 : 0);
    if (!IsValid(state.value)) return 1839;
    value = state.value;
    return 0;
}

bool CDateFormat::Format(const CDateTime& value, std::string_view format, std::string& out,
                         std::string& error, CDateLanguage language) {
    out.clear();
    const LanguageNames& names = NamesOf(language);
    bool fill = false;
    std::size_t f = 0;
    while (f < format.size()) {
        if (const ElementRule* rule = ElementAt(format, f, true)) {
            std::string_view written = format.substr(f, rule->name.size());
            f += rule->name.size();
            if (rule->element == Element::FillMode) {
                fill = !fill;
                continue;
            }
            if (rule->element == Element::ExactMode) continue;
            std::string text = WriteElement(*rule, written, value, names, fill);
            if (rule->element == Element::Fraction && f < format.size() && format[f] >= '1' &&
                format[f] <= '9')
                text.resize(static_cast<std::size_t>(format[f++] - '0'));
            else if (rule->width > 0 && rule->element != Element::Meridian)
                Suffixed(format, f, written, text);
            out += text;
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
