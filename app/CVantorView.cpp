#include "app/CVantorView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCharFormat>
#include <algorithm>
#include <climits>
#include <tuple>

#include "app/CResultTable.h"
#include "app/CVantorDoc.h"
#include "app/CommandTable.h"
#include "text/CScriptLines.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// Esc is repeated this often until the job has ended, so a statement that
// starts just after the first break is broken too.
constexpr int kCancelRepeatMs = 100;

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

// Brings a cell at `position` (extent `cell`) into a window of `extent`
// scrolled to `scroll` along one axis; returns the new scroll position.
long long Follow(long long position, int cell, int extent, int scroll) {
    if (position - scroll + cell > extent) return position + cell - extent;
    if (position - scroll < 0) return position;
    return scroll;
}

QString Unicode(const std::string& cp932Text) {
    return QString::fromStdString(encoding::Cp932ToUtf8(cp932Text));
}

}  // namespace

CVantorView::CVantorView(CVantorDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_runner(new CStatementRunner(this)) {
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
    connect(&m_blinkTimer, &QTimer::timeout, this, &CVantorView::Blink);
    m_cancelTimer.setInterval(kCancelRepeatMs);
    connect(&m_cancelTimer, &QTimer::timeout, this, [this] { GetEditor().Cancel(); });
    connect(m_runner, &CStatementRunner::Started, this, &CVantorView::RunStarted);
    connect(m_runner, &CStatementRunner::Finished, this, &CVantorView::OnRunFinished);
    GetEditor().SetStopCheck([this] {
        PublishProgress();
        return IsCancelRequested();
    });
    SyncSnapshot();
    UpdateScrollBars();
}

CVantorView::~CVantorView() {
    // Note: the console outlives the view; it must not call back into it.
    GetEditor().SetStopCheck({});
    if (m_question) m_question->Give(false, std::string());
}

CSQLEditor& CVantorView::GetEditor() { return *m_document.GetEditor(); }

void CVantorView::SyncSnapshot() {
    std::lock_guard lock(m_snapshot.Mutex());
    m_snapshot.Sync(GetEditor(), true);
}

void CVantorView::OnInitialUpdate() {
    m_trace.Write("OnUpdate");
    m_selection.Clear();
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    viewport()->update();
    m_trace.Write("OnInitialUpdate()");
    emit EditStateChanged();
}

void CVantorView::Refresh() {
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

void CVantorView::UpdateScrollSize() {
    m_trace.Write("UpdateScrollSize()");
    long long lines = 0;
    long long columns = 0;
    {
        std::lock_guard lock(m_snapshot.Mutex());
        lines = m_snapshot.GetLineCount();
        // Note: the input line with its prompt, the composition and the
        // caret's cell after them always fit, so the caret can be scrolled
        // into view.
        const long long input =
            static_cast<long long>(m_snapshot.GetLine(m_snapshot.GetLineCount() - 1).size()) +
            CConsolePainter::TextCells(m_preedit) + 1;
        columns = std::max<long long>(m_snapshot.GetMaxWidth(), input);
    }
    if (lines * m_lineHeight > m_scrollHeight)
        m_scrollHeight = static_cast<int>(std::min<long long>(lines * m_lineHeight + 1000, INT_MAX / 2));
    if (columns * m_charWidth > m_scrollWidth)
        m_scrollWidth = static_cast<int>(std::min<long long>(columns * m_charWidth + 100, INT_MAX / 2));
    UpdateScrollBars();
}

void CVantorView::UpdateScrollBars() {
    const QSize size = viewport()->size();
    horizontalScrollBar()->setPageStep(size.width());
    horizontalScrollBar()->setRange(0, std::max(0, m_scrollWidth - size.width()));
    verticalScrollBar()->setPageStep(size.height());
    verticalScrollBar()->setRange(0, std::max(0, m_scrollHeight - size.height()));
}

int CVantorView::PreeditCursorCells() const {
    return m_preedit.isEmpty() ? 0 : CConsolePainter::TextCells(m_preedit.left(m_preeditCursor));
}

void CVantorView::UpdateCaret() {
    {
        std::lock_guard lock(m_snapshot.Mutex());
        std::tie(m_caretColumn, m_caretRow) = m_snapshot.GetCaretPos();
    }
    const QSize size = viewport()->size();
    const long long x = static_cast<long long>(m_caretColumn + PreeditCursorCells()) * m_charWidth;
    const long long y = static_cast<long long>(m_caretRow) * m_lineHeight;
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    // Note: while the caret's cell fits the window from its left edge, the
    // view shows column 0, so the prompt is never scrolled out of sight.
    // The composition's end is brought into view first, then the caret, so
    // moving between segments near the right edge keeps them in sight.
    const long long end =
        static_cast<long long>(m_caretColumn + CConsolePainter::TextCells(m_preedit)) * m_charWidth;
    long long sx =
        end + m_charWidth <= size.width() ? 0 : Follow(end, m_charWidth, size.width(), horizontal->value());
    if (x + m_charWidth > size.width() || sx > 0)
        sx = Follow(x, m_charWidth, size.width(), static_cast<int>(sx));
    horizontal->setValue(static_cast<int>(sx));
    vertical->setValue(static_cast<int>(Follow(y, m_lineHeight, size.height(), vertical->value())));
    RestartBlink();
    updateMicroFocus();
}

int CVantorView::GetCaretX() const {
    return (m_caretColumn + PreeditCursorCells()) * m_charWidth - horizontalScrollBar()->value();
}

int CVantorView::GetCaretY() const { return m_caretRow * m_lineHeight - verticalScrollBar()->value(); }

QRect CVantorView::CaretRect() const { return QRect(GetCaretX(), GetCaretY(), 2, m_lineHeight); }

bool CVantorView::IsCaretShown() const {
    if (!m_preedit.isEmpty() && m_preeditCaretHidden) return false;
    return m_focused && m_caretOn && CaretRect().intersects(viewport()->rect());
}

bool CVantorView::CaretRowInView(int height) const {
    const int top = GetCaretY();
    return top >= 0 && top + m_lineHeight <= height;
}

void CVantorView::RestartBlink() {
    m_caretOn = true;
    const int flash = QApplication::cursorFlashTime();
    // Note: a flash time of 0 or less means a caret that does not blink.
    if (m_focused && flash > 0)
        m_blinkTimer.start(flash / 2);
    else
        m_blinkTimer.stop();
    viewport()->update(CaretRect());
}

void CVantorView::Blink() {
    m_caretOn = !m_caretOn;
    viewport()->update(CaretRect());
}

void CVantorView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_focused = true;
    RestartBlink();
}

void CVantorView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_focused = false;
    // Note: a composition interrupted by a dialog or another window never
    // comes back later.
    ResetComposition();
    m_blinkTimer.stop();
    viewport()->update(CaretRect());
}

