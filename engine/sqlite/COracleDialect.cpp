#include "engine/sqlite/COracleDialect.h"

#include <vector>

#include "engine/sqlite/CSqlScanner.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

bool Words(std::string_view text, const std::vector<Token>& tokens,
           std::initializer_list<std::string_view> words) {
    std::size_t k = 0;
    for (std::string_view word : words) {
        if (k >= tokens.size() || !CSqlScanner::Is(text, tokens[k], word)) return false;
        ++k;
    }
    return true;
}

bool IsSymbol(std::string_view text, const Token& token, char symbol) {
    return token.kind == Kind::Symbol && text[token.begin] == symbol;
}

bool IsReplace(std::string_view text, const std::vector<Token>& tokens) {
    return Words(text, tokens, {"CREATE", "OR", "REPLACE", "TRIGGER"}) ||
           Words(text, tokens, {"CREATE", "OR", "REPLACE", "VIEW"});
}

constexpr std::string_view kDualSubquery = "(SELECT 'X' AS DUMMY)";

// DUAL named as a table: after FROM, JOIN or a comma of a FROM list.
bool IsDualSource(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k == 0 || tokens[k].kind != Kind::Word || !CSqlScanner::Is(text, tokens[k], "DUAL")) return false;
    if (k + 1 < tokens.size() && IsSymbol(text, tokens[k + 1], '.')) return false;
    const Token& before = tokens[k - 1];
    return CSqlScanner::Is(text, before, "FROM") || CSqlScanner::Is(text, before, "JOIN") ||
           IsSymbol(text, before, ',');
}

// Words that end or start an operand rather than being one.
constexpr std::string_view kKeywords[] = {
    "AND",     "OR",       "NOT",  "IN",    "SELECT", "WHERE",     "ON",     "WHEN",
    "THEN",    "ELSE",     "END",  "BY",    "VALUES", "SET",       "IS",     "LIKE",
    "BETWEEN", "EXISTS",   "FROM", "AS",    "CASE",   "ESCAPE",    "HAVING", "UNION",
    "ALL",     "DISTINCT", "INTO", "ORDER", "GROUP",  "RETURNING", "USING",  "JOIN",
};

bool IsKeyword(std::string_view text, const Token& token) {
    for (std::string_view keyword : kKeywords)
        if (CSqlScanner::Is(text, token, keyword)) return true;
    return false;
}

bool IsOperandToken(std::string_view text, const Token& token) {
    switch (token.kind) {
        case Kind::Word:
            return !IsKeyword(text, token);
        case Kind::String:
        case Kind::QuotedName:
        case Kind::Bind:
            return true;
        default:
            return false;
    }
}

// Index of the bracket matching the one at `k`, walking by `step`; npos when
// there is none.
std::size_t MatchingBracket(std::string_view text, const std::vector<Token>& tokens, std::size_t k,
                            int step) {
    int depth = 0;
    for (auto i = static_cast<long>(k); i >= 0 && i < static_cast<long>(tokens.size()); i += step) {
        const Token& token = tokens[static_cast<std::size_t>(i)];
        if (IsSymbol(text, token, '('))
            depth += step;
        else if (IsSymbol(text, token, ')'))
            depth -= step;
        if (depth == 0) return static_cast<std::size_t>(i);
    }
    return std::string_view::npos;
}

constexpr std::size_t kNone = std::string_view::npos;

bool IsTermEnd(std::string_view text, const Token& token) {
    return IsOperandToken(text, token) || IsSymbol(text, token, ')');
}

bool IsSign(std::string_view text, const Token& token) {
    return IsSymbol(text, token, '+') || IsSymbol(text, token, '-');
}

bool IsMultiplicative(std::string_view text, const Token& token) {
    return IsSymbol(text, token, '*') || IsSymbol(text, token, '/');
}

// First token of the term (a name, literal, call or bracketed expression)
// that ends at token `k`; kNone when there is none.
std::size_t TermStart(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (IsSymbol(text, tokens[k], ')')) {
        std::size_t open = MatchingBracket(text, tokens, k, -1);
        if (open == kNone) return kNone;
        return open > 0 && tokens[open - 1].kind == Kind::Word && !IsKeyword(text, tokens[open - 1])
                   ? open - 1
                   : open;
    }
    if (!IsOperandToken(text, tokens[k])) return kNone;
    while (k >= 2 && IsSymbol(text, tokens[k - 1], '.') && IsOperandToken(text, tokens[k - 2])) k -= 2;
    return k;
}

// Last token of the term that starts at token `k`; kNone when there is none.
std::size_t TermEnd(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k >= tokens.size()) return kNone;
    if (tokens[k].kind == Kind::Word && IsOperandToken(text, tokens[k]) && k + 1 < tokens.size() &&
        IsSymbol(text, tokens[k + 1], '('))
        return MatchingBracket(text, tokens, k + 1, 1);
    if (IsSymbol(text, tokens[k], '(')) return MatchingBracket(text, tokens, k, 1);
    if (!IsOperandToken(text, tokens[k])) return kNone;
    while (k + 2 < tokens.size() && IsSymbol(text, tokens[k + 1], '.') && IsOperandToken(text, tokens[k + 2]))
        k += 2;
    return k;
}

