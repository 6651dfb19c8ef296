#pragma once

// PL/SQL: the interpreter that runs a compiled block against its host.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlOperators.h"
#include "engine/sqlite/plsql/CPlsqlTree.h"

class CPlsqlHost;
class CPlsqlRefCursor;
struct sqlite3_stmt;

// Runs a unit once: its variables live for the run, the console's bind
// variables (`binds`) are read and written in place. An exception nobody
// handles becomes the server's error with its "ORA-06512" line.
class CPlsqlInterpreter {
public:
    // `depth`: the calls of stored units that lead to this one.
    // `slots`: the variables' storage when it is not the run's own (a
    // package's state).
    CPlsqlInterpreter(CPlsqlUnit& unit, CPlsqlHost& host, std::vector<CEngineBind>& binds, int depth = 0,
                      std::vector<CPlsqlDatum>* slots = nullptr);
    ~CPlsqlInterpreter();
    CPlsqlInterpreter(const CPlsqlInterpreter&) = delete;
    CPlsqlInterpreter& operator=(const CPlsqlInterpreter&) = delete;

    bool Run(CEngineError& error);
    // A call of a stored unit with its arguments (one per parameter, a
    // missing one taking its default); false with the exception raised.
    bool Call(std::vector<CPlsqlValue>& arguments, const std::vector<bool>& given, CPlsqlValue& result);
    // After Call: a collection or record the function returned.
    CPlsqlDatum& ReturnedData() { return m_returnedDatum; }
    // The exception a failed Call raised, its message and the "ORA-06512"
    // lines of the units it came through.
    const std::string& RaisedMessage() const { return m_raised.message; }
    int RaisedCode() const { return m_raised.id; }
    std::string RaisedLine() const { return TraceLine(m_raised.at); }
    // The error as the server reports it: its message, the "ORA-06512"
    // lines of the units it left, then the earlier errors kept under it.
    std::string RaisedStack() const;
    // A trigger's rows and flags, before Call; its :NEW row after.
    void SetRecord(int slot, std::vector<CPlsqlValue> fields);
    void SetValue(int slot, CPlsqlValue value);
    const std::vector<CPlsqlValue>& Record(int slot) const;
    // Rows changed by the block's DML statements.
    long RowsProcessed() const { return m_rowsProcessed; }

private:
    enum class Flow { Normal, Exit, Continue, Return, Raise, Goto };
    using Datum = CPlsqlDatum;
    struct Raised {
        int id = 0;  // ORA code, or a user exception (negative)
        std::string message;
        std::size_t at = 0;
        std::vector<std::string> trace;  // the inner units' "ORA-06512" lines
        // The earlier errors kept under this one (RAISE_APPLICATION_ERROR
        // with keep_errors TRUE): each message with its "ORA-06512" lines.
        std::vector<std::string> kept;
    };
    struct CursorState {
        bool open = false;
        bool found = false;
        bool fetched = false;
        bool exhausted = false;  // past its last row: no step begins it again
        long rows = 0;
        CPlsqlValue rowid;  // of the current row, for WHERE CURRENT OF
    };

