#pragma once

// PL/SQL: the connection seen from the interpreter (SQL, transactions, output).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlHost.h"
#include "engine/sqlite/plsql/CPlsqlParser.h"
#include "engine/sqlite/plsql/CTriggerDefinition.h"
#include "engine/sqlite/plsql/CWithDeclarations.h"

class CSqliteConnection;
struct CWithUnits;

// Runs blocks on one connection: the SQL of a block is compiled by the
// connection's own compiler; the block's changes are kept under a savepoint
// taken before its first change, so that a failed block is undone whole.
class CBlockHost : public CPlsqlHost {
public:
    explicit CBlockHost(CSqliteConnection& connection) : m_connection(connection) {}

    // Compiles and runs the block `text`; the console's `binds` are read and
    // written. False with the server's error in `error`.
    bool Run(const std::string& text, std::vector<CEngineBind>& binds, long& rows, CEngineError& error);

    sqlite3* Database() override;
    long Changes() override;
    bool OpenCursorVariable(const std::string& name, const std::string& query, std::vector<CEngineBind> binds,
                            CEngineError& error) override;
    bool GiveCursor(const std::string& name, const CPlsqlRefCursor& cursor, CEngineError& error) override;
    bool TableColumns(const std::string& name, std::vector<CPlsqlType::Field>& out) override;
    bool Prepare(CPlsqlSql& sql, CEngineError& error) override;
    int BindFloatWidth(const std::string& name) const override;
    void StepFailed(const CPlsqlSql& sql, CEngineError& error) override;
    bool BeginWrite(CEngineError& error) override;
    bool Commit(CEngineError& error) override;
    bool Rollback(CEngineError& error) override;
    bool Savepoint(const std::string& name, bool rollbackTo, CEngineError& error) override;
    bool ExecuteOther(const std::string& text, long& rows, CEngineError& error) override;
    bool ExecuteBlock(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                      CEngineError& error) override;
    bool Output(CPlsqlStmt::OutputCall call, const std::string& text, CEngineError& error) override;
    bool TakeLine(std::string& line) override;
    bool Cancelled() override;
    std::string ShowDate(const std::string& stored) override;
    std::string ShowTimestamp(const std::string& stored, int digits) override;
    const CTimeZone& SessionZone() override;
    std::shared_ptr<CPlsqlUnit> FindUnit(const std::string& name, bool& invalid) override;
    void Compiling(const std::shared_ptr<CPlsqlUnit>& unit) override;
    std::string Owner() override;
    bool RefreshMviews(const std::string& list, CEngineError& error) override;
    bool RunMerge(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                  CEngineError& error) override;
    bool CheckMerge(const CPlsqlSql& sql, CEngineError& error) override;
    std::string Mutating(CPlsqlSql& sql) override;
    void NextStatement() override;
    bool BeforeDml(const std::string& text, bool bulk, CEngineError& error) override;
    bool AfterDml(bool ran, CEngineError& error) override;
    std::mt19937_64& Random() override;
    // A stored function, or the package's public one ("PKG.FUNC") that
    // `arguments` fit best.
    std::shared_ptr<CPlsqlUnit> FindCallable(const std::string& name,
                                             const std::vector<CPlsqlValue>& arguments, bool& invalid);
    std::shared_ptr<CPlsqlPackage> FindPackage(const std::string& name, bool& invalid) override;
    std::shared_ptr<CPlsqlType> SchemaType(const std::string& name, bool& invalid) override;
    bool HasSchemaType(const std::string& name) override;
    std::vector<CPlsqlDatum>* PackageSlots(const std::string& name, CEngineError& error) override;

    // CREATE [OR REPLACE] PROCEDURE | FUNCTION, DROP and ALTER ... COMPILE
    // of them, and CALL; `handled` false for any other statement.
    bool RunUnitStatement(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                          bool& handled);
    // The functions and procedures a query declares in its WITH clause
    // (`declarations` of `text`) compiled for that query alone, the
    // declared type of each function's result in `results`; null with the
    // server's error on the connection.
    std::shared_ptr<CWithUnits> CompileWith(const std::string& text,
                                            const std::vector<CWithDeclarations::Declaration>& declarations,
                                            std::map<std::string, std::string>& results);
    // Makes every stored function of the file callable from SQL.
    static void RegisterFunctions(CSqliteConnection& connection);

