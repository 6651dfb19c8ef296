#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch/CBatchHost.h"
#include "console/CSQLEditor.h"
#include "tests/support/Sj.h"

namespace {

// A user answering at a terminal sees each question and PAUSE's text before
// typing; answers read from a file or a pipe show nothing.
TEST(CBatchHost, QuestionsShowOnlyToAUserAtATerminal) {
    for (const bool interactive : {true, false}) {
        CSQLEditor editor;
        CBatchHost host(editor);
        // Note: PAUSE reads a line only from a terminal.
        std::istringstream in(std::string("Ken\n") + (interactive ? "\n" : "") + Sj("東京") + "\n");
        std::ostringstream prompts;
        host.SetInput(&in, interactive);
        host.SetPromptOutput(&prompts);
        std::string answer;
        ASSERT_TRUE(host.AskLine(Sj("名前: "), false, answer));
        EXPECT_EQ(answer, "Ken");
        host.WaitForEnter("Press Enter");
        ASSERT_TRUE(host.AskLine("Secret: ", true, answer));
        EXPECT_EQ(answer, Sj("東京"));
        EXPECT_EQ(prompts.str(), interactive ? "名前: Press EnterSecret: " : "");
    }
}

}  // namespace
