#pragma once

#include <memory>

#include "oracle/OTypes.h"

class ODatabase;

// A client session. It is open from a successful Open until Close; the
// transaction of every database opened on it is committed or rolled back
// through it.
class OSession {
public:
    OSession();
    ~OSession();
    OSession(const OSession&) = delete;
    OSession& operator=(const OSession&) = delete;

    oresult Open();
    bool IsOpen() const;
    // Transactions are always on, as on the server; kept for the call order.
    oresult BeginTransaction();
    // Commits the work of the databases opened on this session. `startNew`
    // is accepted for the call's form: a new transaction always follows.
    oresult Commit(bool startNew = false);
    oresult Rollback();
    // True when a database opened on this session lost its transaction (see
    // ODatabase::TransactionLost): Commit fails until Rollback.
    bool TransactionLost() const;
    // Rolls back what is not committed and closes every database opened on
    // this session.
    oresult Close();

    // Used by ODatabase: the databases opened on this session.
    void Attach(ODatabase* database);
    void Detach(ODatabase* database);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
