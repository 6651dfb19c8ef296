#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "interpreter/CConsoleHost.h"
#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"
#include "text/CScriptLines.h"

// Keys of the console's key table; every host (the desktop view, the batch
// runner) plays them through HandleKey.
enum class EditorKey { Backspace, Enter, End, Home, Left, Up, Right, Down, Insert, Delete };

// The whole state of one console: the finished lines (submitted lines
// echoed after the prompt, and output), the input line after the prompt
// with caret, selection, recall history and undo, and the interpreter with
// its database objects. Columns and lengths count CP932 bytes; the prompt takes the first
// m_promptLength columns of the input line.
class CSQLEditor {
public:
    using CaretPos = std::pair<int, int>;  // (column, row)

    CSQLEditor();
    ~CSQLEditor();
    CSQLEditor(const CSQLEditor&) = delete;
    CSQLEditor& operator=(const CSQLEditor&) = delete;

    // Display lines: console lines (a submitted line is echoed there after
    // the prompt at once), then "SQL> " + the input line. GetLine gives ""
    // out of range.
    int GetLineCount() const;
    std::string GetLine(int index) const;
    // GetLine into `line` (its storage reused).
    void ReadLine(int index, std::string& line) const;
    bool IsPromptLine(int index) const;
    // Columns the prompt takes on the input line ("SQL> ", or the question
    // asked).
    int GetPromptLength() const { return m_promptLength; }
    int GetMaxWidth() const { return m_maxWidth; }
    CaretPos GetCaretPos() const { return {m_caretColumn, m_caretRow}; }
    bool HasSelection() const;
    // True for a column of the input text inside the selection.
    bool IsSelected(int column) const;
    // The selected bytes of the input line, clipped to its end.
    std::string GetSelectedText() const;
    bool CanUndo() const { return !m_undoTexts.empty(); }

    // Editing of the input line. Edits at a boundary change no text.
    void InsertText(const std::string& text);
    void DeleteForward();
    void DeleteBackward();
    // Moves by `delta` columns (clamped to the input line), stepping over
    // the rest of a double-byte character in the direction of travel.
    void MoveCaret(int delta, bool extend);
    void MoveCaretHome(bool extend);
    void MoveCaretEnd(bool extend);
    // Places the caret at `column` (clamped to the input line, moved back to
    // the start of a double-byte character); `row` is ignored.
    void SetCaretColumn(int column, int row, bool extend);
    void RecallHistory(int delta);
    void Undo();
    bool ToggleOverwrite();
    bool IsOverwrite() const { return m_overwrite; }
    void ClearSelection();
    // Empties the console; history, width, overwrite mode, connection and
    // the interpreter's state stay.
    void Clear();

    // Runs the input line: echo, history, "@" expansion, the interpreter.
    void Submit();

    // A question on the input line: `prompt` (CP932) stands in place of
    // "SQL> " and the answer is typed after it with the usual edits; a
    // `hidden` answer shows one '*' a byte and its selection copies as '*'.
    // The input line as it was (text, caret, undo) comes back with
    // EndQuestion, which gives the answer; nothing of it is kept.
    void BeginQuestion(const std::string& prompt, bool hidden);
    std::string EndQuestion();
    bool IsAsking() const { return m_asking; }
    bool IsAnswerHidden() const { return m_asking && m_question.hidden; }
    void UpdateMaxWidth(const CScriptLines& lines);

    // The console file: console lines each with CR LF, then the prompted
    // input line without a line end. The input line is emptied when the
    // write succeeded; false when it failed.
    bool Store(std::ostream& out);
    // Replays the lines of `in` as typed input (LF or CR LF ends a line;
    // trailing CRs are cut): every line of a script, only the prompted lines
    // of a saved console, whose questions take the answers it shows. Stops
    // early once the stop check says so. The
    // text is read by the script encoding (UTF-8 scripts become CP932); a
    // text that cannot be converted is not replayed: the console shows why
    // and the result is false, with the reason (CP932) in `refusal`.
    bool Load(std::istream& in, std::string* refusal = nullptr);
    // How Load and "@" read scripts (default: by their content).
    void SetScriptEncoding(scripttext::Encoding encoding) {
        m_scriptEncoding = encoding;
        m_processor.SetScriptEncoding(encoding);
    }

