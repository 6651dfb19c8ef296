#include "engine/oci/COciConnection.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "engine/oci/COciCursor.h"
#include "engine/oci/COciStatement.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

using namespace oci;

namespace {

struct WordEffect {
    const char* word;
    COciConnection::TransactionEffect effect;
};

constexpr WordEffect kEffects[] = {
    {"CREATE", COciConnection::TransactionEffect::Ends},
    {"ALTER", COciConnection::TransactionEffect::Ends},
    {"DROP", COciConnection::TransactionEffect::Ends},
    {"GRANT", COciConnection::TransactionEffect::Ends},
    {"REVOKE", COciConnection::TransactionEffect::Ends},
    {"TRUNCATE", COciConnection::TransactionEffect::Ends},
    {"RENAME", COciConnection::TransactionEffect::Ends},
    {"COMMENT", COciConnection::TransactionEffect::Ends},
    {"COMMIT", COciConnection::TransactionEffect::Ends},
    {"SELECT", COciConnection::TransactionEffect::Keeps},
    {"WITH", COciConnection::TransactionEffect::Keeps},
};

// The most lines one statement's server output may add.
constexpr int kMaxOutputLines = 1000000;
// Lines taken a round trip, and the longest line the package writes.
constexpr ub4 kOutputLines = 100;
constexpr sb4 kOutputLineRoom = 32767;
// Statements the session keeps parsed.
constexpr ub4 kStatementCache = 40;

constexpr const char* kGetLines = "BEGIN DBMS_OUTPUT.GET_LINES(:LINES, :NUMLINES); END;";

struct PrivilegeName {
    const char* name;
    ub4 mode;
    const char* user;
};

// The privileges of AS ..., and the user the server documents each
// session runs as.
constexpr PrivilegeName kPrivileges[] = {
    {"SYSDBA", OCI_SYSDBA, "SYS"},          {"SYSOPER", OCI_SYSOPER, "PUBLIC"},
    {"SYSBACKUP", OCI_SYSBKP, "SYSBACKUP"}, {"SYSDG", OCI_SYSDGD, "SYSDG"},
    {"SYSKM", OCI_SYSKMT, "SYSKM"},
};

// Note: written here in UTF-8 for reading; the engine's text is CP932.
constexpr const char* kNotConnected =
    "ORA-03114: サーバーとの接続が切れています。CONNECT で接続し直してください。";
constexpr const char* kWorkLost =
    "ORA-03114: サーバーとの接続が失われたため、コミットされていない変更は失われました。";

std::string FirstWord(const std::string& sql) {
    std::size_t begin = sql.find_first_not_of(" \t\r\n(");
    if (begin == std::string::npos) return {};
    std::size_t end = begin;
    while (end < sql.size() && std::isalpha(static_cast<unsigned char>(sql[end]))) ++end;
    return cp932::ToUpper(std::string_view(sql).substr(begin, end - begin));
}

// "COMMIT" or "ROLLBACK" when the text is that word alone (WORK allowed),
// else "".
std::string PlainTransactionWord(const std::string& sql) {
    std::string upper = cp932::ToUpper(sql);
    for (char& c : upper)
        if (c == '\n' || c == '\t' || c == '\r' || c == ';') c = ' ';
    std::istringstream words(upper);
    std::string first;
    std::string second;
    std::string third;
    words >> first >> second >> third;
    if ((first != "COMMIT" && first != "ROLLBACK") || !third.empty()) return {};
    return second.empty() || second == "WORK" ? first : std::string();
}

}  // namespace

COciConnection::TransactionEffect COciConnection::EffectOf(const std::string& sql) {
    const std::string word = FirstWord(sql);
    if (word == "ROLLBACK") {
        // ROLLBACK TO SAVEPOINT keeps the transaction open.
        const std::string upper = cp932::ToUpper(sql);
        return upper.find(" TO ") == std::string::npos ? TransactionEffect::Ends : TransactionEffect::Writes;
    }
    for (const auto& row : kEffects)
        if (word == row.word) return row.effect;
    return TransactionEffect::Writes;
}

