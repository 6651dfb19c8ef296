#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CJsonPathCheck.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqlTree.h"

// Recursive descent over the significant tokens of one statement, with
// precedence climbing for expressions (OR, AND, NOT, comparisons, "+ - ||",
// "* /", unary signs). Builds a CSqlStatement for SELECT, INSERT, UPDATE and
// DELETE; anything else, or a construct the tree does not hold, fails with
// the offset of its token.
class CSqlParser {
public:
    struct Failure {
        std::size_t at = 0;
        // A construct the tree does not hold (as opposed to a syntax error).
        bool unsupported = false;
        std::string what;  // the construct, for a refusal
        // The server's error of a syntax error: 900, 933 for words after a
        // whole statement, 911 for a character it does not take.
        int code = 900;
    };

    // What a query declaring PL/SQL functions below the top of the
    // statement is refused as.
    static constexpr std::string_view kWithFunction = "WITH FUNCTION";

    CSqlParser(std::string_view text, const std::vector<CSqlScanner::Token>& tokens, CSqlArena& arena)
        : m_text(text), m_tokens(tokens), m_arena(arena) {}

    bool Parse(CSqlStatement& out, Failure& failure);
    // A query from significant token `first` to the end (the body of a view).
    bool ParseQuery(std::size_t first, CSqlSelect*& out, Failure& failure);
    // A condition filling all the tokens (the body of a CHECK constraint).
    bool ParseCondition(CSqlExpr*& out, Failure& failure);

private:
    // A type name at the current token, with its bracketed arguments: its
    // text as written; false when the brackets do not close.
    bool TypeText(std::string_view& out);
    using Expr = CSqlExpr;

    bool AtEnd() const { return m_k >= m_tokens.size(); }
    std::size_t Here() const { return AtEnd() ? m_text.size() : m_tokens[m_k].begin; }
    std::string_view TokenText(std::size_t k) const {
        return m_text.substr(m_tokens[k].begin, m_tokens[k].length);
    }
    bool Is(std::string_view word, std::size_t ahead = 0) const;
    bool IsSymbol(char symbol, std::size_t ahead = 0) const;
    // Whether a comma of this level comes before the bracket that closes it.
    bool CommaBeforeClose() const;
    bool Accept(std::string_view word);
    bool AcceptSymbol(char symbol);
    bool Expect(std::string_view word);
    bool ExpectSymbol(char symbol);
    bool Fail(std::string what = {});
    bool Refuse(std::string what);
    // Words after a whole statement: ORA-00933.
    bool NotEnded();
    // A syntax error the server answers with `code`.
    bool FailWith(int code, std::string what = {});
    bool IsName(std::size_t ahead = 0) const;
    bool IsReserved(std::size_t ahead = 0) const;
    // Whether a word that may start a clause (OFFSET, LOG, ...) is a name
    // here: an alias that ends its item.
    bool NamesHere() const;

    bool Statement(CSqlStatement& out);
    bool Insert(CSqlStatement& out);
    bool Update(CSqlStatement& out);
    bool Delete(CSqlStatement& out);
    // MERGE, written as the UPDATE, INSERT and DELETE it does.
    bool Merge(CSqlStatement& out);
    bool Assignments(CSqlStatement& out);
    // SET (a, b) = (query): each column from its item of the query.
    bool RowAssignment(CSqlStatement& out);
    bool MergeUpdate(CSqlStatement& update, CSqlExpr*& deleteWhere);
    bool MergeInsert(CSqlStatement& insert, CSqlExpr*& insertWhere);
    // SELECT `item` FROM `from` WHERE `where` (a node of its own).
    CSqlSelect* Probe(CSqlExpr* item, const CSqlFromItem& from, CSqlExpr* where);
    CSqlExpr* Both(CSqlExpr* left, CSqlExpr* right);
    bool JsonHandlerWord(const std::string& name, CSqlExpr::JsonHandler& handler);
    bool IntervalPrecision(Expr& literal, bool leading);
    bool QuantifiedList(Expr*& left, std::string_view op, bool all);
    CSqlExpr* Joined(const std::vector<Expr*>& terms, std::size_t begin, std::size_t end,
                     std::string_view op);
    bool QualifiedName(std::vector<std::string_view>& parts);
    // [PARTITION (name) | PARTITION FOR (values)] after a table's name.
    bool PartitionRef(CSqlPartitionRef& out);
    bool Alias(std::string_view& alias, bool allowAs);

