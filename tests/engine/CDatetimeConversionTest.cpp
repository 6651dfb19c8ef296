// The conversion functions of datetime values as the SQL Language Reference
// gives them: TO_CHAR's FF writes the digits of its value's type in PL/SQL
// as in SQL (a DATE has none: ORA-01821), TO_TIMESTAMP_TZ takes an NLS
// parameter, each conversion function takes as many arguments as the
// server's (ORA-00938 / ORA-00939 otherwise), TO_DSINTERVAL and
// TO_YMINTERVAL read ISO 8601 durations besides their SQL forms, and
// V$NLS_PARAMETERS shows the database's character sets.
#include <cstring>

#include "tests/engine/EngineFixture.h"

namespace {

class CDatetimeConversionTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+09:00'");
    }
    // The whole answer, or for an error only its code ("ERROR ORA-nnnnn").
    static std::string Shown(const std::string& answer, const char* expected) {
        if (std::strncmp(expected, "ERROR ", 6) != 0) return answer;
        return answer.substr(0, std::strlen(expected));
    }
};

TEST_F(CDatetimeConversionTest, PlsqlFfWritesTheDigitsOfTheValuesType) {
    Exec(
        "CREATE FUNCTION stamp3 RETURN TIMESTAMP IS BEGIN RETURN TIMESTAMP '2020-01-02 03:04:05.123456'; "
        "END;");
    const BlockCase cases[] = {
        {"BEGIN dbms_output.put_line(length(to_char(SYSTIMESTAMP, 'FF'))); END;", "6"},
        {"BEGIN dbms_output.put_line(length(to_char(CURRENT_TIMESTAMP, 'FF')) || "
         "length(to_char(LOCALTIMESTAMP, 'ff'))); END;",
         "66"},
        {"DECLARE t TIMESTAMP(3) WITH TIME ZONE := TIMESTAMP '2020-01-02 03:04:05.123456 +02:00'; "
         "BEGIN dbms_output.put_line(to_char(t, 'SS.FF TZH:TZM')); END;",
         "05.123 +02:00"},
        {"DECLARE l TIMESTAMP(2) WITH LOCAL TIME ZONE := TIMESTAMP '2020-01-02 03:04:05.5'; "
         "BEGIN dbms_output.put_line(to_char(l, 'SS.FF')); END;",
         "05.50"},
        // A record's fields keep their own types.
        {"DECLARE TYPE r IS RECORD (d DATE, t TIMESTAMP(2)); v r; BEGIN v.t := TIMESTAMP '2020-01-02 "
         "03:04:05.5'; v.d := DATE '2020-01-02'; dbms_output.put_line(to_char(v.t, 'FF') || to_char(v.d, "
         "'DD')); "
         "END;",
         "5002"},
        {"DECLARE TYPE r IS RECORD (d DATE, t TIMESTAMP(2)); v r; BEGIN v.d := DATE '2020-01-02'; "
         "dbms_output.put_line(to_char(v.d, 'FF')); END;",
         "ERROR ORA-01821"},
        // A function's TIMESTAMP keeps six digits.
        {"BEGIN dbms_output.put_line(to_char(stamp3, 'FF')); END;", "123456"},
        // FFn and quoted text stay the model's own.
        {"DECLARE d DATE := DATE '2020-01-02'; BEGIN dbms_output.put_line(to_char(d, '\"FF\" DD')); END;",
         "FF 02"},
        {"DECLARE t TIMESTAMP(3) := TIMESTAMP '2020-01-02 03:04:05.123'; "
         "BEGIN dbms_output.put_line(to_char(t, 'FF5')); END;",
         "12300"},
        // A DATE holds no fraction of a second: ORA-01821 when the call runs.
        {"DECLARE d DATE := SYSDATE; BEGIN dbms_output.put_line(to_char(d, 'HH24:MI:SS.FF')); END;",
         "ERROR ORA-01821"},
        {"BEGIN dbms_output.put_line(to_char(SYSDATE, 'SS.FF3')); END;", "ERROR ORA-01821"},
        {"DECLARE d DATE := SYSDATE; BEGIN dbms_output.put_line(to_char(d, 'FF')); "
         "EXCEPTION WHEN OTHERS THEN dbms_output.put_line(SQLCODE); END;",
         "-1821"},
    };
    for (const BlockCase& c : cases) {
        std::string answer = OutputOf(c.block);
        if (std::strstr(c.answer, "ERROR ") != nullptr) answer = answer.substr(0, std::strlen(c.answer));
        EXPECT_EQ(answer, c.answer) << c.block;
    }
}

