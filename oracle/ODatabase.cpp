#include "oracle/ODatabase.h"

#include "engine/CEngineFactory.h"
#include "oracle/ODatabaseImpl.h"
#include "oracle/OSession.h"
#include "text/Encoding.h"

namespace {
// Note: written here in UTF-8 for reading; the layer's text is CP932.
constexpr const char* kNotConnected = "ORA-03114: データベースに接続されていません。";
constexpr const char* kSessionNotOpen = "ORA-03114: セッションが開かれていません。";
}  // namespace

void ODatabase::Impl::ClearError() {
    errorText.clear();
    errorPosition = 0;
    errorCode = 0;
    errorLostSession = false;
}

void ODatabase::Impl::SetError(const CEngineError& error) {
    errorText = error.message;
    errorPosition = error.position < 0 ? OERROR_POSITION_UNKNOWN : error.position;
    errorCode = error.code;
    errorLostSession = error.sessionLost;
}

void ODatabase::Impl::SetError(const std::string& text) {
    errorText = text;
    errorPosition = OERROR_POSITION_UNKNOWN;
    errorCode = 0;
    errorLostSession = false;
}

bool ODatabase::Impl::RequireOpen() {
    if (IsOpen()) return true;
    SetError(encoding::Utf8ToCp932(kNotConnected));
    return false;
}

std::vector<CEngineBind> ODatabase::Impl::CollectBinds() {
    std::vector<CEngineBind> binds;
    for (const OParameter::Entry& entry : parameters.Entries()) {
        CEngineBind bind;
        bind.name = entry.name;
        bind.value = entry.value.ToText();
        bind.isNull = entry.value.IsNull();
        bind.serverType = entry.serverType;
        bind.size = entry.size;
        binds.push_back(std::move(bind));
    }
    return binds;
}

void ODatabase::Impl::StoreBinds(const std::vector<CEngineBind>& binds) {
    auto& entries = parameters.Entries();
    for (std::size_t k = 0; k < binds.size() && k < entries.size(); ++k) {
        if (!binds[k].assigned) continue;
        if (binds[k].isNull)
            entries[k].value.Clear();
        else
            entries[k].value.SetText(binds[k].value);
    }
}

bool ODatabase::Impl::Commit() {
    if (!IsOpen()) return true;
    if (connection->Commit()) return true;
    SetError(connection->LastError());
    return false;
}

bool ODatabase::Impl::Rollback() {
    if (!IsOpen()) return true;
    if (connection->Rollback()) return true;
    SetError(connection->LastError());
    return false;
}

ODatabase::ODatabase() : m_impl(std::make_unique<Impl>()) {}

ODatabase::~ODatabase() { Close(); }

oresult ODatabase::Open(OSession& session, const char* databaseName, const char* user, const char* password,
                        long) {
    return Open(session, databaseName, user, password, OLogonOptions());
}

oresult ODatabase::Open(OSession& session, const char* databaseName, const char* user, const char* password,
                        const OLogonOptions& options) {
    Close();
    if (!session.IsOpen()) {
        m_impl->SetError(encoding::Utf8ToCp932(kSessionNotOpen));
        return OFAILURE;
    }
    CEngineError error;
    CEngineLogon logon;
    logon.database = databaseName != nullptr ? databaseName : "";
    logon.user = user != nullptr ? user : "";
    logon.password = password != nullptr ? password : "";
    logon.privilege = options.privilege;
    logon.external = options.external;
    logon.newPassword = options.newPassword;
    std::unique_ptr<CEngineConnection> connection = CEngineFactory::Open(logon, error);
    {
        std::lock_guard<std::mutex> lock(m_impl->cancelMutex);
        m_impl->connection = std::move(connection);
    }
    if (!m_impl->connection) {
        m_impl->SetError(error);
        return OFAILURE;
    }
    if (m_impl->lockWaitSeconds >= 0) m_impl->connection->SetLockWait(m_impl->lockWaitSeconds);
    m_impl->connection->SetArraySize(m_impl->arraySize);
    m_impl->connection->SetLongLimit(m_impl->longLimit);
    m_impl->rowsProcessed = 0;
    m_impl->session = &session;
    session.Attach(this);
    m_impl->ClearError();
    return OSUCCESS;
}

