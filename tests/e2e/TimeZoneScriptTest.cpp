// A teaching script on time zones, run on the embedded database through the
// batch runner: meetings kept WITH TIME ZONE from offsets and regions,
// listed by their instants, shown in UTC and in the session's zone, and an
// elapsed-time report of timestamp differences.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class TimeZoneScript : public ScriptRun {};

const char kScript[] =
    "CONNECT tz/tz\n"
    "ALTER SESSION SET TIME_ZONE = 'Asia/Tokyo';\n"
    "CREATE TABLE meetings (id NUMBER(3), title VARCHAR2(15), starts TIMESTAMP WITH TIME ZONE);\n"
    "INSERT INTO meetings VALUES (1, 'Tokyo kickoff', TIMESTAMP '2024-03-01 09:00:00 Asia/Tokyo');\n"
    "INSERT INTO meetings VALUES (2, 'London sync', TIMESTAMP '2024-02-29 23:30:00 +00:00');\n"
    "INSERT INTO meetings VALUES (3, 'NY review', FROM_TZ(TIMESTAMP '2024-02-29 18:00:00', "
    "'America/New_York'));\n"
    "DESCRIBE meetings\n"
    "COLUMN starts FORMAT A42\n"
    "SELECT id, title, starts FROM meetings ORDER BY starts;\n"
    "SELECT title, SYS_EXTRACT_UTC(starts) utc, TO_CHAR(starts AT LOCAL, 'MM-DD HH24:MI TZR') tokyo\n"
    "  FROM meetings ORDER BY id;\n"
    "CREATE TABLE job_log (job VARCHAR2(10), started TIMESTAMP WITH TIME ZONE, finished TIMESTAMP WITH TIME "
    "ZONE);\n"
    "INSERT INTO job_log VALUES ('load', SYSTIMESTAMP - INTERVAL '90' MINUTE, SYSTIMESTAMP);\n"
    "INSERT INTO job_log VALUES ('report', TIMESTAMP '2024-03-01 09:00:00 +09:00',\n"
    "  TIMESTAMP '2024-03-01 01:15:30.5 +00:00');\n"
    "SELECT job, finished - started elapsed,\n"
    "       EXTRACT(HOUR FROM (finished - started)) * 60 + EXTRACT(MINUTE FROM (finished - started)) "
    "minutes\n"
    "  FROM job_log ORDER BY job;\n"
    "SET SERVEROUTPUT ON\n"
    "DECLARE\n"
    "  t0 TIMESTAMP WITH TIME ZONE := SYSTIMESTAMP;\n"
    "  el INTERVAL DAY TO SECOND;\n"
    "BEGIN\n"
    "  el := SYSTIMESTAMP - t0;\n"
    "  DBMS_OUTPUT.PUT_LINE(CASE WHEN el < INTERVAL '1' MINUTE THEN 'fast' ELSE 'slow' END);\n"
    "END;\n"
    "/\n"
    "SELECT TIMESTAMP '2024-03-10 02:30:00 America/New_York' FROM dual;\n";

TEST_F(TimeZoneScript, MeetingsAcrossZonesAndAnElapsedTimeReport) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(Console("ID                            NUMBER(3)|"
                                 "TITLE                         VARCHAR2(15)|"
                                 "STARTS                        TIMESTAMP(6) WITH TIME ZONE|")),
              std::string::npos)
        << r.out;
    // 23:00, 23:30 and 00:00 UTC: New York's meeting comes first.
    EXPECT_NE(r.out.find(Console("ID         TITLE           STARTS                                     |"
                                 "---------- --------------- ------------------------------------------ |"
                                 "3          NY review       24-02-29 18:00:00.000000 AMERICA/NEW_YORK  |"
                                 "2          London sync     24-02-29 23:30:00.000000 +00:00            |"
                                 "1          Tokyo kickoff   24-03-01 09:00:00.000000 ASIA/TOKYO        |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("TITLE           UTC                      TOKYO                  |"
                                 "--------------- ------------------------ ---------------------- |"
                                 "Tokyo kickoff   24-03-01 00:00:00.000000 03-01 09:00 ASIA/TOKYO |"
                                 "London sync     24-02-29 23:30:00.000000 03-01 08:30 ASIA/TOKYO |"
                                 "NY review       24-02-29 23:00:00.000000 03-01 08:00 ASIA/TOKYO |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("JOB        ELAPSED                       MINUTES    |"
                                 "---------- ----------------------------- ---------- |"
                                 "load       +000000000 01:30:00.000000000 90         |"
                                 "report     +000000000 01:15:30.500000000 75         |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("fast\n"), std::string::npos) << r.out;
    // The clocks of New York skipped 02:30 that night.
    EXPECT_NE(r.out.find("ORA-01878"), std::string::npos) << r.out;
}

}  // namespace
