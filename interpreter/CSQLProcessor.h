#pragma once

#include <string>

#include "interpreter/CConsoleHost.h"
#include "interpreter/CHashTable.h"
#include "interpreter/CTemplateMatcher.h"
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
    // The query layout of an open result set, appended to `output`.
    CScriptLines& AppendRows(ODynaset& dynaset, CScriptLines& output);
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
    std::string Disconnect();
    void Exit();
    CScriptLines Describe(const std::string& name);
    CScriptLines DeclareVariable(const std::string& text);
    CScriptLines ExecuteBlock(const CScriptLines& args);
    CScriptLines PrintVariable(const std::string& name);
    CScriptLines SetServerOutputOption(const std::string& value);
    CScriptLines SetNumWidthOption(const std::string& value);
    CScriptLines SetAutoCommitOption(const std::string& value);
    CScriptLines SetHeadingOption(const std::string& value);
    CScriptLines ShowOption(const std::string& key);
    // SHOW ERRORS: the compilation errors of a PL/SQL unit ("[TYPE] name"),
    // or of the unit created last when `unit` is empty.
    CScriptLines ShowErrors(const std::string& unit);
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
    // The PL/SQL unit the last CREATE statement named ("PROCEDURE", "P"),
    // for SHOW ERRORS without a name.
    std::string m_lastUnitType;
    std::string m_lastUnitName;
    CConsoleHost* m_host = nullptr;
    // Depth of "/" re-runs under way; a re-run inside a re-run is refused.
    int m_rerunDepth = 0;

    // Command number of the first pattern `text` fits (-1: none); its
    // captures go to `args` when given.
    int MatchCommand(const std::string& text, CScriptLines* args) const;
    // Template tests on the upper-cased working copy of a statement.
    bool FitsTemplate(const std::string& copy, int number) const;
    bool FitsPreferredTemplate(const std::string& copy, int number) const;
    // Remembers the unit a CREATE [OR REPLACE] statement of PL/SQL names.
    void NoteCreatedUnit(const std::string& text);
};