    Flow RunBlock(CPlsqlBlockNode& block);
    Flow RunBody(CPlsqlBody& body);
    // The statement of `body` labelled `label`; body.size() when none is.
    static std::size_t Labelled(const CPlsqlBody& body, const std::string& label);
    Flow Exec(CPlsqlStmt& statement);
    Flow ExecIf(CPlsqlStmt& statement);
    Flow ExecCase(CPlsqlStmt& statement);
    Flow ExecLoop(CPlsqlStmt& statement);
    // The two bounds of a FOR or FORALL as integers; false when raised.
    bool EvalBounds(CPlsqlStmt& statement, CPlsqlValue (&bounds)[2], bool atBound);
    Flow ExecForRange(CPlsqlStmt& statement);
    Flow ExecForCursor(CPlsqlStmt& statement);
    Flow ExecSql(CPlsqlStmt& statement);
    // A BULK COLLECT value appended to the packed elements of a collection
    // of scalars; false when it is not kept so (`failed` when it raised).
    bool Pack(const CPlsqlTarget& target, CPlsqlCollection& collection, const CPlsqlValue& value,
              bool& failed);
    // DBMS_OUTPUT.GET_LINES(lines, count): up to `count` lines into `lines`.
    Flow ExecGetLines(CPlsqlStmt& statement);
    // After a DML statement of ExecSql: its AFTER STATEMENT triggers; false
    // with the exception raised when one fails.
    bool EndDml(const CPlsqlSql& sql, bool ran, std::size_t at);
    // INSERT ... RETURNING INTO of a row a BEFORE ROW trigger wrote anew:
    // the trigger, not the statement, inserted it, so RETURNING gave no row;
    // its values are read back as the table's last row.
    bool StoreInserted(CPlsqlSql& sql);
    // The query reading `columns` back from the rows of the statement's
    // table that `which` picks, with the block's values bound; empty when it
    // cannot be made, `compiled` false when the query did not compile.
    sqliteapi::Statement ReadBackStatement(CPlsqlSql& sql, const std::string& columns,
                                           const std::string& which, bool& compiled);
    // RETURNING of a statement read back (see CPlsqlSql::readBack): the
    // expressions over the rows `rowids` names, in that order; empty with
    // the exception raised when it cannot be made.
    sqliteapi::Statement ReadBackQuery(CPlsqlSql& sql, const std::vector<std::int64_t>& rowids);
    // Into the INTO targets: the one row `rowids` names.
    bool StoreRow(CPlsqlSql& sql, const std::vector<std::int64_t>& rowids);
    // RETURNING BULK COLLECT of a statement read back: it runs, then every
    // row it touched is read as stored.
    bool StoreReadBack(CPlsqlSql& sql, long& rows);
    // DML ... RETURNING BULK COLLECT: the rows the statement wrote, as
    // stored, appended to `collections` (of `targets`) after element
    // `count` (which counts them on); the rows it changed in `changes`.
    // False with the exception raised.
    bool ReturnBulk(CPlsqlSql& sql, const std::vector<CPlsqlTarget>& targets,
                    const std::vector<CPlsqlCollection*>& collections, long& count, long& changes);
    // Every row of `statement` appended so.
    bool AppendRows(sqlite3_stmt* statement, const CPlsqlSql& sql, const std::vector<CPlsqlTarget>& targets,
                    const std::vector<CPlsqlCollection*>& collections, long& count);
    // Whether `sql` is an INSERT whose one row a trigger may have inserted
    // in its stead: `statement` then reads its RETURNING values back (empty
    // with the exception raised when it cannot be made).
    bool Reinserted(CPlsqlSql& sql, sqliteapi::Statement& statement);
    // FORALL's execution of its statement: its rows in `rows`, and what it
    // returns appended to `collections` when it returns into them.
    bool RunExecution(CPlsqlSql& sql, const std::vector<CPlsqlCollection*>& collections, long& returned,
                      long& rows);
    bool InitialiseFields(const CPlsqlStmt& statement);
    bool AssignRecord(const CPlsqlStmt& statement, const CPlsqlType& type);
    // The fields of a record of `type` that `source` gives: an object
    // type's constructor, a record variable or element, or NULL.
    bool RecordOf(CPlsqlExpr& source, const CPlsqlType& type, std::vector<CPlsqlValue>& fields);
    // collection(i) := record: the element's fields.
    bool AssignRecordElement(CPlsqlStmt& statement, const CPlsqlType& type);
    Flow ExecOpenFor(CPlsqlStmt& statement);
    // Cursor variables: OPEN ... FOR (a query, or a text with its USING
    // values), FETCH and CLOSE, and the cursor an expression yields.
    bool OpenedQuery(CPlsqlStmt& statement, CPlsqlRefCursor& cursor, CPlsqlSql*& sql,
                     std::vector<CPlsqlValue>& values);
    bool BindText(const std::string& name, const CPlsqlValue& value, std::size_t at,
                  std::vector<CEngineBind>& binds);
    bool OpenRefCursor(CPlsqlStmt& statement);
    // A package's cursor: the query it was declared with; null when raised.
    // Its parameters are set from the statement's arguments.
    CPlsqlSql* PackageCursorQuery(CPlsqlStmt& statement);
    Flow ExecForPackageCursor(CPlsqlStmt& statement);
    Flow ExecRefCursor(CPlsqlStmt& statement);
    bool YieldsCursor(const CPlsqlExpr& expr) const;
    bool CursorOf(CPlsqlExpr& expr, std::shared_ptr<CPlsqlRefCursor>& out);
    // A cursor into a cursor variable, or into the console's REFCURSOR variable.
    bool SetCursor(const CPlsqlTarget& target, const std::shared_ptr<CPlsqlRefCursor>& cursor,
                   std::size_t at);
    bool AssignCursor(CPlsqlStmt& statement);
    // The SQL of a dynamic statement's text, compiled once per text; null when raised.
    CPlsqlSql* DynamicSql(const std::string& text, bool query, std::size_t at);
    Flow ExecCursor(CPlsqlStmt& statement);
    Flow ExecTransaction(CPlsqlStmt& statement);
    Flow ExecImmediate(CPlsqlStmt& statement);
    // MERGE, run by the engine with the block's values bound.
    Flow ExecMerge(CPlsqlStmt& statement);
    // The statement EXECUTE IMMEDIATE prepared, run with its inputs bound.
    Flow RunDynamic(CPlsqlStmt& statement, CPlsqlSql& sql, const std::vector<CPlsqlTarget>& outs, bool dml,
                    bool query);
    // EXECUTE IMMEDIATE of a PL/SQL block: its placeholders bound to the
    // USING arguments, OUT and IN OUT ones written back.
    bool ExecDynamicBlock(CPlsqlStmt& statement, const std::string& text);
    Flow ExecRaise(CPlsqlStmt& statement);
    Flow ExecApplicationError(CPlsqlStmt& statement);
    // The error lines RAISE_APPLICATION_ERROR keeps under its own (its
    // keep_errors argument); false when that argument raised.
    bool ErrorsKept(CPlsqlStmt& statement, std::vector<std::string>& below);
    Flow ExecOutput(CPlsqlStmt& statement);
    Flow ExecAssign(CPlsqlStmt& statement);
    // What a loop's body answered, for the loop labelled `label`: true when
    // the loop goes on; `flow` what the loop answers otherwise.
    bool LoopGoesOn(Flow body, const std::string& label, Flow& flow);
    bool Cancelled();

