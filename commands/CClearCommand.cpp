#include "commands/CClearCommand.h"

#include <string_view>

#include "commands/CColumnCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"

namespace {

void ClearScreen(CCommandContext& context) {
    if (context.GetHost() != nullptr) context.GetHost()->SendCommand(CConsoleHost::Command::Clear);
}

void ClearColumns(CCommandContext& context) { context.Command<CColumnCommand>().ClearColumns(); }

struct ClearTarget {
    const char* name;
    void (*clear)(CCommandContext& context);
};

constexpr ClearTarget kTargets[] = {
    {"SCREEN", ClearScreen},
    {"COLUMNS", ClearColumns},
};

}  // namespace

CScriptLines CClearCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::string_view what = args.fixed != nullptr ? args.fixed : "";
    for (const auto& target : kTargets)
        if (what == target.name) target.clear(context);
    return {};
}