void CVantorView::scrollContentsBy(int, int) {
    // Note: the caret is drawn with its line, so the whole window repaints.
    viewport()->update();
    updateMicroFocus();
}

void CVantorView::Changed() {
    viewport()->update();
    emit EditStateChanged();
}

void CVantorView::PlayKey(EditorKey key, bool shift) {
    if (IsRunning()) {
        QApplication::beep();
        return;
    }
    DropConsoleSelection();
    if (key == EditorKey::Enter) {
        RunJob([](CSQLEditor& editor) { editor.HandleKey(EditorKey::Enter, false); });
        return;
    }
    GetEditor().HandleKey(key, shift);
    if (key == EditorKey::Insert) emit OverwriteChanged(GetEditor().IsOverwrite());
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

bool CVantorView::TypeText(const QString& text) {
    std::string bytes;
    if ((IsRunning() && !IsAsking()) || !encoding::Utf8ToCp932Strict(text.toStdString(), bytes)) {
        QApplication::beep();
        return false;
    }
    DropConsoleSelection();
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
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
    return true;
}

bool CVantorView::RunJob(const std::function<void(CSQLEditor&)>& job) {
    if (IsRunning()) {
        QApplication::beep();
        return false;
    }
    m_cancelRequested = false;
    m_preedit.clear();
    CSQLEditor& editor = GetEditor();
    return m_runner->Run([&job, &editor] { job(editor); });
}

void CVantorView::PublishProgress() {
    if (!m_runner->IsWorkerThread()) return;
    // Note: every line is published, not only now and then: the line
    // before a long statement must be on screen while it runs.
    {
        std::lock_guard lock(m_snapshot.Mutex());
        m_snapshot.Sync(GetEditor(), false);
    }
    if (!m_progressPosted.exchange(true))
        QMetaObject::invokeMethod(this, &CVantorView::OnProgress, Qt::QueuedConnection);
}

std::vector<std::string> CVantorView::GetShownLines() {
    std::lock_guard lock(m_snapshot.Mutex());
    std::vector<std::string> lines;
    for (int i = 0; i < m_snapshot.GetLineCount(); ++i) lines.push_back(m_snapshot.GetLine(i));
    return lines;
}

void CVantorView::InvalidateSnapshot() {
    std::lock_guard lock(m_snapshot.Mutex());
    m_snapshot.Invalidate();
}

void CVantorView::OnProgress() {
    m_progressPosted = false;
    if (!IsRunning()) return;
    // Note: the view follows the output only while the caret's row was in
    // view, so a user reading further up is not pulled down.
    const bool follow = CaretRowInView(viewport()->height());
    UpdateScrollSize();
    if (follow) UpdateCaret();
    viewport()->update();
}

void CVantorView::OnRunFinished() {
    m_cancelTimer.stop();
    // Note: a submission cut short by Esc leaves no half-collected statement
    // behind to swallow the next line.
    if (m_cancelRequested) GetEditor().GetProcessor().Reset();
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
    emit RunFinished();
}

void CVantorView::CancelRun() {
    if (!IsRunning()) return;
    m_cancelRequested = true;
    FinishQuestion(false);
    GetEditor().Cancel();
    m_cancelTimer.start();
}

bool CVantorView::AskOnInputLine(const std::string& prompt, bool hidden, std::string& answer) {
    auto wait = std::make_shared<CAnswerWait>();
    if (m_runner->IsWorkerThread()) {
        QMetaObject::invokeMethod(
            this, [this, wait, prompt, hidden] { StartQuestion(wait, prompt, hidden); },
            Qt::QueuedConnection);
        return wait->Wait(answer);
    }
    StartQuestion(wait, prompt, hidden);
    if (!wait->IsDone()) {
        QEventLoop loop;
        m_questionLoop = &loop;
        loop.exec();
        m_questionLoop = nullptr;
    }
    return wait->Wait(answer);
}

void CVantorView::StartQuestion(const std::shared_ptr<CAnswerWait>& wait, const std::string& prompt,
                                bool hidden) {
    // Note: a question that comes after Esc was pressed goes unanswered.
    if (m_question || (IsRunning() && m_cancelRequested)) return wait->Give(false, std::string());
    ResetComposition();
    DropConsoleSelection();
    m_question = wait;
    GetEditor().BeginQuestion(prompt, hidden);
    setFocus();
    InputChanged();
    emit AskingChanged(true);
}

void CVantorView::FinishQuestion(bool answered) {
    if (!m_question) return;
    const std::shared_ptr<CAnswerWait> wait = std::move(m_question);
    m_question = nullptr;
    ResetComposition();
    CSQLEditor& editor = GetEditor();
    // Note: the question stays on screen with its answer (alone when
    // hidden) while the statement goes on; its output repeats the line.
    std::string shown = editor.GetLine(editor.GetLineCount() - 1);
    if (editor.IsAnswerHidden()) shown.resize(static_cast<std::size_t>(editor.GetPromptLength()));
    std::string answer = editor.EndQuestion();
    {
        std::lock_guard lock(m_snapshot.Mutex());
        if (answered && IsRunning()) m_snapshot.AddPending(shown, editor.GetLineCount() - 1);
        m_snapshot.Sync(editor, !IsRunning());
    }
    UpdateScrollSize();
    UpdateCaret();
    Changed();
    emit AskingChanged(false);
    // Note: from here on the console is the asker's again.
    wait->Give(answered, std::move(answer));
    if (m_questionLoop != nullptr) m_questionLoop->quit();
}

void CVantorView::InputChanged() {
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

void CVantorView::QuestionKey(const QKeyEvent& event) {
    const bool command = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event.key() == Qt::Key_Escape) {
        if (IsRunning()) return CancelRun();
        return FinishQuestion(false);
    }
    const KeyRow* row = FindKey(event.key());
    if (row != nullptr && row->key == EditorKey::Enter) return FinishQuestion(true);
    // Note: the recall list is not offered for an answer.
    if (row != nullptr && row->key != EditorKey::Up && row->key != EditorKey::Down) {
        GetEditor().HandleKey(row->key, event.modifiers().testFlag(Qt::ShiftModifier));
        if (row->key == EditorKey::Insert) emit OverwriteChanged(GetEditor().IsOverwrite());
        return InputChanged();
    }
    if (row == nullptr && !command && !event.text().isEmpty()) {
        TypeText(event.text());
        return;
    }
    QApplication::beep();
}

void CVantorView::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (IsAccelerator(*event)) return;
    if (IsAsking()) return QuestionKey(*event);
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const KeyRow* row = FindKey(event->key());
    if (IsRunning()) {
        if (event->key() == Qt::Key_Escape)
            CancelRun();
        else if (row != nullptr || (!command && !event->text().isEmpty()))
            QApplication::beep();
        return;
    }
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (m_historySearch.active && SearchHistoryKey(*event)) return;
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_R)) {
        m_historySearch = {true, {}, GetEditor().GetLine(GetEditor().GetLineCount() - 1).substr(5), 0};
        m_historySearch.found = GetEditor().GetHistory().size();
        emit StatusNote(QString::fromUtf8("履歴を検索: "));
        return;
    }
    if (shift && !command && SelectsOverConsole(event->key())) return;
    if (event->key() == Qt::Key_Escape && !command && !shift) return ClearInputLine();
    if (event->key() == Qt::Key_Tab && !command && !shift) return Complete();
    if (row != nullptr) return PlayKey(row->key, shift);
    if (!command && !event->text().isEmpty()) {
        TypeText(event->text());
        return;
    }
    event->ignore();
    QAbstractScrollArea::keyPressEvent(event);
}

