#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>

#include "app/CAboutDlg.h"
#include "app/CHistoryFile.h"
#include "app/CMainFrame.h"
#include "app/CPrintPreviewDlg.h"
#include "app/CVantorDoc.h"
#include "app/CVantorView.h"
#include "app/ToolBarIcons.h"
#include "batch/CBatchRunner.h"
#include "console/EditorLines.h"
#include "tests/app/AppTestSupport.h"

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

class CMainFrameTest : public ::testing::Test {
protected:
    CMainFrameTest() {
        apptest::Application();
        QSettings().clear();
        std::remove(CHistoryFile::DefaultPath().c_str());
        frame = std::make_unique<CMainFrame>(document);
        frame->SetMessageSink(
            [this](const QString& message, const QString& path) { messages.append(message + "|" + path); });
        frame->SetQuestionSink([this](const QString& question) {
            questions.append(question);
            return answer;
        });
        frame->show();
    }

    CSQLEditor& Editor() { return *document.GetEditor(); }
    CVantorView& View() { return *frame->GetView(); }
    void Type(const char* text) { QTest::keyClicks(&View(), U(text)); }
    void Enter(const char* text) {
        Type(text);
        QTest::keyClick(&View(), Qt::Key_Return);
    }
    int CountLines(const std::string& line) {
        int count = 0;
        for (int i = 0; i < Editor().GetLineCount(); ++i) count += Editor().GetLine(i) == line;
        return count;
    }
    bool Enabled(CommandId command) { return frame->GetAction(command)->isEnabled(); }

    // Runs `text` as typed, then keeps `during` for the time it runs.
    void EnterWhileRunning(const char* text, int afterMs, const std::function<void()>& during) {
        Type(text);
        QTimer::singleShot(afterMs, frame.get(), during);
        QTest::keyClick(&View(), Qt::Key_Return);
    }
    // A table of 1024 rows, committed: its triple join runs for many seconds.
    void CreateSlowTable(const std::string& name) {
        Enter("CONNECT a/b");
        Enter(("CREATE TABLE " + name + " (n NUMBER);").c_str());
        Enter(("INSERT INTO " + name + " VALUES (1);").c_str());
        for (int i = 0; i < 10; ++i) Enter(("INSERT INTO " + name + " SELECT n FROM " + name + ";").c_str());
        Enter("COMMIT;");
    }

    CVantorDoc document;
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;
    QStringList questions;
    CMainFrame::Answer answer = CMainFrame::Answer::Stay;
    testfiles::ScratchDir files;
};

QStringList Items(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions())
        if (action->isVisible()) items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

// CAP and NUM follow the lock states a key reports (X: Lock and Mod2).
TEST_F(CMainFrameTest, LockIndicatorsFollowTheKeyboard) {
    const struct {
        quint32 native;
        bool caps, num;
    } cases[] = {{0x02, true, false}, {0x12, true, true}, {0x10, false, true}, {0x01, false, false}};
    for (const auto& c : cases) {
        QKeyEvent key(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, 38, 'a', c.native, QStringLiteral("a"));
        QApplication::sendEvent(&View(), &key);
        EXPECT_EQ(frame->GetPane(4)->isEnabled(), c.caps) << c.native;
        EXPECT_EQ(frame->GetPane(5)->isEnabled(), c.num) << c.native;
    }
}

// Clear asks first; "no" keeps the console.
TEST_F(CMainFrameTest, ClearAsksBeforeEmptyingTheConsole) {
    Enter("REM kept");
    ASSERT_EQ(document.GetEditor()->GetLineCount(), 2);
    answer = CMainFrame::Answer::RollBack;
    frame->GetAction(CommandId::EditClear)->trigger();
    EXPECT_EQ(document.GetEditor()->GetLineCount(), 2);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions.back(), U("コンソールの内容をすべて消去しますか?"));
    answer = CMainFrame::Answer::Commit;
    frame->GetAction(CommandId::EditClear)->trigger();
    EXPECT_EQ(document.GetEditor()->GetLineCount(), 1);
    frame->GetAction(CommandId::EditClear)->trigger();  // nothing to lose: no question
    EXPECT_EQ(questions.size(), 2);
}

