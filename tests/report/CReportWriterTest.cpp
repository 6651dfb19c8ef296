#include <gtest/gtest.h>

#include "tests/report/ReportFixture.h"
#include "tests/support/Sj.h"

using Lines = std::vector<std::string>;

TEST(CReportWriterTest, WithoutReportCommandsTheLayoutIsTheConsolesOwn) {
    ReportFixture report;
    const Lines lines =
        report.Run(EmpShape(), {{"10", "KING", "123456789012"}, {"20", "", "-.6666666666666667"}});
    EXPECT_EQ(lines, (Lines{"", "DEPTNO     ENAME      SAL        ", "---------- ---------- ---------- ",
                            "10         KING       1.2346E+11 ", "20                    -.66666667 "}));
}

TEST(CReportWriterTest, BreaksAndExactSumsUnderEachGroupAndAtTheEnd) {
    ReportFixture report;
    report.columns.Command("SAL FORMAT 99,999.99");
    report.breaks.SetBreaks("ON DEPTNO SKIP 1 ON REPORT");
    report.breaks.SetCompute("SUM OF SAL ON DEPTNO");
    report.breaks.SetCompute("SUM LABEL 'Total' OF SAL ON REPORT");
    EXPECT_EQ(report.Run(EmpShape(), EmpRows()),
              (Lines{"", "DEPTNO     ENAME             SAL ", "---------- ---------- ---------- ",
                     "10         KING         5,000.00 ", "           CLARK        2,450.50 ",
                     "**********            ---------- ", "sum                     7,450.50 ", "",
                     "20         SMITH          800.10 ", "           FORD              .20 ",
                     "**********            ---------- ", "sum                       800.30 ",
                     "                      ---------- ", "Total                   8,250.80 "}));
}

TEST(CReportWriterTest, PagesRepeatTitlesAndHeadingsAndShowTheBreakValueAgain) {
    ReportFixture report;
    report.settings.Set("PAGESIZE", "8");
    report.top.Command("LEFT 'Staff' RIGHT 'Page ' SQL.PNO SKIP 1");
    report.bottom.Command("CENTER 'end'");
    report.columns.Command("SAL HEADING 'Monthly|Pay' FORMAT 9999 JUSTIFY LEFT");
    report.breaks.SetBreaks("ON DEPTNO");
    EXPECT_EQ(
        report.Run(EmpShape(), EmpRows()),
        (Lines{"", "Staff                  Page 1", "DEPTNO     ENAME      Monthly ",
               "                      Pay     ", "---------- ---------- ------- ",
               "10         KING          5000 ", "           CLARK         2451 ", "             end", "",
               "Staff                  Page 2", "DEPTNO     ENAME      Monthly ",
               "                      Pay     ", "---------- ---------- ------- ",
               "20         SMITH          800 ", "           FORD             0 ", "             end"}));
}

TEST(CReportWriterTest, WordWrappedTextNullTextNoprintAndColsep) {
    ReportFixture report;
    report.columns.Command("ENAME FORMAT A5 WORD_WRAPPED NULL '-'");
    report.columns.Command("DEPTNO NOPRINT");
    report.settings.Set("COLSEP", "'|'");
    EXPECT_EQ(report.Run(EmpShape(), {{"10", "ANN LEE SMITH", "1"}, {"10", "", "2"}}),
              (Lines{"", "ENAME|SAL        ", "-----|---------- ", "ANN  |1          ", "LEE  |           ",
                     "SMITH|           ", "-    |2          "}));
}

TEST(CReportWriterTest, CsvQuotesTextOnly) {
    ReportFixture report;
    report.settings.Set("MARKUP", "CSV ON");
    EXPECT_EQ(report.Run(EmpShape(), {{"10", "O\"NEIL", "1.5"}, {"", "", ""}}),
              (Lines{"\"DEPTNO\",\"ENAME\",\"SAL\"", "10,\"O\"\"NEIL\",1.5", ",,"}));
    report.settings.Set("MARKUP", "CSV ON DELIMITER ; QUOTE OFF");
    report.columns.Command("DEPTNO NOPRINT");
    EXPECT_EQ(report.Run(EmpShape(), {{"10", "A", "2"}}), (Lines{"ENAME;SAL", "A;2"}));
}

