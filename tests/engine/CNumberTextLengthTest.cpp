// A number's text written without a model (TO_CHAR(n), n || text) is
// described as long as the longest text the rule gives: 40 digit places,
// the point and the sign. A table made from it holds every such text whole.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {
class CNumberTextLengthTest : public EngineFixture {};
}  // namespace

TEST_F(CNumberTextLengthTest, TheLongestTextFitsTheDescribedLength) {
    const struct {
        const char* expression;
        const char* text;
    } cases[] = {
        {"1/3", ".3333333333333333333333333333333333333333"},
        {"-1/3", "-.3333333333333333333333333333333333333333"},
        {"-2/3", "-.6666666666666666666666666666666666666667"},
        {"-100/7", "-14.28571428571428571428571428571428571429"},
        // Past 40 places the text is scientific, in 40 bytes.
        {"-1/3000", "-3.333333333333333333333333333333333E-04"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        Exec("CREATE TABLE TC AS SELECT TO_CHAR(" + std::string(c.expression) + ") X FROM DUAL");
        EXPECT_EQ(
            Rows("SELECT DATA_TYPE || '(' || DATA_LENGTH || ')' FROM USER_TAB_COLUMNS WHERE TABLE_NAME = "
                 "'TC'"),
            "VARCHAR2(42)");
        EXPECT_EQ(Rows("SELECT X FROM TC"), c.text);
        Exec("DROP TABLE TC PURGE");
    }
}

TEST_F(CNumberTextLengthTest, ANumberColumnJoinedToTextIsAsLong) {
    Exec("CREATE TABLE N (V NUMBER)");
    Exec("INSERT INTO N VALUES (-1/3)");
    Exec("CREATE TABLE TC AS SELECT V || '#' S, TO_CHAR(V) T FROM N");
    EXPECT_EQ(Rows("SELECT DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'TC' ORDER BY COLUMN_ID"),
              "43|42");
    EXPECT_EQ(Rows("SELECT LENGTHB(S) || ',' || LENGTHB(T) FROM TC"), "43,42");
}
