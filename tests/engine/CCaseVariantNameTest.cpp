// A quoted name keeps its case and names another object than the same
// letters in another case: a statement that names "mixed" or MIXED never
// reaches the table "Mixed", its view or index, or the column "a" of a
// table; it makes or finds an object of its own.
#include "tests/engine/EngineFixture.h"

namespace {

class CCaseVariantNameTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE \"Mixed\" (a NUMBER)");
        Exec("INSERT INTO \"Mixed\" VALUES (1)");
        Exec("CREATE INDEX \"ix\" ON \"Mixed\" (a)");
        Exec("CREATE VIEW \"Vw\" AS SELECT a FROM \"Mixed\"");
        Exec("CREATE TABLE t3 (\"a\" NUMBER, b NUMBER)");
        Exec("INSERT INTO t3 VALUES (5, 6)");
        Exec("CREATE TABLE up (a NUMBER)");
        Exec("COMMIT");
    }
    // Everything SetUp made is still there as it was.
    void ExpectUntouched(const std::string& after) {
        EXPECT_EQ(Rows("SELECT a FROM \"Mixed\""), "1") << after;
        EXPECT_EQ(Rows("SELECT a FROM \"Vw\""), "1") << after;
        EXPECT_EQ(Rows("SELECT \"a\", b FROM t3"), "5,6") << after;
        EXPECT_EQ(Rows("SELECT object_name FROM user_objects ORDER BY 1"), "Mixed|T3|UP|Vw|ix") << after;
    }
};

TEST_F(CCaseVariantNameTest, StatementsNamingAnotherCaseLeaveTheObjectAlone) {
    const struct {
        const char* statement;
        const char* answer;
    } cases[] = {
        {"TRUNCATE TABLE mixed", "ORA-00942: 表またはビュー MIXED は存在しません。"},
        {"DROP TABLE mixed", "ORA-00942: 表またはビュー MIXED は存在しません。"},
        {"DROP TABLE \"mixed\" PURGE", "ORA-00942: 表またはビュー mixed は存在しません。"},
        {"DROP TABLE \"MIXED\" CASCADE CONSTRAINTS", "ORA-00942: 表またはビュー MIXED は存在しません。"},
        {"ALTER TABLE mixed RENAME TO other", "ORA-00942: 表またはビュー MIXED は存在しません。"},
        {"RENAME mixed TO other", "ORA-00942: 表またはビュー MIXED は存在しません。"},
        {"DROP VIEW vw", "ORA-00942: 表またはビュー VW は存在しません。"},
        {"DROP VIEW \"vw\"", "ORA-00942: 表またはビュー vw は存在しません。"},
        {"DROP INDEX ix", "ORA-01418: 索引 IX は存在しません。"},
        {"DROP INDEX \"IX\"", "ORA-01418: 索引 IX は存在しません。"},
        {"ALTER TABLE t3 DROP COLUMN a", "ORA-00904: 列 A は存在しません。"},
        {"ALTER TABLE t3 RENAME COLUMN a TO c", "ORA-00904: 列 A は存在しません。"},
        // IF EXISTS finds no table of that exact name and drops nothing.
        {"DROP TABLE IF EXISTS mixed", "OK"},
        {"DROP VIEW IF EXISTS \"VW\"", "OK"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Failure(c.statement), c.answer) << c.statement;
        ExpectUntouched(c.statement);
    }
}

