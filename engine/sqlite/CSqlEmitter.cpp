#include "engine/sqlite/CSqlEmitter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/CDateLiteral.h"
#include "engine/sqlite/CSqlParser.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/CSqliteValueFunctions.h"
#include "engine/sqlite/CTerritoryFormat.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CIntervalLiteral.h"
#include "engine/sqlite/values/CNumberDecimal.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/CNumberFormat.h"
#include "text/Cp932.h"
#include "text/Encoding.h"
#include "text/NumberFit.h"

namespace {

// A name as the catalog holds it: quoted as written, else upper-cased.
std::string Upper(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"') return std::string(text.substr(1, text.size() - 2));
    return cp932::ToUpperAscii(text);
}

bool IsText(CSqlType type) { return type == CSqlType::Text || type == CSqlType::Char; }

// A number drawn at random from [0, 1), 15 digits after the point.
constexpr std::string_view kRandomUnit = "((ABS(RANDOM()) % 1000000000000000) / 1000000000000000.0)";

// Note: NUMBER(p) up to 18 digits and NUMBER(p, s) up to 15 always fit an
// integer or a double.
bool HoldsLongNumbers(const CSqliteCatalog::Column& column) {
    if (column.floatWidth != 0) return false;
    if (column.type != CSqlType::Number || column.precision <= 0) return column.type == CSqlType::Number;
    bool whole = column.scale == 0 || column.scale == CSqliteCatalog::Column::kNoScale;
    return column.precision > (whole ? 18 : 15);
}

CValueType TypeOfColumn(const CSqliteCatalog::Column& column) {
    CValueType type{column.type,
                    column.length,
                    column.charSemantics,
                    HoldsLongNumbers(column),
                    column.fraction,
                    column.zone == CSqliteCatalog::Column::kZoned,
                    column.zone == CSqliteCatalog::Column::kLocalZone};
    type.binary = column.binary;
    type.interval = column.interval;
    type.floatWidth = column.floatWidth;
    return type;
}

bool IsInterval(const CSqlExpr* expr) { return expr->kind == CSqlExpr::Kind::Interval; }

constexpr std::string_view kAggregates[] = {"COUNT",
                                            "REGR_COUNT",
                                            "REGR_AVGX",
                                            "REGR_AVGY",
                                            "REGR_SLOPE",
                                            "REGR_INTERCEPT",
                                            "REGR_R2",
                                            "REGR_SXX",
                                            "REGR_SYY",
                                            "REGR_SXY",
                                            "STATS_MODE",
                                            "SUM",
                                            "AVG",
                                            "MIN",
                                            "MAX",
                                            "LISTAGG",
                                            "JSON_ARRAYAGG",
                                            "JSON_OBJECTAGG",
                                            "STDDEV",
                                            "VARIANCE",
                                            "STDDEV_POP",
                                            "STDDEV_SAMP",
                                            "VAR_POP",
                                            "VAR_SAMP",
                                            "COVAR_POP",
                                            "COVAR_SAMP",
                                            "CORR",
                                            "MEDIAN",
                                            "PERCENTILE_CONT",
                                            "PERCENTILE_DISC",
                                            "APPROX_COUNT_DISTINCT"};

// Functions whose text is as long as their first argument's, and those
// whose text is one of their arguments'.
// Note: a substring keeps the length of its source, whatever length it is
// asked for, as the server's type of the result is the source's type.
constexpr std::string_view kLikeFirst[] = {"UPPER",   "LOWER",  "INITCAP", "LTRIM",          "RTRIM",
                                           "TRIM",    "SUBSTR", "SUBSTRB", "SUBSTRC",        "SUBSTR2",
                                           "SUBSTR4", "MIN",    "MAX",     "TO_SINGLE_BYTE", "REGEXP_SUBSTR"};
constexpr std::string_view kOneOf[] = {"NVL", "COALESCE", "GREATEST", "LEAST"};

// The server's declared lengths: a name (USER), a number's text (TO_CHAR).
// Note: a number written without a model takes up to 40 digit places, its
// point and its sign ("-.3333333333333333333333333333333333333333"); past
// those places it is written in scientific notation in 40 bytes.
constexpr long kIdentifierLength = 128;
constexpr long kNumberTextLength = numberfit::kServerPlaces + 2;
// The most bytes one character takes in the database's character set (CP932).
constexpr long kBytesPerCharacter = 2;

// The longest text a date format makes (CP932 bytes), in any language of
// names: formatted at dates of the longest names and widest fields.
long DateFormatLength(std::string_view format) {
    // Note: the third has the longest words of spelled fields (YEAR, DDSPTH).
    static constexpr CDateTime kSamples[] = {
        {2000, 9, 27, 23, 59, 59, 999999999}, {2000, 12, 31, 12, 0, 0, 0}, {7777, 11, 27, 17, 57, 57, 0}};
    long longest = 0;
    // Note: DL, DS and TS are as wide as the widest territory's models.
    for (std::size_t territory = 0; territory < CTerritoryFormat::TerritoryCount(); ++territory) {
        std::string model;
        CTerritoryFormat::ForWriting(format, CTerritoryFormat::TerritoryName(territory), model);
        if (territory > 0 && model == format) break;
        for (const CDateTime& sample : kSamples)
            for (CDateLanguage language : {CDateLanguage::American, CDateLanguage::Japanese}) {
                std::string out;
                std::string error;
                if (!CDateFormat::Format(sample, model, out, error, language)) return 0;
                longest = std::max(longest, static_cast<long>(encoding::Utf8ToCp932(out).size()));
            }
    }
    return longest;
}

// A number literal with more significant digits than a double holds.
bool IsLongNumber(std::string_view literal) {
    int digits = 0;
    for (char c : literal) {
        if (c == 'e' || c == 'E') break;
        if (c >= '0' && c <= '9' && (digits > 0 || c != '0')) ++digits;
    }
    return digits > 15;
}

// An expression whose value the engine computes (arithmetic, a call, a
// subquery) rather than reads from a column or the statement.
bool IsComputed(const CSqlExpr& expr) {
    using Kind = CSqlExpr::Kind;
    switch (expr.kind) {
        case Kind::Binary:
        case Kind::Call:
        case Kind::Subquery:
        case Kind::Case:
            return true;
        case Kind::Number:
            return IsLongNumber(expr.text);
        case Kind::Unary:
        case Kind::Row:
            return expr.args.size() == 1 && IsComputed(*expr.args[0]);
        default:
            return false;
    }
}

// How a function's result is typed.
enum class Result { Number, Text, Date, FirstArgument, SecondArgument, Unknown };

struct FunctionRow {
    std::string_view name;
    std::string_view emitted;  // empty: the same name
    Result result;
};

// Functions of the server the tree accepts; any other name is no function.
constexpr FunctionRow kFunctions[] = {
    {"ABS", "ORA_ABS", Result::Number},
    {"CEIL", "ORA_CEIL", Result::Number},
    {"BIN_TO_NUM", "ORA_BIN_TO_NUM", Result::Number},
    {"UNISTR", "ORA_UNISTR", Result::Text},
    {"STATS_MODE", "ORA_STATS_MODE", Result::FirstArgument},
    {"FLOOR", "ORA_FLOOR", Result::Number},
    {"MOD", "", Result::Number},
    {"POWER", "ORA_POWER", Result::Number},
    {"SQRT", "ORA_SQRT", Result::Number},
    {"SIGN", "ORA_SIGN", Result::Number},
    {"ROUND", "ORA_ROUND", Result::FirstArgument},
    {"TRUNC", "ORA_TRUNC", Result::FirstArgument},
    {"UPPER", "", Result::Text},
    {"LOWER", "", Result::Text},
    {"INITCAP", "", Result::Text},
    {"LENGTH", "", Result::Number},
    {"LENGTHB", "", Result::Number},
    {"SUBSTR", "", Result::Text},
    {"INSTR", "", Result::Number},
    {"REPLACE", "", Result::Text},
    {"TRIM", "", Result::Text},
    {"LTRIM", "", Result::Text},
    {"RTRIM", "", Result::Text},
    {"LPAD", "", Result::Text},
    {"RPAD", "", Result::Text},
    {"CONCAT", "", Result::Text},
    {"CHR", "CHAR", Result::Text},
    {"NCHR", "CHAR", Result::Text},
    {"TO_MULTI_BYTE", "ORA_TO_MULTI_BYTE", Result::Text},
    {"TO_SINGLE_BYTE", "ORA_TO_SINGLE_BYTE", Result::Text},
    {"ASCII", "UNICODE", Result::Number},
    {"NVL", "", Result::FirstArgument},
    {"NVL2", "", Result::SecondArgument},
    {"COALESCE", "", Result::FirstArgument},
    {"NULLIF", "", Result::FirstArgument},
    {"DECODE", "", Result::Unknown},
    {"GREATEST", "", Result::FirstArgument},
    {"LEAST", "", Result::FirstArgument},
    {"TO_CHAR", "", Result::Text},
    {"TO_NUMBER", "", Result::Number},
    {"TO_DATE", "", Result::Date},
    {"TO_TIMESTAMP", "TO_DATE", Result::Date},
    {"ADD_MONTHS", "", Result::Date},
    {"FROM_TZ", "ORA_FROM_TZ", Result::Date},
    {"NEW_TIME", "ORA_NEW_TIME", Result::Date},
    {"SYS_EXTRACT_UTC", "ORA_SYS_EXTRACT_UTC", Result::Date},
    {"TZ_OFFSET", "ORA_TZ_OFFSET", Result::Text},
    {"TO_TIMESTAMP_TZ", "ORA_TO_TIMESTAMP_TZ", Result::Date},
    {"AT TIME ZONE", "ORA_AT_ZONE", Result::Date},
    {"AT LOCAL", "ORA_AT_LOCAL", Result::Date},
    {"LAST_DAY", "", Result::Date},
    {"MONTHS_BETWEEN", "ORA_MONTHS_BETWEEN", Result::Number},
    {"COUNT", "", Result::Number},
    {"SUM", "ORA_SUM", Result::Number},
    {"AVG", "ORA_AVG", Result::Number},
    {"MIN", "", Result::FirstArgument},
    {"MAX", "", Result::FirstArgument},
    {"LISTAGG", "ORA_LISTAGG", Result::Text},
    {"SYS_CONTEXT", "ORA_SYS_CONTEXT", Result::Text},
    {"REGEXP_LIKE", "ORA_REGEXP_LIKE", Result::Number},
    {"REGEXP_COUNT", "ORA_REGEXP_COUNT", Result::Number},
    {"REGEXP_SUBSTR", "ORA_REGEXP_SUBSTR", Result::Text},
    {"REGEXP_INSTR", "ORA_REGEXP_INSTR", Result::Number},
    {"REGEXP_REPLACE", "ORA_REGEXP_REPLACE", Result::Text},
    {"ROW_NUMBER", "", Result::Number},
    {"RANK", "", Result::Number},
    {"DENSE_RANK", "", Result::Number},
    {"LAG", "", Result::FirstArgument},
    {"LEAD", "", Result::FirstArgument},
    {"FIRST_VALUE", "", Result::FirstArgument},
    {"LAST_VALUE", "", Result::FirstArgument},
    {"NTILE", "", Result::Number},
    {"ACOS", "ORA_ACOS", Result::Number},
    {"ASIN", "ORA_ASIN", Result::Number},
    {"ATAN", "ORA_ATAN", Result::Number},
    {"ATAN2", "ORA_ATAN2", Result::Number},
    {"COS", "ORA_COS", Result::Number},
    {"COSH", "ORA_COSH", Result::Number},
    {"SIN", "ORA_SIN", Result::Number},
    {"SINH", "ORA_SINH", Result::Number},
    {"TAN", "ORA_TAN", Result::Number},
    {"TANH", "ORA_TANH", Result::Number},
    {"EXP", "ORA_EXP", Result::Number},
    {"LN", "ORA_LN", Result::Number},
    {"LOG", "ORA_LOG", Result::Number},
    {"BITAND", "ORA_BITAND", Result::Number},
    {"REMAINDER", "ORA_REMAINDER", Result::Number},
    {"WIDTH_BUCKET", "ORA_WIDTH_BUCKET", Result::Number},
    {"LENGTHC", "LENGTH", Result::Number},
    {"LENGTH2", "LENGTH", Result::Number},
    {"LENGTH4", "LENGTH", Result::Number},
    {"SUBSTRC", "SUBSTR", Result::Text},
    {"SUBSTR2", "SUBSTR", Result::Text},
    {"SUBSTR4", "SUBSTR", Result::Text},
    {"INSTRC", "INSTR", Result::Number},
    {"INSTR2", "INSTR", Result::Number},
    {"INSTR4", "INSTR", Result::Number},
    {"SUBSTRB", "ORA_SUBSTRB", Result::Text},
    {"INSTRB", "ORA_INSTRB", Result::Number},
    {"TRANSLATE", "ORA_TRANSLATE", Result::Text},
    {"SOUNDEX", "ORA_SOUNDEX", Result::Text},
    {"ASCIISTR", "ORA_ASCIISTR", Result::Text},
    {"NLS_UPPER", "UPPER", Result::Text},
    {"NLS_LOWER", "LOWER", Result::Text},
    {"NLS_INITCAP", "INITCAP", Result::Text},
    {"TO_CLOB", "TO_CHAR", Result::Text},
    {"TO_NCLOB", "TO_CHAR", Result::Text},
    {"TO_NCHAR", "TO_CHAR", Result::Text},
    {"NEXT_DAY", "", Result::Date},
    {"SYS_GUID", "ORA_SYS_GUID", Result::Text},
    {"NTH_VALUE", "", Result::FirstArgument},
    {"NUMTOYMINTERVAL", "ORA_NUMTOYMINTERVAL", Result::Text},
    {"NUMTODSINTERVAL", "ORA_NUMTODSINTERVAL", Result::Text},
    {"TO_YMINTERVAL", "ORA_TO_YMINTERVAL", Result::Text},
    {"TO_DSINTERVAL", "ORA_TO_DSINTERVAL", Result::Text},
};

// The arguments the server reads as numbers (bit k: argument k, from 0):
// text there converts as in arithmetic, ORA-01722 when it is no number.
struct NumericArguments {
    std::string_view name;
    unsigned mask;
    bool afterNumber = false;  // only when the first argument is a number (ROUND, TRUNC)
};
constexpr NumericArguments kNumericArguments[] = {
    {"ADD_MONTHS", 0b10},
    {"SUBSTR", 0b110},
    {"SUBSTRB", 0b110},
    {"SUBSTRC", 0b110},
    {"SUBSTR2", 0b110},
    {"SUBSTR4", 0b110},
    {"INSTR", 0b1100},
    {"INSTRB", 0b1100},
    {"INSTRC", 0b1100},
    {"INSTR2", 0b1100},
    {"INSTR4", 0b1100},
    {"LPAD", 0b10},
    {"RPAD", 0b10},
    {"ROUND", 0b10, true},
    {"TRUNC", 0b10, true},
    {"MOD", 0b11},
    {"REMAINDER", 0b11},
    {"POWER", 0b11},
    {"CHR", 0b1},
    {"NCHR", 0b1},
    {"ABS", 0b1},
    {"CEIL", 0b1},
    {"FLOOR", 0b1},
    {"SIGN", 0b1},
    {"SQRT", 0b1},
    {"EXP", 0b1},
    {"LN", 0b1},
    {"LOG", 0b11},
    {"ACOS", 0b1},
    {"ASIN", 0b1},
    {"ATAN", 0b1},
    {"ATAN2", 0b11},
    {"COS", 0b1},
    {"COSH", 0b1},
    {"SIN", 0b1},
    {"SINH", 0b1},
    {"TAN", 0b1},
    {"TANH", 0b1},
    {"BITAND", 0b11},
    {"WIDTH_BUCKET", 0b1111},
    {"NUMTOYMINTERVAL", 0b1},
    {"NUMTODSINTERVAL", 0b1},
    {"REGEXP_COUNT", 0b100},
    {"REGEXP_SUBSTR", 0b101100},
    {"REGEXP_INSTR", 0b1011100},
    {"REGEXP_REPLACE", 0b11000},
};

// Whether argument `k` of `name` is read as a number, `first` the type of
// the first argument.
bool IsNumericArgument(std::string_view name, std::size_t k, CSqlType first) {
    for (const NumericArguments& row : kNumericArguments)
        if (row.name == name)
            return k < 32 && (row.mask >> k & 1U) != 0 && (!row.afterNumber || first == CSqlType::Number);
    return false;
}

// A value of `type` as text where the server converts it implicitly: a date
// in the session's format, a number as TO_CHAR(n) writes it.
std::string AsText(CSqlType type, const std::string& value) {
    if (type == CSqlType::Date) return "TO_CHAR(" + value + ")";
    if (type == CSqlType::Number) return "ORA_NUMBER_TEXT(" + value + ")";
    return value;
}

// Whether `expr` is an interval made at run time (NUMTODSINTERVAL, ...).
bool IsIntervalCall(const CSqlExpr* expr) {
    if (expr->kind != CSqlExpr::Kind::Call || expr->parts.size() != 1) return false;
    std::string name = Upper(expr->text);
    return name == "NUMTOYMINTERVAL" || name == "NUMTODSINTERVAL" || name == "TO_YMINTERVAL" ||
           name == "TO_DSINTERVAL";
}

const FunctionRow* FindFunction(std::string_view name) {
    std::string upper = Upper(name);
    for (const FunctionRow& row : kFunctions)
        if (row.name == upper) return &row;
    return nullptr;
}

// Functions of the server the embedded engine refuses, by name prefix.
constexpr std::string_view kRefusedPrefixes[] = {"XML", "JSON", "REGEXP_", "DBMS_", "UTL_", "SYS_", "STATS_"};

// The server's single-row, aggregate and analytic functions the embedded
// engine lacks: refused by name (ORA-03001), never taken for an unknown name.
// Functions the server calls without brackets, lacked here.
constexpr std::string_view kBareFunctions[] = {"ITERATION_NUMBER"};

// Functions the server calls without brackets: the engine's function and
// the result's type.
struct BareRow {
    std::string_view name;
    const char* emitted;
    CSqlType type;
};
constexpr BareRow kBareRows[] = {
    {"SYSDATE", "SYSDATE()", CSqlType::Date},
    {"CURRENT_DATE", "ORA_CURRENT_DATE()", CSqlType::Date},
    {"SYSTIMESTAMP", "ORA_SYSTIMESTAMP()", CSqlType::Date},
    {"CURRENT_TIMESTAMP", "ORA_CURRENT_TIMESTAMP()", CSqlType::Date},
    {"LOCALTIMESTAMP", "ORA_LOCALTIMESTAMP()", CSqlType::Date},
    {"SESSIONTIMEZONE", "ORA_SESSIONTIMEZONE()", CSqlType::Text},
    {"DBTIMEZONE", "ORA_DBTIMEZONE()", CSqlType::Text},
};

constexpr std::string_view kServerFunctions[] = {"ANY_VALUE",
                                                 "APPROX_COUNT",
                                                 "APPROX_COUNT_DISTINCT_AGG",
                                                 "APPROX_COUNT_DISTINCT_DETAIL",
                                                 "APPROX_MEDIAN",
                                                 "APPROX_PERCENTILE",
                                                 "APPROX_PERCENTILE_AGG",
                                                 "APPROX_PERCENTILE_DETAIL",
                                                 "APPROX_RANK",
                                                 "APPROX_SUM",
                                                 "BFILENAME",
                                                 "BITMAP_BIT_POSITION",
                                                 "BITMAP_BUCKET_NUMBER",
                                                 "BITMAP_CONSTRUCT_AGG",
                                                 "BITMAP_COUNT",
                                                 "BITMAP_OR_AGG",
                                                 "BIT_AND_AGG",
                                                 "BIT_OR_AGG",
                                                 "BIT_XOR_AGG",
                                                 "BOOLEAN_AND_AGG",
                                                 "BOOLEAN_OR_AGG",
                                                 "CHARTOROWID",
                                                 "CHECKSUM",
                                                 "CLUSTER_DETAILS",
                                                 "CLUSTER_DISTANCE",
                                                 "CLUSTER_ID",
                                                 "CLUSTER_PROBABILITY",
                                                 "CLUSTER_SET",
                                                 "COLLATION",
                                                 "COLLECT",
                                                 "COMPOSE",
                                                 "CONVERT",
                                                 "CON_DBID_TO_ID",
                                                 "CON_GUID_TO_ID",
                                                 "CON_ID_TO_CON_NAME",
                                                 "CON_ID_TO_DBID",
                                                 "CON_NAME_TO_ID",
                                                 "CON_UID_TO_ID",
                                                 "CORR_K",
                                                 "CORR_S",
                                                 "COSINE_DISTANCE",
                                                 "CUBE_TABLE",
                                                 "CURRENT_TIMESTAMP",
                                                 "CV",
                                                 "DATAOBJ_TO_MAT_PARTITION",
                                                 "DATAOBJ_TO_PARTITION",
                                                 "DECOMPOSE",
                                                 "DEPTH",
                                                 "DEREF",
                                                 "DOMAIN_CHECK",
                                                 "DOMAIN_CHECK_TYPE",
                                                 "DOMAIN_DISPLAY",
                                                 "DOMAIN_NAME",
                                                 "DOMAIN_ORDER",
                                                 "EXISTSNODE",
                                                 "EXTRACTVALUE",
                                                 "FEATURE_COMPARE",
                                                 "FEATURE_DETAILS",
                                                 "FEATURE_ID",
                                                 "FEATURE_SET",
                                                 "FEATURE_VALUE",
                                                 "FROM_VECTOR",
                                                 "FUZZY_MATCH",
                                                 "GROUPING",
                                                 "GROUPING_ID",
                                                 "GROUP_ID",
                                                 "HAMMING_DISTANCE",
                                                 "INNER_PRODUCT",
                                                 "IS_UUID",
                                                 "ITERATION_NUMBER",
                                                 "JACCARD_DISTANCE",
                                                 "KURTOSIS_POP",
                                                 "KURTOSIS_SAMP",
                                                 "L1_DISTANCE",
                                                 "L2_DISTANCE",
                                                 "LOCALTIMESTAMP",
                                                 "MAKE_REF",
                                                 "NLSSORT",
                                                 "NLS_CHARSET_DECL_LEN",
                                                 "NLS_CHARSET_ID",
                                                 "NLS_CHARSET_NAME",
                                                 "NLS_COLLATION_ID",
                                                 "NLS_COLLATION_NAME",
                                                 "ORA_DM_PARTITION_NAME",
                                                 "ORA_DST_AFFECTED",
                                                 "ORA_DST_CONVERT",
                                                 "ORA_DST_ERROR",
                                                 "ORA_PARTITION_VALIDATION",
                                                 "PATH",
                                                 "PHONIC_ENCODE",
                                                 "POWERMULTISET",
                                                 "POWERMULTISET_BY_CARDINALITY",
                                                 "PREDICTION",
                                                 "PREDICTION_BOUNDS",
                                                 "PREDICTION_COST",
                                                 "PREDICTION_DETAILS",
                                                 "PREDICTION_PROBABILITY",
                                                 "PREDICTION_SET",
                                                 "PRESENTNNV",
                                                 "PRESENTV",
                                                 "PREVIOUS",
                                                 "RAWTONHEX",
                                                 "RAW_TO_UUID",
                                                 "REF",
                                                 "REFTOHEX",
                                                 "ROUND_TIES_TO_EVEN",
                                                 "ROWIDTOCHAR",
                                                 "ROWIDTONCHAR",
                                                 "SCN_TO_TIMESTAMP",
                                                 "SET",
                                                 "SKEWNESS_POP",
                                                 "SKEWNESS_SAMP",
                                                 "TIMESTAMP_TO_SCN",
                                                 "TIME_BUCKET",
                                                 "TO_APPROX_COUNT_DISTINCT",
                                                 "TO_APPROX_PERCENTILE",
                                                 "TO_BINARY_DOUBLE",
                                                 "TO_BINARY_FLOAT",
                                                 "TO_BLOB",
                                                 "TO_BOOLEAN",
                                                 "TO_LOB",
                                                 "TO_UTC_TIMESTAMP_TZ",
                                                 "TO_VECTOR",
                                                 "TREAT",
                                                 "UPDATEXML",
                                                 "UUID",
                                                 "UUID_TO_RAW",
                                                 "VALUE",
                                                 "VECTOR",
                                                 "VECTOR_DIMENSION_COUNT",
                                                 "VECTOR_DIMENSION_FORMAT",
                                                 "VECTOR_DISTANCE",
                                                 "VECTOR_EMBEDDING",
                                                 "VECTOR_NORM",
                                                 "VECTOR_SERIALIZE"};

}  // namespace

bool CSqlEmitter::IsServerFunction(std::string_view name) {
    return std::find(std::begin(kServerFunctions), std::end(kServerFunctions), name) !=
           std::end(kServerFunctions);
}

