#pragma once

// PL/SQL: what the interpreter asks of the connection it runs on.
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlTree.h"
#include "engine/sqlite/values/CTimeZone.h"

struct sqlite3;
class CPlsqlRefCursor;

class CPlsqlHost {
public:
    virtual ~CPlsqlHost() = default;

    virtual sqlite3* Database() = 0;
    // The rows the last DML statement changed, rows its triggers wrote
    // anew included.
    virtual long Changes() = 0;
    // OPEN :name FOR query: the rows of the query (Oracle SQL, parameters
    // as its binds), read now and kept for the console's cursor variable
    // `name`. False with `error` when the query fails.
    virtual bool OpenCursorVariable(const std::string& name, const std::string& query,
                                    std::vector<CEngineBind> binds, CEngineError& error) = 0;
    // A cursor variable's cursor given to the console's cursor variable
    // `name`: its rows not fetched yet, described as its query's columns.
    virtual bool GiveCursor(const std::string& name, const CPlsqlRefCursor& cursor, CEngineError& error) = 0;
    // The columns of table or view `name` (CP932, upper case) as typed
    // fields; false when there is no such table.
    virtual bool TableColumns(const std::string& name, std::vector<CPlsqlType::Field>& out) = 0;
    // Compiles `sql.text` (parameters named by `sql.paramNames`) into
    // `sql.statement`, with its column names and types.
    virtual bool Prepare(CPlsqlSql& sql, CEngineError& error) = 0;
    // Compiles the MERGE `sql.text` as Prepare does, keeping nothing: it is
    // compiled again where it runs.
    virtual bool CheckMerge(const CPlsqlSql& sql, CEngineError& error) = 0;
    // The server's error for a failed step of `sql` (its statement not yet reset).
    virtual void StepFailed(const CPlsqlSql& sql, CEngineError& error) = 0;
    // Before the first change: the transaction and the block's savepoint.
    virtual bool BeginWrite(CEngineError& error) = 0;
    virtual bool Commit(CEngineError& error) = 0;
    virtual bool Rollback(CEngineError& error) = 0;
    virtual bool Savepoint(const std::string& name, bool rollbackTo, CEngineError& error) = 0;
    // A PL/SQL block of EXECUTE IMMEDIATE, its placeholders bound to `binds`
    // (read and written).
    virtual bool ExecuteBlock(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                              CEngineError& error) = 0;
    // A statement of EXECUTE IMMEDIATE that is neither a query nor DML.
    virtual bool ExecuteOther(const std::string& text, long& rows, CEngineError& error) = 0;
    virtual bool Output(CPlsqlStmt::OutputCall call, const std::string& text, CEngineError& error) = 0;
    // The next line of the output buffer (GET_LINE); false when none.
    virtual bool TakeLine(std::string& line) = 0;
    virtual bool Cancelled() = 0;
    // A stored DATE in the session's date format.
    virtual std::string ShowDate(const std::string& stored) = 0;
    // A stored TIMESTAMP (`digits` of a second) by a format the session set
    // (ALTER SESSION SET NLS_TIMESTAMP_FORMAT); "" under the defaults.
    virtual std::string ShowTimestamp(const std::string& stored, int digits) = 0;
    // The session's time zone (ALTER SESSION SET TIME_ZONE): where a plain
    // TIMESTAMP stands when it meets a zoned value.
    virtual const CTimeZone& SessionZone() = 0;
    // The stored procedure or function `name` (upper case), compiled; null
    // when there is none. `invalid` tells one that does not compile.
    virtual std::shared_ptr<CPlsqlUnit> FindUnit(const std::string& name, bool& invalid) = 0;
    // The unit being compiled, so that it may call itself.
    virtual void Compiling(const std::shared_ptr<CPlsqlUnit>& unit) = 0;
    // The compiled package `name` (upper case); null when there is none,
    // `invalid` telling one that does not compile.
    // A schema's type (CREATE TYPE) compiled; null when there is none,
    // `invalid` set when its source does not compile.
    virtual std::shared_ptr<CPlsqlType> SchemaType(const std::string& name, bool& invalid) {
        (void)name;
        invalid = false;
        return nullptr;
    }
    // Whether the schema has a type of that name (without compiling it).
    virtual bool HasSchemaType(const std::string& name) {
        (void)name;
        return false;
    }
    virtual std::shared_ptr<CPlsqlPackage> FindPackage(const std::string& name, bool& invalid) = 0;
    // The session's state of package `name`, made and initialised on first
    // use; null with the error in `error`.
    virtual std::vector<CPlsqlDatum>* PackageSlots(const std::string& name, CEngineError& error) = 0;
    // The session's random numbers (DBMS_RANDOM).
    virtual std::mt19937_64& Random() = 0;
    // A DML statement of the block begins (statement triggers fire once each).
    virtual void NextStatement() = 0;
    // Before a DML statement of the block (`text`, Oracle SQL): its BEFORE
    // STATEMENT triggers; false with the error of one that fails.
    // `bulk`: one execution of FORALL, whose INSERT ... VALUES inserts
    // many rows (its table mutating to its row triggers).
    virtual bool BeforeDml(const std::string& text, bool bulk, CEngineError& error) = 0;
    // After a DML statement BeforeDml let run (`ran`: it succeeded): its
    // AFTER STATEMENT triggers; false with `error` when one fails, the
    // statement then undone.
    virtual bool AfterDml(bool ran, CEngineError& error) = 0;
    // The owner that qualifies unit names in messages ("" for none).
    virtual std::string Owner() = 0;
    // MERGE `text` (Oracle SQL) run with `binds`, firing the table's
    // triggers; the rows it merged in `rows`.
    virtual bool RunMerge(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                          CEngineError& error) = 0;
    // The mutating table `sql` names, qualified by its owner ("" for none).
    virtual std::string Mutating(CPlsqlSql& sql) = 0;
    // The floating width (4, 8) of the console's bind variable `name`
    // (upper case) the block being compiled reads; 0 for any other.
    virtual int BindFloatWidth(const std::string& name) const {
        (void)name;
        return 0;
    }
    // DBMS_MVIEW.REFRESH of the materialized views `list` names (CP932, by commas).
    virtual bool RefreshMviews(const std::string& list, CEngineError& error) {
        (void)list;
        error.Set("ORA-03001");
        return false;
    }
};
