// MEDIAN, PERCENTILE_CONT and PERCENTILE_DISC as analytic functions: each
// row gets the inverse distribution of its partition.
#include "tests/engine/EngineFixture.h"

namespace {

class CAnalyticPercentileTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE emp (ename VARCHAR2(10), deptno NUMBER(2), sal NUMBER(7,2))");
        const char* rows[] = {"'CLARK', 10, 2450", "'KING', 10, 5000", "'MILLER', 10, 1300",
                              "'ADAMS', 20, 1100", "'FORD', 20, 3000", "'JONES', 20, 2975",
                              "'SMITH', 20, 800",  "'ALLEN', 30, NULL"};
        for (const char* row : rows) Exec(std::string("INSERT INTO emp VALUES (") + row + ")");
    }
};

TEST_F(CAnalyticPercentileTest, EachRowGetsItsPartitionsValue) {
    const SqlCase cases[] = {
        // Department 20: 800, 1100, 2975, 3000; the middle falls between 1100 and 2975.
        {"SELECT ename, PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY sal DESC) OVER (PARTITION BY deptno) "
         "FROM emp WHERE deptno IN (10, 20) ORDER BY ename",
         "ADAMS,2037.5|CLARK,2450|FORD,2037.5|JONES,2037.5|KING,2450|MILLER,2450|SMITH,2037.5"},
        // PERCENTILE_DISC: the first value whose cumulative distribution reaches 0.5.
        {"SELECT ename, PERCENTILE_DISC(0.5) WITHIN GROUP (ORDER BY sal DESC) OVER (PARTITION BY deptno) "
         "FROM emp WHERE deptno = 20 ORDER BY ename",
         "ADAMS,2975|FORD,2975|JONES,2975|SMITH,2975"},
        {"SELECT ename, PERCENTILE_DISC(0.5) WITHIN GROUP (ORDER BY sal) OVER (PARTITION BY deptno) "
         "FROM emp WHERE deptno = 20 ORDER BY ename",
         "ADAMS,1100|FORD,1100|JONES,1100|SMITH,1100"},
        {"SELECT ename, MEDIAN(sal) OVER (PARTITION BY deptno) FROM emp ORDER BY ename",
         "ADAMS,2037.5|ALLEN,-|CLARK,2450|FORD,2037.5|JONES,2037.5|KING,2450|MILLER,2450|SMITH,2037.5"},
        // An empty OVER is the whole result; 0.25 of 7 values: row 2.5.
        {"SELECT DISTINCT PERCENTILE_CONT(0.25) WITHIN GROUP (ORDER BY sal) OVER () FROM emp", "1200"},
        // Beside an aggregate of the group: the analytic reads the groups' rows.
        {"SELECT deptno, MEDIAN(MAX(sal)) OVER () FROM emp WHERE deptno < 30 GROUP BY deptno ORDER BY 1",
         "10,4000|20,4000"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(CAnalyticPercentileTest, TheWindowTakesNoOrderAndThePercentileStaysInRange) {
    const SqlCase cases[] = {
        {"SELECT MEDIAN(sal) OVER (ORDER BY sal) FROM emp",
         "ERROR ORA-30487: ここでは ORDER BY は使用できません。"},
        {"SELECT PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY sal) OVER (PARTITION BY deptno ORDER BY ename) "
         "FROM emp",
         "ERROR ORA-30487: ここでは ORDER BY は使用できません。"},
        {"SELECT PERCENTILE_CONT(1.5) WITHIN GROUP (ORDER BY sal) OVER (PARTITION BY deptno) FROM emp",
         "ERROR ORA-30493: 百分位数の値は 0 から 1 の間の数値である必要があります。"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

}  // namespace
