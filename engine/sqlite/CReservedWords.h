#pragma once

// The server's reserved words: no unquoted name may be one (a table named
// LEVEL is ORA-00903, a column named ROWS ORA-00904). Every other keyword
// (LIMIT, KEY, TYPE, NAME, ...) names what it is given to.
#include <string_view>

class CReservedWords {
public:
    // Whether `word` (unquoted, in any case) is reserved.
    static bool Is(std::string_view word);
};
