// NATURAL and USING joins: joined on the columns both sides name, and "*"
// lists those columns first, once, then the others of each side.
#include "tests/engine/EngineFixture.h"

namespace {

class CNaturalJoinTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE DEPT (DEPTNO NUMBER(2), DNAME VARCHAR2(14))");
        Exec("CREATE TABLE EMP (EMPNO NUMBER(4), ENAME VARCHAR2(10), DEPTNO NUMBER(2))");
        Exec("INSERT INTO DEPT VALUES (10, 'ACCOUNTING')");
        Exec("INSERT INTO DEPT VALUES (20, 'RESEARCH')");
        Exec("INSERT INTO EMP VALUES (1, 'KING', 10)");
        Exec("INSERT INTO EMP VALUES (2, 'NOBODY', NULL)");
    }
};

TEST_F(CNaturalJoinTest, JoinsOnTheColumnsBothSidesName) {
    const SqlCase cases[] = {
        {"SELECT * FROM emp NATURAL JOIN dept", "10,1,KING,ACCOUNTING"},
        {"SELECT * FROM emp JOIN dept USING (deptno)", "10,1,KING,ACCOUNTING"},
        {"SELECT ename, dname, deptno FROM emp NATURAL INNER JOIN dept", "KING,ACCOUNTING,10"},
        {"SELECT e.ename, d.dname FROM emp e NATURAL LEFT OUTER JOIN dept d ORDER BY 1",
         "KING,ACCOUNTING|NOBODY,-"},
        {"SELECT deptno, dname, ename FROM emp NATURAL RIGHT JOIN dept ORDER BY 2",
         "10,ACCOUNTING,KING|20,RESEARCH,-"},
        {"SELECT * FROM emp NATURAL FULL OUTER JOIN dept ORDER BY 2",
         "10,1,KING,ACCOUNTING|-,2,NOBODY,-|20,-,-,RESEARCH"},
        // Every column is common: a row with a NULL meets no row.
        {"SELECT COUNT(*) FROM emp a NATURAL JOIN emp b", "1"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

}  // namespace
