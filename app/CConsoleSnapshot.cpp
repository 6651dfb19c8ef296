#include "app/CConsoleSnapshot.h"

#include "console/CSQLEditor.h"

namespace {
const std::string kEmpty;
}

void CConsoleSnapshot::Sync(const CSQLEditor& editor, bool showInput) {
    const int above = editor.GetLineCount() - 1;
    // Note: a copy longer than the console, or whose last line differs, was
    // overtaken by a Clear that nobody announced; it is rebuilt.
    const auto kept = static_cast<int>(m_lines.size());
    if (m_invalid || kept > above || (kept > 0 && m_lines.back() != editor.GetLine(kept - 1))) {
        m_lines.clear();
        m_prompt.clear();
        m_invalid = false;
    }
    for (auto i = static_cast<int>(m_lines.size()); i < above; ++i) {
        m_lines.push_back(editor.GetLine(i));
        m_prompt.push_back(editor.IsPromptLine(i));
    }
    m_showInput = showInput;
    m_maxWidth = editor.GetMaxWidth();
    m_selectionLow = m_selectionHigh = 0;
    if ((showInput && !editor.IsAsking()) || above != m_pendingBase) m_pending.clear();
    if (!showInput) {
        m_input.clear();
        m_caret = {0, above + static_cast<int>(m_pending.size())};
        return;
    }
    m_input = editor.GetLine(above);
    m_promptLength = editor.GetPromptLength();
    m_asking = editor.IsAsking();
    m_caret = editor.GetCaretPos();
    m_caret.second += static_cast<int>(m_pending.size());
    // The caret is one end of the selection.
    const auto length = static_cast<int>(editor.HasSelection() ? editor.GetSelectedText().size() : 0);
    if (length == 0) return;
    const int caret = m_caret.first;
    m_selectionLow = editor.IsSelected(caret) ? caret : caret - length;
    m_selectionHigh = m_selectionLow + length;
}

void CConsoleSnapshot::AddPending(const std::string& line, int consoleLines) {
    if (consoleLines != m_pendingBase) m_pending.clear();
    m_pendingBase = consoleLines;
    m_pending.push_back(line);
}

const std::string& CConsoleSnapshot::GetLine(int index) const {
    const auto kept = static_cast<int>(m_lines.size());
    if (index < 0 || index >= GetLineCount()) return kEmpty;
    if (index < kept) return m_lines[static_cast<std::size_t>(index)];
    if (index - kept < static_cast<int>(m_pending.size()))
        return m_pending[static_cast<std::size_t>(index - kept)];
    return m_input;
}

bool CConsoleSnapshot::IsPromptLine(int index) const {
    if (index < 0 || index >= GetLineCount()) return false;
    if (index == GetLineCount() - 1) return true;
    return index < static_cast<int>(m_lines.size()) && m_prompt[static_cast<std::size_t>(index)];
}
