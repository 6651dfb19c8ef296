#include "commands/CWheneverCommand.h"

#include <algorithm>
#include <vector>

#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/StatementHead.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"
#include "text/Cp932.h"

namespace {

struct ExitWord {
    const char* word;
    int status;
};

constexpr ExitWord kExitWords[] = {{"SUCCESS", 0}, {"FAILURE", 1}, {"WARNING", 2}};

// Exit statuses a process can report unchanged.
constexpr int kMaxExitStatus = 255;

// SQL.SQLCODE: the status is the number of the error that ended the run.
constexpr int kStatusOfError = -1;

// The number of the first "ORA-nnnnn" in `text`, kept within a process exit
// status; 1 (FAILURE) when it holds none or it would read as success.
int StatusOfError(const std::string& text) {
    const std::size_t at = text.find("ORA-");
    int number =
        at == std::string::npos ? 0 : textparse::ParseLeadingInt(std::string_view(text).substr(at + 4));
    number %= kMaxExitStatus + 1;
    return number > 0 ? number : 1;
}

bool IsDigits(const std::string& word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The exit status a word of WHENEVER ... EXIT names; false when none.
bool ReadExitStatus(const std::string& word, int& status) {
    for (const auto& row : kExitWords)
        if (word == row.word) return status = row.status, true;
    if (!IsDigits(word) || word.size() > 3) return false;
    status = std::stoi(word);
    return status <= kMaxExitStatus;
}

}  // namespace

CScriptLines CWheneverCommand::Run(CCommandContext&, const CCommandArgs& args) {
    return SetWhenever(args.fixed != nullptr ? args.fixed : "", args.Arg(0));
}

// Note: EXIT without a status leaves with FAILURE (1), so that a batch run
// that stopped at an error never reports success.
CScriptLines CWheneverCommand::SetWhenever(const std::string& kind, const std::string& action) {
    std::vector<std::string> words = statementhead::FirstWords(cp932::ToUpper(action), 4);
    FailureAction result;
    std::size_t k = 0;
    const bool ok = [&] {
        if (words.empty()) return false;
        if (words[k] == "CONTINUE") {
            ++k;
            if (k < words.size() && (words[k] == "COMMIT" || words[k] == "ROLLBACK" || words[k] == "NONE"))
                ++k;
            return k == words.size();
        }
        if (words[k++] != "EXIT") return false;
        result.exit = true;
        result.status = 1;
        if (k + 1 < words.size() && words[k] == "SQL" && words[k + 1] == "SQLCODE") {
            result.status = kStatusOfError;
            k += 2;
        } else if (k < words.size() && ReadExitStatus(words[k], result.status)) {
            ++k;
        }
        if (k < words.size() && (words[k] == "COMMIT" || words[k] == "ROLLBACK"))
            result.commit = words[k++] == "COMMIT";
        return k == words.size();
    }();
    if (!ok) return CScriptLines(MessageText(Message::WheneverUsage));
    (kind == "OSERROR" ? m_onOsError : m_onSqlError) = result;
    return {};
}

bool CWheneverCommand::OnSqlError(CCommandContext& context) const {
    if (!m_onSqlError.exit) return false;
    Leave(context, m_onSqlError);
    return true;
}

bool CWheneverCommand::OnOsError(CCommandContext& context) const {
    if (!m_onOsError.exit) return false;
    Leave(context, m_onOsError);
    return true;
}

// Note: a failed statement leaves without the commit EXIT makes unless
// WHENEVER asked for one; what was not committed is rolled back.
void CWheneverCommand::Leave(CCommandContext& context, const FailureAction& action) {
    ODatabase* database = context.GetDatabase();
    const std::string error = database != nullptr ? database->GetErrorText() : std::string();
    if (context.IsConnected()) {
        OSession* session = context.GetSession();
        if (action.commit)
            session->Commit(false);
        else
            session->Rollback();
        session->Close();
    }
    if (context.GetHost() == nullptr) return;
    const bool ofError = action.status == kStatusOfError;
    context.GetHost()->PostExit(ofError ? StatusOfError(error) : action.status);
}
