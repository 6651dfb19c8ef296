#include "engine/sqlite/CSqliteConnection.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>

#include "engine/sqlite/CDatabaseLocation.h"
#include "engine/sqlite/COracleDialect.h"
#include "engine/sqlite/CSelectList.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCursor.h"
#include "engine/sqlite/CSqliteFailure.h"
#include "engine/sqlite/CSqliteFunctions.h"
#include "engine/sqlite/CSqliteResultReader.h"
#include "engine/sqlite/CSqliteSequences.h"
#include "engine/sqlite/CSqliteTextFunctions.h"
#include "engine/sqlite/CStatementClassifier.h"
#include "engine/sqlite/CStatementLimits.h"
#include "engine/sqlite/CValueText.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr std::size_t kOutputLimit = 1000000;
constexpr std::string_view kSelectPrefix = "SELECT ";
constexpr const char* kBlockSavepoint = "SAVEPOINT TARVEX_BLOCK";
constexpr const char* kBlockRollback = "ROLLBACK TO TARVEX_BLOCK";
constexpr const char* kBlockRelease = "RELEASE TARVEX_BLOCK";

constexpr const char* kSetupStatements[] = {
    "PRAGMA foreign_keys = ON",
    // Note: LIKE tells case apart, as on the server.
    "PRAGMA case_sensitive_like = ON",
    "CREATE TEMP TABLE IF NOT EXISTS DUAL (DUMMY VARCHAR2(1))",
    "INSERT INTO temp.DUAL SELECT 'X' WHERE NOT EXISTS (SELECT 1 FROM temp.DUAL)",
};

std::string ToCp932(const char* utf8) {
    return utf8 != nullptr ? encoding::Utf8ToCp932(utf8) : std::string();
}

// Statements the embedded engine refuses, by kind.
struct Refusal {
    StatementKind kind;
    bool showWords;
    const char* note;
};

constexpr Refusal kRefusals[] = {
    {StatementKind::DeclareBlock, false, "blocks with DECLARE"},
    {StatementKind::StoredCode, true, " (stored PL/SQL)"},
    {StatementKind::NoPrivileges, true, " (it has no users or privileges)"},
    {StatementKind::Unsupported, true, ""},
};

const Refusal* FindRefusal(StatementKind kind) {
    for (const Refusal& refusal : kRefusals)
        if (refusal.kind == kind) return &refusal;
    return nullptr;
}

CEngineBind* FindBind(std::vector<CEngineBind>& binds, const std::string& name) {
    for (CEngineBind& bind : binds)
        if (bind.name == name) return &bind;
    return nullptr;
}

const CEngineBind* FindBind(const std::vector<CEngineBind>& binds, const std::string& name) {
    for (const CEngineBind& bind : binds)
        if (bind.name == name) return &bind;
    return nullptr;
}

// Offset of the first ":name" outside literals, 0 when none is found.
std::size_t BindPosition(std::string_view text, const std::string& name) {
    for (const auto& token : CSqlScanner::Tokenize(text))
        if (token.kind == CSqlScanner::Kind::Bind && CSqlScanner::BindName(text, token) == name)
            return token.begin;
    return 0;
}

bool DirectoryIsReadOnly(const std::string& path) {
    std::string directory = std::filesystem::path(path).parent_path().string();
    return access(directory.empty() ? "." : directory.c_str(), W_OK) != 0;
}

// Write-ahead logging lets other consoles read while this one holds
// uncommitted work. The switch needs the file to itself: it waits for the
// lock as any statement does and fails with the busy error when another
// process keeps using the file. A file that cannot switch for another
// reason (read-only) keeps its journal.
bool SwitchToWal(sqlite3* db, int lockWaitSeconds, CEngineError& error) {
    if (sqlite3_db_readonly(db, "main") == 1) return true;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA journal_mode = WAL", -1, &statement, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) {
        CSqliteFailure::SetBusy(error, lockWaitSeconds);
        return false;
    }
    return true;
}

}  // namespace

