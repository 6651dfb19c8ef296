#include "engine/sqlite/values/CCaseMapping.h"

#include "text/Encoding.h"

namespace {

// A run of lower-case letters and the upper-case run it maps to.
struct CaseRange {
    char32_t lowerFirst;
    char32_t lowerLast;
    char32_t upperFirst;
};

constexpr CaseRange kRanges[] = {
    {U'a', U'z', U'A'},       {0x03B1, 0x03C1, 0x0391},  // Greek (no final sigma)
    {0x03C3, 0x03C9, 0x03A3}, {0x0430, 0x044F, 0x0410},  // Cyrillic
    {0x0451, 0x0451, 0x0401}, {0x2170, 0x2179, 0x2160},  // Roman numerals
    {0xFF41, 0xFF5A, 0xFF21},                            // full-width Latin
};

enum class Case { Upper, Lower, None };

Case CaseOf(char32_t c) {
    for (const CaseRange& range : kRanges) {
        if (c >= range.lowerFirst && c <= range.lowerLast) return Case::Lower;
        char32_t upperLast = range.upperFirst + (range.lowerLast - range.lowerFirst);
        if (c >= range.upperFirst && c <= upperLast) return Case::Upper;
    }
    return Case::None;
}

char32_t Mapped(char32_t c, bool upper) {
    for (const CaseRange& range : kRanges) {
        char32_t span = range.lowerLast - range.lowerFirst;
        if (upper && c >= range.lowerFirst && c <= range.lowerLast)
            return range.upperFirst + (c - range.lowerFirst);
        if (!upper && c >= range.upperFirst && c <= range.upperFirst + span)
            return range.lowerFirst + (c - range.upperFirst);
    }
    return c;
}

// The character at `at` and its length in bytes (1 for a stray byte).
char32_t Decode(std::string_view text, std::size_t at, std::size_t& length) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(at);
    length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > text.size()) length = 1;
    if (length == 1) return lead;
    char32_t c = lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (byte(at + k) & 0x3F);
    return c;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Maps each letter; `rule` says, for each letter, whether it is written
// upper case given whether it begins a word.
template <typename Rule>
std::string Map(std::string_view text, Rule rule) {
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        char32_t c = Decode(text, at, length);
        Case kind = CaseOf(c);
        bool digit = c >= U'0' && c <= U'9';
        if (kind == Case::None || (length == 1 && c >= 0x80))
            out.append(text.substr(at, length));
        else
            encoding::AppendUtf8(Mapped(c, rule(wordStart)), out);
        wordStart = kind == Case::None && !digit;
        at += length;
    }
    return out;
}

}  // namespace

std::string CCaseMapping::Upper(std::string_view text) {
    if (IsAscii(text)) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return out;
    }
    return Map(text, [](bool) { return true; });
}

std::string CCaseMapping::Lower(std::string_view text) {
    if (IsAscii(text)) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return out;
    }
    return Map(text, [](bool) { return false; });
}

std::string CCaseMapping::Initcap(std::string_view text) {
    return Map(text, [](bool wordStart) { return wordStart; });
}
