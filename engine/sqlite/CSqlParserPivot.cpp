// PIVOT and UNPIVOT, read as the queries they stand for:
//
//   src PIVOT (SUM(sal) AS s FOR deptno IN (10 AS d10, 20))
//     SELECT <src's other columns>, SUM(CASE WHEN deptno = 10 THEN sal END) AS D10_S,
//            SUM(CASE WHEN deptno = 20 THEN sal END) AS "20_S"
//     FROM src GROUP BY <src's other columns>
//
//   src UNPIVOT (val FOR col IN (sal, comm AS 'C'))
//     SELECT <src's other columns>, TARVEX_UL AS col, CASE TARVEX_UN WHEN 1 THEN sal
//            WHEN 2 THEN comm END AS val
//     FROM src, (SELECT 1 TARVEX_UN, 'SAL' TARVEX_UL FROM DUAL UNION ALL
//                SELECT 2, 'C' FROM DUAL)
//     WHERE <that CASE> IS NOT NULL            -- unless INCLUDE NULLS
//
// "Other columns" are known only once the source's columns are (the
// emitter fills them in: CSqlSelect::implicitColumns).
#include "engine/sqlite/CSqlParser.h"

namespace {

// A name as a column is named: quoted as written, else upper case.
std::string ColumnName(std::string_view token) {
    if (token.size() >= 2 && token.front() == '"') return std::string(token.substr(1, token.size() - 2));
    std::string name(token);
    for (char& c : name) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return name;
}

}  // namespace

void CSqlParser::NamesRead(const Expr* expr, std::vector<std::string_view>& out) {
    if (expr == nullptr) return;
    if (expr->kind == Expr::Kind::Name) out.push_back(expr->parts.back());
    for (const Expr* arg : expr->args) NamesRead(arg, out);
}

CSqlExpr* CSqlParser::Equal(Expr* left, Expr* right) {
    Expr* equal = Node(Expr::Kind::Binary, left->at);
    equal->text = "=";
    equal->args = {left, right};
    return equal;
}

bool CSqlParser::Pivot(CSqlFromItem& item) {
    bool unpivot = Is("UNPIVOT");
    ++m_k;
    CSqlFromItem source;
    source.at = item.at;
    source.table = item.table;
    source.query = item.query;
    source.json = item.json;
    source.alias = item.alias;
    CSqlSelect* query = nullptr;
    if (!(unpivot ? UnpivotQuery(source, query) : PivotQuery(source, query))) return false;
    item.table.clear();
    item.json.reset();
    item.query = query;
    item.alias = {};
    if (!Alias(item.alias, false)) return false;
    if (Is("PIVOT") || Is("UNPIVOT")) return Pivot(item);
    return true;
}

bool CSqlParser::PivotQuery(const CSqlFromItem& source, CSqlSelect*& out) {
    if (Is("XML")) return Refuse("PIVOT XML");
    if (!ExpectSymbol('(')) return false;
    struct Aggregate {
        Expr* call = nullptr;
        std::string alias;
    };
    std::vector<Aggregate> aggregates;
    do {
        Aggregate aggregate;
        if (!Expression(aggregate.call)) return false;
        if (aggregate.call->kind != Expr::Kind::Call || aggregate.call->over) return Fail();
        Accept("AS");
        if (IsName() && !Is("FOR")) aggregate.alias = ColumnName(TokenText(m_k++));
        aggregates.push_back(aggregate);
    } while (AcceptSymbol(','));
    if (!Expect("FOR")) return false;
    std::vector<Expr*> keys;
    bool grouped = AcceptSymbol('(');
    do {
        Expr* key = nullptr;
        if (!IsName() || !NameOrCall(key)) return Fail();
        keys.push_back(key);
    } while (grouped && AcceptSymbol(','));
    if ((grouped && !ExpectSymbol(')')) || !Expect("IN") || !ExpectSymbol('(')) return false;
    if (Is("ANY") || Is("SELECT") || Is("WITH"))
        return Refuse("PIVOT ... IN (" + ColumnName(TokenText(m_k)) + ")");
    CSqlSelect* block = m_arena.Select();
    block->at = source.at;
    block->from.push_back(source);
    block->implicitColumns = true;
    block->implicitGroup = true;
    for (const Aggregate& aggregate : aggregates)
        for (const Expr* arg : aggregate.call->args) NamesRead(arg, block->implicitExcept);
    for (const Expr* key : keys) NamesRead(key, block->implicitExcept);
    do {
        std::size_t begin = Here();
        std::vector<Expr*> values;
        if (keys.size() > 1) {
            if (!ExpectSymbol('(') || !ExprList(values) || !ExpectSymbol(')')) return false;
        } else {
            values.emplace_back();
            if (!Expression(values.back())) return false;
        }
        if (values.size() != keys.size()) return Fail();
        std::size_t end = m_tokens[m_k - 1].begin + m_tokens[m_k - 1].length;
        std::string name;
        if (Accept("AS") || (IsName() && !IsReserved())) {
            if (!IsName()) return Fail();
            name = ColumnName(TokenText(m_k++));
        } else {
            // Note: a value without a name names its columns as written.
            for (char c : m_text.substr(begin, end - begin))
                if (c != ' ' && c != '\t' && c != '\r' && c != '\n') name += c;
        }
        Expr* match = nullptr;
        for (std::size_t k = 0; k < keys.size(); ++k) match = Both(match, Equal(keys[k], values[k]));
        for (const Aggregate& aggregate : aggregates) {
            Expr* picked = Node(Expr::Kind::Case, aggregate.call->at);
            Expr* one = Node(Expr::Kind::Number, aggregate.call->at);
            one->text = "1";
            bool counted = aggregate.call->starArgument || aggregate.call->args.empty();
            picked->args = {match, counted ? one : aggregate.call->args[0]};
            Expr* call = Node(Expr::Kind::Call, aggregate.call->at);
            *call = *aggregate.call;
            call->starArgument = false;
            if (call->args.empty()) call->args.push_back(picked);
            call->args[0] = picked;
            CSqlSelectItem item;
            item.expr = call;
            item.alias =
                m_arena.Keep("\"" + name + (aggregate.alias.empty() ? "" : "_" + aggregate.alias) + "\"");
            item.begin = begin;
            item.end = end;
            block->items.push_back(item);
        }
    } while (AcceptSymbol(','));
    out = block;
    return ExpectSymbol(')') && ExpectSymbol(')');
}

