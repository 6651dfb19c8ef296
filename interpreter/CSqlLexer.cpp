#include "interpreter/CSqlLexer.h"

#include <algorithm>

#include "text/Cp932.h"
#include "text/SqlText.h"

namespace {

// Note: ASCII only, so a q-quote may follow a double-byte character.
bool IsAsciiWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#';
}

bool IsQ(char c) { return c == 'q' || c == 'Q'; }
bool IsN(char c) { return c == 'n' || c == 'N'; }

// Moves `i` past the delimiter that closes what is open: `close`, followed
// by `then` unless that is NUL. The text before it is read a character at
// a time; without a delimiter `i` ends at the end. True when one was found.
bool PassClose(std::string_view text, std::size_t& i, char close, char then) {
    while (i < text.size()) {
        if (text[i] == close && (then == '\0' || (i + 1 < text.size() && text[i + 1] == then))) {
            i += then == '\0' ? 1 : 2;
            return true;
        }
        i += cp932::CharLength(text, i);
    }
    return false;
}

}  // namespace

// True when the q at `i` starts a q-quote: q' not inside a word (an N
// before it belongs to the quote).
bool CSqlLexer::StartsQQuote(std::string_view text, std::size_t i) {
    if (!IsQ(text[i]) || i + 2 >= text.size() || text[i + 1] != '\'') return false;
    if (i == 0) return true;
    const auto before = static_cast<unsigned char>(text[i - 1]);
    if (!IsAsciiWordByte(before)) return true;
    return IsN(text[i - 1]) && (i == 1 || !IsAsciiWordByte(static_cast<unsigned char>(text[i - 2])));
}

// Opens what starts at `i` in code: sets the mode and the length of the
// opening delimiter (0: nothing opens here).
void CSqlLexer::Open(std::string_view text, std::size_t i, std::size_t& length) {
    length = 0;
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '-' && next == '-') {
        m_mode = Mode::LineComment;
        length = 2;
    } else if (c == '/' && next == '*') {
        m_mode = Mode::BlockComment;
        length = 2;
    } else if (c == '\'') {
        m_mode = Mode::Single;
        length = 1;
    } else if (c == '"') {
        m_mode = Mode::Double;
        length = 1;
    } else if (StartsQQuote(text, i)) {
        m_mode = Mode::QQuote;
        m_qClose = sqltext::QQuoteClose(text[i + 2]);
        length = 3;
    }
}

CSqlLexer::ByteClass CSqlLexer::Step(std::string_view text, std::size_t& i) {
    switch (m_mode) {
        case Mode::Code: {
            std::size_t length = 0;
            Open(text, i, length);
            if (length == 0) {
                i += cp932::CharLength(text, i);
                return ByteClass::Code;
            }
            i += length;
            // Note: the q of a q-quote stays code, its quote and delimiter do not.
            return m_mode == Mode::LineComment || m_mode == Mode::BlockComment ? ByteClass::Comment
                                                                               : ByteClass::Quoted;
        }
        case Mode::LineComment:
            if (text[i] == '\n') {
                m_mode = Mode::Code;
                ++i;
                return ByteClass::Code;
            }
            while (i < text.size() && text[i] != '\n') i += cp932::CharLength(text, i);
            return ByteClass::Comment;
        case Mode::BlockComment:
            if (PassClose(text, i, '*', '/')) m_mode = Mode::Code;
            return ByteClass::Comment;
        case Mode::Single:
        case Mode::Double:
            if (PassClose(text, i, m_mode == Mode::Single ? '\'' : '"', '\0')) m_mode = Mode::Code;
            return ByteClass::Quoted;
        case Mode::QQuote:
            if (PassClose(text, i, m_qClose, '\'')) m_mode = Mode::Code;
            return ByteClass::Quoted;
    }
    ++i;
    return ByteClass::Code;
}

std::vector<CSqlLexer::ByteClass> CSqlLexer::Classify(std::string_view text) {
    std::vector<ByteClass> classes(text.size(), ByteClass::Code);
    ForEachRun(text, [&](std::size_t from, std::size_t to, ByteClass byteClass) {
        std::fill(classes.begin() + static_cast<std::ptrdiff_t>(from),
                  classes.begin() + static_cast<std::ptrdiff_t>(to), byteClass);
    });
    return classes;
}

void CSqlLexer::EndLine() {
    if (m_mode == Mode::LineComment) m_mode = Mode::Code;
}

std::string CSqlLexer::CodeOnly(std::string_view text) {
    std::string out(text);
    CSqlLexer().ForEachRun(text, [&](std::size_t from, std::size_t to, ByteClass) {
        for (std::size_t i = from; i < to; ++i)
            if (out[i] != '\n') out[i] = ' ';
    });
    return out;
}

std::string CSqlLexer::UpperOutsideQuotes(std::string_view text) {
    std::string out = cp932::ToUpper(text);
    CSqlLexer().ForEachRun(text, [&](std::size_t from, std::size_t to, ByteClass byteClass) {
        if (byteClass == ByteClass::Quoted) out.replace(from, to - from, text.substr(from, to - from));
    });
    return out;
}
