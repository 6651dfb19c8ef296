#include "app/CInputColouring.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "app/CCompletion.h"
#include "text/Cp932.h"

namespace {

using Kind = CInputColouring::Kind;

bool IsWordStart(unsigned char c) { return std::isalpha(c) != 0 || c == '_'; }
bool IsWordByte(unsigned char c) { return std::isalnum(c) != 0 || c == '_' || c == '$' || c == '#'; }

std::size_t CharLength(std::string_view line, std::size_t index) {
    return std::max<std::size_t>(1, cp932::CharLength(std::string(line.substr(index, 2)), 0));
}

// The end of the quoted text opened at `index` by `quote` ('' inside a
// literal is a quote kept); the line's end when it stays open.
std::size_t QuoteEnd(std::string_view line, std::size_t index, char quote) {
    std::size_t at = index + 1;
    while (at < line.size()) {
        if (line[at] == quote) {
            if (quote == '\'' && at + 1 < line.size() && line[at + 1] == '\'') {
                at += 2;
                continue;
            }
            return at + 1;
        }
        at += CharLength(line, at);
    }
    return line.size();
}

}  // namespace

std::vector<CInputColouring::Kind> CInputColouring::Classify(std::string_view line) {
    std::vector<Kind> kinds(line.size(), Kind::Plain);
    const auto mark = [&](std::size_t from, std::size_t to, Kind kind) {
        std::fill(kinds.begin() + static_cast<std::ptrdiff_t>(from),
                  kinds.begin() + static_cast<std::ptrdiff_t>(std::min(to, line.size())), kind);
    };
    std::size_t index = 0;
    while (index < line.size()) {
        const char c = line[index];
        const std::string_view rest = line.substr(index);
        std::size_t end = index + CharLength(line, index);
        if (rest.starts_with("--")) {
            end = line.size();
            mark(index, end, Kind::Comment);
        } else if (rest.starts_with("/*")) {
            const std::size_t close = line.find("*/", index + 2);
            end = close == std::string_view::npos ? line.size() : close + 2;
            mark(index, end, Kind::Comment);
        } else if (c == '\'' || c == '"') {
            end = QuoteEnd(line, index, c);
            mark(index, end, Kind::Quoted);
        } else if (IsWordStart(static_cast<unsigned char>(c)) && end == index + 1) {
            end = index + 1;
            while (end < line.size() && IsWordByte(static_cast<unsigned char>(line[end]))) ++end;
            if (CCompletion::IsKeyword(line.substr(index, end - index))) mark(index, end, Kind::Keyword);
        }
        index = end;
    }
    return kinds;
}
