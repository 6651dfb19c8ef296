// INSERT, UPDATE and DELETE through a view of one table: they reach only the
// rows the view shows, a view WITH CHECK OPTION keeps every row it stores
// (ORA-01402), and a view that cannot pass DML on says why.
#include "tests/engine/EngineFixture.h"

namespace {

class CViewDmlTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec(
            "CREATE TABLE EMP (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(6), DEPTNO NUMBER(2), SAL "
            "NUMBER(7,2))");
        for (const char* row : {"1, 'a', 10, 100", "2, 'b', 20, 200", "3, 'c', 10, 300"})
            Exec(std::string("INSERT INTO EMP VALUES (") + row + ")");
        Exec("CREATE VIEW D10 AS SELECT ID, NAME N, DEPTNO FROM EMP E WHERE E.DEPTNO = 10 WITH CHECK OPTION");
        Exec("CREATE VIEW RICH AS SELECT ID, SAL * 12 ANNUAL, SAL FROM EMP WHERE SAL >= 200");
    }
    std::string Table() { return Rows("SELECT * FROM EMP ORDER BY ID"); }
};

TEST_F(CViewDmlTest, ReachesOnlyTheRowsTheViewShows) {
    Exec("UPDATE RICH SET SAL = SAL + 1");
    Exec("DELETE FROM D10 WHERE N = 'b'");  // row 2 is no row of D10
    Exec("UPDATE D10 D SET D.N = 'z' WHERE D.ID > 2");
    EXPECT_EQ(Table(), "1,a,10,100|2,b,20,201|3,z,10,301");
    Exec("DELETE FROM RICH WHERE ANNUAL > 3000");
    EXPECT_EQ(Table(), "1,a,10,100|2,b,20,201");
}

TEST_F(CViewDmlTest, InsertsNameTheViewsColumns) {
    Exec("INSERT INTO D10 VALUES (7, 'x', 10)");
    Exec("INSERT INTO D10 (N, ID, DEPTNO) SELECT 'y', 8, 10 FROM DUAL");
    Exec("INSERT INTO RICH (ID, SAL) VALUES (9, 50)");  // no check option: stored, not shown
    EXPECT_EQ(Rows("SELECT ID, NAME, SAL FROM EMP WHERE ID > 5 ORDER BY ID"), "7,x,-|8,y,-|9,-,50");
    EXPECT_EQ(Failure("INSERT INTO D10 (NAME) VALUES ('q')").substr(0, 9), "ORA-00904");
    EXPECT_EQ(Failure("INSERT INTO RICH (ID, ANNUAL) VALUES (10, 1)").substr(0, 9), "ORA-01733");
    EXPECT_EQ(Failure("UPDATE RICH SET ANNUAL = 1").substr(0, 9), "ORA-01733");
}

// A row the view would no longer show is refused, and the whole statement
// with it; the check holds for INSERT ... SELECT and for a NULL condition.
TEST_F(CViewDmlTest, CheckOptionRefusesRowsOutsideTheView) {
    std::string before = Table();
    EXPECT_EQ(Failure("INSERT INTO D10 VALUES (7, 'x', 20)").substr(0, 9), "ORA-01402");
    EXPECT_EQ(Failure("INSERT INTO D10 (ID, N) VALUES (7, 'x')").substr(0, 9), "ORA-01402");
    EXPECT_EQ(Failure("UPDATE D10 SET DEPTNO = DEPTNO + ID").substr(0, 9), "ORA-01402");
    EXPECT_EQ(Failure("INSERT INTO D10 SELECT ID + 10, NAME, DEPTNO FROM EMP").substr(0, 9), "ORA-01402");
    EXPECT_EQ(Table(), before);
    Exec("UPDATE D10 SET DEPTNO = 10, N = 'ok' WHERE ID = 1");
    EXPECT_EQ(Rows("SELECT NAME FROM EMP WHERE ID = 1"), "ok");
}

TEST_F(CViewDmlTest, ViewsThatTakeNoDml) {
    Exec("CREATE VIEW BYDEPT AS SELECT DEPTNO, COUNT(*) C FROM EMP GROUP BY DEPTNO");
    Exec("CREATE VIEW PAIRS AS SELECT DISTINCT A.ID FROM EMP A, EMP B WHERE A.ID = B.ID");
    Exec("CREATE VIEW FIXED AS SELECT * FROM EMP WITH READ ONLY");
    EXPECT_EQ(Failure("DELETE FROM BYDEPT").substr(0, 9), "ORA-01732");
    EXPECT_EQ(Failure("UPDATE PAIRS SET ID = 1").substr(0, 9), "ORA-01732");
    EXPECT_EQ(Failure("INSERT INTO FIXED VALUES (5, 'e', 10, 1)").substr(0, 9), "ORA-42399");
    EXPECT_EQ(m_connection->LastError().position, 12);
}

}  // namespace
