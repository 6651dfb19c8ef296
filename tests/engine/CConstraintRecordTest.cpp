// Every constraint recorded in one catalog table, TARVEX_CONSTRAINTS: the
// names the system gives, the states DISABLE and ENABLE set, the conditions
// that follow a renamed column, and files of the previous version converted
// into it once.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <regex>
#include <set>

#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kConstraints =
    "SELECT TABLE_NAME, CONSTRAINT_NAME, CONSTRAINT_TYPE, SEARCH_CONDITION, R_CONSTRAINT_NAME, STATUS, "
    "VALIDATED, GENERATED FROM USER_CONSTRAINTS ORDER BY TABLE_NAME, CONSTRAINT_NAME";

class CConstraintRecordTest : public EngineFixture {
protected:
    // After a schema statement: a connection opened anew gives the same answer.
    void Same(const std::string& after) {
        std::string here = Rows(kConstraints);
        CEngineError error;
        auto reopened = CSqliteConnection::Open("", error);
        ASSERT_NE(reopened, nullptr) << error.message;
        EXPECT_EQ(Rows(*reopened, kConstraints), here) << after;
    }
    void Run(const std::string& sql) {
        Exec(sql);
        Same(sql);
    }
    std::string Violation(const std::string& sql) {
        std::string failure = Failure(sql);
        return failure.substr(0, 9);
    }
};

TEST_F(CConstraintRecordTest, TheSystemNamesEveryConstraintInOneFormOnceInTheFile) {
    Run("CREATE TABLE dept (id NUMBER PRIMARY KEY, name VARCHAR2(10) NOT NULL UNIQUE, "
        "budget NUMBER CHECK (budget >= 0))");
    Run("CREATE TABLE emp (id NUMBER, dept_id NUMBER NOT NULL, code VARCHAR2(5), pay NUMBER, "
        "PRIMARY KEY (id), UNIQUE (code), FOREIGN KEY (dept_id) REFERENCES dept (id), CHECK (pay > 0))");
    Run("CREATE TABLE proj (id NUMBER, lead NUMBER, tag VARCHAR2(5))");
    Run("ALTER TABLE proj ADD PRIMARY KEY (id)");
    Run("ALTER TABLE proj ADD UNIQUE (tag)");
    Run("ALTER TABLE proj ADD FOREIGN KEY (lead) REFERENCES emp (id)");
    Run("ALTER TABLE proj ADD CHECK (id < 1000)");
    Run("ALTER TABLE proj MODIFY tag NOT NULL");
    std::string names = Rows("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS");
    std::set<std::string> distinct;
    std::size_t count = 0;
    const std::regex form("SYS_C[0-9]{7}");
    for (std::size_t at = 0; at <= names.size();) {
        std::size_t end = std::min(names.find('|', at), names.size());
        std::string name = names.substr(at, end - at);
        EXPECT_TRUE(std::regex_match(name, form)) << name;
        distinct.insert(name);
        ++count;
        at = end + 1;
    }
    // dept 4, emp 5, proj 5
    EXPECT_EQ(count, 14u) << names;
    EXPECT_EQ(distinct.size(), count) << names;
    // Dropping one frees no name for another table.
    std::string check = Rows(
        "SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'PROJ' AND CONSTRAINT_TYPE = 'C' "
        "AND SEARCH_CONDITION LIKE 'ID%'");
    Run("ALTER TABLE proj DROP CONSTRAINT " + check);
    Run("CREATE TABLE other (n NUMBER NOT NULL, CHECK (n > 1))");
    EXPECT_EQ(
        Rows(
            "SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'OTHER' AND CONSTRAINT_NAME IN (SELECT "
            "CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME <> 'OTHER')"),
        "0");
    EXPECT_EQ(Violation("INSERT INTO other VALUES (1)"), "ORA-02290");
    // A view's option is named as a constraint is, apart from every other.
    Run("CREATE VIEW other_v AS SELECT n FROM other WITH READ ONLY");
    Run("CREATE TABLE last (n NUMBER NOT NULL)");
    EXPECT_EQ(Rows("SELECT COUNT(DISTINCT CONSTRAINT_NAME) - COUNT(*) FROM USER_CONSTRAINTS"), "0");
    std::string option = Rows("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'OTHER_V'");
    EXPECT_TRUE(std::regex_match(option, form)) << option;
}

