#include "interpreter/CSQLProcessor.h"

namespace {

// Block comments: "/*" up to and including the next "*/" (or the end)
// become blanks, line feeds included.
void BlankBlockComments(std::string& text) {
    std::size_t from = 0;
    while (true) {
        std::size_t open = text.find("/*", from);
        if (open == std::string::npos) return;
        std::size_t close = text.find("*/", open + 2);
        std::size_t end = close == std::string::npos ? text.size() : close + 2;
        text.replace(open, end - open, end - open, ' ');
        from = end;
    }
}

// Line comments: "--" up to the next line feed (kept) become blanks; a
// comment that runs to the end of the text gets a final line feed.
void BlankLineComments(std::string& text) {
    std::size_t from = 0;
    while (true) {
        std::size_t open = text.find("--", from);
        if (open == std::string::npos) return;
        std::size_t feed = text.find('\n', open + 2);
        if (feed == std::string::npos) {
            text.replace(open, text.size() - open, text.size() - open, ' ');
            text += '\n';
            return;
        }
        text.replace(open, feed - open, feed - open, ' ');
        from = feed + 1;
    }
}

}  // namespace

std::string CSQLProcessor::BlankComments(const std::string& text) {
    std::string out = text;
    BlankBlockComments(out);
    BlankLineComments(out);
    return out;
}
