#pragma once

// Where a statement may hold a query that declares PL/SQL functions or
// procedures (WITH FUNCTION) below its top.
#include <string_view>

class CWithPlsqlRule {
public:
    // Whether the statement `text` may hold such a query inside it: a view's
    // query may; a query whose top declares its own may; any other statement
    // only with the WITH_PLSQL hint after its first word. Elsewhere the
    // server answers ORA-32034.
    static bool Allows(std::string_view text, bool view, bool declares);
    // Whether a comment right after the statement's verb (SELECT, INSERT,
    // UPDATE, DELETE, MERGE outside brackets) is a hint (/*+ ... */ or
    // --+ ...) naming `hint` (upper case).
    static bool Hinted(std::string_view text, std::string_view hint);
};
