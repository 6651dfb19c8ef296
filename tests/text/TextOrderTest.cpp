#include <gtest/gtest.h>

#include <string>

#include "text/Encoding.h"
#include "text/TextOrder.h"

namespace {

std::string Sj(const char* utf8) { return encoding::Utf8ToCp932(utf8); }

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

struct Case {
    std::string a, b;
    int order;  // of a against b, by code point
    const char* why;
};

// Both ways round, each pair orders by code point.
TEST(TextOrder, TextsOrderByCodePoint) {
    const Case cases[] = {
        // ASCII is byte order.
        {"", "", 0, "empty"},
        {"", "a", -1, "empty first"},
        {"abc", "abd", -1, "last byte"},
        {"ab", "abc", -1, "prefix first"},
        {"B", "a", -1, "upper case before lower case"},
        {"a b", "a!", -1, "space before punctuation"},
        // Double-byte characters by code point.
        // U+9AD8 against U+4F50: the lead bytes match (0x8D), the trail
        // bytes (0x82, 0xB2) order them the other way.
        {Sj("高橋"), Sj("佐藤"), 1, "differing trail byte"},
        {Sj("鈴木"), Sj("高橋"), -1, "U+9234 before U+9AD8, lead 0x97 after 0x8D"},
        {Sj("ＡＢ"), Sj("高橋"), 1, "full-width Latin (U+FF21) after ideographs"},
        {Sj("佐藤"), Sj("佐藤"), 0, "same text"},
        {Sj("漾"), Sj("鈴"), -1, "U+6F3E (lead 0xE0) before U+9234 (lead 0x97)"},
        {Sj("佐"), Sj("佐藤"), -1, "double-byte prefix first"},
        {Sj("高橋a"), Sj("高橋"), 1, "longer after its prefix"},
        // ASCII and double-byte characters mixed.
        {"z", Sj("あ"), -1, "ASCII before hiragana"},
        {Sj("a高"), Sj("aＡ"), -1, "after a shared ASCII byte"},
        {Sj("x佐藤y"), Sj("x佐藤z"), -1, "ASCII after shared double bytes"},
        // 魁 (0x8A 0x40) and 晦 (0x8A 0x41) differ at a trail byte in the
        // ASCII range: U+9B41 after U+6666.
        {Sj("a魁"), Sj("a晦"), 1, "trail byte in the ASCII range"},
        {Sj("ソ"), "\\", 1, "katakana after a backslash"},
        // Half-width katakana are single bytes.
        {"\xB1", "\xB2", -1, "U+FF71 before U+FF72"},
        // 0xB1 is U+FF71, after U+6F3E though its byte is before 0xE0.
        {"\xB1", Sj("漾"), 1, "half-width after an ideograph of a higher lead byte"},
        {"\xB1", Sj("Ａ"), 1, "U+FF71 after U+FF21"},
        // 0xB1 is no lead byte: the texts differ at 高 against 佐.
        {"\xB1" + Sj("高"), "\xB1" + Sj("佐"), 1, "double byte after a half-width one"},
        {"\xDF\xDF", "\xDF\xA1", 1, "U+FF9F after U+FF61"},
        // Bytes that are no character sort last and stay distinct.
        // A lead byte before a byte that cannot trail is no character.
        {"\x81\x20", Sj("　"), 1, "bad pair after U+3000"},
        {"\x81\x20", "\x81\x21", -1, "bad pairs by their bytes"},
        {"\x81\x20", "\x81\x20", 0, "same bad pair"},
        {"a\x81", "a" + Sj("　"), 1, "lone lead byte at the end"},
        {"\xFD", Sj("ＡＢ"), 1, "byte no character starts"},
        {Sj("佐") + "\x81\x20", Sj("佐") + "\x81\x21", -1, "bad pair after a good one"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(textorder::Compare(c.a, c.b)), c.order) << c.why;
        EXPECT_EQ(Sign(textorder::Compare(c.b, c.a)), -c.order) << c.why << " (reversed)";
    }
}

TEST(TextOrder, DuplicateCodesAreStillDifferentTexts) {
    // Both NEC's 0x8754 and IBM's 0xFA4A are Roman numeral one.
    const std::string nec = "\x87\x54";
    const std::string ibm = "\xFA\x4A";
    const int order = textorder::Compare(nec, ibm);
    EXPECT_NE(order, 0);
    EXPECT_EQ(Sign(textorder::Compare(ibm, nec)), -Sign(order));
    // U+2160 sorts between ASCII and U+3000.
    EXPECT_LT(textorder::Compare(nec, Sj("　")), 0);
    EXPECT_LT(textorder::Compare(ibm, Sj("　")), 0);
    EXPECT_GT(textorder::Compare(nec, "z"), 0);
}

}  // namespace
