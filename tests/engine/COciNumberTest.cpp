// NUMBER values in the documented external form SQLT_VNU.
#include <gtest/gtest.h>

#include <vector>

#include "engine/oci/COciNumber.h"

namespace {

std::vector<int> Bytes(const unsigned char (&vnu)[COciNumber::kSize]) {
    return std::vector<int>(vnu + 1, vnu + 1 + vnu[0]);
}

// The documentation's examples of the stored form, and their text back.
TEST(COciNumberTest, TextAndStoredFormMeet) {
    struct Case {
        const char* text;
        std::vector<int> bytes;
        const char* back;
    };
    const Case cases[] = {
        {"0", {0x80}, "0"},
        {"-0.000", {0x80}, "0"},
        {"1", {0xC1, 2}, "1"},
        {"100", {0xC2, 2}, "100"},
        {"  123.45 ", {0xC2, 2, 24, 46}, "123.45"},
        {"0.5", {0xC0, 51}, ".5"},
        {".05", {0xC0, 6}, ".05"},
        {"-1", {0x3E, 100, 102}, "-1"},
        {"-123.45", {0x3D, 100, 78, 56, 102}, "-123.45"},
        {"1.5E3", {0xC2, 16}, "1500"},
        {"+7e-2", {0xC0, 8}, ".07"},
    };
    for (const Case& row : cases) {
        unsigned char vnu[COciNumber::kSize] = {};
        ASSERT_TRUE(COciNumber::FromText(row.text, vnu)) << row.text;
        EXPECT_EQ(Bytes(vnu), row.bytes) << row.text;
        EXPECT_EQ(COciNumber::ToText(vnu), row.back) << row.text;
    }
}

TEST(COciNumberTest, ThirtyEightDigitsSurviveAndNonNumbersAreRefused) {
    unsigned char vnu[COciNumber::kSize] = {};
    for (const char* text :
         {"12345678901234567890123456789012345678", "-98765432109876543210.0123456789012345"}) {
        ASSERT_TRUE(COciNumber::FromText(text, vnu));
        EXPECT_EQ(COciNumber::ToText(vnu), text);
    }
    for (const char* text : {"", "abc", "1.2.3", "1e", "--1", "1 2", "1e999"})
        EXPECT_FALSE(COciNumber::FromText(text, vnu)) << text;
}

}  // namespace
