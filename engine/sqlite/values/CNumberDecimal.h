#pragma once

// Values: the server's NUMBER as an exact decimal.
#include <gmpxx.h>

#include <cstdint>
#include <string>
#include <string_view>

// A decimal number, coefficient × 10^exponent, exact in every operation.
// Results are brought to what the server's NUMBER holds with Server():
// 40 significant digits where the leading digit pairs with another one of
// its base-100 digit, else 39 (.6666...67 has 40 digits, 6.666...7 has 39),
// rounded half away from zero.
class CNumberDecimal {
public:
    CNumberDecimal() = default;
    static CNumberDecimal FromInteger(std::int64_t value);
    // The decimal of at most 15 significant digits a double stands for (the
    // engine keeps such decimals as doubles); false when not finite.
    static bool FromDouble(double value, CNumberDecimal& out);
    // Optional sign, digits with an optional point, optional exponent;
    // blanks around allowed. False for any other text.
    static bool FromText(std::string_view text, CNumberDecimal& out);

    // Plain decimal as the server shows it: no exponent, no trailing zeros
    // after the point, ".5" and "-.5" without a leading zero.
    std::string ToText() const;
    // True when the value is whole and fits 64 bits.
    bool ToInteger(std::int64_t& out) const;
    // True when the value has at most 15 significant digits (a double then
    // stands for it exactly, see FromDouble).
    bool ToDouble(double& out) const;
    // The nearest double, whatever the digits.
    double Approximate() const;

    bool IsZero() const { return sgn(m_coefficient) == 0; }
    int Sign() const { return sgn(m_coefficient); }
    int Compare(const CNumberDecimal& other) const;
    // Significant digits of the coefficient (0 for zero).
    int Digits() const;
    // Position of the leading digit: 0 for 1..9, -1 for .1...
    long AdjustedExponent() const { return Digits() - 1 + m_exponent; }

    CNumberDecimal Add(const CNumberDecimal& other) const;
    CNumberDecimal Subtract(const CNumberDecimal& other) const;
    CNumberDecimal Multiply(const CNumberDecimal& other) const;
    // False on a zero divisor; the quotient carries more digits than the
    // server keeps (Server() rounds it).
    bool Divide(const CNumberDecimal& divisor, CNumberDecimal& out) const;
    // The server's MOD: the sign of the dividend; the dividend for a zero divisor.
    CNumberDecimal Mod(const CNumberDecimal& divisor) const;
    // An integer power; false when the result leaves the server's range.
    bool Power(long exponent, CNumberDecimal& out) const;
    // The square root, to more digits than the server keeps (Server()
    // rounds it); false for a negative value.
    bool SquareRoot(CNumberDecimal& out) const;
    // Half away from zero to `scale` decimals (negative: tens, hundreds...).
    CNumberDecimal Round(long scale) const;
    // Towards zero to `scale` decimals.
    CNumberDecimal Truncate(long scale) const;
    CNumberDecimal Negate() const;
    // As the server's NUMBER holds the value (see the class comment).
    CNumberDecimal Server() const;
    // Bytes that compare (as unsigned bytes, shorter first) as the values do.
    std::string SortKey() const;
    // True when the magnitude is beyond the server's NUMBER (1E126).
    bool Overflows() const;

private:
    CNumberDecimal(mpz_class coefficient, long exponent)
        : m_coefficient(std::move(coefficient)), m_exponent(exponent) {}
    // Drops the coefficient's trailing zeros into the exponent.
    void Normalize();
    // The coefficient cut to `keep` significant digits, rounded or not.
    CNumberDecimal KeepDigits(long keep, bool round) const;
    // The digits kept down to 10^-scale, rounded or cut.
    CNumberDecimal Quantize(long scale, bool round) const;

    mpz_class m_coefficient;
    long m_exponent = 0;
};
