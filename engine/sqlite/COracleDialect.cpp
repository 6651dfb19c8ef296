#include "engine/sqlite/COracleDialect.h"

#include <utility>
#include <vector>

#include "engine/sqlite/CArithmetic.h"
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

bool IsReplace(std::string_view text, const std::vector<Token>& tokens) {
    return Words(text, tokens, {"CREATE", "OR", "REPLACE", "TRIGGER"}) ||
           Words(text, tokens, {"CREATE", "OR", "REPLACE", "VIEW"});
}

constexpr std::string_view kDualSubquery = "(SELECT 'X' AS DUMMY)";

// DUAL named as a table: after FROM, JOIN or a comma of a FROM list.
bool IsDualSource(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k == 0 || tokens[k].kind != Kind::Word || !CSqlScanner::Is(text, tokens[k], "DUAL")) return false;
    if (k + 1 < tokens.size() && CSqlScanner::IsSymbol(text, tokens[k + 1], '.')) return false;
    const Token& before = tokens[k - 1];
    return CSqlScanner::Is(text, before, "FROM") || CSqlScanner::Is(text, before, "JOIN") ||
           CSqlScanner::IsSymbol(text, before, ',');
}

// "BYTE" or "CHAR" in a length such as VARCHAR2(10 BYTE).
bool IsLengthSemantics(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k == 0 || k + 1 >= tokens.size() || !CSqlScanner::IsSymbol(text, tokens[k + 1], ')')) return false;
    if (!CSqlScanner::Is(text, tokens[k], "BYTE") && !CSqlScanner::Is(text, tokens[k], "CHAR")) return false;
    char digit = text[tokens[k - 1].begin];
    return tokens[k - 1].kind == Kind::Number && digit >= '0' && digit <= '9';
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

// Per token: whether it lies in a select list (between SELECT and the
// clause after it), brackets inheriting the list they are in.
std::vector<bool> SelectListTokens(std::string_view text, const std::vector<Token>& tokens) {
    constexpr std::string_view kClauses[] = {"FROM",  "WHERE", "GROUP",     "HAVING",
                                             "ORDER", "UNION", "INTERSECT", "EXCEPT"};
    std::vector<bool> inList(tokens.size(), false);
    std::vector<bool> outer;
    bool current = false;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(text, tokens[k], '(')) {
            outer.push_back(current);
        } else if (CSqlScanner::IsSymbol(text, tokens[k], ')') && !outer.empty()) {
            current = outer.back();
            outer.pop_back();
        } else if (CSqlScanner::Is(text, tokens[k], "SELECT")) {
            current = true;
        } else {
            for (std::string_view clause : kClauses)
                if (CSqlScanner::Is(text, tokens[k], clause)) current = false;
        }
        inList[k] = current;
    }
    return inList;
}

// Per token: the ")" of a subquery with ORDER BY and no LIMIT. Note: ROWNUM
// must count the rows of such a subquery in its order, so the engine may not
// merge it into the outer query; a LIMIT clause with an OFFSET prevents that.
std::vector<bool> OrderedSubqueryEnds(std::string_view text, const std::vector<Token>& tokens) {
    struct Frame {
        bool subquery;
        bool ordered;
        bool limited;
    };
    std::vector<bool> ends(tokens.size(), false);
    std::vector<Frame> frames{{false, false, false}};
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        Frame& top = frames.back();
        if (CSqlScanner::IsSymbol(text, tokens[k], '(')) {
            bool subquery = k + 1 < tokens.size() && CSqlScanner::Is(text, tokens[k + 1], "SELECT");
            frames.push_back({subquery, false, false});
        } else if (CSqlScanner::IsSymbol(text, tokens[k], ')') && frames.size() > 1) {
            ends[k] = top.subquery && top.ordered && !top.limited;
            frames.pop_back();
        } else if (CSqlScanner::Is(text, tokens[k], "ORDER")) {
            top.ordered = true;
        } else if (CSqlScanner::Is(text, tokens[k], "LIMIT")) {
            top.limited = true;
        }
    }
    return ends;
}

