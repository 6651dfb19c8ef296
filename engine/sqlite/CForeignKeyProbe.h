#pragma once

#include <string>

#include "engine/EngineTypes.h"

struct sqlite3;
struct sqlite3_stmt;

// Which foreign key a DML statement broke. SQLite fails such a statement
// without telling which key; the probe runs it once more from the start
// (its binds kept) with the keys checked only at the end, lists the rows
// left without a parent, and undoes it all. A row the statement wrote broke
// its key as a child (2291); an unchanged row lost its parent (2292); a row
// already without a parent before the statement is none of its doing.
//
// A statement that would run PL/SQL again (row triggers, functions it
// calls), whose effects no savepoint undoes, is not run twice: the probe
// then finds nothing.
class CForeignKeyProbe {
public:
    struct Broken {
        int code = 0;      // 2291, 2292; 0 when not found
        std::string name;  // the key's name (UTF-8)
    };

    // `statement` has just failed on a foreign key, in a transaction.
    static Broken Find(sqlite3* db, sqlite3_stmt* statement);
    // After `statement` failed: when a foreign key was the cause and the
    // probe finds which, `error` says so in the server's words.
    static void Name(sqlite3* db, sqlite3_stmt* statement, CEngineError& error);
    // The first key a transaction left broken at its COMMIT (deferred keys),
    // before it is rolled back; "" when none is found (UTF-8).
    static std::string FirstBroken(sqlite3* db);
};
