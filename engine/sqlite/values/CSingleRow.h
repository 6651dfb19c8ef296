#pragma once

// Values: a query that must give one row at most.
struct sqlite3;

// ORA_SINGLE_ROW(v, at): an aggregate over the rows of a scalar subquery,
// the value of its one row (NULL for none), ORA-01427 at `at` for a second.
class CSingleRow {
public:
    static bool Register(sqlite3* db);
};
