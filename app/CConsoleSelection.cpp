#include "app/CConsoleSelection.h"

#include <algorithm>

#include "text/Cp932.h"

int CConsoleSelection::Snap(const std::string& line, int column) {
    const auto target = static_cast<std::size_t>(std::clamp(column, 0, static_cast<int>(line.size())));
    // Note: walked from the line's start, since a trail byte may look like a
    // lead byte.
    std::size_t index = 0;
    while (index < target) {
        const std::size_t length = std::max<std::size_t>(1, cp932::CharLength(line, index));
        if (index + length > target) break;
        index += length;
    }
    return static_cast<int>(index);
}

void CConsoleSelection::Start(Point point, const std::string& line) {
    m_anchor = {point.row, Snap(line, point.column)};
    m_end = m_anchor;
    m_active = true;
}

void CConsoleSelection::Extend(Point point, const std::string& line) {
    if (!m_active) return Start(point, line);
    m_end = {point.row, Snap(line, point.column)};
}

std::pair<int, int> CConsoleSelection::ColumnsOf(int row, int length) const {
    if (IsEmpty()) return {0, 0};
    const Point low = Low();
    const Point high = High();
    if (row < low.row || row > high.row) return {0, 0};
    const int first = row == low.row ? std::min(low.column, length) : 0;
    const int last = row == high.row ? std::min(high.column, length) : length;
    return {first, std::max(first, last)};
}

std::string CConsoleSelection::Text(const LineReader& read) const {
    std::string text;
    if (IsEmpty()) return text;
    std::string line;
    for (int row = Low().row; row <= High().row; ++row) {
        read(row, line);
        const auto [first, last] = ColumnsOf(row, static_cast<int>(line.size()));
        if (row > Low().row) text += '\n';
        text.append(line, static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    }
    return text;
}