void CVantorView::ClearInputLine() {
    DropConsoleSelection();
    CSQLEditor& editor = GetEditor();
    if (editor.GetLine(editor.GetLineCount() - 1).size() > 5) {
        // Note: as one edit, so that Undo brings the line back.
        editor.MoveCaretHome(false);
        editor.MoveCaretEnd(true);
        editor.DeleteForward();
    }
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

bool CVantorView::focusNextPrevChild(bool) {
    // Note: Tab belongs to the console (where it does nothing), not to
    // focus navigation.
    return false;
}

void CVantorView::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
    if (IsRunning() && !IsAsking()) {
        if (!event->commitString().isEmpty()) QApplication::beep();
        m_preedit.clear();
        return;
    }
    if (!event->commitString().isEmpty()) {
        m_preedit.clear();
        TypeText(event->commitString());
    }
    ReadComposition(*event);
    UpdateScrollSize();
    UpdateCaret();
    viewport()->update();
}

void CVantorView::ReadComposition(const QInputMethodEvent& event) {
    m_preedit = event.preeditString();
    m_preeditCursor = static_cast<int>(m_preedit.size());
    m_preeditCaretHidden = false;
    m_preeditSegments.clear();
    for (const auto& attribute : event.attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            m_preeditCursor = std::clamp(attribute.start, 0, static_cast<int>(m_preedit.size()));
            m_preeditCaretHidden = attribute.length == 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(attribute.value).toCharFormat();
            CConsolePainter::PreeditSegment segment{attribute.start, attribute.length, {}, {}};
            if (format.background().style() != Qt::NoBrush) segment.background = format.background().color();
            if (format.foreground().style() != Qt::NoBrush) segment.foreground = format.foreground().color();
            m_preeditSegments.push_back(segment);
        }
    }
}

