#include "engine/sqlite/CSqliteCursor.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "engine/sqlite/CSqliteName.h"
#include "text/Encoding.h"

std::unique_ptr<CSqliteCursor> CSqliteCursor::Open(sqlite3* db, sqlite3_stmt* statement,
                                                   const std::vector<CSelectList::Item>& items,
                                                   const std::vector<CValueType>& types, bool describeOnly,
                                                   FailureHook onFailure, const CSqliteSession* session) {
    std::unique_ptr<CSqliteCursor> cursor(new CSqliteCursor(db, statement, std::move(onFailure)));
    CSqliteResultReader::Describe(db, statement, items, cursor->m_columns, cursor->m_plans, session, &types);
    for (CEngineColumn& column : cursor->m_columns) column.name = CSqliteName::Heading(column.name);
    const auto& plans = cursor->m_plans;
    if (!std::all_of(plans.begin(), plans.end(), [](const auto& plan) { return plan.Fixed(); }))
        return nullptr;
    if (describeOnly) cursor->Close();
    return cursor;
}

CSqliteCursor::CSqliteCursor(sqlite3* db, sqlite3_stmt* statement, FailureHook onFailure)
    : m_db(db), m_statement(statement), m_onFailure(std::move(onFailure)) {}

CSqliteCursor::~CSqliteCursor() { Close(); }

void CSqliteCursor::Close() {
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
}

bool CSqliteCursor::Fetch(std::size_t maxRows, CEngineResult& batch) {
    batch.SetColumns(m_columns);
    for (std::size_t n = 0; n < maxRows && m_statement != nullptr; ++n) {
        int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW) {
            CSqliteResultReader::AddRow(m_statement, m_plans, batch);
            continue;
        }
        if (rc != SQLITE_DONE) {
            m_error.Set(encoding::Utf8ToCp932(sqlite3_errmsg(m_db)));
            Close();
            if (m_onFailure) m_onFailure(m_error);
            return false;
        }
        Close();
    }
    return true;
}
