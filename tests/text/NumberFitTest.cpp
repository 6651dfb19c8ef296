#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/CDecimal.h"
#include "text/NumberFit.h"

namespace {

// The place of the last digit `shown` holds: decimals after the point, or
// for d.dddE+x the mantissa's decimals less the exponent.
int ShownDecimals(const std::string& shown) {
    const std::size_t e = shown.find('E');
    const std::string mantissa = shown.substr(0, e);
    const std::size_t point = mantissa.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    if (e == std::string::npos) return decimals;
    return decimals - std::stoi(shown.substr(e + 1));
}

std::vector<std::string> Values() {
    std::vector<std::string> values = {"123456789012",
                                       "9876543210.55",
                                       "1410934744.3571428571428571428571428571",
                                       ".6666666666666666666666666666666666666667",
                                       "-.6666666666666666666666666666666666666667",
                                       "99999999999999999999.999",
                                       "-99999.99999",
                                       "1E+125",
                                       "-9.99999999999999999999999999999999999999E+125",
                                       "1.5E-130",
                                       ".000000000000123456",
                                       "-.0000000000005",
                                       "12345678901234567890123456789012345678",
                                       "-12345678901234567890123456789012345678",
                                       "0.5",
                                       "-0.05",
                                       "3.14159265358979323846264338327950288",
                                       "1000000000000000000000",
                                       "-1",
                                       "0"};
    for (int digits = 1; digits <= 40; digits += 3) {
        values.push_back(std::string(static_cast<std::size_t>(digits), '9'));
        values.push_back("-" + std::string(static_cast<std::size_t>(digits), '5') + ".5");
        values.push_back("." + std::string(static_cast<std::size_t>(digits), '9'));
    }
    return values;
}

}  // namespace

TEST(NumberFitTest, ShownTextIsTheValueRoundedToTheShownDigits) {
    for (const std::string& text : Values()) {
        CDecimal value;
        ASSERT_TRUE(CDecimal::Parse(text, value)) << text;
        for (int width = 2; width <= 40; ++width) {
            const std::string shown = numberfit::Fit(text, width);
            ASSERT_LE(static_cast<int>(shown.size()), width) << text << " in " << width;
            if (shown.find_first_not_of('#') == std::string::npos) {
                // Only a width too narrow for the shortest scientific form
                // ("-dE+xx") gives "#"s.
                const int exponent = value.PointPosition() - 1;
                const int exponentDigits =
                    std::max(2, static_cast<int>(std::to_string(std::abs(exponent)).size()));
                EXPECT_LT(width, (value.IsNegative() ? 1 : 0) + 3 + exponentDigits) << text;
                continue;
            }
            if (static_cast<int>(text.size()) <= width) {
                EXPECT_EQ(shown, text);
                continue;
            }
            CDecimal read;
            ASSERT_TRUE(CDecimal::Parse(shown, read)) << shown;
            CDecimal rounded = value;
            rounded.RoundToDecimals(ShownDecimals(shown));
            EXPECT_EQ(read.Compare(rounded), 0) << text << " in " << width << " shown as " << shown;
            EXPECT_FALSE(read.IsZero()) << text << " in " << width << " lost every digit";
        }
    }
}

TEST(NumberFitTest, ExamplesUsersMeet) {
    EXPECT_EQ(numberfit::Fit("123456789012", 10), "1.2346E+11");
    EXPECT_EQ(numberfit::Fit("9876543210.55", 10), "9876543211");
    EXPECT_EQ(numberfit::Fit(".6666666666666666667", 10), ".666666667");
    EXPECT_EQ(numberfit::Fit("-123456789012", 4), "####");
    EXPECT_EQ(numberfit::Fit("ABCDEFGHIJKL", 10), "ABCDEFGHIJKL");
}

TEST(CDecimalTest, ExactSumsAndRounding) {
    const struct {
        const char* a;
        const char* b;
        const char* sum;
    } sums[] = {{".1", ".2", ".3"},
                {"99999999999999999999.99", ".01", "100000000000000000000"},
                {"-5", "3", "-2"},
                {"3", "-5", "-2"},
                {"1.5E+3", "-1500", "0"},
                {"-.001", "-.009", "-.01"},
                {"123456789012345678901234567890", "1", "123456789012345678901234567891"}};
    for (const auto& c : sums) {
        CDecimal a, b;
        ASSERT_TRUE(CDecimal::Parse(c.a, a) && CDecimal::Parse(c.b, b));
        a.Add(b);
        EXPECT_EQ(a.ToText(), c.sum) << c.a << " + " << c.b;
    }
    CDecimal half;
    ASSERT_TRUE(CDecimal::Parse("-2.5", half));
    half.RoundToDecimals(0);
    EXPECT_EQ(half.ToText(), "-3");
    ASSERT_TRUE(CDecimal::Parse("949.5", half));
    half.RoundToDecimals(-2);
    EXPECT_EQ(half.ToText(), "900");
    for (const char* bad : {"", "-", ".", "1E", "1.2.3", "12a", "1E+99999", "--1"}) {
        CDecimal value;
        EXPECT_FALSE(CDecimal::Parse(bad, value)) << bad;
    }
}
