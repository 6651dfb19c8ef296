// BINARY_FLOAT and BINARY_DOUBLE in SQL on the embedded engine: suffixed
// literals and the named constants, IEEE arithmetic (1/0 is Inf, 0/0 NaN),
// the wider type winning, single precision in a BINARY_FLOAT column, NaN
// above everything in comparisons and order, and the server's text.
#include <gtest/gtest.h>

#include "engine/EngineTypes.h"
#include "tests/engine/EngineFixture.h"

using CBinaryFloatSqlTest = EngineFixture;

TEST_F(CBinaryFloatSqlTest, ExpressionsComputeInIeeeArithmetic) {
    struct Case {
        const char* expression;
        const char* value;
    };
    const Case cases[] = {
        {"1/3d", "3.3333333333333331E-001"},
        {"2.5f", "2.5E+000"},
        {"1e3d", "1.0E+003"},
        {"-2.5F", "-2.5E+000"},
        {"1d/0", "Inf"},
        {"-1d/0", "-Inf"},
        {"0d/0", "Nan"},
        {"0.1f + 0.2f", "3.0E-001"},
        // The single 0.1 widened to double keeps its binary digits.
        {"0.1f + 0d", "1.0000000149011612E-001"},
        {"1/3f", "3.33333343E-001"},
        {"TO_BINARY_DOUBLE('1.5')", "1.5E+000"},
        {"TO_BINARY_DOUBLE(' -inf ')", "-Inf"},
        {"TO_BINARY_FLOAT('NaN')", "Nan"},
        {"TO_BINARY_FLOAT(1234.56)", "1.23456E+003"},
        {"TO_BINARY_DOUBLE('1,234.5', '9,999.9')", "1.2345E+003"},
        {"BINARY_DOUBLE_INFINITY - BINARY_DOUBLE_INFINITY", "Nan"},
        {"BINARY_DOUBLE_MAX_NORMAL", "1.7976931348623157E+308"},
        {"BINARY_DOUBLE_MIN_SUBNORMAL", "4.9406564584124654E-324"},
        {"BINARY_FLOAT_MAX_NORMAL", "3.40282347E+038"},
        {"BINARY_FLOAT_MIN_NORMAL", "1.17549435E-038"},
        {"BINARY_FLOAT_MAX_SUBNORMAL", "1.17549421E-038"},
        {"BINARY_FLOAT_MIN_SUBNORMAL", "1.40129846E-045"},
        {"BINARY_FLOAT_MAX_NORMAL * 2", "Inf"},
        {"NANVL(0d/0, 5)", "5.0E+000"},
        {"NANVL(2d, 5)", "2.0E+000"},
        {"ABS(-2.5d)", "2.5E+000"},
        {"SQRT(2d)", "1.4142135623730951E+000"},
        {"TO_CHAR(1/3d)", "3.3333333333333331E-001"},
        {"TO_CHAR(BINARY_FLOAT_INFINITY)", "Inf"},
        {"CAST(0.5 AS BINARY_DOUBLE)", "5.0E-001"},
        {"GREATEST(1d, 2, BINARY_DOUBLE_NAN)", "Nan"},
        {"LEAST(2.5f, 1, BINARY_FLOAT_NAN)", "1.0E+000"},
        {"GREATEST(2.5f, NULL)", "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.value) << c.expression;
    EXPECT_EQ(Failure("SELECT TO_BINARY_DOUBLE('abc') FROM DUAL").substr(0, 9), "ORA-01722");
}

TEST_F(CBinaryFloatSqlTest, TheWiderTypeWins) {
    struct Case {
        const char* expression;
        int type;
    };
    const Case cases[] = {
        {"1 + 1", servertype::kNumber},
        {"1 + 2.5f", servertype::kBinaryFloat},
        {"2.5f * 2d", servertype::kBinaryDouble},
        {"-(1f)", servertype::kBinaryFloat},
        {"NVL(1d, 2)", servertype::kBinaryDouble},
        {"TO_BINARY_FLOAT(1)", servertype::kBinaryFloat},
        {"BINARY_DOUBLE_NAN", servertype::kBinaryDouble},
        {"CASE WHEN 1 = 1 THEN 1f ELSE 2 END", servertype::kBinaryFloat},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TypesOf(std::string("SELECT ") + c.expression + " FROM DUAL"), std::to_string(c.type))
            << c.expression;
}

TEST_F(CBinaryFloatSqlTest, ColumnsHoldIeeeValues) {
    Exec("CREATE TABLE BD (A BINARY_DOUBLE, B BINARY_FLOAT)");
    Exec("INSERT INTO BD VALUES (1/3, 0.1)");
    // The BINARY_FLOAT column keeps 0.1 to single precision; 1/3 * 3 is
    // exactly 1 in double arithmetic.
    EXPECT_EQ(Rows("SELECT A, B, A*3, B+1, B+0d FROM BD"),
              "3.3333333333333331E-001,1.0E-001,1.0E+000,1.1E+000,1.0000000149011612E-001");
    EXPECT_EQ(TypesOf("SELECT A, B, A*3, B+1 FROM BD"), "101,100,101,100");
    Exec("INSERT INTO BD VALUES ('INF', '-INF')");
    Exec("INSERT INTO BD VALUES (BINARY_DOUBLE_NAN, 0f/0)");
    EXPECT_EQ(Failure("INSERT INTO BD VALUES ('x', 1)").substr(0, 9), "ORA-01722");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM BD WHERE A IS NAN"), "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM BD WHERE A IS NOT NAN"), "2");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM BD WHERE B IS INFINITE"), "1");
    EXPECT_EQ(Rows("SELECT NANVL(B, -1) FROM BD ORDER BY A"), "1.0E-001|-Inf|-1.0E+000");
}

