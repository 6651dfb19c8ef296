#pragma once

// PL/SQL: the tree a block compiles to, run by CPlsqlInterpreter.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/plsql/CPlsqlType.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"

struct CPlsqlExpr;
struct CPlsqlUnit;

// A place a value is read from or written to: a variable (a field of it),
// or a bind variable of the console.
struct CPlsqlTarget {
    int slot = -1;
    int field = -1;
    std::string bind;  // set for ":NAME"
    std::size_t at = 0;
    // An element of a collection variable: its subscript.
    std::shared_ptr<CPlsqlExpr> index;
    // A variable of a package (its state is the session's): its name.
    std::string package;
    // WHERE CURRENT OF: the cursor whose current row's ROWID this reads.
    int cursor = -1;
    // A variable (or the cursor of WHERE CURRENT OF) of an enclosing unit,
    // seen from a local subprogram: how many units out (0: the unit's own).
    int outer = 0;
    // TABLE(collection) in SQL: the whole collection, read as JSON text.
    bool json = false;
    // A value computed where SQL reads it (an object's method called in
    // SQL): the expression, read in place of a variable.
    std::shared_ptr<CPlsqlExpr> value;
    // An attribute of the object a record's field holds (r.home.city): its
    // place among the attributes of `object`, the field's object type.
    int attribute = -1;
    std::shared_ptr<CPlsqlType> object;
    // Attributes further in (r.home.sub.x: `sub` is the attribute, then
    // `x`): each one's place among those of the object the one before holds.
    std::vector<int> deeper;
};

// One SQL statement inside the block, its PL/SQL names turned into
// parameters, compiled once and bound from the values at each run.
struct CPlsqlSql {
    enum class Kind { Query, Dml };
    Kind kind = Kind::Dml;
    std::string text;  // Oracle SQL with :TARVEX_Pn parameters (CP932)
    // Where the pieces of `text` copied from the unit's text begin: their
    // offsets in `text` and in the unit's text, in order.
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::vector<std::string> paramNames;
    std::vector<CPlsqlTarget> params;
    std::vector<int> paramIndexes;  // their places in the statement, once known
    // BINARY_FLOAT (4) or BINARY_DOUBLE (8) per parameter, which SQL then
    // computes with as IEEE values; 0 for others.
    std::vector<int> paramFloats;
    std::vector<CPlsqlTarget> into;  // SELECT ... INTO / RETURNING ... INTO
    bool returning = false;
    std::string returningText;  // the expressions of RETURNING, parameters as in `text`
    // RETURNING gives the rowid only (`skip` 1): BEFORE ROW triggers write
    // the row again afterwards, so its values are read back as stored.
    bool readBack = false;
    std::size_t at = 0;
    // The result's column names (upper case) as compiled.
    std::vector<std::string> columns;
    sqliteapi::Statement statement;
    std::vector<int> columnTypes;   // CSqlType per column, when known
    std::vector<int> columnFloats;  // BINARY_FLOAT (4) or BINARY_DOUBLE (8) per column; 0 for others
    // Per column: a TIMESTAMP's digits of a second (it keeps its type even
    // when its fraction is zero), -1 for a DATE and others; and whether it
    // is WITH TIME ZONE.
    std::vector<int> columnFractions;
    std::vector<bool> columnZones;
    bool bulk = false;  // BULK COLLECT INTO collections
    // Leading columns that are the engine's own (the ROWID of a cursor FOR UPDATE).
    int skip = 0;
    // MERGE: run by the engine as the statements it makes, its parameters
    // bound by name (`statement` stays empty).
    bool merge = false;
    // The tables the statement names, read when first needed.
    std::vector<std::string> tables;
    bool tablesRead = false;
};

struct CPlsqlExpr {
    enum class Kind {
        Literal,
        Variable,
        Unary,
        Binary,
        IsNull,
        Between,
        In,
        Case,
        SqlCall,
        SqlCode,
        SqlErrm,
        CursorAttribute,
        Call,
        Builtin,
        CollectionMethod,
        Constructor,
        Multiset,
        Field,  // an attribute (`target.field`) of the object `args[0]` yields, of `type`
    };
    // Multiset: the conditions (BOOLEAN) and the operators (a collection,
    // only where a collection is assigned) on nested tables and VARRAYs.
    enum class Multiset { Member, Empty, ASet, Equal, Set, Union, Intersect, Except, Submultiset };
    // CARDINALITY(collection): COUNT, NULL for a collection not made or empty.
    enum class Method { Count, First, Last, Next, Prior, Exists, Limit, Extend, Delete, Trim, Cardinality };
    enum class Op {
        None,
        Add,
        Subtract,
        Multiply,
        Divide,
        Mod,
        Power,
        Concat,
        Equal,
        NotEqual,
        Less,
        LessEqual,
        Greater,
        GreaterEqual,
        And,
        Or,
        Not,
        Negate,
        Plus,
    };
    // SQL%BULK_ROWCOUNT(i), SQL%BULK_EXCEPTIONS.COUNT and its (i).ERROR_INDEX
    // and (i).ERROR_CODE: `args[0]` the subscript.
    enum class Attribute {
        Found,
        NotFound,
        RowCount,
        IsOpen,
        BulkRowCount,
        BulkErrors,
        ErrorIndex,
        ErrorCode
    };

