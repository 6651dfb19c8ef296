#include "oracle/OValue.h"

#include <climits>

int OValue::ToInt() const {
    if (m_null) return 0;
    std::size_t i = 0;
    while (i < m_text.size() && (m_text[i] == ' ' || m_text[i] == '\t')) ++i;
    bool negative = false;
    if (i < m_text.size() && (m_text[i] == '+' || m_text[i] == '-')) negative = m_text[i++] == '-';
    long long value = 0;
    for (; i < m_text.size() && m_text[i] >= '0' && m_text[i] <= '9'; ++i) {
        value = value * 10 + (m_text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}
