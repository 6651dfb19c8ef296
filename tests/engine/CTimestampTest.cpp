// TIMESTAMP(n) columns keep a second's fraction to n digits, INTERVAL
// literals read and show as the server writes them, and a date or timestamp
// moves by an interval as the calendar has it.
#include "engine/sqlite/values/CIntervalLiteral.h"
#include "tests/engine/EngineFixture.h"

namespace {

TEST(CIntervalLiteralTest, ReadsEachFormAndShowsItAsTheServer) {
    struct Case {
        const char* text;
        const char* leading;
        const char* trailing;
        const char* shown;
    } cases[] = {
        {"1", "DAY", "", "+01 00:00:00.000000"},
        {"4 5:12:10.222", "DAY", "SECOND", "+04 05:12:10.222000"},
        {"-1:30", "HOUR", "MINUTE", "-00 01:30:00.000000"},
        {"25", "HOUR", "", "+01 01:00:00.000000"},
        {"30.12345", "SECOND", "", "+00 00:00:30.123450"},
        {"2-6", "YEAR", "MONTH", "+02-06"},
        {"14", "MONTH", "", "+01-02"},
        {"-3", "YEAR", "", "-03-00"},
    };
    for (const Case& c : cases) {
        CIntervalLiteral interval;
        ASSERT_TRUE(interval.Parse(c.text, c.leading, c.trailing)) << c.text;
        EXPECT_EQ(interval.Show(2, 6), c.shown) << c.text;
    }
    CIntervalLiteral interval;
    ASSERT_TRUE(interval.Parse("-1 2:00:00.5", "DAY", "SECOND"));
    EXPECT_EQ(interval.Seconds(), -(86400 + 7200));
    EXPECT_EQ(interval.Nanos(), -500000000);
    struct Bad {
        const char* text;
        const char* leading;
        const char* trailing;
    } bad[] = {{"1-12", "YEAR", "MONTH"},
               {"1:2", "DAY", "HOUR"},
               {"x", "DAY", ""},
               {"1 24", "DAY", "HOUR"},
               {"", "DAY", ""}};
    for (const Bad& b : bad) {
        CIntervalLiteral refused;
        EXPECT_FALSE(refused.Parse(b.text, b.leading, b.trailing)) << b.text;
    }
    CIntervalLiteral mixed;
    EXPECT_FALSE(mixed.Parse("1", "YEAR", "DAY"));
}

class CTimestampTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EV (ID NUMBER, AT TIMESTAMP(3), D DATE, T TIMESTAMP)");
        Exec(
            "INSERT INTO EV VALUES (1, TIMESTAMP '2021-02-04 13:20:22.2456', TIMESTAMP '2021-02-04 "
            "10:00:00.7', TIMESTAMP '2021-12-31 23:59:59.9999996')");
    }
};

// The fraction is rounded to the column's digits (into the next second, or
// the next year), a DATE keeps none.
TEST_F(CTimestampTest, ColumnsKeepTheirDigitsOfASecond) {
    EXPECT_EQ(Rows("SELECT AT, D, T FROM EV"), "21-02-04 13:20:22.246,21-02-04,22-01-01 00:00:00.000000");
    EXPECT_EQ(Rows("SELECT TO_CHAR(D, 'HH24:MI:SS'), TO_CHAR(AT, 'SS.FF6') FROM EV"), "10:00:01,22.246000");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EV WHERE AT < TIMESTAMP '2021-02-04 13:20:22.2461'"), "1");
}

TEST_F(CTimestampTest, DatesMoveByIntervals) {
    EXPECT_EQ(Rows("SELECT D + INTERVAL '1' DAY, D - INTERVAL '2-6' YEAR TO MONTH, "
                   "TO_CHAR(D + INTERVAL '1:30' HOUR TO MINUTE, 'HH24:MI') FROM EV"),
              "21-02-05,18-08-04,11:30");
    EXPECT_EQ(Rows("SELECT AT + INTERVAL '0.5' SECOND, INTERVAL '1' DAY + D FROM EV"),
              "21-02-04 13:20:22.746,21-02-05");
    // A month that lacks the day is an error, as on the server.
    EXPECT_EQ(Failure("SELECT DATE '2021-01-31' + INTERVAL '1' MONTH FROM DUAL").substr(0, 9), "ORA-01839");
    EXPECT_EQ(Failure("SELECT INTERVAL '1-13' YEAR TO MONTH FROM DUAL").substr(0, 9), "ORA-01867");
    EXPECT_EQ(Failure("SELECT 5 + INTERVAL '1' DAY FROM DUAL").substr(0, 9), "ORA-00932");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EV WHERE AT > SYSTIMESTAMP - INTERVAL '100' YEAR(3)"), "1");
    // An interval column moves a timestamp as a literal does: the result
    // is a timestamp of the same digits.
    Exec("CREATE TABLE STEP (DS INTERVAL DAY TO SECOND, YM INTERVAL YEAR TO MONTH)");
    Exec("INSERT INTO STEP VALUES (INTERVAL '1 02:00:00.5' DAY TO SECOND, INTERVAL '1-1' YEAR TO MONTH)");
    EXPECT_EQ(Rows("SELECT AT + DS, YM + AT, D + DS FROM EV, STEP"),
              "21-02-05 15:20:22.746,22-03-04 13:20:22.246,21-02-05");
}

}  // namespace
