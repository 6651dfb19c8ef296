#pragma once

#include "engine/EngineTypes.h"

struct sqlite3;

// A file of a version before names were spelled (CSqliteName) kept a quoted
// name in its own case, as SQLite took it: "Mixed" as Mixed. Converted once
// when opened: its tables and columns are renamed to their spellings (SQLite
// rewrites what refers to them), its indexes and views made anew under
// theirs, and the catalog's rows name them so. Run inside the caller's
// transaction; false with SQLite's reason.
class CNameUpgrade {
public:
    static bool Run(sqlite3* db, CEngineError& error);
};
