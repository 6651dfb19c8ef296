#pragma once

#include "commands/CCommand.h"

// EXIT: commits, closes the session and asks the host to close; when the
// commit fails, the error report comes back and nothing closes.
class CExitCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    // True when the last EXIT did not close because its commit failed.
    bool IsExitRefused() const { return m_exitRefused; }

private:
    bool m_exitRefused = false;
};
