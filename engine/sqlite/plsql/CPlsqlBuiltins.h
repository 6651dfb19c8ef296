#pragma once

// PL/SQL: the members of the server's packages scripts use (DBMS_UTILITY,
// DBMS_RANDOM, DBMS_LOCK and DBMS_SESSION), by name, with their arguments.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlValue.h"

class CPlsqlBuiltins {
public:
    enum class Id {
        GetTime,
        ErrorStack,
        ErrorBacktrace,
        RandomValue,
        RandomString,
        RandomNormal,
        RandomSeed,
        Sleep
    };

    struct Member {
        const char* package;
        const char* name;
        Id id;
        int minArgs;
        int maxArgs;
        bool procedure;
    };

    // The member `package.name` (upper case), null when there is none; `known`
    // tells whether the package is one of these.
    static const Member* Find(const std::string& package, const std::string& name, bool& known);

    // What a call needs from its block: the exception being handled (its
    // message and "ORA-06512" lines), the session's random numbers, the
    // cancel test.
    struct Context {
        std::string errorStack;
        std::string backtrace;
        std::mt19937_64* random = nullptr;
        std::function<bool()> cancelled;
    };
    // False with the ORA code of the failure in `code`.
    static bool Call(Id id, const std::vector<CPlsqlValue>& args, Context& context, CPlsqlValue& out,
                     int& code);
};
