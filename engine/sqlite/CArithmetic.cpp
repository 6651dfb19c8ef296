#include "engine/sqlite/CArithmetic.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

constexpr std::size_t kNone = std::string_view::npos;

// Words that end or start an operand rather than being one (a sign after
// one of them is a sign, not an operator).
constexpr std::string_view kKeywords[] = {
    "ALL",     "AND",     "AS",     "ASC",      "BETWEEN",   "BY",     "CASE",      "CHECK",
    "COLLATE", "DEFAULT", "DESC",   "DISTINCT", "ELSE",      "END",    "ESCAPE",    "EXCEPT",
    "EXISTS",  "FROM",    "GLOB",   "GROUP",    "HAVING",    "IN",     "INTERSECT", "INTO",
    "IS",      "JOIN",    "LIKE",   "LIMIT",    "MATCH",     "NOT",    "OFFSET",    "ON",
    "OR",      "ORDER",   "REGEXP", "RETURN",   "RETURNING", "SELECT", "SET",       "THEN",
    "UNION",   "USING",   "VALUES", "WHEN",     "WHERE",     "WITH",
};

struct Operator {
    std::string_view function;
    std::size_t length;  // tokens
};

class Walker {
public:
    Walker(std::string_view text, const std::vector<Token>& tokens)
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

    // The additive operator at `k` ("+" and "-" after an operand, "||"),
    // with its function; length 0 when there is none.
    Operator OperatorAt(std::size_t k) const {
        if (k == 0 || !IsTermEnd(k - 1)) return {{}, 0};
        if (Is(k, '+')) return {"ORA_ADD", 1};
        if (Is(k, '-')) return {"ORA_SUB", 1};
        if (Is(k, '|') && Is(k + 1, '|') && m_tokens[k + 1].begin == m_tokens[k].begin + 1)
            return {"ORA_CONCAT", 2};
        return {{}, 0};
    }

    bool IsDivision(std::size_t k) const { return k > 0 && Is(k, '/') && IsTermEnd(k - 1); }

    // Last token of the divisor after the "/" at `k` (a term with its sign).
    std::size_t DivisorEnd(std::size_t k) const { return TermEnd(IsSign(k + 1) ? k + 2 : k + 1); }

    // First token of the multiplicative expression that ends at `k`.
    std::size_t ProductStart(std::size_t k) const {
        for (;;) {
            std::size_t start = TermStart(k);
            if (start == kNone) return kNone;
            if (start > 0 && IsSign(start - 1) && (start < 2 || !IsTermEnd(start - 2))) --start;
            if (start < 2 || !IsMultiplicative(start - 1) || !IsTermEnd(start - 2)) return start;
            k = start - 2;
        }
    }

    // Last token of the multiplicative expression that starts at `k`.
    std::size_t ProductEnd(std::size_t k) const {
        for (;;) {
            if (IsSign(k)) ++k;
            std::size_t end = TermEnd(k);
            if (end == kNone || !IsMultiplicative(end + 1)) return end;
            k = end + 2;
        }
    }

private:
    bool Is(std::size_t k, char symbol) const {
        return k < m_tokens.size() && m_tokens[k].kind == Kind::Symbol && m_text[m_tokens[k].begin] == symbol;
    }
    bool IsKeyword(std::size_t k) const {
        for (std::string_view keyword : kKeywords)
            if (CSqlScanner::Is(m_text, m_tokens[k], keyword)) return true;
        return false;
    }
    bool IsOperand(std::size_t k) const {
        if (k >= m_tokens.size()) return false;
        switch (m_tokens[k].kind) {
            case Kind::Word:
                return !IsKeyword(k);
            case Kind::Number:
            case Kind::String:
            case Kind::QuotedName:
            case Kind::Bind:
                return true;
            default:
                return false;
        }
    }
    bool IsTermEnd(std::size_t k) const { return IsOperand(k) || Is(k, ')'); }
    bool IsSign(std::size_t k) const { return Is(k, '+') || Is(k, '-'); }
    bool IsMultiplicative(std::size_t k) const { return Is(k, '*') || Is(k, '/') || Is(k, '%'); }
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

}  // namespace

namespace {

// "a / b" becomes "ORA_DIV(a, b)", the dividend being the product before it.
void MarkDivisions(const Walker& walker, std::size_t n, CArithmetic::Edits& edits) {
    for (std::size_t k = 1; k < n; ++k) {
        if (!walker.IsDivision(k)) continue;
        std::size_t start = walker.ProductStart(k - 1);
        std::size_t end = walker.DivisorEnd(k);
        if (start == kNone || end == kNone) continue;
        edits.before[start] += "ORA_DIV(";
        edits.replaced[k] = true;
        edits.replacement[k] = ",";
        edits.after[end] += ")";
    }
}

}  // namespace

CArithmetic::Edits CArithmetic::Find(std::string_view text, const std::vector<Token>& tokens) {
    Edits edits;
    std::size_t n = tokens.size();
    edits.before.resize(n);
    edits.after.resize(n);
    edits.replacement.resize(n);
    edits.replaced.assign(n, false);
    Walker walker(text, tokens);
    MarkDivisions(walker, n, edits);
    std::size_t k = 1;
    while (k < n) {
        Operator first = walker.OperatorAt(k);
        if (first.length == 0 || edits.replaced[k]) {
            ++k;
            continue;
        }
        std::size_t start = walker.ProductStart(k - 1);
        std::string opening;
        std::size_t at = k;
        for (Operator op = first; op.length > 0; op = walker.OperatorAt(at)) {
            std::size_t end = walker.ProductEnd(at + op.length);
            if (start == kNone || end == kNone) break;
            opening.insert(0, std::string(op.function) + "(");
            edits.replaced[at] = true;
            edits.replacement[at] = ",";
            if (op.length == 2) {
                edits.replaced[at + 1] = true;
                edits.replacement[at + 1] = "";
            }
            edits.after[end] += ")";
            at = end + 1;
        }
        // Note: a sum starting with a quotient holds it, so it opens first.
        if (start != kNone) edits.before[start].insert(0, opening);
        // Note: scanning goes on inside the operands, for the chains nested there.
        k += first.length;
    }
    return edits;
}
