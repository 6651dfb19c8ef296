#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

class RunStatementTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        Connect();
        ASSERT_EQ(Run({"create table t (a number, b varchar2(10));"}), SjLines({"表が作成されました。"}));
    }
};

struct FeedbackCase {
    std::vector<std::string> lines;
    std::vector<const char*> output;  // UTF-8
};

class FeedbackTest : public RunStatementTest, public ::testing::WithParamInterface<FeedbackCase> {};

TEST_P(FeedbackTest, AnswersWithTheTemplateMessage) {
    CScriptLines expected;
    for (const char* line : GetParam().output) expected.push_back(Sj(line));
    EXPECT_EQ(Run(GetParam().lines), expected) << GetParam().lines.front();
}

INSTANTIATE_TEST_SUITE_P(
    Statements, FeedbackTest,
    ::testing::Values(
        FeedbackCase{{"insert into t values (1, 'a');"}, {"1行が作成されました。"}},
        FeedbackCase{{"insert into t", "values (2, 'b')", ";"}, {"1行が作成されました。"}},
        FeedbackCase{{"delete from t where a = 99;"}, {"0行が削除されました。"}},
        FeedbackCase{{"update t set a = 1;"}, {"0行が更新されました。"}},
        FeedbackCase{{"create view v as select a from t;"}, {"ビューが作成されました。"}},
        FeedbackCase{{"create index i on t (a);"}, {"索引が作成されました。"}},
        FeedbackCase{{"truncate table t;"}, {"表が切り捨てられました。"}},
        FeedbackCase{{"drop table t;"}, {"表が削除されました。"}},
        FeedbackCase{{"commit;"}, {"コミットが完了しました。"}},
        FeedbackCase{{"rollback;"}, {"ロールバックが完了しました。"}},
        FeedbackCase{{"begin", "null;", "end;", "/"}, {"PL/SQLプロシージャが正常に完了しました。"}},
        FeedbackCase{{"BEGIN NULL; END;", "  /"}, {"PL/SQLプロシージャが正常に完了しました。"}}));

TEST_F(RunStatementTest, RowCountsReplaceTheDirective) {
    Run({"insert into t values (1, 'a');", "insert into t values (2, 'b');",
         "insert into t values (3, 'c');"});
    EXPECT_EQ(Run({"update t set b = 'z' where a >= 2;"}), SjLines({"2行が更新されました。"}));
    EXPECT_EQ(Run({"delete from t;"}), SjLines({"3行が削除されました。"}));
}

TEST_F(RunStatementTest, LiteralsReachTheDatabaseUpperCased) {
    Run({"insert into t values (1, 'abc');"});
    const CScriptLines out = Run({"select b from t;"});
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[3], "ABC        ");
}

TEST_F(RunStatementTest, StatementLeftWithoutTemplateAfterBlankingStillRuns) {
    // Complete because of the ";" in the comment; once the comment is blank
    // no template fits, and the statement is sent all the same.
    EXPECT_EQ(Run({"create table u (a number) -- ;"}), SjLines({"文が処理されました。"}));
    EXPECT_EQ(Run({"insert into u values (5);"}), SjLines({"1行が作成されました。"}));
}

TEST_F(RunStatementTest, QueryEndingInTwoSemicolonsLosesBoth) {
    Run({"insert into t values (7, 'x');"});
    const CScriptLines out = Run({"select a from t;;"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[3], "7          ");
}

TEST_F(RunStatementTest, CommentedLinesAreBlankedBeforeSending) {
    EXPECT_EQ(Run({"insert into t /* a", "comment */ values (4, 'd'); -- done"}),
              SjLines({"1行が作成されました。"}));
    EXPECT_EQ(Run({"insert into t -- see /* here", "values (5, 'e');"}), SjLines({"1行が作成されました。"}));
}

TEST_F(RunStatementTest, RejectedStatementGivesTheErrorReportOnly) {
    const CScriptLines out = Run({"insert into nosuch values (1);"});
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out.back(), Sj("1行が作成されました。"));
    for (const auto& line : out) EXPECT_EQ(line.find(Sj("行が作成されました")), std::string::npos);
}

TEST_F(RunStatementTest, TablespaceStatementsReachTheirOwnTemplate) {
    // Whatever the embedded database answers, the statement is taken by the
    // TABLESPACE row, not the TABLE row.
    EXPECT_EQ(Processor().FindTemplate("CREATE TABLESPACE TS DATAFILE 'X';"), 18);
}

}  // namespace
