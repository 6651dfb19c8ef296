#pragma once

#include <span>

class CCommand;
class CCommandSet;

// A row of the command table: a Scan pattern, the command it runs (the
// object of its class in the console's set) and a fixed argument for the
// command (the kind of WHENEVER, what CLEAR clears), else null.
struct CommandRow {
    const char* pattern;
    CCommand& (*command)(CCommandSet& commands);
    const char* fixed;
};

namespace commandpatterns {

// Tried in order; the first pattern a statement fits runs its command.
std::span<const CommandRow> Rows();

}  // namespace commandpatterns
