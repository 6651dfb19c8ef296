// CHECK constraints on the embedded engine: compiled as a WHERE clause is,
// named as the server names them, kept with their text as written.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sstream>

#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

class CCheckConstraintTest : public EngineFixture {
protected:
    // "ORA-nnnnn NAME": the code and the constraint the failure names; "OK".
    std::string Violation(const std::string& sql) {
        std::string outcome = Failure(sql);
        if (outcome == "OK") return outcome;
        std::istringstream words(outcome);
        std::string code;
        std::string what;
        std::string name;
        words >> code >> what >> name;
        return code.substr(0, 9) + " " + name;
    }
};

}  // namespace

TEST(CCheckCompilerFind, FindsEachCheckWithItsNameAndCondition) {
    std::string sql =
        "CREATE TABLE T (A NUMBER(5) DEFAULT (1) CHECK (A > 0), B VARCHAR2(5) CONSTRAINT T_B CHECK (B IN "
        "('x', 'y')), CONSTRAINT \"t_ab\" CHECK (A < LENGTH(B) OR B IS NULL))";
    auto checks = CCheckCompiler::Find(sql, true);
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_EQ(checks[0].name, "");
    EXPECT_EQ(checks[0].condition, "A > 0");
    EXPECT_EQ(sql.substr(checks[0].begin, 5), "CHECK");
    EXPECT_EQ(checks[1].name, "T_B");
    EXPECT_EQ(checks[1].condition, "B IN ('x', 'y')");
    EXPECT_EQ(sql.substr(checks[1].begin, 10), "CONSTRAINT");
    EXPECT_EQ(checks[2].name, "t_ab");
    EXPECT_EQ(sql[checks[2].end - 1], ')');
    std::string blanked = CCheckCompiler::Blank(sql, checks);
    ASSERT_EQ(blanked.size(), sql.size());
    EXPECT_EQ(blanked.find("CHECK"), std::string::npos);
    EXPECT_NE(blanked.find("DEFAULT (1)"), std::string::npos);
    auto columns = CCheckCompiler::DeclaredColumns(sql);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].name, "A");
    EXPECT_EQ(columns[0].precision, 5);
    EXPECT_EQ(columns[1].length, 5);
}

TEST_F(CCheckConstraintTest, ConditionsFollowTheServersValueRules) {
    Exec(
        "CREATE TABLE T (N NUMBER CHECK (N > 0), D DATE CONSTRAINT T_D CHECK (D > DATE '2000-01-01'), "
        "S VARCHAR2(10) CONSTRAINT T_S CHECK (S IN ('A', 'B') OR S LIKE 'X%'), U VARCHAR2(10) CONSTRAINT "
        "T_U CHECK (UPPER(U) = U), B NUMBER CONSTRAINT T_BETWEEN CHECK (B BETWEEN -5 AND 5), J "
        "VARCHAR2(100) CONSTRAINT T_J CHECK (J IS JSON), C VARCHAR2(10) CONSTRAINT T_NUM CHECK (C > 9))");
    using Case = SqlCase;
    const Case cases[] = {
        // A number of more than 15 digits is kept as its digits: still negative.
        {"INSERT INTO T (N) VALUES (-12345678901234567890)", "ORA-02290 SYS_C8000001"},
        {"INSERT INTO T (N) VALUES (12345678901234567890)", "OK"},
        {"INSERT INTO T (N) VALUES (0.000000000000000000001)", "OK"},
        {"INSERT INTO T (N) VALUES (NULL)", "OK"},
        {"INSERT INTO T (D) VALUES (DATE '1999-12-31')", "ORA-02290 T_D"},
        {"INSERT INTO T (D) VALUES (TO_DATE('2001-02-03', 'YYYY-MM-DD'))", "OK"},
        {"INSERT INTO T (S) VALUES ('C')", "ORA-02290 T_S"},
        {"INSERT INTO T (S) VALUES ('Xylophone')", "OK"},
        {"INSERT INTO T (U) VALUES ('abc')", "ORA-02290 T_U"},
        {"INSERT INTO T (U) VALUES ('ABC')", "OK"},
        {"INSERT INTO T (B) VALUES (6)", "ORA-02290 T_BETWEEN"},
        {"INSERT INTO T (B) VALUES (-5)", "OK"},
        {"INSERT INTO T (J) VALUES ('{\"a\":')", "ORA-02290 T_J"},
        {"INSERT INTO T (J) VALUES ('{\"a\":1}')", "OK"},
        // Text meets a number as a number: '10' > 9, though '10' < '9' as text.
        {"INSERT INTO T (C) VALUES ('10')", "OK"},
        {"INSERT INTO T (C) VALUES ('8')", "ORA-02290 T_NUM"},
        {"UPDATE T SET N = -1 WHERE N IS NOT NULL", "ORA-02290 SYS_C8000001"},
    };
    for (const Case& c : cases) EXPECT_EQ(Violation(c.sql), c.answer) << c.sql;
    // A quoted name keeps its case; CHAR compares blank-padded.
    Exec(
        "CREATE TABLE Q (\"low\" NUMBER CONSTRAINT T_LOW CHECK (\"low\" > 0), C CHAR(3) CONSTRAINT T_CHAR "
        "CHECK (C = 'AB'))");
    EXPECT_EQ(Violation("INSERT INTO Q VALUES (-1, 'AB')"), "ORA-02290 T_LOW");
    EXPECT_EQ(Violation("INSERT INTO Q VALUES (1, 'AC')"), "ORA-02290 T_CHAR");
    Exec("INSERT INTO Q VALUES (1, 'AB')");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME IN "
                   "('SYS_C8000001', 'T_S', 'T_J') ORDER BY 1"),
              "SYS_C8000001,N > 0|T_J,J IS JSON|T_S,S IN ('A', 'B') OR S LIKE 'X%'");
}

