#include "engine/sqlite/plsql/CTriggerFiring.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "engine/sqlite/CJoinView.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/plsql/CBlockHost.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlSession.h"
#include "engine/sqlite/plsql/CUnitCatalog.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Token = CSqlScanner::Token;

constexpr const char* kSavepoint = "SAVEPOINT TARVEX_STATEMENT";
constexpr const char* kRollback = "ROLLBACK TO TARVEX_STATEMENT";
constexpr const char* kRelease = "RELEASE TARVEX_STATEMENT";
const std::vector<CTriggerDefinition> kNoTriggers;
// The server's limit of recursive SQL levels (ORA-00036).
constexpr std::size_t kMaxDepth = 50;

struct Event {
    char code;
    const char* name;
};
constexpr Event kEvents[] = {{'I', "INSERT"}, {'U', "UPDATE"}, {'D', "DELETE"}};

std::string Word(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k >= tokens.size()) return {};
    std::string_view written = text.substr(tokens[k].begin, tokens[k].length);
    if (written.size() >= 2 && written.front() == '"')
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

std::string Quoted(const std::string& cp932) { return "\"" + encoding::Cp932ToUtf8(cp932) + "\""; }

std::string Literal(const std::string& cp932) {
    std::string out = "'";
    for (char c : encoding::Cp932ToUtf8(cp932)) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

const char* EventName(char code) {
    for (const Event& event : kEvents)
        if (event.code == code) return event.name;
    return "";
}

// The events a MERGE's clauses name, in the order its statement triggers
// fire: THEN INSERT, THEN UPDATE and its DELETE WHERE.
std::string MergeEvents(std::string_view sql, const std::vector<Token>& tokens) {
    std::string events;
    int depth = 0;
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        depth += CSqlScanner::IsSymbol(sql, tokens[k], '(')   ? 1
                 : CSqlScanner::IsSymbol(sql, tokens[k], ')') ? -1
                                                              : 0;
        if (depth != 0) continue;
        std::string word = Word(sql, tokens, k);
        std::string next = Word(sql, tokens, k + 1);
        if (word == "THEN" && next == "INSERT") events += 'I';
        if (word == "THEN" && next == "UPDATE") events += 'U';
        if (word == "DELETE" && next == "WHERE") events += 'D';
    }
    std::string ordered;
    for (char event : {'I', 'U', 'D'})
        if (events.find(event) != std::string::npos) ordered += event;
    return ordered;
}

// Whether INSERT `sql` inserts the one row of its VALUES clause.
bool SingleRowInsert(std::string_view sql) {
    auto tokens = CSqlScanner::Significant(sql);
    int depth = 0;
    for (std::size_t k = 2; k < tokens.size(); ++k) {
        depth += CSqlScanner::IsSymbol(sql, tokens[k], '(')   ? 1
                 : CSqlScanner::IsSymbol(sql, tokens[k], ')') ? -1
                                                              : 0;
        if (depth != 0) continue;
        if (CSqlScanner::Is(sql, tokens[k], "VALUES")) return true;
        if (CSqlScanner::Is(sql, tokens[k], "SELECT") || CSqlScanner::Is(sql, tokens[k], "WITH"))
            return false;
    }
    return false;
}

// The table of DML statement `sql` with its events: one scope, or one an
// event for a MERGE; none for another statement.
std::vector<CPlsqlSession::DmlScope> ReadDml(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 6);
    std::string verb = Word(sql, tokens, 0);
    std::size_t table = verb == "UPDATE" ? 1 : 2;
    if (verb == "DELETE" && Word(sql, tokens, 1) != "FROM") table = 1;
    if ((verb == "INSERT" || verb == "MERGE") && Word(sql, tokens, 1) != "INTO") return {};
    if (verb != "INSERT" && verb != "UPDATE" && verb != "DELETE" && verb != "MERGE") return {};
    if (Word(sql, tokens, table + 1) == ".") table += 2;
    std::string events =
        verb == "MERGE" ? MergeEvents(sql, CSqlScanner::Significant(sql)) : verb.substr(0, 1);
    std::vector<CPlsqlSession::DmlScope> scopes(events.size());
    for (std::size_t k = 0; k < events.size(); ++k) {
        scopes[k].table = Word(sql, tokens, table);
        scopes[k].event = events[k];
        scopes[k].part = k > 0;
    }
    return scopes;
}

