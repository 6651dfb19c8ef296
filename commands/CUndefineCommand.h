#pragma once

#include "commands/CCommand.h"

// UNDEFINE name ...: forgets substitution variables (an unknown name is
// passed over).
class CUndefineCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
