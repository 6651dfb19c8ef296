// TIMESTAMP arithmetic and time zones as the SQL Language Reference gives
// them: a difference of timestamps is an INTERVAL DAY TO SECOND, zoned
// values compare and sort by their instants, and each zone function
// answers in the session's zone.
#include "tests/engine/EngineFixture.h"

namespace {

class CZonedTimestampTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+09:00'");
    }
};

TEST_F(CZonedTimestampTest, ArithmeticFollowsTheTypesOfItsOperands) {
    struct Case {
        const char* expression;
        const char* answer;
    } cases[] = {
        {"TIMESTAMP '2020-01-02 10:00:00' - TIMESTAMP '2020-01-01 09:30:00'",
         "+000000001 00:30:00.000000000"},
        {"TIMESTAMP '2020-01-01 09:30:00' - TIMESTAMP '2020-01-02 10:00:00'",
         "-000000001 00:30:00.000000000"},
        {"TIMESTAMP '2020-01-01 00:00:00.25' - TIMESTAMP '2020-01-01 00:00:01'",
         "-000000000 00:00:00.750000000"},
        {"DATE '2020-01-02' - TIMESTAMP '2020-01-01 12:00:00'", "+000000000 12:00:00.000000000"},
        {"CAST(DATE '2020-03-01' AS TIMESTAMP) - DATE '2020-02-28'", "+000000002 00:00:00.000000000"},
        {"DATE '2020-01-02' - DATE '2020-01-01'", "1"},
        {"EXTRACT(DAY FROM (TIMESTAMP '2020-01-03 10:00:00' - TIMESTAMP '2020-01-01 09:30:00'))", "2"},
        {"EXTRACT(MINUTE FROM (TIMESTAMP '2020-01-03 10:00:00' - TIMESTAMP '2020-01-01 09:30:00'))", "30"},
        // With a zone on either side the instants are subtracted.
        {"TIMESTAMP '2020-01-01 10:00:00 +09:00' - TIMESTAMP '2020-01-01 10:00:00 +00:00'",
         "-000000000 09:00:00.000000000"},
        {"TIMESTAMP '2020-01-01 10:00:00 UTC' - TIMESTAMP '2020-01-01 10:00:00'",
         "+000000000 09:00:00.000000000"},
        {"SYSTIMESTAMP - SYSTIMESTAMP", "+000000000 00:00:00.000000000"},
        // TIMESTAMP + number is a DATE; + an interval keeps the TIMESTAMP.
        {"TO_CHAR(TIMESTAMP '2020-01-02 10:00:00' + 1, 'YYYY-MM-DD HH24:MI')", "2020-01-03 10:00"},
        {"TIMESTAMP '2020-01-02 10:00:00' + NUMTODSINTERVAL(36, 'HOUR')", "20-01-03 22:00:00.000000000"},
        {"TIMESTAMP '2020-01-01 10:00:00 -05:00' + INTERVAL '1' DAY", "20-01-02 10:00:00.000000000 -05:00"},
        {"TIMESTAMP '2020-01-01 10:00:00 +09:00' + (TIMESTAMP '2020-01-02 06:00:00' - TIMESTAMP '2020-01-01 "
         "00:00:00')",
         "20-01-02 16:00:00.000000000 +09:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.answer) << c.expression;
}

TEST_F(CZonedTimestampTest, ZoneFunctionsAnswerAsTheServer) {
    struct Case {
        const char* expression;
        const char* answer;
    } cases[] = {
        {"SYS_EXTRACT_UTC(TIMESTAMP '2020-07-01 12:00:00 America/New_York')", "20-07-01 16:00:00.000000000"},
        {"SYS_EXTRACT_UTC(TIMESTAMP '2020-01-01 12:00:00 America/New_York')", "20-01-01 17:00:00.000000000"},
        {"SYS_EXTRACT_UTC(TIMESTAMP '2020-01-01 12:00:00')", "20-01-01 03:00:00.000000000"},
        {"FROM_TZ(TIMESTAMP '2020-01-01 10:00:00', '+05:30')", "20-01-01 10:00:00.000000000 +05:30"},
        {"FROM_TZ(TIMESTAMP '2020-01-01 10:00:00', 'asia/tokyo')", "20-01-01 10:00:00.000000000 ASIA/TOKYO"},
        {"TIMESTAMP '2020-01-01 10:00:00 +09:00' AT TIME ZONE 'UTC'", "20-01-01 01:00:00.000000000 UTC"},
        {"TIMESTAMP '2020-01-01 10:00:00 UTC' AT LOCAL", "20-01-01 19:00:00.000000000 +09:00"},
        {"TIMESTAMP '2020-01-01 10:00:00 UTC' AT TIME ZONE SESSIONTIMEZONE",
         "20-01-01 19:00:00.000000000 +09:00"},
        {"TIMESTAMP '2020-01-01 10:00:00 +02:00' AT TIME ZONE DBTIMEZONE",
         "20-01-01 08:00:00.000000000 +00:00"},
        {"TZ_OFFSET('+05:30') || ' ' || TZ_OFFSET('Asia/Tokyo')", "+05:30 +09:00"},
        {"SESSIONTIMEZONE || ' ' || DBTIMEZONE", "+09:00 +00:00"},
        {"EXTRACT(TIMEZONE_HOUR FROM TIMESTAMP '2020-01-01 10:00:00 -03:30')", "-3"},
        {"EXTRACT(TIMEZONE_MINUTE FROM TIMESTAMP '2020-01-01 10:00:00 -03:30')", "-30"},
        {"EXTRACT(TIMEZONE_REGION FROM TIMESTAMP '2020-01-01 10:00:00 Europe/Paris')", "EUROPE/PARIS"},
        {"EXTRACT(TIMEZONE_ABBR FROM TIMESTAMP '2020-07-01 10:00:00 Europe/Paris')", "CEST"},
        // The fields of a zoned value are those of its instant in UTC.
        {"EXTRACT(HOUR FROM TIMESTAMP '2020-01-01 10:00:00 +09:00')", "1"},
        {"EXTRACT(SECOND FROM TIMESTAMP '2020-01-01 10:00:07.125')", "7.125"},
        {"EXTRACT(SECOND FROM TIMESTAMP '2020-01-01 10:00:07.5 +09:00')", "7.5"},
        {"TO_CHAR(TIMESTAMP '2020-07-01 10:00:00 America/New_York', 'HH24 TZH:TZM TZR TZD')",
         "10 -04:00 AMERICA/NEW_YORK EDT"},
        {"TO_TIMESTAMP_TZ('2020-03-01 08:00:00 -05:00', 'YYYY-MM-DD HH24:MI:SS TZH:TZM') AT TIME ZONE 'UTC'",
         "20-03-01 13:00:00.000000000 UTC"},
        {"TO_TIMESTAMP_TZ('2020-03-01T08:00:00+01:00', 'YYYY-MM-DD\"T\"HH24:MI:SSTZH:TZM')",
         "20-03-01 08:00:00.000000000 +01:00"},
        {"CASE WHEN TIMESTAMP '2020-01-01 10:00:00 +09:00' = TIMESTAMP '2020-01-01 01:00:00 UTC' THEN 'Y' "
         "ELSE 'N' END",
         "Y"},
        {"CASE WHEN TIMESTAMP '2020-01-01 10:00:00 +09:00' < TIMESTAMP '2020-01-01 02:00:00 +00:00' THEN 'Y' "
         "ELSE 'N' END",
         "Y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.answer) << c.expression;
}

TEST_F(CZonedTimestampTest, BadZonesAreTheServersErrors) {
    struct Case {
        const char* statement;
        const char* code;
    } cases[] = {
        {"SELECT TIMESTAMP '2020-01-01 10:00:00 Mars/Base' FROM DUAL", "ORA-01882"},
        {"SELECT FROM_TZ(TIMESTAMP '2020-01-01 10:00:00', '+16:00') FROM DUAL", "ORA-01874"},
        {"SELECT FROM_TZ(TIMESTAMP '2020-01-01 10:00:00', '+09:60') FROM DUAL", "ORA-01875"},
        {"SELECT TZ_OFFSET('+9') FROM DUAL", "ORA-01857"},
        // 02:30 did not happen in New York on 2021-03-14.
        {"SELECT TIMESTAMP '2021-03-14 02:30:00 America/New_York' FROM DUAL", "ORA-01878"},
        {"SELECT EXTRACT(TIMEZONE_HOUR FROM LOCALTIMESTAMP) FROM DUAL", "ORA-30076"},
        {"ALTER SESSION SET TIME_ZONE = 'Nowhere/Land'", "ORA-01882"},
        {"ALTER SESSION SET TIME_ZONE = '../../etc/passwd'", "ORA-01882"},
    };
    for (const Case& c : cases) EXPECT_EQ(Failure(c.statement).substr(0, 9), c.code) << c.statement;
    EXPECT_EQ(Rows("SELECT SESSIONTIMEZONE FROM DUAL"), "+09:00");
}

TEST_F(CZonedTimestampTest, ZonedColumnsKeepTheirTypeAndSortByInstant) {
    Exec(
        "CREATE TABLE FLIGHTS (ID NUMBER, DEPARTS TIMESTAMP WITH TIME ZONE, SEEN TIMESTAMP(3) WITH LOCAL "
        "TIME ZONE)");
    Exec(
        "INSERT INTO FLIGHTS VALUES (1, TIMESTAMP '2020-01-01 10:00:00 Asia/Tokyo', TIMESTAMP '2020-01-01 "
        "10:00:00')");
    Exec(
        "INSERT INTO FLIGHTS VALUES (2, TIMESTAMP '2020-01-01 02:00:00 +00:00', TIMESTAMP '2020-01-01 "
        "10:00:00 +00:00')");
    Exec("INSERT INTO FLIGHTS VALUES (3, TIMESTAMP '2019-12-31 20:30:00 America/New_York', NULL)");
    EXPECT_EQ(Rows("SELECT DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'FLIGHTS' ORDER BY COLUMN_ID"),
              "NUMBER|TIMESTAMP(6) WITH TIME ZONE|TIMESTAMP(3) WITH LOCAL TIME ZONE");
    // 01:00, 02:00 and 01:30 UTC.
    EXPECT_EQ(Rows("SELECT ID FROM FLIGHTS ORDER BY DEPARTS"), "1|3|2");
    EXPECT_EQ(
        Rows("SELECT ID FROM FLIGHTS WHERE DEPARTS > TIMESTAMP '2020-01-01 10:15:00 +09:00' ORDER BY 1"),
        "2|3");
    EXPECT_EQ(Rows("SELECT DEPARTS FROM FLIGHTS WHERE ID = 3"), "19-12-31 20:30:00.000000 AMERICA/NEW_YORK");
    // Kept in the database's zone, shown in the session's.
    EXPECT_EQ(Rows("SELECT SEEN FROM FLIGHTS ORDER BY ID"), "20-01-01 10:00:00.000|20-01-01 19:00:00.000|-");
    Exec("ALTER SESSION SET TIME_ZONE = 'UTC'");
    EXPECT_EQ(Rows("SELECT TO_CHAR(SEEN, 'HH24:MI') FROM FLIGHTS ORDER BY ID"), "01:00|10:00|-");
    EXPECT_EQ(Rows("SELECT MAX(DEPARTS) - MIN(DEPARTS) FROM FLIGHTS"), "+000000000 01:00:00.000000000");
}

TEST_F(CZonedTimestampTest, TextAndPlainValuesTakeTheirZoneAndDmlKeepsTheLocalZone) {
    Exec("CREATE TABLE EV (ID NUMBER, A TIMESTAMP WITH TIME ZONE, B TIMESTAMP WITH LOCAL TIME ZONE)");
    Exec("INSERT INTO EV VALUES (1, '2020-01-01 10:00:00 +09:00', '2020-01-01 10:00:00')");
    Exec(
        "INSERT INTO EV VALUES (2, '20-01-01 10:00:00.000000 ASIA/TOKYO', TIMESTAMP '2020-01-01 10:00:00 "
        "UTC')");
    Exec("INSERT INTO EV VALUES (3, TO_TIMESTAMP('2020-01-01 10:00:00', 'YYYY-MM-DD HH24:MI:SS'), NULL)");
    EXPECT_EQ(Rows("SELECT A FROM EV ORDER BY ID"),
              "20-01-01 10:00:00.000000 +09:00|20-01-01 10:00:00.000000 ASIA/TOKYO|20-01-01 10:00:00.000000 "
              "+09:00");
    EXPECT_EQ(Rows("SELECT ID FROM EV WHERE A BETWEEN TIMESTAMP '2020-01-01 00:59:00 UTC' AND TIMESTAMP "
                   "'2020-01-01 01:01:00 UTC' ORDER BY ID"),
              "1|2|3");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EV WHERE A IN (TIMESTAMP '2020-01-01 02:00:00 +01:00')"), "3");
    // Read, compared and stored again in the session's zone.
    Exec("UPDATE EV SET B = B + INTERVAL '1' HOUR WHERE B = TIMESTAMP '2020-01-01 10:00:00'");
    EXPECT_EQ(Rows("SELECT B FROM EV ORDER BY ID"), "20-01-01 11:00:00.000000|20-01-01 19:00:00.000000|-");
    EXPECT_EQ(Rows("SELECT CAST(A AS DATE), CAST(A AS TIMESTAMP) FROM EV WHERE ID = 2"),
              "20-01-01,20-01-01 10:00:00.000000");
}

TEST_F(CZonedTimestampTest, BlocksHoldTheDifferenceAsAnInterval) {
    EXPECT_EQ(
        OutputOf("DECLARE\n"
                 "  d INTERVAL DAY TO SECOND;\n"
                 "  e INTERVAL DAY(3) TO SECOND(0);\n"
                 "BEGIN\n"
                 "  SELECT TIMESTAMP '2020-01-03 12:30:00' - TIMESTAMP '2020-01-01 10:00:00' INTO d FROM "
                 "dual;\n"
                 "  DBMS_OUTPUT.PUT_LINE(d);\n"
                 "  DBMS_OUTPUT.PUT_LINE(EXTRACT(HOUR FROM d));\n"
                 "  e := TIMESTAMP '2020-01-01 10:00:05' - TIMESTAMP '2020-01-01 10:00:00';\n"
                 "  DBMS_OUTPUT.PUT_LINE(e);\n"
                 "END;"),
        "+02 02:30:00.000000|2|+000 00:00:05");
}

// AT TIME ZONE and AT LOCAL in a block's expressions answer as in SQL, and
// zoned values of a block compare by their instants.
TEST_F(CZonedTimestampTest, BlocksMoveValuesToAZoneAsSqlDoes) {
    EXPECT_EQ(
        OutputOf(
            "DECLARE\n"
            "  v TIMESTAMP WITH TIME ZONE := TIMESTAMP '2020-01-01 10:00:00 +09:00';\n"
            "  w TIMESTAMP WITH TIME ZONE;\n"
            "  z VARCHAR2(20) := '-05:00';\n"
            "BEGIN\n"
            "  w := v AT TIME ZONE 'UTC';\n"
            "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(w, 'YYYY-MM-DD HH24:MI TZR'));\n"
            "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(v AT TIME ZONE z, 'YYYY-MM-DD HH24:MI TZH:TZM'));\n"
            "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(TIMESTAMP '2020-01-01 01:00:00 UTC' AT LOCAL, 'HH24:MI TZH'));\n"
            "  IF w = v THEN DBMS_OUTPUT.PUT_LINE('same instant'); END IF;\n"
            "  IF w AT TIME ZONE '+01:00' > TIMESTAMP '2020-01-01 09:59:59 +09:00' THEN "
            "DBMS_OUTPUT.PUT_LINE('later'); "
            "END IF;\n"
            "END;"),
        "2020-01-01 01:00 UTC|2019-12-31 20:00 -05:00|10:00 +09|same instant|later");
}

// Every road that compares zoned values uses their instants: two values of
// one instant in different zones are one group, one distinct value, one row
// of a UNION (the value shown is one of theirs).
TEST_F(CZonedTimestampTest, GroupsDistinctUnionsAndPlacesUseTheInstant) {
    Exec("CREATE TABLE Z (ID NUMBER, T TIMESTAMP WITH TIME ZONE)");
    for (const char* row :
         {"1, TIMESTAMP '2020-01-01 10:00:00 +09:00'", "2, TIMESTAMP '2020-01-01 02:00:00 +00:00'",
          "3, TIMESTAMP '2020-01-01 03:00:00 +05:00'", "4, TIMESTAMP '2020-01-01 01:00:00 UTC'"})
        Exec(std::string("INSERT INTO Z VALUES (") + row + ")");
    const SqlCase cases[] = {
        {"SELECT ID FROM Z ORDER BY T, ID", "3|1|4|2"},
        {"SELECT ID, TO_CHAR(T, 'HH24') FROM Z ORDER BY 1", "1,10|2,02|3,03|4,01"},
        {"SELECT ID, T FROM Z ORDER BY 2 DESC, 1",
         "2,20-01-01 02:00:00.000000 +00:00|1,20-01-01 10:00:00.000000 +09:00|"
         "4,20-01-01 01:00:00.000000 UTC|3,20-01-01 03:00:00.000000 +05:00"},
        {"SELECT COUNT(*) FROM Z GROUP BY T ORDER BY 1", "1|1|2"},
        {"SELECT MIN(ID) || ':' || COUNT(*) FROM Z GROUP BY T ORDER BY MIN(T)", "3:1|1:2|2:1"},
        {"SELECT COUNT(*) FROM (SELECT DISTINCT T FROM Z)", "3"},
        {"SELECT COUNT(*) FROM (SELECT DISTINCT T, 'x' X FROM Z)", "3"},
        {"SELECT COUNT(*) FROM (SELECT T FROM Z UNION SELECT T FROM Z WHERE ID = 4)", "3"},
        {"SELECT COUNT(*) FROM (SELECT T FROM Z UNION ALL SELECT T FROM Z)", "8"},
        {"SELECT TO_CHAR(T, 'HH24 TZH') FROM Z WHERE ID <> 4 UNION SELECT TO_CHAR(T, 'HH24 TZH') FROM Z "
         "ORDER BY 1",
         "01 +00|02 +00|03 +05|10 +09"},
        {"SELECT EXTRACT(HOUR FROM T) FROM (SELECT T FROM Z UNION SELECT T FROM Z) ORDER BY T", "22|1|2"},
        {"SELECT ID FROM Z WHERE T = TIMESTAMP '2020-01-01 01:00:00 +00:00' ORDER BY 1", "1|4"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

}  // namespace
