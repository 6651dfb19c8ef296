#pragma once

#include <string>

#include "text/CScriptLines.h"

class CCommandContext;

// What a command row hands its command: the captures of its pattern,
// upper-cased outside quotes and as typed, and the row's fixed argument.
struct CCommandArgs {
    CScriptLines args;
    CScriptLines typed;
    // The row's fixed argument (the kind of WHENEVER, what CLEAR clears);
    // null when the row has none.
    const char* fixed = nullptr;
    // The whole statement as typed (after substitution).
    std::string statement;
    // The captures again, without the hyphens that continued the command
    // over lines (upper-cased, and as typed).
    CScriptLines joined;
    CScriptLines joinedTyped;

    // Capture n (from 0) upper-cased outside quotes; "" when there is none.
    const std::string& Arg(std::size_t n) const;
    // Capture n as typed; the upper-cased capture when the typed text was
    // not cut (a test calling a command directly).
    const std::string& Typed(std::size_t n) const;
    // Arg and Typed without continuation hyphens; as Arg and Typed when the
    // statement was not cut so.
    const std::string& Joined(std::size_t n) const;
    const std::string& JoinedTyped(std::size_t n) const;
};

// A client command: one object per console, holding the command's own
// state for the life of the console. A row of the command table names the
// class; every row naming it reaches the same object.
class CCommand {
public:
    virtual ~CCommand() = default;
    // The lines to show for one run of the command.
    virtual CScriptLines Run(CCommandContext& context, const CCommandArgs& args) = 0;
};