bool UsesRownum(std::string_view text, const std::vector<Token>& tokens) {
    for (const Token& token : tokens)
        if (CSqlScanner::Is(text, token, "ROWNUM")) return true;
    return false;
}

constexpr std::size_t kNoToken = static_cast<std::size_t>(-1);

// ALTER TABLE t ADD (one column): the brackets around the column, which the
// engine does not take; {kNoToken, kNoToken} for any other statement.
std::pair<std::size_t, std::size_t> AddColumnBrackets(std::string_view text,
                                                      const std::vector<Token>& tokens) {
    std::pair<std::size_t, std::size_t> none{kNoToken, kNoToken};
    if (!Words(text, tokens, {"ALTER", "TABLE"}) || !CSqlScanner::IsSymbol(text, tokens.back(), ')'))
        return none;
    std::size_t add = 2;
    while (add < tokens.size() && !CSqlScanner::Is(text, tokens[add], "ADD")) ++add;
    std::size_t open = add + 1;
    if (open >= tokens.size() || !CSqlScanner::IsSymbol(text, tokens[open], '(')) return none;
    int depth = 0;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(text, tokens[k], '('))
            ++depth;
        else if (CSqlScanner::IsSymbol(text, tokens[k], ')') && --depth == 0)
            return k + 1 == tokens.size() ? std::pair{open, k} : none;
        else if (depth == 1 && CSqlScanner::IsSymbol(text, tokens[k], ','))
            return none;
    }
    return none;
}

// What a statement is, as far as the token rewrites care.
struct Shape {
    explicit Shape(std::string_view statement)
        : text(statement),
          tokens(CSqlScanner::Significant(statement)),
          stored(Words(text, tokens, {"CREATE", "VIEW"}) ||
                 Words(text, tokens, {"CREATE", "OR", "REPLACE", "VIEW"})),
          trigger(Words(text, tokens, {"CREATE", "TRIGGER"}) ||
                  Words(text, tokens, {"CREATE", "OR", "REPLACE", "TRIGGER"})),
          table(Words(text, tokens, {"CREATE", "TABLE"}) || Words(text, tokens, {"ALTER", "TABLE"})),
          selectList(SelectListTokens(text, tokens)),
          addBrackets(AddColumnBrackets(text, tokens)) {}

    std::string_view text;
    std::vector<Token> tokens;
    bool stored;
    bool trigger;
    bool table;
    std::vector<bool> selectList;  // per token: inside a select list
    std::pair<std::size_t, std::size_t> addBrackets;
};

// One token rewrite: when `Applies`, the token becomes `With`.
struct TokenRule {
    bool (*Applies)(const Shape& shape, std::size_t k);
    std::string (*With)(const Shape& shape, std::size_t k);
};

// A pseudo-column of the server that is a function of the engine.
bool IsPseudoColumn(const Shape& s, std::size_t k, std::string_view name) {
    const auto& t = s.tokens;
    bool qualified = k > 0 && CSqlScanner::IsSymbol(s.text, t[k - 1], '.');
    bool called = k + 1 < t.size() && CSqlScanner::IsSymbol(s.text, t[k + 1], '(');
    return t[k].kind == Kind::Word && CSqlScanner::Is(s.text, t[k], name) && !qualified && !called;
}

bool IsSysdate(const Shape& s, std::size_t k) { return IsPseudoColumn(s, k, "SYSDATE"); }

bool IsRownum(const Shape& s, std::size_t k) { return IsPseudoColumn(s, k, "ROWNUM"); }

// Note: in a select list ROWNUM numbers the rows that passed WHERE, which a
// window function does; in WHERE it counts the rows read so far.
std::string RownumCall(const Shape& s, std::size_t k) {
    return s.selectList[k] ? "ROW_NUMBER() OVER ()" : "ROWNUM()";
}

std::string SysdateCall(const Shape& s, std::size_t k) {
    bool isDefault = k > 0 && CSqlScanner::Is(s.text, s.tokens[k - 1], "DEFAULT");
    return isDefault ? "(SYSDATE())" : "SYSDATE()";
}

