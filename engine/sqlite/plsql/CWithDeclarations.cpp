#include "engine/sqlite/plsql/CWithDeclarations.h"

#include "engine/sqlite/CSqlScanner.h"

namespace {

using Token = CSqlScanner::Token;

bool IsWord(std::string_view text, const std::vector<Token>& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && CSqlScanner::Is(text, tokens[k], word);
}

bool IsUnitWord(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    return (IsWord(text, tokens, k, "FUNCTION") || IsWord(text, tokens, k, "PROCEDURE")) &&
           !IsWord(text, tokens, k + 1, "AS");
}

// The token after the ";" that ends the unit starting at `k` (its FUNCTION
// or PROCEDURE); 0 when it has no end. The unit's body closes at the END
// that balances its BEGIN; IF, LOOP and CASE open blocks of their own
// unless they follow END; a subprogram declared inside the unit has a
// BEGIN ... END of its own (a forward declaration ends at its ";").
std::size_t UnitEnd(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    static constexpr std::string_view kOpeners[] = {"BEGIN", "IF", "LOOP", "CASE"};
    int depth = 0;
    bool nestedPending = false;
    bool nestedBody = false;
    bool nestedBlock = false;
    for (std::size_t i = k + 1; i < tokens.size(); ++i) {
        if (depth == 0 && nestedPending && CSqlScanner::IsSymbol(text, tokens[i], ';') && !nestedBody)
            nestedPending = false;
        if (tokens[i].kind != CSqlScanner::Kind::Word) continue;
        bool afterEnd = IsWord(text, tokens, i - 1, "END");
        if (IsWord(text, tokens, i, "END")) {
            if (--depth > 0) continue;
            if (depth < 0) return 0;
            if (nestedBlock) {
                nestedBlock = false;
                continue;
            }
            // Note: END [name] ; closes the unit.
            std::size_t next = i + 1;
            if (next < tokens.size() && tokens[next].kind != CSqlScanner::Kind::Symbol) ++next;
            return next < tokens.size() && CSqlScanner::IsSymbol(text, tokens[next], ';') ? next + 1 : 0;
        }
        if (afterEnd) continue;
        if (depth == 0 && (IsWord(text, tokens, i, "FUNCTION") || IsWord(text, tokens, i, "PROCEDURE"))) {
            nestedPending = true;
            nestedBody = false;
            continue;
        }
        if (depth == 0 && nestedPending && (IsWord(text, tokens, i, "IS") || IsWord(text, tokens, i, "AS")))
            nestedBody = true;
        for (std::string_view word : kOpeners) {
            if (!CSqlScanner::Is(text, tokens[i], word) || (depth == 0 && word != "BEGIN")) continue;
            if (depth == 0) {
                nestedBlock = nestedPending;
                nestedPending = false;
            }
            ++depth;
        }
    }
    return 0;
}

void Blank(std::string& text, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end && i < text.size(); ++i)
        if (text[i] != '\n') text[i] = ' ';
}

}  // namespace

CWithDeclarations::Outcome CWithDeclarations::Read(std::string_view text,
                                                   std::vector<Declaration>& declarations, std::string& query,
                                                   std::size_t& at) {
    auto tokens = CSqlScanner::Significant(text);
    if (!IsWord(text, tokens, 0, "WITH") || !IsUnitWord(text, tokens, 1)) return Outcome::None;
    declarations.clear();
    std::size_t k = 1;
    while (IsUnitWord(text, tokens, k)) {
        std::size_t end = UnitEnd(text, tokens, k);
        if (end == 0) {
            at = tokens[k].begin;
            return Outcome::Unfinished;
        }
        const Token& last = tokens[end - 1];
        declarations.push_back({tokens[k].begin, last.begin + last.length});
        k = end;
    }
    query.assign(text);
    // Note: a subquery factoring clause after the declarations keeps its WITH.
    bool factoring = k < tokens.size() && !IsWord(text, tokens, k, "SELECT") &&
                     !CSqlScanner::IsSymbol(text, tokens[k], '(');
    if (!factoring) Blank(query, tokens[0].begin, tokens[0].begin + tokens[0].length);
    Blank(query, declarations.front().begin, declarations.back().end);
    // Note: the ";" that ends the query before its "/" belongs to the script.
    if (tokens.size() > k && CSqlScanner::IsSymbol(text, tokens.back(), ';'))
        Blank(query, tokens.back().begin, tokens.back().begin + 1);
    return Outcome::Found;
}
