// PIVOT and UNPIVOT as the SQL Language Reference describes them, and the
// columns of compound queries: described from every branch, not the first.
#include "tests/engine/EngineFixture.h"

namespace {

class CPivotTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec(
            "CREATE TABLE emp (empno NUMBER(4), ename VARCHAR2(10), job VARCHAR2(9), sal NUMBER(7,2), "
            "comm NUMBER(7,2), deptno NUMBER(2))");
        Exec("INSERT INTO emp VALUES (7839, 'KING', 'PRESIDENT', 5000, NULL, 10)");
        Exec("INSERT INTO emp VALUES (7566, 'JONES', 'MANAGER', 2975, NULL, 20)");
        Exec("INSERT INTO emp VALUES (7369, 'SMITH', 'CLERK', 800, NULL, 20)");
        Exec("INSERT INTO emp VALUES (7698, 'BLAKE', 'MANAGER', 2850, NULL, 30)");
        Exec("INSERT INTO emp VALUES (7499, 'ALLEN', 'SALESMAN', 1600, 300, 30)");
    }
    // The described columns: "name:size" joined by ",", the names as the
    // engine gives them (the console upper-cases its headings).
    std::string Described(const std::string& sql) {
        CEngineResult result;
        if (!m_connection->Query(encoding::Utf8ToCp932(sql), m_binds, result)) return "ERROR " + Error();
        std::string out;
        for (const CEngineColumn& column : result.Columns())
            out += (out.empty() ? "" : ",") + encoding::Cp932ToUtf8(column.name) + ":" +
                   std::to_string(column.size);
        return out;
    }
};

TEST_F(CPivotTest, PivotGroupsByTheColumnsItDoesNotName) {
    const SqlCase cases[] = {
        {"SELECT * FROM (SELECT deptno, job, sal FROM emp) PIVOT (SUM(sal) FOR deptno IN (10 AS d10, 20 AS "
         "d20, 30 AS d30)) ORDER BY job",
         "CLERK,-,800,-|MANAGER,-,2975,2850|PRESIDENT,5000,-,-|SALESMAN,-,-,1600"},
        // COUNT(*) counts the rows of each value; no row counts 0.
        {"SELECT * FROM (SELECT job, deptno FROM emp) PIVOT (COUNT(*) FOR job IN ('CLERK', 'MANAGER' AS "
         "mgr)) ORDER BY deptno",
         "10,0,0|20,1,1|30,0,1"},
        // Every other column of the source groups: here each row is its own.
        {"SELECT empno, d10 FROM emp PIVOT (MAX(sal) FOR deptno IN (10 AS d10)) WHERE d10 IS NOT NULL",
         "7839,5000"},
        // Two keys matched together.
        {"SELECT * FROM (SELECT deptno, job, sal FROM emp) PIVOT (SUM(sal) FOR (deptno, job) IN ((20, "
         "'CLERK') AS c20, (30, 'MANAGER') AS m30))",
         "800,2850"},
        {"SELECT * FROM (SELECT deptno, job, sal FROM emp) PIVOT (SUM(sal) FOR deptno IN (ANY))",
         "ERROR ORA-03001: 未実装の機能です: PIVOT ... IN (ANY) は組込みデータベースでは使えません。"},
        {"SELECT * FROM (SELECT deptno, sal FROM emp) PIVOT (SUM(nosuch) FOR deptno IN (10))",
         "ERROR ORA-00904: 列 NOSUCH は存在しません。"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // A value without a name names its column as written; an aggregate's
    // name follows it after "_".
    EXPECT_EQ(Described("SELECT * FROM (SELECT deptno, sal FROM emp) PIVOT (SUM(sal) AS s, MAX(sal) AS m FOR "
                        "deptno IN (10, 20 AS x))")
                  .substr(0, 8),
              "10_S:22,");
    EXPECT_EQ(
        Rows("SELECT * FROM (SELECT deptno, sal FROM emp) PIVOT (SUM(sal) AS s, MAX(sal) AS m FOR deptno IN "
             "(10, 20 AS x))"),
        "5000,5000,3775,2975");
    EXPECT_EQ(Described("SELECT * FROM (SELECT job, deptno FROM emp) PIVOT (COUNT(*) FOR job IN ('CLERK'))")
                  .substr(0, 17),
              "DEPTNO:22,'CLERK'");
}

TEST_F(CPivotTest, UnpivotTurnsColumnsIntoRows) {
    const SqlCase cases[] = {
        // NULLs are left out unless INCLUDE NULLS; the label is the column's name.
        {"SELECT * FROM emp UNPIVOT (val FOR col IN (sal, comm)) WHERE empno IN (7499, 7369) ORDER BY empno, "
         "col",
         "7369,SMITH,CLERK,20,SAL,800|7499,ALLEN,SALESMAN,30,COMM,300|7499,ALLEN,SALESMAN,30,SAL,1600"},
        {"SELECT empno, col, val FROM emp UNPIVOT INCLUDE NULLS (val FOR col IN (sal AS 'S', comm AS 'C')) "
         "WHERE empno = 7839 ORDER BY col",
         "7839,C,-|7839,S,5000"},
        {"SELECT COUNT(*) FROM emp UNPIVOT EXCLUDE NULLS (v FOR c IN (sal, comm))", "6"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // The label column is as wide as its longest label.
    EXPECT_EQ(Described("SELECT col FROM emp UNPIVOT (val FOR col IN (sal, comm))"), "COL:4");
}

TEST_F(CPivotTest, CompoundColumnsHoldEveryBranch) {
    Exec("CREATE TABLE t (a VARCHAR2(2), b VARCHAR2(6))");
    Exec("INSERT INTO t VALUES ('ab', 'abcdef')");
    EXPECT_EQ(Described("SELECT a FROM t UNION SELECT b FROM t"), "A:6");
    EXPECT_EQ(Rows("SELECT a FROM t UNION SELECT b FROM t ORDER BY 1"), "ab|abcdef");
    EXPECT_EQ(Described("SELECT 'ab' x FROM dual UNION ALL SELECT 'abcd' FROM dual"), "X:4");
    EXPECT_EQ(Described("SELECT NULL x FROM dual UNION ALL SELECT ename FROM emp"), "X:10");
    EXPECT_EQ(Rows("SELECT 1, 2 FROM dual UNION SELECT 1 FROM dual"),
              "ERROR ORA-01789: 問合せブロックの結果列の数が正しくありません。");
    EXPECT_EQ(Rows("SELECT 'a' FROM dual UNION SELECT 1 FROM dual"),
              "ERROR ORA-01790: 問合せの列の個数と型が一致しません。");
    EXPECT_EQ(Rows("SELECT hiredate FROM (SELECT SYSDATE hiredate FROM dual) MINUS SELECT 'x' FROM dual"),
              "ERROR ORA-01790: 問合せの列の個数と型が一致しません。");
}

}  // namespace
