#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"

struct sqlite3;

// What ALTER TABLE ... DROP COLUMN (and SET UNUSED) takes along with its
// columns, found before anything goes: every index that uses one of them,
// every constraint over them alone, and, with CASCADE CONSTRAINTS, the
// constraints over them and columns that stay (without it ORA-12991) and
// the foreign keys that refer to a key that goes (without it ORA-12992).
class CColumnDrop {
public:
    struct Plan {
        // Each (table, constraint), UTF-8, in the order they go: foreign
        // keys before the keys they refer to.
        std::vector<std::pair<std::string, std::string>> constraints;
        std::vector<std::string> indexes;  // UTF-8
        int refusal = 0;                   // 12991 or 12992 when the drop is refused
    };

    // `table` and `columns`: names as stored (UTF-8); `all`: the file's constraints.
    static Plan Make(sqlite3* db, const std::string& table, const std::vector<std::string>& columns,
                     bool cascade, const std::vector<CSqliteDictionary::Constraint>& all);
    // The columns of `table` (`names`, UTF-8) that a constraint reads: its
    // listed ones, or for a CHECK without them those its condition names.
    static std::vector<std::string> ColumnsOf(const CSqliteDictionary::Constraint& constraint,
                                              const std::vector<std::string>& names);
    // The names among `names` (UTF-8) that the text `utf8` names.
    static std::vector<std::string> NamesIn(std::string_view utf8, const std::vector<std::string>& names);
    // A name token as the file keeps it (CP932): a quoted one as written,
    // another in upper case.
    static std::string StoredName(std::string_view text, const CSqlScanner::Token& token);
    // Whether the index made by `sql` (UTF-8) reads one of `columns`.
    static bool IndexUses(const std::string& sql, const std::vector<std::string>& columns);
};
