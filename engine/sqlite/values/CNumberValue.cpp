#include "engine/sqlite/values/CNumberValue.h"

#include <sqlite3.h>

#include <cmath>
#include <string>

#include "engine/sqlite/COraError.h"

namespace {

constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int kMaxScale = 15;
constexpr std::int64_t kDoubleLimit = 1000000000000000;  // 10^15

}  // namespace

bool CNumberValue::ScaledOf(double value, Scaled& out) {
    double magnitude = std::fabs(value);
    for (int scale = 0; scale <= kMaxScale; ++scale) {
        double shifted = magnitude * kPowers[scale];
        if (!(shifted < 1e15)) return false;
        double whole = std::nearbyint(value * kPowers[scale]);
        if (whole / kPowers[scale] == value) {
            out.coefficient = static_cast<std::int64_t>(whole);
            out.scale = scale;
            return true;
        }
    }
    return false;
}

bool CNumberValue::ReadScaled(sqlite3_value* value, Scaled& out) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            out.coefficient = sqlite3_value_int64(value);
            out.scale = 0;
            return true;
        case SQLITE_FLOAT:
            return ScaledOf(sqlite3_value_double(value), out);
        default:
            return false;
    }
}

bool CNumberValue::Read(sqlite3_value* value, CNumberDecimal& out) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            out = CNumberDecimal::FromInteger(sqlite3_value_int64(value));
            return true;
        case SQLITE_FLOAT:
            return CNumberDecimal::FromDouble(sqlite3_value_double(value), out);
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return CNumberDecimal::FromText(
                std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value))), out);
        }
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
            std::size_t size = static_cast<std::size_t>(sqlite3_value_bytes(value));
            return size > 0 && CNumberDecimal::FromText(std::string_view(bytes, size), out);
        }
        default:
            return false;
    }
}

void CNumberValue::Result(sqlite3_context* context, const CNumberDecimal& value) {
    Held(context, value, false);
}

void CNumberValue::ResultStored(sqlite3_context* context, const CNumberDecimal& value) {
    Held(context, value, true);
}

void CNumberValue::Held(sqlite3_context* context, const CNumberDecimal& value, bool stored) {
    CNumberDecimal held = value.Server();
    if (held.Overflows()) {
        std::string message = COraError::ForFunction(1426, {});
        return sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
    }
    std::int64_t integer = 0;
    if (held.ToInteger(integer)) return sqlite3_result_int64(context, integer);
    double real = 0;
    if (held.ToDouble(real)) return sqlite3_result_double(context, real);
    std::string text = held.ToText();
    if (stored)
        return sqlite3_result_blob(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void CNumberValue::ResultScaled(sqlite3_context* context, std::int64_t coefficient, int scale) {
    while (scale > 0 && coefficient % 10 == 0) {
        coefficient /= 10;
        --scale;
    }
    if (scale == 0) return sqlite3_result_int64(context, coefficient);
    if (scale <= kMaxScale && coefficient < kDoubleLimit && coefficient > -kDoubleLimit)
        return sqlite3_result_double(context, static_cast<double>(coefficient) / kPowers[scale]);
    mpz_class whole(static_cast<long>(coefficient));
    CNumberDecimal value;
    CNumberDecimal::FromText(whole.get_str() + "e-" + std::to_string(scale), value);
    Result(context, value);
}
