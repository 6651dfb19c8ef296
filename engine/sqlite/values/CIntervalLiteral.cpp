#include "engine/sqlite/values/CIntervalLiteral.h"

#include <iterator>
#include <vector>

#include "engine/sqlite/values/CIntervalFunctions.h"

namespace {

// The fields in order, each with the separator before it, its limit below
// the field before it (0 for the leading field's own range) and its size in
// seconds (YEAR and MONTH in months).
struct Field {
    std::string_view name;
    char separator;
    std::int64_t limit;
    std::int64_t unit;
};

constexpr Field kFields[] = {
    {"YEAR", 0, 0, 12},      {"MONTH", '-', 12, 1},   {"DAY", 0, 0, 86400},
    {"HOUR", ' ', 24, 3600}, {"MINUTE", ':', 60, 60}, {"SECOND", ':', 60, 1},
};

int FieldIndex(std::string_view name) {
    for (std::size_t k = 0; k < std::size(kFields); ++k)
        if (kFields[k].name == name) return static_cast<int>(k);
    return -1;
}

bool Digits(std::string_view text, std::size_t& at, std::int64_t& value) {
    std::size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 12)
        value = value * 10 + (text[at++] - '0');
    return at > start;
}

}  // namespace

bool CIntervalLiteral::Parse(std::string_view text, std::string_view leading, std::string_view trailing) {
    int first = FieldIndex(leading);
    int last = trailing.empty() ? first : FieldIndex(trailing);
    if (first < 0 || last < first || (first < 2) != (last < 2)) return false;
    m_yearMonth = first < 2;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    m_negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    std::size_t at = 0;
    std::int64_t total = 0;
    for (int k = first; k <= last; ++k) {
        const Field& field = kFields[static_cast<std::size_t>(k)];
        if (k > first && (at >= text.size() || text[at++] != field.separator)) return false;
        std::int64_t value = 0;
        if (!Digits(text, at, value) || (k > first && value >= field.limit)) return false;
        if (k == first) m_leadingField = value;
        total += value * field.unit;
    }
    if (kFields[static_cast<std::size_t>(last)].name == "SECOND" && at < text.size() && text[at] == '.') {
        ++at;
        int digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            if (digits++ < 9) m_nanos = m_nanos * 10 + (text[at] - '0');
            ++at;
        }
        for (; digits < 9; ++digits) m_nanos *= 10;
    }
    if (at != text.size()) return false;
    (m_yearMonth ? m_months : m_seconds) = total;
    return true;
}

namespace {

CIntervalFunctions::Value ValueOf(bool yearToMonth, std::int64_t months, std::int64_t seconds, int nanos) {
    CIntervalFunctions::Value value;
    value.yearToMonth = yearToMonth;
    value.months = months;
    value.seconds = seconds;
    value.nanos = nanos;
    return value;
}

int DigitCount(std::int64_t value) {
    int digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

}  // namespace

bool CIntervalLiteral::Fit(int leading, int fraction) {
    if (DigitCount(m_leadingField) > leading) return false;
    CIntervalFunctions::Value value = ValueOf(m_yearMonth, m_months, m_seconds, m_nanos);
    // Note: the rounding may carry into the seconds; the leading field as
    // written has been checked.
    CIntervalFunctions::Fit(value, 18, fraction);
    m_seconds = value.seconds;
    m_nanos = static_cast<int>(value.nanos);
    return true;
}

std::string CIntervalLiteral::Show(int leading, int fraction) const {
    return CIntervalFunctions::Show(ValueOf(m_yearMonth, Months(), Seconds(), Nanos()), leading, fraction);
}
