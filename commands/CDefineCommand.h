#pragma once

#include <string>

#include "commands/CCommand.h"
#include "interpreter/CHashTable.h"

// DEFINE name = value: a substitution variable, and the substitution of
// "&name" in every statement.
class CDefineCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines Define(const std::string& name, const std::string& value);
    // DEFINE name -> value, in the order first defined.
    const CHashTable& GetDefines() const { return m_defines; }
    // `statement` with every "&name" (found whatever its case, inside
    // quotes too) replaced by its value; `upper`: upper-cased outside
    // quotes first.
    std::string Substitute(const std::string& statement, bool upper) const;

private:
    CHashTable m_defines;
};
