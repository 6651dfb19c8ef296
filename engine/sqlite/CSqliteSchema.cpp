#include "engine/sqlite/CSqliteSchema.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CColumnCatalog.h"
#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CColumnDrop.h"
#include "engine/sqlite/CColumnOptions.h"
#include "engine/sqlite/CConstraintCatalog.h"
#include "engine/sqlite/CConstraintDefinition.h"
#include "engine/sqlite/CIndexAlteration.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSequenceOptions.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/CTableOptions.h"
#include "engine/sqlite/CTableRebuild.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// The server's code of "altered with compilation errors".
constexpr int kCompiledWithErrors = 24344;

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

using Statement = sqliteapi::Statement;

std::string Upper(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"') return std::string(text.substr(1, text.size() - 2));
    return cp932::ToUpperAscii(text);
}

std::string Word(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    return k < tokens.size() ? Upper(text.substr(tokens[k].begin, tokens[k].length)) : std::string();
}

std::string Quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The text of a string literal token without its quotes, doubled quotes made single.
std::string Literal(std::string_view token) {
    std::string out;
    for (std::size_t k = 1; k + 1 < token.size(); ++k) {
        out += token[k];
        if (token[k] == '\'' && token[k + 1] == '\'') ++k;
    }
    return out;
}

// Items between the bracket at token `open` and its match, split at commas
// of that depth: byte ranges in `text`.
std::vector<std::pair<std::size_t, std::size_t>> Items(std::string_view text,
                                                       const std::vector<Token>& tokens, std::size_t open,
                                                       std::size_t* close = nullptr) {
    std::vector<std::pair<std::size_t, std::size_t>> items;
    int depth = 0;
    std::size_t begin = tokens[open].begin + 1;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(text, tokens[k], '(')) {
            ++depth;
        } else if (CSqlScanner::IsSymbol(text, tokens[k], ')') && --depth == 0) {
            items.emplace_back(begin, tokens[k].begin);
            if (close != nullptr) *close = k;
            return items;
        } else if (depth == 1 && CSqlScanner::IsSymbol(text, tokens[k], ',')) {
            items.emplace_back(begin, tokens[k].begin);
            begin = tokens[k].begin + 1;
        }
    }
    return items;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\n' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t' ||
                             text.back() == '\r' || text.back() == ';'))
        text.remove_suffix(1);
    return text;
}

// Options of a table that SQLite has and the server does not.
bool IsEngineOption(const std::string& word) {
    static constexpr std::string_view kOptions[] = {"WITHOUT", "STRICT"};
    return std::find(std::begin(kOptions), std::end(kOptions), word) != std::end(kOptions);
}

bool StartsConstraint(const std::string& word) {
    return word == "CONSTRAINT" || word == "PRIMARY" || word == "UNIQUE" || word == "CHECK" ||
           word == "FOREIGN";
}

// Where a column added to the definition `current` (CREATE TABLE ...) goes:
// before its first table constraint (SQLite takes no column after one),
// else before its closing bracket.
std::size_t ColumnInsertion(const std::string& current) {
    auto tokens = CSqlScanner::Significant(current);
    int depth = 0;
    bool itemStart = false;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(current, tokens[k], '(')) {
            itemStart = ++depth == 1;
            continue;
        }
        if (CSqlScanner::IsSymbol(current, tokens[k], ')')) {
            --depth;
            continue;
        }
        if (depth == 1 && itemStart && StartsConstraint(Word(current, tokens, k))) return tokens[k].begin;
        itemStart = depth == 1 && CSqlScanner::IsSymbol(current, tokens[k], ',');
    }
    return std::string::npos;
}

// The token after the identity clause that starts at `k` (GENERATED or AS),
// its option list included; not past `limit`.
std::size_t IdentityEnd(std::string_view sql, const std::vector<Token>& tokens, std::size_t k,
                        std::size_t limit) {
    while (k < limit && Word(sql, tokens, k) != "IDENTITY") ++k;
    if (k < limit) ++k;
    if (k < limit && CSqlScanner::IsSymbol(sql, tokens[k], '(')) {
        int depth = 0;
        for (; k < limit; ++k) {
            if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
            if (CSqlScanner::IsSymbol(sql, tokens[k], ')') && --depth == 0) return k + 1;
        }
    }
    return k;
}

// GENERATED ALWAYS | BY DEFAULT [ON NULL] AS IDENTITY at token `k`; `as`
// receives the token of AS. A virtual column's GENERATED ALWAYS AS (...)
// is none.
// GENERATED at token `k` opening a clause (ALWAYS, BY DEFAULT or AS after
// it), not a column of that name.
bool OpensGenerated(std::string_view sql, const std::vector<Token>& tokens, std::size_t k) {
    if (Word(sql, tokens, k) != "GENERATED") return false;
    const std::string next = Word(sql, tokens, k + 1);
    return next == "ALWAYS" || next == "BY" || next == "AS";
}

bool IsIdentityClause(std::string_view sql, const std::vector<Token>& tokens, std::size_t k,
                      std::size_t& as) {
    as = k + 1;
    if (Word(sql, tokens, as) == "ALWAYS") {
        ++as;
    } else if (Word(sql, tokens, as) == "BY" && Word(sql, tokens, as + 1) == "DEFAULT") {
        as += 2;
        if (Word(sql, tokens, as) == "ON" && Word(sql, tokens, as + 1) == "NULL") as += 2;
    }
    return Word(sql, tokens, as) == "AS" && Word(sql, tokens, as + 1) == "IDENTITY";
}

// A signed whole number at token `k`; advances `k` past it.
bool SignedNumber(std::string_view sql, const std::vector<Token>& tokens, std::size_t& k, long long& value) {
    bool negative = k < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], '-');
    if (negative || (k < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], '+'))) ++k;
    if (k >= tokens.size() || tokens[k].kind != Kind::Number) return false;
    value = std::strtoll(std::string(sql.substr(tokens[k].begin, tokens[k].length)).c_str(), nullptr, 10);
    if (negative) value = -value;
    ++k;
    return true;
}

// Words that name a construct of table definitions the engine lacks.
struct UnsupportedWords {
    std::string_view words[3];
    std::string_view what;  // UTF-8
};

// Note: IS JSON is written as json_valid (JsonConditions); the operands it
// cannot take are refused.
constexpr UnsupportedWords kUnsupported[] = {
    {{"IS", "JSON"}, "IS JSON 条件"},
    {{"IS", "NOT", "JSON"}, "IS JSON 条件"},
    // Note: the rows of an external table are a file's, which the engine does not read.
    {{"ORGANIZATION", "EXTERNAL"}, "外部表 (ORGANIZATION EXTERNAL)"},
};

// The first token of the operand that ends at token `last`: a name (with
// its qualifiers) or a parenthesised expression; npos when neither.
std::size_t OperandStart(std::string_view sql, const std::vector<Token>& tokens, std::size_t last) {
    if (CSqlScanner::IsSymbol(sql, tokens[last], ')')) {
        int depth = 0;
        for (std::size_t k = last + 1; k-- > 0;) {
            if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) ++depth;
            if (CSqlScanner::IsSymbol(sql, tokens[k], '(') && --depth == 0) {
                // Note: a function's name goes with its arguments.
                static constexpr std::string_view kNotNames[] = {"CHECK", "AND",  "OR", "NOT",  "WHEN",
                                                                 "THEN",  "ELSE", "IN", "WHERE"};
                bool call = k > 0 && tokens[k - 1].kind == Kind::Word;
                for (std::string_view word : kNotNames)
                    call = call && !CSqlScanner::Is(sql, tokens[k - 1], word);
                return call ? k - 1 : k;
            }
        }
        return std::string_view::npos;
    }
    if (tokens[last].kind != Kind::Word && tokens[last].kind != Kind::QuotedName)
        return std::string_view::npos;
    std::size_t first = last;
    while (first >= 2 && CSqlScanner::IsSymbol(sql, tokens[first - 1], '.')) first -= 2;
    return first;
}

// `text` without the words NOT NULL, and the CONSTRAINT name before them.
std::string WithoutNotNull(const std::string& text) {
    auto tokens = CSqlScanner::Significant(text);
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        if (Word(text, tokens, k) != "NOT" || Word(text, tokens, k + 1) != "NULL") continue;
        std::size_t from =
            k >= 2 && Word(text, tokens, k - 2) == "CONSTRAINT" ? tokens[k - 2].begin : tokens[k].begin;
        std::size_t to = tokens[k + 1].begin + tokens[k + 1].length;
        return text.substr(0, from) + text.substr(to);
    }
    return text;
}

// The NOT NULL of `extra` (a MODIFY's words after the type) with its name:
// the one given after CONSTRAINT, else one the system gives, written into
// `extra` before NOT NULL.
CSqliteDictionary::Constraint NotNullOf(sqlite3* db, std::string& extra) {
    CSqliteDictionary::Constraint c;
    auto tokens = CSqlScanner::Significant(extra);
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        if (Word(extra, tokens, k) != "NOT" || Word(extra, tokens, k + 1) != "NULL") continue;
        if (k >= 2 && Word(extra, tokens, k - 2) == "CONSTRAINT") {
            c.name = encoding::Cp932ToUtf8(Word(extra, tokens, k - 1));
            return c;
        }
        c.name = CConstraintCatalog::NewName(db);
        c.generated = true;
        extra.insert(tokens[k].begin, "CONSTRAINT \"" + encoding::Utf8ToCp932(c.name) + "\" ");
        return c;
    }
    return c;
}

