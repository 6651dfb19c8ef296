// INSERTs of literals repeated in one shape: each later statement binds its
// own literals into the statement kept for the shape, by the same column
// rules as the first.
#include "tests/engine/EngineFixture.h"

namespace {

class CStatementCacheTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE T (N NUMBER(6,2), I INTEGER, S VARCHAR2(6), C CHAR(3))");
    }
};

TEST_F(CStatementCacheTest, LaterStatementsStoreTheirOwnValuesExactly) {
    const char* rows[] = {
        "INSERT INTO T VALUES (1.25, 7, 'ab''c', 'x')",
        "INSERT INTO T VALUES (2.5, 8, '日本語', 'yz')",
        "INSERT INTO T VALUES (1234.567, 99999999999999999999, 'q', 'abc')",
        "insert into t values (.5, 0, 'Mixed', 'M')",
    };
    for (const char* row : rows) Exec(row);
    EXPECT_EQ(
        Rows("SELECT N, I, S, C || '|', LENGTHB(S) FROM T ORDER BY N"),
        ".5,0,Mixed,M  |,5|1.25,7,ab'c,x  |,4|2.5,8,日本語,yz |,6|1234.57,99999999999999999999,q,abc|,1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T WHERE N = 1234.57 AND S = 'q'"), "1");
}

TEST_F(CStatementCacheTest, RefusedValueInAKeptShapeIsReportedAsWhenCompiled) {
    for (const char* bad :
         {"INSERT INTO T VALUES (1, 1, 'abcdefg', 'a')", "INSERT INTO T VALUES (12345, 1, 'a', 'a')"}) {
        std::string compiled = Failure(bad);
        int position = m_connection->LastError().position;
        Exec("INSERT INTO T VALUES (1, 1, 'a', 'a')");
        EXPECT_EQ(Failure(bad), compiled);
        EXPECT_EQ(m_connection->LastError().position, position);
        EXPECT_NE(position, -1);
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), "2");
}

TEST_F(CStatementCacheTest, ShapeFollowsTheTableWhenItIsRedefined) {
    Exec("INSERT INTO T VALUES (1, 1, 'abcd', 'a')");
    Exec("DROP TABLE T");
    Exec("CREATE TABLE T (N NUMBER(6,2), I INTEGER, S VARCHAR2(2), C CHAR(3))");
    EXPECT_EQ(Failure("INSERT INTO T VALUES (1, 1, 'abcd', 'a')").substr(0, 9), "ORA-12899");
}

TEST_F(CStatementCacheTest, NumberRoundedToAnIntegerIsStoredAsOne) {
    Exec("CREATE TABLE R (A NUMBER(3))");
    for (const char* value : {"1.5", "2.4", "7"}) Exec(std::string("INSERT INTO R VALUES (") + value + ")");
    EXPECT_EQ(Rows("SELECT A FROM R ORDER BY A"), "2|2|7");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM R WHERE A = 2"), "2");
}

// Literals written with leading or trailing zeros are the same numbers, in
// a kept shape and in its first statement alike; a value whose integer part
// the precision cannot hold is refused, however it is written.
TEST_F(CStatementCacheTest, ZerosAroundALiteralChangeNothing) {
    Exec("CREATE TABLE Z (A NUMBER(5,2), B NUMBER)");
    for (const char* row : {"(007.50, 0.0)", "(1.00, 000)", "(0, 12.340)", "(999.99, .000)"})
        Exec(std::string("INSERT INTO Z VALUES ") + row);
    EXPECT_EQ(Rows("SELECT A, B FROM Z ORDER BY A"), "0,12.34|1,0|7.5,0|999.99,0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM Z WHERE A = 7.5 AND B = 0"), "1");
    EXPECT_EQ(Failure("INSERT INTO Z VALUES (0001000, 1)").substr(0, 9), "ORA-01438");
}

}  // namespace
