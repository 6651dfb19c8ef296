#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The tree of one statement of the accepted subset. Every node keeps the
// byte offset in the statement text of the token it starts at, so that an
// error points at it; names and literals are views into the statement text.
struct CSqlSelect;

struct CSqlExpr {
    enum class Kind {
        Number,
        String,
        Null,
        Bind,
        Name,      // a.b.c: `parts`; `outer` for a.b(+)
        Star,      // * or a.*: `parts` holds the qualifier
        Call,      // name(args) [OVER (...)]
        Unary,     // op: "-", "+", "NOT", "PRIOR"
        Binary,    // op: arithmetic, comparison, AND, OR, ||
        Case,      // args: [operand] when, then, ..., [else]
        Subquery,  // (SELECT ...)
        Exists,
        InList,       // args[0] IN (args[1..]); `negated`
        InQuery,      // args[0] IN (select); `negated`
        Between,      // args[0] BETWEEN args[1] AND args[2]; `negated`
        Like,         // args[0] LIKE args[1] [ESCAPE args[2]]; `negated`
        IsNull,       // args[0] IS [NOT] NULL; `negated`
        Row,          // (a, b, ...)
        DateLiteral,  // DATE '...' / TIMESTAMP '...': `text` is the literal token
        Interval,     // INTERVAL '...' field [TO field]: `text` the literal token, `parts` the fields
        Quantified,   // args[0] op ANY|ALL (query): `text` the operator, `negated` for ALL
        // args[0] [NOT] MEMBER OF args[1], args[0] [NOT] SUBMULTISET OF
        // args[1], args[0] IS [NOT] A SET | EMPTY (`text`: MEMBER,
        // SUBMULTISET, SET, EMPTY), and args[0] MULTISET UNION | INTERSECT |
        // EXCEPT [DISTINCT] args[1] (`text` the operator, `distinct`).
        Multiset
    };
    struct OrderItem {
        CSqlExpr* expr = nullptr;
        bool descending = false;
        int nulls = 0;  // 0 default, 1 first, 2 last
    };
    Kind kind = Kind::Null;
    std::size_t at = 0;
    std::size_t opAt = 0;   // Binary: where the operator stands
    std::string_view text;  // operator, literal token, function name
    std::vector<std::string_view> parts;
    std::vector<CSqlExpr*> args;
    CSqlSelect* query = nullptr;
    bool negated = false;
    bool outer = false;
    bool distinct = false;
    bool starArgument = false;  // COUNT(*)
    bool timestamp = false;     // TIMESTAMP '...'
    // EXTRACT(field FROM ...): the field; CAST(... AS type): the type;
    // "MULTISET" for a Subquery of CAST(MULTISET (query) AS type).
    std::string_view detail;
    // OVER (PARTITION BY ... ORDER BY ...); `over` set when present.
    bool over = false;
    std::vector<CSqlExpr*> partition;
    std::vector<OrderItem> windowOrder;
    // LISTAGG ... WITHIN GROUP (ORDER BY ...)
    std::vector<OrderItem> withinGroup;
    // LISTAGG (... ON OVERFLOW TRUNCATE ['indicator'] [WITH|WITHOUT COUNT]).
    bool truncateOnOverflow = false;
    std::string_view overflowIndicator;
    bool overflowCount = true;
    // LAG, LEAD, FIRST_VALUE, LAST_VALUE, NTH_VALUE ... IGNORE NULLS, and
    // NTH_VALUE ... FROM LAST.
    bool ignoreNulls = false;
    bool fromLast = false;
    // KEEP (DENSE_RANK FIRST|LAST ORDER BY ...): 1 FIRST, 2 LAST.
    int keep = 0;
    std::vector<OrderItem> keepOrder;
    // OVER (... ROWS|RANGE [BETWEEN] start [AND end]): `frameUnit` empty when
    // the window has no frame; `frameEnd` CURRENT ROW when not given.
    enum class Bound { UnboundedPreceding, Preceding, CurrentRow, Following, UnboundedFollowing };
    std::string_view frameUnit;
    Bound frameStart = Bound::UnboundedPreceding;
    Bound frameEnd = Bound::CurrentRow;
    CSqlExpr* frameStartOffset = nullptr;
    CSqlExpr* frameEndOffset = nullptr;
    // JSON_VALUE ... [RETURNING type (in `detail`)] [handler ON ERROR]
    // [handler ON EMPTY]: NULL, ERROR or DEFAULT value; ON EMPTY as ON
    // ERROR when not given. JSON_QUERY also takes EMPTY [ARRAY] or EMPTY
    // OBJECT, JSON_EXISTS TRUE or FALSE.
    enum class JsonHandler { Null, Error, Default, EmptyArray, EmptyObject, True, False, Unset };
    // JSON_OBJECT, JSON_ARRAY, JSON_ARRAYAGG, JSON_OBJECTAGG: a flag an
    // argument for FORMAT JSON and for a column named alone (its own key), by
    // the argument's place; NULL ON NULL (1) or ABSENT ON NULL (2) when
    // written, 0 for the function's own default; RETURNING's type in `detail`.
    static constexpr unsigned char kFormatJson = 1;
    static constexpr unsigned char kNamedColumn = 2;
    std::vector<unsigned char> jsonFlags;
    int jsonOnNull = 0;
    // JSON_QUERY WITH WRAPPER (1) or WITH CONDITIONAL WRAPPER (2); 0 without.
    int jsonWrapper = 0;
    // JSON_SERIALIZE's and JSON_QUERY's PRETTY, ASCII and TRUNCATE.
    static constexpr unsigned char kPretty = 1;
    static constexpr unsigned char kAscii = 2;
    static constexpr unsigned char kTruncate = 4;
    unsigned char jsonOutput = 0;
    // An INTERVAL literal's leading precision and digits of a second as
    // written; -1 for the defaults (2 and 6).
    int intervalLeading = -1;
    int intervalFraction = -1;
    // TO_NUMBER(... DEFAULT value ON CONVERSION ERROR ...), CAST (...) and
    // the other conversions: the value converted instead of one that fails.
    CSqlExpr* conversionDefault = nullptr;
    JsonHandler onError = JsonHandler::Null;
    JsonHandler onEmpty = JsonHandler::Unset;
    CSqlExpr* errorDefault = nullptr;
    CSqlExpr* emptyDefault = nullptr;
};

