// A broken foreign key is named, the one broken when the statement's table
// has several.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sqlite/CForeignKeyName.h"
#include "tests/engine/EngineFixture.h"

TEST(CForeignKeyNameTest, TheTableADmlStatementWrites) {
    const struct {
        const char* sql;
        const char* table;
    } cases[] = {{"INSERT INTO emp VALUES (1)", "EMP"},
                 {"insert into hr.Emp (a) values (1)", "EMP"},
                 {"UPDATE \"Emp\" SET a = 1", "Emp"},
                 {"DELETE FROM dept WHERE 1 = 1", "DEPT"},
                 {"DELETE dept", "DEPT"},
                 {"SELECT * FROM emp", ""},
                 {"INSERT ALL INTO a VALUES (1) SELECT 1 FROM dual", ""}};
    for (const auto& c : cases) EXPECT_EQ(CForeignKeyName::TargetOf(c.sql), c.table) << c.sql;
}

namespace {
class CForeignKeyNameSqlTest : public EngineFixture {};
}  // namespace

TEST_F(CForeignKeyNameSqlTest, TheKeyBrokenIsNamedAmongSeveral) {
    Exec("CREATE TABLE DEPT (DEPTNO NUMBER CONSTRAINT PK_DEPT PRIMARY KEY)");
    Exec("CREATE TABLE EMP (EMPNO NUMBER PRIMARY KEY, DEPTNO NUMBER CONSTRAINT FK_DEPT REFERENCES DEPT)");
    Exec("INSERT INTO DEPT VALUES (10)");
    Exec("INSERT INTO EMP VALUES (1, 10)");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES (2, 20)"),
              "ORA-02291: 整合性制約 FK_DEPT に違反しました - 親キーがありません。");
    EXPECT_EQ(Failure("DELETE FROM DEPT"),
              "ORA-02292: 整合性制約 FK_DEPT に違反しました - 子レコードがあります。");
    Exec("ALTER TABLE EMP ADD (MGR NUMBER CONSTRAINT FK_MGR REFERENCES EMP)");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES (3, 20, NULL)"),
              "ORA-02291: 整合性制約 FK_DEPT に違反しました - 親キーがありません。");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES (3, 10, 7)"),
              "ORA-02291: 整合性制約 FK_MGR に違反しました - 親キーがありません。");
    // A key set aside does not count.
    Exec("ALTER TABLE EMP DISABLE CONSTRAINT FK_MGR");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES (3, 20, NULL)"),
              "ORA-02291: 整合性制約 FK_DEPT に違反しました - 親キーがありません。");
}

// A deferred key still broken at COMMIT ends the transaction, undone, and
// the session goes on; nothing of it is committed.
TEST_F(CForeignKeyNameSqlTest, ADeferredKeyBrokenAtCommitRollsTheTransactionBack) {
    Exec("CREATE TABLE P (ID NUMBER PRIMARY KEY)");
    Exec(
        "CREATE TABLE C (ID NUMBER, PID NUMBER, CONSTRAINT C_FK FOREIGN KEY (PID) REFERENCES P "
        "DEFERRABLE INITIALLY DEFERRED)");
    Exec("INSERT INTO P VALUES (1)");
    Exec("INSERT INTO C VALUES (1, 42)");
    std::string failure = Failure("COMMIT");
    EXPECT_EQ(failure.substr(0, failure.find('\n')), "ORA-02091: トランザクションがロールバックされました。");
    EXPECT_NE(failure.find("\nORA-02291: 整合性制約 C_FK に違反しました - 親キーがありません。"),
              std::string::npos)
        << failure;
    EXPECT_EQ(Rows("SELECT (SELECT COUNT(*) FROM P) || ',' || (SELECT COUNT(*) FROM C) FROM DUAL"), "0,0");
    Exec("INSERT INTO P VALUES (2)");
    Exec("INSERT INTO C VALUES (2, 2)");
    EXPECT_EQ(Failure("COMMIT"), "OK");
    EXPECT_EQ(Failure("CREATE TABLE AFTER_COMMIT (A NUMBER)"), "OK");
}

