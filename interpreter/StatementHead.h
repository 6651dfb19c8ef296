#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// The leading words of a SQL statement, which decide how it ends.
namespace statementhead {

// How a statement is terminated.
enum class Ending {
    Semicolon,        // at a line that ends with ";" (or a line holding only "/")
    Slash,            // blocks and stored program units: only at a line holding only "/"
    SemicolonOrSlash  // CREATE TYPE without a body: at ";", and a "/" after it belongs to it
};

// The first `count` words of `code` (text whose quotes and comments are
// blanks), upper-cased; a word is a run of letters, digits, _ $ # and
// double-byte characters.
// Where `code` goes on after the block labels (<<name>>) at `i`, and the blanks around them.
std::size_t SkipLabels(std::string_view code, std::size_t i);
std::vector<std::string> FirstWords(std::string_view code, std::size_t count);
// The next word of `code` from byte `i` on, as it stands (empty when there
// is none); `i` moves past it.
std::string_view NextWord(std::string_view code, std::size_t& i);

// The words after CREATE [OR REPLACE] with the words that only qualify the
// object (EDITIONABLE, NONEDITIONABLE, EDITIONING, FORCE, NOFORCE) left out;
// other statements come back as they are.
std::vector<std::string> ObjectWords(std::span<const std::string> words);

Ending EndingOf(std::span<const std::string> words);

// `copy` (upper-cased) with the qualifying words after CREATE [OR REPLACE]
// turned into blanks, so that one template serves every spelling.
std::string BlankQualifiers(std::string copy);

// True when `line` holds only "/" (blanks and tabs around it allowed).
bool IsSlashLine(std::string_view line);

}  // namespace statementhead
