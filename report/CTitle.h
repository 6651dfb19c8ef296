#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A page title (TTITLE or BTITLE): pieces of text placed on the left, in
// the centre or on the right of its lines, with the page number where
// SQL.PNO stands.
class CTitle {
public:
    explicit CTitle(std::string command) : m_command(std::move(command)) {}

    // The command with the text after its word: "" lists the title, ON
    // and OFF switch it, anything else replaces it. The answering lines.
    std::vector<std::string> Command(std::string_view arguments);
    bool IsOn() const { return m_on && !m_pieces.empty(); }
    // The command word the title is set by (TTITLE, BTITLE, ...).
    const std::string& GetCommand() const { return m_command; }
    void Clear();

    // The value of a substitution variable by name; false when there is none.
    using Variables = std::function<bool(const std::string& name, std::string& value)>;

    // The title's lines for page `page`, laid out on `width` bytes; a word
    // not in quotes that names a variable shows its value.
    std::vector<std::string> Render(int page, int width, const Variables* variables = nullptr) const;
    // How many lines Render gives.
    int LineCount() const;

private:
    enum class Kind { Text, PageNumber, Left, Center, Right, Skip, Column, Tab };
    struct Piece {
        Kind kind;
        std::string text;
        int count = 0;
        bool variable = false;  // a word not in quotes
    };

    std::string m_command;
    std::vector<Piece> m_pieces;
    std::string m_typed;
    bool m_on = false;
};
