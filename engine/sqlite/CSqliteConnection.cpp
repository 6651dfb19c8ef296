#include "engine/sqlite/CSqliteConnection.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

#include "engine/sqlite/CAsSelectList.h"
#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CCheckUpgrade.h"
#include "engine/sqlite/CColumnCatalog.h"
#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CColumnOptions.h"
#include "engine/sqlite/CConstraintCatalog.h"
#include "engine/sqlite/CConstraintLock.h"
#include "engine/sqlite/CDatabaseLocation.h"
#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/CForeignKeyName.h"
#include "engine/sqlite/CForeignKeyProbe.h"
#include "engine/sqlite/CHousekeeping.h"
#include "engine/sqlite/CJoinView.h"
#include "engine/sqlite/CMultiTableInsert.h"
#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/CNestedTables.h"
#include "engine/sqlite/CObjectFeatures.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CPrivateTable.h"
#include "engine/sqlite/CRawUpgrade.h"
#include "engine/sqlite/CReadOnlyTable.h"
#include "engine/sqlite/CReturningInto.h"
#include "engine/sqlite/CSchemaText.h"
#include "engine/sqlite/CSelectList.h"
#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqlParser.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteCursor.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/CSqliteFailure.h"
#include "engine/sqlite/CSqliteFunctions.h"
#include "engine/sqlite/CSqliteName.h"
#include "engine/sqlite/CSqliteResultReader.h"
#include "engine/sqlite/CSqliteSchema.h"
#include "engine/sqlite/CSqliteSequences.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/CSqliteSynonyms.h"
#include "engine/sqlite/CSqliteSystemViews.h"
#include "engine/sqlite/CSqliteTextFunctions.h"
#include "engine/sqlite/CSqliteValueFunctions.h"
#include "engine/sqlite/CStatementClassifier.h"
#include "engine/sqlite/CStatementLimits.h"
#include "engine/sqlite/CTableOptions.h"
#include "engine/sqlite/CTableOrganization.h"
#include "engine/sqlite/CTableText.h"
#include "engine/sqlite/CTerritoryFormat.h"
#include "engine/sqlite/CTimestampText.h"
#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/CUnusedColumns.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/CWithPlsqlRule.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/plsql/CBlockHost.h"
#include "engine/sqlite/plsql/CPlsqlSession.h"
#include "engine/sqlite/plsql/CTriggerFiring.h"
#include "engine/sqlite/plsql/CUnitCatalog.h"
#include "engine/sqlite/plsql/CWithDeclarations.h"
#include "engine/sqlite/values/CCharacterFunctions.h"
#include "engine/sqlite/values/CConversionFallback.h"
#include "engine/sqlite/values/CFloatFunctions.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "engine/sqlite/values/CIntervalFunctions.h"
#include "engine/sqlite/values/CJsonDot.h"
#include "engine/sqlite/values/CJsonFunctions.h"
#include "engine/sqlite/values/CJsonSerializer.h"
#include "engine/sqlite/values/CMathFunctions.h"
#include "engine/sqlite/values/CNumberDecimal.h"
#include "engine/sqlite/values/CNumberFunctions.h"
#include "engine/sqlite/values/CRandomFunctions.h"
#include "engine/sqlite/values/CRawFunctions.h"
#include "engine/sqlite/values/CRegexpFunctions.h"
#include "engine/sqlite/values/CSingleRow.h"
#include "engine/sqlite/values/CStatisticFunctions.h"
#include "engine/sqlite/values/CWidthFunctions.h"
#include "engine/sqlite/values/CZoneFunctions.h"
#include "engine/sqlite/warehouse/CWarehouseState.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// DBMS_OUTPUT's buffer: its default, least and greatest limits in bytes.
constexpr long long kOutputDefault = 20000;
constexpr long long kOutputMinimum = 2000;
constexpr long long kOutputMaximum = 1000000;

// The server's code of "created with compilation errors".
constexpr int kCompiledWithErrors = 24344;

constexpr const char* kSetupStatements[] = {
    "PRAGMA foreign_keys = ON",
    // Note: LIKE tells case apart, as on the server.
    "PRAGMA case_sensitive_like = ON",
    "CREATE TEMP TABLE IF NOT EXISTS DUAL (DUMMY VARCHAR2(1))",
    "INSERT INTO temp.DUAL SELECT 'X' WHERE NOT EXISTS (SELECT 1 FROM temp.DUAL)",
    CPrivateTable::kCreateList,
};

// Statements the embedded engine refuses, by kind.
struct Refusal {
    StatementKind kind;
    bool showWords;
    const char* note;
};

constexpr Refusal kRefusals[] = {
    {StatementKind::StoredCode, true, ""},
    {StatementKind::NoPrivileges, true, ""},
    {StatementKind::Unsupported, true, ""},
};

COraError::Action ActionOf(std::string_view sql) {
    auto tokens = CSqlScanner::Significant(sql);
    if (tokens.empty()) return COraError::Action::Other;
    if (CSqlScanner::Is(sql, tokens[0], "INSERT")) return COraError::Action::Insert;
    if (CSqlScanner::Is(sql, tokens[0], "UPDATE")) return COraError::Action::Update;
    if (CSqlScanner::Is(sql, tokens[0], "DELETE")) return COraError::Action::Delete;
    return COraError::Action::Other;
}

// CREATE [OR REPLACE] [[NO]FORCE] VIEW [schema.]name [(columns)] AS query:
// the token of its name and where its query starts; `query` 0 when the
// statement is no view.
struct ViewHead {
    std::size_t name = 0;
    std::size_t query = 0;
    bool force = false;
};

ViewHead ReadViewHead(std::string_view text, const std::vector<CSqlScanner::Token>& tokens) {
    std::size_t k = 0;
    auto is = [&](std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(text, tokens[k], word);
    };
    auto symbol = [&](char c) { return k < tokens.size() && CSqlScanner::IsSymbol(text, tokens[k], c); };
    if (!is("CREATE")) return {};
    ++k;
    if (is("OR")) k += 2;
    const bool force = is("FORCE");
    if (force || is("NOFORCE")) ++k;
    if (!is("VIEW")) return {};
    ViewHead head;
    head.force = force;
    head.name = ++k;
    ++k;
    if (symbol('.')) {
        head.name = ++k;
        ++k;
    }
    if (symbol('(')) {
        for (int depth = 0; k < tokens.size(); ++k) {
            if (symbol('(')) ++depth;
            if (symbol(')') && --depth == 0) break;
        }
        ++k;
    }
    if (is("AS")) head.query = k + 1;
    return head;
}

std::size_t ViewQueryStart(std::string_view text, const std::vector<CSqlScanner::Token>& tokens) {
    return ReadViewHead(text, tokens).query;
}

// CREATE [GLOBAL TEMPORARY | TEMP] TABLE.
bool CreatesTable(std::string_view text, const std::vector<CSqlScanner::Token>& tokens) {
    std::size_t k = 1;
    auto is = [&](std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(text, tokens[k], word);
    };
    if (tokens.empty() || !CSqlScanner::Is(text, tokens[0], "CREATE")) return false;
    if (is("GLOBAL")) k += 2;
    if (is("TEMP")) ++k;
    return is("TABLE");
}

// The options at the end of CREATE VIEW (WITH READ ONLY, WITH CHECK OPTION,
// either with CONSTRAINT name), taken off `tokens`; the view's name and its
// query as written.
CCatalogTables::View ViewOptions(std::string_view text, std::vector<CSqlScanner::Token>& tokens,
                                 ViewHead head) {
    const std::size_t queryStart = head.query;
    CCatalogTables::View view;
    auto word = [&](std::size_t k) {
        return k < tokens.size() ? cp932::ToUpperAscii(text.substr(tokens[k].begin, tokens[k].length))
                                 : std::string();
    };
    if (!tokens.empty() && CSqlScanner::IsSymbol(text, tokens.back(), ';')) tokens.pop_back();
    std::size_t end = tokens.size();
    std::string constraint;
    if (end >= 2 && word(end - 2) == "CONSTRAINT") {
        constraint = std::string(text.substr(tokens[end - 1].begin, tokens[end - 1].length));
        end -= 2;
    }
    if (end >= 3 && word(end - 3) == "WITH" && word(end - 2) == "READ" && word(end - 1) == "ONLY") {
        view.readOnly = true;
    } else if (end >= 3 && word(end - 3) == "WITH" && word(end - 2) == "CHECK" && word(end - 1) == "OPTION") {
        view.checkOption = true;
    } else {
        end = tokens.size() + 3;
        constraint.clear();
    }
    end -= 3;
    tokens.resize(end);
    auto name = [](std::string_view written) {
        return written.size() >= 2 && written.front() == '"'
                   ? std::string(written.substr(1, written.size() - 2))
                   : cp932::ToUpperAscii(written);
    };
    view.constraint = encoding::Cp932ToUtf8(name(constraint));
    const auto& nameToken = tokens[head.name];
    view.name = encoding::Cp932ToUtf8(name(text.substr(nameToken.begin, nameToken.length)));
    if (end > queryStart) {
        std::size_t from = tokens[queryStart].begin;
        view.text = encoding::Cp932ToUtf8(
            CTypedText::Typed(text.substr(from, tokens[end - 1].begin + tokens[end - 1].length - from)));
    }
    return view;
}

const Refusal* FindRefusal(StatementKind kind) {
    for (const Refusal& refusal : kRefusals)
        if (refusal.kind == kind) return &refusal;
    return nullptr;
}

const CEngineBind* FindBind(const std::vector<CEngineBind>& binds, const std::string& name) {
    for (const CEngineBind& bind : binds)
        if (bind.name == name) return &bind;
    return nullptr;
}

// The binds of a floating type, by name, with their widths.
std::map<std::string, int> FloatBindWidths(const std::vector<CEngineBind>& binds) {
    std::map<std::string, int> widths;
    for (const CEngineBind& bind : binds)
        if (int width = servertype::FloatBytes(bind.serverType); width != 0) widths.emplace(bind.name, width);
    return widths;
}

