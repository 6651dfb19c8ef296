#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "text/Cp932.h"

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
    // What Classify tells, as stretches: `visit(from, to, byteClass)` for
    // each longest run [from, to) of quoted or comment bytes, in order; code
    // is what lies between them.
    template <typename Visit>
    void ForEachRun(std::string_view text, Visit visit);
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
    // True when a code byte may open a quote or a comment, or starts a
    // double-byte character.
    static bool MayOpen(char c) { return kMayOpen[static_cast<unsigned char>(c)]; }
    static constexpr std::array<bool, 256> kMayOpen = [] {
        std::array<bool, 256> table{};
        for (unsigned char c : {'-', '/', '\'', '"', 'q', 'Q'}) table[c] = true;
        for (int c = 0; c < 256; ++c)
            table[static_cast<std::size_t>(c)] |= cp932::IsLeadByte(static_cast<unsigned char>(c));
        return table;
    }();
    static bool StartsQQuote(std::string_view text, std::size_t i);
    void Open(std::string_view text, std::size_t i, std::size_t& length);

    Mode m_mode = Mode::Code;
    char m_qClose = 0;
};

template <typename Visit>
void CSqlLexer::ForEachRun(std::string_view text, Visit visit) {
    std::size_t runFrom = 0;
    std::size_t runTo = 0;
    ByteClass runClass = ByteClass::Code;
    std::size_t i = 0;
    while (i < text.size()) {
        // Code that cannot open a quote or a comment stays code, a byte at a time.
        if (m_mode == Mode::Code) {
            while (i < text.size() && !MayOpen(text[i])) ++i;
            if (i == text.size()) break;
        }
        // A q-quote's q is code; what Step consumed after it is quoted.
        const std::size_t from = m_mode == Mode::Code && StartsQQuote(text, i) ? i + 1 : i;
        const ByteClass byteClass = Step(text, i);
        if (byteClass == ByteClass::Code) continue;
        const std::size_t to = i < text.size() ? i : text.size();
        if (byteClass == runClass && from == runTo) {
            runTo = to;
            continue;
        }
        if (runClass != ByteClass::Code) visit(runFrom, runTo, runClass);
        runFrom = from;
        runTo = to;
        runClass = byteClass;
    }
    if (runClass != ByteClass::Code) visit(runFrom, runTo, runClass);
}
