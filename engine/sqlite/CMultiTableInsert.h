#pragma once

#include <string>
#include <string_view>
#include <vector>

// INSERT ALL and INSERT FIRST as the single-table inserts they make: each
// INTO clause becomes INSERT INTO table [(columns)] SELECT values FROM
// (the subquery) [WHERE the rows its WHEN takes], in the order written. An
// INTO without VALUES takes the subquery's columns as they come.
class CMultiTableInsert {
public:
    struct Split {
        std::vector<std::string> statements;
        // Where the text is not such a statement: the offset of the token
        // at fault; npos when it was read.
        std::size_t failedAt = std::string::npos;
    };

    // Whether `sql` (CP932) begins INSERT ALL or INSERT FIRST.
    static bool Takes(std::string_view sql);
    static Split Read(std::string_view sql);
};
