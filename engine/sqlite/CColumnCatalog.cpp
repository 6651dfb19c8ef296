#include "engine/sqlite/CColumnCatalog.h"

#include <sqlite3.h>

#include <algorithm>
#include <span>

#include "engine/sqlite/CAsSelectList.h"
#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Token = CSqlScanner::Token;
using Tokens = std::vector<Token>;
using sqliteapi::Statement;

// Words that end a column's type in its definition.
constexpr std::string_view kAfterType[] = {
    "CONSTRAINT", "PRIMARY", "UNIQUE",  "CHECK",   "REFERENCES", "NOT",       "NULL", "DEFAULT", "AS",
    "GENERATED",  "ENABLE",  "DISABLE", "COLLATE", "VISIBLE",    "INVISIBLE", "SORT", "ENCRYPT", "USING"};
// Words that end a DEFAULT expression (never its first token).
constexpr std::string_view kAfterDefault[] = {"CONSTRAINT", "PRIMARY", "UNIQUE",  "CHECK",
                                              "REFERENCES", "NOT",     "NULL",    "ENABLE",
                                              "DISABLE",    "COLLATE", "VISIBLE", "INVISIBLE"};

bool IsOneOf(std::string_view text, const Token& token, std::span<const std::string_view> words) {
    if (token.kind != CSqlScanner::Kind::Word) return false;
    for (std::string_view word : words)
        if (CSqlScanner::Is(text, token, word)) return true;
    return false;
}

bool StartsConstraint(std::string_view text, const Token& token) {
    for (std::string_view word : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"})
        if (CSqlScanner::Is(text, token, word)) return true;
    return false;
}

// The token after the bracket that opens at `open` (its match + 1).
std::size_t AfterBracket(std::string_view text, const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(text, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(text, tokens[k], ')') && --depth == 0) return k + 1;
    }
    return tokens.size();
}

// The token at depth 0 from `k` on that is in `stops` or a ","; `limit` when none.
std::size_t NextStop(std::string_view text, const Tokens& tokens, std::size_t k, std::size_t limit,
                     std::span<const std::string_view> stops) {
    while (k < limit && !CSqlScanner::IsSymbol(text, tokens[k], ',') && !IsOneOf(text, tokens[k], stops))
        k = CSqlScanner::IsSymbol(text, tokens[k], '(') ? AfterBracket(text, tokens, k) : k + 1;
    return k < limit ? k : limit;
}

