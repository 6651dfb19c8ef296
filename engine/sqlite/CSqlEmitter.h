#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CJoinView.h"
#include "engine/sqlite/CLiteralStore.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqlTree.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/values/CValueType.h"

// Writes the SQLite text of a parsed statement with the server's meaning:
// names resolved against the catalog (a missing table or column fails at its
// token), values converted as the server converts them (text compared with
// a number becomes a number, with a date a date; CHAR compared blank-padded),
// NULL sorted last ascending, ROWNUM counted as rows are accepted, outer
// joins written "(+)" made LEFT JOINs, MINUS, date literals, and every value
// stored into a column checked and rounded by its declared type.
class CSqlEmitter {
public:
    struct Failure {
        std::size_t at = 0;
        int code = 0;
        std::string name;               // CP932
        std::vector<std::string> args;  // what follows the name in the message
    };

    // `stored`: the text is the body of a view or trigger kept in the file.
    CSqlEmitter(std::string_view text, CSqliteCatalog& catalog, bool stored = false)
        : m_text(text), m_catalog(catalog), m_stored(stored) {}

    bool Emit(const CSqlStatement& statement, std::string& out, Failure& failure);
    // A row every name of the statement may read, as NAME.COLUMN (a
    // trigger's NEW and OLD); before Emit.
    void AddRowSource(std::string name, const std::vector<CSqliteCatalog::Column>& columns);
    // A condition over the rows of AddRowSource, as a WHERE clause writes it
    // (the body of a CHECK constraint).
    bool EmitCondition(const CSqlExpr& condition, std::string& out, Failure& failure);
    // An expression over the row source (see AddRowSource), written for
    // SQLite, with its type as a query column's would be.
    bool EmitValue(const CSqlExpr& expr, std::string& out, CValueType& type, Failure& failure);
    // The static types of the result columns of a query, after Emit.
    const std::vector<CValueType>& ResultTypes() const { return m_resultTypes; }
    // The names of a query's columns, as its items give them.
    const std::vector<std::string>& ResultNames() const { return m_resultNames; }
    // The number of query blocks that count ROWNUM.
    int RownumBlocks() const { return m_rownumBlocks; }

    // A value written as a numbered parameter, for the caller to bind: a
    // literal stored by the column's rules (Stored), a literal argument of a
    // conversion as written (Raw), the value of a DATE or TIMESTAMP literal
    // (Date), or the offset a value's failure is reported at (Position).
    struct LiteralSlot {
        enum class Role { Stored, Raw, Date, Position };
        std::size_t at = 0;  // the literal's offset in the text; Position: the offset bound
        CSqliteCatalog::Column column;
        std::string table;  // upper case
        CLiteralStore::Value value;
        Role role = Role::Stored;
        // Where a refusal of the value is reported (the literal, its minus
        // sign, or the DATE keyword).
        std::size_t reported = 0;
        bool negative = false;   // Stored: the number follows a minus sign
        bool timestamp = false;  // Date: a TIMESTAMP literal
    };
    // From now on, literals stored by CLiteralStore are written as "?n"
    // ("CAST(?n AS REAL)" for a floating-point number) and kept in `slots`
    // in the order of n; so are NULL, DATE and TIMESTAMP literals and
    // conversions (TO_DATE, TO_TIMESTAMP, TO_NUMBER, TO_CHAR) of literals
    // stored by INSERT ... VALUES, with the offsets their failures report.
    void CollectLiterals(std::vector<LiteralSlot>* slots) { m_slots = slots; }
    // The binds of BINARY_FLOAT (4) and BINARY_DOUBLE (8), by name as bound
    // (without ":"): such a bind is a value of its type, as the server
    // binds it, and what it computes is of that type too.
    void TypeBinds(std::map<std::string, int> widths) { m_bindWidths = std::move(widths); }
    // After Emit: the statement is an INSERT ... VALUES whose every value
    // went to `slots`.
    bool ValuesAllLiterals() const { return m_valuesAllLiterals; }
    // The zone written in a TIMESTAMP literal's token ("" for none).
    static std::string_view LiteralZone(std::string_view literal);
    // Whether `expr` calls an aggregate function (not over a window).
    static bool HasAggregate(const CSqlExpr* expr);

private:
    struct ViewTarget;
    // A column a source offers or a query produces (name upper-cased).
    struct Typed {
        std::string name;
        CValueType type;
        // Written instead of the name as the statement writes it ("": as written).
        std::string emitted = {};
        // An expression's column of a view, which DML cannot set; read, it
        // is the expression over the view's table.
        bool virtualColumn = false;
        const CSqlExpr* expression = nullptr;
        const ViewTarget* view = nullptr;
        // A column of a hierarchy over joined rows: its name among them.
        std::string hierarchyName = {};
        // An INVISIBLE column of a table: named, it is read; "*" leaves it out.
        bool hidden = false;
        // A nested table or VARRAY column: its type, and the column as its
        // document (read, it is shown as its constructor).
        std::string collection = {};
        std::string document = {};
        // A column of an object type: its type (the column as its document,
        // read, it is shown as its constructor).
        std::string objectType = {};
        // A column of a type that does not compile: naming it is ORA-04063.
        std::string brokenType = {};
    };
    struct Source {
        std::string name;  // alias, else table name (upper)
        std::vector<Typed> columns;
        bool known = false;
        bool aliased = false;  // named by an alias (an object's attributes are read through one)
    };
    struct Scope {
        std::vector<Source> sources;
        std::vector<Typed> aliases;  // for ORDER BY
        // The text each select item is written as (a block's, not a compound's).
        std::vector<std::string> itemTexts = {};
        int rownumBlock = -1;
        bool inWhere = false;
        bool usingJoin = false;
        bool grouped = false;  // the block has GROUP BY
    };
    struct Cte {
        std::string name;
        std::vector<Typed> columns;
    };

