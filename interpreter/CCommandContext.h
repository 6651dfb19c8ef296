#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "interpreter/CCommandSet.h"
#include "interpreter/CHashTable.h"
#include "interpreter/Messages.h"
#include "report/CReportSettings.h"
#include "text/CScriptLines.h"
#include "text/ScriptText.h"

class CConsoleHost;
class CSQLProcessor;
class ODatabase;
class ODynaset;
class OSession;

// What a client command works with: the console's session and database,
// the host window, the option settings, the other commands' objects, and
// the few services of the processor that commands share (error reports,
// query layout, failure notes).
class CCommandContext {
public:
    CCommandContext(CSQLProcessor& processor, CCommandSet& commands);
    CCommandContext(const CCommandContext&) = delete;
    CCommandContext& operator=(const CCommandContext&) = delete;

    void SetConnection(OSession* session, ODatabase* database);
    void SetHost(CConsoleHost* host) { m_host = host; }
    // Null until the console hands them over.
    OSession* GetSession() const { return m_session; }
    ODatabase* GetDatabase() const { return m_database; }
    CConsoleHost* GetHost() const { return m_host; }
    bool IsConnected() const;

    // Option name -> value text, read and written by SET and SHOW and read
    // wherever an option changes what is shown.
    CHashTable& GetSettings() { return m_settings; }
    const CHashTable& GetSettings() const { return m_settings; }
    // The value of an option; "" when it is not set.
    const std::string& Setting(std::string_view key) const;
    bool IsFeedbackOn() const;
    // The options that shape query results (PAGESIZE, LINESIZE, COLSEP,
    // ...); SHOW reads their text from GetSettings.
    CReportSettings& GetReportSettings() { return m_reportSettings; }
    const CReportSettings& GetReportSettings() const { return m_reportSettings; }
    bool IsTimingOn() const;
    // True when SERVEROUTPUT is ON.
    bool IsServerOutputOn() const;

    // The object of command class T of this console.
    template <class T>
    T& Command() {
        return m_commands.Get<T>();
    }

    // The server's error report for the statement being run.
    CScriptLines& AppendServerError(CScriptLines& output);
    // The query layout of an open result set.
    CScriptLines& AppendRows(ODynaset& dynaset, CScriptLines& output);
    // Marks the statement being run as failed in the database (WHENEVER
    // SQLERROR acts on it).
    void NoteSqlFailure();
    // Records that work the user meant to keep was not committed.
    void NoteFailedCommit();
    // Commits before the session closes; on failure the error report and
    // `notice` go to `output`, the session stays open, and false comes back.
    bool CommitBeforeClose(Message notice, CScriptLines& output);
    // Empties the statement being collected (a command that submits lines
    // of its own starts them afresh).
    void ResetStatement();
    // Runs the lines of the statement buffer as a SQL statement; its output
    // is added to `output`.
    void RunBuffer(const CScriptLines& lines, CScriptLines& output);
    // Runs one line of a script as if typed: through the console's runner
    // when there is one, else through the processor with its output added
    // to `output`. False when the run must stop (EXIT, an interrupt).
    bool RunScriptLine(const std::string& line, CScriptLines& output);
    // After the lines of a script: the running statement's state is that of
    // the command that ran it, and a statement the script left unfinished
    // waits for the next line.
    void EndScriptRun();
    // True while the output of script lines is not to be shown (SET
    // TERMOUT OFF inside a script).
    bool IsTermOutSuppressed();
    // Lines the console does not show (SET TERMOUT OFF) still go to the
    // spool file, when one is open; `compact`: they are in the compact form
    // of CompactLine. "" or the line telling the write failed.
    std::string SpoolHidden(const CScriptLines& lines, bool compact);
    // How a script line is shown with SET ECHO ON: indented by the width of
    // the prompt, so that a replayed console does not run it again.
    static std::string EchoLine(const std::string& line);
    // Runs a script line for the console; `echo`: show it first.
    using ScriptRunner = std::function<bool(const std::string& line, bool echo)>;
    void SetScriptRunner(ScriptRunner runner) { m_scriptRunner = std::move(runner); }
    void SetScriptEncoding(scripttext::Encoding encoding) { m_scriptEncoding = encoding; }
    scripttext::Encoding GetScriptEncoding() const { return m_scriptEncoding; }

    // "経過時間: ..." when TIMING is ON.
    void AppendElapsed(long long milliseconds, CScriptLines& output) const;

private:
    // The options read for every statement, as they stood at `version` of
    // the settings.
    struct StatementOptions {
        std::size_t version = 0;
        bool read = false;
        bool feedback = true;
        bool timing = false;
        bool termOutOff = false;
        bool serverOutput = false;
    };
    // Read again only once a setting has changed.
    const StatementOptions& Options() const;

    CSQLProcessor& m_processor;
    CCommandSet& m_commands;
    OSession* m_session = nullptr;
    ODatabase* m_database = nullptr;
    CConsoleHost* m_host = nullptr;
    CHashTable m_settings;
    mutable StatementOptions m_options;
    CReportSettings m_reportSettings;
    ScriptRunner m_scriptRunner;
    scripttext::Encoding m_scriptEncoding = scripttext::Encoding::Auto;
};
