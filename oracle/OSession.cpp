#include "oracle/OSession.h"

#include <algorithm>
#include <vector>

#include "oracle/ODatabase.h"
#include "oracle/ODatabaseImpl.h"

struct OSession::Impl {
    bool open = false;
    std::vector<ODatabase*> databases;
};

OSession::OSession() : m_impl(std::make_unique<Impl>()) {}

OSession::~OSession() { Close(); }

oresult OSession::Open() {
    m_impl->open = true;
    return OSUCCESS;
}

bool OSession::IsOpen() const { return m_impl->open; }

oresult OSession::BeginTransaction() { return m_impl->open ? OSUCCESS : OFAILURE; }

oresult OSession::Commit(bool) {
    if (!m_impl->open) return OFAILURE;
    bool ok = true;
    for (ODatabase* database : m_impl->databases) ok = database->GetImpl().Commit() && ok;
    return ok ? OSUCCESS : OFAILURE;
}

oresult OSession::Rollback() {
    if (!m_impl->open) return OFAILURE;
    bool ok = true;
    for (ODatabase* database : m_impl->databases) ok = database->GetImpl().Rollback() && ok;
    return ok ? OSUCCESS : OFAILURE;
}

bool OSession::TransactionLost() const {
    for (const ODatabase* database : m_impl->databases)
        if (database->TransactionLost()) return true;
    return false;
}

oresult OSession::Close() {
    // Closing a database detaches it, so work on a copy of the list.
    std::vector<ODatabase*> databases = m_impl->databases;
    for (ODatabase* database : databases) database->Close();
    m_impl->databases.clear();
    m_impl->open = false;
    return OSUCCESS;
}

void OSession::Attach(ODatabase* database) {
    if (std::find(m_impl->databases.begin(), m_impl->databases.end(), database) == m_impl->databases.end())
        m_impl->databases.push_back(database);
}

void OSession::Detach(ODatabase* database) {
    auto& list = m_impl->databases;
    list.erase(std::remove(list.begin(), list.end(), database), list.end());
}