TEST(CReportWriterTest, LinesizeContinuesALongLineAndPagesizeZeroDropsTheTop) {
    ReportFixture report;
    report.settings.Set("LINESIZE", "15");
    report.settings.Set("PAGESIZE", "0");
    report.settings.Set("TRIMOUT", "ON");
    EXPECT_EQ(report.Run(EmpShape(), {{"10", "KING", "5000"}}), (Lines{"10         KING", "       5000"}));
}

// Figures come in the consoles' order (AVG, COUNT, MIN, MAX, NUMBER, SUM,
// STD, VARIANCE), not in the order named.
TEST(CReportWriterTest, SkipPageAndSeveralFunctionsWithTheColumnsFormat) {
    ReportFixture report;
    report.breaks.SetBreaks("ON DEPTNO SKIP PAGE");
    report.breaks.SetCompute("COUNT AVG MAX LABEL 'top' OF SAL ON DEPTNO");
    report.settings.Set("PAGESIZE", "50");
    report.settings.Set("NUMFORMAT", "9990.99");
    EXPECT_EQ(report.Run(EmpShape(), EmpRows()),
              (Lines{"", "  DEPTNO ENAME           SAL ", "-------- ---------- -------- ",
                     "   10.00 KING        5000.00 ", "         CLARK       2450.50 ",
                     "********            -------- ", "avg                  3725.25 ",
                     "count                   2.00 ", "top                  5000.00 ", "",
                     "  DEPTNO ENAME           SAL ", "-------- ---------- -------- ",
                     "   20.00 SMITH        800.10 ", "         FORD           0.20 ",
                     "********            -------- ", "avg                   400.15 ",
                     "count                   2.00 ", "top                   800.10 "}));
}

TEST(CReportWriterTest, NewValueHoldsTheLastRowsValue) {
    ReportFixture report;
    report.columns.Command("ENAME NEW_VALUE last_name");
    CReportWriter writer(report.settings, report.columns, report.breaks, report.top, report.bottom);
    CScriptLines out;
    writer.Begin(EmpShape(), out);
    for (const auto& row : EmpRows()) writer.Row({row[0], row[1], row[2]}, out);
    writer.End(out);
    ASSERT_EQ(writer.Variables().size(), 1u);
    EXPECT_EQ(writer.Variables()[0], (std::pair<std::string, std::string>("LAST_NAME", "FORD")));
}

// A page broken by a new department: its bottom title names the department
// that ended (OLD_VALUE), the next page's top the one that begins
// (NEW_VALUE), the first page's top included.
TEST(CReportWriterTest, TitlesShowTheNewValueOnTopAndTheOldValueAtTheBottom) {
    ReportFixture report;
    report.settings.Set("PAGESIZE", "7");
    report.columns.Command("DEPTNO NEW_VALUE dept_now OLD_VALUE dept_was NOPRINT");
    report.breaks.SetBreaks("ON DEPTNO SKIP PAGE");
    report.top.Command("LEFT 'Dept ' dept_now");
    report.bottom.Command("LEFT 'End of ' dept_was");
    CReportWriter writer(report.settings, report.columns, report.breaks, report.top, report.bottom);
    writer.SetVariables([](const std::string& name, std::string& value) {
        value = "stale " + name;
        return true;
    });
    CScriptLines out;
    writer.Begin(EmpShape(), out);
    EXPECT_TRUE(out.empty());
    for (const auto& row : EmpRows()) writer.Row({row[0], row[1], row[2]}, out);
    writer.End(out);
    EXPECT_EQ(
        Lines(out.begin(), out.end()),
        (Lines{"", "Dept 10", "ENAME      SAL        ", "---------- ---------- ", "KING       5000       ",
               "CLARK      2450.5     ", "End of 10", "", "Dept 20", "ENAME      SAL        ",
               "---------- ---------- ", "SMITH      800.1      ", "FORD       .2         ", "End of 20"}));
    EXPECT_EQ(writer.Variables(),
              (std::vector<std::pair<std::string, std::string>>{{"DEPT_NOW", "20"}, {"DEPT_WAS", "20"}}));
}

