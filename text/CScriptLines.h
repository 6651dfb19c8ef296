#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/ScriptText.h"

// The program's line list: every list of lines (console lines, history,
// statement lines, tables, the output of a command) is one of these. Lines
// carry no line-end characters.
class CScriptLines : public std::vector<std::string> {
public:
    // A message raised while expanding "@" lines; it belongs before the
    // expanded line at `position` (at the end when `position` is the size).
    struct Notice {
        std::size_t position;
        std::string text;
    };

    CScriptLines() = default;
    explicit CScriptLines(const std::string& line) { push_back(line); }
    CScriptLines(std::initializer_list<std::string> lines) : std::vector<std::string>(lines) {}

    // Appends all lines of `other`, in order.
    void Append(const CScriptLines& other) { insert(end(), other.begin(), other.end()); }

    // All lines with one line feed (0x0A) between consecutive lines; "" when empty.
    std::string Join() const;

    // Replaces every line "@NAME" by the lines of the file NAME (opened as
    // given, relative to the current directory), expanding "@" lines of the
    // included files in turn, and copies the result into `result`. A file
    // that cannot be read, a file that would include itself (directly or
    // through others) and nesting deeper than the limit bring no lines but a
    // notice at that place.
    // Included files are read by `encoding` (see scripttext::Decode); one
    // that cannot be converted brings no lines but a notice naming its line.
    CScriptLines& ExpandIncludes(CScriptLines& result);
    // At most `maxLines` lines (of the list and its files, "@" lines
    // counted) are visited; past them, or past kMaxExpandedBytes, expansion
    // stops with a notice.
    CScriptLines& ExpandIncludes(CScriptLines& result, std::vector<Notice>& notices,
                                 scripttext::Encoding encoding = scripttext::Encoding::Auto,
                                 std::size_t maxLines = kMaxExpandedLines);

    // True when ExpandIncludes gives `line` back alone, as it is and without
    // a notice: it is no "@" line and within the bytes one expansion visits.
    static bool ExpandsToItself(const std::string& line);

    // Removes the element at `index` (if there is one), then inserts the
    // lines of the file `path` there, in file order. False when the file
    // cannot be read.
    bool IncludeFile(const std::string& path, std::size_t index);

    // The lines of a text file: lines end at LF or CR LF, and a last line
    // without a line end is still read. False when it cannot be read.
    static bool ReadFile(const std::string& path, CScriptLines& out);

    // The prompt that starts every typed line of a saved console.
    static constexpr std::string_view kConsolePrompt = "SQL> ";
    // A saved console (a list with a line that begins with the prompt)
    // keeps only its prompted lines, without the prompt: output shown in an
    // earlier session is never run again, nor the idle prompt it ends with.
    // Other lists are scripts and keep every line.
    void KeepTypedLines();

    // The lines of a script file, decoded by `encoding`, with only the typed
    // lines kept when it is a saved console.
    enum class ReadResult { Ok, CannotOpen, Unconvertible };
    static ReadResult ReadScript(const std::string& path, CScriptLines& out, scripttext::Encoding encoding,
                                 std::size_t& badLine);
    // Appends the lines of `text` (LF or CR LF ends a line; a last line
    // without one still counts).
    void AppendText(std::string_view text);

    // Nesting limit of "@" inclusions.
    static constexpr std::size_t kMaxIncludeDepth = 32;
    // Lines and bytes one expansion visits at most: scripts that include
    // others several times multiply.
    static constexpr std::size_t kMaxExpandedLines = 10'000'000;
    static constexpr std::size_t kMaxExpandedBytes = std::size_t{512} << 20;
};
