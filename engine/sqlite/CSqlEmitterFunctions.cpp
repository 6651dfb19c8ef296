// CSqlEmitter: the server's functions that are written as more than a call
// of one name (see CSqlEmitter::Extended).
#include <algorithm>
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/values/CIntervalLiteral.h"
#include "engine/sqlite/values/CRawFunctions.h"
#include "text/Cp932.h"

namespace {

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

// Statistics of ORA_STAT and the arguments each takes.
struct StatisticRow {
    std::string_view name;
    std::size_t arguments;
};

constexpr StatisticRow kStatistics[] = {
    {"VARIANCE", 1},    {"VAR_POP", 1},   {"VAR_SAMP", 1},   {"STDDEV", 1}, {"STDDEV_POP", 1},
    {"STDDEV_SAMP", 1}, {"COVAR_POP", 2}, {"COVAR_SAMP", 2}, {"CORR", 2},
};

// The functions KEEP (DENSE_RANK FIRST|LAST ...) applies to.
constexpr std::string_view kKept[] = {"MIN", "MAX", "SUM", "AVG", "COUNT", "VARIANCE", "STDDEV"};

// Hypothetical ranks and what each gives over no rows.
struct HypotheticalRow {
    std::string_view name;
    std::string_view empty;
};

constexpr HypotheticalRow kHypothetical[] = {
    {"RANK", "1"}, {"DENSE_RANK", "1"}, {"CUME_DIST", "1"}, {"PERCENT_RANK", "0"}};

// The linear regressions over the pairs with neither value NULL, written
// from the pairs' count (%C), averages (%AX, %AY), population variances
// (%VX, %VY), covariance (%CV) and correlation (%R).
struct RegressionRow {
    std::string_view name;
    std::string_view pattern;
};

constexpr RegressionRow kRegressions[] = {
    {"REGR_COUNT", "%C"},
    {"REGR_AVGX", "%AX"},
    {"REGR_AVGY", "%AY"},
    {"REGR_SLOPE", "ORA_DIV(%CV, NULLIF(%VX, 0))"},
    {"REGR_INTERCEPT", "ORA_SUB(%AY, ORA_MUL(ORA_DIV(%CV, NULLIF(%VX, 0)), %AX))"},
    {"REGR_R2", "(CASE WHEN %VX = 0 THEN NULL WHEN %VY = 0 THEN 1 ELSE ORA_POWER(%R, 2) END)"},
    {"REGR_SXX", "ORA_MUL(%C, %VX)"},
    {"REGR_SYY", "ORA_MUL(%C, %VY)"},
    {"REGR_SXY", "ORA_MUL(%C, %CV)"},
};

bool NullsFirst(const CSqlExpr::OrderItem& item) {
    return item.nulls == 1 || (item.nulls == 0 && item.descending);
}

}  // namespace

bool CSqlEmitter::Extended(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    if (expr.keep != 0) return Keep(name, expr, out, type);
    if (!expr.withinGroup.empty() && name != "LISTAGG") return Ordered(name, expr, out, type);
    return Skipping(name, expr, out, type) || Aggregate(name, expr, out, type) ||
           Regression(name, expr, out, type) || Analytic(name, expr, out, type) ||
           Scalar(name, expr, out, type);
}

std::vector<CSqlType> CSqlEmitter::Arguments(const CSqlExpr& expr, std::string& out, bool aggregate) {
    std::vector<CSqlType> types;
    m_aggregates += aggregate ? 1 : 0;
    for (const CSqlExpr* arg : expr.args) {
        out += ", ";
        types.push_back(Expr(arg, out));
    }
    m_aggregates -= aggregate ? 1 : 0;
    return types;
}

std::string CSqlEmitter::DayZero() {
    CSqlExpr* day = m_made.Expr();
    day->kind = CSqlExpr::Kind::DateLiteral;
    day->text = "'2000-01-01'";
    std::string out;
    Expr(day, out);
    return out;
}

std::string CSqlEmitter::MonthMeasure(const std::string& date) {
    // Note: a month is 32 units and a day one, so that going back n months
    // keeps the day of the month and the time.
    return "((CAST(strftime('%Y', " + date + ") AS INTEGER) * 12 + CAST(strftime('%m', " + date +
           ") AS INTEGER)) * 32 + (julianday(" + date + ") - julianday(" + date + ", 'start of month')))";
}

