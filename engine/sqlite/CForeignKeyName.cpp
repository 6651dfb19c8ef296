#include "engine/sqlite/CForeignKeyName.h"

#include <algorithm>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

std::string CForeignKeyName::TargetOf(std::string_view sql) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    std::size_t k = 0;
    auto is = [&](std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    if (is("INSERT")) {
        ++k;
        if (!is("INTO")) return "";
        ++k;
    } else if (is("UPDATE")) {
        ++k;
    } else if (is("DELETE")) {
        ++k;
        if (is("FROM")) ++k;
    } else {
        return "";
    }
    if (k >= tokens.size()) return "";
    // schema.name: the name after the dot.
    if (k + 2 < tokens.size() && sql.substr(tokens[k + 1].begin, tokens[k + 1].length) == ".") k += 2;
    std::string_view name = sql.substr(tokens[k].begin, tokens[k].length);
    if (name.size() >= 2 && name.front() == '"') return std::string(name.substr(1, name.size() - 2));
    return cp932::ToUpperAscii(name);
}

std::string CForeignKeyName::Of(sqlite3* db, std::string_view sql, bool child) {
    std::string target = TargetOf(sql);
    if (target.empty()) return "";
    std::string utf8 = encoding::Cp932ToUtf8(target);
    std::string found;
    int count = 0;
    for (const auto& constraint : CSqliteDictionary::All(db)) {
        if (constraint.type != 'R' || !constraint.enabled) continue;
        if ((child ? constraint.table : constraint.referencedTable) != utf8) continue;
        found = constraint.name;
        ++count;
    }
    return count == 1 ? encoding::Utf8ToCp932(found) : std::string();
}

namespace {

// A column name as the dictionary holds it (UTF-8): upper case unless quoted.
std::string ColumnName(std::string_view sql, const CSqlScanner::Token& token) {
    std::string_view written = sql.substr(token.begin, token.length);
    if (token.kind == CSqlScanner::Kind::QuotedName)
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

// Whether `columns` names one of `set`; a key whose columns are not known
// (none listed) is taken to be touched.
bool Touches(const std::vector<std::string>& columns, const std::vector<std::string>& set) {
    if (columns.empty()) return true;
    return std::any_of(columns.begin(), columns.end(), [&set](const std::string& column) {
        return std::find(set.begin(), set.end(), column) != set.end();
    });
}

}  // namespace

std::vector<std::string> CForeignKeyName::SetColumnsOf(std::string_view sql) {
    auto tokens = CSqlScanner::Significant(sql);
    if (tokens.empty() || !CSqlScanner::Is(sql, tokens[0], "UPDATE")) return {};
    std::vector<std::string> columns;
    int depth = 0;
    bool inSet = false;
    bool expectColumn = false;  // at the start of an assignment, or in its (a, b) list
    bool inList = false;
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        const CSqlScanner::Token& token = tokens[k];
        bool open = CSqlScanner::IsSymbol(sql, token, '(');
        bool close = CSqlScanner::IsSymbol(sql, token, ')');
        if (!inSet) {
            if (depth == 0 && CSqlScanner::Is(sql, token, "SET")) inSet = expectColumn = true;
            depth += open ? 1 : close ? -1 : 0;
            continue;
        }
        if (depth == 0 && (CSqlScanner::Is(sql, token, "WHERE") || CSqlScanner::Is(sql, token, "RETURNING") ||
                           CSqlScanner::Is(sql, token, "RETURN") || CSqlScanner::Is(sql, token, "LOG")))
            break;
        if (expectColumn) {
            if (open && !inList) {
                inList = true;
                ++depth;
                continue;
            }
            bool name = token.kind == CSqlScanner::Kind::Word || token.kind == CSqlScanner::Kind::QuotedName;
            // alias.column: the name after the last dot is the column.
            bool dotted = k + 1 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.');
            if (name && !dotted) {
                columns.push_back(ColumnName(sql, token));
                if (!inList) expectColumn = false;
            } else if (close && inList) {
                inList = expectColumn = false;
                --depth;
            }
            continue;
        }
        depth += open ? 1 : close ? -1 : 0;
        if (depth == 0 && CSqlScanner::IsSymbol(sql, token, ',')) expectColumn = true;
    }
    return columns;
}

CForeignKeyName::Broken CForeignKeyName::Find(sqlite3* db, std::string_view sql, int code) {
    std::vector<std::string> set = SetColumnsOf(sql);
    std::string target = TargetOf(sql);
    if (set.empty() || target.empty()) return {code, Of(db, sql, code == 2291)};
    for (std::string& column : set) column = encoding::Cp932ToUtf8(column);
    std::string table = encoding::Cp932ToUtf8(target);
    const std::vector<CSqliteDictionary::Constraint> all = CSqliteDictionary::All(db);
    // A key written without its parent's columns refers to the primary key.
    std::vector<std::string> primary;
    for (const auto& constraint : all)
        if (constraint.type == 'P' && constraint.table == table) primary = constraint.columns;
    std::vector<std::string> children, parents;
    for (const auto& constraint : all) {
        if (constraint.type != 'R' || !constraint.enabled) continue;
        if (constraint.table == table && Touches(constraint.columns, set))
            children.push_back(constraint.name);
        const std::vector<std::string>& referenced =
            constraint.referencedColumns.empty() ? primary : constraint.referencedColumns;
        if (constraint.referencedTable == table && Touches(referenced, set))
            parents.push_back(constraint.name);
    }
    if (children.empty() && parents.empty()) return {code, Of(db, sql, code == 2291)};
    if (!children.empty() && !parents.empty()) return {code, ""};
    const std::vector<std::string>& keys = children.empty() ? parents : children;
    return {children.empty() ? 2292 : 2291,
            keys.size() == 1 ? encoding::Utf8ToCp932(keys[0]) : std::string()};
}
