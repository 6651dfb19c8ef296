#pragma once

#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

struct sqlite3;

// ALTER INDEX: RENAME TO, and the clauses the dictionary keeps (REBUILD,
// UNUSABLE, VISIBLE | INVISIBLE, LOGGING | NOLOGGING, PARALLEL, MONITORING
// USAGE ...; see CTableOptions). The index is one CREATE INDEX made, or the
// index of a key written with its table, which bears the key's name.
class CIndexAlteration {
public:
    explicit CIndexAlteration(sqlite3* db) : m_db(db) {}

    // Runs `sql` (CP932), inside the caller's transaction.
    bool Run(std::string_view sql, CEngineError& error);

private:
    // The index's name as the file keeps it ("" when it is a key's own).
    bool Find(const std::string& upper, std::string& stored, bool& keyIndex);
    bool Rename(const std::string& stored, const std::string& upper, const std::string& to, int at,
                CEngineError& error);
    bool Exec(const std::string& utf8, CEngineError& error);

    sqlite3* m_db;
};
