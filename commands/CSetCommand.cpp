#include "commands/CSetCommand.h"

#include "commands/SetOptions.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "text/Cp932.h"

// Note: the value is the text after the option's word, leading blanks left
// out and trailing ones kept, so that a value with trailing text is refused
// by its setter rather than cut.
CScriptLines CSetCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::string& text = args.Arg(0);
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return CScriptLines(MessageText(Message::UnknownCommand));
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string word = text.substr(start, end - start);
    const SetOption* option = setoptions::FindForSet(cp932::ToUpper(word));
    if (option == nullptr) return CScriptLines(FormatText(MessageText(Message::SetUnavailable), word));
    const std::size_t valueStart = std::min(text.find_first_not_of(' ', end), text.size());
    const std::string value = cp932::ToUpper(std::string_view(text).substr(valueStart));
    if (value.empty()) return CScriptLines(setoptions::Usage(*option));
    return option->setter(context, *option, value);
}