TEST_F(CConstraintRecordTest, ACheckFollowsItsRenamedColumnAndStillHolds) {
    Run("CREATE TABLE acct (a NUMBER CONSTRAINT acct_a CHECK (a > 0 AND a < 100), \"low\" NUMBER, note "
        "VARCHAR2(20) CONSTRAINT acct_note CHECK (note <> 'a'), CONSTRAINT acct_pair CHECK (a <> \"low\"))");
    Exec("INSERT INTO acct VALUES (5, 1, 'x')");
    Exec("COMMIT");
    Run("ALTER TABLE acct RENAME COLUMN a TO b");
    Run("ALTER TABLE acct RENAME COLUMN \"low\" TO floor_value");
    // The literal 'a' is no name: it stays; a quoted name stays quoted.
    EXPECT_EQ(Rows("SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'ACCT' "
                   "ORDER BY 1"),
              "ACCT_A,B > 0 AND B < 100|ACCT_NOTE,note <> 'a'|ACCT_PAIR,B <> \"FLOOR_VALUE\"");
    EXPECT_EQ(Violation("INSERT INTO acct VALUES (500, 1, 'y')"), "ORA-02290");
    EXPECT_EQ(Violation("INSERT INTO acct VALUES (7, 7, 'y')"), "ORA-02290");
    Exec("INSERT INTO acct VALUES (7, 8, 'y')");
    // A rebuild keeps the condition as written.
    Run("ALTER TABLE acct MODIFY note VARCHAR2(30)");
    EXPECT_EQ(Rows("SELECT SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'ACCT_A'"),
              "B > 0 AND B < 100");
}

TEST_F(CConstraintRecordTest, DisabledConstraintsKeepTheirRecordAndComeBack) {
    Run("CREATE TABLE p (id NUMBER CONSTRAINT p_pk PRIMARY KEY, code VARCHAR2(3))");
    Run("CREATE TABLE c (id NUMBER, p_id NUMBER CONSTRAINT c_fk REFERENCES p ON DELETE CASCADE, "
        "qty NUMBER CONSTRAINT c_qty CHECK (qty BETWEEN 1 AND 9))");
    Run("ALTER TABLE p ADD CONSTRAINT p_code UNIQUE (code)");
    std::string enabled = Rows(kConstraints);
    Run("ALTER TABLE c DISABLE CONSTRAINT c_qty");
    Run("ALTER TABLE c DISABLE CONSTRAINT c_fk");
    Run("ALTER TABLE p DISABLE CONSTRAINT p_code");
    EXPECT_EQ(
        Rows("SELECT CONSTRAINT_NAME, STATUS, VALIDATED, SEARCH_CONDITION, R_CONSTRAINT_NAME, "
             "DELETE_RULE FROM USER_CONSTRAINTS WHERE STATUS = 'DISABLED' ORDER BY 1"),
        "C_FK,DISABLED,NOT VALIDATED,-,P_PK,CASCADE|C_QTY,DISABLED,NOT VALIDATED,qty BETWEEN 1 AND 9,-,-|"
        "P_CODE,DISABLED,NOT VALIDATED,-,-,-");
    Exec("INSERT INTO c VALUES (1, 42, 12)");
    Exec("INSERT INTO p VALUES (1, 'A')");
    Exec("INSERT INTO p VALUES (2, 'A')");
    Exec("DELETE FROM c");
    Exec("DELETE FROM p WHERE id = 2");
    Exec("COMMIT");
    // A name set aside is still taken.
    EXPECT_EQ(Violation("ALTER TABLE p ADD CONSTRAINT c_qty CHECK (id > 0)"), "ORA-02264");
    Run("ALTER TABLE c ENABLE CONSTRAINT c_qty");
    Run("ALTER TABLE c ENABLE CONSTRAINT c_fk");
    Run("ALTER TABLE p ENABLE CONSTRAINT p_code");
    EXPECT_EQ(Rows(kConstraints), enabled);
    EXPECT_EQ(Violation("INSERT INTO c VALUES (1, 1, 12)"), "ORA-02290");
    EXPECT_EQ(Violation("INSERT INTO c VALUES (1, 42, 2)"), "ORA-02291");
    EXPECT_EQ(Violation("INSERT INTO p VALUES (3, 'A')"), "ORA-00001");
    // Dropped while set aside, it is gone from the catalog.
    Run("ALTER TABLE c DISABLE CONSTRAINT c_qty");
    Run("ALTER TABLE c DROP CONSTRAINT c_qty");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'C_QTY'"), "0");
    Exec("INSERT INTO c VALUES (1, 1, 12)");
}

