#include "engine/sqlite/plsql/CPlsqlValue.h"

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

CPlsqlValue CPlsqlValue::Date(std::string stored) {
    CPlsqlValue out;
    out.m_kind = Kind::Date;
    out.m_text = std::move(stored);
    return out;
}

CPlsqlValue CPlsqlValue::Bool(bool value) {
    CPlsqlValue out;
    out.m_kind = Kind::Boolean;
    out.m_integer = value ? 1 : 0;
    return out;
}

CNumberDecimal CPlsqlValue::DecimalValue() const {
    return m_decimal ? *m_decimal : CNumberDecimal::FromInteger(m_integer);
}

std::string CPlsqlValue::NumberText() const {
    return m_decimal ? m_decimal->ToText() : std::to_string(m_integer);
}