namespace {

std::string Quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The text of a plain '...' literal token; false for any other token.
bool PlainLiteral(std::string_view token, std::string& text) {
    if (token.size() < 2 || token.front() != '\'' || token.back() != '\'') return false;
    text.clear();
    for (std::size_t k = 1; k + 1 < token.size(); ++k) {
        text += token[k];
        if (token[k] == '\'') ++k;
    }
    return true;
}

std::string QuoteName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A name as SQLite takes it (sqliteapi::NameOf); a quoted one as it stands.
std::string WrittenName(std::string_view name) {
    if (name.starts_with('"')) return std::string(name);
    return sqliteapi::NameOf(name);
}

void Conjuncts(CSqlExpr* expr, std::vector<CSqlExpr*>& out) {
    if (expr == nullptr) return;
    if (expr->kind == CSqlExpr::Kind::Binary && expr->text == "AND") {
        Conjuncts(expr->args[0], out);
        Conjuncts(expr->args[1], out);
        return;
    }
    if (expr->kind == CSqlExpr::Kind::Row && expr->args.size() == 1) {
        std::vector<CSqlExpr*> inner;
        Conjuncts(expr->args[0], inner);
        if (inner.size() > 1) {
            out.insert(out.end(), inner.begin(), inner.end());
            return;
        }
    }
    out.push_back(expr);
}

// The qualifiers of the names marked (+) in `expr`; "" for an unqualified one.
void OuterMarks(const CSqlExpr* expr, std::vector<const CSqlExpr*>& out) {
    if (expr == nullptr) return;
    if (expr->kind == CSqlExpr::Kind::Name && expr->outer) out.push_back(expr);
    for (const CSqlExpr* arg : expr->args) OuterMarks(arg, out);
}

bool HasOr(const CSqlExpr* expr) {
    if (expr == nullptr) return false;
    if (expr->kind == CSqlExpr::Kind::Binary && expr->text == "OR") return true;
    for (const CSqlExpr* arg : expr->args)
        if (HasOr(arg)) return true;
    return false;
}

}  // namespace

void CSqlEmitter::AppendNulls(const CSqlExpr::OrderItem& item, std::string& out) {
    // Note: NULL sorts last ascending, first descending, unless told.
    if (item.descending) out += " DESC";
    bool first = item.nulls == 1 || (item.nulls == 0 && item.descending);
    out += first ? " NULLS FIRST" : " NULLS LAST";
}

bool CSqlEmitter::Writable(const std::string& table, std::size_t at) {
    if (m_catalog.IsReadOnly(table)) return Fail(at, 12081, table);
    // Note: the server cannot keep a unique index it does not maintain.
    std::string index = m_catalog.UnusableUniqueIndex(table);
    return index.empty() || Fail(at, 1502, index);
}

bool CSqlEmitter::Fail(std::size_t at, int code, std::string_view name) {
    if (!m_failed) {
        m_failed = true;
        m_failure.at = at;
        m_failure.code = code;
        m_failure.name = std::string(name);
    }
    return false;
}

void CSqlEmitter::AddRowSource(std::string name, const std::vector<CSqliteCatalog::Column>& columns) {
    if (m_scopes.empty()) m_scopes.emplace_back();
    Source source;
    source.name = std::move(name);
    for (const auto& column : columns) source.columns.push_back(Typed{column.name, TypeOfColumn(column)});
    source.known = true;
    m_scopes.front().sources.push_back(std::move(source));
}

bool CSqlEmitter::Emit(const CSqlStatement& statement, std::string& out, Failure& failure) {
    m_catalog.Refresh();
    bool ok = false;
    switch (statement.kind) {
        case CSqlStatement::Kind::Select: {
            std::vector<Typed> columns;
            // Note: a view's body hands its objects on whole; its readers show them.
            ok = m_stored ? DerivedQuery(*statement.query, out, &columns)
                          : Query(*statement.query, out, &columns);
            for (const auto& column : columns) {
                m_resultTypes.push_back(column.type);
                m_resultNames.push_back(column.name);
            }
            break;
        }
        case CSqlStatement::Kind::Insert:
            ok = Insert(statement, out);
            break;
        case CSqlStatement::Kind::Update:
            ok = Update(statement, out);
            break;
        case CSqlStatement::Kind::Delete:
            ok = Delete(statement, out);
            break;
        case CSqlStatement::Kind::Merge:
            ok = Merge(statement, out);
            break;
    }
    ok = ok && !m_failed;
    if (!ok) failure = m_failure;
    return ok;
}

bool CSqlEmitter::EmitCondition(const CSqlExpr& condition, std::string& out, Failure& failure) {
    m_catalog.Refresh();
    if (m_scopes.empty()) m_scopes.emplace_back();
    Expr(&condition, out);
    if (m_failed) failure = m_failure;
    return !m_failed;
}

bool CSqlEmitter::EmitValue(const CSqlExpr& expr, std::string& out, CValueType& type, Failure& failure) {
    m_catalog.Refresh();
    if (m_scopes.empty()) m_scopes.emplace_back();
    CSqlType kind = Expr(&expr, out);
    if (!m_failed) type = Describe(expr, kind);
    if (m_failed) failure = m_failure;
    return !m_failed;
}

bool CSqlEmitter::Query(const CSqlSelect& query, std::string& out, std::vector<Typed>* columns) {
    std::size_t ctes = m_ctes.size();
    if (!query.with.empty()) {
        out += "WITH ";
        for (std::size_t k = 0; k < query.with.size(); ++k) {
            if (k > 0) out += ", ";
            Cte cte;
            if (!Subquery(query.with[k], out, cte)) return false;
            m_ctes.push_back(std::move(cte));
        }
        out += " ";
    }
    bool ordered = !query.orderBy.empty();
    std::vector<Typed> first;
    // Note: the sets of a lone grouped block sort outside their union.
    bool groupingOrder = query.next == nullptr && !query.groupingSets.empty() && ordered;
    if (groupingOrder) m_groupingOrder = &query.orderBy;
    std::vector<Typed> later;
    const std::size_t compoundAt = out.size();
    std::vector<std::size_t> unions;  // where each UNION's blank after it is
    bool onlyUnions = true;
    for (const CSqlSelect* block = &query; block != nullptr; block = block->next) {
        if (!Block(*block, out, block == &query ? &first : &later, ordered)) return false;
        if (block != &query && !Widen(query, first, later)) return false;
        if (block->next == nullptr) break;
        std::string op = Upper(block->setOperator);
        out += op == "MINUS" ? " EXCEPT " : " " + op + (block->setAll ? " ALL " : " ");
        if (op == "UNION" && !block->setAll) unions.push_back(out.size() - 1);
        onlyUnions = onlyUnions && op == "UNION";
    }
    const bool grouped =
        !unions.empty() && onlyUnions && !groupingOrder && UnionByInstant(first, unions, compoundAt, out);
    // Note: SQLite sorts a compound by its columns' values only; one with an
    // interval is read whole, so that its ORDER BY may sort by length.
    const bool wrapped =
        !grouped && query.next != nullptr && ordered && !groupingOrder &&
        std::any_of(first.begin(), first.end(), [](const Typed& c) { return c.type.interval; });
    if (wrapped) {
        out.insert(compoundAt, "SELECT * FROM (");
        out += ")";
    }
    if (!query.orderBy.empty() && !groupingOrder) {
        out += " ORDER BY ";
        // Note: ORDER BY of a compound names its columns; of a block it sees
        // the block's sources again.
        Scope compound;
        compound.aliases = first;
        // Note: the grouped union is a block: its places may be expressions.
        for (std::size_t k = 0; (grouped || wrapped) && k < first.size(); ++k)
            compound.itemTexts.push_back(QuoteName(first[k].name));
        m_scopes.push_back(query.next != nullptr ? compound : m_lastScope);
        m_inOrderBy = true;
        bool ok = OrderItems(query.orderBy, out);
        m_inOrderBy = false;
        m_scopes.pop_back();
        if (!ok) return false;
    }
    if ((query.fetch != nullptr || query.offset != nullptr) && !RowLimit(query, first, out)) return false;
    m_ctes.resize(ctes);
    if (columns != nullptr) *columns = std::move(first);
    return !m_failed;
}

bool CSqlEmitter::UnionByInstant(const std::vector<Typed>& columns, const std::vector<std::size_t>& unions,
                                 std::size_t at, std::string& out) {
    bool zoned = false;
    for (const Typed& column : columns) zoned = zoned || column.type.zone;
    if (!zoned) return false;
    // Note: UNION keeps one row of each instant: the branches are joined
    // whole and grouped by every column, zoned ones by their instants.
    for (auto place = unions.rbegin(); place != unions.rend(); ++place) out.insert(*place, " ALL");
    std::string keys;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        std::string name = QuoteName(columns[k].name);
        keys += (k > 0 ? ", " : "") + (columns[k].type.zone ? "ORA_TZ_KEY(" + name + ")" : name);
    }
    out.insert(at, "SELECT * FROM (");
    out += ") GROUP BY " + keys;
    return true;
}

bool CSqlEmitter::Widen(const CSqlSelect& query, std::vector<Typed>& columns,
                        const std::vector<Typed>& next) {
    if (columns.size() != next.size()) return Fail(query.at, 1789);
    // Note: a column of a compound holds the values of every branch: text
    // as long as the longest, VARCHAR2 when the branches differ.
    for (std::size_t k = 0; k < columns.size(); ++k) {
        CValueType& type = columns[k].type;
        const CValueType& other = next[k].type;
        if (type.kind == CSqlType::Unknown) {
            type = other;
            continue;
        }
        if (other.kind == CSqlType::Unknown) continue;
        bool text = IsText(type.kind);
        if (text != IsText(other.kind) || (!text && type.kind != other.kind))
            return Fail(k < query.items.size() ? query.items[k].begin : query.at, 1790);
        if (text) {
            if (type.kind != other.kind) type.kind = CSqlType::Text;
            type.length = type.length == 0 || other.length == 0 ? 0 : std::max(type.length, other.length);
            type.chars = type.chars || other.chars;
        }
        type.wide = type.wide || other.wide;
        // Note: a floating branch makes the column floating, the wider type winning.
        type.floatWidth = std::max(type.floatWidth, other.floatWidth);
        type.fraction = std::max(type.fraction, other.fraction);
    }
    return true;
}

bool CSqlEmitter::Subquery(const CSqlSelect::With& with, std::string& out, Cte& cte) {
    cte.name = Upper(with.name);
    out += WrittenName(with.name);
    if (with.columns.empty()) {
        out += " AS (";
        if (!DerivedQuery(*with.query, out, &cte.columns)) return false;
        out += ")";
        return true;
    }
    // Note: a query that reads its own name (recursion) sees the columns
    // named in the list, typed as the query gives them: found by writing it
    // once with the types unknown.
    Cte self;
    self.name = cte.name;
    for (std::string_view column : with.columns) self.columns.push_back(Typed{Upper(column), CValueType{}});
    m_ctes.push_back(self);
    std::string probe;
    std::vector<Typed> probed;
    bool ok = DerivedQuery(*with.query, probe, &probed);
    if (ok && probed.size() != with.columns.size()) ok = Fail(with.at, 32038);
    for (std::size_t k = 0; ok && k < probed.size(); ++k) m_ctes.back().columns[k].type = probed[k].type;
    std::string body;
    ok = ok && DerivedQuery(*with.query, body, &cte.columns);
    m_ctes.pop_back();
    if (!ok) return false;
    out += " (";
    for (std::size_t k = 0; k < with.columns.size(); ++k) {
        cte.columns[k].name = Upper(with.columns[k]);
        cte.columns[k].emitted.clear();
        out += (k > 0 ? ", " : "") + QuoteName(cte.columns[k].name);
    }
    out += ") AS (" + body + ")";
    return true;
}

bool CSqlEmitter::OrderItems(const std::vector<CSqlExpr::OrderItem>& items, std::string& out) {
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) out += ", ";
        std::string mappedKey;
        bool mapped = false;
        if (!MapKey(*items[k].expr, mappedKey, mapped)) return false;
        if (mapped) {
            out += mappedKey;
            AppendNulls(items[k], out);
            continue;
        }
        // A position past the select list.
        const CSqlExpr& position = *items[k].expr;
        if (m_inOrderBy && position.kind == CSqlExpr::Kind::Number && !m_scopes.empty() &&
            position.text.find_first_not_of("0123456789") == std::string_view::npos &&
            OrderPosition(position, m_scopes.back().aliases) == 0)
            return Fail(position.at, 1785);
        const Scope* scope = m_scopes.empty() ? nullptr : &m_scopes.back();
        std::size_t at = scope == nullptr ? 0 : OrderPosition(position, scope->aliases);
        // Note: a zoned column named by its place sorts by its instant, as by its name.
        if (at > 0 && position.kind == CSqlExpr::Kind::Number && scope->aliases[at - 1].type.zone &&
            at <= scope->itemTexts.size())
            out += "ORA_TZ_KEY(" + scope->itemTexts[at - 1] + ")";
        else if (at > 0 && scope->aliases[at - 1].type.interval && at <= scope->itemTexts.size())
            out += "ORA_INTERVAL_KEY(" + scope->itemTexts[at - 1] + ")";
        else
            out += OrderKey(*items[k].expr);
        AppendNulls(items[k], out);
    }
    return !m_failed;
}

std::string CSqlEmitter::OrderKey(const CSqlExpr& expr) {
    std::string key;
    CSqlType type = Expr(&expr, key);
    // Note: a computed number sorts on its exact value.
    bool exact = type == CSqlType::Number && (IsComputed(expr) || Wide(expr));
    if (type == CSqlType::Date && Zoned(expr)) return "ORA_TZ_KEY(" + key + ")";
    // Note: intervals sort by their lengths, not their text's sign.
    if (IsIntervalValued(expr)) return "ORA_INTERVAL_KEY(" + key + ")";
    return exact ? "ORA_NUMKEY(" + key + ")" : key;
}

CSqlEmitter::Typed CSqlEmitter::TableColumn(const CSqliteCatalog::Column& column, const std::string& source) {
    Typed typed{column.name, TypeOfColumn(column)};
    // Note: a value WITH LOCAL TIME ZONE is kept in the database's zone and
    // read in the session's.
    if (column.zone == CSqliteCatalog::Column::kLocalZone)
        typed.emitted = "ORA_LTZ(" + QuoteName(source) + "." + QuoteName(column.name) + ")";
    return typed;
}

bool CSqlEmitter::TableSource(const CSqlFromItem& item, Source& source, std::string& text) {
    std::string_view name = item.table.back();
    std::string upper = Upper(name);
    source.name = Upper(item.alias.empty() ? name : item.alias);
    source.aliased = !item.alias.empty();
    for (const Cte& cte : m_ctes)
        if (cte.name == upper && item.table.size() == 1) {
            source.columns = cte.columns;
            source.known = true;
            DerivedColumns(source);
            text = WrittenName(name);
            return true;
        }
    if (upper == "DUAL" && item.table.size() == 1) {
        source.columns = {Typed{"DUMMY", CValueType{CSqlType::Text, 1, false}}};
        source.known = true;
        text = m_stored ? "(SELECT 'X' AS DUMMY) DUAL" : "DUAL";
        return true;
    }
    const auto* columns = m_catalog.Columns(upper);
    // A name every user has (TAB, DICT, ...) is read where the dictionary
    // keeps it, unless an object of the user's bears it.
    std::string shared =
        columns == nullptr && item.table.size() == 1 ? CSqliteDictionary::PublicView(upper) : "";
    if (!shared.empty()) columns = m_catalog.Columns(shared.substr(1, shared.size() - 2));
    if (columns == nullptr && BrokenView(upper)) return Fail(item.at, 4063, "view " + upper);
    if (columns == nullptr) return Fail(item.at, 942, upper);
    for (const auto& column : *columns) {
        source.columns.push_back(TableColumn(column, source.name));
        source.columns.back().hidden = column.hidden;
        source.columns.back().collection = column.collection;
        CollectionColumn(source.columns.back(), source.name);
        source.columns.back().objectType = column.objectType;
        source.columns.back().brokenType = column.brokenType;
        ObjectColumn(source.columns.back(), source.name);
        if (!column.objectType.empty() || !column.collection.empty())
            source.columns.back().type.notNull = column.notNull;
    }
    source.known = true;
    // Note: a schema before the name is the user's own; the file has one.
    text = shared.empty() ? WrittenName(name) : shared + (item.alias.empty() ? " " + std::string(name) : "");
    if (!item.partition.given && item.samplePercent.empty()) return true;
    std::string condition;
    if (item.partition.given && !PartitionCondition(name, item.partition, condition)) return false;
    if (!item.samplePercent.empty() && !SampleCondition(item, upper, condition)) return false;
    text = "(SELECT * FROM " + text + " WHERE " + condition + ")" +
           (item.alias.empty() ? " " + WrittenName(name) : std::string());
    return true;
}

// Note: a row is kept when a draw below a billion falls under the share;
// with a SEED the draw is a hash of the seed and the row's place, so the
// same seed keeps the same rows of an unchanged table.
bool CSqlEmitter::SampleCondition(const CSqlFromItem& item, const std::string& table,
                                  std::string& condition) {
    const double percent = std::strtod(std::string(item.samplePercent).c_str(), nullptr);
    const long long share = std::llround(percent * 10000000.0);
    std::string draw = "abs(random() % 1000000000)";
    if (!item.sampleSeed.empty()) {
        std::string view;
        bool readOnly = false;
        bool checkOption = false;
        if (m_catalog.View(table, view, readOnly, checkOption))
            return Fail(item.at, 3001, encoding::Utf8ToCp932("ビューの SAMPLE ... SEED"));
        const std::string seed = std::to_string(std::stoull(std::string(item.sampleSeed)) % 1000000007ULL);
        draw = "((((rowid % 1000000007) * 48271 + " + seed +
               ") % 1000000007) * 69621 % 1000000007 % 1000000000)";
    }
    condition += (condition.empty() ? "" : " AND ") + draw + " < " + std::to_string(share);
    return true;
}

bool CSqlEmitter::PartitionCondition(std::string_view table, const CSqlPartitionRef& ref, std::string& out,
                                     const std::vector<std::string>* given) {
    std::string upper = Upper(table);
    std::vector<std::string> keys;
    std::vector<std::string> names;
    if (!m_catalog.Partitioning(upper, keys, names)) return Fail(ref.at, 14501, upper);
    if (given != nullptr) keys = *given;
    std::string call = "TARVEX_PARTITION('" + upper + "'";
    std::string rows = call;
    for (const std::string& key : keys) rows += ", " + (given != nullptr ? key : QuoteName(key));
    rows += ")";
    if (ref.values.empty()) {
        std::string name = Upper(ref.name);
        auto found = std::find(names.begin(), names.end(), name);
        if (found == names.end()) return Fail(ref.at, 2149, name);
        out = rows + " = " + std::to_string(found - names.begin() + 1);
        return true;
    }
    if (ref.values.size() != keys.size())
        return Fail(ref.at, ref.values.size() > keys.size() ? 14017 : 14018);
    for (const CSqlExpr* value : ref.values) {
        call += ", ";
        Expr(value, call);
    }
    out = rows + " = " + call + ")";
    return !m_failed;
}

bool CSqlEmitter::FromSources(const CSqlSelect& block, Scope& scope, std::vector<std::string>& texts) {
    if (!EachSource(block, scope, texts)) return false;
    // Note: beside JSON_TABLE's rows (SQLite's json_each, whose columns
    // have names of their own: ID, KEY, VALUE...) the other sources' columns
    // are written qualified.
    bool json = false;
    for (const CSqlFromItem& item : block.from) json = json || item.json != nullptr || item.lateral;
    for (std::size_t k = 0; json && k < scope.sources.size(); ++k) {
        Source& source = scope.sources[k];
        if (block.from[k].json != nullptr || block.from[k].lateral || source.name.empty()) continue;
        for (Typed& column : source.columns)
            if (column.emitted.empty())
                column.emitted = QuoteName(source.name) + "." + QuoteName(column.name);
    }
    return true;
}

bool CSqlEmitter::EachSource(const CSqlSelect& block, Scope& scope, std::vector<std::string>& texts) {
    for (const CSqlFromItem& item : block.from) {
        Source source;
        std::string text;
        if (item.query != nullptr && item.lateral) {
            m_scopes.push_back(scope);
            bool ok = LateralSource(item, source, text);
            m_scopes.pop_back();
            if (!ok) return false;
            scope.sources.push_back(std::move(source));
            texts.push_back(std::move(text));
            continue;
        } else if (item.query != nullptr) {
            text = "(";
            if (!DerivedQuery(*item.query, text, &source.columns)) return false;
            bool ordered =
                !item.query->orderBy.empty() && item.query->fetch == nullptr && item.query->offset == nullptr;
            // Note: a sorted subquery keeps its order for ROWNUM outside it.
            if (ordered) text += " LIMIT -1 OFFSET 0";
            text += ")";
            source.known = true;
            source.name = Upper(item.alias);
            source.aliased = !item.alias.empty();
            DerivedColumns(source);
        } else if (item.json != nullptr || item.collection != nullptr) {
            // Note: the document may read the sources before it in FROM.
            m_scopes.push_back(scope);
            bool ok = item.json != nullptr ? JsonTableSource(item, source, text)
                                           : CollectionSource(item, source, text);
            m_scopes.pop_back();
            if (!ok) return false;
            scope.sources.push_back(std::move(source));
            texts.push_back(std::move(text));
            continue;
        } else if (!TableSource(item, source, text)) {
            return false;
        }
        if (!item.alias.empty()) text += " " + WrittenName(item.alias);
        scope.sources.push_back(std::move(source));
        texts.push_back(std::move(text));
    }
    return true;
}

// SQLite joins no query that reads the sources before it. Note: the query's
// rows are counted per row before it, as many rows of json_each as it has
// (none: OUTER APPLY keeps the row), and each column is read from the query
// again at its row's place (SQLite's LIMIT reads no outer column, a row
// number can), so that every value comes back as it is.
bool CSqlEmitter::LateralSource(const CSqlFromItem& item, Source& source, std::string& text) {
    std::string query;
    if (!DerivedQuery(*item.query, query, &source.columns)) return false;
    // Note: a query read again must give the same rows again; one that
    // counts rows or draws values would not, and is refused.
    static constexpr std::string_view kUnrepeatable[] = {"ORA_ROWNUM_", "RANDOM(", "ORA_RANDOM_",
                                                         "ORA_NEXTVAL(", "ORA_SYS_GUID"};
    const std::string upper = Upper(query);
    for (std::string_view marker : kUnrepeatable)
        if (upper.find(marker) != std::string::npos)
            return Fail(item.at, 3001, encoding::Utf8ToCp932("ROWNUM・乱数・順序を読む LATERAL 副問合せ"));
    const bool ordered =
        !item.query->orderBy.empty() && item.query->fetch == nullptr && item.query->offset == nullptr;
    if (ordered) query += " LIMIT -1 OFFSET 0";
    std::string rows = "TARVEX_LT" + std::to_string(m_jsonTables++);
    text = "json_each((SELECT json_group_array(0) FROM (" + query + "))) " + rows;
    source.known = true;
    source.name = Upper(item.alias);
    source.aliased = !item.alias.empty();
    for (std::size_t k = 0; k < source.columns.size(); ++k) {
        Typed& column = source.columns[k];
        // Note: each column is read by its name; two of one name could not be told apart.
        for (std::size_t j = 0; j < k; ++j)
            if (source.columns[j].name == column.name) return Fail(item.at, 918, column.name);
        if (!column.objectType.empty() || !column.collection.empty())
            return Fail(item.at, 3001,
                        encoding::Utf8ToCp932("オブジェクト型・コレクション型の列を返す LATERAL 副問合せ"));
        column.emitted = "(CASE WHEN " + rows + ".key IS NOT NULL THEN (SELECT " + QuoteName(column.name) +
                         " FROM (SELECT *, row_number() OVER () - 1 AS TARVEX_ROW FROM (" + query +
                         ")) WHERE TARVEX_ROW = " + rows + ".key) END)";
    }
    return true;
}

std::size_t CSqlEmitter::CountColumns(const std::vector<Source>& sources) {
    std::size_t count = 0;
    for (const auto& source : sources) count += source.columns.size();
    return count;
}

