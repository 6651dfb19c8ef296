#include "engine/sqlite/CJoinView.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqlParser.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// A name as the catalog holds it: quoted as written, else upper-cased.
std::string Upper(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"') return std::string(text.substr(1, text.size() - 2));
    return cp932::ToUpperAscii(text);
}

bool IsNamed(const CSqlExpr* expr, std::string_view name) {
    return expr->kind == CSqlExpr::Kind::Name && expr->parts.size() == 1 && Upper(expr->parts[0]) == name;
}

// Whether `expr` or an expression inside it is a window function or ROWNUM.
bool Analytic(const CSqlExpr* expr) {
    if (expr == nullptr) return false;
    if ((expr->kind == CSqlExpr::Kind::Call && expr->over) || IsNamed(expr, "ROWNUM")) return true;
    return std::any_of(expr->args.begin(), expr->args.end(), Analytic);
}

void Conjuncts(const CSqlExpr* expr, std::vector<const CSqlExpr*>& out) {
    if (expr == nullptr) return;
    if (expr->kind == CSqlExpr::Kind::Binary && expr->text == "AND") {
        Conjuncts(expr->args[0], out);
        Conjuncts(expr->args[1], out);
    } else if (expr->kind == CSqlExpr::Kind::Row && expr->args.size() == 1) {
        Conjuncts(expr->args[0], out);
    } else {
        out.push_back(expr);
    }
}

bool HasColumn(CSqliteCatalog& catalog, const std::string& table, const std::string& column) {
    const auto* columns = catalog.Columns(table);
    if (columns == nullptr) return false;
    return std::any_of(columns->begin(), columns->end(),
                       [&column](const CSqliteCatalog::Column& c) { return c.name == column; });
}

}  // namespace

CJoinView::Shape CJoinView::Read(const CSqlSelect& query, CSqliteCatalog& catalog) {
    bool plain = query.next == nullptr && query.with.empty() && !query.distinct && query.groupBy.empty() &&
                 query.groupingSets.empty() && query.having == nullptr && query.connectBy == nullptr &&
                 query.fetch == nullptr && query.offset == nullptr && !query.implicitColumns &&
                 !query.from.empty() && !Analytic(query.where);
    for (const CSqlSelectItem& item : query.items)
        plain = plain && !CSqlEmitter::HasAggregate(item.expr) && !Analytic(item.expr);
    for (const CSqlFromItem& item : query.from) {
        plain = plain && !item.table.empty() && item.query == nullptr && item.json == nullptr &&
                item.collection == nullptr && !item.natural;
        if (!plain) break;
        Table table;
        table.name = Upper(item.table.back());
        table.alias = Upper(item.alias.empty() ? item.table.back() : item.alias);
        std::string text;
        bool readOnly = false;
        bool checkOption = false;
        // Note: a view over another view passes no DML on.
        plain = !catalog.View(table.name, text, readOnly, checkOption);
        if (plain && catalog.Columns(table.name) == nullptr) return Shape::Missing;
        m_tables.push_back(std::move(table));
    }
    if (!plain) return Shape::NotUpdatable;
    m_nullable.assign(m_tables.size(), false);
    std::vector<const CSqlExpr*> conjuncts;
    Conjuncts(query.where, conjuncts);
    for (std::size_t k = 0; k < query.from.size(); ++k) {
        const CSqlFromItem& item = query.from[k];
        using Join = CSqlFromItem::Join;
        if (item.join == Join::Left || item.join == Join::Full) m_nullable[k] = true;
        for (std::size_t j = 0; j < k && (item.join == Join::Right || item.join == Join::Full); ++j)
            m_nullable[j] = true;
        Conjuncts(item.on, conjuncts);
        for (std::string_view name : item.usingColumns) {
            std::string column = Upper(name);
            for (std::size_t j = 0; j < k; ++j)
                if (HasColumn(catalog, m_tables[j].name, column)) {
                    m_bindings.push_back({k, column, {j}});
                    m_bindings.push_back({j, column, {k}});
                    break;
                }
        }
    }
    for (const CSqlExpr* conjunct : conjuncts) {
        MarkOuter(conjunct, catalog);
        Equality(conjunct, catalog);
    }
    std::vector<std::vector<std::vector<std::string>>> keys;
    for (const Table& table : m_tables) keys.push_back(catalog.UniqueKeys(table.name));
    for (std::size_t k = 0; k < m_tables.size(); ++k)
        m_tables[k].keyPreserved = !m_nullable[k] && Reaches(k, keys);
    return ReadColumns(query, catalog) ? Shape::Updatable : Shape::Missing;
}

