#pragma once

#include "commands/CCommand.h"

// DESCRIBE name: the columns of a table or view, with NOT NULL and the type.
class CDescribeCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
