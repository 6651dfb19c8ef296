// CSqlEmitter: BINARY_FLOAT and BINARY_DOUBLE expressions: their literals and
// constants, the width an expression takes from its operands, IEEE
// arithmetic and comparison, and the functions that take such values.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "text/Cp932.h"

namespace {

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

constexpr int kSingle = CFloatValue::kSingle;
constexpr int kDouble = CFloatValue::kDouble;

struct Constant {
    std::string_view name;
    int width;
    double value;
};

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr Constant kConstants[] = {
    {"BINARY_FLOAT_NAN", kSingle, kNan},
    {"BINARY_FLOAT_INFINITY", kSingle, kInfinity},
    {"BINARY_FLOAT_MAX_NORMAL", kSingle, std::numeric_limits<float>::max()},
    {"BINARY_FLOAT_MIN_NORMAL", kSingle, std::numeric_limits<float>::min()},
    {"BINARY_FLOAT_MAX_SUBNORMAL", kSingle,
     std::numeric_limits<float>::min() - std::numeric_limits<float>::denorm_min()},
    {"BINARY_FLOAT_MIN_SUBNORMAL", kSingle, std::numeric_limits<float>::denorm_min()},
    {"BINARY_DOUBLE_NAN", kDouble, kNan},
    {"BINARY_DOUBLE_INFINITY", kDouble, kInfinity},
    {"BINARY_DOUBLE_MAX_NORMAL", kDouble, std::numeric_limits<double>::max()},
    {"BINARY_DOUBLE_MIN_NORMAL", kDouble, std::numeric_limits<double>::min()},
    {"BINARY_DOUBLE_MAX_SUBNORMAL", kDouble,
     std::numeric_limits<double>::min() - std::numeric_limits<double>::denorm_min()},
    {"BINARY_DOUBLE_MIN_SUBNORMAL", kDouble, std::numeric_limits<double>::denorm_min()},
};

const Constant* FindConstant(const CSqlExpr& expr) {
    if (expr.kind != CSqlExpr::Kind::Name || expr.parts.size() != 1 || expr.parts[0].starts_with('"'))
        return nullptr;
    const std::string name = Upper(expr.parts[0]);
    for (const Constant& constant : kConstants)
        if (constant.name == name) return &constant;
    return nullptr;
}

// The width a numeric literal's suffix gives: f/F BINARY_FLOAT, d/D BINARY_DOUBLE.
int SuffixWidth(std::string_view literal) {
    if (literal.empty()) return 0;
    const char last = literal.back();
    return last == 'f' || last == 'F' ? kSingle : last == 'd' || last == 'D' ? kDouble : 0;
}

// The text ORA_FLOAT reads back as exactly `value`.
std::string ExactText(double value) {
    if (value != value) return "'NaN'";
    if (value == kInfinity) return "'INF'";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "'%.17g'", value);
    return buffer;
}

// Functions whose result is as wide as their widest argument.
constexpr std::string_view kWidening[] = {"NVL", "NVL2", "COALESCE", "GREATEST", "LEAST",  "MIN",
                                          "MAX", "SUM",  "AVG",      "NANVL",    "DECODE", "NULLIF"};
// Functions of one floating argument computed in IEEE arithmetic.
constexpr std::string_view kUnary[] = {"ABS", "CEIL", "FLOOR", "SQRT",  "EXP",   "LN",
                                       "SIN", "COS",  "TAN",   "ROUND", "TRUNC", "SIGN"};
// Functions that take floating values as they are held: they compare or
// pass them on whole, which is right for both forms (REAL and 'NaN').
constexpr std::string_view kPassing[] = {"COUNT",    "MIN",    "MAX",    "NVL",       "NVL2",
                                         "COALESCE", "DECODE", "NULLIF", "TO_NUMBER", "TO_CHAR"};

