#include "engine/sqlite/CSqlParser.h"

#include <algorithm>
#include <cstdlib>

#include "engine/sqlite/CJsonPathCheck.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Kind = CSqlScanner::Kind;

// Words that end an item: never taken for an alias.
constexpr std::string_view kReserved[] = {
    "FROM",    "WHERE",  "GROUP",   "HAVING", "ORDER",  "UNION",     "INTERSECT", "MINUS", "EXCEPT",
    "CONNECT", "START",  "ON",      "JOIN",   "INNER",  "LEFT",      "RIGHT",     "FULL",  "CROSS",
    "NATURAL", "USING",  "AND",     "OR",     "NOT",    "IS",        "IN",        "LIKE",  "BETWEEN",
    "SET",     "VALUES", "FETCH",   "OFFSET", "FOR",    "WITH",      "SELECT",    "AS",    "BY",
    "CASE",    "WHEN",   "THEN",    "ELSE",   "END",    "NULL",      "OUTER",     "INTO",  "LIMIT",
    "WINDOW",  "PIVOT",  "UNPIVOT", "MODEL",  "SAMPLE", "RETURNING", "PARTITION", "LOG",   "ESCAPE",
};

// Words that end an item yet are no reserved words of the server: a table
// may be named so (LOG, for one).
constexpr std::string_view kTableNames[] = {"LOG",    "SAMPLE", "MODEL", "PARTITION", "WINDOW",    "LIMIT",
                                            "OFFSET", "FETCH",  "PIVOT", "UNPIVOT",   "RETURNING", "ESCAPE"};

// Functions whose arguments are clauses the tree does not hold.
constexpr std::string_view kClauseArguments[] = {
    "JSON_TRANSFORM", "XMLPARSE",  "XMLPI",   "XMLQUERY",      "XMLROOT",      "XMLSERIALIZE",
    "XMLTABLE",       "XMLEXISTS", "XMLCAST", "XMLATTRIBUTES", "XMLCOLATTVAL",
};

// The conversion functions that take DEFAULT value ON CONVERSION ERROR
// after their first argument.
constexpr std::string_view kDefaultedConversions[] = {
    "TO_NUMBER",    "TO_BINARY_DOUBLE", "TO_BINARY_FLOAT", "TO_DATE",
    "TO_TIMESTAMP", "TO_TIMESTAMP_TZ",  "TO_DSINTERVAL",   "TO_YMINTERVAL",
};

// Constructs the tree does not hold, refused where they start.
struct Refusal {
    std::string_view word;
    const char* what;
};

constexpr Refusal kClauseRefusals[] = {
    {"CONNECT", "CONNECT BY"},  {"START", "START WITH ... CONNECT BY"},
    {"PIVOT", "PIVOT"},         {"UNPIVOT", "UNPIVOT"},
    {"MODEL", "MODEL"},         {"SAMPLE", "SAMPLE"},
    {"RETURNING", "RETURNING"}, {"LOG", "LOG ERRORS"},
    {"PARTITION", "PARTITION"},
};

struct Precedence {
    std::string_view op;
    int level;
};

// Binary operators by precedence (higher binds tighter).
constexpr Precedence kBinary[] = {
    {"OR", 1}, {"AND", 2}, {"||", 4}, {"+", 4}, {"-", 4}, {"*", 5}, {"/", 5},
};

constexpr std::string_view kComparisons[] = {"=", "<>", "!=", "^=", "<=", ">=", "<", ">"};

}  // namespace

bool CSqlParser::Is(std::string_view word, std::size_t ahead) const {
    std::size_t k = m_k + ahead;
    return k < m_tokens.size() && m_tokens[k].kind == Kind::Word &&
           CSqlScanner::Is(m_text, m_tokens[k], word);
}

bool CSqlParser::IsSymbol(char symbol, std::size_t ahead) const {
    std::size_t k = m_k + ahead;
    return k < m_tokens.size() && CSqlScanner::IsSymbol(m_text, m_tokens[k], symbol);
}

bool CSqlParser::Accept(std::string_view word) {
    if (!Is(word)) return false;
    ++m_k;
    return true;
}

bool CSqlParser::AcceptSymbol(char symbol) {
    if (!IsSymbol(symbol)) return false;
    ++m_k;
    return true;
}

bool CSqlParser::Expect(std::string_view word) { return Accept(word) || Fail(); }

bool CSqlParser::ExpectSymbol(char symbol) {
    return AcceptSymbol(symbol) || (symbol == ')' ? FailWith(907) : Fail());
}

bool CSqlParser::Fail(std::string what) {
    if (!m_failed) {
        m_failed = true;
        m_failure.at = Here();
        m_failure.what = std::move(what);
    }
    return false;
}

bool CSqlParser::FailWith(int code, std::string what) {
    bool first = !m_failed;
    Fail(std::move(what));
    if (first) m_failure.code = code;
    return false;
}

bool CSqlParser::NotEnded() { return FailWith(933); }

bool CSqlParser::Refuse(std::string what) {
    if (!m_failed) m_failure.unsupported = true;
    return Fail(std::move(what));
}

bool CSqlParser::IsName(std::size_t ahead) const {
    std::size_t k = m_k + ahead;
    if (k >= m_tokens.size()) return false;
    return m_tokens[k].kind == Kind::QuotedName || m_tokens[k].kind == Kind::Word;
}

bool CSqlParser::IsReserved(std::size_t ahead) const {
    std::size_t k = m_k + ahead;
    if (k >= m_tokens.size() || m_tokens[k].kind != Kind::Word) return false;
    for (std::string_view word : kReserved)
        if (CSqlScanner::Is(m_text, m_tokens[k], word)) return true;
    return false;
}

CSqlExpr* CSqlParser::Node(Expr::Kind kind, std::size_t at) {
    Expr* node = m_arena.Expr();
    node->kind = kind;
    node->at = at;
    return node;
}

bool CSqlParser::Parse(CSqlStatement& out, Failure& failure) {
    bool ok = Statement(out);
    if (ok) {
        AcceptSymbol(';');
        if (!AtEnd()) {
            for (const Refusal& refusal : kClauseRefusals)
                if (Is(refusal.word)) return Refuse(refusal.what), failure = m_failure, false;
            ok = NotEnded();
        }
    }
    if (!ok) failure = m_failure;
    return ok;
}

bool CSqlParser::ParseQuery(std::size_t first, CSqlSelect*& out, Failure& failure) {
    m_k = first;
    bool ok = Query(out);
    if (ok) {
        AcceptSymbol(';');
        if (!AtEnd()) ok = NotEnded();
    }
    if (!ok) failure = m_failure;
    return ok;
}

bool CSqlParser::ParseCondition(CSqlExpr*& out, Failure& failure) {
    m_k = 0;
    bool ok = Expression(out) && (AtEnd() || Fail());
    if (!ok) failure = m_failure;
    return ok;
}

bool CSqlParser::Statement(CSqlStatement& out) {
    if (Is("SELECT") || Is("WITH") || IsSymbol('(')) {
        out.kind = CSqlStatement::Kind::Select;
        return Query(out.query);
    }
    if (Accept("INSERT")) return Insert(out);
    if (Accept("UPDATE")) return Update(out);
    if (Accept("DELETE")) return Delete(out);
    if (Accept("MERGE")) return Merge(out);
    return Refuse("statement");
}

CSqlSelect* CSqlParser::Probe(CSqlExpr* item, const CSqlFromItem& from, CSqlExpr* where) {
    CSqlSelect* probe = m_arena.Select();
    probe->at = from.at;
    CSqlSelectItem selected;
    selected.expr = item;
    probe->items.push_back(selected);
    probe->from.push_back(from);
    probe->where = where;
    return probe;
}

// Note: "x op ANY (a, b)" is "x op a OR x op b", "x op ALL (a, b)" is
// "x op a AND x op b", SQL's three-valued logic deciding a NULL among them.
// The comparisons are joined as a balanced tree so that a long list is no
// deeper to write out than its logarithm.
bool CSqlParser::QuantifiedList(Expr*& left, std::string_view op, bool all) {
    if (!ExpectSymbol('(')) return false;
    std::vector<Expr*> items;
    if (!ExprList(items) || !ExpectSymbol(')')) return false;
    std::vector<Expr*> comparisons;
    for (Expr* item : items) {
        Expr* comparison = Node(Expr::Kind::Binary, left->at);
        comparison->text = op;
        comparison->args = {left, item};
        comparisons.push_back(comparison);
    }
    left = Joined(comparisons, 0, comparisons.size(), all ? "AND" : "OR");
    return true;
}

CSqlExpr* CSqlParser::Joined(const std::vector<Expr*>& terms, std::size_t begin, std::size_t end,
                             std::string_view op) {
    if (end - begin == 1) return terms[begin];
    std::size_t middle = begin + (end - begin) / 2;
    Expr* joined = Node(Expr::Kind::Binary, terms[begin]->at);
    joined->text = op;
    joined->args = {Joined(terms, begin, middle, op), Joined(terms, middle, end, op)};
    return joined;
}

// The precisions of an INTERVAL literal's field, after its "(": the
// leading field's digits (and, for SECOND, the digits of a second after a
// comma); the trailing SECOND's digits of a second. Each 0 to 9.
bool CSqlParser::IntervalPrecision(Expr& literal, bool leading) {
    bool second = CSqlScanner::Is(m_text, m_tokens[m_k - 2], "SECOND");
    for (int k = 0; k < (leading && second ? 2 : 1); ++k) {
        if (k == 1 && !AcceptSymbol(',')) break;
        if (AtEnd() || m_tokens[m_k].kind != Kind::Number) return Fail();
        std::string_view digits = TokenText(m_k);
        if (digits.size() != 1 || digits[0] < '0' || digits[0] > '9') return FailWith(30088);
        ++m_k;
        (leading && k == 0 ? literal.intervalLeading : literal.intervalFraction) = digits[0] - '0';
    }
    return ExpectSymbol(')');
}

