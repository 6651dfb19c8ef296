// A broken foreign key is named when the statement's table has only that
// one; with several the message stays without a name rather than guess.
#include <gtest/gtest.h>

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

TEST_F(CForeignKeyNameSqlTest, TheOnlyKeyIsNamedSeveralAreNot) {
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
              "ORA-02291: 整合性制約に違反しました - 親キーがありません。");
    // A key set aside does not count.
    Exec("ALTER TABLE EMP DISABLE CONSTRAINT FK_MGR");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES (3, 20, NULL)"),
              "ORA-02291: 整合性制約 FK_DEPT に違反しました - 親キーがありません。");
}
