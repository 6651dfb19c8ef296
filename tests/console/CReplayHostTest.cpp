#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console/CReplayHost.h"
#include "console/CSQLEditor.h"
#include "console/EditorLines.h"
#include "tests/support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// Answers from a list, in order, and notes every question asked.
class ScriptedHost : public CConsoleHost {
public:
    explicit ScriptedHost(Lines answers) : m_answers(std::move(answers)) {}
    void SendKey(Key) override {}
    void SendCommand(Command) override {}
    void PostClose() override {}
    bool AskLine(const std::string& prompt, bool hidden, std::string& answer) override {
        asked.push_back(prompt + (hidden ? "(hidden)" : ""));
        if (m_next >= m_answers.size()) return false;
        answer = m_answers[m_next++];
        return true;
    }
    Lines asked;

private:
    Lines m_answers;
    std::size_t m_next = 0;
};

const std::string kEnterX =
    "x\x82\xC9\x92\x6C\x82\xF0\x93\xFC\x97\xCD\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2: ";

TEST(CReplayHost, QuestionsTakeTheShownAnswersInOrder) {
    const CScriptLines shown{"Name: alice", "Password: ", "Name: bob", "NAME COLUMN", "Name:", ""};
    struct Ask {
        const char* prompt;
        bool hidden;
        bool answered;  // from the shown lines or the host
        const char* answer;
    };
    const struct {
        const char* name;
        std::vector<Ask> asks;
        Lines hostAsked;
    } cases[] = {
        {"in order", {{"Name: ", false, true, "alice"}, {"Name: ", false, true, "bob"}}, {}},
        {"no third",
         {{"Name: ", false, true, "alice"}, {"Name: ", false, true, "bob"}, {"Name: ", false, true, "h1"}},
         {"Name: "}},
        {"hidden asks the host and passes its line over",
         {{"Password: ", true, true, "h1"}, {"Name: ", false, true, "bob"}},
         {"Password: (hidden)"}},
        {"unknown question asks",
         {{"Age: ", false, true, "h1"}, {"Name: ", false, true, "alice"}},
         {"Age: "}},
        {"a prompt without its blank is its own", {{"Name:", false, true, " alice"}}, {}},
    };
    for (const auto& c : cases) {
        ScriptedHost inner({"h1", "h2"});
        CReplayHost host(&inner);
        host.SetShownLines(shown, 0, 5);
        for (const auto& ask : c.asks) {
            std::string answer;
            EXPECT_EQ(host.AskLine(ask.prompt, ask.hidden, answer), ask.answered) << c.name;
            EXPECT_EQ(answer, ask.answer) << c.name;
        }
        EXPECT_EQ(inner.asked, c.hostAsked) << c.name;
    }
    // Without a host of its own nothing else can answer.
    CReplayHost alone(nullptr);
    alone.SetShownLines(shown, 3, 99);
    std::string answer;
    EXPECT_FALSE(alone.AskLine("Name: ", false, answer));
    EXPECT_TRUE(alone.AskLine("Name:", false, answer));
    EXPECT_EQ(answer, "");
}

// A session that answered questions, saved and opened again, shows the same
// console and asks only for what it never showed: the hidden answer.
TEST(CReplayHost, ASavedSessionReplaysToTheSameConsole) {
    TempHome home;
    CSQLEditor editor;
    ScriptedHost typed({"\x91\xBE\x98\x59", "sales", "1", "2", "42", "s3cr3t", ""});
    editor.SetHost(&typed);
    for (const char* line :
         {"connect a/b", "select '&name' greeting from dual;", "select '&&dept' d, '&&dept' e from dual;",
          "select '&x' a, '&x' b from dual;", "accept amount number prompt 'Amount: '",
          "accept secret char prompt 'Secret: ' hide", "accept dflt default 'none' prompt 'Default? '",
          "select &amount * 2 doubled, '&dflt' dflt from dual;", "define amount"}) {
        editor.InsertText(line);
        editor.Submit();
    }
    ASSERT_EQ(typed.asked.size(), 7u);
    EXPECT_EQ(typed.asked[3], kEnterX);
    std::ostringstream saved;
    ASSERT_TRUE(editor.Store(saved));
    const Lines session = EditorLines(editor);
    EXPECT_EQ(saved.str().find("s3cr3t"), std::string::npos);
    EXPECT_NE(std::find(session.begin(), session.end(), "Amount: 42"), session.end());

    CSQLEditor replay;
    ScriptedHost again({"s3cr3t"});
    replay.SetHost(&again);
    std::istringstream in(saved.str());
    ASSERT_TRUE(replay.Load(in));
    EXPECT_EQ(again.asked, Lines{"Secret: (hidden)"});
    EXPECT_EQ(EditorLines(replay), session);
    // The replay's host is the console's own again afterwards.
    replay.InsertText("accept later prompt 'Later: '");
    replay.Submit();
    EXPECT_EQ(again.asked.back(), "Later: ");
}

// A script (no prompted line) has no answers: every question is asked.
TEST(CReplayHost, AScriptAsksEveryQuestion) {
    TempHome home;
    CSQLEditor editor;
    ScriptedHost host({"7"});
    editor.SetHost(&host);
    std::istringstream in("accept n prompt 'N: '\nN: 5\nprompt &n\n");
    ASSERT_TRUE(editor.Load(in));
    EXPECT_EQ(host.asked, Lines{"N: "});
    const Lines lines = EditorLines(editor);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "N: 7"), lines.end());
}

}  // namespace
