#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Script files as people write them: CP932, or UTF-8 (with or without a
// byte-order mark), turned into the program's CP932 text on reading.
namespace scripttext {

enum class Encoding { Auto, Cp932, Utf8 };

// Marks a character of a UTF-8 script that CP932 cannot hold (SUB, which no
// script text holds).
constexpr char kUnheldMark = '\x1A';

// Reads "cp932" / "utf-8" (any case; "sjis", "shift_jis", "utf8" too).
bool ParseEncoding(std::string_view name, Encoding& out);

// The CP932 text of a script file's bytes. Auto reads UTF-8 when the bytes
// start with a UTF-8 byte-order mark, or are valid UTF-8 holding multi-byte
// sequences; anything else is taken as CP932, as is.
// UTF-8 that is not well-formed is refused: false, with its 1-based line in
// `badLine`. A character CP932 cannot hold becomes kUnheldMark followed by
// its code point ("U+00DF"), so that the statement holding it is refused
// when it runs and nothing is replaced in silence.
bool Decode(std::string_view bytes, Encoding encoding, std::string& cp932, std::size_t& badLine);

// The CP932 message for a script refused at `line`.
std::string RefusalText(std::size_t line);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

}  // namespace scripttext
