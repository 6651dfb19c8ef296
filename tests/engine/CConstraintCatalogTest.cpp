// The constraints of tables as the catalog records them
// (TARVEX_CONSTRAINTS): a name the system gave one stays its name through
// every change of its table.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

class CConstraintCatalogTest : public EngineFixture {
protected:
    std::string Constraints(const std::string& table) {
        return Rows(
            "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, R_CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE "
            "TABLE_NAME = '" +
            table + "' ORDER BY CONSTRAINT_TYPE, CONSTRAINT_NAME");
    }
    std::string Columns(const std::string& table) {
        return Rows(
            "SELECT CONSTRAINT_NAME || ':' || COLUMN_NAME FROM USER_CONS_COLUMNS WHERE TABLE_NAME = '" +
            table + "' ORDER BY 1");
    }
};

TEST_F(CConstraintCatalogTest, NamesTheSystemGaveStayThroughEveryChange) {
    Exec("CREATE TABLE dept (id NUMBER PRIMARY KEY, name VARCHAR2(10) NOT NULL)");
    Exec(
        "CREATE TABLE emp (id NUMBER CONSTRAINT emp_pk PRIMARY KEY, dept_id NUMBER NOT NULL REFERENCES dept, "
        "pay NUMBER)");
    std::string dept = Constraints("DEPT");
    std::string emp = Constraints("EMP");
    std::string empColumns = Columns("EMP");
    ASSERT_EQ(std::count(emp.begin(), emp.end(), '|'), 2) << emp;
    // A rebuild makes the table's definition anew; the names stay.
    Exec("ALTER TABLE emp MODIFY pay NUMBER(9,2)");
    Exec("ALTER TABLE dept MODIFY name VARCHAR2(20)");
    Exec("ALTER TABLE emp ADD CONSTRAINT emp_pay CHECK (pay > 0)");
    EXPECT_EQ(Constraints("DEPT"), dept);
    EXPECT_EQ(Columns("EMP"), empColumns);
    // Renamed columns and tables take their constraints along.
    Exec("ALTER TABLE emp RENAME COLUMN dept_id TO dept_no");
    Exec("RENAME dept TO division");
    EXPECT_EQ(Constraints("DIVISION"), dept);
    std::string renamed = empColumns;
    for (std::size_t at; (at = renamed.find("DEPT_ID")) != std::string::npos;)
        renamed.replace(at, 7, "DEPT_NO");
    EXPECT_EQ(Columns("EMP"), renamed);
    // The foreign key still names the key it refers to.
    std::string key = Rows(
        "SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'DIVISION' AND "
        "CONSTRAINT_TYPE = 'P'");
    EXPECT_NE(Constraints("EMP").find("," + key), std::string::npos) << Constraints("EMP");
    // A key the system named is dropped by that name after a rebuild.
    Exec("ALTER TABLE emp DROP CONSTRAINT emp_pk");
    Exec("ALTER TABLE emp MODIFY pay NUMBER(10,2)");
    // Note: the foreign key names its parent as the rename wrote it.
    EXPECT_EQ(Failure("ALTER TABLE division DROP CONSTRAINT " + key).substr(0, 9), "ORA-02273");
    Exec("DROP TABLE emp");
    Exec("ALTER TABLE division DROP CONSTRAINT " + key);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE = 'P'"), "0");
}

TEST_F(CConstraintCatalogTest, AViolatedKeyIsToldByItsName) {
    Exec("CREATE TABLE k (a NUMBER UNIQUE, b NUMBER CONSTRAINT k_b UNIQUE)");
    Exec("INSERT INTO k VALUES (1, 1)");
    Exec("COMMIT");
    Exec("ALTER TABLE k MODIFY a NUMBER DEFAULT 0");
    std::string name = Rows(
        "SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'K' AND CONSTRAINT_NAME <> 'K_B'");
    ASSERT_EQ(name.substr(0, 5), "SYS_C");
    EXPECT_NE(Failure("INSERT INTO k VALUES (1, 2)").find(name), std::string::npos) << name;
    EXPECT_NE(Failure("INSERT INTO k VALUES (2, 1)").find("K_B"), std::string::npos);
}

TEST_F(CConstraintCatalogTest, AConstraintsNameIsOneInTheSchema) {
    Exec("CREATE TABLE a1 (id NUMBER CONSTRAINT a_pk PRIMARY KEY)");
    EXPECT_EQ(Failure("CREATE TABLE a2 (id NUMBER CONSTRAINT a_pk PRIMARY KEY)").substr(0, 9), "ORA-02264");
    EXPECT_EQ(Failure("CREATE TABLE a2 (id NUMBER, CONSTRAINT a_pk UNIQUE (id))").substr(0, 9), "ORA-02264");
    // Note: a script run twice meets its table first, then the names of its constraints.
    Exec("CREATE TABLE a3 (id NUMBER CONSTRAINT a3_c CHECK (id > 0))");
    EXPECT_EQ(Failure("CREATE TABLE a3 (id NUMBER CONSTRAINT a3_c CHECK (id > 0))").substr(0, 9),
              "ORA-00955");
    EXPECT_EQ(Failure("CREATE TABLE a1 (id NUMBER CONSTRAINT a_pk PRIMARY KEY)").substr(0, 9), "ORA-00955");
    Exec("DROP TABLE a3");
    EXPECT_EQ(Constraints("A1"), "A_PK,P,-");
    Exec("DROP TABLE a1");
    Exec("CREATE TABLE a2 (id NUMBER CONSTRAINT a_pk PRIMARY KEY)");
    EXPECT_EQ(Constraints("A2"), "A_PK,P,-");
}

