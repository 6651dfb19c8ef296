#include "engine/sqlite/CPrivateTable.h"

#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

bool Is(std::string_view sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
}

void Blank(std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; ++at)
        if (text[at] != '\n') text[at] = ' ';
}

}  // namespace

bool CPrivateTable::Read(std::string_view sql, Definition& out, Failure& failure) {
    Tokens tokens = CSqlScanner::Significant(sql);
    out = Definition();
    if (!Is(sql, tokens, 0, "CREATE") || !Is(sql, tokens, 1, "PRIVATE") || !Is(sql, tokens, 2, "TEMPORARY") ||
        !Is(sql, tokens, 3, "TABLE"))
        return true;
    out.found = true;
    std::size_t name = tokens.size() > 6 && CSqlScanner::IsSymbol(sql, tokens[5], '.') ? 6 : 4;
    if (name >= tokens.size()) {
        failure = {903, sql.size()};
        return false;
    }
    std::string_view written = sql.substr(tokens[name].begin, tokens[name].length);
    out.name = written.size() >= 2 && written.front() == '"'
                   ? std::string(written.substr(1, written.size() - 2))
                   : cp932::ToUpperAscii(written);
    if (out.name.size() <= kPrefix.size() || out.name.compare(0, kPrefix.size(), kPrefix) != 0) {
        failure = {903, tokens[name].begin};
        return false;
    }
    out.text = std::string(sql);
    out.text.replace(tokens[1].begin, 7, "GLOBAL ");
    int depth = 0;
    for (std::size_t k = name + 1; k + 3 < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) --depth;
        if (depth != 0 || !Is(sql, tokens, k, "ON") || !Is(sql, tokens, k + 1, "COMMIT") ||
            !Is(sql, tokens, k + 3, "DEFINITION"))
            continue;
        out.dropOnCommit = !Is(sql, tokens, k + 2, "PRESERVE");
        Blank(out.text, tokens[k].begin, tokens[k + 3].begin + tokens[k + 3].length);
    }
    return true;
}
