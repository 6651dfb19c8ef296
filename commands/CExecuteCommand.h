#pragma once

#include <string>

#include "commands/CCommand.h"

// EXECUTE statement: runs "BEGIN statement; END;".
class CExecuteCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    // The last block EXECUTE built.
    const std::string& GetExecBlock() const { return m_execBlock; }

private:
    std::string m_execBlock;
};
