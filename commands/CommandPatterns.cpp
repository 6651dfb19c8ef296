#include "commands/CommandPatterns.h"

#include "commands/CClearCommand.h"
#include "commands/CColumnCommand.h"
#include "commands/CConnectCommand.h"
#include "commands/CDefineCommand.h"
#include "commands/CDescribeCommand.h"
#include "commands/CDisconnectCommand.h"
#include "commands/CExecuteCommand.h"
#include "commands/CExitCommand.h"
#include "commands/CPrintCommand.h"
#include "commands/CPromptCommand.h"
#include "commands/CRerunCommand.h"
#include "commands/CSetCommand.h"
#include "commands/CShowCommand.h"
#include "commands/CShowErrorsCommand.h"
#include "commands/CVariableCommand.h"
#include "commands/CWheneverCommand.h"
#include "interpreter/CCommandSet.h"

namespace commandpatterns {
namespace {

// Note: a pattern fits any text that begins with it, so a longer form must
// not follow a shorter one it would never reach, and the rows that take
// any SET or SHOW come after every other row of their word.
constexpr CommandRow kRows[] = {
    {"CONNECT %s/%s@%s", CommandOf<CConnectCommand>, nullptr},
    {"CONNECT %s/%s", CommandOf<CConnectCommand>, nullptr},
    {"DISCONNECT", CommandOf<CDisconnectCommand>, nullptr},
    {"EXIT", CommandOf<CExitCommand>, nullptr},
    {"DESC %s", CommandOf<CDescribeCommand>, nullptr},
    {"DESCRIBE %s", CommandOf<CDescribeCommand>, nullptr},
    {"VAR %s", CommandOf<CVariableCommand>, nullptr},
    {"VARIABLE %s", CommandOf<CVariableCommand>, nullptr},
    {"EXEC %s", CommandOf<CExecuteCommand>, nullptr},
    {"EXECUTE %s", CommandOf<CExecuteCommand>, nullptr},
    {"PRINT %s", CommandOf<CPrintCommand>, nullptr},
    {"CLEAR SCREEN", CommandOf<CClearCommand>, "SCREEN"},
    {"CLEAR COL", CommandOf<CClearCommand>, "COLUMNS"},
    {"COL %s FORMAT %s", CommandOf<CColumnCommand>, nullptr},
    {"COLUMN %s FORMAT %s", CommandOf<CColumnCommand>, nullptr},
    {"DEF %s=%s", CommandOf<CDefineCommand>, nullptr},
    {"DEFINE %s=%s", CommandOf<CDefineCommand>, nullptr},
    {"/", CommandOf<CRerunCommand>, nullptr},
    {"PROMPT %s", CommandOf<CPromptCommand>, nullptr},
    {"PROMPT", CommandOf<CPromptCommand>, nullptr},
    {"WHENEVER SQLERROR %s", CommandOf<CWheneverCommand>, "SQLERROR"},
    {"WHENEVER OSERROR %s", CommandOf<CWheneverCommand>, "OSERROR"},
    {"SHOW ERRORS %s", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ERRORS", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ERR %s", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ERR", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ALL", CommandOf<CShowCommand>, "ALL"},
    {"SHOW USER", CommandOf<CShowCommand>, "USER"},
    // Note: every option of SET and SHOW is a row of the option table.
    {"SET %s", CommandOf<CSetCommand>, nullptr},
    {"SHOW %s", CommandOf<CShowCommand>, nullptr},
};

}  // namespace

std::span<const CommandRow> Rows() { return kRows; }

}  // namespace commandpatterns
