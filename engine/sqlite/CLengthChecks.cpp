#include "engine/sqlite/CLengthChecks.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

constexpr std::string_view kTextTypes[] = {"VARCHAR2", "VARCHAR", "NVARCHAR2", "CHAR", "NCHAR", "CHARACTER"};

bool IsSymbol(std::string_view text, const Token& token, char symbol) {
    return token.kind == Kind::Symbol && text[token.begin] == symbol;
}

bool IsTextType(std::string_view text, const Token& token) {
    for (std::string_view type : kTextTypes)
        if (CSqlScanner::Is(text, token, type)) return true;
    return false;
}

// Index of the "(" that opens the column list of CREATE TABLE, or 0.
std::size_t ColumnListStart(std::string_view text, const std::vector<Token>& tokens) {
    if (tokens.size() < 4 || !CSqlScanner::Is(text, tokens[0], "CREATE") ||
        !CSqlScanner::Is(text, tokens[1], "TABLE"))
        return 0;
    std::size_t k = 2;
    while (k < tokens.size() && !IsSymbol(text, tokens[k], '(')) {
        if (CSqlScanner::Is(text, tokens[k], "AS")) return 0;
        ++k;
    }
    return k < tokens.size() ? k : 0;
}

// A column definition "NAME TYPE ( n [BYTE|CHAR] )" from token `k`: the
// index of its ")" and the column name and length, or 0.
std::size_t SizedTextColumn(std::string_view text, const std::vector<Token>& tokens, std::size_t k,
                            std::string& name, std::string& length) {
    if (k + 4 >= tokens.size() || !IsTextType(text, tokens[k + 1]) || !IsSymbol(text, tokens[k + 2], '(') ||
        tokens[k + 3].kind != Kind::Number)
        return 0;
    std::size_t close = k + 4;
    if (close < tokens.size() && CSqlScanner::Is(text, tokens[close], "BYTE")) ++close;
    if (close >= tokens.size() || !IsSymbol(text, tokens[close], ')')) return 0;
    if (tokens[k].kind != Kind::Word && tokens[k].kind != Kind::QuotedName) return 0;
    name = std::string(text.substr(tokens[k].begin, tokens[k].length));
    length = std::string(text.substr(tokens[k + 3].begin, tokens[k + 3].length));
    return close;
}

std::string Check(const std::string& name, const std::string& length) {
    std::string shown = name;
    if (!shown.empty() && shown.front() == '"') shown = shown.substr(1, shown.size() - 2);
    std::string label;
    for (char c : "value too large for column " + shown + " (maximum " + length + " bytes)")
        label += c == '"' ? std::string("\"\"") : std::string(1, c);
    return " CONSTRAINT \"" + label + "\" CHECK (LENGTHB(" + name + ") <= " + length + ")";
}

}  // namespace

std::vector<std::string> CLengthChecks::Find(std::string_view text, const std::vector<Token>& tokens) {
    std::vector<std::string> after(tokens.size());
    std::size_t open = ColumnListStart(text, tokens);
    if (open == 0) return after;
    int depth = 0;
    bool itemStart = true;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (IsSymbol(text, tokens[k], '(')) {
            ++depth;
        } else if (IsSymbol(text, tokens[k], ')')) {
            if (--depth == 0) break;
        } else if (depth == 1 && IsSymbol(text, tokens[k], ',')) {
            itemStart = true;
            continue;
        }
        if (!itemStart || depth != 1 || k == open) continue;
        itemStart = false;
        std::string name;
        std::string length;
        if (std::size_t close = SizedTextColumn(text, tokens, k, name, length))
            after[close] = Check(name, length);
    }
    return after;
}
