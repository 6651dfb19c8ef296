#include "engine/sqlite/CAsSelectList.h"

#include "engine/sqlite/CSqlScanner.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

bool Is(std::string_view sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && tokens[k].kind == CSqlScanner::Kind::Word &&
           CSqlScanner::Is(sql, tokens[k], word);
}

bool IsSymbol(std::string_view sql, const Tokens& tokens, std::size_t k, char symbol) {
    return k < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], symbol);
}

// The words that open an out-of-line constraint of the list.
constexpr std::string_view kConstraintWords[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};

bool OpensConstraint(std::string_view sql, const Tokens& tokens, std::size_t k) {
    for (std::string_view word : kConstraintWords)
        if (Is(sql, tokens, k, word)) return true;
    return false;
}

std::string_view Between(std::string_view sql, std::size_t from, std::size_t to) {
    return to > from ? sql.substr(from, to - from) : std::string_view();
}

// Stored types the server writes otherwise: the stored name's start, and
// the written type with %1 and %2 for the stored numbers.
struct Spelling {
    std::string_view stored;
    std::string_view written;
};

constexpr Spelling kSpellings[] = {
    {"VARCHAR2_CHAR", "VARCHAR2(%1 CHAR)"},
    {"CHAR_CHAR", "CHAR(%1 CHAR)"},
    {"NVARCHAR2_CHAR", "NVARCHAR2(%1)"},
    {"NCHAR_CHAR", "NCHAR(%1)"},
    {"RAW_TEXT", "RAW(%1)"},
    {"INTERVAL_DAY_TO_SECOND", "INTERVAL DAY(%1) TO SECOND(%2)"},
    {"INTERVAL_YEAR_TO_MONTH", "INTERVAL YEAR(%1) TO MONTH"},
    {"TIMESTAMP_WITH_TIME_ZONE", "TIMESTAMP(%1) WITH TIME ZONE"},
    {"TIMESTAMP_WITH_LOCAL_TIME_ZONE", "TIMESTAMP(%1) WITH LOCAL TIME ZONE"},
    {"LONG_RAW", "LONG RAW"},
    {"DOUBLE_PRECISION", "DOUBLE PRECISION"},
};

}  // namespace

bool CAsSelectList::Read(std::string_view sql, List& list) {
    Tokens tokens = CSqlScanner::Significant(sql);
    if (!tokens.empty() && IsSymbol(sql, tokens, tokens.size() - 1, ';')) tokens.pop_back();
    if (!Is(sql, tokens, 0, "CREATE") || !Is(sql, tokens, 1, "TABLE")) return false;
    std::size_t k = IsSymbol(sql, tokens, 3, '.') ? 5 : 3;
    if (!IsSymbol(sql, tokens, k, '(')) return false;
    list.head = std::string(Between(sql, tokens[0].begin, tokens[k].begin));
    list.table = std::string(Between(sql, tokens[2].begin, tokens[k].begin));
    list.listAt = tokens[k].begin;
    // The items of the list, each its first and its end token.
    std::vector<std::pair<std::size_t, std::size_t>> items;
    std::size_t first = ++k;
    for (int depth = 0; k < tokens.size(); ++k) {
        if (IsSymbol(sql, tokens, k, '(')) ++depth;
        if (IsSymbol(sql, tokens, k, ')') && depth-- == 0) break;
        if (depth == 0 && IsSymbol(sql, tokens, k, ',')) {
            items.emplace_back(first, k);
            first = k + 1;
        }
    }
    if (k >= tokens.size()) return false;
    items.emplace_back(first, k);
    const std::size_t close = k;
    for (k = close + 1; k < tokens.size() && !(Is(sql, tokens, k, "AS") && !Is(sql, tokens, k - 1, "STORE"));
         ++k) {
        if (!IsSymbol(sql, tokens, k, '(')) continue;
        // Note: a bracketed group of the options may hold AS (LOB storage).
        for (int depth = 0; k < tokens.size(); ++k) {
            if (IsSymbol(sql, tokens, k, '(')) ++depth;
            if (IsSymbol(sql, tokens, k, ')') && --depth == 0) break;
        }
    }
    if (k + 1 >= tokens.size()) return false;
    list.options = std::string(Between(sql, tokens[close].begin + 1, tokens[k].begin));
    list.queryAt = tokens[k + 1].begin;
    list.query =
        std::string(sql.substr(list.queryAt, tokens.back().begin + tokens.back().length - list.queryAt));
    for (const auto& [from, to] : items) {
        if (from >= to) return false;
        const std::size_t end = tokens[to - 1].begin + tokens[to - 1].length;
        if (OpensConstraint(sql, tokens, from)) {
            list.outOfLine.emplace_back(Between(sql, tokens[from].begin, end));
            list.constrained = true;
            continue;
        }
        Column column;
        column.name = std::string(sql.substr(tokens[from].begin, tokens[from].length));
        if (from + 1 < to) column.constraints = std::string(Between(sql, tokens[from + 1].begin, end));
        list.constrained = list.constrained || !column.constraints.empty();
        list.columns.push_back(std::move(column));
    }
    return true;
}

std::string CAsSelectList::Definition(const List& list, const std::vector<std::string>& stored) {
    std::string out = list.head + "(";
    for (std::size_t k = 0; k < list.columns.size(); ++k) {
        const Column& column = list.columns[k];
        out += (k > 0 ? ", " : "") + column.name + " " + WrittenType(k < stored.size() ? stored[k] : "");
        if (!column.constraints.empty()) out += " " + column.constraints;
    }
    for (const std::string& constraint : list.outOfLine) out += ", " + constraint;
    return out + ")" + list.options;
}

std::string CAsSelectList::WrittenType(std::string_view stored) {
    const std::size_t open = stored.find('(');
    std::string_view base = stored.substr(0, open);
    std::string first;
    std::string second;
    if (open != std::string_view::npos) {
        std::string_view numbers = stored.substr(open + 1, stored.find(')', open) - open - 1);
        const std::size_t comma = numbers.find(',');
        first = std::string(numbers.substr(0, comma));
        if (comma != std::string_view::npos) second = std::string(numbers.substr(comma + 1));
    }
    for (const Spelling& spelling : kSpellings) {
        if (base != spelling.stored) continue;
        std::string out(spelling.written);
        for (auto [mark, value] : {std::pair{"%1", first}, std::pair{"%2", second}}) {
            std::size_t at = out.find(mark);
            if (at == std::string::npos) continue;
            // Note: a type kept without its number has the server's default: "(%1)" goes.
            if (value.empty())
                out.erase(at - 1, 4);
            else
                out.replace(at, 2, value);
        }
        return out;
    }
    // NUMBER(*, s) is kept with a precision of 0.
    if (base == "NUMBER" && first == "0" && !second.empty()) return "NUMBER(*," + second + ")";
    return std::string(stored);
}