    bool Fail(std::size_t at, int code, std::string_view name = {});
    // `column` belongs to a source with another column whose name differs
    // from its own only in case.
    bool HasCaseTwin(const Typed& column) const;
    // DML may change `table` (upper case, CP932): not READ ONLY (ORA-12081),
    // no unique index of it UNUSABLE (ORA-01502).
    bool Writable(const std::string& table, std::size_t at);
    std::string_view Span(std::size_t at, std::size_t end) const { return m_text.substr(at, end - at); }

    bool Query(const CSqlSelect& query, std::string& out, std::vector<Typed>* columns);
    // One query of WITH, written with its name (and its columns' names).
    bool Subquery(const CSqlSelect::With& with, std::string& out, Cte& cte);
    // The types of a compound's columns once `next` branch is added;
    // ORA-01789/01790 when the branches do not agree.
    bool Widen(const CSqlSelect& query, std::vector<Typed>& columns, const std::vector<Typed>& next);
    bool Block(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns, bool orderedForRownum);
    // A block of PIVOT or UNPIVOT: its first source's columns it does not
    // name come first (and are grouped by for PIVOT).
    bool ImplicitBlock(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns,
                       bool orderedForRownum);
    bool FromSources(const CSqlSelect& block, Scope& scope, std::vector<std::string>& texts);
    bool EachSource(const CSqlSelect& block, Scope& scope, std::vector<std::string>& texts);
    bool TableSource(const CSqlFromItem& item, Source& source, std::string& text);
    // A column of a table named `source` in the statement, as it is read.
    static Typed TableColumn(const CSqliteCatalog::Column& column, const std::string& source);
    // The condition that keeps the rows of the partition `ref` names, over
    // the unqualified key columns of `table`.
    // `keys`, when given, stand for the key columns (the values of a row
    // being inserted).
    bool PartitionCondition(std::string_view table, const CSqlPartitionRef& ref, std::string& out,
                            const std::vector<std::string>* keys = nullptr);
    // JSON_TABLE: SQLite's json_each over the document, the columns read
    // from each row's JSON (NULL where a value is missing or does not fit).
    bool JsonTableSource(const CSqlFromItem& item, Source& source, std::string& text);
    // TABLE(collection): the elements of a constructor's or a function's
    // collection as rows (COLUMN_VALUE, or the attributes of object elements).
    bool CollectionSource(const CSqlFromItem& item, Source& source, std::string& text);
    // The JSON document of a collection expression and its columns.
    // `type`, when given: the collection's type, "" when unknown.
    bool CollectionDocument(const CSqlExpr& expr, std::vector<std::pair<std::string, std::string>>& columns,
                            bool& object, std::string& document, std::string* type = nullptr);
    // TABLE((query)): the collection of the query's one row and column.
    // TABLE() of a package's function: the collection it returns, else its
    // call's own refusal, else ORA-22905.
    bool PackagedCollection(const CSqlExpr& expr, std::vector<std::pair<std::string, std::string>>& columns,
                            bool& object, std::string& document, std::string& type);
    bool QueriedCollection(const CSqlExpr& query, std::vector<std::pair<std::string, std::string>>& columns,
                           bool& object, std::string& document, std::string& type);
    // The column TABLE() makes of an element's attribute that is an object
    // or a collection (`element` the element's JSON, `path` the attribute's).
    void ElementAttribute(const CSqliteCatalog::ObjectShape::Attribute& attribute, const std::string& element,
                          const std::string& path, Typed& typed);
    CSqlType Cardinality(const CSqlExpr& call, std::string& out);
    // What is known of a collection expression's type: its name (upper
    // case; "" when unknown) and the columns of TABLE() over it.
    struct Collection {
        std::string type;
        std::vector<std::pair<std::string, std::string>> columns;
        bool object = false;
    };
    // Whether `expr` makes a collection: a constructor, CAST to a
    // collection type, SET, COLLECT or a multiset operator.
    bool IsCollection(const CSqlExpr& expr);
    // A function of the server that the engine lacks (refused by name).
    static bool IsServerFunction(std::string_view name);
    // Resolve without a failure: false for an unknown or ambiguous name.
    bool ResolveQuietly(const CSqlExpr& expr, CSqlType& type, const Typed*& typed,
                        CValueType* full = nullptr);
    // The JSON document of a collection operand (any of IsCollection's, a
    // bind of a block's collection, a function returning one).
    bool CollectionOperand(const CSqlExpr& expr, std::string& document, Collection& collection);
    // An element of json_each rows `rows` as compared: by the element type,
    // else as `hint`; an object by its JSON text.
    std::string ElementKey(const std::string& rows, const Collection& collection, CSqlType hint);
    CSqlType MultisetCondition(const CSqlExpr& expr, std::string& out);
    CSqlType Membership(const CSqlExpr& expr, std::string& out);
    // c1 = c2 and c1 <> c2 of nested tables: the same elements as many times, in any order.
    CSqlType CollectionsEqual(const CSqlExpr& expr, std::string& out);
    // MULTISET UNION | INTERSECT | EXCEPT [ALL | DISTINCT], and SET(c).
    bool MultisetOperator(const CSqlExpr& expr, std::string& document, Collection& collection);
    // CAST(MULTISET (query) AS t) and CAST(collection AS t).
    bool CastCollection(const CSqlExpr& cast, std::string& document, Collection& collection);
    // COLLECT([DISTINCT] x): an aggregate's document.
    bool Collect(const CSqlExpr& call, std::string& document);
    // A collection as a value: "NUM_T(1, 2, 3)", texts quoted, NULL for a null one.
    CSqlType CollectionText(const CSqlExpr& expr, std::string& out);
    static std::string ShownElement(const std::string& value, const std::string& type);
    // The text of a collection's document: "NUM_T(1, 2, 3)", NULL for none.
    std::string Shown(const std::string& document, const Collection& collection);
    // A table's nested table or VARRAY column, read as its constructor.
    void CollectionColumn(Typed& typed, const std::string& source);
    // A collection stored in `column`: ORA-00932 for any other value.
    bool StoreCollection(const CSqliteCatalog::Column& column, const CSqlExpr& value, std::string& out);
    // ---- object types (CSqlEmitterObject.cpp)
    // The object type `type` (upper case); null when it is none.
    const CSqliteCatalog::ObjectShape* ObjectShapeOf(const std::string& type);
    // Whether `expr` is an object value (a constructor of an object type,
    // an object column, an attribute of an object type); `type` its type.
    bool IsObject(const CSqlExpr& expr, std::string& type);
    // The JSON document of an object expression, NULL for a null object.
    bool ObjectOperand(const CSqlExpr& expr, std::string& document, std::string& type);
    // type(a, b, ...): each argument stored by its attribute's type.
    bool ConstructedObject(const CSqlExpr& call, const std::string& type, std::string& out);
    // An element of a collection of the object type `element`: an object
    // of that type as its document, NULL for a null one; ORA-00932 otherwise.
    bool ElementObject(const CSqlExpr& value, const std::string& element, std::string& out);
    bool AttributeValue(const CSqliteCatalog::ObjectShape::Attribute& attribute, const std::string& type,
                        const CSqlExpr& value, std::string& out);
    // An object's document as the server shows it: "T('a', 1, NULL)".
    std::string ShownObject(const std::string& document, const std::string& type, int depth = 0);
    // An attribute's value in `document` at `path`, shown where it is an object or a collection.
    std::string ShownAttribute(const std::string& document, const std::string& path,
                               const CSqliteCatalog::ObjectShape::Attribute& attribute, int depth);
    // The object attribute at `path` of `document` as its own document; an
    // object kept as its constructor's text (older files) is read as one.
    static std::string ObjectAt(const std::string& document, const std::string& path);
    // A table's object column, read as its constructor.
    void ObjectColumn(Typed& typed, const std::string& source);
    // alias.column.attribute[.attribute ...]: the column's document, the
    // JSON path of the attribute and the attribute; false when `parts` name none.
    struct AttributeRef {
        std::string document;
        std::string path;
        CSqliteCatalog::ObjectShape::Attribute attribute;
    };
    bool FindAttribute(const std::vector<std::string_view>& parts, AttributeRef& ref);
    CSqlType AttributeText(const AttributeRef& ref, std::string& out);
    // alias.column.method(arguments): a member function of the column's type.
    bool MemberCall(const CSqlExpr& call, std::string& out, CSqlType& type);
    // An object stored in `column`: ORA-00932 for any other value.
    bool StoreObject(const CSqliteCatalog::Column& column, const CSqlExpr& value, std::string& out);
    // A column of no type (a query's NULL, as INSERT ... SELECT and MERGE's
    // INSERT read it) stored into an object or collection column: NULL, and
    // ORA-00932 for any other value; false for another expression.
    bool TypelessNull(const CSqlExpr& value, std::string& out);
    // (query): its one column, an object of `column`'s type, as its document.
    // A scalar subquery whose one column is read as its document (an
    // object's or a collection's); false when it failed.
    bool QueriedDocument(const CSqlExpr& query, std::string& text, Typed& produced);
    bool StoreQueriedObject(const CSqliteCatalog::Column& column, const CSqlExpr& value, std::string& out);
    // UPDATE ... SET alias.column.attribute = value.
    bool StoreAttribute(const CSqlStatement& statement, std::size_t k,
                        const std::vector<CSqliteCatalog::Column>& columns, std::string& out);
    // = and <> of objects: attribute by attribute, NULL when either has a NULL attribute.
    bool CompareObjects(std::string_view op, const CSqlExpr& left, const CSqlExpr& right, std::string& out);
    // An object sorted, grouped or made DISTINCT without a MAP or ORDER method: ORA-22950.
    bool Unordered(const CSqlExpr& expr);
    // An object's key for ORDER BY, GROUP BY and comparisons: its MAP
    // method's value (`mapped`); ORA-22950 for an object without one, and
    // nothing for another expression.
    bool MapKey(const CSqlExpr& expr, std::string& key, bool& mapped);
    std::map<std::string, CSqliteCatalog::ObjectShape> m_objectShapes;
    // The blocks at this depth of m_scopes (0: none) hand their object and
    // collection columns on as their documents, not as their text: the rows
    // INSERT ... SELECT stores, a view's body, an inline view, a WITH query.
    std::size_t m_documentScope = 0;
    bool HandsOnDocuments() const { return m_documentScope != 0 && m_scopes.size() == m_documentScope; }
    // A query whose rows another query reads (see m_documentScope).
    bool DerivedQuery(const CSqlSelect& query, std::string& out, std::vector<Typed>* columns);
    // The object and collection columns of a source made by a derived query,
    // read through the source's name and shown as their constructors.
    void DerivedColumns(Source& source);
    // The JSON array a collection constructor makes of its arguments.
    bool ConstructedDocument(const CSqlExpr& call, bool object, std::size_t attributes, std::string& out);
    // The join of the branches of sibling NESTED PATHs among `columns`: its
    // alias, or "" for fewer than two.
    static std::string SiblingBranches(const std::vector<CSqlJsonColumn>& columns, const std::string& item,
                                       const std::string& rows, std::string& text);
    // JSON_TABLE's columns over the rows `rows` (NESTED PATH joined on).
    bool JsonColumns(const std::vector<CSqlJsonColumn>& columns, const std::string& rows, Source& source,
                     std::string& text);
    // The scalar at `path` of the JSON text `item` as a value of `type`;
    // NULL for none, for an object or array, or for one the type refuses.
    // JSON_VALUE with RETURNING and its handlers.
    CSqlType JsonValue(const CSqlExpr& expr, std::string& out);
    // JSON_SERIALIZE (JSON_QUERY's RETURNING, PRETTY and ASCII below).
    CSqlType JsonSerialize(const CSqlExpr& expr, std::string& out);
    // The JSON text `json` as RETURNING, PRETTY, ASCII and TRUNCATE make it;
    // NULL when it does not fit (and is not to be cut). False for a type
    // that holds no text.
    bool JsonText(const CSqlExpr& expr, const std::string& json, std::string& out);
    std::string JsonHandler(CSqlExpr::JsonHandler handler, const CSqlExpr* value, int code);
    CSqlType HandledJsonQuery(const CSqlExpr& expr, std::string& out);
    std::string JsonColumnText(const CSqlJsonColumn& column, const std::string& item,
                               const std::string& path);
    CSqlType HandledJsonExists(const CSqlExpr& expr, std::string& out);
    // A JSON_TABLE column's value with its error and empty handling.
    std::string JsonColumnValue(const CSqlJsonColumn& column, const std::string& item,
                                const std::string& path, const CSqliteCatalog::Column& type);
    std::string JsonColumnHandler(CSqlJsonHandling::Handler handler, const CSqlExpr* value, int code);
    static std::string JsonScalar(const std::string& item, const std::string& path,
                                  const CSqliteCatalog::Column& type);
    bool OrderItems(const std::vector<CSqlExpr::OrderItem>& items, std::string& out);
    // A key of ORDER BY as it sorts (a computed number by its exact value).
    std::string OrderKey(const CSqlExpr& expr);
    static void AppendNulls(const CSqlExpr::OrderItem& item, std::string& out);
    // OFFSET and FETCH of `query`, whose columns are `produced`, as SQLite's
    // LIMIT and OFFSET: a share of the rows counts them first, rows tied
    // with the last one fetched are counted by their rank.
    bool RowLimit(const CSqlSelect& query, const std::vector<Typed>& produced, std::string& out);
    // The query's rows, neither sorted nor limited; `hidden`: its first
    // block carries these keys as TARVEX_O0, TARVEX_O1, ...
    bool RowsWithoutLimit(const CSqlSelect& query, const std::vector<CSqlExpr::OrderItem>* hidden,
                          std::string& out);
    // `count`, the rows FETCH asks for, becomes the rows WITH TIES returns after `skip`.
    bool TiedRows(const CSqlSelect& query, const std::vector<Typed>& produced, const std::string& skip,
                  std::string& count);