CSqlExpr* CSqlParser::Both(CSqlExpr* left, CSqlExpr* right) {
    if (left == nullptr || right == nullptr) return left != nullptr ? left : right;
    Expr* both = Node(Expr::Kind::Binary, left->at);
    both->text = "AND";
    both->args = {left, right};
    return both;
}

// Note: the rows matched and the rows inserted are told apart before any
// change: the UPDATE takes the source's values by subqueries of the ON
// condition, the INSERT takes the source rows no target row matches, and
// DELETE WHERE removes updated rows only.
bool CSqlParser::Merge(CSqlStatement& out) {
    out.kind = CSqlStatement::Kind::Merge;
    if (!Expect("INTO")) return false;
    CSqlFromItem target;
    target.at = out.tableAt = Here();
    if (!QualifiedName(out.table) || !Alias(out.alias, false) || !Expect("USING")) return false;
    target.table = out.table;
    target.alias = out.alias;
    CSqlFromItem source;
    if (!FromItem(source) || !Expect("ON") || !ExpectSymbol('(')) return false;
    Expr* on = nullptr;
    if (!Expression(on) || !ExpectSymbol(')')) return false;
    out.where = on;
    CSqlStatement update;
    CSqlStatement insert;
    CSqlExpr* deleteWhere = nullptr;
    CSqlExpr* insertWhere = nullptr;
    bool matched = false;
    bool unmatched = false;
    while (Accept("WHEN")) {
        bool negated = Accept("NOT");
        if (!Expect("MATCHED") || !Expect("THEN") || (negated ? unmatched : matched)) return Fail();
        if (negated ? !MergeInsert(insert, insertWhere) : !MergeUpdate(update, deleteWhere)) return false;
        (negated ? unmatched : matched) = true;
    }
    if (!matched && !unmatched) return Fail();
    Expr* one = Node(Expr::Kind::Number, source.at);
    one->text = "1";
    if (matched) {
        // Note: a target row that two source rows match has no one update.
        Expr* count = Node(Expr::Kind::Call, source.at);
        count->text = "COUNT";
        count->starArgument = true;
        Expr* matches = Node(Expr::Kind::Subquery, source.at);
        matches->query = Probe(count, source, on);
        Expr* many = Node(Expr::Kind::Binary, source.at);
        many->text = ">";
        many->args = {matches, one};
        CSqlStatement check;
        check.query = Probe(one, target, many);
        out.parts.push_back(check);
        update.table = out.table;
        update.tableAt = out.tableAt;
        update.alias = out.alias;
        for (Expr*& value : update.values) {
            // Note: DEFAULT is the target's, read from no source row.
            if (value->kind == Expr::Kind::Name && value->parts.size() == 1 &&
                cp932::ToUpperAscii(value->parts[0]) == "DEFAULT")
                continue;
            Expr* taken = Node(Expr::Kind::Subquery, value->at);
            taken->query = Probe(value, source, on);
            value = taken;
        }
        Expr* exists = Node(Expr::Kind::Exists, source.at);
        exists->query = Probe(one, source, Both(on, update.where));
        update.where = exists;
        if (deleteWhere != nullptr) {
            CSqlStatement remove;
            remove.kind = CSqlStatement::Kind::Delete;
            remove.table = out.table;
            remove.tableAt = out.tableAt;
            remove.alias = out.alias;
            remove.mergeDelete = true;
            remove.where = Node(Expr::Kind::Exists, deleteWhere->at);
            remove.where->query = Probe(one, source, Both(exists->query->where, deleteWhere));
            out.parts.push_back(update);
            out.parts.push_back(remove);
        } else {
            out.parts.push_back(update);
        }
    }
    if (unmatched) {
        Expr* missing = Node(Expr::Kind::Exists, source.at);
        missing->negated = true;
        missing->query = Probe(one, target, on);
        CSqlSelect* rows = m_arena.Select();
        rows->at = source.at;
        for (Expr* value : insert.values) {
            CSqlSelectItem item;
            item.expr = value;
            rows->items.push_back(item);
        }
        rows->from.push_back(source);
        rows->where = Both(missing, insertWhere);
        insert.values.clear();
        insert.query = rows;
        insert.table = out.table;
        insert.tableAt = out.tableAt;
        // Note: the INSERT runs before DELETE WHERE, which then leaves the
        // inserted rows alone.
        out.parts.insert(out.parts.end() - (deleteWhere != nullptr ? 1 : 0), insert);
    }
    return true;
}

// SET column = value [, ...] of UPDATE and of MERGE's WHEN MATCHED.
bool CSqlParser::Assignments(CSqlStatement& out) {
    do {
        if (IsSymbol('(')) {
            if (!RowAssignment(out)) return false;
            continue;
        }
        std::vector<std::string_view> target;
        std::size_t at = Here();
        if (!QualifiedName(target)) return false;
        Expr* value = nullptr;
        if (!ExpectSymbol('=') || !Expression(value)) return false;
        out.columns.push_back(target.back());
        out.columnAt.push_back(at);
        out.targets.push_back(std::move(target));
        out.values.push_back(value);
    } while (AcceptSymbol(','));
    return true;
}

bool CSqlParser::RowAssignment(CSqlStatement& out) {
    ++m_k;  // "("
    std::vector<std::string_view> names;
    std::vector<std::size_t> ats;
    do {
        std::vector<std::string_view> target;
        ats.push_back(Here());
        if (!QualifiedName(target)) return false;
        names.push_back(target.back());
    } while (AcceptSymbol(','));
    if (!ExpectSymbol(')') || !ExpectSymbol('=')) return false;
    const std::size_t open = m_k;
    const std::size_t at = Here();
    CSqlSelect* query = nullptr;
    if (!ExpectSymbol('(') || !Query(query) || !ExpectSymbol(')')) return false;
    if (query->next != nullptr) return m_k = open, Refuse("SET (columns) = (compound query)");
    if (query->items.size() != names.size())
        return m_k = open, FailWith(query->items.size() > names.size() ? 913 : 947);
    // Note: each column is set from its own item of the whole query, read as
    // a scalar subquery of the row being updated; an aggregate query gives
    // its one row to every column.
    for (std::size_t k = 0; k < names.size(); ++k)
        query->items[k].alias = m_arena.Keep("TARVEX_RC" + std::to_string(k + 1));
    for (std::size_t k = 0; k < names.size(); ++k) {
        CSqlFromItem whole;
        whole.at = at;
        whole.query = query;
        whole.alias = "TARVEX_RQ";
        Expr* item = Node(Expr::Kind::Name, at);
        item->parts = {query->items[k].alias};
        CSqlSelect* one = m_arena.Select();
        one->from = {whole};
        one->items = {CSqlSelectItem{item, {}, at, at}};
        Expr* value = Node(Expr::Kind::Subquery, at);
        value->query = one;
        out.columns.push_back(names[k]);
        out.columnAt.push_back(ats[k]);
        out.targets.emplace_back();
        out.values.push_back(value);
    }
    return true;
}

bool CSqlParser::MergeUpdate(CSqlStatement& update, CSqlExpr*& deleteWhere) {
    update.kind = CSqlStatement::Kind::Update;
    if (!Expect("UPDATE") || !Expect("SET") || !Assignments(update)) return false;
    if (Accept("WHERE") && !Expression(update.where)) return false;
    if (Accept("DELETE")) return Expect("WHERE") && Expression(deleteWhere);
    return true;
}

bool CSqlParser::MergeInsert(CSqlStatement& insert, CSqlExpr*& insertWhere) {
    insert.kind = CSqlStatement::Kind::Insert;
    if (!Expect("INSERT")) return false;
    if (AcceptSymbol('(')) {
        do {
            if (!IsName()) return Fail();
            insert.columnAt.push_back(Here());
            std::string_view name = TokenText(m_k++);
            // Note: a column may be written with the target's name before it.
            if (IsSymbol('.') && IsName(1)) {
                ++m_k;
                name = TokenText(m_k++);
            }
            insert.columns.push_back(name);
        } while (AcceptSymbol(','));
        if (!ExpectSymbol(')')) return false;
    }
    if (!Expect("VALUES") || !ExpectSymbol('(') || !ExprList(insert.values) || !ExpectSymbol(')'))
        return false;
    if (Accept("WHERE") && !Expression(insertWhere)) return false;
    return true;
}

bool CSqlParser::QualifiedName(std::vector<std::string_view>& parts) {
    bool tableName = false;
    for (std::string_view word : kTableNames) tableName = tableName || Is(word);
    if (!IsName() || (IsReserved() && !tableName)) return Fail();
    parts.push_back(TokenText(m_k++));
    while (IsSymbol('.') && IsName(1)) {
        ++m_k;
        parts.push_back(TokenText(m_k++));
    }
    if (IsSymbol('@')) return Refuse("database links");
    return true;
}

bool CSqlParser::Alias(std::string_view& alias, bool allowAs) {
    if (allowAs && Accept("AS")) {
        if (!IsName()) return Fail();
        alias = TokenText(m_k++);
        return true;
    }
    if (IsName() && (!IsReserved() || NamesHere())) alias = TokenText(m_k++);
    return true;
}

bool CSqlParser::NamesHere() const {
    bool clauseWord = false;
    for (std::string_view word : kTableNames) clauseWord = clauseWord || Is(word);
    if (!clauseWord) return false;
    // Note: LIMIT starts no clause of the server's (before a number it is
    // SQLite's, refused at LIMIT); the others do only where more of their
    // clause follows ("OFFSET 5 ROWS", "LOG ERRORS").
    if (Is("LIMIT"))
        return m_k + 1 >= m_tokens.size() ||
               (m_tokens[m_k + 1].kind != Kind::Number && m_tokens[m_k + 1].kind != Kind::Bind);
    const std::size_t next = m_k + 1;
    return next >= m_tokens.size() || IsSymbol(',', 1) || IsSymbol(')', 1) || IsSymbol(';', 1) ||
           (IsReserved(1) && !Is("FETCH", 1) && !Is("OFFSET", 1));
}

