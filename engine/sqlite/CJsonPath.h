#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The steps of an SQL/JSON path's text: "$", then member steps (.name,
// ."name", .*), array steps ([n], [*]) and the steps the server has beyond
// those (filters, item methods, ranges, [last], descendants), each kept
// with its text so that a check can name it. The reader says what the
// text holds; what of it the engine answers is CJsonPathCheck's to say.
class CJsonPath {
public:
    enum class Kind { Member, AnyMember, Element, AnyElement, Filter, Method, Range, Last, Descendants };
    struct Step {
        Kind kind = Kind::Member;
        std::string name;       // a member's, unquoted
        std::size_t index = 0;  // an element's
        std::string text;       // the step as written, for the others
    };
    enum class Mode { Default, Lax, Strict };
    // The path's text is CP932 where a double-byte character's trail byte
    // may look like "[", or UTF-8.
    enum class Encoding { Cp932, Utf8 };

    // False when `path` is no path (the steps then stop where it broke).
    static bool Read(std::string_view path, Encoding encoding, Mode& mode, std::vector<Step>& steps);

private:
    static bool Name(std::string_view path, Encoding encoding, std::size_t& at, std::string& name);
    static bool Bracket(std::string_view path, std::size_t& at, Step& step);
    static bool Dotted(std::string_view path, Encoding encoding, std::size_t& at, Step& step);
};
