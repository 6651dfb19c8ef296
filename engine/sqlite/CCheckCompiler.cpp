#include "engine/sqlite/CCheckCompiler.h"

#include "engine/sqlite/CSqlParser.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CTypedText.h"
#include "text/Cp932.h"

namespace {

using Token = CSqlScanner::Token;
using Tokens = std::vector<Token>;

std::string Name(std::string_view text, const Token& token) {
    std::string_view written = text.substr(token.begin, token.length);
    if (written.size() >= 2 && written.front() == '"')
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

// The token after the bracket that `open` opens; tokens.size() when unclosed.
std::size_t AfterBracket(std::string_view text, const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(text, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(text, tokens[k], ')') && --depth == 0) return k + 1;
    }
    return tokens.size();
}

// Words that end a column's type in its definition.
constexpr std::string_view kAfterType[] = {"CONSTRAINT", "PRIMARY", "UNIQUE",  "CHECK",     "REFERENCES",
                                           "NOT",        "NULL",    "DEFAULT", "GENERATED", "AS",
                                           "ENABLE",     "DISABLE", "COLLATE", "VISIBLE",   "INVISIBLE"};

bool EndsType(std::string_view text, const Token& token) {
    for (std::string_view word : kAfterType)
        if (CSqlScanner::Is(text, token, word)) return true;
    return CSqlScanner::IsSymbol(text, token, ',') || CSqlScanner::IsSymbol(text, token, ')');
}

bool StartsConstraint(std::string_view text, const Token& token) {
    for (std::string_view word : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})
        if (CSqlScanner::Is(text, token, word)) return true;
    return false;
}

// The first "(" of a CREATE TABLE: where its items start.
std::size_t ItemsOpen(std::string_view text, const Tokens& tokens) {
    std::size_t k = 0;
    while (k < tokens.size() && !CSqlScanner::IsSymbol(text, tokens[k], '(')) ++k;
    return k;
}

// What a constraint may not read: the session's or the clock's values
// (ORA-02436), the rows of a query (ORA-02251).
struct Forbidden {
    std::string_view word;
    int code;
};
constexpr Forbidden kForbidden[] = {
    {"SYSDATE", 2436},        {"SYSTIMESTAMP", 2436}, {"CURRENT_DATE", 2436}, {"CURRENT_TIMESTAMP", 2436},
    {"LOCALTIMESTAMP", 2436}, {"USER", 2436},         {"UID", 2436},          {"USERENV", 2436},
    {"SYS_CONTEXT", 2436},    {"ROWNUM", 2436},       {"LEVEL", 2436},        {"NEXTVAL", 2436},
    {"CURRVAL", 2436},        {"SELECT", 2251},
};

int ForbiddenCode(std::string_view text, const Tokens& tokens, std::size_t& at) {
    for (const Token& token : tokens)
        for (const Forbidden& forbidden : kForbidden)
            if (token.kind == CSqlScanner::Kind::Word && CSqlScanner::Is(text, token, forbidden.word)) {
                at = token.begin;
                return forbidden.code;
            }
    return 0;
}

// Past the words that tell when a check is made, from token `k`:
// [NOT] DEFERRABLE, INITIALLY IMMEDIATE|DEFERRED, in either order.
// Note: the engine makes every check at once, as it does a key's; the
// catalog shows the words as written.
std::size_t DeferralEnd(std::string_view text, const Tokens& tokens, std::size_t k, std::size_t close,
                        CCheckCompiler::Check& check) {
    auto is = [&](std::size_t at, std::string_view word) {
        return at < close && at < tokens.size() && CSqlScanner::Is(text, tokens[at], word);
    };
    for (;;) {
        if (is(k, "DEFERRABLE")) {
            check.deferrable = true;
            k += 1;
        } else if (is(k, "NOT") && is(k + 1, "DEFERRABLE")) {
            check.deferrable = false;
            k += 2;
        } else if (is(k, "INITIALLY") && (is(k + 1, "DEFERRED") || is(k + 1, "IMMEDIATE"))) {
            check.deferred = is(k + 1, "DEFERRED");
            k += 2;
        } else {
            return k;
        }
    }
}

}  // namespace

std::vector<CSqliteCatalog::Column> CCheckCompiler::DeclaredColumns(std::string_view createTable) {
    std::vector<CSqliteCatalog::Column> columns;
    Tokens tokens = CSqlScanner::Significant(createTable);
    std::size_t k = ItemsOpen(createTable, tokens) + 1;
    std::size_t close = AfterBracket(createTable, tokens, k - 1);
    while (k + 1 < close) {
        // An item: a column's name and type, or a constraint of the table.
        if (!StartsConstraint(createTable, tokens[k])) {
            std::string name = Name(createTable, tokens[k]);
            std::size_t type = ++k;
            while (k + 1 < close && !EndsType(createTable, tokens[k]))
                k = CSqlScanner::IsSymbol(createTable, tokens[k], '(') ? AfterBracket(createTable, tokens, k)
                                                                       : k + 1;
            std::size_t end = k > type ? tokens[k - 1].begin + tokens[k - 1].length : tokens[type].begin;
            columns.push_back(CSqliteCatalog::Describe(
                name, type < k ? createTable.substr(tokens[type].begin, end - tokens[type].begin)
                               : std::string_view()));
            // Note: a quoted name keeps its case, as a condition names it.
            columns.back().name = name;
        }
        while (k + 1 < close && !CSqlScanner::IsSymbol(createTable, tokens[k], ','))
            k = CSqlScanner::IsSymbol(createTable, tokens[k], '(') ? AfterBracket(createTable, tokens, k)
                                                                   : k + 1;
        ++k;
    }
    return columns;
}

