#include "engine/sqlite/plsql/CPlsqlOperators.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/plsql/CPlsqlInterval.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/NumberFit.h"
#include "text/TextOrder.h"

namespace {

using Op = CPlsqlExpr::Op;
using ValueError = CPlsqlErrors::ValueError;
using Kind = CPlsqlValue::Kind;

bool Fail(CPlsqlOperators::Failure& failure, int code, ValueError detail = ValueError::None) {
    failure.code = code;
    failure.detail = detail;
    return false;
}

bool IntegerArithmetic(Op op, std::int64_t a, std::int64_t b, CPlsqlValue& out) {
    std::int64_t result = 0;
    bool overflow = false;
    switch (op) {
        case Op::Add:
            overflow = __builtin_add_overflow(a, b, &result);
            break;
        case Op::Subtract:
            overflow = __builtin_sub_overflow(a, b, &result);
            break;
        case Op::Multiply:
            overflow = __builtin_mul_overflow(a, b, &result);
            break;
        case Op::Mod:
            // Note: MOD(m, 0) is m; the remainder takes the sign of m.
            result = b == 0 ? a : (b == -1 ? 0 : a % b);
            break;
        default:
            return false;
    }
    if (overflow) return false;
    out = CPlsqlValue::Integer(result);
    return true;
}

bool DateArithmetic(Op op, const CPlsqlValue& left, const CPlsqlValue& right, const CTimeZone& session,
                    CPlsqlValue& out, CPlsqlOperators::Failure& failure) {
    CDateTime date;
    bool timestamps =
        left.TextValue().find('.') != std::string::npos || right.TextValue().find('.') != std::string::npos;
    if (left.GetKind() == Kind::Date && right.GetKind() == Kind::Date && op == Op::Subtract && timestamps) {
        // Note: TIMESTAMP - TIMESTAMP is an INTERVAL DAY TO SECOND; DATE - DATE days.
        std::string interval;
        if (int code = CPlsqlInterval::Between(left.TextValue(), right.TextValue(), session, interval);
            code != 0)
            return Fail(failure, code);
        out = CPlsqlValue::Text(std::move(interval));
        return true;
    }
    if (left.GetKind() == Kind::Date && right.GetKind() == Kind::Date && op == Op::Subtract) {
        CDateTime other;
        if (!CDateFormat::ParseStored(left.TextValue(), date) ||
            !CDateFormat::ParseStored(right.TextValue(), other))
            return Fail(failure, 6502);
        // Note: the days are the exact quotient of the seconds between (the
        // text of a double kept six digits of a day, a tenth of a second).
        auto seconds =
            static_cast<std::int64_t>(std::llround(CDateFormat::DaysBetween(date, other) * 86400.0));
        CNumberDecimal days;
        if (!CNumberDecimal::FromInteger(seconds).Divide(CNumberDecimal::FromInteger(86400), days))
            return Fail(failure, 6502);
        out = seconds % 86400 == 0 ? CPlsqlValue::Integer(seconds / 86400) : CPlsqlValue::Decimal(days);
        return true;
    }
    const CPlsqlValue& dateValue = left.GetKind() == Kind::Date ? left : right;
    const CPlsqlValue& daysValue = left.GetKind() == Kind::Date ? right : left;
    CPlsqlValue days;
    if ((op != Op::Add && op != Op::Subtract) || (op == Op::Subtract && right.GetKind() == Kind::Date) ||
        !CPlsqlOperators::ToNumber(daysValue, days, failure) ||
        !CDateFormat::ParseStored(dateValue.TextValue(), date))
        return Fail(failure, 932);
    double amount = days.DecimalValue().Approximate();
    CDateTime result;
    if (!CDateFormat::AddDays(date, op == Op::Subtract ? -amount : amount, result))
        return Fail(failure, 1841);
    out = CPlsqlValue::Date(CDateFormat::ToStored(result));
    return true;
}

// A date moved by an interval (`left` + `right`, `left` - `right`, or the
// interval first for +); false when neither operand is an interval.
bool IntervalArithmetic(Op op, const CPlsqlValue& left, const CPlsqlValue& right, CPlsqlValue& out,
                        CPlsqlOperators::Failure& failure) {
    bool dateFirst = left.GetKind() == Kind::Date;
    const CPlsqlValue& interval = dateFirst ? right : left;
    CIntervalFunctions::Value read;
    if (interval.GetKind() != Kind::Text || !CPlsqlInterval::Read(interval.TextValue(), read)) return false;
    std::string moved;
    int code = (op == Op::Add || (op == Op::Subtract && dateFirst))
                   ? CPlsqlInterval::Shift((dateFirst ? left : right).TextValue(), interval.TextValue(),
                                           op == Op::Add ? 1 : -1, moved)
                   : 932;
    if (code != 0) return Fail(failure, code), failure.argument = moved, true;
    out = CPlsqlValue::Date(moved);
    return true;
}

// Two intervals of one kind added or subtracted; false when they are not two.
bool IntervalSum(Op op, const CPlsqlValue& left, const CPlsqlValue& right, CPlsqlValue& out,
                 CPlsqlOperators::Failure& failure) {
    CIntervalFunctions::Value first;
    CIntervalFunctions::Value second;
    if ((op != Op::Add && op != Op::Subtract) || left.GetKind() != Kind::Text ||
        right.GetKind() != Kind::Text || !CPlsqlInterval::Shown(left.TextValue(), first) ||
        !CPlsqlInterval::Shown(right.TextValue(), second))
        return false;
    failure = {};
    std::string sum;
    if (int code = CPlsqlInterval::Sum(first, second, op == Op::Add ? 1 : -1, sum); code != 0)
        return Fail(failure, code), true;
    out = CPlsqlValue::Text(std::move(sum));
    return true;
}

// An interval multiplied by a number (either side) or divided by one; false
// when the operands are not those.
bool IntervalScale(Op op, const CPlsqlValue& left, const CPlsqlValue& right, CPlsqlValue& out,
                   CPlsqlOperators::Failure& failure) {
    if (op != Op::Multiply && op != Op::Divide) return false;
    CIntervalFunctions::Value interval;
    const bool first = left.GetKind() == Kind::Text && CPlsqlInterval::Shown(left.TextValue(), interval);
    if (!first && (op == Op::Divide || right.GetKind() != Kind::Text ||
                   !CPlsqlInterval::Shown(right.TextValue(), interval)))
        return false;
    failure = {};
    CPlsqlValue factor;
    if (!CPlsqlOperators::ToNumber(first ? right : left, factor, failure)) return true;
    if (int code = CIntervalFunctions::Scale(interval, factor.DecimalValue(), op == Op::Divide); code != 0)
        return Fail(failure, code), true;
    out = CPlsqlValue::Text(CPlsqlInterval::Show(interval, 9, interval.yearToMonth ? 0 : 9));
    return true;
}

int Order(int compared) { return compared < 0 ? -1 : compared > 0 ? 1 : 0; }

// A number as a double: text read as TO_BINARY_DOUBLE reads it (with INF
// and NaN); false for other values.
bool DoubleOf(const CPlsqlValue& value, double& out) {
    if (value.GetKind() == Kind::Number) return out = value.DoubleValue(), true;
    return value.GetKind() == Kind::Text && CFloatValue::Parse(value.TextValue(), out);
}

// IEEE arithmetic when either operand is BINARY_FLOAT or BINARY_DOUBLE, in
// the wider of their types; false when neither is.
bool FloatArithmetic(Op op, const CPlsqlValue& left, const CPlsqlValue& right, CPlsqlValue& out,
                     CPlsqlOperators::Failure& failure) {
    const int width = std::max(left.FloatWidth(), right.FloatWidth());
    if (width == 0) return false;
    double x = 0;
    double y = 0;
    if (!DoubleOf(left, x) || !DoubleOf(right, y)) return Fail(failure, 6502, ValueError::Conversion);
    x = CFloatValue::Narrow(x, width);
    y = CFloatValue::Narrow(y, width);
    double result = 0;
    switch (op) {
        case Op::Add:
            result = x + y;
            break;
        case Op::Subtract:
            result = x - y;
            break;
        case Op::Multiply:
            result = x * y;
            break;
        case Op::Divide:
            result = x / y;
            break;
        case Op::Power:
            result = std::pow(x, y);
            break;
        default:
            return Fail(failure, 6502);
    }
    out = CPlsqlValue::Float(result, width);
    return true;
}

bool ToNumberType(const CPlsqlValue& value, const CPlsqlType& type, CPlsqlValue& out,
                  CPlsqlOperators::Failure& failure) {
    if (type.floatWidth != 0) {
        double number = 0;
        if (!DoubleOf(value, number)) return Fail(failure, 6502, ValueError::Conversion);
        out = CPlsqlValue::Float(number, type.floatWidth);
        return true;
    }
    // Note: NaN and the infinities have no NUMBER.
    if (value.FloatWidth() != 0 && !std::isfinite(value.DoubleValue())) return Fail(failure, 6502);
    if (value.FloatWidth() != 0)
        return ToNumberType(CPlsqlValue::Decimal(value.DecimalValue()), type, out, failure);
    if (!CPlsqlOperators::ToNumber(value, out, failure)) return false;
    if (type.base == CPlsqlType::Base::Integer) {
        if (!out.IsInteger()) out = CPlsqlValue::Decimal(out.DecimalValue().Round(0));
        if (out.IsInteger() && out.IntegerValue() >= type.minimum && out.IntegerValue() <= type.maximum)
            return true;
        // Note: SIMPLE_INTEGER wraps round its 32 bits; PLS_INTEGER itself
        // overflows; its narrower subtypes (NATURAL, ...) refuse the value.
        constexpr long long kWhole = 2147483647LL;
        if (type.minimum == -kWhole - 1 && type.maximum == kWhole && out.IsInteger())
            return out = CPlsqlValue::Integer(static_cast<std::int32_t>(
                       static_cast<std::uint32_t>(static_cast<std::uint64_t>(out.IntegerValue())))),
                   true;
        if (type.minimum == -kWhole && type.maximum == kWhole) return Fail(failure, 1426);
        return Fail(failure, 6502, ValueError::Precision);
    }
    if (type.scale == CPlsqlType::kNoScale && type.precision == 0) return true;
    if (out.IsInteger() && type.scale >= 0 && type.precision == 0) return true;
    CNumberDecimal number = out.DecimalValue();
    if (type.scale != CPlsqlType::kNoScale) number = number.Round(type.scale);
    if (type.precision > 0 && !number.IsZero()) {
        long scale = type.scale == CPlsqlType::kNoScale ? 0 : type.scale;
        if (number.AdjustedExponent() + 1 > type.precision - scale)
            return Fail(failure, 6502, ValueError::Precision);
    }
    out = CPlsqlValue::Decimal(number);
    return true;
}

}  // namespace

