#include "interpreter/TextParse.h"

namespace textparse {

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

std::string TrimTrailing(std::string_view text, char c) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == c) --end;
    return std::string(text.substr(0, end));
}

std::string PadRight(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

}  // namespace textparse
