#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// Lists of names as the catalog tables keep them: joined by commas in one
// column (a name holds no comma: the dictionary's names are identifiers).
class CNameList {
public:
    static std::string Join(const std::vector<std::string>& names);
    static std::vector<std::string> Split(const std::string& text);
    // A name as a definition writes it, as the catalog keeps it: a quoted
    // one without its quotes, any other in upper case (ASCII letters only).
    static std::string Identifier(std::string_view written);
    // The name of the table, view or index `name` (UTF-8) as the file's
    // schema spells it, found in any case; `name` itself when there is none.
    // Note: SQLite refuses two names that differ in case only, so its
    // spelling is the one name the server knows the object by.
    static std::string StoredName(sqlite3* db, const std::string& name);
    // The user's tables of the file (UTF-8), in the order they were made;
    // SQLite's own and the catalog's tables left out.
    static std::vector<std::string> UserTables(sqlite3* db);
};
