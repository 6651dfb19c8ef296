#include "commands/CShowCommand.h"

#include "commands/CConnectCommand.h"
#include "commands/CSpoolCommand.h"
#include "commands/SetOptions.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "interpreter/Version.h"
#include "oracle/ODatabase.h"

namespace {

using Shown = CScriptLines (*)(CCommandContext& context);

struct FixedShow {
    const char* name;
    Shown show;
};

// Note: the session names its user (SYS after AS SYSDBA, the operating
// system's user after CONNECT /); an engine without users keeps the name
// CONNECT was given.
CScriptLines ShowUser(CCommandContext& context) {
    std::string user;
    if (context.IsConnected() && context.GetDatabase() != nullptr) {
        user = context.GetDatabase()->GetSessionUser();
        if (user.empty()) user = context.Command<CConnectCommand>().GetUser();
    }
    return CScriptLines(FormatText(MessageText(Message::ShowUser), user));
}

CScriptLines ShowRelease(CCommandContext&) {
    return CScriptLines(FormatText(MessageText(Message::ShowRelease), version::kRelease));
}

// Note: the same line SPOOL alone answers.
CScriptLines ShowSpool(CCommandContext& context) {
    return CScriptLines(context.Command<CSpoolCommand>().GetFile().Status());
}

// SHOW rows whose fixed argument names what they show.
constexpr FixedShow kFixedShows[] = {
    {"USER", ShowUser},
    {"RELEASE", ShowRelease},
    {"SPOOL", ShowSpool},
};

}  // namespace

CScriptLines CShowCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    if (args.fixed != nullptr && std::string_view(args.fixed) == "ALL") return ShowAllOptions(context);
    for (const auto& row : kFixedShows)
        if (args.fixed != nullptr && std::string_view(args.fixed) == row.name) return row.show(context);
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
