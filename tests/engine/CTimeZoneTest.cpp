// Zone files of the system read by the engine's own reader, zone names and
// offsets as the server reads them, and the stored form of zoned values.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "engine/sqlite/values/CTimeZone.h"
#include "engine/sqlite/values/CZoneFile.h"

namespace {

std::int64_t Utc(int year, int month, int day, int hour, int minute) {
    return CTimeZone::Seconds(CDateTime{year, month, day, hour, minute, 0});
}

TEST(CZoneFileTest, NewYorkChangesItsClocksTwiceAYear) {
    CZoneFile file;
    ASSERT_TRUE(file.Load(CTimeZone::Directory() + "/America/New_York"));
    struct Case {
        std::int64_t utc;
        std::int32_t offset;
        const char* abbreviation;
    } cases[] = {
        // 2021-03-14 02:00 EST became 03:00 EDT (07:00 UTC); back on 2021-11-07 at 06:00 UTC.
        {Utc(2021, 3, 14, 6, 59), -5 * 3600, "EST"}, {Utc(2021, 3, 14, 7, 0), -4 * 3600, "EDT"},
        {Utc(2021, 11, 7, 5, 59), -4 * 3600, "EDT"}, {Utc(2021, 11, 7, 6, 0), -5 * 3600, "EST"},
        {Utc(1950, 7, 1, 12, 0), -4 * 3600, "EDT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(file.TypeAt(c.utc).offset, c.offset) << c.utc;
        EXPECT_EQ(file.TypeAt(c.utc).abbreviation, c.abbreviation) << c.utc;
    }
    std::int32_t offset = 0;
    // 02:30 on the day of the change in spring does not happen.
    EXPECT_EQ(file.OffsetOfLocal(Utc(2021, 3, 14, 2, 30), offset), 1878);
    // 01:30 on the day in autumn happens twice: standard time is taken.
    ASSERT_EQ(file.OffsetOfLocal(Utc(2021, 11, 7, 1, 30), offset), 0);
    EXPECT_EQ(offset, -5 * 3600);
    ASSERT_EQ(file.OffsetOfLocal(Utc(2021, 7, 1, 12, 0), offset), 0);
    EXPECT_EQ(offset, -4 * 3600);
}

TEST(CZoneFileTest, TokyoKeepsOneOffsetAndBrokenFilesAreRefused) {
    CZoneFile file;
    ASSERT_TRUE(file.Load(CTimeZone::Directory() + "/Asia/Tokyo"));
    for (std::int64_t utc : {Utc(2021, 1, 15, 0, 0), Utc(2021, 7, 15, 0, 0), Utc(2040, 7, 15, 0, 0)}) {
        EXPECT_EQ(file.TypeAt(utc).offset, 9 * 3600);
        EXPECT_EQ(file.TypeAt(utc).abbreviation, "JST");
    }
    CZoneFile broken;
    EXPECT_FALSE(broken.Parse(""));
    EXPECT_FALSE(broken.Parse("TZif2 not a zone file at all, only words and more words"));
    std::ifstream in(CTimeZone::Directory() + "/Asia/Tokyo", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_FALSE(broken.Parse(bytes.substr(0, bytes.size() / 2)));
    // No cut and no changed byte reads outside the data.
    for (std::size_t size = 0; size < bytes.size(); size += 7) broken.Parse(bytes.substr(0, size));
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(0xFF);
        std::int32_t offset = 0;
        if (broken.Parse(changed)) broken.OffsetOfLocal(broken.TypeAt(0).offset, offset);
    }
    EXPECT_FALSE(broken.Load(CTimeZone::Directory() + "/no/such/zone"));
}

TEST(CTimeZoneTest, NamesAndOffsetsReadAsTheServerReadsThem) {
    struct Case {
        const char* text;
        int code;
        const char* shown;
    } cases[] = {
        {"+09:00", 0, "+09:00"},
        {"-5:30", 0, "-05:30"},
        {"00:00", 0, "+00:00"},
        {"Asia/Tokyo", 0, "ASIA/TOKYO"},
        {"america/new_york", 0, "AMERICA/NEW_YORK"},
        {"UTC", 0, "UTC"},
        {"+16:00", 1874, ""},
        {"+09:75", 1875, ""},
        {"+09", 1857, ""},
        {"", 1857, ""},
        {"Mars/Olympus", 1882, ""},
        {"../etc/passwd", 1882, ""},
        {"Asia//Tokyo", 1882, ""},
    };
    for (const Case& c : cases) {
        CTimeZone zone;
        EXPECT_EQ(CTimeZone::Parse(c.text, zone), c.code) << c.text;
        if (c.code == 0) {
            EXPECT_EQ(zone.Show(), c.shown) << c.text;
        }
    }
}

TEST(CTimeZoneTest, ZonedValuesConvertThroughTheirInstant) {
    CTimeZone tokyo;
    CTimeZone newYork;
    ASSERT_EQ(CTimeZone::Parse("Asia/Tokyo", tokyo), 0);
    ASSERT_EQ(CTimeZone::Parse("America/New_York", newYork), 0);
    CDateTime out;
    ASSERT_EQ(CTimeZone::Convert(CDateTime{2021, 7, 1, 9, 0, 0, 5}, tokyo, newYork, out), 0);
    EXPECT_EQ(CDateFormat::ToStored(out), "2021-06-30 20:00:00.000000005");
    EXPECT_EQ(CTimeZone::Convert(CDateTime{2021, 3, 14, 2, 30, 0}, newYork, tokyo, out), 1878);
    std::string stored = CTimeZone::Store(CDateTime{2020, 1, 1, 10, 0, 0}, tokyo);
    EXPECT_EQ(stored, "2020-01-01 10:00:00.000000000 ASIA/TOKYO");
    ASSERT_EQ(CTimeZone::Instant(stored, CTimeZone(), out), 0);
    EXPECT_EQ(CDateFormat::ToStored(out), "2020-01-01 01:00:00");
    // A plain value is at the zone given for it.
    ASSERT_EQ(CTimeZone::Instant("2020-01-01 10:00:00", newYork, out), 0);
    EXPECT_EQ(CDateFormat::ToStored(out), "2020-01-01 15:00:00");
    for (const CDateTime& day : {CDateTime{1, 1, 1, 0, 0, 0}, CDateTime{1969, 12, 31, 23, 59, 59},
                                 CDateTime{2000, 2, 29, 12, 0, 0}, CDateTime{9999, 12, 31, 23, 59, 59}})
        EXPECT_EQ(CDateFormat::ToStored(CTimeZone::FromSeconds(CTimeZone::Seconds(day), 0)),
                  CDateFormat::ToStored(day));
}

}  // namespace