    Kind kind = Kind::Literal;
    Op op = Op::None;
    std::size_t at = 0;
    CPlsqlValue literal;
    CPlsqlTarget target;   // Variable
    bool negated = false;  // IS NOT NULL, NOT BETWEEN, NOT IN
    // An IsNull node testing IS [NOT] NAN ('N') or IS [NOT] INFINITE ('I').
    char floatTest = 0;
    bool predicate = false;  // SqlCall: a condition, its 1 or 0 TRUE or FALSE
    // SqlCall: the error it raises when run, its arguments read (TO_CHAR of
    // a DATE by a model that writes fractional seconds); 0 for none.
    int failure = 0;
    // A comparison of two CHAR values (CHAR variables, literals): blank-padded.
    bool padded = false;
    // Case: the selector (or null) then WHEN/THEN pairs; an ELSE last when
    // `hasElse`.
    bool hasElse = false;
    bool hasSelector = false;
    std::vector<std::unique_ptr<CPlsqlExpr>> args;
    // SqlCall: a SQL expression evaluated by the engine, its PL/SQL names as
    // parameters; CursorAttribute: cursor -1 is SQL%.
    std::unique_ptr<CPlsqlSql> sql;
    int cursor = -1;
    int cursorOuter = 0;  // the cursor's unit, units out (see CPlsqlTarget::outer)
    Attribute attribute = Attribute::Found;
    // Call: the stored function; `args` one per parameter (null: its default).
    // `owner` keeps it (or its package) alive; a unit's calls of itself or of
    // its package's members hold none, so that no unit owns itself.
    std::weak_ptr<CPlsqlUnit> callee;
    std::shared_ptr<const void> owner;
    int builtin = 0;                   // Builtin: CPlsqlBuiltins::Id
    Method method = Method::Count;     // CollectionMethod, on `target`
    std::shared_ptr<CPlsqlType> type;  // Constructor
    Multiset multiset = Multiset::Member;
    bool distinct = false;  // MULTISET ... DISTINCT
    // Call: a MAP or ORDER method a comparison calls, NULL when an object
    // it compares is NULL (rather than SELF_IS_NULL).
    bool nullSelf = false;
};

struct CPlsqlStmt;
using CPlsqlBody = std::vector<std::unique_ptr<CPlsqlStmt>>;

struct CPlsqlHandler {
    std::vector<int> exceptions;  // ORA codes (positive) or user exceptions (negative)
    bool others = false;
    CPlsqlBody body;
};

// A declared cursor: its parameters (slots) and its query.
struct CPlsqlCursorDecl {
    std::string name;
    std::vector<int> parameters;
    std::vector<std::unique_ptr<CPlsqlExpr>> defaults;
    std::unique_ptr<CPlsqlSql> query;
};

struct CPlsqlBlockNode {
    // The declarations' initialisations, in order (assignments of defaults).
    CPlsqlBody declarations;
    CPlsqlBody body;
    std::vector<CPlsqlHandler> handlers;
    std::string label;
};

struct CPlsqlStmt {
    enum class Kind {
        Null,
        Assign,
        Initialise,
        If,
        Case,
        Loop,
        While,
        ForRange,
        ForCursor,
        Exit,
        Continue,
        Block,
        Sql,
        Open,
        OpenFor,  // OPEN :bind FOR query: `target` the bind, `sql` the query
        Fetch,
        Close,
        Commit,
        Rollback,
        Savepoint,
        RollbackTo,
        ExecuteImmediate,
        Raise,
        RaiseApplicationError,
        Output,
        Return,
        Call,
        Builtin,
        CollectionMethod,
        ForAll,
        Goto,  // `label` the label it goes to
    };
    enum class OutputCall { Put, PutLine, NewLine, Enable, Disable, GetLine, GetLines };

