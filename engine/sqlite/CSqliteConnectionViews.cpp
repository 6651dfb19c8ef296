// The connection's views made with FORCE: a view whose query does not
// compile is kept with its text, invalid, and made from that text again
// once the query compiles.
#include <sqlite3.h>

#include <utility>
#include <vector>

#include "engine/sqlite/CColumnDrop.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/plsql/CPlsqlSession.h"
#include "text/Encoding.h"

namespace {

constexpr int kCompiledWithErrors = 24344;

// The statement that makes `view` again: the head SQLite keeps (CREATE
// VIEW name [(columns)] AS, UTF-8), its query as written and its options.
std::string Remade(const std::string& head, const CCatalogTables::View& view) {
    std::string statement = encoding::Utf8ToCp932(head) + encoding::Utf8ToCp932(view.text);
    if (view.readOnly) statement += " WITH READ ONLY";
    if (view.checkOption) statement += " WITH CHECK OPTION";
    if ((view.readOnly || view.checkOption) && !view.constraint.empty())
        statement += " CONSTRAINT \"" + encoding::Utf8ToCp932(view.constraint) + "\"";
    return statement;
}

// The table whose column `sql` (CP932) drops or renames, as SQLite keeps
// its name (UTF-8); "" for a statement of another kind.
std::string ColumnChanged(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    if (!is(0, "ALTER") || !is(1, "TABLE") || tokens.size() < 5) return {};
    // Note: a schema before the table is the session's own (the file has one user).
    std::size_t name = CSqlScanner::IsSymbol(sql, tokens[3], '.') ? 4 : 2;
    const bool drops = is(name + 1, "DROP") &&
                       (is(name + 2, "COLUMN") ||
                        (name + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[name + 2], '(')));
    if (!drops && !(is(name + 1, "RENAME") && is(name + 2, "COLUMN"))) return {};
    return encoding::Cp932ToUtf8(CColumnDrop::StoredName(sql, tokens[name]));
}

// The head SQLite keeps for a view ("CREATE VIEW name [(columns)] AS "),
// UTF-8; "" when the text has none.
std::string ViewHead(const std::string& utf8) {
    const std::string sql = encoding::Utf8ToCp932(utf8);
    auto tokens = CSqlScanner::Significant(sql);
    int depth = 0;
    for (std::size_t k = 3; k < tokens.size(); ++k) {
        if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) --depth;
        if (depth == 0 && CSqlScanner::Is(sql, tokens[k], "AS"))
            return encoding::Cp932ToUtf8(sql.substr(0, tokens[k].begin + tokens[k].length)) + " ";
    }
    return {};
}

std::string QuotedName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

bool CSqliteConnection::SetViewsAside(const std::string& statement) {
    const std::string table = ColumnChanged(statement);
    if (table.empty()) return true;
    std::vector<std::string> reading = {table};
    for (bool more = true; more;) {
        more = false;
        std::vector<std::pair<std::string, std::string>> views;
        {
            Statement list = sqliteapi::Prepare(
                m_db, "SELECT name, sql FROM main.sqlite_schema WHERE type = 'view' AND instr(sql, ?1) = 0");
            if (!list) return SetStepError();
            constexpr std::string_view kMarker = "TARVEX_FORCED_VIEW(";
            sqlite3_bind_text(list.get(), 1, kMarker.data(), static_cast<int>(kMarker.size()), SQLITE_STATIC);
            while (sqlite3_step(list.get()) == SQLITE_ROW)
                views.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)),
                                   reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1)));
        }
        for (const auto& [name, sql] : views) {
            const std::string head = ViewHead(sql);
            if (head.empty() || CColumnDrop::NamesIn(sql.substr(head.size()), reading).empty()) continue;
            if (!ExecPlain(("DROP VIEW main." + QuotedName(name)).c_str()) ||
                !ExecPlain((head + std::string(kSetAsideQuery)).c_str()))
                return false;
            reading.push_back(name);
            more = true;
        }
    }
    // Note: a stored unit that uses the table or one of the views is
    // compiled again when it is next called.
    Statement units = sqliteapi::Prepare(
        m_db,
        "UPDATE main.TARVEX_UNITS SET STATUS = 'INVALID' WHERE EXISTS (SELECT 1 FROM "
        "main.TARVEX_UNIT_DEPENDENCIES d WHERE d.NAME = TARVEX_UNITS.NAME AND d.TYPE = TARVEX_UNITS.TYPE "
        "AND d.REFERENCED_NAME = ?1)");
    for (const std::string& name : reading) {
        if (!units) break;
        sqlite3_bind_text(units.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(units.get()) != SQLITE_DONE) return SetStepError();
        sqlite3_reset(units.get());
    }
    m_plsql->Forget();
    m_catalog->Invalidate();
    return true;
}

