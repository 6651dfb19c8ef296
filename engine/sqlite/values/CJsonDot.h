#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// Dot notation over a JSON column (alias.column.field.field): each field a
// member of the objects reached, case as written; an array met on the way
// is unwrapped and the field read in each of its elements. One value found
// is the answer (a string without its quotes, anything else as JSON text);
// several are a JSON array of them; none is NULL. Registered as
// ORA_JSON_DOT(document, field, ...); text that is no JSON answers NULL.
class CJsonDot {
public:
    // The values the fields reach in `document`, each as its JSON text;
    // false when `document` is no JSON.
    static bool Find(std::string_view document, const std::vector<std::string>& fields,
                     std::vector<std::string_view>& found);
    // What the notation answers for the values found (see above).
    static bool Answer(const std::vector<std::string_view>& found, std::string& out);
    static bool Register(sqlite3* db);
};
