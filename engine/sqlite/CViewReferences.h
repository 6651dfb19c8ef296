#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The names a query refers to, as the dictionary lists a view's
// dependencies: each with how it is named, "OBJECT" (in a FROM clause: a
// table, view or synonym), "SEQUENCE" (before .NEXTVAL or .CURRVAL) or
// "CALL" (before an argument list: a function, or a package before its
// member). Which of them are objects of the schema the catalog decides.
class CViewReferences {
public:
    // Each name once (upper case unless quoted), in order of first mention.
    static std::vector<std::pair<std::string, std::string>> Of(std::string_view cp932Text);
    // Those as a JSON array of [name, how] pairs.
    static std::string Json(const std::vector<std::pair<std::string, std::string>>& references);
};
