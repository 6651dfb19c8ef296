#include <gtest/gtest.h>

#include "engine/sqlite/CDateFormat.h"

TEST(CDateFormatTest, ParseByFormat) {
    const struct {
        const char* text;
        const char* format;
        const char* stored;  // nullptr: refused with `code`
        int code;
    } cases[] = {{"2026-12-06", "YYYY-MM-DD", "2026-12-06 00:00:00", 0},
                 {"2026/12/06 23:59:58", "YYYY/MM/DD HH24:MI:SS", "2026-12-06 23:59:58", 0},
                 {"2026-12-06 07:08:09", "yyyy-mm-dd hh24:mi:ss", "2026-12-06 07:08:09", 0},
                 {"06-12月-2026", "DD-MON-YYYY", "2026-12-06 00:00:00", 0},
                 {"26-12-06", "RR-MM-DD", "2026-12-06 00:00:00", 0},
                 {"99-12-06", "RR-MM-DD", "1999-12-06 00:00:00", 0},
                 {"2024-02-29", "YYYY-MM-DD", "2024-02-29 00:00:00", 0},
                 {"12:30 PM 2026-01-01", "HH:MI AM YYYY-MM-DD", "2026-01-01 12:30:00", 0},
                 {"12:30 AM 2026-01-01", "HH12:MI AM YYYY-MM-DD", "2026-01-01 00:30:00", 0},
                 {"20261206", "YYYYMMDD", "2026-12-06 00:00:00", 0},
                 {"2026年12月06日", "YYYY\"年\"MM\"月\"DD\"日\"", "2026-12-06 00:00:00", 0},
                 // Each failure has the server's own number.
                 {"06-DEC-2026", "DD-MON-YYYY", nullptr, 1843},
                 {"2026-13-01", "YYYY-MM-DD", nullptr, 1843},
                 {"2026-12-32", "YYYY-MM-DD", nullptr, 1847},
                 {"2026-02-29", "YYYY-MM-DD", nullptr, 1839},
                 {"2026-12-06 24:00:00", "YYYY-MM-DD HH24:MI:SS", nullptr, 1850},
                 {"13:00 PM", "HH:MI AM", nullptr, 1849},
                 {"10:61", "HH24:MI", nullptr, 1851},
                 {"10:10:60", "HH24:MI:SS", nullptr, 1852},
                 {"12:30 XY", "HH:MI AM", nullptr, 1855},
                 {"0000-01-01", "YYYY-MM-DD", nullptr, 1841},
                 {"ABC", "YYYY-MM-DD", nullptr, 1858},
                 {"2026", "YYYY-MM-DD", nullptr, 1840},
                 {"2026-12-06X", "YYYY-MM-DD", nullptr, 1830},
                 {"2026-12-06 10:00", "YYYY-MM-DD", nullptr, 1830},
                 {"2026年12月06日", "YYYY\"年\"MM\"月\"DD\"日\" HH24", nullptr, 1840}};
    for (const auto& c : cases) {
        CDateTime value;
        std::string error;
        ASSERT_EQ(CDateFormat::Parse(c.text, c.format, value, error), c.stored != nullptr)
            << c.text << ": " << error;
        if (c.stored != nullptr) {
            EXPECT_EQ(CDateFormat::ToStored(value), c.stored) << c.text;
        } else {
            EXPECT_EQ(CDateFormat::Read(c.text, c.format, value), c.code) << c.text;
        }
    }
}

TEST(CDateFormatTest, FormatElementsAndLiterals) {
    CDateTime value{2026, 2, 3, 13, 4, 5};
    const std::pair<const char*, const char*> cases[] = {{"YYYY-MM-DD HH24:MI:SS", "2026-02-03 13:04:05"},
                                                         {"RR-MM-DD", "26-02-03"},
                                                         {"DD MON YYYY", "03 2月 2026"},
                                                         {"HH12:MI AM", "01:04 午後"},
                                                         {"YYYY\"年\"MM", "2026年02"},
                                                         {"YYYY\"unterminated", "2026unterminated"}};
    std::string out, error;
    for (const auto& [format, text] : cases) {
        ASSERT_TRUE(CDateFormat::Format(value, format, out, error)) << format << ": " << error;
        EXPECT_EQ(out, text) << format;
    }
    EXPECT_FALSE(CDateFormat::Format(value, "YYYY-TZH", out, error));
}

