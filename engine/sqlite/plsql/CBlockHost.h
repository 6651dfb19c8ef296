#pragma once

// PL/SQL: the connection seen from the interpreter (SQL, transactions, output).
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlHost.h"

class CSqliteConnection;

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
    bool TableColumns(const std::string& name, std::vector<CPlsqlType::Field>& out) override;
    bool Prepare(CPlsqlSql& sql, CEngineError& error) override;
    void StepFailed(const std::string& text, CEngineError& error) override;
    bool BeginWrite(CEngineError& error) override;
    bool Commit(CEngineError& error) override;
    bool Rollback(CEngineError& error) override;
    bool Savepoint(const std::string& name, bool rollbackTo, CEngineError& error) override;
    bool ExecuteOther(const std::string& text, long& rows, CEngineError& error) override;
    bool Output(CPlsqlStmt::OutputCall call, const std::string& text, CEngineError& error) override;
    bool TakeLine(std::string& line) override;
    bool Cancelled() override;
    std::string ShowDate(const std::string& stored) override;

private:
    bool PrepareStatement(const CPlsqlSql& sql, const std::vector<CEngineBind>& binds,
                          sqliteapi::Statement& statement);
    // Undoes the block's changes back to its savepoint.
    void Undo();
    bool Finish();

    CSqliteConnection& m_connection;
    // The block's savepoint is taken; the transaction was begun by the block.
    bool m_savepoint = false;
    bool m_began = false;
};
