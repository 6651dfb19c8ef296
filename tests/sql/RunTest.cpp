#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

struct RunCase {
    CScriptLines setup;     // typed first, output not checked
    CScriptLines lines;     // then these
    CScriptLines expected;  // their output; k marks a line not pinned
};
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.lines.Join(); }

const std::string k = "\x01";

class RunTest : public ConnectedFixture, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunTest, AnswersStatementsAndLaysOutRows) {
    const RunCase& c = GetParam();
    Run(c.setup);
    const CScriptLines out = Run(c.lines);
    ASSERT_EQ(out.size(), c.expected.size()) << c.lines.Join();
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (c.expected[i] != k) {
            EXPECT_EQ(out[i], c.expected[i]) << c.lines.Join() << ", line " << i;
        }
    }
}

std::string Selected(int rows) { return Sj((std::to_string(rows) + "行が選択されました。").c_str()); }
const std::string kT = "create table t (a number, b varchar2(10));";
const std::string kOne = Sj("1行が作成されました。");
const std::string kPlSql = Sj("PL/SQLプロシージャが正常に完了しました。");
using R = RunCase;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Statements, RunTest, ::testing::Values(
    // Each statement answers with the message of its template.
    R{{}, {kT}, {Sj("表が作成されました。")}},
    R{{kT}, {"insert into t values (1, 'a');"}, {kOne}}, R{{kT}, {"insert into t", "values (2, 'b')", ";"}, {kOne}},
    R{{kT}, {"delete from t where a = 99;"}, {Sj("0行が削除されました。")}},
    R{{kT}, {"update t set a = 1;"}, {Sj("0行が更新されました。")}},
    R{{kT}, {"create view v as select a from t;"}, {Sj("ビューが作成されました。")}},
    R{{kT}, {"create index i on t (a);"}, {Sj("索引が作成されました。")}},
    R{{kT}, {"truncate table t;"}, {Sj("表が切り捨てられました。")}},
    R{{kT}, {"drop table t;"}, {Sj("表が削除されました。")}}, R{{}, {"commit;"}, {Sj("コミットが完了しました。")}},
    R{{}, {"rollback;"}, {Sj("ロールバックが完了しました。")}},
    R{{}, {"savepoint a;", "rollback to savepoint a;", "commit work;", "  select /* c */ 1 x from dual", "/"},
      {Sj("セーブポイントが作成されました。"), Sj("ロールバックが完了しました。"), Sj("コミットが完了しました。"),
       "", "X          ", "---------- ", "1          ", "", Selected(1), ""}},
    R{{kT, "set feedback off"}, {"insert into t values (1, 'a');", "begin", "null;", "end;", "/"}, {}},
    R{{}, {"begin", "null;", "end;", "/"}, {kPlSql}}, R{{}, {"BEGIN NULL; END;", "  /"}, {kPlSql}},
    // Row counts replace the directive.
    R{{kT, "insert into t values (1, 'a');", "insert into t values (2, 'b');", "insert into t values (3, 'c');"},
      {"update t set b = 'z' where a >= 2;", "delete from t;"},
      {Sj("2行が更新されました。"), Sj("3行が削除されました。")}},
    // A ";" inside a comment or a literal ends nothing.
    R{{}, {"create table u (a number) -- ;", ";", "insert into u values (5);"}, {Sj("表が作成されました。"), kOne}},
    R{{kT}, {"insert into t values (1, 'a;b--c' -- ;", ");", "select b from t;"},
      {kOne, k, k, k, "a;b--c     ", k, k, k}},
    // Inside a quote no line is a comment or blank to skip.
    R{{kT}, {"insert into t values (1, '", "", "-- b", "rem');", "select length(b) from t;"},
      {kOne, k, k, k, "10         ", k, k, k}},
    // Commented lines are blanked before sending.
    R{{kT}, {"insert into t /* a", "comment */ values (4, 'd'); -- done"}, {kOne}},
    R{{kT}, {"insert into t -- see /* here", "values (5, 'e');"}, {kOne}},
    // Queries: the heading, the rows, their count.
    R{{"create table t (ab number);"}, {"select ab from t;"}, {"", "AB         ", "---------- ", "", Selected(0), ""}},
    R{{"create table t (ab number);", "insert into t values (12);", "set heading off"}, {"select ab from t;"},
      {"", "12         ", "", Selected(1), ""}},
    R{{"create table t (ab number);", "insert into t values (12);", "set heading off", "set heading on"},
      {"select ab from t;"}, {k, k, k, k, k, k, k}},
    R{{"create table t (n number);", "insert into t values (3);", "insert into t values (1);",
       "insert into t values (2);"}, {"select n from t order by n;"},
      {k, k, k, "1          ", k, "3          ", k, Selected(3), k}},
    // Literals reach the database as typed; a query ending in ";;" loses both.
    R{{kT, "insert into t values (1, 'aBc');"}, {"select b from t;"}, {k, k, k, "aBc        ", k, k, k}},
    R{{kT, "insert into t values (7, 'x');"}, {"select a from t;;"}, {k, k, k, "7          ", k, k, k}},
    // Column widths: the format, the type's width, the widest column; a cut
    // never falls inside a double-byte character.
    R{{"create table t (ename varchar2(10), sal number);", "insert into t values ('smith', 800);",
       "column ename format a3"}, {"select ename, sal from t;"},
      {"", "ENA SAL        ", "--- ---------- ", "smi 800        ", "", Selected(1), ""}},
    R{{"create table t (ename varchar2(10));", "insert into t values ('smith');", "column ename format a3",
       "clear columns"}, {"select ename from t;"}, {k, "ENAME      ", k, k, k, k, k}},
    R{{"create table t (n number);", "insert into t values (1);", "col n format a12"}, {"select n from t;"},
      {k, "N            ", "------------ ", k, k, k, k}},
    R{{"create table t (n number, m number);", "insert into t values (1, 2);", "col n format a1"},
      {"select n, m from t;"}, {k, "N M          ", k, "1 2          ", k, k, k}},
    R{{"create table t (d date, c clob);", "insert into t values (null, 'x');"}, {"select d, c from t;"},
      {k, "D        C" + std::string(79, ' ') + " ", std::string(8, '-') + " " + std::string(80, '-') + " ",
       std::string(9, ' ') + "x" + std::string(80, ' '), k, k, k}},
    R{{"create table t (s varchar2(20));", "col s format a3", Sj("insert into t values ('日本');")},
      {"select s from t;"}, {k, k, k, Sj("日") + "  ", k, k, k}},
    R{{"create table t (code varchar2(4), name char(6));", "insert into t values ('ab', 'cd');"},
      {"select code, name from t;"}, {k, "CODE NAME   ", "---- ------ ", k, k, k, k}},
    R{{"create table t (s varchar2(2000000000));", "insert into t values ('x');"}, {"select s from t;"},
      {k, k, std::string(32767, '-') + " ", "x" + std::string(32767, ' '), k, k, k}},
    // A number is read whole, however far its digits reach from the point.
    R{{}, {"select 1e64 a, -1e125 b, 1e-100 c, 123456789012345678901234567890 d from dual;"},
      {k, k, k, "1.0000E+64 -1.00E+125 1.000E-100 1.2346E+29 ", k, k, k}},
    // A value is fetched whole up to its width.
    R{{"create table t (s varchar2(4000));", "insert into t values (rpad('a', 3000, 'b') || 'z');"},
      {"select s from t;"}, {k, k, k, "a" + std::string(2999, 'b') + "z" + std::string(999, ' ') + " ", k, k, k}}));