TEST_F(CConstraintCatalogTest, TheDictionaryTellsHowAConstraintWasNamedAndChecked) {
    Exec("CREATE TABLE g (id NUMBER PRIMARY KEY, n NUMBER CONSTRAINT g_n CHECK (n > 0))");
    Exec("ALTER TABLE g DISABLE CONSTRAINT g_n");
    EXPECT_EQ(Rows("SELECT GENERATED, VALIDATED, STATUS FROM USER_CONSTRAINTS WHERE "
                   "TABLE_NAME = 'G' ORDER BY CONSTRAINT_TYPE"),
              "USER NAME,NOT VALIDATED,DISABLED|GENERATED NAME,VALIDATED,ENABLED");
}

// DEFERRABLE and DEFERRED tell whether a key's check may wait for COMMIT
// and whether it waits from the start.
TEST_F(CConstraintCatalogTest, TheDictionaryTellsWhetherAKeyIsCheckedAtCommit) {
    Exec("CREATE TABLE dp (id NUMBER CONSTRAINT dp_pk PRIMARY KEY DEFERRABLE)");
    Exec(
        "CREATE TABLE dc (pid NUMBER CONSTRAINT dc_fk REFERENCES dp DEFERRABLE INITIALLY DEFERRED, "
        "u NUMBER CONSTRAINT dc_u UNIQUE)");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_NAME, DEFERRABLE, DEFERRED FROM USER_CONSTRAINTS WHERE TABLE_NAME "
                   "IN ('DP', 'DC') ORDER BY 1"),
              "DC_FK,DEFERRABLE,DEFERRED|DC_U,NOT DEFERRABLE,IMMEDIATE|DP_PK,DEFERRABLE,IMMEDIATE");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM ALL_CONSTRAINTS WHERE DEFERRED = 'DEFERRED'"), "1");
}

// A CHECK takes the words of when it is made, in either order, written
// with the column, with the table or added later; it is still made at once.
TEST_F(CConstraintCatalogTest, ACheckTakesItsDeferralWords) {
    Exec(
        "CREATE TABLE dk (q NUMBER CONSTRAINT dk_q CHECK (q > 0) INITIALLY IMMEDIATE DEFERRABLE NOT NULL, "
        "r NUMBER CONSTRAINT dk_r CHECK (r < 5) NOT DEFERRABLE, "
        "CONSTRAINT dk_qr CHECK (q <> r) DEFERRABLE INITIALLY DEFERRED)");
    Exec("ALTER TABLE dk ADD CONSTRAINT dk_add CHECK (q < 100) DEFERRABLE");
    const char* const kStates =
        "SELECT CONSTRAINT_NAME, DEFERRABLE, DEFERRED FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'DK' "
        "AND GENERATED = 'USER NAME' ORDER BY 1";
    const char* const kAnswer =
        "DK_ADD,DEFERRABLE,IMMEDIATE|DK_Q,DEFERRABLE,IMMEDIATE|DK_QR,DEFERRABLE,DEFERRED|"
        "DK_R,NOT DEFERRABLE,IMMEDIATE";
    EXPECT_EQ(Rows(kStates), kAnswer);
    EXPECT_EQ(Failure("INSERT INTO dk VALUES (-1, 1)").substr(0, 9), "ORA-02290");
    EXPECT_EQ(Failure("INSERT INTO dk VALUES (2, 2)").substr(0, 9), "ORA-02290");
    EXPECT_EQ(Failure("INSERT INTO dk VALUES (NULL, 1)").substr(0, 9), "ORA-01400");
    Exec("INSERT INTO dk VALUES (2, 3)");
    // The table made again for a column's change keeps them.
    Exec("ALTER TABLE dk ADD (s NUMBER)");
    Exec("ALTER TABLE dk DROP COLUMN s");
    EXPECT_EQ(Rows(kStates), kAnswer);
    EXPECT_EQ(Failure("INSERT INTO dk VALUES (3, 3)").substr(0, 9), "ORA-02290");
    EXPECT_EQ(Rows("SELECT q || ',' || r FROM dk"), "2,3");
}

TEST(CConstraintCatalogFile, AnEarlierFileKeepsTheNamesItShowed) {
    TempHome home;
    EngineFixture::WriteRaw(home.Path("old.db"),
                            "CREATE TABLE T (N NUMBER NOT NULL, K NUMBER(4) PRIMARY KEY);"
                            "INSERT INTO T VALUES (1, 1);"
                            "PRAGMA user_version = 3;");
    CEngineError error;
    auto connection = CSqliteConnection::Open("OLD", error);
    ASSERT_NE(connection, nullptr) << error.message;
    const char* names = "SELECT CONSTRAINT_NAME || CONSTRAINT_TYPE FROM USER_CONSTRAINTS ORDER BY 1";
    EXPECT_EQ(EngineFixture::RowsOn(*connection, names), "SYS_C0000101C|SYS_C0000102P");
    EXPECT_EQ(EngineFixture::RunOn(*connection, "ALTER TABLE T MODIFY N NUMBER DEFAULT 0"), "OK");
    EXPECT_EQ(EngineFixture::RowsOn(*connection, names), "SYS_C0000101C|SYS_C0000102P");
}

}  // namespace