// A number bind a double holds exactly; longer ones are bound as their
// digits, which the column's rules read exactly.
bool HeldByDouble(const std::string& text) {
    CNumberDecimal number;
    double real = 0;
    return !CNumberDecimal::FromText(text, number) || number.ToDouble(real);
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

CSqliteConnection::CSqliteConnection(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {}

CSqliteConnection::~CSqliteConnection() {
    m_shapes.Clear();
    // Note: the close ends whatever a failed rollback leaves, uncommitted.
    if (InTransaction()) sqliteapi::Undo(m_db, "ROLLBACK");
    // Note: the session's private temporary tables leave nothing in the file's catalog.
    for (auto& table : m_privateTables) table.second = true;
    if (m_catalog) EndPrivateTables(true);
    sqlite3_close_v2(m_db);
}

std::unique_ptr<CSqliteConnection> CSqliteConnection::Open(const std::string& databaseName,
                                                           CEngineError& error, int busyTimeoutMs,
                                                           const std::string& user) {
    error.Clear();
    std::string path;
    std::string why;
    if (!CDatabaseLocation::Resolve(databaseName, path, why)) {
        COraError::Set(error, 1157, {databaseName, why});
        return nullptr;
    }
    std::string shown = encoding::Utf8ToCp932(path);
    // Note: SQLite's reasons are told in the server's words.
    auto fail = [&](sqlite3* handle) {
        int rc = handle != nullptr ? sqlite3_errcode(handle) : SQLITE_NOMEM;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            COraError::Set(error, 54);
        else
            COraError::Set(
                error, 1157,
                {shown, encoding::Utf8ToCp932(rc == SQLITE_NOTADB ? "ファイルがデータベースではありません。"
                                                                  : "ファイルを開けません。")});
        return nullptr;
    };
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        if (rc == SQLITE_CANTOPEN && !std::filesystem::exists(path) && DirectoryIsReadOnly(path))
            CSqliteFailure::SetReadOnlyDirectory(error, path);
        else
            fail(db);
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
            fail(db);
        return nullptr;
    }
    if (!SwitchToWal(db, connection->m_lockWaitSeconds, error)) return nullptr;
    for (const char* statement : kSetupStatements)
        if (sqlite3_exec(db, statement, nullptr, nullptr, nullptr) != SQLITE_OK) return fail(db);
    CEngineError install;
    const int version = CCatalogTables::Version(db);
    // Note: a new file (or one of an older catalog) gets every table of the
    // catalog in one transaction: one write to the disk instead of one per
    // table.
    const bool setUp = version < CCatalogTables::kVersion && sqlite3_db_readonly(db, "main") != 1 &&
                       sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    auto failSetUp = [&](sqlite3* handle) {
        auto none = fail(handle);
        if (setUp) sqliteapi::Undo(handle, "ROLLBACK");
        return none;
    };
    if (!CCatalogTables::Install(db, install)) return failSetUp(db);
    CCatalogTables::OpenTemporary(db, connection->m_deleteOnCommit);
    connection->m_sequences = std::make_unique<CSqliteSequences>(db);
    connection->m_session = std::make_unique<CSqliteSession>();
    connection->m_session->user = cp932::ToUpper(user);
    connection->m_session->database = databaseName.empty() ? "DEFAULT" : cp932::ToUpper(databaseName);
    connection->m_catalog = std::make_unique<CSqliteCatalog>(db);
    connection->m_warehouse = std::make_unique<CWarehouseState>();
    connection->m_plsql = std::make_unique<CPlsqlSession>();
    if (!CSqliteFunctions::Register(db, &connection->m_rowNumber, connection->m_session.get()) ||
        !CSqliteTextFunctions::Register(db) || !CNumberFunctions::Register(db) ||
        !CRegexpFunctions::Register(db) || !CMathFunctions::Register(db) || !CFloatFunctions::Register(db) ||
        !CStatisticFunctions::Register(db) || !CCharacterFunctions::Register(db) ||
        !CWidthFunctions::Register(db) || !CRawFunctions::Register(db) || !CJsonFunctions::Register(db) ||
        !CJsonDot::Register(db) || !CJsonSerializer::Register(db) || !CIntervalFunctions::Register(db) ||
        !CConversionFallback::Register(db) || !CSingleRow::Register(db) || !CRandomFunctions::Register(db) ||
        !CPartitionFunctions::Register(db, connection->m_warehouse.get()) ||
        !CSqliteValueFunctions::Register(db, connection->m_session.get()) ||
        !CZoneFunctions::Register(db, connection->m_session.get()) || !CSqliteDictionary::Install(db) ||
        !CSqliteSystemViews::Register(db, connection->m_session.get()) ||
        !connection->m_sequences->Register() || !CUnitCatalog::Install(db) ||
        !CJoinView::Register(db, *connection->m_catalog))
        return failSetUp(db);
    if (setUp && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return failSetUp(db);
    CBlockHost::RegisterFunctions(*connection);
    // Note: a file whose CHECK constraints SQLite read as written has them
    // compiled once; one that cannot be (its table busy) stays as it was.
    if (version < CCatalogTables::kChecksCompiled) CCheckUpgrade::Run(db, *connection->m_catalog, install);
    // Note: so are the RAW columns of a file that gave them numeric affinity.
    if (version < CCatalogTables::kRawText) CRawUpgrade::Run(db, *connection->m_catalog, install);
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

void CSqliteConnection::Cancel() {
    m_cancelRequested = true;
    sqlite3_interrupt(m_db);
}

void CSqliteConnection::SetLockWait(int seconds) {
    m_lockWaitSeconds = seconds < 0 ? 0 : seconds;
    sqlite3_busy_timeout(m_db, m_lockWaitSeconds * 1000);
}

bool CSqliteConnection::BeginWrite() { return InTransaction() || ExecPlain("BEGIN IMMEDIATE"); }

bool CSqliteConnection::CommitWork() {
    m_readOnlyTransaction = false;
    // Note: making a private temporary table ends none.
    if (!m_creatingPrivate) EndPrivateTables(true);
    if (!InTransaction()) return true;
    if (!RefreshOnCommit() || !m_objectTimes.BeforeCommit(m_db, m_error)) return false;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        // A deferred foreign key still broken at COMMIT: the server rolls
        // the whole transaction back and says so; the session goes on.
        bool deferred = sqlite3_extended_errcode(m_db) == SQLITE_CONSTRAINT_FOREIGNKEY && InTransaction();
        SetEngineError();
        if (!deferred) return false;
        CEngineError cause = m_error;
        COraError::Translate(cause, COraError::Action::Insert);
        // Note: the key is named while the rows that broke it are still there.
        if (const std::string key = CForeignKeyProbe::FirstBroken(m_db);
            !key.empty() && (cause.code == 2291 || cause.code == 2292))
            COraError::Set(cause, cause.code, {encoding::Utf8ToCp932(key)}, 0);
        if (!ExecPlain("ROLLBACK")) return false;
        m_error = cause;
        CSqliteFailure::AddDeferredRollback(m_error);
        // Note: the transaction ended, as a commit ends it, not lost.
        ++m_commits;
        return false;
    }
    ++m_commits;
    // The rows of temporary tables ON COMMIT DELETE ROWS go with the commit.
    for (const std::string& table : m_deleteOnCommit)
        sqlite3_exec(m_db, ("DELETE FROM temp." + table).c_str(), nullptr, nullptr, nullptr);
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
    Finish(false, {});
    NoteLostTransaction(held, commits);
    return false;
}

bool CSqliteConnection::Rollback() {
    m_error.Clear();
    m_readOnlyTransaction = false;
    EndPrivateTables(true);
    // Note: work a failed rollback leaves must never be committed.
    if (InTransaction() && !ExecPlain("ROLLBACK")) {
        m_transactionLost = m_transactionLost || InTransaction();
        return Finish(false, {});
    }
    m_transactionLost = false;
    return true;
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

// Note: a quote left open runs to the end of the statement; the server
// names it rather than the words it swallowed.
bool CSqliteConnection::CheckQuotes(const std::string& sql) {
    // Note: closed literals and names hold their quotes in pairs; only an
    // odd count (or a quote in a comment or a q'...' literal) is read further.
    if (std::count(sql.begin(), sql.end(), '\'') % 2 == 0 &&
        std::count(sql.begin(), sql.end(), '"') % 2 == 0) {
        bool alternative = false;
        for (std::size_t k = sql.find('\''); k != std::string::npos && !alternative;
             k = sql.find('\'', k + 1))
            alternative = k > 0 && (sql[k - 1] | 0x20) == 'q';
        if (!alternative) return true;
    }
    const std::vector<CSqlScanner::Token> tokens = CSqlScanner::Tokenize(sql);
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) {
        if (token->kind == CSqlScanner::Kind::Space || token->kind == CSqlScanner::Kind::Comment) continue;
        if (token->begin + token->length != sql.size()) return true;
        const std::string_view written = std::string_view(sql).substr(token->begin, token->length);
        if (CSqlScanner::IsClosed(written, token->kind)) return true;
        COraError::Set(m_error, token->kind == CSqlScanner::Kind::QuotedName ? 1740 : 1756, {},
                       static_cast<int>(token->begin));
        return false;
    }
    return true;
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
    if (!CheckQuotes(sql)) return false;
    if (encoding::IsCp932(sql)) return true;
    std::string utf8;
    std::size_t at = 0;
    while (at < sql.size()) {
        std::size_t length = cp932::CharLength(sql, at);
        if (!encoding::Cp932ToUtf8Strict(std::string_view(sql).substr(at, length), utf8)) break;
        at += length;
    }
    COraError::Set(m_error, 29275, {std::to_string(at)}, static_cast<int>(at));
    return false;
}

void CSqliteConnection::SetPreparedError(Piece piece, const CTableText& table, int utf8Offset) {
    if (CSqliteFailure::IsConnectionFailure(sqlite3_extended_errcode(m_db))) return SetEngineError();
    // Note: SQLite's error is placed where it points, else at the table's name.
    std::size_t at = table.NameAt();
    if (utf8Offset >= 0)
        at = table.Origin(encoding::Utf8OffsetToCp932(table.Text(), static_cast<std::size_t>(utf8Offset)));
    m_error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)), static_cast<int>(piece.base + at));
}

std::string CSqliteConnection::ShowTimestamp(const std::string& stored, int digits) const {
    std::string_view local;
    std::string_view zone;
    const bool zoned = CTimeZone::Split(stored, local, zone);
    const std::string& format = zoned ? m_session->timestampTzFormat : m_session->timestampFormat;
    if (format == (zoned ? CSqliteSession::kTimestampTzFormat : CSqliteSession::kTimestampFormat)) return "";
    std::string out;
    if (!CTimestampText::Show(stored, format, digits, m_session->timeZone, m_session->dateLanguage, out))
        return "";
    return encoding::Utf8ToCp932(out);
}

std::string CSqliteConnection::ShowDate(const std::string& stored) const {
    CDateTime value;
    std::string out;
    std::string error;
    if (!CDateFormat::ParseStored(stored, value) ||
        !CDateFormat::Format(value, m_session->dateFormat, out, error, m_session->dateLanguage))
        return stored;
    return encoding::Utf8ToCp932(out);
}

void CSqliteConnection::SetEmitError(const CSqlEmitter::Failure& failure, int position) {
    const auto& a = failure.args;
    // Note: these name their object with its owner, the session's user.
    if (failure.code == 12081 || failure.code == 1502)
        return COraError::Set(m_error, failure.code, {m_session->user, failure.name}, position);
    if (a.size() >= 2)
        COraError::Set(m_error, failure.code, {failure.name, a[0], a[1]}, position);
    else
        COraError::Set(m_error, failure.code, {failure.name}, position);
}

bool CSqliteConnection::Compile(Piece piece, std::string& compiled,
                                std::vector<CSqlEmitter::LiteralSlot>* slots, bool* allLiterals,
                                const std::vector<CEngineBind>* binds) {
    auto tokens = CSqlScanner::Significant(piece.text);
    if (tokens.empty()) return true;
    ViewHead head = ReadViewHead(piece.text, tokens);
    std::size_t viewStart = head.query;
    std::string_view first = piece.text.substr(tokens[0].begin, tokens[0].length);
    bool dml = false;
    for (std::string_view word : {"SELECT", "WITH", "INSERT", "UPDATE", "DELETE", "MERGE", "("})
        dml = dml || CSqlScanner::Is(piece.text, tokens[0], word);
    if (!dml && viewStart == 0) return true;
    (void)first;
    if (bool handled = false; viewStart == 0 && slots == nullptr) {
        bool ok = CompileDeclared(piece, compiled, binds, handled);
        if (handled) return ok;
    }
    CSqliteDictionary::Prepare(m_db, piece.text);
    std::optional<CCatalogTables::View> view;
    if (viewStart > 0) view = ViewOptions(piece.text, tokens, head);
    CSqlArena arena;
    CSqlParser parser(piece.text, tokens, arena);
    CSqlParser::Failure failure;
    CSqlStatement statement;
    bool parsed = viewStart > 0 ? parser.ParseQuery(viewStart, statement.query, failure)
                                : parser.Parse(statement, failure);
    if (!parsed) {
        // Note: a query or DML statement the parser does not take is refused
        // here; nothing reaches SQLite as it was typed.
        // Note: a query declaring functions inside another statement needs
        // the statement's leave; the engine runs none of them.
        if (failure.unsupported && failure.what == CSqlParser::kWithFunction &&
            !CWithPlsqlRule::Allows(piece.text, viewStart > 0, m_declaring))
            COraError::Set(m_error, 32034, {}, static_cast<int>(piece.base + failure.at));
        else if (failure.unsupported)
            COraError::Set(m_error, 3001, {failure.what}, static_cast<int>(piece.base + failure.at));
        else
            COraError::Set(m_error, failure.code, {failure.what}, static_cast<int>(piece.base + failure.at));
        return false;
    }
    CSqlEmitter emitter(piece.text, *m_catalog, viewStart > 0);
    emitter.CollectLiterals(slots);
    if (binds != nullptr) emitter.TypeBinds(FloatBindWidths(*binds));
    CSqlEmitter::Failure emitFailure;
    std::string body;
    bool emitted = emitter.Emit(statement, body, emitFailure);
    // Note: FORCE makes a view whose query does not compile (a refused
    // construct aside); it stays invalid until its query does.
    // Note: a view set aside while a column of its table changed is made
    // again when it is next used; the statement is compiled anew after it.
    if (!emitted && emitFailure.code == 4063) {
        bool made = false;
        RevalidateView(emitFailure.name, made);
        if (made) return Compile(piece, compiled, slots, allLiterals);
    }
    m_forcedView = !emitted && viewStart > 0 && head.force && emitFailure.code != 3001;
    if (m_forcedView) body = CSqliteConnection::kForcedQuery;
    if (!emitted && !m_forcedView) {
        SetEmitError(emitFailure, static_cast<int>(piece.base + emitFailure.at));
        return false;
    }
    // Note: a view without a column list is named by its query's columns,
    // which must differ.
    const bool listed = viewStart > 0 && head.name + 1 < tokens.size() &&
                        CSqlScanner::IsSymbol(piece.text, tokens[head.name + 1], '(');
    if (viewStart > 0 && !m_forcedView && !listed) {
        const auto& names = emitter.ResultNames();
        for (std::size_t k = 0; k < names.size(); ++k)
            if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(k), names[k]) !=
                names.begin() + static_cast<std::ptrdiff_t>(k)) {
                COraError::Set(m_error, 957, {names[k]},
                               static_cast<int>(piece.base + tokens[viewStart].begin));
                return false;
            }
    }
    if (viewStart > 0) {
        // Note: the schema before the name is the user's own; a column list
        // stays as written.
        std::size_t nameBegin = tokens[head.name].begin;
        std::size_t nameEnd = tokens[viewStart - 1].begin;
        // Note: the view's text as written and its options go to the catalog
        // with the view (RecordView).
        m_pendingView = std::move(view);
        m_pendingViewTypes = m_forcedView ? std::vector<CValueType>() : emitter.ResultTypes();
        compiled =
            "CREATE VIEW " + std::string(piece.text.substr(nameBegin, nameEnd - nameBegin)) + "AS " + body;
    } else {
        compiled = std::move(body);
        m_resultTypes = emitter.ResultTypes();
        if (allLiterals != nullptr) *allLiterals = emitter.ValuesAllLiterals();
    }
    m_session->rownum.assign(static_cast<std::size_t>(emitter.RownumBlocks()), 0);
    return true;
}

bool CSqliteConnection::CompileDeclared(Piece piece, std::string& compiled,
                                        const std::vector<CEngineBind>* binds, bool& handled) {
    std::vector<CWithDeclarations::Declaration> declarations;
    std::string query;
    std::size_t at = 0;
    auto outcome = CWithDeclarations::Read(piece.text, declarations, query, at);
    handled = outcome != CWithDeclarations::Outcome::None;
    if (!handled) return true;
    std::string text(piece.text);
    // Note: a declaration without its end is compiled as far as it goes,
    // for the compiler's own error.
    if (outcome == CWithDeclarations::Outcome::Unfinished) declarations = {{at, text.size()}};
    std::map<std::string, std::string> results;
    auto units = CBlockHost(*this).CompileWith(text, declarations, results);
    if (!units) {
        m_error.position += m_error.position >= 0 ? static_cast<int>(piece.base) : 0;
        return false;
    }
    if (outcome == CWithDeclarations::Outcome::Unfinished) {
        COraError::Set(m_error, 921, {}, static_cast<int>(piece.base + text.size()));
        return false;
    }
    m_catalog->DeclareFunctions(units->id, std::move(results));
    m_declaring = true;
    bool ok = Compile(Piece{query, piece.base}, compiled, nullptr, nullptr, binds);
    m_declaring = false;
    m_catalog->DeclareFunctions(0, {});
    if (ok) m_withUnits = std::move(units);
    return ok;
}

bool CSqliteConnection::Prepare(Piece piece, std::string_view prefix, const std::vector<CEngineBind>& binds,
                                Statement& out) {
    m_rowNumber = 0;
    m_session->clockMicros = 0;
    m_resultTypes.clear();
    m_withUnits.reset();
    std::string whole;
    if (prefix.empty() && !Compile(piece, whole, nullptr, nullptr, &binds)) return false;
    // An expression of a block runs as a query of DUAL, compiled the same way.
    std::string query;
    if (!prefix.empty() && piece.base >= prefix.size()) {
        query = std::string(prefix) + std::string(piece.text) + " FROM DUAL";
        if (!Compile(Piece{query, piece.base - prefix.size()}, whole, nullptr, nullptr, &binds)) return false;
    }
    if (whole.empty()) {
        auto first = CSqlScanner::Significant(piece.text, 1);
        COraError::Set(m_error, 900, {}, static_cast<int>(piece.base + (first.empty() ? 0 : first[0].begin)));
        return false;
    }
    return PrepareCompiled(piece, whole, out) && Bind(piece, binds, out.get());
}

