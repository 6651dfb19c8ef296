#pragma once

#include "commands/CCommand.h"

// CLEAR what ...: each word names what is cleared (BREAKS, BUFFER,
// COLUMNS, COMPUTES, SCREEN, SQL, TIMING); nothing is cleared when one of
// them is not understood.
class CClearCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
