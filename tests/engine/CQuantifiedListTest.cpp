// A comparison with ANY, SOME or ALL of an expression list: "x op ANY (a, b)"
// is "x op a OR x op b", "x op ALL (a, b)" is "x op a AND x op b", each
// comparison converting its operands as a plain comparison does.
#include "tests/engine/EngineFixture.h"

namespace {

class CQuantifiedListTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EMP (ENAME VARCHAR2(10), SAL NUMBER, CODE VARCHAR2(5), HIRED DATE)");
        Exec("INSERT INTO EMP VALUES ('A', 800, '10', DATE '1980-12-17')");
        Exec("INSERT INTO EMP VALUES ('B', 1300, '20', DATE '1982-01-23')");
        Exec("INSERT INTO EMP VALUES ('C', 5000, '5000', DATE '1981-11-17')");
        Exec("INSERT INTO EMP VALUES ('D', NULL, NULL, NULL)");
    }
};

TEST_F(CQuantifiedListTest, SpellingsItemsAndConversions) {
    const struct {
        const char* where;
        const char* names;
    } cases[] = {
        {"SAL = ANY (1300, 5000)", "B|C"},
        {"SAL = ANY (800)", "A"},
        {"SAL > ALL (1000, 2000)", "C"},
        {"SAL <> ALL (800, 1300)", "C"},
        {"SAL != ALL (800, 1300)", "C"},
        {"SAL ^= ANY (800, 1300)", "A|B|C"},
        {"SAL = ALL (800, 800)", "A"},
        // Each item an expression; a column on the right too.
        {"SAL = ANY (400 * 2, 1000 + 300)", "A|B"},
        {"SAL * 2 > ALL (SAL + 1, 2000)", "B|C"},
        // Text meets a number as a number, and a date as a date.
        {"SAL = ANY ('800', '5000')", "A|C"},
        {"CODE = ANY (20, 5000)", "B|C"},
        {"HIRED > ALL (DATE '1981-01-01', DATE '1981-06-30')", "B|C"},
        {"HIRED < ANY (DATE '1981-01-01', DATE '1970-01-01')", "A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ENAME FROM EMP WHERE ") + c.where + " ORDER BY 1"), c.names)
            << c.where;
}

TEST_F(CQuantifiedListTest, ListAmongOtherConditions) {
    EXPECT_EQ(
        Rows("SELECT ENAME FROM EMP WHERE SAL = ANY (800, 5000) AND CODE = ANY ('10', '20') ORDER BY 1"),
        "A");
    EXPECT_EQ(Rows("SELECT ENAME FROM EMP WHERE SAL = ANY (800) OR SAL > ALL (1000, 1200) ORDER BY 1"),
              "A|B|C");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EMP WHERE SAL = ANY ((SELECT MAX(SAL) FROM EMP), 800)"), "2");
    EXPECT_EQ(Rows("SELECT ENAME FROM EMP WHERE SAL = ANY (SELECT SAL FROM EMP WHERE SAL > 1000) ORDER BY 1"),
              "B|C");
    // A long list is read as one.
    std::string list = "0";
    for (int k = 1; k <= 600; ++k) list += ", " + std::to_string(k * 100);
    EXPECT_EQ(Rows("SELECT ENAME FROM EMP WHERE SAL = ANY (" + list + ") ORDER BY 1"), "A|B|C");
    EXPECT_EQ(Rows("SELECT ENAME FROM EMP WHERE SAL <> ALL (" + list + ") ORDER BY 1"), "");
}

}  // namespace
