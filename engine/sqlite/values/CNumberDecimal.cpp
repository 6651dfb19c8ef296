#include "engine/sqlite/values/CNumberDecimal.h"

#include <cmath>
#include <cstdlib>

namespace {

// Powers of ten up to 1e22 are exact doubles.
constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kDoubleDigits = 15;
constexpr long kMaxAdjusted = 125;   // 9.99...E125
constexpr long kMinAdjusted = -130;  // 1E-130
constexpr long kMaxPowerDigits = 20000;

mpz_class PowerOfTen(unsigned long exponent) {
    mpz_class out;
    mpz_ui_pow_ui(out.get_mpz_t(), 10, exponent);
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

CNumberDecimal CNumberDecimal::FromInteger(std::int64_t value) {
    CNumberDecimal out;
    // Note: mpz_class takes a long, which holds 64 bits here.
    out.m_coefficient = static_cast<long>(value);
    return out;
}

bool CNumberDecimal::FromDouble(double value, CNumberDecimal& out) {
    if (!std::isfinite(value)) return false;
    // The shortest decimal with a whole coefficient below 10^15 that the
    // double is the nearest double to (the common case, no text).
    double magnitude = std::fabs(value);
    for (int scale = 0; scale <= 22 && magnitude * kPowers[scale] < 1e15; ++scale) {
        double shifted = std::nearbyint(value * kPowers[scale]);
        if (shifted / kPowers[scale] == value) {
            out = CNumberDecimal(mpz_class(static_cast<long>(shifted)), -scale);
            out.Normalize();
            return true;
        }
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", kDoubleDigits - 1, value);
    return FromText(buffer, out);
}

bool CNumberDecimal::FromText(std::string_view text, CNumberDecimal& out) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::string digits;
    long exponent = 0;
    bool point = false;
    std::size_t k = 0;
    for (; k < text.size(); ++k) {
        char c = text[k];
        if (IsDigit(c)) {
            if (!(digits.empty() && c == '0')) digits += c;
            if (point) --exponent;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    bool anyDigit = false;
    for (std::size_t j = 0; j < k; ++j) anyDigit = anyDigit || IsDigit(text[j]);
    if (!anyDigit) return false;
    if (k < text.size()) {
        if (text[k] != 'e' && text[k] != 'E') return false;
        std::string_view rest = text.substr(k + 1);
        bool minus = false;
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
            minus = rest.front() == '-';
            rest.remove_prefix(1);
        }
        if (rest.empty() || rest.size() > 6) return false;
        long e = 0;
        for (char c : rest) {
            if (!IsDigit(c)) return false;
            e = e * 10 + (c - '0');
        }
        exponent += minus ? -e : e;
    }
    out = CNumberDecimal();
    if (digits.empty()) return true;
    out.m_coefficient.set_str(digits, 10);
    if (negative) out.m_coefficient = -out.m_coefficient;
    out.m_exponent = exponent;
    out.Normalize();
    return true;
}

void CNumberDecimal::Normalize() {
    if (sgn(m_coefficient) == 0) {
        m_exponent = 0;
        return;
    }
    while (mpz_divisible_ui_p(m_coefficient.get_mpz_t(), 10) != 0) {
        m_coefficient /= 10;
        ++m_exponent;
    }
}

std::string CNumberDecimal::ToText() const {
    if (IsZero()) return "0";
    std::string digits = mpz_class(abs(m_coefficient)).get_str();
    std::string out = Sign() < 0 ? "-" : "";
    if (m_exponent >= 0) return out + digits + std::string(static_cast<std::size_t>(m_exponent), '0');
    auto decimals = static_cast<std::size_t>(-m_exponent);
    if (digits.size() > decimals) {
        std::size_t whole = digits.size() - decimals;
        out += digits.substr(0, whole) + "." + digits.substr(whole);
    } else {
        out += "." + std::string(decimals - digits.size(), '0') + digits;
    }
    // Trailing zeros after the point cannot remain: the coefficient has none.
    return out;
}

bool CNumberDecimal::ToInteger(std::int64_t& out) const {
    if (m_exponent < 0 || m_exponent > 18) return false;
    mpz_class whole = m_coefficient * PowerOfTen(static_cast<unsigned long>(m_exponent));
    if (!whole.fits_slong_p()) return false;
    out = whole.get_si();
    return true;
}

bool CNumberDecimal::ToDouble(double& out) const {
    if (Digits() > kDoubleDigits) return false;
    if (m_exponent >= -22 && m_exponent <= 22) {
        // Note: both operands are exact doubles, so the one operation rounds correctly.
        auto coefficient = static_cast<double>(m_coefficient.get_si());
        out = m_exponent >= 0 ? coefficient * kPowers[m_exponent] : coefficient / kPowers[-m_exponent];
        if (m_exponent <= 0 || std::fabs(out) < 9007199254740992.0) return true;
    }
    out = std::strtod((m_coefficient.get_str() + "e" + std::to_string(m_exponent)).c_str(), nullptr);
    return std::isfinite(out);
}

double CNumberDecimal::Approximate() const {
    return std::strtod((m_coefficient.get_str() + "e" + std::to_string(m_exponent)).c_str(), nullptr);
}

int CNumberDecimal::Digits() const {
    if (IsZero()) return 0;
    if (m_coefficient.fits_slong_p()) {
        unsigned long magnitude = static_cast<unsigned long>(std::labs(m_coefficient.get_si()));
        int count = 0;
        while (magnitude > 0) {
            magnitude /= 10;
            ++count;
        }
        return count;
    }
    // Note: the base-10 size may count one digit too many.
    auto estimate = static_cast<long>(mpz_sizeinbase(m_coefficient.get_mpz_t(), 10));
    return abs(m_coefficient) < PowerOfTen(static_cast<unsigned long>(estimate - 1))
               ? static_cast<int>(estimate - 1)
               : static_cast<int>(estimate);
}

int CNumberDecimal::Compare(const CNumberDecimal& other) const { return Subtract(other).Sign(); }

CNumberDecimal CNumberDecimal::Add(const CNumberDecimal& other) const {
    if (IsZero()) return other;
    if (other.IsZero()) return *this;
    long exponent = std::min(m_exponent, other.m_exponent);
    mpz_class a = m_coefficient * PowerOfTen(static_cast<unsigned long>(m_exponent - exponent));
    mpz_class b = other.m_coefficient * PowerOfTen(static_cast<unsigned long>(other.m_exponent - exponent));
    CNumberDecimal out(a + b, exponent);
    out.Normalize();
    return out;
}

CNumberDecimal CNumberDecimal::Negate() const { return CNumberDecimal(-m_coefficient, m_exponent); }

CNumberDecimal CNumberDecimal::Subtract(const CNumberDecimal& other) const { return Add(other.Negate()); }

CNumberDecimal CNumberDecimal::Multiply(const CNumberDecimal& other) const {
    CNumberDecimal out(m_coefficient * other.m_coefficient, m_exponent + other.m_exponent);
    out.Normalize();
    return out;
}

bool CNumberDecimal::Divide(const CNumberDecimal& divisor, CNumberDecimal& out) const {
    if (divisor.IsZero()) return false;
    if (IsZero()) {
        out = CNumberDecimal();
        return true;
    }
    // Enough digits that rounding the cut quotient to 40 digits is exact.
    constexpr long kQuotientDigits = 44;
    long shift = std::max(0L, kQuotientDigits + divisor.Digits() - Digits());
    mpz_class numerator = m_coefficient * PowerOfTen(static_cast<unsigned long>(shift));
    mpz_class quotient;
    mpz_class remainder;
    mpz_tdiv_qr(quotient.get_mpz_t(), remainder.get_mpz_t(), numerator.get_mpz_t(),
                divisor.m_coefficient.get_mpz_t());
    out = CNumberDecimal(quotient, m_exponent - divisor.m_exponent - shift);
    out.Normalize();
    return true;
}

CNumberDecimal CNumberDecimal::Mod(const CNumberDecimal& divisor) const {
    if (divisor.IsZero() || IsZero()) return *this;
    long exponent = std::min(m_exponent, divisor.m_exponent);
    mpz_class a = m_coefficient * PowerOfTen(static_cast<unsigned long>(m_exponent - exponent));
    mpz_class b =
        divisor.m_coefficient * PowerOfTen(static_cast<unsigned long>(divisor.m_exponent - exponent));
    mpz_class remainder;
    mpz_tdiv_r(remainder.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
    CNumberDecimal out(remainder, exponent);
    out.Normalize();
    return out;
}

bool CNumberDecimal::Power(long exponent, CNumberDecimal& out) const {
    if (exponent == 0) {
        out = FromInteger(1);
        return true;
    }
    if (IsZero()) {
        out = CNumberDecimal();
        return exponent > 0;
    }
    unsigned long magnitude = static_cast<unsigned long>(exponent < 0 ? -exponent : exponent);
    // Note: a result this long lies beyond the server's range either way.
    if (static_cast<long>(magnitude) * std::max(1L, std::labs(AdjustedExponent()) + 1) > kMaxPowerDigits) {
        bool shrinks = AdjustedExponent() < 0 ? exponent > 0 : exponent < 0;
        out = CNumberDecimal();
        return shrinks;
    }
    mpz_class coefficient;
    mpz_pow_ui(coefficient.get_mpz_t(), m_coefficient.get_mpz_t(), magnitude);
    CNumberDecimal raised(coefficient, m_exponent * static_cast<long>(magnitude));
    raised.Normalize();
    if (exponent > 0) {
        out = raised.Server();
    } else {
        FromInteger(1).Divide(raised, out);
        out = out.Server();
    }
    return !out.Overflows();
}

bool CNumberDecimal::SquareRoot(CNumberDecimal& out) const {
    if (Sign() < 0) return false;
    if (IsZero()) return out = CNumberDecimal(), true;
    // Twice the digits kept, at an even exponent, so that the root has 46.
    constexpr long kRadicandDigits = 92;
    long shift = std::max(0L, kRadicandDigits - Digits());
    if ((m_exponent - shift) % 2 != 0) ++shift;
    mpz_class radicand = m_coefficient * PowerOfTen(static_cast<unsigned long>(shift));
    mpz_class root;
    mpz_sqrt(root.get_mpz_t(), radicand.get_mpz_t());
    long exponent = (m_exponent - shift) / 2;
    // Note: a root cut short gets a last digit so that rounding it never
    // meets an exact half.
    if (root * root != radicand) {
        root = root * 10 + 1;
        --exponent;
    }
    out = CNumberDecimal(root, exponent);
    out.Normalize();
    return true;
}

CNumberDecimal CNumberDecimal::KeepDigits(long keep, bool round) const {
    long digits = Digits();
    if (digits <= keep) return *this;
    long drop = digits - keep;
    mpz_class unit = PowerOfTen(static_cast<unsigned long>(drop));
    mpz_class quotient;
    mpz_class remainder;
    mpz_tdiv_qr(quotient.get_mpz_t(), remainder.get_mpz_t(), m_coefficient.get_mpz_t(), unit.get_mpz_t());
    if (round && abs(remainder) * 2 >= unit) quotient += Sign();
    CNumberDecimal out(quotient, m_exponent + drop);
    out.Normalize();
    return out;
}

CNumberDecimal CNumberDecimal::Quantize(long scale, bool round) const {
    if (IsZero() || m_exponent >= -scale) return *this;
    long keep = Digits() - (-scale - m_exponent);
    if (keep < 0) return CNumberDecimal();
    if (keep == 0) {
        // Only the rounding digit can carry into the unit 10^-scale.
        if (!round) return CNumberDecimal();
        mpz_class unit = PowerOfTen(static_cast<unsigned long>(Digits()));
        if (abs(m_coefficient) * 2 < unit) return CNumberDecimal();
        CNumberDecimal out(mpz_class(Sign()), -scale);
        out.Normalize();
        return out;
    }
    return KeepDigits(keep, round);
}

CNumberDecimal CNumberDecimal::Round(long scale) const { return Quantize(scale, true); }

CNumberDecimal CNumberDecimal::Truncate(long scale) const { return Quantize(scale, false); }

CNumberDecimal CNumberDecimal::Server() const {
    if (IsZero()) return *this;
    CNumberDecimal out = KeepDigits((AdjustedExponent() % 2 != 0) ? 40 : 39, true);
    // Note: below the smallest NUMBER the server keeps zero.
    if (out.AdjustedExponent() < kMinAdjusted) return CNumberDecimal();
    return out;
}

bool CNumberDecimal::Overflows() const { return !IsZero() && AdjustedExponent() > kMaxAdjusted; }

std::string CNumberDecimal::SortKey() const {
    // Sign class, then the leading digit's position, then the digits; a
    // negative value has both complemented and ends above every digit.
    if (IsZero()) return std::string(1, '\x80');
    bool negative = Sign() < 0;
    auto position = static_cast<unsigned>(AdjustedExponent() + 0x8000);
    if (negative) position = 0xFFFF - position;
    std::string key(1, negative ? '\x40' : '\xC0');
    key += static_cast<char>((position >> 8) & 0xFF);
    key += static_cast<char>(position & 0xFF);
    for (char digit : mpz_class(abs(m_coefficient)).get_str())
        key += negative ? static_cast<char>(0xFF - static_cast<unsigned char>(digit)) : digit;
    if (negative) key += '\xFF';
    return key;
}
