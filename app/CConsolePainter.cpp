#include "app/CConsolePainter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/CConsoleSelection.h"
#include "app/CConsoleSnapshot.h"
#include "app/CInputColouring.h"
#include "console/CSQLEditor.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

const QColor CConsolePainter::kPromptColor(0, 0, 0);
const QColor CConsolePainter::kOutputColor(0, 0, 255);
const QColor CConsolePainter::kKeywordColor(128, 0, 128);
const QColor CConsolePainter::kQuotedColor(176, 0, 0);
const QColor CConsolePainter::kCommentColor(0, 128, 0);

namespace {

constexpr const char* kFontFamilies[] = {"FixedSys", "IPAGothic", "IPAゴシック"};

QString FindFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kFontFamilies)
        if (installed.contains(QString::fromUtf8(family), Qt::CaseInsensitive))
            return QString::fromUtf8(family);
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

}  // namespace

CConsolePainter::CConsolePainter() : CConsolePainter(CreateFont()) {}

CConsolePainter::CConsolePainter(const QFont& font, int charWidth, int lineHeight)
    : m_font(font), m_ascent(QFontMetrics(font).ascent()), m_charWidth(charWidth), m_lineHeight(lineHeight) {}

QFont CConsolePainter::CreateFont() { return CreateFont(kCharWidth, kLineHeight, QString()); }

