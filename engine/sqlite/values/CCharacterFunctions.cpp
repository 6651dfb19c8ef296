#include "engine/sqlite/values/CCharacterFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/Utf8CodePoint.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::ResultText;
using sqliteapi::TextOf;

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return true;
    return false;
}

// The server holds the empty text as NULL.
void ResultOrNull(sqlite3_context* context, const std::string& utf8) {
    if (utf8.empty()) return sqlite3_result_null(context);
    ResultText(context, utf8);
}

// The characters of UTF-8 text, each as its bytes.
std::vector<std::string_view> Characters(std::string_view utf8) {
    std::vector<std::string_view> out;
    for (std::size_t k = 0; k < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[k]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, utf8.size() - k);
        out.push_back(utf8.substr(k, length));
        k += length;
    }
    return out;
}

// Whether byte `at` of CP932 text begins a character.
bool StartsCharacter(std::string_view text, std::size_t at) {
    for (std::size_t k = 0; k < text.size(); k += cp932::IsLeadByte(text[k]) ? 2 : 1)
        if (k >= at) return k == at;
    return at == text.size();
}

void Substrb(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string text = encoding::Utf8ToCp932(TextOf(argv[0]));
    auto size = static_cast<std::int64_t>(text.size());
    std::int64_t position = sqlite3_value_int64(argv[1]);
    if (position == 0) position = 1;
    if (position < 0) position += size + 1;
    std::int64_t length = argc > 2 ? sqlite3_value_int64(argv[2]) : size;
    if (position < 1 || position > size || length < 1) return sqlite3_result_null(context);
    auto begin = static_cast<std::size_t>(position - 1);
    auto end = static_cast<std::size_t>(std::min(size, position - 1 + length));
    std::string out = text.substr(begin, end - begin);
    // Note: half a double-byte character at either end becomes a blank.
    if (!StartsCharacter(text, begin)) out[0] = ' ';
    if (!StartsCharacter(text, end)) out.back() = ' ';
    ResultOrNull(context, encoding::Cp932ToUtf8(out));
}

void Instrb(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string text = encoding::Utf8ToCp932(TextOf(argv[0]));
    std::string sought = encoding::Utf8ToCp932(TextOf(argv[1]));
    std::int64_t position = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
    std::int64_t occurrence = argc > 3 ? sqlite3_value_int64(argv[3]) : 1;
    if (position == 0 || occurrence < 1) {
        std::string message =
            COraError::ForFunction(1428, {std::to_string(position == 0 ? position : occurrence)});
        return sqlite3_result_error(context, message.c_str(), -1);
    }
    auto size = static_cast<std::int64_t>(text.size());
    auto length = static_cast<std::int64_t>(sought.size());
    bool backwards = position < 0;
    // Note: backwards, the search starts where a match would end the text at
    // the latest.
    std::int64_t at = backwards ? std::min(size + position, size - length) : position - 1;
    for (; at >= 0 && at + length <= size; at += backwards ? -1 : 1) {
        if (text.compare(static_cast<std::size_t>(at), sought.size(), sought) != 0) continue;
        if (!StartsCharacter(text, static_cast<std::size_t>(at))) continue;
        if (--occurrence == 0) return sqlite3_result_int64(context, at + 1);
    }
    sqlite3_result_int64(context, 0);
}

void Translate(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    std::string fromText = TextOf(argv[1]);
    std::string toText = TextOf(argv[2]);
    auto from = Characters(fromText);
    auto to = Characters(toText);
    std::string out;
    for (std::string_view character : Characters(text)) {
        std::size_t k = 0;
        while (k < from.size() && from[k] != character) ++k;
        if (k == from.size())
            out += character;
        else if (k < to.size())
            out += to[k];
    }
    ResultOrNull(context, out);
}

// The digit of a consonant; 0 for a vowel, H, W, Y; -1 for no letter.
int SoundDigit(char c) {
    static constexpr std::string_view kGroups[] = {"AEHIOUWY", "BFPV", "CGJKQSXZ", "DT", "L", "MN", "R"};
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    for (int digit = 0; digit < 7; ++digit)
        if (kGroups[digit].find(c) != std::string_view::npos) return digit;
    return -1;
}

void Soundex(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    std::size_t k = 0;
    while (k < text.size() && SoundDigit(text[k]) < 0) ++k;
    if (k == text.size()) return sqlite3_result_null(context);
    std::string out(1, static_cast<char>(text[k] >= 'a' ? text[k] - 'a' + 'A' : text[k]));
    int last = SoundDigit(text[k]);
    for (++k; k < text.size() && out.size() < 4; ++k) {
        char upper = (text[k] >= 'a' && text[k] <= 'z') ? static_cast<char>(text[k] - 'a' + 'A') : text[k];
        int digit = SoundDigit(upper);
        // Note: H and W do not part two letters of one digit; vowels do.
        if (upper == 'H' || upper == 'W') continue;
        if (digit > 0 && digit != last) out += static_cast<char>('0' + digit);
        last = digit;
    }
    out.resize(4, '0');
    ResultText(context, out);
}

