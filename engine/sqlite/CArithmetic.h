#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"

// The server's arithmetic in the engine's terms.
//
// Additive expressions ("a + b - c || d": "+", "-" and "||" of one
// precedence, left to right, below "*" and "/") become nested calls of the
// engine functions ORA_ADD, ORA_SUB and ORA_CONCAT, which add days to dates,
// subtract dates and concatenate with NULL as empty text, as the server does.
// Division divides exactly ("a / b" becomes "ORA_DIV(a , b)") and fails on
// a zero divisor. An expression whose operands cannot be told apart
// (such as a CASE expression) is left to the engine's own operators.
class CArithmetic {
public:
    // Edits per significant token: text to insert before it, text to put in
    // its place (when `replaced`), text to insert after it.
    struct Edits {
        std::vector<std::string> before;
        std::vector<std::string> after;
        std::vector<std::string> replacement;
        std::vector<bool> replaced;
    };

    // `tokens` are the significant tokens of `text`. Linear in their number.
    static Edits Find(std::string_view text, const std::vector<CSqlScanner::Token>& tokens);
};
