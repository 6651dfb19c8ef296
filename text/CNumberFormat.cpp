#include "text/CNumberFormat.h"

#include <charconv>
#include <cmath>

namespace {

enum class Token {
    Digit9,
    Digit0,
    Group,
    Point,
    Shift,
    Dollar,
    Local,
    Iso,
    Dual,
    Blank,
    Sign,
    Exponent,
    Minus,
    Brackets,
    Fill
};

struct TokenRow {
    std::string_view text;
    Token token;
};

// Longer tokens first: "FM" before nothing else starting with F, and so on.
constexpr TokenRow kTokens[] = {
    {"EEEE", Token::Exponent}, {"MI", Token::Minus}, {"PR", Token::Brackets}, {"FM", Token::Fill},
    {"9", Token::Digit9},      {"0", Token::Digit0}, {",", Token::Group},     {"G", Token::Group},
    {".", Token::Point},       {"D", Token::Point},  {"V", Token::Shift},     {"$", Token::Dollar},
    {"L", Token::Local},       {"B", Token::Blank},  {"S", Token::Sign},      {"C", Token::Iso},
    {"U", Token::Dual},
};

// The local (and dual) currency: the full-width yen sign in CP932; the
// ISO currency of the territory.
constexpr std::string_view kLocalCurrency = "\x81\x8F";
constexpr std::string_view kIsoCurrency = "JPY";

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithToken(std::string_view model, std::size_t at, std::string_view token) {
    if (model.size() - at < token.size()) return false;
    for (std::size_t k = 0; k < token.size(); ++k)
        if (Upper(model[at + k]) != token[k]) return false;
    return true;
}

std::size_t DigitPositions(const std::string& part) {
    std::size_t n = 0;
    for (char c : part)
        if (c != ',') ++n;
    return n;
}

std::size_t FirstNonBlank(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? text.size() : first;
}

}  // namespace

bool CNumberFormat::ParseToken(std::string_view model, std::size_t& at, bool& afterPoint, bool& afterV) {
    for (const auto& row : kTokens) {
        if (!StartsWithToken(model, at, row.text)) continue;
        const bool first = at == 0 || (at == 2 && m_fillMode);
        at += row.text.size();
        const bool last = at == model.size();
        switch (row.token) {
            case Token::Digit9:
            case Token::Digit0: {
                const char digit = row.token == Token::Digit9 ? '9' : '0';
                if (m_scientific) return false;
                if (afterPoint) {
                    m_fractionPart += digit;
                } else {
                    m_integerPart += digit;
                    if (afterV) ++m_shift;
                }
                return true;
            }
            case Token::Group:
                if (afterPoint || afterV || m_integerPart.empty()) return false;
                m_integerPart += ',';
                return true;
            case Token::Point:
                if (afterPoint || afterV) return false;
                afterPoint = m_hasPoint = true;
                return true;
            case Token::Shift:
                if (afterPoint || afterV) return false;
                afterV = true;
                return true;
            case Token::Dollar:
            case Token::Local:
            case Token::Iso:
            case Token::Dual:
                if (!m_currency.empty()) return false;
                m_currency = row.token == Token::Dollar ? std::string_view("$")
                             : row.token == Token::Iso  ? kIsoCurrency
                                                        : kLocalCurrency;
                return true;
            case Token::Blank:
                m_blankZero = true;
                return true;
            case Token::Sign:
                if (m_sign != Sign::Leading || (!first && !last)) return false;
                m_sign = first ? Sign::LeadingS : Sign::TrailingS;
                return true;
            case Token::Exponent:
                if (m_scientific || afterV || m_integerPart.empty()) return false;
                m_scientific = true;
                return true;
            case Token::Minus:
            case Token::Brackets:
                if (!last || m_sign != Sign::Leading) return false;
                m_sign = row.token == Token::Minus ? Sign::TrailingMinus : Sign::Brackets;
                return true;
            case Token::Fill:
                if (at != 2) return false;
                m_fillMode = true;
                return true;
        }
    }
    return false;
}