bool CSqlParser::Insert(CSqlStatement& out) {
    out.kind = CSqlStatement::Kind::Insert;
    if (Is("ALL") || Is("FIRST")) return Refuse("INSERT ALL");
    if (!Expect("INTO")) return false;
    out.tableAt = Here();
    if (!QualifiedName(out.table)) return false;
    if (!PartitionRef(out.partition) || !Alias(out.alias, false)) return false;
    if (IsSymbol('(') && !Is("SELECT", 1) && !Is("WITH", 1)) {
        ++m_k;
        do {
            if (!IsName()) return Fail();
            out.columnAt.push_back(Here());
            out.columns.push_back(TokenText(m_k++));
            if (IsSymbol('.')) return Fail();
        } while (AcceptSymbol(','));
        if (!ExpectSymbol(')')) return false;
    }
    if (Accept("VALUES")) {
        if (!ExpectSymbol('(') || !ExprList(out.values) || !ExpectSymbol(')')) return false;
        if (IsSymbol(',')) return Refuse("INSERT of several rows");
        return true;
    }
    return Query(out.query);
}

bool CSqlParser::Update(CSqlStatement& out) {
    out.kind = CSqlStatement::Kind::Update;
    out.tableAt = Here();
    if (!QualifiedName(out.table) || !PartitionRef(out.partition) || !Alias(out.alias, false) ||
        !Expect("SET") || !Assignments(out))
        return false;
    if (Accept("WHERE")) {
        if (Is("CURRENT")) return Refuse("WHERE CURRENT OF");
        return Expression(out.where);
    }
    return true;
}

bool CSqlParser::Delete(CSqlStatement& out) {
    out.kind = CSqlStatement::Kind::Delete;
    Accept("FROM");
    out.tableAt = Here();
    if (!QualifiedName(out.table) || !PartitionRef(out.partition) || !Alias(out.alias, false)) return false;
    if (Accept("WHERE")) return Expression(out.where);
    return true;
}

bool CSqlParser::PartitionRef(CSqlPartitionRef& out) {
    if (Is("SUBPARTITION")) return Refuse("SUBPARTITION");
    if (!Is("PARTITION")) return true;
    if (Is("BY", 1)) return Refuse("PARTITION BY");
    out.given = true;
    out.at = Here();
    ++m_k;
    if (Accept("FOR")) return ExpectSymbol('(') && ExprList(out.values) && ExpectSymbol(')');
    if (!ExpectSymbol('(')) return false;
    if (!IsName()) return Fail();
    out.name = TokenText(m_k++);
    return ExpectSymbol(')');
}

bool CSqlParser::Query(CSqlSelect*& out) {
    Nesting nesting(m_depth);
    if (m_depth > kMaxDepth) return Refuse("nesting deeper than " + std::to_string(kMaxDepth));
    std::vector<CSqlSelect::With> with;
    if (Accept("WITH")) {
        if ((Is("FUNCTION") || Is("PROCEDURE")) && !Is("AS", 1)) return Refuse(std::string(kWithFunction));
        do {
            CSqlSelect::With entry;
            if (!IsName()) return Fail();
            entry.at = Here();
            entry.name = TokenText(m_k++);
            if (AcceptSymbol('(') && !WithColumns(entry.columns)) return false;
            if (!Expect("AS") || !ExpectSymbol('(') || !Query(entry.query) || !ExpectSymbol(')'))
                return false;
            if (Is("SEARCH")) return Refuse("SEARCH DEPTH|BREADTH FIRST BY");
            if (Is("CYCLE")) return Refuse("CYCLE ... SET");
            with.push_back(entry);
        } while (AcceptSymbol(','));
    }
    if (!QueryTerm(out)) return false;
    out->with = std::move(with);
    CSqlSelect* last = out;
    while (Is("UNION") || Is("INTERSECT") || Is("MINUS") || Is("EXCEPT")) {
        last->setOperator = TokenText(m_k++);
        last->setAll = Accept("ALL");
        if (!QueryTerm(last->next)) return false;
        last = last->next;
    }
    if (Accept("ORDER")) {
        // Note: ORDER SIBLINGS BY sorts the children of each row of a hierarchy.
        bool siblings = out->next == nullptr && out->connectBy != nullptr && Accept("SIBLINGS");
        if (!Expect("BY") || !OrderBy(siblings ? out->siblingsOrder : out->orderBy)) return false;
    }
    if (!FetchAndOffset(*out)) return false;
    if (Accept("FOR")) {
        if (!Expect("UPDATE")) return false;
        out->forUpdate = true;
        if (Accept("OF")) {
            std::vector<Expr*> columns;
            if (!ExprList(columns)) return false;
        }
        if (Accept("NOWAIT")) return true;
        if (Accept("WAIT")) {
            Expr* seconds = nullptr;
            return Expression(seconds);
        }
        if (Accept("SKIP")) return Expect("LOCKED");
    }
    return true;
}

bool CSqlParser::WithColumns(std::vector<std::string_view>& columns) {
    do {
        if (!IsName()) return Fail();
        columns.push_back(TokenText(m_k++));
    } while (AcceptSymbol(','));
    return ExpectSymbol(')');
}

bool CSqlParser::QueryTerm(CSqlSelect*& out) {
    if (AcceptSymbol('(')) {
        if (!Query(out)) return false;
        return ExpectSymbol(')');
    }
    return SelectBlock(out);
}

bool CSqlParser::SelectBlock(CSqlSelect*& out) {
    out = m_arena.Select();
    out->at = Here();
    if (!Expect("SELECT")) return false;
    if (Accept("DISTINCT") || Accept("UNIQUE"))
        out->distinct = true;
    else
        Accept("ALL");
    if (!SelectItems(*out)) return false;
    // Note: INTO belongs to PL/SQL; in SQL the server misses FROM's keyword.
    if (Is("INTO")) return FailWith(905);
    if (!Accept("FROM")) return FailWith(923);
    if (!FromList(*out)) return false;
    if (Accept("WHERE") && !Expression(out->where)) return false;
    if (!Hierarchy(*out)) return false;
    if (Accept("GROUP") && !GroupBy(*out)) return false;
    if (Accept("HAVING") && !Expression(out->having)) return false;
    return true;
}

namespace {

constexpr std::size_t kMaxGroupingSets = 4096;

// Every set of `left` joined with every set of `right`, left's sets outer.
std::vector<std::vector<CSqlExpr*>> Product(const std::vector<std::vector<CSqlExpr*>>& left,
                                            const std::vector<std::vector<CSqlExpr*>>& right) {
    std::vector<std::vector<CSqlExpr*>> out;
    for (const auto& a : left)
        for (const auto& b : right) {
            out.push_back(a);
            out.back().insert(out.back().end(), b.begin(), b.end());
        }
    return out;
}

}  // namespace

bool CSqlParser::GroupingColumns(std::vector<Expr*>& columns) {
    if (!IsSymbol('(')) {
        Expr* column = nullptr;
        if (!Expression(column)) return false;
        columns.push_back(column);
        return true;
    }
    ++m_k;
    return ExprList(columns) && ExpectSymbol(')');
}

bool CSqlParser::GroupingElement(Sets& sets, bool inSets) {
    bool rollup = Is("ROLLUP") && IsSymbol('(', 1);
    bool cube = Is("CUBE") && IsSymbol('(', 1);
    if (rollup || cube) {
        m_k += 2;
        std::vector<std::vector<Expr*>> parts;
        do {
            parts.emplace_back();
            if (!GroupingColumns(parts.back())) return false;
        } while (AcceptSymbol(','));
        if (!ExpectSymbol(')')) return false;
        if (cube && parts.size() > 12) return Refuse("CUBE of more than 12 columns");
        // ROLLUP(a, b): (a, b), (a), (); CUBE(a, b): (a, b), (a), (b), ().
        std::size_t count = rollup ? parts.size() + 1 : std::size_t{1} << parts.size();
        for (std::size_t k = 0; k < count; ++k) {
            std::vector<Expr*> set;
            for (std::size_t p = 0; p < parts.size(); ++p) {
                bool kept =
                    rollup ? p + k < parts.size() : ((count - 1 - k) >> (parts.size() - 1 - p) & 1) != 0;
                if (kept) set.insert(set.end(), parts[p].begin(), parts[p].end());
            }
            sets.push_back(set);
        }
        return true;
    }
    if (inSets && IsSymbol('(')) {
        sets.emplace_back();
        if (IsSymbol(')', 1)) return m_k += 2, true;
        return GroupingColumns(sets.back());
    }
    if (IsSymbol('(') && IsSymbol(')', 1)) {
        m_k += 2;
        sets.emplace_back();
        return true;
    }
    Expr* column = nullptr;
    if (!Expression(column)) return false;
    sets.push_back({column});
    return true;
}

bool CSqlParser::GroupBy(CSqlSelect& select) {
    if (!Expect("BY")) return false;
    Sets sets{{}};
    bool grouped = false;
    do {
        Sets element;
        if (Is("GROUPING") && Is("SETS", 1)) {
            m_k += 2;
            if (!ExpectSymbol('(')) return false;
            do {
                if (!GroupingElement(element, true)) return false;
            } while (AcceptSymbol(','));
            if (!ExpectSymbol(')')) return false;
            grouped = true;
        } else {
            grouped = grouped || ((Is("ROLLUP") || Is("CUBE")) && IsSymbol('(', 1));
            if (!GroupingElement(element, false)) return false;
        }
        if (sets.size() * element.size() > kMaxGroupingSets) return Refuse("more than 4096 grouping sets");
        sets = Product(sets, element);
    } while (AcceptSymbol(','));
    for (const auto& set : sets)
        for (Expr* column : set)
            if (std::find(select.groupBy.begin(), select.groupBy.end(), column) == select.groupBy.end())
                select.groupBy.push_back(column);
    if (grouped) select.groupingSets = std::move(sets);
    return true;
}

