#include "engine/CEngineResult.h"

void CEngineResult::Clear() {
    m_columns.clear();
    m_cells.clear();
    m_data.clear();
    m_rowCount = 0;
    m_nested.clear();
}

void CEngineResult::SetNested(std::size_t row, std::size_t column, CEngineResult nested) {
    m_nested[{row, column}] = std::make_shared<const CEngineResult>(std::move(nested));
}

const CEngineResult* CEngineResult::Nested(std::size_t row, std::size_t column) const {
    auto it = m_nested.find({row, column});
    return it != m_nested.end() ? it->second.get() : nullptr;
}

void CEngineResult::SetColumns(std::vector<CEngineColumn> columns) {
    Clear();
    m_columns = std::move(columns);
}

void CEngineResult::AddValue(std::string_view text, bool isNull) {
    m_cells.push_back(Cell{m_data.size(), text.size(), isNull});
    m_data.append(text);
}

void CEngineResult::SetValue(std::size_t row, std::size_t column, std::string_view text) {
    if (Find(row, column) == nullptr) return;
    Cell& cell = m_cells[row * m_columns.size() + column];
    cell = Cell{m_data.size(), text.size(), false};
    m_data.append(text);
}

const CEngineResult::Cell* CEngineResult::Find(std::size_t row, std::size_t column) const {
    if (column >= m_columns.size()) return nullptr;
    std::size_t index = row * m_columns.size() + column;
    return index < m_cells.size() ? &m_cells[index] : nullptr;
}

std::string_view CEngineResult::Value(std::size_t row, std::size_t column) const {
    const Cell* cell = Find(row, column);
    if (cell == nullptr) return {};
    return std::string_view(m_data).substr(cell->offset, cell->length);
}

bool CEngineResult::IsNull(std::size_t row, std::size_t column) const {
    const Cell* cell = Find(row, column);
    return cell == nullptr || cell->isNull;
}