bool CNumberFormat::Parse(std::string_view model, CNumberFormat& out, std::string& error) {
    CNumberFormat format;
    bool afterPoint = false;
    bool afterV = false;
    std::size_t at = 0;
    bool ok = true;
    while (ok && at < model.size()) ok = format.ParseToken(model, at, afterPoint, afterV);
    if (!ok || (format.m_integerPart.empty() && format.m_fractionPart.empty())) {
        error = "number format \"" + std::string(model) + "\" is not recognised";
        return false;
    }
    const int signWidth = format.m_sign == Sign::Brackets ? 2 : 1;
    format.m_width = signWidth + static_cast<int>(format.m_currency.size() + format.m_integerPart.size()) +
                     (format.m_hasPoint ? 1 + static_cast<int>(format.m_fractionPart.size()) : 0) +
                     (format.m_scientific ? 4 : 0);
    out = std::move(format);
    return true;
}

std::size_t CNumberFormat::DigitCount() const { return DigitPositions(m_integerPart); }

void CNumberFormat::IntegerSection(const std::string& digits, std::string& out) const {
    const std::size_t positions = DigitPositions(m_integerPart);
    const std::size_t firstZero = m_integerPart.find('0');
    std::size_t position = 0;
    bool started = false;
    for (std::size_t k = 0; k < m_integerPart.size(); ++k) {
        const char c = m_integerPart[k];
        if (c == ',') {
            out += started ? ',' : ' ';
            continue;
        }
        const std::size_t fromRight = positions - position++;
        if (fromRight <= digits.size()) {
            out += digits[digits.size() - fromRight];
            started = true;
        } else if (firstZero != std::string::npos && k >= firstZero) {
            out += '0';
            started = true;
        } else {
            out += ' ';
        }
    }
}

void CNumberFormat::ApplySign(bool negative, std::string& body) const {
    const std::size_t first = FirstNonBlank(body);
    switch (m_sign) {
        case Sign::Leading:
            body.insert(first, 1, negative ? '-' : ' ');
            break;
        case Sign::LeadingS:
            body.insert(first, 1, negative ? '-' : '+');
            break;
        case Sign::TrailingS:
            body += negative ? '-' : '+';
            break;
        case Sign::TrailingMinus:
            body += negative ? '-' : ' ';
            break;
        case Sign::Brackets:
            body.insert(negative ? first : 0, 1, negative ? '<' : ' ');
            body += negative ? '>' : ' ';
            break;
    }
    if (static_cast<int>(body.size()) < m_width)
        body.insert(0, static_cast<std::size_t>(m_width) - body.size(), ' ');
}

void CNumberFormat::FormatFixed(const CDecimal& value, std::string& out) const {
    // Note: the working values are kept per thread, so that a column of
    // many rows allocates nothing once they have grown.
    thread_local CDecimal shifted;
    thread_local std::string integerDigits;
    thread_local std::string fraction;
    shifted = value;
    shifted.Shift(m_shift);
    const int decimals = static_cast<int>(m_fractionPart.size());
    shifted.RoundToDecimals(decimals);
    const std::string& all = shifted.Digits();
    const int point = shifted.PointPosition();
    integerDigits.clear();
    fraction.assign(static_cast<std::size_t>(decimals), '0');
    for (int k = 0; k < static_cast<int>(all.size()); ++k) {
        const int place = k - point;  // 0: first digit after the point
        if (place < 0) {
            if (integerDigits.empty() && point > 0)
                integerDigits.assign(static_cast<std::size_t>(point), '0');
            integerDigits[static_cast<std::size_t>(k)] = all[static_cast<std::size_t>(k)];
        } else if (place < decimals) {
            fraction[static_cast<std::size_t>(place)] = all[static_cast<std::size_t>(k)];
        }
    }
    if (integerDigits.empty() && point > 0) integerDigits.assign(static_cast<std::size_t>(point), '0');
    if (integerDigits.size() > DigitPositions(m_integerPart)) {
        out.assign(static_cast<std::size_t>(m_width), '#');
        return;
    }
    if (m_blankZero && shifted.IsZero()) {
        out.assign(static_cast<std::size_t>(m_width), ' ');
        return;
    }
    if (integerDigits.empty() && decimals == 0 && !m_integerPart.empty()) integerDigits = "0";
    out.clear();
    if (m_blankZero && integerDigits.empty())
        out.append(m_integerPart.size(), ' ');
    else
        IntegerSection(integerDigits, out);
    if (m_hasPoint) {
        out += '.';
        out += fraction;
    }
    if (!m_currency.empty()) out.insert(FirstNonBlank(out), m_currency);
    ApplySign(shifted.IsNegative(), out);
}

