// Every constraint goes by the name USER_CONSTRAINTS shows, whatever made
// it (inline, out of line, ALTER TABLE ... ADD or MODIFY), and a constraint
// disabled and validated keeps its table from DML (ORA-25128).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <sstream>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kShown =
    "SELECT CONSTRAINT_NAME || ' ' || CONSTRAINT_TYPE || ' ' || GENERATED FROM USER_CONSTRAINTS WHERE "
    "TABLE_NAME = 'EMP' ORDER BY CONSTRAINT_TYPE, CONSTRAINT_NAME";

class CConstraintNameTest : public EngineFixture {
protected:
    // After a schema statement a connection opened anew sees the same constraints.
    void Run(const std::string& sql) {
        Exec(sql);
        std::string here = Rows(kShown);
        CEngineError error;
        auto reopened = CSqliteConnection::Open("", error);
        ASSERT_NE(reopened, nullptr) << error.message;
        EXPECT_EQ(Rows(*reopened, kShown), here) << sql;
    }
    std::vector<std::string> Names(const std::string& sql) {
        std::vector<std::string> names;
        std::istringstream rows(Rows(sql));
        for (std::string name; std::getline(rows, name, '|');)
            if (!name.empty()) names.push_back(name);
        return names;
    }
    std::string Code(const std::string& sql) { return Failure(sql).substr(0, 9); }

    void MakeTables() {
        Run("CREATE TABLE dept (id NUMBER PRIMARY KEY, name VARCHAR2(10) NOT NULL UNIQUE)");
        Run("CREATE TABLE emp (id NUMBER, dept_id NUMBER REFERENCES dept ON DELETE CASCADE, code "
            "VARCHAR2(5), "
            "pay NUMBER CHECK (pay > 0), CONSTRAINT emp_pk PRIMARY KEY (id), UNIQUE (code, pay))");
        Run("ALTER TABLE emp ADD (grade NUMBER NOT NULL CHECK (grade BETWEEN 1 AND 9), boss NUMBER "
            "REFERENCES emp)");
        Run("ALTER TABLE emp ADD FOREIGN KEY (boss) REFERENCES emp (id)");
        Run("ALTER TABLE emp ADD CHECK (id < 1000)");
        Run("ALTER TABLE emp ADD UNIQUE (dept_id, code)");
        Run("ALTER TABLE emp MODIFY code NOT NULL");
    }
};

TEST_F(CConstraintNameTest, EveryShownNameDisablesEnablesRenamesAndDrops) {
    MakeTables();
    std::vector<std::string> names = Names(
        "SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP' ORDER BY CONSTRAINT_TYPE "
        "DESC, CONSTRAINT_NAME");
    // 1 key, 2 foreign keys inline, 1 out of line, 3 checks, 2 NOT NULL, 2 unique keys.
    ASSERT_EQ(names.size(), 11u) << Rows(kShown);
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string& name = names[k];
        Run("ALTER TABLE emp DISABLE CONSTRAINT " + name);
        Run("ALTER TABLE emp ENABLE CONSTRAINT " + name);
        std::string renamed = "EMP_C" + std::to_string(k);
        Run("ALTER TABLE emp RENAME CONSTRAINT " + name + " TO " + renamed);
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = '" + renamed + "'"),
                  "1");
        Run("ALTER TABLE emp DROP CONSTRAINT " + renamed);
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = '" + renamed + "'"),
                  "0");
    }
    EXPECT_EQ(Rows(kShown), "");
    // Nothing of them is left to enforce.
    Exec("INSERT INTO emp (id, dept_id, code, pay, grade, boss) VALUES (1, 9, NULL, -1, NULL, 7)");
    Exec("INSERT INTO emp (id, dept_id, code, pay, grade, boss) VALUES (1, 9, NULL, -1, NULL, 7)");
    Exec("COMMIT");
    // Those of the other table still hold.
    EXPECT_EQ(Code("INSERT INTO dept VALUES (NULL, 'A')"), "ORA-01400");
}