TEST_F(CConstraintRecordTest, ColumnsAreNotNullWhileAnEnabledConstraintSaysSo) {
    Run("CREATE TABLE n (a NUMBER CONSTRAINT n_a NOT NULL, b NUMBER, c NUMBER)");
    Run("ALTER TABLE n ADD CONSTRAINT n_pk PRIMARY KEY (b)");
    const char* nullable =
        "SELECT COLUMN_NAME || NULLABLE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'N' ORDER BY 1";
    EXPECT_EQ(Rows(nullable), "AN|BN|CY");
    Run("ALTER TABLE n DISABLE CONSTRAINT n_a");
    EXPECT_EQ(Rows(nullable), "AY|BN|CY");
    Exec("INSERT INTO n VALUES (NULL, 1, 1)");
    EXPECT_EQ(Violation("ALTER TABLE n ENABLE CONSTRAINT n_a"), "ORA-02296");
    Exec("UPDATE n SET a = 0");
    Exec("COMMIT");
    Run("ALTER TABLE n ENABLE CONSTRAINT n_a");
    EXPECT_EQ(Rows(nullable), "AN|BN|CY");
    EXPECT_EQ(
        Rows("SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, SEARCH_CONDITION, STATUS FROM USER_CONSTRAINTS WHERE "
             "TABLE_NAME = 'N' ORDER BY 1"),
        "N_A,C,\"A\" IS NOT NULL,ENABLED|N_PK,P,-,ENABLED");
    EXPECT_EQ(Violation("INSERT INTO n VALUES (NULL, 2, 2)"), "ORA-01400");
}

// ENABLE NOVALIDATE leaves the rows there unchecked, and USER_CONSTRAINTS says so.
TEST_F(CConstraintRecordTest, TheStateWordsAreShownAsTheServerShowsThem) {
    Run("CREATE TABLE v (n NUMBER)");
    Exec("INSERT INTO v VALUES (-1)");
    Exec("COMMIT");
    const char* state =
        "SELECT STATUS || ' ' || VALIDATED FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'V_POS'";
    EXPECT_EQ(Violation("ALTER TABLE v ADD CONSTRAINT v_pos CHECK (n > 0)"), "ORA-02293");
    Run("ALTER TABLE v ADD CONSTRAINT v_pos CHECK (n > 0) ENABLE NOVALIDATE");
    EXPECT_EQ(Rows(state), "ENABLED NOT VALIDATED");
    EXPECT_EQ(Violation("INSERT INTO v VALUES (-2)"), "ORA-02290");
    Run("ALTER TABLE v MODIFY n NUMBER DEFAULT 0");
    EXPECT_EQ(Rows(state), "ENABLED NOT VALIDATED");
    Run("ALTER TABLE v DISABLE CONSTRAINT v_pos");
    EXPECT_EQ(Rows(state), "DISABLED NOT VALIDATED");
    EXPECT_EQ(Violation("ALTER TABLE v ENABLE CONSTRAINT v_pos"), "ORA-02293");
    EXPECT_EQ(Violation("ALTER TABLE v ENABLE VALIDATE CONSTRAINT v_pos"), "ORA-02293");
    EXPECT_EQ(Rows(state), "DISABLED NOT VALIDATED");
    Run("ALTER TABLE v ENABLE NOVALIDATE CONSTRAINT v_pos");
    EXPECT_EQ(Rows(state), "ENABLED NOT VALIDATED");
    // ENABLE VALIDATE of one enabled checks the rows there.
    EXPECT_EQ(Violation("ALTER TABLE v ENABLE VALIDATE CONSTRAINT v_pos"), "ORA-02293");
    EXPECT_EQ(Rows(state), "ENABLED NOT VALIDATED");
    Exec("UPDATE v SET n = 3");
    Exec("COMMIT");
    Run("ALTER TABLE v ENABLE VALIDATE CONSTRAINT v_pos");
    EXPECT_EQ(Rows(state), "ENABLED VALIDATED");
    Exec("DELETE FROM v");
    Exec("COMMIT");
    Run("ALTER TABLE v DISABLE VALIDATE CONSTRAINT v_pos");
    EXPECT_EQ(Rows(state), "DISABLED VALIDATED");
    Run("ALTER TABLE v ENABLE CONSTRAINT v_pos");
    EXPECT_EQ(Rows(state), "ENABLED VALIDATED");
}