TEST_F(CDatetimeConversionTest, ToTimestampTzTakesAnNlsParameter) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR(TO_TIMESTAMP_TZ('2021-02-04 13:20:22 +09:00', 'YYYY-MM-DD HH24:MI:SS TZH:TZM', "
         "'NLS_DATE_LANGUAGE=AMERICAN'), 'YYYY-MM-DD HH24:MI:SS TZH:TZM') FROM dual",
         "2021-02-04 13:20:22 +09:00"},
        // The language named reads the month's name.
        {"SELECT TO_CHAR(TO_TIMESTAMP_TZ('04-FEB-2021 01:02:03 -05:00', 'DD-MON-YYYY HH24:MI:SS TZH:TZM', "
         "'NLS_DATE_LANGUAGE = AMERICAN'), 'YYYY-MM-DD TZH:TZM') FROM dual",
         "2021-02-04 -05:00"},
        {"SELECT TO_TIMESTAMP_TZ('2021-02-04 +09:00', 'YYYY-MM-DD TZH:TZM', 'NLS_NUMERIC_CHARACTERS=''.,''') "
         "FROM dual",
         "ERROR ORA-12702"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Shown(Rows(c.sql), c.answer), c.answer) << c.sql;
    EXPECT_EQ(
        OutputOf("BEGIN dbms_output.put_line(to_char(TO_TIMESTAMP_TZ('04-FEB-2021 +01:00', 'DD-MON-YYYY "
                 "TZH:TZM', 'NLS_DATE_LANGUAGE=AMERICAN'), 'MM TZH')); END;"),
        "02 +01");
}

// Fewer arguments than a function takes: ORA-00938; more: ORA-00939. No
// message names a function the user did not call.
TEST_F(CDatetimeConversionTest, ConversionFunctionsTakeTheServersArgumentCounts) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR() FROM dual", "ERROR ORA-00938"},
        {"SELECT TO_CHAR(1, '9', 'NLS_NUMERIC_CHARACTERS=''.,''', 'x') FROM dual", "ERROR ORA-00939"},
        {"SELECT TO_DATE() FROM dual", "ERROR ORA-00938"},
        {"SELECT TO_DATE('2021', 'YYYY', 'NLS_DATE_LANGUAGE=AMERICAN', 1) FROM dual", "ERROR ORA-00939"},
        {"SELECT TO_TIMESTAMP('2021', 'YYYY', 'NLS_DATE_LANGUAGE=AMERICAN', 1) FROM dual", "ERROR ORA-00939"},
        {"SELECT TO_TIMESTAMP_TZ('2021', 'YYYY', 'NLS_DATE_LANGUAGE=AMERICAN', 1) FROM dual",
         "ERROR ORA-00939"},
        {"SELECT TO_NUMBER() FROM dual", "ERROR ORA-00938"},
        {"SELECT TO_YMINTERVAL('1-2', 'x') FROM dual", "ERROR ORA-00939"},
        {"SELECT TO_DSINTERVAL() FROM dual", "ERROR ORA-00938"},
        {"SELECT TO_DSINTERVAL('1 00:00:00', 'x', 'y') FROM dual", "ERROR ORA-00939"},
        {"SELECT NUMTODSINTERVAL(1) FROM dual", "ERROR ORA-00938"},
        {"SELECT NUMTOYMINTERVAL(1, 'YEAR', 2) FROM dual", "ERROR ORA-00939"},
        {"SELECT TO_BINARY_DOUBLE('1', '9', 'x', 'y') FROM dual", "ERROR ORA-00939"},
        // TO_DSINTERVAL still takes an NLS parameter, which changes nothing.
        {"SELECT TO_DSINTERVAL('1 02:00:00', 'NLS_DATE_LANGUAGE=AMERICAN') FROM dual",
         "+000000001 02:00:00.000000000"},
    };
    for (const SqlCase& c : cases) {
        std::string answer = Rows(c.sql);
        EXPECT_EQ(Shown(answer, c.answer), c.answer) << c.sql;
        EXPECT_EQ(answer.find("ORA_"), std::string::npos) << answer;
    }
    std::string error = OutputOf("BEGIN dbms_output.put_line(TO_YMINTERVAL('1-2', 'x')); END;");
    EXPECT_NE(error.find("ORA-00939"), std::string::npos) << error;
    EXPECT_EQ(error.find("ORA_"), std::string::npos) << error;
}

