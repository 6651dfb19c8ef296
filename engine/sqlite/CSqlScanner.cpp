#include "engine/sqlite/CSqlScanner.h"

#include <algorithm>
#include <array>

#include "text/Cp932.h"
#include "text/LeadingInt.h"
#include "text/SqlText.h"

namespace {

// What a byte can begin, read from one table.
enum ByteClass : unsigned char {
    kOther,
    kSpace,
    kQuote,
    kDash,
    kSlash,
    kColon,
    kWordStart,
    kLead,
    kDigit,
    kDot,
    kWordOnly
};

constexpr std::array<unsigned char, 256> kByteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (unsigned char c : {' ', '\t', '\n', '\r', '\f', '\v'}) classes[c] = kSpace;
    for (int c = 'A'; c <= 'Z'; ++c) classes[static_cast<std::size_t>(c)] = kWordStart;
    for (int c = 'a'; c <= 'z'; ++c) classes[static_cast<std::size_t>(c)] = kWordStart;
    for (int c = '0'; c <= '9'; ++c) classes[static_cast<std::size_t>(c)] = kDigit;
    for (int c = 0; c < 256; ++c)
        if (cp932::IsLeadByte(static_cast<unsigned char>(c))) classes[static_cast<std::size_t>(c)] = kLead;
    classes['_'] = kWordStart;
    classes['$'] = kWordOnly;
    classes['#'] = kWordOnly;
    classes['\''] = kQuote;
    classes['"'] = kQuote;
    classes['-'] = kDash;
    classes['/'] = kSlash;
    classes[':'] = kColon;
    classes['.'] = kDot;
    return classes;
}();

unsigned char ClassOf(char c) { return kByteClasses[static_cast<unsigned char>(c)]; }

// A byte that continues a word once one has begun.
bool IsWordClass(unsigned char k) { return k == kWordStart || k == kDigit || k == kWordOnly; }

// End of a run of word characters (double-byte characters count as word
// characters, as in identifiers) starting at `i`.
std::size_t WordEnd(std::string_view text, std::size_t i) {
    while (i < text.size()) {
        const unsigned char k = ClassOf(text[i]);
        if (k == kLead)
            i += i + 1 < text.size() ? 2 : 1;
        else if (IsWordClass(k))
            ++i;
        else
            break;
    }
    return i;
}

// End of a literal opened by `quote` at `i`; a doubled quote stays inside.
std::size_t QuotedEnd(std::string_view text, std::size_t i, char quote) {
    ++i;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        i += cp932::CharLength(text, i);
    }
    return text.size();
}

// End of a q'x...x' literal whose q is at `i`; unterminated: the end.
std::size_t QQuoteEnd(std::string_view text, std::size_t i) {
    if (i + 2 >= text.size()) return text.size();
    const char close = sqltext::QQuoteClose(text[i + 2]);
    for (std::size_t k = i + 3; k < text.size(); k += cp932::CharLength(text, k))
        if (text[k] == close && k + 1 < text.size() && text[k + 1] == '\'') return k + 2;
    return text.size();
}

bool IsLetter(char c, char upper) { return c == upper || c == upper - 'A' + 'a'; }

// Where the literal of N'...', q'x...x' or Nq'x...x' at `i` ends; 0 when
// none starts there.
std::size_t PrefixedLiteralEnd(std::string_view text, std::size_t i) {
    std::size_t q = i;
    if (IsLetter(text[i], 'N')) {
        if (i + 1 < text.size() && text[i + 1] == '\'') return QuotedEnd(text, i + 1, '\'');
        q = i + 1;
    }
    if (q + 1 < text.size() && IsLetter(text[q], 'Q') && text[q + 1] == '\'') return QQuoteEnd(text, q);
    return 0;
}

using textparse::IsDigit;

// End of a numeric literal: digits, an optional point and digits, an optional
// exponent with its sign; letters that follow (as in "1X") stay with it.
std::size_t NumberEnd(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
    }
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t digits = i + 1;
        if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
        if (digits < text.size() && IsDigit(text[digits])) {
            i = digits;
            while (i < text.size() && IsDigit(text[i])) ++i;
        }
    }
    return WordEnd(text, i);
}

std::size_t CommentEnd(std::string_view text, std::size_t i) {
    if (text[i] == '-') {
        std::size_t end = text.find('\n', i);
        return end == std::string_view::npos ? text.size() : end;
    }
    std::size_t end = text.find("*/", i + 2);
    return end == std::string_view::npos ? text.size() : end + 2;
}

}  // namespace

