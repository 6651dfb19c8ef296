// A PL/SQL TIMESTAMP(n) holds its value rounded to n digits of a second
// (the carry moving the second, the minute and the day on) and shows those
// digits, as a column of that type does; a TIMESTAMP without digits keeps
// six. Records, %TYPE, collections and package variables follow their
// declared types.
#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class CPlsqlTimestampPrecisionTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+09:00'");
    }
};

struct PrecisionCase {
    const char* type;
    const char* value;
    const char* shown;
};

TEST_F(CPlsqlTimestampPrecisionTest, AssignmentRoundsToTheDeclaredDigits) {
    const PrecisionCase cases[] = {
        {"TIMESTAMP(3)", "TIMESTAMP '2020-01-01 10:00:00.123456'", "20-01-01 10:00:00.123"},
        {"TIMESTAMP(3)", "TIMESTAMP '2020-01-01 10:00:00.1235'", "20-01-01 10:00:00.124"},
        {"TIMESTAMP(0)", "TIMESTAMP '2020-01-01 10:00:00.6'", "20-01-01 10:00:01"},
        {"TIMESTAMP(0)", "TIMESTAMP '2020-01-01 10:00:00.4'", "20-01-01 10:00:00"},
        {"TIMESTAMP(1)", "TIMESTAMP '2020-12-31 23:59:59.96'", "21-01-01 00:00:00.0"},
        {"TIMESTAMP(2)", "TIMESTAMP '2020-02-28 23:59:59.999'", "20-02-29 00:00:00.00"},
        {"TIMESTAMP", "TIMESTAMP '2020-01-01 10:00:00.1234567'", "20-01-01 10:00:00.123457"},
        {"TIMESTAMP(9)", "TIMESTAMP '2020-01-01 10:00:00.123456789'", "20-01-01 10:00:00.123456789"},
        {"TIMESTAMP(2) WITH TIME ZONE", "TIMESTAMP '2020-01-01 10:00:59.999 +09:00'",
         "20-01-01 10:01:00.00 +09:00"},
        {"TIMESTAMP(1) WITH LOCAL TIME ZONE", "TIMESTAMP '2020-01-01 10:00:00.25'", "20-01-01 10:00:00.3"},
        {"INTERVAL DAY(2) TO SECOND(2)", "INTERVAL '1 02:03:04.5678' DAY TO SECOND", "+01 02:03:04.57"},
    };
    for (const PrecisionCase& c : cases) {
        const std::string block =
            std::string("DECLARE v ") + c.type + " := " + c.value + "; BEGIN dbms_output.put_line(v); END;";
        EXPECT_EQ(OutputOf(block), c.shown) << block;
    }
}