TEST_F(CConstraintRecordTest, AConstraintRenamedKeepsItsNewNameThroughRebuilds) {
    Run("CREATE TABLE r (a NUMBER CONSTRAINT r_a CHECK (a > 0), b NUMBER PRIMARY KEY, c NUMBER NOT NULL)");
    Run("ALTER TABLE r ADD CONSTRAINT r_c UNIQUE (c)");
    std::string key = Rows("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE = 'P'");
    Run("ALTER TABLE r RENAME CONSTRAINT r_a TO r_pos");
    Run("ALTER TABLE r RENAME CONSTRAINT " + key + " TO r_pk");
    Run("ALTER TABLE r RENAME CONSTRAINT r_c TO r_c_uk");
    Run("ALTER TABLE r MODIFY a NUMBER DEFAULT 0");
    EXPECT_EQ(
        Rows("SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, SEARCH_CONDITION, GENERATED FROM USER_CONSTRAINTS "
             "WHERE CONSTRAINT_NAME LIKE 'R%' ORDER BY 1"),
        "R_C_UK,U,-,USER NAME|R_PK,P,-,USER NAME|R_POS,C,a > 0,USER NAME");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'R'"), "4");
    EXPECT_EQ(Failure("INSERT INTO r VALUES (-1, 1, 1)"), "ORA-02290: チェック制約 R_POS に違反しました。");
    Exec("INSERT INTO r VALUES (1, 1, 1)");
    EXPECT_EQ(Failure("INSERT INTO r VALUES (2, 1, 2)"), "ORA-00001: 一意制約 R_PK に違反する値です。");
    EXPECT_EQ(Violation("INSERT INTO r VALUES (2, 2, 1)"), "ORA-00001");
    EXPECT_EQ(Violation("ALTER TABLE r RENAME CONSTRAINT r_none TO r_x"), "ORA-23292");
    EXPECT_EQ(Violation("ALTER TABLE r RENAME CONSTRAINT r_pos TO r_pk"), "ORA-02264");
}