template <std::size_t N>
bool In(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

int CSqlEmitter::FloatWidth(const CSqlExpr& expr) {
    using Kind = CSqlExpr::Kind;
    switch (expr.kind) {
        case Kind::Number:
            return SuffixWidth(expr.text);
        case Kind::Bind:
            return BindWidth(expr);
        case Kind::Name: {
            CValueType full;
            if (NamedColumnType(expr, full)) return full.floatWidth;
            const Constant* constant = FindConstant(expr);
            return constant != nullptr ? constant->width : 0;
        }
        case Kind::Unary:
            return expr.text == "-" || expr.text == "+" ? FloatWidth(*expr.args[0]) : 0;
        case Kind::Row:
            return expr.args.size() == 1 ? FloatWidth(*expr.args[0]) : 0;
        case Kind::Binary:
            if (expr.text != "+" && expr.text != "-" && expr.text != "*" && expr.text != "/") return 0;
            return std::max(FloatWidth(*expr.args[0]), FloatWidth(*expr.args[1]));
        case Kind::Case: {
            // [operand] when, then, ..., [else]: the results' widest.
            int width = 0;
            const std::size_t first = expr.text == "SIMPLE" ? 2 : 1;
            const std::size_t pairsEnd = expr.args.size() - (expr.negated ? 1 : 0);
            for (std::size_t k = first; k < pairsEnd; k += 2)
                width = std::max(width, FloatWidth(*expr.args[k]));
            if (expr.negated) width = std::max(width, FloatWidth(*expr.args.back()));
            return width;
        }
        case Kind::Call:
            return CallWidth(expr);
        case Kind::Subquery: {
            // Known once the subquery is written.
            auto found = m_subqueryFloats.find(&expr);
            return found != m_subqueryFloats.end() ? found->second : 0;
        }
        default:
            return 0;
    }
}

int CSqlEmitter::BindWidth(const CSqlExpr& expr) const {
    if (m_bindWidths.empty() || expr.text.size() < 2) return 0;
    auto found = m_bindWidths.find(std::string(expr.text.substr(1)));
    return found != m_bindWidths.end() ? found->second : 0;
}

int CSqlEmitter::CallWidth(const CSqlExpr& expr) {
    if (expr.parts.size() > 1) return 0;
    const std::string name = Upper(expr.text);
    if (name == "TO_BINARY_DOUBLE") return kDouble;
    if (name == "TO_BINARY_FLOAT") return kSingle;
    if (name == "CAST") {
        const std::string type = Upper(expr.detail);
        return type == "BINARY_DOUBLE" ? kDouble : type == "BINARY_FLOAT" ? kSingle : 0;
    }
    if (!In(kWidening, name) && !(In(kUnary, name) && expr.args.size() == 1)) return 0;
    int width = 0;
    // DECODE(e, search, result, ...[, default]) and NVL2(e, a, b): the results.
    const bool decode = name == "DECODE";
    for (std::size_t k = name == "NVL2" ? 1 : 0; k < expr.args.size(); ++k)
        if (!decode || (k >= 2 && k % 2 == 0) || (k >= 3 && k + 1 == expr.args.size()))
            width = std::max(width, FloatWidth(*expr.args[k]));
    return width;
}

bool CSqlEmitter::FloatLiteral(const CSqlExpr& expr, std::string& out) {
    const int width = SuffixWidth(expr.text);
    if (width == 0) return false;
    std::string_view digits = expr.text.substr(0, expr.text.size() - 1);
    out += "ORA_FLOAT('" + std::string(digits) + "', " + std::to_string(width) + ", " +
           std::to_string(expr.at) + ")";
    return true;
}

bool CSqlEmitter::FloatConstant(const CSqlExpr& expr, std::string& out) {
    const Constant* constant = FindConstant(expr);
    if (constant == nullptr) return false;
    CValueType full;
    if (NamedColumnType(expr, full)) return false;
    out += "ORA_FLOAT(" + ExactText(constant->value) + ", " + std::to_string(constant->width) + ", " +
           std::to_string(expr.at) + ")";
    return true;
}

bool CSqlEmitter::FloatArithmetic(const CSqlExpr& expr, const std::string& left, const std::string& right,
                                  std::string& out) {
    const int width = FloatWidth(expr);
    if (width == 0) return false;
    out += "ORA_FLOAT_OP('" + std::string(expr.text) + "', " + left + ", " + right + ", " +
           std::to_string(width) + ")";
    return true;
}

bool CSqlEmitter::FloatNegation(const CSqlExpr& operand, std::string& out) {
    const int width = FloatWidth(operand);
    if (width == 0) return false;
    out += "ORA_FLOAT_NEG(";
    Expr(&operand, out);
    out += ", " + std::to_string(width) + ")";
    return true;
}

bool CSqlEmitter::FloatComparison(std::string_view op, const CSqlExpr& left, const CSqlExpr& right,
                                  std::string& out) {
    if (FloatWidth(left) == 0 && FloatWidth(right) == 0) return false;
    out += "(ORA_FLOAT_CMP(";
    Expr(&left, out);
    out += ", ";
    Expr(&right, out);
    out += ") " + std::string(op == "^=" ? "<>" : op) + " 0)";
    return true;
}

void CSqlEmitter::FloatCondition(const CSqlExpr& expr, std::string& out) {
    out += "(ORA_FLOAT_IS(";
    Expr(expr.args[0], out);
    out += ", '" + std::string(expr.text) + "') = " + (expr.negated ? "0)" : "1)");
}

bool CSqlEmitter::FloatCall(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    type = CSqlType::Number;
    const int width = CallWidth(expr);
    const std::string w = std::to_string(width);
    if (name == "TO_BINARY_DOUBLE" || name == "TO_BINARY_FLOAT") {
        if (expr.args.empty() || expr.args.size() > 3 || expr.over)
            return Fail(expr.at, expr.args.empty() ? 938 : 939), true;
        // Note: with a model the text is read as TO_NUMBER reads it.
        out += "ORA_FLOAT(";
        if (expr.args.size() > 1) {
            out += "TO_NUMBER(";
            for (std::size_t k = 0; k < expr.args.size(); ++k) {
                Expr(expr.args[k], out);
                out += ", ";
            }
            out += std::to_string(expr.args[0]->at) + ")";
        } else {
            Expr(expr.args[0], out);
        }
        out += ", " + w + ", " + std::to_string(expr.args[0]->at) + ")";
        return true;
    }
    if (name == "NANVL") {
        if (expr.args.size() != 2) return Fail(expr.at, expr.args.size() < 2 ? 938 : 939), true;
        std::string value;
        std::string alternative;
        Expr(expr.args[0], value);
        Expr(expr.args[1], alternative);
        // Note: of values not known to be floating (NUMBER, binds) the one
        // chosen is kept as it is.
        out += "ORA_NANVL(" + value + ", " + alternative + ", " + w + ")";
        return true;
    }
    if (name == "CAST" && width > 0) {
        out += "ORA_FLOAT(";
        Expr(expr.args[0], out);
        out += ", " + w + ", " + std::to_string(expr.args[0]->at) + ")";
        return true;
    }
    bool floating = false;
    for (const CSqlExpr* argument : expr.args) floating = floating || FloatWidth(*argument) > 0;
    if (!floating) return false;
    const std::string argumentWidth = std::to_string(expr.args.empty() ? 0 : FloatWidth(*expr.args[0]));
    if (In(kUnary, name) && expr.args.size() == 1 && !expr.over) {
        out += "ORA_FLOAT_CALL('" + name + "', ";
        Expr(expr.args[0], out);
        out += ", " + argumentWidth + ")";
        return true;
    }
    if ((name == "SUM" || name == "AVG") && expr.args.size() == 1 && !expr.over && !expr.distinct) {
        out += "ORA_FLOAT_" + name + "(";
        ++m_aggregates;
        Expr(expr.args[0], out);
        --m_aggregates;
        out += ", " + argumentWidth + ")";
        return true;
    }
    if ((name == "GREATEST" || name == "LEAST") && !expr.args.empty()) {
        // Note: every argument taken as the widest type; SQLite's max and
        // min order NaN (held as text) above every number, and answer NULL
        // for any NULL, as the server does.
        if (expr.args.size() > 1) out += name == "GREATEST" ? "max(" : "min(";
        for (std::size_t k = 0; k < expr.args.size(); ++k) {
            out += k > 0 ? ", ORA_FLOAT(" : "ORA_FLOAT(";
            Expr(expr.args[k], out);
            out += ", " + w + ", " + std::to_string(expr.args[k]->at) + ")";
        }
        if (expr.args.size() > 1) out += ")";
        return true;
    }
    if (name == "TO_CHAR" && expr.args.size() == 1) {
        out += "ORA_FLOAT_TEXT(";
        Expr(expr.args[0], out);
        out += ", " + argumentWidth + ")";
        type = CSqlType::Text;
        return true;
    }
    if (In(kPassing, name)) return false;
    // Note: CAST to a NUMBER takes the value as it is held; to any other
    // type it is refused, the server's text of a floating value not being
    // the one such a cast would write.
    if (name == "CAST" && (Upper(expr.detail).starts_with("NUMBER") || Upper(expr.detail).starts_with("INT")))
        return false;
    // Note: a function not written for floating values is refused by name
    // rather than given them as NUMBER.
    return Fail(expr.at, 3001, name + "(BINARY_DOUBLE)"), true;
}

std::string CSqlEmitter::StoreFloat(int width, const std::string& value, const std::string& at) {
    return "ORA_FLOAT(" + value + ", " + std::to_string(width) + ", " + at + ")";
}