CSqlScanner::Token CSqlScanner::Next(std::string_view text, std::size_t i) {
    const char c = text[i];
    const bool more = i + 1 < text.size();
    std::size_t end = i + 1;
    Kind kind = Kind::Symbol;
    switch (ClassOf(c)) {
        case kSpace:
            kind = Kind::Space;
            while (end < text.size() && ClassOf(text[end]) == kSpace) ++end;
            break;
        case kQuote:
            kind = c == '\'' ? Kind::String : Kind::QuotedName;
            end = QuotedEnd(text, i, c);
            break;
        case kDash:
        case kSlash:
            if (more && text[i + 1] == (c == '-' ? '-' : '*')) {
                kind = Kind::Comment;
                end = CommentEnd(text, i);
            }
            break;
        case kColon:
            if (more && (IsWordClass(ClassOf(text[i + 1])) || ClassOf(text[i + 1]) == kLead)) {
                kind = Kind::Bind;
                end = WordEnd(text, i + 1);
            }
            break;
        case kWordStart:
            if (more && (IsLetter(c, 'N') || IsLetter(c, 'Q'))) {
                if (std::size_t literal = PrefixedLiteralEnd(text, i); literal > 0) {
                    kind = Kind::String;
                    end = literal;
                    break;
                }
            }
            kind = Kind::Word;
            end = WordEnd(text, i);
            break;
        case kLead:
            kind = Kind::Word;
            end = WordEnd(text, i);
            break;
        case kDigit:
            kind = Kind::Number;
            end = NumberEnd(text, i);
            break;
        case kDot:
            if (more && IsDigit(text[i + 1])) {
                kind = Kind::Number;
                end = NumberEnd(text, i);
            }
            break;
        default:
            break;
    }
    return Token{kind, i, end - i};
}

std::vector<CSqlScanner::Token> CSqlScanner::Tokenize(std::string_view text) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < text.size(); i = tokens.back().begin + tokens.back().length)
        tokens.push_back(Next(text, i));
    return tokens;
}

template <typename Keep>
std::size_t CSqlScanner::WalkSignificant(std::string_view text, std::size_t limit, Keep keep) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size() && count < limit;) {
        const Token token = Next(text, i);
        if (token.kind != Kind::Space && token.kind != Kind::Comment) keep(token, count++);
        i = token.begin + token.length;
    }
    return count;
}

std::vector<CSqlScanner::Token> CSqlScanner::Significant(std::string_view text, std::size_t limit) {
    std::vector<Token> out;
    out.reserve(std::min(limit, 8 + text.size() / 3));
    WalkSignificant(text, limit, [&](const Token& token, std::size_t) { out.push_back(token); });
    return out;
}

std::size_t CSqlScanner::Significant(std::string_view text, Token* out, std::size_t limit) {
    return WalkSignificant(text, limit, [&](const Token& token, std::size_t at) { out[at] = token; });
}

bool CSqlScanner::Is(std::string_view text, const Token& token, std::string_view word) {
    if (token.length != word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        char a = text[token.begin + k];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        char b = word[k];
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

std::string CSqlScanner::BindName(std::string_view text, const Token& token) {
    return std::string(text.substr(token.begin + 1, token.length - 1));
}

std::string CSqlScanner::LiteralText(std::string_view literal) {
    if (!literal.empty() && IsLetter(literal.front(), 'N')) literal.remove_prefix(1);
    if (literal.size() >= 2 && IsLetter(literal.front(), 'Q')) {
        // q'x...x': everything between the delimiters, quotes included.
        return literal.size() >= 5 ? std::string(literal.substr(3, literal.size() - 5)) : std::string();
    }
    std::string out;
    for (std::size_t k = 1; k + 1 < literal.size(); ++k) {
        if (literal[k] == '\'' && literal[k + 1] == '\'') ++k;
        out += literal[k];
    }
    return out;
}

namespace {

char ClosingOf(char open) {
    switch (open) {
        case '[':
            return ']';
        case '{':
            return '}';
        case '(':
            return ')';
        case '<':
            return '>';
        default:
            return open;
    }
}

}  // namespace

bool CSqlScanner::IsClosed(std::string_view written, Kind kind) {
    if (kind == Kind::QuotedName) return written.size() >= 2 && written.back() == '"';
    if (kind != Kind::String) return true;
    std::size_t at = 0;
    if (at < written.size() && (written[at] == 'N' || written[at] == 'n')) ++at;
    if (at < written.size() && (written[at] == 'Q' || written[at] == 'q')) {
        // q'x...x': the delimiter's closing character, then the quote.
        if (at + 2 >= written.size()) return false;
        const char close = ClosingOf(written[at + 2]);
        const std::size_t body = at + 3;
        return written.size() >= body + 2 && written[written.size() - 2] == close && written.back() == '\'';
    }
    for (std::size_t k = at + 1; k < written.size(); ++k) {
        if (written[k] != '\'') continue;
        if (k + 1 < written.size() && written[k + 1] == '\'') {
            ++k;
            continue;
        }
        return k + 1 == written.size();
    }
    return false;
}
