// The session's timestamp formats (NLS_TIMESTAMP_FORMAT and
// NLS_TIMESTAMP_TZ_FORMAT) as the SQL Language Reference gives them: they
// write TIMESTAMP values shown and converted to text without a model, and
// read text converted to TIMESTAMP without one, in SQL and in PL/SQL.
// EXTRACT takes only YEAR, MONTH and DAY from a DATE; the server's other
// types keep their declared shapes in the dictionary and their values.
#include "tests/engine/EngineFixture.h"

namespace {

class CTimestampFormatTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+09:00'");
        Exec("CREATE TABLE ev (id NUMBER, ts TIMESTAMP(3), tz TIMESTAMP WITH TIME ZONE, d DATE)");
        Exec(
            "INSERT INTO ev VALUES (1, TIMESTAMP '2020-01-02 03:04:05.123456', TIMESTAMP '2020-01-02 "
            "03:04:05.5 -05:00', DATE '2020-01-02')");
    }
};

TEST_F(CTimestampFormatTest, DefaultsStandUntilTheSessionSetsAFormat) {
    EXPECT_EQ(Rows("SELECT ts, tz, TO_CHAR(ts) FROM ev"),
              "20-01-02 03:04:05.123,20-01-02 03:04:05.500000 -05:00,20-01-02 03:04:05.123");
    EXPECT_EQ(
        Rows("SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER LIKE 'NLS_TIMESTAMP%' ORDER BY 1"),
        "RR-MM-DD HH24:MI:SSXFF|RR-MM-DD HH24:MI:SSXFF TZR");
}

