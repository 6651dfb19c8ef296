#include "commands/CAcceptCommand.h"

#include "commands/AcceptReply.h"
#include "commands/CDefineCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
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
    std::string format;
    bool hasDefault = false;
    acceptreply::Type type = acceptreply::Type::Char;
    bool hidden = false;
};

// Note: a host that answers the same wrong reply for ever (a broken pipe
// read again) must not hold the console; no user retypes this often.
constexpr int kMostAttempts = 100;

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
                request.type = acceptreply::Type::Number;
                break;
            case Clause::Date:
                request.type = acceptreply::Type::Date;
                break;
            case Clause::Char:
                request.type = acceptreply::Type::Char;
                break;
            case Clause::Default:
                request.defaultValue = words[++k];
                request.hasDefault = true;
                break;
            case Clause::Prompt:
                request.prompt = words[++k];
                break;
            case Clause::Format:
                request.format = words[++k];
                break;
            case Clause::Hide:
                request.hidden = true;
                break;
            case Clause::NoPrompt:
                break;
        }
    }
    return true;
}

// A DATE reply without FORMAT, checked by the connected session as its own
// date format reads it (a script may have set NLS_DATE_FORMAT); "" when it
// reads, else the refusal.
std::string SessionDateRefusal(ODatabase& database, const std::string& reply, bool hidden) {
    std::string quoted;
    for (char c : reply) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    ODynaset dynaset;
    // Note: the reply is a quoted literal, its quotes doubled; a NUL would
    // cut the statement handed over as a C string, so it is no date.
    if (reply.find('\0') == std::string::npos &&
        dynaset.Open(database, ("SELECT TO_DATE('" + quoted + "') FROM DUAL").c_str()) == OSUCCESS)
        return {};
    return FormatText(MessageText(Message::AcceptSessionDateMismatch),
                      hidden ? std::string(acceptreply::kHiddenReply) : reply);
}

std::string Refusal(CCommandContext& context, const Request& request, const std::string& reply) {
    ODatabase* database = context.GetDatabase();
    if (request.type == acceptreply::Type::Date && request.format.empty() && context.IsConnected() &&
        database != nullptr)
        return SessionDateRefusal(*database, reply, request.hidden);
    return acceptreply::Refusal(request.type, request.format, reply, request.hidden);
}

}  // namespace

// Note: with nothing to read, the DEFAULT value is taken; without one the
// variable stays as it was and the line says so. A reply that is not of
// the type or does not fit the format is refused and asked for again.
CScriptLines CAcceptCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::vector<std::string> words = textparse::SplitWords(args.Typed(0));
    Request request;
    if (words.empty() || !ReadClauses(words, request)) return CScriptLines(MessageText(Message::AcceptUsage));
    const std::string formatRefusal = acceptreply::FormatRefusal(request.type, request.format);
    if (!formatRefusal.empty()) return CScriptLines(formatRefusal);
    request.name = cp932::ToUpper(words[0]);
    CScriptLines shown;
    CConsoleHost* host = context.GetHost();
    for (int attempt = 0; attempt < kMostAttempts; ++attempt) {
        std::string answer;
        const bool answered = host != nullptr && host->AskLine(request.prompt, request.hidden, answer);
        if (!answered && !request.hasDefault) break;
        if (!answered || (answer.empty() && request.hasDefault)) answer = request.defaultValue;
        const std::string line = request.prompt + (request.hidden ? std::string() : answer);
        if (!line.empty()) shown.push_back(line);
        const std::string refusal = Refusal(context, request, answer);
        if (refusal.empty()) {
            context.Command<CDefineCommand>().Define(request.name, answer);
            return shown;
        }
        shown.push_back(refusal);
        if (!answered) break;
    }
    shown.push_back(FormatText(MessageText(Message::NoValueForAccept), words[0]));
    return shown;
}