bool Fires(const CTriggerDefinition& trigger, const CPlsqlSession::DmlScope* scope, char event) {
    if (std::find(trigger.events.begin(), trigger.events.end(), EventName(event)) == trigger.events.end())
        return false;
    if (event != 'U' || trigger.updateColumns.empty() || scope == nullptr || !scope->columnsKnown)
        return true;
    for (const std::string& column : trigger.updateColumns)
        if (std::find(scope->columns.begin(), scope->columns.end(), column) != scope->columns.end())
            return true;
    return false;
}

bool AnyTriggers(sqlite3* db) {
    sqliteapi::Statement any = sqliteapi::Prepare(db, "SELECT 1 FROM main.TARVEX_TRIGGERS LIMIT 1");
    // Note: a file the catalog could not be read from is taken to have some.
    return !any || sqlite3_step(any.get()) == SQLITE_ROW;
}

// Triggers in the order they were created, each moved after those it
// FOLLOWS and before those it PRECEDES; a cycle keeps the order of creation.
std::vector<CTriggerDefinition> Ordered(std::vector<CTriggerDefinition> list) {
    const std::size_t n = list.size();
    auto index = [&list](const std::string& name) {
        auto found = std::find_if(list.begin(), list.end(),
                                  [&name](const CTriggerDefinition& d) { return d.name == name; });
        return static_cast<std::size_t>(found - list.begin());
    };
    std::vector<std::vector<std::size_t>> after(n);
    for (std::size_t k = 0; k < n; ++k) {
        for (const std::string& name : list[k].follows)
            if (std::size_t j = index(name); j < n && j != k) after[k].push_back(j);
        for (const std::string& name : list[k].precedes)
            if (std::size_t j = index(name); j < n && j != k) after[j].push_back(k);
    }
    std::vector<bool> placed(n, false);
    std::vector<CTriggerDefinition> out;
    while (out.size() < n) {
        std::size_t next = n;
        for (std::size_t k = 0; k < n && next == n; ++k)
            if (!placed[k] &&
                std::all_of(after[k].begin(), after[k].end(), [&placed](std::size_t j) { return placed[j]; }))
                next = k;
        for (std::size_t k = 0; k < n && next == n; ++k)
            if (!placed[k]) next = k;
        placed[next] = true;
        out.push_back(std::move(list[next]));
    }
    return out;
}