std::vector<std::string> CSqlEmitter::JoinedColumns(const CSqlSelect& block) const {
    // The columns USING and NATURAL joins join on, each once, in order.
    std::vector<std::string> names;
    const auto& sources = m_scopes.back().sources;
    auto add = [&](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    for (std::size_t k = 1; k < block.from.size() && k < sources.size(); ++k) {
        const CSqlFromItem& item = block.from[k];
        for (std::string_view column : item.usingColumns) add(Upper(column));
        if (!item.natural) continue;
        for (const auto& column : sources[k].columns)
            for (std::size_t j = 0; j < k; ++j)
                for (const auto& left : sources[j].columns)
                    if (left.name == column.name) add(column.name);
    }
    return names;
}

void CSqlEmitter::StarOverJoin(const std::vector<std::string>& joinedOn, std::string& out,
                               std::vector<Typed>& produced) {
    // Note: the columns joined on come first, once, whichever side has the
    // row; then the other columns of each source, as the server lists them.
    const auto& sources = m_scopes.back().sources;
    bool first = true;
    for (const std::string& name : joinedOn) {
        std::string either;
        const Typed* typed = nullptr;
        for (const auto& source : sources)
            for (const auto& column : source.columns)
                if (column.name == name) {
                    either += (either.empty() ? "" : ", ") + QuoteName(source.name) + "." + QuoteName(name);
                    if (typed == nullptr) typed = &column;
                }
        out += (first ? "" : ", ") + ("COALESCE(" + either + ", NULL) AS ") + QuoteName(name);
        first = false;
        if (typed != nullptr) produced.push_back(*typed);
    }
    for (const auto& source : sources)
        for (const auto& column : source.columns) {
            if (std::find(joinedOn.begin(), joinedOn.end(), column.name) != joinedOn.end()) continue;
            out += (first ? "" : ", ") + QuoteName(source.name) + "." + QuoteName(column.name) + " AS " +
                   QuoteName(column.name);
            first = false;
            produced.push_back(column);
        }
}

std::string CSqlEmitter::EveryJoinedRow() const {
    const auto& sources = m_scopes.back().sources;
    if (sources.size() < 2) return {};
    // A column of a source without a name is read by its name alone, where
    // no other source has one of that name.
    auto unique = [&](const std::string& name) {
        int count = 0;
        for (const auto& source : sources)
            for (const auto& column : source.columns) count += column.name == name ? 1 : 0;
        return count == 1;
    };
    std::string types;
    for (const auto& source : sources) {
        std::string read;
        for (const auto& column : source.columns) {
            if (!column.emitted.empty())
                read = column.emitted;
            else if (!source.name.empty())
                read = QuoteName(source.name) + "." + QuoteName(column.name);
            else if (unique(column.name))
                read = QuoteName(column.name);
            if (!read.empty()) break;
        }
        if (!read.empty()) types += (types.empty() ? "typeof(" : " || typeof(") + read + ")";
    }
    return types.empty() ? std::string() : "(" + types + ") <> ''";
}

bool CSqlEmitter::SharedColumnsMatch(std::size_t k, const CSqlFromItem& item, std::string& out) const {
    const auto& sources = m_scopes.back().sources;
    if (k >= sources.size() || sources[k].name.empty()) return false;
    const Source& right = sources[k];
    auto has = [](const Source& source, const std::string& name) {
        return std::any_of(source.columns.begin(), source.columns.end(),
                           [&](const Typed& column) { return column.name == name; });
    };
    std::vector<std::string> names;
    if (item.natural) {
        for (const Typed& column : right.columns) names.push_back(column.name);
    } else {
        for (std::string_view name : item.usingColumns) names.push_back(Upper(name));
    }
    for (const std::string& name : names) {
        // Note: the column is the nearest earlier source's of that name.
        const Source* left = nullptr;
        for (std::size_t j = k; j-- > 0 && left == nullptr;)
            if (has(sources[j], name)) left = &sources[j];
        if (left == nullptr) {
            if (item.natural) continue;
            return false;
        }
        if (left->name.empty() || !has(right, name)) return false;
        out += (out.empty() ? "" : " AND ") + QuoteName(left->name) + "." + QuoteName(name) + " = " +
               QuoteName(right.name) + "." + QuoteName(name);
    }
    return true;
}

bool CSqlEmitter::UsesRownum(const CSqlExpr* expr) const {
    if (expr == nullptr) return false;
    if (expr->kind == CSqlExpr::Kind::Name && expr->parts.size() == 1 && Upper(expr->parts[0]) == "ROWNUM")
        return true;
    for (const CSqlExpr* arg : expr->args)
        if (UsesRownum(arg)) return true;
    return false;
}

bool CSqlEmitter::GroupingBlock(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns) {
    const std::vector<CSqlExpr::OrderItem>* order = m_groupingOrder;
    m_groupingOrder = nullptr;
    std::string branches;
    std::vector<Typed> produced;
    for (std::size_t k = 0; k < block.groupingSets.size(); ++k) {
        if (k > 0) branches += " UNION ALL ";
        m_groupingSet = &block.groupingSets[k];
        m_hiddenOrder = order;
        std::vector<Typed> branchColumns;
        bool ok = Block(block, branches, &branchColumns, false);
        m_groupingSet = nullptr;
        m_hiddenOrder = nullptr;
        if (!ok) return false;
        if (k == 0) produced = std::move(branchColumns);
    }
    if (order == nullptr) {
        out += "SELECT * FROM (" + branches + ")";
    } else {
        out += "SELECT ";
        for (std::size_t c = 0; c < produced.size(); ++c)
            out += (c > 0 ? ", " : "") + QuoteName(produced[c].name);
        out += " FROM (" + branches + ") ORDER BY ";
        for (std::size_t k = 0; k < order->size(); ++k) {
            const CSqlExpr& key = *(*order)[k].expr;
            std::size_t position = OrderPosition(key, produced);
            if (k > 0) out += ", ";
            std::string named = position > 0 ? QuoteName(produced[position - 1].name) : std::string();
            if (position > 0 && produced[position - 1].type.zone) named = "ORA_TZ_KEY(" + named + ")";
            out += position > 0 ? named : "TARVEX_O" + std::to_string(k);
            AppendNulls((*order)[k], out);
        }
    }
    if (columns != nullptr) *columns = std::move(produced);
    return !m_failed;
}

std::size_t CSqlEmitter::OrderPosition(const CSqlExpr& key, const std::vector<Typed>& produced) const {
    if (key.kind == CSqlExpr::Kind::Number) {
        std::size_t position = 0;
        for (char c : key.text)
            position = c >= '0' && c <= '9' ? position * 10 + static_cast<std::size_t>(c - '0') : 0;
        return position <= produced.size() ? position : 0;
    }
    if (key.kind != CSqlExpr::Kind::Name || key.parts.size() != 1) return 0;
    for (std::size_t c = 0; c < produced.size(); ++c)
        if (produced[c].name == Upper(key.parts[0])) return c + 1;
    return 0;
}

bool CSqlEmitter::StartBranch(const CSqlSelect& block, Branch& branch) {
    const std::vector<CSqlExpr*>* set = m_groupingSet;
    m_groupingSet = nullptr;
    m_branch = nullptr;
    if (set == nullptr) return false;
    for (const CSqlExpr* column : block.groupBy) {
        std::string raw;
        m_probing = true;
        ExprNode(column, raw);
        m_probing = false;
        branch.all.push_back(std::move(raw));
        branch.kept.push_back(std::find(set->begin(), set->end(), column) != set->end());
    }
    branch.empty = set->empty();
    m_branch = &branch;
    return true;
}

CSqlType CSqlEmitter::Grouping(const CSqlExpr& expr, std::string& out) {
    if (expr.args.empty()) {
        Fail(expr.at, 909, Upper(expr.text));
        return CSqlType::Unknown;
    }
    // Note: the server tells the levels of GROUP BY's groups apart, and of no other rows.
    if (m_scopes.empty() || !m_scopes.back().grouped) {
        Fail(expr.at, 30481);
        return CSqlType::Unknown;
    }
    long long bits = 0;
    for (const CSqlExpr* arg : expr.args) {
        std::string raw;
        bool probing = m_probing;
        m_probing = true;
        ExprNode(arg, raw);
        m_probing = probing;
        bool rolledUp = false;
        for (std::size_t k = 0; m_branch != nullptr && k < m_branch->all.size(); ++k)
            if (m_branch->all[k] == raw) rolledUp = !m_branch->kept[k];
        bits = bits * 2 + (rolledUp ? 1 : 0);
    }
    out += std::to_string(bits);
    return CSqlType::Number;
}

CSqlType CSqlEmitter::Expr(const CSqlExpr* expr, std::string& out) {
    if (m_branch == nullptr || m_probing || m_aggregates > 0 || m_failed || expr == nullptr)
        return ExprNode(expr, out);
    // Note: in the rows of a grouping set, an expression it does not group
    // by is NULL (the whole expression, as written in GROUP BY).
    std::string raw;
    m_probing = true;
    CSqlType type = ExprNode(expr, raw);
    m_probing = false;
    for (std::size_t k = 0; k < m_branch->all.size(); ++k)
        if (m_branch->all[k] == raw) {
            // Note: in the empty set, an aggregate NULL makes one group of
            // every row, as SQLite has no GROUP BY ().
            out += m_branch->kept[k] ? raw : std::string(m_branch->empty ? "MAX(NULL)" : "NULL");
            return type;
        }
    return ExprNode(expr, out);
}

bool CSqlEmitter::Block(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns,
                        bool orderedForRownum) {
    if (block.implicitColumns) return ImplicitBlock(block, out, columns, orderedForRownum);
    if (!block.groupingSets.empty() && m_groupingSet == nullptr) return GroupingBlock(block, out, columns);
    const std::vector<CSqlExpr::OrderItem>* hiddenOrder = m_hiddenOrder;
    m_hiddenOrder = nullptr;
    struct Restore {
        const Branch*& slot;
        const Branch* saved;
        ~Restore() { slot = saved; }
    } restore{m_branch, m_branch};
    Branch branch;
    const std::vector<CSqlExpr*>* groupingSet = m_groupingSet;
    Scope scope;
    std::vector<std::string> sourceTexts;
    m_scopes.push_back(Scope{});
    m_scopes.back().sources.clear();
    // The sources see the scopes outside this block (correlation).
    if (!FromSources(block, scope, sourceTexts)) {
        m_scopes.pop_back();
        return false;
    }
    for (const CSqlFromItem& item : block.from)
        scope.usingJoin = scope.usingJoin || !item.usingColumns.empty() || item.natural;
    scope.grouped = !block.groupBy.empty() || !block.groupingSets.empty();
    m_scopes.back() = scope;
    if (!CheckGroups(block)) {
        m_scopes.pop_back();
        return false;
    }
    m_groupingSet = groupingSet;
    StartBranch(block, branch);
    Level outerLevel = m_level;
    m_level = Level::None;
    // A hierarchy over a join, a subquery or a view runs over the joined
    // rows; the conditions of WHERE that join run before it, the rest after.
    std::vector<CSqlFromItem> joinedFrom;
    std::vector<CSqlExpr*> filters;
    const std::vector<CSqlFromItem>* from = &block.from;
    bool joined = block.connectBy != nullptr && JoinsBeforeHierarchy(block);
    if (joined) {
        std::string base;
        if (!JoinedRows(block, base, filters) || !Hierarchy(block, sourceTexts, &base)) {
            m_scopes.pop_back();
            m_level = outerLevel;
            return false;
        }
        sourceTexts.resize(1);
        joinedFrom.resize(1);
        from = &joinedFrom;
    } else if (block.connectBy != nullptr && !Hierarchy(block, sourceTexts)) {
        m_scopes.pop_back();
        m_level = outerLevel;
        return false;
    }
    bool rownum = UsesRownum(block.where) || UsesRownum(block.having);
    for (const auto& item : block.items) rownum = rownum || UsesRownum(item.expr);
    for (const auto& item : block.orderBy) rownum = rownum || UsesRownum(item.expr);
    if (rownum) m_scopes.back().rownumBlock = m_rownumBlocks++;

    const std::size_t selectAt = out.size();
    out += block.distinct ? "SELECT DISTINCT " : "SELECT ";
    std::vector<Typed> produced;
    std::vector<std::string> itemTexts;
    for (std::size_t k = 0; k < block.items.size(); ++k) {
        const CSqlSelectItem& item = block.items[k];
        if (k > 0) out += ", ";
        if (block.distinct && Unordered(*item.expr)) return false;
        if (item.expr->kind == CSqlExpr::Kind::Star) {
            std::string qualifier = item.expr->parts.empty() ? std::string() : Upper(item.expr->parts[0]);
            bool found = qualifier.empty();
            for (const auto& source : m_scopes.back().sources) {
                if (!qualifier.empty() && source.name != qualifier) continue;
                found = true;
                for (const auto& column : source.columns) {
                    if (!column.brokenType.empty()) return Fail(item.expr->at, 4063, column.brokenType);
                    if (!column.hidden) produced.push_back(column);
                }
            }
            if (!found) return Fail(item.expr->at, 904, qualifier);
            for (const auto& source : m_scopes.back().sources)
                if (qualifier.empty() || source.name == qualifier)
                    if (std::string twice = DuplicateColumn(source); !twice.empty())
                        return Fail(item.expr->at, 918, twice);
            if (m_level == Level::Rows) {
                // Note: the hierarchy's own columns stay out of "*".
                bool firstColumn = true;
                for (const auto& source : m_scopes.back().sources) {
                    if (joined ? !qualifier.empty() && source.name != qualifier
                               : &source != &m_scopes.back().sources[0])
                        continue;
                    for (const auto& column : source.columns) {
                        if (column.hidden) continue;
                        out += firstColumn ? "" : ", ";
                        firstColumn = false;
                        out += joined ? m_hierarchy + ".\"" + column.hierarchyName + "\" AS \"" +
                                            column.name + "\""
                                      : "\"" + column.name + "\"";
                    }
                }
                continue;
            }
            bool computed = false;
            // Note: a source with INVISIBLE columns is written column by column, without them.
            for (const auto& source : m_scopes.back().sources)
                for (const auto& column : source.columns)
                    computed = computed || !column.emitted.empty() || column.hidden;
            std::vector<std::string> joinedOn =
                qualifier.empty() && !computed ? JoinedColumns(block) : std::vector<std::string>{};
            if (!joinedOn.empty()) {
                produced.resize(produced.size() - CountColumns(m_scopes.back().sources));
                StarOverJoin(joinedOn, out, produced);
                continue;
            }
            if (!computed) {
                out += item.expr->parts.empty() ? "*" : std::string(item.expr->parts[0]) + ".*";
                continue;
            }
            // Note: the columns of JSON_TABLE are expressions, written each.
            bool firstColumn = true;
            for (const auto& source : m_scopes.back().sources) {
                if (!qualifier.empty() && source.name != qualifier) continue;
                for (const auto& column : source.columns) {
                    if (column.hidden) continue;
                    out += firstColumn ? "" : ", ";
                    firstColumn = false;
                    if (HandsOnDocuments() && (!column.objectType.empty() || !column.collection.empty()))
                        out += column.document;
                    else
                        out += !column.emitted.empty() ? column.emitted
                               : source.name.empty()   ? QuoteName(column.name)
                                                     : QuoteName(source.name) + "." + QuoteName(column.name);
                    out += " AS " + QuoteName(column.name);
                }
            }
            continue;
        }
        std::size_t emitted = out.size();
        std::string objectType;
        std::string document;
        // Note: only the rows' own block hands documents on; a query inside it compares texts.
        bool handsOn = HandsOnDocuments();
        bool object = handsOn && IsObject(*item.expr, objectType);
        if (object) ObjectOperand(*item.expr, document, objectType);
        Collection collection;
        bool collected =
            handsOn && !object && item.expr->kind == CSqlExpr::Kind::Name && IsCollection(*item.expr);
        if (collected) object = CollectionOperand(*item.expr, document, collection);
        CSqlType type = object ? (out += document, CSqlType::Text) : Expr(item.expr, out);
        itemTexts.push_back(out.substr(emitted));
        std::string name;
        if (!item.alias.empty()) {
            out += " AS " + WrittenName(item.alias);
            name = Upper(item.alias);
        } else if (item.expr->kind == CSqlExpr::Kind::Name) {
            name = Upper(item.expr->parts.back());
            // Note: an attribute is headed by its path from the column (CUST_ADDRESS.CITY).
            if (AttributeRef ref; item.expr->parts.size() > 2 && FindAttribute(item.expr->parts, ref))
                for (std::size_t k = item.expr->parts.size() - 1; k-- > 1;)
                    name = Upper(item.expr->parts[k]) + "." + name;
            // A pseudo-column the engine computes keeps the server's name.
            std::string_view written = Span(item.begin, item.end);
            if (std::string_view(out).substr(emitted) != written) out += " AS \"" + name + "\"";
        } else {
            // Note: an expression is headed by its text without blanks, as
            // the server names it, whatever text the engine runs.
            std::string_view span = Span(item.begin, item.end);
            char quote = 0;
            for (char c : span) {
                if (quote == 0 && (c == '\'' || c == '"'))
                    quote = c;
                else if (c == quote)
                    quote = 0;
                if (quote == 0 && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) continue;
                name += c == '"' ? '\'' : c;
            }
            out += " AS \"" + name + "\"";
            name = Upper(name);
        }
        produced.push_back(Typed{name, Describe(*item.expr, type)});
        produced.back().objectType = object && !collected ? objectType : std::string();
        produced.back().collection = collected ? collection.type : std::string();
        if (object) produced.back().type.typeName = collected ? collection.type : objectType;
    }
    for (std::size_t k = 0; hiddenOrder != nullptr && k < hiddenOrder->size(); ++k) {
        if (OrderPosition(*(*hiddenOrder)[k].expr, produced) > 0) continue;
        out += ", " + OrderKey(*(*hiddenOrder)[k].expr) + " AS TARVEX_O" + std::to_string(k);
    }
    m_scopes.back().aliases = produced;
    if (itemTexts.size() == produced.size()) m_scopes.back().itemTexts = itemTexts;
    // Note: DISTINCT tells zoned values apart by their instants: the rows are
    // grouped by every column instead, zoned ones by their instants.
    std::string distinctKeys;
    if (block.distinct && block.groupBy.empty() && groupingSet == nullptr &&
        DistinctByInstant(block, produced, itemTexts, distinctKeys))
        out.replace(selectAt, 16, "SELECT ");

    out += " FROM ";
    // The rows are chosen before they are grouped: the keys a grouping set
    // rolls up are the rows' own values in FROM and WHERE.
    const Branch* rowsBranch = m_branch;
    m_branch = nullptr;
    std::vector<CSqlExpr*> conjuncts;
    if (joined)
        conjuncts = filters;
    else
        Conjuncts(block.where, conjuncts);
    // Outer joins written with (+): each conjunct naming a marked column joins
    // the source of that column.
    std::vector<std::vector<CSqlExpr*>> joinConditions(from->size());
    std::vector<CSqlExpr*> rest;
    for (CSqlExpr* conjunct : conjuncts) {
        std::vector<const CSqlExpr*> marks;
        OuterMarks(conjunct, marks);
        if (marks.empty()) {
            rest.push_back(conjunct);
            continue;
        }
        if (HasOr(conjunct)) return Fail(marks[0]->at, 1719);
        long target = -1;
        for (const CSqlExpr* mark : marks) {
            long index = -1;
            const auto& sources = m_scopes.back().sources;
            for (std::size_t s = 0; s < sources.size(); ++s) {
                bool qualified = mark->parts.size() > 1;
                std::string column = Upper(mark->parts.back());
                if (qualified ? sources[s].name == Upper(mark->parts[mark->parts.size() - 2]) : [&] {
                        for (const auto& c : sources[s].columns)
                            if (c.name == column) return true;
                        return false;
                    }()) {
                    index = static_cast<long>(s);
                    break;
                }
            }
            if (index < 0) return Fail(mark->at, 904, Upper(mark->parts.back()));
            if (target >= 0 && target != index) return Fail(mark->at, 1468);
            target = index;
        }
        joinConditions[static_cast<std::size_t>(target)].push_back(conjunct);
    }
    bool anyOuter = false;
    for (const auto& conditions : joinConditions) anyOuter = anyOuter || !conditions.empty();
    if (anyOuter)
        for (const CSqlFromItem& item : *from)
            if (item.join != CSqlFromItem::Join::Comma) return Fail(item.at, 25156);
    bool firstSource = true;
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t k = 0; k < from->size(); ++k) {
            bool optional = !joinConditions[k].empty();
            if ((pass == 0) == optional) continue;
            const CSqlFromItem& item = (*from)[k];
            if (optional) {
                out += " LEFT JOIN " + sourceTexts[k] + " ON ";
                for (std::size_t c = 0; c < joinConditions[k].size(); ++c) {
                    if (c > 0) out += " AND ";
                    out += "(";
                    Expr(joinConditions[k][c], out);
                    out += ")";
                }
                continue;
            }
            static constexpr const char* kJoins[] = {", ",           " JOIN ",      " LEFT JOIN ",
                                                     " RIGHT JOIN ", " FULL JOIN ", " CROSS JOIN "};
            if (!firstSource) out += item.natural ? " NATURAL" : "";
            if (!firstSource) out += kJoins[static_cast<int>(item.join)];
            firstSource = false;
            out += sourceTexts[k];
            if (item.on != nullptr) {
                out += " ON ";
                Expr(item.on, out);
            } else if (!item.usingColumns.empty()) {
                out += " USING (";
                for (std::size_t c = 0; c < item.usingColumns.size(); ++c)
                    out += (c > 0 ? ", " : "") + QuoteName(Upper(item.usingColumns[c]));
                out += ")";
            }
        }

    std::vector<CSqlExpr*> counted;
    std::vector<CSqlExpr*> plain;
    for (CSqlExpr* conjunct : rest) (UsesRownum(conjunct) ? counted : plain).push_back(conjunct);
    int rownumBlock = m_scopes.back().rownumBlock;
    if (!plain.empty() || rownumBlock >= 0) {
        out += " WHERE ";
        std::string others;
        for (std::size_t c = 0; c < plain.size(); ++c) {
            if (c > 0) others += " AND ";
            others += "(";
            Expr(plain[c], others);
            others += ")";
        }
        if (rownumBlock < 0) {
            out += others;
        } else {
            // Note: a row is numbered only once it passed every other
            // condition, and the number counts only the rows accepted.
            std::string conditions;
            m_scopes.back().inWhere = true;
            for (std::size_t c = 0; c < counted.size(); ++c) {
                if (c > 0) conditions += " AND ";
                conditions += "(";
                Expr(counted[c], conditions);
                conditions += ")";
            }
            m_scopes.back().inWhere = false;
            std::string accept = "ORA_ROWNUM_ACCEPT(" + std::to_string(rownumBlock) + ", " +
                                 (conditions.empty() ? std::string("1") : conditions) + ")";
            // Note: a condition that reads no column, or the columns of one
            // source, SQLite tries once for each row of that source alone; and
            // it tries WHERE before an inner join's ON, USING or NATURAL,
            // which the count must follow.
            bool joinsNamed = true;
            for (std::size_t k = 0; k < from->size(); ++k) {
                const CSqlFromItem& item = (*from)[k];
                if (item.join != CSqlFromItem::Join::Inner) continue;
                std::string on;
                if (item.on != nullptr)
                    Expr(item.on, on);
                else if (item.natural || !item.usingColumns.empty())
                    joinsNamed = SharedColumnsMatch(k, item, on) && joinsNamed;
                if (on.empty()) continue;
                others += (others.empty() ? "(" : " AND (") + on + ")";
            }
            const std::string joined = joinsNamed ? EveryJoinedRow() : std::string();
            if (!joined.empty()) others = others.empty() ? joined : others + " AND " + joined;
            out += others.empty() ? accept : "CASE WHEN " + others + " THEN " + accept + " ELSE 0 END";
        }
    }
    m_branch = rowsBranch;
    const std::vector<CSqlExpr*>& grouped = groupingSet != nullptr ? *groupingSet : block.groupBy;
    if (!grouped.empty()) {
        out += " GROUP BY ";
        for (std::size_t k = 0; k < grouped.size(); ++k) {
            if (k > 0) out += ", ";
            std::string key;
            bool mapped = false;
            if (!MapKey(*grouped[k], key, mapped)) return false;
            if (mapped) {
                out += key;
                continue;
            }
            CSqlType type = Expr(grouped[k], key);
            // Note: zoned values of one instant are one group.
            out += type == CSqlType::Date && Zoned(*grouped[k]) ? "ORA_TZ_KEY(" + key + ")" : key;
        }
    } else if (!distinctKeys.empty()) {
        out += " GROUP BY " + distinctKeys;
    }
    if (block.having != nullptr) {
        out += " HAVING ";
        Expr(block.having, out);
    }
    m_lastScope = m_scopes.back();
    m_scopes.pop_back();
    m_level = outerLevel;
    if (columns != nullptr) *columns = std::move(produced);
    return !m_failed;
}

bool CSqlEmitter::DistinctByInstant(const CSqlSelect& block, const std::vector<Typed>& produced,
                                    const std::vector<std::string>& itemTexts, std::string& keys) {
    bool zoned = false;
    for (const Typed& column : produced) zoned = zoned || column.type.zone;
    if (!zoned || itemTexts.size() != block.items.size() || produced.size() != block.items.size())
        return false;
    for (const CSqlSelectItem& item : block.items)
        if (item.expr->kind == CSqlExpr::Kind::Star || HasAggregate(item.expr)) return false;
    keys.clear();
    for (std::size_t k = 0; k < itemTexts.size(); ++k)
        keys +=
            (k > 0 ? ", " : "") + (produced[k].type.zone ? "ORA_TZ_KEY(" + itemTexts[k] + ")" : itemTexts[k]);
    return true;
}

// Whether `expr` reads the pseudo-column `name`.
bool UsesName(const CSqlExpr* expr, std::string_view name) {
    if (expr == nullptr) return false;
    if (expr->kind == CSqlExpr::Kind::Name && expr->parts.size() == 1 && Upper(expr->parts[0]) == name)
        return true;
    for (const CSqlExpr* arg : expr->args)
        if (UsesName(arg, name)) return true;
    return false;
}

bool UsesPrior(const CSqlExpr* expr) {
    if (expr == nullptr) return false;
    if (expr->kind == CSqlExpr::Kind::Unary && expr->text == "PRIOR") return true;
    for (const CSqlExpr* arg : expr->args)
        if (UsesPrior(arg)) return true;
    return false;
}

