#pragma once

#include "commands/CCommand.h"

// SET option value: the option found in the option table by its name or
// a short form of it, the value handed to the option's setter. An option
// the table does not hold answers one line naming it.
class CSetCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
