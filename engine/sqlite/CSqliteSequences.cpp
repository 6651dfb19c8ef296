#include "engine/sqlite/CSqliteSequences.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSequenceOptions.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Encoding.h"

namespace {

using Token = CSqlScanner::Token;
using Kind = CSqlScanner::Kind;

using Statement = sqliteapi::Statement;

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    return Statement(raw);
}

bool TableExists(sqlite3* db) {
    Statement statement = Prepare(db, "SELECT 1 FROM sqlite_schema WHERE name = 'TARVEX_SEQUENCES'");
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW;
}

std::string TokenText(std::string_view text, const Token& token) {
    return std::string(text.substr(token.begin, token.length));
}

// A signed whole number at token `k` ("-" and a number); advances `k`.
bool ReadInteger(std::string_view text, const std::vector<Token>& tokens, std::size_t& k, long long& value) {
    bool negative = k < tokens.size() && CSqlScanner::IsSymbol(text, tokens[k], '-');
    if (negative) ++k;
    std::int64_t number = 0;
    if (k >= tokens.size() || tokens[k].kind != Kind::Number ||
        !CValueText::ParseInteger(TokenText(text, tokens[k]), number))
        return false;
    ++k;
    value = negative ? -number : number;
    return true;
}

// A sequence is found by its name: in upper case unless written in quotes,
// which are not part of it.
std::string Key(std::string name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return name.substr(1, name.size() - 2);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

// The token of the name that a schema and "." may go before at `k`.
std::size_t SchemaSkipped(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    bool qualified = k + 2 < tokens.size() && CSqlScanner::IsSymbol(text, tokens[k + 1], '.') &&
                     (tokens[k + 2].kind == Kind::Word || tokens[k + 2].kind == Kind::QuotedName);
    return qualified ? k + 2 : k;
}

struct Definition {
    std::string name;  // UTF-8
    long long start = 1;
    bool started = false;
    long long step = 1;
    CSequenceOptions options;
    int optionsAt = 0;
};

// Reads "CREATE SEQUENCE name [START WITH n] [INCREMENT BY n] ...".
bool ParseCreate(std::string_view text, Definition& definition, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(text);
    if (tokens.size() < 3 || (tokens[2].kind != Kind::Word && tokens[2].kind != Kind::QuotedName)) {
        COraError::Set(error, 2263, {}, static_cast<int>(text.size()));
        return false;
    }
    // Note: the schema before the name is the session's own (the file has one user).
    std::size_t named = SchemaSkipped(text, tokens, 2);
    definition.name = Key(encoding::Cp932ToUtf8(TokenText(text, tokens[named])));
    definition.optionsAt = static_cast<int>(tokens[named].begin);
    for (std::size_t k = named + 1; k < tokens.size();) {
        bool start = CSqlScanner::Is(text, tokens[k], "START");
        bool step = CSqlScanner::Is(text, tokens[k], "INCREMENT");
        if (!start && !step) {
            switch (definition.options.Read(text, tokens, k, error)) {
                case CSequenceOptions::Outcome::Read:
                    continue;
                case CSequenceOptions::Outcome::Refused:
                    return false;
                case CSequenceOptions::Outcome::NotAnOption:
                    COraError::Set(error, 933, {}, static_cast<int>(tokens[k].begin));
                    return false;
            }
        }
        std::size_t at = k;
        k += 2;
        long long value = 0;
        bool linked = at + 1 < tokens.size() && CSqlScanner::Is(text, tokens[at + 1], start ? "WITH" : "BY");
        if (!linked || !ReadInteger(text, tokens, k, value) || (step && value == 0)) {
            COraError::Set(error, step ? 4002 : 1722, {}, static_cast<int>(tokens[at].begin));
            return false;
        }
        (start ? definition.start : definition.step) = value;
        definition.started = definition.started || start;
    }
    // A sequence starts at the limit it runs away from.
    if (!definition.started) definition.start = definition.options.Restart(definition.step);
    return definition.options.Check(definition.step, definition.start, definition.optionsAt, error);
}

std::string NameArgument(sqlite3_value* value) {
    const unsigned char* text = sqlite3_value_text(value);
    return Key(text != nullptr ? reinterpret_cast<const char*>(text) : "");
}

void Fail(sqlite3_context* context, const std::string& message) {
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

}  // namespace

bool CSqliteSequences::Register() {
    return sqlite3_create_function(m_db, "ORA_NEXTVAL", 1, SQLITE_UTF8, this, NextValue, nullptr, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function(m_db, "ORA_CURRVAL", 1, SQLITE_UTF8, this, CurrentValue, nullptr,
                                   nullptr) == SQLITE_OK;
}

bool CSqliteSequences::Exec(const std::string& sql, CEngineError& error) {
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error.Set(encoding::Utf8ToCp932(sqlite3_errmsg(m_db)));
    return false;
}

bool CSqliteSequences::Create(std::string_view sql, CEngineError& error) {
    Definition definition;
    if (!ParseCreate(sql, definition, error)) return false;
    Statement insert = Prepare(m_db, "INSERT OR IGNORE INTO TARVEX_SEQUENCES VALUES (?1, ?2, ?3)");
    sqlite3_bind_text(insert.get(), 1, definition.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert.get(), 2, definition.start);
    sqlite3_bind_int64(insert.get(), 3, definition.step);
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        error.Set(encoding::Utf8ToCp932(sqlite3_errmsg(m_db)));
        return false;
    }
    if (sqlite3_changes(m_db) == 0) {
        COraError::Set(error, 955, {encoding::Utf8ToCp932(definition.name)}, 0);
        return false;
    }
    return CSequenceOptions::Save(m_db, definition.name, definition.options, error);
}

bool CSqliteSequences::Drop(std::string_view sql, CEngineError& error) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t named = tokens.size() > 2 ? SchemaSkipped(sql, tokens, 2) : 2;
    if (tokens.size() != named + 1) {
        COraError::Set(error, 933, {}, static_cast<int>(sql.size()));
        return false;
    }
    std::string name = Key(encoding::Cp932ToUtf8(TokenText(sql, tokens[named])));
    if (TableExists(m_db)) {
        Statement remove = Prepare(m_db, "DELETE FROM TARVEX_SEQUENCES WHERE NAME = ?1");
        sqlite3_bind_text(remove.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(remove.get()) != SQLITE_DONE) {
            error.Set(encoding::Utf8ToCp932(sqlite3_errmsg(m_db)));
            return false;
        }
        if (sqlite3_changes(m_db) > 0) {
            m_current.erase(name);
            CSequenceOptions::Forget(m_db, name);
            return true;
        }
    }
    COraError::Set(error, 2289, {TokenText(sql, tokens[named])}, static_cast<int>(tokens[named].begin));
    return false;
}

