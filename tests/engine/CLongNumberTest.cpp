// NUMBER values of more digits than a double holds, kept in a table's
// columns exactly: stored by every road a value takes into a column, and
// read back, compared, ordered and summed on their exact value.
#include <sqlite3.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CLongNumberTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE T (ID NUMBER(3), N NUMBER, S NUMBER(38,5))");
    }
    // SQLite's storage class of N in the row ID, read from the file.
    std::string StorageOf(int id) {
        m_connection->Execute("COMMIT", m_binds, m_rows);
        return OneIn(m_connection->Path(), "SELECT typeof(N) FROM T WHERE ID = " + std::to_string(id));
    }
    long m_rows = 0;
};

// Each road into a column: a literal, a negative literal, a literal of the
// kept INSERT shape (the second INSERT), an UPDATE, a bind.
TEST_F(CLongNumberTest, EveryRoadIntoAColumnKeepsEveryDigit) {
    struct Case {
        const char* literal;
        const char* shown;
    } cases[] = {
        {"12345678901234567890.123", "12345678901234567890.123"},
        {"-12345678901234567890.5", "-12345678901234567890.5"},
        {"0.1234567890123456789", ".1234567890123456789"},
        {"99999999999999999999999999999999999999", "99999999999999999999999999999999999999"},
        {"1234567890123456.7", "1234567890123456.7"},
        // The server keeps 39 digits when the leading one stands alone in
        // its base-100 digit, rounded.
        {"1.23456789012345678901234567890123456789512345", "1.2345678901234567890123456789012345679"},
    };
    int id = 0;
    for (const Case& c : cases) {
        ++id;
        Exec("INSERT INTO T (ID, N) VALUES (" + std::to_string(id) + ", " + c.literal + ")");
        EXPECT_EQ(Rows("SELECT N FROM T WHERE ID = " + std::to_string(id)), c.shown) << c.literal;
    }
    Exec("INSERT INTO T (ID, N) VALUES (20, 0)");
    Exec("UPDATE T SET N = 98765432109876543210.987 WHERE ID = 20");
    EXPECT_EQ(Rows("SELECT N FROM T WHERE ID = 20"), "98765432109876543210.987");
    m_binds = {CEngineBind{"V", "-0.00000000000000000001234567890123456789", false, 2}};
    Exec("INSERT INTO T (ID, N) VALUES (21, :V)");
    EXPECT_EQ(Rows("SELECT N FROM T WHERE ID = 21"), "-.00000000000000000001234567890123456789");
}

TEST_F(CLongNumberTest, CopiesAndArithmeticStayExact) {
    Exec("INSERT INTO T VALUES (1, 12345678901234567890.123, 0.1234567890123456789)");
    Exec("INSERT INTO T (ID, N) SELECT 2, N * 10 + 0.001 FROM T WHERE ID = 1");
    Exec("CREATE TABLE C AS SELECT ID, N FROM T");
    EXPECT_EQ(Rows("SELECT ID, N FROM C ORDER BY ID"),
              "1,12345678901234567890.123|2,123456789012345678901.231");
    EXPECT_EQ(Rows("SELECT S, N - 12345678901234567890, ABS(-N), -N FROM T WHERE ID = 1"),
              ".12346,.123,12345678901234567890.123,-12345678901234567890.123");
    EXPECT_EQ(Rows("SELECT SUM(N), CAST(MIN(N) AS NUMBER(30, 1)) FROM T WHERE ID = 1"),
              "12345678901234567890.123,12345678901234567890.1");
}

// Values that differ only past the fifteenth digit, and short ones around
// them: comparisons, ORDER BY, MIN and MAX, grouping and joins.
TEST_F(CLongNumberTest, ComparedAndOrderedOnTheExactValue) {
    const char* values[] = {
        "12345678901234567890.124", "-12345678901234567890.5", "0.12345678901234567891",  "7",
        "12345678901234567890.123", "0.1234567890123456789",   "12345678901234567890.123"};
    for (int k = 0; k < 7; ++k)
        Exec("INSERT INTO T (ID, N) VALUES (" + std::to_string(k + 1) + ", " + values[k] + ")");
    EXPECT_EQ(Rows("SELECT ID FROM T ORDER BY N, ID"), "2|6|3|4|5|7|1");
    EXPECT_EQ(Rows("SELECT ID FROM T ORDER BY N DESC, ID"), "1|5|7|4|3|6|2");
    EXPECT_EQ(Rows("SELECT ID FROM T WHERE N > 5 ORDER BY ID"), "1|4|5|7");
    EXPECT_EQ(Rows("SELECT ID FROM T WHERE N < 0.12345678901234567891 ORDER BY ID"), "2|6");
    EXPECT_EQ(Rows("SELECT ID FROM T WHERE N = 12345678901234567890.123 ORDER BY ID"), "5|7");
    EXPECT_EQ(Rows("SELECT ID FROM T WHERE N BETWEEN 0.1234567890123456789 AND 1 ORDER BY ID"), "3|6");
    EXPECT_EQ(Rows("SELECT MIN(N), MAX(N), COUNT(DISTINCT N) FROM T"),
              "-12345678901234567890.5,12345678901234567890.124,6");
    EXPECT_EQ(Rows("SELECT N, COUNT(*) FROM T GROUP BY N HAVING COUNT(*) > 1"), "12345678901234567890.123,2");
    EXPECT_EQ(Rows("SELECT A.ID, B.ID FROM T A, T B WHERE A.N = B.N AND A.ID < B.ID"), "5,7");
    EXPECT_EQ(Rows("SELECT ID FROM (SELECT ID, N FROM T) WHERE N >= 12345678901234567890.123 ORDER BY N, ID"),
              "5|7|1");
}

