// TIMESTAMP WITH TIME ZONE in PL/SQL as the PL/SQL and SQL Language
// References give it: a plain TIMESTAMP meeting a zoned one stands in the
// session's time zone (not the machine's), an interval moves a zoned value
// and keeps its zone, and assignment adds or drops a zone by the
// variable's type.
#include <cstdlib>
#include <ctime>

#include "tests/engine/EngineFixture.h"

namespace {

class CPlsqlZonedTimestampTest : public OutputFixture {
protected:
    void SetUp() override {
        // Note: the machine's zone differs from every session zone below.
        const char* zone = std::getenv("TZ");
        m_machineZone = zone != nullptr ? zone : "";
        setenv("TZ", "America/Los_Angeles", 1);
        tzset();
        OutputFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+09:00'");
    }
    void TearDown() override {
        if (m_machineZone.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_machineZone.c_str(), 1);
        tzset();
        OutputFixture::TearDown();
    }
    static std::string Block(const std::string& declarations, const std::string& body) {
        return "DECLARE\n"
               "  z TIMESTAMP WITH TIME ZONE := TIMESTAMP '2020-01-01 10:00:00 +09:00';\n"
               "  w TIMESTAMP WITH TIME ZONE := TIMESTAMP '2020-01-01 10:00:00 -05:00';\n"
               "  p TIMESTAMP := TIMESTAMP '2020-01-01 10:00:00';\n" +
               declarations + "BEGIN\n" + body + "\nEND;";
    }
    std::string m_machineZone;
};

TEST_F(CPlsqlZonedTimestampTest, APlainTimestampStandsInTheSessionZone) {
    const BlockCase cases[] = {
        {"IF z = p THEN dbms_output.put_line('eq'); ELSE dbms_output.put_line('ne'); END IF;", "eq"},
        {"IF w > p THEN dbms_output.put_line('later'); END IF;", "later"},
        {"IF p BETWEEN z AND w THEN dbms_output.put_line('in'); END IF;", "in"},
        {"IF p IN (w, z) THEN dbms_output.put_line('found'); END IF;", "found"},
        {"dbms_output.put_line(CASE p WHEN z THEN 'z' WHEN w THEN 'w' END);", "z"},
        {"dbms_output.put_line(w - z);", "+000000000 14:00:00.000000000"},
        {"dbms_output.put_line(p - w);", "-000000000 14:00:00.000000000"},
        {"EXECUTE IMMEDIATE 'ALTER SESSION SET TIME_ZONE = ''-05:00''';\n"
         "IF w = p THEN dbms_output.put_line('eq'); ELSE dbms_output.put_line('ne'); END IF;",
         "eq"},
    };
    for (const BlockCase& c : cases) EXPECT_EQ(OutputOf(Block("", c.block)), c.answer) << c.block;
}

TEST_F(CPlsqlZonedTimestampTest, ArithmeticKeepsTheValuesZone) {
    const std::string show = "dbms_output.put_line(TO_CHAR(r, 'YYYY-MM-DD HH24:MI:SS TZH:TZM'));";
    const BlockCase cases[] = {
        {"r := w + INTERVAL '1' HOUR;", "2020-01-01 11:00:00 -05:00"},
        {"r := w - INTERVAL '90' MINUTE;", "2020-01-01 08:30:00 -05:00"},
        {"r := INTERVAL '1 02:00:00' DAY TO SECOND + w;", "2020-01-02 12:00:00 -05:00"},
        {"r := w + INTERVAL '1' MONTH;", "2020-02-01 10:00:00 -05:00"},
        {"r := w + NUMTODSINTERVAL(30, 'MINUTE');", "2020-01-01 10:30:00 -05:00"},
        // TIMESTAMP + number is a DATE; the variable gives it the session's zone.
        {"r := w + 1;", "2020-01-02 10:00:00 +09:00"},
        {"r := p;", "2020-01-01 10:00:00 +09:00"},
    };
    for (const BlockCase& c : cases)
        EXPECT_EQ(OutputOf(Block("  r TIMESTAMP WITH TIME ZONE;\n", std::string(c.block) + "\n" + show)),
                  c.answer)
            << c.block;
}

// EXTRACT of a zoned variable reads its zone's fields, and its other fields
// from its instant in UTC; a plain TIMESTAMP has no zone to read.
TEST_F(CPlsqlZonedTimestampTest, ExtractReadsTheInstantAndTheZone) {
    const BlockCase cases[] = {
        {"dbms_output.put_line(EXTRACT(TIMEZONE_HOUR FROM w) || ' ' || EXTRACT(TIMEZONE_MINUTE FROM w));",
         "-5 0"},
        {"dbms_output.put_line(EXTRACT(HOUR FROM w) || ' ' || EXTRACT(HOUR FROM z) || ' ' || "
         "EXTRACT(DAY FROM z) || ' ' || EXTRACT(HOUR FROM p));",
         "15 1 1 10"},
        {"p := TIMESTAMP '2020-01-01 10:00:07.25'; dbms_output.put_line(EXTRACT(SECOND FROM p));", "7.25"},
        {"dbms_output.put_line(EXTRACT(TIMEZONE_HOUR FROM p));",
         "ERROR ORA-30076: 抽出ソースに対する抽出フィールドが無効です。"},
    };
    for (const BlockCase& c : cases) {
        std::string out = OutputOf(Block("", c.block));
        EXPECT_EQ(out.substr(0, std::string(c.answer).size()), c.answer) << c.block;
    }
}

TEST_F(CPlsqlZonedTimestampTest, AssignmentDropsOrConvertsTheZoneByType) {
    const BlockCase cases[] = {
        {"t := w; dbms_output.put_line(TO_CHAR(t, 'YYYY-MM-DD HH24:MI:SS'));", "2020-01-01 10:00:00"},
        {"d := w + INTERVAL '30' SECOND; dbms_output.put_line(TO_CHAR(d, 'YYYY-MM-DD HH24:MI:SS'));",
         "2020-01-01 10:00:30"},
        {"l := w; dbms_output.put_line(TO_CHAR(l, 'YYYY-MM-DD HH24:MI:SS'));", "2020-01-02 00:00:00"},
        {"t := w; dbms_output.put_line(TO_CHAR(t, 'TZH'));", "ERROR"},
    };
    for (const BlockCase& c : cases) {
        std::string out =
            OutputOf(Block("  t TIMESTAMP; d DATE; l TIMESTAMP WITH LOCAL TIME ZONE;\n", c.block));
        if (std::string(c.answer) == "ERROR")
            EXPECT_EQ(out.substr(0, 15), "ERROR ORA-01821") << c.block;
        else
            EXPECT_EQ(out, c.answer) << c.block;
    }
}

}  // namespace
