#pragma once

// Values: the longest VARCHAR2 a built-in function gives, in CP932 bytes.
#include <string_view>

// 4000 bytes in SQL; 32767 while a PL/SQL expression is computed (the
// engine computes a block's calls of built-in functions as SQL, inside a
// Scope). Kept per thread: a statement runs on the thread that steps it.
class CTextLimit {
public:
    static constexpr long kSql = 4000;
    static constexpr long kPlsql = 32767;

    // The limit of the expression being computed.
    static long Bytes();
    // True when UTF-8 `text` takes at most Bytes() bytes in CP932.
    static bool Fits(std::string_view text);
    // The bytes UTF-8 `text` takes in CP932 (two for a character it lacks).
    static long Cp932Bytes(std::string_view text);

    // Sets the limit for its lifetime.
    class Scope {
    public:
        explicit Scope(long bytes);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        long m_saved;
    };
};