std::string NameOf(std::string_view text, const Token& token) {
    std::string_view written = text.substr(token.begin, token.length);
    if (token.kind == CSqlScanner::Kind::QuotedName)
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

// At GENERATED or AS (token `k`): a virtual column's clause, read into
// `column` and `k` left at its last token; false for an identity clause.
bool ReadVirtual(std::string_view text, const Tokens& tokens, std::size_t& k, std::size_t limit,
                 CColumnCatalog::Declared& column) {
    std::size_t as = k;
    if (CSqlScanner::Is(text, tokens[k], "GENERATED")) {
        if (k + 2 >= limit || !CSqlScanner::Is(text, tokens[k + 1], "ALWAYS") ||
            !CSqlScanner::Is(text, tokens[k + 2], "AS"))
            return false;
        as = k + 2;
    }
    if (as + 1 >= limit || !CSqlScanner::IsSymbol(text, tokens[as + 1], '(')) return false;
    std::size_t after = AfterBracket(text, tokens, as + 1);
    if (after > limit || after < as + 4) return false;
    column.virtualColumn = true;
    column.hasDefault = true;
    column.clauseBegin = tokens[k].begin;
    column.defaultBegin = tokens[as + 2].begin;
    column.defaultEnd = tokens[after - 2].begin + tokens[after - 2].length;
    column.defaultText =
        CTypedText::Typed(text.substr(column.defaultBegin, column.defaultEnd - column.defaultBegin));
    if (after < limit && CSqlScanner::Is(text, tokens[after], "VIRTUAL")) ++after;
    column.clauseEnd = tokens[after - 1].begin + tokens[after - 1].length;
    k = after - 1;
    return true;
}

// The column defined by tokens [k, limit) of `text`.
CColumnCatalog::Declared ReadColumn(std::string_view text, const Tokens& tokens, std::size_t k,
                                    std::size_t limit) {
    CColumnCatalog::Declared column;
    column.name = NameOf(text, tokens[k]);
    std::size_t type = ++k;
    while (k < limit && !CSqlScanner::IsSymbol(text, tokens[k], ',') && !IsOneOf(text, tokens[k], kAfterType))
        k = CSqlScanner::IsSymbol(text, tokens[k], '(') ? AfterBracket(text, tokens, k) : k + 1;
    k = std::min(k, limit);
    if (k > type) {
        std::size_t end = tokens[k - 1].begin + tokens[k - 1].length;
        column.type = CColumnCatalog::Normalized(text.substr(tokens[type].begin, end - tokens[type].begin));
        column.typeBegin = tokens[type].begin;
        column.typeEnd = end;
    }
    for (; k < limit; ++k) {
        if (CSqlScanner::Is(text, tokens[k], "INVISIBLE")) column.invisible = true;
        // Note: an identity clause ends what is read.
        if (CSqlScanner::Is(text, tokens[k], "GENERATED") || CSqlScanner::Is(text, tokens[k], "AS")) {
            if (!ReadVirtual(text, tokens, k, limit, column)) break;
            continue;
        }
        if (!CSqlScanner::Is(text, tokens[k], "DEFAULT")) {
            if (CSqlScanner::IsSymbol(text, tokens[k], '(')) k = AfterBracket(text, tokens, k) - 1;
            continue;
        }
        std::size_t from = k + 1;
        // DEFAULT ON NULL [FOR INSERT ONLY] expr: the expression is the default.
        if (from + 1 < limit && CSqlScanner::Is(text, tokens[from], "ON") &&
            CSqlScanner::Is(text, tokens[from + 1], "NULL")) {
            from += 2;
            column.defaultOnNull = true;
            bool forWhat = from < limit && CSqlScanner::Is(text, tokens[from], "FOR");
            if (forWhat && from + 2 < limit && CSqlScanner::Is(text, tokens[from + 1], "INSERT") &&
                CSqlScanner::Is(text, tokens[from + 2], "ONLY"))
                from += 3;
            // Note: FOR INSERT AND UPDATE is refused with the definition (CTableText).
            else if (forWhat)
                break;
        }
        if (from >= limit) break;
        std::size_t end = NextStop(text, tokens, from + 1, limit, kAfterDefault);
        std::size_t to = end < tokens.size() ? tokens[end].begin : text.size();
        // Note: the text runs to the next word, as the server keeps it.
        column.hasDefault = true;
        column.defaultWord = tokens[k].begin;
        column.defaultBegin = tokens[from].begin;
        column.defaultEnd = tokens[end - 1].begin + tokens[end - 1].length;
        column.defaultText = CTypedText::Typed(text.substr(tokens[from].begin, to - tokens[from].begin));
        while (!column.defaultText.empty() && column.defaultText.back() == ';') column.defaultText.pop_back();
        k = end - 1;
    }
    return column;
}

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : std::string();
}

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

// What a column of the table is now.
struct Row {
    std::string name;  // as the table names it, UTF-8
    std::string type;
    bool nullable = true;
    bool hasDefault = false;
    std::string defaultText;  // UTF-8
};

void BindOptional(sqlite3_stmt* statement, int index, bool present, long long value) {
    if (present)
        sqlite3_bind_int64(statement, index, value);
    else
        sqlite3_bind_null(statement, index);
}

