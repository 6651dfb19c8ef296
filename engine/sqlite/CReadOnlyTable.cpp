#include "engine/sqlite/CReadOnlyTable.h"

namespace {

// An action and the word after it; an empty object is the rule of the
// action with any other word. "(" stands for a bracketed list, read by the
// first word inside it.
struct Rule {
    std::string_view action;
    std::string_view object;
    bool refused;
};

constexpr Rule kRules[] = {
    {"ADD", "CONSTRAINT", false},
    {"ADD", "PRIMARY", false},
    {"ADD", "UNIQUE", false},
    {"ADD", "FOREIGN", false},
    {"ADD", "CHECK", false},
    {"ADD", "PARTITION", false},
    {"ADD", "SUPPLEMENTAL", false},
    {"ADD", "", true},
    {"MODIFY", "CONSTRAINT", false},
    {"MODIFY", "PRIMARY", false},
    {"MODIFY", "UNIQUE", false},
    {"MODIFY", "PARTITION", false},
    {"MODIFY", "SUBPARTITION", false},
    {"MODIFY", "DEFAULT", false},
    {"MODIFY", "LOB", false},
    {"MODIFY", "", true},
    {"DROP", "CONSTRAINT", false},
    {"DROP", "PRIMARY", false},
    {"DROP", "UNIQUE", false},
    {"DROP", "UNUSED", false},
    {"DROP", "SUPPLEMENTAL", false},
    {"DROP", "", true},
    {"RENAME", "COLUMN", true},
    {"SET", "UNUSED", true},
    {"TRUNCATE", "", true},
    {"EXCHANGE", "", true},
};

bool Is(std::string_view sql, const CReadOnlyTable::Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
}

}  // namespace

bool CReadOnlyTable::Refuses(std::string_view sql, const Tokens& tokens, std::size_t action) {
    std::size_t object = action + 1;
    if (object < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[object], '(')) ++object;
    for (const Rule& rule : kRules)
        if (Is(sql, tokens, action, rule.action) &&
            (rule.object.empty() || Is(sql, tokens, object, rule.object)))
            return rule.refused;
    return false;
}
