#include "engine/sqlite/values/CIsoDuration.h"

#include <cstdint>

namespace {

constexpr std::int64_t kNanos = 1000000000;
constexpr std::int64_t kMostField = 999999999;
constexpr int kInvalid = 1867;
constexpr int kTooLong = 1873;

// The fields in the order they are written: their designators, whether
// they follow T, and their length in months (date) or seconds (time).
struct Field {
    char designator;
    bool time;
    std::int64_t size;
};
constexpr Field kFields[] = {{'Y', false, 12},  {'M', false, 1}, {'D', false, 86400},
                             {'H', true, 3600}, {'M', true, 60}, {'S', true, 1}};
constexpr std::size_t kFieldCount = sizeof kFields / sizeof kFields[0];

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The duration's fields as written: numbers by the place of their field,
// and the nanoseconds of a fractional second.
struct Written {
    std::int64_t numbers[kFieldCount] = {};
    bool present[kFieldCount] = {};
    std::int64_t nanos = 0;
};

// One number with its designator at `at`: the field it names (after
// `next`, in order) into `written`; false for anything else.
bool ReadField(std::string_view text, std::size_t& at, bool time, std::size_t& next, Written& written) {
    std::int64_t number = 0;
    std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]) && at - start < 10)
        number = number * 10 + (text[at++] - '0');
    if (at == start || at - start > 9 || number > kMostField) return false;
    std::int64_t nanos = 0;
    bool fraction = at < text.size() && text[at] == '.';
    if (fraction) {
        std::size_t first = ++at;
        std::int64_t scale = kNanos;
        while (at < text.size() && IsDigit(text[at]) && at - first < 9) {
            scale /= 10;
            nanos += (text[at++] - '0') * scale;
        }
        if (at == first || (at < text.size() && IsDigit(text[at]))) return false;
    }
    if (at >= text.size()) return false;
    const char designator = Upper(text[at++]);
    for (std::size_t k = next; k < kFieldCount; ++k) {
        if (kFields[k].designator != designator || kFields[k].time != time) continue;
        // Note: only the seconds take a fraction.
        if (fraction && designator != 'S') return false;
        written.numbers[k] = number;
        written.present[k] = true;
        written.nanos = nanos;
        next = k + 1;
        return true;
    }
    return false;
}

bool ReadFields(std::string_view text, Written& written) {
    std::size_t at = 0;
    std::size_t next = 0;
    bool any = false;
    while (at < text.size() && Upper(text[at]) != 'T') {
        if (!ReadField(text, at, false, next, written)) return false;
        any = true;
    }
    if (at < text.size()) {
        ++at;
        // Note: T names at least one of the time's fields.
        if (at == text.size()) return false;
        while (at < text.size())
            if (!ReadField(text, at, true, next, written)) return false;
        any = true;
    }
    return any;
}

}  // namespace

bool CIsoDuration::Is(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() && Upper(text.front()) == 'P';
}

int CIsoDuration::Read(std::string_view text, bool yearToMonth, CIntervalFunctions::Value& out) {
    text = Trimmed(text);
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || Upper(text.front()) != 'P') return kInvalid;
    text.remove_prefix(1);
    // Note: the sign may also follow P ("P-1Y"), once.
    if (!negative && !text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    Written written;
    if (!ReadFields(text, written)) return kInvalid;
    const int sign = negative ? -1 : 1;
    out = CIntervalFunctions::Value{};
    out.yearToMonth = yearToMonth;
    if (yearToMonth) {
        const std::int64_t months = written.numbers[0] * 12 + written.numbers[1];
        if (months / 12 > kMostField) return kTooLong;
        out.months = sign * months;
        return 0;
    }
    // Note: a DAY TO SECOND value has no years or months to take.
    if (written.present[0] || written.present[1]) return kInvalid;
    std::int64_t seconds = 0;
    for (std::size_t k = 2; k < kFieldCount; ++k) seconds += written.numbers[k] * kFields[k].size;
    if (seconds / 86400 > kMostField) return kTooLong;
    out.seconds = sign * seconds;
    out.nanos = sign * written.nanos;
    return 0;
}