bool CPlsqlOperators::ToNumber(const CPlsqlValue& value, CPlsqlValue& out, Failure& failure) {
    switch (value.GetKind()) {
        case Kind::Null:
        case Kind::Number:
            out = value;
            return true;
        case Kind::Text: {
            CNumberDecimal number;
            if (!CNumberDecimal::FromText(value.TextValue(), number))
                return Fail(failure, 6502, ValueError::Conversion);
            out = CPlsqlValue::Decimal(number);
            return true;
        }
        default:
            return Fail(failure, 6502, ValueError::Conversion);
    }
}

bool CPlsqlOperators::ToText(const CPlsqlValue& value, const DateText& showDate, std::string& out,
                             Failure& failure) {
    switch (value.GetKind()) {
        case Kind::Null:
            out.clear();
            return true;
        case Kind::Number:
            // Note: as TO_CHAR(n) writes it.
            out = value.FloatWidth() != 0 ? value.NumberText() : numberfit::ServerText(value.NumberText());
            return true;
        case Kind::Text:
            out = value.TextValue();
            return true;
        case Kind::Date:
            out = showDate(value.TextValue(), value.Fraction());
            return true;
        case Kind::Boolean:
            break;
    }
    return Fail(failure, 6502, ValueError::Conversion);
}

bool CPlsqlOperators::Arithmetic(Op op, const CPlsqlValue& left, const CPlsqlValue& right,
                                 const CTimeZone& session, CPlsqlValue& out, Failure& failure) {
    if (left.IsNull() || right.IsNull()) {
        out = CPlsqlValue();
        return true;
    }
    if (left.IsInteger() && right.IsInteger() &&
        IntegerArithmetic(op, left.IntegerValue(), right.IntegerValue(), out))
        return true;
    if (IntervalSum(op, left, right, out, failure) || IntervalScale(op, left, right, out, failure))
        return failure.code == 0;
    if (left.GetKind() != Kind::Date && right.GetKind() != Kind::Date &&
        FloatArithmetic(op, left, right, out, failure))
        return failure.code == 0;
    if (left.GetKind() == Kind::Date || right.GetKind() == Kind::Date) {
        failure = {};
        if (IntervalArithmetic(op, left, right, out, failure)) return failure.code == 0;
        return DateArithmetic(op, left, right, session, out, failure);
    }
    CPlsqlValue a;
    CPlsqlValue b;
    if (!ToNumber(left, a, failure) || !ToNumber(right, b, failure)) return false;
    CNumberDecimal x = a.DecimalValue();
    CNumberDecimal y = b.DecimalValue();
    CNumberDecimal result;
    switch (op) {
        case Op::Add:
            result = x.Add(y);
            break;
        case Op::Subtract:
            result = x.Subtract(y);
            break;
        case Op::Multiply:
            result = x.Multiply(y);
            break;
        case Op::Divide:
            if (!x.Divide(y, result)) return Fail(failure, 1476);
            break;
        case Op::Mod:
            result = y.IsZero() ? x : x.Mod(y);
            break;
        case Op::Power: {
            std::int64_t exponent = 0;
            if (y.ToInteger(exponent)) {
                if (!x.Power(static_cast<long>(exponent), result)) return Fail(failure, 1426);
            } else if (!CNumberDecimal::FromDouble(std::pow(x.Approximate(), y.Approximate()), result)) {
                return Fail(failure, 6502);
            }
            break;
        }
        default:
            return Fail(failure, 6502);
    }
    result = result.Server();
    if (result.Overflows()) return Fail(failure, 1426);
    out = CPlsqlValue::Decimal(result);
    return true;
}

