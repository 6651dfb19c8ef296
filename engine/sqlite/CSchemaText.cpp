#include "engine/sqlite/CSchemaText.h"

#include <algorithm>

#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CIndexExpression.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"

namespace {

// Trailing options of the server's statements that change nothing here,
// each a sequence of words that may follow the statement's object.
struct Options {
    std::string_view statement;
    std::string_view words[4];
};

constexpr Options kIgnored[] = {
    {"DROP TABLE", {"CASCADE", "CONSTRAINTS"}},
    {"DROP TABLE", {"PURGE"}},
    {"DROP VIEW", {"CASCADE", "CONSTRAINTS"}},
    {"DROP INDEX", {"ONLINE"}},
    {"DROP INDEX", {"FORCE"}},
    {"DROP INDEX", {"DEFERRED", "INVALIDATION"}},
    {"DROP INDEX", {"IMMEDIATE", "INVALIDATION"}},
    {"TRUNCATE", {"PRESERVE", "MATERIALIZED", "VIEW", "LOG"}},
    {"TRUNCATE", {"PURGE", "MATERIALIZED", "VIEW", "LOG"}},
    {"TRUNCATE", {"DROP", "ALL", "STORAGE"}},
    {"TRUNCATE", {"DROP", "STORAGE"}},
    {"TRUNCATE", {"REUSE", "STORAGE"}},
    {"TRUNCATE", {"CASCADE"}},
};

// A statement's leading words that name a construct of the server this
// engine does not have (ORA-03001), as against a word no statement has.
constexpr std::string_view kSecondWords[] = {"MATERIALIZED", "GLOBAL", "PUBLIC", "UNIQUE", "BITMAP", "OR"};

// A name as the server keeps it: a quoted one as written between its
// quotes, any other in upper case.
std::string Kept(const std::string& name) {
    return name.front() == '"' ? name.substr(1, name.size() - 2) : cp932::ToUpperAscii(name);
}

}  // namespace

// The significant tokens of a statement with a place in them.
struct CSchemaText::Reader {
    Reader(std::string_view statement, Failure& failed)
        : text(statement), tokens(CSqlScanner::Significant(statement)), failure(failed) {
        // Note: one ";" may end the statement.
        if (!tokens.empty() && CSqlScanner::IsSymbol(text, tokens.back(), ';')) tokens.pop_back();
    }

    std::string_view text;
    Tokens tokens;
    Failure& failure;
    std::size_t k = 0;

    bool AtEnd() const { return k >= tokens.size(); }
    std::size_t Here() const { return AtEnd() ? text.size() : tokens[k].begin; }
    bool Is(std::string_view word, std::size_t ahead = 0) const {
        return k + ahead < tokens.size() && tokens[k + ahead].kind == CSqlScanner::Kind::Word &&
               CSqlScanner::Is(text, tokens[k + ahead], word);
    }
    bool IsSymbol(char symbol) const { return !AtEnd() && CSqlScanner::IsSymbol(text, tokens[k], symbol); }
    bool Accept(std::string_view word) { return Is(word) && (++k, true); }
    bool AcceptSymbol(char symbol) { return IsSymbol(symbol) && (++k, true); }
    std::string_view Written(std::size_t at) const {
        return text.substr(tokens[at].begin, tokens[at].length);
    }
    // A name as SQLite takes it (sqliteapi::NameOf).
    std::string SqliteName(std::size_t at) const {
        std::string_view written = Written(at);
        if (tokens[at].kind != CSqlScanner::Kind::Word) return std::string(written);
        return sqliteapi::NameOf(written);
    }
    bool Fail(int code = 900, std::string name = {}) {
        failure.at = Here();
        failure.code = code;
        failure.name = std::move(name);
        return false;
    }
    bool FailAt(std::size_t at, int code, std::string name = {}) {
        Fail(code, std::move(name));
        failure.at = at;
        return false;
    }
    bool Expect(std::string_view word) { return Accept(word) || Fail(AtEnd() ? 921 : 905); }
    // A name as written, after an optional "schema.": the schema is the
    // user's own, and the file has one.
    bool Name(std::string& out, std::size_t* at = nullptr) {
        if (AtEnd()) return Fail(921);
        auto kind = tokens[k].kind;
        if (kind != CSqlScanner::Kind::Word && kind != CSqlScanner::Kind::QuotedName) return Fail(903);
        if (k + 2 < tokens.size() && CSqlScanner::IsSymbol(text, tokens[k + 1], '.')) k += 2;
        if (at != nullptr) *at = tokens[k].begin;
        out = SqliteName(k++);
        return true;
    }
    // The options of kIgnored for `statement`, in any order, then the end.
    bool IgnoredThenEnd(std::string_view statement) {
        for (bool found = true; found && !AtEnd();) {
            found = false;
            for (const Options& options : kIgnored)
                if (options.statement == statement && Matches(options)) {
                    found = true;
                    break;
                }
        }
        return AtEnd() || Fail(933);
    }
    bool Matches(const Options& options) {
        std::size_t n = 0;
        for (; n < 4 && !options.words[n].empty(); ++n)
            if (!Is(options.words[n], n)) return false;
        k += n;
        return true;
    }
    // The token after the ")" that closes the "(" at `open`; npos when unclosed.
    std::size_t AfterBracket(std::size_t open) const {
        int depth = 0;
        for (std::size_t at = open; at < tokens.size(); ++at) {
            if (CSqlScanner::IsSymbol(text, tokens[at], '(')) ++depth;
            if (CSqlScanner::IsSymbol(text, tokens[at], ')') && --depth == 0) return at + 1;
        }
        return std::string::npos;
    }
};