bool CSqlParser::Hierarchy(CSqlSelect& select) {
    for (int clause = 0; clause < 2; ++clause) {
        if (!select.startWith && Accept("START")) {
            if (!Expect("WITH") || !Expression(select.startWith)) return false;
        } else if (!select.connectBy && Is("CONNECT")) {
            select.connectAt = Here();
            ++m_k;
            if (!Expect("BY")) return false;
            select.noCycle = Accept("NOCYCLE");
            if (!Expression(select.connectBy)) return false;
        }
    }
    if (select.startWith != nullptr && select.connectBy == nullptr) return Fail();
    return true;
}

bool CSqlParser::SelectItems(CSqlSelect& select) {
    do {
        CSqlSelectItem item;
        item.begin = Here();
        if (IsSymbol('*')) {
            item.expr = Node(Expr::Kind::Star, item.begin);
            ++m_k;
        } else if (IsName() && IsSymbol('.', 1) && IsSymbol('*', 2)) {
            item.expr = Node(Expr::Kind::Star, Here());
            item.expr->parts.push_back(TokenText(m_k));
            m_k += 3;
        } else {
            // Note: a select list holds values, not conditions: "a > 0" stops
            // at its operator, where FROM was to come.
            if (!Expression(item.expr, 4)) return false;
            std::size_t last = m_k;
            if (!Alias(item.alias, true)) return false;
            item.end = last > 0 ? m_tokens[last - 1].begin + m_tokens[last - 1].length : 0;
            select.items.push_back(item);
            continue;
        }
        item.end = m_tokens[m_k - 1].begin + m_tokens[m_k - 1].length;
        select.items.push_back(item);
    } while (AcceptSymbol(','));
    return true;
}

bool CSqlParser::FromList(CSqlSelect& select) {
    CSqlFromItem first;
    if (!FromItem(first)) return false;
    select.from.push_back(first);
    for (;;) {
        CSqlFromItem item;
        item.natural = Accept("NATURAL");
        bool apply = !item.natural && (Is("CROSS") || Is("OUTER")) && Is("APPLY", 1);
        if (apply) {
            // Note: OUTER APPLY keeps a row the query finds nothing for, as a
            // left join without a condition.
            item.join = Is("CROSS") ? CSqlFromItem::Join::Cross : CSqlFromItem::Join::Left;
            m_k += 2;
            if (!FromItem(item)) return false;
            item.lateral = item.query != nullptr;
            select.from.push_back(item);
            continue;
        }
        if (!item.natural && AcceptSymbol(',')) {
            item.join = CSqlFromItem::Join::Comma;
        } else if (!item.natural && Accept("CROSS")) {
            if (!Expect("JOIN")) return false;
            item.join = CSqlFromItem::Join::Cross;
        } else if (Accept("JOIN") || (Accept("INNER") && Expect("JOIN"))) {
            item.join = CSqlFromItem::Join::Inner;
        } else if (Is("LEFT") || Is("RIGHT") || Is("FULL")) {
            item.join = Is("LEFT")    ? CSqlFromItem::Join::Left
                        : Is("RIGHT") ? CSqlFromItem::Join::Right
                                      : CSqlFromItem::Join::Full;
            ++m_k;
            Accept("OUTER");
            if (!Expect("JOIN")) return false;
        } else {
            return item.natural ? Fail() : !m_failed;
        }
        if (!FromItem(item)) return false;
        bool needsCondition =
            item.join != CSqlFromItem::Join::Comma && item.join != CSqlFromItem::Join::Cross && !item.natural;
        if (needsCondition) {
            if (Accept("ON")) {
                if (!Expression(item.on)) return false;
            } else if (Accept("USING")) {
                if (!ExpectSymbol('(')) return false;
                do {
                    if (!IsName()) return Fail();
                    item.usingColumns.push_back(TokenText(m_k++));
                } while (AcceptSymbol(','));
                if (!ExpectSymbol(')')) return false;
            } else {
                return Fail();
            }
        }
        select.from.push_back(item);
    }
}

bool CSqlParser::FromItem(CSqlFromItem& item) {
    item.at = Here();
    if (Is("TABLE") && IsSymbol('(', 1)) {
        // TABLE(collection): a constructor, a function's result, a query's one collection.
        m_k += 2;
        if (Is("SELECT") || Is("WITH")) {
            item.collection = Node(Expr::Kind::Subquery, Here());
            if (!Query(item.collection->query)) return false;
        } else if (!Expression(item.collection)) {
            return false;
        }
        if (!ExpectSymbol(')')) return false;
        if (Is("AS")) return Fail();
        return Alias(item.alias, false);
    }
    if (Is("LATERAL") && IsSymbol('(', 1)) {
        ++m_k;
        if (!ExpectSymbol('(') || !Query(item.query) || !ExpectSymbol(')')) return false;
        item.lateral = true;
        if (Is("AS")) return Fail();
        return Alias(item.alias, false);
    }
    if (Is("LATERAL") || Is("TABLE") || Is("ONLY")) return Refuse(std::string(TokenText(m_k)));
    if (Is("JSON_TABLE") && IsSymbol('(', 1)) {
        m_k += 2;
        item.json = std::make_shared<CSqlJsonTable>();
        // Note: without a row path the document itself is the one row.
        if (!Expression(item.json->document) || !AcceptJsonFormat()) return false;
        if (Is("COLUMNS")) {
            item.json->path = "'$'";
        } else if (!ExpectSymbol(',') || !JsonPath(item.json->path, CJsonPathCheck::Reads::Rows)) {
            return false;
        }
        if (!JsonOnError(item.json->handling) || !JsonColumns(item.json->columns) ||
            !JsonOnError(item.json->handling) || !ExpectSymbol(')'))
            return false;
        Accept("AS");
        return Alias(item.alias, false);
    }
    // Note: another table function (XMLTABLE, ...) is refused by its name.
    if (IsName() && IsSymbol('(', 1)) {
        std::string name(TokenText(m_k));
        for (char& c : name) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        return Refuse(name);
    }
    if (AcceptSymbol('(')) {
        if (!Query(item.query) || !ExpectSymbol(')')) return false;
    } else if (!QualifiedName(item.table)) {
        return false;
    }
    if (item.query == nullptr && !PartitionRef(item.partition)) return false;
    const bool sampled = Is("SAMPLE") && (IsSymbol('(', 1) || Is("BLOCK", 1));
    if (item.query == nullptr && sampled && !Sample(item)) return false;
    if (Is("SAMPLE")) return Refuse("SAMPLE");
    if (Is("AS") && Is("OF", 1)) return Refuse("AS OF");
    // Note: the server takes no AS before a table alias.
    if (Is("AS")) return Fail();
    if (Is("MATCH_RECOGNIZE") && IsSymbol('(', 1)) return Refuse("MATCH_RECOGNIZE");
    if (!Alias(item.alias, false)) return false;
    if (Is("MATCH_RECOGNIZE") && IsSymbol('(', 1)) return Refuse("MATCH_RECOGNIZE");
    if (Is("PIVOT") || Is("UNPIVOT")) return Pivot(item);
    return true;
}

// SAMPLE [BLOCK] (percent) [SEED (seed)]: a share of the rows, at random
// (blocks are rows here); the share is from 0.000001 up to, not including, 100.
bool CSqlParser::Sample(CSqlFromItem& item) {
    ++m_k;
    Accept("BLOCK");
    if (!ExpectSymbol('(')) return false;
    bool negative = AcceptSymbol('-');
    if (AtEnd() || m_tokens[m_k].kind != Kind::Number) return Fail();
    const std::string digits(TokenText(m_k));
    const double percent = std::strtod(digits.c_str(), nullptr);
    if (negative || !(percent >= 0.000001 && percent < 100)) return FailWith(30562);
    item.samplePercent = TokenText(m_k++);
    if (!ExpectSymbol(')')) return false;
    if (!Accept("SEED")) return true;
    if (!ExpectSymbol('(')) return false;
    if (AtEnd() || m_tokens[m_k].kind != Kind::Number) return Fail();
    const std::string seed(TokenText(m_k));
    if (seed.find_first_not_of("0123456789") != std::string::npos || seed.size() > 10 ||
        std::stoull(seed) > 4294967295ULL)
        return Fail();
    item.sampleSeed = TokenText(m_k++);
    return ExpectSymbol(')');
}

bool CSqlParser::AcceptJsonFormat() {
    if (!Accept("FORMAT")) return true;
    return Expect("JSON");
}

bool CSqlParser::JsonPath(std::string_view& path, CJsonPathCheck::Reads reads) {
    if (AtEnd() || m_tokens[m_k].kind != Kind::String) return Fail();
    path = TokenText(m_k);
    if (!CheckJsonPath(m_k, reads)) return false;
    ++m_k;
    return true;
}

bool CSqlParser::CheckJsonPath(std::size_t at, CJsonPathCheck::Reads reads) {
    const CJsonPathCheck::Verdict verdict =
        CJsonPathCheck::Check(CSqlScanner::LiteralText(TokenText(at)), reads);
    if (verdict.outcome == CJsonPathCheck::Outcome::Read) return true;
    // Note: the fault is shown at the path.
    const std::size_t here = m_k;
    m_k = at;
    const bool ok =
        verdict.outcome == CJsonPathCheck::Outcome::Refused ? Refuse(verdict.what) : FailWith(40597);
    m_k = here;
    return ok;
}

