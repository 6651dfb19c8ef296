#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"
#include "engine/sqlite/CTableOptions.h"
#include "engine/sqlite/CTableText.h"

struct sqlite3;

// The schema statements of real scripts that SQLite does not take as they
// are written: COMMENT ON, ALTER TABLE ... ADD (several items) / ADD
// CONSTRAINT / DROP CONSTRAINT / ENABLE|DISABLE CONSTRAINT / MODIFY, ALTER
// SEQUENCE, and the physical clauses and identity columns of CREATE TABLE.
//
// A constraint added later is kept where SQLite looks for it: a PRIMARY KEY
// or UNIQUE one as a unique index named after it (marked in its text), a
// CHECK or FOREIGN KEY one in the table's definition, which is edited in
// place and checked against the rows already there.
class CSqliteSchema {
public:
    explicit CSqliteSchema(sqlite3* db) : m_db(db) {}

    // Runs `sql` (CP932) when it is one of the statements above that needs
    // more than a rewrite; false with `handled` unset for any other.
    bool Run(const std::string& sql, CEngineError& error, bool& handled);
    // CREATE TABLE with the physical clauses blanked out and identity
    // clauses made NOT NULL, at the same offsets; other text unchanged.
    static std::string Prepare(std::string_view sql);
    // "x IS [NOT] JSON [STRICT|LAX] [WITH|WITHOUT UNIQUE KEYS]" written with
    // SQLite's json_valid, NULL for NULL (x a name or a parenthesised expression).
    static std::string JsonConditions(std::string_view sql);
    // The identity columns a CREATE TABLE declares, with their options.
    static std::vector<CCatalogTables::Identity> Identities(std::string_view createTable);
    // In CREATE TABLE or ALTER TABLE: the offset of the first construct a
    // table definition here cannot hold, its name (CP932) in `what`; npos
    // when there is none.
    static std::size_t Unsupported(std::string_view sql, std::string& what);

private:
    using Tokens = std::vector<CSqlScanner::Token>;

