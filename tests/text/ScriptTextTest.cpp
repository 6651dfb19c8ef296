#include <gtest/gtest.h>

#include <optional>

#include "text/Encoding.h"
#include "text/ScriptText.h"

namespace {

using scripttext::Encoding;

TEST(ScriptText, DecidesTheEncodingAndRefusesWhatCp932CannotHold) {
    const std::string sjisTable = encoding::Utf8ToCp932("表");  // 0x95 0x5C
    // clang-format off
    const struct {
        std::string bytes;
        Encoding encoding;
        std::optional<std::string> cp932;  // none: refused
        std::size_t badLine = 0;
    } cases[] = {
        {"select 1;\n", Encoding::Auto, "select 1;\n"},
        {"\xEF\xBB\xBFselect 1;", Encoding::Auto, "select 1;"},
        {"'日本語'\n", Encoding::Auto, encoding::Utf8ToCp932("'日本語'\n")},
        // Valid in both: UTF-8 unless forced.
        {"\xE6\x97\xA5", Encoding::Auto, encoding::Utf8ToCp932("日")}, {"\xE6\x97\xA5", Encoding::Cp932, "\xE6\x97\xA5"},
        {sjisTable, Encoding::Auto, sjisTable}, {"\xEF\xBB\xBF", Encoding::Cp932, "\xEF\xBB\xBF"},
        // A character CP932 cannot hold is marked with its code point.
        {"a\r\n日本語\r\n\xC3\xA9\xF0\x9F\x98\x80\r\n", Encoding::Auto,
         encoding::Utf8ToCp932("a\r\n日本語\r\n") + "\x1AU+00E9\x1AU+1F600\r\n"},
        {"a\n\xFF\n", Encoding::Utf8, std::nullopt, 2}, {"\xEF\xBB\xBF\xED\xA0\x80", Encoding::Auto, std::nullopt, 1},
        {"\xEF\xBB\xBF", Encoding::Auto, ""}};
    // clang-format on
    for (const auto& c : cases) {
        std::string out;
        std::size_t badLine = 99;
        const bool ok = scripttext::Decode(c.bytes, c.encoding, out, badLine);
        EXPECT_EQ(ok, c.cp932.has_value()) << c.bytes;
        if (ok) {
            EXPECT_EQ(out, *c.cp932) << c.bytes;
        } else {
            EXPECT_EQ(badLine, c.badLine) << c.bytes;
        }
    }
}

TEST(ScriptText, NamesAndWellFormedUtf8) {
    Encoding e = Encoding::Auto;
    EXPECT_TRUE(scripttext::ParseEncoding("UTF-8", e));
    EXPECT_EQ(e, Encoding::Utf8);
    EXPECT_TRUE(scripttext::ParseEncoding("Shift_JIS", e));
    EXPECT_EQ(e, Encoding::Cp932);
    EXPECT_FALSE(scripttext::ParseEncoding("latin1", e));
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81"})
        EXPECT_FALSE(scripttext::IsValidUtf8(bad)) << bad;
    EXPECT_TRUE(scripttext::IsValidUtf8("a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80"));
}

}  // namespace
