#pragma once

#include <string>
#include <utility>
#include <vector>

#include "interpreter/CConsoleHost.h"
#include "interpreter/CHashTable.h"
#include "interpreter/CStatementCompletion.h"
#include "interpreter/CTemplateIndex.h"
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
    bool IsSkippedLine(const std::string& line);
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
    // True when the first word of the line (leading blanks and tabs left
    // out) is a statement keyword, or SET before TRANSACTION, ROLE or
    // CONSTRAINT(S).
    bool IsSqlKeyword(const std::string& line) const;
    // True when the lines so far, quotes and comments left out, fit a
    // template that ends at its ";".
    bool MatchesTemplate() const;
    // The statement upper-cased outside quotes, with every DEFINE reference
    // (found whatever its case, inside quotes too) replaced by its value.
    std::string SubstituteDefines(const std::string& statement) const;

    // SQL execution.
    CScriptLines& RunStatement(std::string text, CScriptLines& output);
    static std::string BlankComments(std::string text);
    CScriptLines& RunQuery(const std::string& text, CScriptLines& output);
    // The query layout of an open result set, appended to `output` (compact
    // when asked); a result that runs out of memory is reported instead.
    CScriptLines& AppendRows(ODynaset& dynaset, CScriptLines& output);
    void LayOutRows(ODynaset& dynaset, CScriptLines& output);
    CScriptLines& AppendServerError(CScriptLines& output);
    // With SERVEROUTPUT ON, appends the lines the server's output package
    // buffered during the statement that just ran.
    CScriptLines& AppendServerOutput(CScriptLines& output);
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
    // SHOW ERRORS: the compilation errors of a PL/SQL unit ("[TYPE] name"),
    // or of the unit created last when `unit` is empty.
    CScriptLines ShowErrors(const std::string& unit);
    CScriptLines SetColumnFormat(const std::string& column, const std::string& format);
    CScriptLines Define(const std::string& name, const std::string& value);
    void ClearColumns();
    void ClearScreen();
    void Rerun();
    // PROMPT: the statement's text after the command word, as typed.
    CScriptLines Prompt();
    // WHENEVER SQLERROR|OSERROR (`kind`) EXIT [SUCCESS|FAILURE|WARNING|n|
    // SQL.SQLCODE] [COMMIT|ROLLBACK] | CONTINUE [COMMIT|ROLLBACK|NONE].
    CScriptLines SetWhenever(const std::string& kind, const std::string& action);
    // SET of an option that holds only ON or OFF (FEEDBACK, TIMING).
    CScriptLines SetOnOffOption(const std::string& key, const std::string& value);
    CScriptLines ShowAllOptions();
    // SET of an option this console does not have: one line naming it.
    CScriptLines SetUnknownOption(const std::string& text);
    // An operating-system failure outside a statement (a script that cannot
    // be read): leaves the console when WHENEVER OSERROR EXIT says so. True
    // when it left.
    bool ReportOsError();
    // "経過時間: hh:mm:ss.cc" for an elapsed time in milliseconds.
    static std::string FormatElapsed(long long milliseconds);
    bool IsFeedbackOn() const;
    bool IsTimingOn() const;

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
    // What WHENEVER asks for after a failure.
    struct FailureAction {
        bool exit = false;
        int status = 0;
        bool commit = false;
    };

    CScriptLines m_templates;
    CTemplateIndex m_templateIndex;
    CScriptLines m_messages;
    CScriptLines m_commands;
    // Whether m_lines make a complete statement, kept up to date line by line.
    CStatementCompletion m_completion;
    // Template preferences as row numbers: (preferred, before).
    std::vector<std::pair<int, int>> m_preferences;
    OSession* m_session = nullptr;
    ODatabase* m_database = nullptr;
    CScriptLines m_lines;
    // IsSqlKeyword of the first of m_lines.
    bool m_sqlStatement = false;
    CHashTable m_columnFormats;
    CHashTable m_defines;
    CHashTable m_settings;
    bool m_inComment = false;
    std::string m_connectDatabase;
    std::string m_execBlock;
    // The PL/SQL unit the last CREATE statement named ("PROCEDURE", "P"),
    // for SHOW ERRORS without a name.
    std::string m_lastUnitType;
    std::string m_lastUnitName;
    CConsoleHost* m_host = nullptr;
    // Depth of "/" re-runs under way; a re-run inside a re-run is refused.
    int m_rerunDepth = 0;
    // A "/" on the next line belongs to the statement just run.
    bool m_slashBelongsToLast = false;
    // The captures of the running command, cut from the text as typed.
    CScriptLines m_typedArgs;
    bool m_sqlFailed = false;
    FailureAction m_onSqlError;
    FailureAction m_onOsError;
    bool m_commitFailed = false;
    bool m_compactOutput = false;
    // Set by RunQuery when the lines it gave are compact already.
    bool m_outputCompacted = false;
    bool m_exitRefused = false;

    // Commits before the session closes; on failure the error report and
    // `notice` go to `output` and the session stays open.
    bool CommitBeforeClose(Message notice, CScriptLines& output);

    // Command number of the first pattern `text` fits (-1: none); its
    // captures go to `args` when given, and where they stand in the text
    // (start, length) to `spans`.
    int MatchCommand(const std::string& text, CScriptLines* args,
                     std::vector<std::pair<std::size_t, std::size_t>>* spans = nullptr) const;
    // The DEFINE substitution; `upper`: upper-case outside quotes first.
    std::string Substitute(const std::string& statement, bool upper) const;
    CScriptLines& ExecuteCommand(const std::string& typed, CScriptLines& out);
    // Marks the statement running now as failed in the database.
    void NoteSqlFailure() { m_sqlFailed = true; }
    // Leaves the console as EXIT does, by `action`.
    void Leave(const FailureAction& action);
    void AppendElapsed(long long milliseconds, CScriptLines& out) const;
    // Template tests on the upper-cased working copy of a statement.
    bool FitsTemplate(const std::string& copy, int number) const;
    bool FitsPreferredTemplate(const std::string& copy, int number) const;
    CScriptLines& ExecuteLines(CScriptLines& out);
    // Remembers the unit a CREATE [OR REPLACE] statement of PL/SQL names.
    void NoteCreatedUnit(const std::string& text);
};
