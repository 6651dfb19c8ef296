#include <gtest/gtest.h>

#include "report/ReportMessages.h"
#include "tests/report/ReportFixture.h"
#include "tests/support/Sj.h"

using Lines = std::vector<std::string>;

TEST(CColumnTableTest, OptionsListingAndRefusals) {
    CColumnTable table;
    EXPECT_EQ(table.Command("DNAME HEADING 'Dept Name' FORMAT A20 JUS CENTER"), Lines{});
    EXPECT_EQ(table.Command("SAL FOR 999,990.99 NUL 'n/a' WRA"), Lines{});
    EXPECT_EQ(table.Command("DNAME"),
              (Lines{"COLUMN DNAME ON", "HEADING 'Dept Name'", "FORMAT A20", "JUSTIFY CENTER"}));
    EXPECT_EQ(table.Command(""),
              (Lines{"COLUMN DNAME ON", "HEADING 'Dept Name'", "FORMAT A20", "JUSTIFY CENTER", "",
                     "COLUMN SAL ON", "FORMAT 999,990.99", "NULL 'n/a'", "WRAPPED"}));
    // A refused option names itself and leaves the column as it was.
    EXPECT_EQ(table.Command("DNAME HEADING 'X' FOLD_AFTER"),
              (Lines{Sj("COLUMNのオプションFOLD_AFTERは不明です。")}));
    EXPECT_EQ(table.Command("DNAME FORMAT 9X9"), (Lines{Sj("FORMAT文字列\"9X9\"が不正です。")}));
    EXPECT_EQ(table.Command("DNAME FORMAT A0"), (Lines{Sj("FORMAT文字列\"A0\"が不正です。")}));
    EXPECT_EQ(table.Command("DNAME HEADING"), (Lines{Sj("COLUMNのオプションHEADINGに値がありません。")}));
    EXPECT_EQ(table.Find("dname")->heading, "Dept Name");
    EXPECT_EQ(table.Command("NOSUCH"), (Lines{Sj("列NOSUCHは定義されていません。")}));
    // LIKE copies, ALIAS finds, OFF hides, CLEAR forgets.
    EXPECT_EQ(table.Command("LOC LIKE DNAME ALIAS PLACE"), Lines{});
    ASSERT_NE(table.Find("place"), nullptr);
    EXPECT_EQ(table.Find("PLACE")->textWidth, 20);
    table.Command("LOC OFF");
    EXPECT_EQ(table.Find("LOC"), nullptr);
    table.Command("SAL CLEAR");
    EXPECT_FALSE(table.Find("SAL")->number.has_value());
}

TEST(CReportSettingsTest, ValuesRangesAndShow) {
    CReportSettings settings;
    EXPECT_EQ(settings.Show("PAGES"), "PAGESIZE UNLIMITED");
    EXPECT_EQ(settings.Set("PAGES", "50"), "");
    EXPECT_EQ(settings.pageSize, 50);
    EXPECT_EQ(settings.Set("LINESIZE", "0"), Sj("LINESIZEオプション 0が範囲外です(範囲: 1～32767)。"));
    EXPECT_EQ(settings.Set("LIN", "x"), Sj("LINESIZEオプション xが範囲外です(範囲: 1～32767)。"));
    EXPECT_EQ(settings.Set("NEWP", "NONE"), "");
    EXPECT_EQ(settings.newPage, 0);
    EXPECT_EQ(settings.Set("UNDERLINE", "="), "");
    EXPECT_EQ(settings.underline, '=');
    EXPECT_EQ(settings.Set("UND", "OFF"), "");
    EXPECT_EQ(settings.Show("UNDERLINE"), "UNDERLINE OFF");
    EXPECT_EQ(settings.Set("UND", "ON"), "");
    EXPECT_EQ(settings.underline, '-');
    EXPECT_EQ(settings.Set("COLSEP", "' | '"), "");
    EXPECT_EQ(settings.Show("COLSEP"), "COLSEP ' | '");
    EXPECT_EQ(settings.Set("NUMF", "99X"), Sj("FORMAT文字列\"99X\"が不正です。"));
    EXPECT_EQ(settings.Set("FEEDBACK", "5"), "");
    EXPECT_EQ(settings.feedback, 5);
    EXPECT_EQ(settings.Set("MARKUP", "CSV ON QUOTE"), Sj("MARKUPオプションの値CSV ON QUOTEが不正です。"));
    EXPECT_FALSE(settings.csv);
    EXPECT_EQ(settings.Set("ENC", "UTF-8"), "");
    EXPECT_TRUE(settings.utf8Spool);
    EXPECT_FALSE(CReportSettings::IsOption("PAG"));
    EXPECT_TRUE(CReportSettings::IsOption("TRIMS"));
}