// The binary operator (of the server's additive level or above) that ends at
// token `k`: its first token, or kNone.
std::size_t OperatorStart(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (IsMultiplicative(text, tokens[k]) || IsSign(text, tokens[k])) return k;
    if (k >= 1 && IsSymbol(text, tokens[k], '|') && IsSymbol(text, tokens[k - 1], '|') &&
        tokens[k].begin == tokens[k - 1].begin + 1)
        return k - 1;
    return kNone;
}

// The left operand of "||" as the server reads it: the additive expression
// that ends at token `k` (|| + - * / bind alike or tighter, left to right).
std::size_t OperandStart(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    for (;;) {
        std::size_t start = TermStart(text, tokens, k);
        if (start == kNone) return kNone;
        if (start > 0 && IsSign(text, tokens[start - 1]) &&
            (start < 2 || !IsTermEnd(text, tokens[start - 2])))
            return start - 1;
        if (start < 2) return start;
        std::size_t op = OperatorStart(text, tokens, start - 1);
        if (op == kNone || op == 0 || !IsTermEnd(text, tokens[op - 1])) return start;
        k = op - 1;
    }
}

// The right operand of "||" as the server reads it: the multiplicative
// expression that starts at token `k`.
std::size_t OperandEnd(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    for (;;) {
        if (k < tokens.size() && IsSign(text, tokens[k])) ++k;
        std::size_t end = TermEnd(text, tokens, k);
        if (end == kNone || end + 2 >= tokens.size() || !IsMultiplicative(text, tokens[end + 1])) return end;
        k = end + 2;
    }
}

// Note: the server's "||" treats NULL as empty text and binds like "+", the
// engine's gives NULL and binds tightest; each operand, as the server reads
// it, is wrapped in IFNULL(operand, ''). `opens[k]`/`closes[k]`
// count the wraps that start before / end after token k.
void WrapConcatOperands(std::string_view text, const std::vector<Token>& tokens, std::vector<int>& opens,
                        std::vector<int>& closes) {
    opens.assign(tokens.size(), 0);
    closes.assign(tokens.size(), 0);
    std::vector<std::pair<std::size_t, std::size_t>> wrapped;
    auto wrap = [&](std::size_t first, std::size_t last) {
        for (const auto& range : wrapped)
            if (range.first == first && range.second == last) return;
        wrapped.emplace_back(first, last);
        ++opens[first];
        ++closes[last];
    };
    for (std::size_t k = 1; k + 2 < tokens.size(); ++k) {
        if (!IsSymbol(text, tokens[k], '|') || !IsSymbol(text, tokens[k + 1], '|') ||
            tokens[k + 1].begin != tokens[k].begin + 1)
            continue;
        std::size_t leftStart = OperandStart(text, tokens, k - 1);
        std::size_t rightEnd = OperandEnd(text, tokens, k + 2);
        if (leftStart == kNone || rightEnd == kNone) continue;
        wrap(leftStart, k - 1);
        wrap(k + 2, rightEnd);
        ++k;
    }
}

// "BYTE" or "CHAR" in a length such as VARCHAR2(10 BYTE).
bool IsLengthSemantics(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k == 0 || k + 1 >= tokens.size() || !IsSymbol(text, tokens[k + 1], ')')) return false;
    if (!CSqlScanner::Is(text, tokens[k], "BYTE") && !CSqlScanner::Is(text, tokens[k], "CHAR")) return false;
    char digit = text[tokens[k - 1].begin];
    return tokens[k - 1].kind == Kind::Word && digit >= '0' && digit <= '9';
}

// Where the options the engine lacks (CASCADE CONSTRAINTS, PURGE) start at
// the end of a DROP TABLE; tokens.size() when there are none.
std::size_t DropOptionsStart(std::string_view text, const std::vector<Token>& tokens) {
    std::size_t end = tokens.size();
    if (end > 3 && CSqlScanner::Is(text, tokens[end - 1], "PURGE")) --end;
    if (end > 4 && CSqlScanner::Is(text, tokens[end - 2], "CASCADE") &&
        CSqlScanner::Is(text, tokens[end - 1], "CONSTRAINTS"))
        end -= 2;
    return end;
}

}  // namespace