bool CJoinView::ReadColumns(const CSqlSelect& query, CSqliteCatalog& catalog) {
    for (const CSqlSelectItem& item : query.items) {
        const CSqlExpr& expr = *item.expr;
        std::size_t before = m_columns.size();
        if (expr.kind == CSqlExpr::Kind::Star) {
            std::string qualifier = expr.parts.empty() ? std::string() : Upper(expr.parts[0]);
            // Note: "*" over USING brings the columns joined on first, once,
            // read from the first table that has them.
            std::vector<std::string> joined;
            for (const CSqlFromItem& item : query.from)
                for (std::string_view name : item.usingColumns)
                    if (qualifier.empty() &&
                        std::find(joined.begin(), joined.end(), Upper(name)) == joined.end())
                        joined.push_back(Upper(name));
            for (const std::string& name : joined)
                for (std::size_t k = 0; k < m_tables.size(); ++k)
                    if (HasColumn(catalog, m_tables[k].name, name)) {
                        m_columns.push_back({name, static_cast<int>(k), name});
                        break;
                    }
            for (std::size_t k = 0; k < m_tables.size(); ++k) {
                if (!qualifier.empty() && m_tables[k].alias != qualifier) continue;
                const auto* columns = catalog.Columns(m_tables[k].name);
                if (columns == nullptr) return false;
                for (const auto& column : *columns)
                    if (std::find(joined.begin(), joined.end(), column.name) == joined.end())
                        m_columns.push_back({column.name, static_cast<int>(k), column.name});
            }
            m_itemColumns.push_back(m_columns.size() - before);
            continue;
        }
        Column column;
        if (expr.kind == CSqlExpr::Kind::Name) {
            column.table = Owner(expr, catalog);
            column.base = Upper(expr.parts.back());
            column.name = column.base;
        }
        if (column.table < 0) column.base.clear();
        if (!item.alias.empty()) column.name = Upper(item.alias);
        m_columns.push_back(std::move(column));
        m_itemColumns.push_back(1);
    }
    return true;
}

void CJoinView::Rename(const std::vector<std::string>& names) {
    if (names.size() != m_columns.size()) return;
    for (std::size_t k = 0; k < names.size(); ++k) m_columns[k].name = names[k];
}

int CJoinView::Owner(const CSqlExpr& name, CSqliteCatalog& catalog) const {
    if (name.kind != CSqlExpr::Kind::Name || name.parts.empty()) return -1;
    std::string column = Upper(name.parts.back());
    std::string qualifier = name.parts.size() > 1 ? Upper(name.parts[name.parts.size() - 2]) : std::string();
    int found = -1;
    for (std::size_t k = 0; k < m_tables.size(); ++k) {
        bool named = qualifier.empty() || m_tables[k].alias == qualifier;
        if (!named || !HasColumn(catalog, m_tables[k].name, column)) continue;
        if (found >= 0) return -1;
        found = static_cast<int>(k);
    }
    return found;
}

