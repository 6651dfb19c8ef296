#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/CEngineConnection.h"
#include "engine/oci/COciEnvironment.h"
#include "engine/oci/COciSessionState.h"

class COciStatement;

// A session on an Oracle server through the client library, begun on a
// server handle (so that privileges, external credentials, a password
// change and the statement cache are the documented session-begin calls).
// Statements go to the server unchanged; transactions are the server's.
class COciConnection : public CEngineConnection {
public:
    // Logs on to `logon.database` (an Easy Connect text, a descriptor or a
    // net service name); null with `error` when the library is missing or
    // the server refuses.
    static std::unique_ptr<COciConnection> Open(const CEngineLogon& logon, CEngineError& error);
    static std::unique_ptr<COciConnection> Open(const std::string& identifier, const std::string& user,
                                                const std::string& password, CEngineError& error);
    // Rolls back what is not committed and logs off.
    ~COciConnection() override;
    COciConnection(const COciConnection&) = delete;
    COciConnection& operator=(const COciConnection&) = delete;

    bool Execute(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) override;
    bool Query(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result) override;
    std::unique_ptr<CEngineCursor> OpenCursor(const std::string& sql, std::vector<CEngineBind>& binds,
                                              CursorMode mode) override;
    std::unique_ptr<CEngineCursor> TakeCursorVariable(const std::string& name, CEngineError& error) override;
    bool Commit() override;
    bool Rollback() override;
    void SetAutoCommit(bool on) override { m_autoCommit = on; }
    std::vector<std::string> TakeServerOutput() override;
    const CEngineError& LastError() const override { return m_error; }
    void Cancel() override;
    bool HasUncommittedWork() const override { return m_state.uncommitted || TransactionLost(); }
    bool TransactionLost() const override { return m_state.lost && m_state.lostWork; }
    std::vector<std::string> TakeWarnings() override;
    std::string SessionUser() const override { return m_user; }
    bool IsSessionLost() const override { return m_state.lost; }
    void SetArraySize(int rows) override { m_state.arraySize = rows; }
    void SetLongLimit(long bytes) override { m_state.longLimit = bytes; }

    // How a statement that succeeded leaves the transaction, by its first
    // word: DDL and COMMIT/ROLLBACK end it, queries leave it, the rest
    // may change data.
    enum class TransactionEffect { Ends, Keeps, Writes };
    static TransactionEffect EffectOf(const std::string& sql);
    // The session-begin mode of a privilege name ("" for none); false when
    // the name is not one.
    static bool PrivilegeMode(const std::string& privilege, oci::ub4& mode);

private:
    struct Handles;
    COciConnection(const COciEnvironment& env, std::unique_ptr<Handles> handles);

    std::unique_ptr<COciStatement> NewStatement();
    bool EndTransaction(bool commit);
    // Fails at once, with the not-connected message, on a lost session.
    bool RefuseWhenLost();
    void KeepWarning(const std::string& warning);
    std::string AskUser();

    const COciEnvironment& m_env;
    std::unique_ptr<Handles> m_handles;
    COciSessionState m_state;
    bool m_autoCommit = false;
    std::string m_user;
    std::vector<std::string> m_warnings;
    // Cursor variables opened by the last statements, by variable name.
    std::map<std::string, oci::OCIStmt*> m_cursorVariables;
    CEngineError m_error;
};