// The enabled triggers of `table` in the order they fire, kept for the session.
const std::vector<CTriggerDefinition>& Triggers(sqlite3* db, CPlsqlSession& session,
                                                const std::string& table) {
    if (auto found = session.tableTriggers.find(table); found != session.tableTriggers.end())
        return found->second;
    auto& list = session.tableTriggers[table];
    sqliteapi::Statement names = sqliteapi::Prepare(
        db,
        "SELECT TRIGGER_NAME FROM main.TARVEX_TRIGGERS WHERE TABLE_NAME = ?1 AND STATUS = 'ENABLED' ORDER BY "
        "rowid");
    if (!names) return list;
    std::string utf8 = encoding::Cp932ToUtf8(table);
    sqlite3_bind_text(names.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    std::vector<std::string> found;
    while (sqlite3_step(names.get()) == SQLITE_ROW)
        found.push_back(
            sqliteapi::Cp932Of(reinterpret_cast<const char*>(sqlite3_column_text(names.get(), 0))));
    names.reset();
    for (const std::string& name : found) {
        CUnitCatalog::Unit stored;
        CTriggerDefinition definition;
        std::string what;
        std::size_t at = 0;
        if (!CUnitCatalog::Find(db, name, stored, "TRIGGER") ||
            !CTriggerDefinition::Read(stored.source, definition, what, at))
            continue;
        definition.enabled = true;
        list.push_back(std::move(definition));
    }
    list = Ordered(std::move(list));
    return list;
}

const CPlsqlSession::DmlScope* ScopeOf(const CPlsqlSession& session, const std::string& table, char event) {
    for (auto it = session.scopes.rbegin(); it != session.scopes.rend(); ++it)
        if (it->table == table && it->event == event) return &*it;
    return nullptr;
}

// A WHEN condition for the engine's trigger: the trigger's row names as
// NEW and OLD, the row the event has not (NEW of a DELETE, OLD of an
// INSERT) as NULL.
std::string Condition(const CTriggerDefinition& definition, char event) {
    const std::string& condition = definition.when;
    std::string out;
    std::size_t copied = 0;
    auto tokens = CSqlScanner::Significant(condition);
    for (std::size_t k = 0; k + 2 < tokens.size(); ++k) {
        if (tokens[k].kind != CSqlScanner::Kind::Word ||
            !CSqlScanner::IsSymbol(condition, tokens[k + 1], '.'))
            continue;
        std::string name = Word(condition, tokens, k);
        bool isNew = name == definition.newName;
        if (!isNew && name != definition.oldName) continue;
        out += condition.substr(copied, tokens[k].begin - copied);
        if ((isNew && event == 'D') || (!isNew && event == 'I')) {
            out += "NULL";
            copied = tokens[k + 2].begin + tokens[k + 2].length;
            k += 2;
        } else {
            out += isNew ? "NEW" : "OLD";
            copied = tokens[k].begin + tokens[k].length;
        }
    }
    return encoding::Cp932ToUtf8(out + condition.substr(copied));
}

// TARVEX_ROW(table, event, timing, frame, count, (name, fires)..., columns, NEW..., OLD...)
std::string RowCall(const std::string& table, char event, char timing, bool frame,
                    const std::vector<const CTriggerDefinition*>& triggers,
                    const std::vector<CPlsqlType::Field>& columns) {
    std::string sql = "SELECT TARVEX_ROW(" + Literal(table) + ", '" + event + "', '" + timing + "', " +
                      (frame ? "1" : "0") + ", " + std::to_string(triggers.size());
    for (const CTriggerDefinition* trigger : triggers) {
        sql += ", " + Literal(trigger->name) + ", ";
        sql +=
            trigger->when.empty() ? "1" : "CASE WHEN (" + Condition(*trigger, event) + ") THEN 1 ELSE 0 END";
    }
    sql += ", " + std::to_string(columns.size());
    for (const char* row : {"NEW", "OLD"}) {
        bool absent = (row[0] == 'N' && event == 'D') || (row[0] == 'O' && event == 'I');
        for (const auto& column : columns)
            sql += ", " + (absent ? std::string("NULL") : std::string(row) + "." + Quoted(column.name));
    }
    return sql + ");";
}

std::string NewValues(const std::vector<CPlsqlType::Field>& columns, bool assignments) {
    std::string sql;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        sql += k > 0 ? ", " : "";
        if (assignments) sql += Quoted(columns[k].name) + " = ";
        sql += "TARVEX_NEW_VALUE(" + std::to_string(k) + ")";
    }
    return sql;
}

std::string FiringName(const std::string& table, char event, char timing) {
    return Quoted("TARVEX_ROW_" + table + "_" + event + timing);
}