bool CPlsqlOperators::Concat(const CPlsqlValue& left, const CPlsqlValue& right, const DateText& showDate,
                             CPlsqlValue& out, Failure& failure) {
    std::string a;
    std::string b;
    if (!ToText(left, showDate, a, failure) || !ToText(right, showDate, b, failure)) return false;
    // Note: the VARCHAR2 limit applies where the result is assigned; a
    // CLOB's concatenation may be longer.
    if (a.size() + b.size() > kMaxLob) return Fail(failure, 6502, ValueError::Buffer);
    out = CPlsqlValue::Text(a + b);
    return true;
}

namespace {

// Zoned values (either one) compare by their instants, a plain one taken in
// the session's zone; false when neither carries a zone.
bool ZonedOrder(const std::string& left, const std::string& right, const CTimeZone& session, int& order) {
    std::string_view local;
    std::string_view zone;
    if (!CTimeZone::Split(left, local, zone) && !CTimeZone::Split(right, local, zone)) return false;
    CDateTime x;
    CDateTime y;
    if (CTimeZone::Instant(left, session, x) != 0 || CTimeZone::Instant(right, session, y) != 0) return false;
    auto fields = [](const CDateTime& t) {
        return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, t.nanos);
    };
    order = fields(x) < fields(y) ? -1 : fields(y) < fields(x) ? 1 : 0;
    return true;
}

}  // namespace

