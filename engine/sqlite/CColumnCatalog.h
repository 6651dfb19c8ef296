#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"

struct sqlite3;

// The columns of the file's tables as the server declares them, kept in the
// catalog table TARVEX_COLUMNS: each column's position, its type as declared
// ("VARCHAR2(20 CHAR)", "NUMBER(*,2)") with the parts of it, whether it
// takes NULL, and its DEFAULT as it was typed. The rows of a table are
// written in the transaction of the statement that makes or changes it; the
// table's own definition holds what SQLite enforces.
class CColumnCatalog {
public:
    static constexpr const char* kCreate =
        "CREATE TABLE IF NOT EXISTS TARVEX_COLUMNS (TABLE_NAME VARCHAR2(128) NOT NULL, COLUMN_NAME "
        "VARCHAR2(128) NOT NULL, COLUMN_ID INTEGER NOT NULL, DATA_TYPE TEXT NOT NULL, TYPE_NAME TEXT NOT "
        "NULL, "
        "DATA_LENGTH INTEGER, CHAR_USED VARCHAR2(1), DATA_PRECISION INTEGER, DATA_SCALE INTEGER, FRACTION "
        "INTEGER, NULLABLE VARCHAR2(1) NOT NULL, DATA_DEFAULT TEXT, PRIMARY KEY (TABLE_NAME, COLUMN_NAME))";

    // A column's definition as typed in CREATE TABLE or ALTER TABLE (CP932).
    struct Declared {
        std::string name;  // upper case unless quoted
        std::string type;  // "" when the definition gives none (MODIFY)
        bool hasDefault = false;
        std::string defaultText;  // as typed
        // Where they are in the text read: the type's bytes, and those of
        // the DEFAULT expression with its word at `defaultWord`.
        std::size_t typeBegin = 0;
        std::size_t typeEnd = 0;
        std::size_t defaultWord = 0;
        std::size_t defaultBegin = 0;
        std::size_t defaultEnd = 0;
        bool defaultOnNull = false;  // DEFAULT ON NULL [FOR INSERT ONLY]
        bool invisible = false;
        // [GENERATED ALWAYS] AS (expr) [VIRTUAL]: the expression is the
        // DEFAULT's text and bytes; the clause's bytes are [clauseBegin, clauseEnd).
        bool virtualColumn = false;
        std::size_t clauseBegin = 0;
        std::size_t clauseEnd = 0;
    };
    // The columns of a CREATE TABLE statement (none for AS SELECT).
    static std::vector<Declared> ReadTable(std::string_view createTable);
    // One column definition: "name [type] [DEFAULT expr] [constraints]".
    static Declared ReadItem(std::string_view item);
    // A type as written, in the catalog's form: words upper case, one space
    // between words ("TIMESTAMP(6) WITH TIME ZONE", "VARCHAR2(20 CHAR)").
    static std::string Normalized(std::string_view type);

    // Records the columns `table` (UTF-8, any case) has now: their order and
    // NULL rule as the table holds them; the type and DEFAULT of those in
    // `declared`, the others keeping what the catalog held (a column new to
    // it takes the type its table declares). A table that is not there
    // leaves the catalog as it is.
    static bool Record(sqlite3* db, const std::string& table, const std::vector<Declared>& declared,
                       CEngineError& error);
    // Files of an earlier version: every table's columns recorded from its
    // definition (inside the caller's transaction).
    static bool Convert(sqlite3* db, CEngineError& error);
    // The catalog's form of a type SQLite holds ("VARCHAR2_CHAR(20)" is
    // "VARCHAR2(20 CHAR)", "NUMBER(0,2)" "NUMBER(*,2)").
    static std::string FromStored(std::string_view stored);
};