TEST_F(CCheckConstraintTest, ConditionsTheServerRefusesAreRefusedAtTheirToken) {
    struct Case {
        const char* sql;
        const char* code;
        const char* at;  // the text the position points at
    };
    const Case cases[] = {
        {"CREATE TABLE T (N NUMBER CHECK (N > SYSDATE))", "ORA-02436", "SYSDATE"},
        {"CREATE TABLE T (N NUMBER CHECK (N IN (SELECT 1 FROM DUAL)))", "ORA-02251", "SELECT"},
        {"CREATE TABLE T (N NUMBER CHECK (M > 0))", "ORA-00904", "M > 0"},
        {"CREATE TABLE T (N NUMBER CHECK (N > ))", "ORA-00900", "))"},
        {"CREATE TABLE T (N NUMBER CHECK (USER = 'X'))", "ORA-02436", "USER"},
    };
    for (const Case& c : cases) {
        std::string sql = c.sql;
        EXPECT_EQ(Failure(sql).substr(0, 9), c.code) << sql;
        EXPECT_EQ(m_connection->LastError().position, static_cast<int>(sql.rfind(c.at))) << sql;
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TABLES"), "0");
}

TEST_F(CCheckConstraintTest, ConstraintsAddedLaterCheckTheRowsThereUnlessNovalidate) {
    Exec("CREATE TABLE T (N NUMBER)");
    Exec("INSERT INTO T VALUES (500)");
    Exec("INSERT INTO T VALUES (-99999999999999999999)");
    Exec("COMMIT");
    EXPECT_EQ(Violation("ALTER TABLE T ADD CONSTRAINT T_SMALL CHECK (N < 100)"), "ORA-02293 T_SMALL");
    EXPECT_EQ(Violation("ALTER TABLE T ADD CHECK (N > 0)").substr(0, 9), "ORA-02293");
    Exec("ALTER TABLE T ADD CONSTRAINT T_SMALL CHECK (N < 100) ENABLE NOVALIDATE");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), "2");
    EXPECT_EQ(Violation("INSERT INTO T VALUES (600)"), "ORA-02290 T_SMALL");
    Exec("INSERT INTO T VALUES (6)");
    // DISABLE and ENABLE keep the condition as written; ENABLE checks the rows.
    Exec("ALTER TABLE T DISABLE CONSTRAINT T_SMALL");
    Exec("INSERT INTO T VALUES (700)");
    EXPECT_EQ(Rows("SELECT STATUS, SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'T_SMALL'"),
              "DISABLED,N < 100");
    EXPECT_EQ(Violation("ALTER TABLE T ENABLE CONSTRAINT T_SMALL"), "ORA-02293 T_SMALL");
    Exec("DELETE FROM T WHERE N >= 100");
    Exec("ALTER TABLE T ENABLE CONSTRAINT T_SMALL");
    EXPECT_EQ(Violation("INSERT INTO T VALUES (100)"), "ORA-02290 T_SMALL");
    // A column added with a CHECK, and a constraint added DISABLE.
    Exec("ALTER TABLE T ADD (M NUMBER CONSTRAINT T_M CHECK (M BETWEEN 1 AND 5))");
    EXPECT_EQ(Violation("INSERT INTO T (N, M) VALUES (1, 123456789012345678)"), "ORA-02290 T_M");
    Exec("ALTER TABLE T ADD CONSTRAINT T_OFF CHECK (M > 3) DISABLE");
    Exec("INSERT INTO T (N, M) VALUES (1, 2)");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_NAME, STATUS FROM USER_CONSTRAINTS ORDER BY 1"),
              "T_M,ENABLED|T_OFF,DISABLED|T_SMALL,ENABLED");
    Exec("ALTER TABLE T DROP CONSTRAINT T_SMALL");
    Exec("INSERT INTO T VALUES (700, NULL)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'T_SMALL'"), "0");
    EXPECT_EQ(Violation("CREATE TABLE U (X NUMBER CONSTRAINT T_M CHECK (X > 0))").substr(0, 9), "ORA-02264");
}