bool Insert(sqlite3* db, sqlite3_stmt* add, const std::string& table, const Row& row, int position,
            CEngineError& error) {
    CSqliteCatalog::Column parts = CSqliteCatalog::Describe("", row.type);
    std::string typeName = row.type.substr(0, row.type.find('('));
    bool text = parts.type == CSqlType::Text || parts.type == CSqlType::Char;
    sqlite3_bind_text(add, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add, 2, row.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(add, 3, position);
    sqlite3_bind_text(add, 4, row.type.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(add, 5, typeName.c_str(), -1, SQLITE_TRANSIENT);
    BindOptional(add, 6, text && parts.length > 0, parts.length);
    if (text && parts.length > 0)
        sqlite3_bind_text(add, 7, parts.charSemantics ? "C" : "B", 1, SQLITE_STATIC);
    else
        sqlite3_bind_null(add, 7);
    BindOptional(add, 8, parts.type == CSqlType::Number && parts.precision > 0, parts.precision);
    BindOptional(add, 9, parts.type == CSqlType::Number && parts.scale != CSqliteCatalog::Column::kNoScale,
                 parts.scale);
    BindOptional(add, 10, parts.fraction >= 0, parts.fraction);
    sqlite3_bind_text(add, 11, row.nullable ? "Y" : "N", 1, SQLITE_STATIC);
    if (row.hasDefault)
        sqlite3_bind_text(add, 12, row.defaultText.c_str(), -1, SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(add, 12);
    bool ok = sqlite3_step(add) == SQLITE_DONE;
    sqlite3_reset(add);
    return ok || Failed(db, error);
}

}  // namespace

std::string CColumnCatalog::Normalized(std::string_view type) {
    auto tokens = CSqlScanner::Significant(type);
    std::string out;
    bool previousWord = false;
    for (const Token& token : tokens) {
        std::string_view written = type.substr(token.begin, token.length);
        bool symbol = token.kind == CSqlScanner::Kind::Symbol;
        bool word = !symbol;
        // Note: a space between words, and after ")" before a word.
        if (word && (previousWord || (!out.empty() && out.back() == ')'))) out += ' ';
        out += token.kind == CSqlScanner::Kind::Word ? cp932::ToUpperAscii(written) : std::string(written);
        previousWord = word;
    }
    return out;
}

std::string CColumnCatalog::FromStored(std::string_view stored) {
    std::string type = Normalized(stored);
    std::size_t open = type.find('(');
    std::string base = type.substr(0, open);
    constexpr std::string_view kChar = "_CHAR";
    if (base.size() > kChar.size() && base.compare(base.size() - kChar.size(), kChar.size(), kChar) == 0 &&
        open != std::string::npos) {
        std::size_t close = type.find(')', open);
        return base.substr(0, base.size() - kChar.size()) + type.substr(open, close - open) + " CHAR" +
               type.substr(close);
    }
    if (base == CColumnCompiler::kRawText) return "RAW" + type.substr(base.size());
    for (std::string_view number : {"NUMBER(0,", "NUMERIC(0,", "DECIMAL(0,"})
        if (type.rfind(number, 0) == 0)
            return type.substr(0, number.size() - 2) + "*" + type.substr(number.size() - 1);
    // Note: a type SQLite keeps joined ("TIMESTAMP_WITH_TIME_ZONE(3)") is the
    // server's words again.
    return CAsSelectList::WrittenType(type);
}

CColumnCatalog::Declared CColumnCatalog::ReadItem(std::string_view item) {
    auto tokens = CSqlScanner::Significant(item);
    if (tokens.empty()) return {};
    return ReadColumn(item, tokens, 0, tokens.size());
}

std::vector<CColumnCatalog::Declared> CColumnCatalog::ReadTable(std::string_view sql) {
    std::vector<Declared> columns;
    auto tokens = CSqlScanner::Significant(sql);
    // The column list follows the table's name (a schema may go before it).
    std::size_t k = 0;
    while (k < tokens.size() && !CSqlScanner::Is(sql, tokens[k], "TABLE")) ++k;
    k += 2;
    if (k + 1 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], '.')) k += 2;
    if (k >= tokens.size() || !CSqlScanner::IsSymbol(sql, tokens[k], '(')) return columns;
    std::size_t close = AfterBracket(sql, tokens, k) - 1;
    ++k;
    while (k < close) {
        std::size_t end = NextStop(sql, tokens, k, close, {});
        // A list of names alone (CREATE TABLE t (a, b) AS SELECT) declares no types.
        if (!StartsConstraint(sql, tokens[k]) && end > k + 1)
            columns.push_back(ReadColumn(sql, tokens, k, end));
        k = end + 1;
    }
    return columns;
}

