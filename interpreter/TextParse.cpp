#include "interpreter/TextParse.h"

#include <vector>

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

std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        const char quote = text[i];
        if (quote == '\'' || quote == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] != quote) {
                    word += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == quote) {
                    word += quote;
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < text.size() && text[i] != ' ') word += text[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace textparse
