// The server's rules for values that the built-in functions share: a
// number's text without a model (plain while its digits take at most 40
// places, else scientific notation in 40 bytes), text read where
// a number is meant (ORA-01722 as in arithmetic), and the length of a
// VARCHAR2 a function may give.
#include "tests/engine/EngineFixture.h"

namespace {

class CValueRulesTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("BEGIN DBMS_OUTPUT.ENABLE(NULL); END;");
    }
};

struct Case {
    const char* expression;
    const char* answer;
};

// TO_CHAR(n), n || text and a number kept in a VARCHAR2 write the same text.
constexpr Case kNumberTexts[] = {
    {"TO_CHAR(123)", "123"},
    {"TO_CHAR(-.5)", "-.5"},
    {"TO_CHAR(1E39)", "1000000000000000000000000000000000000000"},
    {"TO_CHAR(1E40)", "1.0000000000000000000000000000000000E+40"},
    {"TO_CHAR(1E125)", "1.000000000000000000000000000000000E+125"},
    {"TO_CHAR(-1E125)", "-1.00000000000000000000000000000000E+125"},
    {"TO_CHAR(1E-130)", "1.000000000000000000000000000000000E-130"},
    {"TO_CHAR(-2E-130)", "-2.00000000000000000000000000000000E-130"},
    {"TO_CHAR(123456789012345678901234567890123456789012)", "1.2345678901234567890123456789012346E+41"},
    // The server's 40 digits of a quotient are all written.
    {"TO_CHAR(2/3)", ".6666666666666666666666666666666666666667"},
    {"TO_CHAR(-2/3)", "-.6666666666666666666666666666666666666667"},
    {"LENGTH(TO_CHAR(1/3))", "41"},
    {"TO_CHAR(1.5E-38)", ".000000000000000000000000000000000000015"},
    {"TO_CHAR(1.5E-40)", "1.5000000000000000000000000000000000E-40"},
    {"'x' || 1E100", "x1.000000000000000000000000000000000E+100"},
    {"1E40 || 'y'", "1.0000000000000000000000000000000000E+40y"},
    {"'n=' || 2/3", "n=.6666666666666666666666666666666666666667"},
    {"CONCAT('a', 12.5)", "a12.5"},
    {"LENGTHB(1E100)", "40"},
};

TEST_F(CValueRulesTest, ANumberWithoutAModelIsAtMostFortyBytesOfText) {
    for (const Case& c : kNumberTexts)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.answer) << c.expression;
}

TEST_F(CValueRulesTest, ANumberKeptAsTextIsWrittenAsTheServerWritesIt) {
    Exec("CREATE TABLE T (V VARCHAR2(50))");
    Exec("INSERT INTO T VALUES (1E100)");
    Exec("INSERT INTO T VALUES (1/3)");
    EXPECT_EQ(Rows("SELECT V FROM T ORDER BY 1"),
              ".3333333333333333333333333333333333333333|1.000000000000000000000000000000000E+100");
    EXPECT_EQ(Rows("SELECT CAST(1E45 AS VARCHAR2(40)) FROM DUAL"),
              "1.0000000000000000000000000000000000E+45");
    EXPECT_EQ(OutputOf("DECLARE n NUMBER := -1E125; v VARCHAR2(100); BEGIN v := n; DBMS_OUTPUT.PUT_LINE(v); "
                       "DBMS_OUTPUT.PUT_LINE('n=' || (2/3)); DBMS_OUTPUT.PUT_LINE(1E-130); END;"),
              "-1.00000000000000000000000000000000E+125|n=.6666666666666666666666666666666666666667|"
              "1.000000000000000000000000000000000E-130");
}

// Every numeric argument of a built-in function reads text as arithmetic
// does: a number's text is that number, other text is ORA-01722.
constexpr const char* kNotNumbers[] = {
    "ADD_MONTHS(DATE '2020-01-31', 'abc')",
    "SUBSTR('abc', 'x')",
    "SUBSTR('abc', 1, 'x')",
    "LPAD('abc', 'x')",
    "RPAD('abc', '5x', '*')",
    "ROUND(1.5, 'x')",
    "TRUNC(1.5, 'x')",
    "INSTR('abc', 'b', 'x')",
    "INSTR('abc', 'b', 1, 'x')",
    "MOD(5, 'x')",
    "POWER('x', 2)",
    "CHR('x')",
    "ABS('x')",
    "NUMTODSINTERVAL('x', 'DAY')",
    "REGEXP_SUBSTR('abc', 'b', 'x')",
};

