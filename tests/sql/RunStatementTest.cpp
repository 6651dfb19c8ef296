#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

struct FeedbackCase {
    CScriptLines lines;
    std::vector<const char*> output;  // UTF-8, of every statement
};

class RunStatementTest : public ConnectedFixture, public ::testing::WithParamInterface<FeedbackCase> {
protected:
    void SetUp() override {
        ConnectedFixture::SetUp();
        ASSERT_EQ(Run({"create table t (a number, b varchar2(10));"}), SjLines({"表が作成されました。"}));
    }
};

TEST_P(RunStatementTest, AnswersWithTheTemplateMessage) {
    EXPECT_EQ(Run(GetParam().lines), SjLines(GetParam().output)) << GetParam().lines.Join();
}

const char* const kOne = "1行が作成されました。";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Statements, RunStatementTest, ::testing::Values(
    FeedbackCase{{"insert into t values (1, 'a');"}, {kOne}},
    FeedbackCase{{"insert into t", "values (2, 'b')", ";"}, {kOne}},
    FeedbackCase{{"delete from t where a = 99;"}, {"0行が削除されました。"}},
    FeedbackCase{{"update t set a = 1;"}, {"0行が更新されました。"}},
    FeedbackCase{{"create view v as select a from t;"}, {"ビューが作成されました。"}},
    FeedbackCase{{"create index i on t (a);"}, {"索引が作成されました。"}},
    FeedbackCase{{"truncate table t;"}, {"表が切り捨てられました。"}},
    FeedbackCase{{"drop table t;"}, {"表が削除されました。"}},
    FeedbackCase{{"commit;"}, {"コミットが完了しました。"}},
    FeedbackCase{{"rollback;"}, {"ロールバックが完了しました。"}},
    FeedbackCase{{"begin", "null;", "end;", "/"}, {"PL/SQLプロシージャが正常に完了しました。"}},
    FeedbackCase{{"BEGIN NULL; END;", "  /"}, {"PL/SQLプロシージャが正常に完了しました。"}},
    // Row counts replace the directive.
    FeedbackCase{{"insert into t values (1, 'a');", "insert into t values (2, 'b');",
                  "insert into t values (3, 'c');", "update t set b = 'z' where a >= 2;", "delete from t;"},
                 {kOne, kOne, kOne, "2行が更新されました。", "3行が削除されました。"}},
    // Complete because of the ";" in the comment; once the comment is blank no
    // template fits, and the statement is sent all the same.
    FeedbackCase{{"create table u (a number) -- ;", "insert into u values (5);"}, {"文が処理されました。",
        kOne}},
    // Commented lines are blanked before sending.
    FeedbackCase{{"insert into t /* a", "comment */ values (4, 'd'); -- done"}, {kOne}},
    FeedbackCase{{"insert into t -- see /* here", "values (5, 'e');"}, {kOne}}));
// clang-format on

TEST_F(ConnectedFixture, RejectedStatementGivesTheErrorReportOnly) {
    const CScriptLines out = Run({"insert into nosuch values (1);"});
    ASSERT_FALSE(out.empty());
    for (const auto& line : out) EXPECT_EQ(line.find(Sj("行が作成されました")), std::string::npos);
}

}  // namespace
