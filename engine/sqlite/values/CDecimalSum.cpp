#include "engine/sqlite/values/CDecimalSum.h"

#include <string>

#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/PowersOfTen.h"

namespace {

using Wide = CDecimalSum::Wide;
using UnsignedWide = CDecimalSum::UnsignedWide;

// Below this the sum may take one more 15-digit value scaled by 10^15
// without overflowing 128 bits.
constexpr Wide kHeadroom = static_cast<Wide>(1) << 124;

std::string Text(Wide value) {
    if (value == 0) return "0";
    bool negative = value < 0;
    UnsignedWide magnitude = negative ? -static_cast<UnsignedWide>(value) : value;
    std::string digits;
    while (magnitude > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    }
    return negative ? "-" + digits : digits;
}

}  // namespace

bool CDecimalSum::AddScaled(std::int64_t coefficient, int scale, bool remove) {
    if (m_exact || m_fast > kHeadroom || m_fast < -kHeadroom) return false;
    if (scale > m_scale) {
        Wide factor = kPowersOfTen[scale - m_scale];
        // Note: the headroom check keeps this rescale within 128 bits only
        // for small steps; larger ones go the exact way.
        if (m_fast > kHeadroom / factor || m_fast < -kHeadroom / factor) return false;
        m_fast *= factor;
        m_scale = scale;
    }
    Wide term = static_cast<Wide>(coefficient) * kPowersOfTen[m_scale - scale];
    m_fast += remove ? -term : term;
    return true;
}

void CDecimalSum::Spill() {
    if (m_exact) return;
    CNumberDecimal::FromText(Text(m_fast) + "e-" + std::to_string(m_scale), m_total);
    m_exact = true;
}

bool CDecimalSum::Add(sqlite3_value* value, bool remove) {
    CNumberValue::Scaled scaled;
    if (CNumberValue::ReadScaled(value, scaled) && AddScaled(scaled.coefficient, scaled.scale, remove)) {
        m_count += remove ? -1 : 1;
        return true;
    }
    CNumberDecimal number;
    if (!CNumberValue::Read(value, number)) return false;
    Spill();
    m_total = remove ? m_total.Subtract(number) : m_total.Add(number);
    m_count += remove ? -1 : 1;
    return true;
}

CNumberDecimal CDecimalSum::Total() const {
    if (m_exact) return m_total;
    CNumberDecimal out;
    CNumberDecimal::FromText(Text(m_fast) + "e-" + std::to_string(m_scale), out);
    return out;
}
