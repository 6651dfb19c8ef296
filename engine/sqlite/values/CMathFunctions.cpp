#include "engine/sqlite/values/CMathFunctions.h"

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CNumberValue.h"

namespace {

void Raise(sqlite3_context* context, int code, std::initializer_list<std::string_view> args = {}) {
    std::string message = COraError::ForFunction(code, args);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

// The arguments as decimals; false when one is NULL (the result NULL) or no
// number (the error set).
bool Numbers(sqlite3_context* context, int argc, sqlite3_value** argv, CNumberDecimal* out) {
    for (int k = 0; k < argc; ++k)
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return sqlite3_result_null(context), false;
    for (int k = 0; k < argc; ++k)
        if (!CNumberValue::Read(argv[k], out[k])) return Raise(context, 1722), false;
    return true;
}

// A double result kept to the digits a double holds; ORA-01426 beyond.
void ResultDouble(sqlite3_context* context, double value) {
    CNumberDecimal number;
    if (!CNumberDecimal::FromDouble(value, number)) return Raise(context, 1426);
    CNumberValue::Result(context, number);
}

struct Domain {
    double low;
    double high;
    bool openLow;  // the low end itself is outside
};

constexpr double kHuge = HUGE_VAL;

struct UnaryRow {
    const char* name;
    double (*function)(double);
    Domain domain;
};

constexpr UnaryRow kUnary[] = {
    {"ORA_ACOS", [](double x) { return std::acos(x); }, {-1, 1, false}},
    {"ORA_ASIN", [](double x) { return std::asin(x); }, {-1, 1, false}},
    {"ORA_ATAN", [](double x) { return std::atan(x); }, {-kHuge, kHuge, false}},
    {"ORA_COS", [](double x) { return std::cos(x); }, {-kHuge, kHuge, false}},
    {"ORA_COSH", [](double x) { return std::cosh(x); }, {-kHuge, kHuge, false}},
    {"ORA_SIN", [](double x) { return std::sin(x); }, {-kHuge, kHuge, false}},
    {"ORA_SINH", [](double x) { return std::sinh(x); }, {-kHuge, kHuge, false}},
    {"ORA_TAN", [](double x) { return std::tan(x); }, {-kHuge, kHuge, false}},
    {"ORA_TANH", [](double x) { return std::tanh(x); }, {-kHuge, kHuge, false}},
    {"ORA_EXP", [](double x) { return std::exp(x); }, {-kHuge, kHuge, false}},
    {"ORA_LN", [](double x) { return std::log(x); }, {0, kHuge, true}},
};

template <std::size_t kRow>
void Unary(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal x;
    if (!Numbers(context, argc, argv, &x)) return;
    const UnaryRow& row = kUnary[kRow];
    double value = x.Approximate();
    bool inside =
        value <= row.domain.high && (row.domain.openLow ? value > row.domain.low : value >= row.domain.low);
    if (!inside) return Raise(context, 1428, {x.ToText()});
    ResultDouble(context, row.function(value));
}

void Atan2(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal n[2];
    if (!Numbers(context, argc, argv, n)) return;
    if (n[0].IsZero() && n[1].IsZero()) return Raise(context, 1428, {"0"});
    ResultDouble(context, std::atan2(n[0].Approximate(), n[1].Approximate()));
}

void Log(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal n[2];
    if (!Numbers(context, argc, argv, n)) return;
    if (n[0].Sign() <= 0 || n[0].Compare(CNumberDecimal::FromInteger(1)) == 0)
        return Raise(context, 1428, {n[0].ToText()});
    if (n[1].Sign() <= 0) return Raise(context, 1428, {n[1].ToText()});
    ResultDouble(context, std::log(n[1].Approximate()) / std::log(n[0].Approximate()));
}

void Sqrt(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal x;
    if (!Numbers(context, argc, argv, &x)) return;
    CNumberDecimal root;
    if (!x.SquareRoot(root)) return Raise(context, 1428, {x.ToText()});
    CNumberValue::Result(context, root);
}

void Bitand(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal n[2];
    if (!Numbers(context, argc, argv, n)) return;
    std::int64_t a = 0;
    std::int64_t b = 0;
    if (!n[0].Truncate(0).ToInteger(a) || !n[1].Truncate(0).ToInteger(b))
        return Raise(context, 1428, {n[0].ToText()});
    sqlite3_result_int64(context, a & b);
}

void Remainder(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal n[2];
    if (!Numbers(context, argc, argv, n)) return;
    if (n[1].IsZero()) return Raise(context, 1476);
    CNumberDecimal r = n[0].Mod(n[1]);  // the sign of n2, below |n1|
    CNumberDecimal magnitude = n[1].Sign() < 0 ? n[1].Negate() : n[1];
    CNumberDecimal twice = r.Add(r);
    int beyondHalf = (twice.Sign() < 0 ? twice.Negate() : twice).Compare(magnitude);
    bool away = beyondHalf > 0;
    if (beyondHalf == 0) {
        // Note: halfway, N is the even one of the two whole numbers.
        CNumberDecimal quotient;
        n[0].Subtract(r).Divide(n[1], quotient);
        away = !quotient.Mod(CNumberDecimal::FromInteger(2)).IsZero();
    }
    if (away) r = r.Sign() < 0 ? r.Add(magnitude) : r.Subtract(magnitude);
    CNumberValue::Result(context, r);
}

void WidthBucket(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal n[4];
    if (!Numbers(context, argc, argv, n)) return;
    const CNumberDecimal& x = n[0];
    std::int64_t buckets = 0;
    if (!n[3].ToInteger(buckets) || buckets <= 0) return Raise(context, 30494);
    int direction = n[2].Compare(n[1]);
    if (direction == 0) return Raise(context, 30495);
    // Note: a range written high to low counts its buckets downwards.
    const CNumberDecimal& low = n[1];
    const CNumberDecimal& high = n[2];
    if (x.Compare(low) * direction < 0) return sqlite3_result_int64(context, 0);
    if (x.Compare(high) * direction >= 0) return sqlite3_result_int64(context, buckets + 1);
    CNumberDecimal share;
    x.Subtract(low).Multiply(CNumberDecimal::FromInteger(buckets)).Divide(high.Subtract(low), share);
    std::int64_t bucket = 0;
    share.Truncate(0).ToInteger(bucket);
    sqlite3_result_int64(context, bucket + 1);
}

template <std::size_t... kRows>
constexpr auto UnaryRules(std::index_sequence<kRows...>) {
    return std::array<sqliteapi::FunctionRule, sizeof...(kRows)>{
        sqliteapi::FunctionRule{kUnary[kRows].name, 1, Unary<kRows>}...};
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_ATAN2", 2, Atan2},         {"ORA_LOG", 2, Log},
    {"ORA_SQRT", 1, Sqrt},           {"ORA_BITAND", 2, Bitand},
    {"ORA_REMAINDER", 2, Remainder}, {"ORA_WIDTH_BUCKET", 4, WidthBucket},
};

}  // namespace

bool CMathFunctions::Register(sqlite3* db) {
    constexpr auto kUnaryRules = UnaryRules(std::make_index_sequence<std::size(kUnary)>());
    return sqliteapi::RegisterFunctions(db, kUnaryRules, nullptr) &&
           sqliteapi::RegisterFunctions(db, kRules, nullptr);
}
