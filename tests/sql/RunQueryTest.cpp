#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

class RunQueryTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        Connect();
    }
};

TEST_F(RunQueryTest, EmptyResultShowsHeadingAndZeroRows) {
    Run({"create table t (ab number);"});
    EXPECT_EQ(Run({"select ab from t;"}),
              (CScriptLines{"", "AB         ", "---------- ", "", Sj("0行が選択されました。"), ""}));
}

TEST_F(RunQueryTest, HeadingOffStartsWithTheRows) {
    Run({"create table t (ab number);", "insert into t values (12);", "set heading off"});
    EXPECT_EQ(Run({"select ab from t;"}),
              (CScriptLines{"", "12         ", "", Sj("1行が選択されました。"), ""}));
    Run({"set heading on"});
    EXPECT_EQ(Run({"select ab from t;"}).size(), 7u);
}

TEST_F(RunQueryTest, ColumnFormatNarrowerThanTheDataCutsNameAndValues) {
    Run({"create table t (ename varchar2(10), sal number);", "insert into t values ('smith', 800);",
         "column ename format a3"});
    EXPECT_EQ(Run({"select ename, sal from t;"}),
              (CScriptLines{"", "ENA SAL        ", "--- ---------- ", "SMI 800        ", "",
                            Sj("1行が選択されました。"), ""}));
    Run({"clear columns"});
    EXPECT_EQ(Run({"select ename from t;"})[1], "ENAME      ");
}

TEST_F(RunQueryTest, ColumnFormatWiderThanTheTypeWidth) {
    Run({"create table t (n number);", "insert into t values (1);", "col n format a12"});
    const CScriptLines out = Run({"select n from t;"});
    EXPECT_EQ(out[1], "N            ");
    EXPECT_EQ(out[2], "------------ ");
}

TEST_F(RunQueryTest, ZeroWidthLeavesOnlyTheSeparator) {
    Run({"create table t (n number, m number);", "insert into t values (1, 2);", "col n format a"});
    const CScriptLines out = Run({"select n, m from t;"});
    EXPECT_EQ(out[1], " M          ");
    EXPECT_EQ(out[3], " 2          ");
}

TEST_F(RunQueryTest, DateIsEightWideAndClobEighty) {
    Run({"create table t (d date, c clob);", "insert into t values (null, 'x');"});
    const CScriptLines out = Run({"select d, c from t;"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[1], "D        C" + std::string(79, ' ') + " ");
    EXPECT_EQ(out[2], std::string(8, '-') + " " + std::string(80, '-') + " ");
    EXPECT_EQ(out[3], std::string(9, ' ') + "X" + std::string(80, ' '));
}

TEST_F(RunQueryTest, CutMayFallInsideADoubleByteCharacter) {
    Run({"create table t (s varchar2(20));", "col s format a3"});
    Run({Sj("insert into t values ('日本');")});
    const CScriptLines out = Run({"select s from t;"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[3], Sj("日本").substr(0, 3) + " ");
}

TEST_F(RunQueryTest, VarcharColumnIsAsWideAsItsSize) {
    Run({"create table t (code varchar2(4), name char(6));", "insert into t values ('ab', 'cd');"});
    const CScriptLines out = Run({"select code, name from t;"});
    EXPECT_EQ(out[1], "CODE NAME   ");
    EXPECT_EQ(out[2], "---- ------ ");
}

TEST_F(RunQueryTest, HugeDeclaredSizeIsLaidOutAtTheWidestColumn) {
    Run({"create table t (s varchar2(2000000000));", "insert into t values ('x');"});
    const CScriptLines out = Run({"select s from t;"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[2], std::string(32767, '-') + " ");
    EXPECT_EQ(out[3], "X" + std::string(32767, ' '));
}

TEST_F(RunQueryTest, RowsComeInOrderWithTheirCount) {
    Run({"create table t (n number);"});
    for (int i = 1; i <= 3; ++i) Run({"insert into t values (" + std::to_string(i) + ");"});
    const CScriptLines out = Run({"select n from t order by n;"});
    ASSERT_EQ(out.size(), 9u);
    EXPECT_EQ(out[3], "1          ");
    EXPECT_EQ(out[5], "3          ");
    EXPECT_EQ(out[7], Sj("3行が選択されました。"));
}

TEST_F(RunQueryTest, FailingQueryGivesTheReportWithTheMarkerOnTheTypedLine) {
    Run({"create table t (n number);"});
    const CScriptLines out = Run({"select n,", "  bogus from t;"});
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], "  bogus from t;");
    EXPECT_EQ(out[1], "  *");
    EXPECT_EQ(out[2], Sj("エラー行: 1: エラーが発生しました。"));
}

}  // namespace
