#pragma once

#include <string_view>

namespace textparse {

// An ASCII decimal digit.
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The integer at the start of `text`: leading white space skipped, an
// optional sign, then decimal digits up to the first other byte; no digits
// give 0. Values beyond the int range are clamped to it.
int ParseLeadingInt(std::string_view text);

}  // namespace textparse