CSqlEmitter::FrameMeasure CSqlEmitter::Measure(const CSqlExpr& expr) {
    if (expr.frameUnit.empty() || Upper(expr.frameUnit) != "RANGE") return FrameMeasure::Rows;
    FrameMeasure measure = FrameMeasure::Rows;
    for (const CSqlExpr* offset : {expr.frameStartOffset, expr.frameEndOffset}) {
        if (offset == nullptr) continue;
        CIntervalLiteral interval;
        bool months = offset->kind == CSqlExpr::Kind::Interval && ParseInterval(*offset, interval) &&
                      interval.YearToMonth();
        FrameMeasure wanted = months ? FrameMeasure::Months : FrameMeasure::Days;
        if (measure != FrameMeasure::Rows && measure != wanted) {
            Fail(offset->at, 3001, "RANGE INTERVAL YEAR TO MONTH");
            return measure;
        }
        measure = wanted;
    }
    return measure;
}

std::string CSqlEmitter::Window(const CSqlExpr& expr, bool ordered) {
    std::string out = "OVER (";
    for (std::size_t k = 0; k < expr.partition.size(); ++k) {
        out += k == 0 ? "PARTITION BY " : ", ";
        Expr(expr.partition[k], out);
    }
    // Note: a RANGE of offsets measures the key's own values.
    FrameMeasure measure = ordered ? Measure(expr) : FrameMeasure::Rows;
    for (std::size_t k = 0; ordered && k < expr.windowOrder.size(); ++k) {
        const CSqlExpr::OrderItem& item = expr.windowOrder[k];
        out += k > 0 ? ", " : (expr.partition.empty() ? "ORDER BY " : " ORDER BY ");
        if (measure == FrameMeasure::Rows) {
            OrderItems({item}, out);
            continue;
        }
        std::string key;
        // Note: dates are measured in days (from any fixed day), or in
        // months when the offsets are.
        if (Expr(item.expr, key) == CSqlType::Date)
            key = measure == FrameMeasure::Months ? MonthMeasure(key)
                                                  : "ORA_SUB(" + key + ", " + DayZero() + ")";
        else if (measure == FrameMeasure::Months)
            Fail(item.expr->at, 902);
        out += key + std::string(item.descending ? " DESC" : "") +
               (NullsFirst(item) ? " NULLS FIRST" : " NULLS LAST");
    }
    if (ordered && !expr.frameUnit.empty()) {
        static constexpr std::string_view kBounds[] = {"UNBOUNDED PRECEDING", "PRECEDING", "CURRENT ROW",
                                                       "FOLLOWING", "UNBOUNDED FOLLOWING"};
        auto bound = [&](CSqlExpr::Bound kind, const CSqlExpr* offset) {
            CIntervalLiteral interval;
            if (offset != nullptr && offset->kind == CSqlExpr::Kind::Interval) {
                if (!ParseInterval(*offset, interval)) return;
                if (interval.YearToMonth())
                    out += std::to_string(interval.Months() * 32) + " ";
                else
                    out += CValueText::FromDouble(static_cast<double>(interval.Seconds()) / 86400.0 +
                                                  static_cast<double>(interval.Nanos()) / 86400e9) +
                           " ";
            } else if (offset != nullptr) {
                Expr(offset, out);
                out += " ";
            }
            out += kBounds[static_cast<int>(kind)];
        };
        out += " " + Upper(expr.frameUnit) + " BETWEEN ";
        bound(expr.frameStart, expr.frameStartOffset);
        out += " AND ";
        bound(expr.frameEnd, expr.frameEndOffset);
    }
    return out + ")";
}

// Note: the inverse distributions (MEDIAN, PERCENTILE_CONT, PERCENTILE_DISC)
// take a partition as their window and no order or frame of it.
bool CSqlEmitter::PartitionOnly(const CSqlExpr& expr) {
    if (expr.over && (!expr.windowOrder.empty() || !expr.frameUnit.empty()))
        return Fail(expr.at, 30487), false;
    return true;
}