CSqlRewrite COracleDialect::Translate(std::string_view text) {
    CSqlRewrite rewrite(text);
    auto tokens = CSqlScanner::Significant(text);
    std::size_t first = 0;
    bool stored =
        Words(text, tokens, {"CREATE", "VIEW"}) || Words(text, tokens, {"CREATE", "OR", "REPLACE", "VIEW"});
    bool trigger = Words(text, tokens, {"CREATE", "TRIGGER"}) ||
                   Words(text, tokens, {"CREATE", "OR", "REPLACE", "TRIGGER"});
    bool table = Words(text, tokens, {"CREATE", "TABLE"}) || Words(text, tokens, {"ALTER", "TABLE"});
    std::size_t end = Words(text, tokens, {"DROP", "TABLE"}) ? DropOptionsStart(text, tokens) : tokens.size();
    if (Words(text, tokens, {"TRUNCATE", "TABLE"})) {
        rewrite.Replace(tokens[0].begin, tokens[1].begin + tokens[1].length - tokens[0].begin, "DELETE FROM");
        first = 2;
    } else if (IsReplace(text, tokens)) {
        rewrite.Replace(tokens[1].begin, tokens[2].begin + tokens[2].length - tokens[1].begin, "");
        first = 3;
    }
    std::vector<int> opens;
    std::vector<int> closes;
    WrapConcatOperands(text, tokens, opens, closes);
    for (std::size_t k = first; k < end; ++k) {
        const Token& token = tokens[k];
        for (int n = 0; n < opens[k]; ++n) rewrite.Replace(token.begin, 0, "IFNULL(");
        bool qualified = k > 0 && IsSymbol(text, tokens[k - 1], '.');
        bool called = k + 1 < tokens.size() && IsSymbol(text, tokens[k + 1], '(');
        if (token.kind == Kind::Word && CSqlScanner::Is(text, token, "SYSDATE") && !qualified && !called) {
            bool isDefault = k > 0 && CSqlScanner::Is(text, tokens[k - 1], "DEFAULT");
            rewrite.Replace(token.begin, token.length, isDefault ? "(SYSDATE())" : "SYSDATE()");
        } else if ((stored || trigger) && IsDualSource(text, tokens, k)) {
            // Note: a stored view or trigger cannot see this connection's own
            // DUAL table, so it gets one of its own.
            rewrite.Replace(token.begin, token.length, kDualSubquery);
        } else if (token.kind == Kind::Symbol && text[token.begin] == '/') {
            // Note: the server divides numbers exactly; the engine would
            // divide integers as integers.
            rewrite.Replace(token.begin, token.length, "*1.0/");
        } else if (trigger && token.kind == Kind::Bind && k + 1 < tokens.size() &&
                   IsSymbol(text, tokens[k + 1], '.') &&
                   (CSqlScanner::Is(text, token, ":NEW") || CSqlScanner::Is(text, token, ":OLD"))) {
            rewrite.Replace(token.begin, 1, "");
        } else if (token.kind == Kind::String && token.length == 2) {
            // Note: the server holds the empty text as NULL.
            rewrite.Replace(token.begin, token.length, "NULL");
        } else if (table && IsLengthSemantics(text, tokens, k)) {
            rewrite.Replace(token.begin, token.length, "");
        }
        for (int n = 0; n < closes[k]; ++n) rewrite.Replace(token.begin + token.length, 0, ",'')");
    }
    if (end < tokens.size())
        rewrite.Replace(tokens[end].begin, tokens.back().begin + tokens.back().length - tokens[end].begin,
                        "");
    return rewrite;
}

std::string COracleDialect::DropBeforeReplace(std::string_view text) {
    auto tokens = CSqlScanner::Significant(text);
    if (!IsReplace(text, tokens) || tokens.size() < 5) return {};
    std::string name(text.substr(tokens[4].begin, tokens[4].length));
    if (tokens.size() > 6 && IsSymbol(text, tokens[5], '.'))
        name += "." + std::string(text.substr(tokens[6].begin, tokens[6].length));
    std::string type(text.substr(tokens[3].begin, tokens[3].length));
    return "DROP " + type + " IF EXISTS " + name;
}

std::vector<bool> COracleDialect::TextConversionColumns(std::string_view text) {
    auto tokens = CSqlScanner::Significant(text);
    std::size_t k = 0;
    if (k >= tokens.size() || !CSqlScanner::Is(text, tokens[k], "SELECT")) return {};
    ++k;
    if (k < tokens.size() &&
        (CSqlScanner::Is(text, tokens[k], "DISTINCT") || CSqlScanner::Is(text, tokens[k], "ALL")))
        ++k;
    std::vector<bool> columns;
    bool itemStart = true;
    int depth = 0;
    for (; k < tokens.size(); ++k) {
        const Token& token = tokens[k];
        if (depth == 0 && token.kind == Kind::Word && CSqlScanner::Is(text, token, "FROM")) break;
        if (itemStart) {
            if (IsSymbol(text, token, '*')) return {};
            columns.push_back(CSqlScanner::Is(text, token, "TO_CHAR") && k + 1 < tokens.size() &&
                              IsSymbol(text, tokens[k + 1], '('));
            itemStart = false;
        }
        if (IsSymbol(text, token, '('))
            ++depth;
        else if (IsSymbol(text, token, ')'))
            --depth;
        else if (depth == 0 && IsSymbol(text, token, ','))
            itemStart = true;
        else if (IsSymbol(text, token, '*') && k > 0 && IsSymbol(text, tokens[k - 1], '.'))
            return {};
    }
    return columns;
}
