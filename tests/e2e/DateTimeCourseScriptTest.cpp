// A course's lesson on date and time types, run through the batch runner on
// both roads: the session's date and timestamp formats, a table of DATE,
// TIMESTAMP, INTERVAL and NVARCHAR2 columns described and filled (text into
// a TIMESTAMP read by the session's format), EXTRACT of what each type
// holds, and DESCRIBE of a table that is not there.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class DateTimeCourseScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    DateTimeCourseScript() { m_road = GetParam(); }
};

const char kScript[] =
    "CONNECT course/course\n"
    "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD';\n"
    "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF3';\n"
    "CREATE TABLE shipments (id NUMBER(4), shipped DATE, logged TIMESTAMP(6),\n"
    "  transit INTERVAL DAY(3) TO SECOND(0), warranty INTERVAL YEAR(2) TO MONTH, note NVARCHAR2(10));\n"
    "DESC shipments\n"
    "INSERT INTO shipments VALUES (1, DATE '2024-02-28', TIMESTAMP '2024-02-28 09:15:30.123456',\n"
    "  INTERVAL '2 04:00:00' DAY TO SECOND, INTERVAL '1-6' YEAR TO MONTH, 'express');\n"
    "INSERT INTO shipments VALUES (2, DATE '2024-03-01', '2024-03-01 17:45:00.5',\n"
    "  INTERVAL '10 12:30:00' DAY TO SECOND, INTERVAL '2-0' YEAR TO MONTH, 'ground');\n"
    "SELECT id, shipped, logged, warranty, note FROM shipments ORDER BY id;\n"
    "SELECT id, EXTRACT(YEAR FROM shipped) yr, EXTRACT(HOUR FROM logged) hr,\n"
    "       EXTRACT(DAY FROM transit) days FROM shipments ORDER BY id;\n"
    "SELECT EXTRACT(HOUR FROM shipped) FROM shipments;\n"
    "SELECT parameter, value FROM nls_session_parameters\n"
    " WHERE parameter IN ('NLS_DATE_FORMAT', 'NLS_TIMESTAMP_FORMAT') ORDER BY parameter;\n"
    "DESC no_such_table\n";

TEST_P(DateTimeCourseScript, FormatsTypesAndExtract) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(Console("ID                            NUMBER(4)|"
                                 "SHIPPED                       DATE|"
                                 "LOGGED                        TIMESTAMP(6)|"
                                 "TRANSIT                       INTERVAL DAY(3) TO SECOND(0)|"
                                 "WARRANTY                      INTERVAL YEAR(2) TO MONTH|"
                                 "NOTE                          NVARCHAR2(10)|")),
              std::string::npos)
        << r.out;
    EXPECT_NE(
        r.out.find(Console("ID         SHIPPED    LOGGED                  WARRAN NOTE                 |"
                           "---------- ---------- ----------------------- ------ -------------------- |"
                           "1          2024-02-28 2024-02-28 09:15:30.123 +01-06 express              |"
                           "2          2024-03-01 2024-03-01 17:45:00.500 +02-00 ground               |")),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("ID         YR         HR         DAYS       |"
                                 "---------- ---------- ---------- ---------- |"
                                 "1          2024       9          2          |"
                                 "2          2024       17         10         |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("ORA-30076: 抽出ソースに対する抽出フィールドが無効です。\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("NLS_DATE_FORMAT                YYYY-MM-DD "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("NLS_TIMESTAMP_FORMAT           YYYY-MM-DD HH24:MI:SS.FF3 "), std::string::npos)
        << r.out;
    EXPECT_NE(
        r.out.find(Console("SQL> DESC no_such_table|ORA-04043: オブジェクトNO_SUCH_TABLEは存在しません。")),
        std::string::npos)
        << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, DateTimeCourseScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