    // Collections.
    bool KeyOf(const CPlsqlTarget& target, const CPlsqlType& collection, CPlsqlCollection::Key& key);
    // The made collection of a slot; false with COLLECTION_IS_NULL raised.
    bool Made(const CPlsqlTarget& target, CPlsqlCollection*& collection);
    bool ReadElement(const CPlsqlTarget& target, CPlsqlValue& out);
    bool WriteElement(const CPlsqlTarget& target, const CPlsqlValue& value);
    // A whole collection from `source` (a collection variable, a
    // constructor, NULL) or, with none, as its declaration makes it.
    bool AssignCollection(const CPlsqlTarget& target, const CPlsqlType& type, CPlsqlExpr* source);
    // The collection `source` gives (as AssignCollection takes it), or a
    // function's collection result.
    bool MakeCollection(const CPlsqlType& type, CPlsqlExpr* source, std::shared_ptr<CPlsqlCollection>& made);
    // Collections and records passed IN or IN OUT: put in the callee's slots.
    bool PassData(const CPlsqlUnit& callee, std::vector<std::unique_ptr<CPlsqlExpr>>& args,
                  CPlsqlInterpreter& child);
    // An OUT collection or record written back to the caller's variable.
    bool ReturnData(const CPlsqlTarget& target, Datum& from);
    // RETURN of a function whose result is a collection or a record.
    bool ReturnDatum(CPlsqlExpr& expr);
    bool EvalMethod(CPlsqlExpr& expr, CPlsqlValue& out);
    // The collection an operand of a multiset condition or operator names or makes.
    bool CollectionOperand(CPlsqlExpr& expr, std::shared_ptr<CPlsqlCollection>& out);
    bool Combine(CPlsqlExpr& expr, std::shared_ptr<CPlsqlCollection>& made);
    bool EvalMultiset(CPlsqlExpr& expr, CPlsqlValue& out);
    Flow ExecMethod(CPlsqlStmt& statement);
    Flow ExtendCopies(CPlsqlCollection& collection, std::size_t count,
                      const std::vector<CPlsqlCollection::Key>& keys, std::size_t at);
    Flow ExecForAll(CPlsqlStmt& statement);
    // The indexes a FORALL runs its statement for, in order.
    bool ForAllIndexes(CPlsqlStmt& statement, std::vector<std::int64_t>& indexes);
    bool EvalBulkAttribute(CPlsqlExpr& expr, CPlsqlValue& out);
    // Rows of `statement` into the collections `targets` (at most `limit`
    // when positive); their number in `rows`.
    bool StoreBulk(sqlite3_stmt* statement, const CPlsqlSql& sql, const std::vector<CPlsqlTarget>& targets,
                   long limit, long& rows, bool& done);
    // The collections of `targets` made anew and empty.
    bool FreshCollections(const std::vector<CPlsqlTarget>& targets,
                          std::vector<CPlsqlCollection*>& collections);
    // A row as element `number` of the collections.
    bool AppendBulk(const std::vector<CPlsqlValue>& row, const std::vector<CPlsqlTarget>& targets,
                    const std::vector<CPlsqlCollection*>& collections, long number);
    // LIMIT's value, a whole number of at least 1.
    bool EvalLimit(CPlsqlExpr& expr, std::size_t at, long& limit);

