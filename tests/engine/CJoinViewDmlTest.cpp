// DML through a join view: it reaches the one table whose key the join
// keeps (joined to the other tables on their whole primary or unique keys),
// counts the view's rows it changes, and names the rule it breaks
// otherwise; USER_UPDATABLE_COLUMNS answers by the same rule.
#include "tests/engine/EngineFixture.h"

namespace {

class CJoinViewDmlTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE DEPT (DEPTNO NUMBER(2) PRIMARY KEY, DNAME VARCHAR2(14), LOC VARCHAR2(13))");
        Exec(
            "CREATE TABLE EMP (EMPNO NUMBER(4) PRIMARY KEY, ENAME VARCHAR2(10), SAL NUMBER(7,2), DEPTNO "
            "NUMBER(2) REFERENCES DEPT, CODE VARCHAR2(4) UNIQUE)");
        for (const char* row :
             {"10, 'ACCOUNTING', 'NEW YORK'", "20, 'RESEARCH', 'DALLAS'", "30, 'SALES', 'CHICAGO'"})
            Exec(std::string("INSERT INTO DEPT VALUES (") + row + ")");
        for (const char* row : {"7782, 'CLARK', 2450, 10, 'C1'", "7839, 'KING', 5000, 10, 'K1'",
                                "7369, 'SMITH', 800, 20, 'S1'", "7000, 'LONE', 100, NULL, 'L1'"})
            Exec(std::string("INSERT INTO EMP VALUES (") + row + ")");
        Exec(
            "CREATE VIEW EMP_DEPT AS SELECT E.EMPNO, E.ENAME, E.SAL, E.DEPTNO, D.DNAME, D.LOC FROM EMP E, "
            "DEPT D WHERE E.DEPTNO = D.DEPTNO");
    }
    std::string Emp() { return Rows("SELECT EMPNO, ENAME, SAL, DEPTNO FROM EMP ORDER BY EMPNO"); }
    // "OK n" with the rows changed, or the error's code.
    std::string Run(const std::string& sql) {
        long rows = 0;
        if (m_connection->Execute(encoding::Utf8ToCp932(sql), m_binds, rows))
            return "OK " + std::to_string(rows);
        return Error().substr(0, 9);
    }
};

