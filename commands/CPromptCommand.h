#pragma once

#include "commands/CCommand.h"

// PROMPT text: the text after the command word, as typed.
class CPromptCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
