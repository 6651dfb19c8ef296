#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small text helpers of the report commands and the report layout. Text is
// CP932: every width counts bytes, and no double-byte character is split.
namespace reporttext {

// The words of a command's arguments: blanks separate them; a word in
// single or double quotes keeps its blanks and its case (a doubled quote
// stands for one), and comes back without its quotes. `quoted` (when given)
// tells which words were quoted.
std::vector<std::string> Words(std::string_view text, std::vector<bool>* quoted = nullptr);

// True when `word` is `full`, or a prefix of it at least `minimum` bytes
// long (SKIP, NODUP for NODUPLICATES, ...). Both upper case.
bool IsAbbreviation(std::string_view word, std::string_view full, std::size_t minimum);

// The longest head of `text` of at most `width` bytes that ends between
// characters.
std::size_t FitBytes(std::string_view text, std::size_t width);

// `text` cut to `width` (between characters) and padded with blanks to it,
// on the right (left-aligned), left (right-aligned) or both (centred).
enum class Align { Left, Center, Right };
void AppendAligned(std::string& line, std::string_view text, std::size_t width, Align align);

// The pieces of `text` of at most `width` bytes each: cut at the width
// (between characters), or with `atWords` at the last blank that fits,
// blanks at the cut dropped. At least one piece ("" for "").
std::vector<std::string_view> Wrap(std::string_view text, std::size_t width, bool atWords);

// An integer that is the whole of `text` (blanks around it allowed); false
// for anything else or a value outside [minimum, maximum].
bool ParseInt(std::string_view text, int minimum, int maximum, int& value);

// `text` in quotes, with a quote inside doubled: 'It''s'.
std::string Quoted(std::string_view text);

}  // namespace reporttext
