// Materialized views: the rows kept in a table of the view's name, refused
// to DML, computed anew by DBMS_MVIEW.REFRESH (or at each commit for ON
// COMMIT), described in USER_MVIEWS and USER_OBJECTS, dropped with their
// table.
#include "tests/engine/EngineFixture.h"

namespace {

std::string Code(const std::string& failure) { return failure.substr(0, 9); }

class CMaterializedViewTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE sales (prod_id NUMBER, amount NUMBER(10,2))");
        Exec("INSERT INTO sales VALUES (1, 10.25)");
        Exec("INSERT INTO sales VALUES (2, 5)");
        Exec("COMMIT");
    }
};

TEST_F(CMaterializedViewTest, RowsStayUntilRefreshed) {
    Exec(
        "CREATE MATERIALIZED VIEW sales_mv BUILD IMMEDIATE REFRESH COMPLETE ON DEMAND ENABLE QUERY REWRITE "
        "AS SELECT prod_id, SUM(amount) AS total FROM sales GROUP BY prod_id");
    Exec("INSERT INTO sales VALUES (1, 0.75)");
    EXPECT_EQ(Rows("SELECT prod_id, total FROM sales_mv ORDER BY 1"), "1,10.25|2,5");
    EXPECT_EQ(OutputOf("BEGIN DBMS_MVIEW.REFRESH('SALES_MV', 'C'); END;"), "");
    EXPECT_EQ(Rows("SELECT prod_id, total FROM sales_mv ORDER BY 1"), "1,11|2,5");
    // The server commits a refresh: the row inserted before it stays.
    Exec("ROLLBACK");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM sales"), "3");
    EXPECT_EQ(Rows("SELECT refresh_mode, refresh_method, build_mode, rewrite_enabled, last_refresh_type "
                   "FROM user_mviews"),
              "DEMAND,COMPLETE,IMMEDIATE,Y,COMPLETE");
    EXPECT_EQ(Rows("SELECT object_type FROM user_objects WHERE object_name = 'SALES_MV' ORDER BY 1"),
              "MATERIALIZED VIEW|TABLE");
}

TEST_F(CMaterializedViewTest, DmlOnTheViewIsRefused) {
    Exec("CREATE MATERIALIZED VIEW mv AS SELECT * FROM sales");
    EXPECT_EQ(Code(Failure("INSERT INTO mv VALUES (9, 9)")), "ORA-01732");
    EXPECT_EQ(Code(Failure("UPDATE mv SET amount = 0")), "ORA-01732");
    EXPECT_EQ(Code(Failure("DELETE FROM mv")), "ORA-01732");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mv"), "2");
}

TEST_F(CMaterializedViewTest, DeferredBuildIsEmptyUntilItsFirstRefresh) {
    Exec(
        "CREATE MATERIALIZED VIEW mv BUILD DEFERRED REFRESH FORCE ON DEMAND AS SELECT COUNT(*) n FROM sales");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM mv"), "0");
    EXPECT_EQ(Rows("SELECT staleness, last_refresh_date FROM user_mviews"), "UNUSABLE,-");
    // The old name of the package, and a list of views.
    EXPECT_EQ(OutputOf("BEGIN DBMS_SNAPSHOT.REFRESH(list => 'mv, MV'); END;"), "");
    EXPECT_EQ(Rows("SELECT n FROM mv"), "2");
    EXPECT_EQ(Rows("SELECT staleness FROM user_mviews"), "UNKNOWN");
    EXPECT_EQ(Code(OutputOf("BEGIN DBMS_MVIEW.REFRESH('NO_SUCH_MV'); END;").substr(6)), "ORA-12003");
}

TEST_F(CMaterializedViewTest, OnCommitViewsFollowEachCommit) {
    Exec("CREATE MATERIALIZED VIEW mv REFRESH FAST ON COMMIT AS SELECT SUM(amount) s FROM sales");
    Exec("INSERT INTO sales VALUES (3, 1)");
    EXPECT_EQ(Rows("SELECT s FROM mv"), "15.25");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT s FROM mv"), "16.25");
    EXPECT_EQ(Rows("SELECT staleness FROM user_mviews"), "FRESH");
}

TEST_F(CMaterializedViewTest, LogsCommentsAndDrop) {
    Exec("CREATE MATERIALIZED VIEW LOG ON sales WITH ROWID, SEQUENCE (amount) INCLUDING NEW VALUES");
    EXPECT_EQ(Rows("SELECT master, log_table, rowids FROM user_mview_logs"), "SALES,MLOG$_SALES,YES");
    Exec("CREATE MATERIALIZED VIEW mv AS SELECT prod_id FROM sales");
    Exec("COMMENT ON MATERIALIZED VIEW mv IS 'products sold'");
    EXPECT_EQ(Rows("SELECT comments FROM user_tab_comments WHERE table_name = 'MV'"), "products sold");
    EXPECT_EQ(Code(Failure("DROP TABLE mv")), "ORA-12083");
    Exec("DROP MATERIALIZED VIEW mv");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_mviews") + Rows("SELECT COUNT(*) FROM user_tables"), "01");
    EXPECT_EQ(Code(Failure("DROP MATERIALIZED VIEW mv")), "ORA-12003");
    Exec("DROP MATERIALIZED VIEW LOG ON sales");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_mview_logs"), "0");
    EXPECT_EQ(Code(Failure("CREATE DIMENSION times_dim LEVEL day IS sales.prod_id")), "ORA-03001");
}

}  // namespace
