#include <gtest/gtest.h>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

struct ReportCase {
    CScriptLines lines;
    long long position;
    const char* errorText;
    std::vector<const char*> expected;  // UTF-8
};

class ErrorReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ErrorReportTest, WalksTheTypedLines) {
    const ReportCase& c = GetParam();
    CScriptLines output{"kept"};
    CScriptLines lines;
    for (const auto& line : c.lines) lines.push_back(Sj(line.c_str()));
    CSQLProcessor::AppendErrorReport(lines, c.position, Sj(c.errorText), output);
    CScriptLines expected{"kept"};
    for (const char* line : c.expected) expected.push_back(Sj(line));
    EXPECT_EQ(output, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ErrorReportTest,
    ::testing::Values(
        // The sixth byte of the second line: 10 bytes of line 0, its line feed, then 5.
        ReportCase{{"SELECT a, ", "FROM bogus"},
                   16,
                   "ORA-00904: invalid",
                   {"FROM bogus", "     *", "エラー行: 1: エラーが発生しました。", "ORA-00904: invalid"}},
        ReportCase{{"SELEC 1;"}, 0, "E", {"SELEC 1;", "*", "エラー行: 0: エラーが発生しました。", "E"}},
        ReportCase{{"AB", "CD"}, 2, "E", {"AB", "  *", "エラー行: 0: エラーが発生しました。", "E"}},
        ReportCase{{"AB", "CD"}, 3, "E", {"CD", "*", "エラー行: 1: エラーが発生しました。", "E"}},
        ReportCase{{"AB", "CD"}, 5, "E", {"CD", "  *", "エラー行: 1: エラーが発生しました。", "E"}},
        ReportCase{{"AB", "CD"}, 6, "E", {"E"}}, ReportCase{{"AB"}, 1000000, "E", {"E"}},
        ReportCase{{"AB"}, -4, "E", {"AB", "*", "エラー行: 0: エラーが発生しました。", "E"}},
        ReportCase{{}, 0, "E", {"E"}},
        ReportCase{{"", "X"}, 1, "E", {"X", "*", "エラー行: 1: エラーが発生しました。", "E"}},
        ReportCase{{}, 0, "ORA-1\nORA-2", {"ORA-1", "ORA-2"}}, ReportCase{{}, 0, "ORA-1\n", {"ORA-1", ""}},
        ReportCase{{}, 0, "", {""}}, ReportCase{{}, 0, "\n\n", {"", "", ""}},
        ReportCase{{"表 X"},
                   3,
                   "表がありません",
                   {"表 X", "   *", "エラー行: 0: エラーが発生しました。", "表がありません"}}));

TEST(RunStatement, WithoutDatabaseSaysSo) {
    CSQLProcessor processor;
    EXPECT_EQ(Feed(processor, {"select * from t;"}), SjLines({"データベースに接続されていません。"}));
    EXPECT_EQ(Feed(processor, {"commit;"}), SjLines({"データベースに接続されていません。"}));
}

}  // namespace
