#include "engine/sqlite/CTriggerCompiler.h"

#include <vector>

#include "engine/sqlite/CSqlParser.h"
#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

using Token = CSqlScanner::Token;

bool Starts(std::string_view text, const std::vector<Token>& tokens,
            std::initializer_list<std::string_view> words) {
    std::size_t k = 0;
    for (std::string_view word : words)
        if (k >= tokens.size() || !CSqlScanner::Is(text, tokens[k++], word)) return false;
    return true;
}

// The table after the first ON of the header (tokens before `body`).
std::string TriggerTable(std::string_view text, const std::vector<Token>& tokens, std::size_t body) {
    for (std::size_t k = 0; k + 1 < body; ++k) {
        if (!CSqlScanner::Is(text, tokens[k], "ON")) continue;
        std::size_t name = k + 1;
        if (name + 2 < body && CSqlScanner::IsSymbol(text, tokens[name + 1], '.')) name += 2;
        std::string_view written = text.substr(tokens[name].begin, tokens[name].length);
        if (written.size() >= 2 && written.front() == '"')
            return std::string(written.substr(1, written.size() - 2));
        return cp932::ToUpperAscii(written);
    }
    return {};
}

// One statement of the body with :NEW and :OLD written NEW and OLD (the
// same length, so that offsets hold).
std::string RowNames(std::string_view statement) {
    std::string out(statement);
    for (const Token& token : CSqlScanner::Significant(statement))
        if (token.kind == CSqlScanner::Kind::Bind &&
            (CSqlScanner::Is(statement, token, ":NEW") || CSqlScanner::Is(statement, token, ":OLD")))
            out[token.begin] = ' ';
    return out;
}

}  // namespace

std::size_t CTriggerCompiler::BodyStart(std::string_view text) {
    auto tokens = CSqlScanner::Significant(text);
    if (!Starts(text, tokens, {"CREATE", "TRIGGER"}) &&
        !Starts(text, tokens, {"CREATE", "OR", "REPLACE", "TRIGGER"}))
        return 0;
    for (const Token& token : tokens)
        if (CSqlScanner::Is(text, token, "BEGIN")) return token.begin;
    return 0;
}

CTriggerCompiler::Outcome CTriggerCompiler::Compile(std::string_view text, const std::string& header,
                                                    CSqliteCatalog& catalog, std::string& out,
                                                    CSqlEmitter::Failure& failure) {
    std::size_t begin = BodyStart(text);
    if (begin == 0) return Outcome::NotTaken;
    auto tokens = CSqlScanner::Significant(text);
    std::size_t body = 0;
    while (tokens[body].begin != begin) ++body;
    std::string table = TriggerTable(text, tokens, body);
    const auto* found = catalog.Columns(table);
    if (found == nullptr) return Outcome::NotTaken;
    // Note: a copy, as compiling a statement may read the catalog again.
    const std::vector<CSqliteCatalog::Column> columns = *found;
    // The statements between BEGIN and the last END, each up to its ";".
    std::size_t last = tokens.size();
    while (last > body && !CSqlScanner::Is(text, tokens[last - 1], "END")) --last;
    if (last <= body + 1) return Outcome::NotTaken;
    --last;  // the END itself
    std::string compiled = header + "BEGIN ";
    std::size_t from = body + 1;
    for (std::size_t k = from; k < last; ++k) {
        if (!CSqlScanner::IsSymbol(text, tokens[k], ';') && k + 1 < last) continue;
        std::size_t end = CSqlScanner::IsSymbol(text, tokens[k], ';') ? k : k + 1;
        if (end == from || (end == from + 1 && CSqlScanner::Is(text, tokens[from], "NULL"))) {
            from = k + 1;
            continue;
        }
        std::size_t at = tokens[from].begin;
        std::string statement =
            RowNames(text.substr(at, tokens[end - 1].begin + tokens[end - 1].length - at));
        auto pieceTokens = CSqlScanner::Significant(statement);
        CSqlArena arena;
        CSqlParser parser(statement, pieceTokens, arena);
        CSqlParser::Failure parseFailure;
        CSqlStatement tree;
        if (!parser.Parse(tree, parseFailure) || tree.kind == CSqlStatement::Kind::Select)
            return Outcome::NotTaken;
        CSqlEmitter emitter(statement, catalog, true);
        emitter.AddRowSource("NEW", columns);
        emitter.AddRowSource("OLD", columns);
        std::string emitted;
        if (!emitter.Emit(tree, emitted, failure)) {
            // Note: a name of the row points at its colon, as typed.
            if (failure.at > 0 && text[at + failure.at - 1] == ':') --failure.at;
            failure.at += at;
            return Outcome::Failed;
        }
        compiled += emitted + "; ";
        from = k + 1;
    }
    out = compiled + "END";
    return Outcome::Compiled;
}
