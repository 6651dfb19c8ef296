#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CSQLEditor;

// The copy of the console that the view paints. It is kept in step with
// the console model by Sync, which the thread running a statement calls
// between lines while the window paints from the copy; both hold Mutex().
// Lines above the input line only grow until the console is cleared, so a
// Sync copies the new ones only.
class CConsoleSnapshot {
public:
    using CaretPos = std::pair<int, int>;  // (column, row)

    // Brings the copy up to date. With `showInput` false (a statement is
    // running) the input line is left out and the caret waits at the start
    // of its row.
    void Sync(const CSQLEditor& editor, bool showInput);
    // The next Sync copies every line again (the console was cleared).
    void Invalidate() { m_invalid = true; }
    // A line shown under the console's `consoleLines` lines while the
    // statement runs (a question and its answer), until the console holds
    // more lines (its output, which repeats it) or the input line is shown.
    void AddPending(const std::string& line, int consoleLines);
    std::mutex& Mutex() { return m_mutex; }

    // Lines including the pending ones and the input row; GetLine gives ""
    // out of range.
    int GetLineCount() const { return static_cast<int>(m_lines.size() + m_pending.size()) + 1; }
    const std::string& GetLine(int index) const;
    bool IsPromptLine(int index) const;
    bool ShowsInput() const { return m_showInput; }
    // Columns of the input line's prompt ("SQL> " or a question).
    int GetPromptLength() const { return m_promptLength; }
    // The input line holds the answer to a question, not a statement.
    bool IsAsking() const { return m_asking; }
    // True for a column of the input line inside the selection.
    bool IsSelected(int column) const { return column >= m_selectionLow && column < m_selectionHigh; }
    int GetMaxWidth() const { return m_maxWidth; }
    CaretPos GetCaretPos() const { return m_caret; }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::vector<bool> m_prompt;
    std::string m_input;
    std::vector<std::string> m_pending;
    int m_pendingBase = -1;
    bool m_showInput = true;
    bool m_invalid = true;
    int m_promptLength = 5;
    bool m_asking = false;
    int m_selectionLow = 0;
    int m_selectionHigh = 0;
    int m_maxWidth = 0;
    CaretPos m_caret{0, 0};
};
