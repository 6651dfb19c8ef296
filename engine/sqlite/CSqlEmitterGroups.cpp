#include <algorithm>
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "text/Cp932.h"

namespace {

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

// The server's aggregate functions, and the beginnings of the names of
// its families of them (REGR_SLOPE, STATS_MODE, APPROX_MEDIAN, ...).
constexpr std::string_view kAggregateNames[] = {"ANY_VALUE",       "AVG",
                                                "BIT_AND_AGG",     "BIT_OR_AGG",
                                                "BIT_XOR_AGG",     "CHECKSUM",
                                                "COLLECT",         "CORR",
                                                "CORR_K",          "CORR_S",
                                                "COUNT",           "COVAR_POP",
                                                "COVAR_SAMP",      "CUME_DIST",
                                                "DENSE_RANK",      "GROUPING",
                                                "GROUPING_ID",     "GROUP_ID",
                                                "JSON_ARRAYAGG",   "JSON_OBJECTAGG",
                                                "LISTAGG",         "MAX",
                                                "MEDIAN",          "MIN",
                                                "PERCENT_RANK",    "PERCENTILE_CONT",
                                                "PERCENTILE_DISC", "RANK",
                                                "STDDEV",          "STDDEV_POP",
                                                "STDDEV_SAMP",     "SUM",
                                                "SYS_XMLAGG",      "VAR_POP",
                                                "VAR_SAMP",        "VARIANCE",
                                                "XMLAGG"};
constexpr std::string_view kAggregateFamilies[] = {"APPROX_", "REGR_", "STATS_", "KURTOSIS_", "SKEWNESS_"};

bool IsAggregateCall(const CSqlExpr& expr) {
    if (expr.kind != CSqlExpr::Kind::Call || expr.over || expr.parts.size() > 1) return false;
    std::string name = Upper(expr.text);
    if (std::find(std::begin(kAggregateNames), std::end(kAggregateNames), name) != std::end(kAggregateNames))
        return true;
    return std::any_of(std::begin(kAggregateFamilies), std::end(kAggregateFamilies),
                       [&](std::string_view family) { return name.rfind(family, 0) == 0; });
}

bool HasAggregateCall(const CSqlExpr* expr) {
    if (expr == nullptr) return false;
    if (IsAggregateCall(*expr)) return true;
    return std::any_of(expr->args.begin(), expr->args.end(), HasAggregateCall);
}

}  // namespace

bool CSqlEmitter::SameExpr(const CSqlExpr& a, const CSqlExpr& b) const {
    if (&a == &b) return true;
    if (a.kind == CSqlExpr::Kind::Name && b.kind == CSqlExpr::Kind::Name) {
        // A column is the same column qualified or not.
        return Upper(a.parts.back()) == Upper(b.parts.back()) && SourceOf(a) == SourceOf(b);
    }
    if (a.kind != b.kind || a.args.size() != b.args.size() || a.negated != b.negated ||
        a.distinct != b.distinct || a.starArgument != b.starArgument || a.over || b.over ||
        a.query != nullptr || b.query != nullptr || a.parts.size() != b.parts.size())
        return false;
    bool literal = a.kind == CSqlExpr::Kind::String || a.kind == CSqlExpr::Kind::DateLiteral ||
                   a.kind == CSqlExpr::Kind::Interval;
    if (literal ? a.text != b.text : Upper(a.text) != Upper(b.text)) return false;
    if (Upper(a.detail) != Upper(b.detail)) return false;
    for (std::size_t k = 0; k < a.parts.size(); ++k)
        if (Upper(a.parts[k]) != Upper(b.parts[k])) return false;
    for (std::size_t k = 0; k < a.args.size(); ++k)
        if (!SameExpr(*a.args[k], *b.args[k])) return false;
    // Note: an aggregate is never looked into, so calls with an order of
    // their own (WITHIN GROUP, KEEP) are never taken for the same.
    return a.withinGroup.empty() && b.withinGroup.empty() && a.keepOrder.empty() && b.keepOrder.empty();
}

