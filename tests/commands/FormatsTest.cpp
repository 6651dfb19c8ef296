#include <gtest/gtest.h>

#include <optional>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

struct FormatCase {
    const char* line;
    std::optional<const char*> stored;  // nullopt: refused with the format message
    const char* format;                 // as named in the message
};

class ColumnFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ColumnFormatTest, StoresTheWidthOrRefuses) {
    const FormatCase& c = GetParam();
    CSQLProcessor processor;
    const CScriptLines out = Feed(processor, {c.line});
    if (!c.stored) {
        const std::string message = Sj("FORMAT文字列\"%s\"が不正です。");
        EXPECT_EQ(out, CScriptLines{message.substr(0, message.find("%s")) + c.format +
                                    message.substr(message.find("%s") + 2)})
            << c.line;
        EXPECT_THROW(processor.GetColumnFormats().Lookup("C"), CHashTableException) << c.line;
        return;
    }
    EXPECT_TRUE(out.empty()) << c.line;
    EXPECT_EQ(processor.GetColumnFormats().Lookup("C"), *c.stored) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ColumnFormatTest,
    ::testing::Values(FormatCase{"column c format a10", "10", ""}, FormatCase{"col c format A3", "3", ""},
                      FormatCase{"col c format 999", std::nullopt, "999"},
                      FormatCase{"col c format 9a5", "0", ""}, FormatCase{"col c format a", "0", ""},
                      FormatCase{"col c format a 7", "7", ""}, FormatCase{"col c format a-5", "-5", ""},
                      FormatCase{"col c format x12a", "12", ""},
                      FormatCase{"col c format $99", std::nullopt, "$99"},
                      FormatCase{"col c format a99999999999", std::nullopt, "A99999999999"},
                      FormatCase{"col c format a32767", "32767", ""},
                      FormatCase{"col c format a32768", std::nullopt, "A32768"}));

TEST(ColumnFormat, SecondFormatReplacesAndClearForgetsAll) {
    CSQLProcessor processor;
    Feed(processor, {"col ename format a10", "col sal format a4", "column ename format a20"});
    CScriptLines keys;
    EXPECT_EQ(processor.GetColumnFormats().GetKeys(keys), (CScriptLines{"ENAME", "SAL"}));
    EXPECT_EQ(processor.GetColumnFormats().Lookup("ENAME"), "20");
    EXPECT_TRUE(Feed(processor, {"clear column"}).empty());
    EXPECT_TRUE(processor.GetColumnFormats().GetKeys(keys).empty());
}

struct DefineCase {
    const char* line;
    const char* name;
    const char* value;
};

class DefineTest : public ::testing::TestWithParam<DefineCase> {};

TEST_P(DefineTest, StoresUpperCasedPair) {
    CSQLProcessor processor;
    EXPECT_TRUE(Feed(processor, {GetParam().line}).empty());
    EXPECT_EQ(processor.GetDefines().Lookup(GetParam().name), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Defines, DefineTest,
                         ::testing::Values(DefineCase{"define x = 5", "X", "5"},
                                           DefineCase{"def x=abc", "X", "ABC"}, DefineCase{"def x=", "X", ""},
                                           DefineCase{"define t=emp ", "T", "EMP "},
                                           DefineCase{"def a = b = c", "A", "B = C"},
                                           DefineCase{"define where=a = 1", "WHERE", "A = 1"}));

TEST(Define, RedefiningKeepsTheFirstPlace) {
    CSQLProcessor processor;
    Feed(processor, {"def a=1", "def ab=2", "def a=3"});
    EXPECT_EQ(processor.SubstituteDefines("&ab"), "3B");
}

TEST(ClearScreen, AsksTheHostAndShowsNothing) {
    CSQLProcessor processor;
    RecordingHost host(processor);
    processor.SetHost(&host);
    EXPECT_TRUE(Feed(processor, {"clear screen", "CLEAR  SCREEN;"}).empty());
    EXPECT_EQ(host.events, "CC");
}

}  // namespace
