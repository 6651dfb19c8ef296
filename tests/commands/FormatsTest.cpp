#include <gtest/gtest.h>

#include "commands/CColumnCommand.h"
#include "commands/CDefineCommand.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

TEST(ColumnAndDefine, StoreTheUpperCasedValueOrRefuse) {
    // stored: nullptr when refused with the format message naming `refused`.
    // clang-format off
    const struct { const char *line, *key, *stored, *refused; } cases[] = {
        {"column c format a10", "C", "10", ""}, {"col c format A3", "C", "3", ""},
        {"col c format 999", "C", nullptr, "999"}, {"col c format 9a5", "C", "0", ""},
        {"col c format a", "C", "0", ""}, {"col c format a 7", "C", "7", ""}, {"col c format a-5", "C", nullptr, "A-5"},
        {"col c format x12a", "C", "12", ""}, {"col c format $99", "C", nullptr, "$99"},
        {"col c format a99999999999", "C", nullptr, "A99999999999"}, {"col c format a32767", "C", "32767", ""},
        {"col c format a32768", "C", nullptr, "A32768"},
        {"define x = 5", "X", "5", ""}, {"def x=abc", "X", "ABC", ""}, {"def x=", "X", "", ""},
        {"define t=emp ", "T", "EMP ", ""}, {"def a = b = c", "A", "B = C", ""},
        {"define where=a = 1", "WHERE", "A = 1", ""}};
    // clang-format on
    for (const auto& c : cases) {
        CSQLProcessor processor;
        const CScriptLines out = Feed(processor, {c.line});
        const CHashTable& table = c.line[0] == 'c' ? processor.Command<CColumnCommand>().GetColumnFormats()
                                                   : processor.Command<CDefineCommand>().GetDefines();
        if (c.stored) {
            EXPECT_TRUE(out.empty()) << c.line;
            EXPECT_EQ(table.Lookup(c.key), c.stored) << c.line;
            continue;
        }
        EXPECT_EQ(out, CScriptLines{Sj("FORMAT文字列\"") + c.refused + Sj("\"が不正です。")}) << c.line;
        EXPECT_THROW(table.Lookup(c.key), CHashTableException) << c.line;
    }
}

TEST(ColumnFormat, SecondFormatReplacesInPlaceAndClearForgetsAll) {
    CSQLProcessor processor;
    Feed(processor, {"col ename format a10", "col sal format a4", "column ename format a20"});
    CScriptLines keys;
    EXPECT_EQ(processor.Command<CColumnCommand>().GetColumnFormats().GetKeys(keys),
              (CScriptLines{"ENAME", "SAL"}));
    EXPECT_EQ(processor.Command<CColumnCommand>().GetColumnFormats().Lookup("ENAME"), "20");
    EXPECT_TRUE(Feed(processor, {"clear column"}).empty());
    EXPECT_TRUE(processor.Command<CColumnCommand>().GetColumnFormats().GetKeys(keys).empty());
    Feed(processor, {"col sal format a5"});
    EXPECT_EQ(processor.Command<CColumnCommand>().GetColumnFormats().GetKeys(keys), CScriptLines{"SAL"});
}

}  // namespace
