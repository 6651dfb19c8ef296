// A schema script of the kind data-warehouse installs are: a sales table
// partitioned by month with INTERVAL, a month loaded from a staging table by
// EXCHANGE PARTITION, an archive table made READ ONLY. The answers were
// summed by hand from the rows below.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PartitionMaintenanceScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    PartitionMaintenanceScript() { m_road = GetParam(); }
};

const char* const kScript =
    "CREATE TABLE sales (\n"
    "  sale_id NUMBER(8) NOT NULL,\n"
    "  sold_on DATE NOT NULL,\n"
    "  amount NUMBER(10,2) NOT NULL)\n"
    "PARTITION BY RANGE (sold_on) INTERVAL (NUMTOYMINTERVAL(1, 'MONTH'))\n"
    "(PARTITION sales_2023 VALUES LESS THAN (DATE '2024-01-01'));\n"
    "INSERT INTO sales VALUES (1, DATE '2023-11-05', 100.25);\n"
    "INSERT INTO sales VALUES (2, DATE '2024-01-10', 200.50);\n"
    "INSERT INTO sales VALUES (3, DATE '2024-01-31', 50);\n"
    "INSERT INTO sales VALUES (4, DATE '2024-02-14', 75.75);\n"
    "COMMIT;\n"
    "SELECT partition_name, interval FROM user_tab_partitions WHERE table_name = 'SALES' ORDER BY "
    "partition_position;\n"
    "CREATE TABLE sales_stage (sale_id NUMBER(8) NOT NULL, sold_on DATE NOT NULL, amount NUMBER(10,2) NOT "
    "NULL);\n"
    "INSERT INTO sales_stage VALUES (10, DATE '2024-01-03', 1000);\n"
    "INSERT INTO sales_stage VALUES (11, DATE '2024-01-20', 20.05);\n"
    "COMMIT;\n"
    "ALTER TABLE sales EXCHANGE PARTITION sys_p1 WITH TABLE sales_stage INCLUDING INDEXES WITH VALIDATION;\n"
    "SELECT SUM(amount) jan FROM sales PARTITION (sys_p1);\n"
    "SELECT COUNT(*) staged, SUM(amount) old_jan FROM sales_stage;\n"
    "INSERT INTO sales_stage VALUES (12, DATE '2024-03-01', 5);\n"
    "ALTER TABLE sales EXCHANGE PARTITION sys_p2 WITH TABLE sales_stage;\n"
    "CREATE TABLE sales_archive AS SELECT * FROM sales PARTITION (sales_2023);\n"
    "ALTER TABLE sales_archive READ ONLY;\n"
    "INSERT INTO sales_archive VALUES (99, DATE '2023-01-01', 1);\n"
    "ALTER TABLE sales_archive ADD (note VARCHAR2(20));\n"
    "ALTER TABLE sales_archive ADD CONSTRAINT sales_archive_pk PRIMARY KEY (sale_id);\n"
    "SELECT read_only FROM user_tables WHERE table_name = 'SALES_ARCHIVE';\n"
    "ALTER TABLE sales DROP PARTITION sales_2023;\n"
    "INSERT INTO sales PARTITION (sys_p2) VALUES (13, DATE '2024-05-01', 1);\n"
    "INSERT INTO sales VALUES (14, DATE '2024-05-01', 1.5);\n"
    "SELECT COUNT(*) parts FROM user_tab_partitions WHERE table_name = 'SALES';\n"
    "SELECT SUM(amount) total FROM sales;\n"
    "CREATE PRIVATE TEMPORARY TABLE ora$ptt_totals (month DATE, total NUMBER(12,2));\n"
    "INSERT INTO ora$ptt_totals SELECT TRUNC(sold_on, 'MM'), SUM(amount) FROM sales GROUP BY TRUNC(sold_on, "
    "'MM');\n"
    "SELECT COUNT(*) months FROM ora$ptt_totals;\n"
    "COMMIT;\n"
    "SELECT COUNT(*) FROM ora$ptt_totals;\n";

TEST_P(PartitionMaintenanceScript, MonthsAreMadeExchangedAndArchivedAsSummedByHand) {
    RunResult r = RunScripts({"CONNECT sh/sh@" + Named("SH") + "\n" + kScript});
    auto answer = [&r](const std::string& query) {
        std::size_t at = r.out.find("SQL> " + query);
        if (at == std::string::npos) return std::string();
        at += 5 + query.size();
        return r.out.substr(at, r.out.find("SQL> ", at) - at);
    };
    // January was made first (SYS_P1), then February.
    std::string parts = answer("SELECT partition_name, interval");
    EXPECT_LT(parts.find("SALES_2023"), parts.find("SYS_P1")) << r.out;
    EXPECT_LT(parts.find("SYS_P1"), parts.find("SYS_P2")) << r.out;
    EXPECT_NE(parts.find("3行が選択されました。"), std::string::npos) << r.out;
    EXPECT_NE(answer("ALTER TABLE sales EXCHANGE PARTITION sys_p1").find("表が更新されました。"),
              std::string::npos)
        << r.out;
    // The staged January: 1000 + 20.05; the old one: 200.50 + 50.
    EXPECT_NE(answer("SELECT SUM(amount) jan").find("1020.05"), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT COUNT(*) staged").find("250.5"), std::string::npos) << r.out;
    EXPECT_NE(answer("ALTER TABLE sales EXCHANGE PARTITION sys_p2").find("ORA-14099"), std::string::npos)
        << r.out;
    EXPECT_NE(answer("INSERT INTO sales_archive").find("ORA-12081"), std::string::npos) << r.out;
    EXPECT_NE(answer("ALTER TABLE sales_archive ADD (note").find("ORA-12081"), std::string::npos) << r.out;
    EXPECT_NE(answer("ALTER TABLE sales_archive ADD CONSTRAINT").find("表が更新されました。"),
              std::string::npos)
        << r.out;
    EXPECT_NE(answer("SELECT read_only").find("YES"), std::string::npos) << r.out;
    EXPECT_NE(answer("ALTER TABLE sales DROP PARTITION").find("ORA-14758"), std::string::npos) << r.out;
    EXPECT_NE(answer("INSERT INTO sales PARTITION (sys_p2)").find("ORA-14401"), std::string::npos) << r.out;
    // May made a fourth partition.
    EXPECT_NE(answer("SELECT COUNT(*) parts").find("4"), std::string::npos) << r.out;
    // 100.25 + 1020.05 + 75.75 + 1.5.
    EXPECT_NE(answer("SELECT SUM(amount) total").find("1197.55"), std::string::npos) << r.out;
    EXPECT_NE(answer("CREATE PRIVATE TEMPORARY TABLE ora$ptt_totals").find("表が作成されました。"),
              std::string::npos)
        << r.out;
    // November, January, February and May; the definition goes with the commit.
    EXPECT_NE(answer("SELECT COUNT(*) months").find("4"), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT COUNT(*) FROM ora$ptt_totals;").find("ORA-00942"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, PartitionMaintenanceScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
