#include <algorithm>

#include "engine/sqlite/CSqlEmitter.h"

namespace {

// An OFFSET of NULL skips every row.
constexpr std::string_view kEveryRow = "9223372036854775807";

std::string QuotedName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A count of rows as the server reads one: the fraction cut off, a negative
// count or NULL taken as none.
std::string WholeRows(const std::string& count) {
    return "COALESCE(MAX(0, CAST((" + count + ") AS INTEGER)), 0)";
}

}  // namespace

bool CSqlEmitter::RowLimit(const CSqlSelect& query, const std::vector<Typed>& produced, std::string& out) {
    std::size_t at = query.fetch != nullptr ? query.fetch->at : query.offset->at;
    // Note: the server numbers the rows by name, so no two columns may share one.
    for (std::size_t k = 0; k < produced.size(); ++k)
        for (std::size_t j = 0; j < k; ++j)
            if (produced[j].name == produced[k].name) return Fail(at, 918, produced[k].name);
    std::string skip = "0";
    if (query.offset != nullptr) {
        std::string offset;
        Expr(query.offset, offset);
        skip = "COALESCE(MAX(0, CAST((" + offset + ") AS INTEGER)), " + std::string(kEveryRow) + ")";
    }
    if (query.fetch == nullptr) {
        out += " LIMIT -1 OFFSET " + skip;
        return !m_failed;
    }
    std::string count;
    Expr(query.fetch, count);
    if (query.fetchPercent) {
        // Note: a share of the rows is rounded up to a whole row.
        std::string rows;
        if (!RowsWithoutLimit(query, nullptr, rows)) return false;
        count = "(SELECT ORA_CEIL(ORA_DIV(ORA_MUL(COUNT(*), " + count + "), 100)) FROM (" + rows + "))";
    }
    count = WholeRows(count);
    // Note: without ORDER BY no row ties with another.
    if (query.withTies && !query.orderBy.empty() && !TiedRows(query, produced, skip, count)) return false;
    out += " LIMIT " + count + " OFFSET " + skip;
    return !m_failed;
}

bool CSqlEmitter::RowsWithoutLimit(const CSqlSelect& query, const std::vector<CSqlExpr::OrderItem>* hidden,
                                   std::string& out) {
    CSqlSelect rows = query;
    rows.orderBy.clear();
    rows.offset = nullptr;
    rows.fetch = nullptr;
    rows.fetchPercent = false;
    rows.withTies = false;
    m_hiddenOrder = hidden;
    bool ok = Query(rows, out, nullptr);
    m_hiddenOrder = nullptr;
    return ok;
}

bool CSqlEmitter::TiedRows(const CSqlSelect& query, const std::vector<Typed>& produced,
                           const std::string& skip, std::string& count) {
    // The rows fetched with their ties are those ranked within the last
    // one's place: the rows in order up to the last of that rank.
    std::string keys;
    bool hidden = false;
    for (std::size_t k = 0; k < query.orderBy.size(); ++k) {
        const CSqlExpr::OrderItem& item = query.orderBy[k];
        std::size_t position = OrderPosition(*item.expr, produced);
        std::string key;
        if (position > 0) {
            const Typed& column = produced[position - 1];
            key = QuotedName(column.name);
            if (column.type.kind == CSqlType::Number) key = "ORA_NUMKEY(" + key + ")";
        } else if (query.next == nullptr) {
            key = "TARVEX_O" + std::to_string(k);
            hidden = true;
        } else {
            return Fail(item.expr->at, 3001, "FETCH ... WITH TIES");
        }
        keys += (k > 0 ? ", " : "") + key;
        AppendNulls(item, keys);
    }
    // Note: the rows of ROLLUP, CUBE and GROUPING SETS carry no keys of their own.
    if (hidden && (!query.groupingSets.empty() || query.implicitColumns))
        return Fail(query.fetch->at, 3001, "FETCH ... WITH TIES");
    std::string rows;
    if (!RowsWithoutLimit(query, hidden ? &query.orderBy : nullptr, rows)) return false;
    count = "(SELECT MAX(0, COUNT(*) - " + skip + ") FROM (SELECT RANK() OVER (ORDER BY " + keys +
            ") AS TARVEX_RANK FROM (" + rows + ")) WHERE TARVEX_RANK <= " + skip + " + " + count + ")";
    return !m_failed;
}
