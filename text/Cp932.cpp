#include "text/Cp932.h"

namespace cp932 {

std::string ToUpper(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c)) {
            if (i + 1 >= out.size()) break;
            auto trail = static_cast<unsigned char>(out[i + 1]);
            // Full-width a-z (0x8281-0x829A) become Ａ-Ｚ (0x8260-0x8279).
            if (c == 0x82 && trail >= 0x81 && trail <= 0x9A) out[i + 1] = static_cast<char>(trail - 0x21);
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c))
            ++i;
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::size_t CharLength(std::string_view text, std::size_t index) {
    if (index >= text.size()) return 0;
    return (IsLeadByte(text[index]) && index + 1 < text.size()) ? 2 : 1;
}

}  // namespace cp932
