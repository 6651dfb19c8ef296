#pragma once

#include <string>
#include <string_view>

// Number format models of TO_CHAR: an optional FM prefix, then 9 (digit or
// blank), 0 (digit, leading zeros kept), "," and one ".". A value too wide
// for the model gives "#" in every position, as the server shows it.
class CNumberFormat {
public:
    static bool Format(double value, std::string_view format, std::string& out, std::string& error);
};
