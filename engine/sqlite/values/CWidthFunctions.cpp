#include "engine/sqlite/values/CWidthFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/Utf8CodePoint.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::ResultText;
using sqliteapi::TextOf;

// ASCII's printable characters and their full-width forms.
constexpr std::uint32_t kAsciiFirst = 0x21;
constexpr std::uint32_t kAsciiLast = 0x7E;
constexpr std::uint32_t kFullWidthFirst = 0xFF01;
constexpr std::uint32_t kSpace = 0x20;
constexpr std::uint32_t kIdeographicSpace = 0x3000;

// Half-width katakana U+FF61 to U+FF9F, in order, as full-width characters.
constexpr std::uint32_t kHalfKanaFirst = 0xFF61;
constexpr std::uint32_t kFullKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};
constexpr std::uint32_t kHalfKanaLast = kHalfKanaFirst + std::size(kFullKana) - 1;

std::uint32_t Wide(std::uint32_t c) {
    if (c >= kAsciiFirst && c <= kAsciiLast) return c - kAsciiFirst + kFullWidthFirst;
    if (c == kSpace) return kIdeographicSpace;
    if (c >= kHalfKanaFirst && c <= kHalfKanaLast) return kFullKana[c - kHalfKanaFirst];
    return c;
}

std::uint32_t Narrow(std::uint32_t c) {
    if (c >= kFullWidthFirst && c <= kFullWidthFirst + (kAsciiLast - kAsciiFirst))
        return c - kFullWidthFirst + kAsciiFirst;
    if (c == kIdeographicSpace) return kSpace;
    for (std::size_t k = 0; k < std::size(kFullKana); ++k)
        if (kFullKana[k] == c) return kHalfKanaFirst + static_cast<std::uint32_t>(k);
    return c;
}

// The length of the UTF-8 character led by `lead`.
std::size_t LengthOf(unsigned char lead) { return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; }

// Each character of `utf8` mapped by `map`; a character the map keeps (or
// a broken sequence) is copied byte for byte.
std::string Mapped(std::string_view utf8, std::uint32_t (*map)(std::uint32_t)) {
    std::string out;
    out.reserve(utf8.size() * 3);
    for (std::size_t k = 0; k < utf8.size();) {
        std::size_t length = std::min(LengthOf(static_cast<unsigned char>(utf8[k])), utf8.size() - k);
        std::string_view c = utf8.substr(k, length);
        k += length;
        std::uint32_t code = Utf8CodePoint(c);
        std::uint32_t mapped = map(code);
        if (mapped == code)
            out += c;
        else
            encoding::AppendUtf8(mapped, out);
    }
    return out;
}

void Convert(sqlite3_context* context, sqlite3_value* value, std::string (*convert)(std::string_view)) {
    if (sqlite3_value_type(value) == SQLITE_NULL) return sqlite3_result_null(context);
    ResultText(context, convert(TextOf(value)));
}

void ToMultiByte(sqlite3_context* context, int, sqlite3_value** argv) {
    Convert(context, argv[0], CWidthFunctions::ToMultiByte);
}

void ToSingleByte(sqlite3_context* context, int, sqlite3_value** argv) {
    Convert(context, argv[0], CWidthFunctions::ToSingleByte);
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_TO_MULTI_BYTE", 1, ToMultiByte},
    {"ORA_TO_SINGLE_BYTE", 1, ToSingleByte},
};

}  // namespace

std::string CWidthFunctions::ToMultiByte(std::string_view utf8) { return Mapped(utf8, Wide); }

std::string CWidthFunctions::ToSingleByte(std::string_view utf8) { return Mapped(utf8, Narrow); }

bool CWidthFunctions::Register(sqlite3* db) { return sqliteapi::RegisterFunctions(db, kRules, nullptr); }
