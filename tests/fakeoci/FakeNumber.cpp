// NUMBER in the external form SQLT_VNU, as the documentation describes it:
// a length byte, an exponent byte (base 100, offset 193 for positive
// numbers, ones' complement for negative ones) and base-100 digits plus 1
// (negative: 101 minus the digit, ended by 102 when there are fewer than
// 20 digits); zero is the single byte 0x80.
#include <cstring>

#include "FakeOci.h"

namespace fakeoci {

std::string VnuToText(const unsigned char* vnu) {
    const int length = vnu[0];
    if (length < 1 || length > 21) return {};
    if (length == 1 && vnu[1] == 0x80) return "0";
    const bool positive = (vnu[1] & 0x80) != 0;
    const int exponent = positive ? vnu[1] - 193 : 62 - vnu[1];
    // Digits of the mantissa, most significant first, in base 10.
    std::string digits;
    for (int k = 2; k <= length; ++k) {
        if (!positive && vnu[k] == 102) break;
        const int value = positive ? vnu[k] - 1 : 101 - vnu[k];
        digits.push_back(static_cast<char>('0' + value / 10));
        digits.push_back(static_cast<char>('0' + value % 10));
    }
    int integerDigits = 2 * (exponent + 1);
    while (integerDigits > static_cast<int>(digits.size())) digits.push_back('0');
    std::string integer;
    std::string fraction;
    if (integerDigits <= 0) {
        fraction = std::string(static_cast<std::size_t>(-integerDigits), '0') + digits;
    } else {
        integer = digits.substr(0, static_cast<std::size_t>(integerDigits));
        fraction = digits.substr(static_cast<std::size_t>(integerDigits));
    }
    while (!integer.empty() && integer.front() == '0') integer.erase(0, 1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string text = positive ? "" : "-";
    text += integer.empty() ? "0" : integer;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

bool TextToVnu(const std::string& text, unsigned char* vnu) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos) return false;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    std::string integer;
    std::string fraction;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) integer += text[at++];
    if (at < text.size() && text[at] == '.')
        while (++at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) fraction += text[at];
    if (text.find_first_not_of(' ', at) != std::string::npos || (integer.empty() && fraction.empty()))
        return false;
    // Pad both sides to whole base-100 digits.
    if (integer.size() % 2 != 0) integer.insert(0, "0");
    if (fraction.size() % 2 != 0) fraction += "0";
    std::string all = integer + fraction;
    int exponent = static_cast<int>(integer.size() / 2) - 1;
    while (all.size() >= 2 && all.compare(0, 2, "00") == 0) {
        all.erase(0, 2);
        --exponent;
    }
    while (all.size() >= 2 && all.compare(all.size() - 2, 2, "00") == 0) all.erase(all.size() - 2);
    if (all.empty()) {
        vnu[0] = 1;
        vnu[1] = 0x80;
        return true;
    }
    const int count = std::min<int>(static_cast<int>(all.size() / 2), 20);
    int length = 1;
    vnu[length++] = static_cast<unsigned char>(negative ? 62 - exponent : 193 + exponent);
    for (int k = 0; k < count; ++k) {
        const int value = (all[2 * k] - '0') * 10 + (all[2 * k + 1] - '0');
        vnu[length++] = static_cast<unsigned char>(negative ? 101 - value : value + 1);
    }
    if (negative && count < 20) vnu[length++] = 102;
    vnu[0] = static_cast<unsigned char>(length - 1);
    return true;
}

}  // namespace fakeoci