bool CSqliteConnection::PrepareSchema(Piece piece, const std::vector<CEngineBind>& binds, Statement& out,
                                      const std::vector<CColumnCompiler::Edit>& checks) {
    std::string written;
    std::size_t nameAt = 0;
    CSchemaText::Failure failure;
    switch (CSchemaText(*m_catalog).Write(piece.text, written, nameAt, failure)) {
        case CSchemaText::Outcome::Written:
            if (PrepareCompiled(piece, written, out)) return true;
            m_error.position = static_cast<int>(piece.base + nameAt);
            return false;
        case CSchemaText::Outcome::Refused:
            // Note: ORA-12081 names the table with its owner, the session's user.
            if (failure.code == 12081)
                COraError::Set(m_error, failure.code, {m_session->user, failure.name},
                               static_cast<int>(piece.base + failure.at));
            else
                COraError::Set(m_error, failure.code, {failure.name},
                               static_cast<int>(piece.base + failure.at));
            return false;
        case CSchemaText::Outcome::NotTaken:
            break;
    }
    auto tokens = CSqlScanner::Significant(piece.text);
    if (ViewQueryStart(piece.text, tokens) > 0) return Prepare(piece, {}, binds, out);
    if (CreatesTable(piece.text, tokens)) return PrepareDefinition(piece, out, checks);
    std::size_t at = 0;
    std::string_view construct = CSchemaText::Construct(piece.text, at);
    if (construct.empty())
        COraError::Set(m_error, 900, {}, static_cast<int>(piece.base + at));
    else
        COraError::Set(m_error, 3001, {construct}, static_cast<int>(piece.base + at));
    return false;
}

bool CSqliteConnection::PrepareDefinition(Piece piece, Statement& out,
                                          const std::vector<CColumnCompiler::Edit>& compiled) {
    m_resultTypes.clear();
    CTableText table;
    CTableText::Failure failure;
    table.SetNamer(m_namer ? m_namer : CConstraintCatalog::Namer(m_db));
    table.SetChecks(m_checks);
    if (!table.Write(piece.text, compiled, failure)) {
        COraError::Set(m_error, failure.code, {failure.name}, static_cast<int>(piece.base + failure.at));
        return false;
    }
    m_defined = table.Constraints();
    std::string utf8 = encoding::Cp932ToUtf8(table.Text());
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, utf8.c_str(), static_cast<int>(utf8.size()), &raw, nullptr);
    out.reset(raw);
    if (rc != SQLITE_OK) {
        SetPreparedError(piece, table, sqlite3_error_offset(m_db));
        return false;
    }
    return true;
}

bool CSqliteConnection::PrepareCompiled(Piece piece, const std::string& compiled, Statement& out) {
    std::string utf8 = encoding::Cp932ToUtf8(compiled);
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db, utf8.c_str(), static_cast<int>(utf8.size()), &raw, nullptr);
    out.reset(raw);
    if (rc == SQLITE_OK) return true;
    m_error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)), static_cast<int>(piece.base));
    return false;
}

bool CSqliteConnection::PrepareShaped(Piece piece, Statement& owned, sqlite3_stmt*& statement) {
    statement = nullptr;
    auto tokens = CSqlScanner::Significant(piece.text);
    std::vector<const CSqlScanner::Token*> literals;
    literals.reserve(tokens.size());
    std::string shape = CStatementCache::Shape(piece.text, tokens, literals);
    if (shape.empty()) return true;
    m_rowNumber = 0;
    m_session->clockMicros = 0;
    m_resultTypes.clear();
    m_catalog->Refresh();
    if (auto* entry = m_shapes.Find(shape, m_catalog->Generation())) {
        SlotBinding binding = BindShaped(piece, tokens, literals, *entry);
        if (binding == SlotBinding::Refused) return false;
        if (binding == SlotBinding::Bound) {
            // Note: a kept INSERT ... VALUES has no query block to count ROWNUM.
            m_session->rownum.clear();
            statement = entry->statement.get();
            return true;
        }
    }
    CStatementCache::Entry fresh;
    bool allLiterals = false;
    std::string compiled;
    if (!Compile(piece, compiled, &fresh.slots, &allLiterals)) return false;
    // Note: a statement of another kind is refused by Prepare.
    if (compiled.empty()) return true;
    if (!PrepareCompiled(piece, compiled, owned)) return false;
    for (std::size_t k = 0; k < fresh.slots.size(); ++k)
        if (!BindSlot(owned.get(), static_cast<int>(k + 1), fresh.slots[k].value, false)) return false;
    statement = owned.get();
    if (!allLiterals || !CStatementCache::AnchorSlots(fresh, tokens, literals)) return true;
    fresh.statement = std::move(owned);
    m_shapes.Add(shape, m_catalog->Generation(), std::move(fresh));
    return true;
}

CSqliteConnection::SlotBinding CSqliteConnection::BindShaped(
    Piece piece, const std::vector<CSqlScanner::Token>& tokens,
    const std::vector<const CSqlScanner::Token*>& literals, CStatementCache::Entry& entry) {
    sqlite3_stmt* statement = entry.statement.get();
    for (std::size_t k = 0; k < entry.slots.size(); ++k) {
        auto& slot = entry.slots[k];
        CLiteralStore::Value value;
        CSqlEmitter::Failure failure;
        switch (
            CStatementCache::Revalue(slot, entry.anchors[k], piece.text, tokens, literals, value, failure)) {
            case CStatementCache::Outcome::Refused:
                SetEmitError(failure, static_cast<int>(piece.base + failure.at));
                sqlite3_clear_bindings(statement);
                return SlotBinding::Refused;
            case CStatementCache::Outcome::Differs:
                sqlite3_clear_bindings(statement);
                return SlotBinding::Differs;
            case CStatementCache::Outcome::Bound:
                break;
        }
        slot.value = std::move(value);
        if (!BindSlot(statement, static_cast<int>(k + 1), slot.value, true)) return SlotBinding::Refused;
    }
    return SlotBinding::Bound;
}

bool CSqliteConnection::BindSlot(sqlite3_stmt* statement, int index, CLiteralStore::Value& value, bool kept) {
    // Note: a kept statement's values stay in its entry until its next use.
    auto lifetime = kept ? SQLITE_STATIC : SQLITE_TRANSIENT;
    int rc = SQLITE_OK;
    // Note: a value the statement does not use is not bound.
    if (index > sqlite3_bind_parameter_count(statement)) return true;
    // Note: the server holds the empty text as NULL.
    if (!value.number && value.text.empty()) {
        rc = sqlite3_bind_null(statement, index);
    } else if (value.number && !value.real) {
        rc = sqlite3_bind_int64(statement, index, value.integer);
    } else {
        // SQLite reads a number's digits as it reads them in a statement.
        if (!value.number && !encoding::IsAscii(value.text)) value.text = encoding::Cp932ToUtf8(value.text);
        rc = sqlite3_bind_text(statement, index, value.text.data(), static_cast<int>(value.text.size()),
                               lifetime);
    }
    if (rc == SQLITE_OK) return true;
    SetEngineError();
    return false;
}

bool CSqliteConnection::Bind(Piece piece, const std::vector<CEngineBind>& binds, sqlite3_stmt* statement) {
    int count = sqlite3_bind_parameter_count(statement);
    for (int index = 1; index <= count; ++index) {
        const char* marker = sqlite3_bind_parameter_name(statement, index);
        if (marker == nullptr || marker[0] != ':') {
            COraError::Set(m_error, 911, {marker ? sqliteapi::Cp932Of(marker) : std::string("?")});
            return false;
        }
        std::string name = sqliteapi::Cp932Of(marker + 1);
        const CEngineBind* bind = FindBind(binds, name);
        if (bind == nullptr) {
            COraError::Set(m_error, 1008, {name},
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
        } else if (bind->serverType == servertype::kNumber && CValueText::ParseNumber(bind->value, number) &&
                   HeldByDouble(bind->value)) {
            rc = sqlite3_bind_double(statement, index, number);
        } else if (servertype::FloatBytes(bind->serverType) != 0 && CFloatValue::Parse(bind->value, number) &&
                   !std::isnan(number)) {
            // Note: a floating value goes in its held form (NaN stays text).
            rc = sqlite3_bind_double(statement, index,
                                     CFloatValue::Narrow(number, servertype::FloatBytes(bind->serverType)));
        } else if (encoding::Cp932ToUtf8Strict(bind->value, utf8)) {
            rc = sqlite3_bind_text(statement, index, utf8.c_str(), static_cast<int>(utf8.size()),
                                   SQLITE_TRANSIENT);
        } else {
            COraError::Set(m_error, 29275, {name});
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

bool CSqliteConnection::RunMerge(Piece piece, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    std::string compiled;
    if (!Compile(piece, compiled)) return false;
    if (compiled.empty()) {
        COraError::Set(m_error, 900, {}, static_cast<int>(piece.base));
        return false;
    }
    bool started = !InTransaction();
    if (!BeginWrite() || !ExecPlain("SAVEPOINT TARVEX_MERGE")) return false;
    std::string utf8 = encoding::Cp932ToUtf8(compiled);
    long rows = 0;
    bool ok = true;
    for (const char* next = utf8.c_str(); ok && *next != '\0';) {
        sqlite3_stmt* raw = nullptr;
        ok = sqlite3_prepare_v2(m_db, next, -1, &raw, &next) == SQLITE_OK;
        Statement part(raw);
        if (!ok) m_error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)), static_cast<int>(piece.base));
        if (!ok || raw == nullptr) break;
        int rc = Bind(piece, binds, raw) ? sqlite3_step(raw) : SQLITE_MISUSE;
        // Note: a row of the first query is a target row two source rows match.
        if (rc == SQLITE_ROW) COraError::Set(m_error, 30926, {}, static_cast<int>(piece.base));
        ok = rc == SQLITE_DONE || (rc != SQLITE_ROW && rc != SQLITE_MISUSE && SetStepError());
        if (!ok && rc != SQLITE_ROW) CForeignKeyProbe::Name(m_db, raw, m_error);
        // Note: the server counts the rows updated and inserted; those
        // deleted were updated first.
        std::string_view text = sqlite3_sql(raw);
        std::string_view verb = text.substr(text.find_first_not_of(' '), 6);
        if (ok && (verb == "UPDATE" || verb == "INSERT")) rows += Changes();
    }
    if (!ok) {
        const char* undo = started ? "ROLLBACK" : "ROLLBACK TO TARVEX_MERGE";
        if (!sqliteapi::Undo(m_db, undo) || (!started && !ExecPlain("RELEASE TARVEX_MERGE")))
            m_transactionLost = true;
        return false;
    }
    rowsProcessed += rows;
    return ExecPlain("RELEASE TARVEX_MERGE");
}

bool CSqliteConnection::CheckMerge(Piece piece) {
    std::string compiled;
    if (!Compile(piece, compiled)) return false;
    if (compiled.empty()) {
        COraError::Set(m_error, 900, {}, static_cast<int>(piece.base));
        return false;
    }
    std::string utf8 = encoding::Cp932ToUtf8(compiled);
    for (const char* next = utf8.c_str(); *next != '\0';) {
        sqlite3_stmt* raw = nullptr;
        bool ok = sqlite3_prepare_v2(m_db, next, -1, &raw, &next) == SQLITE_OK;
        Statement part(raw);
        if (!ok) {
            m_error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)), static_cast<int>(piece.base));
            return false;
        }
        if (raw == nullptr) break;
    }
    return true;
}

bool CSqliteConnection::RunStatement(Piece piece, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    if (CSqlScanner::Token first{};
        CSqlScanner::Significant(piece.text, &first, 1) == 1 && CSqlScanner::Is(piece.text, first, "MERGE"))
        return RunMerge(piece, binds, rowsProcessed);
    Statement owned;
    sqlite3_stmt* statement = nullptr;
    if (!PrepareShaped(piece, owned, statement)) return false;
    if (statement == nullptr) {
        if (!Prepare(piece, {}, binds, owned)) return false;
        statement = owned.get();
    }
    const std::shared_ptr<CWithUnits> declared = std::move(m_withUnits);
    // A kept statement is ready again for its next use whatever happens.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> rewind(owned ? nullptr : statement, sqlite3_reset);
    bool started = !InTransaction();
    if (sqlite3_stmt_readonly(statement) == 0 && !BeginWrite()) return false;
    long rows = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) ++rows;
    if (rc != SQLITE_DONE) {
        SetStepError();
        CForeignKeyProbe::Name(m_db, statement, m_error);
        // Note: a transaction begun for this statement alone holds nothing.
        rewind.reset();
        owned.reset();
        if (started && InTransaction() && !sqliteapi::Undo(m_db, "ROLLBACK")) m_transactionLost = true;
        return false;
    }
    bool changes = sqlite3_column_count(statement) == 0 && sqlite3_stmt_readonly(statement) == 0;
    rowsProcessed += changes ? Changes() : rows;
    return true;
}

// INSERT ALL and INSERT FIRST run as the inserts they make, as one
// statement: all of them or none.
bool CSqliteConnection::RunMultiInsert(const std::string& sql, std::vector<CEngineBind>& binds,
                                       long& rowsProcessed) {
    CMultiTableInsert::Split split = CMultiTableInsert::Read(sql);
    if (split.failedAt != std::string::npos) {
        COraError::Set(m_error, 900, {}, static_cast<int>(split.failedAt));
        return false;
    }
    bool started = !InTransaction();
    if (!BeginWrite() || !ExecPlain("SAVEPOINT TARVEX_MULTI")) return false;
    long rows = 0;
    bool ok = true;
    std::size_t made = 0;
    for (; made < split.made.size(); ++made) {
        ok = RunDml(split.made[made].text, binds, rows);
        if (!ok) break;
    }
    if (!ok) {
        // Note: the error's place is shown in the text typed; one found at
        // the start (as a failing row's is) stays there.
        COraError::Translate(m_error, COraError::Action::Insert);
        m_error.position =
            m_error.position > 0
                ? static_cast<int>(split.made[made].Typed(static_cast<std::size_t>(m_error.position)))
                : 0;
        const char* undo = started ? "ROLLBACK" : "ROLLBACK TO TARVEX_MULTI";
        if (!sqliteapi::Undo(m_db, undo) || (!started && !ExecPlain("RELEASE TARVEX_MULTI")))
            m_transactionLost = true;
        return false;
    }
    rowsProcessed += rows;
    return ExecPlain("RELEASE TARVEX_MULTI");
}

