#pragma once

#include <span>

#include "engine/sqlite/CDictionaryView.h"

struct sqlite3;

// The dictionary views administrators' reports read beside the storage
// views (CSqliteSystemViews): the temporary file, the profile, the LOB
// columns of the user's tables, the database's properties, and the views
// of what the engine does not have (directories, database links, jobs,
// the recycle bin), which have no rows.
class CSqliteAdminViews {
public:
    static std::span<const CDictionaryView> Views();
    // Adds ORA_INDEX_KEY(sql, position), the text of an index's key; false
    // on failure.
    static bool Register(sqlite3* db);
};
