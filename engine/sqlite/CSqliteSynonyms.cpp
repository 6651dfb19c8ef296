#include "engine/sqlite/CSqliteSynonyms.h"

#include <sqlite3.h>

#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Token = CSqlScanner::Token;

// A name as the catalog holds it (CP932): quoted as written, else upper-cased.
std::string NameOf(std::string_view sql, const Token& token) {
    std::string_view text = sql.substr(token.begin, token.length);
    if (text.size() >= 2 && text.front() == '"') return std::string(text.substr(1, text.size() - 2));
    return cp932::ToUpperAscii(text);
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

bool CSqliteSynonyms::Run(std::string_view sql, const std::string& user, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql, 1);
    if (!tokens.empty() && CSqlScanner::Is(sql, tokens[0], "DROP")) return Drop(sql, error);
    return Create(sql, user, error);
}

bool CSqliteSynonyms::Exec(const std::string& sql, CEngineError& error) {
    std::string utf8 = encoding::Cp932ToUtf8(sql);
    if (sqlite3_exec(m_db, utf8.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)));
    return false;
}

bool CSqliteSynonyms::ExecWith(const char* sql, std::initializer_list<std::string> values,
                               CEngineError& error) {
    sqliteapi::Statement statement = sqliteapi::Prepare(m_db, sql);
    int index = 0;
    for (const std::string& value : values)
        if (statement) sqlite3_bind_text(statement.get(), ++index, value.c_str(), -1, SQLITE_TRANSIENT);
    if (statement && sqlite3_step(statement.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)));
    return false;
}

bool CSqliteSynonyms::IsSynonym(const std::string& name) {
    sqliteapi::Statement look =
        sqliteapi::Prepare(m_db, "SELECT 1 FROM main.TARVEX_SYNONYMS WHERE SYNONYM_NAME = ?1");
    std::string utf8 = encoding::Cp932ToUtf8(name);
    if (look) sqlite3_bind_text(look.get(), 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

bool CSqliteSynonyms::Create(std::string_view sql, const std::string& user, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t k = 1;
    bool replace = k + 1 < tokens.size() && CSqlScanner::Is(sql, tokens[k], "OR");
    if (replace) k += 2;
    bool isPublic = k < tokens.size() && CSqlScanner::Is(sql, tokens[k], "PUBLIC");
    if (isPublic) ++k;
    ++k;  // SYNONYM
    // name [schema.]: the synonym; FOR [schema.]object
    std::size_t nameAt = k;
    if (nameAt + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[nameAt + 1], '.')) nameAt += 2;
    std::size_t forAt = nameAt + 1;
    if (forAt + 1 >= tokens.size() || !CSqlScanner::Is(sql, tokens[forAt], "FOR")) {
        COraError::Set(error, 905, {},
                       static_cast<int>(forAt < tokens.size() ? tokens[forAt].begin : sql.size()));
        return false;
    }
    std::size_t objectAt = forAt + 1;
    std::string owner;
    if (objectAt + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[objectAt + 1], '.')) {
        owner = NameOf(sql, tokens[objectAt]);
        objectAt += 2;
    }
    std::size_t end = objectAt + 1;
    if (end < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[end], ';')) ++end;
    if (end < tokens.size()) {
        bool link = CSqlScanner::IsSymbol(sql, tokens[objectAt + 1], '@');
        if (link)
            COraError::Set(error, 3001, {"database links"}, static_cast<int>(tokens[objectAt + 1].begin));
        if (!link) COraError::Set(error, 933, {}, static_cast<int>(tokens[end].begin));
        return false;
    }
    std::string name = NameOf(sql, tokens[nameAt]);
    std::string object = NameOf(sql, tokens[objectAt]);
    if (IsSynonym(name)) {
        if (!replace) {
            COraError::Set(error, 955, {name}, static_cast<int>(tokens[nameAt].begin));
            return false;
        }
        if (!Exec("DROP VIEW " + Quoted(name), error)) return false;
    }
    // Note: the object must be there: a view of it is made now.
    if (!Exec("CREATE VIEW " + Quoted(name) + " AS SELECT * FROM " + Quoted(object), error)) {
        std::string message = error.message;
        bool taken = message.find("already exists") != std::string::npos;
        COraError::Set(error, taken ? 955 : 942, {taken ? name : object},
                       static_cast<int>(tokens[taken ? nameAt : objectAt].begin));
        return false;
    }
    std::string utf8Name = encoding::Cp932ToUtf8(name);
    std::string utf8Object = encoding::Cp932ToUtf8(object);
    return ExecWith("INSERT OR REPLACE INTO main.TARVEX_VIEWS VALUES (?1, ?2, 'N', 'N', NULL)",
                    {utf8Name, "SELECT * FROM " + Quoted(utf8Object)}, error) &&
           ExecWith("INSERT OR REPLACE INTO main.TARVEX_SYNONYMS VALUES (?1, ?2, ?3, ?4)",
                    {utf8Name, isPublic ? std::string("PUBLIC") : encoding::Cp932ToUtf8(user),
                     encoding::Cp932ToUtf8(owner.empty() ? user : owner), utf8Object},
                    error);
}

bool CSqliteSynonyms::Drop(std::string_view sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t k = 1;
    if (k < tokens.size() && CSqlScanner::Is(sql, tokens[k], "PUBLIC")) ++k;
    ++k;  // SYNONYM
    if (k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.')) k += 2;
    if (k >= tokens.size()) {
        COraError::Set(error, 905, {}, static_cast<int>(sql.size()));
        return false;
    }
    std::string name = NameOf(sql, tokens[k]);
    if (!IsSynonym(name)) {
        COraError::Set(error, 1434, {name}, static_cast<int>(tokens[k].begin));
        return false;
    }
    std::string utf8 = encoding::Cp932ToUtf8(name);
    return Exec("DROP VIEW " + Quoted(name), error) &&
           ExecWith("DELETE FROM main.TARVEX_VIEWS WHERE VIEW_NAME = ?1", {utf8}, error) &&
           ExecWith("DELETE FROM main.TARVEX_SYNONYMS WHERE SYNONYM_NAME = ?1", {utf8}, error);
}
