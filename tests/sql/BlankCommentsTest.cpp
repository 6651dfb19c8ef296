#include <gtest/gtest.h>

#include "interpreter/CSQLProcessor.h"

namespace {

TEST(BlankComments, KeepsEveryPosition) {
    // clang-format off
    const struct { const char *text, *expected; } cases[] = {
        {"", ""}, {"select 1 from t;", "select 1 from t;"},
        {"select 1 /* c */ from t;", "select 1         from t;"}, {"a /* x\ny */ b", "a           b"},
        {"a /* open", "a        "}, {"/**/x/**/", "    x    "}, {"select 1; -- note", "select 1;        \n"},
        {"select 1 --", "select 1   \n"}, {"a -- x\nb;", "a     \nb;"}, {"a --\n-- b\nc", "a   \n    \nc"},
        {"'--' x", "'     \n"}, {"/* -- */ x", "         x"}, {"a -- see /* x\nb;", "a            \nb;"},
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

}  // namespace
