#pragma once

#include <string>
#include <vector>

#include "commands/CCommand.h"

// ACCEPT variable [NUMBER|CHAR|DATE] [FORMAT f] [DEFAULT d]
// [PROMPT text|NOPROMPT] [HIDE]: asks the user for a value and defines the
// variable with it.
class CAcceptCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
