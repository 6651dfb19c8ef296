#include "engine/sqlite/values/CIntervalFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CIsoDuration.h"
#include "engine/sqlite/values/CNumberDecimal.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "text/Cp932.h"

namespace {

using sqliteapi::TextOf;
using Value = CIntervalFunctions::Value;

constexpr std::int64_t kNanos = 1000000000;

void Raise(sqlite3_context* context, int code, std::string_view value = {}) {
    std::string message = COraError::ForFunction(code, {value});
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

void Result(sqlite3_context* context, const Value& value) {
    sqliteapi::ResultText(context, CIntervalFunctions::Show(value));
}

// Digits at `at` as a number; false when there are none.
bool Digits(std::string_view text, std::size_t& at, std::int64_t& out, std::size_t most = 18) {
    std::size_t start = at;
    out = 0;
    while (at < text.size() && at - start < most && text[at] >= '0' && text[at] <= '9')
        out = out * 10 + (text[at++] - '0');
    return at > start;
}

// The unit's length in the interval's smallest part (months, nanoseconds).
bool UnitOf(std::string_view unit, bool yearToMonth, CNumberDecimal& out) {
    struct Unit {
        std::string_view name;
        bool yearToMonth;
        std::int64_t size;
    };
    static constexpr Unit kUnits[] = {{"YEAR", true, 12},
                                      {"MONTH", true, 1},
                                      {"DAY", false, 86400 * kNanos},
                                      {"HOUR", false, 3600 * kNanos},
                                      {"MINUTE", false, 60 * kNanos},
                                      {"SECOND", false, kNanos}};
    std::string upper = cp932::ToUpperAscii(unit);
    while (!upper.empty() && upper.back() == ' ') upper.pop_back();
    for (const Unit& row : kUnits)
        if (row.name == upper && row.yearToMonth == yearToMonth)
            return out = CNumberDecimal::FromInteger(row.size), true;
    return false;
}

template <bool kYearToMonth>
void FromNumber(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    CNumberDecimal number;
    CNumberDecimal unit;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722);
    if (!UnitOf(TextOf(argv[1]), kYearToMonth, unit)) return Raise(context, 1760);
    std::int64_t parts = 0;
    if (!number.Multiply(unit).Round(0).ToInteger(parts)) return Raise(context, 1873);
    Value value;
    value.yearToMonth = kYearToMonth;
    if (kYearToMonth) {
        value.months = parts;
    } else {
        value.seconds = parts / kNanos;
        value.nanos = parts % kNanos;
    }
    Result(context, value);
}

// TO_YMINTERVAL and TO_DSINTERVAL: the SQL form ("y-m", "d hh:mi:ss[.f]")
// or an ISO 8601 duration ("P1Y2M", "P1DT2H").
template <bool kYearToMonth>
void FromText(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const std::string text = TextOf(argv[0]);
    Value value;
    int code = CIsoDuration::Is(text) ? CIsoDuration::Read(text, kYearToMonth, value)
                                      : CIntervalFunctions::Parse(text, value);
    if (code == 0 && value.yearToMonth != kYearToMonth) code = 1867;
    if (code != 0) return Raise(context, code, text);
    Result(context, value);
}

int DigitCount(std::int64_t value) {
    int digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

// ORA_STORE_INTERVAL(value, yearToMonth, leading, fraction).
void Store(sqlite3_context* context, int, sqlite3_value** argv) {
    int kind = sqlite3_value_type(argv[0]);
    if (kind == SQLITE_NULL) return sqlite3_result_null(context);
    if (kind != SQLITE_TEXT) return Raise(context, 932);
    Value value;
    if (!CIntervalFunctions::Read(TextOf(argv[0]), value)) return Raise(context, 1867);
    bool yearToMonth = sqlite3_value_int(argv[1]) != 0;
    if (value.yearToMonth != yearToMonth) return Raise(context, 932);
    int leading = sqlite3_value_int(argv[2]);
    int fraction = sqlite3_value_int(argv[3]);
    if (!CIntervalFunctions::Fit(value, leading, fraction)) return Raise(context, 1873);
    sqliteapi::ResultText(context, CIntervalFunctions::Show(value, leading, fraction));
}

// Note: a day-to-second interval of nine day digits needs more than 64 bits
// of nanoseconds, so sums and products are taken in decimals.
CNumberDecimal TotalNanos(const Value& value) {
    return CNumberDecimal::FromInteger(value.seconds)
        .Multiply(CNumberDecimal::FromInteger(kNanos))
        .Add(CNumberDecimal::FromInteger(value.nanos));
}

// `total` whole nanoseconds into `value`; false when the seconds pass 64 bits.
bool SetNanos(Value& value, const CNumberDecimal& total) {
    CNumberDecimal seconds;
    if (!total.Divide(CNumberDecimal::FromInteger(kNanos), seconds)) return false;
    seconds = seconds.Truncate(0);
    std::int64_t whole = 0;
    std::int64_t rest = 0;
    if (!seconds.ToInteger(whole) ||
        !total.Subtract(seconds.Multiply(CNumberDecimal::FromInteger(kNanos))).ToInteger(rest))
        return false;
    value.seconds = whole;
    value.nanos = rest;
    return true;
}

// `amount` (months or nanoseconds) into `value`, cut (months) or rounded
// (nanoseconds) to a whole one; false when it does not fit.
bool SetAmount(Value& value, const CNumberDecimal& amount) {
    if (!value.yearToMonth) return SetNanos(value, amount.Round(0));
    return amount.Truncate(0).ToInteger(value.months);
}

CNumberDecimal AmountOf(const Value& value) {
    return value.yearToMonth ? CNumberDecimal::FromInteger(value.months) : TotalNanos(value);
}

// The two interval arguments of an operator; false with the result set
// (NULL for a NULL operand, ORA-00932 for one that is no interval or of the
// other kind).
bool Operands(sqlite3_context* context, sqlite3_value** argv, Value& left, Value& right) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context), false;
    if (CIntervalFunctions::Read(TextOf(argv[0]), left) && CIntervalFunctions::Read(TextOf(argv[1]), right) &&
        left.yearToMonth == right.yearToMonth)
        return true;
    Raise(context, 932);
    return false;
}