bool CSqlEmitter::Aggregate(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    type = CSqlType::Number;
    const StatisticRow* statistic = nullptr;
    for (const StatisticRow& row : kStatistics)
        if (row.name == name) statistic = &row;
    if (statistic == nullptr && name != "MEDIAN" && name != "APPROX_COUNT_DISTINCT") return false;
    std::size_t wanted = statistic != nullptr ? statistic->arguments : 1;
    if (expr.args.size() != wanted || expr.starArgument) return Fail(expr.at, 909, name), true;
    if (name == "APPROX_COUNT_DISTINCT") {
        out += "COUNT(DISTINCT ";
        m_aggregates += 1;
        Expr(expr.args[0], out);
        m_aggregates -= 1;
        out += ")";
        if (expr.over) out += " " + Window(expr, false);
        return true;
    }
    // Note: these aggregates count each row; DISTINCT would change the answer.
    if (expr.distinct) return Fail(expr.at, 3001, name + "(DISTINCT ...)"), true;
    if (statistic == nullptr && !PartitionOnly(expr)) return true;
    out += statistic != nullptr ? "ORA_STAT('" + name + "'" : std::string("ORA_PERCENTILE('CONT', 0.5");
    Arguments(expr, out, true);
    out += statistic != nullptr ? ")" : ", 0)";
    if (expr.over) out += " " + Window(expr, statistic != nullptr);
    return true;
}

bool CSqlEmitter::Regression(const std::string& name, const CSqlExpr& expr, std::string& out,
                             CSqlType& type) {
    const RegressionRow* row = nullptr;
    for (const RegressionRow& candidate : kRegressions)
        if (candidate.name == name) row = &candidate;
    if (row == nullptr) return false;
    type = CSqlType::Number;
    if (expr.args.size() != 2 || expr.starArgument) return Fail(expr.at, 909, name), true;
    if (expr.distinct) return Fail(expr.at, 3001, name + "(DISTINCT ...)"), true;
    std::string y;
    std::string x;
    m_aggregates += 1;
    Expr(expr.args[0], y);
    Expr(expr.args[1], x);
    m_aggregates -= 1;
    const std::string over = expr.over ? " " + Window(expr, true) : std::string();
    const std::string pairX = "(CASE WHEN " + y + " IS NOT NULL THEN " + x + " END)";
    const std::string pairY = "(CASE WHEN " + x + " IS NOT NULL THEN " + y + " END)";
    const std::pair<std::string_view, std::string> parts[] = {
        {"%CV", "ORA_STAT('COVAR_POP', " + y + ", " + x + ")" + over},
        {"%C", "COUNT(CASE WHEN " + x + " IS NOT NULL AND " + y + " IS NOT NULL THEN 1 END)" + over},
        {"%AX", "ORA_AVG(" + pairX + ")" + over},
        {"%AY", "ORA_AVG(" + pairY + ")" + over},
        {"%VX", "ORA_STAT('VAR_POP', " + pairX + ")" + over},
        {"%VY", "ORA_STAT('VAR_POP', " + pairY + ")" + over},
        {"%R", "ORA_STAT('CORR', " + y + ", " + x + ")" + over},
    };
    std::string_view pattern = row->pattern;
    for (std::size_t k = 0; k < pattern.size();) {
        bool replaced = false;
        for (const auto& [mark, text] : parts)
            if (pattern.substr(k, mark.size()) == mark) {
                out += text;
                k += mark.size();
                replaced = true;
                break;
            }
        if (!replaced) out += pattern[k++];
    }
    return true;
}

bool CSqlEmitter::Ordered(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    type = CSqlType::Number;
    bool percentile = name == "PERCENTILE_CONT" || name == "PERCENTILE_DISC";
    const HypotheticalRow* hypothetical = nullptr;
    for (const HypotheticalRow& row : kHypothetical)
        if (row.name == name) hypothetical = &row;
    if (!percentile && hypothetical == nullptr) return Fail(expr.at, 3001, name + " WITHIN GROUP"), true;
    if (expr.over && !percentile) return Fail(expr.at, 3001, name + " WITHIN GROUP ... OVER"), true;
    if (!PartitionOnly(expr)) return true;
    std::size_t keys = expr.withinGroup.size();
    if (percentile ? expr.args.size() != 1 || keys != 1 : expr.args.size() != keys)
        return Fail(expr.at, 909, name), true;
    std::string keyTexts;
    std::string directions;
    m_aggregates += 1;
    for (const CSqlExpr::OrderItem& key : expr.withinGroup) {
        keyTexts += ", ";
        Expr(key.expr, keyTexts);
        directions += key.descending ? ", 1" : ", 0";
    }
    m_aggregates -= 1;
    if (percentile) {
        out += "ORA_PERCENTILE('" + std::string(name == "PERCENTILE_CONT" ? "CONT" : "DISC") + "'";
        Arguments(expr, out, true);
        out += keyTexts + directions + ")";
        if (expr.over) out += " " + Window(expr, false);
        return true;
    }
    // Note: the rank a row of values would have is an aggregate of the
    // group's keys.
    out += "COALESCE(ORA_HYPOTHETICAL('" + name + "', " + std::to_string(keys);
    Arguments(expr, out, false);
    out += keyTexts + directions + "), " + std::string(hypothetical->empty) + ")";
    return true;
}

