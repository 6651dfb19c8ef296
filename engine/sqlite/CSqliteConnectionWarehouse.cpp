// The connection's statements over partitioned tables and materialized
// views (see warehouse/): partitioning clauses, ALTER TABLE ... PARTITION,
// CREATE and DROP MATERIALIZED VIEW [LOG], and refresh.
#include <sqlite3.h>

#include <algorithm>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CIntervalFunctions.h"
#include "engine/sqlite/warehouse/CMviewCatalog.h"
#include "engine/sqlite/warehouse/CPartitionCatalog.h"
#include "engine/sqlite/warehouse/CPartitionClause.h"
#include "engine/sqlite/warehouse/CPartitionExchange.h"
#include "engine/sqlite/warehouse/CWarehouseState.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;
using Scheme = CPartitionScheme;

bool Is(std::string_view sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
}

std::size_t At(std::string_view sql, const Tokens& tokens, std::size_t k) {
    return k < tokens.size() ? tokens[k].begin : sql.size();
}

std::string NameAt(std::string_view sql, const Tokens& tokens, std::size_t k) {
    return k < tokens.size() ? encoding::Cp932ToUtf8(CPartitionClause::Name(sql, tokens[k])) : std::string();
}

// The token of the name after an optional "schema.".
std::size_t SkipSchema(std::string_view sql, const Tokens& tokens, std::size_t k) {
    return k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.') ? k + 2 : k;
}

// Date bounds as the server shows them in HIGH_VALUE.
std::string ShownDate(const std::string& stored) {
    return "TO_DATE(' " + stored.substr(0, 19) + "', 'SYYYY-MM-DD HH24:MI:SS', 'NLS_CALENDAR=GREGORIAN')";
}

bool Above(const CPartitionKey& a, const CPartitionKey& b) {
    for (std::size_t c = 0; c < a.size() && c < b.size(); ++c)
        if (int order = ComparePartitionValues(a[c], b[c]); order != 0) return order > 0;
    return false;
}

}  // namespace

bool CSqliteConnection::PartitionValue(const CPartitionClause::Value& value,
                                       const CSqliteCatalog::Column& column, CPartitionValue& out,
                                       std::string& shown) {
    if (value.maxValue) {
        out = CPartitionValue::Max();
        shown = "MAXVALUE";
        return true;
    }
    // Note: a bound is computed as the engine computes a query's value, in
    // the key column's type, so that it compares as the stored keys do.
    std::string expression = value.text;
    if (column.type == CSqlType::Date && column.fraction < 0) expression = "CAST(" + expression + " AS DATE)";
    if (column.type == CSqlType::Number) expression = "TO_NUMBER(" + expression + ")";
    if (column.type == CSqlType::Text) expression = "TO_CHAR(" + expression + ")";
    std::string query = "SELECT " + expression + " FROM DUAL";
    std::size_t shift = query.find(value.text);
    Statement statement;
    std::vector<CEngineBind> none;
    if (!Prepare(Piece{query, value.at >= shift ? value.at - shift : 0}, {}, none, statement)) return false;
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return SetStepError();
    out = CPartitionValue::Of(sqlite3_column_value(statement.get(), 0));
    shown = column.type == CSqlType::Date && out.kind == CPartitionValue::Kind::Text
                ? ShownDate(encoding::Cp932ToUtf8(out.bytes))
                : encoding::Cp932ToUtf8(value.text);
    return true;
}

bool CSqliteConnection::PartitionOf(const CPartitionScheme& scheme, const CPartitionClause::Item& item,
                                    std::size_t base, CPartitionScheme::Partition& out) {
    // Note: computing a value may read the catalog anew; the columns are copied.
    const auto* found = m_catalog->Columns(encoding::Utf8ToCp932(scheme.table));
    if (found == nullptr) {
        COraError::Set(m_error, 942, {encoding::Utf8ToCp932(scheme.table)});
        return false;
    }
    const std::vector<CSqliteCatalog::Column> columns = *found;
    out.name = item.name.empty() ? SystemPartitionName() : encoding::Cp932ToUtf8(item.name);
    out.isDefault = item.isDefault;
    out.highValue = item.isDefault ? "DEFAULT" : "";
    bool range = scheme.method == Scheme::Method::Range;
    // A range bound is one tuple: the values of VALUES LESS THAN (a, b).
    std::vector<std::vector<CPartitionClause::Value>> tuples = item.tuples;
    if (range && tuples.size() > 1 && tuples[0].size() == 1) {
        std::vector<CPartitionClause::Value> flat;
        for (const auto& tuple : tuples) flat.push_back(tuple[0]);
        tuples = {flat};
    }
    for (const auto& tuple : tuples) {
        std::size_t at = base + (tuple.empty() ? item.at : tuple[0].at);
        if (tuple.size() != scheme.columns.size()) {
            COraError::Set(m_error, tuple.size() > scheme.columns.size() ? 14017 : 14018, {},
                           static_cast<int>(at));
            return false;
        }
        CPartitionKey key;
        std::string shown;
        for (std::size_t c = 0; c < tuple.size(); ++c) {
            std::string upper = encoding::Utf8ToCp932(scheme.columns[c]);
            auto column =
                std::find_if(columns.begin(), columns.end(),
                             [&](const CSqliteCatalog::Column& each) { return each.name == upper; });
            CPartitionValue value;
            std::string text;
            if (column == columns.end() || !PartitionValue(tuple[c], *column, value, text)) return false;
            key.push_back(std::move(value));
            shown += (shown.empty() ? "" : ", ") + text;
        }
        out.highValue += (out.highValue.empty() ? "" : (range ? ", " : ", ")) + shown;
        out.values.push_back(std::move(key));
    }
    return true;
}