CSchemaText::Outcome CSchemaText::Write(std::string_view sql, std::string& out, std::size_t& nameAt,
                                        Failure& failure) {
    Reader in(sql, failure);
    m_nameAt = 0;
    bool ok = false;
    if (in.Accept("TRUNCATE")) {
        ok = Truncate(in, out);
    } else if (in.Is("DROP") && (in.Is("TABLE", 1) || in.Is("VIEW", 1) || in.Is("INDEX", 1))) {
        ok = Drop(in, out);
    } else if (in.Is("CREATE") && (in.Is("INDEX", 1) || in.Is("INDEX", 2))) {
        ok = CreateIndex(in, out);
    } else if (in.Is("ALTER") && in.Is("TABLE", 1)) {
        ok = AlterTable(in, out);
    } else if ((in.Is("DROP") || in.Is("ALTER")) && in.Is("TRIGGER", 1)) {
        ok = MissingTrigger(in);
    } else if (in.Accept("RENAME")) {
        ok = Rename(in, out);
    } else if (in.Accept("SAVEPOINT")) {
        ok = Savepoint(in, out);
    } else if (in.Accept("ROLLBACK")) {
        ok = RollbackTo(in, out);
    } else {
        return Outcome::NotTaken;
    }
    nameAt = m_nameAt;
    return ok ? Outcome::Written : Outcome::Refused;
}

std::string_view CSchemaText::Construct(std::string_view sql, std::size_t& at) {
    Tokens tokens = CSqlScanner::Significant(sql, 4);
    at = tokens.empty() ? 0 : tokens[0].begin;
    if (tokens.size() < 2 || tokens[1].kind != CSqlScanner::Kind::Word) return {};
    std::size_t last = 1;
    for (std::string_view word : kSecondWords)
        if (CSqlScanner::Is(sql, tokens[1], word)) last = CSqlScanner::Is(sql, tokens[1], "OR") ? 3 : 2;
    last = std::min(last, tokens.size() - 1);
    return sql.substr(tokens[0].begin, tokens[last].begin + tokens[last].length - tokens[0].begin);
}

bool CSchemaText::Truncate(Reader& in, std::string& out) {
    std::string name;
    if (!in.Expect("TABLE") || !in.Name(name, &m_nameAt) || !in.IgnoredThenEnd("TRUNCATE")) return false;
    std::string upper = Kept(name);
    if (!Exact(in, upper, m_nameAt, 942)) return false;
    if (m_catalog.IsReadOnly(upper)) return in.FailAt(m_nameAt, 12081, upper);
    out = "DELETE FROM " + name;
    return true;
}