// Which tables keep their keys decides what each statement may do, for
// joins written in WHERE, with (+), with JOIN ... ON / USING and LEFT JOIN.
TEST_F(CJoinViewDmlTest, TheKeyPreservedTableTakesTheDml) {
    const struct {
        const char* view;
        const char* statement;
        const char* answer;
    } cases[] = {
        // emp is joined to dept's primary key: emp keeps its key, dept does not.
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "UPDATE V SET SAL = 1", "OK 3"},
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "UPDATE V SET DNAME = 'X'", "ORA-01779"},
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "INSERT INTO V (EMPNO, DNAME) VALUES (1, 'X')", "ORA-01779"},
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "DELETE FROM V WHERE DNAME = 'RESEARCH'", "OK 1"},
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "INSERT INTO V (EMPNO, SAL) VALUES (1, 2)", "OK 1"},
        // Joined on a column that is no key of dept's side: no table keeps its key.
        {"SELECT A.EMPNO, B.ENAME FROM EMP A, EMP B WHERE A.DEPTNO = B.DEPTNO", "DELETE FROM V", "ORA-01752"},
        {"SELECT A.EMPNO, B.ENAME FROM EMP A, EMP B WHERE A.DEPTNO = B.DEPTNO", "UPDATE V SET EMPNO = 1",
         "ORA-01779"},
        // A one-to-one join on both keys keeps both; one statement changes one table.
        {"SELECT A.EMPNO, A.SAL, B.ENAME FROM EMP A, EMP B WHERE A.EMPNO = B.EMPNO",
         "UPDATE V SET SAL = 1, ENAME = 'X'", "ORA-01776"},
        {"SELECT A.EMPNO, A.SAL, B.ENAME FROM EMP A, EMP B WHERE A.EMPNO = B.EMPNO",
         "DELETE FROM V WHERE SAL > 1000", "OK 2"},
        // A unique key joins as the primary key does.
        {"SELECT A.EMPNO, B.ENAME FROM EMP A JOIN EMP B ON B.CODE = A.CODE", "UPDATE V SET EMPNO = EMPNO + 1",
         "OK 4"},
        // A constant beside the join does not make dept's rows single.
        {"SELECT D.DNAME, E.ENAME FROM DEPT D, EMP E WHERE D.DEPTNO = E.DEPTNO AND E.EMPNO = 7782",
         "UPDATE V SET DNAME = 'X'", "ORA-01779"},
        // The table an outer join fills with NULLs keeps no key; the other
        // one's rows without a match are rows of the view too.
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E LEFT JOIN DEPT D ON E.DEPTNO = D.DEPTNO",
         "UPDATE V SET SAL = 1", "OK 4"},
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO(+)", "DELETE FROM V",
         "OK 4"},
        {"SELECT E.EMPNO, E.SAL, D.DNAME FROM DEPT D RIGHT JOIN EMP E ON E.DEPTNO = D.DEPTNO",
         "UPDATE V SET DNAME = 'X'", "ORA-01779"},
        {"SELECT * FROM EMP JOIN DEPT USING (DEPTNO)", "UPDATE V SET SAL = SAL + 1 WHERE LOC = 'DALLAS'",
         "OK 1"},
        // A column computed from the tables is set by none of them.
        {"SELECT E.EMPNO, E.SAL * 12 YEARLY FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "UPDATE V SET YEARLY = 1", "ORA-01733"},
        // Shapes whose rows stand for no row of a table.
        {"SELECT DISTINCT E.EMPNO FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO", "DELETE FROM V",
         "ORA-01732"},
        {"SELECT E.EMPNO, COUNT(*) N FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO GROUP BY E.EMPNO",
         "DELETE FROM V", "ORA-01732"},
        {"SELECT E.EMPNO, ROWNUM R FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO", "DELETE FROM V",
         "ORA-01732"},
        {"SELECT E.EMPNO, RANK() OVER (ORDER BY E.SAL) R FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
         "UPDATE V SET EMPNO = 1", "ORA-01732"},
        {"SELECT EMPNO FROM EMP UNION SELECT DEPTNO FROM DEPT", "DELETE FROM V", "ORA-01732"},
        {"SELECT E.EMPNO FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO WITH READ ONLY", "DELETE FROM V",
         "ORA-42399"},
    };
    for (const auto& c : cases) {
        Exec(std::string("CREATE OR REPLACE VIEW V AS ") + c.view);
        EXPECT_EQ(Run(c.statement), c.answer) << c.view << " / " << c.statement;
        Exec("ROLLBACK");
    }
}

TEST_F(CJoinViewDmlTest, ChangesReachTheRowsOfTheKeyPreservedTable) {
    EXPECT_EQ(Run("UPDATE EMP_DEPT SET SAL = SAL * 2 WHERE DNAME = 'ACCOUNTING'"), "OK 2");
    // A value may read the other table's columns of the row it sets.
    EXPECT_EQ(Run("UPDATE EMP_DEPT V SET V.SAL = V.SAL + LENGTH(V.LOC) WHERE V.EMPNO = 7369"), "OK 1");
    EXPECT_EQ(Emp(), "7000,LONE,100,-|7369,SMITH,806,20|7782,CLARK,4900,10|7839,KING,10000,10");
    // The row without a department is no row of the view.
    EXPECT_EQ(Run("DELETE FROM EMP_DEPT WHERE SAL < 1000"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO EMP_DEPT (EMPNO, ENAME, DEPTNO) VALUES (7900, 'JAMES', 30)"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO EMP_DEPT (EMPNO, ENAME) SELECT EMPNO + 1, 'COPY' FROM EMP WHERE EMPNO = 7900"),
              "OK 1");
    EXPECT_EQ(Emp(), "7000,LONE,100,-|7782,CLARK,4900,10|7839,KING,10000,10|7900,JAMES,-,30|7901,COPY,-,-");
    EXPECT_EQ(Rows("SELECT DNAME FROM DEPT ORDER BY DEPTNO"), "ACCOUNTING|RESEARCH|SALES");
    EXPECT_EQ(Run("UPDATE EMP_DEPT SET DEPTNO = 20 WHERE EMPNO = (SELECT MAX(EMPNO) FROM EMP_DEPT)"), "OK 1");
    EXPECT_EQ(Rows("SELECT ENAME, DNAME FROM EMP_DEPT ORDER BY EMPNO"),
              "CLARK,ACCOUNTING|KING,ACCOUNTING|JAMES,RESEARCH");
    // Every column of the statement is named where it is typed.
    EXPECT_EQ(Run("INSERT INTO EMP_DEPT VALUES (1, 'A', 1, 10, 'B', 'C')"), "ORA-01779");
    EXPECT_EQ(Run("UPDATE EMP_DEPT SET NOPE = 1"), "ORA-00904");
}

