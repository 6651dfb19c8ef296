// The number format models that stand alone: RN (Roman numerals) and X
// (hexadecimal digits), each with FM before it.
#include <cctype>

#include "text/CDecimal.h"
#include "text/CNumberFormat.h"

namespace {

// The decimal digits of a whole value without leading zeros ("0" for zero).
std::string WholeDigits(const CDecimal& value) {
    const std::string& digits = value.Digits();
    const int point = value.PointPosition();
    if (digits.empty() || point <= 0) return "0";
    std::string out =
        digits.substr(0, static_cast<std::size_t>(std::min<int>(point, static_cast<int>(digits.size()))));
    out.append(static_cast<std::size_t>(std::max<int>(point - static_cast<int>(digits.size()), 0)), '0');
    return out;
}

std::string Roman(int value, bool lower) {
    static constexpr struct {
        int value;
        const char* text;
    } kNumerals[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                     {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string out;
    for (const auto& numeral : kNumerals)
        for (; value >= numeral.value; value -= numeral.value) out += numeral.text;
    if (lower)
        for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The hexadecimal digits of a whole value written in decimal digits.
std::string Hexadecimal(std::string decimal, bool lower) {
    const char* digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string out;
    while (decimal != "0") {
        std::string quotient;
        int remainder = 0;
        for (char c : decimal) {
            remainder = remainder * 10 + (c - '0');
            if (!quotient.empty() || remainder >= 16) quotient += static_cast<char>('0' + remainder / 16);
            remainder %= 16;
        }
        out.insert(out.begin(), digits[remainder]);
        decimal = quotient.empty() ? "0" : quotient;
    }
    return out.empty() ? "0" : out;
}

}  // namespace

std::string_view CNumberFormat::WithoutFill(std::string_view model, bool& fill) {
    fill = model.size() >= 2 && std::toupper(static_cast<unsigned char>(model[0])) == 'F' &&
           std::toupper(static_cast<unsigned char>(model[1])) == 'M';
    return fill ? model.substr(2) : model;
}

bool CNumberFormat::IsRoman(std::string_view model) {
    bool fill = false;
    std::string_view rest = WithoutFill(model, fill);
    return rest.size() == 2 && std::toupper(static_cast<unsigned char>(rest[0])) == 'R' &&
           std::toupper(static_cast<unsigned char>(rest[1])) == 'N';
}

bool CNumberFormat::IsHexadecimal(std::string_view model) {
    bool fill = false;
    std::string_view rest = WithoutFill(model, fill);
    const std::size_t firstX = rest.find_first_of("Xx");
    return firstX != std::string_view::npos && rest.find_first_not_of('0') == firstX &&
           rest.find_first_not_of("Xx", firstX) == std::string_view::npos;
}

bool CNumberFormat::FormatSpecial(std::string_view numberText, std::string_view model, std::string& out) {
    const bool roman = IsRoman(model);
    if (!roman && !IsHexadecimal(model)) return false;
    bool fill = false;
    std::string_view rest = WithoutFill(model, fill);
    const std::size_t firstX = rest.find_first_of("Xx");
    CDecimal value;
    const bool read = CDecimal::Parse(numberText, value);
    if (read) value.RoundToDecimals(0);
    if (roman) {
        // Note: 1 to 3999, right-aligned in 15 places.
        const std::string whole = read && !value.IsNegative() ? WholeDigits(value) : "0";
        const int number = whole.size() <= 4 ? std::stoi(whole) : 0;
        if (number < 1 || number > 3999) {
            out.assign(15, '#');
            return true;
        }
        out = Roman(number, rest[0] == 'r');
        if (!fill) out.insert(0, 15 - out.size(), ' ');
        return true;
    }
    // Note: X takes a value of 0 or more; its zeros keep leading zeros, and
    // without them or FM one blank comes first.
    const std::size_t places = rest.size();
    const std::size_t zeros = firstX;
    std::string digits =
        read && !value.IsNegative() ? Hexadecimal(WholeDigits(value), rest[firstX] == 'x') : "";
    if (digits.empty() || digits.size() > places) {
        out.assign(places + 1, '#');
        return true;
    }
    if (zeros > 0)
        digits.insert(0, places - digits.size(), '0');
    else if (!fill)
        digits.insert(0, places - digits.size() + 1, ' ');
    out = std::move(digits);
    return true;
}