// With no rows the page's top still comes, at the end.
TEST(CReportWriterTest, NoRowsStillGiveTheHeadings) {
    ReportFixture report;
    EXPECT_EQ(report.Run(EmpShape(), {}),
              (Lines{"", "DEPTNO     ENAME      SAL        ", "---------- ---------- ---------- "}));
}

// A line longer than LINESIZE goes on on the next line without cutting a
// double-byte character in two.
TEST(CReportWriterTest, LinesizeNeverSplitsADoubleByteCharacter) {
    ReportFixture report;
    report.settings.Set("LINESIZE", "5");
    report.settings.heading = false;
    const std::string kanji = Sj("日本語");
    const std::vector<ReportColumn> shape = {{"A", false, false, 1}, {"B", false, false, 6}};
    const Lines lines = report.Run(shape, {{"x", kanji}});
    EXPECT_EQ(lines, (Lines{"", "x " + Sj("日"), Sj("本語") + " "}));
}

// The report header follows the top title of the first page only; the
// footer follows the last computes, before the last bottom title.
TEST(CReportWriterTest, ReportHeaderOnTheFirstPageAndFooterAtTheEnd) {
    ReportFixture report;
    report.settings.Set("PAGESIZE", "7");
    report.top.Command("LEFT 'top'");
    report.bottom.Command("LEFT 'bottom'");
    CTitle header("REPHEADER");
    CTitle footer("REPFOOTER");
    header.Command("PAGE CENTER 'Staff'");
    footer.Command("LEFT 'the end'");
    report.columns.Command("DEPTNO NOPRINT");
    report.columns.Command("SAL NOPRINT");
    CReportWriter writer(report.settings, report.columns, report.breaks, report.top, report.bottom);
    writer.SetReportTitles(&header, &footer);
    CScriptLines out;
    writer.Begin(EmpShape(), out);
    for (const auto& row : EmpRows()) writer.Row({row[0], row[1], row[2]}, out);
    writer.End(out);
    EXPECT_EQ(Lines(out.begin(), out.end()),
              (Lines{"", "top", "  Staff",     "ENAME      ", "---------- ", "KING       ", "bottom",
                     "", "top", "ENAME      ", "---------- ", "CLARK      ", "SMITH      ", "bottom",
                     "", "top", "ENAME      ", "---------- ", "FORD       ", "the end",     "bottom"}));
}

// A date as long as the session's date format makes it is shown whole: its
// column grows to the first value, the title centred on the wider line.
TEST(CReportWriterTest, ADateColumnGrowsToItsFirstValue) {
    ReportFixture report;
    report.top.Command("CENTER 'when'");
    report.settings.Set("PAGESIZE", "20");
    const std::vector<ReportColumn> shape = {{"D", false, false, 8, true}, {"N", false, false, 1}};
    EXPECT_EQ(report.Run(shape, {{"2026-12-07 13:58:40", "x"}, {"2026-12-08 00:00:00", "y"}}),
              (Lines{"", "        when", "D                   N ", "------------------- - ",
                     "2026-12-07 13:58:40 x ", "2026-12-08 00:00:00 y "}));
    report.columns.Command("D FORMAT A10");
    EXPECT_EQ(report.Run(shape, {{"2026-12-07 13:58:40", "x"}})[4], "2026-12-07 x ");
}
