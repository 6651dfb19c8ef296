#include "report/ReportText.h"

#include <algorithm>

#include "text/Cp932.h"

namespace reporttext {

std::vector<std::string> Words(std::string_view text, std::vector<bool>* quoted) {
    std::vector<std::string> words;
    std::size_t at = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (at < text.size()) {
        if (isBlank(text[at])) {
            ++at;
            continue;
        }
        std::string word;
        const char quote = text[at];
        const bool inQuotes = quote == '\'' || quote == '"';
        if (inQuotes) {
            ++at;
            while (at < text.size()) {
                if (text[at] == quote) {
                    if (at + 1 < text.size() && text[at + 1] == quote) {
                        word += quote;
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                const std::size_t length = cp932::CharLength(text, at);
                word.append(text.substr(at, length));
                at += length;
            }
        } else {
            while (at < text.size() && !isBlank(text[at])) {
                const std::size_t length = cp932::CharLength(text, at);
                word.append(text.substr(at, length));
                at += length;
            }
        }
        words.push_back(std::move(word));
        if (quoted != nullptr) quoted->push_back(inQuotes);
    }
    return words;
}

bool IsAbbreviation(std::string_view word, std::string_view full, std::size_t minimum) {
    return word.size() >= std::min(minimum, full.size()) && word.size() <= full.size() &&
           full.substr(0, word.size()) == word;
}

std::size_t FitBytes(std::string_view text, std::size_t width) {
    if (text.size() <= width) return text.size();
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t next = length + cp932::CharLength(text, length);
        if (next > width) break;
        length = next;
    }
    return length;
}

void AppendAligned(std::string& line, std::string_view text, std::size_t width, Align align) {
    const std::size_t length = FitBytes(text, width);
    const std::size_t room = width - length;
    const std::size_t before = align == Align::Right ? room : (align == Align::Center ? room / 2 : 0);
    line.append(before, ' ');
    line.append(text.substr(0, length));
    line.append(room - before, ' ');
}

std::vector<std::string_view> Wrap(std::string_view text, std::size_t width, bool atWords) {
    std::vector<std::string_view> pieces;
    width = std::max<std::size_t>(width, 1);
    while (text.size() > width) {
        std::size_t cut = FitBytes(text, width);
        if (cut == 0) cut = cp932::CharLength(text, 0);
        std::size_t next = cut;
        if (atWords) {
            const std::size_t blank = text.substr(0, cut + 1).rfind(' ');
            if (blank != std::string_view::npos && blank > 0) cut = next = blank;
        }
        std::string_view piece = text.substr(0, cut);
        while (atWords && !piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
        pieces.push_back(piece);
        text.remove_prefix(next);
        while (atWords && !text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
    pieces.push_back(text);
    return pieces;
}

bool ParseInt(std::string_view text, int minimum, int maximum, int& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9) return false;
    long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (negative) number = -number;
    if (number < minimum || number > maximum) return false;
    value = static_cast<int>(number);
    return true;
}

std::string Quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    out += '\'';
    return out;
}

}  // namespace reporttext
