#pragma once

#include <cstddef>
#include <string_view>

// Bounds on the shape of a statement checked before it is translated: a
// chain of thousands of operators would take the translator time that grows
// with the square of its length, and SQLite refuses such an expression
// anyway (its trees are at most 1000 deep).
class CStatementLimits {
public:
    // Operators (+ - * / ||) one expression may chain at one level of
    // parentheses; past it the expression is more than 1000 deep.
    static constexpr std::size_t kMaxOperatorRun = 3000;

    // Byte offset of the operator that makes a run too long, or npos when
    // every run is within the bound. Literals, quoted names and comments
    // are skipped; one pass over the bytes.
    static std::size_t FindOverlongRun(std::string_view sql);
};