void CSqliteConnection::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

CSqliteConnection::CSqliteConnection(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

CSqliteConnection::~CSqliteConnection() {
    if (InTransaction()) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
}

std::unique_ptr<CSqliteConnection> CSqliteConnection::Open(const std::string& databaseName,
                                                           CEngineError& error, int busyTimeoutMs) {
    error.Clear();
    std::string path;
    std::string why;
    if (!CDatabaseLocation::Resolve(databaseName, path, why)) {
        error.Set("cannot open the database: " + why);
        return nullptr;
    }
    std::string shown = "cannot open the database \"" + encoding::Utf8ToCp932(path) + "\": ";
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        if (rc == SQLITE_CANTOPEN && !std::filesystem::exists(path) && DirectoryIsReadOnly(path))
            CSqliteFailure::SetReadOnlyDirectory(error, path);
        else
            error.Set(shown + (db != nullptr ? ToCp932(sqlite3_errmsg(db)) : std::string("out of memory")));
        sqlite3_close_v2(db);
        return nullptr;
    }
    std::unique_ptr<CSqliteConnection> connection(new CSqliteConnection(db, path));
    sqlite3_busy_timeout(db, busyTimeoutMs);
    connection->m_lockWaitSeconds = busyTimeoutMs / 1000;
    // The first read fails on a file that is not a database or is locked.
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(db);
        if (CSqliteFailure::IsConnectionFailure(code) && (code & 0xFF) != SQLITE_CANTOPEN)
            CSqliteFailure::Describe(db, connection->m_lockWaitSeconds, path, error);
        else
            error.Set(shown + ToCp932(sqlite3_errmsg(db)));
        return nullptr;
    }
    if (!SwitchToWal(db, connection->m_lockWaitSeconds, error)) return nullptr;
    for (const char* statement : kSetupStatements)
        if (sqlite3_exec(db, statement, nullptr, nullptr, nullptr) != SQLITE_OK) {
            error.Set(shown + ToCp932(sqlite3_errmsg(db)));
            return nullptr;
        }
    connection->m_sequences = std::make_unique<CSqliteSequences>(db);
    if (!CSqliteFunctions::Register(db, &connection->m_rowNumber) || !CSqliteTextFunctions::Register(db) ||
        !connection->m_sequences->Register()) {
        error.Set(shown + "cannot register the SQL functions");
        return nullptr;
    }
    return connection;
}

bool CSqliteConnection::InTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

void CSqliteConnection::SetEngineError() {
    CSqliteFailure::Describe(m_db, m_lockWaitSeconds, m_path, m_error);
}

bool CSqliteConnection::ExecPlain(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    SetEngineError();
    return false;
}

void CSqliteConnection::Cancel() { sqlite3_interrupt(m_db); }

void CSqliteConnection::SetLockWait(int seconds) {
    m_lockWaitSeconds = seconds < 0 ? 0 : seconds;
    sqlite3_busy_timeout(m_db, m_lockWaitSeconds * 1000);
}

bool CSqliteConnection::BeginWrite() { return InTransaction() || ExecPlain("BEGIN IMMEDIATE"); }

bool CSqliteConnection::CommitWork() {
    if (!InTransaction()) return true;
    if (!ExecPlain("COMMIT")) return false;
    ++m_commits;
    return true;
}

bool CSqliteConnection::Commit() {
    m_error.Clear();
    if (m_transactionLost) {
        CSqliteFailure::SetNotCommitted(m_error);
        return false;
    }
    bool held = InTransaction();
    unsigned long commits = m_commits;
    if (CommitWork()) return true;
    NoteLostTransaction(held, commits);
    return false;
}

bool CSqliteConnection::Rollback() {
    m_error.Clear();
    m_transactionLost = false;
    return !InTransaction() || ExecPlain("ROLLBACK");
}