struct COciConnection::Handles {
    const Api* api = nullptr;
    OCIError* errorHandle = nullptr;
    OCIError* breakHandle = nullptr;
    OCIServer* server = nullptr;
    OCISvcCtx* service = nullptr;
    OCISession* session = nullptr;
    bool attached = false;
    bool begun = false;

    bool Allocate(OCIEnv* env) {
        const auto take = [&](void** slot, ub4 type) {
            return api->HandleAlloc(env, slot, type, 0, nullptr) == OCI_SUCCESS;
        };
        return take(reinterpret_cast<void**>(&errorHandle), OCI_HTYPE_ERROR) &&
               take(reinterpret_cast<void**>(&breakHandle), OCI_HTYPE_ERROR) &&
               take(reinterpret_cast<void**>(&server), OCI_HTYPE_SERVER) &&
               take(reinterpret_cast<void**>(&service), OCI_HTYPE_SVCCTX) &&
               take(reinterpret_cast<void**>(&session), OCI_HTYPE_SESSION);
    }
    // Ends the session (unless `lost`), detaches and frees every handle.
    void Release(bool lost) {
        if (begun && !lost) api->SessionEnd(service, errorHandle, session, OCI_DEFAULT);
        if (attached) api->ServerDetach(server, errorHandle, OCI_DEFAULT);
        if (session != nullptr) api->HandleFree(session, OCI_HTYPE_SESSION);
        if (service != nullptr) api->HandleFree(service, OCI_HTYPE_SVCCTX);
        if (server != nullptr) api->HandleFree(server, OCI_HTYPE_SERVER);
        if (breakHandle != nullptr) api->HandleFree(breakHandle, OCI_HTYPE_ERROR);
        if (errorHandle != nullptr) api->HandleFree(errorHandle, OCI_HTYPE_ERROR);
        begun = attached = false;
        session = nullptr;
        service = nullptr;
        server = nullptr;
        breakHandle = errorHandle = nullptr;
    }
    bool SetText(void* target, ub4 type, const std::string& text, ub4 attribute) {
        return api->AttrSet(target, type, const_cast<char*>(text.data()), static_cast<ub4>(text.size()),
                            attribute, errorHandle) == OCI_SUCCESS;
    }
};

bool COciConnection::PrivilegeMode(const std::string& privilege, ub4& mode) {
    mode = OCI_DEFAULT;
    if (privilege.empty()) return true;
    const std::string upper = cp932::ToUpper(privilege);
    for (const auto& row : kPrivileges)
        if (upper == row.name) {
            mode = row.mode;
            return true;
        }
    return false;
}

std::unique_ptr<COciConnection> COciConnection::Open(const std::string& identifier, const std::string& user,
                                                     const std::string& password, CEngineError& error) {
    CEngineLogon logon;
    logon.database = identifier;
    logon.user = user;
    logon.password = password;
    return Open(logon, error);
}

