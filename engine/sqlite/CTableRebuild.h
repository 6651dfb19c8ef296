#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineTypes.h"

struct sqlite3;

// A table given a new definition by SQLite's documented procedure: a new
// table made from the definition, the rows copied (with their rowids), the
// old table dropped, the new one renamed to its name, and the table's indexes
// and triggers made again; views that name it keep naming it. The schema is
// never edited in place, so a definition SQLite refuses changes nothing and
// leaves a sound file.
//
// The caller holds the transaction the rebuild runs in (and rolls it back on
// failure) with foreign key enforcement off, as the procedure requires.
class CTableRebuild {
public:
    // `table`: the table's name (UTF-8, any case); `definition`: its new
    // CREATE TABLE statement (UTF-8). Columns of the same name keep their
    // values; a new column takes its default, or the value of its SQL
    // expression in `fills` (column name upper case, UTF-8), computed row by
    // row in rowid order. False with SQLite's reason.
    using Fills = std::vector<std::pair<std::string, std::string>>;
    static bool Run(sqlite3* db, const std::string& table, const std::string& definition, CEngineError& error,
                    const Fills& fills = {});
    // Runs `rebuilds` (which call Run) in a transaction of their own, with
    // foreign key enforcement off: all of them are kept, or none when one
    // fails (false with the reason in `error`).
    static bool InTransaction(sqlite3* db, CEngineError& error, const std::function<bool()>& rebuilds);
};
