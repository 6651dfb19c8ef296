#include "commands/CPromptCommand.h"

CScriptLines CPromptCommand::Run(CCommandContext&, const CCommandArgs& args) {
    return CScriptLines(args.typed.empty() ? std::string() : args.typed[0]);
}