// A name (UTF-8) quoted for SQLite.
std::string Quoted(std::string_view name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

std::string CSqliteSchema::JsonConditions(std::string_view sql) {
    auto tokens = CSqlScanner::Significant(sql);
    std::string out;
    std::size_t done = 0;
    for (std::size_t k = 1; k + 1 < tokens.size(); ++k) {
        if (!CSqlScanner::Is(sql, tokens[k], "IS")) continue;
        bool negated = CSqlScanner::Is(sql, tokens[k + 1], "NOT");
        std::size_t json = k + (negated ? 2 : 1);
        if (json >= tokens.size() || !CSqlScanner::Is(sql, tokens[json], "JSON")) continue;
        std::size_t first = OperandStart(sql, tokens, k - 1);
        if (first == std::string_view::npos || tokens[first].begin < done) continue;
        std::size_t end = json + 1;
        if (end < tokens.size() &&
            (CSqlScanner::Is(sql, tokens[end], "STRICT") || CSqlScanner::Is(sql, tokens[end], "LAX")))
            ++end;
        if (end + 2 < tokens.size() &&
            (CSqlScanner::Is(sql, tokens[end], "WITH") || CSqlScanner::Is(sql, tokens[end], "WITHOUT")) &&
            CSqlScanner::Is(sql, tokens[end + 1], "UNIQUE") && CSqlScanner::Is(sql, tokens[end + 2], "KEYS"))
            end += 3;
        std::size_t operandEnd = tokens[k - 1].begin + tokens[k - 1].length;
        std::string_view operand = sql.substr(tokens[first].begin, operandEnd - tokens[first].begin);
        out.append(sql.substr(done, tokens[first].begin - done));
        // Note: NULL is neither JSON nor not JSON (a CHECK lets it pass).
        out += "(CASE WHEN " + std::string(operand) + " IS NOT NULL THEN " + (negated ? "NOT " : "") +
               "json_valid(" + std::string(operand) + ") END)";
        done = tokens[end - 1].begin + tokens[end - 1].length;
        k = end - 1;
    }
    out.append(sql.substr(done));
    return out;
}

std::size_t CSqliteSchema::Unsupported(std::string_view sql, std::string& what) {
    std::string rewritten = JsonConditions(sql);
    sql = rewritten;
    auto tokens = CSqlScanner::Significant(sql);
    if (tokens.size() < 2 || !CSqlScanner::Is(sql, tokens[1], "TABLE") ||
        (!CSqlScanner::Is(sql, tokens[0], "CREATE") && !CSqlScanner::Is(sql, tokens[0], "ALTER")))
        return std::string_view::npos;
    for (std::size_t k = 2; k < tokens.size(); ++k)
        for (const UnsupportedWords& rule : kUnsupported) {
            std::size_t n = 0;
            while (n < std::size(rule.words) && !rule.words[n].empty() && k + n < tokens.size() &&
                   CSqlScanner::Is(sql, tokens[k + n], rule.words[n]))
                ++n;
            if (n == std::size(rule.words) || (n > 0 && rule.words[n].empty())) {
                what = encoding::Utf8ToCp932(rule.what);
                return tokens[k].begin;
            }
        }
    return std::string_view::npos;
}

std::string CSqliteSchema::Prepare(std::string_view written) {
    // Note: IS JSON becomes json_valid first; the offsets are those of the result.
    std::string rewritten = JsonConditions(written);
    std::string_view sql = rewritten;
    auto tokens = CSqlScanner::Significant(sql);
    std::string out(sql);
    if (Word(sql, tokens, 0) != "CREATE") return out;
    std::size_t k = 1;
    // Note: a GLOBAL TEMPORARY table's rows are the connection's own.
    if (Word(sql, tokens, k) == "GLOBAL" && Word(sql, tokens, k + 1) == "TEMPORARY") {
        out.replace(tokens[k].begin, 4, "TEMP");
        for (std::size_t at = tokens[k].begin + 4; at < tokens[k + 1].begin + tokens[k + 1].length; ++at)
            if (out[at] != '\n') out[at] = ' ';
        k += 2;
    }
    bool index = Word(sql, tokens, k) == "INDEX" ||
                 ((Word(sql, tokens, k) == "UNIQUE" || Word(sql, tokens, k) == "BITMAP") &&
                  Word(sql, tokens, k + 1) == "INDEX");
    if (Word(sql, tokens, k) == "BITMAP") out.replace(tokens[k].begin, 6, "      ");
    if (Word(sql, tokens, k) != "TABLE" && !index) return out;
    if (!index) {
        // Note: a table's column list follows its name; a table made by AS
        // SELECT may have none, and the brackets of its query are not one.
        k += k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 2], '.') ? 4 : 2;
        if (k >= tokens.size() || !CSqlScanner::IsSymbol(sql, tokens[k], '(')) return out;
    }
    while (k < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++k;
    if (k >= tokens.size()) return out;
    std::size_t close = 0;
    auto items = Items(sql, tokens, k, &close);
    if (close == 0) return out;
    auto blank = [&](std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to; ++at)
            if (out[at] != '\n') out[at] = ' ';
    };
    // Everything after the column list but AS SELECT goes.
    std::size_t rest = close + 1;
    if (rest < tokens.size() && Word(sql, tokens, rest) != "AS") {
        std::size_t end = tokens.back().begin + tokens.back().length;
        if (CSqlScanner::IsSymbol(sql, tokens.back(), ';')) end = tokens.back().begin;
        // Note: SQLite's own table options stay, for the definition to refuse,
        // and so does the query of a table made by one (AS SELECT), which
        // ends the options wherever it starts (LOB ... STORE AS is an option's).
        int depth = 0;
        for (std::size_t t = rest; t < tokens.size(); ++t) {
            if (CSqlScanner::IsSymbol(sql, tokens[t], '(')) ++depth;
            if (CSqlScanner::IsSymbol(sql, tokens[t], ')')) --depth;
            const bool query =
                depth == 0 && Word(sql, tokens, t) == "AS" && Word(sql, tokens, t - 1) != "STORE";
            if (query || IsEngineOption(Word(sql, tokens, t))) {
                end = tokens[t].begin;
                break;
            }
        }
        blank(tokens[rest].begin, end);
    }
    // Inside: USING INDEX ..., ENABLE/DISABLE/VALIDATE words, identity clauses.
    for (std::size_t t = k + 1; t < close; ++t) {
        std::string word = Word(sql, tokens, t);
        if (word == "USING" && Word(sql, tokens, t + 1) == "INDEX") {
            std::size_t end = t + 2;
            int depth = 0;
            for (; end < close; ++end) {
                if (CSqlScanner::IsSymbol(sql, tokens[end], '(')) ++depth;
                if (CSqlScanner::IsSymbol(sql, tokens[end], ')')) --depth;
                if (depth < 0 || (depth == 0 && CSqlScanner::IsSymbol(sql, tokens[end], ','))) break;
                std::string w = Word(sql, tokens, end);
                if (depth == 0 && (w == "CONSTRAINT" || w == "NOT" || w == "CHECK" || w == "REFERENCES"))
                    break;
            }
            blank(tokens[t].begin, tokens[end - 1].begin + tokens[end - 1].length);
            t = end - 1;
        } else if (word == "ENABLE" || word == "VALIDATE" || word == "NOVALIDATE" || word == "RELY" ||
                   word == "NORELY") {
            blank(tokens[t].begin, tokens[t].begin + tokens[t].length);
        } else if (std::size_t as = 0;
                   OpensGenerated(sql, tokens, t) && !IsIdentityClause(sql, tokens, t, as)) {
            // Note: GENERATED ALWAYS of a virtual column goes; AS (...) stays.
            blank(tokens[t].begin, tokens[as - 1].begin + tokens[as - 1].length);
            t = as - 1;
        } else if (OpensGenerated(sql, tokens, t) ||
                   (word == "AS" && Word(sql, tokens, t + 1) == "IDENTITY")) {
            // Note: an identity column holds no NULL; its options are kept
            // in the catalog (Identities).
            std::size_t end = IdentityEnd(sql, tokens, t, close);
            std::size_t from = tokens[t].begin;
            std::size_t to = tokens[end - 1].begin + tokens[end - 1].length;
            blank(from, to);
            out.replace(from, 8, "NOT NULL");
            t = end - 1;
        }
    }
    (void)items;
    return out;
}

std::vector<CCatalogTables::Identity> CSqliteSchema::Identities(std::string_view sql) {
    std::vector<CCatalogTables::Identity> out;
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t open = 0;
    while (open < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[open], '(')) ++open;
    if (open == 0 || open >= tokens.size() || Word(sql, tokens, 0) != "CREATE") return out;
    std::string table = Word(sql, tokens, open - 1);
    std::size_t close = 0;
    for (const auto& [from, to] : Items(sql, tokens, open, &close)) {
        std::size_t first = open + 1;
        while (first < tokens.size() && tokens[first].begin < from) ++first;
        int depth = 0;
        for (std::size_t k = first; k < tokens.size() && tokens[k].begin < to; ++k) {
            if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
            if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) --depth;
            std::string word = Word(sql, tokens, k);
            std::size_t as = 0;
            bool generated = OpensGenerated(sql, tokens, k) && IsIdentityClause(sql, tokens, k, as);
            if (depth != 0 || (!generated && !(word == "AS" && Word(sql, tokens, k + 1) == "IDENTITY")))
                continue;
            CCatalogTables::Identity identity;
            identity.table = encoding::Cp932ToUtf8(table);
            identity.column = encoding::Cp932ToUtf8(Word(sql, tokens, first));
            ReadIdentity(sql, tokens, k, identity);
            out.push_back(identity);
            break;
        }
    }
    return out;
}

bool CSqliteSchema::ReadIdentity(std::string_view sql, const std::vector<CSqlScanner::Token>& tokens,
                                 std::size_t k, CCatalogTables::Identity& identity) {
    std::size_t end = IdentityEnd(sql, tokens, k, tokens.size());
    identity.generation = "BY DEFAULT";
    for (std::size_t w = k; w < end && Word(sql, tokens, w) != "IDENTITY"; ++w) {
        if (Word(sql, tokens, w) == "ALWAYS") identity.generation = "ALWAYS";
        if (Word(sql, tokens, w) == "NULL") identity.generation = "ON NULL";
    }
    for (std::size_t w = k; w < end; ++w) {
        std::string word = Word(sql, tokens, w);
        if (word == "START" && Word(sql, tokens, w + 1) == "WITH") {
            w += 2;
            identity.startGiven = true;
            if (Word(sql, tokens, w) == "LIMIT") {
                identity.startAtLimit = true;
                ++w;
            } else if (!SignedNumber(sql, tokens, w, identity.start)) {
                return false;
            }
            --w;
        } else if (word == "INCREMENT" && Word(sql, tokens, w + 1) == "BY") {
            w += 2;
            if (!SignedNumber(sql, tokens, w, identity.increment) || identity.increment == 0) return false;
            --w;
        }
    }
    // Note: counting down starts at -1 unless told otherwise, as sequences do.
    bool startGiven = false;
    for (std::size_t w = k; w < end; ++w) startGiven = startGiven || Word(sql, tokens, w) == "START";
    if (!startGiven && identity.increment < 0) identity.start = -1;
    identity.options =
        "START WITH: " +
        (identity.startAtLimit ? std::string("LIMIT VALUE") : std::to_string(identity.start)) +
        ", INCREMENT BY: " + std::to_string(identity.increment) +
        ", MAX_VALUE: 9999999999999999999999999999, MIN_VALUE: 1, CYCLE_FLAG: N, CACHE_SIZE: 20, "
        "ORDER_FLAG: N";
    return true;
}

bool CSqliteSchema::ModifyIdentity(std::string_view table, const std::string& column, std::string_view item,
                                   const Tokens& tokens, std::size_t k, std::size_t at, CEngineError& error) {
    CCatalogTables::Identity identity;
    identity.table = encoding::Cp932ToUtf8(std::string(table));
    identity.column = encoding::Cp932ToUtf8(column);
    // Note: as on the server, only an identity column takes new identity options.
    if (CCatalogTables::IdentityOf(m_db, identity.table, identity.column).empty()) {
        COraError::Set(error, 30673, {column}, static_cast<int>(at));
        return false;
    }
    if (!ReadIdentity(item, tokens, k, identity)) {
        COraError::Set(error, 1722, {}, static_cast<int>(at + tokens[k].begin));
        return false;
    }
    // Note: other connections read a table's columns again when the schema's
    // version changes; an object made and dropped tells them.
    return CCatalogTables::SetIdentity(m_db, identity, error) &&
           Exec("CREATE TABLE TARVEX_CHANGED (X); DROP TABLE TARVEX_CHANGED", error);
}

