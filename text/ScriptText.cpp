#include "text/ScriptText.h"

#include <algorithm>
#include <cstdio>

#include "text/Encoding.h"

namespace scripttext {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct EncodingName {
    const char* name;
    Encoding encoding;
};

constexpr EncodingName kNames[] = {
    {"cp932", Encoding::Cp932}, {"sjis", Encoding::Cp932}, {"shift_jis", Encoding::Cp932},
    {"utf-8", Encoding::Utf8},  {"utf8", Encoding::Utf8},
};

bool HasHighBytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at `i`, 0 when there is none.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    const auto second = static_cast<unsigned char>(s[i + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return 0;
    return n;
}

// Note: Japanese text in CP932 is almost never well-formed UTF-8 (its trail
// bytes are mostly ASCII), while UTF-8 Japanese is often valid CP932 too; so
// well-formed UTF-8 with multi-byte sequences is read as UTF-8.
bool LooksLikeUtf8(std::string_view bytes) { return HasHighBytes(bytes) && IsValidUtf8(bytes); }

// The code point of the well-formed UTF-8 sequence `s`.
unsigned long CodePoint(std::string_view s) {
    static constexpr unsigned char kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
    unsigned long value = static_cast<unsigned char>(s[0]) & kLeadMask[s.size() - 1];
    for (std::size_t k = 1; k < s.size(); ++k)
        value = (value << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
    return value;
}

// A well-formed UTF-8 line character by character: what CP932 cannot hold
// becomes its mark (see kUnheldMark).
std::string MarkUnheld(std::string_view piece) {
    std::string out;
    for (std::size_t i = 0; i < piece.size();) {
        const std::size_t n = SequenceLength(piece, i);
        const std::string_view character = piece.substr(i, n);
        std::string converted;
        if (encoding::Utf8ToCp932Strict(character, converted)) {
            out += converted;
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04lX", CodePoint(character));
            out += kUnheldMark;
            out += code;
        }
        i += n;
    }
    return out;
}

// Converts line by line, so that a refusal names its line.
bool FromUtf8(std::string_view utf8, std::string& cp932, std::size_t& badLine) {
    cp932.clear();
    cp932.reserve(utf8.size());
    std::size_t start = 0;
    for (std::size_t line = 1; start <= utf8.size(); ++line) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos) end = utf8.size();
        const std::string_view piece = utf8.substr(start, end - start);
        std::string converted;
        if (!IsValidUtf8(piece)) {
            badLine = line;
            return false;
        }
        if (!encoding::Utf8ToCp932Strict(piece, converted)) converted = MarkUnheld(piece);
        cp932 += converted;
        if (end < utf8.size()) cp932 += '\n';
        start = end + 1;
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

bool ParseEncoding(std::string_view name, Encoding& out) {
    const std::string lower = Lower(name);
    for (const auto& row : kNames)
        if (lower == row.name) return out = row.encoding, true;
    return false;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = SequenceLength(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

bool Decode(std::string_view bytes, Encoding encoding, std::string& cp932, std::size_t& badLine) {
    badLine = 0;
    const bool marked = bytes.starts_with(kByteOrderMark);
    if (encoding == Encoding::Auto)
        encoding = marked || LooksLikeUtf8(bytes) ? Encoding::Utf8 : Encoding::Cp932;
    if (encoding == Encoding::Cp932) {
        cp932.assign(bytes);
        return true;
    }
    if (marked) bytes.remove_prefix(kByteOrderMark.size());
    return FromUtf8(bytes, cp932, badLine);
}

std::string RefusalText(std::size_t line) {
    return encoding::Utf8ToCp932(std::to_string(line) + "行目の文字を CP932 に変換できません。");
}

}  // namespace scripttext
