#pragma once

// Small helpers over SQLite's C interface, shared by the embedded engine.
#include <memory>
#include <string>

struct sqlite3_context;
struct sqlite3_stmt;
struct sqlite3_value;

namespace sqliteapi {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
};
// A prepared statement, finalised when it goes.
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The whole text of a function argument (NULL: empty).
std::string TextOf(sqlite3_value* value);
// Sets a function's result to `text`, copied.
void ResultText(sqlite3_context* context, const std::string& text);

}  // namespace sqliteapi