// The numbers a date has beside its calendar fields, as TO_CHAR writes
// them; none of them is read by TO_DATE.
TEST(CDateFormatTest, WeeksQuartersAndDayNumbers) {
    const struct {
        CDateTime value;
        const char* format;
        const char* text;
    } cases[] = {
        // 2024-03-14 is a Thursday, the 74th day; 2024 starts on a Monday. FM
        // holds to the end once written.
        {{2024, 3, 14, 0, 0, 0}, "Q WW IW W D DDD", "1 11 11 2 5 074"},
        {{2024, 3, 14, 0, 0, 0}, "CC YYY Y RM|fmRM|rm", "21 024 4 III |III|iii"},
        {{2000, 1, 1, 0, 0, 0}, "J CC", "2451545 20"},
        {{2024, 1, 1, 1, 2, 3}, "SSSSS", "03723"},
        // The last days of a year may be in the next ISO year, the first in the last.
        {{2021, 1, 2, 0, 0, 0}, "IYYY-IW IY I", "2020-53 20 0"},
        {{2024, 12, 31, 0, 0, 0}, "IYYY-IW DDD", "2025-01 366"},
        {{2024, 12, 29, 0, 0, 0}, "IYYY-IW D", "2024-52 1"},
    };
    std::string out, error;
    for (const auto& c : cases) {
        ASSERT_TRUE(CDateFormat::Format(c.value, c.format, out, error)) << c.format << ": " << error;
        EXPECT_EQ(out, c.text) << c.format;
    }
    CDateTime value;
    EXPECT_FALSE(CDateFormat::Parse("2024 1", "YYYY Q", value, error));
}