void CSqliteConnection::RevalidateView(const std::string& named, bool& made) {
    made = false;
    constexpr std::string_view kView = "view ";
    if (m_revalidating > 8 || named.compare(0, kView.size(), kView) != 0) return;
    const std::string name = encoding::Cp932ToUtf8(named.substr(kView.size()));
    std::string sql;
    {
        Statement find = sqliteapi::Prepare(
            m_db,
            "SELECT sql FROM main.sqlite_schema WHERE type = 'view' AND name = ?1 AND instr(sql, ?2) > 0");
        if (!find) return;
        sqlite3_bind_text(find.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(find.get(), 2, kSetAsideQuery.data(), static_cast<int>(kSetAsideQuery.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(find.get()) != SQLITE_ROW) return;
        sql = reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0));
    }
    // Note: the statement being compiled keeps its own view and error.
    auto pending = std::move(m_pendingView);
    auto pendingTypes = std::move(m_pendingViewTypes);
    const bool forced = m_forcedView;
    const CEngineError kept = m_error;
    ++m_revalidating;
    bool ok = sqlite3_exec(m_db, "SAVEPOINT TARVEX_REVALIDATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    ok = ok && CompileForcedView(name, sql, kSetAsideQuery, made);
    --m_revalidating;
    if (!ok || !made) {
        made = false;
        sqliteapi::Undo(m_db, "ROLLBACK TO TARVEX_REVALIDATE; RELEASE TARVEX_REVALIDATE");
    } else if (sqlite3_exec(m_db, "RELEASE TARVEX_REVALIDATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        made = false;
    }
    m_pendingView = std::move(pending);
    m_pendingViewTypes = std::move(pendingTypes);
    m_forcedView = forced;
    m_error = kept;
    m_catalog->Invalidate();
}

bool CSqliteConnection::CompileForcedViews() {
    const bool wasForced = m_forcedView;
    // Note: a view made again may be the one another waits for; the views
    // are gone over until none is made.
    for (bool made = true; made;) {
        made = false;
        std::vector<std::pair<std::string, std::string>> forced;
        {
            Statement list = sqliteapi::Prepare(
                m_db, "SELECT name, sql FROM main.sqlite_schema WHERE type = 'view' AND instr(sql, ?1) > 0");
            if (!list) return SetStepError();
            sqlite3_bind_text(list.get(), 1, kForcedQuery.data(), static_cast<int>(kForcedQuery.size()),
                              SQLITE_STATIC);
            while (sqlite3_step(list.get()) == SQLITE_ROW)
                forced.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)),
                                    reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 1)));
        }
        if (forced.empty()) break;
        m_catalog->Invalidate();
        for (const auto& [name, sql] : forced)
            if (!CompileForcedView(name, sql, kForcedQuery, made)) return false;
    }
    m_forcedView = wasForced;
    return true;
}

bool CSqliteConnection::CompileForcedView(const std::string& name, const std::string& sql,
                                          std::string_view marker, bool& made) {
    CCatalogTables::View view;
    if (!CCatalogTables::FindView(m_db, name, view)) return true;
    const std::string statement = Remade(sql.substr(0, sql.rfind(marker)), view);
    const std::string upper = CTypedText::UpperWords(statement);
    CTypedText::Scope typed(upper, statement);
    // Note: a query that still does not compile leaves the view as it is.
    const CEngineError kept = m_error;
    std::string compiled;
    if (!Compile(Piece{upper, 0}, compiled) || compiled.empty() || m_forcedView) {
        m_error = kept;
        m_pendingView.reset();
        return true;
    }
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    if (!ExecPlain(("DROP VIEW main." + quoted + "\"").c_str()) ||
        !ExecPlain(encoding::Cp932ToUtf8(compiled).c_str()) || !RecordView())
        return false;
    m_catalog->Invalidate();
    made = true;
    return true;
}

bool CSqliteConnection::WarnForcedView() {
    m_forcedView = false;
    m_error.Set(encoding::Utf8ToCp932("警告: コンパイル・エラーがあります。"), 0);
    m_error.code = kCompiledWithErrors;
    return false;
}
