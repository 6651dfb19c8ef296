#include "engine/sqlite/plsql/CPlsqlRefCursor.h"

void CPlsqlRefCursor::Reopen() {
    m_open = true;
    m_fetched = false;
    m_found = false;
    m_next = 0;
}

bool CPlsqlRefCursor::Fetch(std::vector<CPlsqlValue>& row) {
    m_fetched = true;
    m_found = m_next < rows.size();
    if (!m_found) return false;
    row = rows[m_next++];
    return true;
}

CPlsqlValue CPlsqlRefCursor::Found() const { return m_fetched ? CPlsqlValue::Bool(m_found) : CPlsqlValue(); }
