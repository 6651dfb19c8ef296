#include "engine/sqlite/CTableOptions.h"

#include <sqlite3.h>

#include <span>

#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"

namespace {

using sqliteapi::Statement;
using Tokens = CTableOptions::Tokens;

// What follows a clause's words.
enum class Argument {
    None,
    Number,          // PCTFREE 10
    OptionalNumber,  // PARALLEL [4]
    Bracket,         // STORAGE (...)
    OptionalBracket,
    Name,  // TABLESPACE users
};

// A clause: its words, what follows them, and the column of the catalog's
// row it sets ("" for none) to `value` (for a number argument: the number).
struct Clause {
    std::string_view words[3];
    Argument argument;
    std::string_view column;
    std::string_view value;
};

// Note: the words after MOVE, SHRINK SPACE and COMPRESS are clauses of
// their own here, read in any order.
constexpr Clause kTableClauses[] = {
    {{"LOGGING"}, Argument::None, "LOGGING", "YES"},
    {{"NOLOGGING"}, Argument::None, "LOGGING", "NO"},
    {{"PARALLEL"}, Argument::OptionalNumber, "DEGREE", "DEFAULT"},
    {{"NOPARALLEL"}, Argument::None, "DEGREE", "1"},
    {{"CACHE"}, Argument::None, "CACHE", "Y"},
    {{"NOCACHE"}, Argument::None, "CACHE", "N"},
    {{"ROW", "STORE", "COMPRESS"}, Argument::None, "COMPRESSION", "ENABLED"},
    {{"COMPRESS"}, Argument::OptionalNumber, "COMPRESSION", "ENABLED"},
    {{"NOCOMPRESS"}, Argument::None, "COMPRESSION", "DISABLED"},
    {{"BASIC"}, Argument::None, "", ""},
    {{"ADVANCED"}, Argument::None, "", ""},
    {{"FOR", "OLTP"}, Argument::None, "", ""},
    {{"FOR", "ALL", "OPERATIONS"}, Argument::None, "", ""},
    {{"FOR", "DIRECT_LOAD", "OPERATIONS"}, Argument::None, "", ""},
    {{"PCTFREE"}, Argument::Number, "PCT_FREE", ""},
    {{"PCTUSED"}, Argument::Number, "", ""},
    {{"INITRANS"}, Argument::Number, "", ""},
    {{"MAXTRANS"}, Argument::Number, "", ""},
    {{"STORAGE"}, Argument::Bracket, "", ""},
    {{"TABLESPACE"}, Argument::Name, "", ""},
    {{"MOVE"}, Argument::None, "", ""},
    {{"ONLINE"}, Argument::None, "", ""},
    {{"UPDATE", "INDEXES"}, Argument::None, "", ""},
    {{"SHRINK", "SPACE"}, Argument::None, "", ""},
    {{"COMPACT"}, Argument::None, "", ""},
    {{"CASCADE"}, Argument::None, "", ""},
    {{"ALLOCATE", "EXTENT"}, Argument::OptionalBracket, "", ""},
    {{"DEALLOCATE", "UNUSED"}, Argument::None, "", ""},
    {{"KEEP"}, Argument::Number, "", ""},
    {{"MONITORING"}, Argument::None, "", ""},
    {{"NOMONITORING"}, Argument::None, "", ""},
    {{"RESULT_CACHE"}, Argument::Bracket, "", ""},
    {{"READ", "ONLY"}, Argument::None, "READ_ONLY", "YES"},
    {{"READ", "WRITE"}, Argument::None, "READ_ONLY", "NO"},
};

constexpr Clause kIndexClauses[] = {
    {{"REBUILD"}, Argument::None, "STATUS", "VALID"},
    {{"UNUSABLE"}, Argument::None, "STATUS", "UNUSABLE"},
    {{"VISIBLE"}, Argument::None, "VISIBILITY", "VISIBLE"},
    {{"INVISIBLE"}, Argument::None, "VISIBILITY", "INVISIBLE"},
    {{"LOGGING"}, Argument::None, "LOGGING", "YES"},
    {{"NOLOGGING"}, Argument::None, "LOGGING", "NO"},
    {{"PARALLEL"}, Argument::OptionalNumber, "DEGREE", "DEFAULT"},
    {{"NOPARALLEL"}, Argument::None, "DEGREE", "1"},
    {{"MONITORING", "USAGE"}, Argument::None, "MONITORING", "YES"},
    {{"NOMONITORING", "USAGE"}, Argument::None, "MONITORING", "NO"},
    {{"COALESCE"}, Argument::None, "", ""},
    {{"CLEANUP"}, Argument::None, "", ""},
    {{"COMPUTE", "STATISTICS"}, Argument::None, "", ""},
    {{"ONLINE"}, Argument::None, "", ""},
    {{"REVERSE"}, Argument::None, "", ""},
    {{"NOREVERSE"}, Argument::None, "", ""},
    {{"COMPRESS"}, Argument::OptionalNumber, "", ""},
    {{"NOCOMPRESS"}, Argument::None, "", ""},
    {{"ADVANCED"}, Argument::None, "", ""},
    {{"LOW"}, Argument::None, "", ""},
    {{"HIGH"}, Argument::None, "", ""},
    {{"PCTFREE"}, Argument::Number, "", ""},
    {{"INITRANS"}, Argument::Number, "", ""},
    {{"MAXTRANS"}, Argument::Number, "", ""},
    {{"STORAGE"}, Argument::Bracket, "", ""},
    {{"TABLESPACE"}, Argument::Name, "", ""},
    {{"SHRINK", "SPACE"}, Argument::None, "", ""},
    {{"COMPACT"}, Argument::None, "", ""},
    {{"CASCADE"}, Argument::None, "", ""},
    {{"DEALLOCATE", "UNUSED"}, Argument::None, "", ""},
    {{"KEEP"}, Argument::Number, "", ""},
    {{"ALLOCATE", "EXTENT"}, Argument::OptionalBracket, "", ""},
};

bool IsWord(std::string_view sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && tokens[k].kind == CSqlScanner::Kind::Word &&
           CSqlScanner::Is(sql, tokens[k], word);
}

bool IsSymbol(std::string_view sql, const Tokens& tokens, std::size_t k, char symbol) {
    return k < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], symbol);
}

