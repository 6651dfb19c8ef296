#include <gtest/gtest.h>

#include <string>

#include "batch/CBatchHost.h"

namespace {

std::string Input(const CSQLEditor& editor) { return editor.GetLine(editor.GetLineCount() - 1).substr(5); }

TEST(CBatchHost, KeysPlayTheKeyTable) {
    CSQLEditor editor;
    CBatchHost host(editor);
    for (const char* line : {"-- a", "-- b", "-- c"}) {
        editor.InsertText(line);
        editor.Submit();
    }
    host.SendKey(CConsoleHost::Key::Up);
    EXPECT_EQ(Input(editor), "-- c");
    host.SendKey(CConsoleHost::Key::Up);
    EXPECT_EQ(Input(editor), "-- b");
    host.SendKey(CConsoleHost::Key::Return);
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetHistory().back(), "-- b");
    EXPECT_EQ(editor.GetLine(editor.GetLineCount() - 2), "SQL> -- b");
}

TEST(CBatchHost, ClearCommandEmptiesTheConsoleAndCloseIsOnlyRecorded) {
    CSQLEditor editor;
    CBatchHost host(editor);
    editor.InsertText("-- x");
    editor.Submit();
    host.SendCommand(CConsoleHost::Command::Clear);
    EXPECT_EQ(editor.GetLineCount(), 1);
    EXPECT_FALSE(host.IsCloseRequested());
    host.PostClose();
    EXPECT_TRUE(host.IsCloseRequested());
    EXPECT_EQ(editor.GetLineCount(), 1);
}

}  // namespace
