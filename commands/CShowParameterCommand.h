#pragma once

#include <string>

#include "commands/CCommand.h"

// SHOW PARAMETER[S] [name]: the parameters in force whose names contain
// `name` (all without it), with their types and values, read from
// V$PARAMETER in the order of their names.
class CShowParameterCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