std::string CSqliteConnection::SystemPartitionName() {
    // Note: names given earlier in the statement are not in the file yet.
    const long long last = std::max(CPartitionCatalog::LastSystemNumber(m_db), m_warehouseNames);
    m_warehouseNames = last + 1;
    return "SYS_P" + std::to_string(last + 1);
}

bool CSqliteConnection::RecordPartitions(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql, 6);
    if (Is(sql, tokens, 0, "DROP") && Is(sql, tokens, 1, "INDEX")) {
        std::string index = NameAt(sql, tokens, SkipSchema(sql, tokens, 2));
        std::string forget = "DELETE FROM main.TARVEX_PART_INDEXES WHERE INDEX_NAME = '" + index + "'";
        return index.find('\'') != std::string::npos || ExecPlain(forget.c_str());
    }
    if (!Is(sql, tokens, 0, "CREATE")) return true;
    std::size_t name = Is(sql, tokens, 1, "TABLE") ? 2 : 0;
    if (name == 0) return RecordLocalIndex(sql);
    CPartitionClause clause;
    CPartitionClause::Failure failure;
    bool found = false;
    if (!clause.ReadCreate(sql, found, failure)) {
        COraError::Set(m_error, failure.code, {failure.name}, static_cast<int>(failure.at));
        return false;
    }
    if (!found) return true;
    m_catalog->Invalidate();
    Scheme scheme;
    scheme.table = NameAt(sql, tokens, SkipSchema(sql, tokens, name));
    scheme.method = clause.method;
    scheme.rowMovement = clause.rowMovement;
    const auto* columns = m_catalog->Columns(encoding::Utf8ToCp932(scheme.table));
    for (std::size_t c = 0; c < clause.columns.size(); ++c) {
        bool known = columns != nullptr &&
                     std::any_of(columns->begin(), columns->end(),
                                 [&](const auto& column) { return column.name == clause.columns[c]; });
        if (!known) {
            COraError::Set(m_error, 904, {clause.columns[c]}, static_cast<int>(clause.columnsAt[c]));
            return false;
        }
        scheme.columns.push_back(encoding::Cp932ToUtf8(clause.columns[c]));
    }
    for (const auto& item : clause.items) {
        Scheme::Partition partition;
        if (!PartitionOf(scheme, item, 0, partition) || !AddPartition(scheme, std::move(partition), item.at))
            return false;
    }
    return (clause.interval.empty() || IntervalOf(clause, scheme)) && SavePartitions(scheme, true) &&
           CheckPartitionRows(scheme);
}

// INTERVAL (expression): a constant interval over a DATE or TIMESTAMP key,
// after partitions none of which is MAXVALUE.
bool CSqliteConnection::IntervalOf(const CPartitionClause& clause, CPartitionScheme& scheme) {
    int at = static_cast<int>(clause.intervalAt);
    const auto* columns = m_catalog->Columns(encoding::Utf8ToCp932(scheme.table));
    std::string key = encoding::Utf8ToCp932(scheme.columns[0]);
    CSqlType type = CSqlType::Unknown;
    for (const auto& column : columns != nullptr ? *columns : std::vector<CSqliteCatalog::Column>())
        if (column.name == key) type = column.type;
    if (type == CSqlType::Number) {
        COraError::Set(m_error, 3001, {encoding::Utf8ToCp932("INTERVAL パーティション化 (NUMBER のキー)")},
                       at);
        return false;
    }
    if (type != CSqlType::Date) {
        COraError::Set(m_error, 14751, {}, at);
        return false;
    }
    for (const auto& partition : scheme.partitions)
        if (!partition.values.empty() && !partition.values[0].empty() &&
            partition.values[0][0].kind == CPartitionValue::Kind::MaxValue) {
            COraError::Set(m_error, 14761, {}, at);
            return false;
        }
    std::string query = "SELECT " + clause.interval + " FROM DUAL";
    Statement statement;
    std::vector<CEngineBind> none;
    if (!Prepare(Piece{query, clause.intervalAt >= 7 ? clause.intervalAt - 7 : 0}, {}, none, statement))
        return false;
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return SetStepError();
    const unsigned char* text = sqlite3_column_text(statement.get(), 0);
    CIntervalFunctions::Value step;
    if (text == nullptr || !CIntervalFunctions::Read(reinterpret_cast<const char*>(text), step) ||
        (step.yearToMonth ? step.months <= 0 : (step.seconds <= 0 || step.nanos != 0))) {
        COraError::Set(m_error, 14752, {}, at);
        return false;
    }
    scheme.interval = encoding::Cp932ToUtf8(clause.interval);
    scheme.step = CIntervalFunctions::Show(step);
    scheme.ranges = scheme.partitions.size();
    return true;
}

