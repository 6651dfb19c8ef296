#include <gtest/gtest.h>

#include "commands/CColumnCommand.h"
#include "commands/CDefineCommand.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

TEST(ColumnAndDefine, StoreTheUpperCasedValueOrRefuse) {
    // width: the An width stored; 0: a number format stored; -1: refused with
    // the format message naming `refused`.
    // clang-format off
    const struct { const char* line; const char* key; int width; const char* refused; } cases[] = {
        {"column c format a10", "C", 10, ""}, {"col c format A3", "C", 3, ""},
        {"col c format 999", "C", 0, ""}, {"col c format $99", "C", 0, ""},
        {"col c format 9a5", "C", -1, "9A5"}, {"col c format a", "C", -1, "A"},
        {"col c format a-5", "C", -1, "A-5"}, {"col c format x12a", "C", -1, "X12A"},
        {"col c format a99999999999", "C", -1, "A99999999999"}, {"col c format a32767", "C", 32767, ""},
        {"col c format a32768", "C", -1, "A32768"}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        const CScriptLines out = Feed(processor, {c.line});
        const CColumnSettings* settings = processor.Command<CColumnCommand>().GetColumns().Find(c.key);
        if (c.width < 0) {
            EXPECT_EQ(out, CScriptLines{Sj("FORMAT文字列\"") + c.refused + Sj("\"が不正です。")}) << c.line;
            EXPECT_EQ(settings, nullptr) << c.line;
            continue;
        }
        EXPECT_TRUE(out.empty()) << c.line;
        ASSERT_NE(settings, nullptr) << c.line;
        EXPECT_EQ(settings->textWidth, c.width == 0 ? -1 : c.width) << c.line;
        EXPECT_EQ(settings->number.has_value(), c.width == 0) << c.line;
    }
    // clang-format off
    const struct { const char *line, *key, *stored; } defines[] = {
        {"define x = 5", "X", "5"}, {"def x=abc", "X", "ABC"}, {"def x=", "X", ""},
        {"define t=emp ", "T", "EMP "}, {"def a = b = c", "A", "B = C"}, {"define where=a = 1", "WHERE", "A = 1"},
        // Quotes around a value are not part of it.
        {"DEFINE color = 'RED'", "COLOR", "RED"}, {"define c = 'Red' ", "C", "Red"},
        {"define c = \"a b\"", "C", "a b"}, {"define c = 'it''s'", "C", "it's"},
        {"define c = 'a'b'", "C", "a'B"}, {"define c = '", "C", "'"}, {"define c = ''", "C", ""}};
    // clang-format on
    for (const auto& c : defines) {
        CSQLProcessor processor;
        EXPECT_TRUE(Feed(processor, {c.line}).empty()) << c.line;
        EXPECT_EQ(processor.Command<CDefineCommand>().GetDefines().Lookup(c.key), c.stored) << c.line;
    }
}

TEST(ColumnFormat, SecondFormatReplacesAndClearForgetsAll) {
    CSQLProcessor processor;
    Feed(processor, {"col ename format a10", "col sal format a4", "column ename format a20"});
    EXPECT_EQ(Feed(processor, {"column"}),
              (CScriptLines{"COLUMN ENAME ON", "FORMAT A20", "", "COLUMN SAL ON", "FORMAT A4"}));
    EXPECT_TRUE(Feed(processor, {"clear column"}).empty());
    EXPECT_TRUE(processor.Command<CColumnCommand>().GetColumns().IsEmpty());
    Feed(processor, {"col sal format a5"});
    EXPECT_EQ(processor.Command<CColumnCommand>().GetColumns().Find("SAL")->textWidth, 5);
}

TEST(ColumnFormat, UnknownOptionIsNamedInOneLine) {
    CSQLProcessor processor;
    EXPECT_EQ(Feed(processor, {"column ename heading 'Name' fold_after"}),
              CScriptLines{Sj("COLUMNのオプションFOLD_AFTERは不明です。")});
    EXPECT_EQ(Feed(processor, {"column ename heading 'Name' format a8"}), CScriptLines{});
    EXPECT_EQ(Feed(processor, {"col ename"}),
              (CScriptLines{"COLUMN ENAME ON", "HEADING 'Name'", "FORMAT A8"}));
}

TEST(ColumnFormat, HyphensInsideTheTextStayWhileContinuationHyphensGo) {
    CSQLProcessor processor;
    EXPECT_TRUE(
        Feed(processor, {"column ename heading 'Net - Gross' -", "format a12 -", "null ' - '"}).empty());
    EXPECT_EQ(Feed(processor, {"col ename"}),
              (CScriptLines{"COLUMN ENAME ON", "HEADING 'Net - Gross'", "FORMAT A12", "NULL ' - '"}));
    EXPECT_TRUE(Feed(processor, {"column sal heading 'a - b'-", "format a5"}).empty());
    EXPECT_EQ(Feed(processor, {"col sal"}), (CScriptLines{"COLUMN SAL ON", "HEADING 'a - b'", "FORMAT A5"}));
}

}  // namespace