TEST_F(CDatetimeConversionTest, IntervalsReadIsoDurations) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR(TIMESTAMP '2009-01-01 00:00:00' + TO_DSINTERVAL('P100DT05H'), 'YYYY-MM-DD "
         "HH24:MI:SS') "
         "FROM dual",
         "2009-04-11 05:00:00"},
        {"SELECT TO_DSINTERVAL('P1DT2H3M4S') FROM dual", "+000000001 02:03:04.000000000"},
        {"SELECT TO_DSINTERVAL('PT12H') FROM dual", "+000000000 12:00:00.000000000"},
        {"SELECT TO_DSINTERVAL('PT1.5S') FROM dual", "+000000000 00:00:01.500000000"},
        {"SELECT TO_DSINTERVAL('-P135DT08H35M47.123456789S') FROM dual", "-000000135 08:35:47.123456789"},
        // Hours, minutes and seconds carry into days.
        {"SELECT TO_DSINTERVAL('PT36H90M') FROM dual", "+000000001 13:30:00.000000000"},
        {"SELECT TO_DSINTERVAL('P2D') FROM dual", "+000000002 00:00:00.000000000"},
        {"SELECT TO_YMINTERVAL('P1Y2M') FROM dual", "+000000001-02"},
        {"SELECT TO_YMINTERVAL('P-1Y') FROM dual", "-000000001-00"},
        // Months carry into years; days and the time are passed over.
        {"SELECT TO_YMINTERVAL('P1Y14M3DT4H') FROM dual", "+000000002-02"},
        {"SELECT TO_YMINTERVAL('P6M') FROM dual", "+000000000-06"},
        {"SELECT TO_CHAR(DATE '2008-04-15' + TO_YMINTERVAL('P1Y6M'), 'YYYY-MM-DD') FROM dual", "2009-10-15"},
        // No blanks, at least one field, a time's field after T, fields in order.
        {"SELECT TO_DSINTERVAL('P1D T2H') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('P') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('P1DT') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('PT2M1H') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('P1.5D') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('PT1.1234567891S') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('P1000000000D') FROM dual", "ERROR ORA-01867"},
        // A DAY TO SECOND value has no years or months.
        {"SELECT TO_DSINTERVAL('P1Y') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_DSINTERVAL('P1M') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_YMINTERVAL('P1X') FROM dual", "ERROR ORA-01867"},
        {"SELECT TO_YMINTERVAL('P999999999Y12M') FROM dual", "ERROR ORA-01873"},
        // The SQL forms' fields out of range name the field.
        {"SELECT TO_DSINTERVAL('1 24:00:00') FROM dual", "ERROR ORA-01850"},
        {"SELECT TO_DSINTERVAL('1 23:60:00') FROM dual", "ERROR ORA-01851"},
        {"SELECT TO_DSINTERVAL('1 23:59:60') FROM dual", "ERROR ORA-01852"},
        {"SELECT TO_YMINTERVAL('1-12') FROM dual", "ERROR ORA-01843"},
        {"SELECT TO_DSINTERVAL('P1 D' DEFAULT 'PT2H' ON CONVERSION ERROR) FROM dual",
         "+000000000 02:00:00.000000000"},
        {"SELECT TO_YMINTERVAL('1x-02' DEFAULT 'P3M' ON CONVERSION ERROR) FROM dual", "+000000000-03"},
        {"SELECT VALIDATE_CONVERSION('P1Y2M' AS INTERVAL YEAR TO MONTH), "
         "VALIDATE_CONVERSION('PT' AS INTERVAL DAY TO SECOND) FROM dual",
         "1,0"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Shown(Rows(c.sql), c.answer), c.answer) << c.sql;
    EXPECT_EQ(OutputOf("DECLARE d INTERVAL DAY TO SECOND := TO_DSINTERVAL('P1DT2H'); BEGIN "
                       "dbms_output.put_line(d || ' ' || TO_YMINTERVAL('-P3Y')); END;"),
              "+01 02:00:00.000000 -000000003-00");
    std::string error = OutputOf("BEGIN dbms_output.put_line(TO_DSINTERVAL('PT')); END;");
    EXPECT_EQ(error.substr(0, 15), "ERROR ORA-01867") << error;
}