    // The identity clause at token `k` (GENERATED, or AS IDENTITY); false
    // when an option's value is not a whole number.
    static bool ReadIdentity(std::string_view sql, const Tokens& tokens, std::size_t k,
                             CCatalogTables::Identity& identity);
    bool Comment(std::string_view sql, const Tokens& tokens, CEngineError& error);
    bool AlterTable(std::string_view sql, const Tokens& tokens, CEngineError& error, bool& handled);
    // ALTER TABLE t DROP COLUMN c | DROP (c, ...) [CASCADE CONSTRAINTS]: the
    // indexes and constraints the columns take along go first (see
    // CColumnDrop); `nameAt`: the table's token.
    bool DropColumns(std::string_view sql, const Tokens& tokens, std::size_t nameAt, CEngineError& error);
    // The options after the columns, from token `k`.
    bool DropOptions(std::string_view sql, const Tokens& tokens, std::size_t k, bool& cascade,
                     CEngineError& error);
    // ALTER TABLE ... MODIFY CONSTRAINT name | PRIMARY KEY ENABLE | DISABLE
    // [VALIDATE | NOVALIDATE].
    bool ModifyConstraint(std::string_view sql, const Tokens& tokens, CEngineError& error);
    // ENABLE or DISABLE of the constraint `name` ("" for the primary key)
    // with its VALIDATE | NOVALIDATE word (`state`, may be "").
    bool SetState(std::string_view table, const std::string& name, bool enable, const std::string& state,
                  std::size_t at, CEngineError& error);
    bool AlterSequence(std::string_view sql, const Tokens& tokens, CEngineError& error);
    // ALTER VIEW v COMPILE: the view is checked against its tables again.
    bool AlterView(std::string_view sql, const Tokens& tokens, CEngineError& error, bool& handled);
    bool AddItem(std::string_view table, std::string_view item, std::size_t at, CEngineError& error);
    bool HasPrimaryKey(const std::string& table);
    bool CanAddColumn(std::string_view table, std::string_view column,
                      const std::vector<CSqliteDictionary::Constraint>& constraints, std::size_t at,
                      CEngineError& error);
    // NOLOGGING, PARALLEL n, READ ONLY ...: the catalog's row of the table;
    // `failAt` (when not 0) the token of a clause not understood.
    bool SetOptions(std::string_view table, const Tokens& tokens, std::size_t failAt,
                    const std::vector<CTableOptions::Setting>& settings, CEngineError& error);
    // ADD [CONSTRAINT name] PRIMARY KEY | UNIQUE (...) [USING INDEX ...],
    // its kind at token `k` of `item`.
    bool AddKey(std::string_view table, std::string_view item, const Tokens& tokens, std::size_t k,
                const std::string& name, std::size_t at, CEngineError& error);
    // The index of `table` (UTF-8) made by CREATE INDEX over exactly
    // `columns`, named `wanted` unless that is empty.
    bool IndexOver(const std::string& table, const std::vector<std::string>& columns,
                   const std::string& wanted, std::string& index, bool& unique);
    bool AddConstraint(std::string_view table, std::string_view item, std::size_t at, CEngineError& error);
    // ADD [CONSTRAINT name] CHECK (...) [ENABLE|DISABLE] [VALIDATE|NOVALIDATE],
    // compiled as queries are (see CCheckCompiler).
    bool AddCheck(std::string_view table, std::string_view item, std::string name, std::size_t at,
                  CEngineError& error);
    // `disable`: the constraint is set aside in the catalog for ENABLE.
    // ENABLE VALIDATE of a constraint enabled NOVALIDATE: the rows there are
    // checked (ORA-02293 when one fails it).
    bool Validate(std::string_view table, const CSqliteDictionary::Constraint& check, std::size_t at,
                  CEngineError& error);
    // RENAME CONSTRAINT: the catalog's row and the definition's words.
    bool RenameConstraint(std::string_view table, const std::string& name, const std::string& to,
                          std::size_t at, CEngineError& error);
    bool DropConstraint(std::string_view table, std::string_view name, std::size_t at, CEngineError& error,
                        bool disable = false);
    // A constraint the definition enforces without naming it (a file of an
    // earlier version) taken out of it, or set aside (`disable`).
    bool DropUnnamed(std::string_view table, const CSqliteDictionary::Constraint& found, std::size_t at,
                     CEngineError& error, bool disable);
    // `novalidate`: a CHECK set aside is enabled without checking the rows there.
    bool Enable(std::string_view table, std::string_view name, std::size_t at, CEngineError& error,
                bool novalidate = false);
    // `record`: a NOT NULL made or taken away is a constraint of the catalog
    // (not so the NOT NULL a primary key brings to its columns).
    bool Modify(std::string_view table, std::string_view item, std::size_t at, CEngineError& error,
                bool record = true);
    bool ModifyDefaultOnNull(std::string_view table, std::string_view item, const Tokens& tokens,
                             std::size_t k, std::size_t at, CEngineError& error, bool record);
    // The NOT NULL constraints of `column` (CP932) recorded as the
    // definition's, taken away.
    bool ForgetNotNull(std::string_view table, const std::string& column, CEngineError& error);
    // MODIFY column GENERATED ... AS IDENTITY [(options)] at token `k` of `item`.
    bool ModifyIdentity(std::string_view table, const std::string& column, std::string_view item,
                        const Tokens& tokens, std::size_t k, std::size_t at, CEngineError& error);
    // The CHECK constraints of a column added (`item`, within `written`, the
    // ALTER TABLE ... ADD COLUMN text) compiled and recorded.
    bool CompileAddedChecks(std::string_view table, std::string_view item, std::size_t at,
                            const std::string& written, std::vector<CCheckCompiler::Check>& checks,
                            std::vector<CColumnCompiler::Edit>& compiled,
                            std::vector<CTableText::Check>& named, const std::function<std::string()>& namer,
                            CEngineError& error);
    // `item` (a column's definition or a constraint of the table, CP932, its
    // CHECK constraints blanked) written for SQLite as a table's definition
    // is, in `out`: its compiled parts `edits` (and `checks`) are at `base`
    // more than the item's offsets; the constraints it makes are named and
    // added to `constraints`. `at`: the item's place, for a failure.
    bool WriteItem(std::string_view table, std::string_view item, std::vector<CColumnCompiler::Edit> edits,
                   std::vector<CTableText::Check> checks, std::size_t base,
                   const std::function<std::string()>& namer, std::size_t at, std::string& out,
                   std::vector<CSqliteDictionary::Constraint>& constraints, CEngineError& error);
    // The type and DEFAULT of the column defined by `item` written for SQLite
    // (edits at `base` more than the item's offsets); `at`: the item's place.
    // The DEFAULT compiled in `defaultExpression`.
    bool CompileColumn(std::string_view item, std::size_t base, std::size_t at,
                       std::vector<CColumnCompiler::Edit>& edits, CEngineError& error,
                       std::string* defaultExpression = nullptr);
    // A foreign key's text "... REFERENCES parent" with the columns of the
    // parent's primary key written out: SQLite finds only its own keys.
    std::string WithReferencedColumns(const std::string& body);
    // ADD a column GENERATED ... AS IDENTITY (its clause at token `k`).
    bool AddIdentity(std::string_view table, std::string_view item, const Tokens& tokens, std::size_t k,
                     std::size_t at, CEngineError& error);
    bool EditDefinition(std::string_view table, const std::string& sql, CEngineError& error);
    // The column defined by `item` as the catalog records it, with its type
    // and DEFAULT as written.
    bool RecordColumn(std::string_view table, std::string_view item, CEngineError& error);
    // MODIFY column VISIBLE | INVISIBLE.
    bool Visibility(std::string_view table, const std::string& column, bool hidden, std::size_t at,
                    CEngineError& error);
    bool Exec(const std::string& utf8, CEngineError& error, int position = 0);
    bool TableSql(std::string_view table, std::string& sql);
    long long Count(const std::string& utf8);
    // MODIFY of `column` to the type `written`: true, with the server's
    // error, when rows hold values the new type cannot (ORA-01439, 01440, 01441).
    bool Narrows(std::string_view table, const std::string& column, const std::string& written,
                 std::size_t at, CEngineError& error);

    sqlite3* m_db;
    std::string m_table;        // of the column being added
    std::string m_virtualType;  // the type of a virtual column added without one
};
