#include "interpreter/CStatementCompletion.h"

using statementhead::Ending;

CStatementCompletion::CStatementCompletion(const CScriptLines& templates) : m_matcher(templates) {}

void CStatementCompletion::Clear() {
    m_lexer.Reset();
    m_matcher.Clear();
    m_head.clear();
    m_ending = Ending::Semicolon;
    m_endsWithSemicolon = false;
    m_slashLine = false;
    m_empty = true;
}

void CStatementCompletion::Append(const std::string& line) {
    if (!m_empty) m_lexer.EndLine();
    m_empty = false;
    const auto classes = m_lexer.Classify(line);
    std::string code = line;
    for (std::size_t i = 0; i < code.size(); ++i)
        if (classes[i] != CSqlLexer::ByteClass::Code) code[i] = ' ';
    // Note: a "/" line inside an open quote or comment still completes the
    // statement, so a quote left open can never swallow the console.
    m_slashLine = statementhead::IsSlashLine(line);
    const std::size_t last = code.find_last_not_of(" \t\r");
    m_endsWithSemicolon = last != std::string::npos && code[last] == ';';
    m_matcher.Append(code);
    if (m_head.size() < kHeadBytes) {
        m_head += code.substr(0, kHeadBytes);
        m_head += ' ';
        m_ending = statementhead::EndingOf(statementhead::FirstWords(m_head, 8));
    }
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