// The SYS_CONNECT_BY_PATH calls and CONNECT_BY_ROOT and PRIOR operators of
// `expr`.
void PathsAndRoots(const CSqlExpr* expr, std::vector<const CSqlExpr*>& out) {
    if (expr == nullptr) return;
    bool root =
        expr->kind == CSqlExpr::Kind::Unary && (expr->text == "CONNECT_BY_ROOT" || expr->text == "PRIOR");
    bool path = expr->kind == CSqlExpr::Kind::Call && expr->args.size() == 2 &&
                Upper(expr->text) == "SYS_CONNECT_BY_PATH";
    if (root || path) {
        out.push_back(expr);
        return;
    }
    for (const CSqlExpr* arg : expr->args) PathsAndRoots(arg, out);
}

CSqlType CSqlEmitter::HierarchyColumn(const CSqlExpr& expr, std::string& out) {
    for (const auto& column : m_hierarchyColumns)
        if (column.node == &expr && m_level == Level::Rows) {
            out += column.name;
            return column.type;
        }
    Fail(expr.at, 3001,
         expr.kind == CSqlExpr::Kind::Call ? std::string("SYS_CONNECT_BY_PATH") : std::string(expr.text));
    return CSqlType::Unknown;
}

// The columns the hierarchy carries for SYS_CONNECT_BY_PATH and
// CONNECT_BY_ROOT: their values at the first rows and at each step.
bool CSqlEmitter::CarriedColumns(const CSqlSelect& block, std::string& start, std::string& step) {
    std::vector<const CSqlExpr*> nodes;
    for (const auto& item : block.items) PathsAndRoots(item.expr, nodes);
    PathsAndRoots(block.where, nodes);
    for (const CSqlExpr* node : nodes) {
        std::string name = "TARVEX_X" + std::to_string(m_hierarchyColumns.size());
        std::string first;
        std::string next;
        m_level = Level::Start;
        CSqlType type = Expr(node->args[0], first);
        if (node->kind == CSqlExpr::Kind::Call) {
            std::string separator;
            Expr(node->args[1], separator);
            m_level = Level::Step;
            Expr(node->args[0], next);
            first = "ORA_CONCAT(" + separator + ", " + first + ")";
            next = "ORA_CONCAT(ORA_CONCAT(TARVEX_P." + name + ", " + separator + "), " + next + ")";
            type = CSqlType::Text;
        } else if (node->text == "PRIOR") {
            // Note: PRIOR of a row is its parent's value, NULL for a root.
            first = "NULL";
            m_level = Level::Step;
            m_prior = true;
            Expr(node->args[0], next);
            m_prior = false;
        } else {
            next = "TARVEX_P." + name;
        }
        start += ", " + first + " AS " + name;
        step += ", " + next;
        m_hierarchyColumns.push_back(HierarchyColumnRow{node, name, type});
    }
    return !m_failed;
}

bool CSqlEmitter::Hierarchy(const CSqlSelect& block, std::vector<std::string>& texts,
                            const std::string* base) {
    const CSqlFromItem& item = block.from[0];
    // Over joined rows: their query is a table of the statement, each row
    // numbered in it.
    std::string table(base != nullptr ? "TARVEX_B" : item.table.back());
    std::string alias(base != nullptr ? "TARVEX_J" : (item.alias.empty() ? item.table.back() : item.alias));
    std::string rowid = alias + (base != nullptr ? ".TARVEX_RID" : ".rowid");
    std::string baseTable =
        base != nullptr
            ? "TARVEX_B AS MATERIALIZED (SELECT TARVEX_R.*, ROW_NUMBER() OVER () AS TARVEX_RID FROM (" +
                  *base + ") TARVEX_R), "
            : std::string();
    std::string start;
    std::string step;
    m_hierarchy = alias;
    std::string carriedStart;
    std::string carriedStep;
    if (!CarriedColumns(block, carriedStart, carriedStep)) return false;
    m_level = Level::Start;
    if (block.startWith != nullptr) Expr(block.startWith, start);
    m_level = Level::Step;
    Expr(block.connectBy, step);
    // A row is a leaf when no row of the table is its child.
    m_priorName = base != nullptr ? "TARVEX_H" : alias;
    m_hierarchy = "TARVEX_C";
    std::string children;
    Expr(block.connectBy, children);
    std::string leaf = "(NOT EXISTS (SELECT 1 FROM " + table + " TARVEX_C WHERE " + children + "))";
    m_leaf = base != nullptr ? alias + ".TARVEX_LEAF" : leaf;
    // A row is in a loop when one of its children is above it already.
    std::string cycled = "(EXISTS (SELECT 1 FROM " + table + " TARVEX_C WHERE (" + children + ") AND instr(" +
                         m_priorName + ".TARVEX_SEEN, ',' || TARVEX_C." +
                         (base != nullptr ? "TARVEX_RID" : "rowid") + " || ',') > 0))";
    m_cycle = block.noCycle ? (base != nullptr ? alias + ".TARVEX_CYCLE" : cycled) : std::string();
    m_priorName = "TARVEX_P";
    m_hierarchy = alias;
    // Children come in the order of ORDER SIBLINGS BY (each row ranked
    // once over the table), else in the order they were stored.
    std::string ranks;
    std::string rankTable;
    std::string rank = rowid;
    if (!block.siblingsOrder.empty()) {
        m_level = Level::None;
        std::string order;
        OrderItems(block.siblingsOrder, order);
        rankTable = "TARVEX_S AS MATERIALIZED (SELECT " + rowid +
                    " AS TARVEX_RID, ROW_NUMBER() OVER (ORDER BY " + order + ") AS TARVEX_SIB FROM " + table +
                    " " + alias + "), ";
        ranks = " JOIN TARVEX_S ON TARVEX_S.TARVEX_RID = " + rowid;
        rank = "TARVEX_S.TARVEX_SIB";
    }
    if (m_failed) return false;
    std::string key = "printf('%010d', " + rank + ")";
    std::string seen = rowid + " || ','";
    // Note: over DUAL without PRIOR (a generator of rows: CONNECT BY LEVEL
    // <= n) the rows are a chain in the order of their levels; a path of
    // keys would grow with each level.
    const bool chain = base == nullptr && Upper(table) == "DUAL" && !UsesPrior(block.connectBy) &&
                       block.siblingsOrder.empty();
    // Note: rows are read depth first, each after its parent; a row met
    // again below itself is a loop (ORA-01436, skipped with NOCYCLE).
    std::string cycle = UsesPrior(block.connectBy) ? " AND ORA_NOCYCLE(instr(TARVEX_P.TARVEX_SEEN, ',' || " +
                                                         seen + "), " + (block.noCycle ? "1" : "0") + ")"
                                                   : std::string();
    bool leaves = false;
    for (const char* pseudo : {"CONNECT_BY_ISLEAF", "CONNECT_BY_ISCYCLE"}) {
        for (const auto& selected : block.items) leaves = leaves || UsesName(selected.expr, pseudo);
        leaves = leaves || UsesName(block.where, pseudo);
    }
    std::string rows = base != nullptr && leaves ? "SELECT TARVEX_H.*, " + leaf + " AS TARVEX_LEAF, " +
                                                       cycled + " AS TARVEX_CYCLE FROM TARVEX_H"
                                                 : std::string("SELECT * FROM TARVEX_H");
    const std::string firstKey = chain ? std::string("1") : key;
    const std::string nextKey =
        chain ? std::string("TARVEX_P.TARVEX_KEY + 1") : "TARVEX_P.TARVEX_KEY || " + key;
    const std::string nextSeen =
        chain ? std::string("TARVEX_P.TARVEX_SEEN") : "TARVEX_P.TARVEX_SEEN || " + seen;
    texts[0] = "(WITH RECURSIVE " + baseTable + rankTable + "TARVEX_H AS (SELECT " + alias +
               ".*, 1 AS TARVEX_LEVEL, " + firstKey + " AS TARVEX_KEY, ',' || " + seen + " AS TARVEX_SEEN" +
               carriedStart + " FROM " + table + " " + alias + ranks +
               (start.empty() ? std::string() : " WHERE " + start) + " UNION ALL SELECT " + alias +
               ".*, TARVEX_P.TARVEX_LEVEL + 1, " + nextKey + ", " + nextSeen + carriedStep +
               " FROM TARVEX_H TARVEX_P JOIN " + table + " " + alias + " ON (" + step + ")" + cycle + ranks +
               ") " + rows + " ORDER BY TARVEX_KEY LIMIT -1 OFFSET 0) " + alias;
    m_level = Level::Rows;
    return true;
}

bool CSqlEmitter::JoinsBeforeHierarchy(const CSqlSelect& block) {
    // Note: a view's query reads tables by their names alone (DUAL too).
    if (block.from.size() != 1 || block.from[0].table.empty() || m_stored) return true;
    std::string text;
    bool readOnly = false;
    bool checkOption = false;
    return m_catalog.View(Upper(block.from[0].table.back()), text, readOnly, checkOption);
}

int CSqlEmitter::SourceOf(const CSqlExpr& name) const {
    const auto& sources = m_scopes.back().sources;
    std::string column = Upper(name.parts.back());
    std::string qualifier = name.parts.size() > 1 ? Upper(name.parts[name.parts.size() - 2]) : std::string();
    for (std::size_t s = 0; s < sources.size(); ++s) {
        if (!qualifier.empty()) {
            if (sources[s].name == qualifier) return static_cast<int>(s);
            continue;
        }
        for (const auto& candidate : sources[s].columns)
            if (candidate.name == column) return static_cast<int>(s);
    }
    return -1;
}

void CSqlEmitter::SourcesOf(const CSqlExpr* expr, std::vector<int>& out) const {
    if (expr == nullptr) return;
    if (expr->kind == CSqlExpr::Kind::Name) {
        int source = SourceOf(*expr);
        if (source >= 0 && std::find(out.begin(), out.end(), source) == out.end()) out.push_back(source);
    }
    // Note: a subquery's names are its own (or, correlated, counted here not).
    for (const CSqlExpr* arg : expr->args) SourcesOf(arg, out);
}

bool CSqlEmitter::JoinedRows(const CSqlSelect& block, std::string& out, std::vector<CSqlExpr*>& filters) {
    // Every column of every source, each under a name of its own.
    CSqlSelect& rows = *m_arena.Select();
    rows.at = block.at;
    rows.from = block.from;
    int number = 0;
    for (auto& source : m_scopes.back().sources)
        for (auto& column : source.columns) {
            column.hierarchyName = "TARVEX_J" + std::to_string(number++);
            CSqlExpr* name = m_arena.Expr();
            name->kind = CSqlExpr::Kind::Name;
            name->at = block.at;
            if (!source.name.empty()) name->parts.push_back(m_strings.emplace_back(QuoteName(source.name)));
            name->parts.push_back(m_strings.emplace_back(QuoteName(column.name)));
            rows.items.push_back(CSqlSelectItem{name, m_strings.emplace_back(column.hierarchyName)});
        }
    // The conditions of WHERE naming two sources (or one with "(+)") join.
    std::vector<CSqlExpr*> conjuncts;
    Conjuncts(block.where, conjuncts);
    for (CSqlExpr* conjunct : conjuncts) {
        std::vector<int> sources;
        SourcesOf(conjunct, sources);
        std::vector<const CSqlExpr*> marks;
        OuterMarks(conjunct, marks);
        bool join = sources.size() > 1 || !marks.empty();
        if (!join) {
            filters.push_back(conjunct);
            continue;
        }
        if (rows.where == nullptr) {
            rows.where = conjunct;
            continue;
        }
        CSqlExpr* both = m_arena.Expr();
        both->kind = CSqlExpr::Kind::Binary;
        both->text = "AND";
        both->at = conjunct->at;
        both->args = {rows.where, conjunct};
        rows.where = both;
    }
    Level level = m_level;
    std::string hierarchy = m_hierarchy;
    bool ok = Block(rows, out, nullptr, false);
    m_level = level;
    m_hierarchy = hierarchy;
    return ok;
}

CSqlType CSqlEmitter::Prior(const CSqlExpr& expr, std::string& out) {
    if (m_level == Level::Rows) return HierarchyColumn(expr, out);
    if (m_level != Level::Step) {
        Fail(expr.at, 3001, "PRIOR");
        return CSqlType::Unknown;
    }
    m_prior = true;
    out += "(";
    CSqlType type = Expr(expr.args[0], out);
    out += ")";
    m_prior = false;
    return type;
}

CSqlType CSqlEmitter::ExprNode(const CSqlExpr* expr, std::string& out) {
    using Kind = CSqlExpr::Kind;
    if (m_failed || expr == nullptr) return CSqlType::Unknown;
    if (!m_parameters.empty())
        if (auto found = m_parameters.find(expr); found != m_parameters.end()) {
            out += found->second.text;
            return found->second.type;
        }
    switch (expr->kind) {
        case Kind::Number:
            if (FloatLiteral(*expr, out)) return CSqlType::Number;
            // Note: a long literal travels as its digits, read exactly.
            out += IsLongNumber(expr->text) ? Quote(expr->text) : std::string(expr->text);
            return CSqlType::Number;
        case Kind::String:
            // Note: the server holds the empty text as NULL.
            if (CSqlScanner::IsPlainString(expr->text)) {
                out += expr->text.size() == 2 ? std::string_view("NULL") : expr->text;
            } else {
                std::string value = CSqlScanner::LiteralText(expr->text);
                out += value.empty() ? std::string("NULL") : Quote(value);
            }
            return CSqlType::Char;
        case Kind::Null:
            out += "NULL";
            return CSqlType::Unknown;
        case Kind::Bind:
            out += expr->text;
            return BindWidth(*expr) != 0 ? CSqlType::Number : CSqlType::Unknown;
        case Kind::Name:
            return Name(*expr, out);
        case Kind::Star:
            out += "*";
            return CSqlType::Unknown;
        case Kind::Call:
            return Call(*expr, out);
        case Kind::Unary: {
            if (expr->text == "PRIOR") return Prior(*expr, out);
            if (expr->text == "CONNECT_BY_ROOT") return HierarchyColumn(*expr, out);
            bool negation = expr->text == "NOT";
            if (expr->text == "-" && IsIntervalValued(*expr->args[0])) {
                out += "ORA_INTERVAL_SCALE(";
                Expr(expr->args[0], out);
                out += ", -1, 0)";
                return CSqlType::Text;
            }
            if (expr->text == "-" && (IsComputed(*expr->args[0]) || Wide(*expr->args[0])))
                return Negated(*expr->args[0], out);
            out += negation ? "NOT (" : std::string(expr->text) + "(";
            CSqlType type = Expr(expr->args[0], out);
            out += ")";
            return negation ? CSqlType::Number : (IsText(type) ? CSqlType::Number : type);
        }
        case Kind::Binary:
            return Binary(*expr, out);
        case Kind::Case:
            return Case(*expr, out);
        case Kind::Subquery:
            return ScalarSubquery(*expr, out);
        case Kind::Exists:
            out += expr->negated ? "NOT EXISTS (" : "EXISTS (";
            Query(*expr->query, out, nullptr);
            out += ")";
            return CSqlType::Number;
        case Kind::InList: {
            out += "(";
            for (std::size_t k = 1; k < expr->args.size(); ++k) {
                if (k > 1) out += expr->negated ? " AND " : " OR ";
                Compare(expr->negated ? "<>" : "=", expr->args[0], expr->args[k], out);
            }
            out += ")";
            return CSqlType::Number;
        }
        case Kind::InQuery:
            out += "(";
            Expr(expr->args[0], out);
            out += expr->negated ? " NOT IN (" : " IN (";
            Query(*expr->query, out, nullptr);
            out += "))";
            return CSqlType::Number;
        case Kind::Between:
            out += expr->negated ? "NOT (" : "(";
            Compare(">=", expr->args[0], expr->args[1], out);
            out += " AND ";
            Compare("<=", expr->args[0], expr->args[2], out);
            out += ")";
            return CSqlType::Number;
        case Kind::Like:
            out += "(";
            Expr(expr->args[0], out);
            out += expr->negated ? " NOT LIKE " : " LIKE ";
            Expr(expr->args[1], out);
            if (expr->args.size() > 2) {
                out += " ESCAPE ";
                Expr(expr->args[2], out);
            }
            out += ")";
            return CSqlType::Number;
        case Kind::IsNull:
            if (expr->text == "JSON") {
                // Note: NULL is neither JSON nor not JSON.
                std::string operand;
                JsonDocument(expr->args[0], operand);
                out += "(CASE WHEN " + operand + " IS NOT NULL THEN " + (expr->negated ? "NOT " : "") +
                       "json_valid(" + operand + ") END)";
                return CSqlType::Number;
            }
            if (expr->text == "NAN" || expr->text == "INFINITE")
                return FloatCondition(*expr, out), CSqlType::Number;
            out += "(";
            Expr(expr->args[0], out);
            out += expr->negated ? " IS NOT NULL)" : " IS NULL)";
            return CSqlType::Number;
        case Kind::Row: {
            out += "(";
            CSqlType type = CSqlType::Unknown;
            for (std::size_t k = 0; k < expr->args.size(); ++k) {
                if (k > 0) out += ", ";
                type = Expr(expr->args[k], out);
            }
            out += ")";
            return expr->args.size() == 1 ? type : CSqlType::Unknown;
        }
        case Kind::Interval: {
            CIntervalLiteral interval;
            if (!ParseInterval(*expr, interval)) return CSqlType::Unknown;
            out += Quote(IntervalText(*expr, interval));
            return CSqlType::Text;
        }
        case Kind::DateLiteral:
            return DateLiteral(*expr, out);
        case Kind::Quantified:
            return Quantified(*expr, out);
        case Kind::Multiset:
            return IsCollection(*expr) ? CollectionText(*expr, out) : MultisetCondition(*expr, out);
    }
    return CSqlType::Unknown;
}

CSqlType CSqlEmitter::DateLiteral(const CSqlExpr& expr, std::string& out) {
    std::string_view body = expr.text.substr(1, expr.text.size() - 2);
    std::string_view zoneText = expr.timestamp ? LiteralZone(expr.text) : std::string_view();
    CTimeZone zone;
    if (!zoneText.empty()) {
        body = body.substr(0, static_cast<std::size_t>(zoneText.data() - body.data()));
        while (!body.empty() && body.back() == ' ') body.remove_suffix(1);
        // Note: a region may be followed by its abbreviation ('US/Pacific PDT').
        if (int code = CTimeZone::Parse(zoneText.substr(0, zoneText.find(' ')), zone); code != 0)
            return Fail(expr.at, code), CSqlType::Unknown;
    }
    CDateTime value;
    if (int code = CDateLiteral::Read(body, expr.timestamp, value); code != 0)
        return Fail(expr.at, code, std::string(expr.text)), CSqlType::Unknown;
    if (!zoneText.empty()) {
        std::int32_t offset = 0;
        if (int code = zone.OffsetOfLocal(CTimeZone::Seconds(value), offset); code != 0)
            return Fail(expr.at, code), CSqlType::Unknown;
        out += Quote(CTimeZone::Store(value, zone));
        return CSqlType::Date;
    }
    out += Quote(CDateFormat::ToStored(value));
    return CSqlType::Date;
}

CValueType CSqlEmitter::Describe(const CSqlExpr& expr, CSqlType kind) {
    CValueType out{kind, 0, false};
    if (kind == CSqlType::Number && !m_failed) out.wide = Wide(expr);
    if (kind == CSqlType::Number && !m_failed) out.floatWidth = FloatWidth(expr);
    if (kind == CSqlType::Date && !m_failed) out.fraction = Fraction(expr, out.zone);
    if (kind == CSqlType::Date && !m_failed && expr.kind == CSqlExpr::Kind::Name) {
        CSqlType found = CSqlType::Unknown;
        CValueType column;
        if (Resolve(expr, found, &column)) out.localZone = column.localZone;
    }
    if (kind == CSqlType::Date && !m_failed && expr.kind == CSqlExpr::Kind::Call &&
        Upper(expr.text) == "CAST")
        out.localZone =
            CSqliteCatalog::Describe("CAST", expr.detail).zone == CSqliteCatalog::Column::kLocalZone;
    // Note: an interval stays one through a subquery, a view's column and
    // an alias, so that it compares and sorts by its length there too.
    if (kind != CSqlType::Number && kind != CSqlType::Date && !m_failed)
        out.interval = IsIntervalValued(expr);
    if (!IsText(kind) || m_failed) return out;
    if (expr.kind == CSqlExpr::Kind::Name) {
        CSqlType found = CSqlType::Unknown;
        CValueType column;
        AttributeRef ref;
        if (Resolve(expr, found, &column)) {
            out.length = column.length;
            out.chars = column.chars;
            out.typeName = column.typeName;
        } else if (FindAttribute(expr.parts, ref)) {
            CSqliteCatalog::Column attribute = CSqliteCatalog::Describe("", ref.attribute.declared);
            out.length = ref.attribute.schemaType.empty() ? attribute.length : 0;
            out.chars = attribute.charSemantics;
            out.typeName = ref.attribute.schemaType;
        } else if (expr.parts.size() == 1 && Upper(expr.parts[0]) == "USER") {
            out.length = kIdentifierLength;
        } else if (CSqlExpr* column = nullptr; expr.parts.size() >= 3 && JsonDotColumn(expr, column)) {
            out.length = 4000;
        }
        return out;
    }
    out.length = TextLength(expr);
    return out;
}

// The longest text of a number format: its elements and the sign; a
// currency takes as much as the longest the session may name (10 bytes).
static long NumberFormatLength(std::string_view format) {
    // Note: Roman numerals take 15 places whatever the model's length.
    if (CNumberFormat::IsRoman(format)) return 15;
    long length = static_cast<long>(format.size()) + 1;
    for (char c : format)
        if (c == 'L' || c == 'l' || c == 'C' || c == 'c' || c == 'U' || c == 'u') length += 9;
    return length;
}

long CSqlEmitter::ToCharLength(const CSqlExpr& expr) {
    auto found = m_toCharArguments.find(&expr);
    if (found == m_toCharArguments.end()) return 0;
    const CSqlExpr* format = expr.args.size() > 1 ? expr.args[1] : nullptr;
    bool literal = format != nullptr && format->kind == CSqlExpr::Kind::String;
    switch (found->second) {
        case CSqlType::Number:
            // Note: the server's longest number text, or the format and its sign.
            if (format == nullptr) return kNumberTextLength;
            return literal ? NumberFormatLength(CSqlScanner::LiteralText(format->text)) : 0;
        case CSqlType::Date:
            return literal ? DateFormatLength(CSqlScanner::LiteralText(format->text)) : 0;
        case CSqlType::Text:
        case CSqlType::Char:
            return format == nullptr ? TextLength(*expr.args[0]) : 0;
        case CSqlType::Unknown:
            break;
    }
    return 0;
}

// The text of a literal argument, if it is one.
static bool LiteralArgument(const CSqlExpr& expr, std::size_t k, std::string& text) {
    if (k >= expr.args.size() || expr.args[k]->kind != CSqlExpr::Kind::String) return false;
    text = CSqlScanner::LiteralText(expr.args[k]->text);
    return true;
}

