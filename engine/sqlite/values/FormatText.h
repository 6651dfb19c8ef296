#pragma once

// Helpers shared by the walkers of date and timestamp format models.
#include <cstddef>
#include <string>
#include <string_view>

namespace formattext {

// A double-quoted literal of a format model at `k`, copied to `out` as it
// stands (an unclosed one to the model's end); `k` left after it. False,
// with nothing done, when no literal starts at `k`.
inline bool CopyQuoted(std::string_view format, std::size_t& k, std::string& out) {
    if (k >= format.size() || format[k] != '"') return false;
    std::size_t close = format.find('"', k + 1);
    std::size_t end = close == std::string_view::npos ? format.size() : close + 1;
    out.append(format.substr(k, end - k));
    k = end;
    return true;
}

}  // namespace formattext
