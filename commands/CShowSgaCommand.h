#pragma once

#include "commands/CCommand.h"

// SHOW SGA: the size of the system global area and of each of its parts,
// in bytes, read from V$SGA in its order, the total first.
class CShowSgaCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
