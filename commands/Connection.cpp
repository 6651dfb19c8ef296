#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"

CScriptLines CSQLProcessor::Connect(const CScriptLines& args) {
    if (args.size() < 2) return CScriptLines(MessageText(Message::ConnectUsage));
    if (m_session == nullptr || m_database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    if (IsConnected()) {
        m_session->Commit(false);
        m_session->Close();
    }
    const std::string& user = args[0];
    // Note: the password keeps the case it was typed in; servers compare
    // passwords case-sensitively.
    const std::string& password = m_typedArgs.size() == args.size() ? m_typedArgs[1] : args[1];
    const std::string database = args.size() >= 3 ? args[2] : m_connectDatabase;
    CScriptLines output;
    if (m_session->Open() != OSUCCESS) return AppendServerError(output);
    m_session->BeginTransaction();
    if (m_database->Open(*m_session, database.c_str(), user.c_str(), password.c_str(), 0) != OSUCCESS)
        return AppendServerError(output);
    m_connectDatabase = database;
    return CScriptLines(MessageText(Message::Connected));
}

std::string CSQLProcessor::Disconnect() {
    if (!IsConnected()) return MessageText(Message::NotConnected);
    m_session->Commit(false);
    m_session->Close();
    return MessageText(Message::Disconnected);
}

void CSQLProcessor::Exit() {
    Disconnect();
    if (m_host != nullptr) m_host->PostClose();
}
