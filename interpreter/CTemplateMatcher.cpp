#include "interpreter/CTemplateMatcher.h"

#include <algorithm>
#include <string_view>

#include "interpreter/TextParse.h"
#include "text/Cp932.h"

CTemplateMatcher::CTemplateMatcher(const CScriptLines& patterns)
    : m_patterns(patterns), m_index(patterns), m_progress(patterns.size()) {
    Clear();
}

void CTemplateMatcher::Clear() {
    m_running.clear();
    for (int k : m_index.Candidates("")) {
        m_progress[static_cast<std::size_t>(k)] = Progress{};
        m_running.push_back(k);
    }
    m_text.clear();
    m_pending.clear();
    m_pendingLengths.clear();
    m_anyFits = false;
    m_empty = true;
    m_begun = false;
}

void CTemplateMatcher::Begin() {
    m_begun = true;
    m_running.clear();
    for (int k : m_index.Candidates(m_text)) {
        Progress& progress = m_progress[static_cast<std::size_t>(k)];
        if (m_index.IsAnchored(k))
            progress = Progress{};
        else if (progress.state != State::Running)
            continue;
        m_running.push_back(k);
    }
}

void CTemplateMatcher::Append(const std::string& line) {
    m_pending += line;
    m_pendingLengths.push_back(line.size());
}

// Note: waiting lines are taken here, in order, so the answer is the one
// taking each line as it came would give.
bool CTemplateMatcher::AnyFits() {
    std::size_t from = 0;
    for (std::size_t length : m_pendingLengths) {
        Take(std::string_view(m_pending).substr(from, length));
        from += length;
    }
    m_pending.clear();
    m_pendingLengths.clear();
    return m_anyFits;
}

void CTemplateMatcher::Take(std::string_view line) {
    // The joined text upper-cased with line feeds as blanks, as Scan sees it.
    if (!m_empty) m_text += ' ';
    m_empty = false;
    const std::size_t from = m_text.size();
    m_text += line;
    cp932::ToUpperInPlace(m_text, from);
    std::replace(m_text.begin() + static_cast<std::ptrdiff_t>(from), m_text.end(), '\n', ' ');
    if (!m_begun && m_text.find_first_not_of(' ', from) != std::string::npos) Begin();
    for (int k : m_running) {
        Progress& progress = m_progress[static_cast<std::size_t>(k)];
        Advance(m_patterns[static_cast<std::size_t>(k)], progress);
        if (progress.state == State::Fits) m_anyFits = true;
    }
    std::erase_if(m_running,
                  [this](int k) { return m_progress[static_cast<std::size_t>(k)].state != State::Running; });
}

// Runs Scan's steps from where the pattern stopped; it stops again (still
// Running) wherever Scan would need bytes past the current end.
void CTemplateMatcher::Advance(std::string_view pattern, Progress& p) const {
    const std::string_view text = m_text;
    auto skipBlanks = [text](std::size_t j) {
        while (j < text.size() && text[j] == ' ') ++j;
        return j;
    };
    while (p.i < pattern.size()) {
        if (textparse::IsFieldAt(pattern, p.i)) {
            p.j = skipBlanks(p.j);
            const std::size_t next = pattern.find("%s", p.i + 2);
            const std::string_view literal = pattern.substr(
                p.i + 2, next == std::string_view::npos ? std::string_view::npos : next - p.i - 2);
            if (next == std::string_view::npos && literal.empty()) break;
            const std::size_t at = text.find(literal, std::max(p.j, p.search));
            if (at == std::string_view::npos) {
                // No occurrence can start before the last literal.size() - 1 bytes.
                p.search = text.size() + 1 > literal.size() ? text.size() + 1 - literal.size() : 0;
                return;
            }
            p.j = at;
            p.search = 0;
            p.i += 2;
            continue;
        }
        // A blank of the pattern takes exactly one blank; any other byte is
        // found after the blanks that precede it.
        if (pattern[p.i] != ' ') p.j = skipBlanks(p.j);
        if (p.j >= text.size()) return;
        if (text[p.j] != pattern[p.i]) {
            p.state = State::Dead;
            return;
        }
        ++p.i;
        ++p.j;
    }
    p.state = State::Fits;
}