TEST(CBreakSetTest, BreaksAndComputesListAndRefuse) {
    CBreakSet set;
    EXPECT_EQ(set.SetBreaks(""), (Lines{Sj("ブレークは定義されていません。")}));
    EXPECT_EQ(set.SetBreaks("ON DEPTNO SKIP 2 ON JOB DUP ON REPORT"), Lines{});
    EXPECT_EQ(set.SetBreaks(""), (Lines{"BREAK ON DEPTNO SKIP 2 NODUPLICATES ON JOB DUPLICATES ON REPORT"}));
    EXPECT_EQ(set.SetBreaks("ON DEPTNO SKIP"), (Lines{ReportText(ReportMessage::BreakUsage)}));
    EXPECT_EQ(set.Breaks().size(), 3u);
    EXPECT_EQ(set.SetCompute("SUM AVG LABEL 'Mean' OF SAL COMM ON DEPTNO"), Lines{});
    EXPECT_EQ(set.SetCompute("MAX OF SAL COMM ON DEPTNO"), Lines{});
    EXPECT_EQ(set.SetCompute(""), (Lines{"COMPUTE maximum LABEL 'maximum' OF SAL COMM ON DEPTNO"}));
    EXPECT_EQ(set.SetCompute("SUM OF ON DEPTNO"), (Lines{ReportText(ReportMessage::ComputeUsage)}));
    EXPECT_EQ(set.SetCompute("COUNT OF EMPNO ON JOB REPORT"), Lines{});
    EXPECT_EQ(set.SetCompute(""), (Lines{"COMPUTE maximum LABEL 'maximum' OF SAL COMM ON DEPTNO",
                                         "COMPUTE count LABEL 'count' OF EMPNO ON JOB",
                                         "COMPUTE count LABEL 'count' OF EMPNO ON REPORT"}));
    EXPECT_EQ(set.SetCompute("SUM OF SAL ON"), (Lines{ReportText(ReportMessage::ComputeUsage)}));
    EXPECT_EQ(set.SetCompute("TOTAL OF SAL ON DEPTNO"), (Lines{ReportText(ReportMessage::ComputeUsage)}));
    set.ClearComputes();
    EXPECT_EQ(set.SetCompute(""), (Lines{Sj("COMPUTEは定義されていません。")}));
}

TEST(CTitleTest, PlacesPiecesAndSwitches) {
    CTitle title("TTITLE");
    EXPECT_EQ(title.Command(""), Lines{"TTITLE OFF"});
    title.Command("'Sales Report'");
    EXPECT_EQ(title.Render(1, 20), Lines{"    Sales Report"});
    title.Command("Sales Report");
    EXPECT_EQ(title.Render(1, 20), Lines{"    Sales Report"});
    title.Command("LEFT 'a' CENTER 'b' RIGHT 'p.' SQL.PNO SKIP 2");
    EXPECT_EQ(title.Render(12, 11), (Lines{"a    b p.12", ""}));
    EXPECT_EQ(title.LineCount(), 2);
    title.Command("LEFT 'Run ' today 'by' who");
    const CTitle::Variables variables = [](const std::string& name, std::string& value) {
        value = "2026-12-07";
        return name == "today";
    };
    EXPECT_EQ(title.Render(1, 30, &variables), Lines{"Run 2026-12-07bywho"});
    title.Command("OFF");
    EXPECT_FALSE(title.IsOn());
    EXPECT_EQ(title.Command(""), Lines{"TTITLE OFF LEFT 'Run ' today 'by' who"});
    title.Command("ON");
    EXPECT_TRUE(title.IsOn());
}

// COL n places what follows at column n, TAB n leaves n blanks, SQL.USER is
// the session's user, and FORMAT with its model does not show as text.
TEST(CTitleTest, ColumnsTabsUserAndFormat) {
    CTitle title("TTITLE");
    const CTitle::Variables variables = [](const std::string& name, std::string& value) {
        value = "SCOTT";
        return name == "_USER";
    };
    title.Command("'Report' COL 12 'Page' TAB 2 FORMAT 999 SQL.PNO");
    EXPECT_EQ(title.Render(3, 40), Lines{"Report     Page  3"});
    title.Command("LEFT 'by ' SQL.USER COL 3 'x'");
    EXPECT_EQ(title.Render(1, 40, &variables), Lines{"by SCOTTx"});
}
