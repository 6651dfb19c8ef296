// The connection's views made with FORCE: a view whose query does not
// compile is kept with its text, invalid, and made from that text again
// once the query compiles.
#include <sqlite3.h>

#include <utility>
#include <vector>

#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/SqliteApi.h"
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

}  // namespace

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
            if (!CompileForcedView(name, sql, made)) return false;
    }
    m_forcedView = wasForced;
    return true;
}

bool CSqliteConnection::CompileForcedView(const std::string& name, const std::string& sql, bool& made) {
    CCatalogTables::View view;
    if (!CCatalogTables::FindView(m_db, name, view)) return true;
    const std::string statement = Remade(sql.substr(0, sql.rfind(kForcedQuery)), view);
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
