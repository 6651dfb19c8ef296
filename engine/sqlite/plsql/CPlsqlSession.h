#pragma once

// PL/SQL: what one connection keeps between blocks (compiled stored units).
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlType.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"
#include "engine/sqlite/plsql/CTriggerDefinition.h"

struct CPlsqlPackage;
struct CPlsqlUnit;

// The functions and procedures a query declares in its WITH clause,
// compiled for that query alone; `id` names them in the query's SQL.
struct CWithUnits {
    unsigned long id = 0;
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> units;
};

// Stored units compiled once and kept until the schema changes; the unit
// being compiled, so that a unit may call itself.
struct CPlsqlSession {
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> units;
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> compiling;
    // The statements run so far.
    unsigned long statement = 0;
    // The enabled triggers of each table, in the order they fire.
    std::map<std::string, std::vector<CTriggerDefinition>> tableTriggers;
    // Whether the file has any trigger: -1 until looked at.
    int anyTriggers = -1;
    // A DML statement being run: its table, event ('I', 'U', 'D'; 0 for
    // none), the columns an UPDATE sets, and the savepoint that undoes it
    // with what its statement triggers did.
    struct DmlScope {
        std::string table;
        char event = 0;
        std::vector<std::string> columns;
        bool columnsKnown = false;
        bool statementTriggers = false;
        bool savepoint = false;
        bool began = false;
        // One of the events of a MERGE after its first: ended with it.
        bool part = false;
        // An INSERT ... VALUES of one row: its table is not mutating.
        bool singleRow = false;
    };
    std::vector<DmlScope> scopes;
    // The :NEW row the BEFORE ROW triggers of a row left, until the row is
    // written with it (see CTriggerFiring).
    struct RowFrame {
        std::string table;
        std::vector<CPlsqlValue> row;
        bool changed = false;
        bool rewriting = false;
    };
    std::vector<RowFrame> frames;
    // The depth of triggers running, and the rows inserted anew at each
    // depth (counted as rows of the statement that ran there).
    std::size_t firing = 0;
    // The tables whose row triggers are running: mutating, their rows out
    // of reach of the SQL run meanwhile (ORA-04091).
    std::vector<std::string> mutating;
    std::vector<long> redirected;
    // The triggers running now: one that fires again inside itself runs a
    // compiled copy of its own (its statements are running).
    std::map<std::string, int> running;
    // DBMS_RANDOM's numbers for the session.
    std::mt19937_64 random{std::random_device{}()};
    // Packages compiled, and each one's state for the session (its
    // variables, made when the session first uses it).
    std::map<std::string, std::shared_ptr<CPlsqlPackage>> packages;
    std::map<std::string, std::vector<CPlsqlDatum>> states;
    // The schema's types compiled, and the ones being compiled (a type that
    // names itself, through others, is not compiled forever).
    std::map<std::string, std::shared_ptr<CPlsqlType>> types;
    std::set<std::string> typesCompiling;
    // The WITH units of the queries still open (each held by its query),
    // and the ones that calls are resolved among now.
    std::map<unsigned long, std::weak_ptr<CWithUnits>> withUnits;
    unsigned long withNext = 0;
    std::shared_ptr<CWithUnits> local;
    void Forget() {
        units.clear();
        types.clear();
        packages.clear();
        tableTriggers.clear();
        anyTriggers = -1;
    }
};
