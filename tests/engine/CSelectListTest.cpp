#include <gtest/gtest.h>

#include "engine/sqlite/CSelectList.h"

TEST(CSelectListTest, ItemsWithHeadingsAndTextConversions) {
    auto items = CSelectList::Parse(
        "SELECT D, T.D, TO_CHAR(D, 'YYYY'), NVL(TO_CHAR(D), 'X'), A + 1, A + 1 B, COUNT(*) AS N, 'A  B', "
        "CASE WHEN A = 1 THEN 'X' END, SYSDATE FROM T WHERE A = 1");
    ASSERT_EQ(items.size(), 10u);
    struct Expected {
        bool textConversion;
        bool named;
        const char* heading;
    } expected[] = {{false, true, ""},
                    {false, true, ""},
                    {true, false, "TO_CHAR(D,'YYYY')"},
                    {false, false, "NVL(TO_CHAR(D),'X')"},
                    {false, false, "A+1"},
                    {false, true, ""},
                    {false, true, ""},
                    {false, false, "'A  B'"},
                    {false, false, "CASEWHENA=1THEN'X'END"},
                    {false, false, "SYSDATE"}};
    for (std::size_t k = 0; k < items.size(); ++k) {
        EXPECT_EQ(items[k].textConversion, expected[k].textConversion) << k;
        EXPECT_EQ(items[k].named, expected[k].named) << k;
        EXPECT_EQ(items[k].heading, expected[k].heading) << k;
    }
}

TEST(CSelectListTest, ListsThatCannotBeSplit) {
    for (const char* text :
         {"SELECT * FROM T", "SELECT T.*, A FROM T", "WITH X AS (SELECT 1) SELECT * FROM X",
          "INSERT INTO T VALUES (1)", "SELECT A, FROM T", ""})
        EXPECT_TRUE(CSelectList::Parse(text).empty()) << text;
    EXPECT_EQ(CSelectList::Parse("SELECT DISTINCT A * 2 FROM T").size(), 1u);
    EXPECT_EQ(CSelectList::Parse("SELECT F(A, B), 1").size(), 2u);
}

TEST(CSelectListTest, HeadingsAreUpperCaseButForQuotedNames) {
    auto items = CSelectList::Parse("select 'It''s', q'[ok]', nvl(\"Mx\", 'b') + \x82\x81 from t");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].heading, "'IT''S'");
    EXPECT_EQ(items[1].heading, "Q'[OK]'");
    EXPECT_EQ(items[2].heading, "NVL(\"Mx\",'B')+\x82\x60");
}
