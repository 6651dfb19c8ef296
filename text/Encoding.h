#pragma once

#include <string>
#include <string_view>

// Conversions between the program's CP932 bytes and UTF-8, used only at the
// edges (terminal, screen, database engine).
namespace encoding {

// True when every byte is below 0x80: the text reads the same in CP932 and
// UTF-8.
bool IsAscii(std::string_view text);

// CP932 to UTF-8. A byte sequence that is not valid CP932 becomes U+FFFD for
// each offending byte, so nothing is dropped silently and nothing fails.
std::string Cp932ToUtf8(std::string_view cp932);
// The same, appended to `out`.
void AppendCp932ToUtf8(std::string_view cp932, std::string& out);

// Strict CP932 to UTF-8: false when `cp932` holds a byte sequence that is not
// valid CP932 (`out` is then unspecified).
bool Cp932ToUtf8Strict(std::string_view cp932, std::string& out);
// True when `cp932` is valid CP932 throughout.
bool IsCp932(std::string_view cp932);

// UTF-8 to CP932. A character CP932 cannot hold (or invalid UTF-8) becomes
// `replacement`, one per character.
std::string Utf8ToCp932(std::string_view utf8, char replacement = '?');

// Strict UTF-8 to CP932: false when a character cannot be represented.
bool Utf8ToCp932Strict(std::string_view utf8, std::string& out);

// The UTF-8 bytes of one code point, appended to `out`.
void AppendUtf8(char32_t code, std::string& out);

// Byte offset in the CP932 text of the character at UTF-8 byte `utf8Offset`
// of its conversion (offsets past the end map past the end).
std::size_t Utf8OffsetToCp932(std::string_view cp932, std::size_t utf8Offset);

}  // namespace encoding
