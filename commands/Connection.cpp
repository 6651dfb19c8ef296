#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"

bool CSQLProcessor::CommitBeforeClose(Message notice, CScriptLines& output) {
    if (m_session->Commit(false) == OSUCCESS) return true;
    // Note: closing now would roll back work the user was told is kept; the
    // session stays open so the commit can be retried or the work rolled back.
    m_commitFailed = true;
    AppendServerError(output);
    output.push_back(MessageText(notice));
    return false;
}

CScriptLines CSQLProcessor::Connect(const CScriptLines& args) {
    if (args.size() < 2) return CScriptLines(MessageText(Message::ConnectUsage));
    if (m_session == nullptr || m_database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    CScriptLines output;
    if (IsConnected()) {
        if (!CommitBeforeClose(Message::CommitFailedStillConnected, output)) return output;
        m_session->Close();
    }
    const std::string& user = args[0];
    // Note: the password keeps the case it was typed in; servers compare
    // passwords case-sensitively.
    const std::string& password = m_typedArgs.size() == args.size() ? m_typedArgs[1] : args[1];
    const std::string database = args.size() >= 3 ? args[2] : m_connectDatabase;
    if (m_session->Open() != OSUCCESS) return AppendServerError(output);
    m_session->BeginTransaction();
    if (m_database->Open(*m_session, database.c_str(), user.c_str(), password.c_str(), 0) != OSUCCESS)
        return AppendServerError(output);
    m_connectDatabase = database;
    return CScriptLines(MessageText(Message::Connected));
}

CScriptLines CSQLProcessor::Disconnect() {
    if (!IsConnected()) return CScriptLines(MessageText(Message::NotConnected));
    CScriptLines output;
    if (!CommitBeforeClose(Message::CommitFailedStillConnected, output)) return output;
    m_session->Close();
    return CScriptLines(MessageText(Message::Disconnected));
}

CScriptLines CSQLProcessor::Exit() {
    m_exitRefused = false;
    if (IsConnected()) {
        CScriptLines output;
        if (!CommitBeforeClose(Message::CommitFailedNoExit, output)) {
            m_exitRefused = true;
            return output;
        }
        m_session->Close();
    }
    if (m_host != nullptr) m_host->PostClose();
    return {};
}