bool CJoinView::Reads(const CSqlExpr* expr, CSqliteCatalog& catalog, std::vector<std::size_t>& tables) const {
    if (expr == nullptr) return true;
    // Note: a subquery's names are its own; such a value determines nothing here.
    if (expr->query != nullptr) return false;
    if (expr->kind == CSqlExpr::Kind::Name) {
        int owner = Owner(*expr, catalog);
        if (owner < 0) return false;
        tables.push_back(static_cast<std::size_t>(owner));
        return true;
    }
    if (expr->kind == CSqlExpr::Kind::Call && expr->over) return false;
    for (const CSqlExpr* arg : expr->args)
        if (!Reads(arg, catalog, tables)) return false;
    return true;
}

void CJoinView::Equality(const CSqlExpr* conjunct, CSqliteCatalog& catalog) {
    if (conjunct->kind != CSqlExpr::Kind::Binary || conjunct->text != "=" || conjunct->args.size() != 2)
        return;
    for (int side = 0; side < 2; ++side) {
        const CSqlExpr* column = conjunct->args[static_cast<std::size_t>(side)];
        const CSqlExpr* other = conjunct->args[static_cast<std::size_t>(1 - side)];
        int owner = Owner(*column, catalog);
        std::vector<std::size_t> needs;
        if (owner < 0 || !Reads(other, catalog, needs)) continue;
        auto table = static_cast<std::size_t>(owner);
        if (std::find(needs.begin(), needs.end(), table) != needs.end()) continue;
        m_bindings.push_back({table, Upper(column->parts.back()), std::move(needs)});
    }
}

void CJoinView::MarkOuter(const CSqlExpr* expr, CSqliteCatalog& catalog) {
    if (expr == nullptr) return;
    if (expr->kind == CSqlExpr::Kind::Name && expr->outer) {
        int owner = Owner(*expr, catalog);
        if (owner >= 0) m_nullable[static_cast<std::size_t>(owner)] = true;
    }
    for (const CSqlExpr* arg : expr->args) MarkOuter(arg, catalog);
}

bool CJoinView::Reaches(std::size_t from,
                        const std::vector<std::vector<std::vector<std::string>>>& keys) const {
    std::vector<bool> reached(m_tables.size(), false);
    reached[from] = true;
    // Note: a key equated to constants alone filters the table's rows and
    // joins nothing; some column of it must be joined.
    auto bound = [&](std::size_t table, const std::string& column, bool joined) {
        return std::any_of(m_bindings.begin(), m_bindings.end(), [&](const Binding& b) {
            return b.table == table && b.column == column && (!joined || !b.needs.empty()) &&
                   std::all_of(b.needs.begin(), b.needs.end(), [&](std::size_t t) { return reached[t]; });
        });
    };
    auto covered = [&](std::size_t table, const std::vector<std::string>& key) {
        return std::all_of(key.begin(), key.end(),
                           [&](const std::string& c) { return bound(table, c, false); }) &&
               std::any_of(key.begin(), key.end(),
                           [&](const std::string& c) { return bound(table, c, true); });
    };
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t k = 0; k < m_tables.size(); ++k) {
            if (reached[k]) continue;
            for (const auto& key : keys[k])
                if (covered(k, key)) {
                    reached[k] = grew = true;
                    break;
                }
        }
    }
    return std::all_of(reached.begin(), reached.end(), [](bool r) { return r; });
}

const CJoinView::Column* CJoinView::Find(const std::string& name) const {
    for (const Column& column : m_columns)
        if (column.name == name) return &column;
    return nullptr;
}

int CJoinView::DeleteTarget() const {
    for (std::size_t k = 0; k < m_tables.size(); ++k)
        if (m_tables[k].keyPreserved) return static_cast<int>(k);
    return -1;
}

int CJoinView::WriteTarget(const std::vector<std::string>& columns, int& code, std::size_t& failed) const {
    int target = -1;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        failed = k;
        const Column* column = Find(columns[k]);
        code = column == nullptr ? 904 : column->table < 0 ? 1733 : 0;
        if (code != 0) return -1;
        if (!m_tables[static_cast<std::size_t>(column->table)].keyPreserved) return code = 1779, -1;
        if (target >= 0 && target != column->table) return code = 1776, -1;
        target = column->table;
    }
    return target;
}

