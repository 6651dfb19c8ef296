#pragma once

// PL/SQL: stored procedures and functions kept in the file with their source.
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineTypes.h"

struct sqlite3;

// The units live in TARVEX_UNITS (name, type, source as USER_SOURCE shows
// it, VALID or INVALID), their compile errors in TARVEX_UNIT_ERRORS and
// their parameters in TARVEX_UNIT_ARGUMENTS. The tables are made when a
// connection opens a file it may write (CREATE TABLE IF NOT EXISTS), so
// that the dictionary views always find them. Names are upper case (CP932).
class CUnitCatalog {
public:
    struct Unit {
        std::string name;
        std::string type;  // PROCEDURE, FUNCTION
        std::string source;
        bool valid = true;
    };
    struct Error {
        int line = 0;
        int position = 0;
        std::string text;
    };
    // A row of USER_ARGUMENTS: a parameter, or a function's result
    // (position 0); of a package's member when `package` is set.
    struct Argument {
        std::string name;  // "" for a function's result
        std::string type;
        std::string mode;  // IN, OUT, IN/OUT
        std::string object;
        std::string package;
        int overload = 0;  // 1, 2, ... among members of one name; 0 for none
        int position = 0;
        int sequence = 0;
    };

    // A trigger's row in TARVEX_TRIGGERS (its source is a unit of type TRIGGER).
    struct Trigger {
        std::string name;
        std::string table;
        std::string type;   // BEFORE EACH ROW ...
        std::string event;  // INSERT OR UPDATE ...
        std::string when;
        bool enabled = true;
    };

    static bool Install(sqlite3* db);
    // The columns a file written by an earlier version lacks, added.
    static bool Upgrade(sqlite3* db);
    // The USER_ARGUMENTS rows of `unit` removed before it is stored anew.
    static bool ForgetArguments(sqlite3* db, const Unit& unit, CEngineError& error);
    // What unit `name` of `type` refers to (USER_DEPENDENCIES).
    static bool StoreDependencies(sqlite3* db, const std::string& name, const std::string& type,
                                  const std::vector<std::pair<std::string, std::string>>& references,
                                  CEngineError& error);
    static bool StoreTrigger(sqlite3* db, const Trigger& trigger, CEngineError& error);
    static bool FindTrigger(sqlite3* db, const std::string& name, Trigger& trigger);
    // The names of the triggers of `table` (upper case, CP932).
    static std::vector<std::string> TriggersOf(sqlite3* db, const std::string& table);
    static bool DropTrigger(sqlite3* db, const std::string& name, CEngineError& error);
    // Replaces the unit of that name with `unit`, its errors and arguments.
    static bool Store(sqlite3* db, const Unit& unit, const std::vector<Error>& errors,
                      const std::vector<Argument>& arguments, CEngineError& error);
    // A unit compiled again without errors: VALID, its errors gone.
    static bool SetValid(sqlite3* db, const std::string& name, const std::string& type, CEngineError& error);
    // `type` "" finds any unit of the name but a package body.
    static bool Find(sqlite3* db, const std::string& name, Unit& unit, const std::string& type = {});
    // False when there was no unit of that name and type.
    static bool Drop(sqlite3* db, const std::string& name, const std::string& type, CEngineError& error);
    static std::vector<std::string> Functions(sqlite3* db);
    // Whether another type or a table's column is made of the type `name` (DROP and REPLACE
    // then need FORCE).
    static bool HasTypeDependents(sqlite3* db, const std::string& name);
    // DROP TYPE ... FORCE: the columns made of the type go with it, for
    // good, as the server marks them UNUSED (in the caller's transaction).
    static bool DropTypedColumns(sqlite3* db, const std::string& name, CEngineError& error);
};
