#include "engine/sqlite/CConstraintDefinition.h"

#include <string>

#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/CSqlScanner.h"

namespace {

using Constraint = CSqliteDictionary::Constraint;

}  // namespace

std::vector<CSqliteDictionary::Constraint> CConstraintDefinition::Read(std::string_view sql,
                                                                       std::vector<Place>* places) {
    std::vector<Constraint> out;
    auto tokens = CSqlScanner::Significant(sql);
    auto word = [&](std::size_t k) {
        return k < tokens.size() ? CNameList::Identifier(sql.substr(tokens[k].begin, tokens[k].length))
                                 : std::string();
    };
    std::size_t k = 0;
    while (k < tokens.size() && word(k) != "(") ++k;
    std::string table = tokens.size() > 2 ? word(k - 1) : std::string();
    // The words between brackets from `k` ("(" at k); k ends after ")".
    auto list = [&](std::size_t& at) {
        std::vector<std::string> names;
        if (word(at) != "(") return names;
        for (++at; at < tokens.size() && word(at) != ")"; ++at)
            if (word(at) != ",") names.push_back(word(at));
        ++at;
        return names;
    };
    auto bracketText = [&](std::size_t& at) {
        std::size_t begin = at;
        int depth = 0;
        for (; at < tokens.size(); ++at) {
            if (word(at) == "(") ++depth;
            if (word(at) == ")" && --depth == 0) break;
        }
        std::string text(sql.substr(tokens[begin].begin + 1, tokens[at].begin - tokens[begin].begin - 1));
        ++at;
        return text;
    };
    ++k;
    while (k < tokens.size()) {
        std::string column;
        std::string first = word(k);
        bool tableConstraint = first == "CONSTRAINT" || first == "PRIMARY" || first == "UNIQUE" ||
                               first == "CHECK" || first == "FOREIGN";
        if (!tableConstraint) {
            column = first;
            ++k;
        }
        // The rest of the item up to its "," at this depth.
        while (k < tokens.size() && word(k) != "," && word(k) != ")") {
            std::size_t begin = tokens[k].begin;
            std::string name;
            if (word(k) == "CONSTRAINT") {
                name = word(k + 1);
                k += 2;
            }
            std::string w = word(k);
            Constraint c;
            c.table = table;
            if (w == "NOT" && word(k + 1) == "NULL") {
                c.type = 'C';
                c.columns = {column};
                c.condition = "\"" + column + "\" IS NOT NULL";
                k += 2;
            } else if (w == "PRIMARY" || w == "UNIQUE") {
                c.type = w == "PRIMARY" ? 'P' : 'U';
                k += w == "PRIMARY" ? 2 : 1;
                c.columns = word(k) == "(" ? list(k) : std::vector<std::string>{column};
            } else if (w == "CHECK") {
                c.type = 'C';
                ++k;
                c.condition = bracketText(k);
                if (!column.empty()) c.columns = {column};
            } else if (w == "FOREIGN" || w == "REFERENCES") {
                c.type = 'R';
                if (w == "FOREIGN") {
                    k += 2;
                    c.columns = list(k);
                } else {
                    c.columns = {column};
                }
                if (word(k) == "REFERENCES") ++k;
                c.referencedTable = word(k++);
                c.referencedColumns = list(k);
                for (; k < tokens.size() && word(k) != "," && word(k) != ")" && word(k) != "CONSTRAINT"; ++k)
                    if (word(k) == "DELETE")
                        c.deleteRule = word(k + 1) == "CASCADE" ? "CASCADE"
                                       : word(k + 1) == "SET"   ? "SET NULL"
                                                                : "NO ACTION";
            } else {
                // The type, a default or anything else: skip it with its brackets.
                if (w == "(") {
                    bracketText(k);
                } else {
                    ++k;
                }
                continue;
            }
            c.generated = name.empty();
            c.name = name;
            out.push_back(std::move(c));
            if (places != nullptr) places->emplace_back(begin, tokens[k - 1].begin + tokens[k - 1].length);
        }
        if (word(k) == ")") break;
        ++k;
    }
    return out;
}