// A bind, numeric or text, finds the row whose long value it names, and
// only that row; a bind that is no number is refused as the server does.
TEST_F(CLongNumberTest, ABindFindsALongValue) {
    Exec("INSERT INTO T (ID, N) VALUES (1, 12345678901234567890.123)");
    Exec("INSERT INTO T (ID, N) VALUES (2, 12345678901234567890.124)");
    Exec("INSERT INTO T (ID, N) VALUES (3, 7)");
    struct Case {
        const char* value;
        int serverType;
        const char* ids;
    } cases[] = {
        {"12345678901234567890.123", 2, "1"},
        {"12345678901234567890.123", 1, "1"},
        {"12345678901234567890.1240", 1, "2"},
        {"7", 2, "3"},
        {"7", 1, "3"},
        {"12345678901234567890", 2, ""},
    };
    for (const Case& c : cases) {
        m_binds = {CEngineBind{"V", c.value, false, c.serverType}};
        EXPECT_EQ(Rows("SELECT ID FROM T WHERE N = :V ORDER BY ID"), c.ids) << c.value << " " << c.serverType;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM T WHERE :V <> N"), *c.ids ? "2" : "3") << c.value;
    }
    m_binds = {CEngineBind{"V", "abc", false, 1}};
    EXPECT_EQ(Rows("SELECT ID FROM T WHERE N = :V").substr(0, 15), "ERROR ORA-01722");
}

// A block's assignment reads the long value as its digits.
TEST_F(CLongNumberTest, ABlockAssignsTheWholeValue) {
    m_binds = {CEngineBind{"V", "", true, 2}};
    Exec("BEGIN :V := CAST(12345678901234567890.5 AS NUMBER); END;");
    EXPECT_EQ(m_binds[0].value, "12345678901234567890.5");
}

// TO_CHAR with a model lays out every digit of a value, whether a column
// keeps it as digits, an expression gives 40 of them, or a block holds it;
// a whole value past 2^53 is not rounded through a double.
TEST_F(CLongNumberTest, AModelLaysOutEveryDigit) {
    Exec("INSERT INTO T (ID, N) VALUES (1, 12345678901234567890.123)");
    Exec("INSERT INTO T (ID, N) VALUES (2, 1234567890123456789)");
    struct Case {
        const char* expression;
        const char* text;
    } cases[] = {
        {"TO_CHAR(N, '99999999999999999999999.99')", "    12345678901234567890.12"},
        {"TO_CHAR(N, 'FM999,999,999,999,999,999,999')", "12,345,678,901,234,567,890"},
        {"TO_CHAR(N, '9.99EEEE')", " 1.23E+19"},
        {"TO_CHAR(1/3, '0.999')", " 0.333"},
        {"TO_CHAR(2/3, 'FM0.99999999999999999999')", "0.66666666666666666667"},
        {"TO_CHAR(-1/3, '0.99MI')", "0.33-"},
        {"TO_CHAR(1/3, '99')", "  0"},
        {"TO_CHAR(N * 1000, '999')", "####"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM T WHERE ID = 1"), c.text)
            << c.expression;
    EXPECT_EQ(Rows("SELECT TO_CHAR(N, '9999999999999999999') FROM T WHERE ID = 2"), " 1234567890123456789");
    m_binds = {CEngineBind{"V", "", true, 1}};
    Exec(
        "DECLARE n NUMBER := 12345678901234567890.5; m NUMBER := 1/3; "
        "BEGIN :V := TO_CHAR(n, 'FM99999999999999999999.0') || '/' || TO_CHAR(m, '0.9999'); END;");
    EXPECT_EQ(m_binds[0].value, "12345678901234567890.5/ 0.3333");
}

// Values a double or an integer holds keep SQLite's own forms (the fast
// path); only longer ones are kept as digits.
TEST_F(CLongNumberTest, ShortValuesKeepTheirNativeForms) {
    Exec("INSERT INTO T (ID, N) VALUES (1, 42)");
    Exec("INSERT INTO T (ID, N) VALUES (2, 123456789012.345)");
    Exec("INSERT INTO T (ID, N) VALUES (3, 1234567890123456.7)");
    EXPECT_EQ(StorageOf(1), "integer");
    EXPECT_EQ(StorageOf(2), "real");
    EXPECT_EQ(StorageOf(3), "blob");
}

}  // namespace