TEST_F(CCaseVariantNameTest, ANameInAnotherCaseIsAnotherObject) {
    const char* statements[] = {
        "CREATE TABLE mixed (a NUMBER)",
        "INSERT INTO mixed VALUES (9)",
        "ALTER TABLE up RENAME TO \"Up\"",
        "RENAME \"Up\" TO \"vw\"",
        "CREATE TABLE t4 (\"a\" NUMBER, a NUMBER)",
        "ALTER TABLE t3 ADD (a NUMBER)",
        "ALTER TABLE t3 RENAME COLUMN b TO \"B\"",
        "COMMIT",
    };
    for (const char* statement : statements) Exec(statement);
    EXPECT_EQ(Rows("SELECT a FROM \"Mixed\""), "1");
    EXPECT_EQ(Rows("SELECT a FROM mixed"), "9");
    EXPECT_EQ(Rows("SELECT a FROM \"Vw\""), "1");
    EXPECT_EQ(Rows("SELECT \"a\", a, b FROM t3"), "5,-,6");
    EXPECT_EQ(Rows("SELECT object_name FROM user_objects ORDER BY 1"), "MIXED|Mixed|T3|T4|Vw|ix|vw");
    // The same name in the same case is still taken.
    EXPECT_EQ(Failure("CREATE TABLE \"Mixed\" (a NUMBER)"), "ORA-00955: 名前 Mixed はすでに使われています。");
    EXPECT_EQ(Failure("RENAME t4 TO \"vw\""), "ORA-00955: 名前 vw はすでに使われています。");
    EXPECT_EQ(Failure("CREATE TABLE t5 (\"a\" NUMBER, \"a\" NUMBER)"),
              "ORA-00957: 列名 a が重複しています。");
}

TEST_F(CCaseVariantNameTest, TheExactNameStillReachesTheObject) {
    Exec("ALTER TABLE t3 RENAME COLUMN \"a\" TO \"A\"");
    Exec("ALTER TABLE t3 RENAME COLUMN b TO \"b\"");
    EXPECT_EQ(Rows("SELECT a, \"b\" FROM t3"), "5,6");
    Exec("ALTER TABLE t3 DROP COLUMN \"b\"");
    EXPECT_EQ(Rows("SELECT column_name FROM user_tab_columns WHERE table_name = 'T3'"), "A");
    Exec("TRUNCATE TABLE \"Mixed\"");
    EXPECT_EQ(Rows("SELECT count(*) FROM \"Mixed\""), "0");
    Exec("DROP INDEX \"ix\"");
    Exec("DROP VIEW \"Vw\"");
    Exec("RENAME \"Mixed\" TO \"Other\"");
    Exec("DROP TABLE \"Other\"");
    Exec("DROP TABLE IF EXISTS up");
    EXPECT_EQ(Rows("SELECT object_name FROM user_objects"), "T3");
}

TEST_F(CCaseVariantNameTest, AQueryColumnWithATwinInAnotherCaseIsReadAsNamed) {
    // Note: the server reads each of "a" and A, never the one for the other.
    const struct {
        const char* query;
        const char* rows;
    } answered[] = {
        {"SELECT x.A FROM (SELECT 1 \"a\", 2 A FROM dual) x", "2"},
        {"SELECT x.\"a\", x.A FROM (SELECT 1 \"a\", 2 A FROM dual) x", "1,2"},
        {"SELECT A FROM (SELECT 1 \"a\", 2 A FROM dual)", "2"},
        {"SELECT \"a\" FROM (SELECT 1 \"a\", 2 A FROM dual)", "1"},
        {"WITH w AS (SELECT 1 \"a\", 2 A FROM dual) SELECT A FROM w", "2"},
        {"SELECT count(*) FROM (SELECT 1 \"a\", 2 A FROM dual) WHERE A = 2", "1"},
        {"SELECT count(*) FROM (SELECT 1 \"a\", 2 A FROM dual) WHERE \"a\" = 2", "0"},
        {"SELECT * FROM (SELECT 1 \"a\", 2 A FROM dual)", "1,2"},
        {"SELECT 1 \"a\", 2 A FROM dual", "1,2"},
        {"SELECT y.\"b\", z.B FROM (SELECT 1 \"b\", 2 c FROM dual) y, (SELECT 3 b FROM dual) z", "1,3"},
        {"SELECT \"a\" FROM t3", "5"},
    };
    for (const auto& c : answered) EXPECT_EQ(Rows(c.query), c.rows) << c.query;
}

}  // namespace
