#include "engine/sqlite/CValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text/LeadingInt.h"

namespace {

constexpr int kSignificantDigits = 15;

using textparse::IsDigit;

bool DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return false;
    for (std::size_t k = 0; k < count; ++k)
        if (!IsDigit(text[at + k])) return false;
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string CValueText::FromInteger(std::int64_t value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string CValueText::FromDouble(double value) {
    if (std::isnan(value)) return "~";
    if (std::isinf(value)) return value > 0 ? "~" : "-~";
    if (value == 0) return "0";
    char buffer[64];
    // d.ddddddddddddddde[+-]x, correctly rounded to kSignificantDigits.
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                       kSignificantDigits - 1);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    std::size_t e = text.find('e');
    char digitBuffer[kSignificantDigits + 1];
    std::size_t digitCount = 0;
    digitBuffer[digitCount++] = text[0];
    for (char c : text.substr(2, e - 2)) digitBuffer[digitCount++] = c;
    std::string_view exponentText = text.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    while (digitCount > 1 && digitBuffer[digitCount - 1] == '0') --digitCount;
    std::string_view digits(digitBuffer, digitCount);

    std::string out = negative ? "-" : "";
    out.reserve(24);
    auto count = static_cast<int>(digits.size());
    if (exponent >= count - 1) {
        out += digits;
        out.append(static_cast<std::size_t>(exponent - (count - 1)), '0');
    } else if (exponent >= 0) {
        out += digits.substr(0, static_cast<std::size_t>(exponent + 1));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(exponent + 1));
    } else {
        out += '.';
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    }
    return out;
}

bool CValueText::ParseNumber(std::string_view text, double& value) {
    text = TrimBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (!DigitsAt(text, i, 1)) return false;
        while (i < text.size() && IsDigit(text[i])) ++i;
    }
    if (i != text.size()) return false;
    value = std::strtod(std::string(text).c_str(), nullptr);
    return true;
}

bool CValueText::ParseInteger(std::string_view text, std::int64_t& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool CValueText::HasStoredDatePrefix(std::string_view text) {
    return text.size() >= 10 && DigitsAt(text, 0, 4) && text[4] == '-' && DigitsAt(text, 5, 2) &&
           text[7] == '-' && DigitsAt(text, 8, 2);
}

bool CValueText::IsStoredDate(std::string_view text) {
    // Note: a TIMESTAMP's value carries nine digits of a second's fraction,
    // a zoned one its zone after them.
    if (text.size() > 30 && text[29] == ' ') text = text.substr(0, 29);
    if (text.size() == 29 && text[19] == '.' && DigitsAt(text, 20, 9)) text = text.substr(0, 19);
    return text.size() == 19 && HasStoredDatePrefix(text) && text[10] == ' ' && DigitsAt(text, 11, 2) &&
           text[13] == ':' && DigitsAt(text, 14, 2) && text[16] == ':' && DigitsAt(text, 17, 2);
}

std::string CValueText::ShowDate(std::string_view stored) {
    if (!HasStoredDatePrefix(stored)) return std::string(stored);
    return std::string(stored.substr(2, 8));
}
