#include "console/CReplayHost.h"

#include <algorithm>

void CReplayHost::SetShownLines(const CScriptLines& lines, std::size_t first, std::size_t end) {
    m_lines = &lines;
    m_end = std::min(end, lines.size());
    m_next = std::min(first, m_end);
}

bool CReplayHost::TakeShown(const std::string& prompt, std::string& answer) {
    if (m_lines == nullptr) return false;
    for (std::size_t i = m_next; i < m_end; ++i) {
        const std::string& line = (*m_lines)[i];
        if (!line.starts_with(prompt)) continue;
        answer = line.substr(prompt.size());
        m_next = i + 1;
        return true;
    }
    return false;
}

bool CReplayHost::AskLine(const std::string& prompt, bool hidden, std::string& answer) {
    std::string shown;
    if (!hidden && TakeShown(prompt, shown)) {
        answer = shown;
        return true;
    }
    // Note: the line a hidden question showed (its text alone) is passed
    // over, so that the questions after it find their own lines.
    if (hidden && !prompt.empty()) PassOver(prompt);
    return m_host != nullptr && m_host->AskLine(prompt, hidden, answer);
}

void CReplayHost::PassOver(const std::string& prompt) {
    if (m_lines == nullptr) return;
    for (std::size_t i = m_next; i < m_end; ++i) {
        if ((*m_lines)[i] != prompt) continue;
        m_next = i + 1;
        return;
    }
}

void CReplayHost::SendKey(Key key) {
    if (m_host != nullptr) m_host->SendKey(key);
}

void CReplayHost::SendCommand(Command command) {
    if (m_host != nullptr) m_host->SendCommand(command);
}

void CReplayHost::PostClose() {
    if (m_host != nullptr) m_host->PostClose();
}

void CReplayHost::PostExit(int status) {
    if (m_host != nullptr) m_host->PostExit(status);
}

bool CReplayHost::EditText(CScriptLines& lines) { return m_host != nullptr && m_host->EditText(lines); }

void CReplayHost::WaitForEnter(const std::string& text) {
    if (m_host != nullptr) m_host->WaitForEnter(text);
}
