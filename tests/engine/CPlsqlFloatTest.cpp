// BINARY_FLOAT and BINARY_DOUBLE in PL/SQL: variables hold IEEE values
// (rounded to single precision for BINARY_FLOAT), arithmetic with a
// floating operand is IEEE arithmetic, NUMBER and floating values convert
// on assignment, and the values cross into SQL and back unchanged.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CPlsqlFloatTest : public OutputFixture {};

}  // namespace

TEST_F(CPlsqlFloatTest, VariablesHoldIeeeValues) {
    struct Case {
        const char* expression;
        const char* line;
    };
    const Case cases[] = {
        {"x", "3.3333333333333331E-001"},
        // 0.1 kept to single precision, widened exactly.
        {"y + 0d", "1.0000000149011612E-001"},
        {"y", "1.0E-001"},
        {"1d / 0", "Inf"},
        {"-1f / 0", "-Inf"},
        {"0d / 0", "Nan"},
        {"z - z", "Nan"},
        {"x * 3", "1.0E+000"},
        {"'v=' || y", "v=1.0E-001"},
        {"TO_CHAR(x)", "3.3333333333333331E-001"},
        {"TO_CHAR(y)", "1.0E-001"},
        {"NANVL(0d / 0, 7)", "7"},
        {"NANVL(z - z, 7d)", "7.0E+000"},
        {"TO_BINARY_FLOAT('-inf')", "-Inf"},
        {"BINARY_FLOAT_MAX_NORMAL", "3.40282347E+038"},
        {"n", "2.5"},
    };
    for (const Case& c : cases) {
        const std::string block =
            "DECLARE x BINARY_DOUBLE := 1d / 3d; y BINARY_FLOAT := 0.1; z BINARY_DOUBLE := "
            "BINARY_DOUBLE_INFINITY; n NUMBER := 2.5d; BEGIN DBMS_OUTPUT.PUT_LINE(" +
            std::string(c.expression) + "); END;";
        EXPECT_EQ(OutputOf(block), c.line) << c.expression;
    }
}

TEST_F(CPlsqlFloatTest, ConditionsPutNanAboveEverything) {
    EXPECT_EQ(OutputOf("DECLARE z BINARY_DOUBLE := BINARY_DOUBLE_INFINITY; q BINARY_DOUBLE := 0d / 0; "
                       "s SIMPLE_FLOAT := 1; BEGIN "
                       "IF z IS INFINITE AND z IS NOT NAN THEN DBMS_OUTPUT.PUT_LINE('inf'); END IF; "
                       "IF q IS NAN AND q > z THEN DBMS_OUTPUT.PUT_LINE('nan above'); END IF; "
                       "IF q = q THEN DBMS_OUTPUT.PUT_LINE('nan equal'); END IF; "
                       "IF s < 2 THEN DBMS_OUTPUT.PUT_LINE('simple'); END IF; END;"),
              "inf|nan above|nan equal|simple");
}

TEST_F(CPlsqlFloatTest, ValuesCrossIntoSqlAndBack) {
    Exec("CREATE TABLE BD (A BINARY_DOUBLE, B BINARY_FLOAT)");
    EXPECT_EQ(OutputOf("DECLARE x BINARY_DOUBLE := 1d / 3d; q BINARY_DOUBLE := 0d / 0; r BINARY_DOUBLE; "
                       "BEGIN INSERT INTO BD VALUES (x, x); INSERT INTO BD VALUES (q, 1); "
                       "SELECT A INTO r FROM BD WHERE B < 1; DBMS_OUTPUT.PUT_LINE(r); "
                       "SELECT B INTO r FROM BD WHERE B < 1; DBMS_OUTPUT.PUT_LINE(r); "
                       "SELECT A INTO r FROM BD WHERE A IS NAN; DBMS_OUTPUT.PUT_LINE(r); END;"),
              "3.3333333333333331E-001|3.333333432674408E-001|Nan");
    EXPECT_EQ(Rows("SELECT A, B FROM BD ORDER BY A"), "3.3333333333333331E-001,3.33333343E-001|Nan,1.0E+000");
}

TEST_F(CPlsqlFloatTest, NanHasNoNumber) {
    // NaN and the infinities are no NUMBER: assigning one fails rather than
    // keeping some other number.
    EXPECT_EQ(OutputOf("DECLARE n NUMBER; BEGIN n := 0d / 0; DBMS_OUTPUT.PUT_LINE('kept'); "
                       "EXCEPTION WHEN VALUE_ERROR THEN DBMS_OUTPUT.PUT_LINE('refused'); END;"),
              "refused");
}
