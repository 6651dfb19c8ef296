// Analytic functions that skip NULLs (IGNORE NULLS), count from the window's
// last row (NTH_VALUE ... FROM LAST), or aggregate the partition's distinct
// values: each with the answer worked by hand from the server's definition.
#include "tests/engine/EngineFixture.h"

namespace {

class CAnalyticNullsTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE W (P VARCHAR2(1), K NUMBER, V NUMBER, T VARCHAR2(10))");
        for (const char* row :
             {"'a', 1, NULL, NULL", "'a', 2, 10, 'x'", "'a', 3, NULL, NULL", "'a', 4, 30, 'y'",
              "'a', 5, NULL, NULL", "'b', 1, NULL, NULL", "'b', 2, 7, 'z'"})
            Exec(std::string("INSERT INTO W VALUES (") + row + ")");
    }
};

struct Case {
    const char* expression;
    const char* answer;
};

constexpr const char* kWindow = " OVER (PARTITION BY P ORDER BY K";
constexpr const char* kWhole = " ROWS BETWEEN UNBOUNDED PRECEDING AND UNBOUNDED FOLLOWING";

// Rows a1..a5, b1, b2; V is NULL, 10, NULL, 30, NULL | NULL, 7.
constexpr Case kSkipping[] = {
    {"LAG(V) IGNORE NULLS%W)", "-|-|10|10|30|-|-"},
    {"LAG(V) RESPECT NULLS%W)", "-|-|10|-|30|-|-"},
    // The second value back among those not NULL, else the default.
    {"LAG(V IGNORE NULLS, 2, 0)%W)", "0|0|0|0|10|0|0"},
    // An offset of 0 is the row itself, NULL or not.
    {"LAG(V, 0) IGNORE NULLS%W)", "-|10|-|30|-|-|7"},
    {"LEAD(T, 0) IGNORE NULLS%W)", "-|x|-|y|-|-|z"},
    {"LEAD(V) IGNORE NULLS%W)", "10|30|30|-|-|7|-"},
    {"LEAD(T, 1, '?') IGNORE NULLS%W)", "x|y|y|?|?|z|?"},
    // The default window ends at the row; a frame of rows drops the first.
    {"FIRST_VALUE(V) IGNORE NULLS%W)", "-|10|10|10|10|-|7"},
    {"FIRST_VALUE(V IGNORE NULLS)%W ROWS BETWEEN 2 PRECEDING AND CURRENT ROW)", "-|10|10|10|30|-|7"},
    {"FIRST_VALUE(V RESPECT NULLS)%W ROWS BETWEEN 1 PRECEDING AND CURRENT ROW)", "-|-|10|-|30|-|-"},
    {"LAST_VALUE(V IGNORE NULLS)%W)", "-|10|10|30|30|-|7"},
    {"LAST_VALUE(T) IGNORE NULLS%W%A)", "y|y|y|y|y|z|z"},
    {"NTH_VALUE(V, 2) FROM LAST IGNORE NULLS%W%A)", "10|10|10|10|10|-|-"},
    {"NTH_VALUE(V, 2) FROM LAST%W%A)", "30|30|30|30|30|-|-"},
    {"NTH_VALUE(V, 2) FROM LAST RESPECT NULLS%W ROWS BETWEEN CURRENT ROW AND UNBOUNDED FOLLOWING)",
     "30|30|30|30|-|-|-"},
    {"NTH_VALUE(V, 1) FROM FIRST IGNORE NULLS%W)", "-|10|10|10|10|-|7"},
};

std::string Expand(std::string text) {
    for (auto [mark, with] : {std::pair<std::string, std::string>{"%W", kWindow}, {"%A", kWhole}})
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark))
            text.replace(at, mark.size(), with);
    return text;
}

TEST_F(CAnalyticNullsTest, ValueFunctionsSkipNullsAndCountFromTheLast) {
    for (const Case& c : kSkipping)
        EXPECT_EQ(Rows("SELECT " + Expand(c.expression) + " FROM W ORDER BY P, K"), c.answer) << c.expression;
}

