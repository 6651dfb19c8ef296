#include <gtest/gtest.h>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

TEST(BlankComments, KeepsEveryPosition) {
    // clang-format off
    const struct { const char *text, *expected; } cases[] = {
        {"", ""}, {"select 1 from t;", "select 1 from t;"},
        {"select 1 /* c */ from t;", "select 1         from t;"}, {"a /* x\ny */ b", "a           b"},
        {"a /* open", "a        "}, {"/**/x/**/", "    x    "}, {"select 1; -- note", "select 1;        \n"},
        {"select 1 --", "select 1   \n"}, {"a -- x\nb;", "a     \nb;"}, {"a --\n-- b\nc", "a   \n    \nc"},
        {"'--' x", "'--' x"}, {"q'[/*]' /* c */\"--\" -- n", "q'[/*]'        \"--\"     \n"},
        {"'it''s -- x' --", "'it''s -- x'   \n"}, {"/* -- */ x", "         x"}, {"a -- see /* x\nb;", "a            \nb;"},
        {"a /* -- \n */ b", "a            b"}, {"-", "-"}, {"/", "/"}, {"x /*/ y", "x      "},
        {"select\n--\n;", "select\n  \n;"}};
    // clang-format on
    for (const auto& c : cases) {
        const std::string text = c.text;
        const std::string blanked = CSQLProcessor::BlankComments(text);
        EXPECT_EQ(blanked, c.expected) << text;
        // Only a final line feed may be added.
        ASSERT_GE(blanked.size(), text.size());
        EXPECT_LE(blanked.size(), text.size() + 1);
        for (std::size_t i = 0; i < text.size(); ++i)
            if (blanked[i] != ' ') {
                EXPECT_EQ(blanked[i], text[i]) << text << " at " << i;
            }
    }
}

TEST(AppendErrorReport, WalksTheTypedLines) {
    const char* const kLine0 = "エラー行: 0: エラーが発生しました。";
    const char* const kLine1 = "エラー行: 1: エラーが発生しました。";
    // clang-format off
    const struct {
        std::vector<const char*> lines;  // UTF-8
        long long position;
        const char* error;
        std::vector<const char*> expected;  // UTF-8
    } cases[] = {
        // The sixth byte of the second line: 10 bytes of line 0, its line feed, then 5.
        {{"SELECT a, ", "FROM bogus"}, 16, "ORA-00904: invalid", {"FROM bogus", "     *", kLine1, "ORA-00904: invalid"}},
        {{"SELEC 1;"}, 0, "E", {"SELEC 1;", "*", kLine0, "E"}},
        {{"AB", "CD"}, 2, "E", {"AB", "  *", kLine0, "E"}}, {{"AB", "CD"}, 3, "E", {"CD", "*", kLine1, "E"}},
        {{"AB", "CD"}, 5, "E", {"CD", "  *", kLine1, "E"}}, {{"AB", "CD"}, 6, "E", {"E"}},
        {{"AB"}, 1000000, "E", {"E"}}, {{"AB"}, -4, "E", {"AB", "*", kLine0, "E"}}, {{}, 0, "E", {"E"}},
        {{"", "X"}, 1, "E", {"X", "*", kLine1, "E"}}, {{}, 0, "ORA-1\nORA-2", {"ORA-1", "ORA-2"}},
        {{}, 0, "ORA-1\n", {"ORA-1", ""}}, {{}, 0, "", {""}}, {{}, 0, "\n\n", {"", "", ""}},
        {{"表 X"}, 3, "表がありません", {"表 X", "   *", kLine0, "表がありません"}}};
    // clang-format on
    for (const auto& c : cases) {
        CScriptLines output{"kept"};
        CSQLProcessor::AppendErrorReport(SjLines(c.lines), c.position, Sj(c.error), output);
        CScriptLines expected{"kept"};
        expected.Append(SjLines(c.expected));
        EXPECT_EQ(output, expected) << c.position << " " << c.error;
    }
}

TEST(RunStatement, WithoutDatabaseSaysSo) {
    CSQLProcessor processor;
    EXPECT_EQ(Feed(processor, {"select * from t;", "commit;"}),
              SjLines({"データベースに接続されていません。", "データベースに接続されていません。"}));
}

}  // namespace
