#pragma once

#include <string>
#include <string_view>

// The SQL/JSON paths the embedded engine reads: "$", then member steps
// (.name, ."name") and array steps ([n]); a path of rows (JSON_TABLE's)
// may end in [*]. The server's other steps are refused by name rather than
// answered wrong: filters ?(...), item methods (.size(), .number(), ...),
// wildcards elsewhere (.*, [*]), ranges and lists ([1 to 3], [0, 2],
// [last]), descendants (..name) and the STRICT mode.
class CJsonPathCheck {
public:
    enum class Outcome { Read, Refused, Malformed };
    struct Verdict {
        Outcome outcome = Outcome::Read;
        std::string what;  // a refused step, named for the user
    };
    // `path`: the text of the path literal, without its quotes.
    static Verdict Check(std::string_view path, bool rows);

private:
    static bool Member(std::string_view path, std::size_t& at);
    static Verdict Bracket(std::string_view path, std::size_t& at, bool rows);
};