bool CSqliteConnection::AddPartition(CPartitionScheme& scheme, CPartitionScheme::Partition partition,
                                     std::size_t at) {
    if (scheme.Find(partition.name) >= 0) {
        COraError::Set(m_error, 14012, {encoding::Utf8ToCp932(partition.name)}, static_cast<int>(at));
        return false;
    }
    if (scheme.method == Scheme::Method::Range && !scheme.partitions.empty()) {
        const auto& last = scheme.partitions.back().values[0];
        if (!Above(partition.values[0], last)) {
            bool creating = !m_warehouseAltering;
            if (creating)
                COraError::Set(m_error, 14037, {encoding::Utf8ToCp932(partition.name)}, static_cast<int>(at));
            else
                COraError::Set(m_error, 14074, {}, static_cast<int>(at));
            return false;
        }
    }
    if (scheme.method == Scheme::Method::List) {
        for (const auto& existing : scheme.partitions) {
            if (existing.isDefault && m_warehouseAltering) {
                COraError::Set(m_error, 14323, {}, static_cast<int>(at));
                return false;
            }
            for (const auto& value : partition.values)
                if (std::find(existing.values.begin(), existing.values.end(), value) !=
                    existing.values.end()) {
                    COraError::Set(m_error, 14312, {"", encoding::Utf8ToCp932(existing.name)},
                                   static_cast<int>(at));
                    return false;
                }
        }
    }
    scheme.partitions.push_back(std::move(partition));
    return true;
}

bool CSqliteConnection::SavePartitions(const CPartitionScheme& scheme, bool guard) {
    m_warehouse->Forget();
    return CPartitionCatalog::Write(m_db, scheme, m_error) &&
           (!guard || CPartitionCatalog::Guard(m_db, scheme, m_error));
}

bool CSqliteConnection::CheckPartitionRows(const CPartitionScheme& scheme) {
    std::string arguments = "'" + scheme.table + "'";
    for (const auto& column : scheme.columns) arguments += ", \"" + column + "\"";
    Statement statement =
        sqliteapi::Prepare(m_db, "SELECT 1 FROM main.\"" + scheme.table + "\" WHERE TARVEX_PARTITION(" +
                                     arguments + ") IS NULL LIMIT 1");
    if (!statement) return SetStepError();
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return true;
    COraError::Set(m_error, 14400, {}, 0);
    return false;
}

bool CSqliteConnection::RecordLocalIndex(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t k = 1;
    if (Is(sql, tokens, k, "UNIQUE") || Is(sql, tokens, k, "BITMAP")) ++k;
    if (!Is(sql, tokens, k, "INDEX")) return true;
    std::size_t index = SkipSchema(sql, tokens, k + 1);
    std::size_t table = SkipSchema(sql, tokens, index + 2);
    if (!Is(sql, tokens, index + 1, "ON")) return true;
    int depth = 0;
    bool local = false;
    for (std::size_t t = table + 1; t < tokens.size(); ++t) {
        if (CSqlScanner::IsSymbol(sql, tokens[t], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[t], ')')) --depth;
        local = local || (depth == 0 && Is(sql, tokens, t, "LOCAL"));
    }
    if (!local) return true;
    Scheme scheme;
    std::string tableName = NameAt(sql, tokens, table);
    if (!CPartitionCatalog::Read(m_db, tableName, scheme)) {
        COraError::Set(m_error, 14016, {}, static_cast<int>(At(sql, tokens, table)));
        return false;
    }
    return CPartitionCatalog::AddLocalIndex(m_db, NameAt(sql, tokens, index), tableName, m_error);
}

bool CSqliteConnection::DeletePartitionRows(const CPartitionScheme& scheme, int position) {
    std::string arguments = "'" + scheme.table + "'";
    for (const auto& column : scheme.columns) arguments += ", \"" + column + "\"";
    std::string sql = "DELETE FROM main.\"" + scheme.table + "\" WHERE TARVEX_PARTITION(" + arguments +
                      ") = " + std::to_string(position + 1);
    return ExecPlain(sql.c_str());
}