long CSqlEmitter::RewrittenLength(const std::string& name, const CSqlExpr& expr) {
    constexpr long kLongest = 4000;
    const long source = TextLength(*expr.args[0]);
    // Note: a pattern may match the empty text, so that its replacement
    // stands between any two characters: as long as a VARCHAR2 may be.
    if (name == "REGEXP_REPLACE" || source == 0) return kLongest;
    std::string search;
    std::string replacement;
    if (name == "TRANSLATE") {
        // Each character becomes one of the list or none: as long as the
        // source, or twice as long where the list holds two-byte characters.
        if (!LiteralArgument(expr, 2, replacement)) return std::min(source * kBytesPerCharacter, kLongest);
        bool narrow = std::all_of(replacement.begin(), replacement.end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        return narrow ? source : std::min(source * kBytesPerCharacter, kLongest);
    }
    // REPLACE: each match of the search text becomes the replacement (none
    // when it is left out), so the longest result holds as many matches
    // as the source can.
    if (expr.args.size() < 3) return source;
    if (!LiteralArgument(expr, 1, search) || !LiteralArgument(expr, 2, replacement)) return kLongest;
    const long from = static_cast<long>(search.size());
    const long to = static_cast<long>(replacement.size());
    if (from == 0 || to <= from) return source;
    return std::min(source + source / from * (to - from), kLongest);
}

long CSqlEmitter::ConcatenatedLength(const CSqlExpr& expr) {
    if (long length = TextLength(expr); length > 0) return length;
    // A number joined to text is its text: a literal as written, else as
    // long as the longest number's text.
    if (expr.kind == CSqlExpr::Kind::Number) {
        CNumberDecimal number;
        if (!CNumberDecimal::FromText(expr.text, number)) return static_cast<long>(expr.text.size());
        return static_cast<long>(numberfit::ServerText(number.ToText()).size());
    }
    if (expr.kind != CSqlExpr::Kind::Name) return 0;
    std::string name = Upper(expr.parts.back());
    CSqlType found = CSqlType::Unknown;
    bool pseudo = expr.parts.size() == 1 && (name == "LEVEL" || name == "ROWNUM");
    return pseudo || (Resolve(expr, found) && found == CSqlType::Number) ? kNumberTextLength : 0;
}

long CSqlEmitter::TextLength(const CSqlExpr& expr) {
    using Kind = CSqlExpr::Kind;
    auto widest = [this](const std::vector<CSqlExpr*>& args, std::size_t from, std::size_t step,
                         std::size_t end) {
        long longest = 0;
        for (std::size_t k = from; k < end; k += step) {
            if (args[k]->kind == Kind::Null) continue;
            long length = TextLength(*args[k]);
            if (length == 0) return 0L;
            longest = std::max(longest, length);
        }
        return longest;
    };
    switch (expr.kind) {
        case Kind::String:
            return static_cast<long>(CSqlScanner::LiteralText(expr.text).size());
        case Kind::Name: {
            // Note: in bytes, as every length an expression derives is.
            CValueType column = Describe(expr, CSqlType::Text);
            return column.chars ? column.length * kBytesPerCharacter : column.length;
        }
        case Kind::Binary: {
            if (expr.text != "||") return 0;
            long left = ConcatenatedLength(*expr.args[0]);
            long right = ConcatenatedLength(*expr.args[1]);
            return left > 0 && right > 0 ? left + right : 0;
        }
        case Kind::Row:
            return expr.args.size() == 1 ? TextLength(*expr.args[0]) : 0;
        case Kind::Case: {
            // [operand] when, then, ..., [else]: the results are the THENs and the ELSE.
            std::size_t first = expr.text == "SIMPLE" ? 2 : 1;
            long results = widest(expr.args, first, 2, expr.args.size() - (expr.negated ? 1 : 0));
            if (results == 0 || !expr.negated) return results;
            return std::max(results, TextLength(*expr.args.back()));
        }
        case Kind::Call: {
            std::string name = Upper(expr.text);
            if (expr.args.empty() || expr.over) return 0;
            if (std::find(std::begin(kLikeFirst), std::end(kLikeFirst), name) != std::end(kLikeFirst))
                return TextLength(*expr.args[0]);
            if (std::find(std::begin(kOneOf), std::end(kOneOf), name) != std::end(kOneOf))
                return widest(expr.args, 0, 1, expr.args.size());
            // DECODE(e, s1, r1, ..., [default]): as long as its longest result.
            if (name == "DECODE" && expr.args.size() >= 3) {
                long results =
                    widest(expr.args, 2, 2, expr.args.size() - (expr.args.size() % 2 == 0 ? 1 : 0));
                if (results == 0 || expr.args.size() % 2 != 0) return results;
                long other = expr.args.back()->kind == Kind::Null ? results : TextLength(*expr.args.back());
                return other == 0 ? 0 : std::max(results, other);
            }
            if (name == "NVL2" && expr.args.size() == 3) return widest(expr.args, 1, 1, 3);
            // Note: a character made full-width takes two bytes at most.
            if (name == "TO_MULTI_BYTE") return std::min(TextLength(*expr.args[0]) * 2, 4000L);
            if (name == "CONCAT" && expr.args.size() == 2) {
                long left = TextLength(*expr.args[0]);
                long right = TextLength(*expr.args[1]);
                return left > 0 && right > 0 ? left + right : 0;
            }
            // LPAD and RPAD to a length written as a number.
            if ((name == "LPAD" || name == "RPAD") && expr.args.size() >= 2 &&
                expr.args[1]->kind == Kind::Number &&
                expr.args[1]->text.find_first_not_of("0123456789") == std::string_view::npos)
                return std::min(std::atol(std::string(expr.args[1]->text).c_str()), 4000L);
            // Note: the server's SYS_CONTEXT holds at most 256 bytes; a
            // LISTAGG is declared as long as a VARCHAR2 may be.
            if (name == "SYS_CONTEXT") return 256;
            if (name == "LISTAGG") return 4000;
            if (IsJsonConstructor(name) || name == "JSON_QUERY" || name == "JSON_VALUE" ||
                name == "JSON_SERIALIZE")
                return JsonLength(expr);
            if (name == "TO_CHAR") return ToCharLength(expr);
            if (name == "REPLACE" || name == "TRANSLATE" || name == "REGEXP_REPLACE")
                return RewrittenLength(name, expr);
            // A stored function's VARCHAR2 has no length: the longest a
            // VARCHAR2 may be, as the server describes it.
            if (expr.parts.size() == 1 ? m_catalog.HasFunction(name)
                                       : expr.parts.size() == 2 && m_catalog.HasPackage(Upper(expr.parts[0])))
                return 4000;
            return 0;
        }
        default:
            return 0;
    }
}

std::string CSqlEmitter::DuplicateColumn(const Source& source) {
    for (std::size_t k = 0; k < source.columns.size(); ++k) {
        if (source.columns[k].hidden) continue;
        for (std::size_t other = k + 1; other < source.columns.size(); ++other)
            if (!source.columns[other].hidden && source.columns[other].name == source.columns[k].name)
                return source.columns[k].name;
    }
    return {};
}

std::size_t CSqlEmitter::Named(const Source& source, const std::string& name) {
    return static_cast<std::size_t>(
        std::count_if(source.columns.begin(), source.columns.end(),
                      [&](const Typed& c) { return !c.hidden && c.name == name; }));
}

bool CSqlEmitter::Resolve(const CSqlExpr& expr, CSqlType& type, CValueType* full, const Typed** typed) {
    std::string column = Upper(expr.parts.back());
    std::string qualifier = expr.parts.size() > 1 ? Upper(expr.parts[expr.parts.size() - 2]) : std::string();
    for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend(); ++scope) {
        int found = 0;
        for (const auto& source : scope->sources) {
            if (!qualifier.empty() && source.name != qualifier) continue;
            for (const auto& candidate : source.columns)
                if (candidate.name == column) {
                    if (found++ == 0) {
                        type = candidate.type.kind;
                        if (full != nullptr) *full = candidate.type;
                        if (typed != nullptr) *typed = &candidate;
                    }
                    break;
                }
            // Note: a name a view or subquery gives two of its columns is
            // ambiguous however it is qualified.
            if (!m_inOrderBy && Named(source, column) > 1) {
                Fail(expr.at, 918, column);
                return true;
            }
        }
        // Note: a name two sources of one query hold must be qualified.
        if (found > 1 && qualifier.empty() && !m_inOrderBy && !scope->usingJoin) {
            Fail(expr.at, 918, column);
            return true;
        }
        if (found > 0) return true;
        if (qualifier.empty())
            for (const auto& alias : scope->aliases)
                if (alias.name == column && m_inOrderBy) {
                    type = alias.type.kind;
                    return true;
                }
    }
    return false;
}

CSqlType CSqlEmitter::Negated(const CSqlExpr& operand, std::string& out) {
    if (FloatNegation(operand, out)) return CSqlType::Number;
    if (operand.kind == CSqlExpr::Kind::Number) {
        out += Quote("-" + std::string(operand.text));
        return CSqlType::Number;
    }
    out += "ORA_SUB(0, ";
    CSqlType type = Expr(&operand, out);
    out += ")";
    return IsText(type) ? CSqlType::Number : type;
}

bool CSqlEmitter::ParseInterval(const CSqlExpr& expr, CIntervalLiteral& interval) {
    std::string body = CSqlScanner::LiteralText(expr.text);
    std::string leading = Upper(expr.parts[0]);
    std::string trailing = expr.parts.size() > 1 ? Upper(expr.parts[1]) : std::string();
    if (!interval.Parse(body, leading, trailing)) return Fail(expr.at, 1867);
    // Note: the leading field has two digits and a second six unless told.
    if (!interval.Fit(expr.intervalLeading >= 0 ? expr.intervalLeading : 2, IntervalFraction(expr)))
        return Fail(expr.at, 1873);
    return true;
}

int CSqlEmitter::IntervalFraction(const CSqlExpr& expr) {
    return expr.intervalFraction >= 0 ? expr.intervalFraction : 6;
}

// A literal is shown as a value of its type: the days or years as many
// digits as its leading precision when they lead (two at least otherwise).
std::string CSqlEmitter::IntervalText(const CSqlExpr& expr, const CIntervalLiteral& interval) {
    std::string leading = Upper(expr.parts[0]);
    bool own = (leading == "DAY" || leading == "YEAR") && expr.intervalLeading >= 0;
    return interval.Show(own ? expr.intervalLeading : 2, IntervalFraction(expr));
}

CSqlType CSqlEmitter::IntervalArithmetic(const CSqlExpr& expr, std::string& out) {
    bool intervalFirst = IsInterval(expr.args[0]);
    const CSqlExpr& operand = *expr.args[intervalFirst ? 1 : 0];
    CIntervalLiteral interval;
    if (!ParseInterval(*expr.args[intervalFirst ? 0 : 1], interval)) return CSqlType::Unknown;
    std::string value;
    CSqlType type = Expr(&operand, value);
    if (IsText(type)) value = "TO_DATE(" + value + ")";
    if (type == CSqlType::Number) {
        Fail(operand.at, 932);
        return CSqlType::Unknown;
    }
    bool minus = expr.text == "-";
    // Note: months are added as the calendar has them (ORA-01839 for a day
    // the month lacks); days and seconds exactly, fractions kept.
    out += "ORA_ADD_INTERVAL(" + value + ", " +
           std::to_string(minus ? -interval.Months() : interval.Months()) + ", " +
           std::to_string(minus ? -interval.Seconds() : interval.Seconds()) + ", " +
           std::to_string(minus ? -interval.Nanos() : interval.Nanos()) + ")";
    return CSqlType::Date;
}

bool CSqlEmitter::IsIntervalValued(const CSqlExpr& expr) {
    using Kind = CSqlExpr::Kind;
    // Note: only operators are remembered; a name or call may be a
    // stand-in made on the stack, whose address a later one takes.
    if (expr.kind == Kind::Binary)
        if (auto known = m_intervalValued.find(&expr); known != m_intervalValued.end()) return known->second;
    bool interval = false;
    switch (expr.kind) {
        case Kind::Interval:
            interval = true;
            break;
        case Kind::Name:
            interval = IsIntervalColumn(expr);
            break;
        case Kind::Call:
            interval = IsIntervalCall(&expr) ||
                       (Upper(expr.text) == "CAST" && Upper(expr.detail).starts_with("INTERVAL"));
            break;
        case Kind::Row:
        case Kind::Unary:
            interval = expr.args.size() == 1 &&
                       (expr.kind == Kind::Row || expr.text == "-" || expr.text == "+") &&
                       IsIntervalValued(*expr.args[0]);
            break;
        case Kind::Binary: {
            std::string_view op = expr.text;
            // Note: the right operand is looked at first; in a chain it is
            // the short one.
            if (op == "+" || op == "-") {
                const bool right = IsIntervalValued(*expr.args[1]);
                interval = right ? IsIntervalValued(*expr.args[0]) : IsDifference(expr);
            } else if (op == "*")
                interval = IsIntervalValued(*expr.args[1]) != IsIntervalValued(*expr.args[0]);
            else if (op == "/")
                interval = !IsIntervalValued(*expr.args[1]) && IsIntervalValued(*expr.args[0]);
            break;
        }
        default:
            break;
    }
    if (expr.kind == Kind::Binary) m_intervalValued[&expr] = interval;
    return interval;
}

bool CSqlEmitter::IntervalOperation(const CSqlExpr& expr, std::string& out) {
    std::string_view op = expr.text;
    if (op != "+" && op != "-" && op != "*" && op != "/") return false;
    const bool left = IsIntervalValued(*expr.args[0]);
    const bool right = IsIntervalValued(*expr.args[1]);
    if (op == "+" || op == "-") {
        if (!left || !right) return false;
        out += "ORA_INTERVAL_ADD(";
        Expr(expr.args[0], out);
        out += ", ";
        Expr(expr.args[1], out);
        out += op == "-" ? ", -1)" : ", 1)";
        return true;
    }
    // Note: an interval is multiplied by a number on either side, divided
    // only by one on its right.
    if (left == right || (op == "/" && right)) return false;
    out += "ORA_INTERVAL_SCALE(";
    Expr(expr.args[left ? 0 : 1], out);
    out += ", ";
    Expr(expr.args[left ? 1 : 0], out);
    out += op == "/" ? ", 1)" : ", 0)";
    return true;
}

CSqlType CSqlEmitter::IntervalAggregate(const std::string& name, const CSqlExpr& expr, std::string& out) {
    std::string value;
    ++m_aggregates;
    Expr(expr.args[0], value);
    --m_aggregates;
    const std::string window = expr.over ? " " + Window(expr, true) : "";
    const std::string distinct = expr.distinct && !expr.over ? "DISTINCT " : "";
    if (name == "SUM" || name == "AVG") {
        out += "ORA_INTERVAL_" + name + "(" + distinct + value + ")" + window;
        return CSqlType::Text;
    }
    // Note: the least and greatest are found by their lengths; the sort key
    // (28 bytes and a bar) leads the value it is taken from.
    out += "substr(" + name + "(ORA_INTERVAL_KEY(" + value + ") || '|' || " + value + ")" + window + ", 30)";
    return CSqlType::Text;
}

bool CSqlEmitter::IsDifference(const CSqlExpr& expr) {
    if (expr.kind == CSqlExpr::Kind::Row && expr.args.size() == 1) return IsDifference(*expr.args[0]);
    bool zone = false;
    return expr.kind == CSqlExpr::Kind::Binary && expr.text == "-" &&
           (Fraction(*expr.args[0], zone) >= 0 || Fraction(*expr.args[1], zone) >= 0);
}

bool CSqlEmitter::Zoned(const CSqlExpr& expr) {
    bool zone = false;
    Fraction(expr, zone);
    return zone;
}

std::string_view CSqlEmitter::LiteralZone(std::string_view literal) {
    // Note: the zone follows the time after a blank: '2020-01-01 10:00:00 +09:00'.
    std::string_view body = literal.size() >= 2 ? literal.substr(1, literal.size() - 2) : literal;
    std::size_t time = body.find(' ');
    if (time == std::string_view::npos) return {};
    std::size_t zone = body.find_first_not_of(' ', body.find(' ', body.find_first_not_of(' ', time)));
    return zone == std::string_view::npos ? std::string_view() : body.substr(zone);
}

std::string CSqlEmitter::StoreDate(const CSqliteCatalog::Column& column, const std::string& value,
                                   const std::string& at) {
    std::string digits = std::to_string(std::max(column.fraction, 0));
    if (column.zone != 0)
        return "ORA_STORE_TZ(" + value + ", " + at + ", " + digits + ", " + std::to_string(column.zone) + ")";
    return "ORA_STORE_DATE(" + value + ", " + at + ", " + digits + ")";
}

bool CSqlEmitter::IsIntervalColumn(const CSqlExpr& expr) {
    CValueType full;
    return NamedColumnType(expr, full) && full.interval;
}

int CSqlEmitter::Fraction(const CSqlExpr& expr, bool& zone) {
    using Kind = CSqlExpr::Kind;
    zone = false;
    switch (expr.kind) {
        case Kind::DateLiteral:
            zone = expr.timestamp && !LiteralZone(expr.text).empty();
            return expr.timestamp ? 9 : -1;
        case Kind::Name: {
            std::string name = expr.parts.size() == 1 ? Upper(expr.parts[0]) : std::string();
            if (name == "SYSTIMESTAMP" || name == "CURRENT_TIMESTAMP" || name == "LOCALTIMESTAMP") {
                zone = name != "LOCALTIMESTAMP";
                return 6;
            }
            CSqlType type = CSqlType::Unknown;
            CValueType column;
            if (!Resolve(expr, type, &column)) return -1;
            zone = column.zone;
            return column.fraction;
        }
        case Kind::Call: {
            std::string name = Upper(expr.text);
            if (name == "TO_TIMESTAMP") return 9;
            if (name == "TO_TIMESTAMP_TZ") return zone = true, 9;
            if ((name == "FROM_TZ" || name == "AT TIME ZONE" || name == "AT LOCAL") && !expr.args.empty()) {
                int digits = std::max(Fraction(*expr.args[0], zone), 0);
                return zone = true, digits;
            }
            if (name == "SYS_EXTRACT_UTC" && !expr.args.empty()) {
                int digits = Fraction(*expr.args[0], zone);
                return zone = false, digits;
            }
            if (name == "CAST") {
                CSqliteCatalog::Column type = CSqliteCatalog::Describe("CAST", expr.detail);
                zone = type.zone == CSqliteCatalog::Column::kZoned;
                return type.fraction;
            }
            if ((name == "NVL" || name == "COALESCE" || name == "GREATEST" || name == "LEAST" ||
                 name == "MIN" || name == "MAX") &&
                !expr.args.empty())
                return Fraction(*expr.args[0], zone);
            return -1;
        }
        case Kind::Binary:
            // Note: a date moved by an interval keeps its digits; intervals
            // added to each other are no date.
            if ((expr.text != "+" && expr.text != "-") || IsIntervalValued(expr)) return -1;
            if (IsIntervalValued(*expr.args[1])) return Fraction(*expr.args[0], zone);
            if (IsIntervalValued(*expr.args[0])) return Fraction(*expr.args[1], zone);
            return -1;
        case Kind::Row:
            return expr.args.size() == 1 ? Fraction(*expr.args[0], zone) : -1;
        default:
            return -1;
    }
}

bool CSqlEmitter::IsPlainDate(const CSqlExpr& expr) {
    using Kind = CSqlExpr::Kind;
    static constexpr std::string_view kDateCalls[] = {"TO_DATE",  "ADD_MONTHS", "LAST_DAY",
                                                      "NEXT_DAY", "SYSDATE",    "CURRENT_DATE"};
    switch (expr.kind) {
        case Kind::DateLiteral:
            return !expr.timestamp;
        case Kind::Name: {
            std::string name = expr.parts.size() == 1 ? Upper(expr.parts[0]) : std::string();
            if (name == "SYSDATE" || name == "CURRENT_DATE") return true;
            CSqlType type = CSqlType::Unknown;
            CValueType column;
            return Resolve(expr, type, &column) && type == CSqlType::Date && column.fraction < 0;
        }
        case Kind::Call:
            if (Upper(expr.text) == "CAST") return Upper(expr.detail) == "DATE";
            return std::find(std::begin(kDateCalls), std::end(kDateCalls), Upper(expr.text)) !=
                   std::end(kDateCalls);
        case Kind::Row:
            return expr.args.size() == 1 && IsPlainDate(*expr.args[0]);
        default:
            return false;
    }
}

// The server's JSON functions over SQLite's: each reads a document and a
// path, NULL for a document that is no JSON (NULL ON ERROR, the default).
//   JSON_VALUE   a scalar's value, NULL for an object or array
//   JSON_QUERY   an object or array as JSON text, NULL for a scalar
//   JSON_EXISTS  whether the path finds anything (in lax mode, see CJsonDot)
const CSqlEmitter::JsonRow* CSqlEmitter::FindJson(std::string_view name) {
    static constexpr JsonRow kJson[] = {
        {"JSON_VALUE",
         "CASE WHEN json_valid(%1) AND json_type(%1, %2) NOT IN ('object', 'array') THEN json_extract(%1, "
         "%2) END",
         CSqlType::Text, 2},
        {"JSON_QUERY",
         "CASE WHEN json_valid(%1) AND json_type(%1, %2) IN ('object', 'array') THEN json_extract(%1, %2) "
         "END",
         CSqlType::Text, 2},
        {"JSON_EXISTS", "ORA_JSON_PATH(%1, %2, 'E')", CSqlType::Number, 2},
        // Note: the patch's null members remove the target's (RFC 7396).
        {"JSON_MERGEPATCH", "CASE WHEN json_valid(%1) AND json_valid(%2) THEN json_patch(%1, %2) END",
         CSqlType::Text, 2},
    };
    for (const JsonRow& row : kJson)
        if (row.name == name) return &row;
    return nullptr;
}

CSqlType CSqlEmitter::Json(const CSqlExpr& expr, const JsonRow& row, std::string& out) {
    if (row.name == "JSON_VALUE") return JsonValue(expr, out);
    if (row.name == "JSON_EXISTS" &&
        (expr.onError == CSqlExpr::JsonHandler::True || expr.onError == CSqlExpr::JsonHandler::Error))
        return HandledJsonExists(expr, out);
    // Note: a wrapper gathers what the path finds, wildcards and all.
    static constexpr JsonRow kWrapped[] = {{"JSON_QUERY", "ORA_JSON_PATH(%1, %2, 'W')", CSqlType::Text, 2},
                                           {"JSON_QUERY", "ORA_JSON_PATH(%1, %2, 'C')", CSqlType::Text, 2}};
    if (row.name == "JSON_QUERY" && expr.jsonWrapper != 0 && &row != &kWrapped[expr.jsonWrapper - 1])
        return Json(expr, kWrapped[expr.jsonWrapper - 1], out);
    if (expr.args.size() != row.arguments || expr.over || expr.distinct) {
        Fail(expr.at, expr.args.size() < row.arguments ? 938 : 939);
        return CSqlType::Unknown;
    }
    std::string args[2];
    for (std::size_t k = 0; k < expr.args.size(); ++k) {
        CSqlType type = k == 0 ? JsonDocument(expr.args[k], args[k]) : Expr(expr.args[k], args[k]);
        if (type == CSqlType::Date) args[k] = "TO_CHAR(" + args[k] + ")";
    }
    std::string_view pattern = row.pattern;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == '%' && k + 1 < pattern.size() && (pattern[k + 1] == '1' || pattern[k + 1] == '2')) {
            out += args[pattern[++k] - '1'];
            continue;
        }
        out += pattern[k];
    }
    return row.type;
}

// The text of a JSON document: a BLOB or RAW column holds the document's
// bytes (as hex digits), read as the UTF-8 text they are.
CSqlType CSqlEmitter::JsonDocument(const CSqlExpr* expr, std::string& out) {
    CValueType full;
    if (!NamedColumnType(*expr, full) || !full.binary) return Expr(expr, out);
    out += "ORA_CAST_TO_VARCHAR2(";
    Expr(expr, out);
    out += ")";
    return CSqlType::Text;
}

bool CSqlEmitter::NamedColumnType(const CSqlExpr& expr, CValueType& full) {
    CSqlType type = CSqlType::Unknown;
    const Typed* typed = nullptr;
    return expr.kind == CSqlExpr::Kind::Name && ResolveQuietly(expr, type, typed, &full);
}

bool CSqlEmitter::Wide(const CSqlExpr& expr) {
    if (expr.kind != CSqlExpr::Kind::Name) return false;
    CSqlType type = CSqlType::Unknown;
    CValueType full;
    return Resolve(expr, type, &full) && full.wide;
}

// Note: SQLite finds a column without the case of its letters, so of two
// columns of one source whose names differ only in case ("a" and A, a
// query's or a view's) it reads the first whichever is named.
bool CSqlEmitter::HasCaseTwin(const Typed& column) const {
    for (const Scope& scope : m_scopes)
        for (const Source& source : scope.sources) {
            const auto& columns = source.columns;
            if (columns.empty() || &column < columns.data() || &column >= columns.data() + columns.size())
                continue;
            const std::string upper = Upper(column.name);
            for (const Typed& other : columns)
                if (other.name != column.name && Upper(other.name) == upper) return true;
            return false;
        }
    return false;
}

