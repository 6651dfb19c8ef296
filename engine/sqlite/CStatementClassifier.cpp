#include "engine/sqlite/CStatementClassifier.h"

#include <array>

#include "engine/sqlite/CSqlScanner.h"

namespace {

struct Rule {
    std::array<std::string_view, 4> words;
    StatementKind kind;
};

// Note: longer rules come before the rules whose words begin them.
constexpr Rule kRules[] = {
    {{"SELECT"}, StatementKind::Query},
    {{"WITH"}, StatementKind::Query},
    {{"INSERT"}, StatementKind::Dml},
    {{"UPDATE"}, StatementKind::Dml},
    {{"DELETE"}, StatementKind::Dml},
    {{"MERGE"}, StatementKind::Dml},
    {{"BEGIN"}, StatementKind::Block},
    {{"DECLARE"}, StatementKind::DeclareBlock},
    {{"COMMIT"}, StatementKind::Commit},
    {{"ROLLBACK", "TO"}, StatementKind::Other},
    {{"ROLLBACK"}, StatementKind::Rollback},
    {{"TRUNCATE", "TABLE"}, StatementKind::Truncate},
    {{"CREATE", "OR", "REPLACE", "TRIGGER"}, StatementKind::ReplaceObject},
    {{"CREATE", "OR", "REPLACE", "VIEW"}, StatementKind::ReplaceObject},
    {{"CREATE", "OR", "REPLACE", "PROCEDURE"}, StatementKind::StoredCode},
    {{"CREATE", "OR", "REPLACE", "FUNCTION"}, StatementKind::StoredCode},
    {{"CREATE", "OR", "REPLACE", "PACKAGE"}, StatementKind::StoredCode},
    {{"CREATE", "OR", "REPLACE", "TYPE"}, StatementKind::StoredCode},
    {{"CREATE", "PROCEDURE"}, StatementKind::StoredCode},
    {{"CREATE", "FUNCTION"}, StatementKind::StoredCode},
    {{"CREATE", "PACKAGE"}, StatementKind::StoredCode},
    {{"CREATE", "TYPE"}, StatementKind::StoredCode},
    {{"CREATE", "USER"}, StatementKind::NoPrivileges},
    {{"CREATE", "ROLE"}, StatementKind::NoPrivileges},
    {{"ALTER", "USER"}, StatementKind::NoPrivileges},
    {{"DROP", "USER"}, StatementKind::NoPrivileges},
    {{"GRANT"}, StatementKind::NoPrivileges},
    {{"REVOKE"}, StatementKind::NoPrivileges},
    {{"CREATE"}, StatementKind::Ddl},
    {{"ALTER"}, StatementKind::Ddl},
    {{"DROP"}, StatementKind::Ddl},
};

// Number of leading words of `tokens` that the rule matches, 0 when it does not.
std::size_t Match(std::string_view text, const std::vector<CSqlScanner::Token>& tokens, const Rule& rule) {
    std::size_t k = 0;
    for (; k < rule.words.size() && !rule.words[k].empty(); ++k)
        if (k >= tokens.size() || !CSqlScanner::Is(text, tokens[k], rule.words[k])) return 0;
    return k;
}

const Rule* FindRule(std::string_view text, std::size_t& words) {
    auto tokens = CSqlScanner::Significant(text);
    for (const Rule& rule : kRules) {
        words = Match(text, tokens, rule);
        if (words > 0) return &rule;
    }
    return nullptr;
}

}  // namespace

StatementKind CStatementClassifier::Classify(std::string_view text) {
    std::size_t words = 0;
    const Rule* rule = FindRule(text, words);
    return rule != nullptr ? rule->kind : StatementKind::Other;
}

std::string_view CStatementClassifier::MatchedWords(std::string_view text) {
    std::size_t words = 0;
    const Rule* rule = FindRule(text, words);
    if (rule == nullptr) return {};
    auto tokens = CSqlScanner::Significant(text);
    const auto& last = tokens[words - 1];
    return text.substr(tokens[0].begin, last.begin + last.length - tokens[0].begin);
}