bool CPlsqlOperators::Compare(const CPlsqlValue& left, const CPlsqlValue& right, int& order, Failure& failure,
                              const CTimeZone& session) {
    Kind a = left.GetKind();
    Kind b = right.GetKind();
    if (left.FloatWidth() != 0 || right.FloatWidth() != 0) {
        double x = 0;
        double y = 0;
        if (!DoubleOf(left, x) || !DoubleOf(right, y)) return Fail(failure, 6502, ValueError::Conversion);
        order = Order(CFloatValue::Compare(x, y));
        return true;
    }
    if (a == Kind::Number || b == Kind::Number) {
        CPlsqlValue x;
        CPlsqlValue y;
        if (!ToNumber(left, x, failure) || !ToNumber(right, y, failure)) return false;
        if (x.IsInteger() && y.IsInteger())
            order = Order(x.IntegerValue() < y.IntegerValue()   ? -1
                          : x.IntegerValue() > y.IntegerValue() ? 1
                                                                : 0);
        else
            order = Order(x.DecimalValue().Compare(y.DecimalValue()));
        return true;
    }
    if (a == Kind::Boolean || b == Kind::Boolean) {
        if (a != b) return Fail(failure, 6502);
        order = Order(static_cast<int>(left.BoolValue()) - static_cast<int>(right.BoolValue()));
        return true;
    }
    if (a == Kind::Date && b == Kind::Date && ZonedOrder(left.TextValue(), right.TextValue(), session, order))
        return true;
    CIntervalFunctions::Value x;
    CIntervalFunctions::Value y;
    if (a == Kind::Text && b == Kind::Text && CPlsqlInterval::Shown(left.TextValue(), x) &&
        CPlsqlInterval::Shown(right.TextValue(), y)) {
        if (x.yearToMonth != y.yearToMonth) return Fail(failure, 932);
        order = CIntervalFunctions::Compare(x, y);
        return true;
    }
    // Note: texts order as the database character set sorts them, as in SQL.
    order = textorder::Compare(left.TextValue(), right.TextValue());
    return true;
}

