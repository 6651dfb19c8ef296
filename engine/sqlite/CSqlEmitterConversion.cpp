// CSqlEmitter: conversions that fall back on a value of the statement's
// (DEFAULT value ON CONVERSION ERROR), VALIDATE_CONVERSION, and CAST with a
// format model. A conversion that may fail is written as a query of its own
// over its operands as parameters, run by ORA_CONVERT_OR or ORA_CONVERTS
// (see CConversionFallback), so that a value that does not convert is told
// apart from every other error.
#include <string>
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

bool IsText(CSqlType type) { return type == CSqlType::Text || type == CSqlType::Char; }

std::string Quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The value DEFAULT ... ON CONVERSION ERROR takes: a literal (a number with
// its sign), NULL or a bind variable.
bool IsFallbackOperand(const CSqlExpr& expr) {
    using Kind = CSqlExpr::Kind;
    switch (expr.kind) {
        case Kind::Number:
        case Kind::String:
        case Kind::Null:
        case Kind::Bind:
        case Kind::DateLiteral:
        case Kind::Interval:
            return true;
        case Kind::Unary:
            return (expr.text == "-" || expr.text == "+") && expr.args.size() == 1 &&
                   expr.args[0]->kind == Kind::Number;
        default:
            return false;
    }
}

// The types VALIDATE_CONVERSION tells about, and the function whose reading
// of a value (with a model and NLS parameter) it asks about.
struct ValidatedType {
    std::string_view type;  // upper case, words single-spaced
    std::string_view function;
};
constexpr ValidatedType kValidatedTypes[] = {
    {"NUMBER", "TO_NUMBER"},
    {"BINARY_DOUBLE", "TO_BINARY_DOUBLE"},
    {"BINARY_FLOAT", "TO_BINARY_FLOAT"},
    {"DATE", "TO_DATE"},
    {"TIMESTAMP", "TO_TIMESTAMP"},
    {"TIMESTAMP WITH TIME ZONE", "TO_TIMESTAMP_TZ"},
    {"TIMESTAMP WITH LOCAL TIME ZONE", "TO_TIMESTAMP_TZ"},
    {"INTERVAL DAY TO SECOND", "TO_DSINTERVAL"},
    {"INTERVAL YEAR TO MONTH", "TO_YMINTERVAL"},
};

// A type's name upper-cased with its words single-spaced.
std::string TypeWords(std::string_view written) {
    std::string out;
    for (char c : Upper(written)) {
        bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (!blank)
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

const ValidatedType* FindValidated(std::string_view written) {
    const std::string words = TypeWords(written);
    for (const ValidatedType& row : kValidatedTypes)
        if (row.type == words) return &row;
    return nullptr;
}

// The function that reads text with a model as CAST to `column` does.
std::string_view ReadingFunction(const CSqliteCatalog::Column& column) {
    if (column.type == CSqlType::Number) return "TO_NUMBER";
    if (column.type != CSqlType::Date || column.interval) return {};
    return column.zone != 0 ? "TO_TIMESTAMP_TZ" : "TO_DATE";
}

}  // namespace

bool CSqlEmitter::IsFallibleConversion(const CSqlExpr& expr) {
    if (expr.kind != CSqlExpr::Kind::Call || expr.parts.size() != 1) return false;
    return expr.conversionDefault != nullptr || Upper(expr.text) == "VALIDATE_CONVERSION";
}

CSqlType CSqlEmitter::FallibleConversion(const CSqlExpr& expr, std::string& out) {
    if (Upper(expr.text) == "VALIDATE_CONVERSION") return ValidateConversion(expr, out);
    const CSqlExpr& fallback = *expr.conversionDefault;
    if (!IsFallbackOperand(fallback)) return Fail(fallback.at, 43907), CSqlType::Unknown;
    if (Upper(expr.text) == "CAST") {
        // Note: a conversion error is one of a number, a date or an interval read.
        CSqliteCatalog::Column column = CSqliteCatalog::Describe("CAST", expr.detail);
        if (column.type != CSqlType::Number && column.type != CSqlType::Date && !column.interval)
            return Fail(expr.at, 43928), CSqlType::Unknown;
    }
    std::string value;
    Expr(&fallback, value);
    CSqlExpr plain = expr;
    plain.conversionDefault = nullptr;
    std::vector<std::string> operands;
    std::string query;
    CSqlType type = ConversionQuery(plain, operands, query);
    out += "ORA_CONVERT_OR(" + Quote(query) + ", " + value;
    for (const std::string& operand : operands) out += ", " + operand;
    out += ")";
    return type;
}

CSqlType CSqlEmitter::ValidateConversion(const CSqlExpr& expr, std::string& out) {
    const ValidatedType* row = FindValidated(expr.detail);
    if (row == nullptr) {
        Fail(expr.at, 3001, "VALIDATE_CONVERSION (AS " + TypeWords(expr.detail) + ")");
        return CSqlType::Unknown;
    }
    CSqlExpr reading = expr;
    reading.text = row->function;
    reading.parts = {row->function};
    reading.detail = {};
    std::vector<std::string> operands;
    std::string query;
    ConversionQuery(reading, operands, query);
    out += "ORA_CONVERTS(" + Quote(query);
    for (const std::string& operand : operands) out += ", " + operand;
    out += ")";
    return CSqlType::Number;
}

CSqlType CSqlEmitter::ConversionQuery(const CSqlExpr& expr, std::vector<std::string>& operands,
                                      std::string& query) {
    operands.assign(expr.args.size(), std::string());
    std::map<const CSqlExpr*, Parameter> parameters;
    for (std::size_t k = 0; k < expr.args.size(); ++k) {
        CSqlType type = Expr(expr.args[k], operands[k]);
        parameters[expr.args[k]] = {"?" + std::to_string(k + 1), type};
    }
    if (m_failed) return CSqlType::Unknown;
    std::swap(m_parameters, parameters);
    std::string call;
    CSqlType type = Call(expr, call);
    std::swap(m_parameters, parameters);
    query = "SELECT " + call;
    return type;
}

CSqlType CSqlEmitter::CastWithModel(const CSqlExpr& expr, std::string& out) {
    CSqliteCatalog::Column column = CSqliteCatalog::Describe("CAST", expr.detail);
    std::string_view function = ReadingFunction(column);
    if (function.empty()) {
        Fail(expr.at, 3001, "CAST (AS " + TypeWords(expr.detail) + encoding::Utf8ToCp932(", 書式)"));
        return CSqlType::Unknown;
    }
    std::string scratch;
    CSqlType given = Expr(expr.args[0], scratch);
    // Note: the model reads text; a value of another type converts as it is.
    CSqlExpr reading = expr;
    reading.text = function;
    reading.parts = {function};
    reading.detail = {};
    reading.conversionDefault = nullptr;
    CSqlExpr cast = expr;
    cast.conversionDefault = nullptr;
    cast.args = {IsText(given) || given == CSqlType::Unknown ? &reading : expr.args[0]};
    return Call(cast, out);
}

bool CSqlEmitter::ConversionArity(const std::string& name, const CSqlExpr& expr) {
    // The arguments each conversion function takes, its DEFAULT ... ON
    // CONVERSION ERROR apart: the value, then a model and an NLS parameter.
    // TO_DSINTERVAL still takes an NLS parameter (which changes nothing).
    struct Arity {
        std::string_view name;
        std::size_t least;
        std::size_t most;
    };
    static constexpr Arity kArities[] = {
        {"TO_CHAR", 1, 3},         {"TO_NCHAR", 1, 3},         {"TO_DATE", 1, 3},
        {"TO_TIMESTAMP", 1, 3},    {"TO_TIMESTAMP_TZ", 1, 3},  {"TO_NUMBER", 1, 3},
        {"TO_DSINTERVAL", 1, 2},   {"TO_YMINTERVAL", 1, 1},    {"NUMTODSINTERVAL", 2, 2},
        {"NUMTOYMINTERVAL", 2, 2}, {"TO_BINARY_DOUBLE", 1, 3}, {"TO_BINARY_FLOAT", 1, 3},
    };
    for (const Arity& row : kArities) {
        if (row.name != name) continue;
        const std::size_t count = expr.starArgument ? 1 : expr.args.size();
        if (count >= row.least && count <= row.most) return true;
        return Fail(expr.at, count < row.least ? 938 : 939);
    }
    return true;
}
