#pragma once

#include <string>
#include <vector>

#include "commands/CCommand.h"
#include "commands/CSubstitution.h"
#include "interpreter/CHashTable.h"

// DEFINE [name [= value]]: the substitution variables, and the
// substitution of "&name" in every statement. A name without a value is
// asked for through the host.
class CDefineCommand : public CCommand {
public:
    CDefineCommand();

    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines Define(const std::string& name, const std::string& value);
    // UNDEFINE: false when `name` was not defined.
    bool Undefine(const std::string& name) { return m_defines.Remove(name); }
    // DEFINE name -> value, in the order first defined (the predefined
    // variables first).
    const CHashTable& GetDefines() const { return m_defines; }

    // The edits that substitute `typed` (a statement as typed), asking the
    // host for names without a value; the lines to show for the asking go
    // to `shown`. False when a name got no value: `shown` then ends with
    // the line that names it, and the statement must not run.
    bool Substitute(CCommandContext& context, const std::string& typed,
                    std::vector<CSubstitution::Edit>& edits, CScriptLines& shown);
    // `statement` with every defined "&name" replaced (undefined ones stay
    // as typed); `upper`: upper-cased outside quotes first.
    std::string Substitute(const std::string& statement, bool upper);
    // The rules the SET options DEFINE, CONCAT and ESCAPE give.
    static CSubstitution::Rules RulesOf(const CCommandContext& context);
    // The predefined variables (_DATE, _USER, ...) brought up to date.
    void RefreshPredefined(CCommandContext& context);

private:
    // One "DEFINE NAME            = "value" (CHAR)" line.
    std::string Listing(const std::string& name) const;

    CHashTable m_defines;
    // The rules as the settings of version m_rulesVersion gave them.
    CSubstitution::Rules m_rules;
    std::size_t m_rulesVersion = 0;
    bool m_rulesKnown = false;
};
