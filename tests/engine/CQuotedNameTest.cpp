// A name written in double quotes is exactly what is between them (its case,
// a reserved word, blanks); an unquoted one is its upper case, so "EMP" and
// emp name the same object while "Emp" names another. Every statement, the
// dictionary and PL/SQL follow the one rule.
#include "engine/sqlite/CCatalogTables.h"
#include "tests/engine/EngineFixture.h"

namespace {

class CQuotedNameTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec(
            "CREATE TABLE \"Note\" (\"Id\" NUMBER CONSTRAINT \"pk_Note\" PRIMARY KEY, \"Text\" VARCHAR2(20) "
            "NOT NULL, plain NUMBER, \"QTY\" NUMBER)");
        Exec("INSERT INTO \"Note\" VALUES (1, 'a', 2, 3)");
        Exec("INSERT INTO \"Note\" (\"Id\", \"Text\") VALUES (2, 'b')");
    }
    // The first line of an error, or the rows.
    std::string Answer(const std::string& sql) {
        std::string rows = Rows(sql);
        return rows.substr(0, rows.find('\n'));
    }
};

TEST_F(CQuotedNameTest, QueriesResolveQuotedNamesExactlyAndUnquotedInUpperCase) {
    const struct {
        const char* query;
        const char* answer;
    } cases[] = {
        {"SELECT \"Id\", \"Text\", plain, PLAIN, \"PLAIN\", qty, \"QTY\" FROM \"Note\" WHERE \"Id\" = 1",
         "1,a,2,2,2,3,3"},
        {"select n.\"Id\" from \"Note\" n where n.\"Text\" = 'b'", "2"},
        {"SELECT \"Text\", count(*) FROM \"Note\" GROUP BY \"Text\" ORDER BY \"Text\" DESC", "b,1|a,1"},
        {"SELECT \"k\" FROM (SELECT \"Id\" \"k\" FROM \"Note\") WHERE \"k\" = 2", "2"},
        {"SELECT K, \"K\" FROM (SELECT \"Id\" k FROM \"Note\") ORDER BY 1", "1,1|2,2"},
        {"WITH \"w\" AS (SELECT \"Id\" FROM \"Note\") SELECT max(\"Id\") FROM \"w\"", "2"},
        // A name in any other case is another name.
        {"SELECT text FROM \"Note\"", "ERROR ORA-00904: 列 TEXT は存在しません。"},
        {"SELECT \"TEXT\" FROM \"Note\"", "ERROR ORA-00904: 列 TEXT は存在しません。"},
        {"SELECT \"qty\" FROM \"Note\"", "ERROR ORA-00904: 列 qty は存在しません。"},
        {"SELECT id FROM (SELECT \"Id\" FROM \"Note\")", "ERROR ORA-00904: 列 ID は存在しません。"},
        {"SELECT k FROM (SELECT \"Id\" \"k\" FROM \"Note\")", "ERROR ORA-00904: 列 K は存在しません。"},
        {"SELECT * FROM note", "ERROR ORA-00942: 表またはビュー NOTE は存在しません。"},
        {"SELECT * FROM \"NOTE\"", "ERROR ORA-00942: 表またはビュー NOTE は存在しません。"},
        {"SELECT * FROM \"note\"", "ERROR ORA-00942: 表またはビュー note は存在しません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Answer(c.query), c.answer) << c.query;
}

TEST_F(CQuotedNameTest, ReservedWordsAndBlanksServeAsQuotedNames) {
    Exec("CREATE TABLE t4 (\"select\" NUMBER, \"a b\" VARCHAR2(3), \"from\" DATE)");
    Exec("INSERT INTO T4 (\"select\", \"a b\") VALUES (1, 'x')");
    Exec("UPDATE t4 SET \"a b\" = 'y' WHERE \"select\" = 1");
    EXPECT_EQ(Rows("SELECT \"select\", \"a b\", \"from\" FROM \"T4\""), "1,y,-");
    EXPECT_EQ(Rows("SELECT column_name FROM user_tab_columns WHERE table_name = 'T4' ORDER BY column_id"),
              "select|a b|from");
}

TEST_F(CQuotedNameTest, DmlNamesQuotedColumnsAndKeyViolationsNameTheConstraint) {
    Exec("UPDATE \"Note\" SET \"Text\" = 'c' WHERE \"Id\" = 2");
    Exec(
        "MERGE INTO \"Note\" n USING (SELECT 3 \"Id\", 'm' \"Text\" FROM dual) s ON (n.\"Id\" = s.\"Id\") "
        "WHEN MATCHED THEN UPDATE SET n.\"Text\" = s.\"Text\" WHEN NOT MATCHED THEN INSERT (\"Id\", "
        "\"Text\") VALUES (s.\"Id\", s.\"Text\")");
    Exec("DELETE FROM \"Note\" WHERE \"Id\" = 1");
    EXPECT_EQ(Rows("SELECT \"Id\", \"Text\" FROM \"Note\" ORDER BY 1"), "2,c|3,m");
    EXPECT_EQ(Answer("UPDATE \"Note\" SET text = 'x'"), "ERROR ORA-00904: 列 TEXT は存在しません。");
    EXPECT_NE(Failure("INSERT INTO \"Note\" (\"Id\", \"Text\") VALUES (2, 'd')").find("pk_Note"),
              std::string::npos);
    EXPECT_NE(Failure("INSERT INTO \"Note\" (\"Id\") VALUES (9)").find("Note.Text"), std::string::npos);
}

TEST_F(CQuotedNameTest, TheDictionaryShowsEachNameAsItIsKept) {
    Exec("CREATE INDEX \"ix_Note\" ON \"Note\" (\"Text\", plain)");
    Exec("CREATE VIEW \"vNote\" AS SELECT \"Id\", plain FROM \"Note\"");
    Exec("ALTER TABLE \"Note\" ADD CONSTRAINT \"ck_Qty\" CHECK (\"QTY\" > 0)");
    Exec("COMMENT ON COLUMN \"Note\".\"Text\" IS 'body'");
    Exec("CREATE SEQUENCE \"seq_Note\"");
    const struct {
        const char* query;
        const char* rows;
    } cases[] = {
        {"SELECT table_name FROM user_tables", "Note"},
        {"SELECT column_name || ':' || data_type || ':' || nullable FROM user_tab_columns WHERE table_name = "
         "'Note' ORDER BY column_id",
         "Id:NUMBER:N|Text:VARCHAR2:N|PLAIN:NUMBER:Y|QTY:NUMBER:Y"},
        {"SELECT column_name FROM user_tab_columns WHERE table_name = 'vNote' ORDER BY column_id",
         "Id|PLAIN"},
        {"SELECT index_name || ':' || column_name FROM user_ind_columns WHERE table_name = 'Note' ORDER BY "
         "index_name, column_position",
         "ix_Note:Text|ix_Note:PLAIN|pk_Note:Id"},
        {"SELECT constraint_name || ':' || constraint_type FROM user_constraints WHERE table_name = 'Note' "
         "AND constraint_type <> 'C' OR constraint_name = 'ck_Qty' ORDER BY 1",
         "ck_Qty:C|pk_Note:P"},
        {"SELECT column_name FROM user_cons_columns WHERE table_name = 'Note' ORDER BY 1", "Id|Text"},
        {"SELECT comments FROM user_col_comments WHERE table_name = 'Note' AND column_name = 'Text'", "body"},
        {"SELECT object_name || ':' || object_type FROM user_objects ORDER BY 1",
         "Note:TABLE|ix_Note:INDEX|pk_Note:INDEX|seq_Note:SEQUENCE|vNote:VIEW"},
        {"SELECT count(*) FROM user_tables WHERE table_name = 'NOTE'", "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.query), c.rows) << c.query;
    EXPECT_EQ(Rows("SELECT \"seq_Note\".NEXTVAL FROM dual"), "1");
    EXPECT_EQ(Answer("SELECT seq_note.NEXTVAL FROM dual").rfind("ERROR ORA-02289", 0), 0u);
}

TEST_F(CQuotedNameTest, AlterTableChangesQuotedColumns) {
    Exec("ALTER TABLE \"Note\" RENAME COLUMN \"Text\" TO \"Body\"");
    Exec("ALTER TABLE \"Note\" MODIFY (\"Body\" VARCHAR2(40))");
    Exec("ALTER TABLE \"Note\" ADD (\"Extra\" NUMBER DEFAULT 7)");
    Exec("ALTER TABLE \"Note\" DROP COLUMN plain");
    EXPECT_EQ(Rows("SELECT column_name || ':' || data_length FROM user_tab_columns WHERE table_name = 'Note' "
                   "AND data_type <> 'NUMBER' OR column_name = 'Extra' ORDER BY column_id"),
              "Body:40|Extra:22");
    EXPECT_EQ(Rows("SELECT \"Id\", \"Body\", \"Extra\" FROM \"Note\" ORDER BY 1"), "1,a,7|2,b,7");
    EXPECT_EQ(Answer("SELECT \"Text\" FROM \"Note\"").rfind("ERROR ORA-00904", 0), 0u);
}

TEST_F(CQuotedNameTest, PlsqlReadsQuotedColumnsOfRecordsAndTriggers) {
    Exec("CREATE TABLE \"Log\" (\"Id\" NUMBER, \"What\" VARCHAR2(30))");
    Exec(
        "CREATE TRIGGER \"trg_Note\" AFTER INSERT ON \"Note\" FOR EACH ROW BEGIN INSERT INTO \"Log\" VALUES "
        "(:NEW.\"Id\", :NEW.\"Text\" || :new.plain); END;");
    Exec("INSERT INTO \"Note\" (\"Id\", \"Text\", plain) VALUES (5, 'e', 6)");
    EXPECT_EQ(Rows("SELECT \"Id\", \"What\" FROM \"Log\""), "5,e6");
    ASSERT_TRUE(m_connection->EnableServerOutput(true, -1));
    EXPECT_EQ(OutputOf("DECLARE v \"Note\".\"Text\"%TYPE; r \"Note\"%ROWTYPE; BEGIN SELECT * INTO r FROM "
                       "\"Note\" WHERE \"Id\" = 1; v := r.\"Text\"; DBMS_OUTPUT.PUT_LINE(v || r.\"Id\" || "
                       "r.plain); FOR c IN (SELECT \"Id\" \"n\" FROM \"Note\" ORDER BY 1) LOOP "
                       "DBMS_OUTPUT.PUT_LINE(c.\"n\"); END LOOP; END;"),
              "a12|1|2|5");
    EXPECT_NE(OutputOf("DECLARE r \"Note\"%ROWTYPE; BEGIN SELECT * INTO r FROM \"Note\" WHERE \"Id\" = 1; "
                       "DBMS_OUTPUT.PUT_LINE(r.text); END;")
                  .find("PLS-00302"),
              std::string::npos);
}

TEST_F(CQuotedNameTest, AnExportsSchemaBeforeASequenceOrCommentIsTheSessionsOwn) {
    Exec("CREATE SEQUENCE \"HR\".\"EMP_SEQ\" START WITH 207 NOCACHE");
    Exec("COMMENT ON COLUMN \"HR\".\"Note\".\"Text\" IS 'body'");
    Exec("COMMENT ON TABLE hr.\"Note\" IS 'notes'");
    EXPECT_EQ(Rows("SELECT emp_seq.NEXTVAL FROM dual"), "207");
    EXPECT_EQ(
        Rows("SELECT comments FROM user_col_comments WHERE table_name = 'Note' AND column_name = 'Text' "
             "UNION ALL SELECT comments FROM user_tab_comments WHERE table_name = 'Note'"),
        "body|notes");
    EXPECT_EQ(Failure("COMMENT ON COLUMN \"Note\".text IS 'x'"), "ORA-00904: 列 TEXT は存在しません。");
    Exec("DROP SEQUENCE hr.emp_seq");
}

TEST_F(CQuotedNameTest, HousekeepingAndTableFunctionsTakeQuotedNames) {
    EXPECT_EQ(Failure("ANALYZE TABLE \"Note\" COMPUTE STATISTICS"), "OK");
    EXPECT_EQ(Rows("SELECT num_rows FROM user_tables WHERE table_name = 'Note'"), "2");
    EXPECT_EQ(Failure("LOCK TABLE \"Note\" IN EXCLUSIVE MODE"), "OK");
    EXPECT_EQ(Failure("LOCK TABLE note IN EXCLUSIVE MODE").rfind("ORA-00942", 0), 0u);
    Exec("ROLLBACK");
    EXPECT_EQ(Rows("SELECT \"jt\".v FROM JSON_TABLE('[{\"v\":4}]', '$[*]' COLUMNS (v NUMBER PATH '$.v')) "
                   "\"jt\""),
              "4");
}

TEST_F(CQuotedNameTest, KeysAndIndexesOverQuotedColumnsKeepTheirNames) {
    Exec("CREATE TABLE \"Tk\" (\"k\" NUMBER NOT NULL, \"v\" NUMBER)");
    Exec("CREATE UNIQUE INDEX \"ux_k\" ON \"Tk\" (\"k\")");
    Exec("ALTER TABLE \"Tk\" ADD CONSTRAINT \"pk_Tk\" PRIMARY KEY (\"k\") USING INDEX \"ux_k\"");
    EXPECT_EQ(Rows("SELECT index_name FROM user_constraints WHERE constraint_name = 'pk_Tk'"), "ux_k");
    Exec("ALTER INDEX \"ux_k\" UNUSABLE");
    EXPECT_EQ(Failure("INSERT INTO \"Tk\" VALUES (1, 1)").rfind("ORA-01502", 0), 0u);
    Exec("ALTER INDEX \"ux_k\" REBUILD");
    Exec("INSERT INTO \"Tk\" VALUES (1, 1)");
    Exec("ALTER TABLE \"Tk\" MODIFY (\"v\" NOT NULL)");
    EXPECT_EQ(Failure("INSERT INTO \"Tk\" (\"k\") VALUES (2)").rfind("ORA-01400: Tk.v", 0), 0u);
    EXPECT_EQ(Rows("SELECT nullable FROM user_tab_columns WHERE table_name = 'Tk' ORDER BY column_id"),
              "N|N");
}

// A file of the version before: the columns of a table named in quotes were
// recorded under upper-case names, and a sequence went by its name in any case.
TEST(CQuotedNameFile, AnEarlierFilesQuotedTableAndSequencesAreReadAsTheyWereMeant) {
    TempHome home;
    std::string path;
    {
        CEngineError error;
        auto connection = CSqliteConnection::Open("EARLIER", error);
        ASSERT_NE(connection, nullptr) << error.message;
        for (const char* sql : {"CREATE TABLE \"Note\" (\"Id\" NUMBER(5), \"Text\" VARCHAR2(7))",
                                "INSERT INTO \"Note\" VALUES (1, 'a')", "COMMIT"})
            ASSERT_EQ(EngineFixture::RunOn(*connection, sql), "OK") << sql;
        path = connection->Path();
    }
    EngineFixture::WriteRaw(path,
                            "UPDATE TARVEX_COLUMNS SET TABLE_NAME = upper(TABLE_NAME), COLUMN_NAME = "
                            "upper(COLUMN_NAME); INSERT INTO TARVEX_SEQUENCES VALUES ('old_seq', 5, 1); "
                            "PRAGMA user_version = 8");
    CEngineError error;
    auto connection = CSqliteConnection::Open("EARLIER", error);
    ASSERT_NE(connection, nullptr) << error.message;
    EXPECT_EQ(EngineFixture::RowsOn(*connection, "SELECT OLD_SEQ.NEXTVAL, \"Text\" FROM \"Note\""), "5,a");
    EXPECT_EQ(
        EngineFixture::RowsOn(*connection,
                              "SELECT column_name || ' ' || data_type || data_length FROM user_tab_columns "
                              "WHERE table_name = 'Note' ORDER BY column_id"),
        "Id NUMBER22|Text VARCHAR27");
    connection.reset();
    EXPECT_EQ(EngineFixture::OneIn(path, "PRAGMA user_version"), std::to_string(CCatalogTables::kVersion));
}

}  // namespace