// The token after the bracket that opens at `open`; npos when it is not closed.
std::size_t AfterBracket(std::string_view sql, const Tokens& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t k = open; k < tokens.size(); ++k) {
        if (IsSymbol(sql, tokens, k, '(')) ++depth;
        if (IsSymbol(sql, tokens, k, ')') && --depth == 0) return k + 1;
    }
    return std::string::npos;
}

// The argument of `clause` at token `k`: moves `k` past it; false when it is missing.
bool ReadArgument(std::string_view sql, const Tokens& tokens, const Clause& clause, std::size_t& k,
                  std::string& value) {
    value = std::string(clause.value);
    bool number = k < tokens.size() && tokens[k].kind == CSqlScanner::Kind::Number;
    switch (clause.argument) {
        case Argument::None:
            return true;
        case Argument::Number:
        case Argument::OptionalNumber:
            if (number) value = std::string(sql.substr(tokens[k].begin, tokens[k].length)), ++k;
            // Note: PARALLEL (DEGREE n) says the same as PARALLEL n.
            if (!number && clause.argument == Argument::OptionalNumber && IsSymbol(sql, tokens, k, '(')) {
                std::size_t after = AfterBracket(sql, tokens, k);
                if (after == std::string::npos) return false;
                if (IsWord(sql, tokens, k + 1, "DEGREE") && tokens[k + 2].kind == CSqlScanner::Kind::Number)
                    value = std::string(sql.substr(tokens[k + 2].begin, tokens[k + 2].length));
                k = after;
                return true;
            }
            return number || clause.argument == Argument::OptionalNumber;
        case Argument::Bracket:
        case Argument::OptionalBracket: {
            if (!IsSymbol(sql, tokens, k, '(')) return clause.argument == Argument::OptionalBracket;
            std::size_t after = AfterBracket(sql, tokens, k);
            if (after == std::string::npos) return false;
            k = after;
            return true;
        }
        case Argument::Name:
            if (k >= tokens.size() || tokens[k].kind == CSqlScanner::Kind::Symbol) return false;
            ++k;
            return true;
    }
    return false;
}

// The clause whose words start at token `k`; nullptr when none.
const Clause* ClauseAt(std::string_view sql, const Tokens& tokens, std::size_t k,
                       std::span<const Clause> clauses) {
    for (const Clause& clause : clauses) {
        std::size_t n = 0;
        while (n < std::size(clause.words) && !clause.words[n].empty() &&
               IsWord(sql, tokens, k + n, clause.words[n]))
            ++n;
        if (n == std::size(clause.words) || (n > 0 && clause.words[n].empty())) return &clause;
    }
    return nullptr;
}

bool ReadClauses(std::string_view sql, const Tokens& tokens, std::size_t k, std::span<const Clause> clauses,
                 std::vector<CTableOptions::Setting>& settings, std::size_t& failAt) {
    std::size_t end = tokens.size();
    // Note: one ";" may end the statement.
    if (end > 0 && IsSymbol(sql, tokens, end - 1, ';')) --end;
    Tokens body(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(end));
    if (k >= body.size()) {
        failAt = k;
        return false;
    }
    while (k < body.size()) {
        const Clause* clause = ClauseAt(sql, body, k, clauses);
        failAt = k;
        if (clause == nullptr) return false;
        std::size_t n = 0;
        while (n < std::size(clause->words) && !clause->words[n].empty()) ++n;
        k += n;
        std::string value;
        if (!ReadArgument(sql, body, *clause, k, value)) {
            failAt = k;
            return false;
        }
        if (!clause->column.empty()) settings.push_back({clause->column, value});
    }
    return true;
}

