// Text expressions are described with the length the server declares for
// them, whatever the rows hold (an empty result too).
#include "tests/engine/EngineFixture.h"

namespace {

class CTextLengthTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE T (A VARCHAR2(10), B VARCHAR2(3))");
    }
    long SizeOf(const std::string& expression) {
        CEngineResult result;
        if (!m_connection->Query(encoding::Utf8ToCp932("SELECT " + expression + " FROM T"), m_binds, result))
            return -1;
        return result.Columns().empty() ? -1 : result.Columns()[0].size;
    }
};

TEST_F(CTextLengthTest, FunctionsOfKnownLengths) {
    struct Case {
        const char* expression;
        long size;
    } cases[] = {
        {"DECODE(A, 'x', 'TOTAL', B)", 5},
        {"DECODE(A, 'x', B, A)", 10},
        {"DECODE(A, 'x', 'yy')", 2},
        {"NVL2(A, B, 'four')", 4},
        {"CONCAT(A, B)", 13},
        {"LPAD(B, 12)", 12},
        {"RPAD(A, 4, '*')", 4},
        {"SYS_CONTEXT('USERENV', 'SESSION_USER')", 256},
        // USER is a name; TO_CHAR as long as its longest text.
        {"USER", 128},
        {"LOWER(USER)", 128},
        {"TO_CHAR(LENGTH(A))", 42},
        {"TO_CHAR(LENGTH(A), '999.99')", 7},
        // A currency may take the ten bytes the session's symbol may have.
        {"TO_CHAR(LENGTH(A), 'L9G999D99')", 19},
        {"TO_CHAR(SYSDATE, 'YYYY-MM-DD HH24:MI')", 16},
        {"TO_CHAR(SYSDATE, 'MONTH')", 9},
        {"TO_CHAR(SYSDATE, 'DY DD')", 6},
        {"TO_CHAR(SYSTIMESTAMP, 'HH24:MI:SS.FF3')", 12},
        {"TO_CHAR(A)", 10},
        // A number joined to text is its text.
        {"B || 12", 5},
    };
    for (const Case& c : cases) EXPECT_EQ(SizeOf(c.expression), c.size) << c.expression;
}

// A stored function's VARCHAR2 result is as long as a VARCHAR2 may be,
// whatever the rows hold.
TEST_F(CTextLengthTest, AStoredFunctionsTextIsDescribedBeforeAnyRow) {
    Exec("CREATE FUNCTION F(N NUMBER) RETURN VARCHAR2 IS BEGIN RETURN 'x'; END;");
    Exec("CREATE FUNCTION G(N NUMBER) RETURN NUMBER IS BEGIN RETURN 1; END;");
    EXPECT_EQ(SizeOf("F(1)"), 4000);
    EXPECT_EQ(SizeOf("UPPER(F(1))"), 4000);
    EXPECT_NE(SizeOf("G(1)"), 4000);
}

// A table made from a query takes the lengths its columns are described with.
TEST_F(CTextLengthTest, CreateTableAsSelectDeclaresTheLengths) {
    Exec("CREATE TABLE C AS SELECT A || B AB, 'xyz' L, 'N' || ROWNUM R, UPPER(A) U FROM T");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'C' "
                   "ORDER BY COLUMN_ID"),
              "AB,VARCHAR2,13|L,CHAR,3|R,VARCHAR2,43|U,VARCHAR2,10");
}

// A substring, in characters or in bytes, is declared as long as its
// source, whatever length it asks for.
TEST_F(CTextLengthTest, ASubstringKeepsItsSourcesLength) {
    struct Case {
        const char* expression;
        long size;
    } cases[] = {
        {"SUBSTR(A, 1, 3)", 10}, {"SUBSTR(A, 2)", 10},     {"SUBSTRB(A, 1, 3)", 10},
        {"SUBSTRB(B, 2)", 3},    {"SUBSTRC(A, 1, 2)", 10}, {"SUBSTR('literal', 1, 3)", 7},
    };
    for (const Case& c : cases) EXPECT_EQ(SizeOf(c.expression), c.size) << c.expression;
}

// A column of lengths in characters (CHAR semantics, NVARCHAR2) is as long
// in bytes as its characters may take, and so is text made from it: a view
// or a table made from a query holds every value of its source.
TEST_F(CTextLengthTest, CharacterLengthsBecomeBytesInExpressions) {
    Exec("CREATE TABLE W (C VARCHAR2(5 CHAR), N NVARCHAR2(4))");
    Exec("INSERT INTO W VALUES ('\u3042\u3044\u3046\u3048\u304a', '\u304b\u304d\u304f\u3051')");
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT C, N, UPPER(C), SUBSTR(N, 2), C || 'x' FROM W", m_binds, result));
    std::vector<long> sizes;
    for (const auto& column : result.Columns()) sizes.push_back(column.size);
    EXPECT_EQ(sizes, (std::vector<long>{10, 8, 10, 8, 11}));
    Exec("CREATE TABLE C2 AS SELECT UPPER(C) U, SUBSTR(N, 2) S, LOWER(C) || N J FROM W");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'C2' "
                   "ORDER BY COLUMN_ID"),
              "U,10|S,8|J,18");
    EXPECT_EQ(Rows("SELECT U, S FROM C2"), "\u3042\u3044\u3046\u3048\u304a,\u304d\u304f\u3051");
}

