#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqliteDictionary.h"

struct sqlite3;

// Every constraint of every table (keys, foreign keys, NOT NULL and CHECK),
// with its name, state and what enforces it, kept in the catalog table
// TARVEX_CONSTRAINTS: those the table's definition enforces, keys added
// later and enforced by an index, and those set aside by DISABLE. A name the
// system gave one stays its name whatever becomes of the table (a rebuild
// makes its definition anew), as the server keeps it; a CHECK's condition is
// kept as written. The rows of a table are written in the transaction of
// the statement that makes or changes it.
class CConstraintCatalog {
public:
    using Constraint = CSqliteDictionary::Constraint;

    static constexpr const char* kCreate =
        "CREATE TABLE IF NOT EXISTS TARVEX_CONSTRAINTS (CONSTRAINT_NAME VARCHAR2(128) PRIMARY KEY, "
        "TABLE_NAME "
        "VARCHAR2(128) NOT NULL, POSITION INTEGER NOT NULL, CONSTRAINT_TYPE VARCHAR2(1) NOT NULL, COLUMNS "
        "TEXT "
        "NOT NULL, SEARCH_CONDITION TEXT, R_TABLE VARCHAR2(128), R_COLUMNS TEXT, DELETE_RULE VARCHAR2(9), "
        "GENERATED VARCHAR2(14) NOT NULL, STATUS VARCHAR2(8) NOT NULL DEFAULT 'ENABLED', VALIDATED "
        "VARCHAR2(13) NOT NULL DEFAULT 'VALIDATED', \"DEFERRABLE\" VARCHAR2(14) NOT NULL DEFAULT 'NOT "
        "DEFERRABLE', \"DEFERRED\" VARCHAR2(9) NOT NULL DEFAULT 'IMMEDIATE', INDEX_NAME VARCHAR2(128), "
        "OWN_INDEX VARCHAR2(1) NOT NULL DEFAULT 'Y', NOT_NULL_ADDED TEXT NOT NULL DEFAULT '', ENFORCED_BY "
        "VARCHAR2(5) NOT NULL DEFAULT 'TABLE')";

    // Adds the columns of the current version a table of an older file
    // lacks (a new file's table is made with them).
    static bool Extend(sqlite3* db, CEngineError& error);
    // Moves what a file of an earlier version kept in tables of their own
    // (keys added later, CHECK conditions as written, constraints set aside)
    // into the table and drops those tables. Both run in the caller's
    // transaction.
    static bool Upgrade(sqlite3* db, CEngineError& error);
    // Records the constraints a definition was compiled with (see
    // CTableText), after those of their table recorded already; a name
    // another constraint of the file bears is ORA-02264.
    static bool Record(sqlite3* db, const std::vector<Constraint>& constraints, CEngineError& error);
    // Names of the server's form for the constraints of one statement, each
    // new to the file and to the names given before it.
    static std::function<std::string()> Namer(sqlite3* db);
    // Files of an earlier version: every table's constraints recorded under
    // the names they were shown with, read once from the tables' definitions.
    static bool Convert(sqlite3* db, CEngineError& error);
    // The constraints recorded for `table` (upper case, UTF-8) in `out`;
    // false when the catalog holds none for it.
    static bool Read(sqlite3* db, const std::string& table, std::vector<Constraint>& out);
    // The constraint named `name` (UTF-8); false when there is none.
    static bool Find(sqlite3* db, const std::string& name, Constraint& out);
    // Writes `c` (replacing one of its name) after the table's others.
    static bool Write(sqlite3* db, const Constraint& c, CEngineError& error);
    static bool Remove(sqlite3* db, const std::string& name, CEngineError& error);
    // Takes away the constraints of `table` (upper case, UTF-8) that name a
    // column it no longer has (one dropped takes its constraints along).
    static bool Prune(sqlite3* db, const std::string& table, CEngineError& error);
    // DISABLE of a constraint the definition enforced: it is kept here only.
    static bool SetAside(sqlite3* db, const std::string& name, CEngineError& error);
    // VALIDATED: whether the rows there were checked when it was enabled.
    static bool SetValidated(sqlite3* db, const std::string& name, bool validated, CEngineError& error);
    // Records whether the constraint `name` (UTF-8) is DEFERRABLE and INITIALLY DEFERRED.
    static bool SetDeferral(sqlite3* db, const std::string& name, bool deferrable, bool deferred,
                            CEngineError& error);
    // A name of the server's form ("SYS_C" and seven digits) that no
    // constraint of the file bears (UTF-8).
    static std::string NewName(sqlite3* db);
    // The clause that makes `c` again (CP932), as ALTER TABLE ADD takes it.
    static std::string Clause(const Constraint& c);
};
