#include <gtest/gtest.h>

#include <cstdint>

#include "engine/sqlite/CValueText.h"

TEST(CValueTextTest, NumbersArePlainDecimals) {
    const std::pair<double, const char*> doubles[] = {{0.5, ".5"},
                                                      {-0.5, "-.5"},
                                                      {0.0, "0"},
                                                      {-0.0, "0"},
                                                      {3.0, "3"},
                                                      {12.25, "12.25"},
                                                      {1e20, "100000000000000000000"},
                                                      {1e-7, ".0000001"},
                                                      {0.1 + 0.2, ".3"},
                                                      {1.0 / 3, ".333333333333333"},
                                                      {-1234.5, "-1234.5"},
                                                      {123456789012345.0, "123456789012345"},
                                                      {2.5e-300 * 0, "0"}};
    for (const auto& [value, text] : doubles) EXPECT_EQ(CValueText::FromDouble(value), text) << value;
    EXPECT_EQ(CValueText::FromInteger(0), "0");
    EXPECT_EQ(CValueText::FromInteger(-42), "-42");
    EXPECT_EQ(CValueText::FromInteger(INT64_MIN), "-9223372036854775808");
}

TEST(CValueTextTest, ParseNumberIsStrict) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } cases[] = {{"1", true, 1},      {" -2.5 ", true, -2.5}, {".5", true, 0.5}, {"5.", true, 5},
                 {"1e3", true, 1000}, {"", false, 0},         {"-", false, 0},   {".", false, 0},
                 {"1e", false, 0},    {"12X", false, 0},      {"1 2", false, 0}, {"0x10", false, 0},
                 {"+7", true, 7}};
    for (const auto& c : cases) {
        double value = -99;
        EXPECT_EQ(CValueText::ParseNumber(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
    std::int64_t integer = 0;
    EXPECT_TRUE(CValueText::ParseInteger(" 9007199254740993 ", integer));
    EXPECT_EQ(integer, 9007199254740993LL);
    EXPECT_FALSE(CValueText::ParseInteger("1.5", integer));
    EXPECT_FALSE(CValueText::ParseInteger("99999999999999999999", integer));
}

TEST(CValueTextTest, StoredDates) {
    EXPECT_TRUE(CValueText::IsStoredDate("2026-12-06 10:11:12"));
    for (const char* text : {"2026-12-06", "2026-12-06 10:11:12 ", "2026/12/06 10:11:12"})
        EXPECT_FALSE(CValueText::IsStoredDate(text)) << text;
    EXPECT_EQ(CValueText::ShowDate("2026-12-06 10:11:12"), "26-12-06");
    EXPECT_EQ(CValueText::ShowDate("1999-01-31"), "99-01-31");
    EXPECT_EQ(CValueText::ShowDate("not a date"), "not a date");
}
