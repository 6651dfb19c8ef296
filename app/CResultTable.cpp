#include "app/CResultTable.h"

#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kPrompt = "SQL> ";

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

bool IsPrompt(const std::string& line) { return line.starts_with(kPrompt); }

// A line of dash runs separated by blanks, under a heading.
bool IsRule(const std::string& line) {
    return line.find('-') != std::string::npos && line.find_first_not_of("- ") == std::string::npos;
}

// The columns [begin, end) of the dash runs; the last runs to the line's end.
Spans ColumnsOf(const std::string& rule) {
    Spans spans;
    for (std::size_t at = rule.find('-'); at != std::string::npos;) {
        const std::size_t end = rule.find(' ', at);
        spans.emplace_back(at, end == std::string::npos ? rule.size() : end);
        at = end == std::string::npos ? end : rule.find('-', end);
    }
    if (!spans.empty()) spans.back().second = std::string::npos;
    return spans;
}

std::string Trimmed(std::string_view cell) {
    const std::size_t first = cell.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(cell.substr(first, cell.find_last_not_of(' ') - first + 1));
}

std::string Cells(const std::string& line, const Spans& spans) {
    std::string out;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (i > 0) out += '\t';
        if (spans[i].first < line.size())
            out += Trimmed(std::string_view(line).substr(spans[i].first, spans[i].second - spans[i].first));
    }
    return out;
}

}  // namespace

std::string CResultTable::CopyAt(const LineAt& lineAt, int count, int row) {
    if (row < 0 || row >= count) return {};
    // The rule above the row (or just under it, on the heading).
    int rule = row + 1 < count && IsRule(lineAt(row + 1)) && !IsRule(lineAt(row)) ? row + 1 : row;
    while (rule > 0 && !IsRule(lineAt(rule))) {
        const std::string line = lineAt(rule);
        if (IsPrompt(line) || (rule < row && line.empty())) return {};
        --rule;
    }
    if (rule < 1 || !IsRule(lineAt(rule))) return {};
    const std::string heading = lineAt(rule - 1);
    if (heading.empty() || IsPrompt(heading)) return {};
    const Spans spans = ColumnsOf(lineAt(rule));
    std::string out = Cells(heading, spans);
    for (int i = rule + 1; i < count; ++i) {
        const std::string line = lineAt(i);
        // Note: a page break repeats the heading and its rule after a blank.
        if (line.empty() && i + 2 < count && lineAt(i + 1) == heading && IsRule(lineAt(i + 2))) {
            i += 2;
            continue;
        }
        if (line.empty() || IsPrompt(line)) break;
        out += '\n';
        out += Cells(line, spans);
    }
    return out;
}
