// SAMPLE after a table: a random share of its rows. The choice is random
// on the server too, so what is checked is what always holds.
#include "tests/engine/EngineFixture.h"

namespace {

class CSampleClauseTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE t (n NUMBER, s VARCHAR2(10))");
        Exec("INSERT INTO t SELECT LEVEL, 'r' || LEVEL FROM dual CONNECT BY LEVEL <= 200");
    }
};

TEST_F(CSampleClauseTest, SampledRowsAreRowsOfTheTable) {
    // Every row sampled is one of the table's, whole, and never twice.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t SAMPLE (99.999999) x WHERE x.s <> 'r' || x.n OR x.n NOT BETWEEN 1 "
                   "AND 200"),
              "0");
    EXPECT_EQ(Rows("SELECT COUNT(*) - COUNT(DISTINCT n) FROM t SAMPLE BLOCK (50)"), "0");
    // Near all of 200 rows at 99.999999 percent; none at the smallest share.
    EXPECT_EQ(Rows("SELECT CASE WHEN COUNT(*) >= 190 THEN 'many' END FROM t SAMPLE (99.999999)"), "many");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t SAMPLE (0.000001)"), "0");
    // The WHERE clause still applies.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t SAMPLE (99.999999) WHERE n > 195 AND n < 0"), "0");
    EXPECT_EQ(Rows("SELECT MAX(n) FROM t SAMPLE (99.999999) WHERE n <= 3"),
              Rows("SELECT MAX(n) FROM t SAMPLE (99.999999) WHERE n <= 3 AND n > 0"));
}

TEST_F(CSampleClauseTest, TheSameSeedChoosesTheSameRows) {
    const std::string first = Rows("SELECT n FROM t SAMPLE (30) SEED (7) ORDER BY n");
    EXPECT_EQ(Rows("SELECT n FROM t SAMPLE (30) SEED (7) ORDER BY n"), first);
    EXPECT_NE(first, Rows("SELECT n FROM t ORDER BY n"));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t SAMPLE BLOCK (99) SEED (4294967295) WHERE n > 1000"), "0");
}

TEST_F(CSampleClauseTest, APercentageOutsideItsRangeIsRefused) {
    const char* const refused[] = {"0", "100", "0.0000001", "150", "-5"};
    for (const char* percent : refused)
        EXPECT_EQ(Rows(std::string("SELECT * FROM t SAMPLE (") + percent + ")"),
                  "ERROR ORA-30562: SAMPLE の割合は 0.000001 以上 100 未満である必要があります。")
            << percent;
    EXPECT_EQ(Rows("SELECT * FROM t SAMPLE ('10')").substr(0, 9), "ERROR ORA");
    EXPECT_EQ(Rows("SELECT * FROM t SAMPLE (10) SEED (1.5)").substr(0, 9), "ERROR ORA");
}

}  // namespace
