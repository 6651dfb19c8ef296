#pragma once

// The key of a function-based index as the server shows it
// (USER_IND_EXPRESSIONS.COLUMN_EXPRESSION): the user's expression with its
// words in upper case, its columns in double quotes and no blanks between
// symbols, as in TRUNC("HIREDATE") or "SAL"*12. The file's index keeps it
// in a comment after the key it compiled.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"

class CIndexExpression {
public:
    // The server's form of tokens [from, to) of `sql` over a table of
    // `columns`, written so that it can stand inside a comment.
    static std::string Comment(std::string_view sql, std::span<const CSqlScanner::Token> tokens,
                               std::size_t from, std::size_t to,
                               const std::vector<CSqliteCatalog::Column>& columns);
    // The server's form kept in a key's text by Comment; "" when it has none.
    static std::string FromKey(std::string_view key);
};
