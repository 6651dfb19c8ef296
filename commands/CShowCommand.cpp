#include "commands/CShowCommand.h"

#include "commands/CConnectCommand.h"
#include "commands/SetOptions.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"

CScriptLines CShowCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (args.fixed != nullptr && std::string_view(args.fixed) == "ALL") return ShowAllOptions(context);
    if (args.fixed != nullptr && std::string_view(args.fixed) == "USER") return ShowUser(context);
    const std::string text = textparse::TrimBlanks(args.Arg(0));
    const SetOption* option = setoptions::FindForShow(text.substr(0, text.find(' ')));
    if (option == nullptr) return CScriptLines(MessageText(Message::ShowUnknown));
    return ShowOption(context.GetSettings(), option->name);
}

// Note: the session names its user (SYS after AS SYSDBA, the operating
// system's user after CONNECT /); an engine without users keeps the name
// CONNECT was given.
CScriptLines CShowCommand::ShowUser(CCommandContext& context) const {
    std::string user;
    if (context.IsConnected() && context.GetDatabase() != nullptr) {
        user = context.GetDatabase()->GetSessionUser();
        if (user.empty()) user = context.Command<CConnectCommand>().GetConnectUser();
    }
    return CScriptLines(FormatText(MessageText(Message::ShowUser), user));
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
