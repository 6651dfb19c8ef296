#pragma once

#include <string>

#include "interpreter/CSqlLexer.h"
#include "interpreter/CTemplateMatcher.h"
#include "interpreter/StatementHead.h"
#include "text/CScriptLines.h"

// Decides, line by line, when a SQL statement is complete. Quotes and
// comments are read past (a ";" inside them ends nothing); the leading words
// choose the ending: a line that ends with ";" (or the templates, which end
// in ";"), or for blocks and stored program units only a line holding only
// "/". A line holding only "/" completes any statement.
class CStatementCompletion {
public:
    // `templates`: the templates that end a statement at their ";".
    explicit CStatementCompletion(const CScriptLines& templates);

    void Clear();
    void Append(const std::string& line);

    bool IsComplete() const;
    // True when the lines, quotes and comments left out, fit a template.
    bool FitsTemplate() const { return m_matcher.AnyFits(); }
    // True when the statement is complete at a ";" and a "/" on the next
    // line still belongs to it (CREATE TYPE without a body).
    bool TakesTrailingSlash() const;
    // True when the lines so far end inside a quote.
    bool InQuote() const { return m_lexer.InQuote(); }

private:
    // How many bytes of the statement's code decide its leading words.
    static constexpr std::size_t kHeadBytes = 256;

    // Sets m_ending from the statement's leading words in m_head.
    void DecideEnding();

    CSqlLexer m_lexer;
    // Note: the matcher follows its lines only when asked whether they fit.
    mutable CTemplateMatcher m_matcher;
    // The line being appended with its quotes and comments as blanks.
    std::string m_code;
    std::string m_head;
    // True once m_head's first word alone has decided the ending.
    bool m_headDecided = false;
    statementhead::Ending m_ending = statementhead::Ending::Semicolon;
    bool m_endsWithSemicolon = false;
    bool m_slashLine = false;
    bool m_empty = true;
};