void CVantorView::ResetComposition() {
    if (m_preedit.isEmpty()) return;
    m_preedit.clear();
    m_preeditSegments.clear();
    QGuiApplication::inputMethod()->reset();
    UpdateScrollSize();
    UpdateCaret();
    viewport()->update();
}

QVariant CVantorView::inputMethodQuery(Qt::InputMethodQuery query) const {
    const QPoint origin = viewport()->pos();
    switch (query) {
        case Qt::ImEnabled:
            // Note: a hidden answer is typed without an input method, whose
            // windows would show it.
            return IsAsking() ? !m_document.GetEditor()->IsAnswerHidden() : !IsRunning();
        case Qt::ImCursorRectangle:
            return CaretRect().translated(origin);
        case Qt::ImFont:
            return m_painter.GetFont();
        case Qt::ImHints:
            return static_cast<int>(IsAsking() && m_document.GetEditor()->IsAnswerHidden()
                                        ? Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText
                                        : Qt::ImhNone);
        default:
            break;
    }
    if (IsRunning() && !IsAsking()) return QAbstractScrollArea::inputMethodQuery(query);
    const CSQLEditor& editor = *m_document.GetEditor();
    const std::string line = editor.GetLine(editor.GetLineCount() - 1);
    const int kPrompt = editor.GetPromptLength();
    const std::string input = line.substr(std::min<std::size_t>(kPrompt, line.size()));
    const auto prefix = [&](int column) {
        const auto bytes =
            static_cast<std::size_t>(std::clamp(column - kPrompt, 0, static_cast<int>(input.size())));
        return static_cast<int>(Unicode(input.substr(0, bytes)).size());
    };
    const int caret = prefix(editor.GetCaretPos().first);
    switch (query) {
        case Qt::ImSurroundingText:
            return Unicode(input);
        case Qt::ImCursorPosition:
            return caret;
        case Qt::ImAnchorPosition: {
            const int selected = static_cast<int>(Unicode(editor.GetSelectedText()).size());
            if (selected == 0) return caret;
            return editor.IsSelected(editor.GetCaretPos().first) ? caret + selected : caret - selected;
        }
        case Qt::ImCurrentSelection:
            return Unicode(editor.GetSelectedText());
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

int CVantorView::ColumnAt(const QPoint& position) const {
    return (position.x() + horizontalScrollBar()->value()) / m_charWidth;
}

int CVantorView::RowAt(const QPoint& position) const {
    return (position.y() + verticalScrollBar()->value()) / m_lineHeight;
}

CConsoleSelection::Point CVantorView::PointAt(const QPoint& position) const {
    const int row = std::clamp(RowAt(position), 0, m_snapshot.GetLineCount() - 1);
    return {row, (position.x() + horizontalScrollBar()->value() + m_charWidth / 2) / m_charWidth};
}

std::string CVantorView::ShownLine(int row) {
    std::lock_guard lock(m_snapshot.Mutex());
    return m_snapshot.GetLine(row);
}

int CVantorView::InputRow() {
    std::lock_guard lock(m_snapshot.Mutex());
    return m_snapshot.GetLineCount() - 1;
}

void CVantorView::DropConsoleSelection() {
    if (!m_selection.IsActive()) return;
    m_selection.Clear();
    viewport()->update();
}

void CVantorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || IsRunning()) return QAbstractScrollArea::mousePressEvent(event);
    const QPoint position = event->position().toPoint();
    m_mouseDown = true;
    if (event->modifiers().testFlag(Qt::ShiftModifier)) {
        if (!m_selection.IsActive()) m_selection.Start({m_caretRow, m_caretColumn}, ShownLine(m_caretRow));
        DragTo(position);
        return;
    }
    const int caretY = GetCaretY();
    if (position.y() >= caretY && position.y() <= caretY + m_lineHeight) {
        GetEditor().SetCaretColumn(ColumnAt(position), RowAt(position), false);
        GetEditor().MoveCaret(0, false);
        SyncSnapshot();
        UpdateCaret();
        m_selection.Start({m_caretRow, m_caretColumn}, ShownLine(m_caretRow));
    } else {
        const auto point = PointAt(position);
        m_selection.Start(point, ShownLine(point.row));
    }
    Changed();
}