CSqlType CSqlEmitter::Name(const CSqlExpr& expr, std::string& out) {
    // DBMS_RANDOM.VALUE written without brackets is the call.
    if (expr.parts.size() == 2 && Upper(expr.parts[0]) == "DBMS_RANDOM" && Upper(expr.parts[1]) == "VALUE")
        return out += kRandomUnit, CSqlType::Number;
    if (expr.parts.size() == 2 && Upper(expr.parts[0]) == "DBMS_RANDOM" && Upper(expr.parts[1]) == "NORMAL")
        return out += "ORA_RANDOM_NORMAL()", CSqlType::Number;
    std::string last = Upper(expr.parts.back());
    if (expr.parts.size() == 2 && (last == "NEXTVAL" || last == "CURRVAL")) {
        out += (last == "NEXTVAL" ? "ORA_NEXTVAL(" : "ORA_CURRVAL(") + Quote(expr.parts[0]) + ")";
        return CSqlType::Number;
    }
    if (FloatConstant(expr, out)) return CSqlType::Number;
    CSqlType type = CSqlType::Unknown;
    const Typed* column = nullptr;
    if (Resolve(expr, type, nullptr, &column)) {
        if (column != nullptr && !column->brokenType.empty())
            return Fail(expr.at, 4063, column->brokenType), type;
        if (column != nullptr && HasCaseTwin(*column))
            return Fail(expr.at, 3001,
                        encoding::Utf8ToCp932("大文字と小文字だけが異なる列名の参照 ") + column->name),
                   type;
        // Note: a view's column in DML through it is written as its table's.
        if (column != nullptr && column->virtualColumn) {
            if (column->expression == nullptr) return Fail(expr.at, 1733), type;
            m_scopes.push_back(Scope{});
            m_scopes.back().sources.push_back(BaseSource(*column->view, false));
            out += "(";
            type = Expr(column->expression, out);
            out += ")";
            m_scopes.pop_back();
            return type;
        }
        // Note: a column of a hierarchy over joined rows is read from them
        // by its own name there (the parent's in a step, under PRIOR).
        if (column != nullptr && !column->hierarchyName.empty()) {
            out += (m_level == Level::Step && m_prior ? m_priorName : m_hierarchy) + ".\"" +
                   column->hierarchyName + "\"";
            return type;
        }
        if (column != nullptr && !column->emitted.empty()) {
            out += column->emitted;
            return type;
        }
        // Note: in a step of a hierarchy a name is the child's, PRIOR's the parent's.
        if (m_level == Level::Step) {
            out += (m_prior ? m_priorName : m_hierarchy) + ".\"" + last + "\"";
            return type;
        }
        std::size_t first = expr.parts.size() > 2 ? expr.parts.size() - 2 : 0;
        for (std::size_t k = first; k < expr.parts.size(); ++k) {
            if (k > first) out += ".";
            out += WrittenName(expr.parts[k]);
        }
        return type;
    }
    if (AttributeRef ref; FindAttribute(expr.parts, ref)) return AttributeText(ref, out);
    if (expr.parts.size() == 1) {
        if (last == "ROWNUM") {
            int block = -1;
            bool inWhere = false;
            for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend(); ++scope)
                if (scope->rownumBlock >= 0) {
                    block = scope->rownumBlock;
                    inWhere = scope->inWhere;
                    break;
                }
            if (block < 0) {
                Fail(expr.at, 976);
                return CSqlType::Unknown;
            }
            out += (inWhere ? "ORA_ROWNUM_PEEK(" : "ORA_ROWNUM_CURRENT(") + std::to_string(block) + ")";
            return CSqlType::Number;
        }
        // Note: USER and UID read the session, as functions of no argument;
        // the invoking user is the session's, no unit running with its
        // owner's rights.
        if (last == "USER" || last == "UID" || last == "ORA_INVOKING_USER" || last == "ORA_INVOKING_USERID") {
            bool user = last == "USER" || last == "ORA_INVOKING_USER";
            out += user ? "ORA_USER()" : "ORA_UID()";
            return user ? CSqlType::Text : CSqlType::Number;
        }
        // Functions of no argument written without brackets that the engine lacks.
        if (expr.parts.size() == 1 && std::find(std::begin(kBareFunctions), std::end(kBareFunctions), last) !=
                                          std::end(kBareFunctions)) {
            Fail(expr.at, 3001, last);
            return CSqlType::Unknown;
        }
        for (const BareRow& row : kBareRows)
            if (last == row.name) return out += row.emitted, row.type;
        if (last == "CONNECT_BY_ISLEAF" && m_level == Level::Rows) {
            out += m_leaf;
            return CSqlType::Number;
        }
        if (last == "CONNECT_BY_ISCYCLE" && m_level == Level::Rows) {
            if (m_cycle.empty()) {
                Fail(expr.at, 30930);
                return CSqlType::Unknown;
            }
            out += m_cycle;
            return CSqlType::Number;
        }
        if (last == "LEVEL") {
            static constexpr const char* kLevels[] = {nullptr, "1", "(TARVEX_P.TARVEX_LEVEL + 1)",
                                                      "TARVEX_LEVEL"};
            const char* level = kLevels[static_cast<int>(m_level)];
            if (level == nullptr) {
                Fail(expr.at, 1788);
                return CSqlType::Unknown;
            }
            // Note: in a step LEVEL is the parent's and one more.
            out += m_level == Level::Step ? "(" + m_priorName + ".TARVEX_LEVEL + 1)" : std::string(level);
            return CSqlType::Number;
        }
    }
    if (last == "ROWID") {
        out += "rowid";
        return CSqlType::Text;
    }
    // Note: a stored function of no argument is called by its name alone.
    if (expr.parts.size() == 1 && m_catalog.HasFunction(last)) return StoredCall(last, expr, out);
    // Note: a type's STATIC functions are called as a package's are.
    if (expr.parts.size() == 2 &&
        (m_catalog.HasPackage(Upper(expr.parts[0])) || m_catalog.HasType(Upper(expr.parts[0]))))
        return PackageCall(Upper(expr.parts[0]) + "." + last, expr, out);
    if (expr.parts.size() >= 3 && JsonDotAccess(expr, out)) return CSqlType::Text;
    // Note: a name no source knows is the server's "invalid identifier".
    std::string shown;
    for (std::size_t k = 0; k < expr.parts.size(); ++k) shown += (k > 0 ? "." : "") + Upper(expr.parts[k]);
    Fail(expr.at, 904, shown);
    return CSqlType::Unknown;
}

// Note: a function's number, date or VARCHAR2 result is described as such
// before any row (a VARCHAR2 as long as one may be); other results are
// described from their values.
static CSqlType DeclaredResultKind(std::string_view result) {
    static constexpr std::pair<std::string_view, CSqlType> kResults[] = {
        {"VARCHAR2", CSqlType::Text},
        {"VARCHAR", CSqlType::Text},
        {"NUMBER", CSqlType::Number},
        {"INTEGER", CSqlType::Number},
        {"PLS_INTEGER", CSqlType::Number},
        {"BINARY_INTEGER", CSqlType::Number},
        {"BINARY_DOUBLE", CSqlType::Number},
        {"FLOAT", CSqlType::Number},
        {"DATE", CSqlType::Date},
    };
    for (const auto& [type, kind] : kResults)
        if (result == type) return kind;
    return CSqlType::Unknown;
}

CSqlType CSqlEmitter::StoredCall(const std::string& name, const CSqlExpr& expr, std::string& out) {
    const std::string result = m_catalog.FunctionResult(name);
    // Note: SQL has no BOOLEAN, and a cursor is no column value here.
    if (result == "PL/SQL BOOLEAN") return Fail(expr.at, 6552, name), CSqlType::Unknown;
    if (result == "REF CURSOR")
        return Fail(expr.at, 3001, encoding::Utf8ToCp932("REF CURSOR を返す関数 ") + name), CSqlType::Unknown;
    if (unsigned long id = 0; m_catalog.DeclaredFunction(name, id) &&
                              (result == "TABLE" || result == "VARRAY" || result == "OBJECT"))
        return Fail(expr.at, 3001,
                    encoding::Utf8ToCp932("コレクションかオブジェクトを返す WITH 句の関数 ") + name),
               CSqlType::Unknown;
    if (Collection collection;
        (result == "TABLE" || result == "VARRAY") &&
        m_catalog.CollectionColumns(name, true, collection.columns, collection.object)) {
        collection.type = m_catalog.FunctionResultType(name);
        std::string document;
        StoredArguments(name, expr, document);
        out += Shown(document, collection);
        return CSqlType::Text;
    }
    if (result == "OBJECT") {
        const std::string type = m_catalog.FunctionResultType(name);
        if (!type.empty() && ObjectShapeOf(type) != nullptr) {
            std::string document;
            StoredArguments(name, expr, document);
            out += ShownObject(document, type);
            return CSqlType::Text;
        }
    }
    StoredArguments(name, expr, out);
    return DeclaredResultKind(result);
}

void CSqlEmitter::StoredArguments(const std::string& name, const CSqlExpr& expr, std::string& out) {
    if (unsigned long id = 0; m_catalog.DeclaredFunction(name, id))
        out +=
            "TARVEX_WITH_CALL(" + std::to_string(id) + ", " + Quote(name) + (expr.args.empty() ? "" : ", ");
    else
        out += "\"" + name + "\"(";
    for (std::size_t k = 0; k < expr.args.size(); ++k) {
        if (k > 0) out += ", ";
        Expr(expr.args[k], out);
    }
    out += ")";
}

// DBMS_LOB's reading functions over a CLOB, as the server's functions of
// text they equal: the arguments in the function's order, the ones left
// out given their defaults.
bool CSqlEmitter::LobCall(const std::string& member, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    struct LobFunction {
        std::string_view member;
        std::string_view function;
        std::size_t required;
        // Where each of the function's arguments comes from, and its default.
        std::array<std::size_t, 4> from;
        std::array<std::string_view, 4> defaults;
        std::size_t count;
    };
    static constexpr LobFunction kFunctions[] = {
        {"GETLENGTH", "LENGTH", 1, {0, 0, 0, 0}, {}, 1},
        {"SUBSTR", "SUBSTR", 1, {0, 2, 1, 0}, {"", "1", "32767", ""}, 3},
        {"INSTR", "INSTR", 2, {0, 1, 2, 3}, {"", "", "1", "1"}, 4},
    };
    const LobFunction* found = nullptr;
    for (const LobFunction& row : kFunctions)
        if (row.member == member) found = &row;
    if (found == nullptr || expr.args.size() < found->required || expr.args.size() > found->count)
        return false;
    if (CValueType full; NamedColumnType(*expr.args[0], full) && full.binary)
        return BinaryLobCall(member, expr, out, type);
    std::vector<CSqlExpr> defaults(found->count);
    CSqlExpr call = expr;
    call.text = found->function;
    call.parts = {found->function};
    call.args.clear();
    for (std::size_t k = 0; k < found->count; ++k) {
        std::size_t source = found->from[k];
        if (source < expr.args.size()) {
            call.args.push_back(expr.args[source]);
            continue;
        }
        defaults[k].kind = CSqlExpr::Kind::Number;
        defaults[k].at = expr.at;
        defaults[k].text = found->defaults[k];
        call.args.push_back(&defaults[k]);
    }
    type = Call(call, out);
    return true;
}

// DBMS_LOB over a BLOB, which holds its bytes as hex digits: lengths and
// offsets count bytes, two digits each.
bool CSqlEmitter::BinaryLobCall(const std::string& member, const CSqlExpr& expr, std::string& out,
                                CSqlType& type) {
    std::string lob;
    Expr(expr.args[0], lob);
    if (member == "GETLENGTH") {
        out += "(length(" + lob + ") / 2)";
        type = CSqlType::Number;
        return true;
    }
    if (member != "SUBSTR") return Fail(expr.at, 3001, "DBMS_LOB." + member + " (BLOB)"), true;
    std::string amount = "32767";
    std::string offset = "1";
    if (expr.args.size() > 1) amount.clear(), Expr(expr.args[1], amount);
    if (expr.args.size() > 2) offset.clear(), Expr(expr.args[2], offset);
    out += "substr(" + lob + ", 2 * ((" + offset + ") - 1) + 1, 2 * (" + amount + "))";
    type = CSqlType::Text;
    return true;
}

CSqlType CSqlEmitter::PackageCall(const std::string& name, const CSqlExpr& expr, std::string& out) {
    std::string call = "TARVEX_CALL(" + Quote(name);
    for (const CSqlExpr* arg : expr.args) {
        call += ", ";
        Expr(arg, call);
    }
    call += ")";
    // Note: a collection or an object comes back as its document; it is
    // shown as the server shows one, TYPE(...).
    const int arguments = static_cast<int>(expr.args.size());
    const std::string result = m_catalog.FunctionResult(name, arguments);
    if (Collection collection;
        (result == "TABLE" || result == "VARRAY") &&
        m_catalog.CollectionColumns(name, true, collection.columns, collection.object, arguments)) {
        collection.type = m_catalog.FunctionResultType(name, arguments);
        out += Shown(call, collection);
        return CSqlType::Text;
    }
    if (result == "OBJECT") {
        const std::string type = m_catalog.FunctionResultType(name, arguments);
        if (!type.empty() && ObjectShapeOf(type) != nullptr) {
            out += ShownObject(call, type);
            return CSqlType::Text;
        }
    }
    out += call;
    return DeclaredResultKind(result);
}

CSqlType CSqlEmitter::Call(const CSqlExpr& expr, std::string& out) {
    std::string name = Upper(expr.text);
    if (expr.parts.size() < 2 && !ConversionArity(name, expr)) return CSqlType::Unknown;
    // Note: a type's STATIC functions are called as a package's are.
    if (expr.parts.size() == 2 &&
        (m_catalog.HasPackage(Upper(expr.parts[0])) || m_catalog.HasType(Upper(expr.parts[0]))))
        return PackageCall(Upper(expr.parts[0]) + "." + name, expr, out);
    if (expr.parts.size() == 2 && Upper(expr.parts[0]) == "DBMS_LOB") {
        CSqlType type = CSqlType::Unknown;
        if (LobCall(name, expr, out, type)) return type;
    }
    if (expr.parts.size() == 2 && Upper(expr.parts[0]) == "UTL_RAW") {
        CSqlType type = CSqlType::Unknown;
        if (RawCall(name, expr, out, type)) return type;
    }
    // Note: DBMS_RANDOM.VALUE, a number from [0, 1) or [low, high), is read
    // in SQL too (ORDER BY DBMS_RANDOM.VALUE draws rows at random).
    if (expr.parts.size() == 2 && Upper(expr.parts[0]) == "DBMS_RANDOM" && name == "VALUE" &&
        (expr.args.empty() || expr.args.size() == 2)) {
        const std::string unit(kRandomUnit);
        if (expr.args.empty()) return out += unit, CSqlType::Number;
        std::string low;
        std::string high;
        Expr(expr.args[0], low);
        Expr(expr.args[1], high);
        out += "ORA_ADD(" + low + ", ORA_MUL(ORA_SUB(" + high + ", " + low + "), " + unit + "))";
        return CSqlType::Number;
    }
    // Note: DBMS_RANDOM.STRING and NORMAL draw as the package's do.
    if (expr.parts.size() == 2 && Upper(expr.parts[0]) == "DBMS_RANDOM" &&
        ((name == "STRING" && expr.args.size() == 2) || (name == "NORMAL" && expr.args.empty()))) {
        if (name == "NORMAL") return out += "ORA_RANDOM_NORMAL()", CSqlType::Number;
        out += "ORA_RANDOM_STRING(";
        Expr(expr.args[0], out);
        out += ", ";
        Expr(expr.args[1], out);
        out += ")";
        return CSqlType::Text;
    }
    if (CSqlType type = CSqlType::Unknown; MemberCall(expr, out, type)) return type;
    if (expr.parts.size() > 1) {
        Fail(expr.at, 3001, Upper(expr.parts[0]) + "." + name);
        return CSqlType::Unknown;
    }
    if (IsFallibleConversion(expr)) return FallibleConversion(expr, out);
    if (name == "CAST" && expr.args.size() > 1) return CastWithModel(expr, out);
    if (CSqlType type = CSqlType::Unknown; FloatCall(name, expr, out, type)) return type;
    if (IsJsonConstructor(name)) return JsonConstructor(expr, name, out);
    if (name == "JSON_SERIALIZE") return JsonSerialize(expr, out);
    if (const JsonRow* json = FindJson(name))
        return name == "JSON_QUERY" ? JsonQuery(expr, *json, out) : Json(expr, *json, out);
    for (std::string_view prefix : kRefusedPrefixes)
        if (name.compare(0, prefix.size(), prefix) == 0 && FindFunction(name) == nullptr &&
            name != "SYS_CONNECT_BY_PATH") {
            Fail(expr.at, 3001, name);
            return CSqlType::Unknown;
        }
    if (name == "GROUPING" || name == "GROUPING_ID") return Grouping(expr, out);
    if ((name == "MIN" || name == "MAX" || name == "SUM" || name == "AVG") && expr.args.size() == 1 &&
        IsIntervalValued(*expr.args[0]))
        return IntervalAggregate(name, expr, out);
    if ((name == "MIN" || name == "MAX") && expr.args.size() == 1 && !expr.over && !expr.distinct &&
        Zoned(*expr.args[0])) {
        // Note: zoned values are least and greatest by their instants; the
        // instant (29 bytes) leads the value it is taken from.
        std::string value;
        ++m_aggregates;
        Expr(expr.args[0], value);
        --m_aggregates;
        out += "substr(" + name + "(ORA_TZ_KEY(" + value + ") || '|' || " + value + "), 31)";
        return CSqlType::Date;
    }
    if (name == "CARDINALITY") return Cardinality(expr, out);
    // Note: the engine's own functions are never collections; only other names are looked up.
    if (FindFunction(name) == nullptr && IsCollection(expr)) return CollectionText(expr, out);
    if (name == "EXTRACT" || name == "CAST") return Special(expr, out);
    if (name == "GREATEST" || name == "LEAST") return Extreme(expr, out);
    if (name == "SYS_CONNECT_BY_PATH") return HierarchyColumn(expr, out);
    if (CSqlType type = CSqlType::Unknown; Extended(name, expr, out, type)) return type;
    // Note: TO_DSINTERVAL's NLS parameter changes nothing.
    if (name == "TO_DSINTERVAL" && expr.args.size() == 2) {
        out += "ORA_TO_DSINTERVAL(";
        Expr(expr.args[0], out);
        return out += ")", CSqlType::Text;
    }
    const FunctionRow* row = FindFunction(name);
    if (row == nullptr && m_catalog.HasFunction(name)) return StoredCall(name, expr, out);
    if (row == nullptr && ObjectShapeOf(name) != nullptr) {
        std::string document;
        if (!ConstructedObject(expr, name, document)) return CSqlType::Unknown;
        out += ShownObject(document, name);
        return CSqlType::Text;
    }
    // Note: the inverse distributions are ordered-set functions only.
    if (row == nullptr && (name == "PERCENTILE_CONT" || name == "PERCENTILE_DISC")) {
        Fail(expr.at, 2000, "WITHIN");
        return CSqlType::Unknown;
    }
    if (row == nullptr) {
        Fail(expr.at, IsServerFunction(name) ? 3001 : 100904, name);
        return CSqlType::Unknown;
    }
    // Note: SQLite's windows take no DISTINCT (but for COUNT, SUM and AVG,
    // the engine's own, over a whole partition), nor the engine's LISTAGG.
    if (expr.over && expr.distinct && (name == "COUNT" || name == "SUM" || name == "AVG") &&
        expr.args.size() == 1) {
        if (!expr.windowOrder.empty()) return Fail(expr.at, 30487), CSqlType::Unknown;
        out += "ORA_" + name + "_DISTINCT(";
        Expr(expr.args[0], out);
        out += ") " + Window(expr, false);
        return CSqlType::Number;
    }
    if (expr.over && expr.distinct && name != "LISTAGG") {
        Fail(expr.at, 3001, name + "(DISTINCT ...) OVER");
        return CSqlType::Unknown;
    }
    // Note: LISTAGG's window is a partition, its order the WITHIN GROUP's.
    if (expr.over && name == "LISTAGG" && (!expr.windowOrder.empty() || !expr.frameUnit.empty())) {
        Fail(expr.at, 30487);
        return CSqlType::Unknown;
    }
    bool cut = name == "LISTAGG" && expr.truncateOnOverflow;
    const std::size_t start = out.size();
    out += cut ? std::string_view("ORA_LISTAGG_CUT") : (row->emitted.empty() ? row->name : row->emitted);
    bool ownDistinct = name == "LISTAGG" && expr.distinct;
    out += ownDistinct ? "_DISTINCT(" : "(";
    if (expr.distinct && !ownDistinct) out += "DISTINCT ";
    if (expr.starArgument) out += "*";
    std::vector<CSqlType> types;
    // Note: an aggregate's arguments are the rows' own values.
    const bool aggregate = !expr.over && std::find(std::begin(kAggregates), std::end(kAggregates), name) !=
                                             std::end(kAggregates);
    m_aggregates += aggregate ? 1 : 0;
    for (std::size_t k = 0; k < expr.args.size(); ++k) {
        if (k > 0) out += ", ";
        if (k == 1 && expr.detail == "FROM") {
            types.push_back(TrimCharacter(*expr.args[k], out));
            continue;
        }
        std::string argument;
        if (std::string model; k == 1 && name == "TO_CHAR" && types[0] == CSqlType::Date &&
                               PlainLiteral(expr.args[1]->text, model)) {
            bool zoned = false;
            const int digits = Fraction(*expr.args[0], zoned);
            // Note: a DATE has no fraction of a second to write.
            if (digits < 0 && IsPlainDate(*expr.args[0]) && CDateFormat::NamesFraction(model)) {
                Fail(expr.args[1]->at, 1821);
                return CSqlType::Unknown;
            }
            if (digits >= 0 && digits < 9) {
                out += Quote(CDateFormat::WithFractionDigits(model, digits));
                types.push_back(CSqlType::Text);
                continue;
            }
        }
        types.push_back(Expr(expr.args[k], argument));
        // Note: a text (or a bind, whose type is the value's) where a number
        // is read converts as in arithmetic; a number costs nothing.
        if ((IsText(types.back()) || types.back() == CSqlType::Unknown) &&
            expr.args[k]->kind != CSqlExpr::Kind::Null && IsNumericArgument(name, k, types[0]))
            argument = "TO_NUMBER(" + argument + ", " + Position(expr.args[k]->at) + ")";
        out += argument;
    }
    m_aggregates -= aggregate ? 1 : 0;
    if (name == "TO_CHAR" && !types.empty()) m_toCharArguments[&expr] = types[0];
    if (name == "TO_CHAR" && types.size() == 1 && types[0] == CSqlType::Number)
        out.replace(start, 7, "ORA_NUMBER_TEXT");
    // Note: a TIMESTAMP without a model is written by the session's
    // NLS_TIMESTAMP_FORMAT (NLS_TIMESTAMP_TZ_FORMAT with a zone).
    bool zone = false;
    int digits = name == "TO_CHAR" && types.size() == 1 && types[0] == CSqlType::Date
                     ? Fraction(*expr.args[0], zone)
                     : -1;
    if (digits >= 0) {
        out.replace(start, 7, "ORA_TS_TEXT");
        out += ", " + std::to_string(digits) + (zone ? ", 1" : ", 0");
    }
    // Note: long numbers have no order in SQLite; their least and greatest
    // are found as exact decimals.
    if ((name == "MIN" || name == "MAX") && !expr.over && types.size() == 1 && types[0] == CSqlType::Number &&
        (Wide(*expr.args[0]) || IsComputed(*expr.args[0])))
        out.replace(start, 3, name == "MIN" ? "ORA_MIN" : "ORA_MAX");
    // Note: a conversion that fails points at the value it converts.
    if (name == "TO_TIMESTAMP" && expr.args.size() == 1) {
        out.replace(start, 7, "ORA_TO_TIMESTAMP");
        out += ", " + Position(expr.args[0]->at);
    } else if (name == "TO_DATE" || name == "TO_TIMESTAMP" || name == "TO_TIMESTAMP_TZ") {
        if (expr.args.size() == 1) out += ", NULL";
        out += ", " + Position(expr.args.empty() ? expr.at : expr.args[0]->at);
    }
    if (name == "TO_NUMBER" && !expr.args.empty()) out += ", " + Position(expr.args[0]->at);
    if (name == "LISTAGG") {
        if (expr.args.size() == 1) out += ", NULL";
        if (cut) {
            std::string_view indicator = expr.overflowIndicator;
            out += ", " + (indicator.empty() ? std::string("'...'") : std::string(indicator)) + ", " +
                   (expr.overflowCount ? "1" : "0");
        }
        for (const auto& item : expr.withinGroup) {
            out += ", ";
            Expr(item.expr, out);
            out += item.descending ? ", 1" : ", 0";
        }
    }
    out += ")";
    if (expr.over) out += " " + Window(expr, name != "LISTAGG");
    switch (row->result) {
        case Result::Number:
            return CSqlType::Number;
        case Result::Text:
            return CSqlType::Text;
        case Result::Date:
            return CSqlType::Date;
        case Result::FirstArgument:
            return types.empty() ? CSqlType::Unknown
                                 : (types[0] == CSqlType::Char ? CSqlType::Text : types[0]);
        case Result::SecondArgument:
            return types.size() < 2 ? CSqlType::Unknown : types[1];
        case Result::Unknown:
            if (name == "DECODE" && types.size() >= 3) return types[2];
            return CSqlType::Unknown;
    }
    return CSqlType::Unknown;
}

CSqlType CSqlEmitter::TrimCharacter(const CSqlExpr& set, std::string& out) {
    // Note: TRIM's FROM form removes one character, never a set (ORA-30001).
    if (set.kind == CSqlExpr::Kind::String) {
        std::string value = CSqlScanner::LiteralText(set.text);
        std::size_t characters = 0;
        for (std::size_t k = 0; k < value.size(); k += cp932::IsLeadByte(value[k]) ? 2 : 1) ++characters;
        if (characters > 1) return Fail(set.at, 30001), CSqlType::Unknown;
        return Expr(&set, out);
    }
    std::string text;
    CSqlType type = Expr(&set, text);
    out += "(CASE WHEN LENGTH(" + text + ") > 1 THEN ORA_RAISE(30001) ELSE " + text + " END)";
    return type;
}

CSqlType CSqlEmitter::Extreme(const CSqlExpr& expr, std::string& out) {
    std::string name = Upper(expr.text);
    if (expr.args.empty()) {
        Fail(expr.at, 938);
        return CSqlType::Unknown;
    }
    std::vector<std::string> args(expr.args.size());
    std::vector<CSqlType> types;
    for (std::size_t k = 0; k < expr.args.size(); ++k) types.push_back(Expr(expr.args[k], args[k]));
    CSqlType first = types[0];
    for (std::size_t k = 1; k < args.size(); ++k) {
        if (first == CSqlType::Number && IsText(types[k]))
            args[k] = "TO_NUMBER(" + args[k] + ", " + std::to_string(expr.args[k]->at) + ")";
        else if (first == CSqlType::Date && IsText(types[k]))
            args[k] = "TO_DATE(" + args[k] + ", NULL, " + std::to_string(expr.args[k]->at) + ")";
        else if (IsText(first) && (types[k] == CSqlType::Number || types[k] == CSqlType::Date))
            args[k] = "TO_CHAR(" + args[k] + ")";
    }
    out += (first == CSqlType::Number ? "ORA_NUM_" : "ORA_TEXT_") + name + "(";
    for (std::size_t k = 0; k < args.size(); ++k) out += (k > 0 ? ", " : "") + args[k];
    out += ")";
    return first == CSqlType::Char ? CSqlType::Text : first;
}