bool CSqliteSchema::Exec(const std::string& utf8, CEngineError& error, int position) {
    if (sqlite3_exec(m_db, utf8.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(encoding::Utf8ToCp932(sqlite3_errmsg(m_db)), position);
    return false;
}

long long CSqliteSchema::Count(const std::string& utf8) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(m_db, utf8.c_str(), -1, &raw, nullptr);
    Statement statement(raw);
    if (!statement || sqlite3_step(raw) != SQLITE_ROW) return -1;
    return sqlite3_column_int64(raw, 0);
}

bool CSqliteSchema::TableSql(std::string_view table, std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT sql FROM main.sqlite_schema WHERE type = 'table' AND name = ?1", -1,
                       &raw, nullptr);
    Statement statement(raw);
    std::string name = encoding::Cp932ToUtf8(std::string(table));
    sqlite3_bind_text(raw, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (!statement || sqlite3_step(raw) != SQLITE_ROW) return false;
    sql = encoding::Utf8ToCp932(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    return true;
}

bool CSqliteSchema::Run(const std::string& sql, CEngineError& error, bool& handled) {
    auto tokens = CSqlScanner::Significant(sql);
    handled = false;
    std::string first = Word(sql, tokens, 0);
    std::string second = Word(sql, tokens, 1);
    if (first == "COMMENT" && second == "ON") {
        handled = true;
        return Comment(sql, tokens, error);
    }
    if (first == "ALTER" && second == "SEQUENCE") {
        handled = true;
        return AlterSequence(sql, tokens, error);
    }
    if (first == "ALTER" && second == "TABLE") {
        // Note: a schema before the table is the session's own (the file has one user).
        std::size_t nameAt = Word(sql, tokens, 3) == "." ? 4 : 2;
        if (Word(sql, tokens, nameAt + 1) == "DROP" &&
            (Word(sql, tokens, nameAt + 2) == "COLUMN" ||
             (nameAt + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[nameAt + 2], '(')))) {
            handled = true;
            return DropColumns(sql, tokens, nameAt, error);
        }
        return AlterTable(sql, tokens, error, handled);
    }
    if (first == "ALTER" && second == "VIEW") return AlterView(sql, tokens, error, handled);
    if (first == "ALTER" && second == "INDEX") {
        handled = true;
        return CIndexAlteration(m_db).Run(sql, error);
    }
    return true;
}

bool CSqliteSchema::AlterView(std::string_view sql, const Tokens& tokens, CEngineError& error,
                              bool& handled) {
    // Note: a schema before the view is the session's own (the file has one user).
    std::size_t nameAt = Word(sql, tokens, 3) == "." ? 4 : 2;
    if (Word(sql, tokens, nameAt + 1) != "COMPILE" || nameAt + 2 != tokens.size()) return true;
    handled = true;
    std::string name = Word(sql, tokens, nameAt);
    CCatalogTables::View view;
    if (!CCatalogTables::FindView(m_db, encoding::Cp932ToUtf8(name), view)) {
        COraError::Set(error, 942, {name}, static_cast<int>(tokens[nameAt].begin));
        return false;
    }
    if (sqliteapi::ViewCompiles(m_db, encoding::Cp932ToUtf8(name))) return true;
    // Note: the view stays, INVALID, and the statement answers the server's warning.
    error.Set(encoding::Utf8ToCp932("警告: コンパイル・エラーがあります。"), 0);
    error.code = kCompiledWithErrors;
    return false;
}

bool CSqliteSchema::Comment(std::string_view sql, const Tokens& tokens, CEngineError& error) {
    std::string kind = Word(sql, tokens, 2);
    bool column = kind == "COLUMN";
    std::size_t k = 3;
    // Note: a materialized view's comment is its table's.
    if (kind == "MATERIALIZED" && Word(sql, tokens, 3) == "VIEW") {
        kind = "TABLE";
        k = 4;
    }
    // Note: a schema before the table is the session's own (the file has one user).
    if (Word(sql, tokens, k + 1) == "." && Word(sql, tokens, k + 3) == (column ? "." : "IS")) k += 2;
    std::size_t nameAt = k;
    std::string table = Word(sql, tokens, k++);
    std::string name;
    if (column) {
        if (Word(sql, tokens, k) != ".") {
            COraError::Set(error, 933, {},
                           static_cast<int>(k < tokens.size() ? tokens[k].begin : sql.size()));
            return false;
        }
        name = Word(sql, tokens, k + 1);
        k += 2;
    }
    if ((kind != "TABLE" && !column) || Word(sql, tokens, k) != "IS" || k + 1 >= tokens.size() ||
        tokens[k + 1].kind != Kind::String) {
        COraError::Set(error, 933, {}, static_cast<int>(k < tokens.size() ? tokens[k].begin : sql.size()));
        return false;
    }
    std::string quotedTable = Quote(encoding::Cp932ToUtf8(table));
    if (Count("SELECT count(*) FROM (SELECT name, type FROM main.sqlite_schema UNION ALL SELECT name, type "
              "FROM temp.sqlite_schema) WHERE type IN ('table', 'view') AND name = " +
              quotedTable) <= 0) {
        COraError::Set(error, 942, {table}, static_cast<int>(tokens[nameAt].begin));
        return false;
    }
    if (column && Count("SELECT count(*) FROM pragma_table_xinfo(" + quotedTable +
                        ") WHERE name = " + Quote(encoding::Cp932ToUtf8(name))) <= 0) {
        COraError::Set(error, 904, {name}, static_cast<int>(tokens[k - 1].begin));
        return false;
    }
    std::string text = Literal(sql.substr(tokens[k + 1].begin, tokens[k + 1].length));
    return Exec("INSERT OR REPLACE INTO TARVEX_COMMENTS VALUES (" + quotedTable + ", " +
                    Quote(encoding::Cp932ToUtf8(name)) + ", " +
                    (text.empty() ? std::string("NULL") : Quote(encoding::Cp932ToUtf8(text))) + ")",
                error);
}

bool CSqliteSchema::AlterSequence(std::string_view sql, const Tokens& tokens, CEngineError& error) {
    std::string name = encoding::Cp932ToUtf8(Word(sql, tokens, 2));
    if (Count("SELECT count(*) FROM main.sqlite_schema WHERE name = 'TARVEX_SEQUENCES'") <= 0 ||
        Count("SELECT count(*) FROM TARVEX_SEQUENCES WHERE NAME = " + Quote(name)) <= 0) {
        COraError::Set(error, 2289, {Word(sql, tokens, 2)},
                       tokens.size() > 2 ? static_cast<int>(tokens[2].begin) : 0);
        return false;
    }
    CSequenceOptions options = CSequenceOptions::Load(m_db, name);
    for (std::size_t k = 3; k < tokens.size(); ++k) {
        std::string word = Word(sql, tokens, k);
        bool restart = word == "RESTART";
        if (word != "INCREMENT" && !restart) {
            std::size_t at = k;
            auto outcome = options.Read(sql, tokens, at, error);
            if (outcome == CSequenceOptions::Outcome::Refused) return false;
            if (outcome == CSequenceOptions::Outcome::Read) k = at - 1;
            continue;
        }
        std::size_t at = k + (restart ? 1 : 2);
        if (restart && Word(sql, tokens, at) == "START") at += 2;
        bool negative = Word(sql, tokens, at) == "-";
        if (negative) ++at;
        if (at >= tokens.size() || tokens[at].kind != Kind::Number) {
            COraError::Set(error, restart ? 1722 : 4002, {}, static_cast<int>(tokens[k].begin));
            return false;
        }
        std::string value =
            (negative ? "-" : "") + std::string(sql.substr(tokens[at].begin, tokens[at].length));
        if (!restart && std::stoll(value) == 0) {
            COraError::Set(error, 4002, {}, static_cast<int>(tokens[k].begin));
            return false;
        }
        // Note: the next value follows the last one given by the new step.
        std::string set = restart ? "NEXT_VALUE = " + value
                                  : "NEXT_VALUE = NEXT_VALUE - STEP + (" + value + "), STEP = " + value;
        if (!Exec("UPDATE TARVEX_SEQUENCES SET " + set + " WHERE NAME = " + Quote(name), error)) return false;
        k = at;
    }
    return CSequenceOptions::Save(m_db, name, options, error);
}

bool CSqliteSchema::AlterTable(std::string_view sql, const Tokens& tokens, CEngineError& error,
                               bool& handled) {
    if (tokens.size() < 4) return true;
    std::string table = Word(sql, tokens, 2);
    std::string action = Word(sql, tokens, 3);
    std::vector<CTableOptions::Setting> settings;
    std::size_t failAt = 0;
    if (bool read = CTableOptions::ReadTableClauses(sql, tokens, 3, settings, failAt); read || failAt > 3) {
        handled = true;
        return SetOptions(table, tokens, read ? 0 : failAt, settings, error);
    }
    std::string object = Word(sql, tokens, 4);
    bool bracket = tokens.size() > 4 && CSqlScanner::IsSymbol(sql, tokens[4], '(');
    std::string current;
    if ((action == "ADD" || action == "MODIFY" || action == "DROP" || action == "ENABLE" ||
         action == "DISABLE") &&
        !TableSql(table, current)) {
        if (action == "DROP" && object != "CONSTRAINT" && object != "PRIMARY") return true;
        handled = true;
        COraError::Set(error, 942, {table}, static_cast<int>(tokens[2].begin));
        return false;
    }
    if (action == "RENAME" && object == "CONSTRAINT") {
        handled = true;
        if (tokens.size() < 8 || Word(sql, tokens, 6) != "TO") {
            COraError::Set(error, 905, {},
                           static_cast<int>(tokens[std::min<std::size_t>(6, tokens.size() - 1)].begin));
            return false;
        }
        return RenameConstraint(table, Word(sql, tokens, 5), Word(sql, tokens, 7), tokens[5].begin, error);
    }
    std::size_t end = tokens.back().begin + tokens.back().length;
    if (CSqlScanner::IsSymbol(sql, tokens.back(), ';')) end = tokens.back().begin;
    if (action == "MODIFY" && (object == "CONSTRAINT" || object == "PRIMARY")) {
        handled = true;
        return ModifyConstraint(sql, tokens, error);
    }
    if (action == "ADD" || action == "MODIFY") {
        handled = true;
        std::vector<std::pair<std::size_t, std::size_t>> items =
            bracket ? Items(sql, tokens, 4)
                    : std::vector<std::pair<std::size_t, std::size_t>>{{tokens[4].begin, end}};
        for (const auto& [from, to] : items) {
            std::string_view item = Trim(sql.substr(from, to - from));
            std::size_t at = static_cast<std::size_t>(item.data() - sql.data());
            bool ok = action == "ADD" ? AddItem(table, item, at, error) : Modify(table, item, at, error);
            if (!ok) return false;
        }
        return true;
    }
    if (action == "DROP" && (object == "CONSTRAINT" || object == "PRIMARY")) {
        handled = true;
        std::string name = object == "CONSTRAINT" ? Word(sql, tokens, 5) : std::string();
        return DropConstraint(table, name, tokens[4].begin, error);
    }
    if (action == "ENABLE" || action == "DISABLE") {
        handled = true;
        // Note: rows of the one file never move between partitions, and its
        // one session locks no table for another: these change nothing.
        if ((object == "ROW" && Word(sql, tokens, 5) == "MOVEMENT") ||
            (object == "TABLE" && Word(sql, tokens, 5) == "LOCK") ||
            (object == "ALL" && Word(sql, tokens, 5) == "TRIGGERS"))
            return true;
        std::size_t k = 4;
        while (k < tokens.size() && Word(sql, tokens, k) != "CONSTRAINT" && Word(sql, tokens, k) != "PRIMARY")
            ++k;
        bool primary = Word(sql, tokens, k) == "PRIMARY";
        std::string name = primary ? std::string() : Word(sql, tokens, k + 1);
        std::size_t at = k < tokens.size() ? tokens[k].begin : sql.size();
        // VALIDATE or NOVALIDATE between ENABLE|DISABLE and the constraint.
        std::string state = k > 4 ? Word(sql, tokens, 4) : std::string();
        return SetState(table, name, action == "ENABLE", state, at, error);
    }
    return true;
}

bool CSqliteSchema::DropColumns(std::string_view sql, const Tokens& tokens, std::size_t nameAt,
                                CEngineError& error) {
    const std::string table = CColumnDrop::StoredName(sql, tokens[nameAt]);
    std::string current;
    if (!TableSql(table, current)) {
        COraError::Set(error, 942, {table}, static_cast<int>(tokens[nameAt].begin));
        return false;
    }
    // COLUMN c or (c, ...): each name with its token.
    std::vector<std::size_t> named;
    std::size_t k = nameAt + 3;
    if (Word(sql, tokens, nameAt + 2) == "COLUMN") {
        named.push_back(k++);
    } else {
        for (k = nameAt + 3; k < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[k], ')'); ++k)
            if (!CSqlScanner::IsSymbol(sql, tokens[k], ',')) named.push_back(k);
        ++k;
    }
    bool cascade = false;
    if (!DropOptions(sql, tokens, k, cascade, error)) return false;
    const std::string utfTable = encoding::Cp932ToUtf8(table);
    CSqliteCatalog catalog(m_db);
    const auto* columns = catalog.Columns(table);
    std::vector<std::string> dropped;
    for (std::size_t at : named) {
        std::string column = at < tokens.size() ? CColumnDrop::StoredName(sql, tokens[at]) : std::string();
        bool found = false;
        for (const auto& c : columns != nullptr ? *columns : std::vector<CSqliteCatalog::Column>())
            found = found || c.name == column;
        if (!found) {
            COraError::Set(error, at < tokens.size() ? 904 : 921, {column},
                           static_cast<int>(at < tokens.size() ? tokens[at].begin : sql.size()));
            return false;
        }
        if (std::find(dropped.begin(), dropped.end(), encoding::Cp932ToUtf8(column)) == dropped.end())
            dropped.push_back(encoding::Cp932ToUtf8(column));
    }
    const std::size_t at = tokens[named.front()].begin;
    if (columns != nullptr && dropped.size() >= columns->size()) {
        COraError::Set(error, 12983, {}, static_cast<int>(tokens[nameAt].begin));
        return false;
    }
    CColumnDrop::Plan plan =
        CColumnDrop::Make(m_db, utfTable, dropped, cascade, CSqliteDictionary::All(m_db));
    if (plan.refusal != 0) {
        COraError::Set(error, plan.refusal, {}, static_cast<int>(at));
        return false;
    }
    for (const auto& [owner, name] : plan.constraints)
        if (!DropConstraint(encoding::Utf8ToCp932(owner), encoding::Utf8ToCp932(name), at, error))
            return false;
    for (const std::string& index : plan.indexes)
        if (!Exec("DROP INDEX IF EXISTS main." + Quoted(index), error, static_cast<int>(at))) return false;
    // Note: a virtual column dropped with the columns it reads goes first,
    // whatever the order they are named in.
    for (std::vector<std::string> left = dropped; !left.empty();) {
        std::vector<std::string> failed;
        for (const std::string& column : left)
            if (!Exec("ALTER TABLE main." + Quoted(utfTable) + " DROP COLUMN " + Quoted(column), error,
                      static_cast<int>(at)))
                failed.push_back(column);
        if (failed.size() < left.size()) {
            left = std::move(failed);
            continue;
        }
        // Note: with its indexes, constraints and views out of the way, what
        // still reads the column is a virtual column's expression.
        if (error.message.starts_with("error in table ") &&
            error.message.find("after drop column") != std::string::npos)
            COraError::Set(error, 54031, {}, static_cast<int>(at));
        return false;
    }
    return true;
}

