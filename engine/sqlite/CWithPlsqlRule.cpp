#include "engine/sqlite/CWithPlsqlRule.h"

#include <string>

#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

using Kind = CSqlScanner::Kind;

// Whether the comment `comment` is a hint naming `hint` as a word of its own.
bool Names(std::string_view comment, std::string_view hint) {
    if (comment.size() < 3 || comment[2] != '+') return false;
    const std::string upper = cp932::ToUpperAscii(std::string(comment.substr(3)));
    auto word = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
    };
    for (std::size_t at = upper.find(hint); at != std::string::npos; at = upper.find(hint, at + 1)) {
        bool before = at == 0 || !word(upper[at - 1]);
        bool after = at + hint.size() >= upper.size() || !word(upper[at + hint.size()]);
        if (before && after) return true;
    }
    return false;
}

}  // namespace

bool CWithPlsqlRule::Allows(std::string_view text, bool view, bool declares) {
    return view || declares || Hinted(text, "WITH_PLSQL");
}

bool CWithPlsqlRule::Hinted(std::string_view text, std::string_view hint) {
    constexpr std::string_view kVerbs[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "MERGE"};
    // Note: the hint follows the verb of the statement itself, not of a
    // query inside it (one that a WITH clause names comes first too).
    int depth = 0;
    bool afterVerb = false;
    for (const CSqlScanner::Token& token : CSqlScanner::Tokenize(text)) {
        if (token.kind == Kind::Space) continue;
        if (token.kind == Kind::Comment) {
            if (afterVerb && Names(text.substr(token.begin, token.length), hint)) return true;
            continue;
        }
        depth += CSqlScanner::IsSymbol(text, token, '(')   ? 1
                 : CSqlScanner::IsSymbol(text, token, ')') ? -1
                                                           : 0;
        afterVerb = false;
        for (std::string_view verb : kVerbs)
            afterVerb = afterVerb || (depth == 0 && CSqlScanner::Is(text, token, verb));
    }
    return false;
}
