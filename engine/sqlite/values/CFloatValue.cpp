#include "engine/sqlite/values/CFloatValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace {

bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != word[k]) return false;
    }
    return true;
}

// Digits, an optional point and digits (at least one digit in all), an
// optional exponent with its sign; an optional sign before.
bool IsDecimal(std::string_view text) {
    std::size_t k = 0;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    std::size_t digits = 0;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k, ++digits;
    if (k < text.size() && text[k] == '.') {
        ++k;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k, ++digits;
    }
    if (digits == 0) return false;
    if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
        ++k;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        std::size_t exponent = 0;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k, ++exponent;
        if (exponent == 0) return false;
    }
    return k == text.size();
}

// The value in scientific notation with `digits` significant digits.
std::string Scientific(double value, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, value);
    return buffer;
}

bool ReadsBack(const std::string& text, double value, int width) {
    double read = 0;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return CFloatValue::Narrow(read, width) == value;
}

}  // namespace

std::string CFloatValue::Text(double value, int width) {
    if (std::isnan(value)) return "Nan";
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    if (value == 0) return "0";
    const bool single = width == kSingle;
    // Note: a subnormal value, whose few bits any nearby decimal reads back
    // as, is written with all its digits, as the server documents its
    // constants (BINARY_DOUBLE_MIN_SUBNORMAL is 4.9406564584124654E-324).
    const double smallestNormal =
        single ? std::numeric_limits<float>::min() : std::numeric_limits<double>::min();
    std::string text = Scientific(value, single ? 6 : 15);
    if (std::fabs(value) < smallestNormal || !ReadsBack(text, value, width))
        text = Scientific(value, single ? 9 : 17);
    // "d.ddde+x": the mantissa without trailing zeros (one digit kept after
    // the point), the exponent signed and of three digits at least.
    std::size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    int exponent = std::atoi(text.c_str() + e + 1);
    if (mantissa.find('.') == std::string::npos) mantissa += ".0";
    while (mantissa.back() == '0' && mantissa[mantissa.size() - 2] != '.') mantissa.pop_back();
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + tail;
}

bool CFloatValue::Parse(std::string_view text, double& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (EqualsIgnoringCase(text, "INF") || EqualsIgnoringCase(text, "+INF")) {
        value = HUGE_VAL;
        return true;
    }
    if (EqualsIgnoringCase(text, "-INF")) {
        value = -HUGE_VAL;
        return true;
    }
    if (EqualsIgnoringCase(text, "NAN")) {
        value = std::nan("");
        return true;
    }
    if (!IsDecimal(text)) return false;
    if (text.front() == '+') text.remove_prefix(1);
    // Note: beyond the range the value is an infinity, below it a zero, as
    // IEEE rounding gives; read without regard to the locale.
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        const bool negative = text.front() == '-';
        const std::size_t e = text.find_first_of("eE");
        const bool large = e != std::string_view::npos && text[e + 1] != '-';
        value = large ? (negative ? -HUGE_VAL : HUGE_VAL) : (negative ? -0.0 : 0.0);
    }
    return end == text.data() + text.size();
}

double CFloatValue::Narrow(double value, int width) {
    return width == kSingle ? static_cast<double>(static_cast<float>(value)) : value;
}

int CFloatValue::Compare(double a, double b) {
    const bool aNan = std::isnan(a);
    const bool bNan = std::isnan(b);
    if (aNan || bNan) return aNan == bNan ? 0 : aNan ? 1 : -1;
    return a < b ? -1 : a > b ? 1 : 0;
}