// The currencies of the session's territory (JAPAN): local and dual ￥, ISO
// JPY, each before the digits.
TEST_F(CTextLengthTest, NumberFormatsNameTheCurrencies) {
    EXPECT_EQ(
        Rows("SELECT TO_CHAR(1234.5, 'FML9G999D99'), TO_CHAR(5, 'FMU99'), TO_CHAR(-5, 'FMC99') FROM dual"),
        "￥1,234.5,￥5,-JPY5");
}

// A regular expression's substring is declared as its source; a rewritten
// text as long as the rewriting can make it: REGEXP_REPLACE may put its
// replacement between any two characters (a VARCHAR2's most), REPLACE
// turns each match of the search text into the replacement, TRANSLATE
// each character into one of its list.
TEST_F(CTextLengthTest, RewrittenTextIsAsLongAsItCanGrow) {
    struct Case {
        const char* expression;
        long size;
    } cases[] = {
        {"REGEXP_SUBSTR(A, '[a-z]+')", 10},
        {"REGEXP_SUBSTR(B, 'x', 1, 2)", 3},
        {"REGEXP_REPLACE(A, 'x', 'y')", 4000},
        {"REGEXP_REPLACE(B, '^')", 4000},
        {"REPLACE(A, 'x')", 10},
        {"REPLACE(A, 'xy', 'z')", 10},
        {"REPLACE(A, 'x', 'y')", 10},
        {"REPLACE(A, 'x', 'xyz')", 30},
        {"REPLACE(B, 'ab', 'abcde')", 6},
        {"REPLACE(A, B, 'y')", 4000},
        {"TRANSLATE(A, 'abc', 'xyz')", 10},
        {"TRANSLATE(B, 'a', '\u3042')", 6},
        {"TRANSLATE(B, 'a', B)", 6},
    };
    for (const Case& c : cases) EXPECT_EQ(SizeOf(c.expression), c.size) << c.expression;
}

// A table made of rewritten text holds every value the rewriting makes.
TEST_F(CTextLengthTest, ATableOfRewrittenTextHoldsItsValues) {
    Exec("INSERT INTO T VALUES ('xxxxxxxxxx', 'abc')");
    Exec(
        "CREATE TABLE R AS SELECT REPLACE(A, 'x', 'xyz') P, REGEXP_SUBSTR(A, 'x+') S, "
        "REGEXP_REPLACE(B, 'b', 'bbbbbbbb') Q FROM T");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'R' "
                   "ORDER BY COLUMN_ID"),
              "P,30|S,10|Q,4000");
    EXPECT_EQ(Rows("SELECT LENGTH(P), S, Q FROM R"), "30,xxxxxxxxxx,abbbbbbbbc");
}

// A package's function is described by its declared result, as a
// standalone one is: an unconstrained VARCHAR2 is a VARCHAR2(4000).
TEST_F(CTextLengthTest, APackagesFunctionIsDescribedByItsResult) {
    Exec("INSERT INTO T VALUES ('abc', 'de')");
    Exec(
        "CREATE PACKAGE PK AS FUNCTION F(S VARCHAR2) RETURN VARCHAR2; FUNCTION N(S VARCHAR2) RETURN NUMBER; "
        "FUNCTION D(S VARCHAR2) RETURN DATE; END;");
    Exec(
        "CREATE PACKAGE BODY PK AS FUNCTION F(S VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN S || S; END; "
        "FUNCTION N(S VARCHAR2) RETURN NUMBER IS BEGIN RETURN LENGTH(S); END; "
        "FUNCTION D(S VARCHAR2) RETURN DATE IS BEGIN RETURN DATE '2024-01-02'; END; END;");
    Exec("CREATE TABLE X AS SELECT PK.F(A) C, PK.N(A) L, PK.D(A) W FROM T");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'X' "
                   "ORDER BY COLUMN_ID"),
              "C,VARCHAR2,4000|L,NUMBER,22|W,DATE,7");
    EXPECT_EQ(Rows("SELECT C, L, TO_CHAR(W, 'YYYY-MM-DD') FROM X"), "abcabc,3,2024-01-02");
}

}  // namespace
