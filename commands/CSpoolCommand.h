#pragma once

#include "commands/CCommand.h"
#include "report/CSpoolFile.h"

// SPOOL [file [CREATE|REPLACE|APPEND] | OFF]: every console line from then
// on is copied to the file (the console writes them, see CSQLEditor).
class CSpoolCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CSpoolFile& GetFile() { return m_file; }

private:
    CSpoolFile m_file;
};
