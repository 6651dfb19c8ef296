#pragma once

// Values: the server's statistical and ordered-set aggregates.
struct sqlite3;

// Aggregates over NUMBER values, exact decimals to the server's digits,
// called by the text CSqlEmitter writes:
//   ORA_STAT(kind, x [, y])   VARIANCE, VAR_POP, VAR_SAMP, STDDEV, STDDEV_POP,
//       STDDEV_SAMP of x; COVAR_POP, COVAR_SAMP, CORR of the pairs with
//       neither NULL (`kind` one of those names)
//   ORA_PERCENTILE(kind, p, x, descending)   PERCENTILE_CONT (MEDIAN is
//       p .5) or PERCENTILE_DISC of x in the given order
//   ORA_HYPOTHETICAL(kind, n, v1..vn, key1..keyn, descending1..n)   RANK,
//       DENSE_RANK, CUME_DIST or PERCENT_RANK that the row of values v
//       would have among the rows of keys
//   ORA_KEEP(function, first, value, n, key1..keyn, descending1..n,
//       nullsFirst1..n)   MIN, MAX, SUM, AVG, COUNT, VARIANCE or STDDEV of
//       the values of the rows ranked FIRST (or LAST) by the keys
//   ORA_STATS_MODE(x)   the value of x that comes most often (the least of
//       several such)
//   ORA_COUNT_DISTINCT(x), ORA_SUM_DISTINCT(x), ORA_AVG_DISTINCT(x)
//       COUNT, SUM and AVG of the distinct values of a window
//   ORA_NTH_VALUE(x, n, from last, ignore nulls)   the n-th value of the
//       window's rows, from its first or last, NULLs left out if told
// NULL values are left out; over no rows ORA_HYPOTHETICAL and ORA_KEEP give
// NULL, for the caller to answer as the function does.
class CStatisticFunctions {
public:
    static bool Register(sqlite3* db);
};