bool CSqliteConnection::RunDml(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    if (RefuseInReadOnlyTransaction(m_error)) return false;
    if (CMultiTableInsert::Takes(sql)) return RunMultiInsert(sql, binds, rowsProcessed);
    CBlockHost host(*this);
    if (!CTriggerFiring::Begin(host, sql, true, m_error)) return false;
    CReturningInto::Clause returning = CReturningInto::Find(sql);
    bool ran = returning.at == std::string::npos
                   ? RunStatement(Piece{sql, 0}, binds, rowsProcessed)
                   : CReturningInto(*this).Run(sql, returning, binds, rowsProcessed);
    return CTriggerFiring::End(host, ran, m_error);
}

void CSqliteConnection::EndPrivateTables(bool ended) {
    if (m_privateTables.empty()) return;
    std::vector<std::pair<std::string, bool>> kept;
    for (const auto& [name, dropOnCommit] : m_privateTables) {
        std::string utf8 = encoding::Cp932ToUtf8(name);
        sqliteapi::Statement there =
            sqliteapi::Prepare(m_db, "SELECT 1 FROM temp.sqlite_schema WHERE type = 'table' AND name = ?1");
        if (there) sqlite3_bind_text(there.get(), 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
        bool exists = there && sqlite3_step(there.get()) == SQLITE_ROW;
        there.reset();
        if (exists && !(ended && dropOnCommit)) {
            kept.emplace_back(name, dropOnCommit);
            continue;
        }
        std::string quoted = "\"" + utf8 + "\"";
        sqlite3_exec(m_db, ("DROP TABLE IF EXISTS temp." + quoted).c_str(), nullptr, nullptr, nullptr);
        sqliteapi::Statement forget =
            sqliteapi::Prepare(m_db, "DELETE FROM temp.TARVEX_PRIVATE WHERE TABLE_NAME = ?1");
        if (forget) {
            sqlite3_bind_text(forget.get(), 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(forget.get());
        }
        CEngineError ignored;
        CCatalogTables::Forget(m_db, utf8, ignored);
        m_catalog->Invalidate();
    }
    m_privateTables = std::move(kept);
}

bool CSqliteConnection::CreatePrivate(const std::string& sql, std::vector<CEngineBind>& binds,
                                      long& rowsProcessed, bool& handled) {
    CPrivateTable::Definition definition;
    CPrivateTable::Failure failure;
    if (!CPrivateTable::Read(sql, definition, failure)) {
        handled = true;
        COraError::Set(m_error, failure.code, {}, static_cast<int>(failure.at));
        return false;
    }
    if (!definition.found) return true;
    handled = true;
    m_creatingPrivate = true;
    bool ok = RunDdl(definition.text, binds, rowsProcessed);
    m_creatingPrivate = false;
    if (!ok) return false;
    m_privateTables.emplace_back(definition.name, definition.dropOnCommit);
    std::string utf8 = encoding::Cp932ToUtf8(definition.name);
    sqliteapi::Statement list =
        sqliteapi::Prepare(m_db, "INSERT OR REPLACE INTO temp.TARVEX_PRIVATE VALUES (?1, ?2)");
    if (list) {
        sqlite3_bind_text(list.get(), 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(list.get(), 2, definition.dropOnCommit ? "TRANSACTION" : "SESSION", -1,
                          SQLITE_STATIC);
        sqlite3_step(list.get());
    }
    return true;
}

namespace {

// The view ALTER VIEW [schema.]v COMPILE names (CP932, as the file keeps
// it); "" for a statement of another kind.
std::string CompiledView(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 6);
    if (tokens.size() < 4 || !CSqlScanner::Is(sql, tokens[0], "ALTER") ||
        !CSqlScanner::Is(sql, tokens[1], "VIEW"))
        return {};
    std::size_t name = tokens.size() > 5 && CSqlScanner::IsSymbol(sql, tokens[3], '.') ? 4 : 2;
    if (name + 1 >= tokens.size() || !CSqlScanner::Is(sql, tokens[name + 1], "COMPILE")) return {};
    std::string written = sql.substr(tokens[name].begin, tokens[name].length);
    return written.front() == '"' ? written.substr(1, written.size() - 2) : cp932::ToUpperAscii(written);
}

}  // namespace

bool CSqliteConnection::RunDdl(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    if (!m_creatingPrivate) {
        bool handled = false;
        bool made = CreatePrivate(sql, binds, rowsProcessed, handled);
        if (handled) return made;
    }
    const CUnusedColumns::Statement unused = CUnusedColumns::Read(sql);
    if (unused.kind == CUnusedColumns::Kind::Dropped) {
        // Note: a table keeps one column at least (ORA-12983), whatever else its columns hold.
        const auto* columns = m_catalog->Columns(unused.name);
        if (columns != nullptr && unused.columns >= columns->size()) {
            if (!CommitWork()) return false;
            COraError::Set(m_error, 12983, {}, static_cast<int>(unused.table));
            return false;
        }
        return RunDdl(unused.dropping, binds, rowsProcessed);
    }
    if (unused.kind == CUnusedColumns::Kind::Nothing) return KeepColumns(sql, unused);
    // Note: an index-organized table is kept in the order of its primary key,
    // which it cannot be without.
    if (const CTableOrganization::Definition organization = CTableOrganization::Read(sql);
        organization.indexOrganized && !organization.primaryKey) {
        if (!CommitWork()) return false;
        COraError::Set(m_error, 25175, {}, static_cast<int>(organization.at));
        return false;
    }
    // Note: a table made by a query with constraints in its column list is
    // made by its definition and filled in the same transaction.
    if (std::string definition, fill; m_fill.empty()) {
        if (!AsSelectDefinition(sql, definition, fill)) return false;
        if (!definition.empty()) {
            m_fill = std::move(fill);
            bool made = RunDdl(definition, binds, rowsProcessed);
            m_fill.clear();
            return made;
        }
    }
    m_pendingView.reset();
    m_forcedView = false;
    m_defined.clear();
    m_checks.clear();
    m_namer = CConstraintCatalog::Namer(m_db);
    m_virtualTypes.clear();
    if (!CommitWork() || !DropReferringKeys(sql)) return false;
    std::string what;
    // Note: CHECK conditions are compiled as queries are (see CCheckCompiler).
    std::string outsideChecks = CCheckCompiler::Blank(sql, CCheckCompiler::Find(sql, false));
    if (std::size_t at = CSqliteSchema::Unsupported(outsideChecks, what); at != std::string::npos) {
        COraError::Set(m_error, 3001, {what}, static_cast<int>(at));
        return false;
    }
    // Note: a table rebuilt under a new definition is dropped and made again,
    // which foreign keys must not see (they are checked before the commit).
    auto tokens = CSqlScanner::Significant(sql, 3);
    bool rebuilds = tokens.size() >= 2 && CSqlScanner::Is(sql, tokens[0], "ALTER") &&
                    CSqlScanner::Is(sql, tokens[1], "TABLE");
    if (rebuilds && !ExecPlain("PRAGMA foreign_keys = OFF")) return false;
    // Note: ALTER VIEW ... COMPILE makes a view set aside again first.
    if (std::string view = CompiledView(sql); !view.empty()) {
        bool made = false;
        RevalidateView("view " + view, made);
    }
    // The statement is one transaction: it completes or changes nothing.
    // Note: views made with FORCE are compiled again before the statement
    // (ALTER VIEW ... COMPILE sees them as they are) and after it (a table
    // it makes may be theirs).
    bool ok = ExecPlain("BEGIN IMMEDIATE") && CompileForcedViews() &&
              (!rebuilds || tokens.size() < 3 ||
               (CTriggerFiring::Drop(*this, encoding::Utf8ToCp932(AlteredTable(sql))), true)) &&
              SetViewsAside(sql) && RunDdlWork(sql, binds, rowsProcessed) && RecordColumns(sql) &&
              CNestedTables::Record(m_db, sql, m_error) && RecordPartitions(sql) &&
              CTableOptions::Prune(m_db, m_error) &&
              (!rebuilds || tokens.size() < 3 || CCatalogTables::Prune(m_db, AlteredTable(sql), m_error)) &&
              (!rebuilds || tokens.size() < 3 || RefireTable(AlteredTable(sql))) &&
              (!rebuilds || tokens.size() < 3 || CConstraintLock::Sync(m_db, AlteredTable(sql), m_error)) &&
              (!rebuilds || CheckForeignKeys()) && FillTable() && CompileForcedViews() && CommitWork();
    if (!ok) {
        CEngineError failure = m_error;
        if (InTransaction() && !sqliteapi::Undo(m_db, "ROLLBACK")) m_transactionLost = true;
        m_error = failure;
    }
    if (rebuilds) sqlite3_exec(m_db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    m_catalog->Invalidate();
    m_warehouse->Forget();
    m_deleteOnCommit = CCatalogTables::DeleteOnCommit(m_db);
    // Note: the statement committed; a table ON COMMIT DELETE ROWS made from a query keeps no row.
    for (const std::string& table : ok ? m_deleteOnCommit : std::vector<std::string>())
        sqlite3_exec(m_db, ("DELETE FROM temp." + table).c_str(), nullptr, nullptr, nullptr);
    // Note: a private temporary table dropped by name leaves the session's list.
    EndPrivateTables(false);
    return ok && m_forcedView ? WarnForcedView() : ok;
}

bool CSqliteConnection::KeepColumns(const std::string& sql, const CUnusedColumns::Statement& statement) {
    if (!CommitWork() || RefuseReadOnly(sql)) return false;
    Statement table =
        sqliteapi::Prepare(m_db,
                           "SELECT 1 FROM (SELECT name, type FROM main.sqlite_schema UNION ALL "
                           "SELECT name, type FROM temp.sqlite_schema) WHERE type = 'table' AND "
                           "name = ?1");
    if (!table) return SetStepError();
    const std::string utf8 = encoding::Cp932ToUtf8(statement.name);
    sqlite3_bind_text(table.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(table.get()) == SQLITE_ROW) return true;
    COraError::Set(m_error, 942, {statement.name}, static_cast<int>(statement.table));
    return false;
}

bool CSqliteConnection::RefuseReadOnly(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    if (tokens.size() < 4 || !CSqlScanner::Is(sql, tokens[0], "ALTER") ||
        !CSqlScanner::Is(sql, tokens[1], "TABLE"))
        return false;
    std::size_t name = tokens.size() > 5 && CSqlScanner::IsSymbol(sql, tokens[3], '.') ? 4 : 2;
    std::string written = sql.substr(tokens[name].begin, tokens[name].length);
    std::string table =
        written.front() == '"' ? written.substr(1, written.size() - 2) : cp932::ToUpperAscii(written);
    bool readOnly = m_catalog->IsReadOnly(table);
    // Note: READ ONLY of a READ ONLY table (and READ WRITE of a writable one) is ORA-14139 (ORA-14140).
    if (name + 2 < tokens.size() && CSqlScanner::Is(sql, tokens[name + 1], "READ") &&
        m_catalog->Columns(table) != nullptr) {
        bool only = CSqlScanner::Is(sql, tokens[name + 2], "ONLY");
        bool write = CSqlScanner::Is(sql, tokens[name + 2], "WRITE");
        if ((only && readOnly) || (write && !readOnly)) {
            COraError::Set(m_error, only ? 14139 : 14140, {m_session->user, table},
                           static_cast<int>(tokens[name + 1].begin));
            return true;
        }
    }
    if (!CReadOnlyTable::Refuses(sql, tokens, name + 1) || !readOnly) return false;
    COraError::Set(m_error, 12081, {m_session->user, table}, static_cast<int>(tokens[name].begin));
    return true;
}

bool CSqliteConnection::RefireTable(const std::string& table) {
    // Note: the engine's triggers name the table's columns; they are made
    // again for the columns the table has now.
    m_catalog->Invalidate();
    m_plsql->Forget();
    CBlockHost host(*this);
    return CTriggerFiring::Rebuild(host, encoding::Utf8ToCp932(table));
}

std::string CSqliteConnection::AlteredTable(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 3);
    if (tokens.size() < 3) return {};
    std::string written = sql.substr(tokens[2].begin, tokens[2].length);
    return encoding::Cp932ToUtf8(written.front() == '"' ? written.substr(1, written.size() - 2)
                                                        : cp932::ToUpperAscii(written));
}

bool CSqliteConnection::RecordColumns(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 7);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    bool create = is(0, "CREATE");
    std::size_t name = (create || is(0, "ALTER")) && is(1, "TABLE")  ? 2
                       : create && is(1, "GLOBAL") && is(3, "TABLE") ? 4
                                                                     : 0;
    if (name == 0 || name >= tokens.size()) return true;
    // Note: a name given with its schema is the table's name after the ".".
    if (name + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[name + 1], '.')) name += 2;
    std::string written = sql.substr(tokens[name].begin, tokens[name].length);
    std::string table = written.front() == '"' ? written.substr(1, written.size() - 2) : written;
    // Note: the constraints of a table made here are those its definition
    // was compiled with; a change of a table records its own.
    std::vector<CSqliteDictionary::Constraint> defined = std::move(m_defined);
    m_defined.clear();
    std::vector<CColumnCatalog::Declared> declared =
        create ? CColumnCatalog::ReadTable(sql) : std::vector<CColumnCatalog::Declared>();
    for (auto& column : declared)
        for (const auto& [name, type] : m_virtualTypes)
            if (column.virtualColumn && column.type.empty() && column.name == name) column.type = type;
    m_virtualTypes.clear();
    std::string utf8 = encoding::Cp932ToUtf8(written.front() == '"' ? table : cp932::ToUpperAscii(table));
    return (!create || CConstraintCatalog::Record(m_db, defined, m_error)) &&
           CColumnCatalog::Record(m_db, encoding::Cp932ToUtf8(table), declared, m_error) &&
           CColumnOptions::Record(m_db, utf8, declared, m_error) &&
           (!create || !CTableOrganization::Read(sql).indexOrganized ||
            CTableOrganization::Record(m_db, utf8, m_error));
}

