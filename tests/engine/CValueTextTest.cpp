#include <gtest/gtest.h>

#include <cstdint>

#include "engine/sqlite/CValueText.h"

TEST(CValueTextTest, DoublesArePlainDecimals) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0.5, ".5"},
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
        {2.5e-300 * 0, "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(CValueText::FromDouble(c.value), c.text) << c.value;
}

TEST(CValueTextTest, Integers) {
    EXPECT_EQ(CValueText::FromInteger(0), "0");
    EXPECT_EQ(CValueText::FromInteger(-42), "-42");
    EXPECT_EQ(CValueText::FromInteger(INT64_MIN), "-9223372036854775808");
}

TEST(CValueTextTest, ParseNumberIsStrict) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"1", true, 1},    {" -2.5 ", true, -2.5}, {".5", true, 0.5}, {"5.", true, 5},  {"1e3", true, 1000},
        {"", false, 0},    {"-", false, 0},        {".", false, 0},   {"1e", false, 0}, {"12X", false, 0},
        {"1 2", false, 0}, {"0x10", false, 0},     {"+7", true, 7},
    };
    for (const Case& c : cases) {
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
    EXPECT_FALSE(CValueText::IsStoredDate("2026-12-06"));
    EXPECT_FALSE(CValueText::IsStoredDate("2026-12-06 10:11:12 "));
    EXPECT_FALSE(CValueText::IsStoredDate("2026/12/06 10:11:12"));
    EXPECT_EQ(CValueText::ShowDate("2026-12-06 10:11:12"), "26-12-06");
    EXPECT_EQ(CValueText::ShowDate("1999-01-31"), "99-01-31");
    EXPECT_EQ(CValueText::ShowDate("not a date"), "not a date");
}