bool CSqliteConnection::RefuseWhileLost(StatementKind kind) {
    if (!m_transactionLost || kind == StatementKind::Rollback) return false;
    if (kind == StatementKind::Commit)
        CSqliteFailure::SetNotCommitted(m_error);
    else
        CSqliteFailure::SetTransactionLost(m_error);
    return true;
}

void CSqliteConnection::NoteLostTransaction(bool held, unsigned long commits) {
    // Note: the server undoes only the failing statement; where SQLite ends
    // the whole transaction (a full disk while pages spill, an I/O error, a
    // cancel, a ROLLBACK conflict clause) the work before it is gone, and
    // nothing after it may be committed as if it were whole.
    if (!held || commits != m_commits || InTransaction() || m_transactionLost) return;
    m_transactionLost = true;
    CSqliteFailure::AddTransactionRolledBack(m_error);
}

bool CSqliteConnection::FinishStatement() { return !m_autoCommit || CommitWork(); }

std::vector<std::string> CSqliteConnection::TakeServerOutput() {
    std::vector<std::string> lines;
    lines.swap(m_output);
    m_outputBytes = 0;
    m_outputLineOpen = false;
    return lines;
}

bool CSqliteConnection::CheckEncoding(const std::string& sql) {
    if (std::size_t at = sql.find('\0'); at != std::string::npos) {
        CSqliteFailure::SetNulInStatement(m_error, static_cast<int>(at));
        return false;
    }
    if (std::size_t at = CStatementLimits::FindOverlongRun(sql); at != std::string_view::npos) {
        CSqliteFailure::SetTooComplex(m_error, static_cast<int>(at), CStatementLimits::kMaxOperatorRun);
        return false;
    }
    std::string utf8;
    if (encoding::Cp932ToUtf8Strict(sql, utf8)) return true;
    std::size_t at = 0;
    while (at < sql.size()) {
        std::size_t length = cp932::CharLength(sql, at);
        if (!encoding::Cp932ToUtf8Strict(std::string_view(sql).substr(at, length), utf8)) break;
        at += length;
    }
    m_error.Set("the statement is not valid Shift-JIS (CP932) text at byte " + std::to_string(at),
                static_cast<int>(at));
    return false;
}

void CSqliteConnection::SetPreparedError(Piece piece, std::string_view prefix, const CSqlRewrite& rewrite,
                                         const std::string& rewritten, int utf8Offset) {
    if (CSqliteFailure::IsConnectionFailure(sqlite3_extended_errcode(m_db))) return SetEngineError();
    m_error.Set(ToCp932(sqlite3_errmsg(m_db)));
    if (utf8Offset < 0) return;
    std::size_t inRewritten = encoding::Utf8OffsetToCp932(rewritten, static_cast<std::size_t>(utf8Offset));
    std::size_t inPiece = inRewritten < prefix.size() ? 0 : rewrite.MapBack(inRewritten - prefix.size());
    m_error.position = static_cast<int>(piece.base + inPiece);
}

bool CSqliteConnection::Prepare(Piece piece, std::string_view prefix, const std::vector<CEngineBind>& binds,
                                Statement& out) {
    m_rowNumber = 0;
    CSqlRewrite rewrite = COracleDialect::Translate(piece.text);
    std::string rewritten = std::string(prefix) + rewrite.Text();
    std::string utf8 = encoding::Cp932ToUtf8(rewritten);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db, utf8.c_str(), static_cast<int>(utf8.size()), &raw, &tail);
    out.reset(raw);
    if (rc != SQLITE_OK) {
        SetPreparedError(piece, prefix, rewrite, rewritten, sqlite3_error_offset(m_db));
        return false;
    }
    if (raw == nullptr) {
        m_error.Set("there is no statement to run", static_cast<int>(piece.base));
        return false;
    }
    return CheckTail(piece, prefix, rewrite, rewritten, utf8, tail) && Bind(piece, binds, raw);
}

