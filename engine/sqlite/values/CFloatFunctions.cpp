#include "engine/sqlite/values/CFloatFunctions.h"

#include <sqlite3.h>

#include <cmath>
#include <string>
#include <string_view>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "engine/sqlite/values/CNumberValue.h"

namespace {

using sqliteapi::TextOf;

void ResultError(sqlite3_context* context, int code, int at = -1) {
    std::string message = COraError::ForFunction(code, {}, at);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

int WidthOf(sqlite3_value* value) {
    return sqlite3_value_int(value) == CFloatValue::kSingle ? CFloatValue::kSingle : CFloatValue::kDouble;
}

// Reads argument `index`; false when the result is set already (NULL, or
// ORA-01722 for a value that is no number).
bool Argument(sqlite3_context* context, sqlite3_value** argv, int index, double& out, int at = -1) {
    bool valid = true;
    if (CFloatFunctions::Read(argv[index], out, valid)) return true;
    if (valid)
        sqlite3_result_null(context);
    else
        ResultError(context, 1722, at);
    return false;
}

void Convert(sqlite3_context* context, int, sqlite3_value** argv) {
    double value = 0;
    if (Argument(context, argv, 0, value, sqlite3_value_int(argv[2])))
        CFloatFunctions::Result(context, value, WidthOf(argv[1]));
}

double Apply(char op, double a, double b) {
    switch (op) {
        case '+':
            return a + b;
        case '-':
            return a - b;
        case '*':
            return a * b;
        default:
            return a / b;
    }
}

void Operate(sqlite3_context* context, int, sqlite3_value** argv) {
    double a = 0;
    double b = 0;
    if (!Argument(context, argv, 1, a) || !Argument(context, argv, 2, b)) return;
    const std::string op = TextOf(argv[0]);
    const int width = WidthOf(argv[3]);
    // Note: a BINARY_FLOAT operation rounds its result to single precision.
    a = CFloatValue::Narrow(a, width);
    b = CFloatValue::Narrow(b, width);
    CFloatFunctions::Result(context, Apply(op.empty() ? '+' : op[0], a, b), width);
}

void Negate(sqlite3_context* context, int, sqlite3_value** argv) {
    double a = 0;
    if (Argument(context, argv, 0, a)) CFloatFunctions::Result(context, -a, WidthOf(argv[1]));
}

void Compare(sqlite3_context* context, int, sqlite3_value** argv) {
    double a = 0;
    double b = 0;
    if (Argument(context, argv, 0, a) && Argument(context, argv, 1, b))
        sqlite3_result_int(context, CFloatValue::Compare(a, b));
}

void Text(sqlite3_context* context, int, sqlite3_value** argv) {
    double value = 0;
    if (Argument(context, argv, 0, value))
        sqliteapi::ResultText(context, CFloatValue::Text(value, WidthOf(argv[1])));
}

void Is(sqlite3_context* context, int, sqlite3_value** argv) {
    double value = 0;
    if (!Argument(context, argv, 0, value)) return;
    const bool nan = TextOf(argv[1]) == "NAN";
    sqlite3_result_int(context, nan ? std::isnan(value) : std::isinf(value));
}

void Nanvl(sqlite3_context* context, int, sqlite3_value** argv) {
    double a = 0;
    double b = 0;
    if (!Argument(context, argv, 0, a) || !Argument(context, argv, 1, b)) return;
    // Note: width 0 (types not known before the values, as of binds) keeps
    // the value chosen as it is.
    if (sqlite3_value_int(argv[2]) == 0) return sqlite3_result_value(context, argv[std::isnan(a) ? 1 : 0]);
    CFloatFunctions::Result(context, std::isnan(a) ? b : a, WidthOf(argv[2]));
}

double Sign(double value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }
// Note: ROUND of a floating value goes half away from zero, as for NUMBER.
double RoundHalfAway(double value) { return std::round(value); }

struct Unary {
    std::string_view name;
    double (*function)(double);
};

constexpr Unary kUnary[] = {
    {"ABS", [](double v) { return std::fabs(v); }},    {"CEIL", [](double v) { return std::ceil(v); }},
    {"FLOOR", [](double v) { return std::floor(v); }}, {"SQRT", [](double v) { return std::sqrt(v); }},
    {"EXP", [](double v) { return std::exp(v); }},     {"LN", [](double v) { return std::log(v); }},
    {"SIN", [](double v) { return std::sin(v); }},     {"COS", [](double v) { return std::cos(v); }},
    {"TAN", [](double v) { return std::tan(v); }},     {"ROUND", RoundHalfAway},
    {"TRUNC", [](double v) { return std::trunc(v); }}, {"SIGN", Sign},
};

void Call(sqlite3_context* context, int, sqlite3_value** argv) {
    double value = 0;
    if (!Argument(context, argv, 1, value)) return;
    const std::string name = TextOf(argv[0]);
    for (const Unary& row : kUnary)
        if (row.name == name) return CFloatFunctions::Result(context, row.function(value), WidthOf(argv[2]));
    sqlite3_result_null(context);
}

struct Sum {
    double total = 0;
    long long count = 0;
    int width = CFloatValue::kDouble;
    bool invalid = false;
};

void SumStep(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* sum = static_cast<Sum*>(sqlite3_aggregate_context(context, sizeof(Sum)));
    if (sum == nullptr) return sqlite3_result_error_nomem(context);
    double value = 0;
    bool valid = true;
    sum->width = WidthOf(argv[1]);
    if (CFloatFunctions::Read(argv[0], value, valid)) {
        sum->total += CFloatValue::Narrow(value, sum->width);
        ++sum->count;
    }
    sum->invalid = sum->invalid || !valid;
}

template <bool kAverage>
void SumFinal(sqlite3_context* context) {
    auto* sum = static_cast<Sum*>(sqlite3_aggregate_context(context, 0));
    if (sum != nullptr && sum->invalid) return ResultError(context, 1722);
    if (sum == nullptr || sum->count == 0) return sqlite3_result_null(context);
    const double value = kAverage ? sum->total / static_cast<double>(sum->count) : sum->total;
    // Note: the sum of BINARY_FLOAT values is rounded once, at the end.
    CFloatFunctions::Result(context, value, sum->width);
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_FLOAT", 3, Convert},     {"ORA_FLOAT_OP", 4, Operate}, {"ORA_FLOAT_NEG", 2, Negate},
    {"ORA_FLOAT_CMP", 2, Compare}, {"ORA_FLOAT_TEXT", 2, Text},  {"ORA_FLOAT_IS", 2, Is},
    {"ORA_NANVL", 3, Nanvl},       {"ORA_FLOAT_CALL", 3, Call},
};

}  // namespace

bool CFloatFunctions::Read(sqlite3_value* value, double& out, bool& valid) {
    valid = true;
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return false;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            out = sqlite3_value_double(value);
            return true;
        case SQLITE_TEXT:
            if (CFloatValue::Parse(TextOf(value), out)) return true;
            break;
        default:
            break;
    }
    // A NUMBER column's long value, kept as its digits.
    CNumberDecimal number;
    if (CNumberValue::Read(value, number) && CFloatValue::Parse(number.ToText(), out)) return true;
    valid = false;
    return false;
}

void CFloatFunctions::Result(sqlite3_context* context, double value, int width) {
    if (std::isnan(value)) return sqlite3_result_text(context, "NaN", 3, SQLITE_STATIC);
    sqlite3_result_double(context, CFloatValue::Narrow(value, width));
}

bool CFloatFunctions::Register(sqlite3* db) {
    for (const char* name : {"ORA_FLOAT_SUM", "ORA_FLOAT_AVG"}) {
        const bool average = std::string_view(name) == "ORA_FLOAT_AVG";
        if (sqlite3_create_function(db, name, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                                    SumStep, average ? SumFinal<true> : SumFinal<false>) != SQLITE_OK)
            return false;
    }
    return sqliteapi::RegisterFunctions(db, kRules, nullptr);
}
