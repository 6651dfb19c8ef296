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
    // The values the SQL/JSON path `path` (UTF-8: $, .name, ."name", .*,
    // [n], [*]) reaches in `document`, in lax mode: a member step on an array
    // reads each element, an array step on another value reads it as the one
    // element of an array. False when `document` or `path` is no such text.
    static bool FindPath(std::string_view document, std::string_view path,
                         std::vector<std::string_view>& found);
    // Registers ORA_JSON_DOT and ORA_JSON_PATH(document, path, mode): mode
    // 'E' 1 when the path finds a value, else 0 (JSON_EXISTS); 'W' the
    // values in an array, NULL for none (JSON_QUERY WITH WRAPPER); 'C' the
    // same, an object or array found alone as it is (WITH CONDITIONAL WRAPPER).
    static bool Register(sqlite3* db);
};
