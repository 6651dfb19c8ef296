#pragma once

// Values: the server's character functions that count bytes or map
// characters, and the sizes of values.
struct sqlite3;

// Called by the text CSqlEmitter writes; NULL in, NULL out. Text arrives in
// UTF-8; bytes are counted in CP932, the database's character set:
//   ORA_SUBSTRB(s, position [, length])   bytes of s, a character cut at
//       either end becoming a blank
//   ORA_INSTRB(s, sub [, position [, occurrence]])   the byte position of a
//       match (backwards from the end for a negative position)
//   ORA_TRANSLATE(s, from, to)   each character of `from` replaced by the
//       one at its place in `to`, or removed when `to` is shorter
//   ORA_SOUNDEX(s)               the letter and three digits of the sound
//   ORA_ASCIISTR(s)              non-ASCII characters as \XXXX (UTF-16)
//   ORA_UNISTR(s)                \XXXX (UTF-16) as its character, '?' for
//       one CP932 lacks; \\ a backslash
//   ORA_VSIZE_NUMBER(n)          the bytes of the server's NUMBER form
//   ORA_SYS_GUID()               16 random bytes, as 32 hex digits
class CCharacterFunctions {
public:
    static bool Register(sqlite3* db);
};
