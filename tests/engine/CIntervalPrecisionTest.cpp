// INTERVAL values held to their type's precision: a column, a literal and
// CAST round the fraction of a second to the type's digits, show the
// leading field in the leading precision's digits, and refuse a leading
// field longer than that (ORA-01873).
#include "engine/EngineTypes.h"
#include "tests/engine/EngineFixture.h"

namespace {

class CIntervalPrecisionTest : public EngineFixture {
protected:
    // The value as shown, or the error's code.
    std::string Shown(const std::string& sql) {
        std::string rows = Rows(sql);
        return rows.starts_with("ERROR ") ? rows.substr(6, 9) : rows;
    }
};

TEST_F(CIntervalPrecisionTest, ColumnHoldsItsPrecision) {
    Exec(
        "CREATE TABLE T (D INTERVAL DAY(3) TO SECOND(2), Y INTERVAL YEAR(3) TO MONTH, "
        "S INTERVAL DAY TO SECOND(0), W INTERVAL DAY TO SECOND)");
    const struct {
        const char* column;
        const char* value;
        const char* shown;  // or the error's code
    } cases[] = {
        {"D", "INTERVAL '1 2:3:4.78' DAY TO SECOND", "+001 02:03:04.78"},
        {"D", "INTERVAL '1 2:3:4.785' DAY TO SECOND", "+001 02:03:04.79"},
        {"D", "INTERVAL '1 2:3:4.784' DAY TO SECOND", "+001 02:03:04.78"},
        {"D", "INTERVAL '0 23:59:59.999' DAY TO SECOND", "+001 00:00:00.00"},
        {"D", "INTERVAL '-1 2:3:4.5' DAY TO SECOND", "-001 02:03:04.50"},
        {"D", "INTERVAL '999' DAY(3)", "+999 00:00:00.00"},
        {"D", "INTERVAL '1000' DAY(4)", "ORA-01873"},
        {"D", "TO_DSINTERVAL('2 00:00:00')", "+002 00:00:00.00"},
        {"D", "NUMTODSINTERVAL(1.5, 'DAY')", "+001 12:00:00.00"},
        {"D", "NUMTODSINTERVAL(100, 'HOUR')", "+004 04:00:00.00"},
        {"D", "NUMTODSINTERVAL(1000, 'DAY')", "ORA-01873"},
        {"D", "'3 04:05:06'", "+003 04:05:06.00"},
        {"D", "INTERVAL '5-1' YEAR TO MONTH", "ORA-00932"},
        {"D", "5", "ORA-00932"},
        {"D", "'five days'", "ORA-01867"},
        {"Y", "INTERVAL '5-1' YEAR TO MONTH", "+005-01"},
        {"Y", "INTERVAL '123-11' YEAR(3) TO MONTH", "+123-11"},
        {"Y", "INTERVAL '1000' YEAR(4)", "ORA-01873"},
        {"Y", "NUMTOYMINTERVAL(-14, 'MONTH')", "-001-02"},
        {"Y", "TO_YMINTERVAL('2-3')", "+002-03"},
        {"Y", "INTERVAL '1' DAY", "ORA-00932"},
        {"S", "INTERVAL '1 2:3:4.5' DAY TO SECOND", "+01 02:03:05"},
        {"S", "INTERVAL '1 2:3:4.49' DAY TO SECOND", "+01 02:03:04"},
        {"W", "INTERVAL '99 1:2:3.1234567' DAY TO SECOND(7)", "+99 01:02:03.123457"},
        {"W", "NUMTODSINTERVAL(100, 'DAY')", "ORA-01873"},
    };
    for (const auto& c : cases) {
        Exec("DELETE FROM T");
        std::string failure =
            Failure(std::string("INSERT INTO T (") + c.column + ") VALUES (" + c.value + ")");
        std::string shown =
            failure == "OK" ? Rows(std::string("SELECT ") + c.column + " FROM T") : failure.substr(0, 9);
        EXPECT_EQ(shown, c.shown) << c.column << " " << c.value;
    }
    // An UPDATE and an INSERT from a query are held so too.
    Exec("DELETE FROM T");
    Exec("INSERT INTO T (D) SELECT INTERVAL '7 0:0:0.125' DAY TO SECOND FROM DUAL");
    EXPECT_EQ(Rows("SELECT D FROM T"), "+007 00:00:00.13");
    Exec("UPDATE T SET D = INTERVAL '2 0:0:0.114' DAY TO SECOND, Y = INTERVAL '12' YEAR");
    EXPECT_EQ(Rows("SELECT D, Y FROM T"), "+002 00:00:00.11,+012-00");
    EXPECT_EQ(Failure("UPDATE T SET Y = INTERVAL '1234' YEAR(4)").substr(0, 9), "ORA-01873");
    EXPECT_EQ(Rows("SELECT Y FROM T"), "+012-00");
    // A column's default is held so too.
    Exec(
        "CREATE TABLE DF (ID NUMBER, D INTERVAL DAY(3) TO SECOND(1) DEFAULT INTERVAL '1 0:0:0.25' DAY TO "
        "SECOND, Y INTERVAL YEAR(3) TO MONTH DEFAULT INTERVAL '2-6' YEAR TO MONTH)");
    Exec("INSERT INTO DF (ID) VALUES (1)");
    EXPECT_EQ(Rows("SELECT D, Y FROM DF"), "+001 00:00:00.3,+002-06");
    // A held value still moves a date.
    EXPECT_EQ(Rows("SELECT TO_CHAR(DATE '2020-01-01' + D, 'YYYY-MM-DD') FROM T"), "2020-01-03");
}

TEST_F(CIntervalPrecisionTest, ColumnIsDescribedWithItsPrecision) {
    Exec("CREATE TABLE T (D INTERVAL DAY(3) TO SECOND(2), Y INTERVAL YEAR(4) TO MONTH)");
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT D, Y FROM T", m_binds, result));
    ASSERT_EQ(result.Columns().size(), 2u);
    EXPECT_EQ(result.Columns()[0].serverType, servertype::kIntervalDs);
    EXPECT_EQ(result.Columns()[0].precision, 3);
    EXPECT_EQ(result.Columns()[0].scale, 2);
    EXPECT_EQ(result.Columns()[1].serverType, servertype::kIntervalYm);
    EXPECT_EQ(result.Columns()[1].precision, 4);
}

// The literals of the reference's examples: the leading field has at most
// its precision's digits (2 unless told), a second its fraction's (6
// unless told), rounded.
TEST_F(CIntervalPrecisionTest, LiteralHoldsItsPrecision) {
    const struct {
        const char* literal;
        const char* shown;  // or the error's code
    } cases[] = {
        {"INTERVAL '123-2' YEAR(3) TO MONTH", "+123-02"},
        {"INTERVAL '123' YEAR", "ORA-01873"},
        {"INTERVAL '123' DAY", "ORA-01873"},
        {"INTERVAL '123' DAY(3)", "+123 00:00:00.000000"},
        {"INTERVAL '400 5' DAY(3) TO HOUR", "+400 05:00:00.000000"},
        {"INTERVAL '4 5:12:10.222' DAY TO SECOND(3)", "+04 05:12:10.222"},
        {"INTERVAL '11:12:10.2222222' HOUR TO SECOND(7)", "+00 11:12:10.2222222"},
        {"INTERVAL '30.12345' SECOND(2,4)", "+00 00:00:30.1235"},
        {"INTERVAL '300' MONTH(3)", "+25-00"},
        {"INTERVAL '300' MONTH", "ORA-01873"},
        {"INTERVAL '120' HOUR(3)", "+05 00:00:00.000000"},
        {"INTERVAL '120' HOUR", "ORA-01873"},
        {"INTERVAL '-99' DAY", "-99 00:00:00.000000"},
        {"INTERVAL '1' DAY(10)", "ORA-30088"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(std::string("SELECT ") + c.literal + " FROM DUAL"), c.shown) << c.literal;
    // A literal that moves a date is checked as well.
    EXPECT_EQ(Shown("SELECT DATE '2020-01-01' + INTERVAL '100' DAY FROM DUAL"), "ORA-01873");
    EXPECT_EQ(Shown("SELECT TO_CHAR(DATE '2020-01-01' + INTERVAL '100' DAY(3), 'YYYY-MM-DD') FROM DUAL"),
              "2020-04-10");
}

TEST_F(CIntervalPrecisionTest, CastHoldsTheTypesPrecision) {
    const struct {
        const char* cast;
        const char* shown;  // or the error's code
    } cases[] = {
        {"CAST(INTERVAL '1 2:3:4.789' DAY TO SECOND AS INTERVAL DAY(3) TO SECOND(1))", "+001 02:03:04.8"},
        {"CAST('2-6' AS INTERVAL YEAR TO MONTH)", "+02-06"},
        {"CAST(NUMTOYMINTERVAL(30, 'MONTH') AS INTERVAL YEAR(4) TO MONTH)", "+0002-06"},
        {"CAST(NUMTODSINTERVAL(100, 'DAY') AS INTERVAL DAY TO SECOND)", "ORA-01873"},
        {"CAST(NULL AS INTERVAL DAY TO SECOND)", "-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(std::string("SELECT ") + c.cast + " FROM DUAL"), c.shown) << c.cast;
}

// Intervals add to and subtract from each other, and a number scales one:
// the result is an interval of the widest precision, DAY(9) TO SECOND(9)
// or YEAR(9) TO MONTH; a date or timestamp moved by such a sum keeps its
// type.
TEST_F(CIntervalPrecisionTest, IntervalsAddSubtractAndScale) {
    Exec("CREATE TABLE T (D INTERVAL DAY TO SECOND, Y INTERVAL YEAR TO MONTH, TS TIMESTAMP(3), DT DATE)");
    Exec(
        "INSERT INTO T VALUES (INTERVAL '1 02:03:04.5' DAY TO SECOND, INTERVAL '1-6' YEAR TO MONTH, "
        "TIMESTAMP '2024-01-31 10:00:00', DATE '2024-01-31')");
    const struct {
        const char* expression;
        const char* shown;  // or the error's code
    } cases[] = {
        {"D + INTERVAL '1' HOUR", "+000000001 03:03:04.500000000"},
        {"INTERVAL '1' HOUR + D", "+000000001 03:03:04.500000000"},
        {"D - D", "+000000000 00:00:00.000000000"},
        {"INTERVAL '1' DAY - INTERVAL '36' HOUR", "-000000000 12:00:00.000000000"},
        {"Y + INTERVAL '7' MONTH", "+000000002-01"},
        {"INTERVAL '1' YEAR - INTERVAL '1' MONTH", "+000000000-11"},
        {"D * 2", "+000000002 04:06:09.000000000"},
        {"1.5 * D", "+000000001 15:04:36.750000000"},
        {"D / 3", "+000000000 08:41:01.500000000"},
        {"INTERVAL '1' SECOND / 3", "+000000000 00:00:00.333333333"},
        {"Y * 2", "+000000003-00"},
        {"Y / 4", "+000000000-04"},  // 4.5 months: whole months only
        {"-D", "-000000001 02:03:04.500000000"},
        {"-(Y * 2)", "-000000003-00"},
        {"(TS - TIMESTAMP '2024-01-01 00:00:00') + D", "+000000031 12:03:04.500000000"},
        {"TO_CHAR(TS + (D + INTERVAL '1' HOUR), 'YYYY-MM-DD HH24:MI:SS.FF3')", "2024-02-01 13:03:04.500"},
        {"TO_CHAR(TS - D * 2, 'YYYY-MM-DD HH24:MI:SS')", "2024-01-29 05:53:51"},
        {"TO_CHAR(DT + Y * 2, 'YYYY-MM-DD')", "2027-01-31"},
        {"CASE WHEN D + D > INTERVAL '2' DAY THEN 'longer' END", "longer"},
        // Lengths compare, whatever the precision and the sign.
        {"CASE WHEN INTERVAL '-1' DAY < INTERVAL '0' DAY AND INTERVAL '50' DAY < INTERVAL '100' DAY(3) "
         "AND D < INTERVAL '26:03:05' HOUR TO SECOND AND Y = INTERVAL '18' MONTH THEN 'ordered' END",
         "ordered"},
        {"D + CAST(NULL AS INTERVAL DAY TO SECOND)", "-"},
        {"D + 1", "ORA-00932"},
        {"D + Y", "ORA-00932"},
        {"D / 0", "ORA-01476"},
        {"INTERVAL '999999999' DAY(9) + INTERVAL '1' DAY", "ORA-01873"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(std::string("SELECT ") + c.expression + " FROM T"), c.shown) << c.expression;
    // Rows sort by the intervals' lengths, the negative ones first.
    Exec("DELETE FROM T");
    for (const char* length :
         {"'5 00:00:00'", "'-1 00:00:00.5'", "'0 00:00:01'", "'-1 00:00:00.25'", "'-20 0:0:0'"})
        Exec(std::string("INSERT INTO T (D) VALUES (") + length + ")");
    EXPECT_EQ(Rows("SELECT D FROM T ORDER BY D"),
              "-20 00:00:00.000000|-01 00:00:00.500000|-01 00:00:00.250000|+00 00:00:01.000000|"
              "+05 00:00:00.000000");
    EXPECT_EQ(Rows("SELECT D FROM T ORDER BY D DESC FETCH FIRST 1 ROWS ONLY"), "+05 00:00:00.000000");
    const char* longestFirst =
        "+05 00:00:00.000000|+00 00:00:01.000000|-01 00:00:00.250000|-01 00:00:00.500000|-20 00:00:00.000000";
    EXPECT_EQ(Rows("SELECT D L FROM T ORDER BY 1 DESC"), longestFirst);
    EXPECT_EQ(Rows("SELECT D L FROM (SELECT D FROM T) ORDER BY L DESC"), longestFirst);
    EXPECT_EQ(Rows("SELECT D L FROM T ORDER BY L"), Rows("SELECT D FROM T ORDER BY D"));
    // Aggregates of intervals: least and greatest by length, sums and
    // averages as intervals (an average to the nanosecond), over a window too.
    EXPECT_EQ(Rows("SELECT MIN(D), MAX(D), COUNT(D) FROM T"), "-20 00:00:00.000000,+05 00:00:00.000000,5");
    EXPECT_EQ(Rows("SELECT SUM(D), AVG(D) FROM T"),
              "-000000016 23:59:59.750000000,-000000003 09:35:59.950000000");
    EXPECT_EQ(Rows("SELECT MAX(D) FROM (SELECT D FROM T WHERE D < INTERVAL '0' DAY)"), "-01 00:00:00.250000");
    EXPECT_EQ(
        Rows("SELECT SUM(D) OVER (ORDER BY D ROWS 1 PRECEDING) FROM T ORDER BY D FETCH FIRST 2 ROWS ONLY"),
        "-000000020 00:00:00.000000000|-000000021 00:00:00.500000000");
    Exec("INSERT INTO T VALUES (INTERVAL '1' DAY, INTERVAL '1' YEAR, TIMESTAMP '2024-01-31 10:00:00', NULL)");
    // A timestamp moved by an interval sum is still described as one.
    EXPECT_EQ(Rows("SELECT TS + (D + D) FROM T WHERE Y IS NOT NULL"), "24-02-02 10:00:00.000");
}

}  // namespace
