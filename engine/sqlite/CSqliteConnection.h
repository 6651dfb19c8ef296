#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CEngineConnection.h"
#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CObjectTimes.h"
#include "engine/sqlite/CSelectList.h"
#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/CStatementCache.h"
#include "engine/sqlite/CStatementClassifier.h"
#include "engine/sqlite/CTableText.h"
#include "engine/sqlite/CUnusedColumns.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CPartitionClause.h"
#include "engine/sqlite/warehouse/CPartitionScheme.h"

struct sqlite3;
struct sqlite3_stmt;
class CTableText;
class CSqliteCatalog;
class CSqliteSequences;
struct CPlsqlSession;
struct CSqliteSession;
struct CWarehouseState;
enum class CSqlType;

// A connection on one SQLite database file (see CDatabaseLocation for the
// names). Every connection sees a one-row table DUAL (DUMMY VARCHAR2(1),
// 'X') that is not stored in the file, and the server's functions of
// CSqliteFunctions. Writes take the file's write lock until COMMIT or
// ROLLBACK; another connection waits for it up to the busy timeout.
struct CWithUnits;
class CSqliteConnection : public CEngineConnection {
public:
    static constexpr int kDefaultBusyTimeoutMs = 10000;

    // `user`: the session's user, as USER and SYS_CONTEXT answer it.
    static std::unique_ptr<CSqliteConnection> Open(const std::string& databaseName, CEngineError& error,
                                                   int busyTimeoutMs = kDefaultBusyTimeoutMs,
                                                   const std::string& user = {});
    // Rolls back what is not committed.
    ~CSqliteConnection() override;
    CSqliteConnection(const CSqliteConnection&) = delete;
    CSqliteConnection& operator=(const CSqliteConnection&) = delete;

    // Every failure leaves the server's code and a Japanese message.
    bool Execute(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed) override;
    bool Query(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result) override;
    // Streams the rows (see CSqliteCursor) where the description allows.
    std::unique_ptr<CEngineCursor> OpenCursor(const std::string& sql, std::vector<CEngineBind>& binds,
                                              CursorMode mode) override;
    bool Commit() override;
    bool Rollback() override;
    void SetAutoCommit(bool on) override { m_autoCommit = on; }
    std::vector<std::string> TakeServerOutput() override;
    std::unique_ptr<CEngineCursor> TakeCursorVariable(const std::string& name, CEngineError& error) override;
    const CEngineError& LastError() const override { return m_error; }
    void Cancel() override;
    bool HasUncommittedWork() const override { return InTransaction() || m_transactionLost; }
    bool TransactionLost() const override { return m_transactionLost; }
    void SetLockWait(int seconds) override;

    // The file this connection works on (UTF-8).
    const std::string& Path() const { return m_path; }

private:
    friend class CBlockHost;
    friend class CObjectMembers;
    friend class CTriggerFiring;
    friend class CReturningInto;
    using Statement = sqliteapi::Statement;
    // The query SQLite keeps for a view made with FORCE while its own does
    // not compile: no function bears the name, so the view answers as
    // invalid until its query compiles (CompileForcedViews), and nothing
    // else of SQLite's (a table renamed) trips over it.
    static constexpr std::string_view kForcedQuery = "SELECT TARVEX_FORCED_VIEW()";
    // The query SQLite keeps for a view set aside while a column of a table
    // it reads is dropped or renamed: the view is invalid until it is next
    // used, when it is made again from its text if that still compiles.
    static constexpr std::string_view kSetAsideQuery = "SELECT TARVEX_FORCED_VIEW(1)";

    // Where a piece of statement text lies in the text the caller sent.
    struct Piece {
        std::string_view text;
        std::size_t base = 0;
    };

    CSqliteConnection(sqlite3* db, std::string path);

