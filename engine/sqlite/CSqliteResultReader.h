#pragma once

#include <string>
#include <vector>

#include "engine/CEngineResult.h"
#include "engine/sqlite/CSelectList.h"
#include "engine/sqlite/CSqliteCatalog.h"

struct sqlite3;
struct sqlite3_stmt;

// Reads the rows of a prepared query as the server would deliver them:
// column descriptions from the declared types (expressions described by
// their values), numbers in the server's text form, dates as "RR-MM-DD",
// text in CP932 with '?' for characters it cannot hold, binary values in hex.
class CSqliteResultReader {
public:
    // Steps through every row into `result`. `items` is the select list as
    // typed, one item per column (or empty): it gives the headings of
    // expressions and tells text that is never a date. False with the
    // engine's message in `error`.
    // `types` (when not empty) are the static types of the columns: an
    // expression is a date only when typed so, whatever its text looks like.
    // Dates are shown in `dateFormat`.
    static bool Read(sqlite3* db, sqlite3_stmt* statement, const std::vector<CSelectList::Item>& items,
                     CEngineResult& result, std::string& error, const std::vector<CSqlType>& types = {},
                     const std::string& dateFormat = "RR-MM-DD");

    // The text of column `index` of the current row; false for NULL.
    // `isNumber` tells a numeric value.
    static bool ValueText(sqlite3_stmt* statement, int index, std::string& text, bool& isNumber);
};
