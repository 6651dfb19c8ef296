#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CConsoleSelection;
class CConsoleSnapshot;
class CSQLEditor;
class QPainter;

// Draws console lines on a cell grid: one byte of CP932 text is one cell of
// kCharWidth x kLineHeight, a double-byte character spans two. The screen
// and the printed page share it.
class CConsolePainter {
public:
    static constexpr int kCharWidth = 8;
    static constexpr int kLineHeight = 16;
    static constexpr int kLinesPerPage = 200;
    // Footer position on the page grid.
    static constexpr int kFooterX = 1150;
    static constexpr int kFooterY = 3350;

    static const QColor kPromptColor;
    static const QColor kOutputColor;
    // The line being typed: SQL words, quoted text and comments.
    static const QColor kKeywordColor;
    static const QColor kQuotedColor;
    static const QColor kCommentColor;

    CConsolePainter();
    // Cells of `charWidth` x `lineHeight` (the printed grid's by default).
    explicit CConsolePainter(const QFont& font, int charWidth = kCharWidth, int lineHeight = kLineHeight);

    // "FixedSys" when installed, else a fixed-pitch font with Japanese
    // glyphs, sized so that a character fits its cell.
    static QFont CreateFont();
    // The same for cells of `charWidth` x `lineHeight`, of `family` when
    // given.
    static QFont CreateFont(int charWidth, int lineHeight, const QString& family);
    // The Unicode text of one cell piece (one byte, or a lead and trail byte).
    static QString PieceText(std::string_view piece);
    // Cells taken by Unicode text not yet committed by an input method: as
    // many as its CP932 bytes (a character CP932 lacks: two when wide).
    static int TextCells(const QString& text);

    // A stretch of the composition as the input method formats it (in
    // UTF-16 units of the text): with a background it is highlighted (the
    // segment being converted), without one it is underlined.
    struct PreeditSegment {
        int start = 0;
        int length = 0;
        QColor background;  // invalid: none
        QColor foreground;  // invalid: the default
    };
    // Input-method composition shown inline in the input line at byte
    // `column` (prompt included); without segments all of it is underlined.
    struct Preedit {
        QString text;
        int column = 0;
        std::vector<PreeditSegment> segments;
    };

    const QFont& GetFont() const { return m_font; }
    int GetCharWidth() const { return m_charWidth; }
    int GetLineHeight() const { return m_lineHeight; }

    // One line at row top `y`, each character at its own cell, in the
    // painter's current pen.
    void DrawLine(QPainter& painter, const std::string& line, int y) const;
    // The console within `visible` (content coordinates): prompt lines
    // black, output blue, the input line (when shown) with its selection
    // white on black and the composition under way.
    void PaintScreen(QPainter& painter, const CConsoleSnapshot& console, const QRect& visible,
                     const Preedit& preedit, const CConsoleSelection* selection = nullptr) const;
    void PaintScreen(QPainter& painter, const CConsoleSnapshot& console, const QRect& visible) const;
    // Page `page` (from 1) on the page grid: its block of lines in black and
    // the footer "- page -".
    void PaintPage(QPainter& painter, const CSQLEditor& editor, int page) const;

private:
    void DrawInputLine(QPainter& painter, const CConsoleSnapshot& console, int y, const Preedit& preedit,
                       std::pair<int, int> marked) const;
    // Redraws the columns [first, second) of `line` white on black.
    void DrawMarked(QPainter& painter, const std::string& line, int y, std::pair<int, int> marked) const;
    void DrawPreedit(QPainter& painter, const Preedit& preedit, int y) const;
    // The segment that holds UTF-16 index `index` (null: none).
    static const PreeditSegment* SegmentAt(const Preedit& preedit, int index);
    void DrawPiece(QPainter& painter, const QString& text, int x, int y) const;

    QFont m_font;
    int m_ascent;
    int m_charWidth;
    int m_lineHeight;
};
