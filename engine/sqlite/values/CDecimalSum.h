#pragma once

// Values: the running sum of SUM and AVG.
#include <cstdint>

#include "engine/sqlite/values/CNumberDecimal.h"

struct sqlite3_value;

// An exact running sum of NUMBER values with their count. Values held as
// scaled integers (see CNumberValue::Scaled) are added as 128-bit integers
// at the largest scale seen; anything else, or a sum that outgrows 128
// bits, continues as a CNumberDecimal.
class CDecimalSum {
public:
    __extension__ typedef __int128 Wide;
    __extension__ typedef unsigned __int128 UnsignedWide;

    // False when the value is no number (nothing is added then).
    bool Add(sqlite3_value* value, bool remove = false);
    long long Count() const { return m_count; }
    CNumberDecimal Total() const;

private:
    bool AddScaled(std::int64_t coefficient, int scale, bool remove);
    void Spill();

    Wide m_fast = 0;
    int m_scale = 0;
    bool m_exact = false;  // the sum is in m_total
    CNumberDecimal m_total;
    long long m_count = 0;
};
