// Reading a number by its format model (TO_NUMBER): the reverse of Format.
// The text may leave out leading digits, blanks and the currency the model
// allows, but holds nothing the model does not.
#include <cctype>

#include "text/CNumberFormat.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool StripPrefix(std::string_view& text, std::string_view prefix) {
    if (prefix.empty() || text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

bool StripSuffix(std::string_view& text, char suffix) {
    if (text.empty() || text.back() != suffix) return false;
    text.remove_suffix(1);
    return true;
}

// The model with its G and D written as "," and ".", and whether it had them.
std::string Canonical(std::string_view model, bool& named) {
    std::string out(model);
    named = false;
    for (char& c : out) {
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper == 'G' || upper == 'D') {
            named = true;
            c = upper == 'G' ? ',' : '.';
        }
    }
    return out;
}

// The value of hexadecimal digits read by an X model (`places` long, FM
// left out): false when the text is longer or holds another character.
bool ReadHex(std::string_view text, std::size_t places, std::string& number) {
    if (text.empty() || text.size() > places) return false;
    std::string decimal = "0";  // most significant digit first
    for (char c : text) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        int digit = IsDigit(lower) ? lower - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
        if (digit < 0) return false;
        for (auto it = decimal.rbegin(); it != decimal.rend(); ++it) {
            const int value = (*it - '0') * 16 + digit;
            *it = static_cast<char>('0' + value % 10);
            digit = value / 10;
        }
        for (; digit > 0; digit /= 10) decimal.insert(decimal.begin(), static_cast<char>('0' + digit % 10));
    }
    const std::size_t first = decimal.find_first_not_of('0');
    number = first == std::string::npos ? "0" : decimal.substr(first);
    return true;
}

}  // namespace

bool CNumberFormat::Read(std::string_view text, std::string_view model, std::string& number, char group,
                         char point) {
    if (IsHexadecimal(model)) {
        bool fill = false;
        return ReadHex(Trimmed(text), WithoutFill(model, fill).size(), number);
    }
    bool named = false;
    const std::string canonical = Canonical(model, named);
    CNumberFormat format;
    std::string error;
    if (!Parse(canonical, format, error)) return false;
    // Note: the characters of G and D stand for the session's; "," and "."
    // in the model are themselves.
    if (!named) group = ',', point = '.';
    return format.ReadFixed(Trimmed(text), group, point, number);
}

bool CNumberFormat::ReadFixed(std::string_view text, char group, char point, std::string& number) const {
    bool negative = false;
    switch (m_sign) {
        case Sign::Brackets:
            if (!text.empty() && text.front() == '<') {
                if (!StripSuffix(text, '>')) return false;
                text.remove_prefix(1);
                negative = true;
            }
            break;
        case Sign::TrailingMinus:
            negative = StripSuffix(text, '-');
            break;
        case Sign::TrailingS:
            negative = StripSuffix(text, '-');
            if (!negative && !StripSuffix(text, '+')) return false;
            break;
        case Sign::LeadingS:
        case Sign::Leading:
            if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
                negative = text.front() == '-';
                text.remove_prefix(1);
            } else if (m_sign == Sign::LeadingS) {
                return false;
            }
            break;
    }
    text = Trimmed(text);
    StripPrefix(text, m_currency);
    if (m_scientific) {
        // Note: a number in scientific form is read as it is written.
        for (char c : text)
            if (!IsDigit(c) && c != '.' && c != 'E' && c != 'e' && c != '+' && c != '-') return false;
        if (text.empty()) return false;
        number = (negative ? "-" : "") + std::string(text);
        return true;
    }
    std::string integer;
    std::string fraction;
    bool afterPoint = false;
    const bool grouped = m_integerPart.find(',') != std::string::npos;
    for (char c : text) {
        if (IsDigit(c)) {
            (afterPoint ? fraction : integer) += c;
        } else if (c == point && m_hasPoint && !afterPoint) {
            afterPoint = true;
        } else if (c == group && grouped && !afterPoint && !integer.empty()) {
            continue;
        } else {
            return false;
        }
    }
    const std::size_t digits = DigitCount();
    if ((integer.empty() && fraction.empty()) || integer.size() > digits ||
        fraction.size() > m_fractionPart.size())
        return false;
    if (integer.empty()) integer = "0";
    number = (negative ? "-" : "") + integer;
    if (m_shift > 0) {
        // Note: the digits after V were a shift of the point.
        std::string all = integer + fraction;
        const std::size_t at = integer.size() > static_cast<std::size_t>(m_shift)
                                   ? integer.size() - static_cast<std::size_t>(m_shift)
                                   : 0;
        std::string whole = all.substr(0, at);
        std::string rest =
            std::string(static_cast<std::size_t>(m_shift) - (integer.size() - at), '0') + all.substr(at);
        number = (negative ? "-" : "") + (whole.empty() ? "0" : whole) + "." + rest;
        return true;
    }
    if (!fraction.empty()) number += "." + fraction;
    return true;
}