namespace {

// A column is NOT NULL when an enabled constraint says so: a NOT NULL of its
// own, a primary key over it, or the NOT NULL a key added later brought
// (which stays while the key is disabled).
constexpr const char* kNotNull =
    "SELECT 1 FROM main.TARVEX_CONSTRAINTS k WHERE k.TABLE_NAME = ?2 AND ((k.STATUS = 'ENABLED' AND "
    "((k.CONSTRAINT_TYPE = 'C' AND k.COLUMNS = p.name AND k.SEARCH_CONDITION = '\"' || k.COLUMNS || "
    "'\" IS NOT NULL') OR (k.CONSTRAINT_TYPE = 'P' AND instr(',' || k.COLUMNS || ',', ',' || p.name || "
    "',') > 0))) OR instr(',' || k.NOT_NULL_ADDED || ',', ',' || p.name || ',') > 0)";

}  // namespace

bool CColumnCatalog::Record(sqlite3* db, const std::string& table, const std::vector<Declared>& declared,
                            CEngineError& error) {
    std::string storedTable = CNameList::StoredName(db, table);
    Statement info = sqliteapi::Prepare(
        db, "SELECT p.name, p.type, EXISTS (" + std::string(kNotNull) +
                "), p.dflt_value, c.DATA_TYPE, c.DATA_DEFAULT, "
                "c.COLUMN_NAME IS NOT NULL FROM pragma_table_xinfo(?1) p LEFT JOIN main.TARVEX_COLUMNS c ON "
                "c.TABLE_NAME = ?2 AND c.COLUMN_NAME = p.name WHERE p.hidden <> 1 ORDER BY p.cid");
    if (!info) return Failed(db, error);
    sqlite3_bind_text(info.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(info.get(), 2, storedTable.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<Row> rows;
    while (sqlite3_step(info.get()) == SQLITE_ROW) {
        Row row;
        row.name = Text(info.get(), 0);
        row.nullable = sqlite3_column_int(info.get(), 2) == 0;
        bool known = sqlite3_column_int(info.get(), 6) != 0;
        row.type = known ? Text(info.get(), 4) : FromStored(Text(info.get(), 1));
        row.hasDefault = sqlite3_column_type(info.get(), known ? 5 : 3) != SQLITE_NULL;
        row.defaultText = Text(info.get(), known ? 5 : 3);
        std::string name = encoding::Utf8ToCp932(row.name);
        for (const Declared& column : declared) {
            if (column.name != name) continue;
            if (!column.type.empty()) row.type = encoding::Cp932ToUtf8(column.type);
            if (column.hasDefault)
                row.hasDefault = true, row.defaultText = encoding::Cp932ToUtf8(column.defaultText);
        }
        rows.push_back(std::move(row));
    }
    info.reset();
    if (rows.empty()) return true;
    Statement clear = sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_COLUMNS WHERE TABLE_NAME = ?1");
    Statement add = sqliteapi::Prepare(
        db, "INSERT INTO main.TARVEX_COLUMNS VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    if (!clear || !add) return Failed(db, error);
    sqlite3_bind_text(clear.get(), 1, storedTable.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(clear.get()) != SQLITE_DONE) return Failed(db, error);
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (!Insert(db, add.get(), storedTable, rows[k], static_cast<int>(k + 1), error)) return false;
    return true;
}

bool CColumnCatalog::Convert(sqlite3* db, CEngineError& error) {
    for (const std::string& table : CNameList::UserTables(db))
        if (!Record(db, table, {}, error)) return false;
    return true;
}
