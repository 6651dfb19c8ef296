#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"

// CHECK constraints compiled as a WHERE clause is (CSqlParser, then
// CSqlEmitter), the column names read from the row being checked: the
// server's value rules (long numbers, dates, its functions, comparisons of
// text with numbers) hold in a constraint as in a query.
class CCheckCompiler {
public:
    struct Check {
        std::size_t begin = 0;  // of CONSTRAINT when named, else of CHECK
        std::size_t end = 0;    // after the ")" of the condition and its deferral words
        std::string name;       // CP932 as written, upper case; "" when unnamed
        std::string condition;  // as written, CP932
        std::size_t from = 0;   // the condition's bytes in the text
        std::size_t to = 0;
        std::string compiled;  // SQLite's condition, CP932
        // DEFERRABLE, INITIALLY DEFERRED after the condition (taken in by `end`).
        bool deferrable = false;
        bool deferred = false;
    };

    explicit CCheckCompiler(CSqliteCatalog& catalog) : m_catalog(catalog) {}

    // The columns a CREATE TABLE declares, with their declared types.
    static std::vector<CSqliteCatalog::Column> DeclaredColumns(std::string_view createTable);
    // The CHECK constraints of `text`: a CREATE TABLE's items, or (`items`
    // false) any in the text.
    static std::vector<Check> Find(std::string_view text, bool items);
    // `text` with the constraints of `checks` blanked out, offsets kept.
    static std::string Blank(std::string_view text, const std::vector<Check>& checks);
    // Compiles each of `checks` (found in `text`); a failure's offset is in `text`.
    bool Compile(std::string_view text, const std::vector<CSqliteCatalog::Column>& columns,
                 std::vector<Check>& checks, CSqlEmitter::Failure& failure);
    // The condition between bytes `begin` and `end` of `text`.
    bool Condition(std::string_view text, std::size_t begin, std::size_t end,
                   const std::vector<CSqliteCatalog::Column>& columns, std::string& compiled,
                   CSqlEmitter::Failure& failure);

    // The expression between bytes `begin` and `end` of `text` over a row
    // of `columns` (a virtual column's), with its type.
    bool Value(std::string_view text, std::size_t begin, std::size_t end,
               const std::vector<CSqliteCatalog::Column>& columns, std::string& compiled, CValueType& type,
               CSqlEmitter::Failure& failure);

    // The expression between bytes `begin` and `end` of `text`, naming no
    // column (a column's DEFAULT).
    bool Expression(std::string_view text, std::size_t begin, std::size_t end, std::string& compiled,
                    CSqlEmitter::Failure& failure);

private:
    // The tokens of `text` from `begin` to `end`; ORA-00936 when there are none.
    static bool Slice(std::string_view text, std::size_t begin, std::size_t end,
                      std::vector<CSqlScanner::Token>& tokens, CSqlEmitter::Failure& failure);
    // `type` null: a condition.
    bool Expression(std::string_view text, const std::vector<CSqlScanner::Token>& tokens, std::size_t end,
                    const std::vector<CSqliteCatalog::Column>& columns, std::string& compiled,
                    CSqlEmitter::Failure& failure, CValueType* type = nullptr);
    CSqliteCatalog& m_catalog;
};
