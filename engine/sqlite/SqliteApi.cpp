#include "engine/sqlite/SqliteApi.h"

#include <sqlite3.h>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace sqliteapi {

void StatementDeleter::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

Statement Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    return Statement(raw);
}

bool ViewCompiles(sqlite3* db, std::string_view utf8Name) {
    std::string sql = "SELECT * FROM main.\"";
    for (char c : utf8Name) sql += c == '"' ? std::string("\"\"") : std::string(1, c);
    return Prepare(db, sql + "\"") != nullptr;
}

bool Undo(sqlite3* db, const char* undo) {
    if (sqlite3_exec(db, undo, nullptr, nullptr, nullptr) == SQLITE_OK || sqlite3_get_autocommit(db) != 0)
        return true;
    return sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK ||
           sqlite3_get_autocommit(db) != 0;
}

std::string Cp932Of(const char* utf8) {
    return utf8 != nullptr ? encoding::Utf8ToCp932(utf8) : std::string();
}

std::string NameOf(std::string_view written) {
    const bool keyword = sqlite3_keyword_check(written.data(), static_cast<int>(written.size())) != 0;
    if (!keyword && written.find('#') == std::string_view::npos) return std::string(written);
    return "\"" + cp932::ToUpperAscii(written) + "\"";
}

std::string TextOf(sqlite3_value* value) {
    const unsigned char* text = sqlite3_value_text(value);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                         static_cast<std::size_t>(sqlite3_value_bytes(value)))
                           : std::string();
}

void ResultText(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool RegisterFunctions(sqlite3* db, std::span<const FunctionRule> rules, void* userData) {
    for (const FunctionRule& rule : rules) {
        const int flags = SQLITE_UTF8 | (rule.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function(db, rule.name, rule.arguments, flags, userData, rule.function, nullptr,
                                    nullptr) != SQLITE_OK)
            return false;
    }
    return true;
}

}  // namespace sqliteapi