// Note: a stored view or trigger cannot see this connection's own DUAL
// table, so it gets one of its own.
bool IsStoredDual(const Shape& s, std::size_t k) {
    return (s.stored || s.trigger) && IsDualSource(s.text, s.tokens, k);
}

std::string DualSubquery(const Shape&, std::size_t) { return std::string(kDualSubquery); }

bool IsTriggerRow(const Shape& s, std::size_t k) {
    const auto& t = s.tokens;
    return s.trigger && t[k].kind == Kind::Bind && k + 1 < t.size() &&
           CSqlScanner::IsSymbol(s.text, t[k + 1], '.') &&
           (CSqlScanner::Is(s.text, t[k], ":NEW") || CSqlScanner::Is(s.text, t[k], ":OLD"));
}

std::string WithoutColon(const Shape& s, std::size_t k) {
    return std::string(s.text.substr(s.tokens[k].begin + 1, s.tokens[k].length - 1));
}

// Note: the server holds the empty text as NULL.
bool IsEmptyLiteral(const Shape& s, std::size_t k) {
    return s.tokens[k].kind == Kind::String && s.tokens[k].length == 2;
}

std::string Null(const Shape&, std::size_t) { return "NULL"; }

bool IsTableLengthSemantics(const Shape& s, std::size_t k) {
    return s.table && IsLengthSemantics(s.text, s.tokens, k);
}

std::string Nothing(const Shape&, std::size_t) { return {}; }

// VARCHAR2(n CHAR) and CHAR(n CHAR): the type keeps its length semantics in
// its name, as the catalog reads it.
bool IsCharSemanticsType(const Shape& s, std::size_t k) {
    const auto& t = s.tokens;
    if (!s.table || k + 4 >= t.size() + 0 || k + 3 >= t.size()) return false;
    bool type = CSqlScanner::Is(s.text, t[k], "VARCHAR2") || CSqlScanner::Is(s.text, t[k], "VARCHAR") ||
                CSqlScanner::Is(s.text, t[k], "CHAR");
    return type && CSqlScanner::IsSymbol(s.text, t[k + 1], '(') && t[k + 2].kind == Kind::Number &&
           CSqlScanner::Is(s.text, t[k + 3], "CHAR");
}

std::string CharSemanticsType(const Shape& s, std::size_t k) {
    std::string name(s.text.substr(s.tokens[k].begin, s.tokens[k].length));
    if (CSqlScanner::Is(s.text, s.tokens[k], "VARCHAR")) name = "VARCHAR2";
    return name + "_CHAR";
}

// NAME.NEXTVAL / NAME.CURRVAL: `part` 0 is NAME, 1 the ".", 2 the word.
bool IsSequencePart(const Shape& s, std::size_t k, std::size_t part) {
    const auto& t = s.tokens;
    if (k < part || k - part + 2 >= t.size()) return false;
    std::size_t name = k - part;
    bool qualified = name > 0 && CSqlScanner::IsSymbol(s.text, t[name - 1], '.');
    return !qualified && t[name].kind == Kind::Word && CSqlScanner::IsSymbol(s.text, t[name + 1], '.') &&
           (CSqlScanner::Is(s.text, t[name + 2], "NEXTVAL") ||
            CSqlScanner::Is(s.text, t[name + 2], "CURRVAL"));
}

bool IsSequenceName(const Shape& s, std::size_t k) { return IsSequencePart(s, k, 0); }

bool IsSequenceTail(const Shape& s, std::size_t k) {
    return IsSequencePart(s, k, 1) || IsSequencePart(s, k, 2);
}

std::string SequenceCall(const Shape& s, std::size_t k) {
    const auto& t = s.tokens;
    bool next = CSqlScanner::Is(s.text, t[k + 2], "NEXTVAL");
    return std::string(next ? "ORA_NEXTVAL('" : "ORA_CURRVAL('") +
           std::string(s.text.substr(t[k].begin, t[k].length)) + "')";
}

