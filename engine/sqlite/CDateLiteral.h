#pragma once

#include <string>
#include <string_view>

#include "engine/sqlite/CDateFormat.h"

// The value of a DATE '...' or TIMESTAMP '...' literal without a time zone:
// the date as YYYY-MM-DD (a TIMESTAMP's with its time and up to nine
// digits of a second's fraction), read the same way whether the statement
// is compiled or only its literals are bound again.
class CDateLiteral {
public:
    // 0 and `value` when `body` (the literal's text without quotes nor zone)
    // reads as a literal of its kind; else the server's error number (1861).
    static int Read(std::string_view body, bool timestamp, CDateTime& value);
    // The stored text of the literal token `literal` ('...'), or "" with
    // `code` the error when it does not read. A literal with a time zone is
    // no such value: "" with `code` 0.
    static std::string Stored(std::string_view literal, bool timestamp, int& code);
};
