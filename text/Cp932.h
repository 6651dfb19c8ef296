#pragma once

#include <string>
#include <string_view>

// The program's text is CP932 (Shift-JIS) bytes: every length, index and
// column counts bytes. These helpers are the only place that knows the
// code page's byte classes.
namespace cp932 {

// Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// Upper-cases a-z and the full-width Latin lowercase letters; a trail byte is
// never touched. A lone lead byte at the end is kept as it is.
std::string ToUpper(std::string_view text);
// ToUpper of the bytes of `text` from `from` on, as if they stood alone, in
// place.
void ToUpperInPlace(std::string& text, std::size_t from = 0);
// Upper-cases a-z only (names as the database folds them); a trail byte is
// never touched.
std::string ToUpperAscii(std::string_view text);

// Length of the character that starts at `index`: 2 for a lead byte followed
// by another byte, else 1 (0 at or past the end).
inline std::size_t CharLength(std::string_view text, std::size_t index) {
    if (index >= text.size()) return 0;
    return (IsLeadByte(text[index]) && index + 1 < text.size()) ? 2 : 1;
}

}  // namespace cp932
