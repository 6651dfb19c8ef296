#pragma once

#include <string>
#include <string_view>

#include "text/CDecimal.h"

// A number format model, as TO_CHAR and COLUMN ... FORMAT read it: FM
// (no padding), 9 (digit, leading zeros blank), 0 (digit, zeros kept from
// here), "," and G (group separator), "." and D (the point), V (shift by
// the digits after it), $ and L (currency before the digits), B (blank for
// a zero integer part), S (sign first or last), MI (minus last), PR (a
// negative value in <>), EEEE (scientific). A value too wide for the model
// gives "#" in every position, as the server shows it.
class CNumberFormat {
public:
    // False with a message in `error` when `model` is not a number format.
    static bool Parse(std::string_view model, CNumberFormat& out, std::string& error);

    // The width of every text Format gives (before FM trimming).
    int Width() const { return m_width; }
    bool IsFillMode() const { return m_fillMode; }
    // Lays `value` out by the model into `out` (replaced).
    void Format(const CDecimal& value, std::string& out) const;

    // Parse, then Format, in one call (TO_CHAR).
    static bool Format(double value, std::string_view model, std::string& out, std::string& error);
    static bool Format(std::string_view numberText, std::string_view model, std::string& out,
                       std::string& error);

    // TO_NUMBER: reads `text` by `model` into the plain number text of its
    // value ("-1234.5"); false when the text does not fit the model. The
    // group and decimal characters of G and D are `group` and `point`.
    static bool Read(std::string_view text, std::string_view model, std::string& number, char group = ',',
                     char point = '.');

    // The models that stand alone: RN (Roman numerals) and 0...X (hexadecimal), FM before them or not.
    static bool IsRoman(std::string_view model);
    static bool IsHexadecimal(std::string_view model);

private:
    // `model` without its leading FM; `fill` tells whether it had one.
    static std::string_view WithoutFill(std::string_view model, bool& fill);
    // RN and X models: false for any other model.
    static bool FormatSpecial(std::string_view numberText, std::string_view model, std::string& out);
    bool ReadFixed(std::string_view text, char group, char point, std::string& number) const;
    // The digit positions before the point (those after V included).
    std::size_t DigitCount() const;
    enum class Sign { Leading, LeadingS, TrailingS, TrailingMinus, Brackets };

    bool m_fillMode = false;
    bool m_blankZero = false;
    bool m_scientific = false;
    bool m_hasPoint = false;
    std::string m_currency;
    Sign m_sign = Sign::Leading;
    // '9', '0' and ',' before the point (the digits after V included).
    std::string m_integerPart;
    // '9' and '0' after the point.
    std::string m_fractionPart;
    // Digits after V: the value is multiplied by 10 to their count.
    int m_shift = 0;
    int m_width = 0;

    bool ParseToken(std::string_view model, std::size_t& at, bool& afterPoint, bool& afterV);
    // Appends the digits laid out on the integer part of the model.
    void IntegerSection(const std::string& digits, std::string& out) const;
    void FormatFixed(const CDecimal& value, std::string& out) const;
    void FormatScientific(const CDecimal& value, std::string& out) const;
    void ApplySign(bool negative, std::string& body) const;
    void TrimFill(std::string& out) const;
};
