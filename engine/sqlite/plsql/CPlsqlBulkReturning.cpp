// PL/SQL: DML ... RETURNING ... BULK COLLECT INTO, alone or as FORALL's
// statement: every row the statement wrote, as stored, one element each,
// the rows of FORALL's executions one after another.
#include <sqlite3.h>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/plsql/CPlsqlHost.h"
#include "engine/sqlite/plsql/CPlsqlInterpreter.h"

bool CPlsqlInterpreter::AppendRows(sqlite3_stmt* statement, const CPlsqlSql& sql,
                                   const std::vector<CPlsqlTarget>& targets,
                                   const std::vector<CPlsqlCollection*>& collections, long& count) {
    std::vector<CPlsqlValue> row;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        row.resize(static_cast<std::size_t>(ColumnCount(statement, sql)));
        for (std::size_t k = 0; k < row.size(); ++k) row[k] = Column(statement, sql, static_cast<int>(k));
        if (!AppendBulk(row, targets, collections, ++count)) return false;
    }
    return rc == SQLITE_DONE || StepFailed(sql);
}

bool CPlsqlInterpreter::ReturnBulk(CPlsqlSql& sql, const std::vector<CPlsqlTarget>& targets,
                                   const std::vector<CPlsqlCollection*>& collections, long& count,
                                   long& changes) {
    sqlite3_stmt* handle = sql.statement.get();
    const long before = count;
    if (sql.readBack) {
        // Note: the rows are read once the statement (and the row triggers
        // writing them again) has run.
        std::vector<std::int64_t> rowids;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(handle)) == SQLITE_ROW) rowids.push_back(sqlite3_column_int64(handle, 0));
        if (rc != SQLITE_DONE) return StepFailed(sql);
        changes = m_host.Changes();
        sqlite3_reset(handle);
        if (rowids.empty()) return true;
        sqliteapi::Statement statement = ReadBackQuery(sql, rowids);
        return statement && AppendRows(statement.get(), sql, targets, collections, count);
    }
    if (!AppendRows(handle, sql, targets, collections, count)) return false;
    changes = m_host.Changes();
    if (count != before || changes != 1) return true;
    sqliteapi::Statement statement;
    return !Reinserted(sql, statement) ||
           (statement && AppendRows(statement.get(), sql, targets, collections, count));
}

bool CPlsqlInterpreter::Reinserted(CPlsqlSql& sql, sqliteapi::Statement& statement) {
    // Note: an INSERT's row a BEFORE ROW trigger wrote anew was inserted by
    // the trigger, not the statement, which so returned none.
    std::vector<CSqlScanner::Token> first = CSqlScanner::Significant(sql.text, 1);
    if (first.empty() || !CSqlScanner::Is(sql.text, first[0], "INSERT")) return false;
    bool compiled = false;
    statement = ReadBackStatement(sql, sql.returningText, "ORDER BY rowid DESC LIMIT 1", compiled);
    // Note: a view's INSTEAD OF trigger leaves no row of its own to read back.
    return compiled;
}
