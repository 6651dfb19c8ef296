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

// Each joined row takes the next number.
TEST_F(CRownumJoinTest, JoinedRowsAreNumberedOneByOne) {
    EXPECT_EQ(Rows("SELECT ROWNUM FROM A, B WHERE ROWNUM <= 4"), "1|2|3|4");
    EXPECT_EQ(Rows("SELECT ROWNUM FROM A JOIN B ON A.X >= B.Y WHERE B.Y > 1 AND ROWNUM <= 3"), "1|2|3");
    EXPECT_EQ(Rows("SELECT COUNT(DISTINCT R) FROM (SELECT ROWNUM R FROM A, B)"), "9");
}

}  // namespace
