#pragma once

// Which base table a view passes DML on to: the tables of its query, the
// ones whose keys the join keeps, and the table and column behind each of
// the view's columns.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/sqlite/CSqlTree.h"

struct sqlite3;
#include "engine/sqlite/CSqliteCatalog.h"

// A table of a join is key-preserved when each of its rows is at most one
// row of the join: every other table is reached from it through equalities
// on all the columns of one of that table's keys (primary key or unique
// index), each equated to a constant or to columns of tables reached before.
// The table an outer join may fill with NULLs keeps no key.
class CJoinView {
public:
    struct Table {
        std::string name;   // upper case (CP932)
        std::string alias;  // as the query names it (upper case)
        bool keyPreserved = false;
    };
    struct Column {
        std::string name;  // the view's column (upper case)
        int table = -1;    // -1: an expression, which DML cannot set
        std::string base;  // the table's column
    };
    enum class Shape { Updatable, NotUpdatable, Missing };

    // Reads the view's query. NotUpdatable (ORA-01732) for a compound,
    // DISTINCT, GROUP BY, an aggregate or analytic function, CONNECT BY,
    // ROWNUM, a row limit, WITH, or a FROM item that is no table; Missing
    // when a table it names is gone.
    Shape Read(const CSqlSelect& query, CSqliteCatalog& catalog);
    // Names the view's columns as the view declares them (its column list),
    // when there are as many.
    void Rename(const std::vector<std::string>& names);

    const std::vector<Table>& Tables() const { return m_tables; }
    const std::vector<Column>& Columns() const { return m_columns; }
    // The number of the view's columns each item of the select list makes.
    const std::vector<std::size_t>& ItemColumns() const { return m_itemColumns; }
    // The view's column `name`; null for none.
    const Column* Find(const std::string& name) const;
    // The table DELETE removes rows of: the first key-preserved one in FROM; -1 for none.
    int DeleteTarget() const;
    // The table INSERT or UPDATE of `columns` (the view's, in order) writes
    // to; -1 with `code` (ORA-00904, 01733, 01779, 01776) and the index of
    // the column it is about in `failed`.
    int WriteTarget(const std::vector<std::string>& columns, int& code, std::size_t& failed) const;
    // The table DML of `event` ('I', 'U' or 'D') through the view `name`
    // (upper case, CP932) changes, with `columns` (an UPDATE's, the view's)
    // made that table's; "" when `name` is no view that passes the DML on.
    static std::string BaseTable(CSqliteCatalog& catalog, const std::string& name, char event,
                                 std::vector<std::string>& columns);
    // TARVEX_UPDATABLE(table, column, what): 'YES' or 'NO', what the
    // column of the table or view (upper case) takes: 'U' UPDATE, 'I'
    // INSERT, 'D' DELETE (USER_UPDATABLE_COLUMNS).
    static bool Register(sqlite3* db, CSqliteCatalog& catalog);
    // Reads the view `name` of the catalog; false when it is none or passes no DML on.
    bool ReadView(CSqliteCatalog& catalog, const std::string& name);
    // Whether the view's column `name` is `what`: 'U' updatable, 'I'
    // insertable, 'D' deletable.
    bool Allows(const std::string& name, char what) const;

private:
    struct Binding {
        std::size_t table;
        std::string column;
        std::vector<std::size_t> needs;  // the tables the other side reads
    };
    bool ReadColumns(const CSqlSelect& query, CSqliteCatalog& catalog);
    // The table a column name reads (-1: none or more than one).
    int Owner(const CSqlExpr& name, CSqliteCatalog& catalog) const;
    // The tables an expression reads; false when it reads one no table has.
    bool Reads(const CSqlExpr* expr, CSqliteCatalog& catalog, std::vector<std::size_t>& tables) const;
    void Equality(const CSqlExpr* conjunct, CSqliteCatalog& catalog);
    void MarkOuter(const CSqlExpr* expr, CSqliteCatalog& catalog);
    bool Reaches(std::size_t from, const std::vector<std::vector<std::vector<std::string>>>& keys) const;

    std::vector<Table> m_tables;
    std::vector<Column> m_columns;
    std::vector<std::size_t> m_itemColumns;
    std::vector<Binding> m_bindings;
    std::vector<bool> m_nullable;
};
