#include "engine/sqlite/CUnusedColumns.h"

#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

bool Is(std::string_view sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && tokens[k].kind == CSqlScanner::Kind::Word &&
           CSqlScanner::Is(sql, tokens[k], word);
}

// The words of a DROP that need nothing left unused: DROP UNUSED COLUMNS
// and DROP COLUMNS CONTINUE, each with an optional CHECKPOINT n.
bool DropsNothing(std::string_view sql, const Tokens& tokens, std::size_t k) {
    if (!Is(sql, tokens, k, "DROP")) return false;
    std::size_t end = 0;
    if (Is(sql, tokens, k + 1, "UNUSED") && Is(sql, tokens, k + 2, "COLUMNS")) end = k + 3;
    if (Is(sql, tokens, k + 1, "COLUMNS") && Is(sql, tokens, k + 2, "CONTINUE")) end = k + 3;
    if (end == 0) return false;
    if (Is(sql, tokens, end, "CHECKPOINT")) {
        ++end;
        if (end < tokens.size() && tokens[end].kind == CSqlScanner::Kind::Number) ++end;
    }
    return end == tokens.size();
}

}  // namespace

CUnusedColumns::Statement CUnusedColumns::Read(std::string_view sql) {
    Tokens tokens = CSqlScanner::Significant(sql);
    if (!tokens.empty() && CSqlScanner::IsSymbol(sql, tokens.back(), ';')) tokens.pop_back();
    Statement statement;
    if (!Is(sql, tokens, 0, "ALTER") || !Is(sql, tokens, 1, "TABLE") || tokens.size() < 4) return statement;
    // Note: a schema before the table is the session's own (the file has one user).
    std::size_t name = tokens.size() > 4 && CSqlScanner::IsSymbol(sql, tokens[3], '.') ? 4 : 2;
    std::size_t action = name + 1;
    statement.table = tokens[name].begin;
    std::string_view written = sql.substr(tokens[name].begin, tokens[name].length);
    statement.name = written.size() >= 2 && written.front() == '"'
                         ? std::string(written.substr(1, written.size() - 2))
                         : cp932::ToUpperAscii(written);
    if (DropsNothing(sql, tokens, action)) {
        statement.kind = Kind::Nothing;
        return statement;
    }
    if (!Is(sql, tokens, action, "SET") || !Is(sql, tokens, action + 1, "UNUSED")) return statement;
    statement.kind = Kind::Dropped;
    // COLUMN c, or (a, b, ...): the commas between the brackets count the columns.
    statement.columns = 1;
    if (action + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[action + 2], '('))
        for (std::size_t k = action + 3; k < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[k], ')');
             ++k)
            if (CSqlScanner::IsSymbol(sql, tokens[k], ',')) ++statement.columns;
    statement.dropping = std::string(sql);
    // "SET UNUSED" becomes "DROP" and blanks; ONLINE, which DROP lacks, goes.
    const std::size_t from = tokens[action].begin;
    const std::size_t to = tokens[action + 1].begin + tokens[action + 1].length;
    statement.dropping.replace(from, to - from, std::string(to - from, ' '));
    statement.dropping.replace(from, 4, "DROP");
    const CSqlScanner::Token& last = tokens.back();
    if (tokens.size() > action + 3 && Is(sql, tokens, tokens.size() - 1, "ONLINE"))
        statement.dropping.replace(last.begin, last.length, std::string(last.length, ' '));
    return statement;
}
