#pragma once

#include <string>
#include <string_view>
#include <vector>

// The items of a query's select list ("SELECT a, b + 1 AS c, ... FROM"), as
// the statement was typed (before it is rewritten for the engine).
class CSelectList {
public:
    struct Item {
        // A TO_CHAR call: its text is never a date, whatever it looks like.
        bool textConversion = false;
        // A column name or an item with an alias: the engine's column name
        // is the one the server shows.
        bool named = false;
        // The server's heading of an unnamed item: its text without blanks
        // (outside quotes).
        std::string heading;
    };

    // Empty when the list cannot be split, such as for "*" or a text that
    // does not start with SELECT.
    static std::vector<Item> Parse(std::string_view text);
};