bool CSqlEmitter::GroupedOnly(const CSqlExpr* expr, const CSqlSelect& block, int code) {
    if (expr == nullptr) return true;
    for (const CSqlExpr* key : block.groupBy)
        if (SameExpr(*expr, *key)) return true;
    if (IsAggregateCall(*expr)) return true;
    if (expr->kind == CSqlExpr::Kind::Name) {
        // A column of this block's rows outside GROUP BY; names of outer
        // blocks, variables and pseudo-columns are one value for a group.
        if (expr->outer || SourceOf(*expr) < 0) return true;
        return Fail(expr->at, code, Upper(expr->parts.back()));
    }
    for (const CSqlExpr* arg : expr->args)
        if (!GroupedOnly(arg, block, code)) return false;
    for (const CSqlExpr* key : expr->partition)
        if (!GroupedOnly(key, block, code)) return false;
    for (const auto& item : expr->windowOrder)
        if (!GroupedOnly(item.expr, block, code)) return false;
    return true;
}

bool CSqlEmitter::CheckGroups(const CSqlSelect& block) {
    bool grouped = !block.groupBy.empty();
    for (const auto& item : block.items) grouped = grouped || HasAggregateCall(item.expr);
    grouped = grouped || HasAggregateCall(block.having);
    if (!grouped) return true;
    // Without GROUP BY the rows are one group (ORA-00937), with it each
    // group's rows (ORA-00979).
    int code = block.groupBy.empty() ? 937 : 979;
    for (const auto& item : block.items)
        if (item.expr->kind != CSqlExpr::Kind::Star && !GroupedOnly(item.expr, block, code)) return false;
    if (!GroupedOnly(block.having, block, code)) return false;
    if (block.next != nullptr) return true;
    for (const auto& key : block.orderBy) {
        const CSqlExpr& expr = *key.expr;
        if (expr.kind == CSqlExpr::Kind::Number) continue;
        bool alias = expr.kind == CSqlExpr::Kind::Name && expr.parts.size() == 1 &&
                     std::any_of(block.items.begin(), block.items.end(), [&](const CSqlSelectItem& item) {
                         return !item.alias.empty() && Upper(item.alias) == Upper(expr.parts[0]);
                     });
        bool listed = std::any_of(block.items.begin(), block.items.end(),
                                  [&](const CSqlSelectItem& item) { return SameExpr(*item.expr, expr); });
        if (!alias && !listed && !GroupedOnly(&expr, block, code)) return false;
    }
    return true;
}

CSqlType CSqlEmitter::ScalarSubquery(const CSqlExpr& expr, std::string& out, Typed* column) {
    const CSqlSelect& query = *expr.query;
    std::vector<Typed> columns;
    // One block aggregated without GROUP BY gives one row: nothing to count.
    bool oneRow = query.next == nullptr && query.groupBy.empty() && query.groupingSets.empty() &&
                  query.connectBy == nullptr && !query.implicitColumns &&
                  std::any_of(query.items.begin(), query.items.end(),
                              [](const CSqlSelectItem& item) { return HasAggregateCall(item.expr); });
    std::string body;
    if (!Query(query, body, &columns)) return CSqlType::Unknown;
    if (columns.size() > 1) return Fail(expr.at, 913), CSqlType::Unknown;
    if (column != nullptr && !columns.empty()) *column = columns[0];
    if (!columns.empty()) m_subqueryFloats[&expr] = columns[0].type.floatWidth;
    if (oneRow)
        out += "(" + body + ")";
    else
        out += "(WITH TARVEX_SQ(V) AS (" + body + ") SELECT ORA_SINGLE_ROW(V, " + std::to_string(expr.at) +
               ") FROM TARVEX_SQ)";
    return columns.empty() ? CSqlType::Unknown : columns[0].type.kind;
}
