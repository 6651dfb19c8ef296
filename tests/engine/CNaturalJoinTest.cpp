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

// A USING column may be named with the characters a name may hold beyond
// letters and digits ($, #, _), or quoted in its own case.
TEST_F(CNaturalJoinTest, UsingTakesEveryKindOfColumnName) {
    Exec("CREATE TABLE A (K# NUMBER, \"Low\" NUMBER, X$ NUMBER)");
    Exec("CREATE TABLE B (K# NUMBER, \"Low\" NUMBER, Y NUMBER)");
    Exec("INSERT INTO A VALUES (1, 5, 2)");
    Exec("INSERT INTO B VALUES (1, 5, 3)");
    Exec("INSERT INTO B VALUES (1, 6, 4)");
    const SqlCase cases[] = {
        {"SELECT k#, x$, y FROM a JOIN b USING (k#) ORDER BY y", "1,2,3|1,2,4"},
        {"SELECT * FROM a JOIN b USING (k#, \"Low\")", "1,5,2,3"},
        {"SELECT COUNT(*) FROM a LEFT JOIN b USING (\"Low\")", "1"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

}  // namespace
