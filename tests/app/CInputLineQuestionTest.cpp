#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "app/CEditBufferDlg.h"
#include "app/CHistoryFile.h"
#include "app/CMainFrame.h"
#include "app/CVantorDoc.h"
#include "app/CVantorView.h"
#include "batch/CBatchRunner.h"
#include "console/EditorLines.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/Sj.h"

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

// Questions, PAUSE and EDIT in the window, typed as a user would.
class CInputLineQuestionTest : public ::testing::Test {
protected:
    CInputLineQuestionTest() {
        apptest::Application();
        QSettings().clear();
        std::remove(CHistoryFile::DefaultPath().c_str());
        frame = std::make_unique<CMainFrame>(document);
        frame->SetHistoryPath(files.Path("history.txt"));
        frame->SetQuestionSink([](const QString&) { return CMainFrame::Answer::RollBack; });
        frame->show();
    }

    CSQLEditor& Editor() { return *document.GetEditor(); }
    CVantorView& View() { return *frame->GetView(); }
    std::string InputLine() { return View().GetShownLines().back(); }
    // ASCII as key clicks; other text as one key event that carries it.
    void Type(const char* text) {
        const QString typed = U(text);
        bool ascii = true;
        for (QChar c : typed) ascii = ascii && c.unicode() < 128;
        if (ascii) return QTest::keyClicks(&View(), typed);
        QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QApplication::sendEvent(&View(), &event);
    }
    void Key(Qt::Key key) { QTest::keyClick(&View(), key); }
    void Enter(const char* text) {
        Type(text);
        Key(Qt::Key_Return);
    }
    int CountLines(const std::string& line) {
        const auto lines = EditorLines(Editor());
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    // Runs the steps in turn, each once the view asks on its input line.
    void WhenAsked(std::vector<std::function<void()>> steps) {
        auto* timer = new QTimer(frame.get());
        auto next = std::make_shared<std::size_t>(0);
        QObject::connect(timer, &QTimer::timeout, timer, [this, next, steps] {
            if (!View().IsAsking() || *next >= steps.size()) return;
            steps[(*next)++]();
            ++asked;
        });
        timer->start(5);
    }
    // Runs `step` on the editor dialog once it is open.
    void WhenEditing(std::function<void(CEditBufferDlg&)> step) {
        auto* timer = new QTimer(frame.get());
        QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
            auto* dialog = qobject_cast<CEditBufferDlg*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            timer->stop();
            step(*dialog);
        });
        timer->start(5);
    }

    testfiles::ScratchDir files;
    CVantorDoc document;
    std::unique_ptr<CMainFrame> frame;
    int asked = 0;
};

TEST_F(CInputLineQuestionTest, AVariableIsAskedForOnTheInputLine) {
    Enter("connect a/b");
    std::string shownQuestion, shownAnswer;
    QString status;
    WhenAsked({[&] {
        shownQuestion = InputLine();
        status = frame->GetPane(1)->text();
        Type("Ta");
        Key(Qt::Key_Up);  // no recall in an answer
        Type("ro太郎");
        Key(Qt::Key_Backspace);
        shownAnswer = InputLine();
        Key(Qt::Key_Return);
    }});
    Enter("select '&name' greeting from dual;");
    EXPECT_EQ(shownQuestion, Sj("nameに値を入力してください: "));
    EXPECT_EQ(status, U("入力待ち (Enter: 確定  Esc: 中止)"));
    EXPECT_EQ(frame->GetPane(1)->text(), U("ﾚﾃﾞｨ"));
    EXPECT_EQ(shownAnswer, Sj("nameに値を入力してください: Taro太"));
    EXPECT_EQ(CountLines(Sj("nameに値を入力してください: Taro太")), 1);
    EXPECT_EQ(CountLines(Sj("Taro太 ")), 1);
    EXPECT_EQ(InputLine(), "SQL> ");
    EXPECT_EQ(Editor().GetHistory().back(), "select '&name' greeting from dual;");
    // "&&" keeps the answer: the second statement does not ask.
    WhenAsked({[&] { Enter("10"); }});
    Enter("select &&dept + 1 next from dual;");
    Enter("select &&dept * 2 twice from dual;");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(CountLines("20         "), 1);
}

// An answered question stays on screen while the statement goes on, and
// once its output has come it stands there once.
TEST_F(CInputLineQuestionTest, AnsweredQuestionsStayOnScreen) {
    Enter("connect a/b");
    std::vector<std::string> second;
    int caretY = -1;
    WhenAsked({[&] { Enter("1"); },
               [&] {
                   second = View().GetShownLines();
                   caretY = View().GetCaretY() + View().verticalScrollBar()->value();
                   Enter("2");
               }});
    Enter("select '&a' a, '&b' b from dual;");
    ASSERT_GE(second.size(), 3u);
    EXPECT_EQ(second[second.size() - 3], "SQL> select '&a' a, '&b' b from dual;");
    EXPECT_EQ(second[second.size() - 2], Sj("aに値を入力してください: 1"));
    EXPECT_EQ(second.back(), Sj("bに値を入力してください: "));
    EXPECT_EQ(caretY, static_cast<int>(second.size() - 1) * View().GetLineHeight());
    const auto shown = View().GetShownLines();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), Sj("aに値を入力してください: 1")), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), Sj("bに値を入力してください: 2")), 1);
    EXPECT_EQ(shown, EditorLines(Editor()));
}

