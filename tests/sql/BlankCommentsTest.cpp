#include <gtest/gtest.h>

#include "interpreter/CSQLProcessor.h"

namespace {

struct BlankCase {
    const char* text;
    const char* expected;
};

class BlankCommentsTest : public ::testing::TestWithParam<BlankCase> {};

TEST_P(BlankCommentsTest, KeepsEveryPosition) {
    const std::string text = GetParam().text;
    const std::string blanked = CSQLProcessor::BlankComments(text);
    EXPECT_EQ(blanked, GetParam().expected) << text;
    // Only a final line feed may be added.
    ASSERT_GE(blanked.size(), text.size());
    EXPECT_LE(blanked.size(), text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (blanked[i] != ' ') {
            EXPECT_EQ(blanked[i], text[i]) << text << " at " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Comments, BlankCommentsTest,
    ::testing::Values(
        BlankCase{"", ""}, BlankCase{"select 1 from t;", "select 1 from t;"},
        BlankCase{"select 1 /* c */ from t;", "select 1         from t;"},
        BlankCase{"a /* x\ny */ b", "a           b"}, BlankCase{"a /* open", "a        "},
        BlankCase{"/**/x/**/", "    x    "}, BlankCase{"select 1; -- note", "select 1;        \n"},
        BlankCase{"select 1 --", "select 1   \n"}, BlankCase{"a -- x\nb;", "a     \nb;"},
        BlankCase{"a --\n-- b\nc", "a   \n    \nc"}, BlankCase{"'--' x", "'     \n"},
        BlankCase{"/* -- */ x", "         x"}, BlankCase{"a -- see /* x\nb;", "a            \nb;"},
        BlankCase{"a /* -- \n */ b", "a            b"}, BlankCase{"-", "-"}, BlankCase{"/", "/"},
        BlankCase{"x /*/ y", "x      "}, BlankCase{"select\n--\n;", "select\n  \n;"}));

}  // namespace
