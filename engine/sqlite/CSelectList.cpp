#include "engine/sqlite/CSelectList.h"

#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

bool IsName(const Token& token) { return token.kind == Kind::Word || token.kind == Kind::QuotedName; }

// A (qualified) column name: NAME, T.NAME, S.T.NAME; SYSDATE and ROWNUM are
// functions.
bool IsColumnName(std::string_view text, const std::vector<Token>& item) {
    if (item.size() == 1 &&
        (CSqlScanner::Is(text, item[0], "SYSDATE") || CSqlScanner::Is(text, item[0], "ROWNUM")))
        return false;
    for (std::size_t k = 0; k < item.size(); ++k)
        if (k % 2 == 0 ? !IsName(item[k]) : !CSqlScanner::IsSymbol(text, item[k], '.')) return false;
    return item.size() % 2 == 1;
}

bool EndsWithAlias(std::string_view text, const std::vector<Token>& item) {
    if (item.size() < 2 || !IsName(item.back())) return false;
    const Token& before = item[item.size() - 2];
    if (CSqlScanner::Is(text, before, "AS")) return true;
    if (CSqlScanner::Is(text, item.back(), "END")) return false;
    return before.kind != Kind::Symbol || CSqlScanner::IsSymbol(text, before, ')');
}

// Note: the server heads an expression with its text in upper case, its
// literals' too; only a quoted name keeps its case.
std::string Heading(std::string_view text, const std::vector<Token>& item) {
    std::string heading;
    for (const Token& token : item) {
        const std::string_view written = text.substr(token.begin, token.length);
        heading += token.kind == Kind::QuotedName ? std::string(written) : cp932::ToUpper(written);
    }
    return heading;
}

// NAME.NEXTVAL or NAME.CURRVAL: the server heads it with the last word.
bool IsSequenceValue(std::string_view text, const std::vector<Token>& item) {
    return item.size() == 3 && IsName(item[0]) && CSqlScanner::IsSymbol(text, item[1], '.') &&
           (CSqlScanner::Is(text, item[2], "NEXTVAL") || CSqlScanner::Is(text, item[2], "CURRVAL"));
}

CSelectList::Item Describe(std::string_view text, const std::vector<Token>& item) {
    CSelectList::Item out;
    if (IsSequenceValue(text, item)) {
        out.heading = std::string(text.substr(item[2].begin, item[2].length));
        return out;
    }
    out.textConversion = item.size() > 1 && CSqlScanner::Is(text, item[0], "TO_CHAR") &&
                         CSqlScanner::IsSymbol(text, item[1], '(');
    out.named = IsColumnName(text, item) || EndsWithAlias(text, item);
    if (!out.named) out.heading = Heading(text, item);
    return out;
}

}  // namespace

std::vector<CSelectList::Item> CSelectList::Parse(std::string_view text) {
    auto tokens = CSqlScanner::Significant(text);
    std::size_t k = 0;
    if (k >= tokens.size() || !CSqlScanner::Is(text, tokens[k], "SELECT")) return {};
    ++k;
    if (k < tokens.size() &&
        (CSqlScanner::Is(text, tokens[k], "DISTINCT") || CSqlScanner::Is(text, tokens[k], "ALL")))
        ++k;
    std::vector<Item> items;
    std::vector<Token> item;
    int depth = 0;
    for (; k <= tokens.size(); ++k) {
        bool last = k == tokens.size() || (depth == 0 && CSqlScanner::Is(text, tokens[k], "FROM"));
        if (last || (depth == 0 && CSqlScanner::IsSymbol(text, tokens[k], ','))) {
            if (item.empty()) return {};
            items.push_back(Describe(text, item));
            item.clear();
            if (last) break;
            continue;
        }
        const Token& token = tokens[k];
        if (CSqlScanner::IsSymbol(text, token, '*') &&
            (item.empty() || CSqlScanner::IsSymbol(text, item.back(), '.')))
            return {};
        if (CSqlScanner::IsSymbol(text, token, '('))
            ++depth;
        else if (CSqlScanner::IsSymbol(text, token, ')'))
            --depth;
        item.push_back(token);
    }
    return items;
}