void CSqliteSequences::NextValue(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* self = static_cast<CSqliteSequences*>(sqlite3_user_data(context));
    std::string name = NameArgument(argv[0]);
    Statement step =
        TableExists(self->m_db)
            ? Prepare(self->m_db,
                      "UPDATE TARVEX_SEQUENCES SET NEXT_VALUE = NEXT_VALUE + STEP WHERE NAME = ?1 "
                      "RETURNING NEXT_VALUE - STEP, STEP")
            : Statement();
    if (step) sqlite3_bind_text(step.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (!step || sqlite3_step(step.get()) != SQLITE_ROW) {
        Fail(context, COraError::ForFunction(2289, {name}));
        return;
    }
    long long value = sqlite3_column_int64(step.get(), 0);
    long long by = sqlite3_column_int64(step.get(), 1);
    step.reset();
    CSequenceOptions options = CSequenceOptions::Load(self->m_db, name);
    if (options.Passes(by, value)) {
        self->SetNext(name, value);
        Fail(context, COraError::ForFunction(8004, {name, by > 0 ? "MAX" : "MIN"}));
        return;
    }
    long long after = 0;
    if (options.cycle && (__builtin_add_overflow(value, by, &after) || options.Passes(by, after)))
        self->SetNext(name, options.Restart(by));
    self->m_current[name] = value;
    sqlite3_result_int64(context, value);
}

void CSqliteSequences::SetNext(const std::string& name, long long next) {
    Statement set = Prepare(m_db, "UPDATE TARVEX_SEQUENCES SET NEXT_VALUE = ?2 WHERE NAME = ?1");
    if (!set) return;
    sqlite3_bind_text(set.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(set.get(), 2, next);
    sqlite3_step(set.get());
}

void CSqliteSequences::CurrentValue(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* self = static_cast<CSqliteSequences*>(sqlite3_user_data(context));
    std::string name = NameArgument(argv[0]);
    auto found = self->m_current.find(name);
    if (found == self->m_current.end()) {
        Fail(context, COraError::ForFunction(8002, {name}));
        return;
    }
    sqlite3_result_int64(context, found->second);
}