    // The window that CLEAR SCREEN, "/" and EXIT act on (null: none).
    void SetHost(CConsoleHost* host);
    // Asked between lines of a submission and of a load; true ends both.
    void SetStopCheck(std::function<bool()> check) { m_stopCheck = std::move(check); }

    // The view's key table: each key makes one model call.
    void HandleKey(EditorKey key, bool shift);
    // A typed character: control characters (below 32) are ignored.
    void HandleChar(char c);

    CSQLProcessor& GetProcessor() { return m_processor; }
    const CSQLProcessor& GetProcessor() const { return m_processor; }
    // The console's database, for a cancel from another thread.
    ODatabase& GetDatabase() { return m_database; }
    const CScriptLines& GetHistory() const { return m_history; }
    // Replaces the recall list (a history restored at start); the next Up
    // recalls its last entry.
    void SetHistory(const CScriptLines& history);

    // Breaks the statement running on another thread; callable from any
    // thread, a no-op when nothing runs.
    void Cancel() { m_database.Cancel(); }
    // True while the connection holds work that is not committed.
    bool HasUncommittedWork() const { return m_database.HasUncommittedWork(); }
    // Commits (or rolls back) the open transaction; false with the server's
    // message in `error` when that failed.
    bool EndTransaction(bool commit, std::string& error);

    // Undo entries and bytes of saved text kept at most; the oldest go first.
    static constexpr std::size_t kUndoLimit = 1000;
    static constexpr std::size_t kUndoByteLimit = 32u << 20;

private:
    void PushUndo();
    void Anchor(bool extend);
    void DeleteSelection();
    // Bytes of the input from `index` that text of `length` bytes typed in
    // overwrite mode replaces: whole characters covering `length`.
    std::size_t OverwrittenBytes(std::size_t index, std::size_t length) const;
    bool Stopped() const { return m_stopCheck && m_stopCheck(); }
    int InputEnd() const { return m_promptLength + static_cast<int>(m_input.size()); }
    int ClampColumn(long long column) const;
    std::size_t CaretIndex() const { return static_cast<std::size_t>(m_caretColumn - m_promptLength); }
    // Lines of the interpreter's compact output (see CompactLine).
    void AppendOutput(CScriptLines&& encodedLines);
    // Copies the console lines from `first` on to the spool file, if one is
    // open.
    void SpoolLines(std::size_t first);
    void ResetInputLine();
    // One line of a submission: the interpreter takes it, and runs the
    // statement it completes.
    void SubmitLine(const std::string& line);
    // A line of a loaded file, typed and submitted.
    void SubmitReplayed(std::string&& line);
    // Replays the typed lines of a saved console, answering its questions
    // from the lines it showed.
    void ReplayConsole(const CScriptLines& lines);
    // A line of a running "@" script; false when the run must stop.
    bool RunScriptLine(const std::string& line, bool echo);

    int m_promptLength;
    // The input line a question has put aside, and the question.
    struct Question {
        std::string prompt;
        bool hidden = false;
        std::string input;
        int caretColumn = 0;
        CScriptLines undoTexts;
        std::vector<CaretPos> undoCarets;
    } m_question;
    bool m_asking = false;
    // A line of a file run as input is being submitted (SubmitReplayed).
    bool m_replaying = false;
    OSession m_session;
    ODatabase m_database;
    CSQLProcessor m_processor;
    // Held compact (see CompactLine); padded again when read.
    CScriptLines m_consoleLines;
    std::string m_input;
    int m_caretColumn;
    int m_caretRow;
    int m_anchorColumn;
    int m_anchorRow;
    int m_maxWidth;
    CScriptLines m_history;
    int m_historyIndex;
    CScriptLines m_undoTexts;
    std::vector<CaretPos> m_undoCarets;
    bool m_overwrite;
    std::function<bool()> m_stopCheck;
    CConsoleHost* m_host = nullptr;
    scripttext::Encoding m_scriptEncoding = scripttext::Encoding::Auto;
};
