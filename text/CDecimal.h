#pragma once

#include <string>
#include <string_view>

// An exact decimal number as the database gives it in text: its significant
// digits (no leading or trailing zeros) and the place of the decimal point.
// Sums and roundings on it are exact, whatever the number of digits.
class CDecimal {
public:
    CDecimal() = default;

    // Reads "[+-]digits[.digits][E[+-]digits]" (".5" and "5." too), blanks
    // around it allowed; false for anything else or an exponent beyond
    // +-kMaxExponent (`out` is then unspecified).
    static bool Parse(std::string_view text, CDecimal& out);
    static constexpr int kMaxExponent = 4000;

    bool IsZero() const { return m_digits.empty(); }
    bool IsNegative() const { return m_negative; }
    // The significant digits, "" for zero.
    const std::string& Digits() const { return m_digits; }
    // How many digits stand before the point: 3 for 123.4, 0 for .5, -2
    // for .005.
    int PointPosition() const { return m_point; }

    // Rounds half away from zero to `decimals` places after the point
    // (a negative count rounds to tens, hundreds, ...).
    void RoundToDecimals(int decimals);
    // Rounds half away from zero to `count` significant digits (at least 1).
    void RoundToSignificant(int count);
    // Multiplies by 10 to the power `n`.
    void Shift(int n);
    void Add(const CDecimal& other);
    void Negate();
    // -1, 0 or 1 as this value is below, equal to or above `other`.
    int Compare(const CDecimal& other) const;

    // Plain decimal text without exponent, as the database writes NUMBER
    // values: "-123.45", ".5", "0".
    std::string ToText() const;
    long double ToLongDouble() const;

private:
    bool m_negative = false;
    std::string m_digits;
    int m_point = 0;

    void Normalize();
    // Keeps the first `keep` digits, rounded half away from zero by the next.
    void RoundAt(long long keep);
    int CompareMagnitude(const CDecimal& other) const;
};
