#pragma once

// PL/SQL: when the triggers of a table fire, in the server's order.
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/plsql/CTriggerDefinition.h"

class CBlockHost;
class CSqliteConnection;
struct sqlite3_context;
struct sqlite3_value;

// A DML statement on a table with triggers runs them in this order: its
// BEFORE STATEMENT triggers, then for each row the BEFORE ROW triggers, the
// row and the AFTER ROW triggers, and last its AFTER STATEMENT triggers.
// Triggers of one timing fire in the order they were created, each BEFORE
// ROW trigger seeing the :NEW values the one before it set.
//
// The statement triggers are run around the statement (Begin, End); the row
// triggers by one SQLite trigger a table, event and timing, which hands the
// row to TARVEX_ROW. A row whose :NEW values a BEFORE ROW trigger set is
// written with them: an INSERT's row is inserted anew by that SQLite trigger
// and the first one skipped, an UPDATE's row is written again before its
// AFTER ROW triggers run.
class CTriggerFiring {
public:
    // The SQL functions of the row triggers.
    static void Register(CSqliteConnection& connection);
    // The SQLite triggers of `table` made anew from its enabled row
    // triggers in the catalog; false with the connection's error.
    static bool Rebuild(CBlockHost& host, const std::string& table);
    // The SQLite triggers of `table` dropped (before its definition changes).
    static void Drop(CSqliteConnection& connection, const std::string& table);
    // SQLite triggers of files written before this road, made anew.
    static void Upgrade(CBlockHost& host);

    // Before DML statement `sql`: its BEFORE STATEMENT triggers. A statement
    // with statement triggers is undone whole when one of them fails (a
    // savepoint when `outermost`). False with the failure in `error`; End
    // is then not to be called.
    // `bulk`: an execution of FORALL (its INSERT ... VALUES is no single row).
    static bool Begin(CBlockHost& host, const std::string& sql, bool outermost, CEngineError& error,
                      bool bulk = false);
    // After it (`ran`: the statement succeeded): its AFTER STATEMENT
    // triggers; false when the statement or one of them failed.
    static bool End(CBlockHost& host, bool ran, CEngineError& error);
    // Whether `table` (CP932) has BEFORE ROW UPDATE triggers: its rows may be
    // written again with the :NEW values they set, after RETURNING read them.
    static bool RewritesUpdates(CSqliteConnection& connection, const std::string& table);
    // Whether `name` (CP932) is a view with INSTEAD OF triggers.
    static bool HasInsteadOf(CSqliteConnection& connection, const std::string& name);
    // The columns an UPDATE statement sets, upper case (CP932).
    static std::vector<std::string> UpdatedColumns(const std::string& sql);

private:
    static void Row(sqlite3_context* context, int count, sqlite3_value** values);
    static void NewValue(sqlite3_context* context, int count, sqlite3_value** values);
    static void NewPending(sqlite3_context* context, int count, sqlite3_value** values);
    static void NewDone(sqlite3_context* context, int count, sqlite3_value** values);
    // TARVEX_TRIGGER_ORDER(source): the FOLLOWS and PRECEDES of a trigger's
    // source as a JSON array of [type, trigger] pairs (USER_TRIGGER_ORDERING).
    static void Ordering(sqlite3_context* context, int count, sqlite3_value** values);
    // Runs the statement triggers of the innermost statement at `timing`.
    static bool FireStatement(CBlockHost& host, const std::string& timing, CEngineError& error);
};
