// A PL/SQL teaching script of the kind Oracle users run: an install block
// that drops its table when there is one, a package with overloaded
// procedures and a function returning a cursor printed through a REFCURSOR
// variable, and a FORALL over a sparse collection that saves its
// exceptions; through the batch runner on both roads with the same text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlTeaching : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    PlsqlTeaching() { m_road = GetParam(); }
};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "SET SERVEROUTPUT ON\n"
    "BEGIN\n"
    "  EXECUTE IMMEDIATE 'DROP TABLE emp_demo';\n"
    "EXCEPTION\n"
    "  WHEN OTHERS THEN\n"
    "    IF SQLCODE != -942 THEN\n"
    "      RAISE;\n"
    "    END IF;\n"
    "END;\n"
    "/\n"
    "CREATE TABLE emp_demo (empno NUMBER(4) PRIMARY KEY, ename VARCHAR2(10), sal NUMBER(7,2), deptno "
    "NUMBER(2));\n"
    "INSERT INTO emp_demo VALUES (7369, 'SMITH', 800, 20);\n"
    "INSERT INTO emp_demo VALUES (7499, 'ALLEN', 1600, 30);\n"
    "INSERT INTO emp_demo VALUES (7521, 'WARD', 1250, 30);\n"
    "COMMIT;\n"
    "CREATE OR REPLACE PACKAGE emp_api IS\n"
    "  FUNCTION by_dept(p_deptno NUMBER) RETURN SYS_REFCURSOR;\n"
    "  PROCEDURE raise_sal(p_empno NUMBER, p_pct NUMBER);\n"
    "  PROCEDURE raise_sal(p_ename VARCHAR2, p_pct NUMBER);\n"
    "END emp_api;\n"
    "/\n"
    "CREATE OR REPLACE PACKAGE BODY emp_api IS\n"
    "  FUNCTION by_dept(p_deptno NUMBER) RETURN SYS_REFCURSOR IS\n"
    "    rc SYS_REFCURSOR;\n"
    "  BEGIN\n"
    "    OPEN rc FOR SELECT empno, ename, sal FROM emp_demo WHERE deptno = p_deptno ORDER BY empno;\n"
    "    RETURN rc;\n"
    "  END by_dept;\n"
    "  PROCEDURE raise_sal(p_empno NUMBER, p_pct NUMBER) IS\n"
    "  BEGIN\n"
    "    UPDATE emp_demo SET sal = sal * (1 + p_pct / 100) WHERE empno = p_empno;\n"
    "  END raise_sal;\n"
    "  PROCEDURE raise_sal(p_ename VARCHAR2, p_pct NUMBER) IS\n"
    "  BEGIN\n"
    "    UPDATE emp_demo SET sal = sal * (1 + p_pct / 100) WHERE ename = p_ename;\n"
    "  END raise_sal;\n"
    "END emp_api;\n"
    "/\n"
    "EXEC emp_api.raise_sal(7499, 10)\n"
    "EXEC emp_api.raise_sal('WARD', 20)\n"
    "VARIABLE rc REFCURSOR\n"
    "EXEC :rc := emp_api.by_dept(30)\n"
    "PRINT rc\n"
    "DECLARE\n"
    "  TYPE id_list IS TABLE OF NUMBER INDEX BY PLS_INTEGER;\n"
    "  ids id_list;\n"
    "  bulk_errors EXCEPTION;\n"
    "  PRAGMA EXCEPTION_INIT(bulk_errors, -24381);\n"
    "BEGIN\n"
    "  ids(1) := 8001;\n"
    "  ids(5) := 7369;\n"
    "  ids(9) := 8002;\n"
    "  FORALL i IN INDICES OF ids SAVE EXCEPTIONS\n"
    "    INSERT INTO emp_demo (empno, ename, deptno) VALUES (ids(i), 'NEW' || i, 40);\n"
    "EXCEPTION\n"
    "  WHEN bulk_errors THEN\n"
    "    dbms_output.put_line(SQL%BULK_EXCEPTIONS.COUNT || ' error(s)');\n"
    "    FOR j IN 1 .. SQL%BULK_EXCEPTIONS.COUNT LOOP\n"
    "      dbms_output.put_line('iteration ' || SQL%BULK_EXCEPTIONS(j).ERROR_INDEX || ' failed');\n"
    "    END LOOP;\n"
    "END;\n"
    "/\n"
    "SELECT empno, ename FROM emp_demo WHERE deptno = 40 ORDER BY empno;\n";

TEST_P(PlsqlTeaching, PackageCursorResultAndSavedBulkExceptions) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("SQL> PRINT rc||EMPNO      ENAME      SAL        |"
                                 "---------- ---------- ---------- |7499       ALLEN      1760       |"
                                 "7521       WARD       1500       ||2行が選択されました。|")),
              std::string::npos)
        << r.out;
    ExpectTail(r,
               "SQL> /|PL/SQLプロシージャが正常に完了しました。|1 error(s)|iteration 2 failed|"
               "SQL> SELECT empno, ename FROM emp_demo WHERE deptno = 40 ORDER BY empno;||"
               "EMPNO      ENAME      |---------- ---------- |8001       NEW1       |8002       NEW9       ||"
               "2行が選択されました。||SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, PlsqlTeaching, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
