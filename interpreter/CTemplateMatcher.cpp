#include "interpreter/CTemplateMatcher.h"

#include <algorithm>
#include <string_view>

#include "text/Cp932.h"

CTemplateMatcher::CTemplateMatcher(const CScriptLines& patterns) : m_patterns(patterns) { Clear(); }

void CTemplateMatcher::Clear() {
    m_progress.assign(m_patterns.size(), Progress{});
    m_text.clear();
    m_anyFits = false;
    m_empty = true;
}

void CTemplateMatcher::Append(const std::string& line) {
    // The joined text upper-cased with line feeds as blanks, as Scan sees it.
    if (!m_empty) m_text += ' ';
    m_empty = false;
    std::string upper = cp932::ToUpper(line);
    std::replace(upper.begin(), upper.end(), '\n', ' ');
    m_text += upper;
    for (std::size_t k = 0; k < m_patterns.size(); ++k) {
        if (m_progress[k].state != State::Running) continue;
        Advance(m_patterns[k], m_progress[k]);
        if (m_progress[k].state == State::Fits) m_anyFits = true;
    }
}

// Runs Scan's steps from where the pattern stopped; it stops again (still
// Running) wherever Scan would need bytes past the current end.
void CTemplateMatcher::Advance(const std::string& pattern, Progress& p) const {
    auto skipBlanks = [this](std::size_t j) {
        while (j < m_text.size() && m_text[j] == ' ') ++j;
        return j;
    };
    while (p.i < pattern.size()) {
        if (pattern.compare(p.i, 2, "%s") == 0) {
            p.j = skipBlanks(p.j);
            const std::size_t next = pattern.find("%s", p.i + 2);
            const std::string_view literal = std::string_view(pattern).substr(
                p.i + 2, next == std::string::npos ? std::string::npos : next - p.i - 2);
            if (next == std::string::npos && literal.empty()) break;
            const std::size_t at = m_text.find(literal, std::max(p.j, p.search));
            if (at == std::string::npos) {
                // No occurrence can start before the last literal.size() - 1 bytes.
                p.search = m_text.size() + 1 > literal.size() ? m_text.size() + 1 - literal.size() : 0;
                return;
            }
            p.j = at;
            p.search = 0;
            p.i += 2;
        } else if (pattern[p.i] == ' ') {
            if (p.j >= m_text.size()) return;
            if (m_text[p.j] != ' ') {
                p.state = State::Dead;
                return;
            }
            ++p.i;
            ++p.j;
        } else {
            p.j = skipBlanks(p.j);
            if (p.j >= m_text.size()) return;
            if (m_text[p.j] != pattern[p.i]) {
                p.state = State::Dead;
                return;
            }
            ++p.i;
            ++p.j;
        }
    }
    p.state = State::Fits;
}