bool CSqlParser::JsonWrapper(Expr& call) {
    if (Accept("WITHOUT")) {
        Accept("ARRAY");
        return Expect("WRAPPER");
    }
    if (!Accept("WITH")) return true;
    call.jsonWrapper = Accept("CONDITIONAL") ? 2 : 1;
    if (call.jsonWrapper == 1) Accept("UNCONDITIONAL");
    Accept("ARRAY");
    return Expect("WRAPPER");
}

// [NULL | ERROR | DEFAULT literal] ON ERROR and ON EMPTY, in either order;
// an EXISTS column takes TRUE or FALSE ON ERROR, a FORMAT JSON column EMPTY
// [ARRAY] or EMPTY OBJECT.
bool CSqlParser::JsonOnError(CSqlJsonHandling& handling, bool exists, bool json) {
    using Handler = CSqlJsonHandling::Handler;
    for (;;) {
        Handler handler = Handler::Null;
        Expr* value = nullptr;
        bool empty = json && Is("EMPTY") && (Is("ON", 1) || Is("ON", 2));
        if (!Is("ON", 1) && !Is("DEFAULT") && !empty) return true;
        if (empty) {
            ++m_k;
            handler = Accept("OBJECT") ? Handler::EmptyObject : Handler::EmptyArray;
            if (handler == Handler::EmptyArray) Accept("ARRAY");
        } else if (Accept("NULL")) {
        } else if (Accept("ERROR")) {
            handler = Handler::Error;
        } else if (exists && Accept("TRUE")) {
            handler = Handler::True;
        } else if (exists && Accept("FALSE")) {
            handler = Handler::False;
        } else if (Accept("DEFAULT")) {
            handler = Handler::Default;
            if (!Expression(value, 4)) return false;
        } else {
            return true;
        }
        if (!Expect("ON")) return false;
        if (Accept("EMPTY")) {
            handling.onEmpty = handler;
            handling.emptyDefault = value;
        } else if (Expect("ERROR")) {
            handling.onError = handler;
            handling.errorDefault = value;
        } else {
            return false;
        }
    }
}

bool CSqlParser::JsonColumns(std::vector<CSqlJsonColumn>& columns) {
    if (!Expect("COLUMNS") || !ExpectSymbol('(')) return false;
    do {
        CSqlJsonColumn column;
        column.at = Here();
        if (Accept("NESTED")) {
            column.kind = CSqlJsonColumn::Kind::Nested;
            Accept("PATH");
            if (!JsonPath(column.path, CJsonPathCheck::Reads::Rows) || !JsonColumns(column.columns))
                return false;
            columns.push_back(std::move(column));
            continue;
        }
        if (!IsName()) return Fail();
        column.name = TokenText(m_k++);
        if (Accept("FOR")) {
            if (!Expect("ORDINALITY")) return false;
            column.kind = CSqlJsonColumn::Kind::Ordinality;
            columns.push_back(std::move(column));
            continue;
        }
        if (IsName() && !Is("PATH") && !Is("FORMAT") && !Is("EXISTS") && !TypeText(column.type)) return false;
        if (Accept("EXISTS")) {
            column.kind = CSqlJsonColumn::Kind::Exists;
        } else if (Accept("FORMAT")) {
            if (!Expect("JSON")) return false;
            column.kind = CSqlJsonColumn::Kind::Json;
            Expr wrapped;
            if (!JsonWrapper(wrapped)) return false;
            column.wrapper = wrapped.jsonWrapper;
        }
        // Note: a wrapper gathers what the path finds, wildcards and all.
        const auto reads = column.wrapper != 0 ? CJsonPathCheck::Reads::Many : CJsonPathCheck::Reads::One;
        if (Accept("PATH") && !JsonPath(column.path, reads)) return false;
        if (!JsonOnError(column.handling, column.kind == CSqlJsonColumn::Kind::Exists,
                         column.kind == CSqlJsonColumn::Kind::Json))
            return false;
        columns.push_back(std::move(column));
    } while (AcceptSymbol(','));
    return ExpectSymbol(')');
}

bool CSqlParser::OrderBy(std::vector<Expr::OrderItem>& items) {
    if (Is("SIBLINGS")) return Refuse("ORDER SIBLINGS BY");
    do {
        Expr::OrderItem item;
        if (!Expression(item.expr)) return false;
        if (Accept("DESC"))
            item.descending = true;
        else
            Accept("ASC");
        if (Accept("NULLS")) {
            if (Accept("FIRST"))
                item.nulls = 1;
            else if (Accept("LAST"))
                item.nulls = 2;
            else
                return Fail();
        }
        items.push_back(item);
    } while (AcceptSymbol(','));
    return true;
}

bool CSqlParser::FetchAndOffset(CSqlSelect& select) {
    if (Accept("OFFSET")) {
        if (!Expression(select.offset)) return false;
        if (!Accept("ROWS") && !Accept("ROW")) return Fail();
    }
    if (Accept("FETCH")) {
        if (!Accept("FIRST") && !Accept("NEXT")) return Fail();
        if (Is("ROW") || Is("ROWS")) {
            select.fetch = Node(Expr::Kind::Number, Here());
            select.fetch->text = "1";
        } else if (!Unary(select.fetch)) {
            return false;
        }
        select.fetchPercent = Accept("PERCENT");
        if (!Accept("ROWS") && !Accept("ROW")) return Fail();
        if (Accept("WITH")) {
            if (!Expect("TIES")) return false;
            select.withTies = true;
        } else if (!Expect("ONLY")) {
            return false;
        }
    }
    return true;
}

bool CSqlParser::ExprList(std::vector<Expr*>& out) {
    do {
        Expr* expr = nullptr;
        if (!Expression(expr)) return false;
        out.push_back(expr);
    } while (AcceptSymbol(','));
    return true;
}

bool CSqlParser::Expression(Expr*& out, int minimum) {
    // Note: a bound on nesting keeps the recursion (here and when the tree is
    // written out) far from the end of the stack.
    Nesting nesting(m_depth);
    if (m_depth > kMaxDepth) return Refuse("nesting deeper than " + std::to_string(kMaxDepth));
    std::size_t at = Here();
    if (minimum <= 3 && Is("NOT") && !Is("EXISTS", 1)) {
        ++m_k;
        Expr* operand = nullptr;
        if (!Expression(operand, 3)) return false;
        out = Node(Expr::Kind::Unary, at);
        out->text = "NOT";
        out->args.push_back(operand);
    } else {
        if (!Unary(out)) return false;
        if (minimum <= 3 && !Predicate(out)) return false;
    }
    int chain = 0;
    for (;;) {
        if (AtEnd()) return true;
        std::string_view op;
        int level = 0;
        if (IsMultisetOperator()) {
            if (minimum > 4) return true;
            if (!MultisetOperator(out)) return false;
            continue;
        }
        if (IsSymbol('|') && IsSymbol('|', 1)) {
            op = "||";
            level = 4;
        } else {
            for (const Precedence& candidate : kBinary) {
                bool word = candidate.op[0] >= 'A';
                if ((word && Is(candidate.op)) ||
                    (!word && candidate.op.size() == 1 && IsSymbol(candidate.op[0]))) {
                    op = candidate.op;
                    level = candidate.level;
                    break;
                }
            }
        }
        if (level == 0 || level < minimum) return true;
        if (++chain > kMaxChain)
            return Refuse("more than " + std::to_string(kMaxChain) + " operators in a row");
        std::size_t opAt = Here();
        m_k += op == "||" ? 2 : 1;
        Expr* right = nullptr;
        if (!Expression(right, level + 1)) return false;
        Expr* node = Node(Expr::Kind::Binary, opAt);
        node->text = op;
        node->args = {out, right};
        node->at = out->at;
        node->opAt = opAt;
        out = node;
        if (level <= 3) continue;
        // Note: "a + b = c": after an arithmetic operand a comparison may follow.
        if (minimum <= 3 && !Predicate(out)) return false;
    }
}