    bool Query(CSqlSelect*& out);
    bool QueryTerm(CSqlSelect*& out);
    // The names of WITH name (a, b, ...) after its "(".
    bool WithColumns(std::vector<std::string_view>& columns);
    bool SelectBlock(CSqlSelect*& out);
    bool SelectItems(CSqlSelect& select);
    // START WITH and CONNECT BY, in either order.
    bool Hierarchy(CSqlSelect& select);
    bool FromList(CSqlSelect& select);
    bool FromItem(CSqlFromItem& item);
    // PIVOT (...) and UNPIVOT (...) after a source: the item becomes the
    // query they stand for.
    bool Pivot(CSqlFromItem& item);
    bool PivotQuery(const CSqlFromItem& source, CSqlSelect*& out);
    bool UnpivotQuery(const CSqlFromItem& source, CSqlSelect*& out);
    // The names of columns `expr` reads.
    static void NamesRead(const Expr* expr, std::vector<std::string_view>& out);
    Expr* Equal(Expr* left, Expr* right);
    // JSON_TABLE's parts: FORMAT JSON, a path literal, NULL ON ERROR|EMPTY
    // (other handlers refused), and COLUMNS (...) with NESTED PATH.
    bool Sample(CSqlFromItem& item);
    bool AcceptJsonFormat();
    // A path literal; one the engine cannot read is refused by its step.
    bool JsonPath(std::string_view& path, CJsonPathCheck::Reads reads = CJsonPathCheck::Reads::One);
    // The path at token `at` checked for what it reads.
    bool CheckJsonPath(std::size_t at, CJsonPathCheck::Reads reads);
    // WITH [UNCONDITIONAL | CONDITIONAL] [ARRAY] WRAPPER | WITHOUT [ARRAY] WRAPPER.
    bool JsonWrapper(Expr& call);
    bool JsonOnError(CSqlJsonHandling& handling, bool exists = false, bool json = false);
    bool JsonColumns(std::vector<CSqlJsonColumn>& columns);
    bool OrderBy(std::vector<Expr::OrderItem>& items);
    // GROUP BY's list; ROLLUP, CUBE and GROUPING SETS become grouping sets.
    bool GroupBy(CSqlSelect& select);
    using Sets = std::vector<std::vector<Expr*>>;
    // One element of GROUP BY or of GROUPING SETS (...), as its sets.
    bool GroupingElement(Sets& sets, bool inSets);
    // "(a, b)" or "a": the expressions grouped together.
    bool GroupingColumns(std::vector<Expr*>& columns);
    bool FetchAndOffset(CSqlSelect& select);
    bool ExprList(std::vector<Expr*>& out);

    bool Expression(Expr*& out, int minimum = 0);
    bool Predicate(Expr*& left);
    // Multiset conditions and operators: IS [NOT] A SET | EMPTY after IS
    // [NOT]; [NOT] MEMBER | SUBMULTISET [OF]; MULTISET UNION | INTERSECT | EXCEPT.
    bool IsSetOrEmpty(std::size_t ahead) const;
    bool IsMembership(std::size_t ahead) const;
    bool IsMultisetOperator() const;
    bool MultisetOperator(Expr*& left);
    bool Unary(Expr*& out);
    bool Primary(Expr*& out);
    bool NameOrCall(Expr*& out);
    bool CallArguments(Expr& call);
    // JSON_VALUE, JSON_QUERY, JSON_EXISTS: the document, the path, and
    // RETURNING and the ON ERROR and ON EMPTY handlers of JSON_VALUE.
    bool NullTreatment(Expr& call);
    bool JsonCall(Expr& call, const std::string& name);
    bool JsonOutput(Expr& call, bool truncate);
    bool JsonSerialize(Expr& call);
    // JSON_OBJECT, JSON_ARRAY, JSON_ARRAYAGG and JSON_OBJECTAGG after their
    // "(": the entries, FORMAT JSON, the ON NULL and RETURNING clauses.
    bool JsonConstructor(Expr& call, const std::string& name);
    bool JsonObjectEntry(Expr& call);
    bool JsonValueArgument(Expr& call);
    bool JsonConstructorClauses(Expr& call, const std::string& name);
    // EXTRACT(field FROM expr), CAST(expr AS type ...) and
    // VALIDATE_CONVERSION(expr AS type ...).
    bool SpecialCall(Expr& call);
    // [DEFAULT value ON CONVERSION ERROR] after a conversion's operand.
    bool ConversionDefault(Expr& call);
    // TRIM, with LEADING, TRAILING or BOTH and a character FROM its text.
    bool TrimCall(Expr& call);
    bool Over(Expr& call);
    // One end of a window frame: UNBOUNDED PRECEDING|FOLLOWING, CURRENT ROW,
    // or an offset PRECEDING|FOLLOWING.
    bool FrameBound(Expr::Bound& bound, Expr*& offset);
    // ON OVERFLOW ERROR | TRUNCATE ['...'] [WITH | WITHOUT COUNT] of LISTAGG.
    bool Overflow(Expr& call);
    bool CaseExpr(Expr*& out);
    bool Parenthesised(Expr*& out);
    Expr* Node(Expr::Kind kind, std::size_t at);

    std::string_view m_text;
    const std::vector<CSqlScanner::Token>& m_tokens;
    CSqlArena& m_arena;
    static constexpr int kMaxDepth = 200;
    static constexpr int kMaxChain = 1000;
    // Counts one level of recursion while it lives.
    struct Nesting {
        int& depth;
        explicit Nesting(int& level) : depth(++level) {}
        ~Nesting() { --depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
    };
    std::size_t m_k = 0;
    int m_depth = 0;
    Failure m_failure;
    bool m_failed = false;
};
