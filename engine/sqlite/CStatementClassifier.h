#pragma once

#include <string_view>

// What a statement is, by its leading words, for the engine's handling of
// transactions and the statements it treats itself.
enum class StatementKind {
    Query,
    Dml,
    Ddl,
    Truncate,
    ReplaceObject,
    Commit,
    Rollback,
    Block,
    DeclareBlock,
    StoredCode,
    NoPrivileges,
    Unsupported,
    CreateSequence,
    DropSequence,
    Synonym,
    Session,
    Other,
};

class CStatementClassifier {
public:
    static StatementKind Classify(std::string_view text);
    // Human name of the statement for refusals ("CREATE PROCEDURE", ...): its
    // leading words as matched, upper-cased.
    static std::string_view MatchedWords(std::string_view text);
};
