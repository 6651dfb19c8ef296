#pragma once

// PL/SQL: the parser's own records of a name in scope and of a failure,
// shared by the files the parser is written in.
#include <memory>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlParser.h"

struct CPlsqlParser::Failure {
    std::string message;
    CompileError where;
    std::size_t at = 0;
    // The PLS- number (0: an SQL statement's own error).
    int pls = 0;
    // Where the statement it passed over begins (the error's place when none).
    std::size_t order = 0;
};

struct CPlsqlParser::Entry {
    enum class Kind { Variable, Cursor, Exception, Subprogram };
    Kind kind = Kind::Variable;
    int slot = -1;
    int cursor = -1;
    int exception = 0;
    bool constant = false;
    std::string package;  // a package's variable: the package
    // An attribute named bare in an object type's method: the field of SELF (slot 0).
    int field = -1;
    // The unit that declares it: 0 the one compiled, more a local subprogram.
    int level = 0;
    // A local procedure or function: its overloads.
    std::vector<std::shared_ptr<CPlsqlUnit>> units;
    // A variable or cursor whose declaration failed to compile: a use of it
    // is PLS-00320.
    bool malformed = false;
    // A cursor FOR loop's record whose query failed: a use of it is PLS-00364.
    bool loopIndex = false;
};
