#pragma once

// PL/SQL: the cursor a cursor variable (SYS_REFCURSOR, REF CURSOR) points to.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"

// A query opened for a cursor variable. Its rows are read at OPEN, as the
// server's cursor sees the data then, and fetched from here; the query and
// its bind values are kept so that the console can be given the cursor
// (a REFCURSOR bind variable) with its rows described as a query's.
// Assigning a cursor variable shares the cursor, as on the server.
class CPlsqlRefCursor {
public:
    std::string query;               // Oracle SQL, parameters named as `binds`
    std::vector<CEngineBind> binds;  // their values at OPEN
    std::vector<std::string> columns;
    std::vector<std::vector<CPlsqlValue>> rows;

    // A new result: open, nothing fetched.
    void Reopen();
    void Close() { m_open = false; }
    bool IsOpen() const { return m_open; }
    // The next row into `row`; false past the last one (%NOTFOUND).
    bool Fetch(std::vector<CPlsqlValue>& row);
    // %FOUND (NULL before the first FETCH), %ROWCOUNT.
    CPlsqlValue Found() const;
    long RowCount() const { return static_cast<long>(m_next); }
    // The rows not fetched yet.
    std::size_t Position() const { return m_next; }

private:
    bool m_open = false;
    bool m_fetched = false;
    bool m_found = false;
    std::size_t m_next = 0;
};