bool CSqliteConnection::CheckTail(Piece piece, std::string_view prefix, const CSqlRewrite& rewrite,
                                  const std::string& rewritten, const std::string& utf8, const char* tail) {
    auto tailOffset = static_cast<std::size_t>(tail - utf8.c_str());
    std::string_view rest = std::string_view(utf8).substr(tailOffset);
    for (const auto& token : CSqlScanner::Significant(rest)) {
        if (token.kind == CSqlScanner::Kind::Symbol && rest[token.begin] == ';') continue;
        std::size_t inRewritten = encoding::Utf8OffsetToCp932(rewritten, tailOffset + token.begin);
        std::size_t inPiece = inRewritten < prefix.size() ? 0 : rewrite.MapBack(inRewritten - prefix.size());
        m_error.Set("only one statement can be run at a time", static_cast<int>(piece.base + inPiece));
        return false;
    }
    return true;
}

bool CSqliteConnection::Bind(Piece piece, const std::vector<CEngineBind>& binds, sqlite3_stmt* statement) {
    int count = sqlite3_bind_parameter_count(statement);
    for (int index = 1; index <= count; ++index) {
        const char* marker = sqlite3_bind_parameter_name(statement, index);
        if (marker == nullptr || marker[0] != ':') {
            m_error.Set(std::string("unsupported bind marker \"") +
                        (marker ? ToCp932(marker) : std::string("?")) +
                        "\": bind variables are written :NAME");
            return false;
        }
        std::string name = ToCp932(marker + 1);
        const CEngineBind* bind = FindBind(binds, name);
        if (bind == nullptr) {
            m_error.Set("bind variable \"" + name + "\" is not declared",
                        static_cast<int>(piece.base + BindPosition(piece.text, name)));
            return false;
        }
        if (bind->value.find('\0') != std::string::npos) {
            CSqliteFailure::SetNulInBind(m_error, name);
            return false;
        }
        std::int64_t integer = 0;
        double number = 0;
        std::string utf8;
        int rc = SQLITE_OK;
        // Note: as on the server, an empty text is NULL.
        if (bind->isNull || bind->value.empty()) {
            rc = sqlite3_bind_null(statement, index);
        } else if (bind->serverType == servertype::kNumber &&
                   CValueText::ParseInteger(bind->value, integer)) {
            rc = sqlite3_bind_int64(statement, index, integer);
        } else if (bind->serverType == servertype::kNumber && CValueText::ParseNumber(bind->value, number)) {
            rc = sqlite3_bind_double(statement, index, number);
        } else if (encoding::Cp932ToUtf8Strict(bind->value, utf8)) {
            rc = sqlite3_bind_text(statement, index, utf8.c_str(), static_cast<int>(utf8.size()),
                                   SQLITE_TRANSIENT);
        } else {
            m_error.Set("the value of bind variable \"" + name + "\" is not valid Shift-JIS (CP932) text");
            return false;
        }
        if (rc != SQLITE_OK) {
            SetEngineError();
            return false;
        }
    }
    return true;
}

bool CSqliteConnection::SetStepError() {
    SetEngineError();
    return false;
}

bool CSqliteConnection::RunStatement(Piece piece, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    Statement statement;
    if (!Prepare(piece, {}, binds, statement)) return false;
    bool started = !InTransaction();
    if (sqlite3_stmt_readonly(statement.get()) == 0 && !BeginWrite()) return false;
    long rows = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) ++rows;
    if (rc != SQLITE_DONE) {
        SetStepError();
        // Note: a transaction begun for this statement alone holds nothing.
        statement.reset();
        if (started && InTransaction()) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    bool changes = sqlite3_column_count(statement.get()) == 0 && sqlite3_stmt_readonly(statement.get()) == 0;
    rowsProcessed += changes ? static_cast<long>(sqlite3_changes64(m_db)) : rows;
    return true;
}

