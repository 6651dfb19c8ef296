#include "text/TextOrder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace textorder {
namespace {

// Sorts after every Unicode code point: the key of a byte sequence that is
// not a character is this plus its bytes.
constexpr char32_t kInvalid = 0x110000;

char32_t DecodeUtf8(const std::string& utf8) {
    auto byte = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[k])); };
    switch (utf8.size()) {
        case 1:
            return byte(0);
        case 2:
            return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
        case 3:
            return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        case 4:
            return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
                   (byte(3) & 0x3F);
        default:
            return kInvalid;
    }
}

// The code point of every CP932 byte and byte pair, by its bytes (one byte
// b at b, a pair at lead * 256 + trail); kInvalid plus the bytes where the
// bytes are no character.
class CodeTable {
public:
    CodeTable() {
        std::string utf8;
        for (unsigned code = 0; code < 0x10000; ++code) {
            const auto lead = static_cast<unsigned char>(code >> 8);
            const auto trail = static_cast<unsigned char>(code & 0xFF);
            std::string bytes;
            if (code < 0x100) {
                if (code < 0x80) {
                    m_codes[code] = code;
                    continue;
                }
                bytes.assign(1, static_cast<char>(trail));
            } else if (cp932::IsLeadByte(lead) && trail >= 0x40 && trail != 0x7F && trail <= 0xFC) {
                bytes = {static_cast<char>(lead), static_cast<char>(trail)};
            }
            const bool single = code < 0x100 && !cp932::IsLeadByte(trail);
            m_codes[code] = kInvalid + code;
            if ((single || bytes.size() == 2) && encoding::Cp932ToUtf8Strict(bytes, utf8))
                m_codes[code] = DecodeUtf8(utf8);
        }
    }
    char32_t operator[](unsigned code) const { return m_codes[code]; }

private:
    std::array<char32_t, 0x10000> m_codes{};
};

const CodeTable& Codes() {
    static const auto table = std::make_unique<CodeTable>();
    return *table;
}

// The key of the character at `at` (1 or 2 bytes, as cp932::CharLength
// reads it); `length` is set to its bytes.
char32_t KeyAt(std::string_view text, std::size_t at, std::size_t& length) {
    length = cp932::CharLength(text, at);
    const auto first = static_cast<unsigned char>(text[at]);
    if (length == 1) return first < 0x80 ? first : Codes()[first];
    return Codes()[(first << 8) | static_cast<unsigned char>(text[at + 1])];
}

// The start of the character that holds byte `at`. Every byte that cannot
// lead a pair ends a character, so the run of lead bytes just before `at`
// pairs up from its start: an odd run leaves `at` a trail byte.
std::size_t CharacterStart(std::string_view text, std::size_t at) {
    std::size_t run = 0;
    while (run < at && cp932::IsLeadByte(text[at - run - 1])) ++run;
    return run % 2 == 1 ? at - 1 : at;
}

// The first place the texts differ (the shorter one's length when one is
// the other's start), eight bytes at a time.
std::size_t Mismatch(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t at = 0;
    for (; at + 8 <= common; at += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + at, sizeof x);
        std::memcpy(&y, b.data() + at, sizeof y);
        if (x != y) break;
    }
    while (at < common && a[at] == b[at]) ++at;
    return at;
}

}  // namespace

int Compare(std::string_view a, std::string_view b) {
    const std::size_t at = Mismatch(a, b);
    if (at == a.size() && at == b.size()) return 0;
    if (at < a.size() && at < b.size()) {
        // Two ASCII bytes where a character starts: their order is the texts'.
        const auto x = static_cast<unsigned char>(a[at]);
        const auto y = static_cast<unsigned char>(b[at]);
        if (x < 0x80 && y < 0x80 && (at == 0 || !cp932::IsLeadByte(a[at - 1]))) return x < y ? -1 : 1;
    }
    const std::size_t start = CharacterStart(a, at);
    // Note: the characters before `start` are the same bytes in both, read
    // the same way; the order is that of the characters from `start` on.
    std::size_t x = start;
    std::size_t y = start;
    while (x < a.size() && y < b.size()) {
        const auto first = static_cast<unsigned char>(a[x]);
        const auto second = static_cast<unsigned char>(b[y]);
        if (first < 0x80 && second < 0x80) {
            if (first != second) return first < second ? -1 : 1;
            ++x;
            ++y;
            continue;
        }
        std::size_t lengthA = 0;
        std::size_t lengthB = 0;
        const char32_t keyA = KeyAt(a, x, lengthA);
        const char32_t keyB = KeyAt(b, y, lengthB);
        if (keyA != keyB) return keyA < keyB ? -1 : 1;
        x += lengthA;
        y += lengthB;
    }
    if (x < a.size() || y < b.size()) return x < a.size() ? 1 : -1;
    // The same code points throughout: the bytes tell the texts apart.
    const int bytes = a.substr(start).compare(b.substr(start));
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

}  // namespace textorder