// ORA_INTERVAL_ADD(a, b, sign).
void AddFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    Value left;
    Value right;
    if (!Operands(context, argv, left, right)) return;
    if (int code = CIntervalFunctions::Add(left, right, sqlite3_value_int(argv[2])); code != 0)
        return Raise(context, code);
    Result(context, left);
}

// ORA_INTERVAL_SCALE(a, n, divide).
void ScaleFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    Value value;
    if (!CIntervalFunctions::Read(TextOf(argv[0]), value)) return Raise(context, 932);
    CNumberDecimal factor;
    if (!CNumberValue::Read(argv[1], factor)) return Raise(context, 1722);
    if (int code = CIntervalFunctions::Scale(value, factor, sqlite3_value_int(argv[2]) != 0); code != 0)
        return Raise(context, code);
    Result(context, value);
}

// ORA_INTERVAL_CMP(a, b): -1, 0 or 1 as a is shorter, as long or longer.
void CompareFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    Value left;
    Value right;
    if (Operands(context, argv, left, right))
        sqlite3_result_int(context, CIntervalFunctions::Compare(left, right));
}

// ORA_INTERVAL_KEY(a): text that sorts as the lengths do: "A" and the
// complement of the length's digits for a negative one, "B" and its digits
// otherwise.
void KeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    Value value;
    if (!CIntervalFunctions::Read(TextOf(argv[0]), value)) return Raise(context, 932);
    const bool negative = value.months < 0 || value.seconds < 0 || value.nanos < 0;
    long long whole = std::llabs(value.yearToMonth ? value.months : value.seconds);
    long long part = std::llabs(value.nanos);
    if (negative) {
        whole = 999999999999999999LL - whole;
        part = 999999999LL - part;
    }
    char key[64];
    std::snprintf(key, sizeof key, "%c%018lld%09lld", negative ? 'A' : 'B', whole, part);
    sqlite3_result_text(context, key, -1, SQLITE_TRANSIENT);
}

