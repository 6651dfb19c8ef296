#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "console/CSQLEditor.h"
#include "console/EditorLines.h"
#include "tests/support/Sj.h"
#include "tests/support/TempDir.h"

namespace {

void Type(CSQLEditor& editor, const std::string& line) {
    editor.InsertText(line);
    editor.Submit();
}

}  // namespace

TEST(Spool, EchoedInputAndOutputGoToTheFileUntilOff) {
    testfiles::TempDir dir;
    CSQLEditor editor;
    Type(editor, "prompt before");
    Type(editor, "spool " + dir.Path("Out"));
    Type(editor, "prompt Mixed Case");
    Type(editor, "set trimspool on");
    Type(editor, "prompt trailing   ");
    Type(editor, "spool off");
    Type(editor, "prompt after");
    EXPECT_EQ(testfiles::Read(dir.Path("Out.lst")),
              "SQL> prompt Mixed Case\r\nMixed Case\r\nSQL> set trimspool on\r\nSQL> prompt trailing\r\n"
              "trailing\r\nSQL> spool off\r\n");
}

TEST(Spool, AFailedWriteIsToldOnTheConsoleAndSpoolingStops) {
    testfiles::TempDir dir;
    std::filesystem::create_symlink("/dev/full", dir.Path("full.lst"));
    CSQLEditor editor;
    Type(editor, "spool " + dir.Path("full"));
    Type(editor, "prompt lost?");
    // The failure is told right after the echoed line that could not be
    // written, and the statement's output still shows.
    const auto lines = EditorLines(editor);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "SQL> prompt lost?");
    EXPECT_EQ(lines[lines.size() - 3].rfind(Sj("スプール・ファイル") + dir.Path("full.lst"), 0), 0u)
        << lines[lines.size() - 3];
    EXPECT_EQ(lines[lines.size() - 2], "lost?");
    Type(editor, "spool");
    EXPECT_EQ(EditorLines(editor)[EditorLines(editor).size() - 2], Sj("現在スプールしていません。"));
}

// A file run as input is a script: with ECHO OFF its lines stay out of the
// spool and only their output goes there, so a script can spool a script
// and run it; with ECHO ON they are spooled as they are shown.
TEST(Spool, AScriptsOwnLinesAreSpooledOnlyWithEchoOn) {
    testfiles::TempDir dir;
    CSQLEditor editor;
    std::istringstream quiet("spool " + dir.Path("quiet") + "\nprompt ALTER VIEW V COMPILE\nspool off\n");
    ASSERT_TRUE(editor.Load(quiet));
    EXPECT_EQ(testfiles::Read(dir.Path("quiet.lst")), "ALTER VIEW V COMPILE\r\n");
    std::istringstream echoed("set echo on\nspool " + dir.Path("echoed") + "\nprompt x\nspool off\n");
    ASSERT_TRUE(editor.Load(echoed));
    EXPECT_EQ(testfiles::Read(dir.Path("echoed.lst")), "SQL> prompt x\r\nx\r\nSQL> spool off\r\n");
    // Typed lines are always spooled.
    Type(editor, "set echo off");
    Type(editor, "spool " + dir.Path("typed"));
    Type(editor, "prompt y");
    Type(editor, "spool off");
    EXPECT_EQ(testfiles::Read(dir.Path("typed.lst")), "SQL> prompt y\r\ny\r\nSQL> spool off\r\n");
}
