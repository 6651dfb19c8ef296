#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Sj.h"
#include "tests/support/TempDir.h"
#include "text/CScriptLines.h"

namespace {

TEST(CScriptLinesInclude, ReadFileSplitsAtLfAndCrLf) {
    testfiles::ScratchDir dir;
    struct {
        std::string bytes;
        CScriptLines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\r\n", {"a\r"}},
        {"\n", {""}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\rb\r\n", {"a\rb"}},
        {std::string("n\0l\n", 4), {std::string("n\0l", 3)}},
    };
    for (const auto& c : cases) {
        dir.Write("f.sql", c.bytes);
        CScriptLines lines;
        EXPECT_TRUE(CScriptLines::ReadFile("f.sql", lines)) << c.bytes;
        EXPECT_EQ(lines, c.lines) << c.bytes;
    }
    CScriptLines none;
    EXPECT_FALSE(CScriptLines::ReadFile("absent.sql", none));
    EXPECT_FALSE(CScriptLines::ReadFile(dir.Path(), none));
    EXPECT_FALSE(CScriptLines::ReadFile("", none));
    EXPECT_FALSE(CScriptLines::ReadFile("/dev/zero", none));
    EXPECT_TRUE(none.empty());
}

TEST(CScriptLinesInclude, IncludeFileReplacesTheElement) {
    testfiles::ScratchDir dir;
    dir.Write("f.sql", "one\ntwo\n");
    CScriptLines list{"x", "@f.sql", "y"};
    EXPECT_TRUE(list.IncludeFile("f.sql", 1));
    EXPECT_EQ(list, (CScriptLines{"x", "one", "two", "y"}));

    CScriptLines missing{"x", "@g.sql", "y"};
    EXPECT_FALSE(missing.IncludeFile("g.sql", 1));
    EXPECT_EQ(missing, (CScriptLines{"x", "y"}));

    CScriptLines past{"x"};
    EXPECT_TRUE(past.IncludeFile("f.sql", 7));
    EXPECT_EQ(past, (CScriptLines{"x", "one", "two"}));
}

// Lines separated by '|' ("" is no line at all).
CScriptLines Split(const std::string& text) {
    CScriptLines lines;
    std::istringstream in(text);
    for (std::string line; !text.empty() && std::getline(in, line, '|');) lines.push_back(line);
    if (!text.empty() && text.back() == '|') lines.push_back("");
    return lines;
}

TEST(CScriptLinesInclude, ExpandIncludesCases) {
    const std::string cannot = Sj("ファイルを開けません: "),
                      cycle = Sj("スクリプトの呼び出しが循環しています: ");
    const struct {
        const char* name;
        std::string files;  // name=bytes, separated by ';'
        std::string input, lines;
        std::size_t at;  // where the one notice goes, if any
        std::string notice;
    } cases[] = {
        {"no inclusion", "", "a|| @x", "a|| @x", 0, ""},
        {"one file", "s.sql=1\n2\n3\n", "@s.sql", "1|2|3", 0, ""},
        {"empty file", "e.sql=", "a|@e.sql|b", "a|b", 0, ""},
        {"name taken unchanged", "s.sql=1\n", "@s.sql ", "", 0, cannot + "s.sql "},
        {"missing in the middle", "", "a|@m|b", "a|b", 1, cannot + "m"},
        {"lone at sign", "", "@", "", 0, cannot},
        {"nested from the first line", "o.sql=@i.sql\no\n;i.sql=i1\ni2", "@o.sql", "i1|i2|o", 0, ""},
        {"same file twice is no cycle", "b.sql=b\n;t.sql=@b.sql\n@b.sql\n", "@t.sql", "b|b", 0, ""},
        {"self inclusion", "a.sql=x\n@a.sql\ny\n", "@a.sql", "x|y", 1, cycle + "a.sql"},
        {"cycle through another file", "a.sql=x\n@b.sql\n;b.sql=@./a.sql\nz\n", "@a.sql", "x|z", 1,
         cycle + "./a.sql"},
        {"missing file deep inside", "a.sql=x\n@gone.sql\ny\n", "p|@a.sql|q", "p|x|y|q", 2,
         cannot + "gone.sql"},
        {"a UTF-8 file", "u.sql=\xEF\xBB\xBF表\n", "@u.sql", Sj("表"), 0, ""},
        {"a UTF-8 file CP932 cannot hold runs, the character marked", "u.sql=ok\n日本語\n\xC3\xA9\n",
         "a|@u.sql", Sj("a|ok|日本語|\x1AU+00E9"), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testfiles::ScratchDir dir;
        dir.WriteAll(c.files);
        CScriptLines list = Split(c.input);
        CScriptLines result{"left over"};
        std::vector<CScriptLines::Notice> notices;
        list.ExpandIncludes(result, notices);
        EXPECT_EQ(result, Split(c.lines));
        EXPECT_EQ(list, Split(c.lines));
        ASSERT_EQ(notices.size(), c.notice.empty() ? 0u : 1u);
        for (const auto& notice : notices) {
            EXPECT_EQ(notice.position, c.at);
            EXPECT_EQ(notice.text, c.notice);
        }
    }
}

TEST(CScriptLinesInclude, DeepNestingStopsAtTheLimit) {
    testfiles::ScratchDir dir;
    const int files = static_cast<int>(CScriptLines::kMaxIncludeDepth) + 5;
    for (int i = 0; i < files; ++i)
        dir.Write("f" + std::to_string(i) + ".sql",
                  "@f" + std::to_string(i + 1) + ".sql\nL" + std::to_string(i) + "\n");
    CScriptLines list{"@f0.sql"};
    CScriptLines result;
    std::vector<CScriptLines::Notice> notices;
    list.ExpandIncludes(result, notices);
    ASSERT_EQ(result.size(), CScriptLines::kMaxIncludeDepth);
    EXPECT_EQ(result.front(), "L" + std::to_string(CScriptLines::kMaxIncludeDepth - 1));
    EXPECT_EQ(result.back(), "L0");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].position, 0u);
    EXPECT_EQ(notices[0].text, Sj("スクリプトの呼び出しが深すぎます: ") + "f" +
                                   std::to_string(CScriptLines::kMaxIncludeDepth) + ".sql");
}

// Each file includes the next twice: without a bound on the lines visited
// the expansion doubles with every level.
TEST(CScriptLinesInclude, FanOutStopsAtTheLineBound) {
    testfiles::ScratchDir dir;
    for (int i = 0; i < 30; ++i) {
        const std::string next = "@f" + std::to_string(i + 1) + ".sql\n";
        dir.Write("f" + std::to_string(i) + ".sql", "L\n" + next + next);
    }
    dir.Write("f30.sql", "leaf\n");
    CScriptLines list{"first", "@f0.sql", "last"};
    CScriptLines result;
    std::vector<CScriptLines::Notice> notices;
    list.ExpandIncludes(result, notices, scripttext::Encoding::Auto, 1000);
    EXPECT_EQ(result.front(), "first");
    EXPECT_LT(result.size(), 1000u);
    EXPECT_NE(result.back(), "last");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].position, result.size());
    EXPECT_EQ(notices[0].text.rfind(Sj("スクリプトの行数が上限"), 0), 0u);
}

// Expanding into the list itself, with files large enough to move it.
TEST(CScriptLinesInclude, LargeScriptExpandsCompletelyIntoItself) {
    testfiles::ScratchDir dir;
    std::string big;
    for (int i = 0; i < 200000; ++i) big += "line " + std::to_string(i) + "\r\n";
    dir.Write("big.sql", big);
    dir.Write("s.sql", "1\n2\n");
    CScriptLines list{"@s.sql", "@big.sql", "@big.sql", "@s.sql"};
    list.ExpandIncludes(list);
    ASSERT_EQ(list.size(), 400004u);
    EXPECT_EQ(list[0], "1");
    EXPECT_EQ(list[200001], "line 199999");
    EXPECT_EQ(list[200002], "line 0");
    EXPECT_EQ(list[400003], "2");
}

}  // namespace