// FX reads the text exactly as the model has it: each number with its
// element's digits (FM lets them be fewer), the model's own separators.
TEST_F(CDatetimeConversionTest, ModelsWriteErasAndReadExactly) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR(TO_DATE('2024-08-06', 'FXYYYY-MM-DD'), 'YYYYMMDD') FROM dual", "20240806"},
        {"SELECT TO_DATE('2024-8-06', 'FXYYYY-MM-DD') FROM dual", "ERROR ORA-01862"},
        {"SELECT TO_DATE('24-08-06', 'FXYYYY-MM-DD') FROM dual", "ERROR ORA-01862"},
        {"SELECT TO_DATE('2024/08/06', 'FXYYYY-MM-DD') FROM dual", "ERROR ORA-01861"},
        {"SELECT TO_CHAR(TO_DATE('2024-8-6', 'FXFMYYYY-MM-DD'), 'YYYYMMDD') FROM dual", "20240806"},
        // Without FX a number may be shorter and any separator stands for another.
        {"SELECT TO_CHAR(TO_DATE('2024/8/6', 'YYYY-MM-DD'), 'YYYYMMDD') FROM dual", "20240806"},
        {"SELECT TO_CHAR(DATE '2024-08-06', 'FXYYYY') FROM dual", "2024"},
        {"SELECT TO_CHAR(DATE '2024-08-06', 'AD YYYY', 'NLS_DATE_LANGUAGE=AMERICAN'), "
         "TO_CHAR(DATE '2024-08-06', 'B.C.', 'NLS_DATE_LANGUAGE=AMERICAN') FROM dual",
         "AD 2024,A.D."},
        // SYEAR rounds as YEAR does: up from July 1st.
        {"SELECT TO_CHAR(TRUNC(DATE '2024-08-16', 'SYEAR'), 'YYYY-MM-DD'), "
         "TO_CHAR(ROUND(DATE '2024-07-01', 'SYEAR'), 'YYYY-MM-DD') FROM dual",
         "2024-01-01,2025-01-01"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Shown(Rows(c.sql), c.answer), c.answer) << c.sql;
    EXPECT_EQ(OutputOf("BEGIN dbms_output.put_line(SESSIONTIMEZONE || ' ' || DBTIMEZONE); END;"),
              "+09:00 +00:00");
}

TEST_F(CDatetimeConversionTest, NlsParametersShowTheDatabasesCharacterSets) {
    EXPECT_EQ(Rows("SELECT parameter, value FROM v$nls_parameters WHERE parameter LIKE '%CHARACTERSET' "
                   "ORDER BY 1"),
              "NLS_CHARACTERSET,AL32UTF8|NLS_NCHAR_CHARACTERSET,AL16UTF16");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM v$nls_parameters n JOIN database_properties p "
                   "ON p.property_name = n.parameter AND p.property_value = n.value "
                   "WHERE n.parameter LIKE '%CHARACTERSET'"),
              "2");
    // The session's parameters have no character set.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM nls_session_parameters WHERE parameter LIKE '%CHARACTERSET'"), "0");
}

}  // namespace
