#pragma once

#include <cstddef>
#include <string>

#include "commands/CCommand.h"

// The statement buffer: the last SQL statement or PL/SQL block, as typed
// without its terminator, with a current line. LIST, RUN, "/", n, n text,
// CHANGE, APPEND, INPUT, DEL, CLEAR BUFFER, SAVE, GET and EDIT act on it;
// the row's fixed argument names the action.
class CBufferCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;

    // Keeps the lines of a SQL statement that is about to run.
    void Keep(const CScriptLines& statement);
    const CScriptLines& GetLines() const { return m_lines; }
    // The current line, from 1; 0 when the buffer is empty.
    std::size_t GetCurrent() const { return m_current; }
    // "n", "n text": true when `text` is such a line command; its answer
    // goes to `out`.
    bool RunLineNumber(const std::string& text, CScriptLines& out);

    // The actions, by the rows' fixed argument.
    CScriptLines List(const std::string& range);
    CScriptLines Change(const std::string& text);
    CScriptLines Append(const std::string& text);
    CScriptLines Input(const std::string& text);
    CScriptLines Delete(const std::string& range);
    CScriptLines Clear();
    CScriptLines Save(const std::string& text);
    CScriptLines Get(CCommandContext& context, const std::string& text);
    CScriptLines Edit(CCommandContext& context);
    // RUN (listed first) and "/": runs the buffer as a statement.
    CScriptLines RunBuffer(CCommandContext& context, bool list);

    // True after INPUT without text: the lines typed next go into the
    // buffer, after the current line, until TakeInputLine ends it.
    bool IsTakingInput() const { return m_takingInput; }
    // One line typed while taking input: an empty line or "." ends it; "/"
    // ends it and runs the buffer, as does a line ending in ";" (kept
    // without it); any other line goes in as typed.
    CScriptLines TakeInputLine(CCommandContext& context, const std::string& line);
    void EndInput() { m_takingInput = false; }

private:
    // One listed line: number, "*" on the current line, the text.
    std::string Listed(std::size_t number) const;
    // Lines `first`..`last` (from 1) of a range: "", n, "m n", "*", "LAST"
    // and "m LAST"/"m *"; false when it names no line of the buffer.
    bool ReadRange(const std::string& range, std::size_t& first, std::size_t& last) const;

    CScriptLines m_lines;
    std::size_t m_current = 0;
    bool m_takingInput = false;

    void InsertAfterCurrent(const std::string& line);
};
