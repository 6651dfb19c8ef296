#pragma once

#include <QAbstractScrollArea>
#include <QString>

#include "app/CConsolePainter.h"
#include "app/CTraceFile.h"
#include "console/CSQLEditor.h"

class CVantorDoc;

// The scrolling console window. It holds no text: it paints the document's
// console and turns keys, mouse actions and the Edit commands into calls on
// the console model.
class CVantorView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CVantorView(CVantorDoc& document, QWidget* parent = nullptr);

    CSQLEditor& GetEditor();
    const CConsolePainter& GetPainter() const { return m_painter; }

    // After every New and Open: scroll range, caret, repaint.
    void OnInitialUpdate();
    // Caret and repaint after the console changed behind the view's back.
    void Refresh();
    // One key of the key table, as if typed (Shift held when `shift`).
    void PlayKey(EditorKey key, bool shift);
    // Text typed or committed by an input method. Refused (false, nothing
    // changes) when a character cannot be held in CP932.
    bool TypeText(const QString& text);

    bool CanUndo() const;
    bool CanCutOrCopy() const;
    bool CanPaste() const;
    void OnEditUndo();
    void OnEditClear();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();

    int GetCaretX() const { return m_caretX; }
    int GetCaretY() const { return m_caretY; }
    int GetScrollWidth() const { return m_scrollWidth; }
    int GetScrollHeight() const { return m_scrollHeight; }
    bool IsMouseDown() const { return m_mouseDown; }

signals:
    // The overwrite mode after an Insert key.
    void OverwriteChanged(bool on);
    // Undo, Cut, Copy may have changed their availability.
    void EditStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void UpdateScrollSize();
    void UpdateCaret();
    void UpdateScrollBars();
    int ColumnAt(const QPoint& position) const;
    int RowAt(const QPoint& position) const;
    void Changed();

    CVantorDoc& m_document;
    CTraceFile m_trace;
    CConsolePainter m_painter;
    int m_charWidth = CConsolePainter::kCharWidth;
    int m_lineHeight = CConsolePainter::kLineHeight;
    int m_caretX = 0;
    int m_caretY = 0;
    bool m_mouseDown = false;
    int m_scrollWidth = 800;
    int m_scrollHeight = 1000;
};
