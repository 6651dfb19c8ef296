#include "commands/CAcceptCommand.h"

#include "commands/CDefineCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/TextParse.h"
#include "text/Cp932.h"

namespace {

enum class Clause { Number, Char, Date, Format, Default, Prompt, NoPrompt, Hide };

// A clause word and the fewest letters that name it.
struct ClauseWord {
    const char* word;
    std::size_t shortest;
    Clause clause;
};

constexpr ClauseWord kClauses[] = {
    {"NUMBER", 3, Clause::Number},     {"CHAR", 4, Clause::Char},       {"DATE", 4, Clause::Date},
    {"FORMAT", 3, Clause::Format},     {"DEFAULT", 3, Clause::Default}, {"PROMPT", 6, Clause::Prompt},
    {"NOPROMPT", 4, Clause::NoPrompt}, {"HIDE", 4, Clause::Hide},
};

bool FindClause(const std::string& word, Clause& clause) {
    const std::string upper = cp932::ToUpper(word);
    for (const auto& row : kClauses)
        if (upper.size() >= row.shortest && std::string_view(row.word).starts_with(upper))
            return clause = row.clause, true;
    return false;
}

struct Request {
    std::string name;
    std::string prompt;
    std::string defaultValue;
    bool hasDefault = false;
    bool number = false;
    bool hidden = false;
};

// Reads the clauses after the name; false when one is not understood.
bool ReadClauses(const std::vector<std::string>& words, Request& request) {
    for (std::size_t k = 1; k < words.size(); ++k) {
        Clause clause;
        if (!FindClause(words[k], clause)) return false;
        const bool takesValue =
            clause == Clause::Format || clause == Clause::Default || clause == Clause::Prompt;
        if (takesValue && k + 1 >= words.size()) return false;
        switch (clause) {
            case Clause::Number:
                request.number = true;
                break;
            case Clause::Default:
                request.defaultValue = words[++k];
                request.hasDefault = true;
                break;
            case Clause::Prompt:
                request.prompt = words[++k];
                break;
            case Clause::Format:
                ++k;
                break;
            case Clause::Hide:
                request.hidden = true;
                break;
            case Clause::Char:
            case Clause::Date:
            case Clause::NoPrompt:
                break;
        }
    }
    return true;
}

// An optional sign, digits with at most one point, an optional exponent.
bool IsNumber(const std::string& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits && i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
            i = j;
        }
    }
    return digits && i == text.size();
}

}  // namespace

// Note: with nothing to read, the DEFAULT value is taken; without one the
// variable stays as it was and the line says so.
CScriptLines CAcceptCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::vector<std::string> words = textparse::SplitWords(args.Typed(0));
    Request request;
    if (words.empty() || !ReadClauses(words, request)) return CScriptLines(MessageText(Message::AcceptUsage));
    request.name = cp932::ToUpper(words[0]);
    std::string answer;
    CConsoleHost* host = context.GetHost();
    const bool answered = host != nullptr && host->AskLine(request.prompt, request.hidden, answer);
    if (!answered && !request.hasDefault)
        return CScriptLines(FormatText(MessageText(Message::NoValueForAccept), words[0]));
    if (!answered || (answer.empty() && request.hasDefault)) answer = request.defaultValue;
    CScriptLines shown;
    const std::string line = request.prompt + (request.hidden ? std::string() : answer);
    if (!line.empty()) shown.push_back(line);
    if (request.number && !IsNumber(answer)) {
        shown.push_back(FormatText(MessageText(Message::NotANumber), answer));
        return shown;
    }
    context.Command<CDefineCommand>().Define(request.name, answer);
    return shown;
}
