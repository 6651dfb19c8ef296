#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A reader of one JSON text (UTF-8): each call skips the blanks before
// what it reads. Values are handed out as views of the text.
class CJsonReader {
public:
    explicit CJsonReader(std::string_view text) : m_text(text) {}

    void Blanks();
    bool AtEnd();
    // The next byte after blanks, '\0' at the end.
    char Peek();
    bool Accept(char c);
    // A value: its text, or false when the text is no JSON there.
    bool Value(std::string_view& out);
    // A string's content, unescaped (UTF-8), appended to `out`.
    bool String(std::string& out);
    // A number, true, false or null: its text.
    bool Atom(std::string_view& out);
    // A member's name written without quotes (letters, digits, "_", "$";
    // no digit first), as the server's lax syntax takes it.
    bool BareName(std::string_view& out);

private:
    std::string_view Word();
    bool Hex(unsigned& out);
    bool Unicode(std::string& out);
    bool Skip();

    std::string_view m_text;
    std::size_t m_at = 0;
};
