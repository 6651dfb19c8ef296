#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/CEngineConnection.h"
#include "engine/oci/COciEnvironment.h"

class COciStatement;

// A session on an Oracle server through the client library. Statements go
// to the server unchanged; transactions are the server's.
class COciConnection : public CEngineConnection {
public:
    // Logs on to `identifier` (an Easy Connect text, a descriptor or a net
    // service name); null with `error` when the library is missing or the
    // server refuses.
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
    bool HasUncommittedWork() const override { return m_uncommitted; }

    // How a statement that succeeded leaves the transaction, by its first
    // word: DDL and COMMIT/ROLLBACK end it, queries leave it, the rest
    // may change data.
    enum class TransactionEffect { Ends, Keeps, Writes };
    static TransactionEffect EffectOf(const std::string& sql);

private:
    COciConnection(const COciEnvironment& env, oci::OCIError* errorHandle, oci::OCIError* breakHandle,
                   oci::OCISvcCtx* service)
        : m_env(env), m_errorHandle(errorHandle), m_breakHandle(breakHandle), m_service(service) {}

    std::unique_ptr<COciStatement> NewStatement();
    bool EndTransaction(bool commit);

    // Marks a call to the server under way, for Cancel.
    struct Busy {
        explicit Busy(std::atomic<bool>& flag) : m_flag(flag) { m_flag = true; }
        ~Busy() { m_flag = false; }
        std::atomic<bool>& m_flag;
    };

    const COciEnvironment& m_env;
    oci::OCIError* m_errorHandle;
    oci::OCIError* m_breakHandle;
    oci::OCISvcCtx* m_service;
    bool m_autoCommit = false;
    bool m_uncommitted = false;
    std::atomic<bool> m_busy{false};
    // Cursor variables opened by the last statements, by variable name.
    std::map<std::string, oci::OCIStmt*> m_cursorVariables;
    CEngineError m_error;
};