bool CSqlEmitter::Keep(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    if (std::find(std::begin(kKept), std::end(kKept), name) == std::end(kKept))
        return Fail(expr.at, 3001, name + " KEEP"), true;
    if (expr.distinct) return Fail(expr.at, 3001, name + "(DISTINCT ...) KEEP"), true;
    if (expr.args.size() != 1 && !expr.starArgument) return Fail(expr.at, 909, name), true;
    std::string call = "ORA_KEEP('" + name + "', " + (expr.keep == 1 ? "1" : "0");
    m_aggregates += 1;
    std::vector<CSqlType> types;
    if (expr.starArgument)
        call += ", 1";
    else
        types = Arguments(expr, call, false);
    call += ", " + std::to_string(expr.keepOrder.size());
    std::string directions;
    std::string nulls;
    for (const CSqlExpr::OrderItem& key : expr.keepOrder) {
        call += ", ";
        Expr(key.expr, call);
        directions += key.descending ? ", 1" : ", 0";
        nulls += NullsFirst(key) ? ", 1" : ", 0";
    }
    m_aggregates -= 1;
    call += directions + nulls + ")";
    // Note: COUNT over no rows is 0.
    out += name == "COUNT" ? "COALESCE(" + call + ", 0)" : call;
    bool extreme = name == "MIN" || name == "MAX";
    type = extreme && !types.empty() ? (types[0] == CSqlType::Char ? CSqlType::Text : types[0])
                                     : CSqlType::Number;
    return true;
}

bool CSqlEmitter::Analytic(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    bool ratio = name == "RATIO_TO_REPORT";
    if (!ratio && name != "CUME_DIST" && name != "PERCENT_RANK") return false;
    type = CSqlType::Number;
    if (!expr.over) return Fail(expr.at, 3001, name + " (without OVER)"), true;
    if (expr.args.size() != (ratio ? 1u : 0u)) return Fail(expr.at, 909, name), true;
    std::string rows = "COUNT(*) " + Window(expr, false);
    if (ratio) {
        // Note: the share of the partition's sum, exact.
        std::string value;
        Expr(expr.args[0], value);
        if (!expr.windowOrder.empty()) return Fail(expr.at, 3001, "RATIO_TO_REPORT ... ORDER BY"), true;
        out += "ORA_DIV(" + value + ", ORA_SUM(" + value + ") " + Window(expr, false) + ")";
        return true;
    }
    if (expr.windowOrder.empty()) return Fail(expr.at, 30485), true;
    if (!expr.frameUnit.empty()) return Fail(expr.at, 3001, name + " ... ROWS/RANGE"), true;
    // CUME_DIST: the rows up to the row's last peer, of all; PERCENT_RANK:
    // (RANK − 1) / (rows − 1), 0 for a partition of one row.
    if (name == "CUME_DIST")
        out += "ORA_DIV(COUNT(*) " + Window(expr, true) + ", " + rows + ")";
    else
        out += "(CASE WHEN " + rows + " = 1 THEN 0 ELSE ORA_DIV(RANK() " + Window(expr, true) + " - 1, " +
               rows + " - 1) END)";
    return true;
}