TEST_F(CValueRulesTest, TextThatIsNoNumberIsRefusedWhereANumberIsRead) {
    for (const char* call : kNotNumbers)
        EXPECT_EQ(Rows(std::string("SELECT ") + call + " FROM DUAL").substr(0, 15), "ERROR ORA-01722")
            << call;
    Exec("CREATE TABLE W (S VARCHAR2(10))");
    Exec("INSERT INTO W VALUES ('2x')");
    EXPECT_EQ(Rows("SELECT SUBSTR('abcdef', S) FROM W").substr(0, 15), "ERROR ORA-01722");
    // In a procedural statement the failed conversion is VALUE_ERROR.
    EXPECT_EQ(OutputOf("DECLARE v VARCHAR2(10) := 'x'; BEGIN DBMS_OUTPUT.PUT_LINE(SUBSTR('abc', v)); END;")
                  .substr(0, 15),
              "ERROR ORA-06502");
}

constexpr Case kNumbersAsText[] = {
    {"SUBSTR('abcdef', '2', ' 3 ')", "bcd"},
    {"TO_CHAR(ADD_MONTHS(DATE '2020-01-31', '1'), 'YYYY-MM-DD')", "2020-02-29"},
    {"LPAD('7', '3', '0')", "007"},
    {"ROUND(15.193, '-1')", "20"},
    {"MOD('11', '4')", "3"},
    {"TO_CHAR(TRUNC(DATE '2020-05-17', 'MM'), 'YYYY-MM-DD')", "2020-05-01"},
    {"ROUND(NULL, 1)", "-"},
    {"SUBSTR('abc', NULL)", "-"},
};

TEST_F(CValueRulesTest, ANumbersTextIsTheNumberWhereANumberIsRead) {
    for (const Case& c : kNumbersAsText)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.answer) << c.expression;
}

}  // namespace

namespace {

// A VARCHAR2 a function gives in SQL is at most 4000 bytes (CP932): a
// longer concatenation or REPLACE is ORA-01489, LPAD and RPAD stop there.
constexpr Case kLongTexts[] = {
    {"LENGTH(RPAD('x', 4000, 'x') || 'y')", "ERROR ORA-01489"},
    {"LENGTH('y' || RPAD('x', 4000, 'x'))", "ERROR ORA-01489"},
    {"LENGTH(CONCAT(RPAD('x', 3000, 'x'), RPAD('x', 1001, 'x')))", "ERROR ORA-01489"},
    {"LENGTH(REPLACE(RPAD('x', 3000, 'x'), 'x', 'yy'))", "ERROR ORA-01489"},
    {"LENGTH(RPAD('x', 3999, 'x') || 'y')", "4000"},
    {"LENGTH(RPAD('x', 4000, 'x') || NULL)", "4000"},
    {"LENGTH(RPAD('x', 5000, 'x'))", "4000"},
    {"LENGTHB(LPAD('日', 5000, '本'))", "4000"},
    // Bytes, not characters: 3000 bytes of double-byte text and one more.
    {"LENGTHB(RPAD('日', 3000, '本') || 'x')", "3001"},
    {"LENGTH(RPAD('日', 4000, '本') || 'x')", "ERROR ORA-01489"},
};

TEST_F(CValueRulesTest, AFunctionsTextIsAtMostFourThousandBytesInSql) {
    for (const Case& c : kLongTexts)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL").substr(0, 15), c.answer)
            << c.expression;
}

TEST_F(CValueRulesTest, APlsqlTextHoldsUpTo32767Bytes) {
    EXPECT_EQ(OutputOf("DECLARE v VARCHAR2(32767); BEGIN v := RPAD('x', 10000, 'x') || 'y'; "
                       "DBMS_OUTPUT.PUT_LINE(LENGTH(v)); v := REPLACE(RPAD('x', 5000, 'x'), 'x', 'ab'); "
                       "DBMS_OUTPUT.PUT_LINE(LENGTH(v)); END;"),
              "10001|10000");
    EXPECT_EQ(
        OutputOf("DECLARE v VARCHAR2(32767) := RPAD('x', 20000, 'x'); BEGIN v := v || v; END;").substr(0, 15),
        "ERROR ORA-06502");
    // The SQL inside a block keeps SQL's length.
    EXPECT_EQ(
        OutputOf("DECLARE v VARCHAR2(32767); BEGIN SELECT RPAD('x', 4000, 'x') || 'y' INTO v FROM DUAL; END;")
            .substr(0, 15),
        "ERROR ORA-01489");
    EXPECT_EQ(OutputOf("DECLARE c CLOB; BEGIN c := RPAD('x', 30000, 'x'); c := c || c; "
                       "DBMS_OUTPUT.PUT_LINE(LENGTH(c)); END;"),
              "60000");
}

}  // namespace
