#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Console lines kept without their long runs of blanks: a query result pads
// every value to its column's width, which for wide columns holding short
// values would take memory in proportion to the widths rather than to the
// values. A run of at least kMinRun blanks is held as a NUL byte and its
// length (7 bits a byte, low bits first, the high bit set on all but the
// last); a NUL byte of the text as a NUL byte and length 0. Lines are padded
// again when they are read.
namespace compactline {

constexpr std::size_t kMinRun = 8;

// Appends `count` blanks to an encoded line.
void AppendBlanks(std::string& encoded, std::size_t count);
// Appends plain text to an encoded line.
void AppendText(std::string& encoded, std::string_view text);

std::string Encode(std::string_view plain);
// `line` replaced by its encoding; a line without a NUL or a long run of
// blanks is its own encoding and is left as it is.
void EncodeInPlace(std::string& line);
std::string Decode(std::string_view encoded);
// Appends the decoded line to `plain`.
void AppendDecoded(std::string_view encoded, std::string& plain);
// Bytes of the decoded line.
std::size_t DecodedSize(std::string_view encoded);

}  // namespace compactline
