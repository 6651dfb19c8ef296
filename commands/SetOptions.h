#pragma once

#include <span>
#include <string>

#include "interpreter/Messages.h"
#include "text/CScriptLines.h"

class CCommandContext;
struct SetOption;

// Stores `value` (upper-cased, not empty) for `option`, or answers why it
// cannot; may act on the session.
using OptionSetter = CScriptLines (*)(CCommandContext& context, const SetOption& option,
                                      const std::string& value);

// One option of SET and SHOW.
struct SetOption {
    const char* name;
    // The shortest form SET takes (any longer start of the name serves too);
    // SHOW takes any word that begins with it. Null: the name only.
    const char* abbreviation;
    // The line that answers a SET without a value or with one it refuses;
    // a "%s" in it stands for the name in lower case.
    Message usage;
    // The value before any SET; null: the option is not listed until set.
    const char* defaultValue;
    OptionSetter setter;
};

namespace setoptions {

std::span<const SetOption> Rows();

// The row SET names with `word` (upper-cased); null when none.
const SetOption* FindForSet(const std::string& word);
// The row SHOW names with `word` (upper-cased); null when none.
const SetOption* FindForShow(const std::string& word);

// True when `word` (upper-cased) names an option other Oracle consoles
// have and this one has not (TAB, SQLPROMPT, ...), whole or by its short
// form: SET answers that it is not available and goes on.
bool IsOtherConsolesOption(const std::string& word);

// The usage line of `option`.
std::string Usage(const SetOption& option);

// Setters the rows share.
CScriptLines SetOnOff(CCommandContext& context, const SetOption& option, const std::string& value);
CScriptLines SetServerOutput(CCommandContext& context, const SetOption& option, const std::string& value);
CScriptLines SetNumWidth(CCommandContext& context, const SetOption& option, const std::string& value);
CScriptLines SetAutoCommit(CCommandContext& context, const SetOption& option, const std::string& value);
// A single character, or ON (the option's own character) or OFF.
CScriptLines SetCharacter(CCommandContext& context, const SetOption& option, const std::string& value);
CScriptLines SetLockWait(CCommandContext& context, const SetOption& option, const std::string& value);
// An option of the report layout (CReportSettings); SHOW shows its value as
// the layout holds it.
CScriptLines SetReportOption(CCommandContext& context, const SetOption& option, const std::string& value);
CScriptLines SetArraySize(CCommandContext& context, const SetOption& option, const std::string& value);
CScriptLines SetLong(CCommandContext& context, const SetOption& option, const std::string& value);
// ON only: blank lines are always kept inside a statement.
CScriptLines SetSqlBlankLines(CCommandContext& context, const SetOption& option, const std::string& value);

}  // namespace setoptions
