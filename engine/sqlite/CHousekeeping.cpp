#include "engine/sqlite/CHousekeeping.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CTableStatistics.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

bool Is(const std::string& sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
}

int At(const Tokens& tokens, std::size_t k) {
    return k < tokens.size() ? static_cast<int>(tokens[k].begin) : 0;
}

}  // namespace

bool CHousekeeping::Takes(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 2);
    const std::pair<std::string_view, std::string_view> kLeads[] = {
        {"LOCK", "TABLE"},      {"ANALYZE", ""},        {"PURGE", ""},
        {"SET", "TRANSACTION"}, {"SET", "CONSTRAINTS"}, {"SET", "CONSTRAINT"}};
    for (const auto& [first, second] : kLeads)
        if (Is(sql, tokens, 0, first) && (second.empty() || Is(sql, tokens, 1, second))) return true;
    return false;
}

bool CHousekeeping::Run(const std::string& sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql, 2);
    if (Is(sql, tokens, 0, "LOCK")) return Lock(sql, error);
    if (Is(sql, tokens, 0, "ANALYZE")) return Analyze(sql, error);
    if (Is(sql, tokens, 0, "PURGE")) return Purge(sql, error);
    if (Is(sql, tokens, 1, "TRANSACTION")) return true;
    return SetConstraints(sql, error);
}

bool CHousekeeping::TableAt(const std::string& sql, std::size_t k, std::string& table, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    // Note: a schema before the name is the user's own; the file has one.
    if (k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.')) k += 2;
    if (k >= tokens.size() ||
        (tokens[k].kind != CSqlScanner::Kind::Word && tokens[k].kind != CSqlScanner::Kind::QuotedName)) {
        COraError::Set(error, 903, {}, At(tokens, k));
        return false;
    }
    std::string written = sql.substr(tokens[k].begin, tokens[k].length);
    table = encoding::Cp932ToUtf8(written.front() == '"' ? written.substr(1, written.size() - 2)
                                                         : cp932::ToUpperAscii(written));
    sqliteapi::Statement find = sqliteapi::Prepare(
        m_db,
        "SELECT 1 FROM main.sqlite_schema WHERE type IN ('table', 'view') AND name = ?1 UNION ALL "
        "SELECT 1 FROM main.TARVEX_TEMPORARY WHERE TABLE_NAME = ?1");
    if (find) sqlite3_bind_text(find.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    if (find && sqlite3_step(find.get()) == SQLITE_ROW) return true;
    COraError::Set(error, 942, {encoding::Utf8ToCp932(table)}, At(tokens, k));
    return false;
}

// LOCK TABLE t [, t ...] IN mode MODE [NOWAIT | WAIT n]: the tables must
// exist; no other session of the file takes them meanwhile.
bool CHousekeeping::Lock(const std::string& sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t k = 2;
    for (;;) {
        std::string table;
        if (!TableAt(sql, k, table, error)) return false;
        while (k < tokens.size() && !Is(sql, tokens, k, "IN") && !CSqlScanner::IsSymbol(sql, tokens[k], ','))
            ++k;
        if (k >= tokens.size() || Is(sql, tokens, k, "IN")) break;
        ++k;
    }
    if (!Is(sql, tokens, k, "IN")) {
        COraError::Set(error, 905, {}, At(tokens, k));
        return false;
    }
    while (k < tokens.size() && !Is(sql, tokens, k, "MODE")) ++k;
    if (k >= tokens.size()) {
        COraError::Set(error, 905, {}, static_cast<int>(sql.size()));
        return false;
    }
    return true;
}

// ANALYZE TABLE t COMPUTE | ESTIMATE | DELETE STATISTICS, VALIDATE
// STRUCTURE: statistics are gathered over every row.
bool CHousekeeping::Analyze(const std::string& sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    if (!Is(sql, tokens, 1, "TABLE") && !Is(sql, tokens, 1, "INDEX")) {
        COraError::Set(error, 3001, {"ANALYZE"}, At(tokens, 1));
        return false;
    }
    std::string table;
    if (Is(sql, tokens, 1, "INDEX")) return true;
    if (!TableAt(sql, 2, table, error)) return false;
    for (std::size_t k = 3; k < tokens.size(); ++k) {
        if (Is(sql, tokens, k, "DELETE")) return CTableStatistics::Delete(m_db, table, error);
        if (Is(sql, tokens, k, "COMPUTE") || Is(sql, tokens, k, "ESTIMATE"))
            return CTableStatistics::Gather(m_db, table, error);
        if (Is(sql, tokens, k, "VALIDATE")) return true;
    }
    COraError::Set(error, 905, {}, static_cast<int>(sql.size()));
    return false;
}

// PURGE RECYCLEBIN | USER_RECYCLEBIN | DBA_RECYCLEBIN: a dropped table is
// gone at once here, so the bin is always empty; PURGE TABLE t finds none.
bool CHousekeeping::Purge(const std::string& sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    for (std::string_view bin : {"RECYCLEBIN", "USER_RECYCLEBIN", "DBA_RECYCLEBIN"})
        if (Is(sql, tokens, 1, bin) && tokens.size() == 2) return true;
    if (Is(sql, tokens, 1, "TABLE") || Is(sql, tokens, 1, "INDEX")) {
        COraError::Set(error, 38307, {}, At(tokens, 2));
        return false;
    }
    COraError::Set(error, 3001, {"PURGE"}, At(tokens, 1));
    return false;
}

// SET CONSTRAINT[S] ALL | names DEFERRED | IMMEDIATE: foreign keys are
// checked at the commit while deferred.
bool CHousekeeping::SetConstraints(const std::string& sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    bool deferred = !tokens.empty() && Is(sql, tokens, tokens.size() - 1, "DEFERRED");
    if (tokens.empty() || (!deferred && !Is(sql, tokens, tokens.size() - 1, "IMMEDIATE"))) {
        COraError::Set(error, 900, {}, static_cast<int>(sql.size()));
        return false;
    }
    // Note: the setting holds for the transaction it starts or is part of.
    std::string pragma = deferred ? "PRAGMA defer_foreign_keys = ON" : "PRAGMA defer_foreign_keys = OFF";
    if (sqlite3_get_autocommit(m_db) != 0) pragma = "BEGIN IMMEDIATE; " + pragma;
    if (sqlite3_exec(m_db, pragma.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)));
    return false;
}
