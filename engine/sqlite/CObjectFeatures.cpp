#include "engine/sqlite/CObjectFeatures.h"

#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "text/Encoding.h"

namespace {

struct RefusedWord {
    std::string_view word;
    const char* utf8;  // the feature's name in the message
};

// Types of the server's own schemas that a column may name.
constexpr RefusedWord kRefusedTypes[] = {
    {"REF", "REF 列"},
    {"XMLTYPE", "XMLTYPE 列"},
    {"SYS.XMLTYPE", "XMLTYPE 列"},
    {"SDO_GEOMETRY", "SDO_GEOMETRY 列"},
    {"MDSYS.SDO_GEOMETRY", "SDO_GEOMETRY 列"},
    {"ANYDATA", "ANYDATA 列"},
    {"SYS.ANYDATA", "ANYDATA 列"},
};

// CREATE [OR REPLACE] [[NO] FORCE] [EDITIONABLE ...] VIEW | [GLOBAL TEMPORARY] TABLE name OF.
constexpr std::string_view kSkipped[] = {"OR",         "REPLACE",     "FORCE",          "NO",
                                         "EDITIONING", "EDITIONABLE", "NONEDITIONABLE", "GLOBAL",
                                         "TEMPORARY",  "PRIVATE",     "SHARDED",        "DUPLICATED"};

bool IsSkipped(std::string_view sql, const CSqlScanner::Token& token) {
    for (std::string_view word : kSkipped)
        if (CSqlScanner::Is(sql, token, word)) return true;
    return false;
}

}  // namespace

bool CObjectFeatures::Allowed(std::string_view sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql, 12);
    if (tokens.empty() || !CSqlScanner::Is(sql, tokens[0], "CREATE")) return true;
    std::size_t k = 1;
    while (k < tokens.size() && IsSkipped(sql, tokens[k])) ++k;
    if (k >= tokens.size()) return true;
    bool view = CSqlScanner::Is(sql, tokens[k], "VIEW");
    if (!view && !CSqlScanner::Is(sql, tokens[k], "TABLE")) return true;
    // The name, perhaps with its schema.
    k += 2;
    if (k + 1 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], '.')) k += 2;
    if (k >= tokens.size() || !CSqlScanner::Is(sql, tokens[k], "OF")) return true;
    const char* name =
        view ? "オブジェクト・ビュー (CREATE VIEW ... OF)" : "オブジェクト表 (CREATE TABLE ... OF)";
    COraError::Set(error, 3001, {encoding::Utf8ToCp932(name)}, static_cast<int>(tokens[k].begin));
    return false;
}

std::string CObjectFeatures::RefusedType(std::string_view type) {
    std::size_t end = type.find_first_of("( ");
    std::string_view base = type.substr(0, end);
    for (const RefusedWord& row : kRefusedTypes)
        if (row.word == base) return encoding::Utf8ToCp932(row.utf8);
    return {};
}