void CVantorView::DragTo(const QPoint& position) {
    const auto point = PointAt(position);
    const int input = InputRow();
    m_selection.Extend(point, ShownLine(point.row));
    if (m_selection.GetAnchor().row == input && point.row == input) {
        // Within the input line the line's own selection holds it, so that
        // cut, delete and typing act on it.
        GetEditor().SetCaretColumn(ColumnAt(position), point.row, true);
        m_selection.Start(m_selection.GetAnchor(), ShownLine(input));
    } else {
        GetEditor().ClearSelection();
    }
    SyncSnapshot();
    UpdateCaret();
    Changed();
}

void CVantorView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_mouseDown || IsRunning()) return;
    DragTo(event->position().toPoint());
}

bool CVantorView::SelectsOverConsole(int key) {
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    const bool sideways = key == Qt::Key_Left || key == Qt::Key_Right;
    if (IsRunning() || !(vertical || (sideways && !m_selection.IsEmpty()))) return false;
    const int step = key == Qt::Key_Up || key == Qt::Key_Left ? -1 : 1;
    ExtendSelection(vertical ? step : 0, vertical ? 0 : step);
    return true;
}

void CVantorView::ExtendSelection(int rows, int steps) {
    if (m_selection.IsEmpty()) m_selection.Start({m_caretRow, m_caretColumn}, ShownLine(m_caretRow));
    GetEditor().ClearSelection();
    auto end = m_selection.GetEnd();
    end.row = std::clamp(end.row + rows, 0, InputRow());
    const std::string line = ShownLine(end.row);
    if (steps > 0 && end.column < static_cast<int>(line.size()))
        end.column += static_cast<int>(
            std::max<std::size_t>(1, cp932::CharLength(line, static_cast<std::size_t>(end.column))));
    else if (steps < 0)
        end.column = CConsoleSelection::Snap(line, end.column - 1);
    m_selection.Extend(end, line);
    // The selection's free end is kept in view.
    QScrollBar* vertical = verticalScrollBar();
    vertical->setValue(static_cast<int>(Follow(static_cast<long long>(end.row) * m_lineHeight, m_lineHeight,
                                               viewport()->height(), vertical->value())));
    SyncSnapshot();
    Changed();
}

void CVantorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    m_mouseDown = false;
    event->accept();
}

void CVantorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QSize size = viewport()->size();
    if (size == m_viewportSize) return UpdateScrollBars();
    // Note: an input line that was in view stays in view when the window
    // shrinks or grows.
    const bool wasInView = m_viewportSize.isValid() && CaretRowInView(m_viewportSize.height());
    const bool grew = m_viewportSize.isValid() && size.height() > m_viewportSize.height();
    m_viewportSize = size;
    UpdateScrollBars();
    if (!wasInView) return;
    // Note: a window that grows shows earlier lines above the input line,
    // which stays at the bottom.
    if (grew) {
        const long long bottom = static_cast<long long>(m_caretRow + 1) * m_lineHeight;
        verticalScrollBar()->setValue(static_cast<int>(std::max<long long>(0, bottom - size.height())));
    }
    UpdateCaret();
}

void CVantorView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    {
        std::lock_guard lock(m_snapshot.Mutex());
        CConsolePainter::Preedit preedit{m_preedit, m_caretColumn, m_preeditSegments};
        m_painter.PaintScreen(painter, m_snapshot, QRect(scroll, viewport()->size()), preedit,
                              m_selection.IsEmpty() ? nullptr : &m_selection);
    }
    painter.resetTransform();
    if (IsCaretShown()) {
        // A caret 2 pixels wide, drawn inverted so it shows on a selection.
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(CaretRect(), Qt::black);
    }
}

bool CVantorView::CanUndo() const {
    return (!IsRunning() || IsAsking()) && m_document.GetEditor()->CanUndo();
}

bool CVantorView::CanCutOrCopy() const {
    return (!IsRunning() || IsAsking()) && m_document.GetEditor()->HasSelection();
}

bool CVantorView::CanCopy() const { return CanCutOrCopy() || (!IsRunning() && !m_selection.IsEmpty()); }

bool CVantorView::CanPaste() const {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return (!IsRunning() || IsAsking()) && data != nullptr && data->hasText();
}