// WITH CHECK OPTION: each row changed must still be a row of the view once
// changed, and a refused statement leaves every row as it was.
TEST_F(CJoinViewDmlTest, CheckOptionHoldsTheRowsAfterTheChange) {
    Exec(
        "CREATE VIEW NY AS SELECT E.EMPNO, E.SAL, E.DEPTNO, D.LOC FROM EMP E, DEPT D WHERE E.DEPTNO = "
        "D.DEPTNO AND D.LOC = 'NEW YORK' WITH CHECK OPTION");
    std::string before = Emp();
    EXPECT_EQ(Run("UPDATE NY SET DEPTNO = 30"), "ORA-01402");
    EXPECT_EQ(Run("UPDATE NY SET DEPTNO = 30 WHERE EMPNO = 7782"), "ORA-01402");
    EXPECT_EQ(Run("INSERT INTO NY (EMPNO, DEPTNO) VALUES (1, 20)"), "ORA-01402");
    EXPECT_EQ(Emp(), before);
    EXPECT_EQ(Run("UPDATE NY SET SAL = SAL + 1, DEPTNO = 10"), "OK 2");
    EXPECT_EQ(Run("INSERT INTO NY (EMPNO, DEPTNO) VALUES (1, 10)"), "OK 1");
    EXPECT_EQ(Rows("SELECT EMPNO, SAL FROM NY ORDER BY EMPNO"), "1,-|7782,2451|7839,5001");
}

TEST_F(CJoinViewDmlTest, UpdatableColumnsFollowTheSameRule) {
    Exec("CREATE VIEW YEARLY AS SELECT EMPNO, SAL * 12 PAY FROM EMP");
    Exec("CREATE VIEW BYDEPT AS SELECT DEPTNO, COUNT(*) N FROM EMP GROUP BY DEPTNO");
    Exec(
        "CREATE VIEW NAMED (NO, DEPT_NAME) AS SELECT E.EMPNO, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = "
        "D.DEPTNO");
    EXPECT_EQ(
        Rows("SELECT TABLE_NAME || '.' || COLUMN_NAME || ' ' || UPDATABLE || INSERTABLE || DELETABLE FROM "
             "USER_UPDATABLE_COLUMNS WHERE TABLE_NAME IN ('EMP_DEPT', 'YEARLY', 'BYDEPT', 'NAMED', 'DEPT') "
             "ORDER BY TABLE_NAME, COLUMN_NAME"),
        "BYDEPT.DEPTNO NONONO|BYDEPT.N NONONO|DEPT.DEPTNO YESYESYES|DEPT.DNAME YESYESYES|DEPT.LOC "
        "YESYESYES|EMP_DEPT.DEPTNO YESYESYES|EMP_DEPT.DNAME NONONO|EMP_DEPT.EMPNO YESYESYES|EMP_DEPT.ENAME "
        "YESYESYES|EMP_DEPT.LOC NONONO|EMP_DEPT.SAL YESYESYES|NAMED.DEPT_NAME NONONO|NAMED.NO "
        "YESYESYES|YEARLY.EMPNO YESYESYES|YEARLY.PAY NONOYES");
    EXPECT_EQ(Run("UPDATE NAMED SET NO = NO + 1 WHERE DEPT_NAME = 'RESEARCH'"), "OK 1");
}

}  // namespace