bool Exec(sqlite3* db, const std::string& utf8) {
    return sqlite3_exec(db, utf8.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The trigger `name` compiled, a copy of its own when it is running now;
// its body run (see CBlockHost::RunTrigger), counted as running meanwhile.
std::string RunCompiled(CBlockHost& host, CPlsqlSession& session, const std::string& name,
                        const CPlsqlSession::DmlScope* scope, char event, std::vector<CPlsqlValue> newRow,
                        std::vector<CPlsqlValue> oldRow, std::vector<CPlsqlValue>* newOut, bool& assignsNew) {
    std::string qualified = host.Owner().empty() ? name : host.Owner() + "." + name;
    if (session.firing >= kMaxDepth) return CPlsqlErrors::Text(36, std::to_string(kMaxDepth));
    if (session.running[name] > 0) session.units.erase("TRIGGER " + name);
    CTriggerDefinition read;
    auto unit = host.FindTrigger(name, read);
    if (!unit) return CPlsqlErrors::Text(4098, qualified);
    assignsNew = unit->assignsNew;
    ++session.firing;
    ++session.running[name];
    std::string failure =
        host.RunTrigger(*unit, event, std::move(newRow), std::move(oldRow), qualified, newOut,
                        scope != nullptr && scope->columnsKnown ? &scope->columns : nullptr);
    --session.running[name];
    --session.firing;
    return failure;
}

}  // namespace

std::vector<std::string> CTriggerFiring::UpdatedColumns(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql);
    std::vector<std::string> columns;
    std::size_t k = 0;
    while (k < tokens.size() && Word(sql, tokens, k) != "SET") ++k;
    int depth = 0;
    int cases = 0;
    bool target = true;
    std::string last;
    for (++k; k < tokens.size(); ++k) {
        std::string word = Word(sql, tokens, k);
        // Note: a MERGE's SET list ends at its DELETE WHERE or its next WHEN.
        if (depth == 0 && (word == "WHERE" || word == "RETURNING" || word == "RETURN" || word == "LOG" ||
                           word == "DELETE" || (word == "WHEN" && cases == 0)))
            break;
        cases += word == "CASE" ? 1 : word == "END" && cases > 0 ? -1 : 0;
        bool ends = target && (CSqlScanner::IsSymbol(sql, tokens[k], '=') ||
                               (depth == 1 && (CSqlScanner::IsSymbol(sql, tokens[k], ',') ||
                                               CSqlScanner::IsSymbol(sql, tokens[k], ')'))));
        if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) --depth;
        if (target &&
            (tokens[k].kind == CSqlScanner::Kind::Word || tokens[k].kind == CSqlScanner::Kind::QuotedName))
            last = word;
        if (ends && !last.empty()) columns.push_back(std::exchange(last, {}));
        if (target && CSqlScanner::IsSymbol(sql, tokens[k], '=')) target = false;
        if (!target && depth == 0 && CSqlScanner::IsSymbol(sql, tokens[k], ',')) {
            target = true;
            last.clear();
        }
    }
    return columns;
}

