#pragma once

#include <string>
#include <string_view>
#include <vector>

// Tells quoted text and comments apart from the rest of a statement, byte
// by byte, carrying its state from one piece of text to the next (a quote
// or a block comment may span lines). Knows '...', the q'[...]' form (with
// its N prefix) and "..." identifiers, "--" line comments and "/* */"
// block comments. A double-byte character is never split: its trail byte
// takes the class of its lead byte.
class CSqlLexer {
public:
    enum class ByteClass : char { Code, Quoted, Comment };

    // Classes of every byte of `text`, continuing from the current state.
    // A line feed ends a line comment (the line feed itself is code).
    std::vector<ByteClass> Classify(std::string_view text);
    // Ends an open line comment, as the line feed between two lines would.
    void EndLine();
    void Reset() { m_mode = Mode::Code; }
    // True while a quote or a block comment is open.
    bool IsOpen() const { return m_mode != Mode::Code && m_mode != Mode::LineComment; }
    // True while a quote is open.
    bool InQuote() const {
        return m_mode == Mode::Single || m_mode == Mode::Double || m_mode == Mode::QQuote;
    }
    // True while a line comment runs to the end of the text read so far.
    bool InLineComment() const { return m_mode == Mode::LineComment; }

    // `text` with every quoted or comment byte turned into a blank.
    static std::string CodeOnly(std::string_view text);
    // `text` upper-cased except inside quotes.
    static std::string UpperOutsideQuotes(std::string_view text);

private:
    enum class Mode { Code, Single, Double, QQuote, LineComment, BlockComment };

    ByteClass Step(std::string_view text, std::size_t& i);
    void Open(std::string_view text, std::size_t i, std::size_t& length);

    Mode m_mode = Mode::Code;
    char m_qClose = 0;
};
