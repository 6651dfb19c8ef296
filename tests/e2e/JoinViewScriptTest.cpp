// The classic employee and department join view of teaching scripts,
// through the batch runner on both roads: salaries raised through the view,
// a department's column refused (ORA-01779), employees deleted and hired
// through it, and a MERGE into a view whose INSTEAD OF triggers write the
// rows, with the employees' statement trigger firing once a statement.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class JoinViewScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    JoinViewScript() { m_road = GetParam(); }
};

const char kSchema[] =
    "CONNECT scott/tiger\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14), loc "
    "VARCHAR2(13));\n"
    "CREATE TABLE emp (empno NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY, ename VARCHAR2(10), job VARCHAR2(9),\n"
    "  sal NUMBER(7,2), deptno NUMBER(2) CONSTRAINT fk_deptno REFERENCES dept);\n"
    "INSERT INTO dept VALUES (10, 'ACCOUNTING', 'NEW YORK');\n"
    "INSERT INTO dept VALUES (20, 'RESEARCH', 'DALLAS');\n"
    "INSERT INTO dept VALUES (30, 'SALES', 'CHICAGO');\n"
    "INSERT INTO emp VALUES (7782, 'CLARK', 'MANAGER', 2450, 10);\n"
    "INSERT INTO emp VALUES (7839, 'KING', 'PRESIDENT', 5000, 10);\n"
    "INSERT INTO emp VALUES (7369, 'SMITH', 'CLERK', 800, 20);\n"
    "INSERT INTO emp VALUES (7499, 'ALLEN', 'SALESMAN', 1600, 30);\n"
    "COMMIT;\n"
    "CREATE OR REPLACE TRIGGER emp_stmt AFTER INSERT OR UPDATE OR DELETE ON emp\n"
    "BEGIN\n  dbms_output.put_line('emp changed');\nEND;\n/\n"
    "CREATE OR REPLACE VIEW emp_details AS\n"
    "  SELECT e.empno, e.ename, e.job, e.sal, e.deptno, d.dname, d.loc\n"
    "  FROM emp e, dept d WHERE e.deptno = d.deptno;\n"
    "SET FEEDBACK ON\n";

TEST_P(JoinViewScript, DmlThroughTheJoinViewChangesEmployees) {
    RunResult r =
        RunScripts({std::string(kSchema) +
                    "UPDATE emp_details SET sal = sal * 1.1 WHERE loc = 'NEW YORK';\n"
                    "UPDATE emp_details SET dname = 'FINANCE' WHERE deptno = 10;\n"
                    "DELETE FROM emp_details WHERE dname = 'SALES';\n"
                    "INSERT INTO emp_details (empno, ename, job, sal, deptno) VALUES (7900, 'JAMES', "
                    "'CLERK', 950, 30);\n"
                    "SELECT column_name, updatable, insertable FROM user_updatable_columns\n"
                    "  WHERE table_name = 'EMP_DETAILS' AND column_name IN ('SAL', 'DNAME') ORDER BY 1;\n"
                    "SELECT empno, ename, sal, dname FROM emp_details ORDER BY empno;\n"});
    ExpectTail(
        r,
        "SQL> UPDATE emp_details SET sal = sal * 1.1 WHERE loc = 'NEW YORK';|2行が更新されました。|"
        "emp changed|"
        "SQL> UPDATE emp_details SET dname = 'FINANCE' WHERE deptno = 10;|"
        "UPDATE emp_details SET dname = 'FINANCE' WHERE deptno = 10;|"
        "                       *|エラー行: 0: エラーが発生しました。|"
        "ORA-01779: キー保存されていない表にマップする列は変更できません。|"
        "SQL> DELETE FROM emp_details WHERE dname = 'SALES';|1行が削除されました。|emp changed|"
        "SQL> INSERT INTO emp_details (empno, ename, job, sal, deptno) VALUES (7900, 'JAMES', 'CLERK', "
        "950, 30);|1行が作成されました。|emp changed|"
        "SQL> SELECT column_name, updatable, insertable FROM user_updatable_columns|"
        "SQL>   WHERE table_name = 'EMP_DETAILS' AND column_name IN ('SAL', 'DNAME') ORDER BY 1;||"
        "COLUMN_NAME" +
            std::string(118, ' ') + "UPD INS |" + std::string(128, '-') + " --- --- |DNAME" +
            std::string(124, ' ') + "NO  NO  |SAL" + std::string(126, ' ') +
            "YES YES ||2行が選択されました。||"
            "SQL> SELECT empno, ename, sal, dname FROM emp_details ORDER BY empno;||"
            "EMPNO      ENAME      SAL        DNAME          |"
            "---------- ---------- ---------- -------------- |"
            "7369       SMITH      800        RESEARCH       |"
            "7782       CLARK      2695       ACCOUNTING     |"
            "7839       KING       5500       ACCOUNTING     |"
            "7900       JAMES      950        SALES          ||4行が選択されました。||SQL> ");
}

TEST_P(JoinViewScript, MergeIntoAViewRunsItsInsteadOfTriggers) {
    ExpectRun(
        "SQL> WHEN NOT MATCHED THEN INSERT (empno, ename, deptno) VALUES (n.empno, n.ename, n.deptno);|"
        "2行がマージされました。|emp changed|renamed SMITH to SMYTHE|emp changed|hired BAKER|"
        "SQL> SELECT empno, ename, job FROM emp WHERE empno IN (7369, 7950) ORDER BY empno;||"
        "EMPNO      ENAME      JOB       |---------- ---------- --------- |"
        "7369       SMYTHE     CLERK     |7950       BAKER      TRAINEE   ||2行が選択されました。||SQL> ",
        std::string(kSchema) +
            "CREATE OR REPLACE VIEW staff AS SELECT empno, ename, deptno FROM emp;\n"
            "CREATE OR REPLACE TRIGGER staff_ins INSTEAD OF INSERT ON staff FOR EACH ROW\nBEGIN\n"
            "  INSERT INTO emp (empno, ename, job, deptno) VALUES (:NEW.empno, :NEW.ename, 'TRAINEE', "
            ":NEW.deptno);\n"
            "  dbms_output.put_line('hired ' || :NEW.ename);\nEND;\n/\n"
            "CREATE OR REPLACE TRIGGER staff_upd INSTEAD OF UPDATE ON staff FOR EACH ROW\nBEGIN\n"
            "  UPDATE emp SET ename = :NEW.ename WHERE empno = :OLD.empno;\n"
            "  dbms_output.put_line('renamed ' || :OLD.ename || ' to ' || :NEW.ename);\nEND;\n/\n"
            "MERGE INTO staff s\nUSING (SELECT 7369 empno, 'SMYTHE' ename, 20 deptno FROM dual\n"
            "       UNION ALL SELECT 7950, 'BAKER', 30 FROM dual) n\nON (s.empno = n.empno)\n"
            "WHEN MATCHED THEN UPDATE SET s.ename = n.ename\n");
}

INSTANTIATE_TEST_SUITE_P(Roads, JoinViewScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
