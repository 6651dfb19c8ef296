#pragma once

#include <compare>
#include <functional>
#include <string>
#include <utility>

// A selection over the whole console, from an anchor to the end that moves,
// by byte columns of the console's lines; either end always stands at the
// start of a character (or a line's end), so a double-byte character is
// selected whole or not at all. Lines end where the selection crosses them.
class CConsoleSelection {
public:
    struct Point {
        int row = 0;
        int column = 0;
        auto operator<=>(const Point&) const = default;
    };
    // The text of console line `row` into `line`.
    using LineReader = std::function<void(int row, std::string& line)>;

    // Anchors at `point` (snapped on `line`, the text of its row).
    void Start(Point point, const std::string& line);
    // Moves the free end to `point` (snapped on `line`).
    void Extend(Point point, const std::string& line);
    void Clear() { m_active = false; }
    bool IsActive() const { return m_active; }
    bool IsEmpty() const { return !m_active || m_anchor == m_end; }
    Point GetAnchor() const { return m_anchor; }
    Point GetEnd() const { return m_end; }
    Point Low() const { return std::min(m_anchor, m_end); }
    Point High() const { return std::max(m_anchor, m_end); }

    // Selected columns [first, second) of row `row`, whose line holds
    // `length` bytes; an empty pair outside the selection.
    std::pair<int, int> ColumnsOf(int row, int length) const;
    // The selected text, lines joined by "\n".
    std::string Text(const LineReader& read) const;

    // `column` clamped to `line` and moved back to its character's start.
    static int Snap(const std::string& line, int column);

private:
    Point m_anchor;
    Point m_end;
    bool m_active = false;
};