bool CSqliteConnection::CheckForeignKeys() {
    Statement check = sqliteapi::Prepare(m_db, "SELECT 1 FROM pragma_foreign_key_check");
    if (!check) return SetStepError();
    int rc = sqlite3_step(check.get());
    if (rc == SQLITE_DONE) return true;
    if (rc != SQLITE_ROW) return SetStepError();
    COraError::Set(m_error, 2298, {""}, 0);
    return false;
}

bool CSqliteConnection::RunDdlWork(const std::string& sql, std::vector<CEngineBind>& binds,
                                   long& rowsProcessed) {
    // Note: the index that enforces a key goes only with the key, and an
    // index the key made bears the key's name, which no other index takes.
    auto words = CSqlScanner::Significant(sql, 5);
    const bool dropping = words.size() >= 3 && CSqlScanner::Is(sql, words[0], "DROP") &&
                          CSqlScanner::Is(sql, words[1], "INDEX");
    std::size_t named = dropping ? 2 : 0;
    if (!dropping && words.size() >= 3 && CSqlScanner::Is(sql, words[0], "CREATE")) {
        std::size_t at = 1;
        if (CSqlScanner::Is(sql, words[at], "UNIQUE") || CSqlScanner::Is(sql, words[at], "BITMAP")) ++at;
        if (at + 1 < words.size() && CSqlScanner::Is(sql, words[at], "INDEX") &&
            !CSqlScanner::IsSymbol(sql, words[at + 1], '.') &&
            (at + 2 >= words.size() || !CSqlScanner::IsSymbol(sql, words[at + 2], '.')))
            named = at + 1;
    }
    if (named > 0) {
        std::string written = sql.substr(words[named].begin, words[named].length);
        std::string index =
            written.front() == '"' ? written.substr(1, written.size() - 2) : cp932::ToUpperAscii(written);
        sqliteapi::Statement key = sqliteapi::Prepare(
            m_db,
            std::string("SELECT 1 FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_TYPE IN ('P', 'U') AND ") +
                (dropping ? "STATUS = 'ENABLED' AND (INDEX_NAME = ?1 OR (OWN_INDEX = 'Y' AND "
                            "CONSTRAINT_NAME = ?1))"
                          : "OWN_INDEX = 'Y' AND CONSTRAINT_NAME = ?1"));
        const std::string utf8 = encoding::Cp932ToUtf8(index);
        if (key)
            sqlite3_bind_text(key.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        if (key && sqlite3_step(key.get()) == SQLITE_ROW) {
            COraError::Set(m_error, dropping ? 2429 : 955, {index}, static_cast<int>(words[named].begin));
            return false;
        }
    }
    // Note: TEMP is the engine's word for the server's GLOBAL TEMPORARY, not the user's.
    if (auto words = CSqlScanner::Significant(sql, 2); words.size() == 2 &&
                                                       CSqlScanner::Is(sql, words[0], "CREATE") &&
                                                       CSqlScanner::Is(sql, words[1], "TEMP")) {
        COraError::Set(m_error, 901, {}, static_cast<int>(words[1].begin));
        return false;
    }
    if (RefuseReadOnly(sql) || !CObjectFeatures::Allowed(sql, m_error)) return false;
    bool handled = false;
    if (!RunWarehouse(sql, handled)) return false;
    if (handled) return true;
    CSqliteSchema schema(m_db);
    bool done = schema.Run(sql, m_error, handled);
    if (handled) return done;
    // Note: CHECK constraints are compiled from the text as written, then
    // blanked; physical clauses are blanked in place, so positions still hold.
    std::vector<CColumnCompiler::Edit> checks;
    if (!CompileChecks(sql, checks)) return false;
    std::string prepared = CSqliteSchema::Prepare(
        checks.empty() ? sql : CCheckCompiler::Blank(sql, CCheckCompiler::Find(sql, true)));
    std::string definition;
    bool created = CreateAsSelect(CPartitionClause::BlankBeforeQuery(prepared), handled, &definition);
    if (handled) return created && RecordTemporary(sql, definition.c_str());
    Statement statement;
    if (!PrepareSchema(Piece{prepared, 0}, binds, statement, checks)) return false;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) return SetStepError();
    if (!CreateIdentities(sql) || !ForgetDropped(sql) || !FollowRename(sql) || !RecordView() ||
        !RecordTemporary(sql, sqlite3_sql(statement.get())))
        return false;
    if (CStatementClassifier::Classify(sql) == StatementKind::Truncate)
        rowsProcessed = static_cast<long>(sqlite3_changes64(m_db));
    return true;
}

namespace {

// Whether result column `column` of `query` (AS SELECT) is a column of a
// table that holds no NULL (NOT NULL, or in the primary key).
bool CopiesNotNull(sqlite3* db, sqlite3_stmt* query, int column) {
    const char* table = sqlite3_column_table_name(query, column);
    const char* origin = sqlite3_column_origin_name(query, column);
    if (table == nullptr || origin == nullptr) return false;
    sqliteapi::Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 AND (\"notnull\" <> 0 OR pk > 0)");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, table, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(look.get(), 2, origin, -1, SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW;
}

// The words of the physical and table options a table made by AS SELECT
// may take before AS (TABLESPACE users NOLOGGING PARALLEL 4 ...); the
// embedded file keeps none of them.
constexpr std::string_view kPhysicalOptions[] = {
    "TABLESPACE",   "NOLOGGING", "LOGGING",         "PARALLEL",         "NOPARALLEL", "PCTFREE",
    "PCTUSED",      "INITRANS",  "MAXTRANS",        "STORAGE",          "COMPRESS",   "NOCOMPRESS",
    "CACHE",        "NOCACHE",   "SEGMENT",         "CREATION",         "IMMEDIATE",  "DEFERRED",
    "ROW",          "STORE",     "BASIC",           "ADVANCED",         "MONITORING", "NOMONITORING",
    "ORGANIZATION", "HEAP",      "ROWDEPENDENCIES", "NOROWDEPENDENCIES"};

// The token after the bracketed group that opens at `k` (k itself when no
// group opens there).
std::size_t PastGroup(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens, std::size_t k) {
    if (k >= tokens.size() || !CSqlScanner::IsSymbol(sql, tokens[k], '(')) return k;
    int depth = 0;
    do {
        if (CSqlScanner::IsSymbol(sql, tokens[k], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[k], ')')) --depth;
        ++k;
    } while (k < tokens.size() && depth > 0);
    return k;
}

bool IsPhysicalOption(const std::string& word) {
    return std::find(std::begin(kPhysicalOptions), std::end(kPhysicalOptions), word) !=
           std::end(kPhysicalOptions);
}

// LOB (c, ...) STORE AS [SECUREFILE | BASICFILE] [segment] [(parameters)]
// starting at `k`: the token after it, k itself when none starts there.
std::size_t PastLobStorage(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens,
                           std::size_t k) {
    auto is = [&](std::size_t at, std::string_view word) {
        return at < tokens.size() && tokens[at].kind == CSqlScanner::Kind::Word &&
               CSqlScanner::Is(sql, tokens[at], word);
    };
    if (!is(k, "LOB")) return k;
    std::size_t at = PastGroup(sql, tokens, k + 1);
    if (at == k + 1 || !is(at, "STORE") || !is(at + 1, "AS")) return k;
    at += 2;
    if (is(at, "SECUREFILE") || is(at, "BASICFILE")) ++at;
    // Note: the segment's name is any name but AS (the query's) or a table option.
    if (at < tokens.size() &&
        (tokens[at].kind == CSqlScanner::Kind::QuotedName ||
         (tokens[at].kind == CSqlScanner::Kind::Word && !is(at, "AS") &&
          !IsPhysicalOption(cp932::ToUpperAscii(sql.substr(tokens[at].begin, tokens[at].length))))))
        ++at;
    return PastGroup(sql, tokens, at);
}

// The token after the options that start at `k`: words of the list, the
// name after TABLESPACE, numbers, a bracketed group after STORAGE or
// PARALLEL, and LOB storage clauses.
std::size_t PastPhysicalOptions(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens,
                                std::size_t k) {
    auto word = [&](std::size_t at) {
        return cp932::ToUpperAscii(sql.substr(tokens[at].begin, tokens[at].length));
    };
    while (k < tokens.size()) {
        const CSqlScanner::Token& token = tokens[k];
        if (std::size_t past = PastLobStorage(sql, tokens, k); past != k) {
            k = past;
        } else if (token.kind == CSqlScanner::Kind::Number) {
            ++k;
        } else if (token.kind == CSqlScanner::Kind::Word && IsPhysicalOption(word(k))) {
            bool named = word(k) == "TABLESPACE";
            bool grouped = word(k) == "STORAGE" || word(k) == "PARALLEL";
            ++k;
            if (named && k < tokens.size()) ++k;
            if (grouped) k = PastGroup(sql, tokens, k);
        } else {
            break;
        }
    }
    return k;
}

}  // namespace

namespace {

// The rows of `query` (UTF-8, `count` columns typed as `types`) as a new
// table keeps them: a value WITH LOCAL TIME ZONE, read in the session's
// zone, is kept in the database's again.
std::string StoredRows(const std::string& query, const std::vector<CValueType>& types, int count) {
    bool local = false;
    for (const CValueType& type : types) local = local || (type.kind == CSqlType::Date && type.localZone);
    if (!local || types.size() != static_cast<std::size_t>(count)) return query;
    std::string names;
    std::string values;
    for (std::size_t k = 0; k < types.size(); ++k) {
        const std::string name = "c" + std::to_string(k + 1);
        const CValueType& type = types[k];
        names += (k > 0 ? ", " : "") + name;
        values += k > 0 ? ", " : "";
        values += type.kind == CSqlType::Date && type.localZone
                      ? "ORA_STORE_TZ(" + name + ", 0, " + std::to_string(std::max(type.fraction, 0)) + ", " +
                            std::to_string(CSqliteCatalog::Column::kLocalZone) + ")"
                      : name;
    }
    return "WITH TARVEX_ROWS (" + names + ") AS (" + query + ") SELECT " + values + " FROM TARVEX_ROWS";
}

}  // namespace

bool CSqliteConnection::CreateAsSelect(const std::string& sql, bool& handled, std::string* definition) {
    auto tokens = CSqlScanner::Significant(sql);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    // Note: a GLOBAL TEMPORARY table comes here as TEMP (CSqliteSchema::Prepare).
    bool temporary = is(1, "TEMP");
    std::size_t nameAt = temporary ? 3 : 2;
    if (!is(0, "CREATE") || !is(nameAt - 1, "TABLE")) return false;
    // CREATE TABLE t [(a, b, ...)] AS query: the list names the columns.
    std::vector<std::string> names;
    std::size_t as = nameAt + 1;
    if (tokens.size() > as && CSqlScanner::IsSymbol(sql, tokens[as], '(')) {
        for (++as; as < tokens.size() && !CSqlScanner::IsSymbol(sql, tokens[as], ')'); ++as)
            if (!CSqlScanner::IsSymbol(sql, tokens[as], ','))
                names.push_back(encoding::Cp932ToUtf8(
                    cp932::ToUpperAscii(sql.substr(tokens[as].begin, tokens[as].length))));
        ++as;
    }
    // ON COMMIT DELETE | PRESERVE ROWS of a temporary table (see RecordTemporary).
    if (temporary && is(as, "ON") && is(as + 1, "COMMIT")) as += 4;
    as = PastPhysicalOptions(sql, tokens, as);
    if (!is(as, "AS") || (as > 0 && is(as - 1, "STORE"))) return false;
    CSqlArena arena;
    CSqlParser parser(sql, tokens, arena);
    CSqlParser::Failure failure;
    CSqlStatement statement;
    statement.kind = CSqlStatement::Kind::Select;
    if (!parser.ParseQuery(as + 1, statement.query, failure)) {
        // Note: a query declaring functions is the table's query still, refused by name.
        if (!failure.unsupported || failure.what != CSqlParser::kWithFunction) return false;
        handled = true;
        COraError::Set(m_error, 3001, {failure.what}, static_cast<int>(failure.at));
        return false;
    }
    handled = true;
    CSqlEmitter emitter(sql, *m_catalog);
    CSqlEmitter::Failure emitFailure;
    std::string query;
    if (!emitter.Emit(statement, query, emitFailure)) {
        SetEmitError(emitFailure, static_cast<int>(emitFailure.at));
        return false;
    }
    // Note: the new columns take the declared types of the columns they copy,
    // and expressions the type of their value.
    std::string utf8 = encoding::Cp932ToUtf8(query);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        m_error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)), static_cast<int>(tokens[as + 1].begin));
        return false;
    }
    Statement described(raw);
    if (!names.empty() && names.size() != static_cast<std::size_t>(sqlite3_column_count(raw))) {
        COraError::Set(m_error, 1730, {}, static_cast<int>(tokens[nameAt + 1].begin));
        return false;
    }
    const auto& types = emitter.ResultTypes();
    std::string name = encoding::Cp932ToUtf8(sql.substr(tokens[nameAt].begin, tokens[nameAt].length));
    std::string create = (temporary ? "CREATE TEMP TABLE " : "CREATE TABLE ") + name + " (";
    for (int column = 0; column < sqlite3_column_count(raw); ++column) {
        const char* declared = sqlite3_column_decltype(raw, column);
        auto index = static_cast<std::size_t>(column);
        CValueType typed = index < types.size() ? types[index] : CValueType{};
        // Note: a query reads an object or a collection as its constructor's text, which no column keeps.
        if (!typed.typeName.empty()) {
            COraError::Set(
                m_error, 3001,
                {encoding::Utf8ToCp932("AS SELECT で作る表のユーザー定義型の列 (") + typed.typeName + ")"},
                static_cast<int>(tokens[as + 1].begin));
            return false;
        }
        CSqlType type = typed.kind;
        // Text as long as the expression can make it, where that is known.
        std::string text = typed.length <= 0
                               ? "VARCHAR2(4000)"
                               : (type == CSqlType::Char ? "CHAR(" : "VARCHAR2(") +
                                     std::to_string(typed.length) + (typed.chars ? " CHAR)" : ")");
        // Note: a timestamp keeps its digits and its zone (a column WITH LOCAL
        // TIME ZONE is read through an expression, so SQLite knows no type).
        std::string decl =
            declared != nullptr ? declared
            : type == CSqlType::Date
                ? encoding::Cp932ToUtf8(CColumnCompiler::StoredType(CColumnCompiler::DeclaredOf(typed)))
            : type == CSqlType::Number  ? "NUMBER"
            : type == CSqlType::Unknown ? ""
                                        : text;
        std::string column_name = names.empty() ? sqlite3_column_name(raw, column) : names[index];
        for (std::size_t at; (at = column_name.find('"')) != std::string::npos;) column_name.erase(at, 1);
        create += (column > 0 ? ", \"" : "\"") + column_name + "\" " + decl;
        // Note: a column copied as it is keeps its NOT NULL, named anew, as on the server.
        if (CopiesNotNull(m_db, raw, column)) {
            CSqliteDictionary::Constraint c;
            c.name = m_namer ? m_namer() : CConstraintCatalog::NewName(m_db);
            c.generated = true;
            c.table = encoding::Cp932ToUtf8(
                CNameList::Identifier(sql.substr(tokens[nameAt].begin, tokens[nameAt].length)));
            c.columns = {column_name};
            c.condition = "\"" + column_name + "\" IS NOT NULL";
            create += " CONSTRAINT \"" + c.name + "\" NOT NULL";
            m_defined.push_back(std::move(c));
        }
    }
    create += ")";
    const int count = sqlite3_column_count(raw);
    described.reset();
    bool done = ExecPlain("SAVEPOINT TARVEX_CTAS") && ExecPlain(create.c_str()) &&
                ExecPlain(("INSERT INTO " + name + " " + StoredRows(utf8, types, count)).c_str()) &&
                ExecPlain("RELEASE TARVEX_CTAS");
    if (definition != nullptr) *definition = create;
    if (!done) {
        CEngineError failure = m_error;
        if (!sqliteapi::Undo(m_db, "ROLLBACK TO TARVEX_CTAS; RELEASE TARVEX_CTAS")) m_transactionLost = true;
        m_error = failure;
        return false;
    }
    return true;
}

