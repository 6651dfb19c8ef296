#include "engine/CEngineCursor.h"

bool CMaterialisedCursor::Fetch(std::size_t maxRows, CEngineResult& batch) {
    batch.SetColumns(m_result.Columns());
    const std::size_t columns = m_result.Columns().size();
    for (std::size_t n = 0; n < maxRows && m_next < m_result.RowCount(); ++n, ++m_next) {
        for (std::size_t c = 0; c < columns; ++c)
            batch.AddValue(m_result.Value(m_next, c), m_result.IsNull(m_next, c));
        batch.EndRow();
    }
    return true;
}
