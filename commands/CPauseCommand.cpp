#include "commands/CPauseCommand.h"

#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"

CScriptLines CPauseCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (context.GetHost() != nullptr) context.GetHost()->WaitForEnter(args.Typed(0));
    return CScriptLines(args.Typed(0));
}