bool CSqliteSchema::DropOptions(std::string_view sql, const Tokens& tokens, std::size_t k, bool& cascade,
                                CEngineError& error) {
    // Note: INVALIDATE and CHECKPOINT change nothing here: the file has no
    // cursor to keep and drops the columns in one transaction.
    while (k < tokens.size()) {
        std::string word = Word(sql, tokens, k);
        if (word == "CASCADE" && Word(sql, tokens, k + 1) == "CONSTRAINTS") {
            cascade = true;
            k += 2;
        } else if (word == "INVALIDATE" || word == "ONLINE" || word == ";") {
            ++k;
        } else if (word == "CHECKPOINT") {
            k += k + 1 < tokens.size() && tokens[k + 1].kind == Kind::Number ? 2 : 1;
        } else {
            COraError::Set(error, 933, {}, static_cast<int>(tokens[k].begin));
            return false;
        }
    }
    return true;
}

bool CSqliteSchema::ModifyConstraint(std::string_view sql, const Tokens& tokens, CEngineError& error) {
    // MODIFY CONSTRAINT name | PRIMARY KEY, then the state words in any order.
    bool primary = Word(sql, tokens, 4) == "PRIMARY";
    std::string name = primary ? std::string() : Word(sql, tokens, 5);
    std::size_t k = 6;
    std::string enable;
    std::string state;
    for (; k < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[k], ';'); ++k) {
        std::string word = Word(sql, tokens, k);
        if (word == "ENABLE" || word == "DISABLE") {
            enable = word;
        } else if (word == "VALIDATE" || word == "NOVALIDATE") {
            state = word;
        } else if (word != "RELY" && word != "NORELY") {
            COraError::Set(error, 933, {}, static_cast<int>(tokens[k].begin));
            return false;
        }
    }
    std::size_t at = tokens[std::min<std::size_t>(5, tokens.size() - 1)].begin;
    if (enable.empty()) return true;
    return SetState(Word(sql, tokens, 2), name, enable == "ENABLE", state, at, error);
}

bool CSqliteSchema::SetState(std::string_view table, const std::string& name, bool enable,
                             const std::string& state, std::size_t at, CEngineError& error) {
    if (name.empty() && enable) return true;
    if (enable) return Enable(table, name, at, error, state == "NOVALIDATE");
    // Note: DISABLE VALIDATE keeps the rows as they were checked; the table
    // then takes no DML (see CConstraintLock).
    std::string utfName = encoding::Cp932ToUtf8(name);
    std::vector<CSqliteDictionary::Constraint> constraints;
    CConstraintCatalog::Read(m_db, encoding::Cp932ToUtf8(std::string(table)), constraints);
    for (const auto& c : constraints)
        if (name.empty() && c.type == 'P') utfName = c.name;
    return DropConstraint(table, name, at, error, true) &&
           (utfName.empty() || CConstraintCatalog::SetValidated(m_db, utfName, state == "VALIDATE", error));
}

bool CSqliteSchema::SetOptions(std::string_view table, const Tokens& tokens, std::size_t failAt,
                               const std::vector<CTableOptions::Setting>& settings, CEngineError& error) {
    std::string current;
    if (!TableSql(table, current)) {
        COraError::Set(error, 942, {std::string(table)}, static_cast<int>(tokens[2].begin));
        return false;
    }
    if (failAt > 0) {
        COraError::Set(error, 1735, {}, static_cast<int>(tokens[failAt].begin));
        return false;
    }
    return CTableOptions::SetTable(m_db, encoding::Cp932ToUtf8(std::string(table)), settings, error);
}

bool CSqliteSchema::AddItem(std::string_view table, std::string_view item, std::size_t at,
                            CEngineError& error) {
    auto tokens = CSqlScanner::Significant(item);
    if (tokens.empty()) {
        COraError::Set(error, 904, {""}, static_cast<int>(at));
        return false;
    }
    if (StartsConstraint(Word(item, tokens, 0))) return AddConstraint(table, item, at, error);
    m_table = std::string(table);
    for (std::size_t k = 1; k < tokens.size(); ++k)
        if ((Word(item, tokens, k) == "GENERATED" && !CColumnCatalog::ReadItem(item).virtualColumn) ||
            (Word(item, tokens, k) == "AS" && Word(item, tokens, k + 1) == "IDENTITY"))
            return AddIdentity(table, item, tokens, k, at, error);
    std::string statement = "ALTER TABLE " + Quoted(table) + " ADD COLUMN ";
    // Note: its constraints are compiled and named as CREATE TABLE's are.
    std::string written = statement + std::string(item);
    auto checks = CCheckCompiler::Find(written, false);
    std::vector<CColumnCompiler::Edit> compiled;
    std::vector<CTableText::Check> named;
    auto namer = CConstraintCatalog::Namer(m_db);
    std::string defaultExpression;
    if (!CompileAddedChecks(table, item, at, written, checks, compiled, named, namer, error) ||
        !CompileColumn(item, statement.size(), at, compiled, error, &defaultExpression))
        return false;
    std::string column;
    std::vector<CSqliteDictionary::Constraint> constraints;
    if (!WriteItem(table, CCheckCompiler::Blank(written, checks).substr(statement.size()), compiled, named,
                   statement.size(), namer, at, column, constraints, error))
        return false;
    const bool keyed =
        std::any_of(constraints.begin(), constraints.end(),
                    [](const CSqliteDictionary::Constraint& c) { return c.type == 'P' || c.type == 'U'; });
    if (!CanAddColumn(table, column, constraints, at, error)) return false;
    if (defaultExpression.empty() && !keyed)
        return Exec(encoding::Cp932ToUtf8(statement + column), error, static_cast<int>(at)) &&
               CConstraintCatalog::Record(m_db, constraints, error) && RecordColumn(table, item, error);
    // Note: SQLite adds a column whose default is an expression, or one that
    // is a key, by a rebuild only; the rows there take its default, as on the
    // server.
    std::string current;
    TableSql(table, current);
    std::size_t close = current.rfind(')');
    std::size_t before = ColumnInsertion(current);
    std::string defined = before == std::string::npos
                              ? current.substr(0, close) + ", " + column + current.substr(close)
                              : current.substr(0, before) + column + ", " + current.substr(before);
    std::string name = encoding::Cp932ToUtf8(cp932::ToUpperAscii(CColumnCatalog::ReadItem(item).name));
    CTableRebuild::Fills fills;
    if (!defaultExpression.empty()) fills.push_back({name, encoding::Cp932ToUtf8(defaultExpression)});
    return CTableRebuild::Run(m_db, encoding::Cp932ToUtf8(std::string(table)), encoding::Cp932ToUtf8(defined),
                              error, fills) &&
           CConstraintCatalog::Record(m_db, constraints, error) && RecordColumn(table, item, error);
}

