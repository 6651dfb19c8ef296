#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text forms of values as the server shows them.
//
// Numbers are plain decimals: no exponent, no trailing zeros, no "0" before
// the point (0.5 is ".5", -0.5 is "-.5"), at most 15 significant digits for
// values that are not whole numbers held exactly. Dates are stored as
// "YYYY-MM-DD HH:MM:SS" and shown as "RR-MM-DD".
class CValueText {
public:
    static std::string FromInteger(std::int64_t value);
    static std::string FromDouble(double value);

    // Strict decimal number: optional sign, digits with an optional point,
    // optional exponent; blanks around allowed.
    static bool ParseNumber(std::string_view text, double& value);
    // True when `text` is a whole number that fits 64 bits.
    static bool ParseInteger(std::string_view text, std::int64_t& value);

    // "YYYY-MM-DD HH:MM:SS" exactly, or with ".fffffffff" after it.
    static bool IsStoredDate(std::string_view text);
    // Starts with "YYYY-MM-DD".
    static bool HasStoredDatePrefix(std::string_view text);
    // "YYYY-MM-DD..." to "YY-MM-DD"; other text unchanged.
    static std::string ShowDate(std::string_view stored);
};
