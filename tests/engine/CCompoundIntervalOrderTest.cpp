// ORDER BY of a compound query over INTERVAL columns: the rows sort by the
// intervals' lengths (negative ones first, whatever the leading
// precision), by name, alias or position, either way, with NULLs where
// NULLS FIRST | LAST puts them (last ascending, first descending unless
// told), and the columns keep their names.
#include "tests/engine/EngineFixture.h"

namespace {

class CCompoundIntervalOrderTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE t1 (n NUMBER, d INTERVAL DAY(3) TO SECOND, y INTERVAL YEAR(3) TO MONTH)");
        Exec("CREATE TABLE t2 (n NUMBER, d INTERVAL DAY(2) TO SECOND, y INTERVAL YEAR TO MONTH)");
        Exec("INSERT INTO t1 VALUES (1, INTERVAL '-1 0:0:0' DAY TO SECOND, INTERVAL '-1-0' YEAR TO MONTH)");
        Exec(
            "INSERT INTO t1 VALUES (2, INTERVAL '100 0:0:0' DAY(3) TO SECOND, INTERVAL '100-0' YEAR(3) TO "
            "MONTH)");
        Exec("INSERT INTO t2 VALUES (3, INTERVAL '-2 0:0:0' DAY TO SECOND, INTERVAL '-2-0' YEAR TO MONTH)");
        Exec("INSERT INTO t2 VALUES (4, INTERVAL '9 0:0:0' DAY TO SECOND, INTERVAL '9-0' YEAR TO MONTH)");
        Exec("INSERT INTO t2 VALUES (5, NULL, NULL)");
    }
};

TEST_F(CCompoundIntervalOrderTest, RowsSortByLength) {
    // The numbers of the rows, in the order each query gives them.
    const SqlCase cases[] = {
        {"SELECT n FROM (SELECT n, d FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY 2)", "3|1|4|2|5"},
        {"SELECT n FROM (SELECT n, d FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY d)", "3|1|4|2|5"},
        {"SELECT n FROM (SELECT n, d x FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY x DESC)", "5|2|4|1|3"},
        {"SELECT n FROM (SELECT n, d x FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY x DESC NULLS LAST)",
         "2|4|1|3|5"},
        {"SELECT n FROM (SELECT n, d FROM t1 UNION SELECT n, d FROM t2 ORDER BY 2 NULLS FIRST)", "5|3|1|4|2"},
        {"SELECT n FROM (SELECT n, y FROM t1 UNION ALL SELECT n, y FROM t2 ORDER BY y)", "3|1|4|2|5"},
        {"SELECT n FROM (SELECT n, y FROM t1 UNION ALL SELECT n, y FROM t2 ORDER BY 2 DESC NULLS LAST)",
         "2|4|1|3|5"},
        {"SELECT n FROM (SELECT n, d FROM t1 MINUS SELECT n, d FROM t2 ORDER BY 2 DESC)", "2|1"},
        {"SELECT n FROM (SELECT n, y FROM t1 INTERSECT SELECT n, y FROM t1 ORDER BY y)", "1|2"},
        {"SELECT n FROM (SELECT n, d FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY d FETCH FIRST 2 ROWS "
         "ONLY)",
         "3|1"},
        {"SELECT n FROM (SELECT n, d FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY n DESC)", "5|4|3|2|1"},
        {"SELECT n FROM (WITH q AS (SELECT n, d FROM t1) SELECT n, d FROM q UNION ALL SELECT n, d FROM t2 "
         "ORDER BY 2)",
         "3|1|4|2|5"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(CCompoundIntervalOrderTest, ColumnsKeepTheirNamesAndValues) {
    CEngineResult result;
    ASSERT_TRUE(
        m_connection->Query("SELECT n \"Num\", d, d AS e FROM t1 UNION ALL SELECT n, d, d FROM t2 "
                            "ORDER BY 2 DESC",
                            m_binds, result));
    ASSERT_EQ(result.Columns().size(), 3u);
    EXPECT_EQ(result.Columns()[0].name, "Num");
    EXPECT_EQ(result.Columns()[1].name, "D");
    EXPECT_EQ(result.Columns()[2].name, "E");
    EXPECT_EQ(Rows("SELECT d FROM t1 UNION ALL SELECT d FROM t2 ORDER BY 1"),
              "-02 00:00:00.000000|-001 00:00:00.000000|+09 00:00:00.000000|+100 00:00:00.000000|-");
}

TEST_F(CCompoundIntervalOrderTest, OrderItemsAreCheckedAsBefore) {
    EXPECT_NE(Rows("SELECT n, d FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY 3").find("ORA-01785"),
              std::string::npos);
    EXPECT_NE(Rows("SELECT n, d FROM t1 UNION ALL SELECT n, d FROM t2 ORDER BY nosuch").find("ORA-00904"),
              std::string::npos);
}

}  // namespace
