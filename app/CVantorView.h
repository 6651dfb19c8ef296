#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CAnswerWait.h"
#include "app/CCompletion.h"
#include "app/CConsolePainter.h"
#include "app/CConsoleSelection.h"
#include "app/CConsoleSnapshot.h"
#include "app/CStatementRunner.h"
#include "app/CTraceFile.h"
#include "console/CSQLEditor.h"

class CVantorDoc;
class QMenu;
class QEventLoop;
class QInputMethodEvent;

// The scrolling console window. It holds no text: it paints a snapshot of
// the document's console and turns keys, mouse actions and the Edit
// commands into calls on the console model. Submissions run on a worker
// thread (RunJob); meanwhile the view paints what the console has shown so
// far, ignores editing keys with a beep and cancels on Esc.
class CVantorView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CVantorView(CVantorDoc& document, QWidget* parent = nullptr);
    ~CVantorView() override;

    CSQLEditor& GetEditor();
    const CConsolePainter& GetPainter() const { return m_painter; }

    // After every New and Open: scroll range, caret, repaint.
    void OnInitialUpdate();
    // Caret and repaint after the console changed behind the view's back.
    void Refresh();
    // One key of the key table, as if typed (Shift held when `shift`).
    void PlayKey(EditorKey key, bool shift);
    // Text typed or committed by an input method. Refused (false, nothing
    // changes) when a character cannot be held in CP932 or a statement runs.
    bool TypeText(const QString& text);

    // Runs `job` on the console off this thread and returns when it has
    // ended (see CStatementRunner). False, with a beep, while one runs.
    bool RunJob(const std::function<void(CSQLEditor&)>& job);
    bool IsRunning() const { return m_runner->IsRunning(); }
    // Esc: breaks the running statement and stops the rest of the
    // submission (a question under way goes unanswered).
    void CancelRun();
    // Asks on the input line: `prompt` (CP932) stands in place of "SQL> ",
    // the answer is typed after it (one '*' a byte when `hidden`, and no
    // input method), Enter gives it; Esc, a cancel or closing gives false.
    // From the thread running a statement, which waits meanwhile, or from
    // the window's own, which serves its events meanwhile.
    bool AskOnInputLine(const std::string& prompt, bool hidden, std::string& answer);
    bool IsAsking() const { return m_question != nullptr; }
    bool IsCancelRequested() const { return m_cancelRequested; }
    // From the running job between lines: shows what the console holds now.
    void PublishProgress();
    // The console was emptied by the running job.
    void InvalidateSnapshot();
    CStatementRunner& GetRunner() { return *m_runner; }
    // The lines on screen (the input line last; "" while hidden).
    std::vector<std::string> GetShownLines();

    bool CanUndo() const;
    bool CanCutOrCopy() const;
    // Copy also takes a selection over the console's lines.
    bool CanCopy() const;
    bool CanPaste() const;
    void OnEditUndo();
    void OnEditClear();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();
    // Copies the query result shown around console line `row` as
    // tab-separated rows with their headings; false when there is none.
    bool CopyResultAsTable(int row);
    // The context menu for console line `row` (owned by the caller).
    QMenu* CreateContextMenu(int row);
    const CConsoleSelection& GetSelection() const { return m_selection; }
    // Finds `text` (ASCII letters in either case) after the selection or
    // the caret, going on from the top, then selects it and scrolls to it.
    // False, with a beep, when the console does not hold it.
    bool FindNext(const QString& text);
    // Zoom: line heights of the steps; step kDefaultZoom is the usual 16.
    static constexpr int kZoomHeights[] = {10, 12, 14, 16, 18, 20, 24, 28, 32};
    static constexpr int kDefaultZoom = 3;
    // Cells of the zoom step (clamped) in `family` ("": the usual font); a
    // double-byte character still takes exactly two cells.
    void SetZoom(int step, const QString& family);
    int GetZoom() const { return m_zoom; }
    const QString& GetFontFamily() const { return m_family; }
    int GetCharWidth() const { return m_charWidth; }
    int GetLineHeight() const { return m_lineHeight; }
    // Tab: completes the word before the caret; when nothing can be added,
    // a second Tab lists the candidates under the input line.
    void Complete();
    // Ctrl+R: searches the history backwards for the text typed since.
    bool IsSearchingHistory() const { return m_historySearch.active; }
    // The candidates of the list shown last (empty: none shown).
    QStringList GetCompletionList() const;

    // The caret in viewport coordinates, following the scroll position.
    int GetCaretX() const;
    int GetCaretY() const;
    // True while the caret is drawn: focus, blink phase and its line in view.
    bool IsCaretShown() const;
    int GetScrollWidth() const { return m_scrollWidth; }
    int GetScrollHeight() const { return m_scrollHeight; }
    bool IsMouseDown() const { return m_mouseDown; }
    const QString& GetPreedit() const { return m_preedit; }