bool CSqlParser::UnpivotQuery(const CSqlFromItem& source, CSqlSelect*& out) {
    bool includeNulls = false;
    if (Accept("INCLUDE")) {
        includeNulls = true;
        if (!Expect("NULLS")) return false;
    } else if (Accept("EXCLUDE") && !Expect("NULLS")) {
        return false;
    }
    if (!ExpectSymbol('(')) return false;
    if (IsSymbol('(')) return Refuse("UNPIVOT ((...) FOR ...)");
    if (!IsName()) return Fail();
    std::string_view valueName = TokenText(m_k++);
    if (!Expect("FOR")) return false;
    if (IsSymbol('(')) return Refuse("UNPIVOT (... FOR (...))");
    if (!IsName()) return Fail();
    std::string_view labelName = TokenText(m_k++);
    if (!Expect("IN") || !ExpectSymbol('(')) return false;
    CSqlSelect* block = m_arena.Select();
    block->at = source.at;
    block->from.push_back(source);
    block->implicitColumns = true;
    Expr* which = Node(Expr::Kind::Case, source.at);
    which->text = "SIMPLE";
    Expr* number = Node(Expr::Kind::Name, source.at);
    number->parts = {"TARVEX_UN"};
    which->args.push_back(number);
    CSqlSelect* labels = nullptr;
    CSqlSelect* last = nullptr;
    do {
        if (IsSymbol('(')) return Refuse("UNPIVOT ... IN ((...))");
        Expr* column = nullptr;
        if (!IsName() || !NameOrCall(column) || column->kind != Expr::Kind::Name) return Fail();
        Expr* label = nullptr;
        if (Accept("AS")) {
            if (!Unary(label)) return false;
        } else {
            label = Node(Expr::Kind::String, column->at);
            label->text = m_arena.Keep("'" + ColumnName(column->parts.back()) + "'");
        }
        block->implicitExcept.push_back(column->parts.back());
        Expr* position = Node(Expr::Kind::Number, column->at);
        position->text = m_arena.Keep(std::to_string(which->args.size() / 2 + 1));
        which->args.push_back(position);
        which->args.push_back(column);
        CSqlSelect* row = m_arena.Select();
        row->at = column->at;
        CSqlFromItem dual;
        dual.at = column->at;
        dual.table = {"DUAL"};
        row->from.push_back(dual);
        row->items.resize(2);
        row->items[0].expr = position;
        row->items[0].alias = "TARVEX_UN";
        row->items[1].expr = label;
        row->items[1].alias = "TARVEX_UL";
        if (last != nullptr) {
            last->setOperator = "UNION";
            last->setAll = true;
            last->next = row;
        } else {
            labels = row;
        }
        last = row;
    } while (AcceptSymbol(','));
    if (!ExpectSymbol(')') || !ExpectSymbol(')')) return false;
    CSqlFromItem labelRows;
    labelRows.at = source.at;
    labelRows.query = labels;
    block->from.push_back(labelRows);
    Expr* labelColumn = Node(Expr::Kind::Name, source.at);
    labelColumn->parts = {"TARVEX_UL"};
    block->items.resize(2);
    block->items[0].expr = labelColumn;
    block->items[0].alias = labelName;
    block->items[1].expr = which;
    block->items[1].alias = valueName;
    if (!includeNulls) {
        block->where = Node(Expr::Kind::IsNull, source.at);
        block->where->args.push_back(which);
        block->where->negated = true;
    }
    out = block;
    return true;
}