// TH, SP and SPTH after a number, and the year in words, in the case the
// element is written in; words are English in every language.
TEST(CDateFormatTest, SpelledAndOrdinalNumbers) {
    const struct {
        CDateTime value;
        const char* format;
        const char* text;
    } cases[] = {
        {{2024, 3, 1, 0, 0, 0}, "DDTH Ddth ddTH", "01ST 01st 01ST"},
        {{2024, 3, 12, 0, 0, 0}, "DDTH DDSPTH", "12TH TWELFTH"},
        {{2024, 3, 22, 0, 0, 0}, "fmDdth Ddspth ddsp", "22nd Twenty-Second twenty-two"},
        {{2024, 3, 23, 13, 40, 0}, "DDTHSP HH24SP MISPTH", "TWENTY-THIRD THIRTEEN FORTIETH"},
        {{2024, 3, 5, 0, 0, 0}, "YEAR, Year", "TWENTY TWENTY-FOUR, Twenty Twenty-Four"},
        {{2005, 3, 5, 0, 0, 0}, "year|SYEAR", "two thousand five|TWO THOUSAND FIVE"},
        {{1900, 3, 5, 0, 0, 0}, "YEAR", "NINETEEN HUNDRED"},
        {{1998, 11, 5, 0, 0, 0}, "MMSPTH \"of\" YEAR", "ELEVENTH of NINETEEN NINETY-EIGHT"},
        {{2024, 3, 5, 0, 0, 0}, "DDDSP", "SIXTY-FIVE"},
    };
    std::string out, error;
    for (const auto& c : cases) {
        ASSERT_TRUE(CDateFormat::Format(c.value, c.format, out, error)) << c.format << ": " << error;
        EXPECT_EQ(out, c.text) << c.format;
    }
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

// The stored form is read as the general reader reads it by the stored
// models, whatever shortcut it takes: fractions of a second scaled, bad
// days and stray characters refused, a zone behind the time left aside.
TEST(CDateFormatTest, StoredFormReadsAsItsModelReads) {
    const char* const texts[] = {
        "2026-12-06",
        "2024-02-29",
        "2023-02-29",
        "0001-01-01 00:00:00",
        "9999-12-31 23:59:59",
        "2026-12-06 24:00:00",
        "2026-12-06 01:02:03.5",
        "2026-12-06 01:02:03.123456789",
        "2026-12-06 01:02:03.000001",
        "2026-1-06",
        "2026-12-06 1:02:03",
        "2026/12/06",
        "2026-12-06 01:02:03.",
        "2026-12-06 01:02:03.1234567890",
        "0000-01-01",
    };
    for (const char* text : texts) {
        std::string_view view(text);
        std::string_view model = view.size() > 19   ? "YYYY-MM-DD HH24:MI:SS.FF9"
                                 : view.size() > 10 ? "YYYY-MM-DD HH24:MI:SS"
                                                    : "YYYY-MM-DD";
        CDateTime general, stored;
        std::string error;
        bool read = CDateFormat::Parse(view, model, general, error);
        ASSERT_EQ(CDateFormat::ParseStored(view, stored), read) << text;
        if (read) {
            EXPECT_EQ(CDateFormat::ToStored(stored), CDateFormat::ToStored(general)) << text;
        }
    }
    const struct {
        CDateTime value;
        const char* stored;
    } written[] = {
        {{1, 1, 1, 0, 0, 0, 0}, "0001-01-01 00:00:00"},
        {{9999, 12, 31, 23, 59, 59, 999999999}, "9999-12-31 23:59:59.999999999"},
        {{2026, 7, 4, 9, 5, 3, 1}, "2026-07-04 09:05:03.000000001"},
        {{2026, 7, 4, 9, 5, 3, 120000000}, "2026-07-04 09:05:03.120000000"},
        {{-44, 3, 15, 0, 0, 0, 0}, "-044-03-15 00:00:00"},
    };
    for (const auto& c : written) EXPECT_EQ(CDateFormat::ToStored(c.value), c.stored);
    CDateTime zoned;
    ASSERT_TRUE(CDateFormat::ParseStored("2026-12-06 01:02:03.250000000 +09:00", zoned));
    EXPECT_EQ(CDateFormat::ToStored(zoned), "2026-12-06 01:02:03.250000000");
}

// The server's matching rules and names, by NLS_DATE_LANGUAGE.
TEST(CDateFormatTest, NamesAndMatchingRulesFollowTheLanguage) {
    using Language = CDateLanguage;
    const struct {
        Language language;
        const char* text;
        const char* format;
        const char* stored;  // nullptr: refused
    } kReads[] = {
        {Language::American, "13-JUL-87", "dd-mm-rr", "1987-07-13 00:00:00"},
        {Language::American, "13-July-1987", "DD-MON-YYYY", "1987-07-13 00:00:00"},
        {Language::American, "13-jul-1987", "DD-MONTH-RR", "1987-07-13 00:00:00"},
        {Language::American, "Monday 13-JUL-87", "DAY DD-MON-RR", "1987-07-13 00:00:00"},
        {Language::American, "13-7月-87", "DD-MON-RR", nullptr},
        {Language::Japanese, "13-7月-87", "DD-MON-RR", "1987-07-13 00:00:00"},
        {Language::Japanese, "1987年7月13日", "YYYY\"年\"MM\"日\"DD\"日\"", nullptr},
        {Language::Japanese, "13-JUL-87", "dd-mm-rr", nullptr},
        {Language::Japanese, "13-07-2087", "DD-MM-RR", "2087-07-13 00:00:00"},
        {Language::American, "04-FEB-2021 13.20.22.245676861", "DD-MON-YYYY HH24.MI.SS.FF",
         "2021-02-04 13:20:22.245676861"},
        {Language::American, "04-FEB-2021 13.20.22.5", "DD-MON-YYYY HH24.MI.SSXFF",
         "2021-02-04 13:20:22.500000000"},
        {Language::American, "13.20.22.1234", "HH24.MI.SS.FF3", nullptr},
    };
    for (const auto& c : kReads) {
        CDateTime value;
        std::string error;
        ASSERT_EQ(CDateFormat::Parse(c.text, c.format, value, error, c.language), c.stored != nullptr)
            << c.text;
        if (c.stored != nullptr) {
            EXPECT_EQ(CDateFormat::ToStored(value), c.stored) << c.text;
        }
    }
    const CDateTime monday{1987, 7, 13, 9, 5, 7, 245676861};
    const struct {
        Language language;
        const char* format;
        const char* text;
    } kWrites[] = {
        {Language::American, "Day, DD Month YYYY", "Monday   , 13 July      1987"},
        {Language::American, "fmDay, DD Month YYYY", "Monday, 13 July 1987"},
        {Language::American, "DY dy Mon MONTH", "MON mon Jul JULY     "},
        {Language::American, "fmHH:MI AM", "9:5 AM"},  // FM drops every leading zero
        {Language::Japanese, "fmDAY DY MON", "月曜日 月 7月"},
        {Language::Japanese, "HH24:MI:SS.FF3 FF", "09:05:07.245 245676861"},
    };
    for (const auto& c : kWrites) {
        std::string out;
        std::string error;
        ASSERT_TRUE(CDateFormat::Format(monday, c.format, out, error, c.language)) << c.format << error;
        EXPECT_EQ(out, c.text) << c.format;
    }
    CDateLanguage language = CDateLanguage::Japanese;
    EXPECT_TRUE(CDateFormat::LanguageNamed("american", language));
    EXPECT_EQ(language, CDateLanguage::American);
    EXPECT_FALSE(CDateFormat::LanguageNamed("KLINGON", language));
}