TEST_F(CBinaryFloatSqlTest, NanIsAboveEverything) {
    Exec("CREATE TABLE V (X BINARY_DOUBLE)");
    for (const char* value : {"1", "BINARY_DOUBLE_NAN", "'-INF'", "'INF'", "NULL", "-0.5"})
        Exec(std::string("INSERT INTO V VALUES (") + value + ")");
    EXPECT_EQ(Rows("SELECT X FROM V ORDER BY X"), "-Inf|-5.0E-001|1.0E+000|Inf|Nan|-");
    EXPECT_EQ(Rows("SELECT X FROM V ORDER BY X DESC NULLS LAST"), "Nan|Inf|1.0E+000|-5.0E-001|-Inf|-");
    EXPECT_EQ(Rows("SELECT X FROM V WHERE X > BINARY_DOUBLE_INFINITY"), "Nan");
    EXPECT_EQ(Rows("SELECT X FROM V WHERE X = BINARY_DOUBLE_NAN"), "Nan");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V WHERE X < 2"), "3");
    EXPECT_EQ(Rows("SELECT MAX(X), MIN(X) FROM V"), "Nan,-Inf");
    EXPECT_EQ(Rows("SELECT SUM(X) FROM V WHERE X < 2 AND X > -1"), "5.0E-001");
    EXPECT_EQ(Rows("SELECT SUM(X) FROM V"), "Nan");
}

TEST_F(CBinaryFloatSqlTest, FunctionsNotWrittenForFloatsAreRefusedByName) {
    const std::string failure = Failure("SELECT MOD(5d, 2) FROM DUAL");
    EXPECT_EQ(failure.substr(0, 9), "ORA-03001") << failure;
    EXPECT_NE(failure.find("MOD"), std::string::npos) << failure;
}

TEST_F(CBinaryFloatSqlTest, ViewsSubqueriesAndCompoundsKeepTheType) {
    Exec("CREATE TABLE M (V BINARY_DOUBLE)");
    Exec("INSERT INTO M VALUES (0.5)");
    Exec("INSERT INTO M VALUES (BINARY_DOUBLE_NAN)");
    Exec("CREATE VIEW MV AS SELECT V * 2 W FROM M");
    EXPECT_EQ(Rows("SELECT W FROM MV ORDER BY W"), "1.0E+000|Nan");
    EXPECT_EQ(TypesOf("SELECT W FROM MV"), std::to_string(servertype::kBinaryDouble));
    EXPECT_EQ(Rows("SELECT (SELECT MAX(V) FROM M) FROM DUAL"), "Nan");
    // A NUMBER branch after a BINARY_DOUBLE one is shown as the column's type.
    EXPECT_EQ(Rows("SELECT V FROM M WHERE V < 1 UNION ALL SELECT 2 FROM DUAL"), "5.0E-001|2.0E+000");
    EXPECT_EQ(Rows("SELECT CAST(V AS NUMBER) FROM M WHERE V < 1"), ".5");
    EXPECT_EQ(Failure("SELECT CAST(V AS VARCHAR2(20)) FROM M").substr(0, 9), "ORA-03001");
}
