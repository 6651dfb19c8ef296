#pragma once

#include <string>
#include <string_view>

// Small text readers shared by the interpreter's commands.
namespace textparse {

// The integer at the start of `text`: leading white space skipped, an
// optional sign, then decimal digits up to the first other byte; no digits
// give 0. Values beyond the int range are clamped to it.
int ParseLeadingInt(std::string_view text);

// `text` without leading and trailing blanks (byte 0x20 only).
std::string TrimBlanks(std::string_view text);

// `text` without the run of `c` that ends it.
std::string TrimTrailing(std::string_view text, char c);

// `text` padded with blanks to at least `width` bytes; nothing is cut.
std::string PadRight(std::string_view text, std::size_t width);

}  // namespace textparse