void Asciistr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    std::string out;
    auto unit = [&out](std::uint32_t value) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\%04X", static_cast<unsigned>(value));
        out += buffer;
    };
    for (std::string_view character : Characters(text)) {
        std::uint32_t code = Utf8CodePoint(character);
        if (code < 0x80 && code != '\\') {
            out += character;
        } else if (code < 0x10000) {
            unit(code);
        } else {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    ResultOrNull(context, out);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A character the database's character set (CP932) cannot hold becomes
// the replacement character '?', as the server converts it.
void AppendHeld(std::uint32_t code, std::string& out) {
    std::string utf8;
    encoding::AppendUtf8(code, utf8);
    std::string cp932;
    bool surrogate = code >= 0xD800 && code < 0xE000;
    out += !surrogate && encoding::Utf8ToCp932Strict(utf8, cp932) ? utf8 : std::string("?");
}

// The code unit of "\XXXX" at `at`; -1 when four hexadecimal digits do not follow.
long CodeUnit(std::string_view text, std::size_t at) {
    if (at + 5 > text.size()) return -1;
    long unit = 0;
    for (std::size_t k = at + 1; k < at + 5; ++k) {
        int digit = HexDigit(text[k]);
        if (digit < 0) return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

void Unistr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    std::string out;
    for (std::size_t k = 0; k < text.size();) {
        if (text[k] != '\\') {
            std::size_t length = Characters(std::string_view(text).substr(k, 4)).front().size();
            out.append(text, k, length);
            k += length;
            continue;
        }
        if (k + 1 < text.size() && text[k + 1] == '\\') {
            out += '\\';
            k += 2;
            continue;
        }
        long unit = CodeUnit(text, k);
        if (unit < 0) {
            std::string message = COraError::ForFunction(30186, {});
            return sqlite3_result_error(context, message.c_str(), -1);
        }
        k += 5;
        long low =
            unit >= 0xD800 && unit < 0xDC00 && k < text.size() && text[k] == '\\' ? CodeUnit(text, k) : -1;
        if (low >= 0xDC00 && low < 0xE000) {
            AppendHeld(0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) +
                           (static_cast<std::uint32_t>(low) - 0xDC00),
                       out);
            k += 5;
            continue;
        }
        AppendHeld(static_cast<std::uint32_t>(unit), out);
    }
    ResultOrNull(context, out);
}

long FloorHalf(long position) { return position >= 0 ? position / 2 : -((1 - position) / 2); }

// A NUMBER takes an exponent byte and a byte for each pair of digits from
// its leading to its last significant digit; a negative one a closing byte
// besides, unless it has 20 pairs.
void VsizeNumber(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) {
        std::string message = COraError::ForFunction(1722, {});
        return sqlite3_result_error(context, message.c_str(), -1);
    }
    if (number.IsZero()) return sqlite3_result_int(context, 1);
    std::string text = number.Server().ToText();
    bool negative = text[0] == '-';
    if (negative) text.erase(0, 1);
    std::size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    long high = !whole.empty() ? static_cast<long>(whole.size()) - 1
                               : -static_cast<long>(fraction.find_first_not_of('0')) - 1;
    long low = 0;
    if (!fraction.empty())
        low = -static_cast<long>(fraction.size());
    else
        low = static_cast<long>(whole.size() - 1 - whole.find_last_not_of('0'));
    long pairs = FloorHalf(high) - FloorHalf(low) + 1;
    sqlite3_result_int64(context, 1 + pairs + (negative && pairs < 20 ? 1 : 0));
}

void SysGuid(sqlite3_context* context, int, sqlite3_value**) {
    unsigned char bytes[16];
    sqlite3_randomness(sizeof bytes, bytes);
    std::string out;
    for (unsigned char byte : bytes) {
        char buffer[3];
        std::snprintf(buffer, sizeof buffer, "%02X", byte);
        out += buffer;
    }
    ResultText(context, out);
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_SUBSTRB", 2, Substrb},         {"ORA_SUBSTRB", 3, Substrb},
    {"ORA_INSTRB", 2, Instrb},           {"ORA_INSTRB", 3, Instrb},
    {"ORA_INSTRB", 4, Instrb},           {"ORA_TRANSLATE", 3, Translate},
    {"ORA_SOUNDEX", 1, Soundex},         {"ORA_ASCIISTR", 1, Asciistr},
    {"ORA_UNISTR", 1, Unistr},           {"ORA_VSIZE_NUMBER", 1, VsizeNumber},
    {"ORA_SYS_GUID", 0, SysGuid, false},
};

}  // namespace

bool CCharacterFunctions::Register(sqlite3* db) { return sqliteapi::RegisterFunctions(db, kRules, nullptr); }
