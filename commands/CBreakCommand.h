#pragma once

#include "commands/CCommand.h"
#include "report/CBreakSet.h"

// BREAK and COMPUTE (the row's fixed argument says which): the groups of
// query results and the figures under them, or their listing.
class CBreakCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CBreakSet& GetBreaks() { return m_breaks; }

private:
    CBreakSet m_breaks;
};
