#include "interpreter/CStatementCompletion.h"

#include "text/Cp932.h"

using statementhead::Ending;

CStatementCompletion::CStatementCompletion(const CScriptLines& templates) : m_matcher(templates) {}

void CStatementCompletion::Clear() {
    m_lexer.Reset();
    m_matcher.Clear();
    m_head.clear();
    m_headDecided = false;
    m_ending = Ending::Semicolon;
    m_endsWithSemicolon = false;
    m_slashLine = false;
    m_empty = true;
}

void CStatementCompletion::Append(const std::string& line) {
    if (!m_empty) m_lexer.EndLine();
    m_empty = false;
    m_code = line;
    m_lexer.ForEachRun(line, [this](std::size_t from, std::size_t to, CSqlLexer::ByteClass) {
        m_code.replace(from, to - from, to - from, ' ');
    });
    // Note: a "/" line inside an open quote or comment still completes the
    // statement, so a quote left open can never swallow the console.
    m_slashLine = statementhead::IsSlashLine(line);
    const std::size_t last = m_code.find_last_not_of(" \t\r");
    m_endsWithSemicolon = last != std::string::npos && m_code[last] == ';';
    m_matcher.Append(m_code);
    if (!m_headDecided && m_head.size() < kHeadBytes) {
        m_head.append(m_code, 0, kHeadBytes);
        m_head += ' ';
        DecideEnding();
    }
}

// Note: only after CREATE and WITH do the words past the first matter; any other
// first word decides the ending for good, as later lines cannot change it.
void CStatementCompletion::DecideEnding() {
    std::size_t end = statementhead::SkipLabels(m_head, 0);
    const std::string first = cp932::ToUpper(statementhead::NextWord(m_head, end));
    // Note: after WITH the second word tells a query's own PL/SQL functions.
    if (first == "WITH") {
        const std::vector<std::string> words = statementhead::FirstWords(m_head, 2);
        m_ending = statementhead::EndingOf(words);
        m_headDecided = words.size() == 2;
        return;
    }
    if (!first.empty() && first != "CREATE") {
        m_ending = statementhead::EndingOf(std::span(&first, 1));
        m_headDecided = true;
        return;
    }
    m_ending = statementhead::EndingOf(statementhead::FirstWords(m_head, 8));
}

bool CStatementCompletion::IsComplete() const {
    if (m_empty) return false;
    if (m_slashLine) return true;
    switch (m_ending) {
        case Ending::Slash:
            return false;
        case Ending::SemicolonOrSlash:
            return m_endsWithSemicolon;
        case Ending::Semicolon:
            return m_endsWithSemicolon || m_matcher.AnyFits();
    }
    return false;
}

bool CStatementCompletion::TakesTrailingSlash() const {
    return m_ending == Ending::SemicolonOrSlash && !m_slashLine && m_endsWithSemicolon;
}
