// A grouped query reads a row's columns only through its GROUP BY
// expressions or inside aggregates, as the server checks it before any row
// is read; ORDER BY names a select-list position that exists.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CGroupedQueryTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EMP (EMPNO NUMBER, DEPTNO NUMBER, JOB VARCHAR2(9), SAL NUMBER)");
        Exec("CREATE TABLE DEPT (DEPTNO NUMBER, DNAME VARCHAR2(14))");
        Exec("INSERT INTO EMP VALUES (1, 10, 'CLERK', 100)");
        Exec("INSERT INTO EMP VALUES (2, 10, 'MANAGER', 300)");
        Exec("INSERT INTO EMP VALUES (3, 20, 'CLERK', 200)");
        Exec("INSERT INTO DEPT VALUES (10, 'A')");
        Exec("INSERT INTO DEPT VALUES (20, 'B')");
    }
};

}  // namespace

TEST_F(CGroupedQueryTest, GroupedQueriesTheServerAccepts) {
    const struct {
        const char* sql;
        const char* rows;
    } cases[] = {
        {"SELECT DEPTNO + 1, COUNT(*) FROM EMP GROUP BY DEPTNO ORDER BY 1", "11,2|21,1"},
        {"SELECT E.DEPTNO, SUM(SAL) FROM EMP E GROUP BY DEPTNO ORDER BY E.DEPTNO", "10,400|20,200"},
        {"SELECT UPPER(JOB), MAX(SAL) - MIN(SAL) FROM EMP GROUP BY UPPER(JOB) ORDER BY 1",
         "CLERK,100|MANAGER,0"},
        {"SELECT 'X', COUNT(*), SYSDATE - SYSDATE FROM EMP", "X,3,0"},
        {"SELECT DEPTNO, RANK() OVER (ORDER BY SUM(SAL) DESC) FROM EMP GROUP BY DEPTNO ORDER BY 1",
         "10,1|20,2"},
        {"SELECT DEPTNO D, COUNT(*) FROM EMP GROUP BY DEPTNO HAVING COUNT(*) > 1 ORDER BY D", "10,2"},
        {"SELECT DEPTNO FROM EMP GROUP BY DEPTNO ORDER BY SUM(SAL)", "20|10"},
        // A column of the outer query is one value for the inner group.
        {"SELECT DNAME, (SELECT COUNT(*) + D.DEPTNO FROM EMP E WHERE E.DEPTNO = D.DEPTNO) FROM DEPT D "
         "ORDER BY 1",
         "A,12|B,21"},
        {"SELECT COUNT(*) FROM EMP WHERE SAL > (SELECT AVG(SAL) FROM EMP)", "1"},
        {"SELECT DEPTNO, JOB, COUNT(*) FROM EMP GROUP BY ROLLUP(DEPTNO, JOB) HAVING DEPTNO = 20",
         "20,CLERK,1|20,-,1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.sql), c.rows) << c.sql;
}

TEST_F(CGroupedQueryTest, ColumnsOutsideTheGroupAreRefusedAtTheirName) {
    const struct {
        const char* sql;
        int code;
        const char* at;  // the name the error points at
    } cases[] = {
        {"SELECT DEPTNO, COUNT(*) FROM EMP", 937, "DEPTNO"},
        {"SELECT JOB FROM EMP GROUP BY DEPTNO", 979, "JOB"},
        {"SELECT DEPTNO, SAL + 1 FROM EMP GROUP BY DEPTNO", 979, "SAL + 1"},
        {"SELECT DEPTNO, COUNT(*) FROM EMP GROUP BY DEPTNO HAVING JOB = 'CLERK'", 979, "JOB ="},
        {"SELECT DEPTNO FROM EMP GROUP BY DEPTNO ORDER BY SAL", 979, "SAL"},
        {"SELECT MAX(SAL), EMPNO FROM EMP ORDER BY 1", 937, "EMPNO"},
        {"SELECT DEPTNO FROM EMP GROUP BY DEPTNO + 1", 979, "DEPTNO FROM"},
        {"SELECT DNAME FROM DEPT WHERE DEPTNO IN (SELECT DEPTNO FROM EMP GROUP BY JOB)", 979,
         "DEPTNO FROM EMP"},
    };
    for (const auto& c : cases) {
        std::string sql = c.sql;
        EXPECT_EQ(Rows(sql).substr(0, 15), "ERROR ORA-00" + std::to_string(c.code)) << sql;
        EXPECT_EQ(m_connection->LastError().position, static_cast<int>(sql.find(c.at))) << sql;
    }
}

TEST_F(CGroupedQueryTest, OrderByPositionMustNameASelectItem) {
    EXPECT_EQ(Rows("SELECT EMPNO FROM EMP ORDER BY 2").substr(0, 15), "ERROR ORA-01785");
    EXPECT_EQ(Rows("SELECT EMPNO FROM EMP UNION SELECT DEPTNO FROM DEPT ORDER BY 3").substr(0, 15),
              "ERROR ORA-01785");
    EXPECT_EQ(Rows("SELECT EMPNO, SAL FROM EMP ORDER BY 2 DESC, 1"), "2,300|3,200|1,100");
    // In a window a number is a constant, not a position.
    EXPECT_EQ(Rows("SELECT ROW_NUMBER() OVER (ORDER BY 5) FROM DEPT WHERE DEPTNO = 10"), "1");
}

TEST_F(CGroupedQueryTest, AScalarSubqueryGivesOneRowAtMost) {
    EXPECT_EQ(
        Rows("SELECT EMPNO, (SELECT DNAME FROM DEPT D WHERE D.DEPTNO = E.DEPTNO) FROM EMP E ORDER BY 1"),
        "1,A|2,A|3,B");
    EXPECT_EQ(Rows("SELECT (SELECT EMPNO FROM EMP WHERE SAL > 1000) FROM DUAL"), "-");
    const std::string many =
        "SELECT DNAME FROM DEPT WHERE DEPTNO = (SELECT DEPTNO FROM EMP WHERE JOB = 'CLERK')";
    EXPECT_EQ(Rows(many).substr(0, 15), "ERROR ORA-01427");
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(many.find("(SELECT")));
    // Correlated, the second row of one outer row is the fault.
    EXPECT_EQ(Rows("SELECT (SELECT EMPNO FROM EMP E WHERE E.DEPTNO = D.DEPTNO) FROM DEPT D").substr(0, 15),
              "ERROR ORA-01427");
    EXPECT_EQ(Rows("SELECT (SELECT EMPNO, SAL FROM EMP WHERE EMPNO = 1) FROM DUAL").substr(0, 15),
              "ERROR ORA-00913");
    EXPECT_EQ(Failure("UPDATE EMP SET SAL = (SELECT DEPTNO FROM DEPT)"),
              Failure("SELECT (SELECT DEPTNO FROM DEPT) FROM DUAL"));
    EXPECT_EQ(Rows("SELECT SUM(SAL) FROM EMP"), "600");
}
