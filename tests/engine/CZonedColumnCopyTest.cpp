// Timestamp columns with a time zone copied by CREATE TABLE ... AS SELECT
// and read through views: the new column keeps its digits and its kind of
// zone, and the values keep their fractions and zones, as on the server.
#include "engine/EngineTypes.h"
#include "tests/engine/EngineFixture.h"

namespace {

class CZonedColumnCopyTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+00:00'");
        Exec(
            "CREATE TABLE tz (a TIMESTAMP(3) WITH TIME ZONE, b TIMESTAMP WITH LOCAL TIME ZONE, "
            "c TIMESTAMP(2) WITH LOCAL TIME ZONE)");
        Exec(
            "INSERT INTO tz VALUES (TIMESTAMP '2024-01-02 03:04:05.123 +09:00', "
            "TIMESTAMP '2024-01-02 03:04:05.123456', TIMESTAMP '2024-01-02 03:04:05.12')");
        Exec("COMMIT");
    }
    std::string Types(const std::string& table) {
        return Rows("SELECT column_name, data_type FROM user_tab_columns WHERE table_name = '" + table +
                    "' ORDER BY column_id");
    }
};

TEST_F(CZonedColumnCopyTest, CopiedColumnsKeepTheirTypes) {
    const SqlCase cases[] = {
        {"CREATE TABLE t1 AS SELECT * FROM tz",
         "A,TIMESTAMP(3) WITH TIME ZONE|B,TIMESTAMP(6) WITH LOCAL TIME ZONE|C,TIMESTAMP(2) WITH LOCAL TIME "
         "ZONE"},
        {"CREATE TABLE t2 AS SELECT CAST(a AS TIMESTAMP(1) WITH TIME ZONE) x, "
         "CAST(b AS TIMESTAMP(4) WITH LOCAL TIME ZONE) y, CAST(SYSTIMESTAMP AS TIMESTAMP(3) WITH TIME ZONE) "
         "z "
         "FROM tz",
         "X,TIMESTAMP(1) WITH TIME ZONE|Y,TIMESTAMP(4) WITH LOCAL TIME ZONE|Z,TIMESTAMP(3) WITH TIME ZONE"},
        {"CREATE TABLE t3 AS SELECT CAST(a AS TIMESTAMP(0)) x, CAST(b AS DATE) y FROM tz",
         "X,TIMESTAMP(0)|Y,DATE"},
    };
    for (const SqlCase& c : cases) {
        Exec(c.sql);
        std::string table = Words(c.sql)[2];
        for (char& ch : table) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(Types(table), c.answer) << c.sql;
    }
}

TEST_F(CZonedColumnCopyTest, CopiedValuesKeepTheirFractionsAndZones) {
    Exec("CREATE TABLE t1 AS SELECT * FROM tz");
    const std::string local = "'YYYY-MM-DD HH24:MI:SS.FF6'";
    const std::string query = "SELECT TO_CHAR(a, 'YYYY-MM-DD HH24:MI:SS.FF6 TZH:TZM'), TO_CHAR(b, " + local +
                              "), TO_CHAR(c, " + local + ") FROM ";
    const std::string expected =
        "2024-01-02 03:04:05.123000 +09:00,2024-01-02 03:04:05.123456,2024-01-02 03:04:05.120000";
    EXPECT_EQ(Rows(query + "tz"), expected);
    EXPECT_EQ(Rows(query + "t1"), expected);
    // A local value is kept in the database's zone: a copy made in another
    // session zone shows the same instant.
    Exec("ALTER SESSION SET TIME_ZONE = '+05:00'");
    Exec("CREATE TABLE t2 AS SELECT * FROM tz");
    Exec("ALTER SESSION SET TIME_ZONE = '+00:00'");
    EXPECT_EQ(Rows(query + "t2"), expected);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM tz JOIN t2 ON t2.b = tz.b AND t2.c = tz.c AND t2.a = tz.a"), "1");
}

TEST_F(CZonedColumnCopyTest, ViewAndDescribeShowTheZonedTypes) {
    Exec("CREATE VIEW v AS SELECT a, b, c, CAST(b AS TIMESTAMP(1) WITH LOCAL TIME ZONE) d FROM tz");
    EXPECT_EQ(Types("V"),
              "A,TIMESTAMP(3) WITH TIME ZONE|B,TIMESTAMP(6) WITH LOCAL TIME ZONE|C,TIMESTAMP(2) WITH LOCAL "
              "TIME ZONE|D,TIMESTAMP(1) WITH LOCAL TIME ZONE");
    Exec("CREATE TABLE t1 AS SELECT * FROM v");
    for (const char* source : {"SELECT a, b, c FROM t1", "SELECT a, b, c FROM v"}) {
        CEngineResult result;
        ASSERT_TRUE(m_connection->Query(source, m_binds, result)) << source;
        ASSERT_EQ(result.Columns().size(), 3u);
        const int types[] = {servertype::kTimestampTz, servertype::kTimestampLtz, servertype::kTimestampLtz};
        const int digits[] = {3, 6, 2};
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(result.Columns()[k].serverType, types[k]) << source << " " << k;
            EXPECT_EQ(result.Columns()[k].scale, digits[k]) << source << " " << k;
        }
    }
}

}  // namespace