bool CSqliteConnection::RunDdl(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    if (!CommitWork()) return false;
    Statement statement;
    if (!Prepare(Piece{sql, 0}, {}, binds, statement)) return false;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) return SetStepError();
    if (CStatementClassifier::Classify(sql) == StatementKind::Truncate)
        rowsProcessed = static_cast<long>(sqlite3_changes64(m_db));
    return true;
}

bool CSqliteConnection::RunSequence(const std::string& sql, StatementKind kind) {
    if (!CommitWork()) return false;
    return kind == StatementKind::CreateSequence ? m_sequences->Create(sql, m_error)
                                                 : m_sequences->Drop(sql, m_error);
}

bool CSqliteConnection::RunReplace(const std::string& sql, std::vector<CEngineBind>& binds,
                                   long& rowsProcessed) {
    if (!CommitWork() || !BeginWrite()) return false;
    std::string drop = COracleDialect::DropBeforeReplace(sql);
    bool ok = ExecPlain(drop.c_str());
    if (ok) {
        Statement statement;
        ok = Prepare(Piece{sql, 0}, {}, binds, statement) &&
             (sqlite3_step(statement.get()) == SQLITE_DONE || SetStepError());
    }
    if (!ok) {
        CEngineError failure = m_error;
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_error = failure;
        return false;
    }
    rowsProcessed = 0;
    return CommitWork();
}

bool CSqliteConnection::Execute(const std::string& sql, std::vector<CEngineBind>& binds,
                                long& rowsProcessed) {
    m_error.Clear();
    rowsProcessed = 0;
    if (!CheckEncoding(sql)) return false;
    StatementKind kind = CStatementClassifier::Classify(sql);
    if (RefuseWhileLost(kind)) return false;
    if (kind == StatementKind::Commit) return Commit();
    if (kind == StatementKind::Rollback) return Rollback();
    bool held = InTransaction();
    unsigned long commits = m_commits;
    if (RunKind(sql, kind, binds, rowsProcessed)) return true;
    NoteLostTransaction(held, commits);
    return false;
}

bool CSqliteConnection::RunKind(const std::string& sql, StatementKind kind, std::vector<CEngineBind>& binds,
                                long& rowsProcessed) {
    if (const Refusal* refusal = FindRefusal(kind)) {
        std::string_view words = CStatementClassifier::MatchedWords(sql);
        m_error.Set(std::string("not supported on the embedded database: ") +
                        (refusal->showWords ? std::string(words) : std::string()) + refusal->note,
                    static_cast<int>(words.empty() ? 0 : words.data() - sql.data()));
        return false;
    }
    if (std::size_t at = COracleDialect::TriggerAssignment(sql); at != std::string_view::npos) {
        m_error.Set(
            "not supported on the embedded database: assignments in triggers (a trigger may run INSERT, "
            "UPDATE, DELETE and SELECT)",
            static_cast<int>(at));
        return false;
    }
    bool ok = false;
    switch (kind) {
        case StatementKind::Block:
            ok = RunBlock(sql, binds, rowsProcessed);
            break;
        case StatementKind::Commit:
            return Commit();
        case StatementKind::Rollback:
            return Rollback();
        case StatementKind::Ddl:
        case StatementKind::Truncate:
            return RunDdl(sql, binds, rowsProcessed);
        case StatementKind::ReplaceObject:
            return RunReplace(sql, binds, rowsProcessed);
        case StatementKind::CreateSequence:
        case StatementKind::DropSequence:
            return RunSequence(sql, kind);
        default:
            ok = RunStatement(Piece{sql, 0}, binds, rowsProcessed);
            break;
    }
    return ok && FinishStatement();
}

bool CSqliteConnection::Query(const std::string& sql, std::vector<CEngineBind>& binds,
                              CEngineResult& result) {
    m_error.Clear();
    result.Clear();
    if (!CheckEncoding(sql)) return false;
    if (m_transactionLost) {
        CSqliteFailure::SetTransactionLost(m_error);
        return false;
    }
    bool held = InTransaction();
    unsigned long commits = m_commits;
    if (RunQuery(sql, binds, result)) return true;
    NoteLostTransaction(held, commits);
    return false;
}

