#include "engine/sqlite/plsql/CBlockHost.h"

#include <sqlite3.h>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/plsql/CPlsqlInterpreter.h"
#include "engine/sqlite/plsql/CPlsqlParser.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kSavepoint = "SAVEPOINT TARVEX_BLOCK";
constexpr const char* kRollback = "ROLLBACK TO TARVEX_BLOCK";
constexpr const char* kRelease = "RELEASE TARVEX_BLOCK";

std::shared_ptr<CPlsqlType> TypeOfColumn(const CSqliteCatalog::Column& column) {
    auto type = std::make_shared<CPlsqlType>();
    switch (column.type) {
        case CSqlType::Number:
            type->base = CPlsqlType::Base::Number;
            type->precision = column.precision;
            type->scale =
                column.scale == CSqliteCatalog::Column::kNoScale ? CPlsqlType::kNoScale : column.scale;
            if (column.integer && type->scale == CPlsqlType::kNoScale) type->scale = 0;
            break;
        case CSqlType::Text:
        case CSqlType::Char:
            type->base = column.type == CSqlType::Char ? CPlsqlType::Base::Char : CPlsqlType::Base::Text;
            // Note: a length in characters holds as many double-byte characters.
            type->length = column.charSemantics ? column.length * 2 : column.length;
            break;
        case CSqlType::Date:
            type->base = CPlsqlType::Base::Date;
            break;
        default:
            type->base = CPlsqlType::Base::Any;
            break;
    }
    return type;
}

}  // namespace

bool CBlockHost::Run(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                     CEngineError& error) {
    m_connection.m_cancelRequested = false;
    CPlsqlParser parser(text, *this);
    std::unique_ptr<CPlsqlUnit> unit = parser.Parse(error);
    if (!unit) return false;
    std::vector<CEngineBind> work = binds;
    bool ok = false;
    {
        CPlsqlInterpreter interpreter(*unit, *this, work);
        ok = interpreter.Run(error);
        rows = ok ? interpreter.RowsProcessed() : 0;
    }
    if (!ok) {
        Undo();
        return false;
    }
    binds = std::move(work);
    if (!Finish()) {
        error = m_connection.m_error;
        return false;
    }
    return true;
}

sqlite3* CBlockHost::Database() { return m_connection.m_db; }

bool CBlockHost::TableColumns(const std::string& name, std::vector<CPlsqlType::Field>& out) {
    const auto* columns = m_connection.m_catalog->Columns(name);
    if (columns == nullptr) return false;
    out.clear();
    for (const auto& column : *columns) out.push_back({column.name, TypeOfColumn(column)});
    return true;
}

bool CBlockHost::Prepare(CPlsqlSql& sql, CEngineError& error) {
    std::vector<CEngineBind> binds;
    for (const std::string& name : sql.paramNames) {
        CEngineBind bind;
        bind.name = name;
        binds.push_back(bind);
    }
    CSqliteConnection::Statement statement;
    m_connection.m_error.Clear();
    if (!PrepareStatement(sql, binds, statement)) {
        m_connection.Finish(false, sql.text);
        error = m_connection.m_error;
        return false;
    }
    sql.columns.clear();
    sql.columnTypes.clear();
    int count = sqlite3_column_count(statement.get());
    for (int k = 0; k < count; ++k) {
        const char* name = sqlite3_column_name(statement.get(), k);
        sql.columns.push_back(cp932::ToUpperAscii(encoding::Utf8ToCp932(name != nullptr ? name : "")));
        CSqlType type = static_cast<std::size_t>(k) < m_connection.m_resultTypes.size()
                            ? m_connection.m_resultTypes[static_cast<std::size_t>(k)].kind
                            : CSqlType::Unknown;
        sql.columnTypes.push_back(static_cast<int>(type));
    }
    sql.statement = std::move(statement);
    sql.paramIndexes.clear();
    return true;
}

bool CBlockHost::PrepareStatement(const CPlsqlSql& sql, const std::vector<CEngineBind>& binds,
                                  sqliteapi::Statement& statement) {
    CSqliteConnection::Piece piece{sql.text, 0};
    if (sql.returningText.empty()) return m_connection.Prepare(piece, {}, binds, statement);
    std::string compiled;
    if (!m_connection.Compile(piece, compiled)) return false;
    if (compiled.empty()) {
        COraError::Set(m_connection.m_error, 3001, {"RETURNING"}, static_cast<int>(sql.text.size()));
        return false;
    }
    compiled += " RETURNING " + sql.returningText;
    return m_connection.PrepareCompiled(piece, compiled, statement) &&
           m_connection.Bind(piece, binds, statement.get());
}

