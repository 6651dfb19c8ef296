#include "engine/sqlite/CPlsqlBlock.h"

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "text/Encoding.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

// What an unsupported statement is called, by its first word.
struct Refusal {
    std::string_view word;
    std::string_view name;
};

constexpr Refusal kRefusals[] = {
    {"IF", "IF 文"},
    {"CASE", "CASE 文"},
    {"LOOP", "LOOP"},
    {"WHILE", "WHILE LOOP"},
    {"FOR", "FOR LOOP"},
    {"FORALL", "FORALL"},
    {"BEGIN", "入れ子のブロック"},
    {"DECLARE", "入れ子のブロック"},
    {"SELECT", "SELECT INTO"},
    {"COMMIT", "ブロック内の COMMIT"},
    {"ROLLBACK", "ブロック内の ROLLBACK"},
    {"SAVEPOINT", "ブロック内の SAVEPOINT"},
    {"EXECUTE", "EXECUTE IMMEDIATE"},
    {"RAISE", "RAISE"},
    {"RETURN", "RETURN"},
    {"EXIT", "EXIT"},
    {"GOTO", "GOTO"},
    {"OPEN", "カーソル"},
    {"FETCH", "カーソル"},
    {"CLOSE", "カーソル"},
    {"MERGE", "MERGE"},
    {"EXCEPTION", "例外処理部 (EXCEPTION)"},
};

std::string TokenText(std::string_view text, const Token& token) {
    return std::string(text.substr(token.begin, token.length));
}

// `what` is UTF-8 text with CP932 names in it.
void Fail(CEngineError& error, const std::string& what, std::size_t position) {
    COraError::Set(error, 3001, {encoding::Utf8ToCp932(what)}, static_cast<int>(position));
}

void Invalid(CEngineError& error, const char* what, std::size_t position) {
    COraError::Set(error, 6550, {encoding::Utf8ToCp932(what)}, static_cast<int>(position));
}

// The name a procedure call or other statement goes by: its leading words
// joined by dots ("PKG.PROC").
std::string LeadingName(std::string_view text, const std::vector<Token>& tokens) {
    std::string name;
    for (std::size_t k = 0; k < tokens.size(); k += 2) {
        if (tokens[k].kind != Kind::Word && tokens[k].kind != Kind::QuotedName) break;
        name += TokenText(text, tokens[k]);
        if (k + 1 >= tokens.size() || !CSqlScanner::IsSymbol(text, tokens[k + 1], '.')) break;
        name += '.';
    }
    return name;
}

bool Refuse(std::string_view text, const std::vector<Token>& tokens, CEngineError& error) {
    for (const Refusal& refusal : kRefusals)
        if (CSqlScanner::Is(text, tokens[0], refusal.word)) {
            Fail(error, std::string(refusal.name), tokens[0].begin);
            return false;
        }
    if (tokens[0].kind == Kind::Word && tokens.size() > 1 && CSqlScanner::IsSymbol(text, tokens[1], ':')) {
        Fail(error, "ローカル変数 (" + encoding::Cp932ToUtf8(TokenText(text, tokens[0])) + ")",
             tokens[0].begin);
        return false;
    }
    std::string name = LeadingName(text, tokens);
    Fail(error,
         encoding::Cp932ToUtf8(name.empty() ? TokenText(text, tokens[0]) : name) +
             (name.empty() ? " 文" : " の呼出し"),
         tokens[0].begin);
    return false;
}

// The expression between "(" (at index `open`) and the final ")".
bool Parenthesised(std::string_view text, const std::vector<Token>& tokens, std::size_t open,
                   CPlsqlBlock::Step& step) {
    if (open >= tokens.size() || !CSqlScanner::IsSymbol(text, tokens[open], '(') ||
        !CSqlScanner::IsSymbol(text, tokens.back(), ')') || tokens.size() < open + 2)
        return false;
    step.expressionBegin = tokens[open].begin + 1;
    step.expressionLength = tokens.back().begin - step.expressionBegin;
    return true;
}

struct OutputCall {
    std::string_view name;
    CPlsqlBlock::StepKind kind;
    bool needsArgument;
};

