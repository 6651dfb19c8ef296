#include "commands/CClearCommand.h"

#include <string_view>
#include <vector>

#include "commands/CBreakCommand.h"
#include "commands/CBufferCommand.h"
#include "commands/CColumnCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/TextParse.h"
#include "text/Cp932.h"

namespace {

void ClearScreen(CCommandContext& context) {
    if (context.GetHost() != nullptr) context.GetHost()->SendCommand(CConsoleHost::Command::Clear);
}

void ClearColumns(CCommandContext& context) { context.Command<CColumnCommand>().ClearColumns(); }

void ClearBreaks(CCommandContext& context) { context.Command<CBreakCommand>().GetBreaks().ClearBreaks(); }

void ClearComputes(CCommandContext& context) { context.Command<CBreakCommand>().GetBreaks().ClearComputes(); }

void ClearBuffer(CCommandContext& context) { context.Command<CBufferCommand>().Clear(); }

// Note: the console keeps no timers, so there are none to clear.
void ClearTiming(CCommandContext&) {}

struct ClearTarget {
    const char* name;
    // The fewest letters that name it.
    std::size_t shortest;
    void (*clear)(CCommandContext& context);
};

constexpr ClearTarget kTargets[] = {
    {"BREAKS", 3, ClearBreaks},     {"BUFFER", 4, ClearBuffer}, {"COLUMNS", 3, ClearColumns},
    {"COMPUTES", 4, ClearComputes}, {"SCREEN", 3, ClearScreen}, {"SQL", 3, ClearBuffer},
    {"TIMING", 4, ClearTiming},
};

const ClearTarget* FindTarget(const std::string& word) {
    for (const auto& target : kTargets)
        if (word.size() >= target.shortest && std::string_view(target.name).starts_with(word)) return &target;
    return nullptr;
}

}  // namespace

CScriptLines CClearCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::vector<std::string> words = textparse::SplitWords(args.Arg(0));
    if (words.empty()) return CScriptLines(MessageText(Message::ClearUsage));
    std::vector<const ClearTarget*> targets;
    for (const auto& word : words) {
        const ClearTarget* target = FindTarget(cp932::ToUpper(word));
        if (target == nullptr) return CScriptLines(FormatText(MessageText(Message::ClearUnknown), word));
        targets.push_back(target);
    }
    for (const ClearTarget* target : targets) target->clear(context);
    return {};
}
