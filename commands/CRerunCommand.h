#pragma once

#include "commands/CCommand.h"

// "/" as a statement of its own: runs the last statement again.
class CRerunCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;

private:
    // Depth of re-runs under way; a re-run inside a re-run is refused.
    int m_rerunDepth = 0;
};
