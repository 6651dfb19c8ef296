// Conversions that fall back on a value of the statement's (DEFAULT value
// ON CONVERSION ERROR), VALIDATE_CONVERSION, and CAST with a format model,
// answered by the reference's rules: when the value does not convert, the
// DEFAULT value is converted in its place by the same model; an error that
// is no conversion error (a model that cannot be, a bad NLS parameter) is
// raised; NULL converts to NULL.
#include "tests/engine/EngineFixture.h"

namespace {

class CConversionErrorTest : public EngineFixture {};

struct Case {
    const char* expression;
    const char* answer;
};

std::string Selected(const std::string& expression) { return "SELECT " + expression + " FROM DUAL"; }

constexpr Case kNumbers[] = {
    // Without a model a group separator is no part of a number.
    {"TO_NUMBER('1,234' DEFAULT 0 ON CONVERSION ERROR)", "0"},
    {"TO_NUMBER('1,234' DEFAULT 0 ON CONVERSION ERROR, '9,999')", "1234"},
    {"TO_NUMBER('2,00' DEFAULT 0 ON CONVERSION ERROR)", "0"},
    {"TO_NUMBER('x' DEFAULT -1 ON CONVERSION ERROR)", "-1"},
    {"TO_NUMBER(' 12.5 ' DEFAULT -1 ON CONVERSION ERROR)", "12.5"},
    {"TO_NUMBER(NULL DEFAULT 1 ON CONVERSION ERROR)", "-"},
    {"TO_NUMBER('x' DEFAULT NULL ON CONVERSION ERROR)", "-"},
    // The default is converted as the value would have been: its text by the model.
    {"TO_NUMBER('x' DEFAULT '7' ON CONVERSION ERROR)", "7"},
    {"TO_NUMBER('x' DEFAULT '1,000' ON CONVERSION ERROR, '9,999')", "1000"},
    {"TO_NUMBER('1.234,5' DEFAULT 0 ON CONVERSION ERROR, '9G999D9', 'NLS_NUMERIC_CHARACTERS = '',.''')",
     "1234.5"},
    {"TO_NUMBER('1.234,5' DEFAULT 0 ON CONVERSION ERROR, '9G999D9')", "0"},
    {"TO_BINARY_DOUBLE('abc' DEFAULT 2.5 ON CONVERSION ERROR) * 2", "5.0E+000"},
    {"TO_BINARY_FLOAT('1,5' DEFAULT '0' ON CONVERSION ERROR, '9D9', 'NLS_NUMERIC_CHARACTERS = '',.''')",
     "1.5E+000"},
    {"CAST('x' AS NUMBER DEFAULT 0 ON CONVERSION ERROR)", "0"},
    {"CAST('12.345' AS NUMBER(5, 2) DEFAULT 0 ON CONVERSION ERROR)", "12.35"},
    {"CAST('1,234' AS NUMBER DEFAULT 0 ON CONVERSION ERROR, '9,999')", "1234"},
    {"CAST('abc' AS BINARY_DOUBLE DEFAULT 0.5 ON CONVERSION ERROR)", "5.0E-001"},
};

TEST_F(CConversionErrorTest, NumbersFallBackOnTheDefault) {
    for (const Case& c : kNumbers) EXPECT_EQ(Rows(Selected(c.expression)), c.answer) << c.expression;
}

constexpr Case kDates[] = {
    {"TO_DATE('2024-02-30' DEFAULT '2000-01-01' ON CONVERSION ERROR, 'YYYY-MM-DD')", "2000-01-01 00:00:00"},
    {"TO_DATE('2024-13-01' DEFAULT '2000-01-01' ON CONVERSION ERROR, 'YYYY-MM-DD')", "2000-01-01 00:00:00"},
    {"TO_DATE('2024-02-29' DEFAULT '2000-01-01' ON CONVERSION ERROR, 'YYYY-MM-DD')", "2024-02-29 00:00:00"},
    {"TO_DATE('hello' DEFAULT NULL ON CONVERSION ERROR, 'YYYY-MM-DD')", "-"},
    // Without a model the session's NLS_DATE_FORMAT (RR-MM-DD) reads both.
    {"TO_DATE('x' DEFAULT '99-12-31' ON CONVERSION ERROR)", "1999-12-31 00:00:00"},
    {"TO_TIMESTAMP('2024-01-05 25:00:00' DEFAULT '2024-01-05 23:59:59' ON CONVERSION ERROR, "
     "'YYYY-MM-DD HH24:MI:SS')",
     "2024-01-05 23:59:59"},
    {"CAST('2024-02-30' AS DATE DEFAULT '2024-02-29' ON CONVERSION ERROR, 'YYYY-MM-DD')",
     "2024-02-29 00:00:00"},
    // The reference's example: a text that does not fit the model.
    {"CAST('January 15, 1989, 11:00 A.M.' AS DATE DEFAULT NULL ON CONVERSION ERROR, 'Month dd, YYYY, HH:MI "
     "A.M.', 'NLS_DATE_LANGUAGE = American')",
     "1989-01-15 11:00:00"},
    {"CAST('February 30, 1989, 11:00 A.M.' AS DATE DEFAULT NULL ON CONVERSION ERROR, 'Month dd, YYYY, HH:MI "
     "A.M.', 'NLS_DATE_LANGUAGE = American')",
     "-"},
};

TEST_F(CConversionErrorTest, DatesFallBackOnTheDefault) {
    for (const Case& c : kDates)
        EXPECT_EQ(Rows(Selected(std::string("TO_CHAR(") + c.expression + ", 'YYYY-MM-DD HH24:MI:SS')")),
                  c.answer)
            << c.expression;
}

TEST_F(CConversionErrorTest, ZonesAndIntervalsFallBackOnTheDefault) {
    EXPECT_EQ(
        Rows(Selected("TO_CHAR(TO_TIMESTAMP_TZ('1999-12-01 11:00:00 -8:70' DEFAULT '2000-01-01 01:00:00 "
                      "-8:00' ON CONVERSION ERROR, 'YYYY-MM-DD HH:MI:SS TZH:TZM'), 'YYYY-MM-DD HH24:MI "
                      "TZH:TZM')")),
        "2000-01-01 01:00 -08:00");
    EXPECT_EQ(
        Rows(Selected("TO_CHAR(CAST('x' AS TIMESTAMP WITH TIME ZONE DEFAULT '1999-12-01 11:00:00 -8:00' "
                      "ON CONVERSION ERROR, 'YYYY-MM-DD HH:MI:SS TZH:TZM'), 'YYYY-MM-DD HH24:MI:SS "
                      "TZH:TZM')")),
        "1999-12-01 11:00:00 -08:00");
    EXPECT_EQ(Rows(Selected("EXTRACT(HOUR FROM TO_DSINTERVAL('1 25:00:00' DEFAULT '1 02:00:00' ON CONVERSION "
                            "ERROR))")),
              "2");
    EXPECT_EQ(Rows(Selected("EXTRACT(MONTH FROM TO_YMINTERVAL('1-x' DEFAULT '2-3' ON CONVERSION ERROR))")),
              "3");
    EXPECT_EQ(Rows(Selected("EXTRACT(MINUTE FROM CAST('x' AS INTERVAL DAY TO SECOND DEFAULT '0 01:30:00' ON "
                            "CONVERSION ERROR))")),
              "30");
}

struct Refusal {
    const char* expression;
    const char* code;
};

constexpr Refusal kRaised[] = {
    // The default converted in its turn fails as itself.
    {"TO_NUMBER('x' DEFAULT 'y' ON CONVERSION ERROR)", "ORA-01722"},
    // A model that is none, and an NLS parameter of no use, are no conversion errors.
    {"TO_NUMBER('1' DEFAULT 0 ON CONVERSION ERROR, 'abc')", "ORA-01481"},
    {"TO_DATE('2024' DEFAULT NULL ON CONVERSION ERROR, 'KKKK')", "ORA-01821"},
    {"TO_NUMBER('1' DEFAULT 0 ON CONVERSION ERROR, '9', 'NLS_CURRENCY = ''$''')", "ORA-12702"},
    // A value too long for its type is no conversion error.
    {"CAST('123' AS NUMBER(2) DEFAULT 0 ON CONVERSION ERROR)", "ORA-01438"},
    // The default is a literal or a bind variable.
    {"TO_NUMBER('x' DEFAULT 1 + 1 ON CONVERSION ERROR)", "ORA-43907"},
    {"TO_NUMBER('x' DEFAULT SYSDATE ON CONVERSION ERROR)", "ORA-43907"},
    // Only a number, a date or an interval is converted with a default.
    {"CAST(1 AS VARCHAR2(5) DEFAULT 'x' ON CONVERSION ERROR)", "ORA-43928"},
};

TEST_F(CConversionErrorTest, OtherErrorsAreRaised) {
    for (const Refusal& c : kRaised)
        EXPECT_EQ(Failure(Selected(c.expression)).substr(0, 9), c.code) << c.expression;
    EXPECT_EQ(Failure(Selected("TO_DATE('x' DEFAULT 'y' ON CONVERSION ERROR, 'YYYY-MM-DD')")),
              Failure(Selected("TO_DATE('y', 'YYYY-MM-DD')")));
    // Without a default the same conversions fail as they always have.
    EXPECT_EQ(Failure(Selected("TO_NUMBER('1,234')")).substr(0, 9), "ORA-01722");
    EXPECT_EQ(Failure(Selected("TO_DATE('2024-02-30', 'YYYY-MM-DD')")).substr(0, 9), "ORA-01839");
}

TEST_F(CConversionErrorTest, EachRowConvertsOrFallsBack) {
    Exec("CREATE TABLE T (ID NUMBER, V VARCHAR2(20), F VARCHAR2(20))");
    for (const char* row : {"1, '10', '99'", "2, 'ten', '99'", "3, NULL, '99'", "4, '1,000', '9,999'"})
        Exec(std::string("INSERT INTO T VALUES (") + row + ")");
    EXPECT_EQ(Rows("SELECT ID, TO_NUMBER(V DEFAULT -1 ON CONVERSION ERROR) FROM T ORDER BY ID"),
              "1,10|2,-1|3,-|4,-1");
    // The model may be a column of the row.
    EXPECT_EQ(Rows("SELECT ID, TO_NUMBER(V DEFAULT -1 ON CONVERSION ERROR, F) FROM T ORDER BY ID"),
              "1,10|2,-1|3,-|4,1000");
    EXPECT_EQ(Rows("SELECT ID FROM T WHERE VALIDATE_CONVERSION(V AS NUMBER) = 0 ORDER BY ID"), "2|4");
    EXPECT_EQ(Rows("SELECT SUM(TO_NUMBER(V DEFAULT 0 ON CONVERSION ERROR)) FROM T"), "10");
    // A column of the default's type is described before any row is read.
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query(
        "SELECT TO_NUMBER(V DEFAULT 0 ON CONVERSION ERROR), TO_DATE(V DEFAULT NULL ON CONVERSION ERROR), "
        "TO_TIMESTAMP(V DEFAULT NULL ON CONVERSION ERROR), TO_BINARY_DOUBLE(V DEFAULT 0 ON CONVERSION "
        "ERROR), "
        "TO_DSINTERVAL(V DEFAULT NULL ON CONVERSION ERROR), VALIDATE_CONVERSION(V AS DATE) FROM T WHERE 1 = "
        "0",
        m_binds, result));
    ASSERT_EQ(result.Columns().size(), 6u);
    EXPECT_EQ(result.Columns()[0].serverType, servertype::kNumber);
    EXPECT_EQ(result.Columns()[1].serverType, servertype::kDate);
    EXPECT_EQ(result.Columns()[2].serverType, servertype::kTimestamp);
    EXPECT_EQ(result.Columns()[3].serverType, servertype::kBinaryDouble);
    // Note: as the same call without a default is.
    CEngineResult plain;
    ASSERT_TRUE(m_connection->Query("SELECT TO_DSINTERVAL(V) FROM T WHERE 1 = 0", m_binds, plain));
    EXPECT_EQ(result.Columns()[4].serverType, plain.Columns()[0].serverType);
    EXPECT_EQ(result.Columns()[5].serverType, servertype::kNumber);
}