    bool Eval(CPlsqlExpr& expr, CPlsqlValue& out);
    // value IS [NOT] NAN | INFINITE: NULL for a NULL value.
    bool FloatTest(const CPlsqlExpr& expr, const CPlsqlValue& value, CPlsqlValue& out);
    bool EvalBinary(CPlsqlExpr& expr, CPlsqlValue& out);
    bool EvalLogical(CPlsqlExpr& expr, CPlsqlValue& out);
    bool EvalCase(CPlsqlExpr& expr, CPlsqlValue& out);
    bool EvalIn(CPlsqlExpr& expr, CPlsqlValue& out);
    bool EvalAttribute(CPlsqlExpr& expr, CPlsqlValue& out);
    bool EvalSql(CPlsqlExpr& expr, CPlsqlValue& out);
    bool EvalSqlErrm(CPlsqlExpr& expr, CPlsqlValue& out);
    // Calls `callee` with `args`; OUT values to `targets` (when given).
    // `nullSelf`: a comparison's MAP or ORDER method, NULL on a NULL object.
    bool CallUnit(const std::weak_ptr<CPlsqlUnit>& called, std::vector<std::unique_ptr<CPlsqlExpr>>& args,
                  const std::vector<CPlsqlTarget>* targets, std::size_t at, CPlsqlValue& result,
                  bool nullSelf = false);
    // A member of a built-in package; `out` its value.
    bool CallBuiltin(int id, std::vector<std::unique_ptr<CPlsqlExpr>>& args, std::size_t at,
                     CPlsqlValue& out);
    // The "ORA-06512" line of this unit for `at`.
    std::string TraceLine(std::size_t at) const;
    // The lines of `raised` from its message down to the earlier errors kept.
    std::vector<std::string> StackOf(const Raised& raised) const;
    // What SQLERRM and DBMS_UTILITY.FORMAT_ERROR_STACK tell of `raised`:
    // its message, and the errors it keeps under it with their lines.
    std::string ErrorStack(const Raised& raised) const;
    // A condition: true only when it is TRUE (NULL and FALSE are not).
    bool Condition(CPlsqlExpr& expr, bool& holds);

    bool Read(const CPlsqlTarget& target, CPlsqlValue& out);
    // A record's field of an object type (CPlsqlHeldObjects.cpp): the
    // attributes of its object (none for a NULL object), an attribute read
    // or written, a value stored whole, an object assigned.
    bool HeldObject(const CPlsqlTarget& target, const CPlsqlType& type, std::vector<CPlsqlValue>& fields);
    bool ReadHeld(const CPlsqlTarget& target, CPlsqlValue& out);
    bool WriteHeld(const CPlsqlTarget& target, const CPlsqlValue& value);
    bool StoreHeld(const CPlsqlTarget& target, const CPlsqlValue& value, const CPlsqlType& type);
    bool AssignHeld(const CPlsqlStmt& statement, const CPlsqlType& type);
    // The object `source` yields, as a field or an attribute holds it (its
    // constructor's text, NULL for a NULL object).
    bool HeldOf(CPlsqlExpr& source, const CPlsqlType& type, CPlsqlValue& out);
    bool Write(const CPlsqlTarget& target, const CPlsqlValue& value, const CPlsqlType* type);
    const CPlsqlType* TypeOf(const CPlsqlTarget& target) const;
    // The storage and declared type of a target's variable (a package's
    // state for a package variable); null storage with the error raised.
    Datum* DatumOf(const CPlsqlTarget& target);
    const CPlsqlType& SlotType(const CPlsqlTarget& target) const;
    // The run `outer` units out: the one that declared this local subprogram, and so on.
    const CPlsqlInterpreter& Frame(int outer) const;
    CPlsqlInterpreter& Frame(int outer);
    // False with what `frame` raised taken as raised here at `at`.
    bool Adopt(const CPlsqlInterpreter& frame, std::size_t at);
    bool Assign(const CPlsqlTarget& target, const CPlsqlValue& value);
    // A row of `statement` into `targets` (one record or as many scalars).
    bool Store(sqlite3_stmt* statement, const CPlsqlSql& sql, const std::vector<CPlsqlTarget>& targets);
    bool StoreValues(const std::vector<CPlsqlValue>& row, const std::vector<CPlsqlTarget>& targets);
    bool StoreRow(sqlite3_stmt* statement, const CPlsqlSql& sql, Datum& record);
    // Column `column` of the row, the engine's own leading columns passed over.
    CPlsqlValue Column(sqlite3_stmt* statement, const CPlsqlSql& sql, int column);
    static int ColumnCount(sqlite3_stmt* statement, const CPlsqlSql& sql);

