#include "text/SqlText.h"

namespace sqltext {

char QQuoteClose(char open) {
    constexpr struct {
        char open;
        char close;
    } kPairs[] = {{'[', ']'}, {'{', '}'}, {'(', ')'}, {'<', '>'}};
    for (const auto& pair : kPairs)
        if (pair.open == open) return pair.close;
    return open;
}

}  // namespace sqltext
