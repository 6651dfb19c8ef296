#include <gtest/gtest.h>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

TEST(ColumnFormat, StoresTheWidthOrRefuses) {
    // clang-format off
    // stored: nullptr when refused with the format message naming `refused`.
    const struct { const char *line, *stored, *refused; } cases[] = {
        {"column c format a10", "10", ""}, {"col c format A3", "3", ""}, {"col c format 999", nullptr, "999"},
        {"col c format 9a5", "0", ""}, {"col c format a", "0", ""}, {"col c format a 7", "7", ""},
        {"col c format a-5", "-5", ""}, {"col c format x12a", "12", ""}, {"col c format $99", nullptr, "$99"},
        {"col c format a99999999999", nullptr, "A99999999999"}, {"col c format a32767", "32767", ""},
        {"col c format a32768", nullptr, "A32768"}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        const CScriptLines out = Feed(processor, {c.line});
        if (c.stored) {
            EXPECT_TRUE(out.empty()) << c.line;
            EXPECT_EQ(processor.GetColumnFormats().Lookup("C"), c.stored) << c.line;
            continue;
        }
        EXPECT_EQ(out, CScriptLines{Sj("FORMAT文字列\"") + c.refused + Sj("\"が不正です。")}) << c.line;
        EXPECT_THROW(processor.GetColumnFormats().Lookup("C"), CHashTableException) << c.line;
    }
}

TEST(ColumnFormat, SecondFormatReplacesAndClearForgetsAll) {
    CSQLProcessor processor;
    Feed(processor, {"col ename format a10", "col sal format a4", "column ename format a20"});
    CScriptLines keys;
    EXPECT_EQ(processor.GetColumnFormats().GetKeys(keys), (CScriptLines{"ENAME", "SAL"}));
    EXPECT_EQ(processor.GetColumnFormats().Lookup("ENAME"), "20");
    EXPECT_TRUE(Feed(processor, {"clear column"}).empty());
    EXPECT_TRUE(processor.GetColumnFormats().GetKeys(keys).empty());
}

TEST(Define, StoresUpperCasedPair) {
    // clang-format off
    const struct { const char *line, *name, *value; } cases[] = {
        {"define x = 5", "X", "5"}, {"def x=abc", "X", "ABC"}, {"def x=", "X", ""},
        {"define t=emp ", "T", "EMP "}, {"def a = b = c", "A", "B = C"},
        {"define where=a = 1", "WHERE", "A = 1"}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        EXPECT_TRUE(Feed(processor, {c.line}).empty()) << c.line;
        EXPECT_EQ(processor.GetDefines().Lookup(c.name), c.value) << c.line;
    }
}

}  // namespace
