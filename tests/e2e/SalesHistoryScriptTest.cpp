// A data-warehouse script of the kind the Sales History sample schema is: a
// fact table partitioned by quarter, a LOCAL bitmap index, a materialized
// view of monthly sums refreshed after new sales, queries by partition.
// The answers were summed by hand from the rows below.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class SalesHistoryScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    SalesHistoryScript() { m_road = GetParam(); }
};

const char* const kScript =
    "ALTER SESSION SET NLS_DATE_LANGUAGE = AMERICAN;\n"
    "CREATE TABLE sales (\n"
    "  prod_id NUMBER(6) NOT NULL,\n"
    "  cust_id NUMBER NOT NULL,\n"
    "  time_id DATE NOT NULL,\n"
    "  quantity_sold NUMBER(10,2) NOT NULL,\n"
    "  amount_sold NUMBER(10,2) NOT NULL)\n"
    "PCTFREE 5 NOLOGGING\n"
    "PARTITION BY RANGE (time_id)\n"
    "(PARTITION sales_q1_1998 VALUES LESS THAN (TO_DATE('01-APR-1998','DD-MON-YYYY')),\n"
    " PARTITION sales_q2_1998 VALUES LESS THAN (TO_DATE('01-JUL-1998','DD-MON-YYYY')),\n"
    " PARTITION sales_q3_1998 VALUES LESS THAN (TO_DATE('01-OCT-1998','DD-MON-YYYY')),\n"
    " PARTITION sales_q4_1998 VALUES LESS THAN (TO_DATE('01-JAN-1999','DD-MON-YYYY')));\n"
    "CREATE BITMAP INDEX sales_time_bix ON sales (time_id) LOCAL NOLOGGING COMPUTE STATISTICS;\n"
    "INSERT INTO sales VALUES (13, 987, TO_DATE('10-JAN-1998','DD-MON-YYYY'), 1, 1232.16);\n"
    "INSERT INTO sales VALUES (13, 1660, TO_DATE('20-FEB-1998','DD-MON-YYYY'), 1, 1232.16);\n"
    "INSERT INTO sales VALUES (14, 1948, TO_DATE('31-MAR-1998','DD-MON-YYYY'), 2, 2556.40);\n"
    "INSERT INTO sales VALUES (14, 2273, TO_DATE('01-APR-1998','DD-MON-YYYY'), 1, 1259.99);\n"
    "INSERT INTO sales VALUES (13, 1660, TO_DATE('15-MAY-1998','DD-MON-YYYY'), 1, 1232.16);\n"
    "INSERT INTO sales VALUES (15, 987, TO_DATE('30-SEP-1998','DD-MON-YYYY'), 3, 3300);\n"
    "INSERT INTO sales VALUES (15, 2273, TO_DATE('01-OCT-1998','DD-MON-YYYY'), 1, 1100);\n"
    "INSERT INTO sales VALUES (13, 987, TO_DATE('31-DEC-1998','DD-MON-YYYY'), 1, 1232.16);\n"
    "INSERT INTO sales VALUES (13, 987, TO_DATE('01-JAN-1999','DD-MON-YYYY'), 1, 1);\n"
    "COMMIT;\n"
    "CREATE MATERIALIZED VIEW sales_month_mv\n"
    "  BUILD IMMEDIATE REFRESH COMPLETE ON DEMAND ENABLE QUERY REWRITE AS\n"
    "  SELECT TRUNC(time_id, 'MM') month, SUM(amount_sold) dollars, COUNT(*) cnt\n"
    "  FROM sales GROUP BY TRUNC(time_id, 'MM');\n"
    "INSERT INTO sales VALUES (14, 1948, TO_DATE('12-DEC-1998','DD-MON-YYYY'), 1, 1000.50);\n"
    "COMMIT;\n"
    "SELECT TO_CHAR(month, 'YYYY-MM') m, dollars FROM sales_month_mv WHERE month >= DATE '1998-12-01';\n"
    "EXEC DBMS_MVIEW.REFRESH('SALES_MONTH_MV', 'C')\n"
    "SELECT TO_CHAR(month, 'YYYY-MM') m, dollars, cnt FROM sales_month_mv ORDER BY month;\n"
    "SELECT COUNT(*) n, SUM(amount_sold) q1 FROM sales PARTITION (sales_q1_1998);\n"
    "SELECT SUM(amount_sold) q4 FROM sales PARTITION FOR (TO_DATE('15-NOV-1998','DD-MON-YYYY'));\n"
    "SELECT partition_name, partition_position FROM user_tab_partitions ORDER BY partition_position;\n"
    "SELECT index_name, locality FROM user_part_indexes;\n"
    "SELECT SUM(dollars) total FROM sales_month_mv;\n";

TEST_P(SalesHistoryScript, PartitionedFactsAndMonthlySumsAnswerAsSummedByHand) {
    RunResult r = RunScripts({"CONNECT sh/sh@" + Named("SH") + "\n" + kScript});
    auto answer = [&r](const std::string& query) {
        std::size_t at = r.out.find("SQL> " + query);
        if (at == std::string::npos) return std::string();
        at += 5 + query.size();
        return r.out.substr(at, r.out.find("SQL> ", at) - at);
    };
    // The last line of each statement of several lines is followed by its answer.
    EXPECT_NE(answer(" PARTITION sales_q4_1998").find("表が作成されました。"), std::string::npos) << r.out;
    EXPECT_NE(answer("  FROM sales GROUP BY").find("マテリアライズド・ビューが作成されました。"),
              std::string::npos)
        << r.out;
    // Beyond the last quarter's bound.
    EXPECT_NE(answer("INSERT INTO sales VALUES (13, 987, TO_DATE('01-JAN-1999'").find("ORA-14400"),
              std::string::npos)
        << r.out;
    // Before the refresh the view keeps December's one sale.
    EXPECT_NE(answer("SELECT TO_CHAR(month, 'YYYY-MM') m, dollars FROM").find("1998-12 1232.16"),
              std::string::npos)
        << r.out;
    std::string months = answer("SELECT TO_CHAR(month, 'YYYY-MM') m, dollars, cnt");
    for (const char* line :
         {"1998-01 1232.16    1", "1998-03 2556.4     1", "1998-04 1259.99    1", "1998-09 3300       1",
          "1998-10 1100       1", "1998-12 2232.66    2", "8行が選択されました。"})
        EXPECT_NE(months.find(line), std::string::npos) << line << "\n" << r.out;
    // January, February and March: 1232.16 + 1232.16 + 2556.40.
    EXPECT_NE(answer("SELECT COUNT(*) n, SUM(amount_sold) q1").find("3          5020.72"), std::string::npos)
        << r.out;
    // October and December: 1100 + 1232.16 + 1000.50.
    EXPECT_NE(answer("SELECT SUM(amount_sold) q4").find("3332.66"), std::string::npos) << r.out;
    std::string partitions = answer("SELECT partition_name, partition_position");
    EXPECT_LT(partitions.find("SALES_Q1_1998"), partitions.find("SALES_Q4_1998")) << r.out;
    EXPECT_NE(answer("SELECT index_name, locality").find("LOCAL"), std::string::npos) << r.out;
    // Every 1998 sale: 5020.72 + 2492.15 + 3300 + 3332.66.
    EXPECT_NE(answer("SELECT SUM(dollars) total").find("14145.53"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, SalesHistoryScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
