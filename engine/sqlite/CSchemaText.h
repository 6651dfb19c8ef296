#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"

// The schema statements SQLite runs in a form of its own, read from their
// tokens and written anew: TRUNCATE TABLE, DROP TABLE | VIEW | INDEX, CREATE
// [UNIQUE | BITMAP] INDEX (its expressions compiled as a query's are), ALTER
// TABLE ... RENAME [COLUMN] | DROP COLUMN, RENAME, SAVEPOINT and ROLLBACK TO.
// The server's options that change nothing here are read and left out;
// anything else is refused at its token.
class CSchemaText {
public:
    enum class Outcome { Written, NotTaken, Refused };

    struct Failure {
        std::size_t at = 0;
        int code = 900;
        std::string name;  // CP932, the error's argument
    };

    explicit CSchemaText(CSqliteCatalog& catalog) : m_catalog(catalog) {}

    // `sql` (CP932, physical clauses blanked) written as SQLite's statement
    // in `out` (CP932); NotTaken for a statement of another kind. `nameAt`:
    // where the object the statement names is written, for SQLite's errors.
    Outcome Write(std::string_view sql, std::string& out, std::size_t& nameAt, Failure& failure);

    // The leading words of a schema statement of a kind this engine does
    // not have ("CREATE MATERIALIZED VIEW" ...), for ORA-03001; `at` where
    // they start.
    static std::string_view Construct(std::string_view sql, std::size_t& at);

private:
    using Tokens = std::vector<CSqlScanner::Token>;
    struct Reader;

    bool Truncate(Reader& in, std::string& out);
    bool Drop(Reader& in, std::string& out);
    bool CreateIndex(Reader& in, std::string& out);
    // One key of an index, tokens `from` to `to`: a column as written, or an
    // expression over `table`'s columns compiled as a query's.
    bool IndexKey(Reader& in, std::size_t from, std::size_t to, const std::string& table, std::string& out);
    bool AlterTable(Reader& in, std::string& out);
    // DROP or ALTER TRIGGER of a trigger the file does not hold (those it
    // holds are the stored units'): ORA-04080.
    bool MissingTrigger(Reader& in);
    bool Rename(Reader& in, std::string& out);
    // The object `kept` (as the server keeps it) is not one the file holds
    // only in another case; else the failure `code` at `at`.
    bool Exact(Reader& in, const std::string& kept, std::size_t at, int code);
    // No object the file holds takes the new name `kept` in any case (ORA-00955).
    bool Unused(Reader& in, const std::string& kept, std::size_t at);
    // The column `name` of `table` (both as kept), compared exactly or
    // without the case of ASCII letters; nullptr when there is none.
    const CSqliteCatalog::Column* Column(const std::string& table, const std::string& name, bool anyCase);
    // RENAME COLUMN `from` TO `to` of `table`: `from` is a column, and `to`
    // takes no other's name in any case (SQLite's names ignore case).
    bool ColumnRename(Reader& in, const std::string& table, const std::string& from, std::size_t fromAt,
                      const std::string& to, std::size_t toAt);
    bool Savepoint(Reader& in, std::string& out);
    bool RollbackTo(Reader& in, std::string& out);

    CSqliteCatalog& m_catalog;
    std::size_t m_nameAt = 0;
};
