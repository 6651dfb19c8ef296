#include "report/CAggregate.h"

#include <cmath>
#include <cstdio>

namespace {

std::string FromLongDouble(long double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Lg", value);
    CDecimal decimal;
    return CDecimal::Parse(buffer, decimal) ? decimal.ToText() : std::string(buffer);
}

}  // namespace

void CAggregate::Want(CBreakSet::Function function) {
    using Function = CBreakSet::Function;
    m_wantSquares = m_wantSquares || function == Function::Std || function == Function::Variance;
    m_wantExtremes = m_wantExtremes || function == Function::Min || function == Function::Max;
}

void CAggregate::Add(std::string_view value, bool number) {
    ++m_rows;
    if (value.empty()) return;
    m_number = number;
    if (number && CDecimal::Parse(value, m_value)) {
        const bool first = m_count == 0;
        ++m_count;
        m_sum.Add(m_value);
        if (m_wantSquares) {
            const long double approximate = m_value.ToLongDouble();
            m_squares += approximate * approximate;
        }
        if (m_wantExtremes && (first || m_value.Compare(m_min) < 0)) m_min = m_value;
        if (m_wantExtremes && (first || m_value.Compare(m_max) > 0)) m_max = m_value;
        return;
    }
    if (!m_wantExtremes) {
        ++m_count;
        return;
    }
    if (m_count == 0 || value < m_minText) m_minText = std::string(value);
    if (m_count == 0 || value > m_maxText) m_maxText = std::string(value);
    ++m_count;
}

void CAggregate::Reset() {
    const bool squares = m_wantSquares;
    const bool extremes = m_wantExtremes;
    *this = CAggregate();
    m_wantSquares = squares;
    m_wantExtremes = extremes;
}

std::string CAggregate::Result(CBreakSet::Function function) const {
    using Function = CBreakSet::Function;
    switch (function) {
        case Function::Number:
            return std::to_string(m_rows);
        case Function::Count:
            return std::to_string(m_count);
        case Function::Sum:
            return m_count == 0 ? std::string() : m_sum.ToText();
        case Function::Min:
            return m_count == 0 ? std::string() : (m_number ? m_min.ToText() : m_minText);
        case Function::Max:
            return m_count == 0 ? std::string() : (m_number ? m_max.ToText() : m_maxText);
        case Function::Avg:
            return m_count == 0 || !m_number ? std::string() : FromLongDouble(m_sum.ToLongDouble() / m_count);
        case Function::Std:
        case Function::Variance: {
            if (m_count == 0 || !m_number) return {};
            const long double n = static_cast<long double>(m_count);
            const long double sum = m_sum.ToLongDouble();
            long double variance = m_count < 2 ? 0 : (m_squares - sum * sum / n) / (n - 1);
            if (variance < 0) variance = 0;
            return FromLongDouble(function == Function::Std ? std::sqrt(variance) : variance);
        }
    }
    return {};
}
