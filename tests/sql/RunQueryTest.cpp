#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

std::string Selected(int rows) { return Sj((std::to_string(rows) + "行が選択されました。").c_str()); }

const std::string k = "\x01";  // a line the case does not pin

struct QueryCase {
    const char* name;
    CScriptLines lines;     // the last one is the query; the output of the others is not checked
    CScriptLines expected;  // of the query
};

class RunQueryTest : public ConnectedFixture, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(RunQueryTest, LaysOutTheRows) {
    const QueryCase& c = GetParam();
    Run(std::vector<std::string>(c.lines.begin(), c.lines.end() - 1));
    const CScriptLines out = Run({c.lines.back()});
    ASSERT_EQ(out.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (c.expected[i] != k) {
            EXPECT_EQ(out[i], c.expected[i]) << c.name << ", line " << i;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Queries, RunQueryTest, ::testing::Values(
    QueryCase{"empty result: heading and zero rows", {"create table t (ab number);", "select ab from t;"},
              {"", "AB         ", "---------- ", "", Selected(0), ""}},
    QueryCase{"heading off starts with the rows", {"create table t (ab number);", "insert into t values (12);",
              "set heading off", "select ab from t;"}, {"", "12         ", "", Selected(1), ""}},
    QueryCase{"heading back on", {"create table t (ab number);", "insert into t values (12);", "set heading off",
              "set heading on", "select ab from t;"}, {k, k, k, k, k, k, k}},
    QueryCase{"narrower format cuts name and values", {"create table t (ename varchar2(10), sal number);",
              "insert into t values ('smith', 800);", "column ename format a3", "select ename, sal from t;"},
              {"", "ENA SAL        ", "--- ---------- ", "SMI 800        ", "", Selected(1), ""}},
    QueryCase{"clear columns restores the width", {"create table t (ename varchar2(10));",
              "insert into t values ('smith');", "column ename format a3", "clear columns", "select ename from t;"},
              {k, "ENAME      ", k, k, k, k, k}},
    QueryCase{"format wider than the type width", {"create table t (n number);", "insert into t values (1);",
              "col n format a12", "select n from t;"}, {k, "N            ", "------------ ", k, k, k, k}},
    QueryCase{"zero width leaves only the separator", {"create table t (n number, m number);",
              "insert into t values (1, 2);", "col n format a", "select n, m from t;"},
              {k, " M          ", k, " 2          ", k, k, k}},
    QueryCase{"date is eight wide and clob eighty", {"create table t (d date, c clob);",
              "insert into t values (null, 'x');", "select d, c from t;"},
              {k, "D        C" + std::string(79, ' ') + " ", std::string(8, '-') + " " + std::string(80, '-') + " ",
               std::string(9, ' ') + "X" + std::string(80, ' '), k, k, k}},
    QueryCase{"cut may fall inside a double-byte character", {"create table t (s varchar2(20));",
              "col s format a3", Sj("insert into t values ('日本');"), "select s from t;"},
              {k, k, k, Sj("日本").substr(0, 3) + " ", k, k, k}},
    QueryCase{"varchar and char are as wide as their size", {"create table t (code varchar2(4), name char(6));",
              "insert into t values ('ab', 'cd');", "select code, name from t;"},
              {k, "CODE NAME   ", "---- ------ ", k, k, k, k}},
    QueryCase{"huge declared size is laid out at the widest column", {"create table t (s varchar2(2000000000));",
              "insert into t values ('x');", "select s from t;"},
              {k, k, std::string(32767, '-') + " ", "X" + std::string(32767, ' '), k, k, k}},
    QueryCase{"rows in order with their count", {"create table t (n number);", "insert into t values (3);",
              "insert into t values (1);", "insert into t values (2);", "select n from t order by n;"},
              {k, k, k, "1          ", k, "3          ", k, Selected(3), k}},
    QueryCase{"literals reach the database upper-cased", {"create table t (a number, b varchar2(10));",
              "insert into t values (1, 'abc');", "select b from t;"}, {k, k, k, "ABC        ", k, k, k}},
    QueryCase{"a query ending in two semicolons loses both", {"create table t (a number);",
              "insert into t values (7);", "select a from t;;"}, {k, k, k, "7          ", k, k, k}}));
// clang-format on

TEST_F(ConnectedFixture, FailingQueryGivesTheReportWithTheMarkerOnTheTypedLine) {
    Run({"create table t (n number);"});
    const CScriptLines out = Run({"select n,", "  bogus from t;"});
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], "  bogus from t;");
    EXPECT_EQ(out[1], "  *");
    EXPECT_EQ(out[2], Sj("エラー行: 1: エラーが発生しました。"));
}

}  // namespace