bool CJoinView::Allows(const std::string& name, char what) const {
    const Column* column = Find(name);
    if (column == nullptr) return false;
    bool kept = column->table >= 0 && m_tables[static_cast<std::size_t>(column->table)].keyPreserved;
    // Note: a row is deleted through any column but those of a table whose key the join loses.
    if (what == 'D') return DeleteTarget() >= 0 && (column->table < 0 || kept);
    return kept;
}

bool CJoinView::ReadView(CSqliteCatalog& catalog, const std::string& name) {
    std::string text;
    bool readOnly = false;
    bool checkOption = false;
    if (!catalog.View(name, text, readOnly, checkOption) || readOnly) return false;
    auto tokens = CSqlScanner::Significant(text);
    CSqlArena arena;
    CSqlParser parser(text, tokens, arena);
    CSqlParser::Failure failure;
    CSqlSelect* query = nullptr;
    if (!parser.ParseQuery(0, query, failure) || Read(*query, catalog) != Shape::Updatable) return false;
    if (const auto* named = catalog.Columns(name)) {
        std::vector<std::string> names;
        for (const auto& column : *named) names.push_back(column.name);
        Rename(names);
    }
    return true;
}

std::string CJoinView::BaseTable(CSqliteCatalog& catalog, const std::string& name, char event,
                                 std::vector<std::string>& columns) {
    CJoinView view;
    if (!view.ReadView(catalog, name)) return {};
    int code = 0;
    std::size_t failed = 0;
    int table = event == 'U' ? view.WriteTarget(columns, code, failed) : view.DeleteTarget();
    if (table < 0) return {};
    for (std::string& column : columns) column = view.Find(column)->base;
    return view.m_tables[static_cast<std::size_t>(table)].name;
}

namespace {

// The view read last, kept while the schema stays as it was.
struct Updatable {
    CSqliteCatalog& catalog;
    std::string name;
    std::uint64_t generation = 0;
    bool view = false;
    bool passes = false;
    CJoinView read;
};

void Answer(sqlite3_context* context, int, sqlite3_value** values) {
    auto& kept = *static_cast<Updatable*>(sqlite3_user_data(context));
    std::string table = encoding::Utf8ToCp932(sqliteapi::TextOf(values[0]));
    std::string column = encoding::Utf8ToCp932(sqliteapi::TextOf(values[1]));
    char what = sqliteapi::TextOf(values[2]).c_str()[0];
    if (table != kept.name || kept.generation != kept.catalog.Generation()) {
        kept.name = table;
        kept.generation = kept.catalog.Generation();
        kept.read = CJoinView{};
        std::string text;
        bool readOnly = false;
        bool checkOption = false;
        kept.view = kept.catalog.View(table, text, readOnly, checkOption);
        kept.passes = kept.view && kept.read.ReadView(kept.catalog, table);
    }
    static constexpr std::pair<char, const char*> kEvents[] = {
        {'U', "UPDATE"}, {'I', "INSERT"}, {'D', "DELETE"}};
    bool allowed = !kept.view;
    for (const auto& [code, event] : kEvents)
        if (kept.view && code == what && kept.catalog.HasInsteadOf(table, event)) allowed = true;
    allowed = allowed || (kept.passes && kept.read.Allows(column, what));
    sqlite3_result_text(context, allowed ? "YES" : "NO", -1, SQLITE_STATIC);
}

}  // namespace

bool CJoinView::Register(sqlite3* db, CSqliteCatalog& catalog) {
    auto* kept = new Updatable{catalog, {}, 0, false, false, CJoinView{}};
    return sqlite3_create_function_v2(db, "TARVEX_UPDATABLE", 3, SQLITE_UTF8, kept, Answer, nullptr, nullptr,
                                      [](void* data) { delete static_cast<Updatable*>(data); }) == SQLITE_OK;
}