bool CSqliteConnection::AlterPartition(const std::string& sql, bool& handled) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t name = SkipSchema(sql, tokens, 2);
    std::size_t k = name + 1;
    static constexpr std::string_view kActions[] = {"ADD",   "DROP", "TRUNCATE", "RENAME",   "SPLIT",
                                                    "MERGE", "MOVE", "MODIFY",   "COALESCE", "EXCHANGE"};
    bool action = std::any_of(std::begin(kActions), std::end(kActions),
                              [&](std::string_view word) { return Is(sql, tokens, k, word); });
    bool movement = (Is(sql, tokens, k, "ENABLE") || Is(sql, tokens, k, "DISABLE")) &&
                    Is(sql, tokens, k + 1, "ROW") && Is(sql, tokens, k + 2, "MOVEMENT");
    if (!(action && (Is(sql, tokens, k + 1, "PARTITION") || Is(sql, tokens, k + 1, "PARTITIONS"))) &&
        !movement)
        return true;
    Scheme scheme;
    bool partitioned = CPartitionCatalog::Read(m_db, NameAt(sql, tokens, name), scheme);
    if (movement) {
        // Note: a table without partitions takes the clause and keeps nothing.
        scheme.rowMovement = Is(sql, tokens, k, "ENABLE");
        return !partitioned || SavePartitions(scheme, false);
    }
    handled = true;
    if (!partitioned) {
        COraError::Set(m_error, 14501, {encoding::Utf8ToCp932(NameAt(sql, tokens, name))},
                       static_cast<int>(At(sql, tokens, name)));
        return false;
    }
    m_warehouseAltering = true;
    bool ok = AlterScheme(sql, tokens, k, scheme);
    m_warehouseAltering = false;
    return ok && SavePartitions(scheme, false);
}

bool CSqliteConnection::AlterScheme(const std::string& sql, const Tokens& tokens, std::size_t k,
                                    CPartitionScheme& scheme) {
    std::string verb = cp932::ToUpperAscii(sql.substr(tokens[k].begin, tokens[k].length));
    CPartitionClause clause;
    clause.method = scheme.method;
    CPartitionClause::Failure failure;
    auto refuse = [&](int code, std::size_t at, std::string name = {}) {
        COraError::Set(m_error, code, {name}, static_cast<int>(at));
        return false;
    };
    bool stepped = !scheme.interval.empty();
    if (stepped && verb == "ADD") return refuse(14760, tokens[k].begin);
    if (stepped && (verb == "SPLIT" || verb == "MERGE"))
        return refuse(3001, tokens[k].begin, verb + " PARTITION (INTERVAL)");
    if (verb == "ADD") {
        for (std::size_t t = k + 1;;) {
            CPartitionClause::Item item;
            if (!clause.ReadItem(sql, tokens, t, item, failure))
                return refuse(failure.code, failure.at, failure.name);
            Scheme::Partition partition;
            if (!PartitionOf(scheme, item, 0, partition) ||
                !AddPartition(scheme, std::move(partition), item.at))
                return false;
            if (!(t < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[t], ',') &&
                  Is(sql, tokens, t + 1, "PARTITION")))
                return true;
            ++t;
        }
    }
    if (verb == "COALESCE") {
        // Note: the last hash partition goes; its rows belong to the others
        // by the same rule.
        if (scheme.method != Scheme::Method::Hash) return refuse(14259, tokens[k].begin);
        if (scheme.partitions.size() < 2) return refuse(14083, tokens[k].begin);
        scheme.partitions.pop_back();
        return true;
    }
    // The partitions named after the verb: "PARTITION a", or "PARTITIONS a, b".
    std::vector<int> named;
    std::size_t t = k + 2;
    for (; t < tokens.size(); t += 2) {
        bool byValue = Is(sql, tokens, t, "FOR");
        if (byValue) return refuse(3001, tokens[t].begin, "PARTITION FOR");
        int position = scheme.Find(NameAt(sql, tokens, t));
        if (position < 0) return refuse(2149, At(sql, tokens, t), CPartitionClause::Name(sql, tokens[t]));
        named.push_back(position);
        if (!(t + 1 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[t + 1], ','))) break;
    }
    if (named.empty()) return refuse(14004, At(sql, tokens, t));
    ++t;
    if (verb == "TRUNCATE") {
        for (int position : named)
            if (!DeletePartitionRows(scheme, position)) return false;
        return true;
    }
    if (verb == "RENAME") {
        if (!Is(sql, tokens, t, "TO") || t + 1 >= tokens.size()) return refuse(14004, At(sql, tokens, t));
        std::string to = NameAt(sql, tokens, t + 1);
        if (scheme.Find(to) >= 0)
            return refuse(14012, tokens[t + 1].begin, CPartitionClause::Name(sql, tokens[t + 1]));
        scheme.partitions[static_cast<std::size_t>(named[0])].name = to;
        return true;
    }
    if (verb == "DROP") {
        if (scheme.method == Scheme::Method::Hash) return refuse(14255, tokens[k].begin);
        if (named.size() >= scheme.partitions.size()) return refuse(14083, tokens[k].begin);
        std::sort(named.rbegin(), named.rend());
        std::size_t ranges = scheme.ranges;
        for (int position : named) ranges -= static_cast<std::size_t>(position) < scheme.ranges ? 1 : 0;
        if (stepped && ranges == 0) return refuse(14758, tokens[k].begin);
        scheme.ranges = ranges;
        for (int position : named) {
            if (!DeletePartitionRows(scheme, position)) return false;
        }
        for (int position : named) scheme.partitions.erase(scheme.partitions.begin() + position);
        return true;
    }
    if (verb == "MOVE") return true;  // Note: storage only; the rows stay.
    if (verb == "EXCHANGE") return ExchangePartition(sql, tokens, t, named[0], scheme);
    if (verb == "MODIFY") return ModifyPartition(sql, tokens, t, named[0], scheme);
    if (verb == "SPLIT") return SplitPartition(sql, tokens, t, named[0], scheme);
    return MergePartitions(sql, tokens, t, named, scheme);
}

