#include "engine/sqlite/COracleDialect.h"

#include <set>
#include <utility>
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

constexpr std::size_t kNone = std::string_view::npos;

// The tokens of one statement with their brackets paired, for walking
// operands in constant time per step.
class OperandWalker {
public:
    OperandWalker(std::string_view text, const std::vector<Token>& tokens)
        : m_text(text), m_tokens(tokens), m_partner(tokens.size(), kNone) {
        std::vector<std::size_t> open;
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            if (Is(k, '(')) {
                open.push_back(k);
            } else if (Is(k, ')') && !open.empty()) {
                m_partner[k] = open.back();
                m_partner[open.back()] = k;
                open.pop_back();
            }
        }
    }

    bool Is(std::size_t k, char symbol) const {
        return k < m_tokens.size() && IsSymbol(m_text, m_tokens[k], symbol);
    }
    bool IsConcat(std::size_t k) const {
        return Is(k, '|') && Is(k + 1, '|') && m_tokens[k + 1].begin == m_tokens[k].begin + 1;
    }

    // The left operand of "||" at `k` as the server reads it: the additive
    // expression that ends before it, back to the previous "||".
    std::size_t OperandStart(std::size_t k) const {
        if (k == 0) return kNone;
        --k;
        for (;;) {
            std::size_t start = TermStart(k);
            if (start == kNone) return kNone;
            if (start > 0 && IsSign(start - 1) && (start < 2 || !IsTermEnd(start - 2))) return start - 1;
            if (start < 2 || !(IsSign(start - 1) || IsMultiplicative(start - 1)) || !IsTermEnd(start - 2))
                return start;
            k = start - 2;
        }
    }

    // The right operand of "||" at `k`: the multiplicative expression after it.
    std::size_t OperandEnd(std::size_t k) const {
        k += 2;
        for (;;) {
            if (k < m_tokens.size() && IsSign(k)) ++k;
            std::size_t end = TermEnd(k);
            if (end == kNone || !IsMultiplicative(end + 1)) return end;
            k = end + 2;
        }
    }

private:
    bool IsOperand(std::size_t k) const { return k < m_tokens.size() && IsOperandToken(m_text, m_tokens[k]); }
    bool IsTermEnd(std::size_t k) const { return IsOperand(k) || Is(k, ')'); }
    bool IsSign(std::size_t k) const { return Is(k, '+') || Is(k, '-'); }
    bool IsMultiplicative(std::size_t k) const { return Is(k, '*') || Is(k, '/'); }
    bool IsFunctionName(std::size_t k) const { return IsOperand(k) && m_tokens[k].kind == Kind::Word; }

    // First token of the term (name, literal, call or bracketed expression)
    // that ends at `k`.
    std::size_t TermStart(std::size_t k) const {
        if (Is(k, ')')) {
            std::size_t open = m_partner[k];
            if (open == kNone) return kNone;
            return open > 0 && IsFunctionName(open - 1) ? open - 1 : open;
        }
        if (!IsOperand(k)) return kNone;
        while (k >= 2 && Is(k - 1, '.') && IsOperand(k - 2)) k -= 2;
        return k;
    }

    // Last token of the term that starts at `k`.
    std::size_t TermEnd(std::size_t k) const {
        if (IsFunctionName(k) && Is(k + 1, '(')) return m_partner[k + 1];
        if (Is(k, '(')) return m_partner[k];
        if (!IsOperand(k)) return kNone;
        while (Is(k + 1, '.') && IsOperand(k + 2)) k += 2;
        return k;
    }

    std::string_view m_text;
    const std::vector<Token>& m_tokens;
    std::vector<std::size_t> m_partner;
};

// Note: the server's "||" treats NULL as empty text and binds like "+", the
// engine's gives NULL and binds tightest; each operand, as the server reads
// it, is wrapped in IFNULL(operand, ''). `opens[k]`/`closes[k]` count the
// wraps that start before / end after token k.
void WrapConcatOperands(std::string_view text, const std::vector<Token>& tokens, std::vector<int>& opens,
                        std::vector<int>& closes) {
    opens.assign(tokens.size(), 0);
    closes.assign(tokens.size(), 0);
    OperandWalker walker(text, tokens);
    std::set<std::pair<std::size_t, std::size_t>> wrapped;
    auto wrap = [&](std::size_t first, std::size_t last) {
        if (!wrapped.insert({first, last}).second) return;
        ++opens[first];
        ++closes[last];
    };
    for (std::size_t k = 1; k + 2 < tokens.size(); ++k) {
        if (!walker.IsConcat(k)) continue;
        std::size_t leftStart = walker.OperandStart(k);
        std::size_t rightEnd = walker.OperandEnd(k);
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
