#include <gtest/gtest.h>

#include <optional>

#include "commands/CColumnCommand.h"
#include "commands/CDefineCommand.h"
#include "interpreter/CSQLCommandException.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/TestSupport.h"

namespace {

constexpr auto kNoFit = std::nullopt;

TEST(Scan, CapturesOrFailsWithCodeZeroAndScanError) {
    const CScriptLines none;
    // clang-format off
    const struct { const char *text, *pattern; std::optional<CScriptLines> captures; } cases[] = {
        {"DIS CONNECT", "DISCONNECT", none}, {"SHOW NUMBER", "SHOW NUM", none}, {"EXITING", "EXIT", none},
        {"exit now", "EXIT", none}, {"EXIT", "EXIT NOW", kNoFit}, {"DESC", "DESC %s", kNoFit},
        {"DESC ", "DESC %s", CScriptLines{""}}, {"desc  emp ", "DESC %s", CScriptLines{"EMP "}},
        {"DESCRIBE X", "DESC %s", kNoFit}, {"DESCRIBE X", "DESCRIBE %s", CScriptLines{"X"}},
        {"SET NUMWIDTH 9", "SET NUM %s", kNoFit}, {"SET HEAD", "SET HEAD %s", kNoFit},
        {"connect scott/tiger", "CONNECT %s/%s@%s", kNoFit},
        {"connect scott/tiger", "CONNECT %s/%s", CScriptLines{"SCOTT", "TIGER"}},
        {"connect Scott / Tiger@orcl  ", "CONNECT %s/%s@%s", CScriptLines{"SCOTT", "TIGER", "ORCL  "}},
        {"DEFINE x = 5", "DEFINE %s=%s", CScriptLines{"X", "5"}},
        {"DEF x=", "DEF %s=%s", CScriptLines{"X", ""}}, {"def a=b=c", "DEF %s=%s", CScriptLines{"A", "B=C"}},
        {"col ename format a10", "COL %s", CScriptLines{"ENAME FORMAT A10"}},
        {"select *\nfrom t\n;", "SELECT%s;", CScriptLines{"* FROM T"}},
        {"select a; b;", "SELECT%s;", CScriptLines{"A"}}, {"SELECT 1 FROM DUAL", "SELECT%s;", kNoFit},
        {"COMMIT ;", "COMMIT;", none}, {"COMMIT WORK;", "COMMIT;", kNoFit},
        {"begin\nnull;\nend;\n/", "BEGIN%sEND;%s/", CScriptLines{"NULL;", ""}},
        {"begin null; end;", "BEGIN%sEND;%s/", kNoFit}, {"", "/", kNoFit}, {"/", "/", none},
        // Full-width B is 0x82 0x61: its trail byte, the letter a, is not upper-cased.
        {"desc b\x82\x61", "DESC %s", CScriptLines{"B\x82\x61"}}};
    // clang-format on
    for (const auto& c : cases) {
        if (c.captures) {
            EXPECT_EQ(CSQLProcessor::Scan(c.text, c.pattern), *c.captures) << c.text << " / " << c.pattern;
            continue;
        }
        try {
            CSQLProcessor::Scan(c.text, c.pattern);
            ADD_FAILURE() << c.text << " / " << c.pattern;
        } catch (const CSQLCommandException& e) {
            EXPECT_EQ(e.GetCode(), 0);
            EXPECT_EQ(e.GetErrorMessage(), "Scan Error");
        }
    }
}

TEST(IsSkippedLine, FollowsTheCommentRules) {
    // clang-format off
    const struct { bool commentBefore; const char* line; bool skipped, commentAfter; } cases[] = {
        {false, "", true, false}, {false, "    ", true, false}, {false, "\t", false, false},
        {false, "rem hello", true, false}, {false, "Remark", true, false}, {false, "   REM", true, false},
        {false, "SELECT premium FROM t;", false, false}, {false, "-- note", true, false},
        {false, "  --", true, false}, {false, "SELECT 1 FROM DUAL; -- x", false, false},
        {false, "/* one */ select", true, false}, {false, "/*", true, true}, {false, "a /* b", false, false},
        {false, "*/", false, false}, {false, "/", false, false}, {false, "x", false, false},
        {true, "x", false, true}, {true, "/", false, true}, {true, "still inside", true, true},
        {true, "end */ select 1;", true, false}, {true, "*/", true, false}, {true, "-- */", true, true},
        {true, "REM */", true, true}, {true, "  ", true, true}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        if (c.commentBefore) {
            ASSERT_TRUE(processor.IsSkippedLine("/* open"));
        }
        ASSERT_EQ(processor.IsInComment(), c.commentBefore);
        EXPECT_EQ(processor.IsSkippedLine(c.line), c.skipped) << '"' << c.line << '"';
        EXPECT_EQ(processor.IsInComment(), c.commentAfter) << '"' << c.line << '"';
    }
}

TEST(IsComplete, DecidesWhenToRun) {
    // clang-format off
    const struct { CScriptLines lines; bool complete; } cases[] = {
        {{}, false}, {{"select * from t"}, false}, {{"select * from t", ";"}, true},
        {{"insert into t values (1);"}, true}, {{"begin", "null;", "end;"}, false},
        {{"begin", "null;", "end;", "/"}, true}, {{"declare x number;", "begin", "null;", "end;", "/"}, true},
        {{"CREATE OR REPLACE PROCEDURE p IS BEGIN NULL; END;"}, false},
        {{"CREATE OR REPLACE PROCEDURE p IS BEGIN NULL; END;", "/"}, true},
        {{"CREATE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;"}, false},
        {{"create or replace editionable function f return number is", "begin", "return 1;", "end;", " / "}, true},
        {{"COMMIT WORK;"}, true}, {{"commit;"}, true}, {{"CREATE PACKAGE p IS", "x;", "/"}, true},
        {{"create package body p as", "procedure q is begin null; end;", "end;"}, false},
        {{"CREATE TYPE t AS OBJECT (a NUMBER);"}, true}, {{"create type body t as", "member x;", "end;"}, false},
        {{"create unique index i", "on t (a);"}, true}, {{"create or replace view v as select 1 x from dual", "/"}, true},
        {{"insert into t values ('a;", "b');"}, true}, {{"insert into t values ('a;"}, false},
        {{"insert into t values (q'[x;]'"}, false}, {{"select 1 from dual -- ;"}, false},
        {{"select 1 from dual; -- done"}, true}, {{"select 1 /* ; */ from dual"}, false},
        {{"update t set a = 'it''s;'", "where b = 1;"}, true}, {{"update t set a = 'open", "/"}, true},
        {{"  select 1", "from dual;"}, true}, {{"\twith x as (select 1 a from dual) select a from x;"}, true},
        {{"set transaction read only;"}, true}, {{"merge into t using s on (1=1)", "when matched then update set a=1;"}, true},
        {{"create\ttable t (a int);"}, true}, {{"desc -"}, false}, {{"desc -", "emp"}, true},
        {{"desc - "}, true}, {{" SELECT 1 FROM DUAL"}, false}, {{"show heading"}, true}, {{"x", ""}, true},
        {{"select", "-"}, false},
        {{"WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x*2; END;", "SELECT f(1) FROM dual;"}, false},
        {{"with function f(x number) return number is begin return x; end;", "select f(1) from dual", "/"}, true},
        {{"with", "function f return number is begin return 1; end;", "select f from dual;"}, false},
        {{"with", "w as (select 1 a from dual)", "select a from w;"}, true}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        for (const auto& line : c.lines) processor.AddLine(line);
        EXPECT_EQ(processor.IsComplete(), c.complete) << c.lines.Join();
    }
}

TEST(IsSqlKeyword, OnlyTheTextBeforeTheFirstBlankCounts) {
    CSQLProcessor processor;
    for (const char* text : {"select", "Truncate table t;", "commit;", "ROLLBACK;;", "select\t1", " select 1",
                             "\t  merge into t", "Set Transaction read only", "set constraints all deferred",
                             "comment on table t is 'x';", "with x as (select 1 from dual)"})
        EXPECT_TRUE(processor.IsSqlKeyword(text)) << text;
    for (const char* text :
         {"commits;", "selected 1", "desc t", "", "set heading off", "set", "/ select", "prompt select"})
        EXPECT_FALSE(processor.IsSqlKeyword(text)) << text;
}

// A statement made from a pattern by putting a word in every field.
std::string StatementFor(const std::string& pattern) {
    std::string out = pattern;
    for (std::size_t at; (at = out.find("%s")) != std::string::npos;) out.replace(at, 2, " x ");
    return out;
}

// Every row is reached by its own text, unless an earlier row already takes it.
TEST(FindTemplateAndCommand, EveryRowIsReachedByItsOwnText) {
    CSQLProcessor processor;
    const auto& templates = processor.GetTemplates();
    for (std::size_t k = 0; k < templates.size(); ++k)
        EXPECT_EQ(processor.FindTemplate(StatementFor(templates[k])), static_cast<int>(k)) << templates[k];
    const auto& commands = processor.GetCommands();
    for (std::size_t k = 0; k < commands.size(); ++k) {
        const std::string statement = StatementFor(commands[k]);
        const int found = processor.FindCommand(statement);
        ASSERT_GE(found, 0) << commands[k];
        EXPECT_LE(found, static_cast<int>(k)) << commands[k];
        EXPECT_NO_THROW(CSQLProcessor::Scan(statement, commands[static_cast<std::size_t>(found)]))
            << commands[k];
    }
}

// A TABLE row never takes a TABLESPACE statement, the qualifying words of
// CREATE reach the row of their object, and a statement without its ending
// fits no row.
TEST(FindTemplate, ReachesTheRowOfTheObject) {
    // clang-format off
    const struct { const char* statement; const char* pattern; } cases[] = {
        {"", nullptr}, {"select 1 from dual", nullptr}, {"comment table t;", nullptr},
        {"select 1 from dual;", "SELECT%s;"}, {"CREATE TABLE SPACE (A INT);", "CREATE TABLE%s;"},
        {"create table tablespace (a int);", "CREATE TABLE%s;"},
        {"CREATE TABLESPACE\nts datafile 'x';", "CREATE TABLESPACE%s;"},
        {"alter tablespace ts offline;", "ALTER TABLESPACE%s;"}, {"alter table spacex add (b int);", "ALTER TABLE%s;"},
        {"drop tablespace ts;", "DROP TABLESPACE%s;"},
        {"CREATE TRIGGER t BEFORE INSERT ON x BEGIN NULL; END;\n/", "CREATE TRIGGER%sBEGIN%sEND;%s/"},
        {"create function f return number is begin return 1; end;", "CREATE FUNCTION%s;"},
        {"CREATE OR REPLACE FUNCTION f;", "CREATE OR REPLACE FUNCTION%s"},
        {"create or replace noneditionable package body p as end;\n/", "CREATE OR REPLACE PACKAGE BODY%s"},
        {"create editionable package p as end;\n/", "CREATE PACKAGE%s"},
        {"create or replace force view v as select 1 from dual;", "CREATE OR REPLACE VIEW%s;"},
        {"create type body t as member procedure p is begin null; end; end;\n/", "CREATE TYPE BODY%s"},
        {"ROLLBACK WORK;", "ROLLBACK WORK;"}, {"rollback to savepoint a;", "ROLLBACK TO%s;"},
        {"drop package body p;", "DROP PACKAGE BODY%s;"}, {"set constraints all deferred;", "SET CONSTRAINTS%s;"}};
    // clang-format on
    CSQLProcessor processor;
    const auto& templates = processor.GetTemplates();
    for (const auto& c : cases) {
        const int number = processor.FindTemplate(c.statement);
        EXPECT_EQ(number >= 0 ? templates[static_cast<std::size_t>(number)] : "", c.pattern ? c.pattern : "")
            << c.statement;
    }
}

TEST(SubstituteDefines, ReplacesWholeNamesOnce) {
    // clang-format off
    const struct {
        std::vector<std::pair<std::string, std::string>> defines;
        const char *statement, *expected;
    } cases[] = {
        {{}, "select 'a' from t", "SELECT 'a' FROM T"}, {{}, "select q'[a'b]', \"c\" x", "SELECT Q'[a'b]', \"c\" X"},
        {{{"V", "1"}}, "insert into t values ('&v', &v)", "INSERT INTO T VALUES ('1', 1)"},
        // A name runs to the first byte that cannot be part of one; "." ends
        // it and goes with it.
        {{{"A", "1"}, {"AB", "2"}}, "&AB", "2"}, {{{"A", "1"}, {"AB", "2"}}, "&A.B &A..", "1B 1."},
        {{{"AB", "2"}, {"A", "1"}}, "&AB &A", "2 1"}, {{{"A", "1"}}, "&AB", "&AB"},
        {{{"A", "1"}, {"AB", "2"}, {"A", "3"}}, "&AB", "2"}, {{{"X", "5"}}, "desc &Y", "DESC &Y"},
        // A value is put in as it is, never substituted again.
        {{{"A", "&B"}, {"B", "7"}}, "&A", "&B"}, {{{"B", "7"}, {"A", "&B"}}, "&A", "&B"},
        {{{"X", "1"}}, "&x&X&&x", "111"}, {{{"X", "&X"}}, "&X", "&X"}, {{{"X", "1"}}, "a & b &", "A & B &"},
        {{{"1", "emp"}}, "select * from &1;", "SELECT * FROM emp;"},
        {{{"T", "emp"}}, "select * from &t;", "SELECT * FROM emp;"}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        for (const auto& [name, value] : c.defines) processor.Command<CDefineCommand>().Define(name, value);
        EXPECT_EQ(processor.SubstituteDefines(c.statement), c.expected) << c.statement;
    }
}

TEST(SubstituteDefines, ValuesNamingEachOtherCannotGrowTheTextWithoutBound) {
    CSQLProcessor processor;
    // Each value names the next row twice: 40 rows would double 40 times.
    for (int n = 0; n < 40; ++n)
        processor.Command<CDefineCommand>().Define(
            "V" + std::to_string(n), "&V" + std::to_string(n + 1) + "&V" + std::to_string(n + 1));
    const std::string text = processor.SubstituteDefines("select '&v0' from dual;");
    EXPECT_LE(text.size(), 16u * 1024 * 1024 + 64);
    EXPECT_TRUE(text.starts_with("SELECT '&V"));
    EXPECT_TRUE(text.ends_with("' FROM DUAL;"));
}

// Each command reaches its handler with its fields; the exact answers are
// the end-to-end scripts' business, so most rows only need one that shows
// the handler ran.
TEST(Dispatch, ReachesItsHandler) {
    const char* const kNotConnected = "接続されていません。";
    const char* const kUnknown = "不明なコマンドです。";
    const char* const kRange = "numwidthオプション 1が範囲外です(範囲: 2～50)。";
    // clang-format off
    const struct {
        const char* text;
        CScriptLines args;
        const char* output;  // UTF-8; "" for none
        const char* hostEvents = "";
    } cases[] = {
        {"connect u/p@db", {"U", "P", "DB"}, kNotConnected}, {"connect u/p", {"U", "P"}, kNotConnected},
        {"connect u", {"U"}, "ユーザ名/パスワードを指定して下さい。"}, {"disconnect", {}, kNotConnected}, {"Exiting", {}, "", "X"},
        {"desc emp", {"EMP"}, kNotConnected}, {"describe emp", {"EMP"}, kNotConnected}, {"DESC", {}, kUnknown},
        {"var x number", {"X NUMBER"}, kNotConnected}, {"variable x", {"X"}, kNotConnected},
        {"exec p", {"P"}, kNotConnected}, {"execute p(1)", {"P(1)"}, kNotConnected},
        {"print x", {"X"}, kNotConnected}, {"set serverout x", {"SERVEROUT X"}, kNotConnected},
        {"set serveroutput on", {"SERVEROUTPUT ON"}, kNotConnected}, {"set num 1", {"NUM 1"}, kRange},
        {"set numwidth 1", {"NUMWIDTH 1"}, kRange}, {"set auto on", {"AUTO ON"}, kNotConnected},
        {"set autocommit x", {"AUTOCOMMIT X"}, kNotConnected},
        {"set head x", {"HEAD X"}, "headingをONまたはOFFに設定する必要があります。"},
        {"set heading on ", {"HEADING ON "}, "headingをONまたはOFFに設定する必要があります。"},
        {"show serverout", {"SERVEROUT"}, "SERVEROUTPUT OFF"}, {"show number", {"NUMBER"}, "NUMWIDTH 10"},
        {"show auto", {"AUTO"}, "AUTOCOMMIT OFF"}, {"show heading", {"HEADING"}, "HEADING ON"},
        {"show feedback", {"FEEDBACK"}, "FEEDBACK ON"}, {"show timi", {"TIMI"}, "TIMING OFF"},
        {"clear screen", {"SCREEN"}, "", "C"}, {"clear columns", {"COLUMNS"}, ""},
        {"col sal format 999", {"SAL FORMAT 999"}, ""},
        {"col sal format 9x9", {"SAL FORMAT 9X9"}, "FORMAT文字列\"9X9\"が不正です。"},
        {"column ename format a10", {"ENAME FORMAT A10"}, ""}, {"def x=1", {"X", "1"}, ""},
        {"DEFINE x = 5", {"X", "5"}, ""}, {"/", {}, "SQLバッファに実行する文がありません。"}, {"\t", {}, kUnknown},
        {"prompt Hello, World", {"HELLO, WORLD"}, "Hello, World"}, {"whenever sqlerror exit 3", {"EXIT 3"}, ""},
        {"whenever oserror exit bad", {"EXIT BAD"},
         "使用方法: WHENEVER SQLERROR|OSERROR {EXIT [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE] [COMMIT|ROLLBACK]|CONTINUE}"},
        {"set feedback maybe", {"FEEDBACK MAYBE"}, "feedbackにはON、OFFまたは行数を指定する必要があります。"},
        {"set timing off", {"TIMING OFF"}, ""}, {"set linesize 200", {"LINESIZE 200"}, ""}, {"set pagesize x", {"PAGESIZE X"}, "PAGESIZEオプション Xが範囲外です(範囲: 0～50000)。"},
        {"SHOW ERRORS package body p", {"PACKAGE BODY P"}, kNotConnected},
        {"show err p", {"P"}, kNotConnected}, {"show err", {}, kNotConnected}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        RecordingHost host(processor);
        processor.SetHost(&host);
        EXPECT_EQ(processor.GetCommandArgs(processor.SubstituteDefines(c.text)), c.args) << c.text;
        EXPECT_EQ(Feed(processor, {c.text}), *c.output ? SjLines({c.output}) : CScriptLines{}) << c.text;
        EXPECT_EQ(host.events, c.hostEvents) << c.text;
    }
}

TEST(Dispatch, StatementsSeeTheStateLeftByEarlierOnes) {
    CSQLProcessor processor;
    // A define takes the value of another name at that moment.
    EXPECT_TRUE(Feed(processor, {"define t=emp", "define u=&t", "define t=dept"}).empty());
    EXPECT_EQ(processor.Command<CDefineCommand>().GetDefines().Lookup("U"), "EMP");
    EXPECT_EQ(processor.Command<CDefineCommand>().GetDefines().Lookup("T"), "DEPT");
    // Substitution reaches client commands; handlers see the statement
    // upper-cased with its continuation lines.
    EXPECT_TRUE(Feed(processor, {"define w=42", "set numwidth &w", "column ename -", "format a12"}).empty());
    ASSERT_NE(processor.Command<CColumnCommand>().GetColumns().Find("ENAME"), nullptr);
    EXPECT_EQ(processor.Command<CColumnCommand>().GetColumns().Find("ENAME")->textWidth, 12);
    // Without a host the window commands do nothing.
    EXPECT_TRUE(Feed(processor, {"clear screen", "exit"}).empty());
    EXPECT_TRUE(processor.GetLines().empty());
    // Execute replaces the output list.
    processor.AddLine("show numwidth");
    CScriptLines out{"old"};
    processor.Execute(out);
    EXPECT_EQ(out, CScriptLines{"NUMWIDTH 42"});
}

TEST(Dispatch, CommentStateOutlivesResetAndAOneCharacterLineInsideIsAStatement) {
    CSQLProcessor processor;
    processor.IsSkippedLine("/*");
    processor.AddLine("x");
    processor.Reset();
    EXPECT_TRUE(processor.GetLines().empty());
    EXPECT_TRUE(processor.IsInComment());
    EXPECT_EQ(Feed(processor, {"x", "*/"}), SjLines({"不明なコマンドです。"}));
    EXPECT_FALSE(processor.IsInComment());
}

TEST(Rerun, RunsTheStatementBufferWithoutTheHost) {
    CSQLProcessor processor;
    RecordingHost host(processor);
    processor.SetHost(&host);
    host.recalled = "show heading";
    EXPECT_EQ(Feed(processor, {"/"}), SjLines({"SQLバッファに実行する文がありません。"}));
    // Client commands never enter the buffer; SQL does, and "/" runs it again.
    const CScriptLines none = SjLines({"データベースに接続されていません。"});
    EXPECT_EQ(Feed(processor, {"select 1", "from dual;", "show heading", "/"}),
              (CScriptLines{none[0], "HEADING ON", none[0]}));
    EXPECT_EQ(host.events, "");
    EXPECT_TRUE(processor.GetLines().empty());
}

TEST(Messages, FormattingReadsOnlyItsDirective) {
    EXPECT_EQ(FormatCount("%d rows %s %d", 3), "3 rows %s %d");
    EXPECT_EQ(FormatText("a%sb%d", "%d"), "a%db%d");
}

}  // namespace

