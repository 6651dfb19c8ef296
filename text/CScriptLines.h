#pragma once

#include <string>
#include <vector>

// The program's line list: every list of lines (console lines, history,
// statement lines, tables, the output of a command) is one of these. Lines
// carry no line-end characters.
class CScriptLines : public std::vector<std::string> {
public:
    CScriptLines() = default;
    explicit CScriptLines(const std::string& line) { push_back(line); }
    CScriptLines(std::initializer_list<std::string> lines) : std::vector<std::string>(lines) {}

    // Appends all lines of `other`, in order.
    void Append(const CScriptLines& other) { insert(end(), other.begin(), other.end()); }

    // All lines with one line feed (0x0A) between consecutive lines; "" when empty.
    std::string Join() const;
};
