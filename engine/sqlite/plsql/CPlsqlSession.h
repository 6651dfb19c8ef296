#pragma once

// PL/SQL: what one connection keeps between blocks (compiled stored units).
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"

struct CPlsqlPackage;
struct CPlsqlUnit;

// Stored units compiled once and kept until the schema changes; the unit
// being compiled, so that a unit may call itself.
struct CPlsqlSession {
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> units;
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> compiling;
    // The statements run so far, and the statement each statement-level
    // trigger last fired for; the :NEW row a BEFORE ROW trigger left.
    unsigned long statement = 0;
    std::map<std::string, unsigned long> firedAt;
    std::vector<CPlsqlValue> newRow;
    bool rewriting = false;
    // A row an INSERT's BEFORE ROW trigger set :NEW for is written again by
    // the trigger with those values, the first one skipped: while it is,
    // BEFORE triggers do not fire twice, and it is counted at the depth of
    // triggers (`firing`) where the INSERT ran.
    bool redirecting = false;
    std::set<std::string> firedBefore;
    std::size_t firing = 0;
    std::vector<long> redirected;
    // DBMS_RANDOM's numbers for the session.
    std::mt19937_64 random{std::random_device{}()};
    // Packages compiled, and each one's state for the session (its
    // variables, made when the session first uses it).
    std::map<std::string, std::shared_ptr<CPlsqlPackage>> packages;
    std::map<std::string, std::vector<CPlsqlDatum>> states;
    void Forget() {
        units.clear();
        packages.clear();
    }
};
