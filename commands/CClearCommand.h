#pragma once

#include "commands/CCommand.h"

// CLEAR what: the row's fixed argument names what is cleared (SCREEN,
// COLUMNS).
class CClearCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