TEST_F(CInputLineQuestionTest, EscGivesUpTheQuestionAndTheStatementDoesNotRun) {
    Enter("connect a/b");
    WhenAsked({[&] {
        Type("typed");
        Key(Qt::Key_Escape);
    }});
    Enter("select '&what' from dual;");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(CountLines(Sj("置換変数whatの値が入力されなかったため、文を実行しませんでした。")), 1);
    EXPECT_EQ(InputLine(), "SQL> ");
    EXPECT_FALSE(View().IsRunning());
    Enter("select 7 seven from dual;");
    EXPECT_EQ(CountLines("7          "), 1);
}

TEST_F(CInputLineQuestionTest, APasswordIsMaskedAndKeptNowhere) {
    std::string shown;
    bool inputMethod = true;
    WhenAsked({[&] {
        Type("tiger");
        shown = InputLine();
        inputMethod = static_cast<QWidget&>(View()).inputMethodQuery(Qt::ImEnabled).toBool();
        Key(Qt::Key_Return);
    }});
    Enter("connect scott@orcl");
    EXPECT_EQ(shown, Sj("パスワードを入力してください: *****"));
    EXPECT_FALSE(inputMethod);
    EXPECT_EQ(CountLines(Sj("パスワードを入力してください: ")), 1);
    EXPECT_EQ(Editor().GetLine(Editor().GetLineCount() - 1), "SQL> ");
    const std::string saved = files.Path("session.sql");
    ASSERT_TRUE(frame->SaveDocumentFile(QString::fromStdString(saved)));
    frame->SaveHistory();
    for (const auto& line : EditorLines(Editor())) EXPECT_EQ(line.find("tiger"), std::string::npos) << line;
    EXPECT_EQ(testfiles::Read(saved).find("tiger"), std::string::npos);
    EXPECT_EQ(testfiles::Read(files.Path("history.txt")).find("tiger"), std::string::npos);
    for (const auto& line : Editor().GetHistory()) EXPECT_EQ(line.find("tiger"), std::string::npos);
    // Copying the masked answer copies the mask.
    WhenAsked({[&] {
        Type("pw");
        QTest::keyClick(&View(), Qt::Key_Home, Qt::ShiftModifier);
        frame->GetAction(CommandId::EditCopy)->trigger();
        Key(Qt::Key_Escape);
    }});
    Enter("accept s prompt 'Secret: ' hide");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("**"));
}

// A saved console that answered questions opens to the same text without
// asking again, but for what it never showed.
TEST_F(CInputLineQuestionTest, ASavedConsoleReplaysItsAnswers) {
    Enter("connect a/b");
    WhenAsked({[&] { Enter("5"); }, [&] { Enter("blue"); }, [&] { Enter("s3cr3t"); }});
    Enter("select &n * 3 from dual;");
    Enter("accept colour prompt 'Colour? '");
    Enter("accept code prompt 'Code: ' hide");
    Enter("prompt &colour &&colour");
    ASSERT_EQ(asked, 3);
    const QString path = QString::fromStdString(files.Path("answers.sql"));
    ASSERT_TRUE(frame->SaveDocumentFile(path));
    auto session = EditorLines(Editor());
    session.back() = "SQL> ";

    CVantorDoc again;
    CMainFrame replay(again);
    std::string asked2;
    auto* timer = new QTimer(&replay);
    QObject::connect(timer, &QTimer::timeout, timer, [&] {
        if (!replay.GetView()->IsAsking()) return;
        QTest::keyClicks(replay.GetView(), QStringLiteral("s3cr3t"));
        asked2 += again.GetEditor()->GetLine(again.GetEditor()->GetLineCount() - 1);
        QTest::keyClick(replay.GetView(), Qt::Key_Return);
    });
    timer->start(5);
    ASSERT_TRUE(replay.OpenDocumentFile(path));
    EXPECT_EQ(asked2, "Code: ******");
    EXPECT_EQ(EditorLines(*again.GetEditor()), session);
}

TEST_F(CInputLineQuestionTest, PauseWaitsForEnterAndEscStopsTheScript) {
    std::string shown;
    WhenAsked({[&] {
        shown = InputLine();
        Key(Qt::Key_Return);
    }});
    Enter("pause 続けるには Enter を押してください");
    EXPECT_EQ(shown, Sj("続けるには Enter を押してください"));
    EXPECT_EQ(CountLines(Sj("続けるには Enter を押してください")), 1);

    WhenAsked({[&] { Key(Qt::Key_Escape); }});
    const std::string script = files.Write("paused.sql", "prompt before\npause wait\nprompt after\n");
    frame->OpenDocumentFile(QString::fromStdString(script));
    EXPECT_EQ(CountLines("before"), 1);
    EXPECT_EQ(CountLines("after"), 0);
    EXPECT_EQ(InputLine(), "SQL> ");
}

