#include <gtest/gtest.h>

#include "app/CVantorDoc.h"
#include "console/EditorLines.h"
#include "tests/app/AppTestSupport.h"

namespace {

using FileResult = CVantorDoc::FileResult;
using Lines = std::vector<std::string>;

class CVantorDocTest : public ::testing::Test {
protected:
    CVantorDocTest() { apptest::Application(); }

    CSQLEditor& Editor() { return *document.GetEditor(); }
    void Enter(const std::string& line) {
        Editor().InsertText(line);
        Editor().Submit();
    }

    testfiles::ScratchDir files;
    CVantorDoc document;
};

TEST_F(CVantorDocTest, SaveWritesTheConsoleAndEmptiesTheInputLine) {
    Enter("REM first");
    Editor().InsertText("SHOW");
    const std::string path = files.Path("saved.sql");
    ASSERT_EQ(document.OnSaveDocument(path), FileResult::Ok);
    EXPECT_EQ(testfiles::Read(path), "SQL> REM first\r\nSQL> SHOW");
    EXPECT_EQ(Editor().GetLine(1), "SQL> ");
    EXPECT_EQ(document.GetPathName(), path);
}

TEST_F(CVantorDocTest, OpeningTwiceRunsTheFileTwiceAndAnEmptyFileChangesNothing) {
    Editor().InsertText("kept");
    ASSERT_EQ(document.OnOpenDocument(files.Write("empty.sql", "")), FileResult::Ok);
    EXPECT_EQ(EditorLines(Editor()), Lines{"SQL> kept"});
    document.OnNewDocument();
    const std::string path = files.Write("twice.sql", "REM a\r\nREM b\r\n");
    ASSERT_EQ(document.OnOpenDocument(path), FileResult::Ok);
    ASSERT_EQ(document.OnOpenDocument(path), FileResult::Ok);
    EXPECT_EQ(EditorLines(Editor()),
              (Lines{"SQL> REM a", "SQL> REM b", "SQL> REM a", "SQL> REM b", "SQL> "}));
    EXPECT_EQ(document.GetPathName(), path);
}

TEST_F(CVantorDocTest, FailuresLeaveTheConsoleAndThePathName) {
    Enter("REM before");
    Editor().InsertText("typed");
    const auto before = EditorLines(Editor());
    EXPECT_EQ(document.OnOpenDocument(files.Path("missing.sql")), FileResult::OpenFailed);
    EXPECT_EQ(document.OnOpenDocument(files.Path("")), FileResult::OpenFailed);  // a directory
    EXPECT_EQ(document.OnSaveDocument(files.Path("no/such/dir.sql")), FileResult::WriteFailed);
    EXPECT_EQ(document.OnSaveDocument(files.Path("")), FileResult::WriteFailed);
    EXPECT_EQ(EditorLines(Editor()), before);
    EXPECT_TRUE(document.GetPathName().empty());
}

TEST_F(CVantorDocTest, NewEmptiesTheConsoleButKeepsTheHistory) {
    ASSERT_EQ(document.OnOpenDocument(files.Write("n.sql", "REM x\n")), FileResult::Ok);
    document.OnNewDocument();
    EXPECT_EQ(EditorLines(Editor()), Lines{"SQL> "});
    EXPECT_TRUE(document.GetPathName().empty());
    Editor().RecallHistory(-1);
    EXPECT_EQ(Editor().GetLine(0), "SQL> REM x");
}

}  // namespace
