#include <algorithm>
#include <cstdio>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
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

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

CScriptLines CSQLProcessor::Prompt() {
    return CScriptLines(m_typedArgs.empty() ? std::string() : m_typedArgs[0]);
}

// Note: EXIT without a status leaves with FAILURE (1), so that a batch run
// that stopped at an error never reports success.
CScriptLines CSQLProcessor::SetWhenever(const std::string& kind, const std::string& action) {
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

CScriptLines CSQLProcessor::SetOnOffOption(const std::string& key, const std::string& value) {
    const std::string upper = cp932::ToUpper(value);
    if (upper != "ON" && upper != "OFF")
        return CScriptLines(FormatText(MessageText(Message::OnOffValue), Lower(key)));
    m_settings.SetAt(key, upper);
    return {};
}

CScriptLines CSQLProcessor::ShowAllOptions() {
    CScriptLines keys;
    m_settings.GetKeys(keys);
    CScriptLines out;
    for (const auto& key : keys) out.push_back(key + " " + m_settings.Lookup(key));
    return out;
}

CScriptLines CSQLProcessor::SetUnknownOption(const std::string& text) {
    const std::string trimmed = textparse::TrimBlanks(text);
    const std::string name = trimmed.substr(0, trimmed.find(' '));
    if (name.empty()) return CScriptLines(MessageText(Message::UnknownCommand));
    return CScriptLines(FormatText(MessageText(Message::SetUnavailable), name));
}

bool CSQLProcessor::ReportOsError() {
    if (!m_onOsError.exit) return false;
    Leave(m_onOsError);
    return true;
}

bool CSQLProcessor::IsFeedbackOn() const {
    const std::string* value = m_settings.Find("FEEDBACK");
    return value == nullptr || *value == "ON";
}

// Note: a failed statement leaves without the commit EXIT makes unless
// WHENEVER asked for one; what was not committed is rolled back.
void CSQLProcessor::Leave(const FailureAction& action) {
    const std::string error = m_database != nullptr ? m_database->GetErrorText() : std::string();
    if (IsConnected()) {
        if (action.commit)
            m_session->Commit(false);
        else
            m_session->Rollback();
        m_session->Close();
    }
    if (m_host == nullptr) return;
    const bool ofError = action.status == kStatusOfError;
    m_host->PostExit(ofError ? StatusOfError(error) : action.status);
}

std::string CSQLProcessor::FormatElapsed(long long milliseconds) {
    const long long centiseconds = std::max(milliseconds, 0LL) / 10;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02lld", centiseconds / 360000,
                  centiseconds / 6000 % 60, centiseconds / 100 % 60, centiseconds % 100);
    return FormatText(MessageText(Message::Elapsed), text);
}

bool CSQLProcessor::IsTimingOn() const {
    const std::string* value = m_settings.Find("TIMING");
    return value != nullptr && *value == "ON";
}

void CSQLProcessor::AppendElapsed(long long milliseconds, CScriptLines& out) const {
    if (IsTimingOn()) out.push_back(FormatElapsed(milliseconds));
}