bool CSqlEmitter::Skipping(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    if (!expr.ignoreNulls && !expr.fromLast) return false;
    // The value functions, their least and most arguments.
    struct Shape {
        std::string_view name;
        std::size_t least;
        std::size_t most;
    };
    static constexpr Shape kShapes[] = {
        {"FIRST_VALUE", 1, 1}, {"LAST_VALUE", 1, 1}, {"NTH_VALUE", 2, 2}, {"LAG", 1, 3}, {"LEAD", 1, 3},
    };
    const Shape* shape = nullptr;
    for (const Shape& row : kShapes)
        if (row.name == name) shape = &row;
    if (shape == nullptr || (expr.fromLast && name != "NTH_VALUE"))
        return Fail(expr.at, 3001, name + (expr.fromLast ? " ... FROM LAST" : " ... IGNORE NULLS")), true;
    if (!expr.over) return Fail(expr.at, 3001, name + " (without OVER)"), true;
    if (expr.args.size() < shape->least || expr.args.size() > shape->most || expr.starArgument)
        return Fail(expr.at, 909, name), true;
    std::string value;
    type = Expr(expr.args[0], value);
    if (type == CSqlType::Char) type = CSqlType::Text;
    std::string nth = "1";
    if (expr.args.size() > 1) {
        nth.clear();
        Expr(expr.args[1], nth);
    }
    const bool shift = name == "LAG" || name == "LEAD";
    // Note: LAG counts back from the row before, LEAD on from the row after,
    // over the rows that count; over none of them the default answers.
    const bool last = name == "LAST_VALUE" || name == "LAG" || expr.fromLast;
    std::string call = "ORA_NTH_VALUE(" + value + ", " + nth + ", " + (last ? "1" : "0") + ", " +
                       (expr.ignoreNulls ? "1" : "0") + ") ";
    std::string window = Window(expr, true);
    if (shift) {
        window.pop_back();
        window += name == "LAG" ? " ROWS BETWEEN UNBOUNDED PRECEDING AND 1 PRECEDING)"
                                : " ROWS BETWEEN 1 FOLLOWING AND UNBOUNDED FOLLOWING)";
    }
    call += window;
    // An offset of 0 is the row itself.
    if (shift && expr.args.size() > 1)
        call = "(CASE WHEN " + nth + " = 0 THEN " + value + " ELSE " + call + " END)";
    if (shift && expr.args.size() == 3) {
        std::string fallback;
        Expr(expr.args[2], fallback);
        call = "COALESCE(" + call + ", " + fallback + ")";
    }
    out += call;
    return true;
}

bool CSqlEmitter::Scalar(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    struct Shape {
        std::string_view name;
        std::size_t arguments;
        std::size_t most = 0;  // 0: exactly `arguments`
    };
    static constexpr Shape kShapes[] = {
        {"LNNVL", 1},    {"NANVL", 2},   {"USERENV", 1},     {"EMPTY_CLOB", 0},       {"EMPTY_BLOB", 0},
        {"VSIZE", 1},    {"DUMP", 1, 4}, {"ORA_HASH", 1, 3}, {"STANDARD_HASH", 1, 2}, {"RAWTOHEX", 1},
        {"HEXTORAW", 1},
    };
    const Shape* shape = nullptr;
    for (const Shape& row : kShapes)
        if (row.name == name) shape = &row;
    if (shape == nullptr) return false;
    if (expr.args.size() < shape->arguments || expr.args.size() > std::max(shape->arguments, shape->most) ||
        expr.over || expr.distinct)
        return Fail(expr.at, 909, name), true;
    if (shape->most > 0) return Bytes(name, expr, out, type), true;
    std::string argument;
    if (!expr.args.empty()) type = Expr(expr.args[0], argument);
    if (name == "LNNVL") {
        // Note: true when the condition is false or unknown.
        out += "(COALESCE(" + argument + ", 0) = 0)";
        type = CSqlType::Number;
    } else if (name == "NANVL") {
        // Note: a NUMBER is never NaN.
        out += argument;
    } else if (name == "USERENV") {
        out += "ORA_SYS_CONTEXT('USERENV', " + argument + ")";
        type = CSqlType::Text;
    } else if (name == "RAWTOHEX" || name == "HEXTORAW") {
        // Note: a RAW is held as its hexadecimal digits.
        out += "ORA_HEXTORAW(" + argument + ")";
        type = CSqlType::Text;
    } else if (name == "VSIZE") {
        // A DATE takes 7 bytes; text its bytes; a number its NUMBER form.
        out += type == CSqlType::Date     ? "(CASE WHEN " + argument + " IS NOT NULL THEN 7 END)"
               : type == CSqlType::Number ? "ORA_VSIZE_NUMBER(" + argument + ")"
                                          : "LENGTHB(" + argument + ")";
        type = CSqlType::Number;
    } else {
        // Note: an empty LOB is held as NULL, as the empty text is.
        out += "NULL";
        type = CSqlType::Text;
    }
    return true;
}

