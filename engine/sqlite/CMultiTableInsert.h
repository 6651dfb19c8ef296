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
    // One insert made: its text and where its pieces stand in the text
    // typed, so that an error in it is shown where it was typed.
    struct Made {
        struct Piece {
            std::size_t madeAt;
            std::size_t typedAt;
            std::size_t length;
        };
        std::string text;
        std::vector<Piece> pieces;
        std::size_t intoAt = 0;  // the INTO clause it comes from
        // The place in the text typed of `position` in `text`: the INTO
        // clause's for words of the insert's own.
        std::size_t Typed(std::size_t position) const;
    };
    struct Split {
        std::vector<Made> made;
        // Where the text is not such a statement: the offset of the token
        // at fault; npos when it was read.
        std::size_t failedAt = std::string::npos;
    };

    // Whether `sql` (CP932) begins INSERT ALL or INSERT FIRST.
    static bool Takes(std::string_view sql);
    static Split Read(std::string_view sql);
};
