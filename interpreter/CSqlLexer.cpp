#include "interpreter/CSqlLexer.h"

#include "text/Cp932.h"

namespace {

// Note: ASCII only, so a q-quote may follow a double-byte character.
bool IsAsciiWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#';
}

// A byte that in code is a character of its own and opens nothing.
bool IsPlainCode(unsigned char c) {
    switch (c) {
        case '-':
        case '/':
        case '\'':
        case '"':
        case 'q':
        case 'Q':
            return false;
        default:
            return !cp932::IsLeadByte(c);
    }
}

bool IsQ(char c) { return c == 'q' || c == 'Q'; }
bool IsN(char c) { return c == 'n' || c == 'N'; }

// The closing delimiter of a q'x...x' quote opened with `open`.
char QClose(char open) {
    switch (open) {
        case '[':
            return ']';
        case '{':
            return '}';
        case '(':
            return ')';
        case '<':
            return '>';
        default:
            return open;
    }
}

// True when the q at `i` starts a q-quote: q' not inside a word (an N
// before it belongs to the quote).
bool StartsQQuote(std::string_view text, std::size_t i) {
    if (!IsQ(text[i]) || i + 2 >= text.size() || text[i + 1] != '\'') return false;
    if (i == 0) return true;
    const auto before = static_cast<unsigned char>(text[i - 1]);
    if (!IsAsciiWordByte(before)) return true;
    return IsN(text[i - 1]) && (i == 1 || !IsAsciiWordByte(static_cast<unsigned char>(text[i - 2])));
}

}  // namespace

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
        m_qClose = QClose(text[i + 2]);
        length = 3;
    }
}

CSqlLexer::ByteClass CSqlLexer::Step(std::string_view text, std::size_t& i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
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
            if (c == '\n') {
                m_mode = Mode::Code;
                ++i;
                return ByteClass::Code;
            }
            i += cp932::CharLength(text, i);
            return ByteClass::Comment;
        case Mode::BlockComment:
            if (c == '*' && next == '/') {
                m_mode = Mode::Code;
                i += 2;
            } else {
                i += cp932::CharLength(text, i);
            }
            return ByteClass::Comment;
        case Mode::Single:
        case Mode::Double:
            if (c == (m_mode == Mode::Single ? '\'' : '"')) {
                m_mode = Mode::Code;
                ++i;
            } else {
                i += cp932::CharLength(text, i);
            }
            return ByteClass::Quoted;
        case Mode::QQuote:
            if (c == m_qClose && next == '\'') {
                m_mode = Mode::Code;
                i += 2;
            } else {
                i += cp932::CharLength(text, i);
            }
            return ByteClass::Quoted;
    }
    ++i;
    return ByteClass::Code;
}

std::vector<CSqlLexer::ByteClass> CSqlLexer::Classify(std::string_view text) {
    std::vector<ByteClass> classes(text.size(), ByteClass::Code);
    std::size_t i = 0;
    while (i < text.size()) {
        // Code that cannot open a quote or a comment stays code, a byte at a time.
        if (m_mode == Mode::Code && IsPlainCode(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t from = i;
        // A q-quote's q is code; what Step consumed after it is quoted.
        const bool qQuote = m_mode == Mode::Code && StartsQQuote(text, i);
        const ByteClass byteClass = Step(text, i);
        for (std::size_t k = from; k < i && k < text.size(); ++k) classes[k] = byteClass;
        if (qQuote) classes[from] = ByteClass::Code;
    }
    return classes;
}

void CSqlLexer::EndLine() {
    if (m_mode == Mode::LineComment) m_mode = Mode::Code;
}

std::string CSqlLexer::CodeOnly(std::string_view text) {
    CSqlLexer lexer;
    const std::vector<ByteClass> classes = lexer.Classify(text);
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (classes[i] != ByteClass::Code && out[i] != '\n') out[i] = ' ';
    return out;
}

std::string CSqlLexer::UpperOutsideQuotes(std::string_view text) {
    CSqlLexer lexer;
    const std::vector<ByteClass> classes = lexer.Classify(text);
    const std::string upper = cp932::ToUpper(text);
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (classes[i] != ByteClass::Quoted) out[i] = upper[i];
    return out;
}
