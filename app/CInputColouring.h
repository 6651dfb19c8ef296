#pragma once

#include <string_view>
#include <vector>

// What each byte of the line being typed (CP932) shows as: a word of SQL,
// quoted text, a comment, or plain text. Only the input line is coloured.
class CInputColouring {
public:
    enum class Kind { Plain, Keyword, Quoted, Comment };

    // One kind per byte of `line`; both bytes of a character share one.
    static std::vector<Kind> Classify(std::string_view line);
};
