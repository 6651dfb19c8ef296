#include "commands/AcceptReply.h"

#include <array>
#include <cctype>
#include <ctime>
#include <string_view>
#include <vector>

#include "interpreter/Messages.h"
#include "text/CDecimal.h"
#include "text/CNumberFormat.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace acceptreply {
namespace {

enum class Part {
    Year,
    Year3,
    Year2,
    RoundYear,
    Year1,
    Month,
    MonthName,
    DayOfYear,
    Day,
    WeekDay,
    DayName,
    Hour24,
    Hour12,
    Minute,
    Second,
    Meridian,
    Modifier,
};

struct Element {
    const char* name;
    Part part;
    // The most digits a number of this element takes (0: not a number).
    int digits;
};

// Note: longer names first, so that DDD is not read as DD and D.
constexpr Element kElements[] = {
    {"SYYYY", Part::Year, 4},    {"YYYY", Part::Year, 4},     {"RRRR", Part::Year, 4},
    {"HH24", Part::Hour24, 2},   {"HH12", Part::Hour12, 2},   {"MONTH", Part::MonthName, 0},
    {"A.M.", Part::Meridian, 0}, {"P.M.", Part::Meridian, 0}, {"YYY", Part::Year3, 3},
    {"MON", Part::MonthName, 0}, {"DAY", Part::DayName, 0},   {"DDD", Part::DayOfYear, 3},
    {"YY", Part::Year2, 4},      {"RR", Part::RoundYear, 4},  {"MM", Part::Month, 2},
    {"DD", Part::Day, 2},        {"DY", Part::DayName, 0},    {"HH", Part::Hour12, 2},
    {"MI", Part::Minute, 2},     {"SS", Part::Second, 2},     {"AM", Part::Meridian, 0},
    {"PM", Part::Meridian, 0},   {"FM", Part::Modifier, 0},   {"FX", Part::Modifier, 0},
    {"Y", Part::Year1, 1},       {"D", Part::WeekDay, 1},
};

// One piece of a date model: an element, a quoted text, or separators.
struct Token {
    const Element* element = nullptr;
    std::string text;
};

bool IsSeparator(char c) { return c == ' ' || std::ispunct(static_cast<unsigned char>(c)) != 0; }

bool Tokenize(const std::string& format, std::vector<Token>& tokens) {
    const std::string upper = cp932::ToUpperAscii(format);
    std::size_t at = 0;
    while (at < upper.size()) {
        if (upper[at] == '"') {
            const std::size_t close = upper.find('"', at + 1);
            if (close == std::string::npos) return false;
            tokens.push_back({nullptr, format.substr(at + 1, close - at - 1)});
            at = close + 1;
            continue;
        }
        const Element* found = nullptr;
        for (const auto& element : kElements)
            if (std::string_view(upper).substr(at).starts_with(element.name)) {
                found = &element;
                break;
            }
        if (found != nullptr) {
            tokens.push_back({found, {}});
            at += std::string_view(found->name).size();
        } else if (IsSeparator(upper[at])) {
            ++at;
            tokens.push_back({nullptr, {}});
        } else {
            return false;
        }
    }
    return true;
}

// The names a reply may give for months, days and the half of the day,
// in English and in Japanese (CP932).
struct Names {
    std::vector<std::pair<std::string, int>> months;
    std::vector<std::string> days;
    std::vector<std::string> meridians;
};

const Names& DateNames() {
    static const Names names = [] {
        Names out;
        const char* const english[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                       "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
        // Note: "10月" is tried before "1月", full names before abbreviations.
        for (int m = 12; m >= 1; --m)
            out.months.emplace_back(std::to_string(m) + encoding::Utf8ToCp932("月"), m);
        for (int m = 1; m <= 12; ++m) out.months.emplace_back(english[m - 1], m);
        for (int m = 1; m <= 12; ++m) out.months.emplace_back(std::string(english[m - 1]).substr(0, 3), m);
        for (const char* day : {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY"})
            out.days.emplace_back(day);
        for (const char* day : {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"}) out.days.emplace_back(day);
        for (const char* day : {"日", "月", "火", "水", "木", "金", "土"}) {
            out.days.push_back(encoding::Utf8ToCp932(std::string(day) + "曜日"));
            out.days.push_back(encoding::Utf8ToCp932(day));
        }
        for (const char* meridian : {"A.M.", "P.M.", "AM", "PM", "午前", "午後"})
            out.meridians.push_back(encoding::Utf8ToCp932(meridian));
        return out;
    }();
    return names;
}

// What a reply said, element by element; -1: not given.
struct Fields {
    int year = -1;
    int twoDigitYear = -1;
    bool roundYear = false;
    int month = -1;
    int day = -1;
    int dayOfYear = -1;
    int weekDay = -1;
    int hour = -1;
    bool twelveHour = false;
    int minute = -1;
    int second = -1;
};

class Reader {
public:
    explicit Reader(const std::string& reply) : m_text(reply), m_upper(cp932::ToUpperAscii(reply)) {}

    void SkipSeparators() {
        while (m_at < m_text.size() && IsSeparator(m_text[m_at])) ++m_at;
    }
    bool AtEnd() {
        while (m_at < m_text.size() && m_text[m_at] == ' ') ++m_at;
        return m_at == m_text.size();
    }
    // Up to `most` digits, at least one.
    bool Number(int most, int& value, int& count) {
        while (m_at < m_text.size() && m_text[m_at] == ' ') ++m_at;
        value = 0;
        count = 0;
        while (count < most && m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            value = value * 10 + (m_text[m_at++] - '0');
            ++count;
        }
        return count > 0;
    }
    bool Word(const std::string& word) {
        if (!std::string_view(m_upper).substr(m_at).starts_with(cp932::ToUpperAscii(word))) return false;
        m_at += word.size();
        return true;
    }

private:
    const std::string& m_text;
    std::string m_upper;
    std::size_t m_at = 0;
};

bool ReadMonthName(Reader& reader, int& month) {
    for (const auto& [name, number] : DateNames().months)
        if (reader.Word(name)) return month = number, true;
    return false;
}

bool ReadAnyOf(Reader& reader, const std::vector<std::string>& words) {
    for (const auto& word : words)
        if (reader.Word(word)) return true;
    return false;
}

bool ReadElement(Reader& reader, const Element& element, Fields& fields) {
    int value = 0;
    int count = 0;
    switch (element.part) {
        case Part::MonthName:
            return ReadMonthName(reader, fields.month);
        case Part::DayName:
            return ReadAnyOf(reader, DateNames().days);
        case Part::Meridian:
            return ReadAnyOf(reader, DateNames().meridians);
        case Part::Modifier:
            return true;
        case Part::Month:
            if (ReadMonthName(reader, fields.month)) return true;
            break;
        default:
            break;
    }
    if (!reader.Number(element.digits, value, count)) return false;
    switch (element.part) {
        case Part::Year:
        case Part::Year3:
        case Part::Year1:
            fields.year = value;
            break;
        case Part::Year2:
        case Part::RoundYear:
            (count > 2 ? fields.year : fields.twoDigitYear) = value;
            fields.roundYear = element.part == Part::RoundYear;
            break;
        case Part::Month:
            fields.month = value;
            break;
        case Part::DayOfYear:
            fields.dayOfYear = value;
            break;
        case Part::Day:
            fields.day = value;
            break;
        case Part::WeekDay:
            fields.weekDay = value;
            break;
        case Part::Hour24:
        case Part::Hour12:
            fields.hour = value;
            fields.twelveHour = element.part == Part::Hour12;
            break;
        case Part::Minute:
            fields.minute = value;
            break;
        case Part::Second:
            fields.second = value;
            break;
        default:
            break;
    }
    return true;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int LastDay(int year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The year of a two-digit year: YY in this century; RR in the century
// that puts it nearest to this year, as the server reads it.
int FullYear(const Fields& fields, int thisYear) {
    if (fields.year >= 0) return fields.year;
    if (fields.twoDigitYear < 0) return thisYear;
    const int century = thisYear / 100 * 100;
    const int yy = fields.twoDigitYear;
    if (!fields.roundYear) return century + yy;
    const int now = thisYear % 100;
    if (yy < 50 && now >= 50) return century + 100 + yy;
    if (yy >= 50 && now < 50) return century - 100 + yy;
    return century + yy;
}

bool InRange(int value, int low, int high) { return value < 0 || (value >= low && value <= high); }

bool IsValid(const Fields& fields) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int year = FullYear(fields, local.tm_year + 1900);
    if (year < 1 || year > 9999) return false;
    const int month = fields.month >= 0 ? fields.month : local.tm_mon + 1;
    if (month < 1 || month > 12) return false;
    return InRange(fields.day, 1, LastDay(year, month)) &&
           InRange(fields.dayOfYear, 1, IsLeap(year) ? 366 : 365) && InRange(fields.weekDay, 1, 7) &&
           InRange(fields.hour, fields.twelveHour ? 1 : 0, fields.twelveHour ? 12 : 23) &&
           InRange(fields.minute, 0, 59) && InRange(fields.second, 0, 59);
}

// `message` with its first "%s" replaced by `first` and its second by
// `second` (neither read again for "%s").
std::string Fill(Message message, const std::string& first, const std::string& second) {
    const std::string& text = MessageText(message);
    const std::size_t a = text.find("%s");
    const std::size_t b = text.find("%s", a + 2);
    return text.substr(0, a) + first + text.substr(a + 2, b - a - 2) + second + text.substr(b + 2);
}

const char* TypeName(Type type) {
    switch (type) {
        case Type::Number:
            return "NUMBER";
        case Type::Date:
            return "DATE";
        case Type::Char:
            break;
    }
    return "CHAR";
}

// The byte count of an An format; -1 when `format` is not one.
int TextWidth(const std::string& format) {
    if (format.size() < 2 || (format[0] != 'A' && format[0] != 'a')) return -1;
    if (format.find_first_not_of("0123456789", 1) != std::string::npos || format.size() > 6) return -1;
    return std::stoi(format.substr(1));
}

bool IsNumberFormat(const std::string& format) {
    CNumberFormat model;
    std::string error;
    return CNumberFormat::Parse(format, model, error);
}

// The digits a number model allows after its point.
int FractionDigits(const std::string& format) {
    const std::string upper = cp932::ToUpperAscii(format);
    const std::size_t point = upper.find_first_of(".D");
    if (point == std::string::npos) return 0;
    int count = 0;
    for (std::size_t k = point + 1; k < upper.size() && (upper[k] == '9' || upper[k] == '0'); ++k) ++count;
    return count;
}

// The reply as a number, with the group separators and currency sign a
// model may show taken out.
bool ReadNumber(const std::string& reply, const std::string& format, CDecimal& value) {
    std::string text = reply;
    const std::string upper = cp932::ToUpperAscii(format);
    if (upper.find_first_of(",G") != std::string::npos) std::erase(text, ',');
    if (upper.find('$') != std::string::npos) {
        const std::size_t dollar = text.find('$');
        if (dollar != std::string::npos) text.erase(dollar, 1);
    }
    return CDecimal::Parse(text, value);
}

std::string NumberRefusal(const std::string& format, const std::string& reply, const std::string& shown) {
    CDecimal value;
    if (!ReadNumber(reply, format, value)) return FormatText(MessageText(Message::NotANumber), shown);
    if (format.empty() || cp932::ToUpperAscii(format).find("EEEE") != std::string::npos) return {};
    std::string laidOut;
    std::string error;
    const int decimals = static_cast<int>(value.Digits().size()) - value.PointPosition();
    if (!CNumberFormat::Format(value.ToText(), format, laidOut, error) ||
        laidOut.find('#') != std::string::npos || decimals > FractionDigits(format))
        return Fill(Message::AcceptFormatMismatch, shown, format);
    return {};
}

}  // namespace

bool IsDateFormat(const std::string& format) {
    std::vector<Token> tokens;
    return Tokenize(format, tokens);
}

bool IsDate(const std::string& reply, const std::string& format) {
    std::vector<Token> tokens;
    if (!Tokenize(format, tokens)) return false;
    Reader reader(reply);
    Fields fields;
    for (const auto& token : tokens) {
        if (token.element != nullptr) {
            if (!ReadElement(reader, *token.element, fields)) return false;
        } else if (!token.text.empty()) {
            if (!reader.Word(token.text)) return false;
        } else {
            reader.SkipSeparators();
        }
    }
    return reader.AtEnd() && IsValid(fields);
}

std::string FormatRefusal(Type type, const std::string& format) {
    if (format.empty()) return {};
    bool fits = false;
    switch (type) {
        case Type::Char:
            fits = TextWidth(format) >= 0 || IsNumberFormat(format);
            break;
        case Type::Number:
            fits = IsNumberFormat(format);
            break;
        case Type::Date:
            fits = IsDateFormat(format);
            break;
    }
    return fits ? std::string() : Fill(Message::AcceptFormatUsage, TypeName(type), format);
}

std::string Refusal(Type type, const std::string& format, const std::string& reply, bool hidden) {
    const std::string shown = hidden ? std::string(kHiddenReply) : reply;
    switch (type) {
        case Type::Number:
            return NumberRefusal(format, reply, shown);
        case Type::Date: {
            const std::string model = format.empty() ? std::string(kDefaultDateFormat) : format;
            return IsDate(reply, model) ? std::string() : Fill(Message::AcceptDateMismatch, shown, model);
        }
        case Type::Char:
            break;
    }
    const int width = TextWidth(format);
    if (width >= 0) {
        return static_cast<int>(reply.size()) > width ? Fill(Message::AcceptFormatMismatch, shown, format)
                                                      : std::string();
    }
    return format.empty() ? std::string() : NumberRefusal(format, reply, shown);
}

}  // namespace acceptreply
