#pragma once

// Values: the server's character-width conversions of a Japanese database.
#include <string>
#include <string_view>

struct sqlite3;

// Called by the text CSqlEmitter writes; NULL in, NULL out. Text is UTF-8:
//   ORA_TO_MULTI_BYTE(s)    each single-byte character that has a double-byte
//       form turned into it: ASCII 0x21-0x7E to the full-width forms, the
//       space to the ideographic space, half-width katakana to full-width
//       katakana, character by character (a sound mark stays a mark)
//   ORA_TO_SINGLE_BYTE(s)   the reverse
// Characters without an equivalent stay as they are.
class CWidthFunctions {
public:
    static bool Register(sqlite3* db);
    static std::string ToMultiByte(std::string_view utf8);
    static std::string ToSingleByte(std::string_view utf8);
};