std::string CPlsqlOperators::Fraction(const std::string& stored, int digits) {
    constexpr std::size_t kSeconds = 19;  // "YYYY-MM-DD HH:MM:SS"
    if (stored.size() < kSeconds) return stored;
    // Note: a zoned value keeps its zone after the digits kept.
    std::string_view local;
    std::string_view zone;
    if (CTimeZone::Split(stored, local, zone)) {
        std::string kept = Fraction(std::string(local), std::max(digits, 0));
        return kept.empty() ? kept : kept + " " + std::string(zone);
    }
    if (digits < 0) return stored.substr(0, kSeconds);
    CDateTime value;
    if (!CDateFormat::ParseStored(stored, value)) return stored;
    static constexpr int kUnits[] = {1000000000, 100000000, 10000000, 1000000, 100000,
                                     10000,      1000,      100,      10,      1};
    const int unit = kUnits[std::min(digits, 9)];
    int nanos = (value.nanos + unit / 2) / unit * unit;
    value.nanos = 0;
    if (nanos >= 1000000000) {
        CDateTime next;
        if (!CDateFormat::AddDays(value, 1.0 / 86400, next)) return {};
        value = next;
        value.nanos = 0;
        nanos = 0;
    }
    char digitsText[16];
    std::snprintf(digitsText, sizeof digitsText, ".%09d", nanos);
    return CDateFormat::ToStored(value) + digitsText;
}

