#pragma once

#include <string>
#include <string_view>

#include "interpreter/CCommandSet.h"
#include "interpreter/CHashTable.h"
#include "interpreter/Messages.h"
#include "text/CScriptLines.h"

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
    bool IsTimingOn() const;

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
    // "経過時間: ..." when TIMING is ON.
    void AppendElapsed(long long milliseconds, CScriptLines& output) const;

private:
    CSQLProcessor& m_processor;
    CCommandSet& m_commands;
    OSession* m_session = nullptr;
    ODatabase* m_database = nullptr;
    CConsoleHost* m_host = nullptr;
    CHashTable m_settings;
};
