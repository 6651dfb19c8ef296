#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "engine/CEngineCursor.h"
#include "engine/sqlite/CSelectList.h"
#include "engine/sqlite/CSqliteResultReader.h"

struct sqlite3;
struct sqlite3_stmt;

// A prepared query read a batch of rows at a time, straight from the
// database: nothing of the result is held beyond the batch asked for. Only
// for a query whose column descriptions do not wait for its values (see
// Open); opened describe-only it reads no row at all.
class CSqliteCursor : public CEngineCursor {
public:
    // Called with the cursor's error after a failed step.
    using FailureHook = std::function<void(CEngineError&)>;

    // Takes `statement` (finalised with the cursor, or at once when it
    // cannot be streamed); null when some column is described by its values.
    // `types`: the static types of the columns (see CSqliteResultReader).
    static std::unique_ptr<CSqliteCursor> Open(sqlite3* db, sqlite3_stmt* statement,
                                               const std::vector<CSelectList::Item>& items,
                                               const std::vector<CValueType>& types, bool describeOnly,
                                               FailureHook onFailure,
                                               const CSqliteSession* session = nullptr);
    ~CSqliteCursor() override;
    // Keeps `held` alive while the cursor is (what its statement calls).
    void Hold(std::shared_ptr<void> held) { m_held = std::move(held); }
    CSqliteCursor(const CSqliteCursor&) = delete;
    CSqliteCursor& operator=(const CSqliteCursor&) = delete;

    const std::vector<CEngineColumn>& Columns() const override { return m_columns; }
    bool Fetch(std::size_t maxRows, CEngineResult& batch) override;
    const CEngineError& LastError() const override { return m_error; }

private:
    CSqliteCursor(sqlite3* db, sqlite3_stmt* statement, FailureHook onFailure);
    // Ends the reading: the statement is finalised, releasing its locks.
    void Close();

    sqlite3* m_db;
    sqlite3_stmt* m_statement;
    FailureHook m_onFailure;
    std::shared_ptr<void> m_held;
    std::vector<CEngineColumn> m_columns;
    std::vector<CSqliteResultReader::ColumnPlan> m_plans;
    CEngineError m_error;
};