// Whether `table` (UTF-8) has a primary key: in its definition, or added later.
bool CSqliteSchema::HasPrimaryKey(const std::string& table) {
    if (Count("SELECT count(*) FROM pragma_table_info(" + Quote(table) + ") WHERE pk > 0") > 0) return true;
    for (const auto& constraint : CSqliteDictionary::All(m_db))
        if (constraint.type == 'P' && constraint.table == table) return true;
    return false;
}

// A column added with PRIMARY KEY needs a table with no key yet; one that is
// mandatory (a key, or NOT NULL with no default) needs a table with no rows,
// since every row would hold NULL there.
bool CSqliteSchema::CanAddColumn(std::string_view table, std::string_view column,
                                 const std::vector<CSqliteDictionary::Constraint>& constraints,
                                 std::size_t at, CEngineError& error) {
    const bool primary = std::any_of(constraints.begin(), constraints.end(),
                                     [](const CSqliteDictionary::Constraint& c) { return c.type == 'P'; });
    const std::string utfTable = encoding::Cp932ToUtf8(std::string(table));
    if (primary && HasPrimaryKey(utfTable)) {
        COraError::Set(error, 2260, {std::string(table)}, static_cast<int>(at));
        return false;
    }
    const CColumnCatalog::Declared declared = CColumnCatalog::ReadItem(column);
    bool notNull = false;
    const auto tokens = CSqlScanner::Significant(column);
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k)
        notNull = notNull || (Word(column, tokens, k) == "NOT" && Word(column, tokens, k + 1) == "NULL");
    const bool mandatory = primary || (notNull && !declared.hasDefault && !declared.virtualColumn);
    if (mandatory && Count("SELECT count(*) FROM (SELECT 1 FROM \"" + utfTable + "\" LIMIT 1)") > 0) {
        COraError::Set(error, 1758, {}, static_cast<int>(at));
        return false;
    }
    return true;
}

bool CSqliteSchema::CompileColumn(std::string_view item, std::size_t base, std::size_t at,
                                  std::vector<CColumnCompiler::Edit>& edits, CEngineError& error,
                                  std::string* defaultExpression) {
    CSqliteCatalog catalog(m_db);
    CSqlEmitter::Failure failure;
    CColumnCatalog::Declared declared = CColumnCatalog::ReadItem(item);
    // Note: a virtual column added reads the columns the table has.
    const std::vector<CSqliteCatalog::Column>* row = catalog.Columns(m_table);
    CColumnCompiler compiler(catalog);
    if (compiler.Compile(item, declared, base, true, edits, failure, row)) {
        m_virtualType = compiler.VirtualTypes().empty() ? std::string() : compiler.VirtualTypes()[0].second;
        if (declared.virtualColumn) return true;
        if (defaultExpression != nullptr && declared.hasDefault) *defaultExpression = edits.back().with;
        // Note: DEFAULT ON NULL is written by the table's text (CTableText),
        // its NOT NULL a constraint of the catalog's.
        return true;
    }
    COraError::Set(error, failure.code, {failure.name}, static_cast<int>(at + failure.at));
    return false;
}

bool CSqliteSchema::RecordColumn(std::string_view table, std::string_view item, CEngineError& error) {
    CColumnCatalog::Declared declared = CColumnCatalog::ReadItem(item);
    if (declared.virtualColumn && declared.type.empty()) declared.type = m_virtualType;
    std::string name = encoding::Cp932ToUtf8(std::string(table));
    // Note: MODIFY keeps what it does not say (see Visibility for VISIBLE | INVISIBLE).
    bool says = declared.invisible || declared.defaultOnNull;
    return CColumnCatalog::Record(m_db, name, {declared}, error) &&
           (!says || CColumnOptions::Record(m_db, name, {declared}, error));
}

bool CSqliteSchema::Visibility(std::string_view table, const std::string& column, bool hidden, std::size_t at,
                               CEngineError& error) {
    std::string utfTable = encoding::Cp932ToUtf8(std::string(table));
    std::string utfColumn = encoding::Cp932ToUtf8(column);
    if (Count("SELECT count(*) FROM pragma_table_xinfo(" + Quote(utfTable) +
              ") WHERE name = " + Quote(utfColumn)) <= 0) {
        COraError::Set(error, 904, {column}, static_cast<int>(at));
        return false;
    }
    bool was = Count("SELECT count(*) FROM main.TARVEX_COLUMN_OPTIONS WHERE TABLE_NAME = " + Quote(utfTable) +
                     " AND COLUMN_NAME = " + Quote(utfColumn) + " AND HIDDEN_COLUMN = 'YES'") > 0;
    if (!CColumnOptions::SetHidden(m_db, utfTable, utfColumn, hidden, error)) return false;
    if (hidden || !was) return Exec("CREATE TABLE TARVEX_CHANGED (X); DROP TABLE TARVEX_CHANGED", error);
    // Note: a column made visible comes last in the table's order, as on the server.
    std::string current;
    TableSql(table, current);
    auto tokens = CSqlScanner::Significant(current);
    std::size_t open = 0;
    while (open < tokens.size() && !CSqlScanner::IsSymbol(current, tokens[open], '(')) ++open;
    std::string definition;
    std::string moved;
    std::size_t done = 0;
    auto items = Items(current, tokens, open);
    for (std::size_t k = 0; k < items.size(); ++k) {
        std::string_view item =
            Trim(std::string_view(current).substr(items[k].first, items[k].second - items[k].first));
        auto words = CSqlScanner::Significant(item);
        if (words.empty() || Word(item, words, 0) != column) continue;
        moved = std::string(item);
        // The item goes with the comma before it (after it, when it is first).
        std::size_t from = k > 0 ? items[k - 1].second : items[k].first;
        std::size_t to =
            k > 0 ? items[k].second : (k + 1 < items.size() ? items[k + 1].first : items[k].second);
        definition = current.substr(0, from) + current.substr(to);
        done = 1;
        break;
    }
    if (done == 0) return true;
    std::size_t before = ColumnInsertion(definition);
    std::size_t close = definition.rfind(')');
    definition = before == std::string::npos
                     ? definition.substr(0, close) + ", " + moved + definition.substr(close)
                     : definition.substr(0, before) + moved + ", " + definition.substr(before);
    return CTableRebuild::Run(m_db, utfTable, encoding::Cp932ToUtf8(definition), error);
}

bool CSqliteSchema::CompileAddedChecks(std::string_view table, std::string_view item, std::size_t at,
                                       const std::string& written, std::vector<CCheckCompiler::Check>& checks,
                                       std::vector<CColumnCompiler::Edit>& compiled,
                                       std::vector<CTableText::Check>& named,
                                       const std::function<std::string()>& namer, CEngineError& error) {
    if (checks.empty()) return true;
    CSqliteCatalog catalog(m_db);
    const auto* found = catalog.Columns(table);
    std::vector<CSqliteCatalog::Column> columns =
        found != nullptr ? *found : std::vector<CSqliteCatalog::Column>();
    for (auto& column : CCheckCompiler::DeclaredColumns("CREATE TABLE X (" + std::string(item) + ")"))
        columns.push_back(std::move(column));
    CSqlEmitter::Failure failure;
    std::size_t prefix = written.size() - item.size();
    if (!CCheckCompiler(catalog).Compile(written, columns, checks, failure)) {
        COraError::Set(error, failure.code, {failure.name},
                       static_cast<int>(at + failure.at - std::min(failure.at, prefix)));
        return false;
    }
    for (const auto& check : checks) {
        bool generated = check.name.empty();
        std::string name = generated ? encoding::Utf8ToCp932(namer()) : check.name;
        named.push_back({check.begin, name, generated, check.condition});
        compiled.push_back({check.begin, check.end - check.begin,
                            "CONSTRAINT \"" + name + "\" CHECK (" + check.compiled + ")"});
    }
    return true;
}

bool CSqliteSchema::WriteItem(std::string_view table, std::string_view item,
                              std::vector<CColumnCompiler::Edit> edits, std::vector<CTableText::Check> checks,
                              std::size_t base, const std::function<std::string()>& namer, std::size_t at,
                              std::string& out, std::vector<CSqliteDictionary::Constraint>& constraints,
                              CEngineError& error) {
    static constexpr std::string_view kHead = "CREATE TABLE X (";
    std::string definition = Prepare(std::string(kHead) + std::string(item) + ")");
    // Note: the edits' offsets are moved from the statement's to the definition's.
    for (auto& edit : edits) edit.begin = edit.begin - base + kHead.size();
    for (auto& check : checks) check.begin = check.begin - base + kHead.size();
    CTableText text;
    text.SetNamer(namer);
    text.SetChecks(std::move(checks));
    CTableText::Failure failure;
    if (!text.Write(definition, std::move(edits), failure)) {
        std::size_t offset = failure.at - std::min(failure.at, kHead.size());
        COraError::Set(error, failure.code, {failure.name}, static_cast<int>(at + offset));
        return false;
    }
    out = text.Text().substr(kHead.size(), text.Text().size() - kHead.size() - 1);
    for (auto c : text.Constraints()) {
        c.table = encoding::Cp932ToUtf8(std::string(table));
        constraints.push_back(std::move(c));
    }
    return true;
}

std::string CSqliteSchema::WithReferencedColumns(const std::string& body) {
    auto tokens = CSqlScanner::Significant(body);
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        if (Word(body, tokens, k) != "REFERENCES") continue;
        std::size_t after = k + 2;
        if (after < tokens.size() && CSqlScanner::IsSymbol(body, tokens[after], '(')) return body;
        std::string parent = encoding::Cp932ToUtf8(Word(body, tokens, k + 1));
        for (const auto& constraint : CSqliteDictionary::All(m_db)) {
            if (constraint.type != 'P' || constraint.table != parent) continue;
            std::string list;
            for (const auto& column : constraint.columns)
                list += (list.empty() ? "" : ", ") + encoding::Utf8ToCp932(column);
            std::size_t at = tokens[k + 1].begin + tokens[k + 1].length;
            return body.substr(0, at) + " (" + list + ")" + body.substr(at);
        }
        return body;
    }
    return body;
}

bool CSqliteSchema::AddIdentity(std::string_view table, std::string_view item, const Tokens& tokens,
                                std::size_t k, std::size_t at, CEngineError& error) {
    CCatalogTables::Identity identity;
    identity.table = encoding::Cp932ToUtf8(std::string(table));
    identity.column = encoding::Cp932ToUtf8(Word(item, tokens, 0));
    if (!ReadIdentity(item, tokens, k, identity)) {
        COraError::Set(error, 1722, {}, static_cast<int>(at + tokens[k].begin));
        return false;
    }
    // The rows there take numbers in their order, as on the server.
    std::vector<CColumnCompiler::Edit> edits;
    if (!CompileColumn(item, 0, at, edits, error)) return false;
    std::string column;
    std::vector<CSqliteDictionary::Constraint> constraints;
    if (!WriteItem(table, item, edits, {}, 0, CConstraintCatalog::Namer(m_db), at, column, constraints,
                   error))
        return false;
    std::string current;
    TableSql(table, current);
    std::size_t close = current.rfind(')');
    // Note: a column goes before the table's constraints, as SQLite requires.
    std::size_t before = ColumnInsertion(current);
    std::string defined = before == std::string::npos
                              ? current.substr(0, close) + ", " + column + current.substr(close)
                              : current.substr(0, before) + column + ", " + current.substr(before);
    std::string sequence = CSqliteCatalog::IdentitySequence(std::string(table), Word(item, tokens, 0));
    return CCatalogTables::SetIdentity(m_db, identity, error) &&
           CTableRebuild::Run(
               m_db, identity.table, encoding::Cp932ToUtf8(defined), error,
               {{identity.column, "ORA_NEXTVAL('" + encoding::Cp932ToUtf8(sequence) + "')"}}) &&
           CConstraintCatalog::Record(m_db, constraints, error) && RecordColumn(table, item, error);
}

