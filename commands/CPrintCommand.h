#pragma once

#include <string>

#include "commands/CCommand.h"

// PRINT name: the value of a bind variable; a cursor variable prints its
// rows as a query result.
class CPrintCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines PrintVariable(CCommandContext& context, const std::string& name);
};
