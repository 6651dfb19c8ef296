#include "interpreter/CCommandContext.h"

#include "commands/SetOptions.h"
#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"

CCommandContext::CCommandContext(CSQLProcessor& processor, CCommandSet& commands)
    : m_processor(processor), m_commands(commands) {
    for (const auto& option : setoptions::Rows())
        if (option.defaultValue != nullptr) m_settings.SetAt(option.name, option.defaultValue);
}

void CCommandContext::SetConnection(OSession* session, ODatabase* database) {
    m_session = session;
    m_database = database;
}

bool CCommandContext::IsConnected() const { return m_session != nullptr && m_session->IsOpen(); }

const std::string& CCommandContext::Setting(std::string_view key) const {
    static const std::string none;
    const std::string* value = m_settings.Find(key);
    return value == nullptr ? none : *value;
}

bool CCommandContext::IsFeedbackOn() const {
    const std::string* value = m_settings.Find("FEEDBACK");
    return value == nullptr || *value == "ON";
}

bool CCommandContext::IsTimingOn() const { return Setting("TIMING") == "ON"; }

CScriptLines& CCommandContext::AppendServerError(CScriptLines& output) {
    return m_processor.AppendServerError(output);
}

CScriptLines& CCommandContext::AppendRows(ODynaset& dynaset, CScriptLines& output) {
    return m_processor.AppendRows(dynaset, output);
}

void CCommandContext::NoteSqlFailure() { m_processor.NoteSqlFailure(); }

void CCommandContext::ResetStatement() { m_processor.Reset(); }

void CCommandContext::NoteFailedCommit() { m_processor.NoteFailedCommit(); }

bool CCommandContext::CommitBeforeClose(Message notice, CScriptLines& output) {
    // Note: a session that died has nothing left to commit; the work it
    // held is counted as lost and the session may close.
    if (m_database != nullptr && m_database->IsSessionLost()) {
        if (m_database->HasUncommittedWork()) NoteFailedCommit();
        return true;
    }
    if (m_session->Commit(false) == OSUCCESS) return true;
    // Note: closing now would roll back work the user was told is kept; the
    // session stays open so the commit can be retried or the work rolled back.
    NoteFailedCommit();
    AppendServerError(output);
    output.push_back(MessageText(notice));
    return false;
}

void CCommandContext::AppendElapsed(long long milliseconds, CScriptLines& output) const {
    if (IsTimingOn()) output.push_back(CSQLProcessor::FormatElapsed(milliseconds));
}
