// ROWNUM over a join counts the joined rows, one by one, whatever sources
// the block's other conditions read: comma and ANSI joins, outer joins,
// subqueries with and without a name.
#include "tests/engine/EngineFixture.h"

namespace {

class CRownumJoinTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        // A and B hold 1, 2 and 3: A JOIN B ON A.X >= B.Y has 6 rows.
        for (const char* table : {"A", "B"}) {
            Exec(std::string("CREATE TABLE ") + table + " (" + (table[0] == 'A' ? "X" : "Y") + " NUMBER)");
            for (int k = 1; k <= 3; ++k)
                Exec(std::string("INSERT INTO ") + table + " VALUES (" + std::to_string(k) + ")");
        }
    }
};

TEST_F(CRownumJoinTest, TheCountStopsAtTheJoinedRowsAsked) {
    struct Case {
        const char* query;
        const char* count;
    } cases[] = {
        {"SELECT * FROM A, B WHERE ROWNUM <= 2", "2"},
        {"SELECT * FROM A CROSS JOIN B WHERE ROWNUM <= 4", "4"},
        {"SELECT * FROM A, B WHERE A.X >= B.Y AND ROWNUM <= 2", "2"},
        {"SELECT * FROM A JOIN B ON A.X >= B.Y WHERE ROWNUM <= 2", "2"},
        {"SELECT * FROM A JOIN B ON A.X >= B.Y WHERE A.X > 1 AND ROWNUM <= 2", "2"},
        {"SELECT * FROM A JOIN B ON A.X >= B.Y WHERE ROWNUM <= 10", "6"},
        {"SELECT * FROM A LEFT JOIN B ON A.X < B.Y WHERE ROWNUM <= 4", "4"},
        {"SELECT * FROM A, B, A C WHERE ROWNUM <= 5", "5"},
        {"SELECT * FROM A, (SELECT Y FROM B WHERE Y < 3) WHERE ROWNUM <= 3", "3"},
        {"SELECT * FROM A, (SELECT Y FROM B) S WHERE ROWNUM <= 3", "3"},
        {"SELECT * FROM A, B WHERE ROWNUM < 1", "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT COUNT(*) FROM (") + c.query + ")"), c.count) << c.query;
}

// Joins on USING and NATURAL count their joined rows as joins on ON do.
TEST_F(CRownumJoinTest, JoinsOnSharedColumnsCountTheirJoinedRows) {
    // C pairs 1 twice, 2 and 3 once; D holds 1 and 5.
    Exec("CREATE TABLE C (X NUMBER, Z NUMBER)");
    for (const char* row : {"1, 10", "1, 11", "2, 20", "3, 30"})
        Exec(std::string("INSERT INTO C VALUES (") + row + ")");
    Exec("CREATE TABLE D (X NUMBER)");
    Exec("INSERT INTO D VALUES (1)");
    Exec("INSERT INTO D VALUES (5)");
    struct Case {
        const char* query;
        const char* count;
    } cases[] = {
        {"SELECT * FROM A JOIN C USING (X) WHERE ROWNUM <= 2", "2"},
        {"SELECT * FROM A JOIN C USING (X) WHERE ROWNUM <= 10", "4"},
        {"SELECT * FROM A NATURAL JOIN C WHERE ROWNUM <= 3", "3"},
        {"SELECT * FROM A NATURAL JOIN C WHERE Z > 10 AND ROWNUM <= 10", "3"},
        {"SELECT * FROM A JOIN C USING (X) JOIN D USING (X) WHERE ROWNUM <= 10", "2"},
        {"SELECT * FROM A LEFT JOIN D USING (X) WHERE ROWNUM <= 10", "3"},
        {"SELECT * FROM A LEFT OUTER JOIN D USING (X) WHERE ROWNUM <= 2", "2"},
        {"SELECT * FROM A RIGHT JOIN D USING (X) WHERE ROWNUM <= 10", "2"},
        {"SELECT * FROM A FULL OUTER JOIN D USING (X) WHERE ROWNUM <= 10", "4"},
        {"SELECT * FROM A FULL JOIN D USING (X) WHERE ROWNUM <= 3", "3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT COUNT(*) FROM (") + c.query + ")"), c.count) << c.query;
    EXPECT_EQ(Rows("SELECT ROWNUM FROM A JOIN C USING (X)"), "1|2|3|4");
    EXPECT_EQ(
        Rows("SELECT MAX(R) || '/' || COUNT(*) FROM (SELECT ROWNUM R FROM A NATURAL JOIN C WHERE Z >= 11)"),
        "3/3");
}

// Each joined row takes the next number.
TEST_F(CRownumJoinTest, JoinedRowsAreNumberedOneByOne) {
    EXPECT_EQ(Rows("SELECT ROWNUM FROM A, B WHERE ROWNUM <= 4"), "1|2|3|4");
    EXPECT_EQ(Rows("SELECT ROWNUM FROM A JOIN B ON A.X >= B.Y WHERE B.Y > 1 AND ROWNUM <= 3"), "1|2|3");
    EXPECT_EQ(Rows("SELECT COUNT(DISTINCT R) FROM (SELECT ROWNUM R FROM A, B)"), "9");
}

}  // namespace
