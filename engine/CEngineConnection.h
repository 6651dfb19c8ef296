#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/CEngineCursor.h"
#include "engine/CEngineResult.h"
#include "engine/EngineTypes.h"

// One open connection of a database engine, as the client-library layer
// uses it. Statement text is CP932; binds are matched by name (":NAME");
// a failing call leaves its message and position in LastError().
//
// Transactions follow the Oracle server: work stays uncommitted until
// Commit (or a COMMIT statement); DDL commits the work before it and itself;
// with auto-commit on, every statement that succeeds is committed.
class CEngineConnection {
public:
    virtual ~CEngineConnection() = default;

    // Runs one statement or anonymous block. Binds a block assigns are
    // written back (their `assigned` flag set). `rowsProcessed` is the
    // number of rows touched.
    virtual bool Execute(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) = 0;
    // Runs one query and materialises its whole result.
    virtual bool Query(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result) = 0;

    enum class CursorMode { Rows, DescribeOnly };
    // Opens a query for reading in batches; DescribeOnly gives the select
    // list and no rows. Null on failure (then LastError()).
    // Note: the default reads the whole result through Query(); an engine
    // that can stream overrides it.
    virtual std::unique_ptr<CEngineCursor> OpenCursor(const std::string& sql, std::vector<CEngineBind>& binds,
                                                      CursorMode mode) {
        CEngineResult result;
        if (!Query(sql, binds, result)) return nullptr;
        if (mode == CursorMode::DescribeOnly) result.SetColumns(std::vector<CEngineColumn>(result.Columns()));
        return std::make_unique<CMaterialisedCursor>(std::move(result));
    }

    // The rows of the cursor variable (REFCURSOR) `name` that a block
    // opened, handed over once; null with `error` when none is open or the
    // engine has no cursor variables.
    virtual std::unique_ptr<CEngineCursor> TakeCursorVariable(const std::string& name, CEngineError& error);

    virtual bool Commit() = 0;
    virtual bool Rollback() = 0;
    virtual void SetAutoCommit(bool on) = 0;

    // Lines written by the server's output package while it was enabled,
    // handed over once (the buffer is emptied).
    virtual std::vector<std::string> TakeServerOutput() = 0;
    // Switches the server's output package on with a buffer of `size` bytes
    // (-1: unlimited), or off.
    virtual bool EnableServerOutput(bool on, long size);

    // Warnings (the server's messages) of the last call that succeeded with
    // one, such as a logon whose password is about to expire; handed over
    // once.
    virtual std::vector<std::string> TakeWarnings() { return {}; }
    // The user the session runs as (SYS for AS SYSDBA ...); "" when the
    // engine has no users.
    virtual std::string SessionUser() const { return {}; }
    // True once the session died (the server or the network went away):
    // every call fails at once, and only closing is left.
    virtual bool IsSessionLost() const { return false; }
    // Rows read per round trip; 0 lets the engine choose (growing with the
    // result).
    virtual void SetArraySize(int /*rows*/) {}
    // The most bytes of a LOB a query reads for showing (SET LONG); 0 lets
    // the engine choose.
    virtual void SetLongLimit(long /*bytes*/) {}

    virtual const CEngineError& LastError() const = 0;

    // Breaks the call under way so that it fails soon with the cancel error;
    // callable from any thread, and a no-op when no call runs.
    virtual void Cancel() = 0;
    // True while the connection holds work that is not committed.
    virtual bool HasUncommittedWork() const = 0;
    // True once the engine has rolled back the open transaction on its own:
    // every statement is refused until Rollback ends it.
    virtual bool TransactionLost() const { return false; }
    // How long a statement waits for a lock another process holds before it
    // fails with the busy error (ORA-00054), in seconds.
    virtual void SetLockWait(int /*seconds*/) {}
};