void CNumberFormat::FormatScientific(const CDecimal& value, std::string& out) const {
    const int decimals = static_cast<int>(m_fractionPart.size());
    CDecimal rounded = value;
    rounded.RoundToSignificant(decimals + 1);
    const int exponent = rounded.IsZero() ? 0 : rounded.PointPosition() - 1;
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude > 99) {
        out.assign(static_cast<std::size_t>(m_width), '#');
        return;
    }
    std::string digits = rounded.IsZero() ? "0" : rounded.Digits();
    digits.resize(static_cast<std::size_t>(decimals) + 1, '0');
    std::string body(m_integerPart.size() - 1, ' ');
    body += digits[0];
    if (m_hasPoint) {
        body += '.';
        body.append(digits, 1);
    }
    body += exponent < 0 ? "E-" : "E+";
    body += static_cast<char>('0' + magnitude / 10);
    body += static_cast<char>('0' + magnitude % 10);
    body.insert(FirstNonBlank(body), m_currency);
    ApplySign(rounded.IsNegative(), body);
    out = std::move(body);
}

void CNumberFormat::TrimFill(std::string& out) const {
    const bool trailingSign = m_sign != Sign::Leading && m_sign != Sign::LeadingS;
    if (m_hasPoint && !m_scientific && !trailingSign && out.find('#') == std::string::npos) {
        const std::size_t point = out.rfind('.');
        while (point != std::string::npos && out.size() > point + 1 && out.back() == '0' &&
               m_fractionPart[out.size() - point - 2] == '9')
            out.pop_back();
    }
    const std::size_t begin = out.find_first_not_of(' ');
    const std::size_t end = out.find_last_not_of(' ');
    out = begin == std::string::npos ? std::string() : out.substr(begin, end - begin + 1);
}

void CNumberFormat::Format(const CDecimal& value, std::string& out) const {
    if (m_scientific)
        FormatScientific(value, out);
    else
        FormatFixed(value, out);
    if (m_fillMode) TrimFill(out);
}

bool CNumberFormat::Format(std::string_view numberText, std::string_view model, std::string& out,
                           std::string& error) {
    if (FormatSpecial(numberText, model, out)) return true;
    CNumberFormat format;
    if (!Parse(model, format, error)) return false;
    CDecimal value;
    if (!CDecimal::Parse(numberText, value)) {
        out.assign(static_cast<std::size_t>(format.Width()), '#');
        return true;
    }
    format.Format(value, out);
    return true;
}

bool CNumberFormat::Format(double value, std::string_view model, std::string& out, std::string& error) {
    // Note: the shortest text that reads back as the same double, so 1.005
    // rounds as the decimal the user wrote.
    char buffer[64];
    const auto written = std::isfinite(value) ? std::to_chars(buffer, buffer + sizeof buffer, value)
                                              : std::to_chars_result{buffer, std::errc()};
    return Format(std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer)), model, out,
                  error);
}
