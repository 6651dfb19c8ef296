#include <gtest/gtest.h>

#include <filesystem>
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
