#pragma once

#include <string>
#include <string_view>

#include "engine/sqlite/CJsonPath.h"

// The SQL/JSON paths the embedded engine reads (see CJsonPath for the
// steps): "$", then member steps (.name, ."name") and array steps ([n]),
// in lax mode; a path that may find several values (JSON_EXISTS, JSON_QUERY
// WITH WRAPPER, the rows of JSON_TABLE) may hold wildcards (.*, [*])
// anywhere. The server's other steps are refused by name rather than
// answered wrong: filters ?(...), item methods (.size(), .number(), ...),
// wildcards where one value is read, ranges and lists ([1 to 3], [0, 2],
// [last]), descendants (..name) and the STRICT mode.
class CJsonPathCheck {
public:
    enum class Outcome { Read, Refused, Malformed };
    struct Verdict {
        Outcome outcome = Outcome::Read;
        std::string what;  // a refused step, named for the user
    };
    enum class Reads { One, Rows, Many };
    // `path`: the text of the path literal (CP932), without its quotes.
    static Verdict Check(std::string_view path, Reads reads);

private:
    static Verdict Step(const CJsonPath::Step& step, Reads reads);
};
