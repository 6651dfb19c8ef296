#include "text/CDecimal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "text/LeadingInt.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Reads an exponent "[+-]digits" that is whole text; false when it is not or
// goes beyond `limit`.
bool ParseExponent(std::string_view text, int limit, int& exponent) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    long value = 0;
    for (char c : text) {
        if (!textparse::IsDigit(c)) return false;
        value = value * 10 + (c - '0');
        if (value > limit) return false;
    }
    exponent = static_cast<int>(negative ? -value : value);
    return true;
}

}  // namespace

bool CDecimal::Parse(std::string_view text, CDecimal& out) {
    text = TrimBlanks(text);
    // Note: read into `out` itself, so a value read again and again reuses
    // its buffer.
    CDecimal& value = out;
    value.m_negative = false;
    value.m_digits.clear();
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) value.m_negative = text[at++] == '-';
    bool anyDigit = false;
    bool point = false;
    int beforePoint = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (textparse::IsDigit(c)) {
            anyDigit = true;
            value.m_digits += c;
            if (!point) ++beforePoint;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return false;
    int exponent = 0;
    if (at < text.size()) {
        if (text[at] != 'E' && text[at] != 'e') return false;
        if (!ParseExponent(text.substr(at + 1), kMaxExponent, exponent)) return false;
    }
    value.m_point = beforePoint + exponent;
    value.Normalize();
    return true;
}

void CDecimal::Normalize() {
    const std::size_t first = m_digits.find_first_not_of('0');
    if (first == std::string::npos) {
        m_digits.clear();
        m_negative = false;
        m_point = 0;
        return;
    }
    m_digits.erase(0, first);
    m_point -= static_cast<int>(first);
    const std::size_t last = m_digits.find_last_not_of('0');
    m_digits.erase(last + 1);
}

void CDecimal::RoundAt(long long keep) {
    if (IsZero() || keep >= static_cast<long long>(m_digits.size())) return;
    if (keep < 0) {
        m_digits.clear();
        Normalize();
        return;
    }
    const bool up = m_digits[static_cast<std::size_t>(keep)] >= '5';
    m_digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        std::size_t k = m_digits.size();
        while (k > 0 && m_digits[k - 1] == '9') m_digits[--k] = '0';
        if (k == 0) {
            m_digits.insert(m_digits.begin(), '1');
            ++m_point;
        } else {
            ++m_digits[k - 1];
        }
    }
    Normalize();
}

void CDecimal::RoundToDecimals(int decimals) { RoundAt(static_cast<long long>(m_point) + decimals); }

void CDecimal::RoundToSignificant(int count) { RoundAt(std::max(count, 1)); }

void CDecimal::Shift(int n) {
    if (!IsZero()) m_point += n;
}

void CDecimal::Negate() {
    if (!IsZero()) m_negative = !m_negative;
}

int CDecimal::CompareMagnitude(const CDecimal& other) const {
    if (IsZero() || other.IsZero()) return IsZero() ? (other.IsZero() ? 0 : -1) : 1;
    if (m_point != other.m_point) return m_point < other.m_point ? -1 : 1;
    const int order = m_digits.compare(other.m_digits);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CDecimal::Compare(const CDecimal& other) const {
    const int sign = IsZero() ? 0 : (m_negative ? -1 : 1);
    const int otherSign = other.IsZero() ? 0 : (other.m_negative ? -1 : 1);
    if (sign != otherSign) return sign < otherSign ? -1 : 1;
    return sign * CompareMagnitude(other);
}

void CDecimal::Add(const CDecimal& other) {
    if (other.IsZero()) return;
    if (IsZero()) {
        *this = other;
        return;
    }
    // Both as digit strings over the same places, from `high` down to `low`.
    const int high = std::max(m_point, other.m_point) + 1;
    const int low = std::min(m_point - static_cast<int>(m_digits.size()),
                             other.m_point - static_cast<int>(other.m_digits.size()));
    const std::size_t length = static_cast<std::size_t>(high - low);
    // Note: the working strings are kept per thread, so that a sum over many
    // rows allocates nothing once they have grown.
    thread_local std::string a;
    thread_local std::string b;
    thread_local std::string result;
    auto spread = [&](const CDecimal& value, std::string& places) {
        places.assign(length, '0');
        places.replace(static_cast<std::size_t>(high - value.m_point), value.m_digits.size(), value.m_digits);
    };
    spread(*this, a);
    spread(other, b);
    const bool subtract = m_negative != other.m_negative;
    const bool swap = subtract && CompareMagnitude(other) < 0;
    const std::string& big = swap ? b : a;
    const std::string& small = swap ? a : b;
    result.assign(length, '0');
    int carry = 0;
    for (std::size_t k = length; k-- > 0;) {
        int digit =
            subtract ? (big[k] - '0') - (small[k] - '0') - carry : (big[k] - '0') + (small[k] - '0') + carry;
        carry = subtract ? (digit < 0 ? 1 : 0) : (digit > 9 ? 1 : 0);
        digit += subtract ? carry * 10 : -carry * 10;
        result[k] = static_cast<char>('0' + digit);
    }
    m_negative = swap ? other.m_negative : m_negative;
    m_digits = result;
    m_point = high;
    Normalize();
}

std::string CDecimal::ToText() const {
    if (IsZero()) return "0";
    std::string out = m_negative ? "-" : "";
    const int size = static_cast<int>(m_digits.size());
    if (m_point <= 0) {
        out += '.';
        out.append(static_cast<std::size_t>(-m_point), '0');
        out += m_digits;
    } else if (m_point >= size) {
        out += m_digits;
        out.append(static_cast<std::size_t>(m_point - size), '0');
    } else {
        out.append(m_digits, 0, static_cast<std::size_t>(m_point));
        out += '.';
        out.append(m_digits, static_cast<std::size_t>(m_point));
    }
    return out;
}

long double CDecimal::ToLongDouble() const {
    if (IsZero()) return 0;
    std::string text = m_negative ? "-." : ".";
    text += m_digits;
    text += 'e';
    text += std::to_string(m_point);
    return std::strtold(text.c_str(), nullptr);
}
