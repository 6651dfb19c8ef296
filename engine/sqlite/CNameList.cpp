#include "engine/sqlite/CNameList.h"

#include <sqlite3.h>

#include "engine/sqlite/SqliteApi.h"

std::string CNameList::Identifier(std::string_view written) {
    std::string out(written);
    if (out.size() >= 2 && out.front() == '"') return out.substr(1, out.size() - 2);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string CNameList::Join(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "" : ",") + name;
    return out;
}

std::vector<std::string> CNameList::Split(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t comma = text.find(',', at);
        if (comma == std::string::npos) comma = text.size();
        out.push_back(text.substr(at, comma - at));
        at = comma + 1;
    }
    return out;
}

std::vector<std::string> CNameList::UserTables(sqlite3* db) {
    std::vector<std::string> tables;
    sqliteapi::Statement list = sqliteapi::Prepare(
        db,
        "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND sql IS NOT NULL AND name NOT LIKE "
        "'sqlite%' AND upper(name) NOT LIKE 'TARVEX%' ORDER BY rowid");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(list.get(), 0);
        tables.emplace_back(name != nullptr ? reinterpret_cast<const char*>(name) : "");
    }
    return tables;
}

std::string CNameList::StoredName(sqlite3* db, const std::string& name) {
    sqliteapi::Statement look = sqliteapi::Prepare(
        db,
        "SELECT name FROM main.sqlite_schema WHERE name = ?1 UNION ALL SELECT name FROM main.sqlite_schema "
        "WHERE name = ?1 COLLATE NOCASE LIMIT 1");
    if (!look) return name;
    sqlite3_bind_text(look.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return name;
    const unsigned char* stored = sqlite3_column_text(look.get(), 0);
    return stored != nullptr ? std::string(reinterpret_cast<const char*>(stored)) : name;
}
