#include "interpreter/CSQLProcessor.h"

namespace {

void Blank(std::string& text, std::size_t from, std::size_t to) {
    text.replace(from, to - from, to - from, ' ');
}

}  // namespace

// Every comment byte becomes a blank in place, so positions in the text
// stay those of the typed lines. A block comment runs to its "*/" (or the
// end), line feeds included; a line comment runs to its line feed, which
// stays, and one that ends the text gets a final line feed.
// Note: one pass, so "/*" inside a line comment stays inside that line
// and does not blank the lines after it.
std::string CSQLProcessor::BlankComments(const std::string& text) {
    std::string out = text;
    std::size_t i = 0;
    while (i + 1 < out.size()) {
        if (out.compare(i, 2, "/*") == 0) {
            const std::size_t close = out.find("*/", i + 2);
            const std::size_t end = close == std::string::npos ? out.size() : close + 2;
            Blank(out, i, end);
            i = end;
        } else if (out.compare(i, 2, "--") == 0) {
            const std::size_t feed = out.find('\n', i + 2);
            if (feed == std::string::npos) {
                Blank(out, i, out.size());
                out += '\n';
                break;
            }
            Blank(out, i, feed);
            i = feed + 1;
        } else {
            ++i;
        }
    }
    return out;
}
