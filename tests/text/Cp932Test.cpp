#include <gtest/gtest.h>

#include "text/CScriptLines.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

TEST(Cp932, LeadByteRanges) {
    struct Case {
        unsigned char byte;
        bool lead;
    } cases[] = {{0x40, false}, {0x7F, false}, {0x80, false}, {0x81, true}, {0x9F, true},  {0xA0, false},
                 {0xB1, false}, {0xDF, false}, {0xE0, true},  {0xFC, true}, {0xFD, false}, {0xFF, false}};
    for (const auto& c : cases) EXPECT_EQ(cp932::IsLeadByte(c.byte), c.lead) << int(c.byte);
}

TEST(Cp932, ToUpperLeavesTrailBytesAlone) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"select 'abc' from dual;", "SELECT 'ABC' FROM DUAL;"},
        // "ソ" is 0x83 0x5C and "ア" 0x83 0x41: trail bytes in the ASCII range stay.
        {"\x83\x5C"
         "a",
         "\x83\x5C"
         "A"},
        // Trail bytes 0x61-0x7A (here 0x88 0x61 and 0x8A 0x7A) must not be upper-cased.
        {"\x88\x61x\x8A\x7Az", "\x88\x61X\x8A\x7AZ"},
        // Full-width a and z become full-width A and Z.
        {"\x82\x81\x82\x9A", "\x82\x60\x82\x79"},
        // Half-width katakana are single bytes and stay.
        {"\xB1\xB2q", "\xB1\xB2Q"},
        // A lone lead byte at the end is kept.
        {"ab\x82", "AB\x82"},
    };
    for (const auto& c : cases) EXPECT_EQ(cp932::ToUpper(c.in), c.out);
}

TEST(Cp932, ToUpperOfLongAsciiStretchesStillPairsDoubleBytes) {
    std::string ascii;
    std::string expected;
    for (int c = 1; c < 0x80; ++c) {
        ascii += static_cast<char>(c);
        expected += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    EXPECT_EQ(cp932::ToUpper(ascii), expected);
    // The trail byte 0x61 follows seven ASCII bytes; the first byte is before `from`.
    std::string text = "abcdefg\x88\x61hijklmnop";
    cp932::ToUpperInPlace(text, 1);
    EXPECT_EQ(text, "aBCDEFG\x88\x61HIJKLMNOP");
}

TEST(Cp932, CharLengthNeverPassesTheEnd) {
    std::string s =
        "a\x82\xA0"
        "\x82";
    EXPECT_EQ(cp932::CharLength(s, 0), 1u);
    EXPECT_EQ(cp932::CharLength(s, 1), 2u);
    EXPECT_EQ(cp932::CharLength(s, 3), 1u);  // lone lead byte at the end
    EXPECT_EQ(cp932::CharLength(s, 4), 0u);
}

TEST(Encoding, RoundTripsJapaneseText) {
    const std::string utf8 = "表が作成されました。ｱｲｳ";
    std::string cp = encoding::Utf8ToCp932(utf8);
    EXPECT_EQ(cp.size(), 23u);  // ten double-byte characters and three single-byte kana
    EXPECT_EQ(encoding::Cp932ToUtf8(cp), utf8);
}

TEST(Encoding, FullWidthTildeIsWindowsCodePage) {
    EXPECT_EQ(encoding::Utf8ToCp932("2～50"),
              "2\x81\x60"
              "50");
    EXPECT_EQ(encoding::Cp932ToUtf8("\x81\x60"), "～");
}

TEST(Encoding, InvalidInputNeverFails) {
    // A lone lead byte and an invalid trail byte become replacement characters.
    EXPECT_EQ(encoding::Cp932ToUtf8("a\x82"), "a\xEF\xBF\xBD");
    std::string out;
    EXPECT_FALSE(encoding::Cp932ToUtf8Strict("a\x82", out));
    EXPECT_TRUE(encoding::Cp932ToUtf8Strict("a\x82\xA0", out));
    // A character CP932 cannot hold is replaced, one per character.
    EXPECT_EQ(encoding::Utf8ToCp932("x\xF0\x9F\x98\x80y"), "x?y");
    EXPECT_FALSE(encoding::Utf8ToCp932Strict("\xF0\x9F\x98\x80", out));
    // Broken UTF-8 does not hang or throw.
    EXPECT_EQ(encoding::Utf8ToCp932("\xE3\x81"), "?");
}

TEST(Encoding, Utf8OffsetsMapToCp932Bytes) {
    std::string cp = encoding::Utf8ToCp932("表 X");  // 2 + 1 + 1 bytes; UTF-8 3 + 1 + 1
    EXPECT_EQ(encoding::Utf8OffsetToCp932(cp, 0), 0u);
    EXPECT_EQ(encoding::Utf8OffsetToCp932(cp, 3), 2u);
    EXPECT_EQ(encoding::Utf8OffsetToCp932(cp, 4), 3u);
    EXPECT_EQ(encoding::Utf8OffsetToCp932(cp, 7), 6u);  // past the end stays past the end
}

TEST(Encoding, IsAsciiSeesAHighByteAnywhere) {
    for (std::size_t length = 0; length <= 20; ++length) {
        std::string text(length, 'a');
        EXPECT_TRUE(encoding::IsAscii(text)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::string high = text;
            high[at] = '\x80';
            EXPECT_FALSE(encoding::IsAscii(high)) << length << " " << at;
        }
    }
}

TEST(CScriptLines, JoinPutsLineFeedsBetweenLines) {
    EXPECT_EQ(CScriptLines().Join(), "");
    EXPECT_EQ(CScriptLines("a").Join(), "a");
    EXPECT_EQ((CScriptLines{"a", "", "b"}).Join(), "a\n\nb");
    CScriptLines lines{"x"};
    lines.Append(CScriptLines{"y", "z"});
    EXPECT_EQ(lines.Join(), "x\ny\nz");
}

}  // namespace
