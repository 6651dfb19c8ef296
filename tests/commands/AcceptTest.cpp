#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "commands/AcceptReply.h"
#include "commands/CDefineCommand.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"
#include "sql/DatabaseFixture.h"

namespace {

using acceptreply::Type;

// Answers ACCEPT from a list of replies; none left: no answer.
class ReplyingHost : public CConsoleHost {
public:
    explicit ReplyingHost(std::deque<std::string> replies) : m_replies(std::move(replies)) {}
    void SendKey(Key) override {}
    void SendCommand(Command) override {}
    void PostClose() override {}
    bool AskLine(const std::string&, bool, std::string& answer) override {
        ++asked;
        if (m_replies.empty()) return false;
        answer = m_replies.front();
        m_replies.pop_front();
        return true;
    }
    int asked = 0;

private:
    std::deque<std::string> m_replies;
};

TEST(AcceptReply, RepliesAreCheckedByTypeAndFormat) {
    const struct {
        Type type;
        const char* format;
        const char* reply;
        bool accepted;
    } cases[] = {
        {Type::Char, "", "anything at all", true},
        {Type::Char, "A3", "abc", true},
        {Type::Char, "A3", "abcd", false},
        // Bytes are counted: a double-byte character takes two.
        {Type::Char, "A3", "\x93\xfa\x96\x7b", false},
        {Type::Number, "", "-12.5E3", true},
        {Type::Number, "", "12a", false},
        {Type::Number, "", "", false},
        {Type::Number, "999", "999", true},
        {Type::Number, "999", "1000", false},
        {Type::Number, "999.99", "12.345", false},
        {Type::Number, "999.99", "12.34", true},
        {Type::Number, "9,999", "1,234", true},
        {Type::Number, "$999", "$12", true},
        {Type::Date, "", "26-12-07", true},
        {Type::Date, "", "2026-12-07", true},
        {Type::Date, "", "26-12-32", false},
        {Type::Date, "DD-MON-YYYY", "07-dec-2026", true},
        {Type::Date, "DD-MON-YYYY", "07-12\x8c\x8e-2026", true},
        {Type::Date, "YYYY/MM/DD", "2024/02/29", true},
        {Type::Date, "YYYY/MM/DD", "2023/02/29", false},
        {Type::Date, "YYYY/MM/DD", "2023/13/01", false},
        {Type::Date, "YYYY/MM/DD", "2023/12/01 junk", false},
        {Type::Date, "YYYY-MM-DD HH24:MI:SS", "2023-12-01 23:59:59", true},
        {Type::Date, "YYYY-MM-DD HH24:MI:SS", "2023-12-01 24:00:00", false},
        {Type::Date, "HH:MI AM", "12:30 PM", true},
        {Type::Date, "HH:MI AM", "13:30 PM", false},
        {Type::Date, "\"Q\"YYYY", "Q2024", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(acceptreply::Refusal(c.type, c.format, c.reply).empty(), c.accepted)
            << c.format << " " << c.reply;
}

TEST(AcceptReply, FormatsThatCannotCheckTheTypeAreRefused) {
    EXPECT_EQ(acceptreply::FormatRefusal(Type::Number, "A10"), Sj("NUMBERの値には書式\"A10\"を使えません。"));
    EXPECT_EQ(acceptreply::FormatRefusal(Type::Date, "YYYY-QQ"),
              Sj("DATEの値には書式\"YYYY-QQ\"を使えません。"));
    EXPECT_EQ(acceptreply::FormatRefusal(Type::Char, "A10"), "");
    EXPECT_EQ(acceptreply::FormatRefusal(Type::Date, "DD.MM.RRRR"), "");
}

struct AcceptRun {
    CScriptLines shown;
    std::string defined;
    int asked;
};

AcceptRun Accept(const std::string& command, std::deque<std::string> replies) {
    CSQLProcessor processor;
    ReplyingHost host(std::move(replies));
    processor.SetHost(&host);
    AcceptRun run{Feed(processor, {command}), "", 0};
    const std::string* value = processor.Command<CDefineCommand>().GetDefines().Find("V");
    run.defined = value != nullptr ? *value : "(undefined)";
    run.asked = host.asked;
    return run;
}

TEST(AcceptCommand, AWrongReplyIsRefusedAndAskedAgain) {
    const AcceptRun run = Accept("ACCEPT v NUMBER FORMAT 99 PROMPT 'n? '", {"x", "100", "42", "7"});
    EXPECT_EQ(run.shown, SjLines({"n? x", "\"x\"は有効な数値ではありません。", "n? 100",
                                  "\"100\"は入力書式\"99\"に一致しません。", "n? 42"}));
    EXPECT_EQ(run.defined, "42");
    EXPECT_EQ(run.asked, 3);
}

TEST(AcceptCommand, WithNoReplyLeftTheVariableIsNamedAndStaysUndefined) {
    const AcceptRun run = Accept("ACCEPT v DATE PROMPT 'd? '", {"2026-02-30"});
    EXPECT_EQ(run.shown,
              SjLines({"d? 2026-02-30", "日付\"2026-02-30\"が無効か、書式\"RR-MM-DD\"に一致しません。",
                       "変数vの値が入力されませんでした。"}));
    EXPECT_EQ(run.defined, "(undefined)");
}

TEST(AcceptCommand, AnEmptyReplyTakesTheDefaultWhichIsCheckedToo) {
    EXPECT_EQ(Accept("ACCEPT v NUMBER DEFAULT 5 PROMPT 'n? '", {""}).defined, "5");
    const AcceptRun bad = Accept("ACCEPT v NUMBER DEFAULT five", {});
    EXPECT_EQ(bad.shown,
              SjLines({"five", "\"five\"は有効な数値ではありません。", "変数vの値が入力されませんでした。"}));
    EXPECT_EQ(bad.defined, "(undefined)");
}

TEST(AcceptCommand, AHiddenReplyIsNotRepeatedInItsRefusal) {
    const AcceptRun run = Accept("ACCEPT v CHAR FORMAT A4 PROMPT 'pw: ' HIDE", {"secret", "pass"});
    EXPECT_EQ(run.shown, SjLines({"pw: ", "\"********\"は入力書式\"A4\"に一致しません。", "pw: "}));
    EXPECT_EQ(run.defined, "pass");
}

TEST(AcceptCommand, AHostThatRepeatsAWrongReplyForEverDoesNotHoldTheConsole) {
    std::deque<std::string> replies(500, "x");
    const AcceptRun run = Accept("ACCEPT v NUMBER NOPROMPT", replies);
    EXPECT_LT(run.asked, 500);
    EXPECT_EQ(run.shown.back(), Sj("変数vの値が入力されませんでした。"));
}

// Connected, a DATE reply without FORMAT is read by the session's own date
// format, which a script may have set.
TEST_F(DatabaseFixture, ADateReplyIsReadByTheSessionsDateFormat) {
    Connect();
    Run({"ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY/MM/DD';"});
    ReplyingHost host({"01/05/2024", "2024/01/05') FROM dual UNION SELECT SYSDATE FROM dual --",
                       std::string("2024/01/05\0", 11), "2024/01/05"});
    Processor().SetHost(&host);
    CScriptLines expected =
        SjLines({"d? 01/05/2024", "日付\"01/05/2024\"が無効か、セッションの日付書式に一致しません。",
                 "d? 2024/01/05') FROM dual UNION SELECT SYSDATE FROM dual --",
                 "日付\"2024/01/05') FROM dual UNION SELECT SYSDATE FROM dual --\"が無効か、"
                 "セッションの日付書式に一致しません。"});
    const std::string withNul("2024/01/05\0", 11);
    expected.push_back("d? " + withNul);
    expected.push_back(Sj("日付\"") + withNul + Sj("\"が無効か、セッションの日付書式に一致しません。"));
    expected.push_back("d? 2024/01/05");
    EXPECT_EQ(Run({"ACCEPT v DATE PROMPT 'd? '"}), expected);
    EXPECT_EQ(*Processor().Command<CDefineCommand>().GetDefines().Find("V"), "2024/01/05");
    Processor().SetHost(nullptr);
}

}  // namespace