TEST_F(CConstraintNameTest, ACompiledTableRecordsItsConstraintsAsWritten) {
    MakeTables();
    EXPECT_EQ(Rows("SELECT SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP' AND "
                   "CONSTRAINT_TYPE = 'C' ORDER BY 1"),
              "\"CODE\" IS NOT NULL|\"GRADE\" IS NOT NULL|grade BETWEEN 1 AND 9|id < 1000|pay > 0");
    // A column's constraint lists its column; the unnamed ones are named by the system.
    EXPECT_EQ(Rows("SELECT c.CONSTRAINT_TYPE || ':' || cc.COLUMN_NAME || ':' || c.GENERATED FROM "
                   "USER_CONSTRAINTS c JOIN USER_CONS_COLUMNS cc ON cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
                   "WHERE c.TABLE_NAME = 'EMP' AND c.SEARCH_CONDITION LIKE 'pay%'"),
              "C:PAY:GENERATED NAME");
    EXPECT_EQ(Rows("SELECT DELETE_RULE || ' ' || R_CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = "
                   "'EMP' AND CONSTRAINT_TYPE = 'R' ORDER BY 1"),
              "CASCADE " +
                  Rows("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'DEPT' AND "
                       "CONSTRAINT_TYPE = 'P'") +
                  "|NO ACTION EMP_PK|NO ACTION EMP_PK");
    // A second constraint of a name in one statement changes nothing.
    EXPECT_EQ(Code("CREATE TABLE twice (a NUMBER CONSTRAINT dup NOT NULL, b NUMBER CONSTRAINT dup UNIQUE)"),
              "ORA-02264");
    EXPECT_EQ(Code("CREATE TABLE clash (a NUMBER CONSTRAINT emp_pk PRIMARY KEY)"), "ORA-02264");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE TABLE_NAME IN ('TWICE', 'CLASH')"), "0");
    EXPECT_EQ(Code("SELECT * FROM twice"), "ORA-00942");
    // A column dropped takes its constraints along.
    Run("ALTER TABLE emp DROP COLUMN grade");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE SEARCH_CONDITION LIKE '%grade%' OR "
                   "SEARCH_CONDITION LIKE '%GRADE%'"),
              "0");
    // MODIFY ... NULL takes the NOT NULL away, by whatever name it had.
    Run("ALTER TABLE emp MODIFY code NULL");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE SEARCH_CONDITION = '\"CODE\" IS NOT NULL'"),
              "0");
}

TEST_F(CConstraintNameTest, ADisabledValidatedConstraintKeepsItsTableFromDml) {
    Run("CREATE TABLE emp (id NUMBER CONSTRAINT emp_pk PRIMARY KEY, pay NUMBER CONSTRAINT emp_pay CHECK "
        "(pay > 0))");
    Run("CREATE TABLE other (n NUMBER)");
    Exec("INSERT INTO emp VALUES (1, 10)");
    Exec("COMMIT");
    Run("ALTER TABLE emp DISABLE VALIDATE CONSTRAINT emp_pay");
    EXPECT_EQ(
        Rows("SELECT STATUS || ' ' || VALIDATED FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'EMP_PAY'"),
        "DISABLED VALIDATED");
    const char* refused[] = {
        "INSERT INTO emp VALUES (2, 5)",
        "UPDATE emp SET pay = 20",
        "DELETE FROM emp",
        ("MERGE INTO emp e USING (SELECT 1 id FROM dual) s ON (e.id = s.id) WHEN MATCHED THEN UPDATE SET pay "
         "= 3"),
        "INSERT INTO emp SELECT 3, 3 FROM dual",
    };
    for (const char* sql : refused) {
        std::string failure = Failure(sql);
        EXPECT_EQ(failure.substr(0, 9), "ORA-25128") << sql;
        EXPECT_NE(failure.find("EMP_PAY"), std::string::npos) << failure;
    }
    // The state holds in the next session; other tables take DML.
    CEngineError error;
    auto reopened = CSqliteConnection::Open("", error);
    ASSERT_NE(reopened, nullptr);
    long rows = 0;
    EXPECT_FALSE(reopened->Execute("DELETE FROM emp", m_binds, rows));
    EXPECT_EQ(reopened->LastError().code, 25128);
    Exec("INSERT INTO other VALUES (1)");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM emp"), "1");
    // Renamed, the refusal names it so; DISABLE NOVALIDATE, then ENABLE, give the table back.
    Run("ALTER TABLE emp RENAME CONSTRAINT emp_pay TO emp_pay2");
    EXPECT_NE(Failure("DELETE FROM emp").find("EMP_PAY2"), std::string::npos);
    Run("ALTER TABLE emp MODIFY CONSTRAINT emp_pay2 DISABLE NOVALIDATE");
    EXPECT_EQ(Rows("SELECT VALIDATED FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'EMP_PAY2'"),
              "NOT VALIDATED");
    Exec("UPDATE emp SET pay = -1");
    Exec("ROLLBACK");
    Run("ALTER TABLE emp MODIFY CONSTRAINT emp_pay2 DISABLE VALIDATE");
    EXPECT_EQ(Code("UPDATE emp SET pay = 2"), "ORA-25128");
    Run("ALTER TABLE emp MODIFY CONSTRAINT emp_pay2 ENABLE");
    EXPECT_EQ(Code("UPDATE emp SET pay = -2"), "ORA-02290");
    Exec("UPDATE emp SET pay = 2");
    Exec("COMMIT");
    // A key disabled and validated locks its table too.
    Run("ALTER TABLE emp DISABLE VALIDATE PRIMARY KEY");
    EXPECT_EQ(Code("INSERT INTO emp VALUES (1, 1)"), "ORA-25128");
}

