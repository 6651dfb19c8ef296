#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"

// The server refuses a text longer than its column (VARCHAR2(n), CHAR(n) and
// their kin hold at most n bytes); the engine would store it. For CREATE
// TABLE, each such column gets a check of its length in CP932 bytes
// (the engine function LENGTHB), named so that a failure reads as
// "value too large for column NAME (maximum n bytes)".
class CLengthChecks {
public:
    // Text to insert after each significant token of `text` (empty for
    // most); all empty when `text` is not a CREATE TABLE with columns.
    static std::vector<std::string> Find(std::string_view text,
                                         const std::vector<CSqlScanner::Token>& tokens);
};
