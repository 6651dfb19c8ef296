#include <gtest/gtest.h>

#include "engine/sqlite/CNumberFormat.h"

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
                 {1, "", nullptr},
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
