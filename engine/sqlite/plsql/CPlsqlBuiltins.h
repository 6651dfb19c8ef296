#pragma once

// PL/SQL: the members of the server's packages scripts use (DBMS_UTILITY,
// DBMS_RANDOM, DBMS_LOCK, DBMS_SESSION, DBMS_LOB's writing calls and
// UTL_RAW, DBMS_STATS, DBMS_MVIEW), by name, with their arguments.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/plsql/CPlsqlType.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"

struct sqlite3;

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
        Sleep,
        LobAppend,
        LobWriteAppend,
        LobCreateTemporary,
        LobFreeTemporary,
        RawFromText,
        RawToText,
        RawLength,
        StatsGatherTable,
        StatsGatherSchema,
        StatsDeleteTable,
        StatsDeleteSchema,
        MviewRefresh,
        NoOp
    };

    struct Member {
        const char* package;
        const char* name;
        Id id;
        int minArgs;
        int maxArgs;
        bool procedure;
        // The first argument is IN OUT (a LOB locator the call changes).
        bool writesFirst;
        // The parameters' names in order, by commas, for calls that name
        // them (name => value); null when none may be named.
        const char* params = nullptr;
    };

    // The type `name` of these packages (DBMS_OUTPUT.CHARARR,
    // DBMSOUTPUT_LINESARRAY, upper case); null when there is none.
    static std::shared_ptr<CPlsqlType> Type(const std::string& name);
    // The member `package.name` (upper case), null when there is none; `known`
    // tells whether the package is one of these.
    static const Member* Find(const std::string& package, const std::string& name, bool& known);
    static const Member& Of(Id id);
    // Whether argument `index` of `member` is a BOOLEAN (DBMS_STATS's
    // CASCADE ...); the others take a NUMBER, a text, a DATE or a LOB. A null
    // `member` is DBMS_OUTPUT's, whose arguments are all texts.
    static bool TakesBoolean(const Member* member, std::size_t index);
    // The value of the package constant `package.name` (DBMS_LOB.SESSION ...);
    // null when there is none.
    static const CPlsqlValue* Constant(const std::string& package, const std::string& name);

    // What a call needs from its block: the exception being handled (its
    // message and "ORA-06512" lines), the session's random numbers, the
    // cancel test.
    struct Context {
        std::string errorStack;
        std::string backtrace;
        std::mt19937_64* random = nullptr;
        std::function<bool()> cancelled;
        // The file, for the members that read or keep what it holds.
        sqlite3* db = nullptr;
        // DBMS_MVIEW.REFRESH of the views a list names.
        std::function<bool(const std::string&, CEngineError&)> refresh;
        // The failure's text when it is not the code's own.
        std::string message;
    };
    // False with the ORA code of the failure in `code`. A member that
    // writesFirst leaves the new value of its first argument in args[0].
    static bool Call(Id id, std::vector<CPlsqlValue>& args, Context& context, CPlsqlValue& out, int& code);

private:
    static bool CallLobOrRaw(Id id, std::vector<CPlsqlValue>& args, CPlsqlValue& out, int& code);
    static bool CallStatistics(Id id, std::vector<CPlsqlValue>& args, Context& context, int& code);
};
