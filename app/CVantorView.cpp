#include "app/CVantorView.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/CVantorDoc.h"
#include "app/CommandTable.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

struct KeyRow {
    Qt::Key qtKey;
    EditorKey key;
};

constexpr KeyRow kKeys[] = {
    {Qt::Key_Backspace, EditorKey::Backspace},
    {Qt::Key_Return, EditorKey::Enter},
    {Qt::Key_Enter, EditorKey::Enter},
    {Qt::Key_End, EditorKey::End},
    {Qt::Key_Home, EditorKey::Home},
    {Qt::Key_Left, EditorKey::Left},
    {Qt::Key_Up, EditorKey::Up},
    {Qt::Key_Right, EditorKey::Right},
    {Qt::Key_Down, EditorKey::Down},
    {Qt::Key_Insert, EditorKey::Insert},
    {Qt::Key_Delete, EditorKey::Delete},
};

const KeyRow* FindKey(int qtKey) {
    for (const auto& row : kKeys)
        if (row.qtKey == qtKey) return &row;
    return nullptr;
}

// A key combination the frame's accelerators own. When their command is
// unavailable the key does nothing rather than reaching the key table.
bool IsAccelerator(const QKeyEvent& event) {
    QKeySequence pressed(event.keyCombination());
    for (const auto& row : commands::Accelerators())
        if (QKeySequence(QString::fromUtf8(row.keys)) == pressed) return true;
    return false;
}

}  // namespace

CVantorView::CVantorView(CVantorDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document) {
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setCursor(Qt::IBeamCursor);
    horizontalScrollBar()->setSingleStep(m_charWidth);
    verticalScrollBar()->setSingleStep(m_lineHeight);
    UpdateScrollBars();
}

CSQLEditor& CVantorView::GetEditor() { return *m_document.GetEditor(); }

void CVantorView::OnInitialUpdate() {
    m_trace.Write("OnUpdate");
    UpdateScrollSize();
    UpdateCaret();
    viewport()->update();
    m_trace.Write("OnInitialUpdate()");
    emit EditStateChanged();
}

void CVantorView::Refresh() {
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

void CVantorView::UpdateScrollSize() {
    m_trace.Write("UpdateScrollSize()");
    const CSQLEditor& editor = GetEditor();
    long long height = static_cast<long long>(editor.GetLineCount()) * m_lineHeight;
    if (height > m_scrollHeight)
        m_scrollHeight = static_cast<int>(std::min<long long>(height + 1000, INT_MAX / 2));
    // Note: the input line with its prompt and the caret's cell after it
    // always fits, so the caret can be scrolled into view.
    const long long inputWidth = static_cast<long long>(editor.GetLine(editor.GetLineCount() - 1).size()) + 1;
    long long width = std::max<long long>(editor.GetMaxWidth(), inputWidth) * m_charWidth;
    if (width > m_scrollWidth)
        m_scrollWidth = static_cast<int>(std::min<long long>(width + 100, INT_MAX / 2));
    UpdateScrollBars();
}

void CVantorView::UpdateScrollBars() {
    const QSize size = viewport()->size();
    horizontalScrollBar()->setPageStep(size.width());
    horizontalScrollBar()->setRange(0, std::max(0, m_scrollWidth - size.width()));
    verticalScrollBar()->setPageStep(size.height());
    verticalScrollBar()->setRange(0, std::max(0, m_scrollHeight - size.height()));
}

void CVantorView::UpdateCaret() {
    const auto [column, row] = GetEditor().GetCaretPos();
    const QSize size = viewport()->size();
    // Brings the caret's cell into view along one axis; returns the new
    // scroll position.
    auto follow = [](long long position, int cell, int extent, int scroll) {
        if (position - scroll + cell > extent) return position + cell - extent;
        if (position - cell - scroll < 0) return position;
        return static_cast<long long>(scroll);
    };
    const long long x = static_cast<long long>(column) * m_charWidth;
    const long long y = static_cast<long long>(row) * m_lineHeight;
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    horizontal->setValue(static_cast<int>(follow(x, m_charWidth, size.width(), horizontal->value())));
    vertical->setValue(static_cast<int>(follow(y, m_lineHeight, size.height(), vertical->value())));
    // Note: measured from where the scroll bars ended up, so a position the
    // range could not reach still puts the caret on its character.
    m_caretX = static_cast<int>(x - horizontal->value());
    m_caretY = static_cast<int>(y - vertical->value());
    updateMicroFocus();
}

void CVantorView::Changed() {
    viewport()->update();
    emit EditStateChanged();
}

void CVantorView::PlayKey(EditorKey key, bool shift) {
    GetEditor().HandleKey(key, shift);
    if (key == EditorKey::Insert) emit OverwriteChanged(GetEditor().IsOverwrite());
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

bool CVantorView::TypeText(const QString& text) {
    std::string bytes;
    if (!encoding::Utf8ToCp932Strict(text.toStdString(), bytes)) {
        QApplication::beep();
        return false;
    }
    CSQLEditor& editor = GetEditor();
    for (std::size_t index = 0; index < bytes.size();) {
        std::size_t length = cp932::CharLength(bytes, index);
        if (length == 1)
            editor.HandleChar(bytes[index]);
        else
            editor.InsertText(bytes.substr(index, length));
        index += length;
    }
    // Note: the range grows with the line, or the caret could not be
    // scrolled into view at the end of a long line.
    UpdateScrollSize();
    UpdateCaret();
    Changed();
    return true;
}

void CVantorView::keyPressEvent(QKeyEvent* event) {
    if (IsAccelerator(*event)) {
        event->accept();
        return;
    }
    if (const KeyRow* row = FindKey(event->key())) {
        PlayKey(row->key, event->modifiers().testFlag(Qt::ShiftModifier));
        event->accept();
        return;
    }
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !event->text().isEmpty()) {
        TypeText(event->text());
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool CVantorView::focusNextPrevChild(bool) {
    // Note: Tab belongs to the console (where it does nothing), not to
    // focus navigation.
    return false;
}

void CVantorView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) TypeText(event->commitString());
    event->accept();
}

QVariant CVantorView::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle) return QRect(m_caretX, m_caretY, 2, m_lineHeight);
    if (query == Qt::ImFont) return m_painter.GetFont();
    return QAbstractScrollArea::inputMethodQuery(query);
}