// A table other tables' keys refer to is dropped only with CASCADE
// CONSTRAINTS, which drops those keys and keeps their tables and rows.
TEST_F(CForeignKeyNameSqlTest, DroppingAReferencedTableNeedsCascadeConstraints) {
    Exec("CREATE TABLE P (ID NUMBER PRIMARY KEY)");
    Exec("CREATE TABLE C (PID NUMBER CONSTRAINT C_FK REFERENCES P, X NUMBER)");
    Exec("CREATE TABLE S (ID NUMBER PRIMARY KEY, UP NUMBER REFERENCES S)");
    EXPECT_EQ(Failure("DROP TABLE P"), "ORA-02449: 表の一意キー/主キーが外部キーによって参照されています。");
    Exec("INSERT INTO P VALUES (1)");
    Exec("INSERT INTO C VALUES (1, 1)");
    Exec("COMMIT");
    EXPECT_EQ(Failure("DROP TABLE P CASCADE CONSTRAINTS PURGE"), "OK");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE = 'R' AND TABLE_NAME = 'C'"),
              "0");
    Exec("INSERT INTO C VALUES (5, 5)");
    EXPECT_EQ(Rows("SELECT PID FROM C ORDER BY 1"), "1|5");
    // A key of the table's own does not hold its drop back.
    EXPECT_EQ(Failure("DROP TABLE S"), "OK");
}

TEST(CForeignKeyNameTest, TheColumnsAnUpdateSets) {
    const struct {
        const char* sql;
        std::vector<std::string> columns;
    } cases[] = {
        {"UPDATE emp SET deptno = 10 WHERE empno = 1", {"DEPTNO"}},
        {"update emp e set e.sal = (select max(sal) from emp), \"Mgr\" = 1", {"SAL", "Mgr"}},
        {"UPDATE emp SET (sal, deptno) = (SELECT 1, 2 FROM dual) WHERE f(a, b) = 1", {"SAL", "DEPTNO"}},
        {"UPDATE emp SET sal = NVL(comm, 0), job = 'X' RETURNING sal INTO :s", {"SAL", "JOB"}},
        {"DELETE FROM emp WHERE deptno = 10", {}}};
    for (const auto& c : cases) EXPECT_EQ(CForeignKeyName::SetColumnsOf(c.sql), c.columns) << c.sql;
}

// An UPDATE that changes a referenced key with child rows breaks the key as
// a parent (ORA-02292), and the columns it sets tell which key of several.
TEST_F(CForeignKeyNameSqlTest, AnUpdateNamesTheKeyItsColumnsBelongTo) {
    Exec("CREATE TABLE DEPT (DEPTNO NUMBER PRIMARY KEY)");
    Exec("CREATE TABLE JOBS (JOB VARCHAR2(9) PRIMARY KEY)");
    Exec(
        "CREATE TABLE EMP (EMPNO NUMBER PRIMARY KEY, JOB VARCHAR2(9), MGR NUMBER, DEPTNO NUMBER, "
        "CONSTRAINT EMP_JOB_FK FOREIGN KEY (JOB) REFERENCES JOBS, "
        "CONSTRAINT EMP_MGR_FK FOREIGN KEY (MGR) REFERENCES EMP, "
        "CONSTRAINT EMP_DEPT_FK FOREIGN KEY (DEPTNO) REFERENCES DEPT (DEPTNO))");
    Exec(
        "CREATE TABLE HIST (EMPNO NUMBER, DEPTNO NUMBER, CONSTRAINT HIST_DEPT_FK FOREIGN KEY (DEPTNO) "
        "REFERENCES DEPT)");
    Exec("INSERT INTO DEPT VALUES (10)");
    Exec("INSERT INTO JOBS VALUES ('CLERK')");
    Exec("INSERT INTO EMP VALUES (1, 'CLERK', NULL, 10)");
    Exec("INSERT INTO EMP VALUES (2, 'CLERK', 1, 10)");
    EXPECT_EQ(Failure("UPDATE JOBS SET JOB = 'CLERK2'"),
              "ORA-02292: 整合性制約 EMP_JOB_FK に違反しました - 子レコードがあります。");
    EXPECT_EQ(Failure("UPDATE EMP SET DEPTNO = 20 WHERE EMPNO = 2"),
              "ORA-02291: 整合性制約 EMP_DEPT_FK に違反しました - 親キーがありません。");
    EXPECT_EQ(Failure("UPDATE EMP E SET E.JOB = 'BOSS'"),
              "ORA-02291: 整合性制約 EMP_JOB_FK に違反しました - 親キーがありません。");
    // Two tables refer to DEPT: the key is the one whose rows lose their parent.
    EXPECT_EQ(Failure("UPDATE DEPT SET DEPTNO = 11"),
              "ORA-02292: 整合性制約 EMP_DEPT_FK に違反しました - 子レコードがあります。");
    // EMPNO is the parent of EMP_MGR_FK only.
    EXPECT_EQ(Failure("UPDATE EMP SET EMPNO = 5 WHERE EMPNO = 1"),
              "ORA-02292: 整合性制約 EMP_MGR_FK に違反しました - 子レコードがあります。");
}
