#pragma once

// PL/SQL: one value of the interpreter (NULL, NUMBER, text, DATE, BOOLEAN).
#include <cstdint>
#include <memory>
#include <string>

#include "engine/sqlite/values/CNumberDecimal.h"

// A number is kept as a 64-bit integer while it is whole and fits, else as
// an exact decimal (a BINARY_FLOAT or BINARY_DOUBLE as a double); a DATE as the engine stores it ("YYYY-MM-DD
// HH:MM:SS"); text as CP932 bytes.
class CPlsqlValue {
public:
    enum class Kind { Null, Number, Text, Date, Boolean };

    static CPlsqlValue Integer(std::int64_t value);
    static CPlsqlValue Decimal(const CNumberDecimal& value);
    static CPlsqlValue Text(std::string text);
    // `fraction`: the digits of a second a TIMESTAMP(n) variable holding it
    // shows (-1 when no declared type tells: six for a timestamp).
    static CPlsqlValue Date(std::string stored, int fraction = -1);
    static CPlsqlValue Bool(bool value);
    // A BINARY_FLOAT (width 4) or BINARY_DOUBLE (8) value: a number held as
    // an IEEE double (NaN and the infinities too), rounded to its width.
    static CPlsqlValue Float(double value, int width);

    Kind GetKind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }
    bool IsInteger() const { return m_kind == Kind::Number && !m_decimal && m_floatWidth == 0; }
    // 4 or 8 for a floating number, else 0.
    int FloatWidth() const { return m_kind == Kind::Number ? m_floatWidth : 0; }
    // The number as a double (exact for a floating one).
    double DoubleValue() const;
    std::int64_t IntegerValue() const { return m_integer; }
    bool BoolValue() const { return m_integer != 0; }
    const std::string& TextValue() const { return m_text; }
    int Fraction() const { return m_kind == Kind::Date ? m_fraction : -1; }
    // The number as an exact decimal (only for Kind::Number).
    CNumberDecimal DecimalValue() const;
    // Text of a number as the server writes it ("1.5", ".5", "-3").
    std::string NumberText() const;

private:
    Kind m_kind = Kind::Null;
    std::int64_t m_integer = 0;
    int m_floatWidth = 0;
    int m_fraction = -1;
    double m_double = 0;
    std::shared_ptr<const CNumberDecimal> m_decimal;
    std::string m_text;
};