int CVantorView::ColumnAt(const QPoint& position) const {
    return (position.x() + horizontalScrollBar()->value()) / m_charWidth;
}

int CVantorView::RowAt(const QPoint& position) const {
    return (position.y() + verticalScrollBar()->value()) / m_lineHeight;
}

void CVantorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    const QPoint position = event->position().toPoint();
    if (position.y() >= m_caretY && position.y() <= m_caretY + m_lineHeight) {
        m_mouseDown = true;
        GetEditor().SetCaretColumn(ColumnAt(position), RowAt(position), false);
        GetEditor().MoveCaret(0, false);
    }
    UpdateCaret();
    Changed();
}

void CVantorView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_mouseDown) return;
    const QPoint position = event->position().toPoint();
    GetEditor().SetCaretColumn(ColumnAt(position), RowAt(position), true);
    UpdateCaret();
    Changed();
}

void CVantorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    m_mouseDown = false;
    event->accept();
}

void CVantorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CVantorView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    m_painter.PaintScreen(painter, GetEditor(), QRect(scroll, viewport()->size()));
    painter.resetTransform();
    if (hasFocus()) {
        // A caret 2 pixels wide, drawn inverted so it shows on a selection.
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(QRect(m_caretX, m_caretY, 2, m_lineHeight), Qt::black);
    }
}

bool CVantorView::CanUndo() const { return m_document.GetEditor()->CanUndo(); }

bool CVantorView::CanCutOrCopy() const { return m_document.GetEditor()->HasSelection(); }

bool CVantorView::CanPaste() const {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

void CVantorView::OnEditUndo() {
    if (!CanUndo()) return;
    GetEditor().Undo();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditClear() {
    GetEditor().Clear();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditCopy() {
    if (!CanCutOrCopy()) return;
    QApplication::clipboard()->setText(
        QString::fromStdString(encoding::Cp932ToUtf8(GetEditor().GetSelectedText())));
    GetEditor().ClearSelection();
    emit EditStateChanged();
}

void CVantorView::OnEditCut() {
    if (!CanCutOrCopy()) return;
    QApplication::clipboard()->setText(
        QString::fromStdString(encoding::Cp932ToUtf8(GetEditor().GetSelectedText())));
    GetEditor().DeleteForward();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditPaste() {
    QString text = QApplication::clipboard()->text();
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0) text.truncate(zero);
    CSQLEditor& editor = GetEditor();
    // Note: a character CP932 cannot hold is pasted as "?".
    if (!text.isEmpty()) editor.InsertText(encoding::Utf8ToCp932(text.toStdString()));
    editor.ClearSelection();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}
