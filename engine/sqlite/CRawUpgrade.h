#pragma once

#include "engine/EngineTypes.h"

struct sqlite3;
class CSqliteCatalog;

// The RAW columns of a file written before RAW was kept as text: SQLite gave
// a column declared RAW(n) numeric affinity, so a value written to it later
// was still read as a number ("0012" as 12, "1E10" as 10000000000). Each such
// table is rebuilt once, when the file is opened, with its RAW columns
// declared as the engine declares them now; its rows, indexes, triggers and
// constraints stay. A table that cannot be rebuilt (the file busy) stays as
// it was.
class CRawUpgrade {
public:
    static bool Run(sqlite3* db, CSqliteCatalog& catalog, CEngineError& error);
};