// A file as the previous version wrote it: keys added later, CHECK conditions
// as written and constraints set aside in tables of their own.
TEST(CConstraintRecordFile, AFileOfThePreviousVersionIsConvertedOnce) {
    TempHome home;
    EngineFixture::WriteRaw(
        home.Path("old.db"),
        "CREATE TABLE TARVEX_CONSTRAINTS (CONSTRAINT_NAME VARCHAR2(128) PRIMARY KEY, TABLE_NAME "
        "VARCHAR2(128) NOT NULL, POSITION INTEGER NOT NULL, CONSTRAINT_TYPE VARCHAR2(1) NOT NULL, COLUMNS "
        "TEXT NOT NULL, SEARCH_CONDITION TEXT, R_TABLE VARCHAR2(128), R_COLUMNS TEXT, DELETE_RULE "
        "VARCHAR2(9), GENERATED VARCHAR2(14) NOT NULL);"
        "CREATE TABLE TARVEX_KEYS (CONSTRAINT_NAME VARCHAR2(128) PRIMARY KEY, TABLE_NAME VARCHAR2(128) NOT "
        "NULL, CONSTRAINT_TYPE VARCHAR2(1) NOT NULL, INDEX_NAME VARCHAR2(128) NOT NULL, OWN_INDEX "
        "VARCHAR2(1) NOT NULL, COLUMNS TEXT NOT NULL, NOT_NULL_ADDED TEXT NOT NULL, STATUS VARCHAR2(8) NOT "
        "NULL);"
        "CREATE TABLE TARVEX_CHECKS (CONSTRAINT_NAME VARCHAR2(128) PRIMARY KEY, TABLE_NAME VARCHAR2(128) NOT "
        "NULL, SEARCH_CONDITION TEXT NOT NULL, GENERATED VARCHAR2(14) NOT NULL);"
        "CREATE TABLE TARVEX_DISABLED (TABLE_NAME TEXT NOT NULL, CONSTRAINT_NAME TEXT PRIMARY KEY, KIND TEXT "
        "NOT NULL, DEFINITION TEXT NOT NULL);"
        "CREATE TABLE \"R\" (\"ID\" NUMBER NOT NULL, \"CODE\" VARCHAR2(3), \"QTY\" NUMBER, CONSTRAINT "
        "\"SYS_C8000001\" CHECK (\"QTY\" > 0));"
        "CREATE UNIQUE INDEX \"R_PK\" ON \"R\" (\"ID\");"
        "INSERT INTO R VALUES (1, 'A', 5);"
        "INSERT INTO TARVEX_CONSTRAINTS VALUES ('SYS_C0000101', 'R', 1, 'C', 'ID', '\"ID\" IS NOT NULL', "
        "NULL, NULL, NULL, 'GENERATED NAME');"
        "INSERT INTO TARVEX_CONSTRAINTS VALUES ('SYS_C8000001', 'R', 2, 'C', '', 'ORA_COMPARE(\"QTY\", 0) > "
        "0', NULL, NULL, NULL, 'USER NAME');"
        "INSERT INTO TARVEX_KEYS VALUES ('R_PK', 'R', 'P', 'R_PK', 'Y', 'ID', 'ID', 'ENABLED');"
        "INSERT INTO TARVEX_CHECKS VALUES ('SYS_C8000001', 'R', 'qty > 0', 'GENERATED NAME');"
        "INSERT INTO TARVEX_CHECKS VALUES ('R_CODE', 'R', 'code IN (''A'', ''B'')', 'USER NAME');"
        "INSERT INTO TARVEX_DISABLED VALUES ('R', 'R_CODE', 'D', 'CONSTRAINT \"R_CODE\" CHECK (code IN "
        "(''A'', ''B''))');"
        "PRAGMA user_version = 5;");
    const char* shown =
        "SELECT CONSTRAINT_NAME || ':' || CONSTRAINT_TYPE || ':' || SEARCH_CONDITION || ':' || STATUS || ':' "
        "|| GENERATED FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'R' ORDER BY 1";
    for (int open = 0; open < 2; ++open) {
        CEngineError error;
        auto connection = CSqliteConnection::Open("OLD", error);
        ASSERT_NE(connection, nullptr) << error.message;
        auto run = [&](const char* sql) { return EngineFixture::RunOn(*connection, sql); };
        // The NOT NULL the key brought is no constraint of its own.
        EXPECT_EQ(EngineFixture::RowsOn(*connection, shown),
                  "R_CODE:C:code IN ('A', 'B'):DISABLED:USER NAME|R_PK:P::ENABLED:USER NAME|"
                  "SYS_C8000001:C:qty > 0:ENABLED:GENERATED NAME");
        EXPECT_NE(run("INSERT INTO R VALUES (1, 'C', 1)").find("R_PK"), std::string::npos);
        EXPECT_NE(run("INSERT INTO R VALUES (2, 'C', 0)").find("SYS_C8000001"), std::string::npos);
        if (open == 1) {
            EXPECT_NE(run("ALTER TABLE R ENABLE CONSTRAINT R_CODE").find("ORA-02293"), std::string::npos);
        } else {
            ASSERT_EQ(run("ALTER TABLE R ENABLE CONSTRAINT R_CODE"), "OK");
            EXPECT_NE(run("INSERT INTO R VALUES (2, 'C', 1)").find("R_CODE"), std::string::npos);
            ASSERT_EQ(run("ALTER TABLE R DISABLE CONSTRAINT R_CODE"), "OK");
            ASSERT_EQ(run("INSERT INTO R VALUES (2, 'C', 1)"), "OK");
            ASSERT_TRUE(connection->Commit());
        }
    }
    const std::string file = home.Path("old.db");
    EXPECT_EQ(EngineFixture::OneIn(file, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(EngineFixture::OneIn(file, "PRAGMA user_version"), std::to_string(CCatalogTables::kVersion));
    EXPECT_EQ(EngineFixture::OneIn(file,
                                   "SELECT count(*) FROM sqlite_schema WHERE name IN ('TARVEX_KEYS', "
                                   "'TARVEX_CHECKS', 'TARVEX_DISABLED')"),
              "0");
    EXPECT_EQ(EngineFixture::OneIn(file, "SELECT group_concat(ID || CODE || QTY, ',') FROM R"), "1A5,2C1");
}

}  // namespace