bool CSqliteSchema::EditDefinition(std::string_view table, const std::string& sql, CEngineError& error) {
    return CTableRebuild::Run(m_db, encoding::Cp932ToUtf8(std::string(table)), encoding::Cp932ToUtf8(sql),
                              error);
}

bool CSqliteSchema::AddConstraint(std::string_view table, std::string_view item, std::size_t at,
                                  CEngineError& error) {
    auto tokens = CSqlScanner::Significant(item);
    std::size_t k = 0;
    std::string name;
    if (Word(item, tokens, 0) == "CONSTRAINT") {
        name = Word(item, tokens, 1);
        k = 2;
    }
    std::string kind = Word(item, tokens, k);
    bool generated = name.empty();
    if (name.empty() && kind != "CHECK") name = encoding::Utf8ToCp932(CConstraintCatalog::NewName(m_db));
    for (const auto& constraint : CSqliteDictionary::All(m_db))
        if (constraint.name == encoding::Cp932ToUtf8(name)) {
            COraError::Set(error, 2264, {name}, static_cast<int>(at));
            return false;
        }
    std::string utfTable = encoding::Cp932ToUtf8(std::string(table));
    if (kind == "PRIMARY" || kind == "UNIQUE") return AddKey(table, item, tokens, k, name, at, error);
    if (kind == "CHECK") return AddCheck(table, item, name, at, error);
    if (kind != "FOREIGN") {
        COraError::Set(error, 902, {}, static_cast<int>(at + (k < tokens.size() ? tokens[k].begin : 0)));
        return false;
    }
    std::string current;
    TableSql(table, current);
    auto defTokens = CSqlScanner::Significant(current);
    std::size_t open = 0;
    while (open < defTokens.size() && !CSqlScanner::IsSymbol(current, defTokens[open], '(')) ++open;
    std::size_t close = 0;
    Items(current, defTokens, open, &close);
    std::string body;
    std::vector<CSqliteDictionary::Constraint> constraints;
    if (!WriteItem(table, "CONSTRAINT \"" + name + "\" " + std::string(item.substr(tokens[k].begin)), {}, {},
                   0, {}, at, body, constraints, error))
        return false;
    body = WithReferencedColumns(body);
    for (auto& c : constraints) c.generated = generated;
    std::string edited =
        current.substr(0, defTokens[close].begin) + ", " + body + current.substr(defTokens[close].begin);
    if (!CConstraintCatalog::Record(m_db, constraints, error) || !EditDefinition(table, edited, error))
        return false;
    if (kind == "FOREIGN" &&
        Count("SELECT count(*) FROM pragma_foreign_key_check(" + Quote(utfTable) + ")") > 0) {
        COraError::Set(error, 2298, {name}, static_cast<int>(at));
        return false;
    }
    return true;
}

bool CSqliteSchema::AddCheck(std::string_view table, std::string_view item, std::string name, std::size_t at,
                             CEngineError& error) {
    auto checks = CCheckCompiler::Find(item, false);
    CSqliteCatalog catalog(m_db);
    const auto* found = catalog.Columns(table);
    if (checks.empty() || found == nullptr) {
        COraError::Set(error, 906, {}, static_cast<int>(at));
        return false;
    }
    CCheckCompiler::Check& check = checks.front();
    const std::vector<CSqliteCatalog::Column> columns = *found;
    CSqlEmitter::Failure failure;
    if (!CCheckCompiler(catalog).Compile(item, columns, checks, failure)) {
        COraError::Set(error, failure.code, {failure.name}, static_cast<int>(at + failure.at));
        return false;
    }
    // ENABLE VALIDATE unless the state words say otherwise; DISABLE keeps it aside.
    bool disable = false;
    bool validate = true;
    auto tokens = CSqlScanner::Significant(item.substr(check.end));
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        std::string word = Word(item.substr(check.end), tokens, k);
        if (word == "DISABLE") disable = true, validate = false;
        if (word == "NOVALIDATE") validate = false;
        if (word == "VALIDATE") validate = true;
    }
    std::string utfTable = encoding::Cp932ToUtf8(std::string(table));
    std::string utfName = encoding::Cp932ToUtf8(name);
    if (!CCatalogTables::AddCheck(m_db, utfTable, utfName, check.condition, error) ||
        !CConstraintCatalog::SetDeferral(m_db, utfName, check.deferrable, check.deferred, error))
        return false;
    name = encoding::Utf8ToCp932(utfName);
    std::string compiled = encoding::Cp932ToUtf8(check.compiled);
    // Note: the rows are checked first, so that the failure is the server's.
    if (validate && Count("SELECT count(*) FROM \"" + utfTable + "\" WHERE NOT (" + compiled + ")") > 0) {
        COraError::Set(error, 2293, {name}, static_cast<int>(at));
        return false;
    }
    // Note: the catalog tells whether the rows there were checked.
    if (disable)
        return CConstraintCatalog::SetAside(m_db, utfName, error) &&
               CConstraintCatalog::SetValidated(m_db, utfName, validate, error);
    if (!CConstraintCatalog::SetValidated(m_db, utfName, validate, error)) return false;
    std::string current;
    TableSql(table, current);
    std::size_t close = current.rfind(')');
    return EditDefinition(table,
                          current.substr(0, close) + ", CONSTRAINT \"" + name + "\" CHECK (" +
                              check.compiled + ")" + current.substr(close),
                          error);
}

namespace {

// Words after USING INDEX that are its physical attributes, not its name.
constexpr std::string_view kIndexAttributes[] = {
    "TABLESPACE", "PCTFREE",    "INITRANS",   "MAXTRANS",   "STORAGE",   "COMPUTE",  "LOGGING",
    "NOLOGGING",  "LOCAL",      "GLOBAL",     "ENABLE",     "DISABLE",   "VALIDATE", "NOVALIDATE",
    "REVERSE",    "COMPRESS",   "NOCOMPRESS", "VISIBLE",    "INVISIBLE", "SORT",     "NOSORT",
    "PARALLEL",   "NOPARALLEL", "ONLINE",     "DEFERRABLE",
};

bool IsIndexAttribute(const std::string& word) {
    for (std::string_view attribute : kIndexAttributes)
        if (word == attribute) return true;
    return false;
}

}  // namespace

bool CSqliteSchema::IndexOver(const std::string& table, const std::vector<std::string>& columns,
                              const std::string& wanted, std::string& index, bool& unique) {
    Statement list =
        sqliteapi::Prepare(m_db, "SELECT name, \"unique\" FROM pragma_index_list(" + Quote(table) +
                                     ") WHERE origin = 'c' ORDER BY \"unique\" DESC");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) {
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0));
        if (!wanted.empty() && name != wanted) continue;
        std::vector<std::string> indexed;
        Statement info = sqliteapi::Prepare(
            m_db, "SELECT name FROM pragma_index_info(" + Quote(name) + ") ORDER BY seqno");
        while (info && sqlite3_step(info.get()) == SQLITE_ROW)
            indexed.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
        if (indexed != columns) continue;
        index = name;
        unique = sqlite3_column_int(list.get(), 1) != 0;
        return true;
    }
    return false;
}

bool CSqliteSchema::AddKey(std::string_view table, std::string_view item, const Tokens& tokens, std::size_t k,
                           const std::string& name, std::size_t at, CEngineError& error) {
    std::size_t open = k + (Word(item, tokens, k) == "PRIMARY" ? 2 : 1);
    if (open >= tokens.size() || !CSqlScanner::IsSymbol(item, tokens[open], '(')) {
        COraError::Set(error, 906, {}, static_cast<int>(at));
        return false;
    }
    CCatalogTables::Key key;
    key.name = encoding::Cp932ToUtf8(name);
    key.table = encoding::Cp932ToUtf8(std::string(table));
    key.type = Word(item, tokens, k) == "PRIMARY" ? 'P' : 'U';
    std::size_t close = 0;
    std::string nulls;
    for (const auto& [from, to] : Items(item, tokens, open, &close)) {
        key.columns.push_back(encoding::Cp932ToUtf8(Upper(Trim(item.substr(from, to - from)))));
        nulls += (nulls.empty() ? "\"" : " OR \"") + key.columns.back() + "\" IS NULL";
    }
    std::string quotedTable = "\"" + key.table + "\"";
    if (key.type == 'P') {
        if (HasPrimaryKey(key.table)) {
            COraError::Set(error, 2260, {std::string(table)}, static_cast<int>(at));
            return false;
        }
        if (Count("SELECT count(*) FROM " + quotedTable + " WHERE " + nulls) > 0) {
            COraError::Set(error, 2437, {name}, static_cast<int>(at));
            return false;
        }
    }
    // USING INDEX name, or USING INDEX (CREATE INDEX ...): the key takes that index.
    std::string wanted;
    for (std::size_t u = close + 1; u + 1 < tokens.size(); ++u) {
        if (Word(item, tokens, u) != "USING" || Word(item, tokens, u + 1) != "INDEX") continue;
        std::size_t named = u + 2;
        if (named < tokens.size() && CSqlScanner::IsSymbol(item, tokens[named], '(')) {
            std::size_t end = 0;
            auto inner = Items(item, tokens, named, &end);
            std::string create = Prepare(
                Trim(item.substr(tokens[named].begin + 1, tokens[end].begin - tokens[named].begin - 1)));
            if (!Exec(encoding::Cp932ToUtf8(create), error, static_cast<int>(at + tokens[named].begin)))
                return false;
            auto createTokens = CSqlScanner::Significant(create);
            for (std::size_t c = 0; c + 1 < createTokens.size(); ++c)
                if (Word(create, createTokens, c) == "INDEX") wanted = Word(create, createTokens, c + 1);
        } else if (named < tokens.size() && !IsIndexAttribute(Word(item, tokens, named))) {
            wanted = Word(item, tokens, named);
        }
        wanted = encoding::Cp932ToUtf8(wanted);
        break;
    }
    bool unique = false;
    if (IndexOver(key.table, key.columns, wanted, key.index, unique)) {
        key.ownIndex = false;
    } else if (!wanted.empty()) {
        COraError::Set(error, 1418, {encoding::Utf8ToCp932(wanted)}, static_cast<int>(at));
        return false;
    }
    // Note: a non-unique index serves as the server's would, but SQLite needs
    // a unique one to refuse duplicates.
    if (key.ownIndex || !unique) {
        std::string index = key.ownIndex ? key.name : "TARVEX_KEY_" + key.name;
        std::string list;
        for (const auto& column : key.columns) list += (list.empty() ? "\"" : ", \"") + column + "\"";
        if (!Exec("CREATE UNIQUE INDEX \"" + index + "\" ON " + quotedTable + " (" + list + ")", error,
                  static_cast<int>(at))) {
            if (error.message.find("UNIQUE constraint failed") != std::string::npos)
                COraError::Set(error, key.type == 'P' ? 2437 : 2299, {name}, static_cast<int>(at));
            else if (error.message.find("already exists") != std::string::npos)
                COraError::Set(error, 955, {name}, static_cast<int>(at));
            return false;
        }
        if (key.ownIndex) key.index = index;
    }
    // The columns of a primary key hold no NULL from now on.
    if (key.type == 'P')
        for (const auto& column : key.columns) {
            if (Count("SELECT count(*) FROM pragma_table_info(" + Quote(key.table) +
                      ") WHERE name = " + Quote(column) + " AND \"notnull\" = 0") <= 0)
                continue;
            if (!Modify(table, encoding::Utf8ToCp932(column) + " NOT NULL", at, error, false)) return false;
            key.notNullAdded.push_back(column);
        }
    return CCatalogTables::AddKey(m_db, key, error);
}