TEST_F(CMainFrameTest, QuestionBoxesAndNewHaveAccessKeys) {
    std::unique_ptr<QMessageBox> box(CMainFrame::CreateQuestionBox(QStringLiteral("?"), true, nullptr));
    QStringList labels;
    for (QAbstractButton* button : box->buttons()) labels << button->text();
    labels.sort();
    QStringList expected = {U("はい(&Y)"), U("いいえ(&N)"), U("キャンセル")};
    expected.sort();
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(frame->GetAction(CommandId::FileNew)->text(), U("新規(&N)\tCtrl+N"));
}

// Ctrl+F asks for the text and finds it; F3 finds the next.
TEST_F(CMainFrameTest, FindAndFindNextFromTheKeyboard) {
    Enter("PROMPT one x");
    Enter("PROMPT two x");
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue(QStringLiteral("x"));
        dialog->accept();
    });
    QTest::keyClick(&View(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_FALSE(View().GetSelection().IsEmpty());
    EXPECT_EQ(View().GetSelection().Low().row, 0);
    QApplication::setActiveWindow(frame.get());  // offscreen: the dialog leaves no window active
    for (int row : {1, 2, 3, 0}) {
        QTest::keyClick(&View(), Qt::Key_F3);
        EXPECT_EQ(View().GetSelection().Low().row, row);
    }
}

// Ctrl+plus, Ctrl+minus and Ctrl+0 zoom; the zoom is remembered.
TEST_F(CMainFrameTest, ZoomFromTheKeyboardIsRemembered) {
    QApplication::setActiveWindow(frame.get());
    QTest::keyClick(&View(), Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(&View(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(View().GetLineHeight(), 20);
    QTest::keyClick(&View(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(View().GetLineHeight(), 18);
    {
        CVantorDoc other;
        CMainFrame again(other);
        EXPECT_EQ(again.GetView()->GetLineHeight(), 18);
    }
    QTest::keyClick(&View(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(View().GetLineHeight(), 16);
    EXPECT_EQ(View().GetCharWidth(), 8);
}

TEST_F(CMainFrameTest, InsertTogglesTheOverwriteIndicator) {
    QTest::keyClick(&View(), Qt::Key_Insert);
    EXPECT_EQ(frame->GetPane(3)->text(), U("上書"));
    QTest::keyClick(&View(), Qt::Key_Insert);
    EXPECT_EQ(frame->GetPane(3)->text(), QString());
}

TEST_F(CMainFrameTest, TheTitleShowsTheDocumentsFileName) {
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tarvex"));
    ASSERT_TRUE(frame->OpenDocumentFile(QString::fromStdString(files.Write("title.sql", "REM t\n"))));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("title.sql - Tarvex"));
    ASSERT_TRUE(frame->SaveDocumentFile(QString::fromStdString(files.Path("console1.sql"))));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("console1.sql - Tarvex"));
    frame->OnFileNew();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tarvex"));
}

// Who is connected stands in front; the prompt stays "SQL> ".
TEST_F(CMainFrameTest, TheTitleShowsWhoIsConnected) {
    Enter("connect scott/tiger@title_db");
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("SCOTT@TITLE_DB - Tarvex"));
    EXPECT_EQ(Editor().GetLine(Editor().GetLineCount() - 1), "SQL> ");
    ASSERT_TRUE(frame->SaveDocumentFile(QString::fromStdString(files.Path("who.sql"))));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("SCOTT@TITLE_DB - who.sql - Tarvex"));
    Enter("disconnect");
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("who.sql - Tarvex"));
    Enter("connect a/b");
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("A@TITLE_DB - who.sql - Tarvex"));
}

TEST_F(CMainFrameTest, TheWindowsGeometryIsRemembered) {
    frame->setGeometry(120, 90, 640, 480);
    QApplication::processEvents();
    ASSERT_TRUE(frame->close());
    CVantorDoc other;
    CMainFrame again(other);
    EXPECT_EQ(again.size(), QSize(640, 480));
}

TEST_F(CMainFrameTest, EditCommandsFollowTheConsole) {
    QApplication::clipboard()->clear();
    EXPECT_FALSE(Enabled(CommandId::EditUndo));
    EXPECT_FALSE(Enabled(CommandId::EditCut));
    EXPECT_FALSE(Enabled(CommandId::EditPaste));
    Type("REM");
    EXPECT_TRUE(Enabled(CommandId::EditUndo));
    QTest::keyClick(&View(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_TRUE(Enabled(CommandId::EditCut));
    EXPECT_TRUE(Enabled(CommandId::EditCopy));
    frame->GetAction(CommandId::EditCopy)->trigger();
    EXPECT_FALSE(Enabled(CommandId::EditCopy));
    EXPECT_TRUE(Enabled(CommandId::EditPaste));
    QTest::keyClick(&View(), Qt::Key_Return);
    EXPECT_FALSE(Enabled(CommandId::EditUndo));
    // A disabled command is not carried out.
    Type("abc");
    QTest::keyClick(&View(), Qt::Key_Left);
    ASSERT_FALSE(Enabled(CommandId::EditCut));
    frame->GetAction(CommandId::EditCut)->trigger();
    QTest::keyClick(&View(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Editor().GetLine(Editor().GetLineCount() - 1), "SQL> abc");
}

TEST_F(CMainFrameTest, ExitClosesOnlyAfterTheSubmission) {
    Enter("EXIT");
    EXPECT_TRUE(frame->IsCloseRequested());
    EXPECT_TRUE(frame->isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(CMainFrameTest, ExitInAnOpenedFileEndsItsReplay) {
    ASSERT_TRUE(
        frame->OpenDocumentFile(QString::fromStdString(files.Write("exit.sql", "EXIT\nREM after\n"))));
    EXPECT_EQ(CountLines("SQL> REM after"), 0);
    QApplication::processEvents();
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(CMainFrameTest, RecentFilesKeepTheLastFour) {
    QStringList paths;
    for (int i = 1; i <= 5; ++i) {
        paths.prepend(QString::fromStdString(files.Write("r" + std::to_string(i) + ".sql", "REM r\n")));
        ASSERT_TRUE(frame->OpenDocumentFile(paths.front()));
    }
    paths.removeLast();
    EXPECT_EQ(frame->GetRecentFiles(), paths);
    QSettings settings;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File%1").arg(i + 1)).toString(), paths[i]);
    QMenu* file = frame->menuBar()->actions()[0]->menu();
    EXPECT_TRUE(Items(file).contains(QStringLiteral("&1 ") + paths[0]));
    EXPECT_FALSE(Items(file).contains(U("最近使ったﾌｧｲﾙ")));

    // A new frame reads the list back.
    CVantorDoc otherDocument;
    CMainFrame other(otherDocument);
    EXPECT_EQ(other.GetRecentFiles(), paths);
}

TEST_F(CMainFrameTest, FilesThatCannotBeOpenedOrSavedAreReported) {
    const QString path = QString::fromStdString(files.Write("gone.sql", "REM g\n"));
    ASSERT_TRUE(frame->OpenDocumentFile(path));
    std::remove(path.toLocal8Bit().constData());
    EXPECT_FALSE(frame->OpenDocumentFile(path));
    EXPECT_EQ(messages, QStringList({U("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。") + "|" + path}));
    EXPECT_TRUE(frame->GetRecentFiles().isEmpty());
    const QString unwritable = QString::fromStdString(files.Path("no/dir/x.sql"));
    EXPECT_FALSE(frame->SaveDocumentFile(unwritable));
    EXPECT_EQ(messages.back(), U("ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。") + "|" + unwritable);
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(CMainFrameTest, DroppedFilesAreReplayed) {
    const QString path = QString::fromStdString(files.Write("drop.sql", "REM dropped\n"));
    frame->OpenDroppedFiles({QUrl::fromLocalFile(path), QUrl(QStringLiteral("https://example.com/x.sql")),
                             QUrl::fromLocalFile(path)});
    EXPECT_EQ(CountLines("SQL> REM dropped"), 2);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(CMainFrameTest, PreviewOpensInTheModeKeptInTheSettings) {
    CMainFrame::SetPreviewPages(2);
    EXPECT_EQ(QSettings().value(QStringLiteral("Settings/PreviewPages")).toInt(), 2);
    int mode = -1;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CPrintPreviewDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        mode = dialog->GetPagesShown();
        dialog->SetPagesShown(1);
        dialog->reject();
    });
    frame->GetAction(CommandId::FilePrintPreview)->trigger();
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(CMainFrame::GetPreviewPages(), 1);
}

TEST_F(CMainFrameTest, AboutBoxShowsTheVersionAndClosesOnOk) {
    CAboutDlg dialog(frame.get());
    EXPECT_TRUE(
        dialog.findChild<QLabel*>(QStringLiteral("version"))->text().endsWith(QStringLiteral("1.11")));
    auto* ok = dialog.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

TEST_F(CMainFrameTest, ALongStatementRunsOffTheWindowAndEscCancelsIt) {
    CreateSlowTable("slow_esc");
    bool running = false;
    QString status;
    bool newEnabled = true;
    const auto start = std::chrono::steady_clock::now();
    EnterWhileRunning("SELECT COUNT(*) FROM slow_esc a, slow_esc b, slow_esc c;", 300, [&] {
        running = View().IsRunning();
        status = frame->GetPane(1)->text();
        newEnabled = Enabled(CommandId::FileNew);
        Type("x");  // ignored with a beep
        QTest::keyClick(&View(), Qt::Key_Escape);
    });
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(running);
    EXPECT_EQ(status, U("実行中"));
    EXPECT_FALSE(newEnabled);
    EXPECT_LT(seconds, 5.0);
    EXPECT_EQ(frame->GetPane(1)->text(), U("ﾚﾃﾞｨ"));
    EXPECT_TRUE(Enabled(CommandId::FileNew));
    const int count = Editor().GetLineCount();
    EXPECT_EQ(Editor().GetLine(count - 1), "SQL> ");
    EXPECT_EQ(CountLines("SQL> SELECT COUNT(*) FROM slow_esc a, slow_esc b, slow_esc c;"), 1);
    EXPECT_EQ(CountLines("COUNT(*)   "), 0);
    // The connection goes on working.
    Enter("SELECT COUNT(*) FROM slow_esc;");
    EXPECT_EQ(CountLines("1024       "), 1);
}

TEST_F(CMainFrameTest, AScriptShowsItsOutputWhileItRunsAndEscStopsTheRest) {
    CreateSlowTable("slow_script");
    const std::string script =
        "SELECT COUNT(*) FROM slow_script;\nSELECT COUNT(*) FROM slow_script a, slow_script b, slow_script "
        "c;\n"
        "REM after\n";
    std::vector<std::string> shown;
    int caretX = -1, caretY = -1, scroll = -1;
    QTimer::singleShot(400, frame.get(), [&] {
        shown = View().GetShownLines();
        caretX = View().GetCaretX();
        caretY = View().GetCaretY();
        scroll = View().verticalScrollBar()->value();
        QTest::keyClick(&View(), Qt::Key_Escape);
    });
    ASSERT_TRUE(frame->OpenDocumentFile(QString::fromStdString(files.Write("script.sql", script))));
    // While it ran: the first answer and the echo of the second, no input
    // line, the caret at the start of the row below.
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.back(), "");
    EXPECT_EQ(shown[shown.size() - 2],
              "SQL> SELECT COUNT(*) FROM slow_script a, slow_script b, slow_script c;");
    EXPECT_NE(std::find(shown.begin(), shown.end(), "1024       "), shown.end());
    EXPECT_EQ(caretX, 0);
    EXPECT_EQ(caretY, static_cast<int>(shown.size() - 1) * 16 - scroll);
    EXPECT_EQ(CountLines("SQL> REM after"), 0);
    EXPECT_EQ(Editor().GetProcessor().GetLines().size(), 0u);
    EXPECT_EQ(View().GetShownLines().back(), "SQL> ");
}

TEST_F(CMainFrameTest, ClosingWhileAStatementRunsCancelsItFirst) {
    CreateSlowTable("slow_close");
    const auto start = std::chrono::steady_clock::now();
    EnterWhileRunning("SELECT COUNT(*) FROM slow_close a, slow_close b, slow_close c;", 300,
                      [&] { frame->close(); });
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    QApplication::processEvents();
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(CMainFrameTest, TheWindowShowsTheSameTextAsStatementsRunInLine) {
    const std::string script =
        "CONNECT a/b\nCREATE TABLE same_o (n NUMBER);\nINSERT INTO same_o VALUES (1);\nSELECT n FROM "
        "same_o;\n/\n"
        "REM before clear\nCLEAR SCREEN\nSELECT n * 2 FROM same_o;\n/\n@missing_file\nDROP TABLE same_o;\n";
    const QString path = QString::fromStdString(files.Write("same.sql", script));
    ASSERT_TRUE(frame->OpenDocumentFile(path));
    CBatchRunner runner;
    std::istringstream in;
    std::ostringstream out, err;
    runner.Run({path.toStdString()}, in, out, err);
    EXPECT_EQ(EditorLines(Editor()), EditorLines(runner.GetEditor()));
    EXPECT_GT(CountLines("SQL> SELECT n * 2 FROM same_o;"), 0);
}

TEST_F(CMainFrameTest, UncommittedWorkIsSettledBeforeTheWindowCloses) {
    const struct {
        CMainFrame::Answer answer;
        bool closes;
        const char* rowsAfter;
    } cases[] = {
        {CMainFrame::Answer::Stay, false, "0          "},
        {CMainFrame::Answer::RollBack, true, "0          "},
        {CMainFrame::Answer::Commit, true, "1          "},
    };
    Enter("CONNECT a/b");
    Enter("CREATE TABLE settle_u (n NUMBER);");
    for (const auto& c : cases) {
        Enter("DELETE FROM settle_u;");
        Enter("COMMIT;");
        Enter("INSERT INTO settle_u VALUES (1);");
        questions.clear();
        answer = c.answer;
        frame->show();
        frame->close();
        ASSERT_EQ(questions, QStringList{U("コミットされていない変更があります。コミットしますか?")});
        EXPECT_EQ(frame->isVisible(), !c.closes);
        EXPECT_EQ(Editor().HasUncommittedWork(), !c.closes);
        Editor().Clear();
        Enter("ROLLBACK;");
        Enter("SELECT COUNT(*) FROM settle_u;");
        EXPECT_EQ(CountLines(c.rowsAfter), 1) << static_cast<int>(c.answer);
    }
    // File > New asks too; staying keeps the console.
    frame->show();
    Enter("INSERT INTO settle_u VALUES (2);");
    questions.clear();
    answer = CMainFrame::Answer::Stay;
    frame->OnFileNew();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_GT(Editor().GetLineCount(), 1);
    // EXIT commits without a question.
    questions.clear();
    Enter("EXIT");
    QApplication::processEvents();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(Editor().HasUncommittedWork());
}

TEST_F(CMainFrameTest, TheRecallListSurvivesARestartWithoutPasswords) {
    const std::string path = files.Path("data/history.txt");
    frame->SetHistoryPath(path);
    Enter("connect scott/tiger@hist_db");
    Enter("REM one");
    const std::string saved = testfiles::Read(path);
    EXPECT_EQ(saved.find("tiger"), std::string::npos);
    EXPECT_NE(saved.find("connect scott@hist_db\n"), std::string::npos);

    CVantorDoc again;
    CMainFrame restarted(again);
    restarted.SetHistoryPath(path);
    QTest::keyClick(restarted.GetView(), Qt::Key_Up);
    EXPECT_EQ(again.GetEditor()->GetLine(again.GetEditor()->GetLineCount() - 1), "SQL> REM one");
    QTest::keyClick(restarted.GetView(), Qt::Key_Up);
    EXPECT_EQ(again.GetEditor()->GetLine(again.GetEditor()->GetLineCount() - 1),
              "SQL> connect scott@hist_db");
}

TEST_F(CMainFrameTest, ToolBarButtonsHavePicturesWithoutAnIconTheme) {
    std::vector<QImage> faces;
    for (CommandId command : commands::ToolBar()) {
        if (command == CommandId::Separator) continue;
        const QIcon icon = toolbaricons::Fallback(command, *frame->style());
        ASSERT_FALSE(icon.isNull()) << static_cast<int>(command);
        const QImage face = icon.pixmap(16, 16).toImage();
        for (const QImage& other : faces) EXPECT_NE(face, other) << static_cast<int>(command);
        faces.push_back(face);
        EXPECT_FALSE(frame->GetAction(command)->icon().isNull());
    }
    EXPECT_EQ(faces.size(), 8u);
}

TEST_F(CMainFrameTest, QtsOwnDialogsSpeakJapanese) {
    ASSERT_GE(CVantorApp::LoadTranslations(apptest::Application()), 1);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), U("キャンセル"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Save As"), QStringLiteral("Save As"));
}

}  // namespace
