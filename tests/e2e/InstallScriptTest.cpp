// An install script of the kind teaching material ships: it drops its table
// first (failing on a fresh schema), makes it with an index of physical
// options and one over an expression, walks the reporting line with a
// recursive WITH, undoes a change to a savepoint and ends by truncating and
// dropping; run on the embedded database through the batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class InstallScript : public ScriptRun {};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "DROP TABLE emp CASCADE CONSTRAINTS PURGE;\n"
    "CREATE TABLE emp (empno NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY, ename VARCHAR2(10), mgr NUMBER(4),\n"
    "  sal NUMBER(7,2));\n"
    "CREATE INDEX emp_mgr_ix ON emp (mgr) TABLESPACE users NOLOGGING;\n"
    "CREATE INDEX emp_uname_ix ON emp (UPPER(ename));\n"
    "INSERT INTO emp VALUES (7839, 'KING', NULL, 5000);\n"
    "INSERT INTO emp VALUES (7566, 'JONES', 7839, 2975);\n"
    "INSERT INTO emp VALUES (7902, 'FORD', 7566, 3000);\n"
    "INSERT INTO emp VALUES (7369, 'SMITH', 7902, 800);\n"
    "COMMIT;\n"
    "COLUMN path FORMAT A30\n"
    "WITH chain (empno, path, lvl) AS (\n"
    "  SELECT empno, CAST(ename AS VARCHAR2(100)), 1 FROM emp WHERE mgr IS NULL\n"
    "  UNION ALL\n"
    "  SELECT e.empno, c.path || '/' || e.ename, c.lvl + 1 FROM emp e JOIN chain c ON e.mgr = c.empno)\n"
    "SELECT path, lvl FROM chain ORDER BY lvl;\n"
    "SAVEPOINT before_raise;\n"
    "UPDATE emp SET sal = sal * 1.1 WHERE mgr = 7839;\n"
    "ROLLBACK TO SAVEPOINT before_raise;\n"
    "SELECT ename, sal FROM emp WHERE UPPER(ename) = 'JONES';\n"
    "SELECT ename FROM emp LIMIT 2;\n"
    "TRUNCATE TABLE emp DROP STORAGE;\n"
    "DROP TABLE emp CASCADE CONSTRAINTS PURGE;\n";

TEST_F(InstallScript, DropsMakesWalksUndoesAndCleansUp) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(Console("DROP TABLE emp CASCADE CONSTRAINTS PURGE;|"
                                 "           *|"
                                 "エラー行: 0: エラーが発生しました。|"
                                 "ORA-00942: 表またはビュー EMP は存在しません。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(
        r.out.find(Console("索引が作成されました。|SQL> CREATE INDEX emp_uname_ix ON emp (UPPER(ename));|"
                           "索引が作成されました。")),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("PATH                           LVL        |"
                                 "------------------------------ ---------- |"
                                 "KING                           1          |"
                                 "KING/JONES                     2          |"
                                 "KING/JONES/FORD                3          |"
                                 "KING/JONES/FORD/SMITH          4          |"
                                 "|4行が選択されました。")),
              std::string::npos)
        << r.out;
    // The raise was undone: JONES earns what the script inserted.
    EXPECT_NE(r.out.find(Console("JONES      2975       ")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console(
                  "SELECT ename FROM emp LIMIT 2;|"
                  "                      *|"
                  "エラー行: 0: エラーが発生しました。|"
                  "ORA-00933: SQL コマンドが正しく終了していません (一度に実行できる文は一つです)。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("表が切り捨てられました。|SQL> DROP TABLE emp CASCADE CONSTRAINTS PURGE;|"
                                 "表が削除されました。")),
              std::string::npos)
        << r.out;
}

}  // namespace