// EXCHANGE PARTITION p WITH TABLE s [INCLUDING | EXCLUDING INDEXES]
// [WITH | WITHOUT VALIDATION] [UPDATE GLOBAL INDEXES].
bool CSqliteConnection::ExchangePartition(const std::string& sql, const Tokens& tokens, std::size_t t,
                                          int position, const CPartitionScheme& scheme) {
    if (!Is(sql, tokens, t, "WITH") || !Is(sql, tokens, t + 1, "TABLE") || t + 2 >= tokens.size()) {
        COraError::Set(m_error, 905, {}, static_cast<int>(At(sql, tokens, t)));
        return false;
    }
    std::size_t name = SkipSchema(sql, tokens, t + 2);
    bool validate = true;
    for (std::size_t k = name + 1; k + 1 < tokens.size(); ++k)
        if (Is(sql, tokens, k, "WITHOUT") && Is(sql, tokens, k + 1, "VALIDATION")) validate = false;
    int code = 0;
    std::string argument;
    if (CPartitionExchange(m_db, *m_catalog)
            .Run(scheme, position, NameAt(sql, tokens, name), validate, code, argument))
        return true;
    int at = static_cast<int>(code == 14099 || code == 14096 || code == 14097 ? tokens[t].begin
                                                                              : tokens[name].begin);
    if (code == 0)
        m_error.Set(argument, at);
    else if (code == 12081)
        COraError::Set(m_error, code, {m_session->user, argument}, at);
    else
        COraError::Set(m_error, code, {argument}, at);
    return false;
}

// MODIFY PARTITION p [ADD VALUES (...)] or physical attributes, which
// change nothing here.
bool CSqliteConnection::ModifyPartition(const std::string& sql, const Tokens& tokens, std::size_t t,
                                        int position, CPartitionScheme& scheme) {
    bool add = Is(sql, tokens, t, "ADD") && Is(sql, tokens, t + 1, "VALUES");
    bool drop = Is(sql, tokens, t, "DROP") && Is(sql, tokens, t + 1, "VALUES");
    if (drop || Is(sql, tokens, t, "SUBPARTITION") || (Is(sql, tokens, t, "ADD") && !add)) {
        std::string what = cp932::ToUpperAscii(sql.substr(tokens[t].begin, tokens[t].length));
        COraError::Set(m_error, 3001, {"MODIFY PARTITION ... " + what}, static_cast<int>(tokens[t].begin));
        return false;
    }
    if (!add) return true;
    if (scheme.method != Scheme::Method::List) {
        COraError::Set(m_error, 14310, {}, static_cast<int>(tokens[t].begin));
        return false;
    }
    CPartitionClause::Item item;
    item.at = tokens[t].begin;
    item.name = encoding::Utf8ToCp932(scheme.partitions[static_cast<std::size_t>(position)].name);
    std::size_t k = t + 2;
    CPartitionClause::Failure failure;
    if (!CPartitionClause::ReadValues(sql, tokens, k, item.tuples, item.isDefault, failure)) {
        COraError::Set(m_error, failure.code, {failure.name}, static_cast<int>(failure.at));
        return false;
    }
    Scheme::Partition added;
    if (!PartitionOf(scheme, item, 0, added)) return false;
    for (const auto& existing : scheme.partitions)
        for (const auto& value : added.values)
            if (std::find(existing.values.begin(), existing.values.end(), value) != existing.values.end()) {
                COraError::Set(m_error, 14312, {"", encoding::Utf8ToCp932(existing.name)},
                               static_cast<int>(item.at));
                return false;
            }
    Scheme before = scheme;
    auto& kept = scheme.partitions[static_cast<std::size_t>(position)];
    kept.values.insert(kept.values.end(), added.values.begin(), added.values.end());
    kept.highValue += ", " + added.highValue;
    return KeepDefaultRows(before, scheme, item.at);
}

