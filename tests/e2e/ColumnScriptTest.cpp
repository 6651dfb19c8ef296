// A teaching schema whose columns have DEFAULT expressions and declared
// character lengths, changed by ALTER TABLE, and read back from the
// dictionary, on both roads with the same console text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ColumnScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ColumnScript() { m_road = GetParam(); }
};

TEST_P(ColumnScript, DefaultsTypesAndConstraintsAreKeptAsDeclared) {
    RunResult r =
        RunScripts({"CONNECT scott/tiger\n"
                    "CREATE TABLE dept (deptno NUMBER(2) PRIMARY KEY, dname VARCHAR2(14 CHAR) NOT NULL, "
                    "created DATE DEFAULT TRUNC(SYSDATE));\n"
                    "CREATE TABLE emp (empno NUMBER(4) CONSTRAINT emp_pk PRIMARY KEY, deptno NUMBER(2) "
                    "REFERENCES dept, sal NUMBER(7,2) DEFAULT 1000 * 1.5);\n"
                    "INSERT INTO dept (deptno, dname) VALUES (10, '経理部門');\n"
                    "INSERT INTO emp (empno, deptno) VALUES (7839, 10);\n"
                    "COMMIT;\n"
                    "SELECT d.dname, e.sal, CASE WHEN d.created = TRUNC(SYSDATE) THEN 'TODAY' END c FROM "
                    "dept d JOIN emp e ON e.deptno = d.deptno;\n"
                    "ALTER TABLE emp ADD (bonus NUMBER(7,2) DEFAULT ROUND(100 / 3, 2) NOT NULL);\n"
                    "ALTER TABLE emp MODIFY sal NUMBER(8,2);\n"
                    "SELECT empno, sal, bonus FROM emp;\n"
                    "COLUMN column_name FORMAT A12\n"
                    "COLUMN data_type FORMAT A10\n"
                    "COLUMN data_default FORMAT A22\n"
                    "SELECT column_name, data_type, char_length, data_default FROM user_tab_columns WHERE "
                    "table_name IN ('DEPT', 'EMP') ORDER BY table_name, column_id;\n"
                    "SELECT constraint_type, generated, validated FROM user_constraints WHERE table_name = "
                    "'EMP' ORDER BY 1;\n"});
    EXPECT_EQ(
        r.out,
        Console(
            "SQL> CONNECT scott/tiger|接続に成功しました。|"
            "SQL> CREATE TABLE dept (deptno NUMBER(2) PRIMARY KEY, dname VARCHAR2(14 CHAR) NOT NULL, "
            "created DATE DEFAULT TRUNC(SYSDATE));|"
            "表が作成されました。|"
            "SQL> CREATE TABLE emp (empno NUMBER(4) CONSTRAINT emp_pk PRIMARY KEY, deptno NUMBER(2) "
            "REFERENCES dept, sal NUMBER(7,2) DEFAULT 1000 * 1.5);|"
            "表が作成されました。|SQL> INSERT INTO dept (deptno, dname) VALUES (10, "
            "'経理部門');|1行が作成されました。|"
            "SQL> INSERT INTO emp (empno, deptno) VALUES (7839, 10);|1行が作成されました。|SQL> COMMIT;|"
            "コミットが完了しました。|"
            "SQL> SELECT d.dname, e.sal, CASE WHEN d.created = TRUNC(SYSDATE) THEN 'TODAY' END c FROM "
            "dept d JOIN emp e ON e.deptno = d.deptno;|"
            // VARCHAR2(14 CHAR) may hold 28 bytes: the column is as wide.
            "|DNAME                        SAL        C     |---------------------------- ---------- ----- |"
            "経理部門                     1500       TODAY ||1行が選択されました。||"
            "SQL> ALTER TABLE emp ADD (bonus NUMBER(7,2) DEFAULT ROUND(100 / 3, 2) NOT NULL);|"
            "表が更新されました。|SQL> ALTER TABLE emp MODIFY sal NUMBER(8,2);|表が更新されました。|"
            "SQL> SELECT empno, sal, bonus FROM emp;||EMPNO      SAL        BONUS      |"
            "---------- ---------- ---------- |7839       1500       33.33      ||1行が選択されました。||"
            "SQL> COLUMN column_name FORMAT A12|SQL> COLUMN data_type FORMAT A10|"
            "SQL> COLUMN data_default FORMAT A22|"
            "SQL> SELECT column_name, data_type, char_length, data_default FROM user_tab_columns WHERE "
            "table_name IN ('DEPT', 'EMP') ORDER BY table_name, column_id;|"
            "|COLUMN_NAME  DATA_TYPE  CHAR_LENGT DATA_DEFAULT           |"
            "------------ ---------- ---------- ---------------------- |"
            "DEPTNO       NUMBER     0                                 |"
            "DNAME        VARCHAR2   14                                |"
            "CREATED      DATE       0          TRUNC(SYSDATE)         |"
            "EMPNO        NUMBER     0                                 |"
            "DEPTNO       NUMBER     0                                 |"
            "SAL          NUMBER     0          1000 * 1.5             |"
            "BONUS        NUMBER     0          ROUND(100 / 3, 2)      ||7行が選択されました。||"
            "SQL> SELECT constraint_type, generated, validated FROM user_constraints WHERE table_name = "
            "'EMP' ORDER BY 1;|"
            "|C GENERATED      VALIDATED     |- -------------- ------------- |"
            "C GENERATED NAME VALIDATED     |P USER NAME      VALIDATED     |"
            "R GENERATED NAME VALIDATED     ||3行が選択されました。||SQL> "));
}

INSTANTIATE_TEST_SUITE_P(Roads, ColumnScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