void CTriggerFiring::Register(CSqliteConnection& connection) {
    sqlite3* db = connection.m_db;
    sqlite3_create_function_v2(db, "TARVEX_ROW", -1, SQLITE_UTF8, &connection, Row, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "TARVEX_NEW_VALUE", 1, SQLITE_UTF8, &connection, NewValue, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "TARVEX_NEW_PENDING", 1, SQLITE_UTF8, &connection, NewPending, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "TARVEX_NEW_DONE", 1, SQLITE_UTF8, &connection, NewDone, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "TARVEX_TRIGGER_ORDER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               Ordering, nullptr, nullptr, nullptr);
}

void CTriggerFiring::Ordering(sqlite3_context* context, int, sqlite3_value** values) {
    const unsigned char* raw = sqlite3_value_text(values[0]);
    CTriggerDefinition definition;
    std::string what;
    std::size_t at = 0;
    std::string source = CTypedText::UpperWords(
        encoding::Utf8ToCp932(raw != nullptr ? reinterpret_cast<const char*>(raw) : ""));
    std::string json = "[";
    if (CTriggerDefinition::Read(source, definition, what, at)) {
        auto add = [&json](const char* type, const std::string& name) {
            json += json.size() > 1 ? ",[\"" : "[\"";
            json += type;
            json += "\",\"";
            for (char c : encoding::Cp932ToUtf8(name)) {
                if (c == '"' || c == '\\') json += '\\';
                json += c;
            }
            json += "\"]";
        };
        for (const std::string& name : definition.follows) add("FOLLOWS", name);
        for (const std::string& name : definition.precedes) add("PRECEDES", name);
    }
    json += "]";
    sqlite3_result_text(context, json.c_str(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
}

namespace {

bool TriggerExists(sqlite3* db, const std::string& name) {
    sqliteapi::Statement found =
        sqliteapi::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE type = 'trigger' AND name = ?1");
    if (!found) return false;
    sqlite3_bind_text(found.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    return sqlite3_step(found.get()) == SQLITE_ROW;
}

bool AnyTriggerExists(sqlite3* db, const std::string& table, const char* suffixes) {
    const std::string utf8 = "TARVEX_ROW_" + encoding::Cp932ToUtf8(table) + "_";
    for (const char* s = suffixes; *s != '\0'; s += 2)
        if (TriggerExists(db, utf8 + std::string(s, 2))) return true;
    return false;
}

}  // namespace

bool CTriggerFiring::RewritesUpdates(CSqliteConnection& connection, const std::string& table) {
    return AnyTriggerExists(connection.m_db, table, "UB");
}

bool CTriggerFiring::HasInsteadOf(CSqliteConnection& connection, const std::string& name) {
    return AnyTriggerExists(connection.m_db, name, "IIUIDI");
}

void CTriggerFiring::Drop(CSqliteConnection& connection, const std::string& table) {
    // Note: those of a table renamed since are found by the table they are on.
    sqliteapi::Statement made = sqliteapi::Prepare(
        connection.m_db,
        "SELECT name FROM main.sqlite_schema WHERE type = 'trigger' AND tbl_name = ?1 AND name LIKE "
        "'TARVEX!_ROW!_%' ESCAPE '!'");
    std::vector<std::string> firing;
    std::string utf8 = encoding::Cp932ToUtf8(table);
    if (made) sqlite3_bind_text(made.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    while (made && sqlite3_step(made.get()) == SQLITE_ROW)
        firing.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(made.get(), 0)));
    made.reset();
    for (const std::string& name : firing)
        Exec(connection.m_db, "DROP TRIGGER IF EXISTS main.\"" + name + "\"");
    for (const Event& event : kEvents)
        for (char timing : {'B', 'A', 'I'})
            Exec(connection.m_db, "DROP TRIGGER IF EXISTS main." + FiringName(table, event.code, timing));
}

bool CTriggerFiring::Rebuild(CBlockHost& host, const std::string& table) {
    CSqliteConnection& connection = host.Connection();
    Drop(connection, table);
    connection.m_plsql->tableTriggers.erase(table);
    connection.m_plsql->anyTriggers = -1;
    std::vector<CPlsqlType::Field> columns;
    if (!host.TableColumns(table, columns)) return true;
    const auto triggers = Triggers(connection.m_db, *connection.m_plsql, table);
    for (const Event& event : kEvents) {
        std::vector<const CTriggerDefinition*> before;
        std::vector<const CTriggerDefinition*> after;
        std::vector<const CTriggerDefinition*> instead;
        bool frame = false;
        for (const CTriggerDefinition& trigger : triggers) {
            if (!trigger.forEachRow || !Fires(trigger, nullptr, event.code)) continue;
            (trigger.timing == "BEFORE"  ? before
             : trigger.timing == "AFTER" ? after
                                         : instead)
                .push_back(&trigger);
            CTriggerDefinition read;
            auto unit = trigger.timing == "BEFORE" ? host.FindTrigger(trigger.name, read) : nullptr;
            frame = frame || (unit && unit->assignsNew && event.code != 'D');
        }
        std::string head = " " + std::string(event.name) + " ON " + Quoted(table) + " FOR EACH ROW BEGIN ";
        std::string sql;
        // Note: DML on a view with INSTEAD OF triggers runs them in its place.
        if (!instead.empty() &&
            !Exec(connection.m_db, "CREATE TRIGGER main." + FiringName(table, event.code, 'I') +
                                       " INSTEAD OF" + head +
                                       RowCall(table, event.code, 'I', false, instead, columns) + " END"))
            return connection.SetEngineError(), false;
        if (!before.empty()) {
            sql = "CREATE TRIGGER main." + FiringName(table, event.code, 'B') + " BEFORE" + head +
                  RowCall(table, event.code, 'B', frame, before, columns);
            if (frame && event.code == 'I')
                sql += " INSERT INTO " + Quoted(table) + " SELECT " + NewValues(columns, false) +
                       " WHERE TARVEX_NEW_PENDING(0); SELECT RAISE(IGNORE) WHERE TARVEX_NEW_DONE(1);";
            if (!Exec(connection.m_db, sql + " END")) return connection.SetEngineError(), false;
        }
        bool rewrite = frame && event.code == 'U';
        if (after.empty() && !rewrite) continue;
        sql = "CREATE TRIGGER main." + FiringName(table, event.code, 'A') + " AFTER" + head;
        if (rewrite)
            sql += "UPDATE " + Quoted(table) + " SET " + NewValues(columns, true) +
                   " WHERE rowid = NEW.rowid AND TARVEX_NEW_PENDING(1); ";
        if (!after.empty()) sql += RowCall(table, event.code, 'A', rewrite, after, columns);
        if (rewrite) sql += " SELECT TARVEX_NEW_DONE(0);";
        if (!Exec(connection.m_db, sql + " END")) return connection.SetEngineError(), false;
    }
    return true;
}

void CTriggerFiring::Upgrade(CBlockHost& host) {
    CSqliteConnection& connection = host.Connection();
    sqliteapi::Statement old = sqliteapi::Prepare(
        connection.m_db,
        "SELECT name, tbl_name FROM main.sqlite_schema WHERE type = 'trigger' AND name LIKE 'TARVEX!_TRG!_%' "
        "ESCAPE '!'");
    if (!old) return;
    std::vector<std::pair<std::string, std::string>> found;
    while (sqlite3_step(old.get()) == SQLITE_ROW)
        found.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(old.get(), 0)),
                           reinterpret_cast<const char*>(sqlite3_column_text(old.get(), 1)));
    old.reset();
    if (found.empty() || !Exec(connection.m_db, "BEGIN IMMEDIATE")) return;
    bool ok = true;
    for (const auto& [name, table] : found)
        ok = ok && Exec(connection.m_db, "DROP TRIGGER main.\"" + name + "\"");
    for (const auto& [name, table] : found) ok = ok && Rebuild(host, encoding::Utf8ToCp932(table));
    Exec(connection.m_db, ok ? "COMMIT" : "ROLLBACK");
}

bool CTriggerFiring::Begin(CBlockHost& host, const std::string& sql, bool outermost, CEngineError& error,
                           bool bulk) {
    CSqliteConnection& connection = host.Connection();
    CPlsqlSession& session = *connection.m_plsql;
    // Note: a row left by a statement that failed halfway is of no use now.
    if (outermost) session.frames.clear();
    // Note: a file without triggers has nothing to read of the statement.
    if (session.anyTriggers < 0) session.anyTriggers = AnyTriggers(connection.m_db) ? 1 : 0;
    if (session.anyTriggers == 0) {
        session.scopes.emplace_back();
        return true;
    }
    std::vector<CPlsqlSession::DmlScope> parts = ReadDml(sql);
    if (parts.empty()) parts.emplace_back();
    // Note: DML through a view is DML on the table the view passes it to,
    // whose statement triggers fire; its SET list names that table's columns.
    std::vector<std::string> updated;
    bool viewed = false;
    for (CPlsqlSession::DmlScope& scope : parts) {
        if (scope.event == 0) continue;
        std::vector<std::string> columns =
            scope.event == 'U' ? UpdatedColumns(sql) : std::vector<std::string>{};
        std::string base = CJoinView::BaseTable(*connection.m_catalog, scope.table, scope.event, columns);
        if (base.empty() || connection.m_catalog->HasInsteadOf(scope.table, EventName(scope.event))) continue;
        scope.table = base;
        if (scope.event == 'U') {
            updated = std::move(columns);
            viewed = true;
        }
    }
    const auto& triggers =
        parts[0].event != 0 ? Triggers(connection.m_db, session, parts[0].table) : kNoTriggers;
    bool statementTriggers = false;
    bool verbIsInsert = parts.size() == 1 && parts[0].event == 'I';
    for (CPlsqlSession::DmlScope& scope : parts) {
        // Note: the SET list is read only for a table with triggers.
        if (scope.event == 'U' && !triggers.empty()) {
            scope.columns = viewed ? updated : UpdatedColumns(sql);
            scope.columnsKnown = true;
        }
        // Note: a single-row INSERT ... VALUES leaves its table readable to its row triggers.
        scope.singleRow = verbIsInsert && !bulk && !triggers.empty() && SingleRowInsert(sql);
        for (const CTriggerDefinition& trigger : triggers)
            scope.statementTriggers =
                scope.statementTriggers || (!trigger.forEachRow && Fires(trigger, &scope, scope.event));
        statementTriggers = statementTriggers || scope.statementTriggers;
    }
    if (statementTriggers && outermost) {
        parts[0].began = !connection.InTransaction();
        if (!connection.BeginWrite() || !connection.ExecPlain(kSavepoint)) {
            error = connection.m_error;
            return false;
        }
        parts[0].savepoint = true;
    }
    for (CPlsqlSession::DmlScope& scope : parts) {
        bool fire = scope.statementTriggers;
        session.scopes.push_back(std::move(scope));
        if (fire && !FireStatement(host, "BEFORE", error)) {
            CEngineError ignored;
            End(host, false, ignored);
            return false;
        }
    }
    return true;
}

bool CTriggerFiring::End(CBlockHost& host, bool ran, CEngineError& error) {
    CSqliteConnection& connection = host.Connection();
    CPlsqlSession& session = *connection.m_plsql;
    if (session.scopes.empty()) return ran;
    // Note: a MERGE's AFTER STATEMENT triggers fire its events in reverse.
    bool ok = ran;
    CPlsqlSession::DmlScope scope;
    do {
        ok = ok && (!session.scopes.back().statementTriggers || FireStatement(host, "AFTER", error));
        scope = std::move(session.scopes.back());
        session.scopes.pop_back();
    } while (scope.part && !session.scopes.empty());
    if (!scope.savepoint) return ok;
    if (ok) return connection.ExecPlain(kRelease) || (error = connection.m_error, false);
    // Note: the statement and what its triggers did are undone together.
    if (scope.began) {
        if (!sqliteapi::Undo(connection.m_db, "ROLLBACK")) connection.m_transactionLost = true;
    } else if (!sqliteapi::Undo(connection.m_db, kRollback) || !connection.ExecPlain(kRelease)) {
        connection.m_transactionLost = true;
    }
    return false;
}

bool CTriggerFiring::FireStatement(CBlockHost& host, const std::string& timing, CEngineError& error) {
    CSqliteConnection& connection = host.Connection();
    CPlsqlSession& session = *connection.m_plsql;
    const CPlsqlSession::DmlScope scope = session.scopes.back();
    const auto triggers = Triggers(connection.m_db, session, scope.table);
    for (const CTriggerDefinition& trigger : triggers) {
        if (trigger.forEachRow || trigger.timing != timing || !Fires(trigger, &scope, scope.event)) continue;
        bool assignsNew = false;
        std::string failure =
            RunCompiled(host, session, trigger.name, &scope, scope.event, {}, {}, nullptr, assignsNew);
        if (failure.empty()) continue;
        error.Set(failure, 0);
        error.code = std::atoi(failure.c_str() + 4);
        return false;
    }
    return true;
}

void CTriggerFiring::Row(sqlite3_context* context, int count, sqlite3_value** values) {
    auto& connection = *static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    CPlsqlSession& session = *connection.m_plsql;
    std::string table = encoding::Utf8ToCp932(sqliteapi::TextOf(values[0]));
    char event = sqliteapi::TextOf(values[1]).c_str()[0];
    char timing = sqliteapi::TextOf(values[2]).c_str()[0];
    bool frame = sqlite3_value_int(values[3]) != 0;
    // Note: the row an UPDATE's BEFORE ROW triggers set is written again
    // without firing them twice.
    if (timing == 'B' && !session.frames.empty() && session.frames.back().rewriting &&
        session.frames.back().table == table)
        return sqlite3_result_null(context);
    // Note: SQLite counts no row of a view; its INSTEAD OF rows are counted here.
    if (timing == 'I') {
        if (session.redirected.size() <= session.firing) session.redirected.resize(session.firing + 1);
        ++session.redirected[session.firing];
    }
    int triggers = sqlite3_value_int(values[4]);
    int k = 5;
    std::vector<std::pair<std::string, bool>> fired;
    for (int t = 0; t < triggers && k + 1 < count; ++t, k += 2)
        fired.emplace_back(encoding::Utf8ToCp932(sqliteapi::TextOf(values[k])),
                           sqlite3_value_int(values[k + 1]) != 0);
    int columns = k < count ? sqlite3_value_int(values[k++]) : 0;
    std::vector<CPlsqlValue> newRow;
    std::vector<CPlsqlValue> oldRow;
    for (int c = 0; c < columns && k + columns + c < count; ++c) {
        newRow.push_back(CBlockHost::FromSqlite(values[k + c]));
        oldRow.push_back(CBlockHost::FromSqlite(values[k + columns + c]));
    }
    // Note: a column added since the engine's trigger was made is NULL to it.
    if (const auto* now = connection.m_catalog->Columns(table)) {
        newRow.resize(now->size());
        oldRow.resize(now->size());
    }
    if (timing == 'A' && frame && !session.frames.empty()) {
        session.frames.back().rewriting = false;
        newRow = session.frames.back().row;
    }
    auto types = connection.m_resultTypes;
    CEngineError saved = connection.m_error;
    // Note: a copy, since the triggers' own DML adds scopes to the session.
    std::optional<CPlsqlSession::DmlScope> found;
    if (const CPlsqlSession::DmlScope* open = ScopeOf(session, table, event)) found = *open;
    const CPlsqlSession::DmlScope* scope = found ? &*found : nullptr;
    const auto definitions = Triggers(connection.m_db, session, table);
    std::string failure;
    bool changed = false;
    bool mutating = scope == nullptr || !scope->singleRow;
    if (mutating) session.mutating.push_back(table);
    for (const auto& [name, fires] : fired) {
        const std::string& wanted = name;
        auto definition = std::find_if(definitions.begin(), definitions.end(),
                                       [&wanted](const CTriggerDefinition& d) { return d.name == wanted; });
        if (!fires || definition == definitions.end() || !Fires(*definition, scope, event)) continue;
        CBlockHost host(connection);
        bool assignsNew = false;
        failure = RunCompiled(host, session, name, scope, event, newRow, oldRow,
                              timing == 'B' ? &newRow : nullptr, assignsNew);
        changed = changed || assignsNew;
        if (!failure.empty()) break;
    }
    if (mutating) session.mutating.pop_back();
    connection.m_resultTypes = std::move(types);
    connection.m_error = saved;
    if (!failure.empty()) {
        // Note: the statement that fired the trigger fails at its start, as on the server.
        std::string utf8 = encoding::Cp932ToUtf8(failure) + "\x1F" + "0";
        return sqlite3_result_error(context, utf8.c_str(), static_cast<int>(utf8.size()));
    }
    if (timing == 'B' && frame) session.frames.push_back({table, std::move(newRow), changed, false});
    sqlite3_result_null(context);
}

void CTriggerFiring::NewValue(sqlite3_context* context, int, sqlite3_value** values) {
    auto& connection = *static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    const auto& frames = connection.m_plsql->frames;
    auto k = static_cast<std::size_t>(sqlite3_value_int(values[0]));
    if (frames.empty() || k >= frames.back().row.size()) return sqlite3_result_null(context);
    CBlockHost::ToSqlite(context, frames.back().row[k]);
}

void CTriggerFiring::NewPending(sqlite3_context* context, int, sqlite3_value** values) {
    auto& connection = *static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    auto& frames = connection.m_plsql->frames;
    bool pending = !frames.empty() && frames.back().changed;
    if (pending && sqlite3_value_int(values[0]) != 0) frames.back().rewriting = true;
    sqlite3_result_int(context, pending ? 1 : 0);
}

void CTriggerFiring::NewDone(sqlite3_context* context, int, sqlite3_value** values) {
    auto& connection = *static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    CPlsqlSession& session = *connection.m_plsql;
    if (session.frames.empty()) return sqlite3_result_int(context, 0);
    bool redirected = session.frames.back().changed && sqlite3_value_int(values[0]) != 0;
    session.frames.pop_back();
    // Note: the row inserted anew is counted where the statement that
    // inserted it counts its rows; the first one is skipped.
    if (redirected) {
        if (session.redirected.size() <= session.firing) session.redirected.resize(session.firing + 1);
        ++session.redirected[session.firing];
    }
    sqlite3_result_int(context, redirected ? 1 : 0);
}
