#pragma once

#include <string>
#include <string_view>

// Numbers in English words, as date formats spell them (SP, SPTH, TH and
// YEAR): upper case; the caller applies the case its element was written in.
class CSpelledNumber {
public:
    // "TWENTY-FOUR"; 0 is "ZERO".
    static std::string Cardinal(long long value);
    // "TWENTY-FOURTH".
    static std::string Ordinal(long long value);
    // The ordinal suffix of digits: "ST", "ND", "RD" or "TH".
    static std::string_view Suffix(long long value);
    // A year as it is said: "NINETEEN NINETY-EIGHT", "TWO THOUSAND FIVE".
    static std::string Year(int year);
    // `text` in the case of `written` (an element as the format wrote it):
    // all lower, first letter of each word upper, or all upper.
    static std::string Cased(std::string text, std::string_view written);
};