// The running SUM or AVG of intervals, as a window moves or a group grows.
struct Total {
    Value sum;
    long long count;
    int error;  // the first ORA error met, 0 while none
};

Total* TotalOf(sqlite3_context* context) {
    return static_cast<Total*>(sqlite3_aggregate_context(context, sizeof(Total)));
}

// Adds (sign 1) or takes away (sign -1) one row's interval.
void Move(sqlite3_context* context, sqlite3_value* argument, int sign) {
    Total* total = TotalOf(context);
    if (total == nullptr || total->error != 0 || sqlite3_value_type(argument) == SQLITE_NULL) return;
    Value value;
    if (!CIntervalFunctions::Read(TextOf(argument), value)) {
        total->error = 932;
        return;
    }
    if (total->count == 0 && sign > 0) {
        total->sum = value;
    } else if (int code = CIntervalFunctions::Add(total->sum, value, sign); code != 0) {
        total->error = code;
        return;
    }
    total->count += sign;
}

void TotalStep(sqlite3_context* context, int, sqlite3_value** argv) { Move(context, argv[0], 1); }
void TotalInverse(sqlite3_context* context, int, sqlite3_value** argv) { Move(context, argv[0], -1); }

template <bool kAverage>
void TotalValue(sqlite3_context* context) {
    Total* total = TotalOf(context);
    if (total != nullptr && total->error != 0) return Raise(context, total->error);
    if (total == nullptr || total->count == 0) return sqlite3_result_null(context);
    Value value = total->sum;
    if (int code =
            kAverage ? CIntervalFunctions::Scale(value, CNumberDecimal::FromInteger(total->count), true) : 0;
        code != 0)
        return Raise(context, code);
    Result(context, value);
}

}  // namespace

bool CIntervalFunctions::Fit(Value& value, int leading, int fraction) {
    if (!value.yearToMonth && fraction >= 0 && fraction < 9) {
        std::int64_t unit = 1;
        for (int k = fraction; k < 9; ++k) unit *= 10;
        bool negative = value.seconds < 0 || value.nanos < 0;
        std::int64_t seconds = std::llabs(value.seconds);
        std::int64_t nanos = (std::llabs(value.nanos) + unit / 2) / unit * unit;
        if (nanos >= kNanos) {
            nanos -= kNanos;
            ++seconds;
        }
        value.seconds = negative ? -seconds : seconds;
        value.nanos = negative ? -nanos : nanos;
    }
    std::int64_t leadingField =
        value.yearToMonth ? std::llabs(value.months) / 12 : std::llabs(value.seconds) / 86400;
    return DigitCount(leadingField) <= leading;
}