// NUMBER(*, s) in a table's definition: the engine's types take numbers
// only, and a precision of 0 is none.
bool IsStarPrecision(const Shape& s, std::size_t k) {
    const auto& t = s.tokens;
    return s.table && k >= 2 && k + 1 < t.size() && CSqlScanner::IsSymbol(s.text, t[k], '*') &&
           CSqlScanner::IsSymbol(s.text, t[k - 1], '(') && CSqlScanner::IsSymbol(s.text, t[k + 1], ',') &&
           (CSqlScanner::Is(s.text, t[k - 2], "NUMBER") || CSqlScanner::Is(s.text, t[k - 2], "NUMERIC") ||
            CSqlScanner::Is(s.text, t[k - 2], "DECIMAL"));
}

std::string Zero(const Shape&, std::size_t) { return "0"; }

bool IsAddBracket(const Shape& s, std::size_t k) {
    return k == s.addBrackets.first || k == s.addBrackets.second;
}

constexpr TokenRule kTokenRules[] = {
    {IsAddBracket, Nothing},
    {IsSequenceName, SequenceCall},
    {IsSequenceTail, Nothing},
    {IsSysdate, SysdateCall},
    {IsRownum, RownumCall},
    {IsStoredDual, DualSubquery},
    {IsTriggerRow, WithoutColon},
    {IsEmptyLiteral, Null},
    {IsTableLengthSemantics, Nothing},
    {IsCharSemanticsType, CharSemanticsType},
    {IsStarPrecision, Zero},
};

// The text that takes the place of token `k`; false when it stays.
bool Replacement(const Shape& shape, std::size_t k, std::string& with) {
    for (const TokenRule& rule : kTokenRules)
        if (rule.Applies(shape, k)) {
            with = rule.With(shape, k);
            return true;
        }
    return false;
}

}  // namespace

CSqlRewrite COracleDialect::Translate(std::string_view text, const std::vector<Compiled>& compiled) {
    CSqlRewrite rewrite(text);
    Shape shape(text);
    const auto& tokens = shape.tokens;
    std::size_t first = 0;
    std::size_t end = Words(text, tokens, {"DROP", "TABLE"}) ? DropOptionsStart(text, tokens) : tokens.size();
    if (Words(text, tokens, {"TRUNCATE", "TABLE"})) {
        rewrite.Replace(tokens[0].begin, tokens[1].begin + tokens[1].length - tokens[0].begin, "DELETE FROM");
        first = 2;
    } else if (IsReplace(text, tokens)) {
        rewrite.Replace(tokens[1].begin, tokens[2].begin + tokens[2].length - tokens[1].begin, "");
        first = 3;
    }
    CArithmetic::Edits chains = CArithmetic::Find(text, tokens);
    std::vector<bool> orderedEnds = UsesRownum(text, tokens) ? OrderedSubqueryEnds(text, tokens)
                                                             : std::vector<bool>(tokens.size(), false);
    std::string with;
    auto piece = compiled.begin();
    bool placed = false;
    for (std::size_t k = first; k < end; ++k) {
        const Token& token = tokens[k];
        // Note: a compiled part is put in place once; its own tokens stay as they are.
        bool inside = false;
        for (; piece != compiled.end() && token.begin >= piece->begin; ++piece, placed = false) {
            if (!placed) rewrite.Replace(piece->begin, piece->length, piece->with);
            placed = true;
            inside = token.begin < piece->begin + piece->length;
            if (inside) break;
        }
        if (inside) continue;
        if (orderedEnds[k]) rewrite.Replace(token.begin, 0, " LIMIT -1 OFFSET 0");
        if (!chains.before[k].empty()) rewrite.Replace(token.begin, 0, chains.before[k]);
        if (chains.replaced[k])
            rewrite.Replace(token.begin, token.length, chains.replacement[k]);
        else if (Replacement(shape, k, with))
            rewrite.Replace(token.begin, token.length, with);
        if (!chains.after[k].empty()) rewrite.Replace(token.begin + token.length, 0, chains.after[k]);
    }
    for (; piece != compiled.end(); ++piece, placed = false)
        if (!placed) rewrite.Replace(piece->begin, piece->length, piece->with);
    if (end < tokens.size())
        rewrite.Replace(tokens[end].begin, tokens.back().begin + tokens.back().length - tokens[end].begin,
                        "");
    return rewrite;
}