std::unique_ptr<COciConnection> COciConnection::Open(const CEngineLogon& logon, CEngineError& error) {
    const COciEnvironment* env = COciEnvironment::Get(error);
    if (env == nullptr) return nullptr;
    ub4 mode = OCI_DEFAULT;
    if (!PrivilegeMode(logon.privilege, mode)) {
        error.Set(encoding::Utf8ToCp932("不明な権限です: ") + logon.privilege);
        return nullptr;
    }
    auto handles = std::make_unique<Handles>();
    handles->api = &env->Api();
    const Api& api = env->Api();
    if (!handles->Allocate(env->Handle())) {
        handles->Release(false);
        error.Set(encoding::Utf8ToCp932("Oracle クライアントのハンドルを割り当てられません。"));
        return nullptr;
    }
    const std::string database = COciEnvironment::ToServer(logon.database);
    const std::string user = COciEnvironment::ToServer(logon.user);
    const std::string password = COciEnvironment::ToServer(logon.password);
    const std::string newPassword = COciEnvironment::ToServer(logon.newPassword);
    ub4 cacheSize = kStatementCache;
    sword status = api.ServerAttach(handles->server, handles->errorHandle,
                                    reinterpret_cast<const OraText*>(database.data()),
                                    static_cast<sb4>(database.size()), OCI_DEFAULT);
    if (status == OCI_SUCCESS) {
        handles->attached = true;
        api.AttrSet(handles->service, OCI_HTYPE_SVCCTX, handles->server, 0, OCI_ATTR_SERVER,
                    handles->errorHandle);
        if (!logon.external) {
            handles->SetText(handles->session, OCI_HTYPE_SESSION, user, OCI_ATTR_USERNAME);
            handles->SetText(handles->session, OCI_HTYPE_SESSION, password, OCI_ATTR_PASSWORD);
        }
        api.AttrSet(handles->service, OCI_HTYPE_SVCCTX, handles->session, 0, OCI_ATTR_SESSION,
                    handles->errorHandle);
        api.AttrSet(handles->service, OCI_HTYPE_SVCCTX, &cacheSize, 0, OCI_ATTR_STMTCACHESIZE,
                    handles->errorHandle);
        status = api.SessionBegin(handles->service, handles->errorHandle, handles->session,
                                  logon.external ? OCI_CRED_EXT : OCI_CRED_RDBMS, mode | OCI_STMT_CACHE);
    }
    if (status == OCI_ERROR && !logon.newPassword.empty() && !logon.external) {
        CEngineError first;
        env->ReadError(handles->errorHandle, status, first);
        // Note: an expired password is changed as part of the logon.
        if (first.code == kPasswordExpired)
            status = api.PasswordChange(
                handles->service, handles->errorHandle, reinterpret_cast<const OraText*>(user.data()),
                static_cast<ub4>(user.size()), reinterpret_cast<const OraText*>(password.data()),
                static_cast<ub4>(password.size()), reinterpret_cast<const OraText*>(newPassword.data()),
                static_cast<ub4>(newPassword.size()), OCI_AUTH);
    }
    if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) {
        env->ReadError(handles->errorHandle, status, error);
        handles->Release(false);
        return nullptr;
    }
    handles->begun = true;
    std::unique_ptr<COciConnection> connection(new COciConnection(*env, std::move(handles)));
    if (status == OCI_SUCCESS_WITH_INFO) {
        CEngineError warning;
        env->ReadError(connection->m_handles->errorHandle, status, warning);
        connection->KeepWarning(warning.message);
    }
    connection->m_user = logon.external ? connection->AskUser() : cp932::ToUpper(logon.user);
    for (const auto& row : kPrivileges)
        if (row.mode == mode) connection->m_user = row.user;
    return connection;
}

COciConnection::COciConnection(const COciEnvironment& env, std::unique_ptr<Handles> handles)
    : m_env(env), m_handles(std::move(handles)) {
    m_state.service = m_handles->service;
    m_state.errorHandle = m_handles->errorHandle;
}

COciConnection::~COciConnection() {
    const Api& api = m_env.Api();
    for (auto& cursor : m_cursorVariables) api.HandleFree(cursor.second, OCI_HTYPE_STMT);
    if (!m_state.lost) api.TransRollback(m_handles->service, m_handles->errorHandle, OCI_DEFAULT);
    m_handles->Release(m_state.lost);
}

std::string COciConnection::AskUser() {
    std::vector<CEngineBind> binds;
    CEngineResult result;
    const CEngineError kept = m_error;
    const bool ok = Query("SELECT USER FROM DUAL", binds, result) && result.RowCount() == 1;
    m_error = kept;
    return ok ? std::string(result.Value(0, 0)) : std::string();
}

void COciConnection::KeepWarning(const std::string& warning) {
    if (!warning.empty()) m_warnings.push_back(warning);
}

std::vector<std::string> COciConnection::TakeWarnings() {
    std::vector<std::string> warnings;
    warnings.swap(m_warnings);
    return warnings;
}

bool COciConnection::RefuseWhenLost() {
    if (!m_state.lost) return false;
    m_error.Set(encoding::Utf8ToCp932(kNotConnected));
    m_error.code = 3114;
    m_error.sessionLost = true;
    return true;
}