CSqlType CSqlEmitter::Special(const CSqlExpr& expr, std::string& out) {
    std::string argument;
    CSqlType type = Expr(expr.args[0], argument);
    if (Upper(expr.text) == "EXTRACT") {
        std::string field = Upper(expr.detail);
        constexpr std::string_view kFields[] = {"YEAR",          "MONTH",           "DAY",
                                                "HOUR",          "MINUTE",          "SECOND",
                                                "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TIMEZONE_REGION",
                                                "TIMEZONE_ABBR"};
        if (std::find(std::begin(kFields), std::end(kFields), field) == std::end(kFields)) {
            Fail(expr.at, 3001, "EXTRACT(" + field + ")");
            return CSqlType::Unknown;
        }
        // Note: a zoned value's fields are its instant's in UTC; a zone's
        // fields are read from the value's zone.
        bool zoneField = field.starts_with("TIMEZONE_");
        // Note: a block's variable comes as a bind whose type is its value's;
        // a zone's field of one without a zone is refused when it is read.
        bool bound = expr.args[0]->kind == CSqlExpr::Kind::Bind && type == CSqlType::Unknown;
        if ((type == CSqlType::Date || bound) && (zoneField || Zoned(*expr.args[0]))) {
            out += "ORA_EXTRACT_TZ('" + field + "', " + argument + ")";
            return field == "TIMEZONE_REGION" || field == "TIMEZONE_ABBR" ? CSqlType::Text : CSqlType::Number;
        }
        if (zoneField) return Fail(expr.at, 30076), CSqlType::Unknown;
        // Note: a DATE has no time fields for EXTRACT, only YEAR, MONTH and DAY.
        if (type == CSqlType::Date && field != "YEAR" && field != "MONTH" && field != "DAY" &&
            IsPlainDate(*expr.args[0]))
            return Fail(expr.at, 30076), CSqlType::Unknown;
        // Note: a text is a date, or an interval as intervals travel.
        std::string value = IsText(type) ? "CASE WHEN ORA_IS_INTERVAL(" + argument + ") THEN " + argument +
                                               " ELSE TO_DATE(" + argument + ") END"
                                         : argument;
        out += "ORA_EXTRACT('" + field + "', " + value + ")";
        return CSqlType::Number;
    }
    // CAST: the value converted and held as a column of that type holds it.
    CSqliteCatalog::Column column = CSqliteCatalog::Describe("CAST", expr.detail);
    std::string at = std::to_string(expr.at);
    if (column.interval) return out += StoreInterval(column, argument), CSqlType::Text;
    switch (column.type) {
        case CSqlType::Number:
            out += "ORA_STORE_NUMBER(" + argument + ", " + std::to_string(column.precision) + ", " +
                   std::to_string(column.scale) + ", 'CAST', " + at + ")";
            return CSqlType::Number;
        case CSqlType::Text:
        case CSqlType::Char:
            out += "ORA_STORE_TEXT(" + AsText(type, argument) + ", " + std::to_string(column.length) + ", " +
                   (column.charSemantics ? "1" : "0") + ", " + (column.type == CSqlType::Char ? "1" : "0") +
                   ", 'CAST', " + at + ")";
            return column.type;
        case CSqlType::Date:
            // Note: a value WITH LOCAL TIME ZONE is read in the session's zone.
            if (column.zone == CSqliteCatalog::Column::kLocalZone)
                out += "ORA_LTZ(" + StoreDate(column, argument, at) + ")";
            else
                out += StoreDate(column, argument, at);
            return CSqlType::Date;
        case CSqlType::Unknown:
            break;
    }
    Fail(expr.at, 902);
    return CSqlType::Unknown;
}

CSqlType CSqlEmitter::Binary(const CSqlExpr& expr, std::string& out) {
    std::string_view op = expr.text;
    if (op == "AND" || op == "OR") {
        out += "(";
        Expr(expr.args[0], out);
        out += " " + std::string(op) + " ";
        Expr(expr.args[1], out);
        out += ")";
        return CSqlType::Number;
    }
    const auto possible = [](const CSqlExpr& side) {
        return side.kind == CSqlExpr::Kind::Multiset || side.kind == CSqlExpr::Kind::Name ||
               (side.kind == CSqlExpr::Kind::Call && FindFunction(side.text) == nullptr);
    };
    if ((op == "=" || op == "<>") && possible(*expr.args[0]) && possible(*expr.args[1]) &&
        IsCollection(*expr.args[0]) && IsCollection(*expr.args[1]))
        return CollectionsEqual(expr, out);
    if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=")
        return Compare(op, expr.args[0], expr.args[1], out);
    if (IntervalOperation(expr, out)) return CSqlType::Text;
    if ((op == "+" || op == "-") && (IsInterval(expr.args[1]) || (op == "+" && IsInterval(expr.args[0]))))
        return IntervalArithmetic(expr, out);
    // Note: an interval known only at run time (a call, a column, a sum of
    // intervals) moves a date as a literal does.
    const auto runTime = [this](const CSqlExpr* side) {
        return !IsInterval(side) && IsIntervalValued(*side);
    };
    if ((op == "+" || op == "-") && (runTime(expr.args[1]) || (op == "+" && runTime(expr.args[0])))) {
        bool intervalFirst = runTime(expr.args[0]);
        std::string date;
        std::string interval;
        CSqlType type = Expr(expr.args[intervalFirst ? 1 : 0], date);
        Expr(expr.args[intervalFirst ? 0 : 1], interval);
        if (type == CSqlType::Number)
            return Fail(expr.args[intervalFirst ? 1 : 0]->at, 932), CSqlType::Unknown;
        if (IsText(type)) date = "TO_DATE(" + date + ")";
        out += "ORA_ADD_INTERVAL(" + date + ", " + interval + ", " + (op == "-" ? "-1" : "1") + ")";
        return CSqlType::Date;
    }
    std::string left;
    std::string right;
    CSqlType lt = Expr(expr.args[0], left);
    CSqlType rt = Expr(expr.args[1], right);
    if (op == "||") {
        // Note: a date joins text in the session's date format.
        out += "ORA_CONCAT(" + AsText(lt, left) + ", " + AsText(rt, right) + ")";
        return CSqlType::Text;
    }
    // Note: a date moves by the difference of two timestamps as by any
    // interval.
    auto difference = [](const std::string& text) {
        return text.starts_with("ORA_TS_DIFF(") || text.starts_with("(ORA_TS_DIFF(");
    };
    if ((op == "+" || op == "-") && lt == CSqlType::Date && IsText(rt) && difference(right)) {
        out += "ORA_ADD_INTERVAL(" + left + ", " + right + ", " + (op == "-" ? "-1" : "1") + ")";
        return CSqlType::Date;
    }
    if (op == "+" && rt == CSqlType::Date && IsText(lt) && difference(left)) {
        out += "ORA_ADD_INTERVAL(" + right + ", " + left + ", 1)";
        return CSqlType::Date;
    }
    if (lt != CSqlType::Date && rt != CSqlType::Date && FloatArithmetic(expr, left, right, out))
        return CSqlType::Number;
    // Text in arithmetic is read as a number, as the server converts it.
    if (IsText(lt)) left = "TO_NUMBER(" + left + ", " + std::to_string(expr.args[0]->at) + ")";
    if (IsText(rt)) right = "TO_NUMBER(" + right + ", " + std::to_string(expr.args[1]->at) + ")";
    bool leftZone = false;
    bool rightZone = false;
    // Note: with a TIMESTAMP on either side, "-" of two dates is an
    // INTERVAL DAY(9) TO SECOND(9); DATE - DATE stays a number of days.
    if (op == "-" && lt == CSqlType::Date && rt == CSqlType::Date &&
        (Fraction(*expr.args[0], leftZone) >= 0 || Fraction(*expr.args[1], rightZone) >= 0)) {
        out += "ORA_TS_DIFF(" + left + ", " + right + ")";
        return CSqlType::Text;
    }
    if (op == "+" || op == "-") {
        out += "ORA_" + std::string(op == "+" ? "ADD(" : "SUB(") + left + ", " + right + ")";
        if (lt == CSqlType::Date && rt == CSqlType::Date)
            return op == "-" ? CSqlType::Number : CSqlType::Date;
        if (lt == CSqlType::Date || (rt == CSqlType::Date && op == "+")) return CSqlType::Date;
        if (lt == CSqlType::Unknown || rt == CSqlType::Unknown) return CSqlType::Unknown;
        return CSqlType::Number;
    }
    // Note: products and quotients are exact decimals, as on the server.
    if (op == "*") {
        out += "ORA_MUL(" + left + ", " + right + ")";
        return CSqlType::Number;
    }
    if (op == "/") {
        // Note: a division by zero is reported at the operator.
        out += "ORA_DIV(" + left + ", " + right + ", " + std::to_string(expr.opAt) + ")";
        return CSqlType::Number;
    }
    out += "(" + left + " " + std::string(op) + " " + right + ")";
    return CSqlType::Number;
}

CSqlType CSqlEmitter::Compare(std::string_view op, const CSqlExpr* leftExpr, const CSqlExpr* rightExpr,
                              std::string& out) {
    if (std::string object; IsObject(*leftExpr, object) || IsObject(*rightExpr, object)) {
        // Note: objects are equal or not; they have no order without a MAP or ORDER method.
        bool equality = op == "=" || op == "<>" || op == "!=" || op == "^=";
        CompareObjects(!equality ? op : op == "=" ? "=" : "<>", *leftExpr, *rightExpr, out);
        return CSqlType::Number;
    }
    if (FloatComparison(op, *leftExpr, *rightExpr, out)) return CSqlType::Number;
    std::string left;
    std::string right;
    CSqlType lt = Expr(leftExpr, left);
    CSqlType rt = Expr(rightExpr, right);
    // Note: intervals compare by their lengths, not by the text of their
    // precision and sign.
    if (IsIntervalValued(*leftExpr) || IsIntervalValued(*rightExpr)) {
        out += "(ORA_INTERVAL_CMP(" + left + ", " + right + ") " + std::string(op) + " 0)";
        return CSqlType::Number;
    }
    Convert(lt, rt, left, right);
    // Note: zoned values compare by their instants.
    if (lt == CSqlType::Date && rt == CSqlType::Date && (Zoned(*leftExpr) || Zoned(*rightExpr))) {
        left = "ORA_TZ_KEY(" + left + ")";
        right = "ORA_TZ_KEY(" + right + ")";
    }
    // Note: a computed number may hold more digits than a double; such
    // operands are compared as exact decimals.
    // A column's long values are ordered so too; its values, one form each,
    // are equal as SQLite compares them.
    bool ordering = op != "=" && op != "<>";
    // A bind meets such a column's values in their stored form (a long
    // number's digits), still as one value so that an index finds it.
    if (!ordering && Wide(*leftExpr) && rightExpr->kind == CSqlExpr::Kind::Bind)
        StoredForm(*rightExpr, right);
    if (!ordering && Wide(*rightExpr) && leftExpr->kind == CSqlExpr::Kind::Bind) StoredForm(*leftExpr, left);
    if (lt == CSqlType::Number && rt == CSqlType::Number &&
        (IsComputed(*leftExpr) || IsComputed(*rightExpr) ||
         (ordering && (Wide(*leftExpr) || Wide(*rightExpr))))) {
        out += "(ORA_NUMCMP(" + left + ", " + right + ") " + std::string(op) + " 0)";
        return CSqlType::Number;
    }
    out += "(" + left + " " + std::string(op) + " " + right + ")";
    return CSqlType::Number;
}

void CSqlEmitter::StoredForm(const CSqlExpr& bind, std::string& value) {
    value = "ORA_STORE_NUMBER(" + value + ", 0, " + std::to_string(CSqliteValueFunctions::kNoScale) + ", '" +
            std::string(bind.text) + "', " + std::to_string(bind.at) + ")";
}

bool CSqlEmitter::BrokenView(const std::string& name) {
    std::string text;
    bool readOnly = false;
    bool checkOption = false;
    return m_catalog.View(name, text, readOnly, checkOption);
}

CSqlType CSqlEmitter::Quantified(const CSqlExpr& expr, std::string& out) {
    std::string left;
    CSqlType lt = Expr(expr.args[0], left);
    std::vector<Typed> columns;
    std::string query;
    if (!Query(*expr.query, query, &columns) || columns.size() != 1) {
        if (columns.size() > 1) Fail(expr.query->at, 913);
        return CSqlType::Unknown;
    }
    // The subquery's column is renamed so that an outer column of the same
    // name on the left ("sal > ALL (SELECT sal ...)") is not captured by it.
    std::string rows = "(SELECT \"" + columns[0].name + "\" AS TARVEX_QV FROM (" + query + ")) TARVEX_Q";
    std::string right = "TARVEX_Q.TARVEX_QV";
    Convert(lt, columns[0].type.kind, left, right);
    std::string comparison = "(" + left + " " + std::string(expr.text) + " " + right + ")";
    // Note: ALL holds when no row answers otherwise (NULL answers otherwise).
    out += expr.negated ? "NOT EXISTS (SELECT 1 FROM " + rows + " WHERE " + comparison + " IS NOT 1)"
                        : "EXISTS (SELECT 1 FROM " + rows + " WHERE " + comparison + ")";
    return CSqlType::Number;
}

void CSqlEmitter::Convert(CSqlType lt, CSqlType rt, std::string& left, std::string& right) {
    // The server's implicit conversions: text meets a number as a number,
    // a date as a date; CHAR meets CHAR or a literal blank-padded.
    if (lt == CSqlType::Number && IsText(rt)) right = "TO_NUMBER(" + right + ")";
    if (rt == CSqlType::Number && IsText(lt)) left = "TO_NUMBER(" + left + ")";
    if (lt == CSqlType::Date && IsText(rt)) right = "TO_DATE(" + right + ")";
    if (rt == CSqlType::Date && IsText(lt)) left = "TO_DATE(" + left + ")";
    if (lt == CSqlType::Char && rt == CSqlType::Char) {
        left = "RTRIM(" + left + ", ' ')";
        right = "RTRIM(" + right + ", ' ')";
    }
}

CSqlType CSqlEmitter::Case(const CSqlExpr& expr, std::string& out) {
    bool simple = expr.text == "SIMPLE";
    bool hasElse = expr.negated;
    std::size_t k = 0;
    out += "CASE";
    if (simple) {
        out += " ";
        Expr(expr.args[k++], out);
    }
    CSqlType type = CSqlType::Unknown;
    std::size_t pairsEnd = expr.args.size() - (hasElse ? 1 : 0);
    for (; k + 1 < pairsEnd + 1 && k < pairsEnd; k += 2) {
        out += " WHEN ";
        Expr(expr.args[k], out);
        out += " THEN ";
        CSqlType result = Expr(expr.args[k + 1], out);
        if (type == CSqlType::Unknown) type = result;
    }
    if (hasElse) {
        out += " ELSE ";
        CSqlType result = Expr(expr.args.back(), out);
        if (type == CSqlType::Unknown) type = result;
    }
    out += " END";
    return type == CSqlType::Char ? CSqlType::Text : type;
}

bool CSqlEmitter::Store(const CSqliteCatalog::Column& column, std::string_view table, const CSqlExpr* value,
                        std::string& out) {
    if (!column.collection.empty()) return StoreCollection(column, *value, out);
    if (!column.objectType.empty()) return StoreObject(column, *value, out);
    if (!column.brokenType.empty()) return Fail(value->at, 4063, column.brokenType);
    if (StoreLiteral(column, table, *value, out)) return !m_failed;
    std::string text;
    CSqlType type = CSqlType::Unknown;
    const bool slotted = m_slots != nullptr && SlottedValue(*value, text, type);
    if (!slotted) type = Expr(value, text);
    std::string name = Quote(Upper(table) + "." + column.name);
    m_positionSlots = slotted;
    std::string at = Position(value->at);
    m_positionSlots = false;
    // Note: a key column never holds NULL, whatever its type.
    if (column.primaryKey) text = "ORA_REQUIRE(" + text + ", " + name + ")";
    std::string stored = StoreValue(column, type, text, name, at);
    // Note: a column that reports no offset (an INTERVAL) leaves its slot unused.
    if (slotted && !Mentions(stored, at)) m_slots->pop_back();
    out += stored;
    m_slotted += slotted && !m_failed ? 1 : 0;
    return !m_failed;
}

std::string CSqlEmitter::StoreValue(const CSqliteCatalog::Column& column, CSqlType given,
                                    const std::string& value, const std::string& name,
                                    const std::string& at) {
    if (column.floatWidth != 0) return StoreFloat(column.floatWidth, value, at);
    if (column.interval) return StoreInterval(column, value);
    switch (column.type) {
        case CSqlType::Number:
            return "ORA_STORE_NUMBER(" + value + ", " + std::to_string(column.precision) + ", " +
                   std::to_string(column.scale) + ", " + name + ", " + at + ")";
        case CSqlType::Text:
        case CSqlType::Char:
            return "ORA_STORE_TEXT(" + AsText(given, value) + ", " + std::to_string(column.length) + ", " +
                   (column.charSemantics ? "1" : "0") + ", " + (column.type == CSqlType::Char ? "1" : "0") +
                   ", " + name + ", " + at + ")";
        case CSqlType::Date:
            return StoreDate(column, value, at);
        case CSqlType::Unknown:
            // Note: a BLOB or RAW takes text as hex digits (ORA-01465 for others), as the server does.
            if (column.binary && column.collection.empty() && column.objectType.empty())
                return "ORA_STORE_RAW(" + value + ", " + at + ")";
            break;
    }
    return value;
}

std::string CSqlEmitter::StoreInterval(const CSqliteCatalog::Column& column, const std::string& value) {
    return "ORA_STORE_INTERVAL(" + value + ", " + (column.yearToMonth ? "1" : "0") + ", " +
           std::to_string(column.precision) + ", " + std::to_string(column.scale) + ")";
}

bool CSqlEmitter::IsDefault(const CSqlExpr& value) {
    return value.kind == CSqlExpr::Kind::Name && value.parts.size() == 1 && !value.parts[0].empty() &&
           value.parts[0].front() != '"' && Upper(value.parts[0]) == "DEFAULT";
}

std::string CSqlEmitter::ColumnDefault(const CSqliteCatalog::Column& column, const std::string& table) {
    // Note: an identity column's default is its next number.
    if (!column.identity.empty())
        return "ORA_NEXTVAL('" + CSqliteCatalog::IdentitySequence(table, column.name) + "')";
    return column.defaultValue.empty() ? std::string("NULL") : "(" + column.defaultValue + ")";
}

bool CSqlEmitter::StoreLiteral(const CSqliteCatalog::Column& column, std::string_view table,
                               const CSqlExpr& value, std::string& out) {
    // Note: a number after a minus sign is a literal of its own: -5 is stored as 5 is.
    const bool negative = value.kind == CSqlExpr::Kind::Unary && value.text == "-" &&
                          value.args.size() == 1 && value.args[0]->kind == CSqlExpr::Kind::Number;
    const CSqlExpr& literal = negative ? *value.args[0] : value;
    CLiteralStore::Value stored;
    CLiteralStore::Refusal refusal;
    switch (CLiteralStore::Take(column, literal.kind, literal.text, stored, refusal, negative)) {
        case CLiteralStore::Outcome::NotTaken:
            return false;
        case CLiteralStore::Outcome::Refused:
            Fail(value.at, refusal.code, Upper(table) + "." + column.name);
            if (!refusal.args.empty()) m_failure.args = std::move(refusal.args);
            return true;
        case CLiteralStore::Outcome::Stored:
            break;
    }
    if (m_slots == nullptr) {
        out += stored.number ? stored.text : Quote(stored.text);
        return true;
    }
    const bool real = stored.real;
    std::string parameter = AddSlot(LiteralSlot{literal.at, column, Upper(table), std::move(stored),
                                                LiteralSlot::Role::Stored, value.at, negative, false});
    out += real ? "CAST(" + parameter + " AS REAL)" : parameter;
    ++m_slotted;
    return true;
}

bool CSqlEmitter::Insert(const CSqlStatement& statement, std::string& out) {
    std::vector<std::string> names;
    std::size_t body = std::string::npos;
    if (!InsertRows(statement, out, names, body)) return false;
    return !statement.partition.given || InsertIntoPartition(statement, names, body, out);
}

bool CSqlEmitter::InsertIntoPartition(const CSqlStatement& statement, const std::vector<std::string>& names,
                                      std::size_t body, std::string& out) {
    std::string table = Upper(statement.table.back());
    std::vector<std::string> keys;
    std::vector<std::string> partitions;
    if (!m_catalog.Partitioning(table, keys, partitions)) return Fail(statement.partition.at, 14501, table);
    if (body == std::string::npos) return Fail(statement.partition.at, 3001, "INSERT ... DEFAULT VALUES");
    // Note: the rows are named P0, P1 ... and pass only when their key maps
    // to the partition named; a key column left out takes its default.
    const auto* columns = m_catalog.Columns(table);
    std::vector<std::string> values;
    for (const std::string& key : keys) {
        auto found = std::find(names.begin(), names.end(), key);
        if (found != names.end()) {
            values.push_back("P" + std::to_string(found - names.begin()));
            continue;
        }
        std::string fallback = "NULL";
        for (const auto& column : *columns)
            if (column.name == key && column.identity.empty()) fallback = ColumnDefault(column, table);
        values.push_back(fallback);
    }
    std::string condition;
    if (!PartitionCondition(statement.table.back(), statement.partition, condition, &values)) return false;
    std::string rows = out.substr(body);
    out.resize(body);
    out += "WITH TARVEX_PART(";
    for (std::size_t k = 0; k < names.size(); ++k) out += (k > 0 ? ", P" : "P") + std::to_string(k);
    out += ") AS (" + rows + ") SELECT * FROM TARVEX_PART WHERE CASE WHEN " + condition +
           " THEN 1 ELSE ORA_RAISE(14401) END";
    return true;
}