// ORA-14324 when rows the DEFAULT partition holds would belong to another
// partition under `after`.
bool CSqliteConnection::KeepDefaultRows(const CPartitionScheme& before, const CPartitionScheme& after,
                                        std::size_t at) {
    auto fallback = std::find_if(before.partitions.begin(), before.partitions.end(),
                                 [](const Scheme::Partition& partition) { return partition.isDefault; });
    if (fallback == before.partitions.end()) return true;
    std::string columns;
    std::string arguments = "'" + before.table + "'";
    for (const auto& column : before.columns) {
        columns += (columns.empty() ? "\"" : ", \"") + column + "\"";
        arguments += ", \"" + column + "\"";
    }
    auto position = fallback - before.partitions.begin();
    Statement rows = sqliteapi::Prepare(m_db, "SELECT " + columns + " FROM main.\"" + before.table +
                                                  "\" WHERE TARVEX_PARTITION(" + arguments +
                                                  ") = " + std::to_string(position + 1));
    if (!rows) return SetStepError();
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        CPartitionKey key;
        for (int c = 0; c < sqlite3_column_count(rows.get()); ++c)
            key.push_back(CPartitionValue::Of(sqlite3_column_value(rows.get(), c)));
        if (after.Locate(key) != position) {
            COraError::Set(m_error, 14324, {}, static_cast<int>(at));
            return false;
        }
    }
    return true;
}

// SPLIT PARTITION p AT (bound) [INTO (PARTITION a, PARTITION b)]: the rows
// stay where they are; the lower part takes the new bound.
bool CSqliteConnection::SplitPartition(const std::string& sql, const Tokens& tokens, std::size_t t,
                                       int position, CPartitionScheme& scheme) {
    if (scheme.method == Scheme::Method::List) {
        COraError::Set(m_error, 3001, {"SPLIT PARTITION ... VALUES"}, static_cast<int>(At(sql, tokens, t)));
        return false;
    }
    if (scheme.method != Scheme::Method::Range || !Is(sql, tokens, t, "AT")) {
        COraError::Set(m_error, 14255, {}, static_cast<int>(At(sql, tokens, t)));
        return false;
    }
    ++t;
    CPartitionClause::Item item;
    item.at = At(sql, tokens, t);
    item.name = encoding::Utf8ToCp932(scheme.partitions[static_cast<std::size_t>(position)].name);
    CPartitionClause::Failure failure;
    if (!CPartitionClause::ReadValues(sql, tokens, t, item.tuples, item.isDefault, failure)) {
        COraError::Set(m_error, failure.code, {failure.name}, static_cast<int>(failure.at));
        return false;
    }
    std::vector<std::string> names;
    if (Is(sql, tokens, t, "INTO"))
        for (std::size_t u = t + 1; u < tokens.size(); ++u)
            if (Is(sql, tokens, u, "PARTITION") && u + 1 < tokens.size() &&
                tokens[u + 1].kind != CSqlScanner::Kind::Symbol)
                names.push_back(CPartitionClause::Name(sql, tokens[u + 1]));
    Scheme::Partition lower;
    auto index = static_cast<std::size_t>(position);
    if (!PartitionOf(scheme, item, 0, lower)) return false;
    const auto& upper = scheme.partitions[index];
    bool inside = Above(upper.values[0], lower.values[0]) &&
                  (index == 0 || Above(lower.values[0], scheme.partitions[index - 1].values[0]));
    if (!inside) {
        COraError::Set(m_error, 14080, {}, static_cast<int>(item.at));
        return false;
    }
    lower.name = names.size() > 0 ? encoding::Cp932ToUtf8(names[0]) : SystemPartitionName();
    Scheme::Partition higher = upper;
    higher.name = names.size() > 1 ? encoding::Cp932ToUtf8(names[1]) : SystemPartitionName();
    for (const auto& name : {lower.name, higher.name}) {
        int existing = scheme.Find(name);
        if (existing >= 0 && existing != position) {
            COraError::Set(m_error, 14012, {encoding::Utf8ToCp932(name)}, static_cast<int>(item.at));
            return false;
        }
    }
    scheme.partitions[index] = std::move(higher);
    scheme.partitions.insert(scheme.partitions.begin() + position, std::move(lower));
    return true;
}

// MERGE PARTITIONS a, b INTO PARTITION c: two neighbours become one.
bool CSqliteConnection::MergePartitions(const std::string& sql, const Tokens& tokens, std::size_t t,
                                        std::vector<int> named, CPartitionScheme& scheme) {
    std::sort(named.begin(), named.end());
    if (named.size() != 2 || scheme.method == Scheme::Method::Hash ||
        (scheme.method == Scheme::Method::Range && named[1] != named[0] + 1)) {
        COraError::Set(m_error, scheme.method == Scheme::Method::Hash ? 14255 : 14274, {},
                       static_cast<int>(At(sql, tokens, t)));
        return false;
    }
    std::string name;
    if (Is(sql, tokens, t, "INTO") && Is(sql, tokens, t + 1, "PARTITION") && t + 2 < tokens.size())
        name = NameAt(sql, tokens, t + 2);
    auto& kept = scheme.partitions[static_cast<std::size_t>(named[1])];
    const auto& gone = scheme.partitions[static_cast<std::size_t>(named[0])];
    if (scheme.method == Scheme::Method::List) {
        kept.values.insert(kept.values.end(), gone.values.begin(), gone.values.end());
        kept.isDefault = kept.isDefault || gone.isDefault;
        kept.highValue = gone.highValue + ", " + kept.highValue;
    }
    kept.name = name.empty() ? SystemPartitionName() : name;
    scheme.partitions.erase(scheme.partitions.begin() + named[0]);
    int clash = 0;
    for (const auto& partition : scheme.partitions) clash += partition.name == kept.name ? 1 : 0;
    if (clash > 1) {
        COraError::Set(m_error, 14012, {encoding::Utf8ToCp932(kept.name)},
                       static_cast<int>(At(sql, tokens, t + 2)));
        return false;
    }
    return true;
}

