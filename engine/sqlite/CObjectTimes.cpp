#include "engine/sqlite/CObjectTimes.h"

#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

// Words between CREATE OR REPLACE and the kind of object.
constexpr std::string_view kCreateOptions[] = {
    "OR",     "REPLACE",    "FORCE", "NOFORCE", "EDITIONABLE", "NONEDITIONABLE",
    "PUBLIC", "EDITIONING", "NO",    "AND",     "RESOLVE",     "COMPILE"};

// Kinds whose names are apart from the tables' (the type filter of Changed).
constexpr std::string_view kOwnNamespaces[] = {"INDEX", "TRIGGER"};

std::string NameOf(std::string_view sql, const CSqlScanner::Token& token) {
    std::string_view written = sql.substr(token.begin, token.length);
    if (token.kind == CSqlScanner::Kind::QuotedName)
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(std::string(written));
}

// The name at `k`, past a schema's "owner.": its last part.
std::size_t NameAt(std::string_view sql, const Tokens& tokens, std::size_t k) {
    if (k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.')) return k + 2;
    return k;
}

bool IsName(const Tokens& tokens, std::size_t k) {
    return k < tokens.size() &&
           (tokens[k].kind == CSqlScanner::Kind::Word || tokens[k].kind == CSqlScanner::Kind::QuotedName);
}

std::string Filter(std::string_view sql, const CSqlScanner::Token& kind) {
    for (std::string_view own : kOwnNamespaces)
        if (CSqlScanner::Is(sql, kind, own)) return std::string(own);
    return {};
}

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

}  // namespace

CObjectTimes::Changed CObjectTimes::ChangedBy(std::string_view sql) {
    Changed changed;
    Tokens tokens = CSqlScanner::Significant(sql, 16);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    std::size_t name = tokens.size();
    if (is(0, "ALTER") && tokens.size() > 2) {
        std::size_t kind = 1;
        name = is(2, "BODY") ? 3 : 2;
        changed.type = Filter(sql, tokens[kind]);
        name = NameAt(sql, tokens, name);
        for (std::size_t k = name + 1; k < tokens.size(); ++k) changed.declaration &= !is(k, "COMPILE");
        if (is(name + 1, "RENAME") && is(name + 2, "TO") && IsName(tokens, name + 3)) {
            changed.renamedFrom = NameOf(sql, tokens[name]);
            name += 3;
        }
    } else if (is(0, "TRUNCATE") && is(1, "TABLE")) {
        name = NameAt(sql, tokens, 2);
        changed.declaration = false;
    } else if (is(0, "RENAME") && is(2, "TO") && IsName(tokens, 1)) {
        changed.renamedFrom = NameOf(sql, tokens[1]);
        name = 3;
    } else if (is(0, "CREATE") && is(1, "OR") && is(2, "REPLACE")) {
        std::size_t kind = 1;
        while (kind < tokens.size() && std::find_if(std::begin(kCreateOptions), std::end(kCreateOptions),
                                                    [&](std::string_view word) { return is(kind, word); }) !=
                                           std::end(kCreateOptions))
            ++kind;
        changed.type = kind < tokens.size() ? Filter(sql, tokens[kind]) : std::string();
        name = NameAt(sql, tokens, is(kind + 1, "BODY") ? kind + 2 : kind + 1);
    }
    if (IsName(tokens, name)) changed.name = NameOf(sql, tokens[name]);
    return changed;
}

bool CObjectTimes::Read(sqlite3* db, Objects& out) {
    out.clear();
    std::string query = "SELECT N, T FROM (" + CSqliteDictionary::ObjectRows() + ")";
    sqliteapi::Statement list = sqliteapi::Prepare(db, query);
    if (!list) return false;
    while (sqlite3_step(list.get()) == SQLITE_ROW) {
        const char* name = reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0));
        const char* type = reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1));
        if (name != nullptr && type != nullptr) out.emplace(name, type);
    }
    return true;
}

void CObjectTimes::Begin(sqlite3* db, std::string_view sql, bool holdsWork) {
    m_state = Read(db, m_before) ? (holdsWork ? State::AfterPriorWork : State::Armed) : State::Idle;
    m_sql = std::string(sql);
}

bool CObjectTimes::BeforeCommit(sqlite3* db, CEngineError& error) {
    if (m_state == State::AfterPriorWork) {
        m_state = State::Armed;
        return true;
    }
    if (m_state != State::Armed) return true;
    m_state = State::Recorded;
    return Record(db, error);
}

void CObjectTimes::End(sqlite3* db, bool ok) {
    if (ok && (m_state == State::Armed || m_state == State::AfterPriorWork) &&
        sqlite3_get_autocommit(db) != 0) {
        CEngineError ignored;
        // Note: the times are the catalog's remark on the statement, which
        // stands whether they could be written or not.
        if (Exec(db, "BEGIN IMMEDIATE", ignored) && Record(db, ignored) && Exec(db, "COMMIT", ignored)) {
        }
        if (sqlite3_get_autocommit(db) == 0) sqliteapi::Undo(db, "ROLLBACK");
    }
    m_state = State::Idle;
    m_before.clear();
    m_sql.clear();
}

bool CObjectTimes::Record(sqlite3* db, CEngineError& error) {
    Objects after;
    if (!Read(db, after)) return true;
    const std::string now = Quoted(CDateFormat::ToStored(CDateFormat::Now()));
    const Changed changed = ChangedBy(m_sql);
    const std::string name = Quoted(encoding::Cp932ToUtf8(changed.name));
    std::string sql;
    if (!changed.renamedFrom.empty())
        sql += "UPDATE OR REPLACE TARVEX_OBJECT_TIMES SET NAME = " + name +
               " WHERE NAME = " + Quoted(encoding::Cp932ToUtf8(changed.renamedFrom)) +
               " AND TYPE NOT IN ('INDEX', 'TRIGGER');";
    for (const auto& object : m_before)
        if (after.count(object) == 0)
            sql += "DELETE FROM TARVEX_OBJECT_TIMES WHERE NAME = " + Quoted(object.first) +
                   " AND TYPE = " + Quoted(object.second) + ";";
    for (const auto& [objectName, type] : after) {
        bool made = m_before.count({objectName, type}) == 0;
        bool named = objectName == encoding::Cp932ToUtf8(changed.name) &&
                     (changed.type.empty() ? type != "INDEX" && type != "TRIGGER" : type == changed.type);
        if (!made && !named) continue;
        sql += "INSERT INTO TARVEX_OBJECT_TIMES VALUES (" + Quoted(objectName) + ", " + Quoted(type) + ", " +
               (made && changed.renamedFrom.empty() ? now : "NULL") + ", " + now + ", " + now +
               ") ON CONFLICT (NAME, TYPE) DO UPDATE SET LAST_DDL_TIME = " + now +
               ", SPEC_TIME = " + (changed.declaration || made ? now : std::string("SPEC_TIME")) + ";";
    }
    return sql.empty() || Exec(db, sql, error);
}
