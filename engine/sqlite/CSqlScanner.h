#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Splits CP932 statement text into tokens, knowing quotes (also N'...' and
// q'[...]'), comments and bind variables, so that rewriting never touches a
// literal.
class CSqlScanner {
public:
    enum class Kind { Word, Number, Bind, String, QuotedName, Comment, Space, Symbol };

    struct Token {
        Kind kind;
        std::size_t begin;
        std::size_t length;
    };

    // Every byte of `text` belongs to exactly one token, in order. An
    // unterminated literal or comment runs to the end.
    static std::vector<Token> Tokenize(std::string_view text);

    // The tokens that are not blanks or comments; the first `limit` only.
    static std::vector<Token> Significant(std::string_view text, std::size_t limit = SIZE_MAX);
    // The same into `out`, room for `limit`; the number written.
    static std::size_t Significant(std::string_view text, Token* out, std::size_t limit);

    // ASCII case-insensitive comparison of a token's text with `word`.
    static bool Is(std::string_view text, const Token& token, std::string_view word);

    // True for the one-byte symbol token `symbol` (",", ".", ":", ...).
    static bool IsSymbol(std::string_view text, const Token& token, char symbol) {
        return token.kind == Kind::Symbol && text[token.begin] == symbol;
    }

    // The value of a String token: '...' with its doubled quotes undone,
    // N'...', q'x...x' (x any delimiter; [ { ( < close with ] } ) >) and
    // Nq'x...x' without their prefix and delimiters.
    static std::string LiteralText(std::string_view literal);
    // A String token written '...' (no N or q prefix).
    static bool IsPlainString(std::string_view literal) {
        return !literal.empty() && literal.front() == '\'';
    }

    // Whether a String or QuotedName token that runs to the end of the text
    // has its closing quote (an unterminated one runs to the end).
    static bool IsClosed(std::string_view written, Kind kind);

    // The name of a bind token without its ":".
    static std::string BindName(std::string_view text, const Token& token);

private:
    // The token that starts at `i` (< text.size()).
    static Token Next(std::string_view text, std::size_t i);
    // Hands each of the first `limit` significant tokens to `keep` with its
    // place; the number handed.
    template <typename Keep>
    static std::size_t WalkSignificant(std::string_view text, std::size_t limit, Keep keep);
};