bool CSqliteConnection::PrepareQuery(const std::string& sql, std::vector<CEngineBind>& binds,
                                     Statement& statement, std::vector<CSelectList::Item>& items) {
    if (!Prepare(Piece{sql, 0}, {}, binds, statement)) return false;
    if (sqlite3_column_count(statement.get()) == 0 || sqlite3_stmt_readonly(statement.get()) == 0) {
        m_error.Set("the statement is not a query", 0);
        return false;
    }
    items = CSelectList::Parse(sql);
    if (items.size() != static_cast<std::size_t>(sqlite3_column_count(statement.get()))) items.clear();
    return true;
}

bool CSqliteConnection::RunQuery(const std::string& sql, std::vector<CEngineBind>& binds,
                                 CEngineResult& result) {
    Statement statement;
    std::vector<CSelectList::Item> items;
    if (!PrepareQuery(sql, binds, statement, items)) return false;
    std::string error;
    if (CSqliteResultReader::Read(m_db, statement.get(), items, result, error)) return true;
    m_error.Set(error);
    return false;
}

std::unique_ptr<CEngineCursor> CSqliteConnection::OpenCursor(const std::string& sql,
                                                             std::vector<CEngineBind>& binds,
                                                             CursorMode mode) {
    m_error.Clear();
    if (!CheckEncoding(sql)) return nullptr;
    if (m_transactionLost) {
        CSqliteFailure::SetTransactionLost(m_error);
        return nullptr;
    }
    const bool held = InTransaction();
    const unsigned long commits = m_commits;
    Statement statement;
    std::vector<CSelectList::Item> items;
    if (!PrepareQuery(sql, binds, statement, items)) {
        NoteLostTransaction(held, commits);
        return nullptr;
    }
    auto onFailure = [this, held, commits](CEngineError& error) {
        m_error = error;
        NoteLostTransaction(held, commits);
        error = m_error;
    };
    std::unique_ptr<CEngineCursor> cursor = CSqliteCursor::Open(
        m_db, statement.release(), items, mode == CursorMode::DescribeOnly, std::move(onFailure));
    // Note: a column described by its values needs the whole result first.
    return cursor != nullptr ? std::move(cursor) : CEngineConnection::OpenCursor(sql, binds, mode);
}

bool CSqliteConnection::RunBlock(const std::string& sql, std::vector<CEngineBind>& binds,
                                 long& rowsProcessed) {
    std::vector<CPlsqlBlock::Step> steps;
    if (!CPlsqlBlock::Parse(sql, steps, m_error)) return false;
    bool writes = false;
    for (const auto& step : steps)
        if (step.kind == CPlsqlBlock::StepKind::Dml) writes = true;
    bool started = !InTransaction();
    if (writes && (!BeginWrite() || !ExecPlain(kBlockSavepoint))) return false;
    std::vector<CEngineBind> work = binds;
    if (!RunBlockSteps(sql, steps, work, rowsProcessed)) {
        if (writes) UndoBlock(started);
        rowsProcessed = 0;
        return false;
    }
    if (writes && !ExecPlain(kBlockRelease)) return false;
    binds = std::move(work);
    return true;
}

void CSqliteConnection::UndoBlock(bool transactionStarted) {
    CEngineError failure = m_error;
    // Note: a transaction begun for the block alone is ended, so that it
    // holds no write lock.
    const char* undo[] = {kBlockRollback, kBlockRelease, transactionStarted ? "ROLLBACK" : nullptr};
    for (const char* statement : undo)
        if (statement != nullptr && InTransaction()) sqlite3_exec(m_db, statement, nullptr, nullptr, nullptr);
    m_error = failure;
}

