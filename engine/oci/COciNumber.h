#pragma once

#include <string>
#include <string_view>

// Oracle's NUMBER in its documented external form SQLT_VNU: a length byte,
// then an exponent byte and up to 20 base-100 digits (the form the server
// stores), so that NUMBER variables travel as numbers, not as text the
// server would convert by the session's NLS settings.
class COciNumber {
public:
    static constexpr std::size_t kSize = 22;

    // Encodes a decimal text (sign, digits, a "." and an exponent allowed,
    // blanks around it); false when it is not a number or out of range.
    // Digits beyond the 40th are rounded.
    static bool FromText(std::string_view text, unsigned char (&out)[kSize]);
    // The number as plain decimal text ("-12.5", ".25", "0"); "" when the
    // bytes are not a number.
    static std::string ToText(const unsigned char (&in)[kSize]);
};
