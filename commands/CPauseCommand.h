#pragma once

#include "commands/CCommand.h"

// PAUSE [text]: shows the text and waits for Enter where someone can press it.
class CPauseCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