signals:
    // A note for the status bar (empty: the usual text again).
    void StatusNote(const QString& text);
    // The overwrite mode after an Insert key.
    void OverwriteChanged(bool on);
    // Undo, Cut, Copy may have changed their availability.
    void EditStateChanged();
    void RunStarted();
    void RunFinished();
    // A question was put on the input line (true) or answered (false).
    void AskingChanged(bool asking);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    void SyncSnapshot();
    void UpdateScrollSize();
    void UpdateCaret();
    void UpdateScrollBars();
    int ColumnAt(const QPoint& position) const;
    int RowAt(const QPoint& position) const;
    // The nearest boundary between cells at `position`.
    CConsoleSelection::Point PointAt(const QPoint& position) const;
    // The shown text of console line `row` (the input line with its prompt).
    std::string ShownLine(int row);
    int InputRow();
    // Shift+arrows over the console: the selection's free end moves by
    // `rows` lines or `steps` characters.
    void ExtendSelection(int rows, int steps);
    // The console selection follows the pointer; within the input line it
    // is the input line's own selection.
    void DragTo(const QPoint& position);
    void DropConsoleSelection();
    // Esc while nothing runs: the input line is emptied.
    void ClearInputLine();
    void ShowCompletionList(const CCompletion::Result& result);
    // One key while the history is searched; false when it ends the search
    // and is to be handled as usual.
    bool SearchHistoryKey(const QKeyEvent& event);
    // Shows the newest entry older than `before` that holds the search text.
    void SearchHistory(std::size_t before);
    void EndHistorySearch(bool keep);
    void ReplaceInput(const std::string& text);
    // Shift with an arrow key: true when it moved the console selection.
    bool SelectsOverConsole(int key);
    void Changed();
    void RestartBlink();
    void Blink();
    QRect CaretRect() const;
    bool CaretRowInView(int height) const;
    int PreeditCursorCells() const;
    // Drops the composition under way and tells the input method so.
    void ResetComposition();
    // Takes the composition's text, segments and caret from the input method.
    void ReadComposition(const QInputMethodEvent& event);
    void OnProgress();
    void OnRunFinished();
    void StartQuestion(const std::shared_ptr<CAnswerWait>& wait, const std::string& prompt, bool hidden);
    // Gives the typed answer (or none) to the asker; the input line is the
    // console's own again.
    void FinishQuestion(bool answered);
    void QuestionKey(const QKeyEvent& event);
    // After an edit of the input line: the copy, the scroll range, the caret.
    void InputChanged();

    CVantorDoc& m_document;
    CTraceFile m_trace;
    CConsolePainter m_painter;
    CConsoleSnapshot m_snapshot;
    CStatementRunner* m_runner;
    int m_charWidth = CConsolePainter::kCharWidth;
    int m_lineHeight = CConsolePainter::kLineHeight;
    int m_zoom = kDefaultZoom;
    QString m_family;
    // The caret's cell in content coordinates (column, row).
    int m_caretColumn = 0;
    int m_caretRow = 0;
    bool m_mouseDown = false;
    CCompletion m_completion;
    // The input line and caret of the last Tab that added nothing.
    std::string m_lastTab;
    QMenu* m_completionMenu = nullptr;
    struct HistorySearch {
        bool active = false;
        std::string text;       // CP932
        std::string original;   // the input line before the search
        std::size_t found = 0;  // index of the entry shown (the history's size: none)
    } m_historySearch;
    CConsoleSelection m_selection;
    int m_scrollWidth = 800;
    int m_scrollHeight = 1000;
    QSize m_viewportSize;
    bool m_focused = false;
    bool m_caretOn = true;
    QTimer m_blinkTimer;
    QTimer m_cancelTimer;
    QString m_preedit;
    int m_preeditCursor = 0;
    bool m_preeditCaretHidden = false;
    std::vector<CConsolePainter::PreeditSegment> m_preeditSegments;
    std::atomic<bool> m_cancelRequested = false;
    // The question on the input line (null: none), and the loop that waits
    // for it on the window's thread.
    std::shared_ptr<CAnswerWait> m_question;
    QEventLoop* m_questionLoop = nullptr;
    std::atomic<bool> m_progressPosted = false;
};