constexpr Case kValidated[] = {
    // The reference's examples.
    {"VALIDATE_CONVERSION(1000 AS BINARY_DOUBLE)", "1"},
    {"VALIDATE_CONVERSION('1234.56' AS BINARY_FLOAT)", "1"},
    {"VALIDATE_CONVERSION('July 20, 1969, 20:18' AS DATE, 'Month dd, YYYY, HH24:MI', "
     "'NLS_DATE_LANGUAGE = American')",
     "1"},
    {"VALIDATE_CONVERSION('200 00:00:00' AS INTERVAL DAY TO SECOND)", "1"},
    {"VALIDATE_CONVERSION('1-2' AS INTERVAL YEAR TO MONTH)", "1"},
    {"VALIDATE_CONVERSION('29-Jan-02 17:24:00' AS TIMESTAMP, 'DD-MON-RR HH24:MI:SS', "
     "'NLS_DATE_LANGUAGE = American')",
     "1"},
    {"VALIDATE_CONVERSION('1999-12-01 11:00:00 -8:00' AS TIMESTAMP WITH TIME ZONE, 'YYYY-MM-DD HH:MI:SS "
     "TZH:TZM')",
     "1"},
    {"VALIDATE_CONVERSION('1999-12-01 11:00:00 -8:00' AS TIMESTAMP WITH LOCAL TIME ZONE, 'YYYY-MM-DD "
     "HH:MI:SS "
     "TZH:TZM')",
     "1"},
    // Values that do not convert.
    {"VALIDATE_CONVERSION('x' AS NUMBER)", "0"},
    {"VALIDATE_CONVERSION('1,234' AS NUMBER)", "0"},
    {"VALIDATE_CONVERSION('1,234' AS NUMBER, '9,999')", "1"},
    {"VALIDATE_CONVERSION('abc' AS BINARY_DOUBLE)", "0"},
    {"VALIDATE_CONVERSION('2024-02-30' AS DATE, 'YYYY-MM-DD')", "0"},
    {"VALIDATE_CONVERSION('2024-02-29' AS DATE, 'YYYY-MM-DD')", "1"},
    {"VALIDATE_CONVERSION('1 25:00:00' AS INTERVAL DAY TO SECOND)", "0"},
    {"VALIDATE_CONVERSION('1-13' AS INTERVAL YEAR TO MONTH)", "0"},
    {"VALIDATE_CONVERSION('99-12-31' AS DATE)", "1"},
    // NULL converts.
    {"VALIDATE_CONVERSION(NULL AS DATE)", "1"},
    {"VALIDATE_CONVERSION(NULL AS NUMBER)", "1"},
};

