#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Finds the "&name" references of a statement and what replaces them.
// A name is the run of letters, digits, "_", "$" and "#" after the prefix ("&&name": the value is kept for
// later statements); the concatenation character right after a name ends it and goes too; the escape
// character before a prefix makes it plain text.
class CSubstitution {
public:
    struct Rules {
        char prefix = '&';  // 0: no substitution
        char concat = '.';  // 0: none
        char escape = 0;    // 0: none
    };

    // One replacement: `length` bytes at `start` become `value`.
    struct Edit {
        std::size_t start;
        std::size_t length;
        std::string value;
    };

    // Gives the value of `name` (as typed); `keep`: it was written with a
    // doubled prefix. False when it has none.
    using Resolver = std::function<bool(const std::string& name, bool keep, std::string& value)>;

    // The edits of `text` in order. A reference without a value ends the
    // search (false, its name in `missing`); with `missing` null it stays
    // as typed and the search goes on.
    static bool Find(std::string_view text, const Rules& rules, const Resolver& resolve,
                     std::vector<Edit>& edits, std::string* missing);
    // `text` with `edits` (from Find on a text of the same byte positions)
    // made.
    static std::string Apply(std::string_view text, const std::vector<Edit>& edits);

    // What substitution may add to a statement at most; references past it
    // stay as typed.
    static constexpr std::size_t kMaxGrowth = 16 * 1024 * 1024;
};
