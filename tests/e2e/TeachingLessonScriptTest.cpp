// A teaching script over a small EMP table: subtotals of the rows a WHERE
// keeps, a management chain that loops, and a nested table whose deleted
// elements keep their places; run on the embedded database through the
// batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class TeachingLessonScript : public ScriptRun {};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (empno NUMBER(4), ename VARCHAR2(10), job VARCHAR2(9), mgr NUMBER(4),\n"
    "  sal NUMBER(7,2), deptno NUMBER(2));\n"
    "INSERT INTO emp VALUES (7839, 'KING', 'PRESIDENT', 7369, 5000, 10);\n"
    "INSERT INTO emp VALUES (7566, 'JONES', 'MANAGER', 7839, 2975, 20);\n"
    "INSERT INTO emp VALUES (7902, 'FORD', 'ANALYST', 7566, 3000, 20);\n"
    "INSERT INTO emp VALUES (7369, 'SMITH', 'CLERK', 7902, 800, 20);\n"
    "INSERT INTO emp VALUES (7782, 'CLARK', 'MANAGER', 7839, 2450, 10);\n"
    "INSERT INTO emp VALUES (7499, 'ALLEN', 'SALESMAN', 7782, 1600, 30);\n"
    "SELECT deptno, job, SUM(sal) total FROM emp WHERE deptno IN (10, 20)\n"
    " GROUP BY GROUPING SETS ((deptno), (job)) ORDER BY deptno, job;\n"
    "SELECT ename, LEVEL, CONNECT_BY_ISCYCLE cyc FROM emp START WITH empno = 7839\n"
    "CONNECT BY NOCYCLE PRIOR empno = mgr ORDER SIBLINGS BY ename;\n"
    "SET SERVEROUTPUT ON\n"
    "DECLARE\n"
    "  TYPE t_nums IS TABLE OF NUMBER;\n"
    "  c t_nums := t_nums(7, 8, 9);\n"
    "BEGIN\n"
    "  c.EXTEND(2, 1);\n"
    "  c.DELETE(5);\n"
    "  c.EXTEND;\n"
    "  c(6) := 60;\n"
    "  DBMS_OUTPUT.PUT_LINE(c.COUNT || ' ' || c(4) || ' ' || c.LAST);\n"
    "END;\n"
    "/\n";

TEST_F(TeachingLessonScript, SubtotalsLoopsAndPlacesOfDeletedElements) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    // The job subtotals count only departments 10 and 20: ALLEN's
    // SALESMAN row is not among them.
    EXPECT_NE(r.out.find(Console("DEPTNO     JOB       TOTAL      |"
                                 "---------- --------- ---------- |"
                                 "10                   7450       |"
                                 "20                   6775       |"
                                 "           ANALYST   3000       |"
                                 "           CLERK     800        |"
                                 "           MANAGER   5425       |"
                                 "           PRESIDENT 5000       |"
                                 "|6行が選択されました。")),
              std::string::npos)
        << r.out;
    // SMITH manages KING, the top of the walk: his row closes the loop.
    EXPECT_NE(r.out.find(Console("KING       1          0          |"
                                 "CLARK      2          0          |"
                                 "ALLEN      3          0          |"
                                 "JONES      2          0          |"
                                 "FORD       3          0          |"
                                 "SMITH      4          1          |")),
              std::string::npos)
        << r.out;
    // Six places, the fifth deleted: EXTEND appended the sixth after it.
    EXPECT_NE(r.out.find("\n5 7 6\n"), std::string::npos) << r.out;
}

}  // namespace
