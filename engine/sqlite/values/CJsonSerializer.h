#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct sqlite3;

// JSON text written out again: compact, or PRETTY (a member or element a
// line, indented two blanks a level, "key" : value, an object or array
// that is a member's value opening on the line after its key), with
// non-ASCII characters as \uXXXX escapes when ASCII is asked. Strings are
// written with the escapes JSON needs and no others; numbers as written.
class CJsonSerializer {
public:
    struct Options {
        bool pretty = false;
        bool ascii = false;
    };
    // False when `json` (UTF-8) is no JSON text. Note: member names without
    // quotes are taken, as the server's lax syntax takes them.
    static bool Write(std::string_view json, Options options, std::string& out);
    // The longest start of `text` (UTF-8) that is at most `limit` CP932
    // bytes (characters when `chars`), whole characters only.
    static std::string Cut(std::string_view text, std::size_t limit, bool chars);
    // Registers ORA_JSON_TEXT(json, options, limit, chars): `json` written
    // with the options ('P' pretty, 'A' ascii, 'T' truncate to the limit;
    // 0 for none); NULL for NULL, text that is no JSON, or a text over the
    // limit that is not to be cut.
    static bool Register(sqlite3* db);
};