bool CSqliteConnection::RunWarehouse(const std::string& sql, bool& handled) {
    auto tokens = CSqlScanner::Significant(sql, 8);
    bool create = Is(sql, tokens, 0, "CREATE");
    bool drop = Is(sql, tokens, 0, "DROP");
    if ((create || drop) && Is(sql, tokens, 1, "MATERIALIZED") && Is(sql, tokens, 2, "VIEW")) {
        handled = true;
        if (Is(sql, tokens, 3, "LOG")) return MviewLog(sql, create);
        return create ? CreateMview(sql) : DropMview(sql);
    }
    if (Is(sql, tokens, 0, "ALTER") && Is(sql, tokens, 1, "TABLE")) return AlterPartition(sql, handled);
    // Note: a materialized view's table goes only with the view.
    CMviewCatalog::Mview mview;
    std::size_t name = SkipSchema(sql, tokens, 2);
    if (drop && Is(sql, tokens, 1, "TABLE") && CMviewCatalog::Find(m_db, NameAt(sql, tokens, name), mview)) {
        COraError::Set(m_error, 12083, {}, static_cast<int>(At(sql, tokens, name)));
        return false;
    }
    return true;
}

// CREATE | DROP MATERIALIZED VIEW LOG ON t ...: kept for USER_MVIEW_LOGS;
// every refresh here is complete, so the log records nothing.
bool CSqliteConnection::MviewLog(const std::string& sql, bool create) {
    auto tokens = CSqlScanner::Significant(sql);
    if (!Is(sql, tokens, 4, "ON") || tokens.size() < 6) {
        COraError::Set(m_error, 905, {}, static_cast<int>(At(sql, tokens, 4)));
        return false;
    }
    std::string master = NameAt(sql, tokens, SkipSchema(sql, tokens, 5));
    if (m_catalog->Columns(encoding::Utf8ToCp932(master)) == nullptr) {
        COraError::Set(m_error, 942, {encoding::Utf8ToCp932(master)}, static_cast<int>(tokens[5].begin));
        return false;
    }
    bool rowid = false;
    for (std::size_t k = 6; k < tokens.size(); ++k) rowid = rowid || Is(sql, tokens, k, "ROWID");
    std::string text = create ? "INSERT OR REPLACE INTO main.TARVEX_MVIEW_LOGS VALUES ('" + master +
                                    "', 'MLOG$_" + master + "', '" + (rowid ? "YES" : "NO") + "', '" +
                                    (rowid ? "NO" : "YES") + "')"
                              : "DELETE FROM main.TARVEX_MVIEW_LOGS WHERE MASTER = '" + master + "'";
    return ExecPlain(text.c_str());
}