bool CSchemaText::Drop(Reader& in, std::string& out) {
    in.k = 1;
    std::string kind = cp932::ToUpperAscii(in.Written(in.k++));
    bool ifExists = in.Is("IF") && in.Is("EXISTS", 1);
    if (ifExists) in.k += 2;
    std::string name;
    if (!in.Name(name, &m_nameAt) || !in.IgnoredThenEnd("DROP " + kind)) return false;
    // Note: an object named in another case is not this one; IF EXISTS
    // then drops nothing.
    if (ifExists && !m_catalog.OtherCase(Kept(name)).empty()) {
        out = "SELECT 1 WHERE 0";
        return true;
    }
    if (!Exact(in, Kept(name), m_nameAt, kind == "INDEX" ? 1418 : 942)) return false;
    out = "DROP " + kind + (ifExists ? " IF EXISTS " : " ") + name;
    return true;
}

bool CSchemaText::CreateIndex(Reader& in, std::string& out) {
    in.k = 1;
    bool unique = in.Accept("UNIQUE");
    if (!unique) in.Accept("BITMAP");
    std::string name;
    std::string table;
    std::size_t tableAt = 0;
    if (!in.Expect("INDEX") || !in.Name(name, &m_nameAt) || !in.Expect("ON") || !in.Name(table, &tableAt))
        return false;
    if (!in.IsSymbol('(')) return in.Fail(906);
    std::size_t close = in.AfterBracket(in.k);
    if (close == std::string::npos) return in.FailAt(in.text.size(), 907);
    std::string upper = table.front() == '"' ? table.substr(1, table.size() - 2) : cp932::ToUpperAscii(table);
    if (m_catalog.Columns(upper) == nullptr) return in.FailAt(tableAt, 942, upper);
    out = std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + name + " ON " + table + " (";
    const std::size_t last = close - 1;
    for (std::size_t at = in.k + 1;; at = in.k + 1) {
        std::size_t end = at;
        while (end < last && !CSqlScanner::IsSymbol(in.text, in.tokens[end], ','))
            end = CSqlScanner::IsSymbol(in.text, in.tokens[end], '(') ? in.AfterBracket(end) : end + 1;
        if (!IndexKey(in, at, end, upper, out)) return false;
        if (end >= last) break;
        out += ", ";
        in.k = end;
    }
    out += ")";
    in.k = close;
    return in.AtEnd() || in.Fail(933);
}

bool CSchemaText::IndexKey(Reader& in, std::size_t from, std::size_t to, const std::string& table,
                           std::string& out) {
    in.k = from;
    if (from >= to) return in.Fail(936);
    std::string order;
    if (to - from >= 2 && (in.Is("ASC", to - 1 - from) || in.Is("DESC", to - 1 - from)))
        order = " " + cp932::ToUpperAscii(in.Written(--to));
    const auto kind = in.tokens[from].kind;
    if (to - from == 1 && (kind == CSqlScanner::Kind::Word || kind == CSqlScanner::Kind::QuotedName)) {
        out += in.SqliteName(from) + order;
        return true;
    }
    // Note: an expression's key is written as a query writes it, so that a
    // query's condition meets it.
    CCheckCompiler compiler(m_catalog);
    std::string compiled;
    CSqlEmitter::Failure failure;
    const auto& last = in.tokens[to - 1];
    if (!compiler.Condition(in.text, in.tokens[from].begin, last.begin + last.length,
                            *m_catalog.Columns(table), compiled, failure)) {
        in.failure.at = failure.at;
        // Note: what a CHECK may not read, an index may not either.
        in.failure.code = failure.code == 2436 ? 1743 : failure.code;
        in.failure.name = failure.name;
        return false;
    }
    // Note: the key as the user wrote it, in the server's form, rides along
    // in a comment for the dictionary (USER_IND_EXPRESSIONS).
    out += "(" + compiled + ") /*" +
           CIndexExpression::Comment(in.text, in.tokens, from, to, *m_catalog.Columns(table)) + "*/" + order;
    return true;
}

