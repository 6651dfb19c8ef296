#pragma once

#include <string>
#include <string_view>

// The text of an object's constructor ("T(1, 'a''b', NULL, U(2))") as the
// document an object is kept as: the JSON array of its attributes, texts
// and numbers as JSON strings, NULL as null, a constructor inside it (an
// object or a collection attribute) as its own array. Bytes above 0x7F
// pass as they are, so CP932 and UTF-8 text are both read whole.
class CConstructorJson {
public:
    // False when `text` is no constructor.
    static bool ToJson(std::string_view text, std::string& json);

private:
    static bool Value(std::string_view text, std::size_t& at, std::string& json, int depth);
    static bool Constructor(std::string_view text, std::size_t& at, std::string& json, int depth);
    static bool Quoted(std::string_view text, std::size_t& at, std::string& json);
    static void SkipBlanks(std::string_view text, std::size_t& at);
};
