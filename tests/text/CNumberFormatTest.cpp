#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

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

// Every value laid out by a plain model takes the model's width, and reads
// back (group separators and blanks left out) as the value rounded to the
// model's decimals, or is "#"s when its integer part has more digits than
// the model.
TEST(CNumberFormatTest, PlainModelsShowTheRoundedValueOrHashes) {
    const char* models[] = {"9,990.99", "099.9", ".999", "9999", "999,999,999.9999", "0.0", "9G9G9D9"};
    const char* values[] = {"0",     "1",      "-1",        ".005",   "-.005",           "999.95",
                            "12345", "-0.049", "123456789", "1E+20",  "-99999999.99995", ".5",
                            "9.95",  "-9.95",  "1000",      "1.5E-7", "7654.321"};
    for (const char* modelText : models) {
        CNumberFormat model;
        std::string error;
        ASSERT_TRUE(CNumberFormat::Parse(modelText, model, error)) << modelText;
        const std::string_view text(modelText);
        const std::size_t point = text.find_first_of(".D");
        const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
        int positions = 0;
        for (std::size_t k = 0; k < std::min(point, text.size()); ++k)
            positions += text[k] == '9' || text[k] == '0';
        for (const char* valueText : values) {
            CDecimal value;
            ASSERT_TRUE(CDecimal::Parse(valueText, value));
            std::string out;
            model.Format(value, out);
            EXPECT_EQ(static_cast<int>(out.size()), model.Width()) << valueText << " by " << modelText;
            CDecimal rounded = value;
            rounded.RoundToDecimals(decimals);
            const bool tooWide = rounded.PointPosition() > positions && !rounded.IsZero();
            if (tooWide) {
                EXPECT_EQ(out, std::string(out.size(), '#')) << valueText << " by " << modelText;
                continue;
            }
            std::string digits;
            for (char c : out)
                if (c != ',' && c != ' ') digits += c;
            CDecimal read;
            ASSERT_TRUE(CDecimal::Parse(digits, read)) << out;
            EXPECT_EQ(read.Compare(rounded), 0) << valueText << " by " << modelText << " gave " << out;
        }
    }
}

// Models and values put together at random: a model is read or refused,
// never more; what it lays out is always its width (or less with FM).
TEST(CNumberFormatTest, RandomModelsKeepTheirWidth) {
    const char* pieces[] = {"9",    "0",  ",", ".", "$", "B", "MI", "S", "PR",
                            "EEEE", "FM", "D", "G", "L", "V", "X",  "a"};
    const char* values[] = {"0", "-1", "123.456", "1E+30", "-9.99E-30", ".5", "99999999999999999999"};
    std::mt19937 random(17);
    int read = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string model;
        const int length = static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) model += pieces[random() % std::size(pieces)];
        CNumberFormat format;
        std::string error;
        if (!CNumberFormat::Parse(model, format, error)) continue;
        ++read;
        for (const char* valueText : values) {
            CDecimal value;
            ASSERT_TRUE(CDecimal::Parse(valueText, value));
            std::string out;
            format.Format(value, out);
            if (format.IsFillMode())
                EXPECT_LE(static_cast<int>(out.size()), format.Width()) << model << " " << valueText;
            else
                EXPECT_EQ(static_cast<int>(out.size()), format.Width())
                    << model << " " << valueText << " [" << out << "]";
        }
    }
    EXPECT_GT(read, 500);
}

// TO_NUMBER's reading: the value the server gives for text that fits its
// model, and "fails" where it answers ORA-01722.
TEST(CNumberFormatTest, ReadTextByModel) {
    const struct {
        const char* text;
        const char* model;
        const char* value;
    } cases[] = {
        {"1,234.5", "9G999D9", "1234.5"},
        {"  1,234.50 ", "9,999.99", "1234.50"},
        {"1234", "9,999", "1234"},
        {"$1,234.50", "$9,999.99", "1234.50"},
        {"-$12", "$99", "-12"},
        {"\x81\x8F"
         "12",
         "L99", "12"},
        {"-12.5", "S99.9", "-12.5"},
        {"+12.5", "S99.9", "12.5"},
        {"12.5", "S99.9", "fails"},
        {"12.5-", "99.9MI", "-12.5"},
        {"12.5", "99.9MI", "12.5"},
        {"12-", "99S", "-12"},
        {"<12>", "99PR", "-12"},
        {"12", "99PR", "12"},
        {".5", "9.99", "0.5"},
        {"12345", "999", "fails"},
        {"1.234", "9.99", "fails"},
        {"12.5", "999", "fails"},
        {"1,234", "9999", "fails"},
        {"12a", "999", "fails"},
        {"", "999", "fails"},
        {"12345", "999V99", "123.45"},
        {"5", "9V99", "0.05"},
        {"1.5E3", "9.9EEEE", "1.5E3"},
        {"ff", "XX", "255"},
        {"FFFFFFFFFFFFFFFFFFFF", "FMXXXXXXXXXXXXXXXXXXXX", "1208925819614629174706175"},
        {"fff", "XX", "fails"},
        {"fg", "XX", "fails"},
        {"007", "FM0099", "007"},
    };
    for (const auto& c : cases) {
        std::string value;
        EXPECT_EQ(CNumberFormat::Read(c.text, c.model, value) ? value : "fails", c.value)
            << c.text << " by " << c.model;
    }
    // G and D stand for the characters given; "," and "." for themselves.
    std::string value;
    EXPECT_TRUE(CNumberFormat::Read("1.234,5", "9G999D9", value, '.', ','));
    EXPECT_EQ(value, "1234.5");
    EXPECT_FALSE(CNumberFormat::Read("1.234,5", "9,999.9", value, '.', ','));
}

// Roman numerals and hexadecimal digits stand alone in their models.
TEST(CNumberFormatTest, RomanAndHexadecimalModels) {
    const struct {
        const char* value;
        const char* model;
        const char* text;
    } cases[] = {
        {"12", "RN", "            XII"},
        {"1994", "fmRN", "MCMXCIV"},
        {"3999", "FMrn", "mmmcmxcix"},
        {"12.5", "FMRN", "XIII"},
        {"0", "RN", "###############"},
        {"4000", "RN", "###############"},
        {"255", "XX", " FF"},
        {"255", "xxxx", "   ff"},
        {"255", "0XXX", "00FF"},
        {"255", "FMXXXX", "FF"},
        {"0", "X", " 0"},
        {"10.5", "X", " B"},
        {"4096", "XX", "###"},
        {"-1", "XX", "###"},
        {"18446744073709551616", "FMXXXXXXXXXXXXXXXXX", "10000000000000000"},
    };
    for (const auto& c : cases) {
        std::string out;
        std::string error;
        ASSERT_TRUE(CNumberFormat::Format(std::string_view(c.value), c.model, out, error)) << c.model;
        EXPECT_EQ(out, c.text) << c.value << " by " << c.model;
    }
}
