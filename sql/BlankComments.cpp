#include "interpreter/CSQLProcessor.h"
#include "interpreter/CSqlLexer.h"

// Every comment byte becomes a blank in place, so positions in the text
// stay those of the typed lines. A block comment runs to its "*/" (or the
// end), line feeds included; a line comment runs to its line feed, which
// stays, and one that ends the text gets a final line feed. "--" and "/*"
// inside quotes are text, not comments.
std::string CSQLProcessor::BlankComments(std::string text) {
    // Note: only "--" and "/*" open a comment.
    if (text.find("--") == std::string::npos && text.find("/*") == std::string::npos) return text;
    CSqlLexer lexer;
    // Note: blanked in place behind the lexer, which looks back only at the
    // bytes before a q, where a comment ends in "/" and blanks alike.
    lexer.ForEachRun(text, [&](std::size_t from, std::size_t to, CSqlLexer::ByteClass byteClass) {
        if (byteClass == CSqlLexer::ByteClass::Comment) text.replace(from, to - from, to - from, ' ');
    });
    // A line comment still open at the end gets its line feed.
    if (lexer.InLineComment()) text += '\n';
    return text;
}