bool Failed(sqlite3* db, CEngineError& error) {
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

// Writes `settings` to the row of `name` in `table` (keyed by `key`),
// made with the defaults when there is none.
bool Set(sqlite3* db, const char* table, const char* key, const std::string& name,
         const std::vector<CTableOptions::Setting>& settings, CEngineError& error) {
    Statement add = sqliteapi::Prepare(
        db, std::string("INSERT OR IGNORE INTO main.") + table + " (" + key + ") VALUES (?1)");
    if (!add) return Failed(db, error);
    sqlite3_bind_text(add.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(add.get()) != SQLITE_DONE) return Failed(db, error);
    for (const auto& setting : settings) {
        // Note: the column names come from the clause tables above, never from the statement.
        Statement set =
            sqliteapi::Prepare(db, std::string("UPDATE main.") + table + " SET " +
                                       std::string(setting.column) + " = ?2 WHERE " + key + " = ?1");
        if (!set) return Failed(db, error);
        sqlite3_bind_text(set.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(set.get(), 2, setting.value.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(set.get()) != SQLITE_DONE) return Failed(db, error);
    }
    return true;
}

}  // namespace

bool CTableOptions::ReadTableClauses(std::string_view sql, const Tokens& tokens, std::size_t k,
                                     std::vector<Setting>& settings, std::size_t& failAt) {
    return ReadClauses(sql, tokens, k, kTableClauses, settings, failAt);
}

bool CTableOptions::ReadIndexClauses(std::string_view sql, const Tokens& tokens, std::size_t k,
                                     std::vector<Setting>& settings, std::size_t& failAt) {
    return ReadClauses(sql, tokens, k, kIndexClauses, settings, failAt);
}

bool CTableOptions::SetTable(sqlite3* db, const std::string& table, const std::vector<Setting>& settings,
                             CEngineError& error) {
    return Set(db, "TARVEX_TABLE_OPTIONS", "TABLE_NAME", table, settings, error);
}

bool CTableOptions::SetIndex(sqlite3* db, const std::string& index, const std::vector<Setting>& settings,
                             CEngineError& error) {
    return Set(db, "TARVEX_INDEX_OPTIONS", "INDEX_NAME", index, settings, error);
}

bool CTableOptions::IsReadOnly(sqlite3* db, const std::string& table) {
    Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM main.TARVEX_TABLE_OPTIONS WHERE TABLE_NAME = ?1 AND READ_ONLY = 'YES'");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW;
}

std::string CTableOptions::UnusableUniqueIndex(sqlite3* db, const std::string& table) {
    Statement look = sqliteapi::Prepare(
        db,
        "SELECT o.INDEX_NAME FROM main.TARVEX_INDEX_OPTIONS o JOIN main.sqlite_schema m ON m.type = 'index' "
        "AND m.name = o.INDEX_NAME WHERE o.STATUS = 'UNUSABLE' AND m.tbl_name = ?1 AND "
        "upper(m.sql) LIKE 'CREATE UNIQUE%' ORDER BY 1");
    if (!look) return {};
    sqlite3_bind_text(look.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return {};
    return reinterpret_cast<const char*>(sqlite3_column_text(look.get(), 0));
}

bool CTableOptions::RenameIndex(sqlite3* db, const std::string& from, const std::string& to,
                                CEngineError& error) {
    Statement set =
        sqliteapi::Prepare(db, "UPDATE main.TARVEX_INDEX_OPTIONS SET INDEX_NAME = ?2 WHERE INDEX_NAME = ?1");
    if (!set) return Failed(db, error);
    sqlite3_bind_text(set.get(), 1, from.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(set.get(), 2, to.c_str(), -1, SQLITE_TRANSIENT);
    return sqlite3_step(set.get()) == SQLITE_DONE || Failed(db, error);
}

bool CTableOptions::Prune(sqlite3* db, CEngineError& error) {
    constexpr const char* kPrune =
        "DELETE FROM main.TARVEX_TABLE_OPTIONS WHERE TABLE_NAME NOT IN (SELECT name FROM "
        "main.sqlite_schema WHERE type = 'table'); DELETE FROM main.TARVEX_INDEX_OPTIONS WHERE INDEX_NAME "
        "NOT "
        "IN (SELECT name FROM main.sqlite_schema WHERE type = 'index') AND INDEX_NAME NOT IN (SELECT "
        "CONSTRAINT_NAME FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_TYPE IN ('P', 'U'))";
    return sqlite3_exec(db, kPrune, nullptr, nullptr, nullptr) == SQLITE_OK || Failed(db, error);
}