bool CSqlParser::Predicate(Expr*& left) {
    std::size_t at = left->at;
    for (std::string_view op : kComparisons) {
        bool two = op.size() == 2;
        if (!IsSymbol(op[0]) ||
            (two && (!IsSymbol(op[1], 1) || m_tokens[m_k + 1].begin != m_tokens[m_k].begin + 1)))
            continue;
        m_k += op.size();
        if (Is("ANY") || Is("SOME") || Is("ALL")) {
            Expr* node = Node(Expr::Kind::Quantified, at);
            node->text = op == "!=" || op == "^=" ? "<>" : op;
            node->negated = Is("ALL");
            ++m_k;
            if (!IsSymbol('(') || (!Is("SELECT", 1) && !Is("WITH", 1)))
                return QuantifiedList(left, node->text, node->negated);
            ++m_k;
            if (!Query(node->query) || !ExpectSymbol(')')) return false;
            node->args.push_back(left);
            left = node;
            return true;
        }
        Expr* right = nullptr;
        if (!Expression(right, 4)) return false;
        Expr* node = Node(Expr::Kind::Binary, at);
        node->text = op == "!=" || op == "^=" ? "<>" : op;
        node->args = {left, right};
        left = node;
        return true;
    }
    if (Is("IS") && (IsSetOrEmpty(1) || (Is("NOT", 1) && IsSetOrEmpty(2)))) {
        ++m_k;
        Expr* node = Node(Expr::Kind::Multiset, at);
        node->negated = Accept("NOT");
        node->text = Accept("EMPTY") ? "EMPTY" : "SET";
        if (node->text == "SET") m_k += 2;
        node->args.push_back(left);
        left = node;
        return true;
    }
    if (Accept("IS")) {
        Expr* node = Node(Expr::Kind::IsNull, at);
        node->negated = Accept("NOT");
        // Note: IS JSON [STRICT | LAX] [WITH | WITHOUT UNIQUE KEYS] is an
        // IsNull node whose text is "JSON".
        if (Accept("JSON")) {
            node->text = "JSON";
            if (!Accept("STRICT")) Accept("LAX");
            if ((Is("WITH") || Is("WITHOUT")) && Is("UNIQUE", 1) && Is("KEYS", 2)) m_k += 3;
        } else if (Is("NAN") || Is("INFINITE")) {
            // e IS [NOT] NAN | INFINITE: an IsNull node whose text is the test.
            node->text = Is("NAN") ? "NAN" : "INFINITE";
            ++m_k;
        } else if (Is("OF") || Is("DANGLING")) {
            // Note: type tests of objects (IS OF type, IS DANGLING of a REF) are no feature here.
            return Refuse(Is("OF") ? "IS OF" : "IS DANGLING");
        } else if (!Expect("NULL")) {
            return false;
        }
        node->args.push_back(left);
        left = node;
        return true;
    }
    bool negated = Is("NOT") && (Is("IN", 1) || Is("LIKE", 1) || Is("BETWEEN", 1) || IsMembership(1));
    if (negated) ++m_k;
    if (IsMembership(0)) {
        Expr* node = Node(Expr::Kind::Multiset, at);
        node->text = Is("MEMBER") ? "MEMBER" : "SUBMULTISET";
        node->negated = negated;
        ++m_k;
        Accept("OF");
        Expr* collection = nullptr;
        if (!Expression(collection, 4)) return false;
        node->args = {left, collection};
        left = node;
        return true;
    }
    if (Accept("IN")) {
        if (!ExpectSymbol('(')) return false;
        Expr* node = nullptr;
        if (Is("SELECT") || Is("WITH")) {
            node = Node(Expr::Kind::InQuery, at);
            if (!Query(node->query)) return false;
            node->args.push_back(left);
        } else {
            node = Node(Expr::Kind::InList, at);
            node->args.push_back(left);
            if (!ExprList(node->args)) return false;
        }
        node->negated = negated;
        left = node;
        return ExpectSymbol(')');
    }
    if (Accept("LIKE")) {
        Expr* node = Node(Expr::Kind::Like, at);
        node->negated = negated;
        node->args.push_back(left);
        Expr* pattern = nullptr;
        if (!Expression(pattern, 4)) return false;
        node->args.push_back(pattern);
        if (Accept("ESCAPE")) {
            Expr* escape = nullptr;
            if (!Expression(escape, 4)) return false;
            node->args.push_back(escape);
        }
        left = node;
        return true;
    }
    if (Accept("BETWEEN")) {
        Expr* node = Node(Expr::Kind::Between, at);
        node->negated = negated;
        Expr* low = nullptr;
        Expr* high = nullptr;
        if (!Expression(low, 4) || !Expect("AND") || !Expression(high, 4)) return false;
        node->args = {left, low, high};
        left = node;
        return true;
    }
    if (negated) return Fail();
    return true;
}

bool CSqlParser::IsSetOrEmpty(std::size_t ahead) const {
    return Is("EMPTY", ahead) || (Is("A", ahead) && Is("SET", ahead + 1));
}

bool CSqlParser::IsMembership(std::size_t ahead) const {
    // Note: MEMBER and SUBMULTISET are no reserved words: "SELECT x member FROM t" names a column.
    if (!Is("MEMBER", ahead) && !Is("SUBMULTISET", ahead)) return false;
    std::size_t next = m_k + ahead + 1;
    if (next >= m_tokens.size()) return false;
    return Is("OF", ahead + 1) || m_tokens[next].kind == Kind::Bind ||
           (m_tokens[next].kind == Kind::Word && !IsReserved(ahead + 1)) || IsSymbol('(', ahead + 1);
}

bool CSqlParser::IsMultisetOperator() const {
    return Is("MULTISET") && (Is("UNION", 1) || Is("INTERSECT", 1) || Is("EXCEPT", 1));
}

bool CSqlParser::MultisetOperator(Expr*& left) {
    Expr* node = Node(Expr::Kind::Multiset, left->at);
    node->text = Is("UNION", 1) ? "UNION" : Is("INTERSECT", 1) ? "INTERSECT" : "EXCEPT";
    m_k += 2;
    if (Accept("DISTINCT"))
        node->distinct = true;
    else
        Accept("ALL");
    Expr* right = nullptr;
    if (!Expression(right, 5)) return false;
    node->args = {left, right};
    left = node;
    return true;
}

bool CSqlParser::Unary(Expr*& out) {
    Nesting nesting(m_depth);
    if (m_depth > kMaxDepth) return Refuse("nesting deeper than " + std::to_string(kMaxDepth));
    if (IsSymbol('-') || IsSymbol('+')) {
        Expr* node = Node(Expr::Kind::Unary, Here());
        node->text = TokenText(m_k++);
        Expr* operand = nullptr;
        if (!Unary(operand)) return false;
        node->args.push_back(operand);
        out = node;
        return true;
    }
    if (Is("PRIOR") || Is("CONNECT_BY_ROOT")) {
        Expr* node = Node(Expr::Kind::Unary, Here());
        node->text = Is("PRIOR") ? "PRIOR" : "CONNECT_BY_ROOT";
        ++m_k;
        Expr* operand = nullptr;
        if (!Unary(operand)) return false;
        node->args.push_back(operand);
        out = node;
        return true;
    }
    if (!Primary(out)) return false;
    // expr AT TIME ZONE zone | AT LOCAL: a call of the engine's own, whose
    // name no statement can write.
    while (Is("AT") && ((Is("TIME", 1) && Is("ZONE", 2)) || Is("LOCAL", 1))) {
        Expr* node = Node(Expr::Kind::Call, out->at);
        bool local = Is("LOCAL", 1);
        node->text = local ? "AT LOCAL" : "AT TIME ZONE";
        node->parts = {node->text};
        node->args.push_back(out);
        m_k += local ? 2 : 3;
        if (!local) {
            Expr* zone = nullptr;
            if (!Primary(zone)) return false;
            node->args.push_back(zone);
        }
        out = node;
    }
    return true;
}

bool CSqlParser::Primary(Expr*& out) {
    if (AtEnd()) return FailWith(936);
    const CSqlScanner::Token& token = m_tokens[m_k];
    std::size_t at = token.begin;
    switch (token.kind) {
        case Kind::Number:
            out = Node(Expr::Kind::Number, at);
            out->text = TokenText(m_k++);
            // Note: a last f/F or d/D makes the literal a BINARY_FLOAT or BINARY_DOUBLE.
            if (out->text
                    .substr(0, out->text.size() - (out->text.find_last_of("fFdD") + 1 == out->text.size()))
                    .find_first_not_of("0123456789.eE+-") != std::string_view::npos)
                return Fail();
            return true;
        case Kind::String:
            out = Node(Expr::Kind::String, at);
            out->text = TokenText(m_k++);
            return true;
        case Kind::Bind:
            out = Node(Expr::Kind::Bind, at);
            out->text = TokenText(m_k++);
            return true;
        case Kind::Symbol:
            if (token.length == 1 && m_text[at] == '(') return Parenthesised(out);
            // Note: the server's placeholders are named (:name).
            if (m_text[at] == '?') return FailWith(911, "?");
            return Fail();
        default:
            break;
    }
    if (Is("NULL")) {
        out = Node(Expr::Kind::Null, at);
        ++m_k;
        return true;
    }
    if ((Is("DATE") || Is("TIMESTAMP")) && m_k + 1 < m_tokens.size() &&
        m_tokens[m_k + 1].kind == Kind::String) {
        out = Node(Expr::Kind::DateLiteral, at);
        out->timestamp = Is("TIMESTAMP");
        out->text = TokenText(m_k + 1);
        m_k += 2;
        return true;
    }
    if (Is("INTERVAL") && m_k + 1 < m_tokens.size() && m_tokens[m_k + 1].kind == Kind::String) {
        out = Node(Expr::Kind::Interval, at);
        out->text = TokenText(m_k + 1);
        m_k += 2;
        for (int field = 0; field < 2; ++field) {
            if (field == 1 && !Accept("TO")) break;
            if (!IsName()) return Fail();
            out->parts.push_back(TokenText(m_k++));
            if (AcceptSymbol('(') && !IntervalPrecision(*out, field == 0)) return false;
        }
        return true;
    }
    // Note: INTERVAL is no reserved word: without a literal it names a column
    // (USER_PART_TABLES.INTERVAL).
    if (Is("INTERVAL") && m_k + 1 < m_tokens.size() &&
        (m_tokens[m_k + 1].kind == Kind::Number || m_tokens[m_k + 1].kind == Kind::Bind || IsSymbol('(', 1)))
        return Refuse("INTERVAL");
    if (Is("CASE")) return CaseExpr(out);
    if (Is("EXISTS") || (Is("NOT") && Is("EXISTS", 1))) {
        bool negated = Accept("NOT");
        ++m_k;
        out = Node(Expr::Kind::Exists, at);
        out->negated = negated;
        if (!ExpectSymbol('(') || !Query(out->query)) return false;
        return ExpectSymbol(')');
    }
    if (Is("CURSOR") || Is("MULTISET")) return Refuse(std::string(TokenText(m_k)));
    if (Is("SET") && IsSymbol('(', 1)) {
        // SET(collection): its elements without duplicates.
        out = Node(Expr::Kind::Call, at);
        out->text = TokenText(m_k++);
        out->parts = {out->text};
        return CallArguments(*out);
    }
    // Note: a word that ends a clause only where a clause may follow (LOG,
    // OFFSET, ...) is a name where an operand is read: LOG(10, x).
    bool tableName = false;
    for (std::string_view word : kTableNames) tableName = tableName || Is(word);
    if (IsReserved() && !tableName && !Is("LEFT") && !Is("RIGHT") && !Is("REPLACE")) return FailWith(936);
    return NameOrCall(out);
}

