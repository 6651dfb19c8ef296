#pragma once

#include <memory>
#include <string>
#include <vector>

#include "oracle/OOracleObject.h"
#include "oracle/OParameterCollection.h"
#include "oracle/OTypes.h"

class OSession;

// How a logon is made beyond user and password: an administrative
// privilege ("SYSDBA" ...), the operating system's credentials, or a new
// password replacing an expired one.
struct OLogonOptions {
    std::string privilege;
    bool external = false;
    std::string newPassword;
};

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
    oresult Open(OSession& session, const char* databaseName, const char* user, const char* password,
                 const OLogonOptions& logon);
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

    // The server's error number of the last failure (0 when none applies).
    int GetErrorCode() const;
    // True when the last failure ended the session (see IsSessionLost).
    bool LastErrorLostSession() const;

    OParameterCollection& GetParameters();

    // The server's warnings since they were last taken (a password about to
    // expire at logon, a warning on commit ...).
    std::vector<std::string> TakeWarnings();
    // The user the session runs as ("" when the database has no users).
    std::string GetSessionUser() const;
    // True once the session died under the open database: statements fail
    // at once until it is closed.
    bool IsSessionLost() const;
    // Rows a round trip brings (0: the engine's growing default).
    void SetArraySize(int rows);
    // The most bytes of a LOB a query reads for showing (SET LONG, 80 at
    // first; 0: the engine's own); kept for databases opened later.
    void SetLongLimit(long bytes);
    // The server's output package on with a buffer of `size` bytes (-1:
    // unlimited), or off.
    oresult EnableServerOutput(bool on, long size);

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
