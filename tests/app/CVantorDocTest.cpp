#include <gtest/gtest.h>

#include "app/CVantorDoc.h"
#include "tests/app/AppTestSupport.h"

namespace {

using FileResult = CVantorDoc::FileResult;

class CVantorDocTest : public ::testing::Test {
protected:
    CVantorDocTest() { apptest::Application(); }

    CSQLEditor& Editor() { return *document.GetEditor(); }
    void Enter(const std::string& line) {
        Editor().InsertText(line);
        Editor().Submit();
    }
    std::vector<std::string> Lines(CSQLEditor& editor) {
        std::vector<std::string> lines;
        for (int i = 0; i < editor.GetLineCount(); ++i) lines.push_back(editor.GetLine(i));
        return lines;
    }

    apptest::TempFiles files;
    CVantorDoc document;
};

TEST_F(CVantorDocTest, SaveWritesTheConsoleAndEmptiesTheInputLine) {
    Enter("REM first");
    Editor().InsertText("SHOW");
    const std::string path = files.Path("saved.sql");
    ASSERT_EQ(document.OnSaveDocument(path), FileResult::Ok);
    EXPECT_EQ(apptest::TempFiles::Read(path), "SQL> REM first\r\nSQL> SHOW");
    EXPECT_EQ(Editor().GetLine(1), "SQL> ");
    EXPECT_EQ(document.GetPathName(), path);
}

TEST_F(CVantorDocTest, SaveThenOpenReplaysEverySavedLine) {
    Enter("REM one");
    Enter("DEFINE");
    const std::string path = files.Path("replay.sql");
    ASSERT_EQ(document.OnSaveDocument(path), FileResult::Ok);
    const auto saved = Lines(Editor());

    CVantorDoc other;
    ASSERT_EQ(other.OnOpenDocument(path), FileResult::Ok);
    CSQLEditor& replayed = *other.GetEditor();
    // Each saved line, output lines included, was typed after a prompt.
    const CScriptLines& history = replayed.GetHistory();
    ASSERT_EQ(history.size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) EXPECT_EQ(history[i], saved[i]) << i;
    EXPECT_EQ(replayed.GetLine(0), "SQL> SQL> REM one");
    EXPECT_EQ(other.GetPathName(), path);
}

TEST_F(CVantorDocTest, OpeningTwiceRunsTheFileTwice) {
    const std::string path = files.Write("twice.sql", "REM a\r\nREM b\r\n");
    ASSERT_EQ(document.OnOpenDocument(path), FileResult::Ok);
    ASSERT_EQ(document.OnOpenDocument(path), FileResult::Ok);
    EXPECT_EQ(Lines(Editor()),
              (std::vector<std::string>{"SQL> REM a", "SQL> REM b", "SQL> REM a", "SQL> REM b", "SQL> "}));
}

TEST_F(CVantorDocTest, AnEmptyFileChangesNothing) {
    Editor().InsertText("kept");
    ASSERT_EQ(document.OnOpenDocument(files.Write("empty.sql", "")), FileResult::Ok);
    EXPECT_EQ(Lines(Editor()), (std::vector<std::string>{"SQL> kept"}));
}

TEST_F(CVantorDocTest, AFileThatCannotBeOpenedLeavesTheConsole) {
    Enter("REM before");
    const auto before = Lines(Editor());
    EXPECT_EQ(document.OnOpenDocument(files.Path("missing.sql")), FileResult::OpenFailed);
    EXPECT_EQ(document.OnOpenDocument(files.Path("")), FileResult::OpenFailed);  // a directory
    EXPECT_EQ(Lines(Editor()), before);
    EXPECT_TRUE(document.GetPathName().empty());
}

TEST_F(CVantorDocTest, AFileThatCannotBeWrittenKeepsTheInputLine) {
    Editor().InsertText("typed");
    EXPECT_EQ(document.OnSaveDocument(files.Path("no/such/dir.sql")), FileResult::WriteFailed);
    EXPECT_EQ(document.OnSaveDocument(files.Path("")), FileResult::WriteFailed);
    EXPECT_EQ(Editor().GetLine(0), "SQL> typed");
    EXPECT_TRUE(document.GetPathName().empty());
}

TEST_F(CVantorDocTest, NewEmptiesTheConsoleButKeepsTheHistory) {
    const std::string path = files.Write("n.sql", "REM x\n");
    ASSERT_EQ(document.OnOpenDocument(path), FileResult::Ok);
    document.OnNewDocument();
    EXPECT_EQ(Lines(Editor()), (std::vector<std::string>{"SQL> "}));
    EXPECT_TRUE(document.GetPathName().empty());
    Editor().RecallHistory(-1);
    EXPECT_EQ(Editor().GetLine(0), "SQL> REM x");
}

}  // namespace