std::vector<CCheckCompiler::Check> CCheckCompiler::Find(std::string_view text, bool items) {
    std::vector<Check> checks;
    Tokens tokens = CSqlScanner::Significant(text);
    std::size_t k = items ? ItemsOpen(text, tokens) + 1 : 0;
    std::size_t close = items ? AfterBracket(text, tokens, k - 1) - 1 : tokens.size();
    for (; k < close && k < tokens.size(); ++k) {
        if (!CSqlScanner::Is(text, tokens[k], "CHECK") || k + 1 >= close ||
            !CSqlScanner::IsSymbol(text, tokens[k + 1], '('))
            continue;
        std::size_t after = AfterBracket(text, tokens, k + 1);
        if (after > tokens.size() || after < k + 3) break;
        Check check;
        check.begin = tokens[k].begin;
        if (k >= 2 && CSqlScanner::Is(text, tokens[k - 2], "CONSTRAINT")) {
            check.begin = tokens[k - 2].begin;
            check.name = Name(text, tokens[k - 1]);
        }
        check.from = tokens[k + 2].begin;
        check.to = tokens[after - 2].begin + tokens[after - 2].length;
        after = DeferralEnd(text, tokens, after, close, check);
        const Token& last = tokens[after - 1];
        check.end = last.begin + last.length;
        check.condition = CTypedText::Typed(text.substr(check.from, check.to - check.from));
        checks.push_back(std::move(check));
        k = after - 1;
    }
    return checks;
}

std::string CCheckCompiler::Blank(std::string_view text, const std::vector<Check>& checks) {
    std::string out(text);
    for (const Check& check : checks)
        for (std::size_t at = check.begin; at < check.end; ++at)
            if (out[at] != '\n') out[at] = ' ';
    return out;
}

bool CCheckCompiler::Compile(std::string_view text, const std::vector<CSqliteCatalog::Column>& columns,
                             std::vector<Check>& checks, CSqlEmitter::Failure& failure) {
    for (Check& check : checks)
        if (!Condition(text, check.from, check.to, columns, check.compiled, failure)) return false;
    return true;
}

bool CCheckCompiler::Slice(std::string_view text, std::size_t begin, std::size_t end,
                           std::vector<CSqlScanner::Token>& tokens, CSqlEmitter::Failure& failure) {
    for (const Token& token : CSqlScanner::Significant(text))
        if (token.begin >= begin && token.begin + token.length <= end) tokens.push_back(token);
    if (!tokens.empty()) return true;
    failure.at = end;
    failure.code = 936;
    return false;
}

bool CCheckCompiler::Condition(std::string_view text, std::size_t begin, std::size_t end,
                               const std::vector<CSqliteCatalog::Column>& columns, std::string& compiled,
                               CSqlEmitter::Failure& failure) {
    Tokens tokens;
    if (!Slice(text, begin, end, tokens, failure)) return false;
    if (int code = ForbiddenCode(text, tokens, failure.at); code != 0) {
        failure.code = code;
        return false;
    }
    return Expression(text, tokens, end, columns, compiled, failure);
}

bool CCheckCompiler::Expression(std::string_view text, std::size_t begin, std::size_t end,
                                std::string& compiled, CSqlEmitter::Failure& failure) {
    Tokens tokens;
    if (!Slice(text, begin, end, tokens, failure)) return false;
    return Expression(text, tokens, end, {}, compiled, failure);
}

bool CCheckCompiler::Value(std::string_view text, std::size_t begin, std::size_t end,
                           const std::vector<CSqliteCatalog::Column>& columns, std::string& compiled,
                           CValueType& type, CSqlEmitter::Failure& failure) {
    Tokens tokens;
    if (!Slice(text, begin, end, tokens, failure)) return false;
    if (int code = ForbiddenCode(text, tokens, failure.at); code != 0) {
        failure.code = code;
        return false;
    }
    return Expression(text, tokens, end, columns, compiled, failure, &type);
}

bool CCheckCompiler::Expression(std::string_view text, const std::vector<CSqlScanner::Token>& tokens,
                                std::size_t end, const std::vector<CSqliteCatalog::Column>& columns,
                                std::string& compiled, CSqlEmitter::Failure& failure, CValueType* type) {
    CSqlArena arena;
    CSqlParser parser(text, tokens, arena);
    CSqlParser::Failure parseFailure;
    CSqlExpr* condition = nullptr;
    if (!parser.ParseCondition(condition, parseFailure)) {
        // Note: a condition that ends too soon fails at the bracket that ends it.
        failure.at = parseFailure.at;
        if (failure.at > end) {
            failure.at = end;
            while (failure.at < text.size() && (text[failure.at] == ' ' || text[failure.at] == '\n'))
                ++failure.at;
        }
        failure.code = parseFailure.unsupported ? 3001 : 900;
        failure.name = parseFailure.what;
        return false;
    }
    CSqlEmitter emitter(text, m_catalog, true);
    emitter.AddRowSource("", columns);
    if (type != nullptr) return emitter.EmitValue(*condition, compiled, *type, failure);
    return emitter.EmitCondition(*condition, compiled, failure);
}
