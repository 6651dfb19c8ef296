#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/CEngineResult.h"
#include "engine/sqlite/CSelectList.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/values/CValueType.h"

struct sqlite3;
struct sqlite3_stmt;

// Reads the rows of a prepared query as the server would deliver them:
// column descriptions from the declared types (expressions described by
// their values), numbers in the server's text form, dates as "RR-MM-DD",
// text in CP932 with '?' for characters it cannot hold, binary values in hex.
class CSqliteResultReader {
public:
    // How the values of one column are read.
    struct ColumnPlan {
        bool expression = false;
        bool sizeFromValues = false;
        bool isDate = false;
        // A TIMESTAMP: the digits of a second shown (-1: a DATE), and its zone.
        int fraction = -1;
        bool zone = false;
        // A NUMBER column: a BLOB in it is a long number's digits.
        bool isNumber = false;
        // A BINARY_FLOAT (4) or BINARY_DOUBLE (8) column: its values are
        // shown in the server's text of such values.
        int floatWidth = 0;
        // Scale to round numbers to (NUMBER(p, s) columns).
        std::optional<int> scale;
        std::size_t widest = 0;
        bool sawText = false;
        bool sawNumber = false;
        bool sawFraction = false;
        bool sawBlob = false;
        bool allStoredDates = true;
        // The session's date format; null: "RR-MM-DD".
        const std::string* dateFormat = nullptr;
        // The session's NLS_TIMESTAMP_FORMAT and NLS_TIMESTAMP_TZ_FORMAT
        // (UTF-8); null: the server's Japanese defaults.
        const std::string* timestampFormat = nullptr;
        const std::string* timestampTzFormat = nullptr;
        CDateLanguage language = CDateLanguage::Japanese;

        // True when the column's description does not wait for its values.
        bool Fixed() const { return !expression && !sizeFromValues; }
    };

    // The column descriptions of a prepared query as far as they are known
    // before any row (see Read for `items` and `types`), with the plan of
    // each column; dates are shown in the session's date format and language
    // (null: "RR-MM-DD").
    static void Describe(sqlite3* db, sqlite3_stmt* statement, const std::vector<CSelectList::Item>& items,
                         std::vector<CEngineColumn>& columns, std::vector<ColumnPlan>& plans,
                         const CSqliteSession* session = nullptr,
                         const std::vector<CValueType>* types = nullptr);
    // Appends the current row of `statement` to `result`.
    static void AddRow(sqlite3_stmt* statement, std::vector<ColumnPlan>& plans, CEngineResult& result);

    // Steps through every row into `result`. `items` is the select list as
    // typed, one item per column (or empty): it gives the headings of
    // expressions and tells text that is never a date. False with the
    // engine's message in `error` (at no position).
    // `types` (when not empty) are the static types of the columns: an
    // expression of a known type is described by it before any row (a
    // number as NUMBER, a date as DATE, text as VARCHAR2 of its length when
    // known, else as wide as its widest value).
    // Dates are shown as the session says (null: "RR-MM-DD").
    static bool Read(sqlite3* db, sqlite3_stmt* statement, const std::vector<CSelectList::Item>& items,
                     CEngineResult& result, CEngineError& error, const std::vector<CValueType>& types = {},
                     const CSqliteSession* session = nullptr);

    // The text of column `index` of the current row; false for NULL.
    // `isNumber` tells a numeric value; `number`: the column is typed NUMBER
    // (a BLOB in it is a long number's digits).
    static bool ValueText(sqlite3_stmt* statement, int index, std::string& text, bool& isNumber,
                          bool number = false);
};
