// BINARY_FLOAT and BINARY_DOUBLE values: the server's text of an IEEE value
// (fewest of 15 or 17 digits, 6 or 9 for single precision), text read back
// with INF and NaN, and the order that puts NaN above everything.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/sqlite/values/CFloatValue.h"

namespace {

constexpr int kSingle = CFloatValue::kSingle;
constexpr int kDouble = CFloatValue::kDouble;

float Single(double value) { return static_cast<float>(value); }

}  // namespace

TEST(CFloatValueTest, TextIsTheFewestDigitsThatReadBack) {
    struct Case {
        double value;
        int width;
        const char* text;
    };
    const Case cases[] = {
        // 15 digits of 1/3 read back as another double; 17 always do.
        {1.0 / 3, kDouble, "3.3333333333333331E-001"},
        {0.1, kDouble, "1.0E-001"},
        {1234.56, kDouble, "1.23456E+003"},
        {-1.5, kDouble, "-1.5E+000"},
        {1e300, kDouble, "1.0E+300"},
        {std::numeric_limits<double>::max(), kDouble, "1.7976931348623157E+308"},
        {std::numeric_limits<double>::denorm_min(), kDouble, "4.9406564584124654E-324"},
        // Single precision: 6 digits, else 9.
        {Single(2.5), kSingle, "2.5E+000"},
        {Single(0.1), kSingle, "1.0E-001"},
        {Single(1.0 / 3), kSingle, "3.33333343E-001"},
        {std::numeric_limits<float>::max(), kSingle, "3.40282347E+038"},
        // The single 0.1 seen as a double shows all its digits.
        {Single(0.1), kDouble, "1.0000000149011612E-001"},
        {0.0, kDouble, "0"},
        {std::nan(""), kDouble, "Nan"},
        {HUGE_VAL, kDouble, "Inf"},
        {-HUGE_VAL, kSingle, "-Inf"},
    };
    for (const Case& c : cases) EXPECT_EQ(CFloatValue::Text(c.value, c.width), c.text) << c.text;
}

TEST(CFloatValueTest, ParseTakesNumbersAndTheNamedValues) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5},
        {" -2e3 ", true, -2000},
        {"+.5", true, 0.5},
        {"inf", true, HUGE_VAL},
        {"-INF", true, -HUGE_VAL},
        {"1e400", true, HUGE_VAL},
        {"-1e400", true, -HUGE_VAL},
        {"1e-400", true, 0},
        {"1.5x", false, 0},
        {"", false, 0},
        {"e5", false, 0},
        {"1e", false, 0},
        {"infinity", false, 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        ASSERT_EQ(CFloatValue::Parse(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    double nan = 0;
    ASSERT_TRUE(CFloatValue::Parse("NaN", nan));
    EXPECT_TRUE(std::isnan(nan));
}

TEST(CFloatValueTest, NanIsAboveEverythingAndEqualToItself) {
    const double nan = std::nan("");
    EXPECT_EQ(CFloatValue::Compare(nan, HUGE_VAL), 1);
    EXPECT_EQ(CFloatValue::Compare(-HUGE_VAL, nan), -1);
    EXPECT_EQ(CFloatValue::Compare(nan, nan), 0);
    EXPECT_EQ(CFloatValue::Compare(-0.0, 0.0), 0);
    EXPECT_EQ(CFloatValue::Compare(1, 2), -1);
    EXPECT_EQ(CFloatValue::Narrow(0.1, kSingle), static_cast<double>(0.1f));
    EXPECT_EQ(CFloatValue::Narrow(0.1, kDouble), 0.1);
}
