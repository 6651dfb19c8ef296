#pragma once

#include "commands/CCommand.h"

// DISCONNECT: commits and closes the session.
class CDisconnectCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
};
