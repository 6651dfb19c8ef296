#include <gtest/gtest.h>

#include "engine/sqlite/CNumberFormat.h"

TEST(CNumberFormatTest, FormatModels) {
    struct Case {
        double value;
        const char* format;
        const char* text;
    } cases[] = {
        {123, "999", " 123"},
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
    };
    for (const Case& c : cases) {
        std::string out;
        std::string error;
        ASSERT_TRUE(CNumberFormat::Format(c.value, c.format, out, error)) << c.format << ": " << error;
        EXPECT_EQ(out, c.text) << c.value << " " << c.format;
    }
}

TEST(CNumberFormatTest, UnknownModelsAreErrors) {
    for (const char* format : {"", "ABC", "9.9.9", "FM", "9X"}) {
        std::string out;
        std::string error;
        EXPECT_FALSE(CNumberFormat::Format(1, format, out, error)) << format;
        EXPECT_NE(error, "") << format;
    }
}
