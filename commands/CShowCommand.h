#pragma once

#include "commands/CCommand.h"
#include "interpreter/CHashTable.h"

// SHOW option: "NAME value" of the option whose short form begins the word;
// SHOW ALL: every option set, in the order first set.
class CShowCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    // "NAME value" of the option stored under `key` (exactly as stored).
    static CScriptLines ShowOption(const CHashTable& settings, const std::string& key);
    CScriptLines ShowAllOptions(const CCommandContext& context) const;
    CScriptLines ShowUser(CCommandContext& context) const;
};