TEST_F(CPlsqlTimestampPrecisionTest, TextOfTheValueShowsTheTypesDigits) {
    const BlockCase cases[] = {
        {"DECLARE v TIMESTAMP(3) := TIMESTAMP '2020-01-01 10:00:00.1239'; BEGIN "
         "dbms_output.put_line('at ' || v); dbms_output.put_line(TO_CHAR(v)); "
         "dbms_output.put_line(TO_CHAR(v, 'SS.FF')); END;",
         "at 20-01-01 10:00:00.124|20-01-01 10:00:00.124|00.124"},
        {"DECLARE v TIMESTAMP(0) := TIMESTAMP '2020-01-01 10:00:00.5'; s VARCHAR2(40); BEGIN s := v; "
         "dbms_output.put_line(s || '/' || TO_CHAR(v, 'FF3')); END;",
         "20-01-01 10:00:01/000"},
        // An element of a collection is as its element type shows it.
        {"DECLARE TYPE c_t IS TABLE OF TIMESTAMP(2); c c_t := c_t(TIMESTAMP '2020-01-01 10:00:00.129'); "
         "BEGIN dbms_output.put_line(TO_CHAR(c(1), 'SS.FF') || ' ' || TO_CHAR(c(1))); END;",
         "00.13 20-01-01 10:00:00.13"},
    };
    for (const BlockCase& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(CPlsqlTimestampPrecisionTest, DeclaredHoldersKeepTheirTypesDigits) {
    Exec("CREATE TABLE t3 (ts TIMESTAMP(3))");
    Exec("INSERT INTO t3 VALUES (TIMESTAMP '2020-01-01 10:00:00.123456')");
    Exec("CREATE OR REPLACE PACKAGE pk IS g TIMESTAMP(2) := TIMESTAMP '2020-01-01 10:00:00.555'; END;");
    Exec("CREATE OR REPLACE FUNCTION echo(p TIMESTAMP) RETURN TIMESTAMP IS BEGIN RETURN p; END;");
    const BlockCase cases[] = {
        {"DECLARE TYPE r_t IS RECORD (a TIMESTAMP(1)); r r_t; BEGIN "
         "r.a := TIMESTAMP '2020-01-01 10:00:00.16'; dbms_output.put_line(r.a); END;",
         "20-01-01 10:00:00.2"},
        {"DECLARE v t3.ts%TYPE := TIMESTAMP '2020-01-01 10:00:00.98765'; BEGIN dbms_output.put_line(v); END;",
         "20-01-01 10:00:00.988"},
        {"DECLARE TYPE c_t IS TABLE OF TIMESTAMP(2); c c_t := c_t(TIMESTAMP '2020-01-01 10:00:00.129'); "
         "BEGIN c.EXTEND; c(2) := TIMESTAMP '2020-01-01 10:00:00.999'; "
         "dbms_output.put_line(c(1) || ' ' || c(2)); END;",
         "20-01-01 10:00:00.13 20-01-01 10:00:01.00"},
        {"DECLARE TYPE a_t IS TABLE OF TIMESTAMP(0) INDEX BY PLS_INTEGER; a a_t; BEGIN "
         "a(1) := TIMESTAMP '2020-01-01 10:00:00.5'; dbms_output.put_line(a(1)); END;",
         "20-01-01 10:00:01"},
        {"BEGIN dbms_output.put_line(pk.g); END;", "20-01-01 10:00:00.56"},
        // A fetch takes the variable's type: six digits for a TIMESTAMP.
        {"DECLARE w TIMESTAMP; v t3.ts%TYPE; BEGIN SELECT ts INTO w FROM t3; SELECT ts INTO v FROM t3; "
         "dbms_output.put_line(w || ' ' || v); END;",
         "20-01-01 10:00:00.123000 20-01-01 10:00:00.123"},
        {"BEGIN FOR r IN (SELECT ts FROM t3) LOOP dbms_output.put_line(r.ts); END LOOP; END;",
         "20-01-01 10:00:00.123"},
        {"DECLARE TYPE c_t IS TABLE OF TIMESTAMP(2); c c_t; TYPE r_t IS TABLE OF t3%ROWTYPE; rs r_t; "
         "BEGIN SELECT ts BULK COLLECT INTO c FROM t3; SELECT * BULK COLLECT INTO rs FROM t3; "
         "dbms_output.put_line(c(1) || ' ' || rs(1).ts); END;",
         "20-01-01 10:00:00.12 20-01-01 10:00:00.123"},
        {"DECLARE CURSOR cur IS SELECT ts FROM t3; r cur%ROWTYPE; BEGIN OPEN cur; FETCH cur INTO r; "
         "CLOSE cur; dbms_output.put_line(r.ts); END;",
         "20-01-01 10:00:00.123"},
        // A parameter and a result of TIMESTAMP keep the default six digits.
        {"DECLARE v TIMESTAMP(3) := TIMESTAMP '2020-01-01 10:00:00.12345'; BEGIN "
         "dbms_output.put_line(echo(v)); END;",
         "20-01-01 10:00:00.123000"},
    };
    for (const BlockCase& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(CPlsqlTimestampPrecisionTest, ACarryPastTheLastDayIsRefused) {
    EXPECT_NE(Failure("DECLARE v TIMESTAMP(3) := TIMESTAMP '9999-12-31 23:59:59.9999'; BEGIN NULL; END;")
                  .find("ORA-01841"),
              std::string::npos);
}

}  // namespace