TEST_F(CConversionErrorTest, ValidateConversionTellsWhetherAValueConverts) {
    for (const Case& c : kValidated) EXPECT_EQ(Rows(Selected(c.expression)), c.answer) << c.expression;
    EXPECT_EQ(Failure(Selected("VALIDATE_CONVERSION('2024' AS DATE, 'KKKK')")).substr(0, 9), "ORA-01821");
    std::string error = Failure(Selected("VALIDATE_CONVERSION('x' AS VARCHAR2(5))"));
    EXPECT_EQ(error.substr(0, 9), "ORA-03001");
    EXPECT_NE(error.find("VARCHAR2"), std::string::npos) << error;
}

TEST_F(CConversionErrorTest, CastReadsTextByAModel) {
    EXPECT_EQ(Rows(Selected("TO_CHAR(CAST('05/01/2024' AS DATE, 'DD/MM/YYYY'), 'YYYY-MM-DD')")),
              "2024-01-05");
    EXPECT_EQ(Rows(Selected("CAST('1,234.5' AS NUMBER(6, 1), '9,999.9')")), "1234.5");
    // A value that is no text converts as it is.
    EXPECT_EQ(Rows(Selected("TO_CHAR(CAST(DATE '2024-01-05' AS TIMESTAMP, 'DD/MM/YYYY'), 'YYYY-MM-DD')")),
              "2024-01-05");
}

TEST_F(CConversionErrorTest, BindsAndBlocksFallBackToo) {
    m_binds.push_back(CEngineBind{"V", "abc", false, servertype::kVarchar2, true});
    m_binds.push_back(CEngineBind{"D", "-5", false, servertype::kVarchar2, true});
    EXPECT_EQ(Rows("SELECT TO_NUMBER(:V DEFAULT :D ON CONVERSION ERROR) FROM DUAL"), "-5");
    m_binds.clear();
    EXPECT_EQ(OutputOf("DECLARE v VARCHAR2(10) := 'x'; n NUMBER; ok NUMBER; BEGIN DBMS_OUTPUT.ENABLE; "
                       "n := TO_NUMBER(v DEFAULT -1 ON CONVERSION ERROR); "
                       "SELECT VALIDATE_CONVERSION(v AS NUMBER) INTO ok FROM DUAL; "
                       "DBMS_OUTPUT.PUT_LINE(n || '/' || ok); END;"),
              "-1/0");
}

}  // namespace
