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

constexpr const char* kGetLine = "BEGIN DBMS_OUTPUT.GET_LINE(:LINE, :STATUS); END;";

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

std::unique_ptr<COciConnection> COciConnection::Open(const std::string& identifier, const std::string& user,
                                                     const std::string& password, CEngineError& error) {
    const COciEnvironment* env = COciEnvironment::Get(error);
    if (env == nullptr) return nullptr;
    const Api& api = env->Api();
    OCIError* errorHandle = nullptr;
    OCIError* breakHandle = nullptr;
    if (api.HandleAlloc(env->Handle(), reinterpret_cast<void**>(&errorHandle), OCI_HTYPE_ERROR, 0, nullptr) !=
            OCI_SUCCESS ||
        api.HandleAlloc(env->Handle(), reinterpret_cast<void**>(&breakHandle), OCI_HTYPE_ERROR, 0, nullptr) !=
            OCI_SUCCESS) {
        if (errorHandle != nullptr) api.HandleFree(errorHandle, OCI_HTYPE_ERROR);
        error.Set("OCIHandleAlloc failed");
        return nullptr;
    }
    OCISvcCtx* service = nullptr;
    const auto text = [](const std::string& s) { return reinterpret_cast<const OraText*>(s.data()); };
    sword status = api.Logon2(env->Handle(), errorHandle, &service, text(user), static_cast<ub4>(user.size()),
                              text(password), static_cast<ub4>(password.size()), text(identifier),
                              static_cast<ub4>(identifier.size()), OCI_DEFAULT);
    if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) {
        env->ReadError(errorHandle, status, error);
        api.HandleFree(errorHandle, OCI_HTYPE_ERROR);
        api.HandleFree(breakHandle, OCI_HTYPE_ERROR);
        return nullptr;
    }
    return std::unique_ptr<COciConnection>(new COciConnection(*env, errorHandle, breakHandle, service));
}

COciConnection::~COciConnection() {
    const Api& api = m_env.Api();
    for (auto& cursor : m_cursorVariables) api.HandleFree(cursor.second, OCI_HTYPE_STMT);
    api.TransRollback(m_service, m_errorHandle, OCI_DEFAULT);
    api.Logoff(m_service, m_errorHandle);
    api.HandleFree(m_breakHandle, OCI_HTYPE_ERROR);
    api.HandleFree(m_errorHandle, OCI_HTYPE_ERROR);
}

std::unique_ptr<COciStatement> COciConnection::NewStatement() {
    return std::make_unique<COciStatement>(m_env, m_service, m_errorHandle, m_error);
}

bool COciConnection::Execute(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) {
    m_error.Clear();
    rowsProcessed = 0;
    // COMMIT and ROLLBACK (without a savepoint) are the client's own calls.
    const std::string plain = PlainTransactionWord(sql);
    if (plain == "COMMIT") return Commit();
    if (plain == "ROLLBACK") return Rollback();
    Busy busy(m_busy);
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
        m_uncommitted = false;
    else if (effect == TransactionEffect::Writes)
        m_uncommitted = true;
    if (!ok) return false;
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
    Busy busy(m_busy);
    std::unique_ptr<COciStatement> statement = NewStatement();
    if (!statement->Prepare(sql) || !statement->Bind(binds)) return nullptr;
    const bool describeOnly = mode == CursorMode::DescribeOnly;
    if (statement->Type() != OCI_STMT_SELECT) {
        m_error.Set("the statement is not a query", 0);
        return nullptr;
    }
    ub4 prefetch = COciCursor::kFetchRows;
    m_env.Api().AttrSet(statement->Handle(), OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS,
                        m_errorHandle);
    if (!statement->Execute(0, describeOnly ? OCI_DESCRIBE_ONLY : OCI_DEFAULT)) return nullptr;
    auto cursor = std::make_unique<COciCursor>(std::move(statement), describeOnly, &m_busy);
    if (!cursor->Describe()) return nullptr;
    return cursor;
}

bool COciConnection::Query(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result) {
    result.Clear();
    std::unique_ptr<CEngineCursor> cursor = OpenCursor(sql, binds, CursorMode::Rows);
    if (cursor == nullptr) return false;
    result.SetColumns(cursor->Columns());
    CEngineResult batch;
    Busy busy(m_busy);
    for (;;) {
        if (!cursor->Fetch(COciCursor::kFetchRows, batch)) {
            m_error = cursor->LastError();
            return false;
        }
        for (std::size_t r = 0; r < batch.RowCount(); ++r) {
            for (std::size_t c = 0; c < batch.Columns().size(); ++c)
                result.AddValue(batch.Value(r, c), batch.IsNull(r, c));
            result.EndRow();
        }
        if (batch.RowCount() < COciCursor::kFetchRows) return true;
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
    Busy busy(m_busy);
    std::unique_ptr<COciStatement> statement = NewStatement();
    statement->Adopt(it->second);
    m_cursorVariables.erase(it);
    ub4 prefetch = COciCursor::kFetchRows;
    m_env.Api().AttrSet(statement->Handle(), OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS,
                        m_errorHandle);
    auto cursor = std::make_unique<COciCursor>(std::move(statement), false, &m_busy);
    if (cursor->Describe()) return cursor;
    error = m_error;
    return nullptr;
}

bool COciConnection::EndTransaction(bool commit) {
    m_error.Clear();
    Busy busy(m_busy);
    const Api& api = m_env.Api();
    sword status = commit ? api.TransCommit(m_service, m_errorHandle, OCI_DEFAULT)
                          : api.TransRollback(m_service, m_errorHandle, OCI_DEFAULT);
    if (status != OCI_SUCCESS) {
        m_env.ReadError(m_errorHandle, status, m_error);
        return false;
    }
    m_uncommitted = false;
    return true;
}

bool COciConnection::Commit() { return EndTransaction(true); }

bool COciConnection::Rollback() { return EndTransaction(false); }

void COciConnection::Cancel() {
    if (m_busy) m_env.Api().Break(m_service, m_breakHandle);
}

std::vector<std::string> COciConnection::TakeServerOutput() {
    std::vector<std::string> lines;
    const CEngineError kept = m_error;
    const bool uncommitted = m_uncommitted;
    std::vector<CEngineBind> binds(2);
    binds[0].name = "LINE";
    binds[1].name = "STATUS";
    binds[1].serverType = servertype::kNumber;
    for (int n = 0; n < kMaxOutputLines; ++n) {
        long rows = 0;
        binds[0].isNull = binds[1].isNull = true;
        if (!Execute(kGetLine, binds, rows) || binds[1].value != "0") break;
        lines.push_back(binds[0].value);
    }
    m_error = kept;
    m_uncommitted = uncommitted;
    return lines;
}