TEST_F(CInputLineQuestionTest, EditChangesTheBufferWithoutRunningIt) {
    Enter("connect a/b");
    Enter("select 1 one");
    Enter("from dual;");
    QString opened;
    WhenEditing([&](CEditBufferDlg& dialog) {
        auto* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("text"));
        opened = text->toPlainText();
        text->setPlainText(U("select 2 two\nfrom dual\n\n"));
        dialog.accept();
    });
    Enter("ed");
    EXPECT_EQ(opened, U("select 1 one\nfrom dual"));
    EXPECT_EQ(CountLines("2          "), 0);
    Enter("/");
    EXPECT_EQ(CountLines("2          "), 1);
    // Cancel leaves the buffer; a character CP932 lacks keeps the dialog open.
    QString note;
    bool stayed = false;
    WhenEditing([&](CEditBufferDlg& dialog) {
        auto* text = dialog.findChild<QPlainTextEdit*>(QStringLiteral("text"));
        text->setPlainText(U("select 'ß' from dual"));
        dialog.accept();
        stayed = dialog.isVisible();
        note = dialog.findChild<QLabel*>(QStringLiteral("note"))->text();
        dialog.reject();
    });
    Enter("edit");
    EXPECT_EQ(
        CountLines(
            Sj("EDITはウィンドウで使うコマンドです。ここではLIST、CHANGE、APPEND、INPUTで編集して下さい。")),
        0);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(note.contains(QStringLiteral("U+00DF"))) << note.toStdString();
    Enter("/");
    EXPECT_EQ(CountLines("2          "), 2);
}

}  // namespace

namespace {

// The server says the password has expired: the window asks for a new one
// twice, masked, and the session opens with it.
TEST_F(CInputLineQuestionTest, AnExpiredPasswordIsChangedOnTheInputLine) {
    const char* library = std::getenv("TARVEX_FAKEOCI");
    ASSERT_NE(library, nullptr);
    setenv("TARVEX_OCI_LIBRARY", library, 1);
    setenv("TARVEX_FAKEOCI_EXPIRED", "ADAMS", 1);
    std::vector<std::string> questions;
    const auto answer = [&] {
        Type("n3w");
        questions.push_back(InputLine());
        Key(Qt::Key_Return);
    };
    WhenAsked({answer, answer});
    Enter("connect adams/old@//localhost/EXPIRING");
    unsetenv("TARVEX_FAKEOCI_EXPIRED");
    EXPECT_EQ(questions, (std::vector<std::string>{Sj("新しいパスワード: ***"),
                                                   Sj("新しいパスワードを再入力してください: ***")}));
    for (const auto& line : EditorLines(Editor())) EXPECT_EQ(line.find("n3w"), std::string::npos) << line;
    EXPECT_EQ(frame->windowTitle().left(6), QStringLiteral("ADAMS@"));
}

// Pasted text answers up to its first line break; closing the window gives
// the question up and closes once the statement has ended.
TEST_F(CInputLineQuestionTest, PastingAnswersAndClosingGivesUp) {
    Enter("connect a/b");
    QApplication::clipboard()->setText(U("東京\nnot this"));
    WhenAsked({[&] {
        frame->GetAction(CommandId::EditPaste)->trigger();
        Key(Qt::Key_Return);
    }});
    Enter("select '&city' city from dual;");
    EXPECT_EQ(CountLines(Sj("cityに値を入力してください: 東京")), 1);
    EXPECT_EQ(CountLines(Sj("東京 ")), 1);
    WhenAsked({[&] { frame->close(); }});
    Enter("select '&gone' from dual;");
    QApplication::processEvents();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(View().IsRunning());
    EXPECT_EQ(CountLines(Sj("置換変数goneの値が入力されなかったため、文を実行しませんでした。")), 1);
}

}  // namespace

namespace {

// The same script answered on the input line and on standard input shows the
// same console.
TEST_F(CInputLineQuestionTest, TheWindowAsksAsTheBatchRunnerReads) {
    const std::string script =
        "CONNECT a/b@asks\n"
        "ACCEPT n NUMBER PROMPT 'Rows? '\n"
        "SELECT &n * 2 AS twice, '&&who' AS who FROM dual;\n"
        "PAUSE Press Enter\n"
        "ACCEPT pw CHAR PROMPT 'Password: ' HIDE\n"
        "SELECT LENGTH('&pw') AS len FROM dual;\n"
        "PROMPT &who done\n";
    const QString path = QString::fromStdString(files.Write("asks.sql", script));
    const auto answer = [this](const char* text) { return [this, text] { Enter(text); }; };
    WhenAsked({answer("21"), answer("Ken"), answer(""), answer("secret")});
    ASSERT_TRUE(frame->OpenDocumentFile(path));
    EXPECT_EQ(asked, 4);

    CBatchRunner runner;
    std::istringstream in("21\nKen\nsecret\n");
    std::ostringstream out, err;
    runner.Run({path.toStdString()}, in, out, err);
    EXPECT_EQ(EditorLines(Editor()), EditorLines(runner.GetEditor()));
    EXPECT_EQ(CountLines("Ken done"), 1);
}

}  // namespace
