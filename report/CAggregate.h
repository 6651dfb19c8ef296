#pragma once

#include <string>
#include <string_view>

#include "report/CBreakSet.h"
#include "text/CDecimal.h"

// The running figures of one computed column within a group: sums are
// exact decimals, as the database's NUMBER; AVG, STD and VARIANCE are
// worked out from them in long double.
class CAggregate {
public:
    // Which figures will be asked for: only those are kept up to date.
    void Want(CBreakSet::Function function);
    // A value of the column; "" is NULL. `number`: the column is NUMBER.
    void Add(std::string_view value, bool number);
    // Back to no values (what is wanted stays).
    void Reset();
    // The figure as text; "" when there is none (no value, or MIN of nothing).
    std::string Result(CBreakSet::Function function) const;

private:
    bool m_wantSquares = false;
    bool m_wantExtremes = false;
    long m_rows = 0;
    long m_count = 0;
    bool m_number = false;
    CDecimal m_sum;
    CDecimal m_value;
    long double m_squares = 0;
    CDecimal m_min;
    CDecimal m_max;
    std::string m_minText;
    std::string m_maxText;
};