QFont CConsolePainter::CreateFont(int charWidth, int lineHeight, const QString& family) {
    QFont font(family.isEmpty() ? FindFamily() : family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setWeight(QFont::Normal);
    // Note: the grid is fixed; the font shrinks until a half-width glyph
    // fits a cell, whatever the font's own metrics are.
    // A double-byte character is drawn in its two cells, so it must not be
    // wider than two half-width cells either.
    for (int size = lineHeight; size > 4; --size) {
        font.setPixelSize(size);
        QFontMetrics metrics(font);
        if (metrics.height() <= lineHeight + 1 && metrics.horizontalAdvance(QLatin1Char('M')) <= charWidth &&
            metrics.horizontalAdvance(QString::fromUtf8("漢")) <= 2 * charWidth)
            break;
    }
    return font;
}

QString CConsolePainter::PieceText(std::string_view piece) {
    if (piece.size() == 1 && static_cast<unsigned char>(piece[0]) < 0x80)
        return QString(QLatin1Char(piece[0]));
    return QString::fromStdString(encoding::Cp932ToUtf8(piece));
}

void CConsolePainter::DrawPiece(QPainter& painter, const QString& text, int x, int y) const {
    painter.drawText(QPoint(x, y + m_ascent), text);
}

void CConsolePainter::DrawLine(QPainter& painter, const std::string& line, int y) const {
    std::size_t index = 0;
    while (index < line.size()) {
        std::size_t length = cp932::CharLength(line, index);
        std::string_view piece(line.data() + index, length);
        DrawPiece(painter, PieceText(piece), static_cast<int>(index) * m_charWidth, y);
        index += length;
    }
}

int CConsolePainter::TextCells(const QString& text) {
    int cells = 0;
    for (const uint codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        std::string bytes;
        if (encoding::Utf8ToCp932Strict(character.toStdString(), bytes))
            cells += static_cast<int>(bytes.size());
        else
            cells += codePoint >= 0x1100 ? 2 : 1;
    }
    return cells;
}

const CConsolePainter::PreeditSegment* CConsolePainter::SegmentAt(const Preedit& preedit, int index) {
    // Note: later segments are drawn over earlier ones, as the input
    // method lists them.
    const PreeditSegment* found = nullptr;
    for (const auto& segment : preedit.segments)
        if (index >= segment.start && index < segment.start + segment.length) found = &segment;
    return found;
}

void CConsolePainter::DrawPreedit(QPainter& painter, const Preedit& preedit, int y) const {
    int x = preedit.column * m_charWidth;
    int index = 0;
    for (const uint codePoint : preedit.text.toUcs4()) {
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        const int width = TextCells(character) * m_charWidth;
        const PreeditSegment* segment = SegmentAt(preedit, index);
        const bool highlighted = segment != nullptr && segment->background.isValid();
        painter.fillRect(QRect(x, y, width, m_lineHeight),
                         highlighted ? segment->background : QColor(Qt::white));
        QColor pen = highlighted ? QColor(Qt::white) : QColor(Qt::black);
        if (segment != nullptr && segment->foreground.isValid()) pen = segment->foreground;
        painter.setPen(pen);
        DrawPiece(painter, character, x, y);
        if (!highlighted) {
            painter.setPen(Qt::black);
            painter.drawLine(x, y + m_lineHeight - 1, x + width - 1, y + m_lineHeight - 1);
        }
        x += width;
        index += static_cast<int>(character.size());
    }
}

void CConsolePainter::DrawMarked(QPainter& painter, const std::string& line, int y,
                                 std::pair<int, int> marked) const {
    const auto [first, last] = marked;
    if (first >= last) return;
    painter.fillRect(QRect(first * m_charWidth, y, (last - first) * m_charWidth, m_lineHeight), Qt::black);
    painter.setPen(Qt::white);
    for (auto index = static_cast<std::size_t>(first); index < static_cast<std::size_t>(last);) {
        const std::size_t length = std::max<std::size_t>(1, cp932::CharLength(line, index));
        DrawPiece(painter, PieceText(std::string_view(line).substr(index, length)),
                  static_cast<int>(index) * m_charWidth, y);
        index += length;
    }
}

void CConsolePainter::DrawInputLine(QPainter& painter, const CConsoleSnapshot& console, int y,
                                    const Preedit& preedit, std::pair<int, int> marked) const {
    const std::string& line = console.GetLine(console.GetLineCount() - 1);
    const int shift = preedit.text.isEmpty() ? 0 : TextCells(preedit.text);
    QColor background = Qt::white;
    // Note: the prompt is not coloured; the text after it is, unless it
    // answers a question.
    const auto prompt = static_cast<std::size_t>(console.GetPromptLength());
    const auto kinds = CInputColouring::Classify(
        console.IsAsking() ? std::string_view()
                           : std::string_view(line).substr(std::min(prompt, line.size())));
    const auto pen = [&](std::size_t at) {
        if (at < prompt || at - prompt >= kinds.size()) return QColor(Qt::black);
        static const QColor colours[] = {Qt::black, kKeywordColor, kQuotedColor, kCommentColor};
        return colours[static_cast<int>(kinds[at - prompt])];
    };
    std::size_t index = 0;
    while (index < line.size()) {
        std::size_t length = cp932::CharLength(line, index);
        const auto column = static_cast<int>(index);
        const bool selected =
            console.IsSelected(column) || (column >= marked.first && column < marked.second);
        background = selected ? Qt::black : Qt::white;
        const int cell = static_cast<int>(index) + (static_cast<int>(index) >= preedit.column ? shift : 0);
        const int x = cell * m_charWidth;
        painter.fillRect(QRect(x, y, static_cast<int>(length) * m_charWidth, m_lineHeight), background);
        painter.setPen(selected ? QColor(Qt::white) : pen(index));
        DrawPiece(painter, PieceText(std::string_view(line.data() + index, length)), x, y);
        index += length;
    }
    // One blank cell after the text in the last colours.
    painter.fillRect(
        QRect((static_cast<int>(line.size()) + shift) * m_charWidth, y, m_charWidth, m_lineHeight),
        background);
    if (shift > 0) DrawPreedit(painter, preedit, y);
}

void CConsolePainter::PaintScreen(QPainter& painter, const CConsoleSnapshot& console, const QRect& visible,
                                  const Preedit& preedit, const CConsoleSelection* selection) const {
    painter.save();
    painter.setFont(m_font);
    const int count = console.GetLineCount();
    // Note: a line partly above the window is drawn too, so the top row of
    // a scrolled view is never left blank.
    const int first = std::max(0, visible.top() / m_lineHeight);
    const int stop = std::min(count - 1, visible.bottom() / m_lineHeight + 1);
    const auto marked = [&](int row) {
        const auto length = static_cast<int>(console.GetLine(row).size());
        return selection != nullptr ? selection->ColumnsOf(row, length) : std::pair<int, int>(0, 0);
    };
    for (int i = first; i < stop; ++i) {
        painter.setPen(console.IsPromptLine(i) ? kPromptColor : kOutputColor);
        DrawLine(painter, console.GetLine(i), i * m_lineHeight);
        DrawMarked(painter, console.GetLine(i), i * m_lineHeight, marked(i));
    }
    if (console.ShowsInput())
        DrawInputLine(painter, console, (count - 1) * m_lineHeight, preedit, marked(count - 1));
    painter.restore();
}

void CConsolePainter::PaintScreen(QPainter& painter, const CConsoleSnapshot& console,
                                  const QRect& visible) const {
    PaintScreen(painter, console, visible, Preedit(), nullptr);
}

void CConsolePainter::PaintPage(QPainter& painter, const CSQLEditor& editor, int page) const {
    painter.save();
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    const long long first = static_cast<long long>(page - 1) * kLinesPerPage;
    const int count = editor.GetLineCount();
    for (long long index = first; index < first + kLinesPerPage && index < count; ++index) {
        DrawLine(painter, editor.GetLine(static_cast<int>(index)),
                 static_cast<int>(index - first) * m_lineHeight);
    }
    DrawPiece(painter, QString::asprintf("- %d -", page), kFooterX, kFooterY);
    painter.restore();
}
