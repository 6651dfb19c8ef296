#pragma once

#include <string>
#include <string_view>

// Statements are compiled with their words in upper case, as the server reads
// unquoted names; what the user wrote is kept for the texts the dictionary
// shows back (a unit's source, a view's query, a CHECK condition). A scope
// holds both forms of the statement that runs; the upper-case one has the
// same length, so a piece of it names the same bytes of the typed one.
class CTypedText {
public:
    // The text with every byte outside quoted literals and quoted names in
    // upper case (ASCII and the double-byte letters of CP932), its quoted
    // names spelled as SQLite keeps them (CSqliteName).
    static std::string UpperWords(std::string_view text);
    // False when UpperWords would change nothing.
    static bool NeedsUpper(std::string_view text);

    class Scope {
    public:
        Scope(std::string_view upper, std::string_view typed);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        std::string_view m_upper;
        std::string_view m_typed;
        std::string m_spelled;
        Scope* m_outer;
        friend class CTypedText;
    };

    // `piece` as the user typed it: a piece of (or a copy of a piece of) the
    // upper-case text of a running statement; otherwise `piece` itself.
    static std::string Typed(std::string_view piece);
};
