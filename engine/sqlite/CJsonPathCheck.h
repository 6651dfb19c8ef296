#pragma once

#include <string>
#include <string_view>

// The SQL/JSON paths the embedded engine reads: "$", then member steps
// (.name, ."name") and array steps ([n]); a path of rows (JSON_TABLE's)
// may end in [*], and a path that may find several values (JSON_EXISTS,
// JSON_QUERY WITH WRAPPER) may hold wildcards (.*, [*]) anywhere. The
// server's other steps are refused by name rather than answered wrong:
// filters ?(...), item methods (.size(), .number(), ...), wildcards where
// one value is read, ranges and lists ([1 to 3], [0, 2], [last]),
// descendants (..name) and the STRICT mode.
class CJsonPathCheck {
public:
    enum class Outcome { Read, Refused, Malformed };
    struct Verdict {
        Outcome outcome = Outcome::Read;
        std::string what;  // a refused step, named for the user
    };
    enum class Reads { One, Rows, Many };
    // `path`: the text of the path literal, without its quotes.
    static Verdict Check(std::string_view path, Reads reads);

private:
    static bool Member(std::string_view path, std::size_t& at);
    static Verdict Bracket(std::string_view path, std::size_t& at, Reads reads);
};