bool CSqliteConnection::CreateMview(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t name = SkipSchema(sql, tokens, 3);
    CMviewCatalog::Mview mview;
    mview.name = NameAt(sql, tokens, name);
    std::size_t as = name + 1;
    int depth = 0;
    for (; as < tokens.size(); ++as) {
        if (CSqlScanner::IsSymbol(sql, tokens[as], '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, tokens[as], ')')) --depth;
        if (depth == 0 && Is(sql, tokens, as, "AS")) break;
        if (depth == 0 && Is(sql, tokens, as, "DEFERRED")) mview.buildMode = "DEFERRED";
        if (depth == 0 && Is(sql, tokens, as, "PREBUILT")) {
            COraError::Set(m_error, 3001, {"ON PREBUILT TABLE"}, static_cast<int>(tokens[as].begin));
            return false;
        }
        if (depth == 0 && Is(sql, tokens, as, "COMPLETE")) mview.refreshMethod = "COMPLETE";
        if (depth == 0 && Is(sql, tokens, as, "FAST")) mview.refreshMethod = "FAST";
        if (depth == 0 && Is(sql, tokens, as, "NEVER")) mview.refreshMethod = "NEVER";
        if (depth == 0 && Is(sql, tokens, as, "COMMIT")) mview.refreshMode = "COMMIT";
        if (depth == 0 && Is(sql, tokens, as, "ENABLE") && Is(sql, tokens, as + 1, "QUERY"))
            mview.rewrite = true;
    }
    if (as + 1 >= tokens.size()) {
        COraError::Set(m_error, 905, {}, static_cast<int>(sql.size()));
        return false;
    }
    // Note: the rows are a table of the view's name, made as CREATE TABLE
    // ... AS SELECT makes one; the query keeps its place in the text.
    std::string table(sql.size(), ' ');
    std::string head = "CREATE TABLE " + sql.substr(tokens[name].begin, tokens[name].length);
    if (head.size() > tokens[as].begin) head = head.substr(0, tokens[as].begin);
    table.replace(0, head.size(), head);
    table.replace(tokens[as].begin, sql.size() - tokens[as].begin, sql.substr(tokens[as].begin));
    std::string query = sql.substr(tokens[as + 1].begin);
    while (!query.empty() && (query.back() == ';' || query.back() == ' ' || query.back() == '\n'))
        query.pop_back();
    mview.query = encoding::Cp932ToUtf8(query);
    bool handled = false;
    if (!CreateAsSelect(table, handled)) {
        if (!handled) COraError::Set(m_error, 900, {}, static_cast<int>(tokens[as + 1].begin));
        return false;
    }
    std::string quoted = "DELETE FROM main.\"" + mview.name + "\"";
    return RecordColumns(table) && (mview.buildMode != "DEFERRED" || ExecPlain(quoted.c_str())) &&
           CMviewCatalog::Add(m_db, mview, m_error) &&
           (mview.buildMode == "DEFERRED" || CMviewCatalog::Refreshed(m_db, mview.name, m_error));
}

bool CSqliteConnection::DropMview(const std::string& sql) {
    auto tokens = CSqlScanner::Significant(sql);
    std::size_t name = SkipSchema(sql, tokens, 3);
    std::string mview = NameAt(sql, tokens, name);
    CMviewCatalog::Mview found;
    if (!CMviewCatalog::Find(m_db, mview, found)) {
        COraError::Set(m_error, 12003, {encoding::Utf8ToCp932(mview)},
                       static_cast<int>(At(sql, tokens, name)));
        return false;
    }
    bool preserve = Is(sql, tokens, name + 1, "PRESERVE");
    std::string drop = preserve ? "SELECT 1" : "DROP TABLE main.\"" + mview + "\"";
    for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
        std::string trigger =
            "DROP TRIGGER IF EXISTS main.\"TARVEX_MVIEW_" + std::string(event) + "_" + mview + "\"";
        if (!ExecPlain(trigger.c_str())) return false;
    }
    return ExecPlain(drop.c_str()) && CMviewCatalog::Drop(m_db, mview, m_error) &&
           (preserve || CCatalogTables::Forget(m_db, mview, m_error));
}

bool CSqliteConnection::RefreshMviews(const std::string& list, CEngineError& error) {
    std::size_t start = 0;
    bool ok = true;
    while (ok && start <= list.size()) {
        std::size_t comma = list.find(',', start);
        std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? list.size() + 1 : comma + 1;
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        std::size_t dot = name.find('.');
        if (dot != std::string::npos) name = name.substr(dot + 1);
        if (name.empty()) continue;
        name = name.front() == '"' ? name.substr(1, name.size() - 2) : cp932::ToUpperAscii(name);
        ok = RefreshMview(encoding::Cp932ToUtf8(name));
    }
    if (!ok) error = m_error;
    return ok;
}

bool CSqliteConnection::RefreshMview(const std::string& name) {
    CMviewCatalog::Mview mview;
    if (!CMviewCatalog::Find(m_db, name, mview)) {
        COraError::Set(m_error, 12003, {encoding::Utf8ToCp932(name)});
        return false;
    }
    std::string query = encoding::Utf8ToCp932(mview.query);
    std::string compiled;
    if (!Compile(Piece{query, 0}, compiled)) return false;
    if (!BeginWrite()) return false;
    std::string utf8 = "DELETE FROM main.\"" + name + "\"; INSERT INTO main.\"" + name + "\" " +
                       encoding::Cp932ToUtf8(compiled);
    m_warehouse->refreshing = true;
    bool ok = ExecPlain(utf8.c_str());
    m_warehouse->refreshing = false;
    return ok && CMviewCatalog::Refreshed(m_db, name, m_error);
}

bool CSqliteConnection::RefreshOnCommit() {
    if (!InTransaction()) return true;
    for (const std::string& name : CMviewCatalog::OnCommit(m_db))
        if (!RefreshMview(name)) return false;
    return true;
}

void CSqliteConnection::PlaceTableError(const std::string& sql) {
    if (m_error.position >= 0 || (m_error.code != 14400 && m_error.code != 14402 && m_error.code != 1732))
        return;
    auto tokens = CSqlScanner::Significant(sql, 3);
    std::size_t k = Is(sql, tokens, 1, "INTO") || Is(sql, tokens, 1, "FROM") ? 2 : 1;
    bool dml = Is(sql, tokens, 0, "INSERT") || Is(sql, tokens, 0, "UPDATE") || Is(sql, tokens, 0, "DELETE") ||
               Is(sql, tokens, 0, "MERGE");
    if (dml && k < tokens.size()) m_error.position = static_cast<int>(tokens[k].begin);
}
