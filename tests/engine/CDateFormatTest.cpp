#include <gtest/gtest.h>

#include "engine/sqlite/CDateFormat.h"

TEST(CDateFormatTest, ParseByFormat) {
    struct Case {
        const char* text;
        const char* format;
        const char* stored;
    } cases[] = {
        {"2026-12-06", "YYYY-MM-DD", "2026-12-06 00:00:00"},
        {"2026/12/06 23:59:58", "YYYY/MM/DD HH24:MI:SS", "2026-12-06 23:59:58"},
        {"2026-12-06 07:08:09", "yyyy-mm-dd hh24:mi:ss", "2026-12-06 07:08:09"},
        {"06-DEC-2026", "DD-MON-YYYY", "2026-12-06 00:00:00"},
        {"26-12-06", "RR-MM-DD", "2026-12-06 00:00:00"},
        {"99-12-06", "RR-MM-DD", "1999-12-06 00:00:00"},
        {"2024-02-29", "YYYY-MM-DD", "2024-02-29 00:00:00"},
        {"12:30 PM 2026-01-01", "HH:MI AM YYYY-MM-DD", "2026-01-01 12:30:00"},
        {"12:30 AM 2026-01-01", "HH12:MI AM YYYY-MM-DD", "2026-01-01 00:30:00"},
        {"20261206", "YYYYMMDD", "2026-12-06 00:00:00"},
    };
    for (const Case& c : cases) {
        CDateTime value;
        std::string error;
        ASSERT_TRUE(CDateFormat::Parse(c.text, c.format, value, error)) << c.text << ": " << error;
        EXPECT_EQ(CDateFormat::ToStored(value), c.stored) << c.text;
    }
}

TEST(CDateFormatTest, InvalidDatesAreRefused) {
    struct Case {
        const char* text;
        const char* format;
    } cases[] = {
        {"2026-02-29", "YYYY-MM-DD"},
        {"2026-13-01", "YYYY-MM-DD"},
        {"2026-12-06 24:00:00", "YYYY-MM-DD HH24:MI:SS"},
        {"ABC", "YYYY-MM-DD"},
        {"2026-12-06X", "YYYY-MM-DD"},
        {"13:00 PM", "HH:MI AM"},
    };
    for (const Case& c : cases) {
        CDateTime value;
        std::string error;
        EXPECT_FALSE(CDateFormat::Parse(c.text, c.format, value, error)) << c.text;
        EXPECT_NE(error, "") << c.text;
    }
}

TEST(CDateFormatTest, FormatElementsAndLiterals) {
    CDateTime value{2026, 2, 3, 13, 4, 5};
    struct Case {
        const char* format;
        const char* text;
    } cases[] = {
        {"YYYY-MM-DD HH24:MI:SS", "2026-02-03 13:04:05"},
        {"RR-MM-DD", "26-02-03"},
        {"DD MON YYYY", "03 FEB 2026"},
        {"HH12:MI AM", "01:04 PM"},
        {"YYYY\"年\"MM", "2026年02"},
        {"YYYY\"unterminated", "2026unterminated"},
    };
    for (const Case& c : cases) {
        std::string out;
        std::string error;
        ASSERT_TRUE(CDateFormat::Format(value, c.format, out, error)) << c.format << ": " << error;
        EXPECT_EQ(out, c.text) << c.format;
    }
    std::string out;
    std::string error;
    EXPECT_FALSE(CDateFormat::Format(value, "YYYY-Q", out, error));
}

TEST(CDateFormatTest, StoredForm) {
    CDateTime value;
    EXPECT_TRUE(CDateFormat::ParseStored("2026-12-06 01:02:03", value));
    EXPECT_EQ(CDateFormat::ToStored(value), "2026-12-06 01:02:03");
    EXPECT_TRUE(CDateFormat::ParseStored("2026-12-06", value));
    EXPECT_EQ(value.hour, 0);
    EXPECT_FALSE(CDateFormat::ParseStored("2026-12-32", value));
    EXPECT_TRUE(CDateFormat::IsValid(CDateFormat::Now()));
}
