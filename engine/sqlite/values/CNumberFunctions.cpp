#include "engine/sqlite/values/CNumberFunctions.h"

#include <sqlite3.h>

#include <cstdint>
#include <new>
#include <string>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/values/CDecimalSum.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/PowersOfTen.h"

namespace {

using Scaled = CNumberValue::Scaled;

void Raise(sqlite3_context* context, int code, int at = -1) {
    std::string message = COraError::ForFunction(code, {}, at);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

// Both operands as decimals; false (the error set) when one is no number.
bool Operands(sqlite3_context* context, sqlite3_value** argv, CNumberDecimal& a, CNumberDecimal& b) {
    if (CNumberValue::Read(argv[0], a) && CNumberValue::Read(argv[1], b)) return true;
    Raise(context, 1722);
    return false;
}

// The scaled forms of both operands at one scale.
bool Aligned(sqlite3_value* a, sqlite3_value* b, Scaled& x, Scaled& y) {
    if (!CNumberValue::ReadScaled(a, x) || !CNumberValue::ReadScaled(b, y)) return false;
    if (x.scale == y.scale) return true;
    Scaled& finer = x.scale > y.scale ? y : x;
    int target = x.scale > y.scale ? x.scale : y.scale;
    return !__builtin_mul_overflow(finer.coefficient, kPowersOfTen[target - finer.scale],
                                   &finer.coefficient) &&
           (finer.scale = target, true);
}

void Multiply(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    Scaled x;
    Scaled y;
    std::int64_t product = 0;
    if (CNumberValue::ReadScaled(argv[0], x) && CNumberValue::ReadScaled(argv[1], y) &&
        x.scale + y.scale <= 15 && !__builtin_mul_overflow(x.coefficient, y.coefficient, &product))
        return CNumberValue::ResultScaled(context, product, x.scale + y.scale);
    CNumberDecimal a;
    CNumberDecimal b;
    if (Operands(context, argv, a, b)) CNumberValue::Result(context, a.Multiply(b));
}

// ORA_DIV(a, b [, at]): `at` the offset of the operator, for the report.
void Divide(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    CNumberDecimal a;
    CNumberDecimal b;
    if (!Operands(context, argv, a, b)) return;
    CNumberDecimal quotient;
    if (!a.Divide(b, quotient)) return Raise(context, 1476, argc > 2 ? sqlite3_value_int(argv[2]) : -1);
    CNumberValue::Result(context, quotient);
}

void Compare(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    Scaled x;
    Scaled y;
    if (Aligned(argv[0], argv[1], x, y))
        return sqlite3_result_int(context, (x.coefficient > y.coefficient) - (x.coefficient < y.coefficient));
    CNumberDecimal a;
    CNumberDecimal b;
    if (Operands(context, argv, a, b)) sqlite3_result_int(context, a.Compare(b));
}

void SortKey(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722);
    std::string key = number.SortKey();
    sqlite3_result_blob(context, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

// BIN_TO_NUM: each argument a bit, 0 or 1, the first the highest.
void BinToNum(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CNumberDecimal out = CNumberDecimal::FromInteger(0);
    const CNumberDecimal two = CNumberDecimal::FromInteger(2);
    for (int k = 0; k < argc; ++k) {
        CNumberDecimal bit;
        std::int64_t value = -1;
        if (IsNull(argv[k]) || !CNumberValue::Read(argv[k], bit) || !bit.ToInteger(value) || value < 0 ||
            value > 1)
            return Raise(context, 1760);
        out = out.Multiply(two).Add(CNumberDecimal::FromInteger(value));
    }
    CNumberValue::Result(context, out);
}

void Absolute(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    Scaled x;
    if (CNumberValue::ReadScaled(argv[0], x) && x.coefficient != INT64_MIN)
        return CNumberValue::ResultScaled(context, x.coefficient < 0 ? -x.coefficient : x.coefficient,
                                          x.scale);
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722);
    CNumberValue::Result(context, number.Sign() < 0 ? number.Negate() : number);
}

// The least or greatest number of MIN or MAX, kept as the row held it.
struct Extreme {
    sqlite3_value* value = nullptr;
    CNumberDecimal number;
};

template <bool kGreatest>
void ExtremeStep(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return;
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722);
    auto** state = static_cast<Extreme**>(sqlite3_aggregate_context(context, sizeof(Extreme*)));
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (*state == nullptr) *state = new (std::nothrow) Extreme();
    Extreme* extreme = *state;
    if (extreme == nullptr) return sqlite3_result_error_nomem(context);
    int order = number.Compare(extreme->number);
    if (extreme->value != nullptr && (kGreatest ? order <= 0 : order >= 0)) return;
    sqlite3_value_free(extreme->value);
    extreme->value = sqlite3_value_dup(argv[0]);
    extreme->number = std::move(number);
    if (extreme->value == nullptr) sqlite3_result_error_nomem(context);
}

void ExtremeFinal(sqlite3_context* context) {
    auto** state = static_cast<Extreme**>(sqlite3_aggregate_context(context, 0));
    if (state == nullptr || *state == nullptr) return sqlite3_result_null(context);
    if ((*state)->value != nullptr) sqlite3_result_value(context, (*state)->value);
    sqlite3_value_free((*state)->value);
    delete *state;
    *state = nullptr;
}

// GREATEST and LEAST of numbers: NULL when any argument is; the chosen
// argument as it was (a long number keeps its digits).
template <bool kGreatest>
void ExtremeOf(sqlite3_context* context, int argc, sqlite3_value** argv) {
    int best = 0;
    CNumberDecimal extreme;
    for (int k = 0; k < argc; ++k) {
        if (IsNull(argv[k])) return sqlite3_result_null(context);
        CNumberDecimal number;
        if (!CNumberValue::Read(argv[k], number)) return Raise(context, 1722);
        int order = k == 0 ? 0 : number.Compare(extreme);
        if (k > 0 && (kGreatest ? order <= 0 : order >= 0)) continue;
        best = k;
        extreme = std::move(number);
    }
    sqlite3_result_value(context, argv[best]);
}

// The state of one SUM or AVG, made on its first row.
CDecimalSum* State(sqlite3_context* context, bool create) {
    auto** state =
        static_cast<CDecimalSum**>(sqlite3_aggregate_context(context, create ? sizeof(CDecimalSum*) : 0));
    if (state == nullptr) return nullptr;
    if (*state == nullptr && create) *state = new (std::nothrow) CDecimalSum();
    return *state;
}

void Step(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return;
    CDecimalSum* sum = State(context, true);
    if (sum == nullptr) return sqlite3_result_error_nomem(context);
    if (!sum->Add(argv[0])) Raise(context, 1722);
}

void Inverse(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return;
    CDecimalSum* sum = State(context, true);
    if (sum != nullptr) sum->Add(argv[0], true);
}

template <bool kAverage>
void Value(sqlite3_context* context) {
    CDecimalSum* sum = State(context, false);
    if (sum == nullptr || sum->Count() == 0) return sqlite3_result_null(context);
    if (!kAverage) return CNumberValue::Result(context, sum->Total());
    CNumberDecimal average;
    sum->Total().Divide(CNumberDecimal::FromInteger(sum->Count()), average);
    CNumberValue::Result(context, average);
}

template <bool kAverage>
void Final(sqlite3_context* context) {
    Value<kAverage>(context);
    auto** state = static_cast<CDecimalSum**>(sqlite3_aggregate_context(context, 0));
    if (state != nullptr) {
        delete *state;
        *state = nullptr;
    }
}

}  // namespace