TEST_F(CAnalyticNullsTest, NullTreatmentOfOtherFunctionsIsRefused) {
    std::string error = Failure("SELECT SUM(V) IGNORE NULLS OVER () FROM W");
    EXPECT_EQ(error.substr(0, 9), "ORA-03001");
    EXPECT_NE(error.find("SUM"), std::string::npos) << error;
    EXPECT_EQ(Failure("SELECT LAG(V) FROM LAST OVER (ORDER BY K) FROM W").substr(0, 9), "ORA-03001");
    EXPECT_NE(Failure("SELECT FIRST_VALUE(V IGNORE) OVER (ORDER BY K) FROM W"), "OK");
}

TEST_F(CAnalyticNullsTest, DistinctAggregatesOverAPartitionAreExact) {
    Exec("CREATE TABLE M (P VARCHAR2(1), A NUMBER(12, 2))");
    for (const char* row : {"'a', 0.1", "'a', 0.2", "'a', 0.1", "'a', NULL", "'b', 1", "'b', 1", "'c', NULL"})
        Exec(std::string("INSERT INTO M VALUES (") + row + ")");
    // a: 0.1 and 0.2 once each; b: 1 once; c: none.
    EXPECT_EQ(Rows("SELECT P, SUM(DISTINCT A) OVER (PARTITION BY P), AVG(DISTINCT A) OVER (PARTITION BY P), "
                   "COUNT(DISTINCT A) OVER (PARTITION BY P) FROM M WHERE A IS NOT NULL OR P = 'c' "
                   "ORDER BY P, A"),
              "a,.3,.15,2|a,.3,.15,2|a,.3,.15,2|b,1,1,1|b,1,1,1|c,-,-,0");
    EXPECT_EQ(Rows("SELECT AVG(DISTINCT A) OVER () FROM M WHERE P = 'a' AND A IS NOT NULL"), ".15|.15|.15");
    // Thirds stay exact to the server's 40 digits.
    EXPECT_EQ(
        Rows("SELECT DISTINCT AVG(DISTINCT X) OVER () FROM (SELECT 1 X FROM DUAL UNION ALL SELECT 1 FROM "
             "DUAL UNION ALL SELECT 2 FROM DUAL UNION ALL SELECT 4 FROM DUAL UNION ALL SELECT 4 FROM DUAL)"),
        "2.33333333333333333333333333333333333333");
    for (const char* call :
         {"SUM(DISTINCT A) OVER (PARTITION BY P ORDER BY A)", "COUNT(DISTINCT A) OVER (ORDER BY A)"})
        EXPECT_EQ(Failure(std::string("SELECT ") + call + " FROM M").substr(0, 9), "ORA-30487") << call;
    EXPECT_EQ(Failure("SELECT SUM(DISTINCT T) OVER () FROM W").substr(0, 9), "ORA-01722");
}

TEST_F(CAnalyticNullsTest, ListaggOverAPartitionListsItsRowsInTheGroupsOrder) {
    EXPECT_EQ(Rows("SELECT P, K, LISTAGG(T, ',') WITHIN GROUP (ORDER BY K DESC) OVER (PARTITION BY P) FROM W "
                   "WHERE K < 5 ORDER BY P, K"),
              "a,1,y,x|a,2,y,x|a,3,y,x|a,4,y,x|b,1,z|b,2,z");
    EXPECT_EQ(
        Rows("SELECT LISTAGG(DISTINCT P, '/') WITHIN GROUP (ORDER BY P DESC) OVER () FROM W WHERE K < 3"),
        "b/a|b/a|b/a|b/a");
    EXPECT_EQ(Rows("SELECT LISTAGG(K) WITHIN GROUP (ORDER BY K) OVER (PARTITION BY V) FROM W WHERE V IS NULL "
                   "ORDER BY K"),
              "1135|1135|1135|1135");
    // 800 values of 10 bytes: 362 of them and 361 commas (3981 bytes), then
    // ",...(438)".
    EXPECT_EQ(
        Rows("SELECT DISTINCT LENGTH(LISTAGG(RPAD(T, 10, '*'), ',' ON OVERFLOW TRUNCATE) WITHIN GROUP "
             "(ORDER BY K) OVER (PARTITION BY P)) FROM W, (SELECT LEVEL N FROM DUAL CONNECT BY LEVEL <= "
             "400) WHERE T IS NOT NULL AND P = 'a'"),
        "3990");
    EXPECT_EQ(Failure("SELECT LISTAGG(T) WITHIN GROUP (ORDER BY K) OVER (ORDER BY K) FROM W").substr(0, 9),
              "ORA-30487");
}

}  // namespace
