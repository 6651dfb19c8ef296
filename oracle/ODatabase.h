#pragma once

#include <memory>
#include <string>
#include <vector>

#include "oracle/OOracleObject.h"
#include "oracle/OParameterCollection.h"
#include "oracle/OTypes.h"

class OSession;

// A database opened on a session. All text in and out is CP932 bytes.
//
// Database names: "" is the default database; any other name is a database
// file in the directory named by TARVEX_HOME (default: the user's data
// directory), created when missing. Names are case-insensitive and blanks
// around them are ignored; a name that holds a path separator, "..", a
// control character or only blanks is refused. User names and passwords are
// accepted as given: the embedded engine does not check them.
//
// Transactions are the server's: work stays uncommitted until COMMIT (or
// OSession::Commit); DDL commits; closing without a commit rolls back.
class ODatabase : public OOracleObject {
public:
    ODatabase();
    ~ODatabase() override;
    ODatabase(const ODatabase&) = delete;
    ODatabase& operator=(const ODatabase&) = delete;

    oresult Open(OSession& session, const char* databaseName, const char* user, const char* password,
                 long options = 0);
    bool IsOpen() const;
    // Closes without committing (the session's Close rolls back first).
    void Close();

    // Runs one statement (SQL, or an anonymous block BEGIN ... END;). The
    // declared parameters are bound by name wherever ":NAME" appears.
    oresult ExecuteSQL(const char* sql);
    oresult ExecuteSQL(const std::string& sql);
    // Rows touched by the last successful ExecuteSQL.
    long GetRowsProcessed() const;
    // ON: every statement that succeeds is committed at once.
    oresult SetAutoCommit(bool on);

    // Byte offset, in the CP932 text of the last statement, of the last
    // failure; OERROR_POSITION_UNKNOWN (past the end of any statement) when
    // the engine knows none, such as for a failed Open or a failure while
    // running a statement rather than reading it.
    int ServerErrorSQLPos() const;
    std::string GetErrorText() const override;

    OParameterCollection& GetParameters();

    // The lines the server's output package (DBMS_OUTPUT) buffered while it
    // was enabled; the buffer is emptied. Empty when not open.
    std::vector<std::string> TakeServerOutput();

    // Breaks the statement running on another thread (it fails with the
    // cancel error); a no-op when none runs or nothing is open.
    void Cancel();
    // True while the open database holds work that is not committed.
    bool HasUncommittedWork() const;
    // True once the engine rolled the open transaction back on its own: every
    // statement fails until a rollback ends it, and a commit fails.
    bool TransactionLost() const;
    // How long a statement waits for a lock held elsewhere, in seconds; kept
    // for databases opened later.
    void SetLockWait(int seconds);

    // Used by the rest of the layer.
    struct Impl;
    Impl& GetImpl() const { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};