// A column of JSON_TABLE: a value, the row's number, JSON text, or the
// columns of the rows of a nested path.
// What a JSON_TABLE column or table does on an error or an empty result.
struct CSqlJsonHandling {
    enum class Handler { Null, Error, Default, True, False, EmptyArray, EmptyObject, Unset };
    Handler onError = Handler::Unset;
    Handler onEmpty = Handler::Unset;
    CSqlExpr* errorDefault = nullptr;
    CSqlExpr* emptyDefault = nullptr;
};

struct CSqlJsonColumn {
    enum class Kind { Value, Ordinality, Json, Nested, Exists };
    Kind kind = Kind::Value;
    CSqlJsonHandling handling;
    std::size_t at = 0;
    std::string_view name;
    std::string_view type;  // as written; empty for VARCHAR2(4000)
    std::string_view path;  // the literal token; empty: $.name
    // FORMAT JSON WITH WRAPPER (1) or WITH CONDITIONAL WRAPPER (2); 0 without.
    int wrapper = 0;
    std::vector<CSqlJsonColumn> columns;
};

// JSON_TABLE(document, 'path' COLUMNS (...)) in FROM.
struct CSqlJsonTable {
    CSqlExpr* document = nullptr;
    CSqlJsonHandling handling;  // the row's; its ON ERROR is the columns' default
    std::string_view path;      // the literal token
    std::vector<CSqlJsonColumn> columns;
};

// t PARTITION (name) or t PARTITION FOR (key values): the rows of that
// partition only.
struct CSqlPartitionRef {
    bool given = false;
    std::string_view name;
    std::vector<CSqlExpr*> values;  // FOR (...)
    std::size_t at = 0;
};

struct CSqlFromItem {
    enum class Join { Comma, Inner, Left, Right, Full, Cross };
    Join join = Join::Comma;
    std::size_t at = 0;
    std::vector<std::string_view> table;  // schema.name parts; empty for a subquery
    CSqlSelect* query = nullptr;
    std::shared_ptr<CSqlJsonTable> json;  // JSON_TABLE
    CSqlExpr* collection = nullptr;       // TABLE(collection)
    std::string_view alias;
    CSqlExpr* on = nullptr;
    std::vector<std::string_view> usingColumns;
    // NATURAL: joined on every column of the same name on both sides.
    bool natural = false;
    CSqlPartitionRef partition;
    // SAMPLE [BLOCK] (percent) [SEED (seed)]: the literals' tokens; empty without.
    std::string_view samplePercent;
    std::string_view sampleSeed;
    // LATERAL (query), CROSS APPLY (query), OUTER APPLY (query): the query
    // reads the sources before it.
    bool lateral = false;
};

