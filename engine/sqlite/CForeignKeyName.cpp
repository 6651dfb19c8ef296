#include "engine/sqlite/CForeignKeyName.h"

#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

std::string CForeignKeyName::TargetOf(std::string_view sql) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    std::size_t k = 0;
    auto is = [&](std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    if (is("INSERT")) {
        ++k;
        if (!is("INTO")) return "";
        ++k;
    } else if (is("UPDATE")) {
        ++k;
    } else if (is("DELETE")) {
        ++k;
        if (is("FROM")) ++k;
    } else {
        return "";
    }
    if (k >= tokens.size()) return "";
    // schema.name: the name after the dot.
    if (k + 2 < tokens.size() && sql.substr(tokens[k + 1].begin, tokens[k + 1].length) == ".") k += 2;
    std::string_view name = sql.substr(tokens[k].begin, tokens[k].length);
    if (name.size() >= 2 && name.front() == '"') return std::string(name.substr(1, name.size() - 2));
    return cp932::ToUpperAscii(name);
}

std::string CForeignKeyName::Of(sqlite3* db, std::string_view sql, bool child) {
    std::string target = TargetOf(sql);
    if (target.empty()) return "";
    std::string utf8 = encoding::Cp932ToUtf8(target);
    std::string found;
    int count = 0;
    for (const auto& constraint : CSqliteDictionary::All(db)) {
        if (constraint.type != 'R' || !constraint.enabled) continue;
        if ((child ? constraint.table : constraint.referencedTable) != utf8) continue;
        found = constraint.name;
        ++count;
    }
    return count == 1 ? encoding::Utf8ToCp932(found) : std::string();
}