TEST_F(CTimestampFormatTest, SessionFormatsWriteAndReadTimestamps) {
    Exec("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'DD.MM.YYYY HH24:MI:SS.FF'");
    Exec("ALTER SESSION SET NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI TZH:TZM'");
    const SqlCase cases[] = {
        // FF without digits writes the column's own: 3 for TIMESTAMP(3).
        {"SELECT ts, tz FROM ev", "02.01.2020 03:04:05.123,2020-01-02 03:04 -05:00"},
        {"SELECT TO_CHAR(ts), TO_CHAR(tz) FROM ev", "02.01.2020 03:04:05.123,2020-01-02 03:04 -05:00"},
        // A literal keeps nine digits; a model given still wins.
        {"SELECT TIMESTAMP '2021-03-04 05:06:07.25' FROM dual", "04.03.2021 05:06:07.250000000"},
        {"SELECT TO_CHAR(ts, 'YYYY') FROM ev", "2020"},
        // DATE keeps NLS_DATE_FORMAT.
        {"SELECT d FROM ev", "20-01-02"},
        {"SELECT TO_CHAR(TO_TIMESTAMP('03.04.2021 10:11:12.5'), 'YYYY-MM-DD HH24:MI:SS.FF2') FROM dual",
         "2021-04-03 10:11:12.50"},
        // TO_TIMESTAMP_TZ without a model reads by NLS_TIMESTAMP_TZ_FORMAT.
        {"SELECT TO_CHAR(TO_TIMESTAMP_TZ('2021-04-03 10:11 +09:30'), 'DD HH24:MI TZH:TZM') FROM dual",
         "03 10:11 +09:30"},
        {"SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER = 'NLS_TIMESTAMP_FORMAT'",
         "DD.MM.YYYY HH24:MI:SS.FF"},
        {"SELECT VALUE FROM V$NLS_PARAMETERS WHERE PARAMETER = 'NLS_TIMESTAMP_TZ_FORMAT'",
         "YYYY-MM-DD HH24:MI TZH:TZM"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // Text stored in a TIMESTAMP column is read by the format, rounded to the column's digits.
    Exec("INSERT INTO ev (id, ts) VALUES (2, '04.05.2022 01:02:03.456789')");
    EXPECT_EQ(Rows("SELECT TO_CHAR(ts, 'YYYY-MM-DD HH24:MI:SS.FF3') FROM ev WHERE id = 2"),
              "2022-05-04 01:02:03.457");
    EXPECT_EQ(Rows("SELECT TO_TIMESTAMP('2022/05/04 x') FROM dual").substr(0, 12), "ERROR ORA-01");
    EXPECT_EQ(OutputOf("DECLARE t TIMESTAMP := TIMESTAMP '2020-01-02 03:04:05.25'; BEGIN "
                       "DBMS_OUTPUT.PUT_LINE(t); DBMS_OUTPUT.PUT_LINE(TO_CHAR(t)); END;"),
              "02.01.2020 03:04:05.250000|02.01.2020 03:04:05.250000");
}

// A model's FF without digits writes as many as the value's type holds,
// in SQL and in PL/SQL; FFn and quoted text are the model's own.
TEST_F(CTimestampFormatTest, FfWritesTheDigitsOfTheValuesType) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR(ts, 'SS.FF'), TO_CHAR(ts, 'ss.ff'), TO_CHAR(ts, 'SS.FF5') FROM ev",
         "05.123,05.123,05.12300"},
        {"SELECT TO_CHAR(ts, '\"FF\" FF') FROM ev", "FF 123"},
        {"SELECT TO_CHAR(CAST(ts AS TIMESTAMP(2)), 'FF'), TO_CHAR(tz, 'FF') FROM ev", "12,500000"},
        {"SELECT LENGTH(TO_CHAR(SYSTIMESTAMP, 'FF')) FROM dual", "6"},
        // A literal's type holds nine.
        {"SELECT TO_CHAR(TIMESTAMP '2021-03-04 05:06:07.25', 'FF') FROM dual", "250000000"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // A DATE has no fraction to write.
    EXPECT_EQ(Failure("SELECT TO_CHAR(d, 'HH24:MI:SS.FF') FROM ev").substr(0, 9), "ORA-01821");
    EXPECT_EQ(Failure("SELECT TO_CHAR(SYSDATE, 'SS.FF3') FROM dual").substr(0, 9), "ORA-01821");
    EXPECT_EQ(Rows("SELECT TO_CHAR(d, '\"FF\"') FROM ev"), "FF");
    EXPECT_EQ(OutputOf("DECLARE t TIMESTAMP(3) := TIMESTAMP '2020-01-02 03:04:05.123456'; u TIMESTAMP := t; "
                       "BEGIN DBMS_OUTPUT.PUT_LINE(TO_CHAR(t, 'SS.FF') || ' ' || TO_CHAR(u, 'FF')); END;"),
              "05.123 123000");
}

TEST_F(CTimestampFormatTest, AModelThatIsNotValidIsRefused) {
    EXPECT_EQ(Failure("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-FOO'"),
              "ORA-01821: 日付書式 YYYY-FOO が無効です。");
    EXPECT_EQ(Failure("ALTER SESSION SET NLS_TIMESTAMP_TZ_FORMAT = 5").substr(0, 9), "ORA-00922");
    EXPECT_EQ(Rows("SELECT ts FROM ev"), "20-01-02 03:04:05.123");
}

TEST_F(CTimestampFormatTest, ExtractTakesNoTimeFieldFromADate) {
    struct Case {
        const char* expression;
        const char* result;
    } cases[] = {
        {"EXTRACT(HOUR FROM SYSDATE)", "ORA-30076"},
        {"EXTRACT(MINUTE FROM DATE '2020-01-02')", "ORA-30076"},
        {"EXTRACT(SECOND FROM TO_DATE('2020-01-02', 'YYYY-MM-DD'))", "ORA-30076"},
        {"EXTRACT(TIMEZONE_HOUR FROM SYSDATE)", "ORA-30076"},
        {"EXTRACT(YEAR FROM SYSDATE) - EXTRACT(YEAR FROM SYSDATE)", "0"},
        {"EXTRACT(DAY FROM DATE '2020-01-02')", "2"},
        {"EXTRACT(HOUR FROM TIMESTAMP '2020-01-02 03:04:05')", "3"},
        {"EXTRACT(MINUTE FROM INTERVAL '1 02:03:04' DAY TO SECOND)", "3"},
        {"EXTRACT(HOUR FROM CAST(DATE '2020-01-02' AS TIMESTAMP))", "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM dual").substr(0, 15),
                  std::string(c.result).substr(0, 1) == "O" ? std::string("ERROR ") + c.result : c.result)
            << c.expression;
    EXPECT_EQ(Rows("SELECT EXTRACT(HOUR FROM d) FROM ev").substr(0, 15), "ERROR ORA-30076");
    EXPECT_EQ(Rows("SELECT EXTRACT(SECOND FROM ts) FROM ev"), "5.123");
    EXPECT_NE(OutputOf("DECLARE d DATE := SYSDATE; BEGIN DBMS_OUTPUT.PUT_LINE(EXTRACT(HOUR FROM d)); END;")
                  .find("ORA-30076"),
              std::string::npos);
    EXPECT_EQ(OutputOf("DECLARE t TIMESTAMP := TIMESTAMP '2020-01-02 03:04:05'; BEGIN "
                       "DBMS_OUTPUT.PUT_LINE(EXTRACT(HOUR FROM t)); END;"),
              "3");
}

TEST_F(CTimestampFormatTest, OtherTypesKeepTheirShapesAndValues) {
    Exec(
        "CREATE TABLE o (d INTERVAL DAY(3) TO SECOND(2), ym INTERVAL YEAR TO MONTH, nv NVARCHAR2(4), "
        "nc NCHAR(2), bd BINARY_DOUBLE, r ROWID, fl FLOAT(10), lr LONG RAW)");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, CHAR_LENGTH, "
                   "CHAR_USED FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'O' ORDER BY COLUMN_ID"),
              "D,INTERVAL DAY(3) TO SECOND(2),11,3,2,0,-|YM,INTERVAL YEAR(2) TO MONTH,5,2,0,0,-|"
              "NV,NVARCHAR2,8,-,-,4,C|NC,NCHAR,4,-,-,2,C|BD,BINARY_DOUBLE,8,-,-,0,-|R,ROWID,10,-,-,0,-|"
              "FL,FLOAT,22,10,-,0,-|LR,LONG RAW,0,-,-,0,-");
    Exec(
        "INSERT INTO o (d, ym, nv, nc, bd) VALUES (INTERVAL '123 04:05:06.78' DAY(3) TO SECOND(2), "
        "INTERVAL '2-3' YEAR TO MONTH, 'abcd', 'x', 2.5)");
    EXPECT_EQ(Rows("SELECT ym, nv, nc, bd FROM o"), "+02-03,abcd,x ,2.5E+000");
}

}  // namespace
