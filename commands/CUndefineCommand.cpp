#include "commands/CUndefineCommand.h"

#include "commands/CDefineCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/StatementHead.h"

CScriptLines CUndefineCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    CDefineCommand& defines = context.Command<CDefineCommand>();
    std::size_t at = 0;
    for (std::string_view name; !(name = statementhead::NextWord(args.Arg(0), at)).empty();)
        defines.Undefine(std::string(name));
    return {};
}
