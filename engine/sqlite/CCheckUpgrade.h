#pragma once

#include "engine/EngineTypes.h"

struct sqlite3;
class CSqliteCatalog;

// The CHECK constraints of a file written before they were compiled (kept
// as SQLite read their text, so that a long number passed a comparison),
// compiled once when the file is opened: each keeps the name the dictionary
// gave it, its text goes to the catalog, and its table is rebuilt with the
// rows it holds. A condition the compiler refuses stays as it was.
class CCheckUpgrade {
public:
    static bool Run(sqlite3* db, CSqliteCatalog& catalog, CEngineError& error);
};
