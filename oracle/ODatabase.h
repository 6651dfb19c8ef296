#pragma once

#include <memory>
#include <string>

#include "oracle/OOracleObject.h"
#include "oracle/OParameterCollection.h"
#include "oracle/OTypes.h"

class OSession;

// A database opened on a session. All text in and out is CP932 bytes.
//
// Database names: "" is the default database; any other name is a database
// file in the directory named by TARVEX_HOME (default: the user's data
// directory), created when missing. User names and passwords are accepted
// as given: the embedded engine does not check them.
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
    // Rows touched by the last successful ExecuteSQL.
    long GetRowsProcessed() const;
    // ON: every statement that succeeds is committed at once.
    oresult SetAutoCommit(bool on);

    // Byte offset, in the CP932 text of the last statement, of the last
    // failure; a position past the end of any statement when the engine
    // knows none.
    int ServerErrorSQLPos() const;
    std::string GetErrorText() const override;

    OParameterCollection& GetParameters();

    // Used by the rest of the layer.
    struct Impl;
    Impl& GetImpl() const { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};