void CVantorView::OnEditUndo() {
    if (!CanUndo()) return;
    GetEditor().Undo();
    SyncSnapshot();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditClear() {
    if (IsRunning()) return;
    m_selection.Clear();
    GetEditor().Clear();
    InvalidateSnapshot();
    SyncSnapshot();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditCopy() {
    if (!IsRunning() && !m_selection.IsEmpty()) {
        const std::string text =
            m_selection.Text([this](int row, std::string& line) { line = ShownLine(row); });
        QApplication::clipboard()->setText(Unicode(text));
        return;
    }
    if (!CanCutOrCopy()) return;
    QApplication::clipboard()->setText(Unicode(GetEditor().GetSelectedText()));
    GetEditor().ClearSelection();
    SyncSnapshot();
    emit EditStateChanged();
}

void CVantorView::OnEditCut() {
    if (!CanCutOrCopy()) return;
    QApplication::clipboard()->setText(Unicode(GetEditor().GetSelectedText()));
    GetEditor().DeleteForward();
    SyncSnapshot();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditPaste() {
    if (IsAsking()) {
        // An answer is one line: the text up to the first line break.
        const QString text =
            QApplication::clipboard()->text().section(QRegularExpression("[\\r\\n\\x{0}]"), 0, 0);
        GetEditor().InsertText(encoding::Utf8ToCp932(text.toStdString()));
        return InputChanged();
    }
    if (IsRunning()) return;
    QString text = QApplication::clipboard()->text();
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0) text.truncate(zero);
    // Note: a character CP932 cannot hold is pasted as "?".
    CScriptLines lines;
    lines.AppendText(encoding::Utf8ToCp932(text.toStdString()));
    const bool ended = text.endsWith(QLatin1Char('\n'));
    // A pasted line break submits the line as Enter would; the text after
    // the last one stays on the input line.
    std::string rest = ended || lines.empty() ? std::string() : lines.back();
    if (!ended && !lines.empty()) lines.pop_back();
    if (!lines.empty()) {
        RunJob([this, &lines](CSQLEditor& editor) {
            for (const auto& line : lines) {
                if (IsCancelRequested()) return;
                editor.InsertText(line);
                editor.Submit();
            }
        });
        if (IsCancelRequested()) rest.clear();
    }
    CSQLEditor& editor = GetEditor();
    if (!rest.empty()) editor.InsertText(rest);
    editor.ClearSelection();
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

void CVantorView::OnEditSelectAll() {
    if (IsRunning()) return;
    const int last = InputRow();
    m_selection.Start({0, 0}, ShownLine(0));
    m_selection.Extend({last, static_cast<int>(ShownLine(last).size())}, ShownLine(last));
    GetEditor().ClearSelection();
    SyncSnapshot();
    Changed();
}

bool CVantorView::CopyResultAsTable(int row) {
    const std::string table =
        CResultTable::CopyAt([this](int r) { return ShownLine(r); }, InputRow() + 1, row);
    if (table.empty()) return false;
    QApplication::clipboard()->setText(Unicode(table));
    return true;
}

QMenu* CVantorView::CreateContextMenu(int row) {
    auto* menu = new QMenu(this);
    const auto add = [menu](const char* label, bool enabled, auto slot) {
        QAction* action = menu->addAction(QString::fromUtf8(label));
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, menu, slot);
    };
    add("ｺﾋﾟｰ(&C)", CanCopy(), [this] { OnEditCopy(); });
    add("貼り付け(&P)", CanPaste(), [this] { OnEditPaste(); });
    menu->addSeparator();
    add("すべて選択(&A)", !IsRunning(), [this] { OnEditSelectAll(); });
    const bool table =
        !IsRunning() &&
        !CResultTable::CopyAt([this](int r) { return ShownLine(r); }, InputRow() + 1, row).empty();
    add("結果を表としてｺﾋﾟｰ(&T)", table, [this, row] { CopyResultAsTable(row); });
    return menu;
}

void CVantorView::contextMenuEvent(QContextMenuEvent* event) {
    const int row = event->reason() == QContextMenuEvent::Mouse ? RowAt(event->pos()) : m_caretRow;
    QMenu* menu = CreateContextMenu(row);
    menu->exec(event->globalPos());
    delete menu;
}

namespace {

// The first match of `needle` in `line` at or after `from` that starts at
// a character's start (a trail byte may read as an ASCII letter); npos when
// there is none. Both are upper-cased already.
std::size_t FindInLine(const std::string& line, const std::string& needle, std::size_t from) {
    std::size_t index = 0;
    while (index < line.size()) {
        if (index >= from && line.compare(index, needle.size(), needle) == 0) return index;
        index += std::max<std::size_t>(1, cp932::CharLength(line, index));
    }
    return std::string::npos;
}

}  // namespace

bool CVantorView::FindNext(const QString& text) {
    std::string needle;
    if (IsRunning() || text.isEmpty() || !encoding::Utf8ToCp932Strict(text.toStdString(), needle)) {
        QApplication::beep();
        return false;
    }
    needle = cp932::ToUpper(needle);
    const int count = InputRow() + 1;
    CConsoleSelection::Point start{m_caretRow, m_caretColumn};
    if (m_selection.IsActive()) start = m_selection.High();
    for (int step = 0; step <= count; ++step) {
        const int row = (start.row + step) % count;
        const std::string line = cp932::ToUpper(ShownLine(row));
        const std::size_t from = step == 0 ? static_cast<std::size_t>(start.column) : 0;
        const std::size_t found = FindInLine(line, needle, from);
        if (found == std::string::npos) continue;
        const int column = static_cast<int>(found);
        m_selection.Start({row, column}, line);
        m_selection.Extend({row, column + static_cast<int>(needle.size())}, line);
        GetEditor().ClearSelection();
        QScrollBar* vertical = verticalScrollBar();
        vertical->setValue(static_cast<int>(Follow(static_cast<long long>(row) * m_lineHeight, m_lineHeight,
                                                   viewport()->height(), vertical->value())));
        QScrollBar* horizontal = horizontalScrollBar();
        const long long right =
            static_cast<long long>(column + static_cast<int>(needle.size())) * m_charWidth;
        horizontal->setValue(
            static_cast<int>(Follow(right, m_charWidth, viewport()->width(), horizontal->value())));
        horizontal->setValue(static_cast<int>(Follow(static_cast<long long>(column) * m_charWidth,
                                                     m_charWidth, viewport()->width(), horizontal->value())));
        SyncSnapshot();
        Changed();
        return true;
    }
    QApplication::beep();
    return false;
}

void CVantorView::Complete() {
    if (IsRunning()) return;
    DropConsoleSelection();
    CSQLEditor& editor = GetEditor();
    const std::string line = editor.GetLine(editor.GetLineCount() - 1);
    constexpr int kPrompt = 5;
    const std::string input = line.substr(std::min<std::size_t>(kPrompt, line.size()));
    const int caret = editor.GetCaretPos().first - kPrompt;
    m_completion.SetNames(CCompletion::ReadNames(editor.GetDatabase()));
    const CCompletion::Result result = m_completion.Complete(input, caret);
    if (!result.insertion.empty()) {
        m_lastTab.clear();
        editor.InsertText(result.insertion);
        SyncSnapshot();
        UpdateScrollSize();
        UpdateCaret();
        Changed();
        return;
    }
    const std::string state = input + '\0' + std::to_string(caret);
    if (result.candidates.size() < 2 || m_lastTab != state) {
        m_lastTab = result.candidates.size() < 2 ? std::string() : state;
        QApplication::beep();
        return;
    }
    m_lastTab.clear();
    ShowCompletionList(result);
}

void CVantorView::ShowCompletionList(const CCompletion::Result& result) {
    delete m_completionMenu;
    m_completionMenu = new QMenu(this);
    const std::size_t typed = result.word.size();
    for (const auto& candidate : result.candidates) {
        QAction* action = m_completionMenu->addAction(Unicode(candidate));
        const std::string rest = candidate.substr(typed);
        connect(action, &QAction::triggered, this, [this, rest] {
            if (IsRunning()) return;
            GetEditor().InsertText(rest);
            SyncSnapshot();
            UpdateScrollSize();
            UpdateCaret();
            Changed();
        });
    }
    const QPoint below(GetCaretX() - static_cast<int>(typed) * m_charWidth, GetCaretY() + m_lineHeight);
    m_completionMenu->popup(viewport()->mapToGlobal(below));
}

QStringList CVantorView::GetCompletionList() const {
    QStringList items;
    if (m_completionMenu == nullptr) return items;
    for (const QAction* action : m_completionMenu->actions()) items << action->text();
    return items;
}

bool CVantorView::SearchHistoryKey(const QKeyEvent& event) {
    const bool command = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    HistorySearch& search = m_historySearch;
    // Note: a modifier pressed on its own (Ctrl before R) changes nothing.
    constexpr Qt::Key kModifierKeys[] = {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta};
    if (std::find(std::begin(kModifierKeys), std::end(kModifierKeys), event.key()) != std::end(kModifierKeys))
        return true;
    if (event.keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_R)) {
        SearchHistory(search.found);
        return true;
    }
    if (event.key() == Qt::Key_Escape) {
        EndHistorySearch(false);
        return true;
    }
    if (event.key() == Qt::Key_Backspace && !search.text.empty()) {
        search.text.erase(CConsoleSelection::Snap(search.text, static_cast<int>(search.text.size()) - 1));
        SearchHistory(GetEditor().GetHistory().size());
        return true;
    }
    std::string bytes;
    if (!command && event.key() != Qt::Key_Backspace && !event.text().isEmpty() &&
        event.text().at(0).unicode() >= 32 &&
        encoding::Utf8ToCp932Strict(event.text().toStdString(), bytes)) {
        search.text += bytes;
        SearchHistory(GetEditor().GetHistory().size());
        return true;
    }
    // Any other key takes the entry found and goes on as usual.
    EndHistorySearch(true);
    return false;
}

void CVantorView::SearchHistory(std::size_t before) {
    HistorySearch& search = m_historySearch;
    const CScriptLines& history = GetEditor().GetHistory();
    std::size_t index = std::min(before, history.size());
    while (index > 0) {
        --index;
        if (search.text.empty() || FindInLine(history[index], search.text, 0) != std::string::npos) {
            search.found = index;
            ReplaceInput(history[index]);
            emit StatusNote(QString::fromUtf8("履歴を検索: ") + Unicode(search.text));
            return;
        }
    }
    QApplication::beep();
    emit StatusNote(QString::fromUtf8("履歴を検索 (見つかりません): ") + Unicode(search.text));
}

void CVantorView::EndHistorySearch(bool keep) {
    if (!keep) ReplaceInput(m_historySearch.original);
    m_historySearch = {};
    emit StatusNote(QString());
}

void CVantorView::ReplaceInput(const std::string& text) {
    CSQLEditor& editor = GetEditor();
    editor.MoveCaretHome(false);
    editor.MoveCaretEnd(true);
    editor.DeleteForward();
    editor.InsertText(text);
    SyncSnapshot();
    UpdateScrollSize();
    UpdateCaret();
    Changed();
}

void CVantorView::SetZoom(int step, const QString& family) {
    m_zoom = std::clamp(step, 0, static_cast<int>(std::size(kZoomHeights)) - 1);
    m_family = family;
    m_lineHeight = kZoomHeights[m_zoom];
    m_charWidth = m_lineHeight / 2;
    m_painter = CConsolePainter(CConsolePainter::CreateFont(m_charWidth, m_lineHeight, family), m_charWidth,
                                m_lineHeight);
    horizontalScrollBar()->setSingleStep(m_charWidth);
    verticalScrollBar()->setSingleStep(m_lineHeight);
    // The scroll range is measured again in the new cells.
    m_scrollWidth = 800;
    m_scrollHeight = 1000;
    UpdateScrollSize();
    UpdateCaret();
    viewport()->update();
    updateMicroFocus();
}
