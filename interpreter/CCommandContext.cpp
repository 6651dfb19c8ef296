#include "interpreter/CCommandContext.h"

#include "commands/CScriptCommand.h"
#include "commands/CSpoolCommand.h"
#include "commands/SetOptions.h"
#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"
#include "text/CompactLine.h"

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

const CCommandContext::StatementOptions& CCommandContext::Options() const {
    if (m_options.read && m_options.version == m_settings.Version()) return m_options;
    const std::string* feedback = m_settings.Find("FEEDBACK");
    m_options.feedback = feedback == nullptr || (*feedback != "OFF" && *feedback != "0");
    m_options.timing = Setting("TIMING") == "ON";
    m_options.termOutOff = Setting("TERMOUT") == "OFF";
    m_options.serverOutput = Setting("SERVEROUTPUT") == "ON";
    m_options.version = m_settings.Version();
    m_options.read = true;
    return m_options;
}

bool CCommandContext::IsFeedbackOn() const { return Options().feedback; }

bool CCommandContext::IsTimingOn() const { return Options().timing; }

bool CCommandContext::IsServerOutputOn() const { return Options().serverOutput; }

CScriptLines& CCommandContext::AppendServerError(CScriptLines& output) {
    return m_processor.AppendServerError(output);
}

CScriptLines& CCommandContext::AppendRows(ODynaset& dynaset, CScriptLines& output) {
    return m_processor.AppendRows(dynaset, output);
}

void CCommandContext::NoteSqlFailure() { m_processor.NoteSqlFailure(); }

void CCommandContext::ResetStatement() { m_processor.Reset(); }

bool CCommandContext::RunScriptLine(const std::string& line, CScriptLines& output) {
    const bool echoOn = Setting("ECHO") == "ON";
    const bool echo = echoOn && !IsTermOutSuppressed();
    if (echoOn && !echo) {
        const std::string told = SpoolHidden(CScriptLines(EchoLine(line)), false);
        if (!told.empty()) output.push_back(told);
    }
    if (m_scriptRunner) return m_scriptRunner(line, echo);
    if (echo) output.push_back(EchoLine(line));
    m_processor.FeedLine(line, output);
    return true;
}

void CCommandContext::RunBuffer(const CScriptLines& lines, CScriptLines& output) {
    m_processor.RunBufferLines(lines, output);
}

void CCommandContext::EndScriptRun() { m_processor.EndScriptRun(); }

bool CCommandContext::IsTermOutSuppressed() {
    return Options().termOutOff && m_commands.Get<CScriptCommand>().GetDepth() > 0;
}

std::string CCommandContext::SpoolHidden(const CScriptLines& lines, bool compact) {
    CSpoolFile& spool = m_commands.Get<CSpoolCommand>().GetFile();
    if (!spool.IsOpen() || lines.empty()) return {};
    std::string plain;
    for (const auto& line : lines) {
        plain.clear();
        if (compact)
            compactline::AppendDecoded(line, plain);
        else
            plain = line;
        const std::string told = spool.Write(plain, m_reportSettings.trimSpool);
        if (!told.empty()) return told;
    }
    return spool.Flush();
}

std::string CCommandContext::EchoLine(const std::string& line) { return "     " + line; }

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
