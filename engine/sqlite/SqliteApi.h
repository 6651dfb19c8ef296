#pragma once

// Small helpers over SQLite's C interface, shared by the embedded engine.
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_stmt;
struct sqlite3_value;

namespace sqliteapi {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
};
// A prepared statement, finalised when it goes.
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;
// `sql` (UTF-8) prepared on `db`; null when SQLite refuses it.
Statement Prepare(sqlite3* db, const std::string& sql);

// Whether the view `utf8Name` of the file still compiles: one whose table
// was dropped does not.
bool ViewCompiles(sqlite3* db, std::string_view utf8Name);

// Runs `undo` (ROLLBACK, ROLLBACK TO ...) on `db`. Should it fail, the whole
// transaction is rolled back rather than keep work half undone. False only
// when even that leaves a transaction open.
bool Undo(sqlite3* db, const char* undo);

// SQLite's text (a message, a name; UTF-8, null: empty) in CP932.
std::string Cp932Of(const char* utf8);
// The whole text of a function argument (NULL: empty).
std::string TextOf(sqlite3_value* value);
// Sets a function's result to `text`, copied.
void ResultText(sqlite3_context* context, const std::string& text);

// A name as SQLite takes it: one with "#" (SERIAL#), which SQLite's names
// cannot hold, or one SQLite reads as a word of its own (LIMIT, RAISE,
// VACUUM), in quotes and in the upper case the server keeps; any other as
// written. `written` is an unquoted word of the statement.
std::string NameOf(std::string_view written);

// One function the engine adds to SQLite.
struct FunctionRule {
    const char* name;
    int arguments;
    void (*function)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic = true;
};
// Adds every rule, each called with `userData`; false at the first refused.
bool RegisterFunctions(sqlite3* db, std::span<const FunctionRule> rules, void* userData);

}  // namespace sqliteapi