bool CSqliteConnection::AsSelectDefinition(const std::string& sql, std::string& definition,
                                           std::string& fill) {
    CAsSelectList::List list;
    if (!CAsSelectList::Read(sql, list) || !list.constrained) return true;
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t query = 0;
    while (query < tokens.size() && tokens[query].begin != list.queryAt) ++query;
    CSqlArena arena;
    CSqlParser parser(sql, tokens, arena);
    CSqlParser::Failure failure;
    CSqlStatement statement;
    statement.kind = CSqlStatement::Kind::Select;
    if (!parser.ParseQuery(query, statement.query, failure)) {
        COraError::Set(m_error, failure.unsupported ? 3001 : failure.code, {failure.what},
                       static_cast<int>(failure.at));
        return false;
    }
    CSqlEmitter emitter(sql, *m_catalog);
    CSqlEmitter::Failure emitFailure;
    std::string compiled;
    if (!emitter.Emit(statement, compiled, emitFailure)) {
        SetEmitError(emitFailure, static_cast<int>(emitFailure.at));
        return false;
    }
    Statement described = sqliteapi::Prepare(m_db, encoding::Cp932ToUtf8(compiled));
    if (!described) {
        m_error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(m_db)), static_cast<int>(list.queryAt));
        return false;
    }
    const int count = sqlite3_column_count(described.get());
    if (static_cast<std::size_t>(count) != list.columns.size()) {
        COraError::Set(m_error, 1730, {}, static_cast<int>(list.listAt));
        return false;
    }
    // Note: a column takes the declared type of the column it copies, an
    // expression the type of its value.
    const auto& types = emitter.ResultTypes();
    std::vector<std::string> stored;
    for (int column = 0; column < count; ++column) {
        const char* declared = sqlite3_column_decltype(described.get(), column);
        auto index = static_cast<std::size_t>(column);
        stored.push_back(declared != nullptr ? encoding::Utf8ToCp932(declared)
                                             : CColumnCompiler::DeclaredOf(
                                                   index < types.size() ? types[index] : CValueType{}));
    }
    definition = CAsSelectList::Definition(list, stored);
    fill = "INSERT INTO " + list.table + " " + list.query;
    return true;
}

bool CSqliteConnection::FillTable() {
    if (m_fill.empty()) return true;
    const std::string fill = std::move(m_fill);
    m_fill.clear();
    m_catalog->Invalidate();
    std::vector<CEngineBind> none;
    long rows = 0;
    // Note: a row the constraints refuse is named while the catalog still
    // holds them, before the statement is undone.
    return RunStatement(Piece{fill, 0}, none, rows) || Finish(false, fill);
}

bool CSqliteConnection::CompileChecks(const std::string& sql, std::vector<CColumnCompiler::Edit>& compiled) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    std::size_t name = is(1, "TABLE") ? 2 : is(1, "GLOBAL") && is(3, "TABLE") ? 4 : 0;
    if (!is(0, "CREATE") || name == 0 || name + 1 >= tokens.size()) return true;
    // Note: the schema before the name is the user's own.
    if (name + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[name + 1], '.')) name += 2;
    CCheckCompiler compiler(*m_catalog);
    std::vector<CCheckCompiler::Check> checks = CCheckCompiler::Find(sql, true);
    CSqlEmitter::Failure failure;
    if (!compiler.Compile(sql, CCheckCompiler::DeclaredColumns(sql), checks, failure) ||
        !CompileColumns(sql, compiled, failure)) {
        SetEmitError(failure, static_cast<int>(failure.at));
        return false;
    }
    if (checks.empty()) return true;
    // Note: a table of that name already there is the first fault the server names.
    const std::string_view tableName = std::string_view(sql).substr(tokens[name].begin, tokens[name].length);
    if (!tableName.starts_with("\"") && m_catalog->Columns(cp932::ToUpperAscii(tableName)) != nullptr) {
        COraError::Set(m_error, 955, {cp932::ToUpperAscii(tableName)}, static_cast<int>(tokens[name].begin));
        return false;
    }
    auto existing = CSqliteDictionary::All(m_db);
    if (!m_namer) m_namer = CConstraintCatalog::Namer(m_db);
    for (auto& check : checks) {
        for (const auto& constraint : existing)
            if (!check.name.empty() && constraint.name == encoding::Cp932ToUtf8(check.name)) {
                COraError::Set(m_error, 2264, {check.name}, static_cast<int>(check.begin));
                return false;
            }
        // Note: the catalog records it with the table's other constraints (see CTableText).
        bool generated = check.name.empty();
        std::string name = generated ? encoding::Utf8ToCp932(m_namer()) : check.name;
        m_checks.push_back({check.begin, name, generated, check.condition, check.deferrable, check.deferred});
        compiled.push_back({check.begin, check.end - check.begin,
                            "CONSTRAINT \"" + name + "\" CHECK (" + check.compiled + ")"});
    }
    std::sort(
        compiled.begin(), compiled.end(),
        [](const CColumnCompiler::Edit& a, const CColumnCompiler::Edit& b) { return a.begin < b.begin; });
    return true;
}

bool CSqliteConnection::CompileColumns(const std::string& sql, std::vector<CColumnCompiler::Edit>& compiled,
                                       CSqlEmitter::Failure& failure) {
    CColumnCompiler compiler(*m_catalog);
    std::vector<CColumnCompiler::Edit> edits;
    std::vector<CSqliteCatalog::Column> row = CCheckCompiler::DeclaredColumns(sql);
    for (const auto& column : CColumnCatalog::ReadTable(sql))
        if (!compiler.Compile(sql, column, 0, true, edits, failure, &row)) return false;
    m_virtualTypes = compiler.VirtualTypes();
    for (auto& edit : edits) compiled.push_back({edit.begin, edit.length, std::move(edit.with)});
    return true;
}

bool CSqliteConnection::CreateIdentities(const std::string& sql) {
    for (const auto& identity : CSqliteSchema::Identities(sql))
        if (!CCatalogTables::SetIdentity(m_db, identity, m_error)) return false;
    return true;
}

bool CSqliteConnection::RecordTemporary(const std::string& sql, const char* created) {
    // Note: a private temporary table is the session's alone (see CreatePrivate).
    if (m_creatingPrivate) return true;
    auto tokens = CSqlScanner::Significant(sql, 7);
    if (tokens.size() < 5 || !CSqlScanner::Is(sql, tokens[1], "GLOBAL") ||
        !CSqlScanner::Is(sql, tokens[2], "TEMPORARY"))
        return true;
    std::size_t at = tokens.size() > 6 && CSqlScanner::IsSymbol(sql, tokens[5], '.') ? 6 : 4;
    std::string name = sql.substr(tokens[at].begin, tokens[at].length);
    name = name.front() == '"' ? name.substr(1, name.size() - 2) : cp932::ToUpperAscii(name);
    // Note: ON COMMIT DELETE ROWS is the server's default.
    bool preserve = false;
    auto all = CSqlScanner::Significant(sql);
    for (std::size_t k = 0; k + 3 < all.size() && !preserve; ++k)
        preserve = CSqlScanner::Is(sql, all[k], "ON") && CSqlScanner::Is(sql, all[k + 1], "COMMIT") &&
                   CSqlScanner::Is(sql, all[k + 2], "PRESERVE") && CSqlScanner::Is(sql, all[k + 3], "ROWS");
    return CCatalogTables::AddTemporary(m_db, encoding::Cp932ToUtf8(name), created != nullptr ? created : "",
                                        !preserve, m_error);
}

bool CSqliteConnection::FollowRename(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    auto name = [&](std::size_t k) {
        if (k >= tokens.size()) return std::string();
        std::string written = sql.substr(tokens[k].begin, tokens[k].length);
        return encoding::Cp932ToUtf8(written.front() == '"' ? written.substr(1, written.size() - 2)
                                                            : cp932::ToUpperAscii(written));
    };
    auto is = [&](std::size_t k, std::string_view word) {
        return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
    };
    if (is(0, "RENAME") && is(2, "TO")) return CCatalogTables::RenameTable(m_db, name(1), name(3), m_error);
    if (!is(0, "ALTER") || !is(1, "TABLE") || !is(3, "RENAME")) return true;
    if (is(4, "TO")) return CCatalogTables::RenameTable(m_db, name(2), name(5), m_error);
    if (is(4, "COLUMN") && is(6, "TO"))
        return CCatalogTables::RenameColumn(m_db, name(2), name(5), name(7), m_error);
    return true;
}

bool CSqliteConnection::RecordView() {
    if (!m_pendingView) return true;
    CCatalogTables::View view = std::move(*m_pendingView);
    m_pendingView.reset();
    const std::vector<CValueType> types = std::move(m_pendingViewTypes);
    m_pendingViewTypes.clear();
    // Note: the catalog answers for views from what it read before.
    m_catalog->Invalidate();
    return CCatalogTables::SetView(m_db, view, m_error) && RecordViewColumns(view.name, types);
}

// Note: a column of an expression has no type SQLite knows; the type the
// query gave it is recorded, so the view is described before any row is
// read, as its tables are. A column of a table keeps that column's type.
bool CSqliteConnection::RecordViewColumns(const std::string& utf8Name, const std::vector<CValueType>& types) {
    Statement info = sqliteapi::Prepare(m_db, "SELECT name, type FROM pragma_table_info(?1) ORDER BY cid");
    if (!info) return SetStepError();
    sqlite3_bind_text(info.get(), 1, utf8Name.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<CColumnCatalog::Declared> declared;
    for (std::size_t k = 0; sqlite3_step(info.get()) == SQLITE_ROW; ++k) {
        const unsigned char* stored = sqlite3_column_text(info.get(), 1);
        if (k >= types.size() || types[k].kind == CSqlType::Unknown || (stored != nullptr && *stored != 0))
            continue;
        CColumnCatalog::Declared column;
        const unsigned char* name = sqlite3_column_text(info.get(), 0);
        column.name = encoding::Utf8ToCp932(name != nullptr ? reinterpret_cast<const char*>(name) : "");
        column.type = CColumnCompiler::DeclaredOf(types[k]);
        declared.push_back(std::move(column));
    }
    info.reset();
    return CColumnCatalog::Record(m_db, utf8Name, declared, m_error);
}

bool CSqliteConnection::DropReferringKeys(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql);
    if (tokens.size() < 3 || !CSqlScanner::Is(sql, tokens[0], "DROP") ||
        !CSqlScanner::Is(sql, tokens[1], "TABLE"))
        return true;
    // Note: a schema before the table is the session's own (the file has one user).
    std::size_t nameAt = tokens.size() > 4 && CSqlScanner::IsSymbol(sql, tokens[3], '.') ? 4 : 2;
    std::string name = sql.substr(tokens[nameAt].begin, tokens[nameAt].length);
    name = name.front() == '"' ? name.substr(1, name.size() - 2) : cp932::ToUpperAscii(name);
    bool cascade = false;
    for (std::size_t k = nameAt + 1; k + 1 < tokens.size(); ++k)
        cascade = cascade || (CSqlScanner::Is(sql, tokens[k], "CASCADE") &&
                              CSqlScanner::Is(sql, tokens[k + 1], "CONSTRAINTS"));
    const std::string utf8 = encoding::Cp932ToUtf8(name);
    std::vector<CSqliteDictionary::Constraint> referring;
    for (CSqliteDictionary::Constraint& constraint : CSqliteDictionary::All(m_db))
        if (constraint.type == 'R' && constraint.referencedTable == utf8 && constraint.table != utf8)
            referring.push_back(std::move(constraint));
    if (referring.empty()) return true;
    if (!cascade) {
        COraError::Set(m_error, 2449, {}, static_cast<int>(tokens[nameAt].begin));
        return false;
    }
    // Note: each key goes as ALTER TABLE ... DROP CONSTRAINT would drop it,
    // its table rebuilt; the table itself goes after them.
    for (const CSqliteDictionary::Constraint& key : referring) {
        std::vector<CEngineBind> none;
        long rows = 0;
        std::string alter = "ALTER TABLE \"" + encoding::Utf8ToCp932(key.table) + "\" DROP CONSTRAINT \"" +
                            encoding::Utf8ToCp932(key.name) + "\"";
        if (!RunDdl(alter, none, rows)) return false;
    }
    return true;
}