namespace {

TEST(Completion, ATypeWithoutBodyTakesTheSlashThatFollowsIt) {
    CSQLProcessor processor;
    RecordingHost host(processor);
    processor.SetHost(&host);
    // Not connected: each statement answers that, once.
    const CScriptLines one = SjLines({"データベースに接続されていません。"});
    EXPECT_EQ(Feed(processor, {"create type t as object (a number);", "/"}), one);
    EXPECT_EQ(host.events, "");
    // Any other statement leaves a "/" to re-run.
    EXPECT_EQ(Feed(processor, {"create table t (a number);", "/"}), (CScriptLines{one[0], one[0]}));
    EXPECT_EQ(host.events, "");
}

TEST(Whenever, SqlErrorLeavesWithItsStatusAndContinueStays) {
    // clang-format off
    const struct { const char* setting; const char* events; } cases[] = {
        {"whenever sqlerror exit", "E1"}, {"whenever sqlerror exit success", "E0"},
        {"WHENEVER SQLERROR EXIT 7 COMMIT", "E7"}, {"whenever sqlerror exit failure rollback", "E1"},
        {"whenever sqlerror continue", ""}, {"whenever sqlerror exit 256", ""},
        {"whenever sqlerror exit sql.sqlcode rollback", "E1"},
        {"whenever oserror exit 4", ""}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        struct ExitHost : RecordingHost {
            using RecordingHost::RecordingHost;
            void PostExit(int status) override { events += "E" + std::to_string(status); }
        } host(processor);
        processor.SetHost(&host);
        Feed(processor, {c.setting, "select 1 from dual;", "exec null"});
        EXPECT_EQ(host.events.substr(0, 2), c.events) << c.setting;
        if (std::string(c.setting).find("oserror") != std::string::npos) {
            EXPECT_TRUE(processor.ReportOsError());
            EXPECT_EQ(host.events, "E4");
        }
    }
}

TEST(FormatElapsed, HoursMinutesSecondsAndHundredths) {
    EXPECT_EQ(CSQLProcessor::FormatElapsed(120), Sj("経過時間: 00:00:00.12"));
    EXPECT_EQ(CSQLProcessor::FormatElapsed(3723450), Sj("経過時間: 01:02:03.45"));
    EXPECT_EQ(CSQLProcessor::FormatElapsed(-5), Sj("経過時間: 00:00:00.00"));
}

TEST(Options, FeedbackAndTimingFollowTheOthersInShowAll) {
    CSQLProcessor processor;
    EXPECT_TRUE(Feed(processor, {"set feed off", "set timing ON"}).empty());
    EXPECT_EQ(Feed(processor, {"show all"}),
              (CScriptLines{"SERVEROUTPUT OFF", "NUMWIDTH 10",        "AUTOCOMMIT OFF",
                            "HEADING ON",       "FEEDBACK OFF",       "TIMING ON",
                            "LOCKWAIT 10",      "PAGESIZE UNLIMITED", "LINESIZE UNLIMITED",
                            "NEWPAGE 1",        "UNDERLINE '-'",      "COLSEP ' '",
                            "NULL ''",          "WRAP OFF",           "TRIMOUT OFF",
                            "TRIMSPOOL OFF",    "HEADSEP '|'",        "LONG 80",
                            "LONGCHUNKSIZE 80", "NUMFORMAT ''",       "MARKUP CSV OFF DELIMITER , QUOTE ON",
                            "ENCODING CP932",   "DEFINE &",           "CONCAT .",
                            "ESCAPE OFF",       "VERIFY OFF",         "ECHO OFF",
                            "TERMOUT ON",       "ARRAYSIZE AUTO",     "SQLBLANKLINES ON"}));
    EXPECT_EQ(
        Feed(processor, {"set pagesize 0", "set colsep ' | '", "show colsep", "SET  nosuch off", "set "}),
        SjLines({"COLSEP ' | '", "SET NOSUCH は使用できません。", "不明なコマンドです。"}));
    EXPECT_TRUE(Feed(processor, {"SET  define off"}).empty());
    EXPECT_EQ(Feed(processor, {"prompt", "prompt  Mixed 'Case' &x"}), (CScriptLines{"", "Mixed 'Case' &x"}));
    // Timing follows every statement, failed ones too.
    const CScriptLines timed = Feed(processor, {"select 1 from dual;"});
    ASSERT_EQ(timed.size(), 2u);
    EXPECT_TRUE(timed[1].starts_with(Sj("経過時間: 00:00:"))) << timed[1];
}

}  // namespace
