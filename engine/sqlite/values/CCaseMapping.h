#pragma once

#include <string>
#include <string_view>

// Values: UPPER, LOWER and INITCAP of UTF-8 text as the server maps case:
// the letters of every script the session's character set holds (Latin,
// full-width Latin, Greek, Cyrillic, the small Roman numerals), not ASCII
// alone. Other characters pass unchanged.
class CCaseMapping {
public:
    static std::string Upper(std::string_view text);
    static std::string Lower(std::string_view text);
    // Each word's first letter upper case, its other letters lower case;
    // words are runs of letters and digits.
    static std::string Initcap(std::string_view text);
};
