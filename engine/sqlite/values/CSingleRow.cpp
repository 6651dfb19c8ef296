#include "engine/sqlite/values/CSingleRow.h"

#include <sqlite3.h>

#include <string>

#include "engine/sqlite/COraError.h"

namespace {

struct State {
    sqlite3_value* value;
    int rows;
};

void Step(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* state = static_cast<State*>(sqlite3_aggregate_context(context, sizeof(State)));
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (++state->rows == 1) {
        state->value = sqlite3_value_dup(argv[0]);
        if (state->value == nullptr) sqlite3_result_error_nomem(context);
        return;
    }
    if (state->rows == 2) {
        std::string message = COraError::ForFunction(1427, {}, sqlite3_value_int(argv[1]));
        sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
    }
}

void Final(sqlite3_context* context) {
    auto* state = static_cast<State*>(sqlite3_aggregate_context(context, 0));
    if (state == nullptr || state->value == nullptr) return sqlite3_result_null(context);
    if (state->rows == 1) sqlite3_result_value(context, state->value);
    sqlite3_value_free(state->value);
}

}  // namespace

bool CSingleRow::Register(sqlite3* db) {
    return sqlite3_create_function(db, "ORA_SINGLE_ROW", 2, SQLITE_UTF8, nullptr, nullptr, Step, Final) ==
           SQLITE_OK;
}
