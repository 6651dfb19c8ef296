#pragma once

// PL/SQL: the value rules of expressions and of assignment to a declared type.
#include <functional>
#include <string>

#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlTree.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"

class CTimeZone;

// Every operation answers 0, or the ORA code of its failure with the detail
// of VALUE_ERROR in `detail`.
class CPlsqlOperators {
public:
    // The longest VARCHAR2 of PL/SQL, in bytes.
    static constexpr std::size_t kMaxText = 32767;
    // The longest text a CLOB variable, a bind or an intermediate value
    // holds: a bound on memory, not a rule of the language.
    static constexpr std::size_t kMaxLob = 4u * 1024 * 1024;
    // A stored date or timestamp as text, a timestamp with `fraction`
    // digits of a second (-1: as many as its type keeps by default).
    using DateText = std::function<std::string(const std::string&, int fraction)>;

    struct Failure {
        int code = 0;
        CPlsqlErrors::ValueError detail = CPlsqlErrors::ValueError::None;
        std::string argument;  // of the message, when it has one
    };

    static bool ToNumber(const CPlsqlValue& value, CPlsqlValue& out, Failure& failure);
    // Text as the value is written; dates by `showDate`.
    static bool ToText(const CPlsqlValue& value, const DateText& showDate, std::string& out,
                       Failure& failure);
    // TIMESTAMP - TIMESTAMP with a zone on one side only takes the other in
    // the zone `session`.
    static bool Arithmetic(CPlsqlExpr::Op op, const CPlsqlValue& left, const CPlsqlValue& right,
                           const CTimeZone& session, CPlsqlValue& out, Failure& failure);
    static bool Concat(const CPlsqlValue& left, const CPlsqlValue& right, const DateText& showDate,
                       CPlsqlValue& out, Failure& failure);
    // -1, 0 or 1 in `order`; false with a failure when the two do not compare.
    // A plain TIMESTAMP meeting a zoned one stands in the zone `session`.
    static bool Compare(const CPlsqlValue& left, const CPlsqlValue& right, int& order, Failure& failure,
                        const CTimeZone& session);
    // A stored DATE or TIMESTAMP with `digits` of a second (rounded, the
    // carry moving the seconds on), or none (-1: a DATE, cut); "" when the
    // carry passes the last day a date holds.
    static std::string Fraction(const std::string& stored, int digits);
    // Text `text` of `value` as an INTERVAL variable of `type` holds it.
    static bool ToInterval(const CPlsqlValue& value, const std::string& text, const CPlsqlType& type,
                           CPlsqlValue& out, Failure& failure);
    // The value as a variable of `type` holds it (rounded, padded, checked);
    // a zone a TIMESTAMP gains is the zone `session`.
    static bool Convert(const CPlsqlValue& value, const CPlsqlType& type, const DateText& showDate,
                        const CTimeZone& session, CPlsqlValue& out, Failure& failure);
};
