#include <gtest/gtest.h>

#include <random>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/CTemplateMatcher.h"

namespace {

// The matcher must agree with a full Scan of the joined lines whenever it is
// asked, whatever the lines hold (a line feed inside a line too) and however
// many lines came since it was last asked.
TEST(CTemplateMatcher, AgreesWithAFullScanLineByLine) {
    CSQLProcessor processor;
    CTemplateMatcher matcher(processor.GetTemplates());
    // The fragments, separated by '|'.
    std::vector<std::string> fragments;
    std::string all =
        "select|SELECT *|from t|;| ;|begin|BEGIN NULL;|end;|END|;/|/| /|declare|x|create|table|or "
        "replace|trigger|commit|COMMIT;|commit |insert|into|INTO|delete|from|update t|E|ND;|| |  "
        "|grant|tablespace|drop|procedure|p is|rollback|roll|back;|b\x82|\x82|a\tb|--;|/* ; */|END;/|alter "
        "session|truncate|cluster|BEG";
    for (std::size_t at; (at = all.find('|')) != std::string::npos; all.erase(0, at + 1))
        fragments.push_back(all.substr(0, at));
    fragments.push_back(all);
    ASSERT_EQ(fragments.size(), 50u);
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        matcher.Clear();
        CScriptLines lines;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int n = 0; n < count; ++n) {
            std::string line = fragments[random() % fragments.size()];
            if (random() % 2) line += " " + fragments[random() % fragments.size()];
            if (random() % 8 == 0) line += "\n" + fragments[random() % fragments.size()];
            lines.push_back(line);
            matcher.Append(line);
            if (random() % 2 && n + 1 < count) continue;
            const std::string joined = lines.Join();
            ASSERT_EQ(matcher.AnyFits(), !joined.empty() && processor.FindTemplate(joined) >= 0)
                << '"' << joined << '"';
        }
    }
}

TEST(CTemplateMatcher, StatementThatFitsNoTemplateStaysPendingAcrossManyLines) {
    CSQLProcessor processor;
    processor.AddLine("CREATE PACKAGE p IS");
    for (int n = 0; n < 20000; ++n) {
        processor.AddLine("  x NUMBER; -- filler line");
        ASSERT_FALSE(processor.IsComplete());
    }
    EXPECT_EQ(processor.GetLines().size(), 20001u);
}

}  // namespace