bool CSqliteConnection::ForgetDropped(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 3);
    if (tokens.size() < 3 || !CSqlScanner::Is(sql, tokens[0], "DROP") ||
        (!CSqlScanner::Is(sql, tokens[1], "TABLE") && !CSqlScanner::Is(sql, tokens[1], "VIEW")))
        return true;
    std::string name = sql.substr(tokens[2].begin, tokens[2].length);
    name = name.front() == '"' ? name.substr(1, name.size() - 2) : cp932::ToUpperAscii(name);
    // Note: a table's triggers go with it, as on the server.
    const std::vector<std::string> triggers = CUnitCatalog::TriggersOf(m_db, name);
    for (const std::string& trigger : triggers)
        if (!CUnitCatalog::DropTrigger(m_db, trigger, m_error)) return false;
    if (!triggers.empty()) m_plsql->Forget();
    m_catalog->Invalidate();
    return CCatalogTables::Forget(m_db, encoding::Cp932ToUtf8(name), m_error);
}

bool CSqliteConnection::RunSequence(const std::string& sql, StatementKind kind) {
    if (!CommitWork()) return false;
    return kind == StatementKind::CreateSequence ? m_sequences->Create(sql, m_error)
                                                 : m_sequences->Drop(sql, m_error);
}

bool CSqliteConnection::RefuseInReadOnlyTransaction(CEngineError& error) const {
    if (!m_readOnlyTransaction) return false;
    COraError::Set(error, 1456, {}, 0);
    return true;
}

bool CSqliteConnection::SetTransaction(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 4);
    bool readOnly = tokens.size() >= 4 && CSqlScanner::Is(sql, tokens[2], "READ") &&
                    CSqlScanner::Is(sql, tokens[3], "ONLY");
    if (InTransaction() || m_readOnlyTransaction) {
        COraError::Set(m_error, 1453, {}, 0);
        return false;
    }
    if (!CHousekeeping(m_db).Run(sql, m_error)) return false;
    m_readOnlyTransaction = readOnly;
    return true;
}

// ANALYZE is DDL and commits as DDL does; the others keep the transaction.
bool CSqliteConnection::RunHousekeeping(const std::string& sql) {
    CHousekeeping housekeeping(m_db);
    auto tokens = CSqlScanner::Significant(sql, 2);
    if (tokens.size() == 2 && CSqlScanner::Is(sql, tokens[0], "SET") &&
        CSqlScanner::Is(sql, tokens[1], "TRANSACTION"))
        return SetTransaction(sql);
    if (tokens.empty() || !CSqlScanner::Is(sql, tokens[0], "ANALYZE")) return housekeeping.Run(sql, m_error);
    if (!CommitWork() || !BeginWrite()) return false;
    if (housekeeping.Run(sql, m_error)) return CommitWork();
    if (!sqliteapi::Undo(m_db, "ROLLBACK")) m_transactionLost = true;
    return false;
}

bool CSqliteConnection::RunSynonym(const std::string& sql) {
    if (!CommitWork() || !BeginWrite()) return false;
    if (CSqliteSynonyms(m_db).Run(sql, m_session->user, m_error)) return CommitWork();
    if (!sqliteapi::Undo(m_db, "ROLLBACK")) m_transactionLost = true;
    return false;
}

bool CSqliteConnection::RunReplace(const std::string& sql, std::vector<CEngineBind>& binds,
                                   long& rowsProcessed) {
    m_pendingView.reset();
    m_forcedView = false;
    if (!CommitWork() || !BeginWrite()) return false;
    // Note: the view made again takes the old one's place in the same transaction.
    auto tokens = CSqlScanner::Significant(sql);
    ViewHead head = ReadViewHead(sql, tokens);
    std::string drop = head.query > 0
                           ? "DROP VIEW IF EXISTS " + encoding::Cp932ToUtf8(sql.substr(
                                                          tokens[head.name].begin, tokens[head.name].length))
                           : std::string();
    bool ok = ExecPlain(drop.c_str());
    if (ok) {
        Statement statement;
        ok = Prepare(Piece{sql, 0}, {}, binds, statement) &&
             (sqlite3_step(statement.get()) == SQLITE_DONE || SetStepError()) && RecordView() &&
             CompileForcedViews();
    }
    if (!ok) {
        CEngineError failure = m_error;
        if (!sqliteapi::Undo(m_db, "ROLLBACK")) m_transactionLost = true;
        m_error = failure;
        return false;
    }
    rowsProcessed = 0;
    if (!CommitWork()) return false;
    return m_forcedView ? WarnForcedView() : true;
}

bool CSqliteConnection::Finish(bool ok, const std::string& sql) {
    if (ok) return true;
    // Note: while the transaction is lost, the texts are already the server's;
    // a unit created with errors answers the server's warning as it is.
    if (m_transactionLost || m_error.code == kCompiledWithErrors) return false;
    static constexpr std::string_view kUnique = "UNIQUE constraint failed: ";
    if (m_error.message.compare(0, kUnique.size(), kUnique) == 0) {
        std::string failed = encoding::Cp932ToUtf8(std::string_view(m_error.message).substr(kUnique.size()));
        // Note: a key goes by its own name, whatever index enforces it; an
        // unnamed one by the name the dictionary gives it.
        std::string name = CSqliteDictionary::KeyName(m_db, failed);
        if (name.empty()) name = m_catalog->UniqueName(failed);
        COraError::Set(m_error, 1,
                       {name.empty() ? m_error.message.substr(kUnique.size()) : encoding::Utf8ToCp932(name)},
                       0);
        return false;
    }
    // Note: DML on a view WITH READ ONLY is refused in the server's words.
    static constexpr std::string_view kView = "cannot modify ";
    if (m_error.message.compare(0, kView.size(), kView) == 0) {
        std::string name = m_error.message.substr(kView.size());
        name = cp932::ToUpperAscii(name.substr(0, name.find(' ')));
        CCatalogTables::View view;
        if (CCatalogTables::FindView(m_db, encoding::Cp932ToUtf8(name), view) && view.readOnly) {
            COraError::Set(m_error, 42399, {}, 0);
            return false;
        }
    }
    COraError::Translate(m_error, ActionOf(sql));
    PlaceTableError(sql);
    // A broken foreign key the probe could not name is named where the
    // statement's table tells which.
    if ((m_error.code == 2291 || m_error.code == 2292) &&
        m_error.message == COraError::Text(m_error.code + 100000, {})) {
        CForeignKeyName::Broken broken = CForeignKeyName::Find(m_db, sql, m_error.code);
        if (broken.code != m_error.code || !broken.name.empty())
            COraError::Set(m_error, broken.code + (broken.name.empty() ? 100000 : 0), {broken.name},
                           m_error.position);
    }
    return false;
}

bool CSqliteConnection::Execute(const std::string& sql, std::vector<CEngineBind>& binds,
                                long& rowsProcessed) {
    rowsProcessed = 0;
    if (RefusesReservedName(sql)) return false;
    return Typed(Finish(ExecuteStatement(sql, binds, rowsProcessed), sql), sql);
}

bool CSqliteConnection::Query(const std::string& sql, std::vector<CEngineBind>& binds,
                              CEngineResult& result) {
    bool ok = false;
    if (!CTypedText::NeedsUpper(sql)) {
        ok = Finish(QueryStatement(sql, binds, result), sql);
    } else {
        if (RefusesReservedName(sql)) return false;
        const std::string upper = CTypedText::UpperWords(sql);
        CTypedText::Scope typed(upper, sql);
        ok = Typed(Finish(QueryStatement(upper, binds, result), upper), sql);
    }
    for (CEngineColumn& column : result.Columns()) column.name = CSqliteName::Heading(column.name);
    return ok;
}

bool CSqliteConnection::RefusesReservedName(const std::string& sql) {
    const std::size_t at = CSqliteName::ReservedAt(sql);
    if (at == std::string::npos) return false;
    m_error.Clear();
    COraError::Set(m_error, 3001, {encoding::Utf8ToCp932("英大文字の前に ^ がある引用符付きの名前")},
                   static_cast<int>(at));
    return true;
}

bool CSqliteConnection::Typed(bool ok, const std::string& sql) {
    // Note: a failure's place in the spelled statement is told in the typed one.
    if (!ok && m_error.position > 0)
        m_error.position =
            static_cast<int>(CSqliteName::TypedOffset(sql, static_cast<std::size_t>(m_error.position)));
    return ok;
}

bool CSqliteConnection::SetDateLanguage(const std::string& sql, const CSqlScanner::Token& value) {
    std::string_view written = std::string_view(sql).substr(value.begin, value.length);
    std::string name =
        value.kind == CSqlScanner::Kind::String ? CSqlScanner::LiteralText(written) : std::string(written);
    if (CDateFormat::LanguageNamed(name, m_session->dateLanguage)) return true;
    COraError::Set(m_error, 12705, {}, static_cast<int>(value.begin));
    return false;
}

namespace {

// The territories a session may name, with the date format each gives.
constexpr struct {
    std::string_view name;
    const char* dateFormat;
} kTerritories[] = {
    {"JAPAN", "RR-MM-DD"},           {"AMERICA", "DD-MON-RR"},    {"UNITED KINGDOM", "DD-MON-RR"},
    {"GERMANY", "DD.MM.RR"},         {"FRANCE", "DD/MM/RR"},      {"ITALY", "DD-MON-RR"},
    {"CHINA", "DD-MON-RR"},          {"KOREA", "RR/MM/DD"},       {"TAIWAN", "RR/MM/DD"},
    {"CANADA", "RR-MM-DD"},          {"AUSTRALIA", "DD/MON/RR"},  {"SPAIN", "DD/MM/RR"},
    {"THE NETHERLANDS", "DD-MM-RR"}, {"SWITZERLAND", "DD.MM.RR"}, {"INDIA", "DD-MM-RR"},
};

}  // namespace

bool CSqliteConnection::SetTerritory(const std::string& sql, const CSqlScanner::Token& value) {
    std::string_view written = std::string_view(sql).substr(value.begin, value.length);
    std::string name = cp932::ToUpperAscii(
        value.kind == CSqlScanner::Kind::String ? CSqlScanner::LiteralText(written) : std::string(written));
    for (const auto& territory : kTerritories)
        if (territory.name == name) {
            ApplyTerritory(name, territory.dateFormat);
            return true;
        }
    COraError::Set(m_error, 12705, {}, static_cast<int>(value.begin));
    return false;
}

namespace {

// TIME_ZONE = '+hh:mi' | 'region' | LOCAL | DBTIMEZONE: 0, or the server's
// number for a zone it does not know.
int SetTimeZone(const std::string& sql, const CSqlScanner::Token& value, CSqliteSession& session) {
    if (value.kind != CSqlScanner::Kind::String) {
        if (CSqlScanner::Is(sql, value, "LOCAL")) return session.timeZone = CTimeZone::Machine(), 0;
        if (CSqlScanner::Is(sql, value, "DBTIMEZONE")) return session.timeZone = session.dbTimeZone, 0;
        return 922;
    }
    CTimeZone zone;
    std::string text = CSqlScanner::LiteralText(std::string_view(sql).substr(value.begin, value.length));
    if (int code = CTimeZone::Parse(text, zone); code != 0) return code;
    session.timeZone = zone;
    return 0;
}

}  // namespace

bool CSqliteConnection::RunSession(const std::string& sql) {
    // ALTER SESSION SET name = value [name = value ...]: NLS_DATE_FORMAT and
    // NLS_DATE_LANGUAGE are honoured, the other settings accepted as they are.
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t k = 2;
    // Note: settings that change nothing here (ENABLE PARALLEL DML, ...) are accepted.
    if (k >= tokens.size() || !CSqlScanner::Is(sql, tokens[k], "SET")) return true;
    for (++k; k + 2 < tokens.size(); k += 3) {
        if (!CSqlScanner::IsSymbol(sql, tokens[k + 1], '=')) {
            COraError::Set(m_error, 922, {}, static_cast<int>(tokens[k + 1].begin));
            return false;
        }
        if (CSqlScanner::Is(sql, tokens[k], "NLS_DATE_LANGUAGE")) {
            if (!SetDateLanguage(sql, tokens[k + 2])) return false;
            continue;
        }
        // Note: the language gives the names of months and days; the
        // territory gives the date format, as the server derives them.
        if (CSqlScanner::Is(sql, tokens[k], "NLS_LANGUAGE")) {
            if (!SetDateLanguage(sql, tokens[k + 2])) return false;
            m_session->language =
                m_session->dateLanguage == CDateLanguage::Japanese ? "JAPANESE" : "AMERICAN";
            continue;
        }
        if (CSqlScanner::Is(sql, tokens[k], "NLS_TERRITORY")) {
            if (!SetTerritory(sql, tokens[k + 2])) return false;
            continue;
        }
        if (CSqlScanner::Is(sql, tokens[k], "TIME_ZONE")) {
            if (int code = SetTimeZone(sql, tokens[k + 2], *m_session); code != 0) {
                COraError::Set(m_error, code, {}, static_cast<int>(tokens[k + 2].begin));
                return false;
            }
            continue;
        }
        if (CSqlScanner::Is(sql, tokens[k], "NLS_TIMESTAMP_FORMAT") ||
            CSqlScanner::Is(sql, tokens[k], "NLS_TIMESTAMP_TZ_FORMAT")) {
            if (!SetTimestampFormat(sql, tokens[k], tokens[k + 2])) return false;
            continue;
        }
        if (CSqlScanner::Is(sql, tokens[k], "NLS_DATE_FORMAT") && !SetDateFormat(sql, tokens[k + 2]))
            return false;
    }
    return true;
}