std::unique_ptr<COciStatement> COciConnection::NewStatement() {
    return std::make_unique<COciStatement>(m_env, m_state, m_error);
}

bool COciConnection::Execute(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    m_error.Clear();
    rowsProcessed = 0;
    // COMMIT and ROLLBACK (without a savepoint) are the client's own calls.
    const std::string plain = PlainTransactionWord(sql);
    if (plain == "COMMIT") return Commit();
    if (plain == "ROLLBACK") return Rollback();
    if (RefuseWhenLost()) return false;
    std::unique_ptr<COciStatement> statement = NewStatement();
    if (!statement->Prepare(sql) || !statement->Bind(binds)) return false;
    const ub4 iters = statement->Type() == OCI_STMT_SELECT ? 0 : 1;
    const ub4 mode = m_autoCommit ? OCI_COMMIT_ON_SUCCESS : OCI_DEFAULT;
    const bool ok = statement->Execute(iters, mode);
    // A unit created with compilation errors is still created (and DDL
    // commits); only its warning is reported.
    if (!ok && m_error.code != kCompiledWithErrors) return false;
    const TransactionEffect effect = EffectOf(sql);
    if (effect == TransactionEffect::Ends || m_autoCommit)
        m_state.uncommitted = false;
    else if (effect == TransactionEffect::Writes)
        m_state.uncommitted = true;
    if (!ok) return false;
    KeepWarning(statement->Warning());
    rowsProcessed = statement->RowCount();
    statement->StoreBinds(binds);
    for (auto& [name, handle] : statement->TakeCursorVariables()) {
        OCIStmt*& slot = m_cursorVariables[cp932::ToUpper(name)];
        if (slot != nullptr) m_env.Api().HandleFree(slot, OCI_HTYPE_STMT);
        slot = handle;
    }
    return true;
}

std::unique_ptr<CEngineCursor> COciConnection::OpenCursor(const std::string& sql,
                                                          std::vector<CEngineBind>& binds, CursorMode mode) {
    m_error.Clear();
    if (RefuseWhenLost()) return nullptr;
    std::unique_ptr<COciStatement> statement = NewStatement();
    if (!statement->Prepare(sql) || !statement->Bind(binds)) return nullptr;
    const bool describeOnly = mode == CursorMode::DescribeOnly;
    if (statement->Type() != OCI_STMT_SELECT) {
        m_error.Set("the statement is not a query", 0);
        return nullptr;
    }
    // Note: the execution's round trip brings the first fetch's rows along.
    ub4 prefetch = m_state.arraySize > 0 ? static_cast<ub4>(m_state.arraySize) : COciCursor::kFirstRows;
    m_env.Api().AttrSet(statement->Handle(), OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS,
                        m_state.errorHandle);
    if (!statement->Execute(0, describeOnly ? OCI_DESCRIBE_ONLY : OCI_DEFAULT)) return nullptr;
    auto cursor = std::make_unique<COciCursor>(std::move(statement), describeOnly);
    if (!cursor->Describe()) return nullptr;
    return cursor;
}

bool COciConnection::Query(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result) {
    result.Clear();
    std::unique_ptr<CEngineCursor> cursor = OpenCursor(sql, binds, CursorMode::Rows);
    if (cursor == nullptr) return false;
    result.SetColumns(cursor->Columns());
    CEngineResult batch;
    for (;;) {
        if (!cursor->Fetch(COciCursor::kFirstRows, batch)) {
            m_error = cursor->LastError();
            return false;
        }
        for (std::size_t r = 0; r < batch.RowCount(); ++r) {
            for (std::size_t c = 0; c < batch.Columns().size(); ++c)
                result.AddValue(batch.Value(r, c), batch.IsNull(r, c));
            result.EndRow();
        }
        if (batch.RowCount() < COciCursor::kFirstRows) return true;
    }
}