// clang-format on

TEST_F(ConnectedFixture, FailingStatementsGiveTheErrorReportOnly) {
    CScriptLines out = Run({"insert into nosuch values (1);"});
    ASSERT_FALSE(out.empty());
    for (const auto& line : out) EXPECT_EQ(line.find(Sj("行が作成されました")), std::string::npos);
    // The marker stands on the typed line.
    Run({"create table t (n number);"});
    out = Run({"select n,", "  bogus from t;"});
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], "  bogus from t;");
    EXPECT_EQ(out[1], "  *");
    EXPECT_EQ(out[2], Sj("エラー行: 1: エラーが発生しました。"));
}

// The options read for every statement follow each SET, both ways.
TEST_F(ConnectedFixture, FeedbackAndServerOutputFollowEverySet) {
    Run({"create table t (n number);"});
    const CScriptLines created = SjLines({"1行が作成されました。"});
    EXPECT_EQ(Run({"insert into t values (1);"}), created);
    Run({"set feedback off"});
    EXPECT_EQ(Run({"insert into t values (2);"}), CScriptLines());
    Run({"set feedback on"});
    EXPECT_EQ(Run({"insert into t values (3);"}), created);
    const std::vector<std::string> block = {"begin", "dbms_output.put_line('x');", "end;", "/"};
    Run({"set serveroutput on"});
    EXPECT_EQ(Run(block), SjLines({"PL/SQLプロシージャが正常に完了しました。", "x"}));
    Run({"set serveroutput off"});
    EXPECT_EQ(Run(block), SjLines({"PL/SQLプロシージャが正常に完了しました。"}));
}

}  // namespace