bool CPlsqlOperators::ToInterval(const CPlsqlValue& value, const std::string& text, const CPlsqlType& type,
                                 CPlsqlValue& out, Failure& failure) {
    // Note: a number of days is taken for a DAY TO SECOND interval (the
    // difference of two timestamps whose seconds have no fraction comes as
    // one); a date is no interval.
    std::string shown = text;
    if (value.GetKind() == Kind::Number && type.interval == 'D')
        shown = CPlsqlInterval::OfDays(value.DecimalValue().Approximate());
    else if (value.GetKind() != Kind::Text)
        return Fail(failure, 6502);
    std::string fitted;
    if (int code = CPlsqlInterval::Fit(shown, type, fitted); code != 0) return Fail(failure, code);
    out = CPlsqlValue::Text(std::move(fitted));
    return true;
}

namespace {

// A date or timestamp as a variable of `type` holds it: the session's zone
// added to a plain value of a zoned type; a zoned value of a plain type at
// its own local time, of a type WITH LOCAL TIME ZONE at the session's.
bool ToDateType(const CPlsqlValue& value, const CPlsqlType& type, const CTimeZone& session, CPlsqlValue& out,
                CPlsqlOperators::Failure& failure) {
    CDateTime date;
    std::string stored;
    if (value.GetKind() == Kind::Date)
        stored = value.TextValue();
    else if (value.GetKind() == Kind::Text && CDateFormat::ParseStored(value.TextValue(), date))
        stored = CDateFormat::ToStored(date);
    else
        return Fail(failure, 6502, ValueError::Conversion);
    std::string_view local;
    std::string_view zone;
    const bool zoned = CTimeZone::Split(stored, local, zone);
    if (zoned && type.zone == 'N') {
        stored = std::string(local);
    } else if (zoned && type.zone == 'L') {
        CDateTime utc;
        if (int code = CTimeZone::Instant(stored, session, utc); code != 0) return Fail(failure, code);
        if (int code = CTimeZone::Convert(utc, CTimeZone(), session, date); code != 0)
            return Fail(failure, code);
        stored = CDateFormat::ToStored(date);
    } else if (!zoned && type.zone == 'Z') {
        if (!CDateFormat::ParseStored(stored, date)) return Fail(failure, 6502, ValueError::Conversion);
        std::int32_t offset = 0;
        if (int code = session.OffsetOfLocal(CTimeZone::Seconds(date), offset); code != 0)
            return Fail(failure, code);
        stored = CTimeZone::Store(date, session);
    }
    std::string kept = CPlsqlOperators::Fraction(stored, type.fraction);
    if (kept.empty()) return Fail(failure, 1841);
    out = CPlsqlValue::Date(std::move(kept), type.fraction);
    return true;
}

}  // namespace

bool CPlsqlOperators::Convert(const CPlsqlValue& value, const CPlsqlType& type, const DateText& showDate,
                              const CTimeZone& session, CPlsqlValue& out, Failure& failure) {
    if (value.IsNull()) {
        if (type.notNull) return Fail(failure, 6502);
        out = CPlsqlValue();
        return true;
    }
    switch (type.base) {
        case CPlsqlType::Base::Number:
        case CPlsqlType::Base::Integer:
            return ToNumberType(value, type, out, failure);
        case CPlsqlType::Base::Text:
        case CPlsqlType::Base::Char: {
            std::string text;
            if (!ToText(value, showDate, text, failure)) return false;
            if (type.interval != 0) return ToInterval(value, text, type, out, failure);
            std::size_t limit =
                type.length > 0 ? static_cast<std::size_t>(type.length) : (type.lob ? kMaxLob : kMaxText);
            if (text.size() > limit) return Fail(failure, 6502, ValueError::Buffer);
            if (type.base == CPlsqlType::Base::Char) text.resize(limit, ' ');
            out = CPlsqlValue::Text(std::move(text));
            return true;
        }
        case CPlsqlType::Base::Date:
            return ToDateType(value, type, session, out, failure);
        case CPlsqlType::Base::Boolean:
            if (value.GetKind() != Kind::Boolean) return Fail(failure, 6502);
            out = value;
            return true;
        default:
            if (value.GetKind() == Kind::Text && value.TextValue().size() > kMaxText)
                return Fail(failure, 6502, ValueError::Buffer);
            out = value;
            return true;
    }
}