void CNumberFunctions::AddValues(sqlite3_context* context, sqlite3_value* a, sqlite3_value* b,
                                 bool subtract) {
    Scaled x;
    Scaled y;
    std::int64_t result = 0;
    if (Aligned(a, b, x, y) && !(subtract ? __builtin_sub_overflow(x.coefficient, y.coefficient, &result)
                                          : __builtin_add_overflow(x.coefficient, y.coefficient, &result)))
        return CNumberValue::ResultScaled(context, result, x.scale);
    CNumberDecimal left;
    CNumberDecimal right;
    if (!CNumberValue::Read(a, left) || !CNumberValue::Read(b, right)) return Raise(context, 1722);
    CNumberValue::Result(context, subtract ? left.Subtract(right) : left.Add(right));
}

bool CNumberFunctions::Register(sqlite3* db) {
    constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    struct Scalar {
        const char* name;
        int arguments;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    constexpr Scalar kScalars[] = {{"ORA_MUL", 2, Multiply},
                                   {"ORA_DIV", 2, Divide},
                                   {"ORA_DIV", 3, Divide},
                                   {"ORA_NUMCMP", 2, Compare},
                                   {"ORA_NUMKEY", 1, SortKey},
                                   {"ORA_ABS", 1, Absolute},
                                   {"ORA_NUM_GREATEST", -1, ExtremeOf<true>},
                                   {"ORA_NUM_LEAST", -1, ExtremeOf<false>}};
    for (const Scalar& row : kScalars)
        if (sqlite3_create_function(db, row.name, row.arguments, kFlags, nullptr, row.function, nullptr,
                                    nullptr) != SQLITE_OK)
            return false;
    if (sqlite3_create_function(db, "ORA_BIN_TO_NUM", -1, kFlags, nullptr, BinToNum, nullptr, nullptr) !=
        SQLITE_OK)
        return false;
    if (sqlite3_create_function(db, "ORA_MIN", 1, kFlags, nullptr, nullptr, ExtremeStep<false>,
                                ExtremeFinal) != SQLITE_OK ||
        sqlite3_create_function(db, "ORA_MAX", 1, kFlags, nullptr, nullptr, ExtremeStep<true>,
                                ExtremeFinal) != SQLITE_OK)
        return false;
    return sqlite3_create_window_function(db, "ORA_SUM", 1, SQLITE_UTF8, nullptr, Step, Final<false>,
                                          Value<false>, Inverse, nullptr) == SQLITE_OK &&
           sqlite3_create_window_function(db, "ORA_AVG", 1, SQLITE_UTF8, nullptr, Step, Final<true>,
                                          Value<true>, Inverse, nullptr) == SQLITE_OK;
}