TEST_F(CConstraintNameTest, ATableMadeAsSelectKeepsTheNotNullOfTheColumnsItCopies) {
    // Note: the statements are written as the console sends them, names in upper case.
    Run("CREATE TABLE SRC (ID NUMBER PRIMARY KEY, N VARCHAR2(5) NOT NULL, M NUMBER, K NUMBER CONSTRAINT K_NN "
        "NOT NULL)");
    Exec("INSERT INTO src VALUES (1, 'a', NULL, 3)");
    Exec("COMMIT");
    Run("CREATE TABLE EMP AS SELECT ID, N, M, K + 1 K1, K FROM SRC");
    // Only the columns copied as they are; each under a name of its own.
    EXPECT_EQ(
        Rows("SELECT SEARCH_CONDITION || ' ' || GENERATED FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP' "
             "ORDER BY 1"),
        "\"ID\" IS NOT NULL GENERATED NAME|\"K\" IS NOT NULL GENERATED NAME|\"N\" IS NOT NULL GENERATED "
        "NAME");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'K_NN'"), "1");
    EXPECT_EQ(Code("INSERT INTO emp VALUES (2, NULL, NULL, NULL, 4)"), "ORA-01400");
    for (const std::string& name :
         Names("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP'"))
        Run("ALTER TABLE emp DROP CONSTRAINT " + name);
    Exec("INSERT INTO emp VALUES (NULL, NULL, NULL, NULL, NULL)");
}

// A file of an earlier version keeps definitions that name none of their
// constraints; the names the conversion gave them serve all the same.
TEST(CConstraintNameFile, TheConvertedNamesOfAnOlderFileServeAlterTable) {
    TempHome home;
    EngineFixture::WriteRaw(home.Path("old.db"),
                            "CREATE TABLE \"S\" (\"ID\" NUMBER PRIMARY KEY, \"CODE\" VARCHAR2(3) NOT NULL "
                            "UNIQUE, \"P\" NUMBER REFERENCES \"S\" (\"ID\") ON DELETE CASCADE);"
                            "INSERT INTO S VALUES (1, 'A', NULL);"
                            "PRAGMA user_version = 3;");
    CEngineError error;
    auto connection = CSqliteConnection::Open("OLD", error);
    ASSERT_NE(connection, nullptr) << error.message;
    std::string listed = EngineFixture::RowsOn(
        *connection,
        "SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'S' ORDER BY CONSTRAINT_TYPE DESC");
    std::replace(listed.begin(), listed.end(), '|', ' ');
    const std::vector<std::string> names = EngineFixture::Words(listed);
    ASSERT_EQ(names.size(), 4u);
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string& name = names[k];
        for (const std::string& sql :
             {"ALTER TABLE S DISABLE CONSTRAINT " + name, "ALTER TABLE S ENABLE CONSTRAINT " + name,
              "ALTER TABLE S RENAME CONSTRAINT " + name + " TO S_" + std::to_string(k),
              "ALTER TABLE S DROP CONSTRAINT S_" + std::to_string(k)})
            EXPECT_EQ(EngineFixture::RunOn(*connection, sql), "OK") << sql;
    }
    // Nothing is left to refuse a second row of the same values.
    EXPECT_EQ(EngineFixture::RunOn(*connection, "INSERT INTO S VALUES (1, NULL, 7)"), "OK");
    ASSERT_TRUE(connection->Commit());
    connection.reset();
    const std::string file = home.Path("old.db");
    EXPECT_EQ(EngineFixture::OneIn(file, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(EngineFixture::OneIn(file, "SELECT count(*) FROM TARVEX_CONSTRAINTS WHERE TABLE_NAME = 'S'"),
              "0");
    EXPECT_EQ(EngineFixture::OneIn(file, "SELECT count(*) FROM S"), "2");
}

}  // namespace