std::unique_ptr<CEngineCursor> COciConnection::TakeCursorVariable(const std::string& name,
                                                                  CEngineError& error) {
    auto it = m_cursorVariables.find(cp932::ToUpper(name));
    if (it == m_cursorVariables.end()) {
        error.Set(encoding::Utf8ToCp932("REFCURSOR 変数 ") + name +
                  encoding::Utf8ToCp932(" は開かれていません。"));
        return nullptr;
    }
    m_error.Clear();
    std::unique_ptr<COciStatement> statement = NewStatement();
    statement->Adopt(it->second);
    m_cursorVariables.erase(it);
    ub4 prefetch = COciCursor::kFirstRows;
    m_env.Api().AttrSet(statement->Handle(), OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS,
                        m_state.errorHandle);
    auto cursor = std::make_unique<COciCursor>(std::move(statement), false);
    if (cursor->Describe()) return cursor;
    error = m_error;
    return nullptr;
}

bool COciConnection::EndTransaction(bool commit) {
    m_error.Clear();
    if (m_state.lost) {
        // Note: the work died with the session; a rollback says it is
        // gone, a commit cannot keep it.
        if (!commit) {
            m_state.lostWork = m_state.uncommitted = false;
            return true;
        }
        if (!m_state.lostWork) return !RefuseWhenLost();
        m_error.Set(encoding::Utf8ToCp932(kWorkLost));
        m_error.code = 3114;
        m_error.sessionLost = true;
        return false;
    }
    const Api& api = m_env.Api();
    sword status = OCI_SUCCESS;
    {
        COciBusy busy(m_state);
        status = commit ? api.TransCommit(m_state.service, m_state.errorHandle, OCI_DEFAULT)
                        : api.TransRollback(m_state.service, m_state.errorHandle, OCI_DEFAULT);
    }
    // Note: a warning does not make a commit fail; it is shown.
    if (status == OCI_SUCCESS_WITH_INFO) {
        CEngineError warning;
        m_env.ReadError(m_state.errorHandle, status, warning);
        KeepWarning(warning.message);
    } else if (status != OCI_SUCCESS) {
        COciStatement failure(m_env, m_state, m_error);
        failure.Fail(status);
        return false;
    }
    m_state.uncommitted = false;
    return true;
}

bool COciConnection::Commit() { return EndTransaction(true); }

bool COciConnection::Rollback() { return EndTransaction(false); }

void COciConnection::Cancel() {
    if (m_state.busy > 0) m_env.Api().Break(m_state.service, m_handles->breakHandle);
}

std::vector<std::string> COciConnection::TakeServerOutput() {
    std::vector<std::string> lines;
    if (m_state.lost) return lines;
    const CEngineError kept = m_error;
    // Note: the lines come a whole array a round trip (GET_LINES), not one
    // call per line.
    std::vector<char> buffer(static_cast<std::size_t>(kOutputLineRoom) * kOutputLines);
    std::vector<ub2> lengths(kOutputLines);
    std::vector<sb2> indicators(kOutputLines);
    while (lines.size() < static_cast<std::size_t>(kMaxOutputLines)) {
        char count[16] = "100";
        ub2 countLength = 3;
        sb2 countIndicator = 0;
        ub4 given = 0;
        std::unique_ptr<COciStatement> statement = NewStatement();
        if (!statement->Prepare(kGetLines) ||
            !statement->BindArray(":LINES", buffer.data(), kOutputLineRoom, lengths.data(), indicators.data(),
                                  kOutputLines, &given) ||
            !statement->BindText(":NUMLINES", count, sizeof count, &countLength, &countIndicator) ||
            !statement->Execute(1, OCI_DEFAULT))
            break;
        given = std::min(given, kOutputLines);
        std::size_t replaced = 0;
        for (ub4 k = 0; k < given; ++k) {
            const char* line = buffer.data() + static_cast<std::size_t>(k) * kOutputLineRoom;
            lines.push_back(
                indicators[k] == -1
                    ? std::string()
                    : COciEnvironment::FromServer(
                          std::string_view(line, std::min<std::size_t>(lengths[k], kOutputLineRoom)),
                          replaced));
        }
        if (given < kOutputLines) break;
    }
    m_error = kept;
    return lines;
}
