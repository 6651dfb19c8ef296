#pragma once

// PL/SQL: one value of the interpreter (NULL, NUMBER, text, DATE, BOOLEAN).
#include <cstdint>
#include <memory>
#include <string>

#include "engine/sqlite/values/CNumberDecimal.h"

// A number is kept as a 64-bit integer while it is whole and fits, else as
// an exact decimal; a DATE as the engine stores it ("YYYY-MM-DD HH:MM:SS");
// text as CP932 bytes.
class CPlsqlValue {
public:
    enum class Kind { Null, Number, Text, Date, Boolean };

    static CPlsqlValue Integer(std::int64_t value);
    static CPlsqlValue Decimal(const CNumberDecimal& value);
    static CPlsqlValue Text(std::string text);
    static CPlsqlValue Date(std::string stored);
    static CPlsqlValue Bool(bool value);

    Kind GetKind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }
    bool IsInteger() const { return m_kind == Kind::Number && !m_decimal; }
    std::int64_t IntegerValue() const { return m_integer; }
    bool BoolValue() const { return m_integer != 0; }
    const std::string& TextValue() const { return m_text; }
    // The number as an exact decimal (only for Kind::Number).
    CNumberDecimal DecimalValue() const;
    // Text of a number as the server writes it ("1.5", ".5", "-3").
    std::string NumberText() const;

private:
    Kind m_kind = Kind::Null;
    std::int64_t m_integer = 0;
    std::shared_ptr<const CNumberDecimal> m_decimal;
    std::string m_text;
};
