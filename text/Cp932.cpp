#include "text/Cp932.h"

#include <cstdint>
#include <cstring>

namespace cp932 {
namespace {

// Upper-cases the 8 bytes at `bytes` when all are ASCII (false, and nothing
// changes, when one is not): a byte from 'a' to 'z' loses its 0x20 bit.
bool UpperAsciiWord(char* bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x80 * kOnes;
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    if ((word & kHigh) != 0) return false;
    // With every byte below 0x80 no sum carries into the next byte.
    const std::uint64_t fromA = word + (0x80 - 'a') * kOnes;
    const std::uint64_t pastZ = word + (0x80 - 'z' - 1) * kOnes;
    word -= ((fromA & ~pastZ) & kHigh) >> 2;
    std::memcpy(bytes, &word, sizeof word);
    return true;
}

}  // namespace

std::string ToUpper(std::string_view text) {
    std::string out(text);
    ToUpperInPlace(out);
    return out;
}

void ToUpperInPlace(std::string& text, std::size_t from) {
    char* const bytes = text.data();
    const std::size_t size = text.size();
    for (std::size_t i = from; i < size; ++i) {
        if (i + 8 <= size && UpperAsciiWord(bytes + i)) {
            i += 7;
            continue;
        }
        auto c = static_cast<unsigned char>(bytes[i]);
        if (IsLeadByte(c)) {
            if (i + 1 >= size) break;
            auto trail = static_cast<unsigned char>(bytes[i + 1]);
            // Full-width a-z (0x8281-0x829A) become Ａ-Ｚ (0x8260-0x8279).
            if (c == 0x82 && trail >= 0x81 && trail <= 0x9A) bytes[i + 1] = static_cast<char>(trail - 0x21);
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            bytes[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
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

}  // namespace cp932
