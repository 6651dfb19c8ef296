#pragma once

#include <string>

#include "interpreter/CConsoleHost.h"
#include "interpreter/CHashTable.h"
#include "interpreter/CTemplateMatcher.h"
#include "interpreter/Messages.h"
#include "text/CScriptLines.h"

class OSession;
class ODatabase;
class ODynaset;

// The command interpreter of one console: decides which lines are comments,
// collects the others into a statement, decides when it is complete and runs
// it, as SQL against the database or as a client command. Output comes back
// as lines; the interpreter never writes to the console itself.
class CSQLProcessor {
public:
    CSQLProcessor();

    void SetConnection(OSession* session, ODatabase* database);
    // The window (or batch runner) that CLEAR SCREEN, "/" and EXIT act on;
    // null: those commands do nothing.
    void SetHost(CConsoleHost* host) { m_host = host; }
    // ON: every line Execute gives is in the compact form of CompactLine, so
    // that wide query results are not held padded.
    void SetCompactOutput(bool on) { m_compactOutput = on; }

    // Line-level protocol, called by the console for each submitted line:
    // IsSkippedLine; if false AddLine then IsComplete; if true Execute, Reset.
    bool IsSkippedLine(std::string line);
    void AddLine(const std::string& line);
    bool IsComplete();
    CScriptLines& Execute(CScriptLines& out);
    void Reset();

    // Matches `text` against a pattern with "%s" fields; returns the captured
    // fields (upper-cased). Throws CSQLCommandException when it does not fit.
    static CScriptLines Scan(const std::string& text, const std::string& pattern);
    int FindCommand(const std::string& statement) const;
    CScriptLines GetCommandArgs(const std::string& statement) const;
    int FindTemplate(const std::string& statement) const;
    bool IsSqlKeyword(const std::string& line) const;
    bool MatchesTemplate() const;
    std::string SubstituteDefines(const std::string& statement) const;

    // SQL execution.
    CScriptLines& RunStatement(std::string text, CScriptLines& output);
    static std::string BlankComments(const std::string& text);
    CScriptLines& RunQuery(const std::string& text, CScriptLines& output);
    // The layout of an open result into `output`, compact when asked.
    void LayOutRows(ODynaset& dynaset, CScriptLines& output);
    CScriptLines& AppendServerError(CScriptLines& output);
    // The report itself: the typed line holding byte `position` of the
    // joined statement, a marker under it and its line number (nothing when
    // no line holds it), then each line of `errorText`.
    static CScriptLines& AppendErrorReport(const CScriptLines& lines, long long position,
                                           const std::string& errorText, CScriptLines& output);

    // Client commands.
    CScriptLines Connect(const CScriptLines& args);
    CScriptLines Disconnect();
    // Asks the host to close after a successful disconnect; when the commit
    // fails, the error report comes back and nothing closes.
    CScriptLines Exit();
    CScriptLines Describe(const std::string& name);
    CScriptLines DeclareVariable(const std::string& text);
    CScriptLines ExecuteBlock(const CScriptLines& args);
    CScriptLines PrintVariable(const std::string& name);
    CScriptLines SetServerOutputOption(const std::string& value);
    CScriptLines SetNumWidthOption(const std::string& value);
    CScriptLines SetAutoCommitOption(const std::string& value);
    CScriptLines SetHeadingOption(const std::string& value);
    CScriptLines SetLockWaitOption(const std::string& value);
    CScriptLines ShowOption(const std::string& key);
    CScriptLines SetColumnFormat(const std::string& column, const std::string& format);
    CScriptLines Define(const std::string& name, const std::string& value);
    void ClearColumns();
    void ClearScreen();
    void Rerun();

    // Read access for the console and for tests.
    const CScriptLines& GetLines() const { return m_lines; }
    bool IsInComment() const { return m_inComment; }
    const std::string& GetConnectDatabase() const { return m_connectDatabase; }
    const std::string& GetExecBlock() const { return m_execBlock; }
    bool IsConnected() const;
    // True once a commit failed (a COMMIT statement, or the commit of
    // CONNECT, DISCONNECT or EXIT): work the user meant to keep is not saved.
    bool HasFailedCommit() const { return m_commitFailed; }
    // True when the last EXIT did not close because its commit failed.
    bool IsExitRefused() const { return m_exitRefused; }
    const CScriptLines& GetTemplates() const { return m_templates; }
    const CScriptLines& GetMessages() const { return m_messages; }
    const CScriptLines& GetCommands() const { return m_commands; }
    const CHashTable& GetColumnFormats() const { return m_columnFormats; }
    const CHashTable& GetDefines() const { return m_defines; }
    const CHashTable& GetSettings() const { return m_settings; }

private:
    CScriptLines m_templates;
    CScriptLines m_messages;
    CScriptLines m_commands;
    // Whether m_lines fit a template, kept up to date line by line.
    CTemplateMatcher m_completion;
    OSession* m_session = nullptr;
    ODatabase* m_database = nullptr;
    CScriptLines m_lines;
    CHashTable m_columnFormats;
    CHashTable m_defines;
    CHashTable m_settings;
    bool m_inComment = false;
    std::string m_connectDatabase;
    std::string m_execBlock;
    CConsoleHost* m_host = nullptr;
    // Depth of "/" re-runs under way; a re-run inside a re-run is refused.
    int m_rerunDepth = 0;
    bool m_commitFailed = false;
    bool m_compactOutput = false;
    // Set by RunQuery when the lines it gave are compact already.
    bool m_outputCompacted = false;
    bool m_exitRefused = false;

    // Commits before the session closes; on failure the error report and
    // `notice` go to `output` and the session stays open.
    bool CommitBeforeClose(Message notice, CScriptLines& output);

    // Command number of the first pattern `text` fits (-1: none); its
    // captures go to `args` when given.
    int MatchCommand(const std::string& text, CScriptLines* args) const;
    // Template tests on the upper-cased working copy of a statement.
    bool FitsTemplate(const std::string& copy, int number) const;
    bool FitsPreferredTemplate(const std::string& copy, int number) const;
    CScriptLines& ExecuteLines(CScriptLines& out);
};
