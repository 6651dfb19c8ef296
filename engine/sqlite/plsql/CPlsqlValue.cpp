#include "engine/sqlite/plsql/CPlsqlValue.h"

#include <cmath>

#include "engine/sqlite/values/CFloatValue.h"

CPlsqlValue CPlsqlValue::Integer(std::int64_t value) {
    CPlsqlValue out;
    out.m_kind = Kind::Number;
    out.m_integer = value;
    return out;
}

CPlsqlValue CPlsqlValue::Decimal(const CNumberDecimal& value) {
    std::int64_t whole = 0;
    if (value.ToInteger(whole)) return Integer(whole);
    CPlsqlValue out;
    out.m_kind = Kind::Number;
    out.m_decimal = std::make_shared<const CNumberDecimal>(value);
    return out;
}

CPlsqlValue CPlsqlValue::Text(std::string text) {
    CPlsqlValue out;
    // Note: an empty text is NULL, as everywhere on the server.
    if (text.empty()) return out;
    out.m_kind = Kind::Text;
    out.m_text = std::move(text);
    return out;
}

CPlsqlValue CPlsqlValue::Date(std::string stored, int fraction) {
    CPlsqlValue out;
    out.m_kind = Kind::Date;
    out.m_fraction = fraction;
    out.m_text = std::move(stored);
    return out;
}

CPlsqlValue CPlsqlValue::Bool(bool value) {
    CPlsqlValue out;
    out.m_kind = Kind::Boolean;
    out.m_integer = value ? 1 : 0;
    return out;
}

CPlsqlValue CPlsqlValue::Float(double value, int width) {
    CPlsqlValue out;
    out.m_kind = Kind::Number;
    out.m_floatWidth = width == CFloatValue::kSingle ? CFloatValue::kSingle : CFloatValue::kDouble;
    out.m_double = CFloatValue::Narrow(value, out.m_floatWidth);
    return out;
}

CNumberDecimal CPlsqlValue::DecimalValue() const {
    if (m_floatWidth != 0) {
        // Note: NaN and the infinities have no decimal; callers that take a
        // decimal refuse them first (FloatWidth).
        CNumberDecimal number;
        return CNumberDecimal::FromDouble(std::isfinite(m_double) ? m_double : 0, number) ? number
                                                                                          : CNumberDecimal();
    }
    return m_decimal ? *m_decimal : CNumberDecimal::FromInteger(m_integer);
}

double CPlsqlValue::DoubleValue() const {
    if (m_floatWidth != 0) return m_double;
    return m_decimal ? m_decimal->Approximate() : static_cast<double>(m_integer);
}

std::string CPlsqlValue::NumberText() const {
    if (m_floatWidth != 0) return CFloatValue::Text(m_double, m_floatWidth);
    return m_decimal ? m_decimal->ToText() : std::to_string(m_integer);
}
