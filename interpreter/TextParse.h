#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/LeadingInt.h"

// Small text readers shared by the interpreter's commands.
namespace textparse {

// A byte of a name: letters, digits, "_", "$", "#" and every byte of a
// double-byte character.
inline bool IsWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c >= 0x80;
}

// True when a "%s" field of a Scan pattern starts at byte `i`.
inline bool IsFieldAt(std::string_view pattern, std::size_t i) {
    return i + 1 < pattern.size() && pattern[i] == '%' && pattern[i + 1] == 's';
}

// `text` without leading and trailing blanks (byte 0x20 only).
std::string TrimBlanks(std::string_view text);

// `text` without the run of `c` that ends it.
std::string TrimTrailing(std::string_view text, char c);

// The blank-separated words of `text`; a word in single or double quotes
// (a doubled quote inside standing for one) comes without its quotes.
std::vector<std::string> SplitWords(std::string_view text);

// `text` padded with blanks to at least `width` bytes; nothing is cut.
std::string PadRight(std::string_view text, std::size_t width);

}  // namespace textparse