    // BINARY_FLOAT and BINARY_DOUBLE (CSqlEmitterFloat.cpp). The width of
    // an expression's floating type (CFloatValue's: 0 for NUMBER, 4, 8).
    int FloatWidth(const CSqlExpr& expr);
    int BindWidth(const CSqlExpr& expr) const;
    int CallWidth(const CSqlExpr& expr);
    // Each writes the floating form of its node and answers true, or false
    // (nothing written) when the node is not floating.
    bool FloatLiteral(const CSqlExpr& expr, std::string& out);
    bool FloatConstant(const CSqlExpr& expr, std::string& out);
    bool FloatArithmetic(const CSqlExpr& expr, const std::string& left, const std::string& right,
                         std::string& out);
    bool FloatNegation(const CSqlExpr& operand, std::string& out);
    bool FloatComparison(std::string_view op, const CSqlExpr& left, const CSqlExpr& right, std::string& out);
    // e IS [NOT] NAN | INFINITE.
    void FloatCondition(const CSqlExpr& expr, std::string& out);
    // TO_BINARY_DOUBLE, TO_BINARY_FLOAT, NANVL, CAST to a floating type, and
    // any call given a floating argument (refused by name when the function
    // is not written for one).
    // A conversion function given more or fewer arguments than the server
    // takes: ORA-00938 or ORA-00939 (false), before any is written.
    bool ConversionArity(const std::string& name, const CSqlExpr& expr);
    bool FloatCall(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    static std::string StoreFloat(int width, const std::string& value, const std::string& at);

    // An expression, NULL in the rows of a grouping set not grouping by it.
    CSqlType Expr(const CSqlExpr* expr, std::string& out);
    CSqlType ExprNode(const CSqlExpr* expr, std::string& out);
    // GROUPING(e) and GROUPING_ID(e, ...): 1 for each e the set rolls up.
    CSqlType Grouping(const CSqlExpr& expr, std::string& out);
    // A block of ROLLUP, CUBE or GROUPING SETS: one query a set, joined by
    // UNION ALL, sorted outside by m_groupingOrder.
    bool GroupingBlock(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns);
    // The result column (from 1) an ORDER BY key names by position or alias; 0 for none.
    std::size_t OrderPosition(const CSqlExpr& key, const std::vector<Typed>& produced) const;
    // SELECT DISTINCT over zoned columns as a GROUP BY of every column
    // (`keys`, zoned ones by their instants); false when it is not needed
    // or cannot be (a star, an aggregate).
    // A compound of UNIONs (`unions`: where in `out` each one ends) over
    // zoned columns as the UNION ALL of its branches (from `at`) grouped by
    // every column, zoned ones by their instants; false when no column is zoned.
    bool UnionByInstant(const std::vector<Typed>& columns, const std::vector<std::size_t>& unions,
                        std::size_t at, std::string& out);
    bool DistinctByInstant(const CSqlSelect& block, const std::vector<Typed>& produced,
                           const std::vector<std::string>& itemTexts, std::string& keys);
    CSqlType Name(const CSqlExpr& expr, std::string& out);
    CSqlType Call(const CSqlExpr& expr, std::string& out);
    // A stored function of the file (PL/SQL), called by its name.
    CSqlType StoredCall(const std::string& name, const CSqlExpr& expr, std::string& out);
    CSqlType JsonDocument(const CSqlExpr* expr, std::string& out);
    // The value type of the column `expr` names, resolved without failing
    // the statement; false when it names none.
    bool NamedColumnType(const CSqlExpr& expr, CValueType& full);
    bool BinaryLobCall(const std::string& member, const CSqlExpr& expr, std::string& out, CSqlType& type);
    void StoredArguments(const std::string& name, const CSqlExpr& expr, std::string& out);
    // A package's function, called by name through the engine's dispatcher.
    CSqlType PackageCall(const std::string& name, const CSqlExpr& expr, std::string& out);
    bool LobCall(const std::string& member, const CSqlExpr& expr, std::string& out, CSqlType& type);
    // UTL_RAW's CAST_TO_RAW, CAST_TO_VARCHAR2 and LENGTH; false for another member.
    bool RawCall(const std::string& member, const CSqlExpr& expr, std::string& out, CSqlType& type);
    CSqlType Special(const CSqlExpr& expr, std::string& out);
    // A conversion with DEFAULT value ON CONVERSION ERROR, or
    // VALIDATE_CONVERSION: a query of its own over its operands, run once a
    // row (see CConversionFallback).
    static bool IsFallibleConversion(const CSqlExpr& expr);
    CSqlType FallibleConversion(const CSqlExpr& expr, std::string& out);
    CSqlType ValidateConversion(const CSqlExpr& expr, std::string& out);
    // The text of "SELECT conversion" with the operands of `expr` as ?1,
    // ?2, ..., and the operands as the statement writes them.
    CSqlType ConversionQuery(const CSqlExpr& expr, std::vector<std::string>& operands, std::string& query);
    // CAST(expr AS type, fmt [, nls]): text read by the model as TO_NUMBER,
    // TO_DATE or TO_TIMESTAMP_TZ reads it, then cast.
    CSqlType CastWithModel(const CSqlExpr& expr, std::string& out);
    // The character TRIM(... c FROM s) removes: ORA-30001 for more than one.
    CSqlType TrimCharacter(const CSqlExpr& set, std::string& out);
    // GREATEST and LEAST: every argument taken as the first one's type (a
    // number, a date, else text) and compared as that type compares.
    CSqlType Extreme(const CSqlExpr& expr, std::string& out);
    // The server's functions written as more than a call of one name
    // (aggregates with KEEP or WITHIN GROUP, statistics, analytic ratios,
    // conditions as arguments); false when `name` is none of them.
    bool Extended(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    bool SampleCondition(const CSqlFromItem& item, const std::string& table, std::string& condition);
    bool LateralSource(const CSqlFromItem& item, Source& source, std::string& text);
    bool PartitionOnly(const CSqlExpr& expr);
    bool Aggregate(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    // REGR_SLOPE, REGR_INTERCEPT, ... of the pairs with neither value NULL.
    bool Regression(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    bool Ordered(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    bool Keep(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    bool Skipping(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    bool Analytic(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    bool Scalar(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    // DUMP, ORA_HASH and STANDARD_HASH over a value's bytes, read by its type.
    void Bytes(const std::string& name, const CSqlExpr& expr, std::string& out, CSqlType& type);
    // The arguments written one after another, each after ", ".
    std::vector<CSqlType> Arguments(const CSqlExpr& expr, std::string& out, bool aggregate);
    // "OVER (PARTITION BY ... [ORDER BY ... [frame]])" of a call.
    std::string Window(const CSqlExpr& expr, bool ordered);
    // What the offsets of a window's frame count: rows (or the key's own
    // values), days, or months of a date key.
    enum class FrameMeasure { Rows, Days, Months };
    FrameMeasure Measure(const CSqlExpr& expr);
    // A date as a number that a month's offset moves by a fixed amount.
    static std::string MonthMeasure(const std::string& date);
    static std::size_t CountColumns(const std::vector<Source>& sources);
    // "*" over USING and NATURAL joins: the columns joined on, then the rest.
    std::vector<std::string> JoinedColumns(const CSqlSelect& block) const;
    void StarOverJoin(const std::vector<std::string>& joinedOn, std::string& out,
                      std::vector<Typed>& produced);
    CSqlType Binary(const CSqlExpr& expr, std::string& out);
    void StoredForm(const CSqlExpr& bind, std::string& value);
    CSqlType Compare(std::string_view op, const CSqlExpr* left, const CSqlExpr* right, std::string& out);
    CSqlType Case(const CSqlExpr& expr, std::string& out);
    CSqlType Quantified(const CSqlExpr& expr, std::string& out);
    // Whether `name` is a view of the catalog whose columns cannot be read
    // (its table was dropped).
    bool BrokenView(const std::string& name);
    static void Convert(CSqlType lt, CSqlType rt, std::string& left, std::string& right);
    CSqlType DateLiteral(const CSqlExpr& expr, std::string& out);
    // A name two of a source's shown columns have ("" when none), and how
    // many of them have `name`.
    static std::string DuplicateColumn(const Source& source);
    static std::size_t Named(const Source& source, const std::string& name);
    bool Resolve(const CSqlExpr& expr, CSqlType& type, CValueType* full = nullptr,
                 const Typed** typed = nullptr);
    // "-" before a long literal or a computed number, exact.
    CSqlType Negated(const CSqlExpr& operand, std::string& out);
    // INTERVAL '...' field [TO field]; false (ORA-01867) when malformed.
    static int IntervalFraction(const CSqlExpr& expr);
    bool ParseInterval(const CSqlExpr& expr, class CIntervalLiteral& interval);
    std::string IntervalText(const CSqlExpr& expr, const CIntervalLiteral& interval);
    // A date the days of a RANGE window are counted from, as written out.
    std::string DayZero();
    // A date or timestamp plus or minus an INTERVAL literal.
    CSqlType IntervalArithmetic(const CSqlExpr& expr, std::string& out);
    // Whether `expr` gives an interval: a literal, a column, a call or CAST
    // that makes one, a difference of timestamps, or intervals added or
    // scaled.
    bool IsIntervalValued(const CSqlExpr& expr);
    // Two intervals added or subtracted, or one multiplied or divided by a
    // number; false (nothing written) for any other operation.
    bool IntervalOperation(const CSqlExpr& expr, std::string& out);
    // MIN, MAX, SUM or AVG of intervals, by their lengths.
    CSqlType IntervalAggregate(const std::string& name, const CSqlExpr& expr, std::string& out);
    // The digits of a second a date expression shows (-1: a DATE).
    int Fraction(const CSqlExpr& expr, bool& zone);
    // A column of an INTERVAL type named by `expr`.
    bool IsIntervalColumn(const CSqlExpr& expr);
    // A value known to be a DATE (no TIMESTAMP): a DATE literal or column, SYSDATE, TO_DATE ...
    bool IsPlainDate(const CSqlExpr& expr);
    // Whether an expression is a difference of timestamps (an interval).
    bool IsDifference(const CSqlExpr& expr);
    // Whether a date expression's values carry their time zone.
    bool Zoned(const CSqlExpr& expr);
    // `value` stored as a DATE, TIMESTAMP or zoned column holds it.
    static std::string StoreDate(const CSqliteCatalog::Column& column, const std::string& value,
                                 const std::string& at);
    // `value` (of type `given`) as `column` keeps it: a number within its
    // precision, text within its length, a date as stored; `name` names the
    // column in an error, `at` is where the value stands.
    // A value as an INTERVAL column (or CAST) of that precision holds it.
    static std::string StoreInterval(const CSqliteCatalog::Column& column, const std::string& value);
    static std::string StoreValue(const CSqliteCatalog::Column& column, CSqlType given,
                                  const std::string& value, const std::string& name, const std::string& at);
    struct JsonRow {
        std::string_view name;
        std::string_view pattern;  // %1 the document, %2 the path
        CSqlType type;
        std::size_t arguments;
    };
    static const JsonRow* FindJson(std::string_view name);
    CSqlType JsonQuery(const CSqlExpr& expr, const JsonRow& row, std::string& out);
    CSqlType Json(const CSqlExpr& expr, const JsonRow& row, std::string& out);
    // JSON_OBJECT, JSON_ARRAY, JSON_ARRAYAGG and JSON_OBJECTAGG: JSON text
    // built of their items (see CJsonFunctions).
    static bool IsJsonConstructor(std::string_view name);
    CSqlType JsonConstructor(const CSqlExpr& expr, const std::string& name, std::string& out);
    // An argument's value as a JSON item: FORMAT JSON checked, the result of
    // another generating function as it is, other values by their type.
    std::string JsonItem(const CSqlExpr& arg, unsigned char flags);
    // A key and an item of JSON_OBJECT, in turn: a wildcard gives its columns.
    bool JsonMembers(const CSqlExpr& expr, std::vector<std::string>& out);
    // alias.column.field...: a JSON text column's fields (see CJsonDot);
    // false when the name is no such thing.
    bool JsonDotAccess(const CSqlExpr& expr, std::string& out);
    // The JSON text column `expr` starts with, made as a name of its own;
    // false when it names none (the type is all that Describe needs).
    bool JsonDotColumn(const CSqlExpr& expr, CSqlExpr*& column);
    // The length RETURNING declares, else the server's VARCHAR2(4000).
    static long JsonLength(const CSqlExpr& expr);
    // A column that may hold long numbers (see CValueType::wide).
    bool Wide(const CSqlExpr& expr);
    // The static type of a select item of type `kind`, with the length of
    // text where the tree tells it.
    CValueType Describe(const CSqlExpr& expr, CSqlType kind);
    // The length of a text expression where its parts tell it; 0 otherwise.
    long TextLength(const CSqlExpr& expr);
    // The longest text of REPLACE, TRANSLATE or REGEXP_REPLACE.
    long RewrittenLength(const std::string& name, const CSqlExpr& expr);
    // The length of an operand of "||" (a number's text for a number).
    long ConcatenatedLength(const CSqlExpr& expr);
    bool UsesRownum(const CSqlExpr* expr) const;
    // A condition, always true, that reads a column of every source of the
    // block ("" for one source), so that SQLite tries it for each joined row.
    std::string EveryJoinedRow() const;
    // The condition an inner join on USING or NATURAL (from item `k`) holds
    // to, as equalities of named sources' columns; false where a source has
    // no name to read its columns by.
    bool SharedColumnsMatch(std::size_t k, const CSqlFromItem& item, std::string& out) const;
    // START WITH ... CONNECT BY over the one table of `block`: its source
    // text becomes the rows of the hierarchy, depth first.
    // Over joined rows (`base`, the query of them), the hierarchy reads them
    // instead, each column by its hierarchyName.
    bool Hierarchy(const CSqlSelect& block, std::vector<std::string>& texts,
                   const std::string* base = nullptr);
    // Whether the FROM of a hierarchy is more than one table.
    bool JoinsBeforeHierarchy(const CSqlSelect& block);
    // The query of the joined rows of `block` (its sources and the
    // conditions of WHERE that join them), naming every column of the
    // block's scope; the other conditions of WHERE go to `filters`.
    bool JoinedRows(const CSqlSelect& block, std::string& out, std::vector<CSqlExpr*>& filters);
    // The source of the block being written that a name reads (-1: none),
    // and every source an expression reads.
    int SourceOf(const CSqlExpr& name) const;
    void SourcesOf(const CSqlExpr* expr, std::vector<int>& out) const;
    CSqlType Prior(const CSqlExpr& expr, std::string& out);
    bool CarriedColumns(const CSqlSelect& block, std::string& start, std::string& step);
    // SYS_CONNECT_BY_PATH or CONNECT_BY_ROOT, read from the hierarchy's rows.
    CSqlType HierarchyColumn(const CSqlExpr& expr, std::string& out);

    bool Insert(const CSqlStatement& statement, std::string& out);
    // The INSERT without its partition: `names` the columns its rows fill,
    // in order; `body` where the rows begin in `out` (npos for DEFAULT VALUES).
    bool InsertRows(const CSqlStatement& statement, std::string& out, std::vector<std::string>& names,
                    std::size_t& body);
    // INSERT INTO t PARTITION (p): a row of another partition is ORA-14401.
    bool InsertIntoPartition(const CSqlStatement& statement, const std::vector<std::string>& names,
                             std::size_t body, std::string& out);
    // The target of an UPDATE or DELETE, written after `verb` with its scope
    // opened; null (the failure set) when the table is unknown.
    // `view`: the view the statement names, as ViewOf found it.
    const std::vector<CSqliteCatalog::Column>* OpenTarget(const CSqlStatement& statement, const char* verb,
                                                          ViewTarget* view, std::string& out);
    // Writes the WHERE clause and closes the target's scope.
    bool CloseTarget(const CSqlStatement& statement, std::string& out);
    bool Update(const CSqlStatement& statement, std::string& out);
    bool Delete(const CSqlStatement& statement, std::string& out);
    // A view DML names: its query, over one table, and how its columns
    // stand for the table's.
    struct ViewTarget {
        std::string name;
        std::string text;  // the view's query, CP932
        bool checkOption = false;
        std::vector<CSqlScanner::Token> tokens;
        CSqlArena arena;
        CSqlSelect* query = nullptr;
        std::string base;                          // the table
        std::string alias;                         // the table's name in the view's query
        std::vector<std::string> columns;          // the view's columns
        std::vector<std::string> bases;            // the table's column of each; "" for an expression
        std::vector<const CSqlExpr*> expressions;  // of each column an expression makes
        CJoinView join;
        bool joined = false;
        std::string rows;            // the view's rows, with TARVEX_RID (see JoinRows)
        std::vector<Typed> written;  // the view's columns as read from them
    };
    // The view `name` ready for DML of `event` (INSERT, UPDATE, DELETE);
    // null when it is none, when its INSTEAD OF trigger for the event runs
    // instead, or (the failure set) when it takes no DML: WITH READ ONLY,
    // joined, grouped.
    ViewTarget* ViewOf(std::string_view name, std::size_t at, std::string_view event);
    // DML through a join view, on its key-preserved table `table`: the
    // view's rows are a query of their own (TARVEX_V) carrying the rowid of
    // that table's row (TARVEX_RID), and the statement changes the rows of
    // the table whose rowids the user's condition selects from them.
    bool JoinRows(ViewTarget& view, std::size_t table);
    Source JoinSource(const ViewTarget& view, std::string_view alias) const;
    bool JoinedUpdate(const CSqlStatement& statement, ViewTarget& view, std::string& out);
    bool JoinedDelete(const CSqlStatement& statement, ViewTarget& view, std::string& out);
    bool JoinedInsert(const CSqlStatement& statement, ViewTarget& view, std::string& out);
    // " WHERE rowid IN (...)" of the rows the condition selects.
    bool JoinedWhere(const CSqlStatement& statement, const ViewTarget& view, std::string& out);
    // RETURNING the check of a join view WITH CHECK OPTION: the row changed is a row of the view.
    void JoinedCheck(const ViewTarget& view, std::string& out) const;
    // A grouped block (GROUP BY, or an aggregate in its select list or
    // HAVING) reads its rows' columns only inside aggregates or as its
    // GROUP BY expressions: ORA-00979, or ORA-00937 without GROUP BY.
    bool CheckGroups(const CSqlSelect& block);
    // (query) as a value: its one column of one row, NULL for no row,
    // ORA-01427 for more than one.
    // `column`, when given, receives the query's one column (its object
    // type, handed on as its document, when the caller set m_documentScope).
    CSqlType ScalarSubquery(const CSqlExpr& expr, std::string& out, Typed* column = nullptr);
    bool GroupedOnly(const CSqlExpr* expr, const CSqlSelect& block, int code);
    // The same expression written twice (a column qualified or not).
    bool SameExpr(const CSqlExpr& a, const CSqlExpr& b) const;
    // The view's columns, written as the table's columns.
    Source ViewSource(const ViewTarget& view, std::string_view alias);
    // The table as the view's query names it; `plain`: columns unqualified.
    Source BaseSource(const ViewTarget& view, bool plain);
    // RETURNING the check of a view WITH CHECK OPTION for each row stored.
    void AppendViewCheck(const ViewTarget& view, std::string& out);
    bool InsertIntoView(const CSqlStatement& statement, ViewTarget& view, std::string& out);
    // The parts of a MERGE, each a statement of its own, joined by "; ".
    bool Merge(const CSqlStatement& statement, std::string& out);
    bool Store(const CSqliteCatalog::Column& column, std::string_view table, const CSqlExpr* value,
               std::string& out);
    // A literal stored by the column's rules as the statement is compiled;
    // false when the value is no literal the rules take at once.
    static bool IsDefault(const CSqlExpr& value);
    // What DEFAULT stores in `column` of `table` (upper case): its DEFAULT
    // expression, the next number of an identity, else NULL.
    static std::string ColumnDefault(const CSqliteCatalog::Column& column, const std::string& table);
    bool StoreLiteral(const CSqliteCatalog::Column& column, std::string_view table, const CSqlExpr& value,
                      std::string& out);
    // A value stored by INSERT ... VALUES written with parameters only (see
    // CollectLiterals): NULL, a DATE or TIMESTAMP literal, a conversion of
    // literals; false (nothing written) for any other value.
    bool SlottedValue(const CSqlExpr& value, std::string& out, CSqlType& type);
    bool SlottedConversion(const CSqlExpr& call, std::string& out, CSqlType& type);
    // "?n" for a literal argument of a conversion, kept as a Raw slot; ""
    // when the literal is no such value.
    std::string RawSlot(const CSqlExpr& literal);
    // The offset `at` as written into the statement: a Position slot while
    // a slotted value is written, else its digits.
    std::string Position(std::size_t at);
    // Whether `text` holds the parameter "?n" (not one of more digits).
    static bool Mentions(std::string_view text, std::string_view parameter);
    // Keeps `slot`; its parameter "?n".
    std::string AddSlot(LiteralSlot slot);

    std::string_view m_text;
    CSqliteCatalog& m_catalog;
    bool m_stored;
    std::vector<Scope> m_scopes;
    Scope m_lastScope;
    bool m_inOrderBy = false;
    std::vector<Cte> m_ctes;
    std::vector<CValueType> m_resultTypes;
    std::vector<std::string> m_resultNames;
    int m_rownumBlocks = 0;
    bool m_failed = false;
    Failure m_failure;
    // Where LEVEL is read: no hierarchy, its first rows, a step to a child
    // (PRIOR reads the parent), its rows.
    enum class Level { None, Start, Step, Rows };
    Level m_level = Level::None;
    bool m_prior = false;
    std::string m_hierarchy;               // the name of the hierarchy's table in a step
    std::string m_priorName = "TARVEX_P";  // the name PRIOR reads in a step
    std::string m_leaf;                    // CONNECT_BY_ISLEAF of the hierarchy's rows
    std::string m_cycle;                   // CONNECT_BY_ISCYCLE of them; empty without NOCYCLE
    struct HierarchyColumnRow {
        const CSqlExpr* node;
        std::string name;
        CSqlType type;
    };
    std::vector<HierarchyColumnRow> m_hierarchyColumns;
    std::vector<LiteralSlot>* m_slots = nullptr;
    std::map<std::string, int> m_bindWidths;
    // Nodes the emitter makes (the columns of PIVOT and UNPIVOT).
    CSqlArena m_made;
    // Nodes and names the emitter makes itself (the joined rows of a hierarchy).
    CSqlArena m_arena;
    int m_jsonTables = 0;
    // The ON ERROR of the JSON_TABLE being written: its columns' default.
    CSqlJsonHandling::Handler m_jsonTableOnError = CSqlJsonHandling::Handler::Null;
    std::deque<std::string> m_strings;
    // The grouping set the next block groups by, and the emitted text of
    // each expression of GROUP BY with whether that set keeps it.
    struct Branch {
        std::vector<std::string> all;
        std::vector<bool> kept;
        bool empty = false;
    };
    bool StartBranch(const CSqlSelect& block, Branch& branch);
    const std::vector<CSqlExpr*>* m_groupingSet = nullptr;
    const Branch* m_branch = nullptr;
    bool m_probing = false;
    int m_aggregates = 0;
    // The floating width of each scalar subquery's column, once emitted.
    std::map<const CSqlExpr*, int> m_subqueryFloats;
    // IsIntervalValued's answers for operators, so that a long chain of
    // them is looked at once.
    std::map<const CSqlExpr*, bool> m_intervalValued;
    const std::vector<CSqlExpr::OrderItem>* m_groupingOrder = nullptr;
    const std::vector<CSqlExpr::OrderItem>* m_hiddenOrder = nullptr;
    std::deque<ViewTarget> m_views;
    // Names and nodes made while writing the statement (a wildcard's columns).
    std::deque<std::string> m_madeNames;
    std::deque<CSqlExpr> m_madeNodes;
    ViewTarget* m_target = nullptr;  // of the UPDATE or DELETE being written
    bool m_valuesAllLiterals = false;
    int m_valuesRows = 0;       // VALUES lists written
    std::size_t m_slotted = 0;  // values written as slots
    bool m_positionSlots = false;
    // Operands written as parameters of a conversion's own query (see
    // ConversionQuery), with their types.
    struct Parameter {
        std::string text;
        CSqlType type = CSqlType::Unknown;
    };
    std::map<const CSqlExpr*, Parameter> m_parameters;
    // The type of the first argument of each TO_CHAR written, for its length.
    std::map<const CSqlExpr*, CSqlType> m_toCharArguments;
    // The longest text TO_CHAR makes of its arguments; 0 when unknown.
    long ToCharLength(const CSqlExpr& expr);
};
