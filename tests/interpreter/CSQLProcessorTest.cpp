#include <gtest/gtest.h>

#include <optional>

#include "interpreter/CSQLCommandException.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/TestSupport.h"

namespace {

struct ScanCase {
    const char* text;
    const char* pattern;
    std::optional<CScriptLines> captures;  // nullopt: does not fit
};

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, CapturesOrFails) {
    const ScanCase& c = GetParam();
    if (!c.captures) {
        EXPECT_THROW(CSQLProcessor::Scan(c.text, c.pattern), CSQLCommandException) << c.text;
        return;
    }
    EXPECT_EQ(CSQLProcessor::Scan(c.text, c.pattern), *c.captures) << c.text << " / " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ScanTest,
    ::testing::Values(
        ScanCase{"DIS CONNECT", "DISCONNECT", CScriptLines{}},
        ScanCase{"SHOW NUMBER", "SHOW NUM", CScriptLines{}}, ScanCase{"EXITING", "EXIT", CScriptLines{}},
        ScanCase{"exit now", "EXIT", CScriptLines{}}, ScanCase{"EXIT", "EXIT NOW", std::nullopt},
        ScanCase{"DESC", "DESC %s", std::nullopt}, ScanCase{"DESC ", "DESC %s", CScriptLines{""}},
        ScanCase{"desc  emp ", "DESC %s", CScriptLines{"EMP "}},
        ScanCase{"DESCRIBE X", "DESC %s", std::nullopt},
        ScanCase{"DESCRIBE X", "DESCRIBE %s", CScriptLines{"X"}},
        ScanCase{"SET NUMWIDTH 9", "SET NUM %s", std::nullopt},
        ScanCase{"SET HEAD", "SET HEAD %s", std::nullopt},
        ScanCase{"connect scott/tiger", "CONNECT %s/%s@%s", std::nullopt},
        ScanCase{"connect scott/tiger", "CONNECT %s/%s", CScriptLines{"SCOTT", "TIGER"}},
        ScanCase{"connect Scott / Tiger@orcl  ", "CONNECT %s/%s@%s",
                 CScriptLines{"SCOTT", "TIGER", "ORCL  "}},
        ScanCase{"DEFINE x = 5", "DEFINE %s=%s", CScriptLines{"X", "5"}},
        ScanCase{"DEF x=", "DEF %s=%s", CScriptLines{"X", ""}},
        ScanCase{"def a=b=c", "DEF %s=%s", CScriptLines{"A", "B=C"}},
        ScanCase{"col ename format a10", "COL %s FORMAT %s", CScriptLines{"ENAME", "A10"}},
        ScanCase{"select *\nfrom t\n;", "SELECT%s;", CScriptLines{"* FROM T"}},
        ScanCase{"select a; b;", "SELECT%s;", CScriptLines{"A"}},
        ScanCase{"SELECT 1 FROM DUAL", "SELECT%s;", std::nullopt},
        ScanCase{"COMMIT ;", "COMMIT;", CScriptLines{}}, ScanCase{"COMMIT WORK;", "COMMIT;", std::nullopt},
        ScanCase{"begin\nnull;\nend;\n/", "BEGIN%sEND;%s/", CScriptLines{"NULL;", ""}},
        ScanCase{"begin null; end;", "BEGIN%sEND;%s/", std::nullopt}, ScanCase{"", "/", std::nullopt},
        ScanCase{"/", "/", CScriptLines{}}));

TEST(Scan, CapturesAreCutFromTheUpperCasedCopyWithoutTouchingTrailBytes) {
    // Full-width B is 0x82 0x61: its trail byte is the letter a.
    const std::string fullWidthB = Sj("Ｂ");
    ASSERT_EQ(fullWidthB, "\x82\x61");
    EXPECT_EQ(CSQLProcessor::Scan("desc b" + fullWidthB, "DESC %s"), CScriptLines{"B" + fullWidthB});
}

