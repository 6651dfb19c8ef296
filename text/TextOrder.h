#pragma once

#include <string_view>

// The order of texts as the database character set (AL32UTF8) sorts them in
// binary: by Unicode code point. The program holds CP932 bytes, whose byte
// order differs from code point order wherever a multibyte character is
// involved ("佐藤" < "高橋" by code point, the other way by bytes).
namespace textorder {

// Negative, zero or positive as `a` sorts before, with or after `b`. Texts
// compare by their characters' code points; a byte sequence that is not a
// CP932 character sorts after every character, by its bytes. Two different
// byte strings never compare equal: texts whose characters map to the same
// code points (CP932's duplicate codes) are told apart by their bytes.
int Compare(std::string_view a, std::string_view b);

inline bool Less(std::string_view a, std::string_view b) { return Compare(a, b) < 0; }

}  // namespace textorder
