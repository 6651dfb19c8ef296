#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/TestFiles.h"
#include "text/CScriptLines.h"

namespace {

using testfiles::Sjis;

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
    EXPECT_FALSE(CScriptLines::ReadFile(dir.Path().string(), none));
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

struct ExpandCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    CScriptLines input;
    CScriptLines lines;
    std::vector<CScriptLines::Notice> notices;
};

TEST(CScriptLinesInclude, ExpandIncludesCases) {
    const std::string cannot = Sjis("ファイルを開けません: ");
    const std::string cycle = Sjis("スクリプトの呼び出しが循環しています: ");
    const ExpandCase cases[] = {
        {"no inclusion", {}, {"a", "", " @x"}, {"a", "", " @x"}, {}},
        {"one file", {{"s.sql", "1\n2\n3\n"}}, {"@s.sql"}, {"1", "2", "3"}, {}},
        {"empty file", {{"e.sql", ""}}, {"a", "@e.sql", "b"}, {"a", "b"}, {}},
        {"name taken unchanged", {{"s.sql", "1\n"}}, {"@s.sql "}, {}, {{0, cannot + "s.sql "}}},
        {"missing in the middle", {}, {"a", "@m", "b"}, {"a", "b"}, {{1, cannot + "m"}}},
        {"lone at sign", {}, {"@"}, {}, {{0, cannot}}},
        {"nested from the first line",
         {{"o.sql", "@i.sql\no\n"}, {"i.sql", "i1\ni2"}},
         {"@o.sql"},
         {"i1", "i2", "o"},
         {}},
        {"same file twice is no cycle",
         {{"b.sql", "b\n"}, {"t.sql", "@b.sql\n@b.sql\n"}},
         {"@t.sql"},
         {"b", "b"},
         {}},
        {"self inclusion", {{"a.sql", "x\n@a.sql\ny\n"}}, {"@a.sql"}, {"x", "y"}, {{1, cycle + "a.sql"}}},
        {"cycle through another file",
         {{"a.sql", "x\n@b.sql\n"}, {"b.sql", "@./a.sql\nz\n"}},
         {"@a.sql"},
         {"x", "z"},
         {{1, cycle + "./a.sql"}}},
        {"missing file deep inside",
         {{"a.sql", "x\n@gone.sql\ny\n"}},
         {"p", "@a.sql", "q"},
         {"p", "x", "y", "q"},
         {{2, cannot + "gone.sql"}}},
    };
    for (const auto& c : cases) {
        testfiles::ScratchDir dir;
        for (const auto& [name, bytes] : c.files) dir.Write(name, bytes);
        CScriptLines list = c.input;
        CScriptLines result{"left over"};
        std::vector<CScriptLines::Notice> notices;
        list.ExpandIncludes(result, notices);
        EXPECT_EQ(result, c.lines) << c.name;
        EXPECT_EQ(list, c.lines) << c.name;
        ASSERT_EQ(notices.size(), c.notices.size()) << c.name;
        for (std::size_t i = 0; i < notices.size(); ++i) {
            EXPECT_EQ(notices[i].position, c.notices[i].position) << c.name;
            EXPECT_EQ(notices[i].text, c.notices[i].text) << c.name;
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
    EXPECT_EQ(notices[0].text, Sjis("スクリプトの呼び出しが深すぎます: ") + "f" +
                                   std::to_string(CScriptLines::kMaxIncludeDepth) + ".sql");
}

TEST(CScriptLinesInclude, ExpandIntoItself) {
    testfiles::ScratchDir dir;
    dir.Write("s.sql", "1\n2\n");
    CScriptLines list{"@s.sql", "@s.sql"};
    list.ExpandIncludes(list);
    EXPECT_EQ(list, (CScriptLines{"1", "2", "1", "2"}));
}

TEST(CScriptLinesInclude, LargeScriptExpandsCompletely) {
    testfiles::ScratchDir dir;
    std::string big;
    for (int i = 0; i < 200000; ++i) big += "line " + std::to_string(i) + "\r\n";
    dir.Write("big.sql", big);
    CScriptLines list{"@big.sql", "@big.sql"};
    CScriptLines result;
    list.ExpandIncludes(result);
    ASSERT_EQ(result.size(), 400000u);
    EXPECT_EQ(result[199999], "line 199999");
    EXPECT_EQ(result[200000], "line 0");
}

}  // namespace