    // The rows the last DML statement changed, with those its BEFORE ROW
    // triggers wrote anew.
    long Changes();
    // Names are read in upper case (see CTypedText): the statement's words
    // are upper-cased here once, and the text as typed is kept in scope.
    bool ExecuteStatement(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    bool ExecuteWords(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    std::unique_ptr<CEngineCursor> OpenWords(const std::string& sql, std::vector<CEngineBind>& binds,
                                             CursorMode mode);
    bool QueryStatement(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result);
    // Puts the failure of the last call in the server's form.
    bool Finish(bool ok, const std::string& sql);
    // A quoted name of `sql` that a spelling would read as another: refused (ORA-03001).
    bool RefusesReservedName(const std::string& sql);
    // `ok`, with a failure's place in the spelled `sql` moved to the typed one.
    bool Typed(bool ok, const std::string& sql);
    // The query, DML statement or view compiled from its tree; true with
    // `compiled` empty for a statement of another kind, false (the error
    // set at its token) for one the parser or the emitter refuses.
    // With `slots`, the stored literals of an INSERT are written as
    // parameters (see CSqlEmitter::CollectLiterals) and `allLiterals` tells
    // whether they were all its values. With `binds`, those of a floating
    // type are typed so in the statement.
    bool Compile(Piece piece, std::string& compiled, std::vector<CSqlEmitter::LiteralSlot>* slots = nullptr,
                 bool* allLiterals = nullptr, const std::vector<CEngineBind>* binds = nullptr);
    bool PrepareCompiled(Piece piece, const std::string& compiled, Statement& out);
    // A query that begins WITH FUNCTION | PROCEDURE: its declarations
    // compiled for it (kept in m_withUnits), then the query after them;
    // `handled` false for any other statement.
    bool CompileDeclared(Piece piece, std::string& compiled, const std::vector<CEngineBind>* binds,
                         bool& handled);
    // An INSERT of literals prepared once for its shape (see
    // CStatementCache), its literals bound; `statement` null when the
    // statement is of no shape kept, or differs from its kept shape.
    bool PrepareShaped(Piece piece, Statement& owned, sqlite3_stmt*& statement);
    enum class SlotBinding { Bound, Refused, Differs };
    SlotBinding BindShaped(Piece piece, const std::vector<CSqlScanner::Token>& tokens,
                           const std::vector<const CSqlScanner::Token*>& literals,
                           CStatementCache::Entry& entry);
    // Binds `value` as its literal reads in a statement (a text converted to
    // UTF-8 in place); `kept`: `value` outlives the statement's next run.
    bool BindSlot(sqlite3_stmt* statement, int index, CLiteralStore::Value& value, bool kept);
    bool RunSession(const std::string& sql);
    // NLS_DATE_LANGUAGE = `value` (AMERICAN, ENGLISH or JAPANESE).
    bool SetTerritory(const std::string& sql, const CSqlScanner::Token& value);
    bool SetDateLanguage(const std::string& sql, const CSqlScanner::Token& value);
    // NLS_TIMESTAMP_FORMAT or NLS_TIMESTAMP_TZ_FORMAT (`name`); ORA-01821 for a model not valid.
    // NLS_DATE_FORMAT: a model the session's dates are written and read by,
    // DL, DS and TS (alone, or a date with TS) the territory's.
    bool SetDateFormat(const std::string& sql, const CSqlScanner::Token& value);
    // False, with ORA-`code` naming the format `written` (CP932) at `value`.
    bool RefuseFormat(int code, const std::string& written, const CSqlScanner::Token& value);
    // NLS_TERRITORY: its date format, and DL, DS and TS of the other formats.
    void ApplyTerritory(const std::string& territory, const char* dateFormat);
    bool SetTimestampFormat(const std::string& sql, const CSqlScanner::Token& name,
                            const CSqlScanner::Token& value);
    void SetEmitError(const CSqlEmitter::Failure& failure, int position);
    // A stored date in the session's date format.
    std::string ShowDate(const std::string& stored) const;
    // A stored TIMESTAMP by the session's NLS_TIMESTAMP_FORMAT (its
    // NLS_TIMESTAMP_TZ_FORMAT for a zoned value); "" while both are the defaults.
    std::string ShowTimestamp(const std::string& stored, int digits) const;
    // ORA-01756 or ORA-01740 for a quote the statement leaves open.
    bool CheckQuotes(const std::string& sql);
    bool CheckEncoding(const std::string& sql);
    bool RunKind(const std::string& sql, StatementKind kind, std::vector<CEngineBind>& binds,
                 long& rowsProcessed);
    bool RunQuery(const std::string& sql, std::vector<CEngineBind>& binds, CEngineResult& result);
    bool PrepareQuery(const std::string& sql, std::vector<CEngineBind>& binds, Statement& statement,
                      std::vector<CSelectList::Item>& items);
    bool CommitWork();
    // Refuses every statement but ROLLBACK once the transaction is lost.
    bool RefuseWhileLost(StatementKind kind);
    // After a failure: the engine rolled back work that was held before the
    // call (`held`, with `commits` commits done then) and not committed since.
    void NoteLostTransaction(bool held, unsigned long commits);
    void SetEngineError();
    // A query or DML statement (or, after `prefix`, an expression of a
    // block), compiled; any other statement is ORA-00900.
    bool Prepare(Piece piece, std::string_view prefix, const std::vector<CEngineBind>& binds, Statement& out);
    // A schema statement: written anew from its tokens (CSchemaText), a
    // view's query compiled, a table's definition written from its parts.
    bool PrepareSchema(Piece piece, const std::vector<CEngineBind>& binds, Statement& out,
                       const std::vector<CColumnCompiler::Edit>& checks);
    // CREATE TABLE written from its parts (CTableText), `compiled` (the
    // column types, DEFAULTs and CHECK constraints compiled already) in place.
    bool PrepareDefinition(Piece piece, Statement& out, const std::vector<CColumnCompiler::Edit>& compiled);
    bool Bind(Piece piece, const std::vector<CEngineBind>& binds, sqlite3_stmt* statement);
    void SetPreparedError(Piece piece, const CTableText& table, int utf8Offset);
    // SAVEPOINT and ROLLBACK TO, and a query written in brackets.
    bool RunOther(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    bool SetStepError();

    bool RunStatement(Piece piece, std::vector<CEngineBind>& binds, long& rowsProcessed);
    // INSERT, UPDATE or DELETE with the statement triggers of its table around it.
    bool RunMultiInsert(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    bool RunDml(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    // MERGE: its statements in one savepoint, the rows updated and inserted counted.
    bool RunMerge(Piece piece, std::vector<CEngineBind>& binds, long& rowsProcessed);
    // A MERGE compiled, its statements prepared and none run; false with the
    // error a run would first meet.
    bool CheckMerge(Piece piece);
    // A schema statement as one transaction of its own, after a commit.
    bool RunDdl(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    bool RunDdlWork(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    // The table of ALTER TABLE name ... (UTF-8, as the catalog names it).
    static std::string AlteredTable(const std::string& sql);
    // After a table (`table`, UTF-8) is rebuilt: the SQLite triggers that
    // run its row triggers made again for its columns.
    bool RefireTable(const std::string& table);
    // After CREATE TABLE or ALTER TABLE: the table's columns as the catalog
    // records them (CColumnCatalog), their types and defaults as written.
    bool RecordColumns(const std::string& sql);
    // ORA-02298 when a row refers to a key that is not there.
    bool CheckForeignKeys();
    bool RunSequence(const std::string& sql, StatementKind kind);
    bool RunHousekeeping(const std::string& sql);
    bool RunSynonym(const std::string& sql);
    // CREATE TABLE name AS query, its columns typed as what they copy;
    // `handled` unset for any other statement (or a query the tree lacks).
    // `definition`, when given, takes the text of the table made (UTF-8).
    bool CreateAsSelect(const std::string& sql, bool& handled, std::string* definition = nullptr);
    // The CHECK constraints of a CREATE TABLE (`sql`), compiled (see
    // CCheckCompiler) and recorded in the catalog under their names.
    bool CompileChecks(const std::string& sql, std::vector<CColumnCompiler::Edit>& compiled);
    // The column types and DEFAULT expressions of CREATE TABLE written for
    // SQLite, in `compiled`.
    bool CompileColumns(const std::string& sql, std::vector<CColumnCompiler::Edit>& compiled,
                        CSqlEmitter::Failure& failure);
    // The sequences of the identity columns a CREATE TABLE declared.
    bool CreateIdentities(const std::string& sql);
    // After DROP TABLE: what the catalog held of the table goes with it.
    bool ForgetDropped(const std::string& sql);
    // DROP TABLE of a table other tables' foreign keys refer to: refused
    // (ORA-02449) unless CASCADE CONSTRAINTS, which drops those keys first.
    bool DropReferringKeys(const std::string& sql);
    // After RENAME or ALTER TABLE ... RENAME [COLUMN]: the catalog follows.
    bool FollowRename(const std::string& sql);
    // After CREATE VIEW: its text and options go to the catalog.
    bool RecordView();
    bool RecordViewColumns(const std::string& utf8Name, const std::vector<CValueType>& types);
    // The views made with FORCE whose query did not compile, made again from
    // their text where it compiles now (CSqliteConnectionViews.cpp).
    bool CompileForcedViews();
    // `marker`: the query SQLite keeps for the view (kForcedQuery or kSetAsideQuery).
    bool CompileForcedView(const std::string& name, const std::string& sql, std::string_view marker,
                           bool& made);
    // Before a column of `sql`'s table is dropped or renamed: the views that
    // read the table, directly or through one another, are set aside
    // (kSetAsideQuery) and the stored units that use them or the table
    // marked INVALID, as the server invalidates them.
    bool SetViewsAside(const std::string& sql);
    // A view set aside, named by ORA-04063's `named` ("view V"), made again
    // from its text in a savepoint of its own; `made` when it compiled.
    void RevalidateView(const std::string& named, bool& made);
    // After a view made with FORCE: the server's warning, as the answer.
    bool WarnForcedView();
    // After CREATE GLOBAL TEMPORARY TABLE: its definition (`created`, the
    // statement SQLite ran) goes to the catalog.
    bool RecordTemporary(const std::string& sql, const char* created);
    bool RunReplace(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    // A PL/SQL block, compiled and run by the interpreter (see CBlockHost).
    bool RunBlock(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed);
    bool AppendOutput(const std::string& text, bool endLine);
    // DBMS_OUTPUT.ENABLE: `size` "" for the default of 20,000 bytes, "NULL"
    // for no limit, else bytes (2,000 to 1,000,000); the largest asked for
    // since the last DISABLE holds.
    void EnableOutput(const std::string& size);

    // Partitioned tables and materialized views (CSqliteConnectionWarehouse.cpp).
    // Before a schema statement's own work: CREATE | DROP MATERIALIZED VIEW
    // [LOG] and ALTER TABLE ... PARTITION, `handled` set; ROW MOVEMENT kept.
    bool RunWarehouse(const std::string& sql, bool& handled);
    // DROP UNUSED COLUMNS and DROP COLUMNS CONTINUE: DDL that commits and
    // changes nothing (see CUnusedColumns); ORA-00942 when no table bears the name.
    bool KeepColumns(const std::string& sql, const CUnusedColumns::Statement& statement);
    // CREATE TABLE t (a PRIMARY KEY, b, CONSTRAINT ...) AS query: the
    // definition of the table with the query's types and the INSERT that
    // fills it (see CAsSelectList); both "" for any other statement.
    bool AsSelectDefinition(const std::string& sql, std::string& definition, std::string& fill);
    // The INSERT of m_fill, run in the transaction of the CREATE TABLE it fills.
    bool FillTable();
    // ORA-12081 for an ALTER TABLE a READ ONLY table does not take.
    bool RefuseReadOnly(const std::string& sql);
    // ORA-01456 in `error` for DML in a transaction begun READ ONLY.
    bool RefuseInReadOnlyTransaction(CEngineError& error) const;
    // SET TRANSACTION: READ ONLY holds until the transaction ends; only the
    // first statement of a transaction sets it (ORA-01453).
    bool SetTransaction(const std::string& sql);
    // CREATE PRIVATE TEMPORARY TABLE; `handled` when `sql` is one.
    bool CreatePrivate(const std::string& sql, std::vector<CEngineBind>& binds, long& rowsProcessed,
                       bool& handled);
    // At the end of a transaction (`ended`) the private temporary tables ON
    // COMMIT DROP DEFINITION dropped; the list kept to the tables there are.
    void EndPrivateTables(bool ended);
    // After CREATE TABLE: its partitioning clause; after CREATE INDEX ... LOCAL: the index.
    bool RecordPartitions(const std::string& sql);
    bool RecordLocalIndex(const std::string& sql);
    // A bound or listed value computed in the type of the key column;
    // `shown` as HIGH_VALUE shows it (UTF-8).
    bool PartitionValue(const CPartitionClause::Value& value, const CSqliteCatalog::Column& column,
                        CPartitionValue& out, std::string& shown);
    bool PartitionOf(const CPartitionScheme& scheme, const CPartitionClause::Item& item, std::size_t base,
                     CPartitionScheme::Partition& out);
    // Appends `partition` after the scheme's last by the server's rules.
    bool AddPartition(CPartitionScheme& scheme, CPartitionScheme::Partition partition, std::size_t at);
    bool SavePartitions(const CPartitionScheme& scheme, bool guard);
    // ORA-14400 when a row of the table maps to no partition.
    bool CheckPartitionRows(const CPartitionScheme& scheme);
    bool DeletePartitionRows(const CPartitionScheme& scheme, int position);
    std::string SystemPartitionName();
    bool AlterPartition(const std::string& sql, bool& handled);
    bool AlterScheme(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens, std::size_t k,
                     CPartitionScheme& scheme);
    bool ModifyPartition(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens, std::size_t t,
                         int position, CPartitionScheme& scheme);
    bool KeepDefaultRows(const CPartitionScheme& before, const CPartitionScheme& after, std::size_t at);
    bool SplitPartition(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens, std::size_t t,
                        int position, CPartitionScheme& scheme);
    bool IntervalOf(const CPartitionClause& clause, CPartitionScheme& scheme);
    bool ExchangePartition(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens,
                           std::size_t t, int position, const CPartitionScheme& scheme);
    bool MergePartitions(const std::string& sql, const std::vector<CSqlScanner::Token>& tokens, std::size_t t,
                         std::vector<int> named, CPartitionScheme& scheme);
    bool MviewLog(const std::string& sql, bool create);
    bool CreateMview(const std::string& sql);
    bool DropMview(const std::string& sql);
    // The view's rows computed anew from its query, in the transaction.
    bool RefreshMview(const std::string& name);
    // Before a commit: the views refreshed ON COMMIT.
    bool RefreshOnCommit();
    // A row refused by its table's partitions or a materialized view's DML
    // (ORA-14400, 14402, 01732) is shown at the DML's table, as the server shows it.
    void PlaceTableError(const std::string& sql);

public:
    // DBMS_MVIEW.REFRESH: each view of the list ("A, B", CP932) refreshed.
    bool RefreshMviews(const std::string& list, CEngineError& error);

private:
    bool InTransaction() const;
    bool BeginWrite();
    bool ExecPlain(const char* sql);
    bool FinishStatement();

    sqlite3* m_db;
    std::string m_path;
    bool m_autoCommit = false;
    CEngineError m_error;
    bool m_outputEnabled = false;
    // The buffer's limit in bytes; 0 when it has none.
    std::size_t m_outputLimit = 0;
    bool m_outputUnlimited = false;
    bool m_outputLineOpen = false;
    std::size_t m_outputBytes = 0;
    std::vector<std::string> m_output;
    std::unique_ptr<CSqliteSequences> m_sequences;
    // ROWNUM of the statement being run (see CSqliteFunctions).
    long long m_rowNumber = 0;
    int m_lockWaitSeconds = kDefaultBusyTimeoutMs / 1000;
    bool m_transactionLost = false;
    // SET TRANSACTION READ ONLY began the transaction (ended by its commit or rollback).
    bool m_readOnlyTransaction = false;
    unsigned long m_commits = 0;
    std::unique_ptr<CSqliteSession> m_session;
    std::unique_ptr<CSqliteCatalog> m_catalog;
    std::unique_ptr<CWarehouseState> m_warehouse;
    // The last SYS_Pnnn name given by this connection.
    long long m_warehouseNames = 0;
    // An ALTER TABLE is adding partitions (ORA-14074, not ORA-14037).
    bool m_warehouseAltering = false;
    CObjectTimes m_objectTimes;
    CStatementCache m_shapes;
    // The static types of the columns of the query compiled last: its
    // description before any row.
    std::vector<CValueType> m_resultTypes;
    // The WITH functions of the query compiled last; whoever runs the query
    // takes them and keeps them while it does.
    std::shared_ptr<CWithUnits> m_withUnits;
    // The query being compiled declares functions at its top (WITH
    // FUNCTION): a query inside it may declare its own.
    bool m_declaring = false;
    // The view the statement being run creates (see RecordView).
    std::optional<CCatalogTables::View> m_pendingView;
    std::vector<CValueType> m_pendingViewTypes;
    // The view compiled last was made with FORCE over a query that does not compile.
    bool m_forcedView = false;
    // How deep views set aside are being made again (a view over another).
    int m_revalidating = 0;
    // The rows of the table being made by a query with constraints (see AsSelectDefinition).
    std::string m_fill;
    // The keys, foreign keys and NOT NULL constraints of the table the last
    // CREATE TABLE compiled, for the catalog once it is made.
    std::vector<CSqliteDictionary::Constraint> m_defined;
    // The CHECK constraints CompileChecks compiled for that CREATE TABLE,
    // and the names the system gives the constraints of the statement.
    std::vector<CTableText::Check> m_checks;
    std::function<std::string()> m_namer;
    // The types of the virtual columns of the CREATE TABLE being run that
    // declare none (CColumnCompiler::VirtualTypes), for the catalog.
    std::vector<std::pair<std::string, std::string>> m_virtualTypes;
    // Temporary tables whose rows each commit removes (quoted, UTF-8).
    std::vector<std::string> m_deleteOnCommit;
    // The session's private temporary tables (CP932) and whether each goes at the next commit.
    std::vector<std::pair<std::string, bool>> m_privateTables;
    bool m_creatingPrivate = false;
    // Cancel asked for while a block runs (its loops look at it).
    std::atomic<bool> m_cancelRequested{false};
    // The stored units this session compiled (see CBlockHost).
    std::unique_ptr<CPlsqlSession> m_plsql;
    // The rows blocks opened for the console's cursor variables (OPEN :name
    // FOR ...), read at OPEN as the server's cursor sees them.
    std::map<std::string, CEngineResult> m_cursorVariables;
};
