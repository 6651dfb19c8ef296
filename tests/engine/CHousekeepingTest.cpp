// LOCK TABLE, ANALYZE, PURGE, SET TRANSACTION and SET CONSTRAINTS: what
// they name is checked, ANALYZE's statistics show in USER_TABLES, and
// deferred foreign keys are checked at the commit.
#include "tests/engine/EngineFixture.h"

namespace {

class CHousekeepingTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE P (ID NUMBER PRIMARY KEY)");
        Exec("CREATE TABLE C (ID NUMBER, P_ID NUMBER REFERENCES P)");
        Exec("INSERT INTO P VALUES (1)");
        Exec("INSERT INTO P VALUES (2)");
        Exec("COMMIT");
    }
};

TEST_F(CHousekeepingTest, StatementsCheckWhatTheyName) {
    const SqlCase cases[] = {
        {"LOCK TABLE P IN EXCLUSIVE MODE", "OK"},
        {"LOCK TABLE P, C IN ROW SHARE MODE NOWAIT", "OK"},
        {"LOCK TABLE NOPE IN SHARE MODE", "ORA-00942"},
        {"LOCK TABLE P, NOPE IN SHARE MODE", "ORA-00942"},
        {"LOCK TABLE P", "ORA-00905"},
        {"ANALYZE TABLE NOPE COMPUTE STATISTICS", "ORA-00942"},
        {"ANALYZE TABLE P VALIDATE STRUCTURE", "OK"},
        {"PURGE RECYCLEBIN", "OK"},
        {"PURGE DBA_RECYCLEBIN", "OK"},
        {"PURGE TABLE P", "ORA-38307"},
        {"SET TRANSACTION READ ONLY", "OK"},
        {"FLASHBACK TABLE P TO BEFORE DROP", "ORA-03001"},
        {"EXPLAIN PLAN FOR SELECT * FROM P", "ORA-03001"},
    };
    for (const SqlCase& c : cases)
        EXPECT_EQ(Failure(c.sql).substr(0, 9), std::string(c.answer).substr(0, 9)) << c.sql;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM P"), "2");
}

TEST_F(CHousekeepingTest, AnalyzeGathersAndDeletesStatistics) {
    EXPECT_EQ(Rows("SELECT NUM_ROWS, LAST_ANALYZED FROM USER_TABLES WHERE TABLE_NAME = 'P'"), "-,-");
    Exec("INSERT INTO P VALUES (3)");
    Exec("ANALYZE TABLE p COMPUTE STATISTICS");
    // The row inserted before is counted: ANALYZE commits what came before it.
    EXPECT_EQ(Rows("SELECT NUM_ROWS, BLOCKS, CASE WHEN LAST_ANALYZED IS NULL THEN 'N' ELSE 'Y' END FROM "
                   "USER_TABLES WHERE TABLE_NAME = 'P'"),
              "3,1,Y");
    Exec("ROLLBACK");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM P"), "3");
    Exec("ANALYZE TABLE P DELETE STATISTICS");
    EXPECT_EQ(Rows("SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = 'P'"), "-");
    // A table dropped and made again has not been analyzed.
    Exec("ANALYZE TABLE C ESTIMATE STATISTICS SAMPLE 10 PERCENT");
    Exec("DROP TABLE C");
    Exec("CREATE TABLE C (ID NUMBER)");
    EXPECT_EQ(Rows("SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = 'C'"), "-");
}

// DBMS_STATS as install scripts call it: by position or by name, the
// schema's tables or one of them.
TEST_F(CHousekeepingTest, DbmsStatsGathersAsAnalyzeDoes) {
    Exec(
        "BEGIN DBMS_STATS.GATHER_SCHEMA_STATS('HR', granularity => 'ALL', cascade => TRUE, block_sample => "
        "TRUE); END;");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, NUM_ROWS FROM USER_TABLES ORDER BY 1"), "C,0|P,2");
    Exec("INSERT INTO P VALUES (3)");
    Exec(
        "BEGIN DBMS_STATS.GATHER_TABLE_STATS(ownname => USER, tabname => 'p', estimate_percent => "
        "DBMS_STATS.AUTO_SAMPLE_SIZE); END;");
    EXPECT_EQ(Rows("SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = 'P'"), "3");
    Exec("BEGIN DBMS_STATS.DELETE_TABLE_STATS(USER, 'P'); DBMS_APPLICATION_INFO.SET_MODULE('m', 'a'); END;");
    EXPECT_EQ(Rows("SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = 'P'"), "-");
    EXPECT_NE(Failure("BEGIN DBMS_STATS.GATHER_TABLE_STATS(USER, 'NOPE'); END;").find("ORA-20000"),
              std::string::npos);
    EXPECT_NE(Failure("BEGIN DBMS_STATS.GATHER_TABLE_STATS(ownname => USER, tablename => 'P'); END;")
                  .find("PLS-00306"),
              std::string::npos);
}

TEST_F(CHousekeepingTest, DeferredForeignKeysAreCheckedAtTheCommit) {
    Exec("SET CONSTRAINTS ALL DEFERRED");
    Exec("INSERT INTO C VALUES (1, 9)");
    Exec("INSERT INTO P VALUES (9)");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM C"), "1");
    Exec("SET CONSTRAINTS ALL IMMEDIATE");
    EXPECT_EQ(Failure("INSERT INTO C VALUES (2, 8)").substr(0, 9), "ORA-02291");
}

}  // namespace

TEST_F(CHousekeepingTest, StatisticsFollowTheirTableAndGoWithIt) {
    Exec("CREATE TABLE s (a NUMBER, b VARCHAR2(5))");
    Exec("INSERT INTO s VALUES (1, 'x')");
    Exec("INSERT INTO s VALUES (2, NULL)");
    Exec("BEGIN DBMS_STATS.GATHER_TABLE_STATS(USER, 'S'); END;");
    const std::string columns =
        "SELECT table_name || '.' || column_name || ':' || num_distinct || '/' || "
        "num_nulls FROM user_tab_col_statistics ORDER BY 1";
    const std::string tables =
        "SELECT table_name || ':' || num_rows FROM user_tables WHERE table_name LIKE 'S%'";
    EXPECT_EQ(Rows(columns), "S.A:2/0|S.B:1/1");
    Exec("ALTER TABLE s RENAME COLUMN b TO c");
    Exec("RENAME s TO s2");
    EXPECT_EQ(Rows(columns), "S2.A:2/0|S2.C:1/1");
    EXPECT_EQ(Rows(tables), "S2:2");
    // A new table of the old name has none of them.
    Exec("DROP TABLE s2");
    Exec("CREATE TABLE s2 (a NUMBER, c NUMBER)");
    EXPECT_EQ(Rows(columns), "");
    EXPECT_EQ(Rows(tables), "S2:");
    EXPECT_EQ(Rows("SELECT count(num_distinct) FROM user_tab_columns WHERE table_name = 'S2'"), "0");
}