bool ODatabase::IsOpen() const { return m_impl->IsOpen(); }

void ODatabase::Close() {
    if (m_impl->connection) {
        // Note: closing the connection ends what a failed rollback leaves,
        // uncommitted; the failure is kept for GetErrorText.
        m_impl->Rollback();
        std::lock_guard<std::mutex> lock(m_impl->cancelMutex);
        m_impl->connection.reset();
    }
    if (m_impl->session != nullptr) {
        OSession* session = m_impl->session;
        m_impl->session = nullptr;
        session->Detach(this);
    }
}

oresult ODatabase::ExecuteSQL(const char* sql) { return ExecuteSQL(std::string(sql != nullptr ? sql : "")); }

oresult ODatabase::ExecuteSQL(const std::string& sql) {
    if (!m_impl->RequireOpen()) return OFAILURE;
    std::vector<CEngineBind> binds = m_impl->CollectBinds();
    long rows = 0;
    if (!m_impl->connection->Execute(sql, binds, rows)) {
        m_impl->SetError(m_impl->connection->LastError());
        return OFAILURE;
    }
    m_impl->StoreBinds(binds);
    m_impl->rowsProcessed = rows;
    m_impl->ClearError();
    return OSUCCESS;
}

long ODatabase::GetRowsProcessed() const { return m_impl->rowsProcessed; }

oresult ODatabase::SetAutoCommit(bool on) {
    if (!m_impl->RequireOpen()) return OFAILURE;
    m_impl->connection->SetAutoCommit(on);
    return OSUCCESS;
}

int ODatabase::ServerErrorSQLPos() const { return m_impl->errorPosition; }

std::string ODatabase::GetErrorText() const { return m_impl->errorText; }

OParameterCollection& ODatabase::GetParameters() { return m_impl->parameters; }

void ODatabase::Cancel() {
    std::lock_guard<std::mutex> lock(m_impl->cancelMutex);
    if (m_impl->connection) m_impl->connection->Cancel();
}

bool ODatabase::HasUncommittedWork() const {
    return m_impl->IsOpen() && m_impl->connection->HasUncommittedWork();
}

bool ODatabase::TransactionLost() const { return m_impl->IsOpen() && m_impl->connection->TransactionLost(); }

void ODatabase::SetLockWait(int seconds) {
    m_impl->lockWaitSeconds = seconds;
    if (m_impl->IsOpen()) m_impl->connection->SetLockWait(seconds);
}

std::vector<std::string> ODatabase::TakeServerOutput() {
    if (!m_impl->IsOpen()) return {};
    return m_impl->connection->TakeServerOutput();
}

int ODatabase::GetErrorCode() const { return m_impl->errorCode; }

bool ODatabase::LastErrorLostSession() const { return m_impl->errorLostSession; }

std::vector<std::string> ODatabase::TakeWarnings() {
    if (!m_impl->IsOpen()) return {};
    return m_impl->connection->TakeWarnings();
}

std::string ODatabase::GetSessionUser() const {
    return m_impl->IsOpen() ? m_impl->connection->SessionUser() : std::string();
}

bool ODatabase::IsSessionLost() const { return m_impl->IsOpen() && m_impl->connection->IsSessionLost(); }

void ODatabase::SetArraySize(int rows) {
    m_impl->arraySize = rows;
    if (m_impl->IsOpen()) m_impl->connection->SetArraySize(rows);
}

void ODatabase::SetLongLimit(long bytes) {
    m_impl->longLimit = bytes;
    if (m_impl->IsOpen()) m_impl->connection->SetLongLimit(bytes);
}

oresult ODatabase::EnableServerOutput(bool on, long size) {
    if (!m_impl->RequireOpen()) return OFAILURE;
    if (!m_impl->connection->EnableServerOutput(on, size)) {
        m_impl->SetError(m_impl->connection->LastError());
        return OFAILURE;
    }
    m_impl->ClearError();
    return OSUCCESS;
}