bool CSchemaText::AlterTable(Reader& in, std::string& out) {
    in.k = 2;
    std::string table;
    if (!in.Name(table, &m_nameAt) || !Exact(in, Kept(table), m_nameAt, 942)) return false;
    out = "ALTER TABLE " + table;
    std::string first;
    std::string second;
    if (in.Accept("RENAME")) {
        bool column = in.Accept("COLUMN");
        std::size_t firstAt = 0;
        std::size_t secondAt = 0;
        if (column && !in.Name(first, &firstAt)) return false;
        if (!in.Expect("TO") || !in.Name(second, &secondAt)) return false;
        if (column && !ColumnRename(in, Kept(table), Kept(first), firstAt, Kept(second), secondAt))
            return false;
        if (!column && !Unused(in, Kept(second), secondAt)) return false;
        out += column ? " RENAME COLUMN " + first + " TO " + second : " RENAME TO " + second;
        return in.AtEnd() || in.Fail(933);
    }
    if (in.AtEnd()) return in.Fail(921);
    std::size_t at = in.Here();
    std::string what = "ALTER TABLE ... " + cp932::ToUpperAscii(in.Written(in.k));
    return in.FailAt(at, 3001, what);
}

bool CSchemaText::MissingTrigger(Reader& in) {
    in.k = 2;
    std::string name;
    std::size_t at = 0;
    if (!in.Name(name, &at)) return false;
    if (name.front() == '"')
        name = name.substr(1, name.size() - 2);
    else
        name = cp932::ToUpperAscii(name);
    return in.FailAt(at, 4080, name);
}

bool CSchemaText::Rename(Reader& in, std::string& out) {
    std::string from;
    std::string to;
    std::size_t toAt = 0;
    if (!in.Name(from, &m_nameAt) || !in.Expect("TO") || !in.Name(to, &toAt)) return false;
    if (!Exact(in, Kept(from), m_nameAt, 942) || !Unused(in, Kept(to), toAt)) return false;
    out = "ALTER TABLE " + from + " RENAME TO " + to;
    return in.AtEnd() || in.Fail(933);
}

bool CSchemaText::Savepoint(Reader& in, std::string& out) {
    std::string name;
    if (!in.Name(name)) return false;
    out = "SAVEPOINT " + name;
    return in.AtEnd() || in.Fail(933);
}

bool CSchemaText::RollbackTo(Reader& in, std::string& out) {
    in.Accept("WORK");
    std::string name;
    if (!in.Expect("TO")) return false;
    in.Accept("SAVEPOINT");
    if (!in.Name(name, &m_nameAt)) return false;
    out = "ROLLBACK TO " + name;
    return in.AtEnd() || in.Fail(933);
}

bool CSchemaText::Exact(Reader& in, const std::string& kept, std::size_t at, int code) {
    return m_catalog.OtherCase(kept).empty() || in.FailAt(at, code, kept);
}

bool CSchemaText::Unused(Reader& in, const std::string& kept, std::size_t at) {
    // Note: SQLite's names compare without case, so a name that differs from
    // one in use only in case cannot be taken either.
    return (m_catalog.OtherCase(kept).empty() && m_catalog.Columns(kept) == nullptr) ||
           in.FailAt(at, 955, kept);
}

const CSqliteCatalog::Column* CSchemaText::Column(const std::string& table, const std::string& name,
                                                  bool anyCase) {
    const auto* columns = m_catalog.Columns(table);
    if (columns == nullptr) return nullptr;
    for (const auto& column : *columns)
        if (column.name == name || (anyCase && cp932::ToUpperAscii(column.name) == cp932::ToUpperAscii(name)))
            return &column;
    return nullptr;
}

bool CSchemaText::ColumnRename(Reader& in, const std::string& table, const std::string& from,
                               std::size_t fromAt, const std::string& to, std::size_t toAt) {
    if (m_catalog.Columns(table) == nullptr) return true;
    const auto* column = Column(table, from, false);
    if (column == nullptr) return in.FailAt(fromAt, 904, from);
    const auto* taken = Column(table, to, true);
    return taken == nullptr || taken == column || in.FailAt(toAt, 957, to);
}
