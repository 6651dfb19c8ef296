// Quoted names that differ only in case name different objects, as on the
// server: "Mixed", "mixed" and MIXED are three tables, "a" and A two columns
// of one table. Each statement reaches the object it names and no other,
// and the dictionary shows each name as it was written.
#include "engine/sqlite/CCatalogTables.h"
#include "tests/engine/EngineFixture.h"

namespace {

class CMixedCaseNameTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE \"Mixed\" (a NUMBER)");
        Exec("CREATE TABLE mixed (a NUMBER)");
        Exec("CREATE TABLE \"mixed\" (a NUMBER)");
        Exec("INSERT INTO \"Mixed\" VALUES (1)");
        Exec("INSERT INTO mixed VALUES (2)");
        Exec("INSERT INTO \"mixed\" VALUES (3)");
        Exec("COMMIT");
    }
};

TEST_F(CMixedCaseNameTest, EachSpellingIsATableOfItsOwn) {
    const SqlCase cases[] = {
        {"SELECT * FROM \"Mixed\"", "1"},
        {"SELECT * FROM mixed", "2"},
        {"SELECT * FROM MIXED", "2"},
        {"SELECT * FROM \"MIXED\"", "2"},
        {"SELECT * FROM \"mixed\"", "3"},
        {"SELECT m.a FROM \"Mixed\" m", "1"},
        {"SELECT x.a + y.a FROM \"Mixed\" x, \"mixed\" y", "4"},
        {"SELECT table_name FROM user_tables ORDER BY 1", "MIXED|Mixed|mixed"},
        {"SELECT object_name FROM user_objects WHERE object_type = 'TABLE' ORDER BY 1", "MIXED|Mixed|mixed"},
        {"SELECT table_name, column_name FROM user_tab_columns ORDER BY 1", "MIXED,A|Mixed,A|mixed,A"},
        {"SELECT count(*) FROM user_tables WHERE table_name = 'Mixed'", "1"},
        {"SELECT * FROM \"MiXed\"", "ERROR ORA-00942: 表またはビュー MiXed は存在しません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(CMixedCaseNameTest, DmlAndDdlReachTheNamedTableOnly) {
    Exec("UPDATE \"Mixed\" SET a = a + 10");
    Exec("DELETE FROM \"mixed\"");
    EXPECT_EQ(Rows("SELECT (SELECT a FROM \"Mixed\") || '/' || (SELECT a FROM mixed) FROM dual"), "11/2");
    EXPECT_EQ(Rows("SELECT count(*) FROM \"mixed\""), "0");
    Exec("COMMIT");
    Exec("DROP TABLE \"Mixed\"");
    EXPECT_EQ(Rows("SELECT table_name FROM user_tables ORDER BY 1"), "MIXED|mixed");
    EXPECT_EQ(Rows("SELECT * FROM mixed"), "2");
    Exec("TRUNCATE TABLE mixed");
    EXPECT_EQ(Rows("SELECT count(*) FROM mixed"), "0");
    Exec("RENAME \"mixed\" TO \"Other\"");
    EXPECT_EQ(Rows("SELECT table_name FROM user_tables ORDER BY 1"), "MIXED|Other");
    EXPECT_EQ(Failure("DROP TABLE \"other\""), "ORA-00942: 表またはビュー other は存在しません。");
}

TEST_F(CMixedCaseNameTest, ColumnsThatDifferInCaseAreTwoColumns) {
    Exec("CREATE TABLE t (\"a\" NUMBER, a NUMBER, \"Ab\" VARCHAR2(5))");
    Exec("INSERT INTO t (\"a\", a, \"Ab\") VALUES (1, 2, 'x')");
    Exec("UPDATE t SET \"a\" = \"a\" + 10, A = A + 20");
    const SqlCase cases[] = {
        {"SELECT \"a\", A, \"A\", \"Ab\" FROM t", "11,22,22,x"},
        {"SELECT * FROM t", "11,22,x"},
        {"SELECT t.\"a\" FROM t WHERE \"a\" = 11 AND a = 22", "11"},
        {"SELECT column_name FROM user_tab_columns WHERE table_name = 'T' ORDER BY column_id", "a|A|Ab"},
        {"SELECT \"ab\" FROM t", "ERROR ORA-00904: 列 ab は存在しません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(CMixedCaseNameTest, AlterTableOfAMixedCaseTable) {
    Exec("CREATE TABLE \"Emp\" (\"id\" NUMBER PRIMARY KEY, \"Name\" VARCHAR2(10))");
    Exec("INSERT INTO \"Emp\" VALUES (1, 'ann')");
    Exec("COMMIT");
    Exec("ALTER TABLE \"Emp\" ADD (\"Pay\" NUMBER, pay NUMBER)");
    Exec("ALTER TABLE \"Emp\" MODIFY (\"Name\" VARCHAR2(20) NOT NULL)");
    Exec("ALTER TABLE \"Emp\" RENAME COLUMN \"Pay\" TO \"Bonus\"");
    Exec("UPDATE \"Emp\" SET \"Bonus\" = 5, pay = 7");
    Exec("ALTER TABLE \"Emp\" DROP COLUMN pay");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT * FROM \"Emp\""), "1,ann,5");
    EXPECT_EQ(Rows("SELECT column_name, nullable, data_length FROM user_tab_columns WHERE table_name = 'Emp' "
                   "ORDER BY column_id"),
              "id,N,22|Name,N,20|Bonus,Y,22");
    EXPECT_EQ(Failure("INSERT INTO \"Emp\" (\"id\") VALUES (2)"),
              "ORA-01400: Emp.Name には NULL を入れられません。");
    Exec("ALTER TABLE \"Emp\" RENAME TO \"Staff\"");
    EXPECT_EQ(Rows("SELECT \"Name\" FROM \"Staff\""), "ann");
}

TEST_F(CMixedCaseNameTest, ViewsIndexesKeysAndTriggersOverAMixedCaseTable) {
    Exec("CREATE TABLE \"Dept\" (\"id\" NUMBER CONSTRAINT \"Dept_pk\" PRIMARY KEY)");
    Exec(
        "CREATE TABLE \"Emp\" (\"id\" NUMBER, \"dept\" NUMBER CONSTRAINT \"Emp_fk\" REFERENCES \"Dept\" "
        "(\"id\"))");
    Exec("CREATE INDEX \"Emp_ix\" ON \"Emp\" (\"dept\")");
    Exec("CREATE VIEW \"Emp_v\" AS SELECT \"id\", \"dept\" FROM \"Emp\"");
    Exec("CREATE TABLE log (what VARCHAR2(20))");
    Exec(
        "CREATE TRIGGER \"Emp_trg\" AFTER INSERT ON \"Emp\" FOR EACH ROW BEGIN INSERT INTO log VALUES "
        "('emp ' || :new.\"id\"); END;");
    Exec("INSERT INTO \"Dept\" VALUES (10)");
    Exec("INSERT INTO \"Emp\" VALUES (1, 10)");
    EXPECT_EQ(Failure("INSERT INTO \"Emp\" VALUES (2, 99)"),
              "ORA-02291: 整合性制約 Emp_fk に違反しました - 親キーがありません。");
    Exec("COMMIT");
    const SqlCase cases[] = {
        {"SELECT * FROM \"Emp_v\"", "1,10"},
        {"SELECT what FROM log", "emp 1"},
        {"SELECT index_name, table_name FROM user_indexes WHERE table_name = 'Emp'", "Emp_ix,Emp"},
        {"SELECT column_name FROM user_ind_columns WHERE index_name = 'Emp_ix'", "dept"},
        {"SELECT view_name FROM user_views", "Emp_v"},
        {"SELECT constraint_name, constraint_type, table_name FROM user_constraints ORDER BY 1",
         "Dept_pk,P,Dept|Emp_fk,R,Emp"},
        {"SELECT trigger_name, table_name FROM user_triggers", "Emp_trg,Emp"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    Exec("DROP INDEX \"Emp_ix\"");
    Exec("DROP VIEW \"Emp_v\"");
    EXPECT_EQ(Rows("SELECT count(*) FROM user_objects WHERE object_name IN ('Emp_ix', 'Emp_v')"), "0");
}

TEST_F(CMixedCaseNameTest, PlsqlReadsTheMixedCaseTable) {
    ASSERT_TRUE(m_connection->EnableServerOutput(true, -1));
    EXPECT_EQ(OutputOf("DECLARE n NUMBER; BEGIN SELECT a INTO n FROM \"Mixed\"; dbms_output.put_line(n); "
                       "SELECT a INTO n FROM \"mixed\"; dbms_output.put_line(n); END;"),
              "1|3");
    Exec(
        "CREATE PROCEDURE show_mixed AS n NUMBER; BEGIN SELECT a INTO n FROM \"Mixed\"; "
        "dbms_output.put_line('Mixed ' || n); FOR r IN (SELECT a FROM mixed) LOOP "
        "dbms_output.put_line('MIXED ' "
        "|| r.a); END LOOP; END;");
    EXPECT_EQ(OutputOf("BEGIN show_mixed; END;"), "Mixed 1|MIXED 2");
}

TEST_F(CMixedCaseNameTest, ATableNameWithABlankTakesANewColumn) {
    Exec("CREATE TABLE \"Order Lines\" (\"Line\" NUMBER)");
    Exec("ALTER TABLE \"Order Lines\" ADD (\"Note\" VARCHAR2(5), qty NUMBER)");
    Exec("INSERT INTO \"Order Lines\" VALUES (1, 'x', 2)");
    EXPECT_EQ(Rows("SELECT \"Line\", \"Note\", qty FROM \"Order Lines\""), "1,x,2");
}

TEST_F(CMixedCaseNameTest, SequencesSynonymsAndUnitsInEachCase) {
    const char* statements[] = {
        "CREATE SEQUENCE \"Seq\" START WITH 5",
        "CREATE SEQUENCE seq START WITH 100",
        "CREATE SYNONYM \"Syn\" FOR \"Mixed\"",
        "CREATE SYNONYM syn FOR mixed",
        "CREATE PROCEDURE \"myProc\" AS BEGIN INSERT INTO \"Mixed\" VALUES (7); END;",
        "CREATE PROCEDURE myproc AS BEGIN INSERT INTO mixed VALUES (8); END;",
        "BEGIN \"myProc\"; myproc; END;",
    };
    for (const char* statement : statements) Exec(statement);
    const SqlCase cases[] = {
        {"SELECT \"Seq\".NEXTVAL, seq.NEXTVAL FROM dual", "5,100"},
        {"SELECT sequence_name FROM user_sequences ORDER BY 1", "SEQ|Seq"},
        {"SELECT max(a) FROM \"Syn\"", "7"},
        {"SELECT max(a) FROM syn", "8"},
        {"SELECT synonym_name || ':' || table_name FROM user_synonyms ORDER BY 1", "SYN:MIXED|Syn:Mixed"},
        {"SELECT object_name FROM user_objects WHERE object_type = 'PROCEDURE' ORDER BY 1", "MYPROC|myProc"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(CMixedCaseNameTest, AFailureIsPlacedInTheStatementAsTyped) {
    const struct {
        const char* sql;
        const char* at;  // the text the failure points at
    } cases[] = {
        {"SELECT a, nosuch FROM \"Mixed\"", "nosuch"},
        {"SELECT x.a FROM \"Mixed\" x, \"mixed\" y WHERE zz = 1", "zz"},
        {"SELECT \"ab\" FROM \"Mixed\"", "\"ab\""},
    };
    for (const auto& c : cases) {
        EXPECT_NE(Failure(c.sql), "OK") << c.sql;
        EXPECT_EQ(m_connection->LastError().position, static_cast<int>(std::string(c.sql).find(c.at)))
            << c.sql;
    }
}

TEST_F(CMixedCaseNameTest, AQuotedNameACaretSpellingWouldMisreadIsRefused) {
    EXPECT_EQ(Failure("CREATE TABLE \"^A\" (a NUMBER)").rfind("ORA-03001", 0), 0u);
    Exec("CREATE TABLE \"A^1\" (\"^\" NUMBER)");
    EXPECT_EQ(Rows("SELECT table_name FROM user_tables WHERE table_name LIKE 'A%'"), "A^1");
}

// A file of the version before kept "Mixed" as typed; opened now, its
// objects are found by the names they were made by, with their rows.
TEST(CMixedCaseNameFile, AnEarlierFilesMixedCaseObjectsAreFoundByTheirNames) {
    TempHome home;
    std::string path;
    {
        CEngineError error;
        auto connection = CSqliteConnection::Open("EARLIER", error);
        ASSERT_NE(connection, nullptr) << error.message;
        for (const char* sql :
             {"CREATE TABLE OLD_T (A NUMBER, B NUMBER)", "INSERT INTO OLD_T VALUES (1, 2)", "COMMIT"})
            ASSERT_EQ(EngineFixture::RunOn(*connection, sql), "OK") << sql;
        path = connection->Path();
    }
    EngineFixture::WriteRaw(
        path,
        "ALTER TABLE OLD_T RENAME TO \"Mixed\"; ALTER TABLE \"Mixed\" RENAME COLUMN B TO \"b\"; "
        "UPDATE TARVEX_COLUMNS SET TABLE_NAME = 'Mixed' WHERE TABLE_NAME = 'OLD_T'; "
        "UPDATE TARVEX_COLUMNS SET COLUMN_NAME = 'b' WHERE COLUMN_NAME = 'B'; "
        "UPDATE TARVEX_OBJECT_TIMES SET NAME = 'Mixed' WHERE NAME = 'OLD_T'; "
        "CREATE INDEX \"ix\" ON \"Mixed\" (\"b\"); CREATE VIEW \"Vw\" AS SELECT \"b\" FROM \"Mixed\"; "
        "INSERT INTO TARVEX_VIEWS VALUES ('Vw', 'SELECT \"b\" FROM \"Mixed\"', 'N', 'N', NULL); "
        "PRAGMA user_version = 10");
    for (int open = 0; open < 2; ++open) {
        CEngineError error;
        auto connection = CSqliteConnection::Open("EARLIER", error);
        ASSERT_NE(connection, nullptr) << error.message;
        const SqlCase cases[] = {
            {"SELECT A, \"b\" FROM \"Mixed\"", "1,2"},
            {"SELECT * FROM \"Vw\"", "2"},
            {"SELECT count(*) FROM user_tables WHERE table_name = 'Mixed'", "1"},
            {"SELECT column_name FROM user_tab_columns WHERE table_name = 'Mixed' ORDER BY column_id", "A|b"},
            {"SELECT index_name, table_name FROM user_indexes", "ix,Mixed"},
            {"SELECT column_name FROM user_ind_columns", "b"},
            {"SELECT view_name FROM user_views", "Vw"},
        };
        for (const auto& c : cases) EXPECT_EQ(EngineFixture::RowsOn(*connection, c.sql), c.answer) << c.sql;
        for (const char* sql : {"CREATE TABLE mixed (b NUMBER)", "INSERT INTO mixed VALUES (3)", "COMMIT"}) {
            if (open == 0) {
                ASSERT_EQ(EngineFixture::RunOn(*connection, sql), "OK") << sql;
            }
        }
        EXPECT_EQ(EngineFixture::RowsOn(*connection, "SELECT b FROM mixed"), "3");
    }
    EXPECT_EQ(EngineFixture::OneIn(path, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(EngineFixture::OneIn(path, "PRAGMA user_version"), std::to_string(CCatalogTables::kVersion));
}

}  // namespace
