#pragma once

#include <string>
#include <utility>
#include <vector>

#include "interpreter/CCommandContext.h"
#include "interpreter/CCommandSet.h"
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

    void SetConnection(OSession* session, ODatabase* database) { m_context.SetConnection(session, database); }
    // The window (or batch runner) that CLEAR SCREEN, "/" and EXIT act on;
    // null: those commands do nothing.
    void SetHost(CConsoleHost* host) { m_context.SetHost(host); }
    // ON: every line Execute gives is in the compact form of CompactLine, so
    // that wide query results are not held padded.
    void SetCompactOutput(bool on) { m_compactOutput = on; }

    // Line-level protocol, called by the console for each submitted line:
    // IsSkippedLine, then EndsEntry; if both false AddLine then IsComplete;
    // if true Execute, Reset.
    bool IsSkippedLine(const std::string& line);
    // A line of one "." ends the SQL statement or block being typed: it is
    // kept as the buffer, not run; true when `line` did so.
    bool EndsEntry(const std::string& line);
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
    std::string SubstituteDefines(const std::string& statement);

    // SQL execution.
    CScriptLines& RunStatement(std::string text, CScriptLines& output);
    static std::string BlankComments(std::string text);
    CScriptLines& RunQuery(const std::string& text, CScriptLines& output);
    // The query layout of an open result set, appended to `output` (compact
    // when asked); a result that runs out of memory is reported instead.
    CScriptLines& AppendRows(ODynaset& dynaset, CScriptLines& output);
    void AppendNestedResults(const ODynaset& dynaset, CScriptLines& output);
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

    // An operating-system failure outside a statement (a script that cannot
    // be read): leaves the console when WHENEVER OSERROR EXIT says so. True
    // when it left.
    bool ReportOsError();
    // "経過時間: hh:mm:ss.cc" for an elapsed time in milliseconds.
    static std::string FormatElapsed(long long milliseconds);
    bool IsFeedbackOn() const { return m_context.IsFeedbackOn(); }
    bool IsTimingOn() const { return m_context.IsTimingOn(); }

    // The object of client-command class T of this console (its state, for
    // the console and for tests).
    template <class T>
    T& Command() {
        return m_commandSet.Get<T>();
    }
    // What the client commands of this console are handed.
    CCommandContext& GetContext() { return m_context; }
    // Runs the lines of "@" scripts through `runner` (the console), which
    // shows and submits each; without one the processor runs them itself.
    void SetScriptRunner(CCommandContext::ScriptRunner runner) {
        m_context.SetScriptRunner(std::move(runner));
    }
    // How "@" reads scripts (default: by their content).
    void SetScriptEncoding(scripttext::Encoding encoding) { m_context.SetScriptEncoding(encoding); }
    // One line through the line protocol, the output of a statement it
    // completes appended to `output`.
    void FeedLine(const std::string& line, CScriptLines& output);
    // See CCommandContext::RunBuffer.
    void RunBufferLines(const CScriptLines& lines, CScriptLines& output);
    // See CCommandContext::EndScriptRun.
    void EndScriptRun();
    // Marks the statement running now as failed in the database.
    void NoteSqlFailure() { m_sqlFailed = true; }
    // Records that a commit failed.
    void NoteFailedCommit() { m_commitFailed = true; }

    // Read access for the console and for tests.
    const CScriptLines& GetLines() const { return m_lines; }
    bool IsInComment() const { return m_inComment; }
    const std::string& GetConnectDatabase() const;
    const std::string& GetExecBlock() const;
    bool IsConnected() const { return m_context.IsConnected(); }
    // True once a commit failed (a COMMIT statement, or the commit of
    // CONNECT, DISCONNECT or EXIT): work the user meant to keep is not saved.
    bool HasFailedCommit() const { return m_commitFailed; }
    // True when the last EXIT did not close because its commit failed.
    bool IsExitRefused() const;
    const CScriptLines& GetTemplates() const { return m_templates; }
    const CScriptLines& GetMessages() const { return m_messages; }
    const CScriptLines& GetCommands() const { return m_commands; }
    const CHashTable& GetSettings() const { return m_context.GetSettings(); }

private:
    CScriptLines m_templates;
    CTemplateIndex m_templateIndex;
    CScriptLines m_messages;
    CScriptLines m_commands;
    // Whether m_lines make a complete statement, kept up to date line by line.
    CStatementCompletion m_completion;
    // Template preferences as row numbers: (preferred, before).
    std::vector<std::pair<int, int>> m_preferences;
    // The working copy FindTemplate matches against, kept so that its
    // buffer serves every statement.
    mutable std::string m_templateCopy;
    // One object of each client command, and what they are handed: the
    // session, the database, the host and the settings.
    // Note: mutable, as a command's object is made when first asked for.
    mutable CCommandSet m_commandSet;
    CCommandContext m_context;
    CScriptLines m_lines;
    // IsSqlKeyword of the first of m_lines.
    bool m_sqlStatement = false;
    bool m_inComment = false;
    // A "/" on the next line belongs to the statement just run.
    bool m_slashBelongsToLast = false;
    bool m_sqlFailed = false;
    bool m_commitFailed = false;
    bool m_compactOutput = false;
    // Set by RunQuery when the lines it gave are compact already.
    bool m_outputCompacted = false;
    // The next Reset keeps the statement: it is one a script left unfinished.
    bool m_keepStatement = false;
    // m_lines is a line for the statement buffer (INPUT without text).
    bool m_bufferInput = false;

    ODatabase* Database() const { return m_context.GetDatabase(); }
    // Command number of the first pattern `text` fits (-1: none); its
    // captures go to `args` when given, and where they stand in the text
    // (start, length) to `spans`.
    int MatchCommand(const std::string& text, CScriptLines* args,
                     std::vector<std::pair<std::size_t, std::size_t>>* spans = nullptr) const;
    CScriptLines& ExecuteCommand(const std::string& typed, CScriptLines& out);
    // Template tests on the upper-cased working copy of a statement.
    bool FitsTemplate(const std::string& copy, int number) const;
    bool FitsPreferredTemplate(const std::string& copy, int number) const;
    CScriptLines& ExecuteLines(CScriptLines& out);
    // The statement's text with its substitution variables replaced (SQL
    // upper-cased outside quotes); the lines of asking and VERIFY go to
    // `out`. False when a variable got no value: the statement must not run.
    bool SubstituteStatement(const std::string& joined, bool isSql, std::string& text, CScriptLines& out);
    void RefuseUnheldCharacter(CScriptLines& out) const;
    static void AppendVerify(const std::string& before, const std::string& after, CScriptLines& out);
};
