// A TIMESTAMP's text by a session's format model: FF without digits takes
// the value's own, zone elements the value's zone or the session's.
#include <gtest/gtest.h>

#include "engine/sqlite/CTimestampText.h"
#include "engine/sqlite/values/CTimeZone.h"

namespace {

TEST(CTimestampTextTest, FractionDigitsOfABareFF) {
    struct Case {
        const char* format;
        int fraction;
        const char* expected;
    } cases[] = {
        {"HH24:MI:SSXFF", 6, "HH24:MI:SSXFF6"},  {"HH24:MI:SS.ff", 3, "HH24:MI:SS.FF3"},
        {"HH24:MI:SS.FF3", 6, "HH24:MI:SS.FF3"}, {"HH24:MI:SSXFF", 0, "HH24:MI:SS"},
        {"HH24:MI:SS.FF", 0, "HH24:MI:SS"},      {"\"FF\" HH24:MI:SSXFF", 2, "\"FF\" HH24:MI:SSXFF2"},
        {"DD-MON-RR", 6, "DD-MON-RR"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTimestampText::WithFraction(c.format, c.fraction), c.expected) << c.format;
}

TEST(CTimestampTextTest, ShowsByTheModel) {
    CTimeZone session;
    ASSERT_EQ(CTimeZone::Parse("+09:00", session), 0);
    struct Case {
        const char* stored;
        const char* format;
        int fraction;
        const char* expected;
    } cases[] = {
        {"2020-01-02 03:04:05.123456789", "YYYY-MM-DD HH24:MI:SS.FF3", 9, "2020-01-02 03:04:05.123"},
        {"2020-01-02 03:04:05.123456789", "RR-MM-DD HH24:MI:SSXFF", 6, "20-01-02 03:04:05.123456"},
        {"2020-01-02 03:04:05", "YYYY/MM/DD HH24:MI:SSXFF", 2, "2020/01/02 03:04:05.00"},
        {"2020-01-02 15:04:05.5", "HH12:MI:SS AM", 6, "03:04:05 PM"},
        // The value's zone, else the session's.
        {"2020-01-02 03:04:05.000000000 -05:00", "YYYY-MM-DD HH24:MI TZH:TZM", 6, "2020-01-02 03:04 -05:00"},
        {"2020-01-02 03:04:05", "YYYY-MM-DD HH24:MI TZR", 6, "2020-01-02 03:04 +09:00"},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(
            CTimestampText::Show(c.stored, c.format, c.fraction, session, CDateLanguage::American, out))
            << c.stored << " " << c.format;
        EXPECT_EQ(out, c.expected) << c.format;
    }
    std::string out;
    EXPECT_FALSE(CTimestampText::Show("not a time", "YYYY", 6, session, CDateLanguage::American, out));
    EXPECT_FALSE(CTimestampText::Show("2020-01-02 03:04:05", "YYYY-QQQQ-XYZ", 6, session,
                                      CDateLanguage::American, out));
}

TEST(CTimestampTextTest, WidthFollowsTheModel) {
    EXPECT_EQ(CTimestampText::Width("YYYY-MM-DD HH24:MI:SS.FF3", 9, CDateLanguage::American), 23);
    EXPECT_EQ(CTimestampText::Width("RR-MM-DD HH24:MI:SSXFF", 6, CDateLanguage::American), 24);
    // A region's name takes up to 32 bytes.
    EXPECT_EQ(CTimestampText::Width("RR-MM-DD HH24:MI:SSXFF TZR", 6, CDateLanguage::American), 24 + 33);
    EXPECT_EQ(CTimestampText::Width("YYYY-QQQQ-XYZ", 6, CDateLanguage::American), 0);
}

}  // namespace
