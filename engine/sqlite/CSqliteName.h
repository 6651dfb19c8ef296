#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A name of the server as SQLite keeps it, and back. The server's quoted
// names keep their case ("Mixed", "mixed" and MIXED are three names), while
// SQLite finds a name in any case of its ASCII letters. A name without a
// lower-case ASCII letter (every unquoted one) is kept as it stands, so the
// common name costs nothing; in any other each lower-case letter is written
// as a caret and the letter in upper case: "Mixed" is kept as M^I^X^E^D.
// The spelling holds no lower-case ASCII letter, so two names that differ in
// case never meet in SQLite; and it reads back to one name only, for a
// caret before an upper-case letter is no part of a name a statement may
// give (Reserved).
//
// Statements are spelled as a whole before they are read (SpellNames): every
// quoted name in them stands for its spelling from then on, so the engine
// keeps, finds and compares names as SQLite does; what the user is shown is
// read back (NameOf, UnspellNames).
//
// Names are CP932: a trail byte of a double-byte character is never read as
// a letter.
class CSqliteName {
public:
    // The byte that marks a lower-case letter in a spelling.
    static constexpr char kMark = '^';

    // True when `name` is its own spelling: it holds no lower-case ASCII
    // letter outside a double-byte character.
    static bool IsPlain(std::string_view name);
    // The spelling SQLite keeps `name` by; a spelling is its own.
    static std::string Spelling(std::string_view name);
    // The server's name `spelling` stands for, in `name`; false when
    // `spelling` holds no mark: `name` is then `spelling` as it stands.
    static bool NameOf(std::string_view spelling, std::string& name);
    static std::string NameOf(std::string_view spelling);
    // True when `name` holds a mark before an upper-case letter, which would
    // read back as a lower-case letter: no statement may give it.
    static bool Reserved(std::string_view name);
    // The spelling of `name` as an identifier of SQLite's statements.
    static std::string Quoted(std::string_view name);

    // The statement `text` (CP932) with each quoted name in it spelled; the
    // rest as it stands. False (and `out` untouched) when no quoted name
    // changes.
    static bool SpellNames(std::string_view text, std::string& out);
    // The first quoted name of `text` (CP932) that holds a Reserved name:
    // where it starts; npos when none does.
    static std::size_t ReservedAt(std::string_view text);
    // The offset in `typed` of the byte at `offset` of SpellNames(`typed`).
    static std::size_t TypedOffset(std::string_view typed, std::size_t offset);
    // `text` with each quoted name read back (NameOf): a spelled statement
    // as the user wrote it.
    static std::string UnspellNames(std::string_view text);
    // A result column's heading as the user wrote it: a name read back, or
    // an expression's text with its quoted names so.
    static std::string Heading(std::string_view heading);
};
