#pragma once

#include <string>

#include "engine/EngineTypes.h"

struct sqlite3;

// The failures of the connection itself (a lock held by another process, a
// read-only file, a full disk, an I/O error, memory, a cancel, a lost
// transaction, a byte that cannot be passed on) as errors with the server's
// codes and Japanese texts (CP932).
class CSqliteFailure {
public:
    // The last failure of `db`: one of the texts above where its result code
    // has one, else SQLite's own message. `lockWaitSeconds` is named in the
    // busy text; `path` (UTF-8) is the database file.
    static void Describe(sqlite3* db, int lockWaitSeconds, const std::string& path, CEngineError& error);
    // True when Describe has a text of its own for the result code.
    static bool IsConnectionFailure(int resultCode);

    // The engine rolled the whole transaction back: the line is added under
    // the failure that caused it.
    static void AddTransactionRolledBack(CEngineError& error);
    // ORA-02091 before the error of a deferred constraint that ended the
    // transaction at COMMIT.
    static void AddDeferredRollback(CEngineError& error);
    // A statement refused while the rolled-back transaction is not ended.
    static void SetTransactionLost(CEngineError& error);
    // COMMIT while the rolled-back transaction is not ended.
    static void SetNotCommitted(CEngineError& error);
    // A NUL byte in the statement (at `position`) or in the value of bind
    // variable `bindName` (position unknown).
    static void SetNulInStatement(CEngineError& error, int position);
    static void SetNulInBind(CEngineError& error, const std::string& bindName);
    // An expression that chains more than `limit` operators (at `position`).
    static void SetTooComplex(CEngineError& error, int position, std::size_t limit);
    // The file is used by another process and its journal cannot be switched.
    static void SetBusy(CEngineError& error, int lockWaitSeconds);
    // A database that cannot be created because its directory is read-only.
    static void SetReadOnlyDirectory(CEngineError& error, const std::string& path);
};
