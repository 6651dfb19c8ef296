#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The column list of CREATE TABLE t (...) AS query when it holds
// constraints: column names, each with its inline constraints and no type
// (id PRIMARY KEY, name NOT NULL), and out-of-line constraints (CONSTRAINT
// t_pk PRIMARY KEY (id)). The table is made as a definition with the
// query's types, then filled by the query (see CSqliteConnection::RunDdl).
class CAsSelectList {
public:
    struct Column {
        std::string name;         // as written
        std::string constraints;  // the words after the name, "" when none
    };
    struct List {
        bool constrained = false;  // a constraint is written in the list
        std::string head;          // CREATE TABLE [schema.]name
        std::string table;         // [schema.]name
        std::vector<Column> columns;
        std::vector<std::string> outOfLine;
        std::string options;  // what stands between the list and AS
        std::string query;    // after AS
        std::size_t listAt = 0;
        std::size_t queryAt = 0;
    };

    // False when `sql` is no CREATE TABLE ... (list) ... AS query.
    static bool Read(std::string_view sql, List& list);
    // The definition of a table of `list` whose columns have the stored
    // types `stored` (as SQLite keeps them), one for each column.
    static std::string Definition(const List& list, const std::vector<std::string>& stored);
    // A type as SQLite keeps it ("VARCHAR2_CHAR(10)") as the server writes
    // it ("VARCHAR2(10 CHAR)").
    static std::string WrittenType(std::string_view stored);
};
