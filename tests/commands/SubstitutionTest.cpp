#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "commands/CBufferCommand.h"
#include "commands/CDefineCommand.h"
#include "commands/CSubstitution.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"

namespace {

// Substitutes `text` with the variables of `known` (upper-case names);
// "!" + name when a name had no value.
std::string Substituted(const std::string& text, const CSubstitution::Rules& rules,
                        std::map<std::string, std::string>& known) {
    std::vector<CSubstitution::Edit> edits;
    std::string missing;
    const auto resolve = [&](const std::string& name, bool keep, std::string& value) {
        const auto found = known.find(name);
        if (found == known.end()) return false;
        value = found->second;
        if (keep) known["KEPT"] = name;
        return true;
    };
    if (!CSubstitution::Find(text, rules, resolve, edits, &missing)) return "!" + missing;
    return CSubstitution::Apply(text, edits);
}

TEST(CSubstitution, ReferencesByTheRules) {
    const CSubstitution::Rules plain;
    CSubstitution::Rules hash;
    hash.prefix = '#';
    CSubstitution::Rules noConcat;
    noConcat.concat = 0;
    CSubstitution::Rules escaped;
    escaped.escape = '\\';
    CSubstitution::Rules off;
    off.prefix = 0;
    // clang-format off
    const struct { const char* text; const CSubstitution::Rules& rules; const char* expected; } cases[] = {
        {"select &col from &tab;", plain, "select ename from emp;"},
        {"'&col' \"&tab\"", plain, "'ename' \"emp\""},
        {"&tab._hist &tab..x", plain, "emp_hist emp.x"},
        {"&tab._hist", noConcat, "emp._hist"},
        {"a && b & c &", plain, "a && b & c &"},
        {"&&col", plain, "ename"},
        {"&1件 &1.件", plain, "10件 10件"},
        {"&nosuch and &col", plain, "!nosuch"},
        {"#tab &tab", hash, "emp &tab"},
        {"\\&tab &tab", escaped, "&tab emp"},
        {"\\x &tab", escaped, "\\x emp"},
        {"&tab", off, "&tab"},
        // A double-byte character whose trail byte is "\" is never an escape.
        {"\x95\x5C&tab", escaped, "\x95\x5C" "emp"},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::map<std::string, std::string> known{{"col", "ename"}, {"tab", "emp"}, {"1", "10"}};
        EXPECT_EQ(Substituted(c.text, c.rules, known), c.expected) << c.text;
    }
}

TEST(CSubstitution, DoubledPrefixKeepsTheValue) {
    std::map<std::string, std::string> known{{"col", "ename"}};
    EXPECT_EQ(Substituted("&col", {}, known), "ename");
    EXPECT_EQ(known.count("KEPT"), 0u);
    EXPECT_EQ(Substituted("&&col", {}, known), "ename");
    EXPECT_EQ(known["KEPT"], "col");
}

TEST(CSubstitution, GrowthIsBounded) {
    std::map<std::string, std::string> known{{"x", std::string(1 << 20, 'v')}};
    std::string text;
    for (int i = 0; i < 40; ++i) text += "&x ";
    const std::string out = Substituted(text, {}, known);
    EXPECT_LE(out.size(), CSubstitution::kMaxGrowth + text.size());
    EXPECT_NE(out.find("&x"), std::string::npos);
}

TEST(DefineCommand, ListsShowsAndForgets) {
    CSQLProcessor processor;
    EXPECT_TRUE(Feed(processor, {"define title = \"Weekly report\"", "undefine nosuch title"}).empty());
    EXPECT_EQ(Feed(processor, {"define title"}), SjLines({"シンボルTITLEは定義されていません。"}));
    Feed(processor, {"def owner = scott"});
    EXPECT_EQ(Feed(processor, {"define owner"}), CScriptLines{"DEFINE OWNER           = \"SCOTT\" (CHAR)"});
    const CScriptLines all = Feed(processor, {"define"});
    ASSERT_EQ(all.size(), 5u);
    EXPECT_TRUE(all[0].starts_with("DEFINE _DATE           = \"")) << all[0];
    EXPECT_EQ(all[4], "DEFINE OWNER           = \"SCOTT\" (CHAR)");
    EXPECT_EQ(Feed(processor, {"prompt &_o_version"}), CScriptLines{"Tarvex Version 1.11"});
}

TEST(SetOptions, SubstitutionCharacters) {
    CSQLProcessor processor;
    Feed(processor, {"define x = 1"});
    // clang-format off
    const struct { const char* set; const char* prompt; const char* shown; } cases[] = {
        {"set define off", "prompt &x", "&x"}, {"set define ^", "prompt ^x &x", "1 &x"},
        {"set define on", "prompt &x", "1"}, {"set concat !", "prompt &x!y &x.y", "1y 1.y"},
        {"set concat .", "prompt &x.y", "1y"}, {"set escape on", "prompt \\&x", "&x"},
        {"set escape off", "prompt \\&x", "\\1"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_TRUE(Feed(processor, {c.set}).empty()) << c.set;
        EXPECT_EQ(Feed(processor, {c.prompt}), CScriptLines{c.shown}) << c.set;
    }
    for (const char* refused : {"set define a", "set define 12", "set escape  ", "set concat _"})
        EXPECT_EQ(Feed(processor, {refused}).size(), 1u) << refused;
}

TEST(BufferCommand, EditsTheLastStatement) {
    CSQLProcessor processor;
    Feed(processor, {"select ename", "  from emp", " where sal > 1;"});
    CBufferCommand& buffer = processor.Command<CBufferCommand>();
    EXPECT_EQ(buffer.GetLines(), (CScriptLines{"select ename", "  from emp", " where sal > 1"}));
    EXPECT_EQ(Feed(processor, {"l 2 last"}), (CScriptLines{"  2    from emp", "  3*  where sal > 1"}));
    EXPECT_EQ(Feed(processor, {"l 0"}), SjLines({"行番号が不正です。"}));
    EXPECT_EQ(Feed(processor, {"l 3 1"}), SjLines({"行番号が不正です。"}));
    EXPECT_EQ(Feed(processor, {"1"}), CScriptLines{"  1* select ename"});
    EXPECT_EQ(Feed(processor, {"c.ENAME.ename, sal"}), CScriptLines{"  1* select ename, sal"});
    EXPECT_EQ(Feed(processor, {"c /nothing/x/"}), SjLines({"文字列が見つかりません。"}));
    EXPECT_EQ(Feed(processor, {"c /, sal//"}), CScriptLines{"  1* select ename"});
    EXPECT_EQ(Feed(processor, {"3 where 1 = 1"}), CScriptLines{"  3* where 1 = 1"});
    EXPECT_TRUE(Feed(processor, {"del 2 3"}).empty());
    EXPECT_EQ(buffer.GetLines(), CScriptLines{"select ename"});
    EXPECT_TRUE(Feed(processor, {"i from dual"}).empty());
    EXPECT_EQ(Feed(processor, {"a  -- note"}), CScriptLines{"  2* from dual -- note"});
    EXPECT_EQ(Feed(processor, {"99"}), SjLines({"行番号が不正です。"}));
    EXPECT_TRUE(Feed(processor, {"clear buffer"}).empty());
    for (const char* line : {"list", "c /a/b/", "a x", "del"})
        EXPECT_EQ(Feed(processor, {line}), SjLines({"SQLバッファに行がありません。"})) << line;
    // A block keeps its END; and loses the "/" that ran it.
    Feed(processor, {"begin", "  null;", "end;", "/"});
    EXPECT_EQ(buffer.GetLines(), (CScriptLines{"begin", "  null;", "end;"}));
}

}  // namespace
