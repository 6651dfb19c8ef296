#include "engine/sqlite/CIndexExpression.h"

#include <algorithm>

#include "text/Cp932.h"

namespace {

using Kind = CSqlScanner::Kind;

constexpr char kEscape = '!';

// Whether two tokens would run together without a blank between them.
bool Joins(Kind before, Kind after) {
    auto wordLike = [](Kind kind) {
        return kind == Kind::Word || kind == Kind::Number || kind == Kind::QuotedName || kind == Kind::Bind;
    };
    return wordLike(before) && wordLike(after);
}

}  // namespace

std::string CIndexExpression::Comment(std::string_view sql, std::span<const CSqlScanner::Token> tokens,
                                      std::size_t from, std::size_t to,
                                      const std::vector<CSqliteCatalog::Column>& columns) {
    std::string form;
    for (std::size_t k = from; k < to && k < tokens.size(); ++k) {
        const CSqlScanner::Token& token = tokens[k];
        std::string_view written = sql.substr(token.begin, token.length);
        if (k > from && Joins(tokens[k - 1].kind, token.kind)) form += ' ';
        if (token.kind != Kind::Word) {
            form += written;
            continue;
        }
        const std::string upper = cp932::ToUpperAscii(written);
        const bool column = std::any_of(columns.begin(), columns.end(),
                                        [&](const CSqliteCatalog::Column& c) { return c.name == upper; });
        form += column ? "\"" + upper + "\"" : upper;
    }
    // Note: "!" escapes itself and the "/" of a "*/" a literal holds; it is
    // no byte of a character of two bytes, in Shift-JIS or in UTF-8.
    std::string out;
    for (std::size_t k = 0; k < form.size(); ++k) {
        if (form[k] == kEscape || (form[k] == '/' && k > 0 && form[k - 1] == '*')) out += kEscape;
        out += form[k];
    }
    return out;
}

std::string CIndexExpression::FromKey(std::string_view key) {
    std::size_t open = std::string_view::npos;
    char quote = 0;
    for (std::size_t k = 0; k + 1 < key.size() && open == std::string_view::npos; ++k) {
        if (quote != 0) {
            quote = key[k] == quote ? 0 : quote;
        } else if (key[k] == '\'' || key[k] == '"') {
            quote = key[k];
        } else if (key[k] == '/' && key[k + 1] == '*') {
            open = k + 2;
        }
    }
    if (open == std::string_view::npos) return {};
    const std::size_t close = key.find("*/", open);
    std::string_view body =
        key.substr(open, close == std::string_view::npos ? key.size() - open : close - open);
    std::string out;
    for (std::size_t k = 0; k < body.size(); ++k) {
        if (body[k] == kEscape && k + 1 < body.size()) ++k;
        out += body[k];
    }
    return out;
}