struct CSqlSelectItem {
    CSqlExpr* expr = nullptr;
    std::string_view alias;
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct CSqlSelect {
    struct With {
        std::string_view name;
        // WITH name (a, b) AS (...): the columns' names; a query that reads
        // its own name is recursive.
        std::vector<std::string_view> columns;
        CSqlSelect* query = nullptr;
        std::size_t at = 0;
    };
    std::vector<With> with;
    bool distinct = false;
    std::vector<CSqlSelectItem> items;
    std::vector<CSqlFromItem> from;
    CSqlExpr* where = nullptr;
    std::vector<CSqlExpr*> groupBy;
    // GROUP BY with ROLLUP, CUBE or GROUPING SETS: the sets of expressions
    // grouped by, in the order their rows come; `groupBy` then holds every
    // expression of them once.
    std::vector<std::vector<CSqlExpr*>> groupingSets;
    CSqlExpr* having = nullptr;
    // START WITH ... CONNECT BY [NOCYCLE] ...
    CSqlExpr* startWith = nullptr;
    CSqlExpr* connectBy = nullptr;
    bool noCycle = false;
    std::size_t connectAt = 0;
    // ORDER SIBLINGS BY: the order of the children of each row.
    std::vector<CSqlExpr::OrderItem> siblingsOrder;
    // The next query of a compound: UNION, UNION ALL, INTERSECT, MINUS.
    std::string_view setOperator;
    bool setAll = false;
    CSqlSelect* next = nullptr;
    // Of the whole compound (held by its first query).
    std::vector<CSqlExpr::OrderItem> orderBy;
    CSqlExpr* offset = nullptr;
    CSqlExpr* fetch = nullptr;
    // FETCH ... PERCENT: `fetch` is a share of the rows, in hundredths;
    // WITH TIES: the rows sorting level with the last one fetched follow it.
    bool fetchPercent = false;
    bool withTies = false;
    bool forUpdate = false;
    std::size_t at = 0;
    // PIVOT and UNPIVOT: the columns of the first source not named in
    // `implicitExcept` come first in the select list (and in GROUP BY when
    // `implicitGroup`), once the source's columns are known.
    bool implicitColumns = false;
    bool implicitGroup = false;
    std::vector<std::string_view> implicitExcept;
};

struct CSqlStatement {
    enum class Kind { Select, Insert, Update, Delete, Merge };
    Kind kind = Kind::Select;
    CSqlSelect* query = nullptr;          // SELECT; INSERT ... SELECT
    std::vector<std::string_view> table;  // INSERT, UPDATE, DELETE
    std::size_t tableAt = 0;
    CSqlPartitionRef partition;  // UPDATE, DELETE
    std::string_view alias;
    std::vector<std::string_view> columns;  // INSERT column list; UPDATE SET targets
    std::vector<std::size_t> columnAt;
    // UPDATE SET targets as written (alias.column.attribute ...), beside
    // `columns`; empty for a target of SET (columns) = (query).
    std::vector<std::vector<std::string_view>> targets;
    std::vector<CSqlExpr*> values;  // INSERT VALUES; UPDATE SET values
    CSqlExpr* where = nullptr;
    // MERGE: its UPDATE, INSERT and DELETE as statements of their own, in
    // the order they run (`where` holds its ON condition); `mergeDelete`
    // marks the DELETE.
    std::vector<CSqlStatement> parts;
    bool mergeDelete = false;
};

// Owns the nodes of one statement, allocated a block at a time.
class CSqlArena {
public:
    CSqlExpr* Expr() { return Next(m_exprs, m_exprsUsed); }
    CSqlSelect* Select() { return Next(m_selects, m_selectsUsed); }
    // Text made for the tree (a name or literal no token holds), kept as
    // long as the nodes.
    std::string_view Keep(std::string text) {
        m_texts.push_back(std::move(text));
        return m_texts.back();
    }

private:
    static constexpr std::size_t kBlock = 8;

    template <typename T>
    static T* Next(std::vector<std::unique_ptr<T[]>>& blocks, std::size_t& used) {
        if (blocks.empty() || used == kBlock) {
            blocks.push_back(std::make_unique<T[]>(kBlock));
            used = 0;
        }
        return &blocks.back()[used++];
    }

    std::vector<std::unique_ptr<CSqlExpr[]>> m_exprs;
    std::vector<std::unique_ptr<CSqlSelect[]>> m_selects;
    std::size_t m_exprsUsed = 0;
    std::size_t m_selectsUsed = 0;
    std::deque<std::string> m_texts;
};
