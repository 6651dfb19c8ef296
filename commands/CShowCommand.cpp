#include "commands/CShowCommand.h"

#include "commands/SetOptions.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"

CScriptLines CShowCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (args.fixed != nullptr && std::string_view(args.fixed) == "ALL") return ShowAllOptions(context);
    const std::string text = textparse::TrimBlanks(args.Arg(0));
    const SetOption* option = setoptions::FindForShow(text.substr(0, text.find(' ')));
    if (option == nullptr) return CScriptLines(MessageText(Message::ShowUnknown));
    return ShowOption(context.GetSettings(), option->name);
}

CScriptLines CShowCommand::ShowOption(const CHashTable& settings, const std::string& key) {
    const std::string* value = settings.Find(key);
    if (value == nullptr) return CScriptLines(MessageText(Message::ShowUnknown));
    return CScriptLines(key + " " + *value);
}

CScriptLines CShowCommand::ShowAllOptions(const CCommandContext& context) const {
    CScriptLines keys;
    context.GetSettings().GetKeys(keys);
    CScriptLines out;
    for (const auto& key : keys) out.push_back(key + " " + context.GetSettings().Lookup(key));
    return out;
}