    Kind kind = Kind::Null;
    std::size_t at = 0;
    std::string label;                // loops: their label; EXIT/CONTINUE: the one named
    std::vector<std::string> labels;  // the labels before the statement (GOTO's targets)
    CPlsqlTarget target;
    std::shared_ptr<CPlsqlType> type;  // Assign/Initialise: the target's type
    std::vector<std::unique_ptr<CPlsqlExpr>> exprs;
    std::vector<CPlsqlBody> bodies;
    std::unique_ptr<CPlsqlBlockNode> block;
    std::unique_ptr<CPlsqlSql> sql;
    std::vector<CPlsqlTarget> into;
    int slot = -1;
    int cursor = -1;
    int cursorOuter = 0;  // the cursor's unit, units out (see CPlsqlTarget::outer)
    int exception = 0;
    bool reverse = false;
    bool hasElse = false;
    OutputCall output = OutputCall::Put;
    std::string name;  // SAVEPOINT name
    // Call: the stored procedure; `exprs` and `into` one per parameter (and
    // `owner` as for a function's call).
    std::weak_ptr<CPlsqlUnit> callee;
    std::shared_ptr<const void> owner;
    bool bulk = false;  // FETCH ... BULK COLLECT (exprs[0]: LIMIT, when given)
    CPlsqlExpr::Method method = CPlsqlExpr::Method::Extend;
    // FORALL: its indexes from the bounds in `exprs`, or the INDICES OF or
    // VALUES OF collection `target` (BETWEEN its bounds in `exprs`); SAVE
    // EXCEPTIONS.
    enum class Bounds { Range, Indices, Values };
    Bounds bounds = Bounds::Range;
    bool saveExceptions = false;
    // EXECUTE IMMEDIATE ... USING: each argument's mode (0 IN, 1 OUT, 2 IN
    // OUT) and, for OUT and IN OUT, the variable it is written to.
    std::vector<int> usingModes;
    std::vector<CPlsqlTarget> usingOut;
    // OPEN or FOR of a package's cursor `target`, its arguments in `exprs`.
    bool packageCursor = false;
};

// A compiled unit: its statements, the number of variable slots and their
// types, and its cursors.
struct CPlsqlUnit {
    enum class Mode { In, Out, InOut };
    struct Parameter {
        std::string name;
        int slot = -1;
        Mode mode = Mode::In;
        std::unique_ptr<CPlsqlExpr> fallback;  // DEFAULT
    };
    // A stored unit: PROCEDURE or FUNCTION, its name, and "OWNER.NAME" as
    // its lines in "ORA-06512" are told; empty for an anonymous block.
    std::string type;
    std::string name;
    std::string qualified;
    std::vector<Parameter> parameters;
    std::shared_ptr<CPlsqlType> returnType;  // functions
    // Triggers: the body assigns :NEW (slot 0; :OLD is slot 1, INSERTING,
    // UPDATING and DELETING slots 2 to 4).
    bool assignsNew = false;
    // UPDATING('column'): the flag's slot and the column, upper case.
    std::vector<std::pair<int, std::string>> updatingColumns;
    std::string text;  // the source (CP932), for lines in messages
    std::unique_ptr<CPlsqlBlockNode> block;
    std::vector<std::shared_ptr<CPlsqlType>> slotTypes;
    std::vector<std::string> slotNames;
    std::vector<CPlsqlCursorDecl> cursors;
    std::vector<std::size_t> lineStarts;
    // Lines before the one a trigger's body begins on (its lines count from there).
    int lineOffset = 0;
    // A member of a package: the package's name.
    std::string package;
    // A method of an object type (`package` the type's name): MEMBER,
    // STATIC, CONSTRUCTOR, MAP or ORDER; "" for any other unit. A method
    // that is not STATIC takes SELF as its first parameter.
    std::string method;
    // A local subprogram: how deep it is declared (0: a stored unit or an
    // anonymous block), and the local subprograms a unit declares.
    int level = 0;
    std::vector<std::shared_ptr<CPlsqlUnit>> locals;
    // What the unit refers to: (name, type) of tables, views and units.
    std::vector<std::pair<std::string, std::string>> dependencies;
    void DependsOn(const std::string& name, const std::string& type);
    // The line (1-based) of a byte offset of the source.
    int LineOf(std::size_t at) const;
    int ColumnOf(std::size_t at) const;
};

// A package: its variables and initialisation (`frame`, whose slots are the
// session's state of the package) and its procedures and functions.
struct CPlsqlPackage {
    std::string name;
    std::shared_ptr<CPlsqlUnit> frame;
    // Procedures and functions by name; an overloaded name has several.
    std::multimap<std::string, std::shared_ptr<CPlsqlUnit>> members;
    // What the heading declares, visible outside: variables by slot.
    std::map<std::string, int> variables;
    // ... and exceptions by their number.
    std::map<std::string, int> exceptions;
    std::map<std::string, std::shared_ptr<CPlsqlType>> types;
    std::vector<std::string> publicMembers;
};
