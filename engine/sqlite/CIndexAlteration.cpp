#include "engine/sqlite/CIndexAlteration.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CTableOptions.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::Statement;

// A name as the server keeps it: upper case unless quoted (CP932).
std::string NameOf(std::string_view sql, const CSqlScanner::Token& token) {
    std::string_view written = sql.substr(token.begin, token.length);
    if (token.kind == CSqlScanner::Kind::QuotedName)
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

bool IsName(const std::vector<CSqlScanner::Token>& tokens, std::size_t k) {
    return k < tokens.size() &&
           (tokens[k].kind == CSqlScanner::Kind::Word || tokens[k].kind == CSqlScanner::Kind::QuotedName);
}

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

bool CIndexAlteration::Run(std::string_view sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    if (!tokens.empty() && CSqlScanner::IsSymbol(sql, tokens.back(), ';')) tokens.pop_back();
    std::size_t k = 2;
    // Note: the schema before the name is the user's own.
    if (IsName(tokens, k) && k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.')) k += 2;
    if (!IsName(tokens, k)) {
        COraError::Set(error, k < tokens.size() ? 953 : 921, {},
                       static_cast<int>(k < tokens.size() ? tokens[k].begin : sql.size()));
        return false;
    }
    std::string upper = NameOf(sql, tokens[k]);
    int nameAt = static_cast<int>(tokens[k].begin);
    std::string stored;
    bool keyIndex = false;
    if (!Find(encoding::Cp932ToUtf8(upper), stored, keyIndex)) {
        COraError::Set(error, 1418, {upper}, nameAt);
        return false;
    }
    ++k;
    auto word = [&](std::size_t at, std::string_view w) {
        return at < tokens.size() && tokens[at].kind == CSqlScanner::Kind::Word &&
               CSqlScanner::Is(sql, tokens[at], w);
    };
    if (word(k, "RENAME")) {
        if (!word(k + 1, "TO") || !IsName(tokens, k + 2) || k + 3 != tokens.size()) {
            std::size_t at = k + 3 < tokens.size() ? k + 3 : std::min(k + 2, tokens.size() - 1);
            COraError::Set(error, k + 3 < tokens.size() ? 933 : 905, {}, static_cast<int>(tokens[at].begin));
            return false;
        }
        if (keyIndex) {
            COraError::Set(error, 3001, {encoding::Utf8ToCp932("制約の索引の RENAME")}, nameAt);
            return false;
        }
        return Rename(stored, encoding::Cp932ToUtf8(upper), encoding::Cp932ToUtf8(NameOf(sql, tokens[k + 2])),
                      static_cast<int>(tokens[k + 2].begin), error);
    }
    std::vector<CTableOptions::Setting> settings;
    std::size_t failAt = 0;
    if (!CTableOptions::ReadIndexClauses(sql, tokens, k, settings, failAt)) {
        COraError::Set(error, 2243, {},
                       static_cast<int>(failAt < tokens.size() ? tokens[failAt].begin : sql.size()));
        return false;
    }
    bool rebuild = false;
    for (const auto& setting : settings)
        rebuild = rebuild || (setting.column == "STATUS" && setting.value == "VALID");
    // Note: REBUILD makes the index again from the rows.
    if (rebuild && !keyIndex && !Exec("REINDEX " + Quoted(stored), error)) return false;
    return CTableOptions::SetIndex(m_db, encoding::Cp932ToUtf8(upper), settings, error);
}

bool CIndexAlteration::Find(const std::string& upper, std::string& stored, bool& keyIndex) {
    Statement look = sqliteapi::Prepare(
        m_db, "SELECT name FROM main.sqlite_schema WHERE type = 'index' AND sql IS NOT NULL AND name = ?1");
    if (look) sqlite3_bind_text(look.get(), 1, upper.c_str(), -1, SQLITE_TRANSIENT);
    if (look && sqlite3_step(look.get()) == SQLITE_ROW) {
        stored = reinterpret_cast<const char*>(sqlite3_column_text(look.get(), 0));
        keyIndex = false;
        return true;
    }
    // The index of a key written with its table bears the key's name.
    Statement key = sqliteapi::Prepare(
        m_db,
        "SELECT 1 FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_NAME = ?1 AND CONSTRAINT_TYPE IN ('P', 'U') "
        "AND ENFORCED_BY = 'TABLE'");
    if (key) sqlite3_bind_text(key.get(), 1, upper.c_str(), -1, SQLITE_TRANSIENT);
    keyIndex = key && sqlite3_step(key.get()) == SQLITE_ROW;
    return keyIndex;
}

bool CIndexAlteration::Rename(const std::string& stored, const std::string& upper, const std::string& to,
                              int at, CEngineError& error) {
    Statement taken = sqliteapi::Prepare(
        m_db,
        "SELECT 1 FROM main.sqlite_schema WHERE name = ?1 UNION ALL SELECT 1 FROM "
        "main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_NAME = ?1 AND CONSTRAINT_TYPE IN ('P', 'U') AND "
        "ENFORCED_BY = 'TABLE'");
    if (taken) sqlite3_bind_text(taken.get(), 1, to.c_str(), -1, SQLITE_TRANSIENT);
    if (taken && sqlite3_step(taken.get()) == SQLITE_ROW) {
        COraError::Set(error, 955, {encoding::Utf8ToCp932(to)}, at);
        return false;
    }
    taken.reset();
    Statement look =
        sqliteapi::Prepare(m_db, "SELECT sql FROM main.sqlite_schema WHERE type = 'index' AND name = ?1");
    if (look) sqlite3_bind_text(look.get(), 1, stored.c_str(), -1, SQLITE_TRANSIENT);
    if (!look || sqlite3_step(look.get()) != SQLITE_ROW) {
        COraError::Set(error, 1418, {encoding::Utf8ToCp932(upper)}, at);
        return false;
    }
    std::string definition = reinterpret_cast<const char*>(sqlite3_column_text(look.get(), 0));
    look.reset();
    // CREATE [UNIQUE] INDEX name ON ...: the name is the token before ON.
    auto tokens = CSqlScanner::Significant(definition);
    std::size_t on = 0;
    while (on < tokens.size() && !CSqlScanner::Is(definition, tokens[on], "ON")) ++on;
    if (on == 0 || on >= tokens.size()) {
        COraError::Set(error, 1418, {encoding::Utf8ToCp932(upper)}, at);
        return false;
    }
    const auto& name = tokens[on - 1];
    std::string renamed =
        definition.substr(0, name.begin) + Quoted(to) + definition.substr(name.begin + name.length);
    // Note: an index that enforces a key added later keeps enforcing it under its new name.
    Statement follow =
        sqliteapi::Prepare(m_db, "UPDATE main.TARVEX_CONSTRAINTS SET INDEX_NAME = ?2 WHERE INDEX_NAME = ?1");
    if (follow) {
        sqlite3_bind_text(follow.get(), 1, upper.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(follow.get(), 2, to.c_str(), -1, SQLITE_TRANSIENT);
    }
    return Exec("DROP INDEX " + Quoted(stored), error) && Exec(renamed, error) &&
           (!follow || sqlite3_step(follow.get()) == SQLITE_DONE || Exec("SELECT 1", error)) &&
           CTableOptions::RenameIndex(m_db, upper, to, error);
}

bool CIndexAlteration::Exec(const std::string& utf8, CEngineError& error) {
    if (sqlite3_exec(m_db, utf8.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)));
    return false;
}