bool CSqliteSchema::Validate(std::string_view table, const CSqliteDictionary::Constraint& check,
                             std::size_t at, CEngineError& error) {
    // Note: only a CHECK can be enabled with rows unchecked (keys have their unique index).
    if (check.type != 'C') return CConstraintCatalog::SetValidated(m_db, check.name, true, error);
    std::string item = "CHECK (" + encoding::Utf8ToCp932(check.condition) + ")";
    auto checks = CCheckCompiler::Find(item, false);
    CSqliteCatalog catalog(m_db);
    const auto* found = catalog.Columns(table);
    CSqlEmitter::Failure failure;
    if (checks.empty() || found == nullptr) return true;
    const std::vector<CSqliteCatalog::Column> columns = *found;
    if (!CCheckCompiler(catalog).Compile(item, columns, checks, failure)) {
        COraError::Set(error, failure.code, {failure.name}, static_cast<int>(at));
        return false;
    }
    if (Count("SELECT count(*) FROM \"" + check.table + "\" WHERE NOT (" +
              encoding::Cp932ToUtf8(checks.front().compiled) + ")") > 0) {
        COraError::Set(error, 2293, {encoding::Utf8ToCp932(check.name)}, static_cast<int>(at));
        return false;
    }
    return CConstraintCatalog::SetValidated(m_db, check.name, true, error);
}

bool CSqliteSchema::RenameConstraint(std::string_view table, const std::string& name, const std::string& to,
                                     std::size_t at, CEngineError& error) {
    std::string utfName = encoding::Cp932ToUtf8(name);
    std::string utfTo = encoding::Cp932ToUtf8(to);
    CSqliteDictionary::Constraint found;
    if (!CConstraintCatalog::Find(m_db, utfName, found) ||
        found.table != encoding::Cp932ToUtf8(std::string(table))) {
        COraError::Set(error, 23292, {name}, static_cast<int>(at));
        return false;
    }
    CSqliteDictionary::Constraint taken;
    if (CConstraintCatalog::Find(m_db, utfTo, taken)) {
        COraError::Set(error, 2264, {to}, static_cast<int>(at));
        return false;
    }
    found.name = utfTo;
    found.generated = false;
    if (!CConstraintCatalog::Remove(m_db, utfName, error) || !CConstraintCatalog::Write(m_db, found, error))
        return false;
    if (found.enforcedBy != "TABLE") return true;
    // The definition names it where it was named (one the system named unnamed, it names it nowhere).
    std::string current;
    TableSql(table, current);
    auto words = CSqlScanner::Significant(current);
    for (std::size_t k = 0; k + 1 < words.size(); ++k)
        if (Word(current, words, k) == "CONSTRAINT" && Word(current, words, k + 1) == name)
            return EditDefinition(table,
                                  current.substr(0, words[k + 1].begin) + "\"" + to + "\"" +
                                      current.substr(words[k + 1].begin + words[k + 1].length),
                                  error);
    return true;
}

bool CSqliteSchema::Enable(std::string_view table, std::string_view name, std::size_t at, CEngineError& error,
                           bool novalidate) {
    std::string utfName = encoding::Cp932ToUtf8(name);
    for (const auto& key : CCatalogTables::Keys(m_db)) {
        if (key.name != utfName) continue;
        // Note: ENABLE NOVALIDATE of one enabled only tells that the rows are not checked.
        if (key.enabled) return !novalidate || CConstraintCatalog::SetValidated(m_db, utfName, false, error);
        std::string list;
        for (const auto& column : key.columns) list += (list.empty() ? "\"" : ", \"") + column + "\"";
        if (key.ownIndex &&
            !Exec("CREATE UNIQUE INDEX \"" + key.index + "\" ON \"" + key.table + "\" (" + list + ")", error,
                  static_cast<int>(at))) {
            if (error.message.find("UNIQUE constraint failed") != std::string::npos)
                COraError::Set(error, key.type == 'P' ? 2437 : 2299, {std::string(name)},
                               static_cast<int>(at));
            return false;
        }
        return CCatalogTables::SetKeyEnabled(m_db, key.name, true, error);
    }
    // A constraint set aside is made again from what the catalog keeps of it.
    CSqliteDictionary::Constraint kept;
    if (!CConstraintCatalog::Find(m_db, utfName, kept) ||
        kept.table != encoding::Cp932ToUtf8(std::string(table))) {
        COraError::Set(error, 2430, {std::string(name)}, static_cast<int>(at));
        return false;
    }
    if (kept.enforcedBy != "NONE" && novalidate)
        return CConstraintCatalog::SetValidated(m_db, utfName, false, error);
    if (kept.enforcedBy != "NONE") return kept.validated || Validate(table, kept, at, error);
    if (!CConstraintCatalog::Remove(m_db, utfName, error)) return false;
    // A NOT NULL is one of its column again.
    if (kept.type == 'C' && kept.columns.size() == 1 &&
        kept.condition == "\"" + kept.columns[0] + "\" IS NOT NULL")
        return Modify(table,
                      "\"" + encoding::Utf8ToCp932(kept.columns[0]) + "\" CONSTRAINT \"" +
                          encoding::Utf8ToCp932(kept.name) + "\" NOT NULL",
                      at, error);
    // Note: only a CHECK can leave the rows there unchecked; a key needs its unique index.
    return AddConstraint(
        table,
        CConstraintCatalog::Clause(kept) + (novalidate && kept.type == 'C' ? " ENABLE NOVALIDATE" : ""), at,
        error);
}

bool CSqliteSchema::DropConstraint(std::string_view table, std::string_view name, std::size_t at,
                                   CEngineError& error, bool disable) {
    std::string utfTable = encoding::Cp932ToUtf8(std::string(table));
    std::string utfName = encoding::Cp932ToUtf8(name);
    const CSqliteDictionary::Constraint* found = nullptr;
    auto all = CSqliteDictionary::All(m_db);
    for (const auto& constraint : all)
        if (constraint.table == utfTable &&
            (name.empty() ? constraint.type == 'P' : constraint.name == utfName))
            found = &constraint;
    if (found == nullptr) {
        COraError::Set(error, 2443, {std::string(name)}, static_cast<int>(at));
        return false;
    }
    // One set aside by DISABLE is only in the catalog.
    if (found->enforcedBy == "NONE") return disable || CConstraintCatalog::Remove(m_db, found->name, error);
    // A key that foreign keys refer to stays while they do.
    for (const auto& other : all)
        if (other.type == 'R' && (found->type == 'P' || found->type == 'U') &&
            other.referencedTable == utfTable &&
            (other.referencedColumns.empty() ? found->type == 'P'
                                             : other.referencedColumns == found->columns)) {
            COraError::Set(error, disable ? 2297 : 2273, {found->name}, static_cast<int>(at));
            return false;
        }
    for (const auto& key : CCatalogTables::Keys(m_db)) {
        if (key.name != found->name) continue;
        if (key.enabled && key.ownIndex &&
            !Exec("DROP INDEX \"" + key.index + "\"", error, static_cast<int>(at)))
            return false;
        if (disable) return CCatalogTables::SetKeyEnabled(m_db, key.name, false, error);
        if (!key.ownIndex && !Exec("DROP INDEX IF EXISTS \"TARVEX_KEY_" + key.name + "\"", error))
            return false;
        if (!CCatalogTables::DropKey(m_db, key.name, error)) return false;
        // Note: the NOT NULL the key brought goes with it.
        for (const auto& column : key.notNullAdded)
            if (!column.empty() && !Modify(table, encoding::Utf8ToCp932(column) + " NULL", at, error, false))
                return false;
        return true;
    }
    // A constraint in the definition: its words go, and the table is rebuilt.
    std::string current;
    TableSql(table, current);
    auto tokens = CSqlScanner::Significant(current);
    // Note: an unnamed primary key is found by its words.
    bool unnamedKey = found->type == 'P' &&
                      current.find("CONSTRAINT " + encoding::Utf8ToCp932(found->name)) == std::string::npos;
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        bool named = Word(current, tokens, k) == "CONSTRAINT" &&
                     encoding::Cp932ToUtf8(Word(current, tokens, k + 1)) == found->name;
        bool key =
            unnamedKey && Word(current, tokens, k) == "PRIMARY" && Word(current, tokens, k + 1) == "KEY";
        if (!named && !key) continue;
        std::size_t end = named ? k + 2 : k + 1;
        int depth = 0;
        for (; end < tokens.size(); ++end) {
            if (CSqlScanner::IsSymbol(current, tokens[end], '(')) ++depth;
            if (CSqlScanner::IsSymbol(current, tokens[end], ')') && --depth < 0) break;
            if (depth == 0 && (CSqlScanner::IsSymbol(current, tokens[end], ',') ||
                               Word(current, tokens, end) == "CONSTRAINT"))
                break;
        }
        std::size_t from = tokens[k].begin;
        // A constraint item of its own takes the comma before it along.
        if (k > 0 && CSqlScanner::IsSymbol(current, tokens[k - 1], ',')) from = tokens[k - 1].begin;
        std::string edited = current.substr(0, from) + " " + current.substr(tokens[end].begin);
        // Note: one set aside keeps its row, from which ENABLE makes it again.
        if (!(disable ? CConstraintCatalog::SetAside(m_db, found->name, error)
                      : CConstraintCatalog::Remove(m_db, found->name, error)))
            return false;
        return EditDefinition(table, edited, error);
    }
    return DropUnnamed(table, *found, at, error, disable);
}

bool CSqliteSchema::DropUnnamed(std::string_view table, const CSqliteDictionary::Constraint& found,
                                std::size_t at, CEngineError& error, bool disable) {
    // Note: only files of an earlier version hold a constraint their
    // definition does not name; it is found by what it is.
    std::string current;
    TableSql(table, current);
    std::string utf8 = encoding::Cp932ToUtf8(current);
    std::vector<CConstraintDefinition::Place> places;
    auto defined = CConstraintDefinition::Read(utf8, &places);
    for (std::size_t k = 0; k < defined.size(); ++k) {
        const auto& c = defined[k];
        if (!c.generated || c.type != found.type || c.columns != found.columns ||
            (c.type == 'C' && c.condition != found.condition) ||
            (c.type == 'R' && cp932::ToUpperAscii(c.referencedTable) != found.referencedTable))
            continue;
        auto [from, to] = places[k];
        // A constraint item of its own takes the comma before it along.
        std::size_t before = utf8.find_last_not_of(" \t\r\n", from == 0 ? 0 : from - 1);
        if (before != std::string::npos && utf8[before] == ',') from = before;
        std::string edited = utf8.substr(0, from) + " " + utf8.substr(to);
        if (!(disable ? CConstraintCatalog::SetAside(m_db, found.name, error)
                      : CConstraintCatalog::Remove(m_db, found.name, error)))
            return false;
        return EditDefinition(table, encoding::Utf8ToCp932(edited), error);
    }
    COraError::Set(error, 3001, {"DROP CONSTRAINT " + encoding::Utf8ToCp932(found.name)},
                   static_cast<int>(at));
    return false;
}