namespace {

// The type code DUMP and STANDARD_HASH read a value's bytes by.
std::string TypeCode(CSqlType type) {
    switch (type) {
        case CSqlType::Number:
            return std::to_string(CRawFunctions::kNumber);
        case CSqlType::Date:
            return std::to_string(CRawFunctions::kDate);
        case CSqlType::Char:
            return std::to_string(CRawFunctions::kChar);
        default:
            return std::to_string(CRawFunctions::kVarchar2);
    }
}

}  // namespace

void CSqlEmitter::Bytes(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    std::vector<std::string> args;
    CSqlType first = CSqlType::Unknown;
    for (std::size_t k = 0; k < expr.args.size(); ++k) {
        args.emplace_back();
        CSqlType one = Expr(expr.args[k], args.back());
        if (k == 0) first = one;
    }
    if (name == "DUMP") {
        // DUMP(expr[, format[, start[, length]]]): decimal, every byte.
        const char* defaults[] = {"", "10", "0", "0"};
        std::string code = TypeCode(first);
        if (first == CSqlType::Date) {
            // Note: a stored DATE is type 12, a computed one 13; a stored
            // TIMESTAMP 180; a computed TIMESTAMP's form is not the engine's.
            // a stored TIMESTAMP WITH TIME ZONE 181 and WITH LOCAL TIME ZONE
            // 231 (its value as kept, in the database's zone).
            bool zone = false;
            CSqlType column = CSqlType::Unknown;
            CValueType full;
            bool stored = expr.args[0]->kind == CSqlExpr::Kind::Name && Resolve(*expr.args[0], column, &full);
            int fraction = Fraction(*expr.args[0], zone);
            if (fraction >= 0 && !stored) {
                Fail(expr.at, 3001, "DUMP (TIMESTAMP)");
                return;
            }
            constexpr std::string_view kLocal = "ORA_LTZ(";
            if (stored && full.localZone && args[0].starts_with(kLocal) && args[0].ends_with(")"))
                args[0] = args[0].substr(kLocal.size(), args[0].size() - kLocal.size() - 1);
            code = std::to_string(zone && stored             ? CRawFunctions::kTimestampZone
                                  : stored && full.localZone ? CRawFunctions::kTimestampLocal
                                  : fraction >= 0            ? CRawFunctions::kTimestamp
                                  : stored                   ? CRawFunctions::kDate
                                                             : CRawFunctions::kDateValue);
        }
        out += "ORA_DUMP(" + args[0] + ", " + code;
        for (std::size_t k = 1; k < 4; ++k)
            out += ", " + (k < args.size() ? args[k] : std::string(defaults[k]));
        out += ")";
        type = CSqlType::Text;
    } else if (name == "ORA_HASH") {
        out += "ORA_HASH(" + args[0] + ", " + (args.size() > 1 ? args[1] : std::string("4294967295")) + ", " +
               (args.size() > 2 ? args[2] : std::string("0")) + ")";
        type = CSqlType::Number;
    } else {
        out += "ORA_STANDARD_HASH(" + args[0] + ", " + TypeCode(first) + ", " +
               (args.size() > 1 ? args[1] : std::string("'SHA1'")) + ")";
        type = CSqlType::Text;
    }
}

bool CSqlEmitter::RawCall(const std::string& member, const CSqlExpr& expr, std::string& out, CSqlType& type) {
    struct Member {
        std::string_view name;
        const char* function;
        CSqlType type;
    };
    static constexpr Member kMembers[] = {
        {"CAST_TO_RAW", "ORA_CAST_TO_RAW", CSqlType::Text},
        {"CAST_TO_VARCHAR2", "ORA_CAST_TO_VARCHAR2", CSqlType::Text},
        {"LENGTH", "ORA_RAW_LENGTH", CSqlType::Number},
    };
    for (const Member& row : kMembers) {
        if (row.name != member) continue;
        if (expr.args.size() != 1) return Fail(expr.at, 909, "UTL_RAW." + member), true;
        out += std::string(row.function) + "(";
        Expr(expr.args[0], out);
        out += ")";
        type = row.type;
        return true;
    }
    return false;
}