bool CSqlEmitter::InsertRows(const CSqlStatement& statement, std::string& out,
                             std::vector<std::string>& names, std::size_t& body) {
    if (ViewTarget* view = ViewOf(statement.table.back(), statement.tableAt, "INSERT"))
        return view->joined ? JoinedInsert(statement, *view, out) : InsertIntoView(statement, *view, out);
    if (m_failed) return false;
    std::string table = Upper(statement.table.back());
    const auto* columns = m_catalog.Columns(table);
    if (columns == nullptr) return Fail(statement.tableAt, 942, table);
    if (!Writable(table, statement.tableAt)) return false;
    std::vector<const CSqliteCatalog::Column*> targets;
    if (statement.columns.empty()) {
        for (const auto& column : *columns)
            if (!column.hidden) targets.push_back(&column);
    } else {
        for (std::size_t k = 0; k < statement.columns.size(); ++k) {
            std::string name = Upper(statement.columns[k]);
            const CSqliteCatalog::Column* found = nullptr;
            for (const auto& column : *columns)
                if (column.name == name) found = &column;
            if (found == nullptr) return Fail(statement.columnAt[k], 904, name);
            targets.push_back(found);
        }
    }
    // Identity columns: numbered when left out (or NULL, ON NULL); an ALWAYS
    // one takes no value. DEFAULT in VALUES leaves its column out.
    bool values = statement.query == nullptr;
    // Note: MERGE's INSERT VALUES is a query of the source's rows; a
    // DEFAULT there leaves its column out as in VALUES.
    CSqlSelect rowsWithoutDefaults;
    const CSqlSelect* rows = statement.query;
    std::vector<bool> defaulted(targets.size(), false);
    if (!values && rows->next == nullptr && rows->items.size() == targets.size()) {
        rowsWithoutDefaults = *rows;
        rowsWithoutDefaults.items.clear();
        for (std::size_t k = 0; k < targets.size(); ++k) {
            defaulted[k] = IsDefault(*rows->items[k].expr);
            if (!defaulted[k]) rowsWithoutDefaults.items.push_back(rows->items[k]);
        }
        rows = &rowsWithoutDefaults;
    }
    if (values && statement.values.size() > targets.size())
        return Fail(statement.values[targets.size()]->at, 913);
    if (values && statement.values.size() < targets.size()) return Fail(statement.tableAt, 947);
    std::vector<const CSqliteCatalog::Column*> listed;
    std::vector<const CSqlExpr*> given;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const CSqlExpr* value = values ? statement.values[k] : nullptr;
        if ((value != nullptr && IsDefault(*value)) || defaulted[k]) continue;
        if (targets[k]->identity == "ALWAYS")
            return Fail(statement.columnAt.empty() ? statement.tableAt : statement.columnAt[k], 32795,
                        targets[k]->name);
        if (targets[k]->virtualColumn)
            return Fail(statement.columnAt.empty() ? statement.tableAt : statement.columnAt[k], 54013);
        listed.push_back(targets[k]);
        given.push_back(value);
    }
    std::vector<const CSqliteCatalog::Column*> numbered;
    for (const auto& column : *columns)
        if (!column.identity.empty() && std::find(listed.begin(), listed.end(), &column) == listed.end())
            numbered.push_back(&column);
    auto next = [&](const CSqliteCatalog::Column& column) {
        return "ORA_NEXTVAL('" + CSqliteCatalog::IdentitySequence(table, column.name) + "')";
    };
    out += "INSERT INTO " + WrittenName(statement.table.back());
    if (listed.empty() && numbered.empty()) {
        out += " DEFAULT VALUES";
        return values ? true : Fail(statement.tableAt, 947);
    }
    // Note: every column in order needs no list (the engine parses less).
    bool whole = numbered.empty() && listed.size() == columns->size();
    for (std::size_t k = 0; whole && k < listed.size(); ++k) whole = listed[k] == &(*columns)[k];
    for (const auto* column : listed) names.push_back(column->name);
    for (const auto* column : numbered) names.push_back(column->name);
    if (whole) {
        out += " ";
    } else {
        out += " (";
        for (std::size_t k = 0; k < listed.size(); ++k)
            out += (k > 0 ? ", \"" : "\"") + listed[k]->name + "\"";
        for (std::size_t k = 0; k < numbered.size(); ++k)
            out += (listed.empty() && k == 0 ? "\"" : ", \"") + numbered[k]->name + "\"";
        out += ") ";
    }
    body = out.size();
    if (values) {
        out += "VALUES (";
        const std::size_t slottedBefore = m_slotted;
        for (std::size_t k = 0; k < listed.size(); ++k) {
            if (k > 0) out += ", ";
            if (listed[k]->identity == "ON NULL" || listed[k]->defaultOnNull) out += "COALESCE(";
            if (!Store(*listed[k], table, given[k], out)) return false;
            if (listed[k]->identity == "ON NULL") out += ", " + next(*listed[k]) + ")";
            if (listed[k]->defaultOnNull) out += ", " + ColumnDefault(*listed[k], table) + ")";
        }
        // Note: every list of the statement must be written with slots only.
        m_valuesAllLiterals = m_slots != nullptr && m_slotted - slottedBefore == listed.size() &&
                              (m_valuesRows == 0 || m_valuesAllLiterals);
        ++m_valuesRows;
        for (std::size_t k = 0; k < numbered.size(); ++k)
            out += (listed.empty() && k == 0 ? "" : ", ") + next(*numbered[k]);
        out += ")";
        return true;
    }
    targets = listed;
    std::string query;
    std::vector<Typed> produced;
    bool queried = DerivedQuery(*rows, query, &produced);
    if (!queried) return false;
    if (produced.size() > targets.size()) return Fail(statement.query->at, 913);
    if (produced.size() < targets.size()) return Fail(statement.query->at, 947);
    // Note: the rows of the query pass the same checks as listed values.
    out += "WITH TARVEX_ROWS(";
    for (std::size_t k = 0; k < targets.size(); ++k) out += (k > 0 ? ", C" : "C") + std::to_string(k);
    out += ") AS (" + query + ") SELECT ";
    for (std::size_t k = 0; k < targets.size(); ++k) {
        if (k > 0) out += ", ";
        CSqlExpr column;
        column.kind = CSqlExpr::Kind::Name;
        column.at = statement.query->at;
        std::string cname = "C" + std::to_string(k);
        column.parts.push_back(cname);
        Scope scope;
        Source rows;
        rows.name = "TARVEX_ROWS";
        rows.columns.push_back(Typed{cname, produced[k].type});
        rows.columns.back().objectType = produced[k].objectType;
        rows.columns.back().collection = produced[k].collection;
        rows.columns.back().document = "TARVEX_ROWS." + QuoteName(cname);
        scope.sources.push_back(rows);
        m_scopes.push_back(scope);
        bool onNull = targets[k]->identity == "ON NULL" || targets[k]->defaultOnNull;
        if (onNull) out += "COALESCE(";
        bool ok = Store(*targets[k], table, &column, out);
        if (onNull) out += ", " + ColumnDefault(*targets[k], table) + ")";
        m_scopes.pop_back();
        if (!ok) return false;
    }
    for (const auto* column : numbered) out += ", " + next(*column);
    out += " FROM TARVEX_ROWS";
    return true;
}

const std::vector<CSqliteCatalog::Column>* CSqlEmitter::OpenTarget(const CSqlStatement& statement,
                                                                   const char* verb, ViewTarget* view,
                                                                   std::string& out) {
    m_target = view;
    if (m_target != nullptr) {
        Scope scope;
        scope.sources.push_back(ViewSource(*m_target, statement.alias));
        m_scopes.push_back(scope);
        out += verb + m_target->base + " AS " + WrittenName(m_target->alias);
        return m_catalog.Columns(m_target->base);
    }
    const auto* columns = m_catalog.Columns(Upper(statement.table.back()));
    if (columns == nullptr) {
        Fail(statement.tableAt, 942, Upper(statement.table.back()));
        return nullptr;
    }
    if (!Writable(Upper(statement.table.back()), statement.tableAt)) return nullptr;
    Scope scope;
    Source source;
    source.name = Upper(statement.alias.empty() ? statement.table.back() : statement.alias);
    source.aliased = !statement.alias.empty();
    // Note: SQLite reads no alias of a view its INSTEAD OF trigger changes;
    // the alias's columns are written with the view's name.
    std::string text;
    bool readOnly = false;
    bool checkOption = false;
    bool unaliased = !statement.alias.empty() &&
                     m_catalog.View(Upper(statement.table.back()), text, readOnly, checkOption);
    for (const auto& column : *columns) {
        source.columns.push_back(TableColumn(column, source.name));
        if (unaliased)
            source.columns.back().emitted =
                WrittenName(statement.table.back()) + "." + QuoteName(column.name);
        source.columns.back().collection = unaliased ? std::string() : column.collection;
        CollectionColumn(source.columns.back(), source.name);
        source.columns.back().objectType = unaliased ? std::string() : column.objectType;
        source.columns.back().brokenType = column.brokenType;
        ObjectColumn(source.columns.back(), source.name);
    }
    scope.sources.push_back(source);
    m_scopes.push_back(scope);
    out += verb + WrittenName(statement.table.back());
    if (!statement.alias.empty() && !unaliased) out += " AS " + WrittenName(statement.alias);
    return columns;
}

bool CSqlEmitter::CloseTarget(const CSqlStatement& statement, std::string& out) {
    if (statement.where != nullptr) {
        out += " WHERE (";
        Expr(statement.where, out);
        out += ")";
    }
    if (statement.partition.given) {
        std::string condition;
        if (m_target != nullptr) return Fail(statement.partition.at, 14501, Upper(statement.table.back()));
        if (!PartitionCondition(statement.table.back(), statement.partition, condition)) return false;
        out += (statement.where != nullptr ? " AND " : " WHERE ") + condition;
    }
    m_scopes.pop_back();
    ViewTarget* view = m_target;
    m_target = nullptr;
    if (view == nullptr || m_failed) return !m_failed;
    // Note: DML through a view reaches the rows the view shows, and a view
    // WITH CHECK OPTION keeps every row it updates.
    if (view->query->where != nullptr) {
        out += statement.where != nullptr ? " AND (" : " WHERE (";
        m_scopes.push_back(Scope{});
        m_scopes.back().sources.push_back(BaseSource(*view, false));
        Expr(view->query->where, out);
        m_scopes.pop_back();
        out += ")";
    }
    if (statement.kind == CSqlStatement::Kind::Update) AppendViewCheck(*view, out);
    return !m_failed;
}

CSqlEmitter::ViewTarget* CSqlEmitter::ViewOf(std::string_view written, std::size_t at,
                                             std::string_view event) {
    std::string name = Upper(written);
    std::string text;
    bool readOnly = false;
    bool checkOption = false;
    if (!m_catalog.View(name, text, readOnly, checkOption)) return nullptr;
    // Note: a view with an enabled INSTEAD OF trigger for the event is
    // written to as it is; the trigger runs in the DML's place. Without
    // one the DML goes through the view to its table, when it can.
    if (m_catalog.HasInsteadOf(name, event)) return nullptr;
    if (readOnly) return Fail(at, 42399), nullptr;
    ViewTarget& view = m_views.emplace_back();
    view.name = name;
    view.text = std::move(text);
    view.checkOption = checkOption;
    view.tokens = CSqlScanner::Significant(view.text);
    CSqlParser parser(view.text, view.tokens, view.arena);
    CSqlParser::Failure failure;
    const CSqlSelect* query = parser.ParseQuery(0, view.query, failure) ? view.query : nullptr;
    // Note: a view of rows that stand each for one row of a table (neither
    // grouped nor distinct, no compound) passes DML on to its tables.
    CJoinView::Shape shape =
        query != nullptr ? view.join.Read(*query, m_catalog) : CJoinView::Shape::NotUpdatable;
    if (shape == CJoinView::Shape::NotUpdatable) return Fail(at, 1732), nullptr;
    if (shape == CJoinView::Shape::Missing) return Fail(at, 942, view.join.Tables().back().name), nullptr;
    if (query->from.size() > 1) {
        view.joined = true;
        // Note: the view's own column list names its columns.
        if (const auto* named = m_catalog.Columns(name)) {
            std::vector<std::string> names;
            for (const auto& column : *named) names.push_back(column.name);
            view.join.Rename(names);
        }
        return &view;
    }
    view.base = view.join.Tables()[0].name;
    const auto* columns = m_catalog.Columns(view.base);
    if (columns == nullptr) return Fail(at, 942, view.base), nullptr;
    view.alias = Upper(query->from[0].alias.empty() ? query->from[0].table.back() : query->from[0].alias);
    for (const CSqlSelectItem& item : query->items) {
        if (item.expr->kind == CSqlExpr::Kind::Star) {
            for (const auto& column : *columns) {
                view.columns.push_back(column.name);
                view.bases.push_back(column.name);
                view.expressions.push_back(nullptr);
            }
            continue;
        }
        view.expressions.push_back(item.expr->kind == CSqlExpr::Kind::Name ? nullptr : item.expr);
        bool plain = item.expr->kind == CSqlExpr::Kind::Name;
        view.columns.push_back(Upper(!item.alias.empty() ? item.alias
                                     : plain             ? item.expr->parts.back()
                                                         : ""));
        view.bases.push_back(plain ? Upper(item.expr->parts.back()) : std::string());
    }
    return &view;
}

// Note: an aggregate inside a subquery is the subquery's own.
bool CSqlEmitter::HasAggregate(const CSqlExpr* expr) {
    if (expr == nullptr || expr->kind == CSqlExpr::Kind::Subquery) return false;
    if (expr->kind == CSqlExpr::Kind::Call && !expr->over &&
        std::find(std::begin(kAggregates), std::end(kAggregates), Upper(expr->text)) != std::end(kAggregates))
        return true;
    for (const CSqlExpr* arg : expr->args)
        if (HasAggregate(arg)) return true;
    return false;
}

CSqlEmitter::Source CSqlEmitter::ViewSource(const ViewTarget& view, std::string_view alias) {
    Source source;
    source.name = Upper(alias.empty() ? std::string_view(view.name) : alias);
    source.known = true;
    const auto* columns = m_catalog.Columns(view.base);
    for (std::size_t k = 0; columns != nullptr && k < view.columns.size(); ++k) {
        Typed typed{view.columns[k], CValueType{}};
        typed.virtualColumn = view.bases[k].empty();
        typed.expression = view.expressions[k];
        typed.view = &view;
        for (const auto& column : *columns)
            if (column.name == view.bases[k]) {
                typed.type = TypeOfColumn(column);
                typed.emitted = view.alias + ".\"" + column.name + "\"";
            }
        source.columns.push_back(std::move(typed));
    }
    return source;
}

CSqlEmitter::Source CSqlEmitter::BaseSource(const ViewTarget& view, bool plain) {
    Source source;
    source.name = view.alias;
    source.known = true;
    if (const auto* columns = m_catalog.Columns(view.base))
        for (const auto& column : *columns) {
            source.columns.push_back(Typed{column.name, TypeOfColumn(column)});
            if (plain) source.columns.back().emitted = "\"" + column.name + "\"";
        }
    return source;
}

void CSqlEmitter::AppendViewCheck(const ViewTarget& view, std::string& out) {
    if (!view.checkOption || view.query->where == nullptr) return;
    // Note: RETURNING reads each row as stored, by names without a qualifier.
    out += " RETURNING ORA_VIEW_CHECK(";
    m_scopes.push_back(Scope{});
    m_scopes.back().sources.push_back(BaseSource(view, true));
    Expr(view.query->where, out);
    m_scopes.pop_back();
    out += ")";
}

bool CSqlEmitter::InsertIntoView(const CSqlStatement& statement, ViewTarget& view, std::string& out) {
    CSqlStatement base = statement;
    base.table = {view.base};
    base.columns.clear();
    base.columnAt.clear();
    std::size_t count = statement.columns.empty() ? view.columns.size() : statement.columns.size();
    for (std::size_t k = 0; k < count; ++k) {
        std::size_t at = statement.columns.empty() ? statement.tableAt : statement.columnAt[k];
        std::string name = statement.columns.empty() ? view.columns[k] : Upper(statement.columns[k]);
        auto found = std::find(view.columns.begin(), view.columns.end(), name);
        if (found == view.columns.end()) return Fail(at, 904, name);
        const std::string& column = view.bases[static_cast<std::size_t>(found - view.columns.begin())];
        if (column.empty()) return Fail(at, 1733);
        base.columns.push_back(column);
        base.columnAt.push_back(at);
    }
    if (!Insert(base, out)) return false;
    AppendViewCheck(view, out);
    return !m_failed;
}

bool CSqlEmitter::Update(const CSqlStatement& statement, std::string& out) {
    ViewTarget* view = ViewOf(statement.table.back(), statement.tableAt, "UPDATE");
    if (m_failed) return false;
    if (view != nullptr && view->joined) return JoinedUpdate(statement, *view, out);
    const auto* columns = OpenTarget(statement, "UPDATE ", view, out);
    if (columns == nullptr) return false;
    const std::string table = Upper(statement.table.back());
    out += " SET ";
    std::vector<std::string> whole;
    std::vector<std::string> byAttribute;
    for (std::size_t k = 0; k < statement.columns.size(); ++k) {
        bool attribute = k < statement.targets.size() && statement.targets[k].size() > 2;
        std::string set = attribute ? Upper(statement.targets[k][1]) : Upper(statement.columns[k]);
        auto named = [&](const std::vector<std::string>& list) {
            return std::find(list.begin(), list.end(), set) != list.end();
        };
        // Note: an object set whole and by attribute in one statement is ORA-00957.
        if (attribute ? named(whole) : named(byAttribute)) return Fail(statement.columnAt[k], 957, set);
        if (attribute && named(byAttribute)) continue;
        (attribute ? byAttribute : whole).push_back(set);
        if (attribute) {
            if (k > 0) out += ", ";
            if (!StoreAttribute(statement, k, *columns, out)) return false;
            continue;
        }
        std::string name = Upper(statement.columns[k]);
        if (m_target != nullptr) {
            auto found = std::find(m_target->columns.begin(), m_target->columns.end(), name);
            if (found == m_target->columns.end()) return Fail(statement.columnAt[k], 904, name);
            name = m_target->bases[static_cast<std::size_t>(found - m_target->columns.begin())];
            if (name.empty()) return Fail(statement.columnAt[k], 1733);
        }
        const CSqliteCatalog::Column* found = nullptr;
        for (const auto& column : *columns)
            if (column.name == name) found = &column;
        if (found == nullptr) return Fail(statement.columnAt[k], 904, name);
        if (found->virtualColumn) return Fail(statement.columnAt[k], 54017);
        if (found->identity == "ALWAYS") return Fail(statement.columnAt[k], 32796);
        out += (k > 0 ? ", \"" : "\"") + found->name + "\" = ";
        if (IsDefault(*statement.values[k])) {
            out += ColumnDefault(*found, m_target != nullptr ? m_target->base : table);
            continue;
        }
        if (!Store(*found, table, statement.values[k], out)) return false;
    }
    return CloseTarget(statement, out);
}

// Whether `expr` names the target's column `column` (qualified by `target`
// or not qualified at all).
bool NamesColumn(const CSqlExpr* expr, const std::string& target, const std::string& column) {
    if (expr == nullptr) return false;
    if (expr->kind == CSqlExpr::Kind::Name && Upper(expr->parts.back()) == column &&
        (expr->parts.size() == 1 || Upper(expr->parts[expr->parts.size() - 2]) == target))
        return true;
    for (const CSqlExpr* arg : expr->args)
        if (NamesColumn(arg, target, column)) return true;
    return false;
}

bool CSqlEmitter::Merge(const CSqlStatement& statement, std::string& out) {
    // Note: a column the ON condition reads cannot be updated (ORA-38104):
    // the rows matched must stay the rows matched.
    std::string target = Upper(statement.alias.empty() ? statement.table.back() : statement.alias);
    for (const CSqlStatement& part : statement.parts)
        for (std::size_t k = 0; part.kind == CSqlStatement::Kind::Update && k < part.columns.size(); ++k)
            if (NamesColumn(statement.where, target, Upper(part.columns[k])))
                return Fail(part.columnAt[k], 38104, target + "." + Upper(part.columns[k]));
    bool inserted = false;
    for (const CSqlStatement& part : statement.parts) {
        if (!out.empty()) out += "; ";
        if (part.kind == CSqlStatement::Kind::Select) {
            if (!Query(*part.query, out, nullptr)) return false;
            out += " LIMIT 1";
        } else if (part.kind == CSqlStatement::Kind::Insert) {
            if (!Insert(part, out)) return false;
            inserted = true;
        } else if (part.kind == CSqlStatement::Kind::Update) {
            if (!Update(part, out)) return false;
        } else if (!Delete(part, out)) {
            return false;
        }
        // Note: the rows the INSERT just added (the last rowids) are no
        // updated rows for DELETE WHERE; changes() still counts the INSERT's.
        if (part.mergeDelete && inserted)
            out += " AND (changes() = 0 OR rowid <= last_insert_rowid() - changes())";
    }
    return !m_failed;
}

bool CSqlEmitter::Delete(const CSqlStatement& statement, std::string& out) {
    ViewTarget* view = ViewOf(statement.table.back(), statement.tableAt, "DELETE");
    if (m_failed) return false;
    if (view != nullptr && view->joined) return JoinedDelete(statement, *view, out);
    if (OpenTarget(statement, "DELETE FROM ", view, out) == nullptr) return false;
    return CloseTarget(statement, out);
}

bool CSqlEmitter::JoinRows(ViewTarget& view, std::size_t table) {
    const CJoinView& join = view.join;
    // Note: each column of the view is read as TARVEX_Cn, whatever its name.
    CSqlSelect rows = *view.query;
    rows.items.clear();
    std::size_t next = 0;
    auto name = [&view, &next] { return view.arena.Keep("TARVEX_C" + std::to_string(next++)); };
    for (std::size_t i = 0; i < view.query->items.size() && i < join.ItemColumns().size(); ++i) {
        const CSqlSelectItem& item = view.query->items[i];
        if (item.expr->kind != CSqlExpr::Kind::Star) {
            CSqlSelectItem named = item;
            named.alias = name();
            rows.items.push_back(named);
            continue;
        }
        // Note: "*" stands for the columns it brings, read by their tables' names.
        for (std::size_t k = 0; k < join.ItemColumns()[i] && next < join.Columns().size(); ++k) {
            const CJoinView::Column& column = join.Columns()[next];
            CSqlExpr* read = view.arena.Expr();
            read->kind = CSqlExpr::Kind::Name;
            read->at = item.expr->at;
            read->parts = {
                view.arena.Keep(QuoteName(join.Tables()[static_cast<std::size_t>(column.table)].alias)),
                view.arena.Keep(QuoteName(column.base))};
            CSqlSelectItem named;
            named.expr = read;
            named.alias = name();
            rows.items.push_back(named);
        }
    }
    std::string_view text = m_text;
    std::vector<Scope> scopes = std::move(m_scopes);
    m_scopes.clear();
    m_text = view.text;
    view.written.clear();
    const std::size_t documents = m_documentScope;
    m_documentScope = 0;
    bool ok = Query(rows, view.rows, &view.written);
    m_documentScope = documents;
    m_text = text;
    m_scopes = std::move(scopes);
    if (!ok) return false;
    if (view.rows.rfind("SELECT ", 0) != 0 || view.written.size() != join.Columns().size())
        return Fail(0, 1732);
    view.rows.insert(7, QuoteName(join.Tables()[table].alias) + ".rowid AS TARVEX_RID, ");
    view.base = join.Tables()[table].name;
    for (std::size_t k = 0; k < view.written.size(); ++k) {
        view.written[k].name = join.Columns()[k].name;
        view.written[k].emitted = "TARVEX_V.TARVEX_C" + std::to_string(k);
    }
    return true;
}

CSqlEmitter::Source CSqlEmitter::JoinSource(const ViewTarget& view, std::string_view alias) const {
    Source source;
    source.name = Upper(alias.empty() ? std::string_view(view.name) : alias);
    source.known = true;
    source.columns = view.written;
    return source;
}

bool CSqlEmitter::JoinedWhere(const CSqlStatement& statement, const ViewTarget& view, std::string& out) {
    out += " WHERE rowid IN (SELECT TARVEX_V.TARVEX_RID FROM (" + view.rows + ") TARVEX_V";
    if (statement.where != nullptr) {
        m_scopes.push_back(Scope{});
        m_scopes.back().sources.push_back(JoinSource(view, statement.alias));
        out += " WHERE (";
        Expr(statement.where, out);
        out += ")";
        m_scopes.pop_back();
    }
    out += ")";
    return !m_failed;
}

void CSqlEmitter::JoinedCheck(const ViewTarget& view, std::string& out) const {
    if (!view.checkOption) return;
    // Note: RETURNING reads the row as stored, by the table's own name.
    out += " RETURNING ORA_VIEW_CHECK(EXISTS (SELECT 1 FROM (" + view.rows +
           ") TARVEX_V WHERE TARVEX_V.TARVEX_RID = " + WrittenName(view.base) + ".rowid))";
}

bool CSqlEmitter::JoinedUpdate(const CSqlStatement& statement, ViewTarget& view, std::string& out) {
    std::vector<std::string> names;
    for (std::string_view column : statement.columns) names.push_back(Upper(column));
    int code = 0;
    std::size_t failed = 0;
    int table = view.join.WriteTarget(names, code, failed);
    if (table < 0) return Fail(statement.columnAt[failed], code, code == 904 ? names[failed] : "");
    if (!JoinRows(view, static_cast<std::size_t>(table))) return false;
    const auto* columns = m_catalog.Columns(view.base);
    if (columns == nullptr) return Fail(statement.tableAt, 942, view.base);
    const std::string base = WrittenName(view.base);
    out += "UPDATE " + base + " SET ";
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string& column = view.join.Find(names[k])->base;
        const CSqliteCatalog::Column* found = nullptr;
        for (const auto& candidate : *columns)
            if (candidate.name == column) found = &candidate;
        if (found == nullptr) return Fail(statement.columnAt[k], 904, names[k]);
        out += (k > 0 ? ", " : "") + QuoteName(found->name) + " = ";
        if (IsDefault(*statement.values[k])) {
            out += ColumnDefault(*found, view.base);
            continue;
        }
        // Note: the value reads the view's row of the row it sets (one,
        // the table's key being kept).
        out += "(SELECT ";
        m_scopes.push_back(Scope{});
        m_scopes.back().sources.push_back(JoinSource(view, statement.alias));
        bool stored = Store(*found, view.base, statement.values[k], out);
        m_scopes.pop_back();
        if (!stored) return false;
        out += " FROM (" + view.rows + ") TARVEX_V WHERE TARVEX_V.TARVEX_RID = " + base + ".rowid)";
    }
    if (!JoinedWhere(statement, view, out)) return false;
    JoinedCheck(view, out);
    return true;
}

bool CSqlEmitter::JoinedDelete(const CSqlStatement& statement, ViewTarget& view, std::string& out) {
    // Note: of several key-preserved tables, the first in FROM loses the rows.
    int table = view.join.DeleteTarget();
    if (table < 0) return Fail(statement.tableAt, 1752);
    if (!JoinRows(view, static_cast<std::size_t>(table))) return false;
    out += "DELETE FROM " + WrittenName(view.base);
    return JoinedWhere(statement, view, out);
}

bool CSqlEmitter::JoinedInsert(const CSqlStatement& statement, ViewTarget& view, std::string& out) {
    std::vector<std::string> names;
    std::vector<std::size_t> ats;
    for (std::size_t k = 0; k < statement.columns.size(); ++k) {
        names.push_back(Upper(statement.columns[k]));
        ats.push_back(statement.columnAt[k]);
    }
    if (names.empty())
        for (const CJoinView::Column& column : view.join.Columns()) {
            names.push_back(column.name);
            ats.push_back(statement.tableAt);
        }
    int code = 0;
    std::size_t failed = 0;
    int table = view.join.WriteTarget(names, code, failed);
    if (table < 0) return Fail(ats[failed], code, code == 904 ? names[failed] : "");
    if (!JoinRows(view, static_cast<std::size_t>(table))) return false;
    CSqlStatement base = statement;
    base.table = {view.arena.Keep(QuoteName(view.base))};
    base.columns.clear();
    base.columnAt = ats;
    for (const std::string& name : names)
        base.columns.push_back(view.arena.Keep(QuoteName(view.join.Find(name)->base)));
    if (!Insert(base, out)) return false;
    JoinedCheck(view, out);
    return !m_failed;
}
