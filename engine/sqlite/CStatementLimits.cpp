#include "engine/sqlite/CStatementLimits.h"

#include <vector>

namespace {

// Offset just past the literal, quoted name or comment that starts at `at`;
// `at` itself when none starts there.
std::size_t SkipQuoted(std::string_view sql, std::size_t at) {
    const char c = sql[at];
    if (c == '\'' || c == '"') {
        std::size_t end = sql.find(c, at + 1);
        return end == std::string_view::npos ? sql.size() : end + 1;
    }
    const bool pair = at + 1 < sql.size();
    if (c == '-' && pair && sql[at + 1] == '-') {
        std::size_t end = sql.find('\n', at);
        return end == std::string_view::npos ? sql.size() : end + 1;
    }
    if (c == '/' && pair && sql[at + 1] == '*') {
        std::size_t end = sql.find("*/", at + 2);
        return end == std::string_view::npos ? sql.size() : end + 2;
    }
    return at;
}

}  // namespace

std::size_t CStatementLimits::FindOverlongRun(std::string_view sql) {
    // Every operator takes a byte at least.
    if (sql.size() <= kMaxOperatorRun) return std::string_view::npos;
    // Operators counted at each open level of parentheses.
    std::vector<std::size_t> runs(1, 0);
    std::size_t at = 0;
    while (at < sql.size()) {
        if (std::size_t past = SkipQuoted(sql, at); past != at) {
            at = past;
            continue;
        }
        const char c = sql[at];
        std::size_t width = 1;
        if (c == '(') {
            runs.push_back(0);
        } else if (c == ')') {
            if (runs.size() > 1) runs.pop_back();
        } else if (c == ',' || c == ';') {
            runs.back() = 0;
        } else if (c == '+' || c == '-' || c == '*' || c == '/' ||
                   (c == '|' && at + 1 < sql.size() && sql[at + 1] == '|')) {
            width = c == '|' ? 2 : 1;
            if (++runs.back() > kMaxOperatorRun) return at;
        }
        at += width;
    }
    return std::string_view::npos;
}
