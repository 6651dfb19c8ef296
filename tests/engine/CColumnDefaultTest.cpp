// Column definitions written for SQLite: types in the form the table's
// definition holds, DEFAULT expressions compiled as a query's expressions are.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/sqlite/CColumnCompiler.h"
#include "tests/engine/EngineFixture.h"

namespace {

TEST(CColumnCompilerType, TypesAreHeldInTheTablesForm) {
    struct Case {
        const char* declared;
        const char* stored;
    };
    const Case cases[] = {
        {"VARCHAR2(20 CHAR)", "VARCHAR2_CHAR(20)"},
        {"VARCHAR(3 CHAR)", "VARCHAR2_CHAR(3)"},
        {"CHAR(2 CHAR)", "CHAR_CHAR(2)"},
        {"VARCHAR2(20 BYTE)", "VARCHAR2(20)"},
        {"NUMBER(*,2)", "NUMBER(0,2)"},
        {"NUMBER(7,2)", "NUMBER(7,2)"},
        {"TIMESTAMP(3) WITH TIME ZONE", "TIMESTAMP_WITH_TIME_ZONE(3)"},
        {"DATE", "DATE"},
        {"TIMESTAMP WITH LOCAL TIME ZONE", "TIMESTAMP WITH LOCAL TIME ZONE"},
        {"INTERVAL DAY(3) TO SECOND(2)", "INTERVAL_DAY_TO_SECOND(3,2)"},
        {"INTERVAL YEAR TO MONTH", "INTERVAL_YEAR_TO_MONTH"},
    };
    for (const Case& c : cases) EXPECT_EQ(CColumnCompiler::StoredType(c.declared), c.stored) << c.declared;
}

class CColumnDefaultTest : public EngineFixture {};

TEST_F(CColumnDefaultTest, DefaultsAreTheServersExpressions) {
    Exec("CREATE SEQUENCE s");
    Exec(
        "CREATE TABLE t (id NUMBER, d DATE DEFAULT TRUNC(SYSDATE), n NUMBER DEFAULT 1 + 2 * 3, u "
        "VARCHAR2(30) DEFAULT USER, e VARCHAR2(3) DEFAULT '', q NUMBER DEFAULT s.NEXTVAL, x NUMBER(5,2) "
        "DEFAULT -1.5 NOT NULL)");
    Exec("INSERT INTO t (id) VALUES (1)");
    Exec("INSERT INTO t (id) VALUES (2)");
    EXPECT_EQ(Rows("SELECT id, CASE WHEN d = TRUNC(SYSDATE) THEN 'today' END, n, CASE WHEN NVL(u, '?') = "
                   "NVL(USER, '?') THEN 'user' END, NVL(e, 'null'), q, x FROM t ORDER BY id"),
              "1,today,7,user,null,1,-1.5|2,today,7,user,null,2,-1.5");
    Exec("COMMIT");
    // A column added with one: the rows there take its value.
    Exec("ALTER TABLE t ADD (w VARCHAR2(10) DEFAULT 'a' || 'b' NOT NULL, v NUMBER DEFAULT 5)");
    EXPECT_EQ(Rows("SELECT w || v FROM t"), "ab5|ab5");
    // A new DEFAULT takes the place of the one there was.
    Exec("ALTER TABLE t MODIFY (n DEFAULT ROUND(10 / 4))");
    Exec("ALTER TABLE t MODIFY x NUMBER(6,2) DEFAULT 0");
    Exec("INSERT INTO t (id) VALUES (3)");
    EXPECT_EQ(Rows("SELECT n, x, w FROM t WHERE id = 3"), "3,0,ab");
    EXPECT_EQ(
        Rows("SELECT COLUMN_NAME || '=' || DATA_DEFAULT FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'T' AND "
             "COLUMN_NAME IN ('N', 'W', 'X') ORDER BY 1"),
        "N=ROUND(10 / 4)|W='a' || 'b' |X=0");
    // A default the compiler refuses is told at its place, and changes nothing.
    EXPECT_EQ(Failure("ALTER TABLE t ADD z NUMBER DEFAULT nosuch(1)").substr(0, 9), "ORA-00904");
    EXPECT_EQ(m_connection->LastError().position, 35);
    EXPECT_EQ(Failure("CREATE TABLE u (a NUMBER DEFAULT nosuch(1))").substr(0, 9), "ORA-00904");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE COLUMN_NAME = 'Z' OR TABLE_NAME = 'U'"), "0");
}

TEST_F(CColumnDefaultTest, TypesOfTemporaryTablesAreTheDeclaredOnes) {
    // Note: CHAR semantics and NUMBER(*, s) were refused in a GLOBAL TEMPORARY table.
    Exec(
        "CREATE GLOBAL TEMPORARY TABLE g (s VARCHAR2(5 CHAR) DEFAULT 'x', n NUMBER(*,2)) ON COMMIT PRESERVE "
        "ROWS");
    Exec("INSERT INTO g (s, n) VALUES ('あいうえお', 1.234)");
    EXPECT_NE(Failure("INSERT INTO g (s) VALUES ('あいうえおか')"), "OK");
    Exec("INSERT INTO g (n) VALUES (2)");
    EXPECT_EQ(Rows("SELECT s, n FROM g ORDER BY n"), "あいうえお,1.23|x,2");
}

TEST_F(CColumnDefaultTest, IntervalAndZonedTypesMakeTables) {
    // Note: these were refused with ORA-00900 (SQLite's type names end at their brackets).
    Exec(
        "CREATE TABLE p (warranty INTERVAL YEAR TO MONTH, span INTERVAL DAY(3) TO SECOND(2), at TIMESTAMP(3) "
        "WITH TIME ZONE)");
    Exec("INSERT INTO p (warranty) VALUES (INTERVAL '2' YEAR)");
    EXPECT_EQ(Rows("SELECT COUNT(warranty) FROM p"), "1");
    // The catalog keeps the types as declared.
    EXPECT_EQ(OneIn(m_connection->Path(),
                    "SELECT group_concat(DATA_TYPE, '|') FROM (SELECT DATA_TYPE FROM TARVEX_COLUMNS WHERE "
                    "TABLE_NAME = 'P' ORDER BY COLUMN_ID)"),
              "INTERVAL YEAR TO MONTH|INTERVAL DAY(3) TO SECOND(2)|TIMESTAMP(3) WITH TIME ZONE");
}

}  // namespace
