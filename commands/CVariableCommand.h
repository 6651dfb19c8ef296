#pragma once

#include <string>

#include "commands/CCommand.h"

// VARIABLE name type[(length)]: declares a bind variable; VARIABLE name
// alone prints it.
class CVariableCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines DeclareVariable(CCommandContext& context, const std::string& text);
};
