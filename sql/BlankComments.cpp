#include "interpreter/CSQLProcessor.h"
#include "interpreter/CSqlLexer.h"

// Every comment byte becomes a blank in place, so positions in the text
// stay those of the typed lines. A block comment runs to its "*/" (or the
// end), line feeds included; a line comment runs to its line feed, which
// stays, and one that ends the text gets a final line feed. "--" and "/*"
// inside quotes are text, not comments.
std::string CSQLProcessor::BlankComments(const std::string& text) {
    CSqlLexer lexer;
    const auto classes = lexer.Classify(text);
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (classes[i] == CSqlLexer::ByteClass::Comment) out[i] = ' ';
    // A line comment still open at the end gets its line feed.
    if (lexer.InLineComment()) out += '\n';
    return out;
}
