// The steps the path reader finds, in CP932 and in UTF-8, and where it
// stops on text that is no path.
#include <gtest/gtest.h>

#include "engine/sqlite/CJsonPath.h"
#include "text/Encoding.h"

namespace {

using Kind = CJsonPath::Kind;

// The steps as "kind:name-or-index-or-text" joined by " ".
std::string Shown(std::string_view path, CJsonPath::Encoding encoding, bool& read, CJsonPath::Mode& mode) {
    std::vector<CJsonPath::Step> steps;
    read = CJsonPath::Read(path, encoding, mode, steps);
    static constexpr const char* kNames[] = {"m", "m*", "e", "e*", "filter", "method", "range", "last", ".."};
    std::string out;
    for (const CJsonPath::Step& step : steps) {
        out += out.empty() ? "" : " ";
        out += kNames[static_cast<int>(step.kind)];
        if (step.kind == Kind::Member) out += ":" + step.name;
        if (step.kind == Kind::Element) out += ":" + std::to_string(step.index);
        if (step.kind >= Kind::Filter) out += ":" + step.text;
    }
    return out;
}

TEST(CJsonPathStepsTest, StepsOfPathsAndWhereTheyBreak) {
    struct Case {
        const char* path;
        bool read;
        const char* steps;
    } cases[] = {
        {"$", true, ""},
        {"  $.a  ", true, "m:a"},
        {"$.LineItems[*].Part.\"Unit Price\"", true, "m:LineItems e* m:Part m:Unit Price"},
        {"$[ 12 ].*", true, "e:12 m*"},
        {"$.a.size().b", true, "m:a method:size() m:b"},
        {"$.a[1 to 3]", true, "m:a range:[1 to 3]"},
        {"$.a[last]", true, "m:a last:[last]"},
        {"$.a?(@.b == 1)", true, "m:a filter:?(@.b == 1)"},
        {"$..b", true, "..:.."},
        {"$.a.", false, "m:a"},
        {"$.a[1", false, "m:a"},
        {"$.a[x]", false, "m:a"},
        {"$.a b", false, "m:a"},
        {"a.b", false, ""},
        {"$.\"open", false, ""},
    };
    for (const Case& c : cases) {
        bool read = false;
        CJsonPath::Mode mode = CJsonPath::Mode::Default;
        EXPECT_EQ(Shown(c.path, CJsonPath::Encoding::Utf8, read, mode), c.steps) << c.path;
        EXPECT_EQ(read, c.read) << c.path;
    }
}

TEST(CJsonPathStepsTest, ModeWordsBeforeThePath) {
    struct Case {
        const char* path;
        CJsonPath::Mode mode;
    } cases[] = {{"lax $.a", CJsonPath::Mode::Lax},
                 {"STRICT $.a", CJsonPath::Mode::Strict},
                 {"$.a", CJsonPath::Mode::Default},
                 {"laxity", CJsonPath::Mode::Default}};
    for (const Case& c : cases) {
        bool read = false;
        CJsonPath::Mode mode = CJsonPath::Mode::Default;
        Shown(c.path, CJsonPath::Encoding::Utf8, read, mode);
        EXPECT_EQ(mode, c.mode) << c.path;
    }
}

// "ソ" is 83 5C in CP932 (a trail byte that reads as a backslash) and
// "ー" is 81 5B (one that reads as "["); in UTF-8 "ぁ" ends in 0x81, a CP932
// lead byte.
TEST(CJsonPathStepsTest, MultiByteNamesAreWholeInEitherEncoding) {
    bool read = false;
    CJsonPath::Mode mode = CJsonPath::Mode::Default;
    EXPECT_EQ(Shown(encoding::Utf8ToCp932("$.ソー[0]"), CJsonPath::Encoding::Cp932, read, mode),
              "m:" + encoding::Utf8ToCp932("ソー") + " e:0");
    EXPECT_TRUE(read);
    EXPECT_EQ(Shown("$.ぁ.b", CJsonPath::Encoding::Utf8, read, mode), "m:ぁ m:b");
    EXPECT_TRUE(read);
}

TEST(CJsonPathStepsTest, AHugePositionStaysBeyondAnyArray) {
    std::vector<CJsonPath::Step> steps;
    CJsonPath::Mode mode = CJsonPath::Mode::Default;
    ASSERT_TRUE(CJsonPath::Read("$[184467440737095516170]", CJsonPath::Encoding::Utf8, mode, steps));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_GT(steps[0].index, 1000000000u);
}

}  // namespace