namespace {

// A format set for the session (UTF-8) with the territory's DL, DS and TS
// in place, as dates are written and read by it: 0, ORA-01821 where those
// stand with other elements (no date could be read by it), or ORA-03001
// for a territory without them.
int SessionModel(const std::string& setting, const std::string& territory, std::string& model) {
    switch (CTerritoryFormat::ForReading(setting, territory, model)) {
        case CTerritoryFormat::Outcome::Expanded:
            return 0;
        case CTerritoryFormat::Outcome::Refused:
            return 1821;
        case CTerritoryFormat::Outcome::Unknown:
            break;
    }
    return 3001;
}

// A format's text as ALTER SESSION writes it: 0 with the text (CP932), or
// ORA-00922 for a value that is no string.
int FormatText(const std::string& sql, const CSqlScanner::Token& value, std::string& text) {
    if (value.kind != CSqlScanner::Kind::String) return 922;
    text = CSqlScanner::LiteralText(std::string_view(sql).substr(value.begin, value.length));
    return 0;
}

}  // namespace

bool CSqliteConnection::RefuseFormat(int code, const std::string& written, const CSqlScanner::Token& value) {
    std::string named = code == 3001 ? "DL/DS/TS (NLS_TERRITORY " + m_session->territory + ")" : written;
    COraError::Set(m_error, code, {named}, static_cast<int>(value.begin));
    return false;
}

bool CSqliteConnection::SetDateFormat(const std::string& sql, const CSqlScanner::Token& value) {
    std::string written;
    if (int code = FormatText(sql, value, written); code != 0) return RefuseFormat(code, written, value);
    // Note: the format's text is held in UTF-8, as the dates it writes are.
    std::string setting = encoding::Cp932ToUtf8(written);
    std::string model;
    std::string out;
    std::string error;
    int code = SessionModel(setting, m_session->territory, model);
    if (code == 0 && !CDateFormat::Format(CDateFormat::Now(), model, out, error)) code = 1821;
    if (code != 0) return RefuseFormat(code, written, value);
    m_session->dateFormat = model;
    m_session->dateFormatSetting = setting;
    return true;
}

bool CSqliteConnection::SetTimestampFormat(const std::string& sql, const CSqlScanner::Token& name,
                                           const CSqlScanner::Token& value) {
    std::string written;
    if (int code = FormatText(sql, value, written); code != 0) return RefuseFormat(code, written, value);
    std::string setting = encoding::Cp932ToUtf8(written);
    std::string model;
    int code = SessionModel(setting, m_session->territory, model);
    if (code == 0 && CTimestampText::Width(model, 9, m_session->dateLanguage) <= 0) code = 1821;
    if (code != 0) return RefuseFormat(code, written, value);
    bool zoned = CSqlScanner::Is(sql, name, "NLS_TIMESTAMP_TZ_FORMAT");
    (zoned ? m_session->timestampTzFormat : m_session->timestampFormat) = model;
    (zoned ? m_session->timestampTzFormatSetting : m_session->timestampFormatSetting) = setting;
    return true;
}

void CSqliteConnection::ApplyTerritory(const std::string& territory, const char* dateFormat) {
    m_session->territory = territory;
    m_session->dateFormat = m_session->dateFormatSetting = dateFormat;
    // Note: DL, DS and TS in a timestamp format are the new territory's; a
    // territory without them gives the formats the session starts with.
    struct Format {
        std::string& setting;
        std::string& model;
        const char* initial;
    };
    for (Format format : {Format{m_session->timestampFormatSetting, m_session->timestampFormat,
                                 CSqliteSession::kTimestampFormat},
                          Format{m_session->timestampTzFormatSetting, m_session->timestampTzFormat,
                                 CSqliteSession::kTimestampTzFormat}})
        if (SessionModel(format.setting, territory, format.model) != 0)
            format.setting = format.model = format.initial;
}

std::unique_ptr<CEngineCursor> CSqliteConnection::TakeCursorVariable(const std::string& name,
                                                                     CEngineError& error) {
    auto found = m_cursorVariables.find(cp932::ToUpperAscii(name));
    // Note: a variable no block opened, or one PRINT has read already.
    if (found == m_cursorVariables.end()) {
        error.Set(encoding::Utf8ToCp932("REFCURSOR 変数 ") + name +
                  encoding::Utf8ToCp932(" は開かれていません。"));
        return nullptr;
    }
    auto cursor = std::make_unique<CMaterialisedCursor>(std::move(found->second));
    m_cursorVariables.erase(found);
    return cursor;
}

long CSqliteConnection::Changes() {
    long rows = static_cast<long>(sqlite3_changes64(m_db));
    auto& redirected = m_plsql->redirected;
    if (m_plsql->firing < redirected.size()) rows += std::exchange(redirected[m_plsql->firing], 0);
    return rows;
}

bool CSqliteConnection::ExecuteStatement(const std::string& sql, std::vector<CEngineBind>& binds,
                                         long& rowsProcessed) {
    if (!CTypedText::NeedsUpper(sql)) return ExecuteWords(sql, binds, rowsProcessed);
    const std::string upper = CTypedText::UpperWords(sql);
    CTypedText::Scope typed(upper, sql);
    return ExecuteWords(upper, binds, rowsProcessed);
}

bool CSqliteConnection::ExecuteWords(const std::string& sql, std::vector<CEngineBind>& binds,
                                     long& rowsProcessed) {
    m_error.Clear();
    m_warehouse->Forget();
    rowsProcessed = 0;
    ++m_plsql->statement;
    m_plsql->firing = 0;
    m_plsql->redirected.clear();
    m_plsql->frames.clear();
    m_plsql->scopes.clear();
    if (!CheckEncoding(sql)) return false;
    StatementKind kind = CStatementClassifier::Classify(sql);
    if (RefuseWhileLost(kind)) return false;
    if (kind == StatementKind::Commit) return Commit();
    if (kind == StatementKind::Rollback) return Rollback();
    bool held = InTransaction();
    unsigned long commits = m_commits;
    // Note: the times of objects are written in the schema statement's own
    // transaction, just before its commit (see CommitWork); ALTER PROCEDURE,
    // FUNCTION and TRIGGER are among the statements classified as refused.
    bool schema = kind == StatementKind::Ddl || kind == StatementKind::Truncate ||
                  kind == StatementKind::ReplaceObject || kind == StatementKind::StoredCode ||
                  kind == StatementKind::CreateSequence || kind == StatementKind::DropSequence ||
                  kind == StatementKind::Synonym || kind == StatementKind::Unsupported;
    if (schema) m_objectTimes.Begin(m_db, sql, held);
    bool ran = RunKind(sql, kind, binds, rowsProcessed);
    if (schema) m_objectTimes.End(m_db, ran);
    if (ran) return true;
    // Note: the cause is put in the server's words before the loss is added.
    Finish(false, sql);
    NoteLostTransaction(held, commits);
    return false;
}

bool CSqliteConnection::RunKind(const std::string& sql, StatementKind kind, std::vector<CEngineBind>& binds,
                                long& rowsProcessed) {
    if (kind != StatementKind::Query && kind != StatementKind::Dml && kind != StatementKind::Block &&
        kind != StatementKind::Commit && kind != StatementKind::Rollback) {
        m_catalog->Invalidate();
        m_plsql->Forget();
        bool handled = false;
        bool ran = CBlockHost(*this).RunUnitStatement(sql, binds, rowsProcessed, handled);
        if (handled) return ran;
    }
    if (kind == StatementKind::Other && CHousekeeping::Takes(sql)) return RunHousekeeping(sql);
    if (const Refusal* refusal = FindRefusal(kind)) {
        std::string_view words = CStatementClassifier::MatchedWords(sql);
        COraError::Set(m_error, 3001, {refusal->showWords ? words : std::string_view(refusal->note)},
                       static_cast<int>(words.empty() ? 0 : words.data() - sql.data()));
        return false;
    }
    bool ok = false;
    switch (kind) {
        case StatementKind::Block:
        case StatementKind::DeclareBlock:
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
        case StatementKind::Synonym:
            return RunSynonym(sql);
        case StatementKind::Session:
            return RunSession(sql);
        case StatementKind::Dml:
            ok = RunDml(sql, binds, rowsProcessed);
            break;
        case StatementKind::Other:
            ok = RunOther(sql, binds, rowsProcessed);
            break;
        default:
            ok = RunStatement(Piece{sql, 0}, binds, rowsProcessed);
            break;
    }
    return ok && FinishStatement();
}

bool CSqliteConnection::RunOther(const std::string& sql, std::vector<CEngineBind>& binds,
                                 long& rowsProcessed) {
    if (auto first = CSqlScanner::Significant(sql, 1);
        !first.empty() && CSqlScanner::IsSymbol(sql, first[0], '('))
        return RunStatement(Piece{sql, 0}, binds, rowsProcessed);
    std::string written;
    std::size_t nameAt = 0;
    CSchemaText::Failure failure;
    switch (CSchemaText(*m_catalog).Write(sql, written, nameAt, failure)) {
        case CSchemaText::Outcome::Written:
            break;
        case CSchemaText::Outcome::Refused:
            COraError::Set(m_error, failure.code, {failure.name}, static_cast<int>(failure.at));
            return false;
        case CSchemaText::Outcome::NotTaken: {
            auto first = CSqlScanner::Significant(sql, 1);
            COraError::Set(m_error, 900, {}, static_cast<int>(first.empty() ? 0 : first[0].begin));
            return false;
        }
    }
    // Note: a savepoint lives in the transaction, which it begins when none is open.
    bool rollback = written.compare(0, 8, "ROLLBACK") == 0;
    if (rollback && (!InTransaction() || !ExecPlain(encoding::Cp932ToUtf8(written).c_str()))) {
        std::string name;
        for (const auto& token : CSqlScanner::Significant(sql))
            if (token.begin == nameAt) name = sql.substr(token.begin, token.length);
        name = name.size() >= 2 && name.front() == '"' ? name.substr(1, name.size() - 2)
                                                       : cp932::ToUpperAscii(name);
        COraError::Set(m_error, 1086, {name}, static_cast<int>(nameAt));
        return false;
    }
    return rollback || (BeginWrite() && ExecPlain(encoding::Cp932ToUtf8(written).c_str()));
}

bool CSqliteConnection::QueryStatement(const std::string& sql, std::vector<CEngineBind>& binds,
                                       CEngineResult& result) {
    m_error.Clear();
    m_warehouse->Forget();
    result.Clear();
    if (!CheckEncoding(sql)) return false;
    if (m_transactionLost) {
        CSqliteFailure::SetTransactionLost(m_error);
        return false;
    }
    bool held = InTransaction();
    unsigned long commits = m_commits;
    if (RunQuery(sql, binds, result)) return true;
    Finish(false, sql);
    NoteLostTransaction(held, commits);
    return false;
}

bool CSqliteConnection::PrepareQuery(const std::string& sql, std::vector<CEngineBind>& binds,
                                     Statement& statement, std::vector<CSelectList::Item>& items) {
    if (!Prepare(Piece{sql, 0}, {}, binds, statement)) return false;
    if (sqlite3_column_count(statement.get()) == 0 || sqlite3_stmt_readonly(statement.get()) == 0) {
        COraError::Set(m_error, 24374, {}, 0);
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
    const std::shared_ptr<CWithUnits> declared = std::move(m_withUnits);
    return CSqliteResultReader::Read(m_db, statement.get(), items, result, m_error, m_resultTypes,
                                     m_session.get());
}

std::unique_ptr<CEngineCursor> CSqliteConnection::OpenCursor(const std::string& sql,
                                                             std::vector<CEngineBind>& binds,
                                                             CursorMode mode) {
    if (!CTypedText::NeedsUpper(sql)) return OpenWords(sql, binds, mode);
    if (RefusesReservedName(sql)) return nullptr;
    const std::string upper = CTypedText::UpperWords(sql);
    CTypedText::Scope typed(upper, sql);
    auto cursor = OpenWords(upper, binds, mode);
    Typed(cursor != nullptr, sql);
    return cursor;
}

std::unique_ptr<CEngineCursor> CSqliteConnection::OpenWords(const std::string& sql,
                                                            std::vector<CEngineBind>& binds,
                                                            CursorMode mode) {
    m_error.Clear();
    m_warehouse->Forget();
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
        Finish(false, sql);
        NoteLostTransaction(held, commits);
        return nullptr;
    }
    auto onFailure = [this, held, commits](CEngineError& error) {
        m_error = error;
        Finish(false, {});
        NoteLostTransaction(held, commits);
        error = m_error;
    };
    std::shared_ptr<CWithUnits> declared = std::move(m_withUnits);
    std::unique_ptr<CSqliteCursor> opened =
        CSqliteCursor::Open(m_db, statement.release(), items, m_resultTypes, mode == CursorMode::DescribeOnly,
                            std::move(onFailure), m_session.get());
    // Note: the query's WITH functions live as long as its cursor.
    if (opened) opened->Hold(std::move(declared));
    std::unique_ptr<CEngineCursor> cursor = std::move(opened);
    // Note: a column described by its values needs the whole result first.
    return cursor != nullptr ? std::move(cursor) : CEngineConnection::OpenCursor(sql, binds, mode);
}

bool CSqliteConnection::RunBlock(const std::string& sql, std::vector<CEngineBind>& binds,
                                 long& rowsProcessed) {
    rowsProcessed = 0;
    CBlockHost host(*this);
    return host.Run(sql, binds, rowsProcessed, m_error);
}

void CSqliteConnection::EnableOutput(const std::string& size) {
    if (!m_outputEnabled) {
        m_outputLimit = 0;
        m_outputUnlimited = false;
    }
    m_outputEnabled = true;
    if (size == "NULL") {
        m_outputUnlimited = true;
        return;
    }
    long long asked = size.empty() ? kOutputDefault : std::atoll(size.c_str());
    asked = std::clamp<long long>(asked, kOutputMinimum, kOutputMaximum);
    m_outputLimit = std::max(m_outputLimit, static_cast<std::size_t>(asked));
}

bool CSqliteConnection::AppendOutput(const std::string& text, bool endLine) {
    if (!m_outputEnabled) return true;
    if (!m_outputUnlimited && m_outputBytes + text.size() > m_outputLimit) {
        COraError::Set(m_error, 20000, {std::to_string(m_outputLimit)});
        return false;
    }
    m_outputBytes += text.size();
    if (!m_outputLineOpen) m_output.emplace_back();
    m_output.back() += text;
    m_outputLineOpen = !endLine;
    return true;
}
