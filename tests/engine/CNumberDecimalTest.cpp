#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/sqlite/values/CNumberDecimal.h"

namespace {

CNumberDecimal Of(const char* text) {
    CNumberDecimal value;
    EXPECT_TRUE(CNumberDecimal::FromText(text, value)) << text;
    return value;
}

TEST(CNumberDecimalTest, TextReadsStrictlyAndShowsInTheServersForm) {
    const struct {
        const char* text;
        const char* shown;
    } kCases[] = {{" 12.50 ", "12.5"},
                  {"-0.5", "-.5"},
                  {"+.25", ".25"},
                  {"1e3", "1000"},
                  {"1.5E-3", ".0015"},
                  {"000", "0"},
                  {"-0.000", "0"},
                  {"5.", "5"},
                  {"12345678901234567890123456789.5", "12345678901234567890123456789.5"}};
    for (const auto& c : kCases) EXPECT_EQ(Of(c.text).ToText(), c.shown) << c.text;
    CNumberDecimal value;
    for (const char* bad : {"", ".", "-", "1e", "1e+", "12a", "1.2.3", "e5", "1 2", "0x10", "1e1234567"})
        EXPECT_FALSE(CNumberDecimal::FromText(bad, value)) << bad;
}

TEST(CNumberDecimalTest, ADoubleStandsForItsShortestDecimalOfFifteenDigits) {
    const struct {
        double value;
        const char* shown;
    } kCases[] = {{0.1, ".1"},
                  {10.01, "10.01"},
                  {0.1 + 0.2, ".3"},
                  {-2.675, "-2.675"},
                  {1e20, "100000000000000000000"},
                  {1.0 / 3, ".333333333333333"},
                  {123456.78, "123456.78"}};
    for (const auto& c : kCases) {
        CNumberDecimal value;
        ASSERT_TRUE(CNumberDecimal::FromDouble(c.value, value));
        EXPECT_EQ(value.ToText(), c.shown);
        double back = 0;
        ASSERT_TRUE(value.ToDouble(back));
        EXPECT_EQ(back, std::strtod(c.shown, nullptr));
    }
    double back = 0;
    EXPECT_FALSE(Of("1234567890.123456789").ToDouble(back));
}

TEST(CNumberDecimalTest, TheServerKeepsFortyDigitsOrThirtyNine) {
    CNumberDecimal third;
    ASSERT_TRUE(Of("1").Divide(Of("3"), third));
    // .33.. fills its first base-100 digit pair; 3.3.. and 333.3.. do not.
    EXPECT_EQ(third.Server().Digits(), 40);
    EXPECT_EQ(third.Multiply(Of("10")).Server().Digits(), 39);
    EXPECT_EQ(third.Multiply(Of("100")).Server().Digits(), 40);
    EXPECT_EQ(third.Multiply(Of("1000")).Server().Digits(), 39);
    EXPECT_EQ(Of("9.9999999999999999999999999999999999999999").Server().ToText(), "10");
    EXPECT_EQ(Of("1e-131").Server().ToText(), "0");
    EXPECT_TRUE(Of("1e126").Overflows());
    EXPECT_FALSE(Of("9.99e125").Overflows());
}

TEST(CNumberDecimalTest, RoundingIsHalfAwayFromZeroAndTruncationTowardsIt) {
    const struct {
        const char* value;
        long scale;
        const char* rounded;
        const char* truncated;
    } kCases[] = {{"2.5", 0, "3", "2"},
                  {"-2.5", 0, "-3", "-2"},
                  {"0.5", 0, "1", "0"},
                  {"0.49", 0, "0", "0"},
                  {"1555", -1, "1560", "1550"},
                  {"-0.05", 1, "-.1", "0"},
                  {"999.995", 2, "1000", "999.99"},
                  {"0.004", -2, "0", "0"},
                  {"50", -2, "100", "0"},
                  {"7", 3, "7", "7"}};
    for (const auto& c : kCases) {
        EXPECT_EQ(Of(c.value).Round(c.scale).ToText(), c.rounded) << c.value << " " << c.scale;
        EXPECT_EQ(Of(c.value).Truncate(c.scale).ToText(), c.truncated) << c.value << " " << c.scale;
    }
}

TEST(CNumberDecimalTest, DivisionModAndPower) {
    CNumberDecimal out;
    EXPECT_FALSE(Of("1").Divide(Of("0"), out));
    ASSERT_TRUE(Of("0").Divide(Of("7"), out));
    EXPECT_TRUE(out.IsZero());
    EXPECT_EQ(Of("-7").Mod(Of("3")).ToText(), "-1");
    EXPECT_EQ(Of("7").Mod(Of("-3")).ToText(), "1");
    EXPECT_EQ(Of("7").Mod(Of("0")).ToText(), "7");
    ASSERT_TRUE(Of("-2").Power(3, out));
    EXPECT_EQ(out.ToText(), "-8");
    ASSERT_TRUE(Of("3").Power(-1, out));
    EXPECT_EQ(out.ToText(), ".3333333333333333333333333333333333333333");
    EXPECT_FALSE(Of("10").Power(200, out));
    EXPECT_FALSE(Of("0").Power(-1, out));
    ASSERT_TRUE(Of("0.5").Power(100000, out));
    EXPECT_TRUE(out.IsZero());
}

TEST(CNumberDecimalTest, SortKeysOrderAsTheValues) {
    std::vector<const char*> ordered = {"-1000", "-12.5", "-12", "-1.25", "-.001", "0",
                                        ".001",  ".0011", "1",   "1.5",   "12",    "120"};
    for (std::size_t k = 0; k + 1 < ordered.size(); ++k) {
        EXPECT_LT(Of(ordered[k]).SortKey(), Of(ordered[k + 1]).SortKey())
            << ordered[k] << " " << ordered[k + 1];
        EXPECT_LT(Of(ordered[k]).Compare(Of(ordered[k + 1])), 0);
    }
}

}  // namespace
