#include "engine/sqlite/CStatementClassifier.h"

#include <array>

#include "engine/sqlite/CSqlScanner.h"

namespace {

constexpr std::size_t kMaxWords = 4;

struct Rule {
    std::array<std::string_view, kMaxWords> words;
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
    {{"ROLLBACK", "WORK", "TO"}, StatementKind::Other},
    {{"ROLLBACK"}, StatementKind::Rollback},
    {{"TRUNCATE", "TABLE"}, StatementKind::Truncate},
    {{"CREATE", "OR", "REPLACE", "TRIGGER"}, StatementKind::ReplaceObject},
    {{"CREATE", "OR", "REPLACE", "VIEW"}, StatementKind::ReplaceObject},
    {{"CREATE", "OR", "REPLACE", "FORCE"}, StatementKind::ReplaceObject},
    {{"CREATE", "OR", "REPLACE", "NOFORCE"}, StatementKind::ReplaceObject},
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
    {{"ALTER", "ROLE"}, StatementKind::NoPrivileges},
    {{"DROP", "ROLE"}, StatementKind::NoPrivileges},
    {{"GRANT"}, StatementKind::NoPrivileges},
    {{"REVOKE"}, StatementKind::NoPrivileges},
    {{"CREATE", "SEQUENCE"}, StatementKind::CreateSequence},
    {{"CREATE", "OR", "REPLACE", "SYNONYM"}, StatementKind::Synonym},
    {{"CREATE", "OR", "REPLACE", "PUBLIC"}, StatementKind::Synonym},
    {{"CREATE", "SYNONYM"}, StatementKind::Synonym},
    {{"CREATE", "PUBLIC", "SYNONYM"}, StatementKind::Synonym},
    {{"DROP", "SYNONYM"}, StatementKind::Synonym},
    {{"DROP", "PUBLIC", "SYNONYM"}, StatementKind::Synonym},
    {{"CREATE", "DATABASE", "LINK"}, StatementKind::Unsupported},
    {{"CREATE", "TABLESPACE"}, StatementKind::Unsupported},
    {{"CREATE", "CLUSTER"}, StatementKind::Unsupported},
    {{"CREATE", "PROFILE"}, StatementKind::Unsupported},
    {{"ALTER", "SEQUENCE"}, StatementKind::Ddl},
    {{"COMMENT", "ON"}, StatementKind::Ddl},
    {{"ALTER", "SYNONYM"}, StatementKind::Unsupported},
    {{"ALTER", "PUBLIC", "SYNONYM"}, StatementKind::Unsupported},
    {{"ALTER", "DATABASE", "LINK"}, StatementKind::Unsupported},
    {{"ALTER", "TABLESPACE"}, StatementKind::Unsupported},
    {{"ALTER", "CLUSTER"}, StatementKind::Unsupported},
    {{"ALTER", "PROFILE"}, StatementKind::Unsupported},
    {{"DROP", "SEQUENCE"}, StatementKind::DropSequence},
    {{"DROP", "SYNONYM"}, StatementKind::Unsupported},
    {{"DROP", "PUBLIC", "SYNONYM"}, StatementKind::Unsupported},
    {{"DROP", "DATABASE", "LINK"}, StatementKind::Unsupported},
    {{"DROP", "TABLESPACE"}, StatementKind::Unsupported},
    {{"DROP", "CLUSTER"}, StatementKind::Unsupported},
    {{"DROP", "PROFILE"}, StatementKind::Unsupported},
    {{"ALTER", "SESSION"}, StatementKind::Session},
    {{"ALTER", "TRIGGER"}, StatementKind::Ddl},
    {{"ALTER", "FUNCTION"}, StatementKind::Unsupported},
    {{"ALTER", "PROCEDURE"}, StatementKind::Unsupported},
    {{"DROP", "FUNCTION"}, StatementKind::Unsupported},
    {{"DROP", "PROCEDURE"}, StatementKind::Unsupported},
    {{"DROP", "PACKAGE"}, StatementKind::Unsupported},
    {{"TRUNCATE", "CLUSTER"}, StatementKind::Unsupported},
    {{"FLASHBACK"}, StatementKind::Unsupported},
    {{"EXPLAIN", "PLAN"}, StatementKind::Unsupported},
    {{"AUDIT"}, StatementKind::NoPrivileges},
    {{"NOAUDIT"}, StatementKind::NoPrivileges},
    {{"RENAME"}, StatementKind::Ddl},
    {{"CREATE"}, StatementKind::Ddl},
    {{"ALTER"}, StatementKind::Ddl},
    {{"DROP"}, StatementKind::Ddl},
};

// Number of leading words of `tokens` that the rule matches, 0 when it does not.
std::size_t Match(std::string_view text, const CSqlScanner::Token* tokens, std::size_t count,
                  const Rule& rule) {
    std::size_t k = 0;
    for (; k < rule.words.size() && !rule.words[k].empty(); ++k)
        if (k >= count || !CSqlScanner::Is(text, tokens[k], rule.words[k])) return 0;
    return k;
}

// `text` after the labels (<<name>>) a block may open with.
std::string_view Unlabelled(std::string_view text) {
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r'))
            ++at;
        if (text.substr(at, 2) != "<<") return text.substr(at);
        const std::size_t close = text.find(">>", at + 2);
        if (close == std::string_view::npos) return text.substr(at);
        at = close + 2;
    }
}

const Rule* FindRule(std::string_view text, std::size_t& words) {
    CSqlScanner::Token tokens[kMaxWords];
    const std::size_t count = CSqlScanner::Significant(text, tokens, kMaxWords);
    // Note: a rule whose first word begins with another letter cannot match.
    const char first = count > 0 ? static_cast<char>(text[tokens[0].begin] & ~0x20) : '\0';
    for (const Rule& rule : kRules) {
        if (rule.words[0].front() != first) continue;
        words = Match(text, tokens, count, rule);
        if (words > 0) return &rule;
    }
    return nullptr;
}

}  // namespace

StatementKind CStatementClassifier::Classify(std::string_view text) {
    std::size_t words = 0;
    const Rule* rule = FindRule(Unlabelled(text), words);
    return rule != nullptr ? rule->kind : StatementKind::Other;
}

std::string_view CStatementClassifier::MatchedWords(std::string_view text) {
    std::size_t words = 0;
    const Rule* rule = FindRule(text, words);
    if (rule == nullptr) return {};
    auto tokens = CSqlScanner::Significant(text, words);
    const auto& last = tokens[words - 1];
    return text.substr(tokens[0].begin, last.begin + last.length - tokens[0].begin);
}
