#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

// Errors in the server's form: "ORA-nnnnn: " and a Japanese message (CP932)
// naming the object at fault.
//
// The engine's functions raise errors as UTF-8 text made by ForFunction,
// which carries the code and the statement position; Translate turns every
// other message of the engine (SQLite's own, in English) into the server's
// code and a Japanese text, so that no English text leaves the engine.
class COraError {
public:
    // What the statement did, where a message alone cannot tell the server's
    // code (a foreign key fails as a missing parent or as an existing child).
    enum class Action { Other, Insert, Update, Delete };

    // "ORA-nnnnn: text" in CP932, the text of `code` with %1, %2, ... replaced
    // by `args` (CP932).
    static std::string Text(int code, std::initializer_list<std::string_view> args = {});
    static void Set(CEngineError& error, int code, std::initializer_list<std::string_view> args = {},
                    int position = -1);

    // UTF-8 error text for sqlite3_result_error; `position` -1 when unknown.
    static std::string ForFunction(int code, std::initializer_list<std::string_view> utf8Args = {},
                                   int position = -1);

    // Rewrites `error` (as the engine left it, CP932) into the server's form.
    // Messages made by Text or ForFunction keep their code and text.
    static void Translate(CEngineError& error, Action action = Action::Other);
};