bool CSqliteConnection::RunBlockSteps(const std::string& sql, const std::vector<CPlsqlBlock::Step>& steps,
                                      std::vector<CEngineBind>& work, long& rowsProcessed) {
    using StepKind = CPlsqlBlock::StepKind;
    std::string_view text(sql);
    for (const auto& step : steps) {
        Piece statement{text.substr(step.begin, step.length), step.begin};
        Piece expression{text.substr(step.expressionBegin, step.expressionLength), step.expressionBegin};
        std::string value;
        bool isNull = true;
        bool isNumber = false;
        bool ok = true;
        switch (step.kind) {
            case StepKind::Null:
                break;
            case StepKind::Dml:
                ok = RunStatement(statement, work, rowsProcessed);
                break;
            case StepKind::Assign:
                ok = Evaluate(expression, work, value, isNull, isNumber) &&
                     Assign(step.target, step.begin, value, isNull, isNumber, work);
                break;
            case StepKind::OutputEnable:
                m_outputEnabled = true;
                break;
            case StepKind::OutputDisable:
                m_outputEnabled = false;
                TakeServerOutput();
                break;
            case StepKind::OutputPutLine:
            case StepKind::OutputPut:
                ok = Evaluate(expression, work, value, isNull, isNumber) &&
                     AppendOutput(value, step.kind == StepKind::OutputPutLine);
                break;
            case StepKind::OutputNewLine:
                ok = AppendOutput({}, true);
                break;
        }
        if (!ok) return false;
    }
    return true;
}

bool CSqliteConnection::Evaluate(Piece expression, const std::vector<CEngineBind>& binds, std::string& value,
                                 bool& isNull, bool& isNumber) {
    Statement statement;
    if (!Prepare(expression, kSelectPrefix, binds, statement)) return false;
    int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE) return SetStepError();
        m_error.Set("the expression gives no value", static_cast<int>(expression.base));
        return false;
    }
    isNull = !CSqliteResultReader::ValueText(statement.get(), 0, value, isNumber);
    // Note: a date becomes text in the server's date format, as when the
    // server converts a DATE for a text variable or for output.
    if (!isNull && !isNumber && CValueText::IsStoredDate(value)) {
        auto items = CSelectList::Parse(std::string(kSelectPrefix) + std::string(expression.text));
        if (items.empty() || !items[0].textConversion) value = CValueText::ShowDate(value);
    }
    return true;
}

bool CSqliteConnection::Assign(const std::string& target, std::size_t position, const std::string& value,
                               bool isNull, bool isNumber, std::vector<CEngineBind>& binds) {
    CEngineBind* bind = FindBind(binds, target);
    if (bind == nullptr) {
        m_error.Set("bind variable \"" + target + "\" is not declared", static_cast<int>(position));
        return false;
    }
    std::string text = value;
    double number = 0;
    std::int64_t integer = 0;
    if (!isNull && bind->serverType == servertype::kNumber && !isNumber) {
        if (CValueText::ParseInteger(value, integer))
            text = CValueText::FromInteger(integer);
        else if (CValueText::ParseNumber(value, number))
            text = CValueText::FromDouble(number);
        else {
            m_error.Set("numeric or value error: \"" + value + "\" is not a number",
                        static_cast<int>(position));
            return false;
        }
    }
    bind->value = isNull ? std::string() : text;
    bind->isNull = isNull;
    bind->assigned = true;
    return true;
}

bool CSqliteConnection::AppendOutput(const std::string& text, bool endLine) {
    if (!m_outputEnabled) return true;
    if (m_outputBytes + text.size() > kOutputLimit) {
        m_error.Set("DBMS_OUTPUT buffer overflow, limit of " + std::to_string(kOutputLimit) + " bytes");
        return false;
    }
    m_outputBytes += text.size();
    if (!m_outputLineOpen) m_output.emplace_back();
    m_output.back() += text;
    m_outputLineOpen = !endLine;
    return true;
}
