#include "text/NumberFit.h"

#include <algorithm>

#include "text/CDecimal.h"

namespace {

std::string Hashes(int width) { return std::string(static_cast<std::size_t>(std::max(width, 0)), '#'); }

// The value rounded to as many decimals as fit beside its integer part; ""
// when the integer part does not fit or the rounding leaves nothing of a
// value that is not zero.
std::string FixedForm(const CDecimal& value, int width) {
    for (int decimals = width;; --decimals) {
        CDecimal rounded = value;
        rounded.RoundToDecimals(std::max(decimals, 0));
        const std::string text = rounded.ToText();
        if (static_cast<int>(text.size()) <= width) return rounded.IsZero() ? std::string() : text;
        if (decimals <= 0) return {};
    }
}

// d.ddddE+xx with as many mantissa digits as fit.
std::string ScientificForm(const CDecimal& value, int width) {
    for (int decimals = width; decimals >= 0; --decimals) {
        CDecimal rounded = value;
        rounded.RoundToSignificant(decimals + 1);
        const std::string& digits = rounded.Digits();
        const int exponent = rounded.PointPosition() - 1;
        std::string text = rounded.IsNegative() ? "-" : "";
        text += digits[0];
        if (decimals > 0) {
            text += '.';
            text += digits.substr(1);
            text.append(static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
        }
        const int magnitude = exponent < 0 ? -exponent : exponent;
        text += exponent < 0 ? "E-" : "E+";
        if (magnitude < 10) text += '0';
        text += std::to_string(magnitude);
        if (static_cast<int>(text.size()) <= width) return text;
    }
    return {};
}

}  // namespace

namespace numberfit {

std::string ServerText(std::string_view text) {
    int places = 0;
    for (char c : text) places += c >= '0' && c <= '9' ? 1 : 0;
    if (places <= kServerPlaces) return std::string(text);
    CDecimal value;
    if (!CDecimal::Parse(text, value) || value.IsZero()) return std::string(text);
    std::string scientific = ScientificForm(value, kServerPlaces);
    return scientific.empty() ? std::string(text) : scientific;
}

std::string Fit(std::string_view text, int width) {
    if (static_cast<int>(text.size()) <= width) return std::string(text);
    CDecimal value;
    if (!CDecimal::Parse(text, value)) return std::string(text);
    if (value.IsZero()) return width >= 1 ? "0" : Hashes(width);
    std::string fitted = FixedForm(value, width);
    if (fitted.empty()) fitted = ScientificForm(value, width);
    return fitted.empty() ? Hashes(width) : fitted;
}

}  // namespace numberfit