bool CSqlParser::NameOrCall(Expr*& out) {
    std::size_t at = Here();
    std::vector<std::string_view> parts;
    parts.push_back(TokenText(m_k++));
    while (IsSymbol('.') && IsName(1)) {
        ++m_k;
        parts.push_back(TokenText(m_k++));
    }
    if (IsSymbol('@')) return Refuse("database links");
    if (IsSymbol('(') && IsSymbol('+', 1) && IsSymbol(')', 2)) {
        m_k += 3;
        out = Node(Expr::Kind::Name, at);
        out->parts = std::move(parts);
        out->outer = true;
        return true;
    }
    if (!IsSymbol('(')) {
        out = Node(Expr::Kind::Name, at);
        out->parts = std::move(parts);
        return true;
    }
    // Note: SYS.DBMS_RANDOM.VALUE: the built-in packages are SYS's.
    if (parts.size() == 3 && parts[0].size() == 3 && cp932::ToUpperAscii(std::string(parts[0])) == "SYS")
        parts.erase(parts.begin());
    out = Node(Expr::Kind::Call, at);
    out->parts = std::move(parts);
    out->text = out->parts.back();
    if (out->parts.size() == 1 && (CSqlScanner::Is(m_text, m_tokens[m_k - 1], "EXTRACT") ||
                                   CSqlScanner::Is(m_text, m_tokens[m_k - 1], "CAST") ||
                                   CSqlScanner::Is(m_text, m_tokens[m_k - 1], "VALIDATE_CONVERSION")))
        return SpecialCall(*out);
    if (out->parts.size() == 1 && CSqlScanner::Is(m_text, m_tokens[m_k - 1], "TRIM")) return TrimCall(*out);
    if (!CallArguments(*out)) return false;
    // Note: a method or attribute of what a call yields (an object's) is PL/SQL's only.
    if (IsSymbol('.') && IsName(1))
        return Refuse(encoding::Utf8ToCp932("SQL文中のオブジェクト型の値 (") +
                      cp932::ToUpperAscii(std::string(out->text)) + ")");
    return true;
}

bool CSqlParser::TrimCall(Expr& call) {
    ++m_k;  // "("
    // TRIM([LEADING | TRAILING | BOTH] [c] FROM s) is LTRIM, RTRIM or TRIM of s by c.
    std::string_view name = Accept("LEADING") ? "LTRIM" : Accept("TRAILING") ? "RTRIM" : "TRIM";
    bool side = name != "TRIM" || Accept("BOTH");
    Expr* first = nullptr;
    if (!(side && Is("FROM")) && !Expression(first)) return false;
    if (Accept("FROM")) {
        Expr* source = nullptr;
        if (!Expression(source)) return false;
        if (first == nullptr) {
            first = Node(Expr::Kind::String, source->at);
            first->text = "' '";
        } else {
            call.detail = "FROM";  // a trim character of the user's, one at most
        }
        call.args = {source, first};
    } else {
        if (side) return Fail();
        call.args = {first};
    }
    call.text = name;
    call.parts = {name};
    return ExpectSymbol(')');
}

bool CSqlParser::CommaBeforeClose() const {
    int depth = 0;
    for (std::size_t ahead = 0; m_k + ahead < m_tokens.size(); ++ahead) {
        if (IsSymbol('(', ahead)) ++depth;
        if (IsSymbol(')', ahead) && --depth < 0) return false;
        if (IsSymbol(',', ahead) && depth == 0) return true;
    }
    return false;
}

bool CSqlParser::SpecialCall(Expr& call) {
    ++m_k;  // "("
    bool extract = CSqlScanner::Is(m_text, m_tokens[m_k - 2], "EXTRACT");
    bool validate = CSqlScanner::Is(m_text, m_tokens[m_k - 2], "VALIDATE_CONVERSION");
    Expr* argument = nullptr;
    if (extract && !(IsName() && Is("FROM", 1)) && CommaBeforeClose()) return Refuse("EXTRACT (XML)");
    if (extract) {
        if (!IsName()) return Fail();
        call.detail = TokenText(m_k++);
        if (!Expect("FROM") || !Expression(argument)) return false;
    } else if (!validate && Is("MULTISET") && IsSymbol('(', 1) && (Is("SELECT", 2) || Is("WITH", 2))) {
        // CAST(MULTISET (query) AS collection type): the query's rows as a collection.
        argument = Node(Expr::Kind::Subquery, Here());
        argument->detail = "MULTISET";
        m_k += 2;
        if (!Query(argument->query) || !ExpectSymbol(')') || !Expect("AS") || !IsName()) return false;
        call.detail = TokenText(m_k++);
    } else {
        if (!Expression(argument) || !Expect("AS") || !IsName()) return false;
        std::size_t begin = m_k++;
        // Note: words may follow the brackets (INTERVAL DAY(3) TO SECOND(2)).
        for (;;) {
            while (IsName() && !IsSymbol('(') && !Is("DEFAULT")) ++m_k;
            if (!AcceptSymbol('(')) break;
            while (!AtEnd() && !IsSymbol(')')) ++m_k;
            if (!ExpectSymbol(')')) return false;
        }
        call.detail =
            m_text.substr(m_tokens[begin].begin,
                          m_tokens[m_k - 1].begin + m_tokens[m_k - 1].length - m_tokens[begin].begin);
        // CAST(expr AS type [DEFAULT value ON CONVERSION ERROR] [, fmt [, nls]]),
        // VALIDATE_CONVERSION(expr AS type [, fmt [, nls]]).
        if (!validate && !ConversionDefault(call)) return false;
        call.args.push_back(argument);
        while (call.args.size() < 3 && AcceptSymbol(',')) {
            Expr* model = nullptr;
            if (!Expression(model)) return false;
            call.args.push_back(model);
        }
        return ExpectSymbol(')');
    }
    call.args.push_back(argument);
    return ExpectSymbol(')');
}

bool CSqlParser::ConversionDefault(Expr& call) {
    if (!Accept("DEFAULT")) return true;
    return Expression(call.conversionDefault) && Expect("ON") && Expect("CONVERSION") && Expect("ERROR");
}

bool CSqlParser::CallArguments(Expr& call) {
    ++m_k;  // "("
    {
        std::string name(call.text);
        for (char& c : name) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (name == "JSON_OBJECT" || name == "JSON_ARRAY" || name == "JSON_ARRAYAGG" ||
            name == "JSON_OBJECTAGG")
            return JsonConstructor(call, name);
    }
    if (AcceptSymbol('*')) {
        call.starArgument = true;
    } else if (!IsSymbol(')')) {
        if (Accept("DISTINCT"))
            call.distinct = true;
        else
            Accept("ALL");
        std::string name(call.text);
        for (char& c : name) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        // Note: these take clauses of their own as arguments.
        if (std::find(std::begin(kClauseArguments), std::end(kClauseArguments), name) !=
            std::end(kClauseArguments))
            return Refuse(name);
        if (name == "JSON_VALUE" || name == "JSON_QUERY" || name == "JSON_EXISTS")
            return JsonCall(call, name);
        if (name == "JSON_SERIALIZE") return JsonSerialize(call);
        do {
            // Note: named notation (name => value) is refused by name, not
            // read as a syntax error.
            if (IsName() && IsSymbol('=', 1) && IsSymbol('>', 2))
                return Refuse(encoding::Utf8ToCp932("SQL文中の名前付き表記の引数 (=>)"));
            Expr* arg = nullptr;
            if (!Expression(arg)) return false;
            call.args.push_back(arg);
            if (Is("ON") && Is("OVERFLOW", 1)) {
                if (!Overflow(call)) return false;
                break;
            }
            call.args.pop_back();
            if (!NullTreatment(call)) return false;
            // COLLECT(x ORDER BY ...): the order of the elements.
            if (name == "COLLECT" && Is("ORDER") && Is("BY", 1)) {
                m_k += 2;
                if (!OrderBy(call.withinGroup)) return false;
            }
            // TO_NUMBER(expr DEFAULT value ON CONVERSION ERROR [, fmt ...]) and
            // the other conversion functions.
            if (call.args.empty() && Is("DEFAULT") &&
                std::find(std::begin(kDefaultedConversions), std::end(kDefaultedConversions), name) !=
                    std::end(kDefaultedConversions) &&
                !ConversionDefault(call))
                return false;
            // Note: the type a function RETURNING, and the other clauses
            // the engine lacks, are refused by name.
            if (Is("USING") || Is("AS") || Is("FROM") || Is("ON") || Is("DEFAULT") || Is("RETURNING"))
                return Refuse(std::string(call.text) + " (" + std::string(TokenText(m_k)) + ")");
            call.args.push_back(arg);
        } while (AcceptSymbol(','));
    }
    if (!ExpectSymbol(')')) return false;
    if (Accept("WITHIN")) {
        if (!Expect("GROUP") || !ExpectSymbol('(') || !Expect("ORDER") || !Expect("BY") ||
            !OrderBy(call.withinGroup) || !ExpectSymbol(')'))
            return false;
    }
    if (Accept("KEEP")) {
        if (!ExpectSymbol('(') || !Expect("DENSE_RANK")) return false;
        call.keep = Accept("FIRST") ? 1 : (Accept("LAST") ? 2 : 0);
        if (call.keep == 0 || !Expect("ORDER") || !Expect("BY") || !OrderBy(call.keepOrder) ||
            !ExpectSymbol(')'))
            return Fail();
        if (Is("OVER")) return Refuse("KEEP ... OVER");
    }
    if (!NullTreatment(call)) return false;
    // Note: NTH_VALUE counts FROM FIRST unless told; its NULLS come after.
    // (FROM FIRST or LAST before anything but OVER or a null treatment
    // starts the FROM clause of a table so named.)
    if (Is("FROM") && (Is("FIRST", 1) || Is("LAST", 1)) &&
        (Is("OVER", 2) || Is("IGNORE", 2) || Is("RESPECT", 2))) {
        call.fromLast = Is("LAST", 1);
        m_k += 2;
        if (!NullTreatment(call)) return false;
    }
    if (Accept("OVER")) return Over(call);
    return true;
}

