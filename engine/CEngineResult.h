#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/EngineTypes.h"

// The whole result of one query: its column descriptions and every value as
// CP932 text, kept in one buffer so that large results stay cheap.
class CEngineResult {
public:
    void Clear();
    void SetColumns(std::vector<CEngineColumn> columns);
    std::vector<CEngineColumn>& Columns() { return m_columns; }
    const std::vector<CEngineColumn>& Columns() const { return m_columns; }

    // Values are appended row by row, column by column; EndRow closes a row.
    void AddValue(std::string_view text, bool isNull);
    void EndRow() { ++m_rowCount; }
    // Replaces one stored value (the old bytes stay unused in the buffer).
    void SetValue(std::size_t row, std::size_t column, std::string_view text);

    std::size_t RowCount() const { return m_rowCount; }
    // Out-of-range cells read as NULL.
    std::string_view Value(std::size_t row, std::size_t column) const;
    bool IsNull(std::size_t row, std::size_t column) const;

    // The rows of a cursor expression's value (a result inside a cell).
    void SetNested(std::size_t row, std::size_t column, CEngineResult nested);
    // Null when the cell holds none.
    const CEngineResult* Nested(std::size_t row, std::size_t column) const;

private:
    struct Cell {
        std::size_t offset = 0;
        std::size_t length = 0;
        bool isNull = true;
    };
    const Cell* Find(std::size_t row, std::size_t column) const;

    std::vector<CEngineColumn> m_columns;
    std::vector<Cell> m_cells;
    std::string m_data;
    std::size_t m_rowCount = 0;
    std::map<std::pair<std::size_t, std::size_t>, std::shared_ptr<const CEngineResult>> m_nested;
};
