#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "engine/CEngineCursor.h"
#include "engine/oci/COciStatement.h"

// A query run on the server and read by array fetches: the select list is
// described once, each column is defined as text into a buffer of one
// fetch's rows, and memory stays that of one fetch whatever the result.
class COciCursor : public CEngineCursor {
public:
    static constexpr oci::ub4 kFetchRows = 100;

    // Describes the executed statement; false (error set) when it cannot.
    // `busy` (the connection's) is raised while a fetch runs, so that a
    // break reaches a fetch as it reaches an execute.
    COciCursor(std::unique_ptr<COciStatement> statement, bool describeOnly,
               std::atomic<bool>* busy = nullptr);
    bool Describe();

    const std::vector<CEngineColumn>& Columns() const override { return m_columns; }
    bool Fetch(std::size_t maxRows, CEngineResult& batch) override;
    const CEngineError& LastError() const override { return m_statement->Error(); }

    // The console's server type code for a described external type.
    static int ServerType(oci::ub2 dataType);

private:
    struct Column {
        std::vector<char> buffer;
        std::size_t width = 0;
        std::vector<oci::sb2> indicators;
        std::vector<oci::ub2> lengths;
        bool binary = false;
    };

    bool Define();
    bool FetchArray();
    void AddValue(std::size_t column, std::size_t row, CEngineResult& batch) const;

    std::unique_ptr<COciStatement> m_statement;
    bool m_describeOnly;
    std::vector<CEngineColumn> m_columns;
    std::vector<Column> m_buffers;
    std::size_t m_rowsInBuffer = 0;
    std::size_t m_nextRow = 0;
    bool m_finished = false;
    std::atomic<bool>* m_busy;
};
