#include "commands/CSetCommand.h"

#include <vector>

#include "commands/SetOptions.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "text/Cp932.h"

namespace {

// A word of SET's text: where it stands, and whether it is in quotes.
struct Word {
    std::size_t start;
    std::size_t end;
    bool quoted;
};

std::vector<Word> WordsOf(const std::string& text) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char quote = text[i];
        const bool quoted = quote == '\'' || quote == '"';
        // Note: a quoted word runs to its closing quote (a doubled one stays
        // inside), then on to the next blank.
        for (i += quoted ? 1 : 0; i < text.size(); ++i) {
            if (quoted && text[i] == quote && (i + 1 >= text.size() || text[i + 1] != quote)) break;
            if (quoted && text[i] == quote) ++i;
            if (!quoted && text[i] == ' ') break;
        }
        while (i < text.size() && text[i] != ' ') ++i;
        words.push_back({start, i, quoted});
    }
    return words;
}

// One option of the SET and its value text.
struct Setting {
    std::string word;
    const SetOption* option;
    std::string value;
};

bool NamesOption(const std::string& word) {
    const std::string upper = cp932::ToUpper(word);
    return setoptions::FindForSet(upper) != nullptr || setoptions::IsOtherConsolesOption(upper);
}

// Note: a word naming an option starts the next setting once the one before
// has a value, so that "SET ECHO OFF VERIFY OFF" sets both; the last value
// runs to the end of the text, trailing blanks kept, so that a value with
// trailing text is refused by its setter rather than cut.
std::vector<Setting> SettingsOf(const std::string& text) {
    const std::vector<Word> words = WordsOf(text);
    std::vector<Setting> settings;
    std::size_t valueStart = 0;
    std::size_t valueWords = 0;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string word = text.substr(words[k].start, words[k].end - words[k].start);
        const bool starts = k == 0 || (valueWords > 0 && !words[k].quoted && NamesOption(word));
        if (!starts) {
            if (valueWords++ == 0) valueStart = words[k].start;
            continue;
        }
        if (!settings.empty() && valueWords > 0)
            settings.back().value =
                textparse::TrimBlanks(text.substr(valueStart, words[k].start - valueStart));
        settings.push_back({word, setoptions::FindForSet(cp932::ToUpper(word)), {}});
        valueWords = 0;
    }
    if (!settings.empty() && valueWords > 0) settings.back().value = text.substr(valueStart);
    return settings;
}

}  // namespace

// Note: the text is upper-cased outside quotes only, so that a quoted text
// (COLSEP, NULL) keeps its case. An option other consoles have is told
// unavailable and the rest goes on; a value refused ends the command.
CScriptLines CSetCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::vector<Setting> settings = SettingsOf(args.Arg(0));
    if (settings.empty()) return CScriptLines(MessageText(Message::UnknownCommand));
    CScriptLines out;
    for (const auto& setting : settings) {
        if (setting.option == nullptr) {
            out.push_back(FormatText(MessageText(Message::SetUnavailable), setting.word));
            if (!setoptions::IsOtherConsolesOption(cp932::ToUpper(setting.word))) break;
            continue;
        }
        CScriptLines answer = setting.value.empty()
                                  ? CScriptLines(setoptions::Usage(*setting.option))
                                  : setting.option->setter(context, *setting.option, setting.value);
        if (answer.empty()) continue;
        out.Append(answer);
        break;
    }
    return out;
}
