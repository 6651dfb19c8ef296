#pragma once

// A query's WITH clause that declares PL/SQL functions and procedures:
// where each declaration lies, and the query that follows them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CWithDeclarations {
public:
    // One FUNCTION or PROCEDURE, from that word through its closing ";".
    struct Declaration {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    enum class Outcome { None, Found, Unfinished };

    // Reads `text` (a statement): None when it does not begin WITH FUNCTION
    // or WITH PROCEDURE; Unfinished when a declaration has no end (`at`
    // where it begins); Found with the declarations and the query, which is
    // `text` with the declarations blanked out (and the WITH too, unless
    // subquery factoring follows), every other byte in its place.
    static Outcome Read(std::string_view text, std::vector<Declaration>& declarations, std::string& query,
                        std::size_t& at);
};
