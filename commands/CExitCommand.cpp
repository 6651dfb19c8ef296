#include "commands/CExitCommand.h"

#include "commands/CDefineCommand.h"
#include "commands/CSpoolCommand.h"
#include "commands/CWheneverCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/OParameterCollection.h"
#include "oracle/OSession.h"

namespace {

constexpr int kNoStatus = -1;

// A whole number within an exit status; false for anything else.
bool ReadNumber(const std::string& text, int& status) {
    const std::string value = textparse::TrimBlanks(text);
    if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    status = std::stoi(value);
    return status <= 255;
}

// The status a word of EXIT names: a fixed word or number, a substitution
// variable, or a bind variable (":name") holding a number.
bool ReadStatus(CCommandContext& context, const std::string& word, int& status) {
    if (CWheneverCommand::ExitStatusOf(word, status)) return true;
    if (word.size() > 1 && word[0] == ':') {
        ODatabase* database = context.GetDatabase();
        if (database == nullptr) return false;
        OValue value;
        if (database->GetParameters().GetParameter(word.substr(1).c_str()).GetValue(&value) != OSUCCESS)
            return false;
        return ReadNumber(value.ToText(), status);
    }
    const std::string* defined = context.Command<CDefineCommand>().GetDefines().Find(word);
    return defined != nullptr && ReadNumber(*defined, status);
}

}  // namespace

CScriptLines CExitCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    m_exitRefused = false;
    const std::vector<std::string> words = textparse::SplitWords(args.Arg(0));
    int status = kNoStatus;
    bool commit = true;
    std::size_t k = 0;
    if (k < words.size() && words[k] != "COMMIT" && words[k] != "ROLLBACK") {
        if (!ReadStatus(context, words[k], status)) return CScriptLines(MessageText(Message::ExitUsage));
        ++k;
    }
    if (k < words.size() && (words[k] == "COMMIT" || words[k] == "ROLLBACK")) commit = words[k++] == "COMMIT";
    if (k != words.size()) return CScriptLines(MessageText(Message::ExitUsage));
    if (context.IsConnected()) {
        CScriptLines output;
        if (!commit) {
            context.GetSession()->Rollback();
        } else if (!context.CommitBeforeClose(Message::CommitFailedNoExit, output)) {
            m_exitRefused = true;
            return output;
        }
        context.GetSession()->Close();
    }
    // Note: the spool file is flushed and closed before the console goes.
    const std::string told = context.Command<CSpoolCommand>().GetFile().Close();
    CScriptLines output = told.empty() ? CScriptLines() : CScriptLines(told);
    CConsoleHost* host = context.GetHost();
    if (host == nullptr) return output;
    if (status == kNoStatus)
        host->PostClose();
    else
        host->PostExit(status);
    return output;
}
