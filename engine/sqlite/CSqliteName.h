#pragma once

#include <string>
#include <string_view>

// A name of the server as SQLite keeps it, and back. The server's quoted
// names keep their case ("Mixed", "mixed" and MIXED are three names), while
// SQLite finds a name in any case of its ASCII letters. A name without a
// lower-case ASCII letter (every unquoted one) is kept as it stands, so the
// common name costs nothing; in any other each lower-case letter is written
// as a double quote and the letter in upper case: "Mixed" is kept as
// M"I"X"E"D. No name of the server holds a double quote, so the spelling
// reads back to one name only; and it holds no lower-case ASCII letter, so
// two names that differ in case never meet in SQLite.
//
// Names are CP932: a trail byte of a double-byte character is never read as
// a letter. UTF-8 names pass through unchanged in their multi-byte
// characters, whose bytes are all 0x80 or more.
class CSqliteName {
public:
    // The byte that marks a lower-case letter in a spelling.
    static constexpr char kMark = '"';

    // True when `name` is its own spelling: it holds no lower-case ASCII
    // letter outside a double-byte character.
    static bool IsPlain(std::string_view name);
    // The spelling SQLite keeps `name` by.
    static std::string Spelling(std::string_view name);
    // The server's name `spelling` stands for, in `name`; false when
    // `spelling` is none this class writes (a lower-case letter, or a mark
    // not followed by an upper-case letter, as in a file of an earlier
    // version that kept "Mixed" as typed): `name` is then `spelling` as it
    // stands.
    static bool NameOf(std::string_view spelling, std::string& name);
    // The server's name of what SQLite keeps as `spelling` (NameOf, with the
    // text as it stands for what is no spelling).
    static std::string NameOf(std::string_view spelling);
    // The spelling of `name` as an identifier of SQLite's statements: in
    // double quotes, each double quote of it doubled.
    static std::string Quoted(std::string_view name);
};