    CSqliteConnection& Connection() { return m_connection; }
    // The trigger `name` compiled (kept for the session); null when it does not compile.
    std::shared_ptr<CPlsqlUnit> FindTrigger(const std::string& name, CTriggerDefinition& definition);
    // Runs a trigger's body on its rows; its error text, "" when none. The
    // :NEW row it leaves goes to `newOut` when given; `updated` names the
    // columns an UPDATE sets, when known, for UPDATING('column').
    std::string RunTrigger(CPlsqlUnit& unit, char event, std::vector<CPlsqlValue> newRow,
                           std::vector<CPlsqlValue> oldRow, const std::string& qualified,
                           std::vector<CPlsqlValue>* newOut,
                           const std::vector<std::string>* updated = nullptr);
    // A value of SQLite as PL/SQL holds it, and back.
    static CPlsqlValue FromSqlite(struct sqlite3_value* value);
    static void ToSqlite(struct sqlite3_context* context, const CPlsqlValue& value);

private:
    bool PrepareStatement(CPlsqlSql& sql, const std::vector<CEngineBind>& binds,
                          sqliteapi::Statement& statement);
    // Undoes the block's changes back to its savepoint.
    void Undo();
    bool Finish();
    bool CreateUnit(const std::string& text, std::size_t unitStart, bool replace);
    // ALTER PACKAGE [BODY] name COMPILE [part]: the package, its heading
    // alone or its body alone, as `part` names them.
    bool RecompilePackage(const std::string& name, const std::string& part);
    // A unit the catalog holds INVALID compiled again without errors.
    void Revalidated(const std::string& name, const std::string& type);
    // Compiles a package's heading (`source`, its PACKAGE part) or, for its body,
    // the heading from the catalog with `source`.
    std::shared_ptr<CPlsqlPackage> CompilePackage(const std::string& name, const std::string& type,
                                                  const std::string& source,
                                                  CPlsqlParser::CompileError& failure);
    // An object type's methods compiled from its heading and TYPE BODY;
    // null for a type without methods, `invalid` set when they do not compile.
    std::shared_ptr<CPlsqlPackage> TypeMethods(const std::string& name, bool& invalid);
    // CREATE TYPE BODY `source` of the stored type `name`.
    std::shared_ptr<CPlsqlPackage> CompileTypeBody(const std::string& name, const std::string& source,
                                                   CPlsqlParser::CompileError& failure);
    // `dropColumns`: DROP TYPE ... FORCE, whose columns go with the type.
    bool DropUnit(const std::string& text, const std::string& type, const std::string& name,
                  bool dropColumns = false);
    // DROP TYPE name [FORCE]: ORA-02303 while another type is made of it.
    bool DropType(const std::string& text, const std::vector<CSqlScanner::Token>& tokens);
    // ORA-02303 at the type's name when other types are made of it.
    bool TypeInUse(const std::string& name, std::size_t at);
    static void RegisterFunction(CSqliteConnection& connection, const std::string& name,
                                 const char* sqlName = nullptr);
    // A stored function called from SQL (user data: the connection and the name).
    static void Dispatch(struct sqlite3_context* context, int count, struct sqlite3_value** values);
    // CREATE TRIGGER with a PL/SQL body, DROP and ALTER ... ENABLE | DISABLE.
    // FOLLOWS and PRECEDES name triggers of the same table (ORA-04080, ORA-25021).
    bool CheckOrder(const CTriggerDefinition& definition, std::size_t triggerStart);
    bool CreateTrigger(const std::string& text, std::size_t triggerStart, bool replace);
    bool DropTrigger(const std::string& name);
    bool AlterTrigger(const std::string& name, const std::string& action);

    CSqliteConnection& m_connection;
    // The console's binds of the block being compiled (null outside Run).
    const std::vector<CEngineBind>* m_consoleBinds = nullptr;
    // The block's savepoint is taken; the transaction was begun by the block.
    bool m_savepoint = false;
    bool m_began = false;
    // A function called from SQL: no DML, no transaction control.
    bool m_inQuery = false;
    // A trigger's body: inside the firing statement's transaction.
    bool m_inTrigger = false;
};