    // Binds the parameters of `sql` from the variables; false when raised.
    bool BindSql(CPlsqlSql& sql);
    // False, with ORA-04091 raised at `at`, when `sql` names a mutating table.
    bool Reachable(CPlsqlSql& sql, std::size_t at);
    // An object column's value (its constructor's text, NULL for a NULL object) into an object variable.
    bool StoreObject(const CPlsqlValue& value, const CPlsqlTarget& target, const CPlsqlType& type);
    // A nested table or VARRAY column's value (its constructor's text, NULL
    // for a NULL collection) into a collection variable: ORA-00932 for a
    // value of another type.
    bool StoreCollection(const CPlsqlValue& value, const CPlsqlTarget& target, const CPlsqlType& type);
    // `target` is a whole nested table or VARRAY variable.
    static bool StoresWholeCollection(const CPlsqlTarget& target, const CPlsqlType& type);
    bool BindValue(sqlite3_stmt* statement, int index, const CPlsqlValue& value);
    bool StepFailed(const CPlsqlSql& sql);
    // Opens cursor `cursor` of the unit `outer` units out, its arguments
    // evaluated here and its defaults there.
    bool OpenCursor(int cursor, int outer, std::vector<std::unique_ptr<CPlsqlExpr>>& args, std::size_t at);

    // Raising: always false, so that callers return it.
    bool Raise(int id, std::string message, std::size_t at);
    bool MissingBody();
    bool RaiseFailure(const CPlsqlOperators::Failure& failure, std::size_t at);
    bool RaiseError(const CEngineError& error, std::size_t at);
    std::string ShowDate(const std::string& stored);

    CPlsqlUnit& m_unit;
    CPlsqlHost& m_host;
    std::vector<CEngineBind>& m_binds;
    std::vector<Datum> m_own;
    std::vector<Datum>& m_slots;
    std::vector<CursorState> m_cursors;
    CPlsqlOperators::DateText m_showDate;
    Raised m_raised;
    std::vector<Raised> m_handling;
    std::string m_flowLabel;
    bool m_cancelled = false;
    // SQL%: the last SQL statement's outcome.
    bool m_sqlRan = false;
    long m_sqlRows = 0;
    int m_depth = 0;
    int m_calls = 0;
    CPlsqlValue m_returned;
    bool m_hasReturned = false;
    long m_rowsProcessed = 0;
    std::map<std::string, std::unique_ptr<CPlsqlSql>> m_dynamic;
    // A local subprogram's run: the run of the unit that declares it.
    CPlsqlInterpreter* m_outer = nullptr;
    // A function's cursor result (RETURN of a cursor variable), and the one
    // the last call answered.
    std::shared_ptr<CPlsqlRefCursor> m_returnedCursor;
    std::shared_ptr<CPlsqlRefCursor> m_cursorResult;
    // A function's collection or record result, and the one the last call answered.
    Datum m_returnedDatum;
    Datum m_datumResult;
    // The last FORALL: rows by index (SQL%BULK_ROWCOUNT), and the executions
    // SAVE EXCEPTIONS noted (iteration, error code).
    std::map<std::int64_t, long> m_bulkRows;
    std::vector<std::pair<long, int>> m_bulkErrors;
};
