// GROUP BY ROLLUP, CUBE and GROUPING SETS: what each set's rows hold, where
// the rows of the sets meet the rest of a query (aggregates, HAVING, ORDER
// BY, views, expressions grouped by).
#include "tests/engine/EngineFixture.h"

namespace {

class CGroupingSetsTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EMP (DEPTNO NUMBER(2), JOB VARCHAR2(9), SAL NUMBER(7,2), HIRED DATE)");
        for (const char* row :
             {"10, 'CLERK', 1300, DATE '1981-06-09'", "10, 'MANAGER', 2450, DATE '1981-06-09'",
              "20, 'CLERK', 800, DATE '1980-12-17'", "20, 'CLERK', 1100, DATE '1987-05-23'",
              "30, NULL, 1250, DATE '1981-02-22'"})
            Exec(std::string("INSERT INTO EMP VALUES (") + row + ")");
    }
};

// An aggregate reads the rows' own values, whatever the set rolls up; a
// NULL the data holds is told from a rolled-up one by GROUPING().
TEST_F(CGroupingSetsTest, AggregatesSeeTheRowsAndGroupingTellsRolledUpNulls) {
    EXPECT_EQ(
        Rows("SELECT DEPTNO, COUNT(DEPTNO), COUNT(JOB) FROM EMP GROUP BY ROLLUP(DEPTNO) ORDER BY DEPTNO"),
        "10,2,2|20,2,2|30,1,0|-,5,4");
    EXPECT_EQ(Rows("SELECT JOB, GROUPING(JOB), COUNT(*) FROM EMP GROUP BY ROLLUP(JOB) ORDER BY JOB, 2"),
              "CLERK,0,3|MANAGER,0,1|-,0,1|-,1,5");
}

TEST_F(CGroupingSetsTest, ExpressionsGroupedByAndHavingPerSet) {
    EXPECT_EQ(
        Rows("SELECT TO_CHAR(HIRED, 'YYYY') Y, SUM(SAL) FROM EMP GROUP BY ROLLUP(TO_CHAR(HIRED, 'YYYY')) "
             "HAVING SUM(SAL) > 1000 ORDER BY Y"),
        "1981,5000|1987,1100|-,6900");
    EXPECT_EQ(Rows("SELECT DEPTNO + 1, SUM(SAL) FROM EMP GROUP BY CUBE(DEPTNO + 1) ORDER BY 1 DESC"),
              "-,6900|31,1250|21,1900|11,3750");
}

// Sorted by what the query does not show, by position and by alias; no
// column of the sort shows.
TEST_F(CGroupingSetsTest, OrderByKeysOfEveryKind) {
    EXPECT_EQ(Rows("SELECT DEPTNO, SUM(SAL) TOTAL FROM EMP GROUP BY GROUPING SETS ((DEPTNO), ()) "
                   "ORDER BY GROUPING(DEPTNO) DESC, TOTAL"),
              "-,6900|30,1250|20,1900|10,3750");
    EXPECT_EQ(Rows("SELECT SUM(SAL) FROM EMP GROUP BY ROLLUP(DEPTNO) ORDER BY COUNT(*), 1"),
              "1250|1900|3750|6900");
}

// WHERE and a join's ON choose the rows before any set groups them: a key
// rolled up by one set still filters every set's rows by its own value.
TEST_F(CGroupingSetsTest, WhereAndJoinsFilterTheRowsOfEverySet) {
    EXPECT_EQ(Rows("SELECT DEPTNO, JOB, COUNT(*) FROM EMP WHERE DEPTNO IN (10, 20) "
                   "GROUP BY GROUPING SETS ((DEPTNO), (JOB)) ORDER BY 1, 2"),
              "10,-,2|20,-,2|-,CLERK,3|-,MANAGER,1");
    EXPECT_EQ(Rows("SELECT DEPTNO, SUM(SAL) FROM EMP WHERE DEPTNO = 20 GROUP BY ROLLUP(DEPTNO) ORDER BY 1"),
              "20,1900|-,1900");
    EXPECT_EQ(Rows("SELECT E.JOB, COUNT(*) FROM EMP E JOIN EMP F ON F.DEPTNO = E.DEPTNO AND F.JOB = E.JOB "
                   "GROUP BY CUBE(E.JOB) ORDER BY 1"),
              "CLERK,5|MANAGER,1|-,6");
}

TEST_F(CGroupingSetsTest, AViewAndACompoundOfGroupedQueries) {
    Exec("CREATE VIEW TOTALS AS SELECT DEPTNO, SUM(SAL) S FROM EMP GROUP BY ROLLUP(DEPTNO)");
    EXPECT_EQ(Rows("SELECT COUNT(*), MAX(S) FROM TOTALS"), "4,6900");
    EXPECT_EQ(Rows("SELECT DEPTNO FROM EMP GROUP BY ROLLUP(DEPTNO) UNION ALL SELECT 99 FROM DUAL ORDER BY 1"),
              "10|20|30|99|-");
    EXPECT_EQ(Failure("SELECT GROUPING() FROM EMP GROUP BY ROLLUP(DEPTNO)").substr(0, 9), "ORA-00909");
}

}  // namespace

// GROUPING tells the levels of GROUP BY's groups apart; rows never grouped
// have no level to tell, and the server refuses the query.
TEST_F(CGroupingSetsTest, GroupingNeedsGroupBy) {
    for (const char* query : {"SELECT GROUPING(DEPTNO) FROM EMP", "SELECT GROUPING_ID(DEPTNO, JOB) FROM EMP",
                              "SELECT COUNT(*) FROM EMP HAVING GROUPING(DEPTNO) = 0",
                              "SELECT SUM(SAL), GROUPING(DEPTNO) FROM EMP"})
        EXPECT_EQ(Failure(query).substr(0, 10), "ORA-30481:") << query;
    EXPECT_EQ(Rows("SELECT DEPTNO, GROUPING(DEPTNO) FROM EMP GROUP BY DEPTNO ORDER BY 1"), "10,0|20,0|30,0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EMP GROUP BY DEPTNO HAVING GROUPING(DEPTNO) = 0 ORDER BY DEPTNO"),
              "2|2|1");
}