TEST(CCheckConstraintFile, ChecksOfAnOlderFileAreCompiledOnceWhenOpened) {
    TempHome home;
    // As the previous version wrote it: the conditions as SQLite reads them.
    EngineFixture::WriteRaw(
        home.Path("old.db"),
        "CREATE TABLE T (N NUMBER CHECK (N > 0), S VARCHAR2(5) CONSTRAINT T_S CHECK (S IN "
        "('a', 'b')), D DATE NOT NULL);"
        "INSERT INTO T VALUES (7, 'a', '2020-01-01 00:00:00');"
        "CREATE TABLE P (ID NUMBER PRIMARY KEY);"
        "PRAGMA user_version = 2;");
    for (int open = 0; open < 2; ++open) {
        CEngineError error;
        auto connection = CSqliteConnection::Open("OLD", error);
        ASSERT_NE(connection, nullptr) << error.message;
        // The unnamed check keeps the name the dictionary gave it.
        const std::string unnamed =
            EngineFixture::RunOn(*connection, "INSERT INTO T VALUES (-12345678901234567890, 'a', SYSDATE)");
        EXPECT_NE(unnamed.find("SYS_C0000101"), std::string::npos) << unnamed;
        EXPECT_NE(EngineFixture::RunOn(*connection, "INSERT INTO T VALUES (1, 'c', SYSDATE)").find("T_S"),
                  std::string::npos);
        EXPECT_EQ(
            EngineFixture::RowsOn(*connection,
                                  "SELECT CONSTRAINT_NAME || ':' || SEARCH_CONDITION FROM USER_CONSTRAINTS "
                                  "WHERE TABLE_NAME = 'T' AND CONSTRAINT_TYPE = 'C' AND SEARCH_CONDITION "
                                  "NOT LIKE '%NOT NULL' ORDER BY 1"),
            "SYS_C0000101:N > 0|T_S:S IN ('a', 'b')");
        EXPECT_EQ(EngineFixture::RowsOn(*connection, "SELECT N || S FROM T"), "7a");
    }
    const std::string file = home.Path("old.db");
    EXPECT_EQ(EngineFixture::OneIn(file, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(EngineFixture::OneIn(file,
                                   "SELECT count(*) FROM TARVEX_CONSTRAINTS WHERE CONSTRAINT_TYPE = 'C' AND "
                                   "SEARCH_CONDITION NOT LIKE '%IS NOT NULL'"),
              "2");
}