bool CSqliteSchema::Narrows(std::string_view table, const std::string& column, const std::string& written,
                            std::size_t at, CEngineError& error) {
    CSqliteCatalog catalog(m_db);
    const auto* columns = catalog.Columns(encoding::Cp932ToUtf8(std::string(table)));
    if (columns == nullptr) return false;
    const std::string name = encoding::Cp932ToUtf8(column);
    const CSqliteCatalog::Column* old = nullptr;
    for (const auto& c : *columns)
        if (c.name == name) old = &c;
    if (old == nullptr) return false;
    const CSqliteCatalog::Column now = CSqliteCatalog::Describe(name, written);
    const std::string rows = "SELECT count(*) FROM \"" + encoding::Cp932ToUtf8(std::string(table)) +
                             "\" WHERE \"" + name + "\" IS NOT NULL";
    auto text = [](CSqlType type) { return type == CSqlType::Text || type == CSqlType::Char; };
    // Note: a column keeps its values: another type, a shorter text or a
    // smaller number needs rows that fit, or none at all.
    int code = 0;
    if (old->type != now.type && !(text(old->type) && text(now.type)) && now.type != CSqlType::Unknown) {
        code = Count(rows) > 0 ? 1439 : 0;
    } else if (text(now.type) && now.length > 0 && (old->length == 0 || now.length < old->length)) {
        code = Count(rows + " AND " + (now.charSemantics ? "length" : "LENGTHB") + "(\"" + name + "\") > " +
                     std::to_string(now.length)) > 0
                   ? 1441
                   : 0;
    } else if (now.type == CSqlType::Number && now.precision > 0) {
        const int oldPrecision = old->precision > 0 ? old->precision : 38;
        const int oldScale = old->scale == CSqliteCatalog::Column::kNoScale ? 127 : old->scale;
        const int newScale = now.scale == CSqliteCatalog::Column::kNoScale ? 0 : now.scale;
        if ((now.precision < oldPrecision || newScale < oldScale) && Count(rows) > 0) code = 1440;
    }
    if (code == 0) return false;
    COraError::Set(error, code, {}, static_cast<int>(at));
    return true;
}

bool CSqliteSchema::ForgetNotNull(std::string_view table, const std::string& column, CEngineError& error) {
    std::vector<CSqliteDictionary::Constraint> constraints;
    CConstraintCatalog::Read(m_db, encoding::Cp932ToUtf8(std::string(table)), constraints);
    std::string utfColumn = encoding::Cp932ToUtf8(column);
    for (const auto& c : constraints)
        if (c.type == 'C' && c.enforcedBy == "TABLE" && c.columns == std::vector<std::string>{utfColumn} &&
            c.condition == "\"" + utfColumn + "\" IS NOT NULL" &&
            !CConstraintCatalog::Remove(m_db, c.name, error))
            return false;
    return true;
}

// MODIFY c DEFAULT ON NULL [FOR INSERT ONLY] expr: the column takes the
// default and a NOT NULL of its own (ORA-02296 while it holds NULLs); the
// catalog keeps that NULLs given are stored as the default.
bool CSqliteSchema::ModifyDefaultOnNull(std::string_view table, std::string_view item, const Tokens& tokens,
                                        std::size_t k, std::size_t at, CEngineError& error, bool record) {
    std::size_t last = k + 2;
    if (Word(item, tokens, last + 1) == "FOR") {
        if (Word(item, tokens, last + 2) != "INSERT" || Word(item, tokens, last + 3) != "ONLY") {
            COraError::Set(error, 3001, {"DEFAULT ON NULL FOR INSERT AND UPDATE"},
                           static_cast<int>(at + tokens[last + 1].begin));
            return false;
        }
        last += 3;
    }
    std::string plain(item);
    for (std::size_t b = tokens[k + 1].begin; b < tokens[last].begin + tokens[last].length; ++b)
        plain[b] = ' ';
    plain += " NOT NULL";
    return Modify(table, plain, at, error, record) && RecordColumn(table, item, error);
}

bool CSqliteSchema::Modify(std::string_view table, std::string_view item, std::size_t at, CEngineError& error,
                           bool record) {
    auto tokens = CSqlScanner::Significant(item);
    if (tokens.empty()) return true;
    std::string column = Word(item, tokens, 0);
    if (tokens.size() == 2 && (Word(item, tokens, 1) == "VISIBLE" || Word(item, tokens, 1) == "INVISIBLE"))
        return Visibility(table, column, Word(item, tokens, 1) == "INVISIBLE", at, error);
    for (std::size_t k = 1; k < tokens.size(); ++k)
        if (Word(item, tokens, k) == "GENERATED" ||
            (Word(item, tokens, k) == "AS" && Word(item, tokens, k + 1) == "IDENTITY"))
            return ModifyIdentity(table, column, item, tokens, k, at, error);
    for (std::size_t k = 1; k + 2 < tokens.size(); ++k)
        if (Word(item, tokens, k) == "DEFAULT" && Word(item, tokens, k + 1) == "ON" &&
            Word(item, tokens, k + 2) == "NULL")
            return ModifyDefaultOnNull(table, item, tokens, k, at, error, record);
    std::string current;
    TableSql(table, current);
    auto defTokens = CSqlScanner::Significant(current);
    std::size_t open = 0;
    while (open < defTokens.size() && !CSqlScanner::IsSymbol(current, defTokens[open], '(')) ++open;
    for (const auto& [from, to] : Items(current, defTokens, open)) {
        std::string_view def = Trim(std::string_view(current).substr(from, to - from));
        auto words = CSqlScanner::Significant(def);
        if (words.empty() || Word(def, words, 0) != column) continue;
        // The old definition: name, type (with its brackets), the rest.
        std::size_t typeEnd = 1;
        if (typeEnd < words.size() && !StartsConstraint(Word(def, words, 1)) &&
            Word(def, words, 1) != "NOT" && Word(def, words, 1) != "DEFAULT" &&
            Word(def, words, 1) != "NULL") {
            ++typeEnd;
            if (typeEnd < words.size() && CSqlScanner::IsSymbol(def, words[typeEnd], '(')) {
                while (typeEnd < words.size() && !CSqlScanner::IsSymbol(def, words[typeEnd], ')')) ++typeEnd;
                ++typeEnd;
            }
        }
        std::string type(def.substr(
            words[0].length, (typeEnd < words.size() ? words[typeEnd].begin : def.size()) - words[0].length));
        std::string rest(typeEnd < words.size() ? def.substr(words[typeEnd].begin) : std::string_view());
        // The new one: a type if given, NOT NULL / NULL, the rest as written.
        std::size_t k = 1;
        std::string newType = type;
        if (k < tokens.size() && !StartsConstraint(Word(item, tokens, k)) && Word(item, tokens, k) != "NOT" &&
            Word(item, tokens, k) != "DEFAULT" && Word(item, tokens, k) != "NULL") {
            std::size_t end = k + 1;
            if (end < tokens.size() && CSqlScanner::IsSymbol(item, tokens[end], '(')) {
                while (end < tokens.size() && !CSqlScanner::IsSymbol(item, tokens[end], ')')) ++end;
                ++end;
            }
            std::string written(item.substr(
                tokens[k].begin, (end < tokens.size() ? tokens[end].begin : item.size()) - tokens[k].begin));
            if (Narrows(table, column, CColumnCatalog::Normalized(written), at, error)) return false;
            newType = " " + CColumnCompiler::StoredType(CColumnCatalog::Normalized(written));
            k = end;
        }
        std::size_t extraBegin = k < tokens.size() ? tokens[k].begin : item.size();
        std::string extra(item.substr(extraBegin));
        // A DEFAULT given takes the place of the one there was.
        if (CColumnCatalog::Declared given = CColumnCatalog::ReadItem(item);
            given.hasDefault && given.defaultWord >= extraBegin) {
            std::vector<CColumnCompiler::Edit> edits;
            CSqliteCatalog catalog(m_db);
            CSqlEmitter::Failure failure;
            given.type.clear();
            if (!CColumnCompiler(catalog).Compile(item, given, 0, false, edits, failure)) {
                COraError::Set(error, failure.code, {failure.name}, static_cast<int>(at + failure.at));
                return false;
            }
            extra = CColumnCompiler::Apply(item, edits).substr(extraBegin);
            if (CColumnCatalog::Declared old = CColumnCatalog::ReadItem("C " + rest); old.hasDefault)
                rest.erase(old.defaultWord - 2, old.defaultEnd - old.defaultWord);
        }
        std::string upperExtra = Upper(extra);
        std::string upperRest = Upper(rest);
        // The NOT NULL made here, named (in the definition too) as the catalog records it.
        CSqliteDictionary::Constraint notNull;
        bool forget = false;
        if (upperExtra.find("NOT NULL") == std::string::npos && upperExtra.rfind("NULL", 0) == 0) {
            rest = WithoutNotNull(rest);
            extra = extra.substr(4);
            forget = record;
        } else if (upperExtra.find("NOT NULL") != std::string::npos &&
                   upperRest.find("NOT NULL") != std::string::npos) {
            extra = WithoutNotNull(extra);
        } else if (upperExtra.find("NOT NULL") != std::string::npos && record) {
            notNull = NotNullOf(m_db, extra);
            notNull.table = encoding::Cp932ToUtf8(std::string(table));
            notNull.columns = {encoding::Cp932ToUtf8(column)};
            notNull.condition = "\"" + notNull.columns.front() + "\" IS NOT NULL";
        }
        std::string edited =
            current.substr(0, static_cast<std::size_t>(def.data() - current.data())) +
            std::string(def.substr(0, words[0].length)) + newType + " " + rest + " " + extra +
            current.substr(static_cast<std::size_t>(def.data() - current.data()) + def.size());
        std::string utfTable = encoding::Cp932ToUtf8(std::string(table));
        std::string utfColumn = encoding::Cp932ToUtf8(column);
        if (Upper(extra).find("NOT NULL") != std::string::npos &&
            Count("SELECT count(*) FROM \"" + utfTable + "\" WHERE \"" + utfColumn + "\" IS NULL") > 0) {
            COraError::Set(error, 2296, {std::string(table) + "." + column}, static_cast<int>(at));
            return false;
        }
        if (!notNull.name.empty() && !CConstraintCatalog::Record(m_db, {notNull}, error)) return false;
        if (forget && !ForgetNotNull(table, column, error)) return false;
        return EditDefinition(table, edited, error) && RecordColumn(table, item, error);
    }
    COraError::Set(error, 904, {column}, static_cast<int>(at));
    return false;
}