TEST(Scan, FailureCarriesCodeZeroAndScanError) {
    try {
        CSQLProcessor::Scan("X", "Y");
        FAIL();
    } catch (const CSQLCommandException& e) {
        EXPECT_EQ(e.GetCode(), 0);
        EXPECT_EQ(e.GetErrorMessage(), "Scan Error");
    }
}

struct SkipCase {
    bool commentBefore;
    const char* line;
    bool skipped;
    bool commentAfter;
};

class SkipTest : public ::testing::TestWithParam<SkipCase> {};

TEST_P(SkipTest, FollowsTheCommentRules) {
    const SkipCase& c = GetParam();
    CSQLProcessor processor;
    if (c.commentBefore) {
        ASSERT_TRUE(processor.IsSkippedLine("/* open"));
    }
    ASSERT_EQ(processor.IsInComment(), c.commentBefore);
    EXPECT_EQ(processor.IsSkippedLine(c.line), c.skipped) << '"' << c.line << '"';
    EXPECT_EQ(processor.IsInComment(), c.commentAfter) << '"' << c.line << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SkipTest,
    ::testing::Values(SkipCase{false, "", true, false}, SkipCase{false, "    ", true, false},
                      SkipCase{false, "\t", false, false}, SkipCase{false, "rem hello", true, false},
                      SkipCase{false, "Remark", true, false}, SkipCase{false, "   REM", true, false},
                      SkipCase{false, "SELECT premium FROM t;", false, false},
                      SkipCase{false, "-- note", true, false}, SkipCase{false, "  --", true, false},
                      SkipCase{false, "SELECT 1 FROM DUAL; -- x", false, false},
                      SkipCase{false, "/* one */ select", true, false}, SkipCase{false, "/*", true, true},
                      SkipCase{false, "a /* b", false, false}, SkipCase{false, "*/", false, false},
                      SkipCase{false, "/", false, false}, SkipCase{false, "x", false, false},
                      SkipCase{true, "x", false, true}, SkipCase{true, "/", false, true},
                      SkipCase{true, "still inside", true, true},
                      SkipCase{true, "end */ select 1;", true, false}, SkipCase{true, "*/", true, false},
                      SkipCase{true, "-- */", true, true}, SkipCase{true, "REM */", true, true},
                      SkipCase{true, "  ", true, true}));

struct CompleteCase {
    std::vector<std::string> lines;
    bool complete;
};

class CompleteTest : public ::testing::TestWithParam<CompleteCase> {};

TEST_P(CompleteTest, DecidesWhenToRun) {
    CSQLProcessor processor;
    for (const auto& line : GetParam().lines) processor.AddLine(line);
    EXPECT_EQ(processor.IsComplete(), GetParam().complete) << GetParam().lines.front();
}

INSTANTIATE_TEST_SUITE_P(
    Statements, CompleteTest,
    ::testing::Values(CompleteCase{{"select * from t"}, false}, CompleteCase{{"select * from t", ";"}, true},
                      CompleteCase{{"insert into t values (1);"}, true},
                      CompleteCase{{"begin", "null;", "end;"}, false},
                      CompleteCase{{"begin", "null;", "end;", "/"}, true},
                      CompleteCase{{"declare x number;", "begin", "null;", "end;", "/"}, true},
                      CompleteCase{{"CREATE OR REPLACE PROCEDURE p IS BEGIN NULL; END;"}, false},
                      CompleteCase{{"CREATE OR REPLACE PROCEDURE p IS BEGIN NULL; END;", "/"}, true},
                      CompleteCase{{"CREATE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;"}, true},
                      CompleteCase{{"COMMIT WORK;"}, false}, CompleteCase{{"commit;"}, true},
                      CompleteCase{{"CREATE PACKAGE p IS", "x;", "/"}, false},
                      CompleteCase{{"create\ttable t (a int);"}, true}, CompleteCase{{"desc -"}, false},
                      CompleteCase{{"desc -", "emp"}, true}, CompleteCase{{"desc - "}, true},
                      CompleteCase{{" SELECT 1 FROM DUAL"}, true}, CompleteCase{{"show heading"}, true},
                      CompleteCase{{"x", ""}, true}, CompleteCase{{"select", "-"}, false}));

