#include "commands/CommandPatterns.h"

#include "commands/CAcceptCommand.h"
#include "commands/CBreakCommand.h"
#include "commands/CBufferCommand.h"
#include "commands/CClearCommand.h"
#include "commands/CColumnCommand.h"
#include "commands/CConnectCommand.h"
#include "commands/CDefineCommand.h"
#include "commands/CDescribeCommand.h"
#include "commands/CDisconnectCommand.h"
#include "commands/CExecuteCommand.h"
#include "commands/CExitCommand.h"
#include "commands/CPauseCommand.h"
#include "commands/CPrintCommand.h"
#include "commands/CPromptCommand.h"
#include "commands/CScriptCommand.h"
#include "commands/CSetCommand.h"
#include "commands/CShowCommand.h"
#include "commands/CShowErrorsCommand.h"
#include "commands/CShowParameterCommand.h"
#include "commands/CShowSgaCommand.h"
#include "commands/CSpoolCommand.h"
#include "commands/CTitleCommand.h"
#include "commands/CUndefineCommand.h"
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
    {"CONNECT %s@%s", CommandOf<CConnectCommand>, "ASK"},
    {"CONNECT %s", CommandOf<CConnectCommand>, "ASK"},
    {"CONNECT", CommandOf<CConnectCommand>, "ASK"},
    {"DISCONNECT", CommandOf<CDisconnectCommand>, nullptr},
    {"EXIT %s", CommandOf<CExitCommand>, nullptr},
    {"EXIT", CommandOf<CExitCommand>, nullptr},
    {"QUIT %s", CommandOf<CExitCommand>, nullptr},
    {"QUIT", CommandOf<CExitCommand>, nullptr},
    {"DESC %s", CommandOf<CDescribeCommand>, nullptr},
    {"DESCRIBE %s", CommandOf<CDescribeCommand>, nullptr},
    {"VAR %s", CommandOf<CVariableCommand>, nullptr},
    {"VARIABLE %s", CommandOf<CVariableCommand>, nullptr},
    {"EXEC %s", CommandOf<CExecuteCommand>, nullptr},
    {"EXECUTE %s", CommandOf<CExecuteCommand>, nullptr},
    {"PRINT %s", CommandOf<CPrintCommand>, nullptr},
    {"CLEAR %s", CommandOf<CClearCommand>, nullptr},
    {"CLEAR", CommandOf<CClearCommand>, nullptr},
    {"COLUMN %s", CommandOf<CColumnCommand>, nullptr},
    {"COL %s", CommandOf<CColumnCommand>, nullptr},
    {"COLUMN", CommandOf<CColumnCommand>, nullptr},
    {"COL", CommandOf<CColumnCommand>, nullptr},
    {"BREAK %s", CommandOf<CBreakCommand>, "BREAK"},
    {"BRE %s", CommandOf<CBreakCommand>, "BREAK"},
    {"BREAK", CommandOf<CBreakCommand>, "BREAK"},
    {"BRE", CommandOf<CBreakCommand>, "BREAK"},
    {"COMPUTE %s", CommandOf<CBreakCommand>, "COMPUTE"},
    {"COMP %s", CommandOf<CBreakCommand>, "COMPUTE"},
    {"COMPUTE", CommandOf<CBreakCommand>, "COMPUTE"},
    {"COMP", CommandOf<CBreakCommand>, "COMPUTE"},
    {"TTITLE %s", CommandOf<CTitleCommand>, "TTITLE"},
    {"TTI %s", CommandOf<CTitleCommand>, "TTITLE"},
    {"TTITLE", CommandOf<CTitleCommand>, "TTITLE"},
    {"TTI", CommandOf<CTitleCommand>, "TTITLE"},
    {"BTITLE %s", CommandOf<CTitleCommand>, "BTITLE"},
    {"BTI %s", CommandOf<CTitleCommand>, "BTITLE"},
    {"BTITLE", CommandOf<CTitleCommand>, "BTITLE"},
    {"BTI", CommandOf<CTitleCommand>, "BTITLE"},
    {"REPHEADER %s", CommandOf<CTitleCommand>, "REPHEADER"},
    {"REPH %s", CommandOf<CTitleCommand>, "REPHEADER"},
    {"REPHEADER", CommandOf<CTitleCommand>, "REPHEADER"},
    {"REPH", CommandOf<CTitleCommand>, "REPHEADER"},
    {"REPFOOTER %s", CommandOf<CTitleCommand>, "REPFOOTER"},
    {"REPF %s", CommandOf<CTitleCommand>, "REPFOOTER"},
    {"REPFOOTER", CommandOf<CTitleCommand>, "REPFOOTER"},
    {"REPF", CommandOf<CTitleCommand>, "REPFOOTER"},
    {"SPOOL %s", CommandOf<CSpoolCommand>, nullptr},
    {"SPO %s", CommandOf<CSpoolCommand>, nullptr},
    {"SPOOL", CommandOf<CSpoolCommand>, nullptr},
    {"SPO", CommandOf<CSpoolCommand>, nullptr},
    {"DEF %s=%s", CommandOf<CDefineCommand>, nullptr},
    {"DEFINE %s=%s", CommandOf<CDefineCommand>, nullptr},
    {"DEF %s", CommandOf<CDefineCommand>, nullptr},
    {"DEFINE %s", CommandOf<CDefineCommand>, nullptr},
    {"DEFINE", CommandOf<CDefineCommand>, nullptr},
    {"DEF", CommandOf<CDefineCommand>, nullptr},
    {"UNDEF %s", CommandOf<CUndefineCommand>, nullptr},
    {"UNDEFINE %s", CommandOf<CUndefineCommand>, nullptr},
    {"ACC %s", CommandOf<CAcceptCommand>, nullptr},
    {"ACCEPT %s", CommandOf<CAcceptCommand>, nullptr},
    {"PAUSE %s", CommandOf<CPauseCommand>, nullptr},
    {"PAUSE", CommandOf<CPauseCommand>, nullptr},
    {"/", CommandOf<CBufferCommand>, "SLASH"},
    {"LIST %s", CommandOf<CBufferCommand>, "LIST"},
    {"LIST", CommandOf<CBufferCommand>, "LIST"},
    {"L %s", CommandOf<CBufferCommand>, "LIST"},
    {"L", CommandOf<CBufferCommand>, "LIST"},
    {"RUN", CommandOf<CBufferCommand>, "RUN"},
    {"R", CommandOf<CBufferCommand>, "RUN"},
    {"CHANGE %s", CommandOf<CBufferCommand>, "CHANGE"},
    {"C %s", CommandOf<CBufferCommand>, "CHANGE"},
    {"C/%s", CommandOf<CBufferCommand>, "CHANGE/"},
    {"C.%s", CommandOf<CBufferCommand>, "CHANGE."},
    {"APPEND %s", CommandOf<CBufferCommand>, "APPEND"},
    {"A %s", CommandOf<CBufferCommand>, "APPEND"},
    {"INPUT %s", CommandOf<CBufferCommand>, "INPUT"},
    {"I %s", CommandOf<CBufferCommand>, "INPUT"},
    {"INPUT", CommandOf<CBufferCommand>, "INPUT"},
    {"I", CommandOf<CBufferCommand>, "INPUT"},
    {"DEL %s", CommandOf<CBufferCommand>, "DEL"},
    {"DEL", CommandOf<CBufferCommand>, "DEL"},
    {"SAVE %s", CommandOf<CBufferCommand>, "SAVE"},
    {"SAV %s", CommandOf<CBufferCommand>, "SAVE"},
    {"GET %s", CommandOf<CBufferCommand>, "GET"},
    {"EDIT", CommandOf<CBufferCommand>, "EDIT"},
    {"ED", CommandOf<CBufferCommand>, "EDIT"},
    {"@@%s", CommandOf<CScriptCommand>, "NESTED"},
    {"@%s", CommandOf<CScriptCommand>, nullptr},
    {"START %s", CommandOf<CScriptCommand>, nullptr},
    {"STA %s", CommandOf<CScriptCommand>, nullptr},
    {"PROMPT %s", CommandOf<CPromptCommand>, nullptr},
    {"PROMPT", CommandOf<CPromptCommand>, nullptr},
    {"WHENEVER SQLERROR %s", CommandOf<CWheneverCommand>, "SQLERROR"},
    {"WHENEVER OSERROR %s", CommandOf<CWheneverCommand>, "OSERROR"},
    {"SHOW ERRORS %s", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ERRORS", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ERR %s", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW ERR", CommandOf<CShowErrorsCommand>, nullptr},
    {"SHOW PARAMETERS %s", CommandOf<CShowParameterCommand>, nullptr},
    {"SHOW PARAMETER %s", CommandOf<CShowParameterCommand>, nullptr},
    {"SHOW PARAM %s", CommandOf<CShowParameterCommand>, nullptr},
    {"SHOW PARAMETERS", CommandOf<CShowParameterCommand>, nullptr},
    {"SHOW PARAMETER", CommandOf<CShowParameterCommand>, nullptr},
    {"SHOW PARAM", CommandOf<CShowParameterCommand>, nullptr},
    {"SHOW SGA", CommandOf<CShowSgaCommand>, nullptr},
    {"SHOW ALL", CommandOf<CShowCommand>, "ALL"},
    {"SHOW USER", CommandOf<CShowCommand>, "USER"},
    {"SHOW REL", CommandOf<CShowCommand>, "RELEASE"},
    {"SHOW SPO", CommandOf<CShowCommand>, "SPOOL"},
    // Note: every option of SET and SHOW is a row of the option table.
    {"SET %s", CommandOf<CSetCommand>, nullptr},
    {"SHOW %s", CommandOf<CShowCommand>, nullptr},
};

}  // namespace

std::span<const CommandRow> Rows() { return kRows; }

}  // namespace commandpatterns