bool CSqlParser::NullTreatment(Expr& call) {
    // Note: IGNORE or RESPECT without NULLS is an alias.
    if ((!Is("IGNORE") && !Is("RESPECT")) || !Is("NULLS", 1)) return true;
    call.ignoreNulls = Is("IGNORE");
    ++m_k;
    return Expect("NULLS");
}

bool CSqlParser::JsonCall(Expr& call, const std::string& name) {
    Expr* document = nullptr;
    std::string_view path;
    if (!Expression(document) || !AcceptJsonFormat()) return false;
    call.args.push_back(document);
    // Note: without its path the call is told short of arguments.
    if (IsSymbol(')')) return ExpectSymbol(')');
    if (!ExpectSymbol(',')) return false;
    // Note: what the path may read is known once the wrapper clause is.
    const std::size_t pathAt = m_k;
    if (AtEnd() || m_tokens[m_k].kind != Kind::String) return Fail();
    path = TokenText(m_k++);
    Expr* literal = Node(Expr::Kind::String, m_tokens[m_k - 1].begin);
    literal->text = path;
    call.args.push_back(literal);
    if (name != "JSON_EXISTS" && Accept("RETURNING")) {
        if (!IsName()) return Fail();
        if (!TypeText(call.detail)) return false;
    }
    if (name == "JSON_QUERY" && (!JsonOutput(call, false) || !JsonWrapper(call))) return false;
    const bool many = name == "JSON_EXISTS" || call.jsonWrapper != 0;
    if (!CheckJsonPath(pathAt, many ? CJsonPathCheck::Reads::Many : CJsonPathCheck::Reads::One)) return false;
    if (Is("WITH") || Is("WITHOUT") || Is("PASSING") || Is("TRUNCATE"))
        return Refuse(name + " (" + std::string(TokenText(m_k)) + ")");
    // [handler] ON ERROR, then the same ON EMPTY (either order).
    for (;;) {
        Expr::JsonHandler handler = Expr::JsonHandler::Null;
        Expr* value = nullptr;
        if (!JsonHandlerWord(name, handler)) break;
        if (handler == Expr::JsonHandler::Default && !Expression(value, 4)) return false;
        if (!Expect("ON")) return false;
        if (handler == Expr::JsonHandler::Default && name != "JSON_VALUE")
            return Refuse(name + " (DEFAULT ON ERROR)");
        if (Accept("EMPTY")) {
            call.onEmpty = handler;
            call.emptyDefault = value;
        } else if (Expect("ERROR")) {
            call.onError = handler;
            call.errorDefault = value;
        } else {
            return false;
        }
    }
    return ExpectSymbol(')');
}

// The handlers each function takes: NULL, ERROR and DEFAULT value (as
// JSON_VALUE); EMPTY [ARRAY] and EMPTY OBJECT (JSON_QUERY); TRUE and FALSE
// (JSON_EXISTS). False when the next words are no handler.
bool CSqlParser::JsonHandlerWord(const std::string& name, CSqlExpr::JsonHandler& handler) {
    using Handler = Expr::JsonHandler;
    static constexpr struct {
        std::string_view word;
        std::string_view function;  // empty: any
        Handler handler;
    } kHandlers[] = {
        {"NULL", "", Handler::Null},
        {"ERROR", "", Handler::Error},
        {"DEFAULT", "", Handler::Default},
        {"TRUE", "JSON_EXISTS", Handler::True},
        {"FALSE", "JSON_EXISTS", Handler::False},
        {"EMPTY", "JSON_QUERY", Handler::EmptyArray},
    };
    for (const auto& row : kHandlers) {
        if ((!row.function.empty() && row.function != name) || !Is(row.word)) continue;
        ++m_k;
        handler = row.handler;
        if (handler == Handler::EmptyArray && Accept("OBJECT"))
            handler = Handler::EmptyObject;
        else if (handler == Handler::EmptyArray)
            Accept("ARRAY");
        return true;
    }
    return false;
}

// [PRETTY] [ASCII] [TRUNCATE], TRUNCATE where `truncate` allows it.
bool CSqlParser::JsonOutput(Expr& call, bool truncate) {
    static constexpr struct {
        std::string_view word;
        unsigned char flag;
    } kOptions[] = {{"PRETTY", Expr::kPretty}, {"ASCII", Expr::kAscii}, {"TRUNCATE", Expr::kTruncate}};
    for (const auto& option : kOptions) {
        if (option.flag == Expr::kTruncate && !truncate) break;
        if (Accept(option.word)) call.jsonOutput |= option.flag;
    }
    if (Is("ORDERED")) return Refuse("JSON_SERIALIZE (ORDERED)");
    return true;
}

// JSON_SERIALIZE(expr [RETURNING type] [PRETTY] [ASCII] [TRUNCATE]
// [NULL | ERROR] ON ERROR]); ERROR ON ERROR unless told.
bool CSqlParser::JsonSerialize(Expr& call) {
    Expr* document = nullptr;
    if (!Expression(document) || !AcceptJsonFormat()) return false;
    call.args.push_back(document);
    if (Accept("RETURNING")) {
        if (!IsName()) return Fail();
        if (!TypeText(call.detail)) return false;
    }
    if (!JsonOutput(call, true)) return false;
    call.onError = Expr::JsonHandler::Error;
    if (Is("EMPTY")) return Refuse("JSON_SERIALIZE (EMPTY ON ERROR)");
    if (Is("NULL") || Is("ERROR")) {
        call.onError = Is("NULL") ? Expr::JsonHandler::Null : Expr::JsonHandler::Error;
        ++m_k;
        if (!Expect("ON") || !Expect("ERROR")) return false;
    }
    return ExpectSymbol(')');
}

bool CSqlParser::Overflow(Expr& call) {
    m_k += 2;
    if (Accept("ERROR")) return true;
    if (!Expect("TRUNCATE")) return false;
    call.truncateOnOverflow = true;
    if (!AtEnd() && m_tokens[m_k].kind == Kind::String) call.overflowIndicator = TokenText(m_k++);
    if (Accept("WITHOUT")) {
        call.overflowCount = false;
        return Expect("COUNT");
    }
    if (Accept("WITH")) return Expect("COUNT");
    return true;
}

bool CSqlParser::Over(Expr& call) {
    call.over = true;
    if (!ExpectSymbol('(')) return false;
    if (Accept("PARTITION")) {
        if (!Expect("BY") || !ExprList(call.partition)) return false;
    }
    if (Accept("ORDER")) {
        if (!Expect("BY") || !OrderBy(call.windowOrder)) return false;
    }
    if (Is("ROWS") || Is("RANGE")) {
        call.frameUnit = TokenText(m_k++);
        if (!Accept("BETWEEN")) {
            if (!FrameBound(call.frameStart, call.frameStartOffset)) return false;
        } else if (!FrameBound(call.frameStart, call.frameStartOffset) || !Expect("AND") ||
                   !FrameBound(call.frameEnd, call.frameEndOffset)) {
            return false;
        }
    }
    return ExpectSymbol(')');
}

bool CSqlParser::FrameBound(Expr::Bound& bound, Expr*& offset) {
    using Bound = Expr::Bound;
    if (Accept("UNBOUNDED")) {
        bound = Accept("PRECEDING") ? Bound::UnboundedPreceding : Bound::UnboundedFollowing;
        return bound == Bound::UnboundedPreceding || Expect("FOLLOWING");
    }
    if (Accept("CURRENT")) {
        bound = Bound::CurrentRow;
        return Expect("ROW");
    }
    if (!Expression(offset)) return false;
    bound = Accept("PRECEDING") ? Bound::Preceding : Bound::Following;
    return bound == Bound::Preceding || Expect("FOLLOWING");
}

bool CSqlParser::CaseExpr(Expr*& out) {
    out = Node(Expr::Kind::Case, Here());
    ++m_k;
    if (!Is("WHEN")) {
        Expr* operand = nullptr;
        if (!Expression(operand)) return false;
        out->args.push_back(operand);
        out->text = "SIMPLE";
    }
    while (Accept("WHEN")) {
        Expr* when = nullptr;
        Expr* then = nullptr;
        if (!Expression(when) || !Expect("THEN") || !Expression(then)) return false;
        out->args.push_back(when);
        out->args.push_back(then);
    }
    if (Accept("ELSE")) {
        Expr* otherwise = nullptr;
        if (!Expression(otherwise)) return false;
        out->args.push_back(otherwise);
        out->negated = true;  // has ELSE
    }
    return Expect("END");
}

bool CSqlParser::Parenthesised(Expr*& out) {
    std::size_t at = Here();
    ++m_k;
    if (Is("SELECT") || Is("WITH")) {
        out = Node(Expr::Kind::Subquery, at);
        if (!Query(out->query)) return false;
        return ExpectSymbol(')');
    }
    Expr* first = nullptr;
    if (!Expression(first)) return false;
    if (AcceptSymbol(')')) {
        Expr* node = Node(Expr::Kind::Row, at);
        node->args.push_back(first);
        out = node;
        return true;
    }
    Expr* row = Node(Expr::Kind::Row, at);
    row->args.push_back(first);
    while (AcceptSymbol(',')) {
        Expr* next = nullptr;
        if (!Expression(next)) return false;
        row->args.push_back(next);
    }
    out = row;
    return ExpectSymbol(')');
}

bool CSqlParser::TypeText(std::string_view& out) {
    std::size_t begin = m_k++;
    if (AcceptSymbol('(')) {
        while (!AtEnd() && !IsSymbol(')')) ++m_k;
        if (!ExpectSymbol(')')) return false;
    }
    out = m_text.substr(m_tokens[begin].begin,
                        m_tokens[m_k - 1].begin + m_tokens[m_k - 1].length - m_tokens[begin].begin);
    return true;
}