TEST(IsComplete, NoLinesIsNotComplete) {
    CSQLProcessor processor;
    EXPECT_FALSE(processor.IsComplete());
}

TEST(IsSqlKeyword, OnlyTheTextBeforeTheFirstBlankCounts) {
    CSQLProcessor processor;
    EXPECT_TRUE(processor.IsSqlKeyword("select"));
    EXPECT_TRUE(processor.IsSqlKeyword("Truncate table t;"));
    EXPECT_TRUE(processor.IsSqlKeyword("commit;"));
    EXPECT_TRUE(processor.IsSqlKeyword("ROLLBACK;;"));
    EXPECT_FALSE(processor.IsSqlKeyword("commits;"));
    EXPECT_FALSE(processor.IsSqlKeyword("select\t1"));
    EXPECT_FALSE(processor.IsSqlKeyword(" select 1"));
    EXPECT_FALSE(processor.IsSqlKeyword("selected 1"));
    EXPECT_FALSE(processor.IsSqlKeyword("desc t"));
    EXPECT_FALSE(processor.IsSqlKeyword(""));
}

// A statement made from a template by putting a word in every field.
std::string StatementFor(const std::string& pattern) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "%s") == 0) {
            out += " x ";
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

TEST(FindTemplate, EveryTemplateIsReachedByItsOwnStatement) {
    CSQLProcessor processor;
    const auto& templates = processor.GetTemplates();
    ASSERT_EQ(templates.size(), 56u);
    for (std::size_t k = 0; k < templates.size(); ++k)
        EXPECT_EQ(processor.FindTemplate(StatementFor(templates[k])), static_cast<int>(k)) << templates[k];
}

struct TemplateCase {
    const char* statement;
    int number;
};

class TemplateTest : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateTest, PicksTheRow) {
    CSQLProcessor processor;
    EXPECT_EQ(processor.FindTemplate(GetParam().statement), GetParam().number) << GetParam().statement;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, TemplateTest,
    ::testing::Values(
        TemplateCase{"", -1}, TemplateCase{"select 1 from dual", -1}, TemplateCase{"select 1 from dual;", 0},
        TemplateCase{"insert into t values ('a');", 1}, TemplateCase{"delete from t;", 2},
        TemplateCase{"update t set a = 1;", 3}, TemplateCase{"create table t (a number);", 10},
        TemplateCase{"CREATE TABLE SPACE (A INT);", 10}, TemplateCase{"create table spaces (a int);", 10},
        TemplateCase{"create table tablespace (a int);", 10},
        TemplateCase{"CREATE TABLESPACE\nts datafile 'x';", 18}, TemplateCase{"create   tablespace ts;", 18},
        TemplateCase{"alter tablespace ts offline;", 30}, TemplateCase{"alter table spacex add (b int);", 22},
        TemplateCase{"drop tablespace ts;", 44}, TemplateCase{"drop table t;", 36},
        TemplateCase{"CREATE OR REPLACE FUNCTION f;", -1},
        TemplateCase{"CREATE OR REPLACE VIEW v AS SELECT 1 FROM DUAL;", -1},
        TemplateCase{"CREATE UNIQUE INDEX i ON t(a);", -1},
        TemplateCase{"CREATE TRIGGER t BEFORE INSERT ON x BEGIN NULL; END;\n/", 6},
        TemplateCase{"create function f return number is begin return 1; end;", 19},
        TemplateCase{"TRUNCATE TABLE t;", 50}, TemplateCase{"grant select on t to u;", 52},
        TemplateCase{"rollback;", 55}, TemplateCase{"ROLLBACK WORK;", -1}));

struct DefineCase {
    std::vector<std::pair<std::string, std::string>> defines;
    const char* statement;
    const char* expected;
};

class SubstituteTest : public ::testing::TestWithParam<DefineCase> {};