constexpr OutputCall kOutputCalls[] = {
    {"ENABLE", CPlsqlBlock::StepKind::OutputEnable, false},
    {"DISABLE", CPlsqlBlock::StepKind::OutputDisable, false},
    {"PUT_LINE", CPlsqlBlock::StepKind::OutputPutLine, true},
    {"PUT", CPlsqlBlock::StepKind::OutputPut, true},
    {"NEW_LINE", CPlsqlBlock::StepKind::OutputNewLine, false},
};

bool ParseOutputCall(std::string_view text, const std::vector<Token>& tokens, CPlsqlBlock::Step& step,
                     CEngineError& error) {
    for (const OutputCall& call : kOutputCalls) {
        if (tokens.size() < 3 || !CSqlScanner::Is(text, tokens[2], call.name)) continue;
        step.kind = call.kind;
        bool hasArguments = tokens.size() > 3;
        if (hasArguments && !Parenthesised(text, tokens, 3, step)) break;
        if (call.needsArgument && (!hasArguments || step.expressionLength == 0)) break;
        return true;
    }
    return Refuse(text, tokens, error);
}

bool ParseStep(std::string_view text, const std::vector<Token>& tokens, CPlsqlBlock::Step& step,
               CEngineError& error) {
    using StepKind = CPlsqlBlock::StepKind;
    if (tokens.size() == 1 && CSqlScanner::Is(text, tokens[0], "NULL")) {
        step.kind = StepKind::Null;
        return true;
    }
    if (tokens[0].kind == Kind::Bind && tokens.size() > 2 && CSqlScanner::IsSymbol(text, tokens[1], ':') &&
        CSqlScanner::IsSymbol(text, tokens[2], '=') && tokens[2].begin == tokens[1].begin + 1) {
        if (tokens.size() == 3) {
            Invalid(error, "\":=\" の後に式がありません。", tokens[2].begin + 1);
            return false;
        }
        step.kind = StepKind::Assign;
        step.target = CSqlScanner::BindName(text, tokens[0]);
        step.expressionBegin = tokens[3].begin;
        step.expressionLength = tokens.back().begin + tokens.back().length - tokens[3].begin;
        return true;
    }
    for (std::string_view dml : {"INSERT", "UPDATE", "DELETE"})
        if (CSqlScanner::Is(text, tokens[0], dml)) {
            step.kind = StepKind::Dml;
            return true;
        }
    if (CSqlScanner::Is(text, tokens[0], "DBMS_OUTPUT") && tokens.size() > 2 &&
        CSqlScanner::IsSymbol(text, tokens[1], '.'))
        return ParseOutputCall(text, tokens, step, error);
    return Refuse(text, tokens, error);
}

}  // namespace

bool CPlsqlBlock::Parse(std::string_view text, std::vector<Step>& steps, CEngineError& error) {
    steps.clear();
    auto tokens = CSqlScanner::Significant(text);
    if (tokens.empty() || !CSqlScanner::Is(text, tokens[0], "BEGIN")) {
        Invalid(error, "ブロックは BEGIN で始まります。", 0);
        return false;
    }
    std::size_t last = tokens.size() - 1;
    if (last > 0 && CSqlScanner::IsSymbol(text, tokens[last], ';')) --last;
    if (last == 0 || !CSqlScanner::Is(text, tokens[last], "END")) {
        Invalid(error, "ブロックは END; で終わります。", text.size());
        return false;
    }
    std::vector<Token> statement;
    for (std::size_t k = 1; k < last; ++k) {
        if (!CSqlScanner::IsSymbol(text, tokens[k], ';')) {
            statement.push_back(tokens[k]);
            continue;
        }
        if (statement.empty()) {
            Invalid(error, "\";\" の前に文がありません。", tokens[k].begin);
            return false;
        }
        Step step;
        step.begin = statement.front().begin;
        step.length = statement.back().begin + statement.back().length - step.begin;
        if (!ParseStep(text, statement, step, error)) return false;
        steps.push_back(step);
        statement.clear();
    }
    if (!statement.empty()) {
        Invalid(error, "文の後に \";\" がありません。", statement.front().begin);
        return false;
    }
    if (steps.empty()) {
        Invalid(error, "ブロックには文が一つ以上必要です。", tokens[last].begin);
        return false;
    }
    return true;
}
