#include <gtest/gtest.h>

#include "text/CNumberFormat.h"

TEST(CNumberFormatTest, FormatModels) {
    const struct {
        double value;
        const char* format;
        const char* text;  // nullptr: the model is refused
    } cases[] = {{123, "999", " 123"},
                 {-5, "999", "  -5"},
                 {0, "999", "   0"},
                 {1234.5, "9,999.99", " 1,234.50"},
                 {12.5, "9,999.99", "    12.50"},
                 {0.5, "9.99", "  .50"},
                 {0.5, "0.99", " 0.50"},
                 {7, "000", " 007"},
                 {7, "FM000", "007"},
                 {1.5, "FM9.99", "1.5"},
                 {1.5, "FM9.00", "1.50"},
                 {12345, "999", "####"},
                 {2.5, "9", " 3"},
                 {-2.5, "9", "-3"},
                 {1234567, "9,999,999", " 1,234,567"},
                 {-0.004, "9.99", "  .00"},
                 {5, "$999", "   $5"},
                 {-5, "$999", "  -$5"},
                 {0, "B999", "    "},
                 {0.5, "B9.99", "  .50"},
                 {-5, "999MI", "  5-"},
                 {5, "999mi", "  5 "},
                 {5, "S999", "  +5"},
                 {-5, "999S", "  5-"},
                 {-5, "999PR", "  <5>"},
                 {5, "999PR", "   5 "},
                 {12345, "9.99EEEE", " 1.23E+04"},
                 {-0.00012, "9.9EEEE", "-1.2E-04"},
                 {99999, "9.9EEEE", " 1.0E+05"},
                 {0, "9.9EEEE", " 0.0E+00"},
                 {1234.5, "9G999D99", " 1,234.50"},
                 {1.234, "99V99", "  123"},
                 {1234, "L9,999",
                  " \x81\x8F"
                  "1,234"},
                 {-1234.567, "FM999,999.99", "-1,234.57"},
                 {1.005, "9.99", " 1.01"},
                 {12345, "999MI", "####"},
                 {1, "", nullptr},
                 {1, "9S9", nullptr},
                 {1, "MI999", nullptr},
                 {1, "9V9.9", nullptr},
                 {1, "9EEEE9", nullptr},
                 {1, "ABC", nullptr},
                 {1, "9.9.9", nullptr},
                 {1, "FM", nullptr},
                 {1, "9X", nullptr}};
    for (const auto& c : cases) {
        std::string out, error;
        EXPECT_EQ(CNumberFormat::Format(c.value, c.format, out, error), c.text != nullptr)
            << c.format << ": " << error;
        if (c.text != nullptr) {
            EXPECT_EQ(out, c.text) << c.value << " " << c.format;
        } else {
            EXPECT_NE(error, "") << c.format;
        }
    }
}

// Numbers as the database gives them: exact decimals of any length.
TEST(CNumberFormatTest, DecimalText) {
    CNumberFormat format;
    std::string error;
    ASSERT_TRUE(CNumberFormat::Parse("999,999,999,999,999,999,990.99", format, error));
    EXPECT_EQ(format.Width(), 31);
    std::string out;
    CDecimal value;
    ASSERT_TRUE(CDecimal::Parse("123456789012345678901.005", value));
    format.Format(value, out);
    EXPECT_EQ(out, " 123,456,789,012,345,678,901.01");
    EXPECT_TRUE(CNumberFormat::Format("not a number", "999", out, error));
    EXPECT_EQ(out, "####");
}