TEST_P(SubstituteTest, AppliesRowsInDefinitionOrder) {
    CSQLProcessor processor;
    for (const auto& [name, value] : GetParam().defines) processor.Define(name, value);
    EXPECT_EQ(processor.SubstituteDefines(GetParam().statement), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SubstituteTest,
    ::testing::Values(DefineCase{{}, "select 'a' from t", "SELECT 'A' FROM T"},
                      DefineCase{{{"A", "1"}, {"AB", "2"}}, "&AB", "1B"},
                      DefineCase{{{"AB", "2"}, {"A", "1"}}, "&AB &A", "2 1"},
                      DefineCase{{{"X", "5"}}, "desc &Y", "DESC &Y"},
                      DefineCase{{{"A", "&B"}, {"B", "7"}}, "&A", "7"},
                      DefineCase{{{"B", "7"}, {"A", "&B"}}, "&A", "&B"},
                      DefineCase{{{"X", "1"}}, "&x&X&&x", "11&1"}, DefineCase{{{"X", "&X"}}, "&X", "&X"},
                      DefineCase{{{"T", "emp"}}, "select * from &t;", "SELECT * FROM emp;"}));

TEST(SubstituteDefines, ValuesNamingEachOtherCannotGrowTheTextWithoutBound) {
    CSQLProcessor processor;
    // Each value names the next row twice: 40 rows would double 40 times.
    for (int n = 0; n < 40; ++n)
        processor.Define("V" + std::to_string(n),
                         "&V" + std::to_string(n + 1) + "&V" + std::to_string(n + 1));
    const std::string text = processor.SubstituteDefines("select '&v0' from dual;");
    EXPECT_LE(text.size(), 16u * 1024 * 1024 + 64);
    EXPECT_TRUE(text.starts_with("SELECT '&V"));
    EXPECT_TRUE(text.ends_with("' FROM DUAL;"));
}

TEST(Dispatch, DefineValueTakesTheValueOfAnotherNameAtThatMoment) {
    CSQLProcessor processor;
    EXPECT_TRUE(Feed(processor, {"define t=emp", "define u=&t", "define t=dept"}).empty());
    EXPECT_EQ(processor.GetDefines().Lookup("U"), "EMP");
    EXPECT_EQ(processor.GetDefines().Lookup("T"), "DEPT");
}

struct DispatchCase {
    const char* text;
    int number;
    CScriptLines args;
    std::vector<const char*> output;  // UTF-8
    const char* hostEvents;
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTest, ReachesItsHandler) {
    const DispatchCase& c = GetParam();
    CSQLProcessor processor;
    RecordingHost host(processor);
    processor.SetHost(&host);
    EXPECT_EQ(processor.FindCommand(c.text), c.number) << c.text;
    EXPECT_EQ(processor.GetCommandArgs(processor.SubstituteDefines(c.text)), c.args) << c.text;
    CScriptLines expected;
    for (const char* line : c.output) expected.push_back(Sj(line));
    EXPECT_EQ(Feed(processor, {c.text}), expected) << c.text;
    EXPECT_EQ(host.events, c.hostEvents) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DispatchTest,
    ::testing::Values(
        DispatchCase{"connect u/p@db", 0, {"U", "P", "DB"}, {"接続されていません。"}, ""},
        DispatchCase{"connect u/p", 1, {"U", "P"}, {"接続されていません。"}, ""},
        DispatchCase{"connect u", -1, {}, {"不明なコマンドです。"}, ""},
        DispatchCase{"disconnect", 2, {}, {"接続されていません。"}, ""},
        DispatchCase{"DIS CONNECT", 2, {}, {"接続されていません。"}, ""},
        DispatchCase{"exit", 3, {}, {}, "X"}, DispatchCase{"EXIT;;", 3, {}, {}, "X"},
        DispatchCase{"Exiting", 3, {}, {}, "X"},
        DispatchCase{"desc emp", 4, {"EMP"}, {"接続されていません。"}, ""},
        DispatchCase{"describe emp", 5, {"EMP"}, {"接続されていません。"}, ""},
        DispatchCase{"DESC", -1, {}, {"不明なコマンドです。"}, ""},
        DispatchCase{"var x number", 6, {"X NUMBER"}, {"接続されていません。"}, ""},
        DispatchCase{"variable x", 7, {"X"}, {"接続されていません。"}, ""},
        DispatchCase{"exec p", 8, {"P"}, {"接続されていません。"}, ""},
        DispatchCase{"execute p(1)", 9, {"P(1)"}, {"接続されていません。"}, ""},
        DispatchCase{"print x", 10, {"X"}, {"接続されていません。"}, ""},
        DispatchCase{"set serverout x", 11, {"X"}, {"接続されていません。"}, ""},
        DispatchCase{"set serveroutput on", 12, {"ON"}, {"接続されていません。"}, ""},
        DispatchCase{"set num 1", 13, {"1"}, {"numwidthオプション 0が範囲外です(範囲: 2～50)。"}, ""},
        DispatchCase{"set numwidth 51", 14, {"51"}, {"numwidthオプション 0が範囲外です(範囲: 2～50)。"}, ""},
        DispatchCase{"set auto on", 15, {"ON"}, {"接続されていません。"}, ""},
        DispatchCase{"set autocommit x", 16, {"X"}, {"接続されていません。"}, ""},
        DispatchCase{"set head x", 17, {"X"}, {"headingをONまたはOFFに設定する必要があります。"}, ""},
        DispatchCase{"set heading on ", 18, {"ON "}, {"headingをONまたはOFFに設定する必要があります。"}, ""},
        DispatchCase{"show serverout", 19, {}, {"SERVEROUTPUT OFF"}, ""},
        DispatchCase{"show serveroutput", 19, {}, {"SERVEROUTPUT OFF"}, ""},
        DispatchCase{"show number", 21, {}, {"NUMWIDTH 10"}, ""},
        DispatchCase{"show auto", 23, {}, {"AUTOCOMMIT OFF"}, ""},
        DispatchCase{"show heading", 25, {}, {"HEADING ON"}, ""},
        DispatchCase{"show all", -1, {}, {"不明なコマンドです。"}, ""},
        DispatchCase{"clear screen", 27, {}, {}, "C"}, DispatchCase{"clear col", 28, {}, {}, ""},
        DispatchCase{"clear columns", 28, {}, {}, ""},
        DispatchCase{"col sal format 999", 30, {"SAL", "999"}, {"FORMAT文字列\"999\"が不正です。"}, ""},
        DispatchCase{"column ename format a10", 31, {"ENAME", "A10"}, {}, ""},
        DispatchCase{"def x=1", 32, {"X", "1"}, {}, ""}, DispatchCase{"DEFINE x = 5", 33, {"X", "5"}, {}, ""},
        DispatchCase{"/", 34, {}, {}, "UUR"}, DispatchCase{"\t", -1, {}, {"不明なコマンドです。"}, ""},
        DispatchCase{" SELECT 1 FROM DUAL;", -1, {}, {"不明なコマンドです。"}, ""}));

TEST(Dispatch, ShortAndLongFormsReachTheSameRowTables) {
    CSQLProcessor processor;
    const auto& commands = processor.GetCommands();
    ASSERT_EQ(commands.size(), 35u);
    // Every pattern is reached by its own text, except long forms whose
    // short form comes first and leads to the same action.
    const std::vector<std::pair<int, int>> caughtByShortForm = {
        {20, 19}, {22, 21}, {24, 23}, {26, 25}, {29, 28}};
    for (std::size_t k = 0; k < commands.size(); ++k) {
        int expected = static_cast<int>(k);
        for (const auto& [longForm, shortForm] : caughtByShortForm)
            if (longForm == expected) expected = shortForm;
        EXPECT_EQ(processor.FindCommand(StatementFor(commands[k])), expected) << commands[k];
    }
}

TEST(Dispatch, HandlersSeeTheStatementUpperCasedWithContinuationLines) {
    CSQLProcessor processor;
    EXPECT_TRUE(Feed(processor, {"column ename -", "format a12"}).empty());
    EXPECT_EQ(processor.GetColumnFormats().Lookup("ENAME -"), "12");
}

TEST(Dispatch, SubstitutionReachesClientCommands) {
    CSQLProcessor processor;
    Feed(processor, {"define w=42"});
    EXPECT_TRUE(Feed(processor, {"set numwidth &w"}).empty());
    EXPECT_EQ(Feed(processor, {"show numwidth"}), CScriptLines{"NUMWIDTH 42"});
}

TEST(Dispatch, ExecuteReplacesTheOutputList) {
    CSQLProcessor processor;
    processor.AddLine("show heading");
    CScriptLines out{"old"};
    processor.Execute(out);
    EXPECT_EQ(out, CScriptLines{"HEADING ON"});
}

TEST(Dispatch, OneCharacterLineInsideACommentIsAStatement) {
    CSQLProcessor processor;
    EXPECT_EQ(Feed(processor, {"/*", "x", "*/"}), SjLines({"不明なコマンドです。"}));
    EXPECT_FALSE(processor.IsInComment());
}

TEST(Dispatch, ResetKeepsTheCommentState) {
    CSQLProcessor processor;
    processor.IsSkippedLine("/*");
    processor.AddLine("x");
    processor.Reset();
    EXPECT_TRUE(processor.GetLines().empty());
    EXPECT_TRUE(processor.IsInComment());
}

TEST(Rerun, SubmitsTheRecalledLineWithTheStatementEmptied) {
    CSQLProcessor processor;
    RecordingHost host(processor);
    processor.SetHost(&host);
    host.recalled = "show heading";
    EXPECT_TRUE(Feed(processor, {"/"}).empty());
    EXPECT_EQ(host.events, "UUR");
    EXPECT_TRUE(host.linesWhenSubmitted.empty());
    EXPECT_EQ(host.nestedOutput, CScriptLines{"HEADING ON"});
    EXPECT_TRUE(processor.GetLines().empty());
}

TEST(Rerun, ARecalledSlashDoesNotRunAgain) {
    CSQLProcessor processor;
    RecordingHost host(processor);
    processor.SetHost(&host);
    host.recalled = "/";
    EXPECT_TRUE(Feed(processor, {"/"}).empty());
    EXPECT_EQ(host.events, "UUR");
    EXPECT_TRUE(host.nestedOutput.empty());
    // The guard is released: a later "/" re-runs again.
    host.recalled = "show auto";
    EXPECT_TRUE(Feed(processor, {"/"}).empty());
    EXPECT_EQ(host.events, "UURUUR");
    EXPECT_EQ(host.nestedOutput, CScriptLines{"AUTOCOMMIT OFF"});
}

TEST(Rerun, WithoutHostTheWindowCommandsDoNothing) {
    CSQLProcessor processor;
    EXPECT_TRUE(Feed(processor, {"/", "clear screen", "exit"}).empty());
    EXPECT_TRUE(processor.GetLines().empty());
}

TEST(Messages, EveryMessageIsCp932Text) {
    for (int m = 0; m <= static_cast<int>(Message::StatementProcessed); ++m)
        EXPECT_FALSE(MessageText(static_cast<Message>(m)).empty()) << m;
    // The full-width tilde of the range message is 0x81 0x60.
    EXPECT_NE(MessageText(Message::NumWidthRange)
                  .find("2\x81\x60"
                        "50"),
              std::string::npos);
    EXPECT_EQ(MessageText(Message::DescribeHeader).size(), 32u);
    EXPECT_EQ(MessageText(Message::Disconnected), Sj("接続を切断しました"));
}

TEST(Messages, FormattingReadsOnlyItsDirective) {
    EXPECT_EQ(FormatCount("%d rows %s %d", 3), "3 rows %s %d");
    EXPECT_EQ(FormatText("a%sb%d", "%d"), "a%db%d");
}

}  // namespace
