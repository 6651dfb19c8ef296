#include "engine/sqlite/CViewReferences.h"

#include <algorithm>
#include <cstdio>

#include "engine/sqlite/CReservedWords.h"
#include "engine/sqlite/CSqlScanner.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

// The words after which a FROM clause has ended at its level.
constexpr std::string_view kFromEnds[] = {"WHERE", "GROUP",  "ORDER",     "HAVING", "CONNECT",
                                          "START", "UNION",  "INTERSECT", "MINUS",  "EXCEPT",
                                          "FETCH", "OFFSET", "SELECT",    "MODEL",  "WINDOW"};

// Words not reserved that open a bracket of the grammar's own.
constexpr std::string_view kBracketWords[] = {"USING",   "OVER",  "WITHIN", "KEEP",
                                              "LATERAL", "PIVOT", "UNPIVOT"};

bool IsName(const Token& token) { return token.kind == Kind::Word || token.kind == Kind::QuotedName; }

std::string NameOf(std::string_view text, const Token& token) {
    std::string name(text.substr(token.begin, token.length));
    if (token.kind == Kind::QuotedName) {
        std::string unquoted;
        for (std::size_t k = 1; k + 1 < name.size(); ++k) {
            unquoted += name[k];
            if (name[k] == '"') ++k;
        }
        return unquoted;
    }
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

class CWalk {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

public:
    explicit CWalk(std::string_view text) : m_text(text), m_tokens(CSqlScanner::Significant(text)) {}

    std::vector<std::pair<std::string, std::string>> Run() {
        for (std::size_t k = 0; k < m_tokens.size(); ++k) Step(k);
        return std::move(m_found);
    }

private:
    bool Is(std::size_t k, std::string_view word) const {
        return k < m_tokens.size() && k != kNone && CSqlScanner::Is(m_text, m_tokens[k], word);
    }
    bool Symbol(std::size_t k, char symbol) const {
        return k < m_tokens.size() && k != kNone && CSqlScanner::IsSymbol(m_text, m_tokens[k], symbol);
    }
    bool Name(std::size_t k) const { return k < m_tokens.size() && IsName(m_tokens[k]); }

    void Note(std::size_t k, const char* how) {
        std::pair<std::string, std::string> found{NameOf(m_text, m_tokens[k]), how};
        if (std::find(m_found.begin(), m_found.end(), found) == m_found.end()) m_found.push_back(found);
    }

    void Step(std::size_t k) {
        if (Symbol(k, '(')) return m_from.push_back(false);
        if (Symbol(k, ')')) {
            if (m_from.size() > 1) m_from.pop_back();
            return;
        }
        if (Is(k, "FROM") || Is(k, "JOIN")) {
            m_from.back() = true;
            return;
        }
        for (std::string_view end : kFromEnds)
            if (Is(k, end)) m_from.back() = false;
        if (!Name(k) || Symbol(k - 1, '.')) return;
        bool listed =
            k > 0 && (Is(k - 1, "FROM") || Is(k - 1, "JOIN") || (Symbol(k - 1, ',') && m_from.back()));
        if (Symbol(k + 1, '.') && Name(k + 2)) {
            if (Is(k + 2, "NEXTVAL") || Is(k + 2, "CURRVAL")) return Note(k, "SEQUENCE");
            if (Symbol(k + 3, '(')) return Note(k, "CALL");
            // owner.name, or owner.sequence.NEXTVAL
            if (Symbol(k + 3, '.') && (Is(k + 4, "NEXTVAL") || Is(k + 4, "CURRVAL")))
                return Note(k + 2, "SEQUENCE");
            if (listed) Note(k + 2, "OBJECT");
            return;
        }
        // Note: a reserved word before a bracket (IN, USING, EXISTS) names nothing.
        if (Symbol(k + 1, '(')) {
            std::string word = NameOf(m_text, m_tokens[k]);
            bool grammar = CReservedWords::Is(word) ||
                           std::find(std::begin(kBracketWords), std::end(kBracketWords), word) !=
                               std::end(kBracketWords);
            if (m_tokens[k].kind == Kind::QuotedName || !grammar) Note(k, "CALL");
            return;
        }
        if (listed) Note(k, "OBJECT");
    }

    std::string_view m_text;
    std::vector<Token> m_tokens;
    std::vector<bool> m_from{false};
    std::vector<std::pair<std::string, std::string>> m_found;
};

void AppendJson(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

std::vector<std::pair<std::string, std::string>> CViewReferences::Of(std::string_view cp932Text) {
    return CWalk(cp932Text).Run();
}

std::string CViewReferences::Json(const std::vector<std::pair<std::string, std::string>>& references) {
    std::string out = "[";
    for (const auto& [name, how] : references) {
        if (out.size() > 1) out += ',';
        out += '[';
        AppendJson(out, name);
        out += ',';
        AppendJson(out, how);
        out += ']';
    }
    return out + "]";
}
