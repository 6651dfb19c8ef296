#pragma once

// Values: BINARY_FLOAT and BINARY_DOUBLE, IEEE values with the server's
// text forms, order and conversions.
#include <string>
#include <string_view>

class CFloatValue {
public:
    // The width of a value's type in bytes: 0 for NUMBER (not floating), 4
    // for BINARY_FLOAT, 8 for BINARY_DOUBLE; the wider wins in an expression.
    static constexpr int kNumber = 0;
    static constexpr int kSingle = 4;
    static constexpr int kDouble = 8;

    // The server's text of a value without a model: "Nan", "Inf", "-Inf",
    // "0", or one digit, a point, the fewest further digits that read back
    // as the value (15 significant digits if they do, else 17; for a
    // BINARY_FLOAT 6, else 9; all of them for a subnormal value) and a signed exponent of three digits, as
    // "3.3333333333333331E-001" or "2.5E+000".
    static std::string Text(double value, int width);
    // A decimal number with an optional exponent, or "INF", "-INF", "NaN"
    // in any case, blanks around allowed; false for other text.
    static bool Parse(std::string_view text, double& value);
    // `value` rounded to the precision of `width` (a BINARY_FLOAT rounds to
    // single precision; others are unchanged).
    static double Narrow(double value, int width);
    // Three-way order: NaN above every other value and equal to itself;
    // -0 equal to 0.
    static int Compare(double a, double b);
};