std::string CIntervalFunctions::Show(const Value& value, int leading, int fraction) {
    char buffer[80];
    if (value.yearToMonth) {
        std::int64_t months = std::llabs(value.months);
        std::snprintf(buffer, sizeof buffer, "%c%0*lld-%02lld", value.months < 0 ? '-' : '+', leading,
                      static_cast<long long>(months / 12), static_cast<long long>(months % 12));
        return buffer;
    }
    bool negative = value.seconds < 0 || value.nanos < 0;
    std::int64_t seconds = std::llabs(value.seconds);
    std::snprintf(buffer, sizeof buffer, "%c%0*lld %02lld:%02lld:%02lld", negative ? '-' : '+', leading,
                  static_cast<long long>(seconds / 86400), static_cast<long long>(seconds / 3600 % 24),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    std::string out = buffer;
    if (fraction <= 0) return out;
    std::snprintf(buffer, sizeof buffer, "%09lld", static_cast<long long>(std::llabs(value.nanos)));
    return out + "." + std::string(buffer, static_cast<std::size_t>(std::min(fraction, 9)));
}

bool CIntervalFunctions::Read(std::string_view text, Value& out) { return Parse(text, out) == 0; }

int CIntervalFunctions::Parse(std::string_view text, Value& out) {
    constexpr int kInvalid = 1867;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::size_t at = 0;
    bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    std::int64_t first = 0;
    if (!Digits(text, at, first)) return kInvalid;
    out = Value{};
    if (at < text.size() && text[at] == '-') {
        std::int64_t months = 0;
        ++at;
        if (!Digits(text, at, months) || at != text.size()) return kInvalid;
        if (months > 11) return 1843;
        out.yearToMonth = true;
        out.months = (first * 12 + months) * (negative ? -1 : 1);
        return 0;
    }
    // Note: each field past its range is named, as the server's messages do.
    std::int64_t fields[3] = {};
    static constexpr std::int64_t kMost[3] = {23, 59, 59};
    static constexpr int kRange[3] = {1850, 1851, 1852};
    for (int k = 0; k < 3; ++k) {
        if (at >= text.size() || text[at++] != (k == 0 ? ' ' : ':') || !Digits(text, at, fields[k]))
            return kInvalid;
        if (fields[k] > kMost[k]) return kRange[k];
    }
    std::int64_t nanos = 0;
    if (at < text.size() && text[at] == '.') {
        std::size_t start = ++at;
        std::int64_t fraction = 0;
        if (!Digits(text, at, fraction, 9)) return kInvalid;
        for (std::size_t k = at - start; k < 9; ++k) fraction *= 10;
        nanos = fraction;
    }
    if (at != text.size()) return kInvalid;
    int sign = negative ? -1 : 1;
    out.seconds = sign * (((first * 24 + fields[0]) * 60 + fields[1]) * 60 + fields[2]);
    out.nanos = sign * nanos;
    return 0;
}

std::string CIntervalFunctions::Show(const Value& value) { return Show(value, 9, 9); }

int CIntervalFunctions::Add(Value& left, const Value& right, int sign) {
    if (left.yearToMonth != right.yearToMonth) return 932;
    CNumberDecimal other = AmountOf(right);
    if (sign < 0) other = other.Negate();
    return SetAmount(left, AmountOf(left).Add(other)) && Fit(left, 9, 9) ? 0 : 1873;
}

int CIntervalFunctions::Scale(Value& value, const CNumberDecimal& factor, bool divide) {
    CNumberDecimal scaled;
    if (!divide)
        scaled = AmountOf(value).Multiply(factor);
    else if (!AmountOf(value).Divide(factor, scaled))
        return 1476;
    return SetAmount(value, scaled) && Fit(value, 9, 9) ? 0 : 1873;
}

int CIntervalFunctions::Compare(const Value& left, const Value& right) {
    return AmountOf(left).Compare(AmountOf(right));
}

bool CIntervalFunctions::Register(sqlite3* db) {
    static constexpr sqliteapi::FunctionRule kRules[] = {
        {"ORA_NUMTOYMINTERVAL", 2, FromNumber<true>},
        {"ORA_NUMTODSINTERVAL", 2, FromNumber<false>},
        {"ORA_TO_YMINTERVAL", 1, FromText<true>},
        {"ORA_TO_DSINTERVAL", 1, FromText<false>},
        {"ORA_STORE_INTERVAL", 4, Store},
        {"ORA_INTERVAL_ADD", 3, AddFunction},
        {"ORA_INTERVAL_SCALE", 3, ScaleFunction},
        {"ORA_INTERVAL_CMP", 2, CompareFunction},
        {"ORA_INTERVAL_KEY", 1, KeyFunction},
    };
    if (!sqliteapi::RegisterFunctions(db, kRules, nullptr)) return false;
    constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_window_function(db, "ORA_INTERVAL_SUM", 1, kFlags, nullptr, TotalStep,
                                          TotalValue<false>, TotalValue<false>, TotalInverse,
                                          nullptr) == SQLITE_OK &&
           sqlite3_create_window_function(db, "ORA_INTERVAL_AVG", 1, kFlags, nullptr, TotalStep,
                                          TotalValue<true>, TotalValue<true>, TotalInverse,
                                          nullptr) == SQLITE_OK;
}
