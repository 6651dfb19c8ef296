#include "engine/oci/COciNumber.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kMostDigits = 20;
constexpr unsigned char kZero = 0x80;
constexpr unsigned char kNegativeEnd = 102;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The decimal digits of a text and where its point stands among them.
struct Decimal {
    bool negative = false;
    std::string digits;
    long point = 0;
};

bool Parse(std::string_view text, Decimal& number) {
    text = Trim(text);
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) number.negative = text[at++] == '-';
    bool any = false;
    for (; at < text.size() && IsDigit(text[at]); ++at, any = true) number.digits += text[at];
    number.point = static_cast<long>(number.digits.size());
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && IsDigit(text[at]); ++at, any = true) number.digits += text[at];
    if (!any) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        const bool down = at < text.size() && text[at] == '-';
        if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
        long exponent = 0;
        bool digits = false;
        for (; at < text.size() && IsDigit(text[at]); ++at, digits = true)
            exponent = std::min(exponent * 10 + (text[at] - '0'), 100000L);
        if (!digits) return false;
        number.point += down ? -exponent : exponent;
    }
    return at == text.size();
}

}  // namespace

bool COciNumber::FromText(std::string_view text, unsigned char (&out)[kSize]) {
    Decimal number;
    if (!Parse(text, number)) return false;
    // Leading zeros go; the point moves with them.
    const std::size_t first = number.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        out[0] = 1;
        out[1] = kZero;
        return true;
    }
    std::string digits = number.digits.substr(first);
    long point = number.point - static_cast<long>(first);
    // Base-100 digits pair up around the point.
    if (point % 2 != 0) {
        digits.insert(digits.begin(), '0');
        ++point;
    }
    if (digits.size() % 2 != 0) digits += '0';
    std::vector<int> pairs;
    for (std::size_t k = 0; k < digits.size(); k += 2)
        pairs.push_back((digits[k] - '0') * 10 + digits[k + 1] - '0');
    long exponent = point / 2 - 1;
    if (static_cast<int>(pairs.size()) > kMostDigits) {
        const bool up = pairs[kMostDigits] >= 50;
        pairs.resize(kMostDigits);
        for (int k = kMostDigits - 1; up && k >= 0; --k) {
            if (++pairs[static_cast<std::size_t>(k)] < 100) break;
            pairs[static_cast<std::size_t>(k)] = 0;
            if (k == 0) {
                pairs.insert(pairs.begin(), 1);
                pairs.pop_back();
                ++exponent;
            }
        }
    }
    while (!pairs.empty() && pairs.back() == 0) pairs.pop_back();
    if (exponent > 62 || exponent < -65) return false;
    std::size_t length = 1;
    out[length++] = static_cast<unsigned char>(number.negative ? 62 - exponent : 193 + exponent);
    for (int pair : pairs)
        out[length++] = static_cast<unsigned char>(number.negative ? 101 - pair : pair + 1);
    if (number.negative && pairs.size() < static_cast<std::size_t>(kMostDigits)) out[length++] = kNegativeEnd;
    out[0] = static_cast<unsigned char>(length - 1);
    return true;
}

std::string COciNumber::ToText(const unsigned char (&in)[kSize]) {
    const std::size_t length = std::min<std::size_t>(in[0], kSize - 1);
    if (length == 0) return {};
    const unsigned char head = in[1];
    if (length == 1 && head == kZero) return "0";
    const bool negative = (head & 0x80) == 0;
    const long exponent = negative ? 62 - static_cast<long>(head) : static_cast<long>(head) - 193;
    std::string digits;
    for (std::size_t k = 2; k <= length; ++k) {
        if (negative && in[k] == kNegativeEnd) break;
        const int pair = negative ? 101 - in[k] : in[k] - 1;
        if (pair < 0 || pair > 99) return {};
        digits += static_cast<char>('0' + pair / 10);
        digits += static_cast<char>('0' + pair % 10);
    }
    long point = 2 * (exponent + 1);
    // Zeros fill up to the point on either side.
    if (point > static_cast<long>(digits.size()))
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    std::string whole = digits.substr(0, static_cast<std::size_t>(point));
    std::string fraction = digits.substr(static_cast<std::size_t>(point));
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    fraction.erase(fraction.find_last_not_of('0') + 1);
    std::string text = negative ? "-" : "";
    text += whole;
    if (!fraction.empty()) text += "." + fraction;
    return whole.empty() && fraction.empty() ? "0" : text;
}