void CBlockHost::StepFailed(const std::string& text, CEngineError& error) {
    m_connection.SetEngineError();
    m_connection.Finish(false, text);
    error = m_connection.m_error;
}

bool CBlockHost::BeginWrite(CEngineError& error) {
    if (m_savepoint) return true;
    bool began = !m_connection.InTransaction();
    if (!m_connection.BeginWrite() || !m_connection.ExecPlain(kSavepoint)) {
        error = m_connection.m_error;
        return false;
    }
    m_began = m_began || began;
    m_savepoint = true;
    return true;
}

bool CBlockHost::Commit(CEngineError& error) {
    // Note: a commit inside the block ends its savepoint; what follows is
    // undone back to the commit only.
    m_savepoint = false;
    m_began = false;
    if (m_connection.CommitWork()) return true;
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::Rollback(CEngineError& error) {
    m_savepoint = false;
    m_began = false;
    if (!m_connection.InTransaction() || m_connection.ExecPlain("ROLLBACK")) return true;
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::Savepoint(const std::string& name, bool rollbackTo, CEngineError& error) {
    if (!BeginWrite(error)) return false;
    std::string statement = (rollbackTo ? "ROLLBACK TO " : "SAVEPOINT ") + encoding::Cp932ToUtf8(name);
    if (m_connection.ExecPlain(statement.c_str())) return true;
    error = m_connection.m_error;
    if (rollbackTo) COraError::Set(error, 1086, {name});
    return false;
}

bool CBlockHost::ExecuteOther(const std::string& text, long& rows, CEngineError& error) {
    std::vector<CEngineBind> none;
    // Note: DDL commits first, as on the server; the block's savepoint goes with it.
    m_savepoint = false;
    m_began = false;
    if (m_connection.ExecuteStatement(text, none, rows)) return true;
    m_connection.Finish(false, text);
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::Output(CPlsqlStmt::OutputCall call, const std::string& text, CEngineError& error) {
    using Call = CPlsqlStmt::OutputCall;
    bool ok = true;
    switch (call) {
        case Call::Enable:
            m_connection.m_outputEnabled = true;
            break;
        case Call::Disable:
            m_connection.m_outputEnabled = false;
            m_connection.TakeServerOutput();
            break;
        case Call::Put:
            ok = m_connection.AppendOutput(text, false);
            break;
        case Call::PutLine:
            ok = m_connection.AppendOutput(text, true);
            break;
        case Call::NewLine:
            ok = m_connection.AppendOutput({}, true);
            break;
        default:
            break;
    }
    if (!ok) error = m_connection.m_error;
    return ok;
}

bool CBlockHost::TakeLine(std::string& line) {
    auto& output = m_connection.m_output;
    std::size_t complete = output.size() - (m_connection.m_outputLineOpen ? 1 : 0);
    if (output.empty() || complete == 0) return false;
    line = output.front();
    m_connection.m_outputBytes -= std::min(m_connection.m_outputBytes, line.size());
    output.erase(output.begin());
    return true;
}

bool CBlockHost::Cancelled() { return m_connection.m_cancelRequested.load(std::memory_order_relaxed); }

std::string CBlockHost::ShowDate(const std::string& stored) { return m_connection.ShowDate(stored); }

void CBlockHost::Undo() {
    if (!m_savepoint) return;
    CEngineError failure = m_connection.m_error;
    const char* undo[] = {kRollback, kRelease, m_began ? "ROLLBACK" : nullptr};
    for (const char* statement : undo)
        if (statement != nullptr && m_connection.InTransaction() &&
            !sqliteapi::Undo(m_connection.m_db, statement))
            m_connection.m_transactionLost = true;
    m_connection.m_error = failure;
    m_savepoint = false;
}

bool CBlockHost::Finish() {
    if (!m_savepoint) return true;
    m_savepoint = false;
    return m_connection.ExecPlain(kRelease);
}
