#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "console/CSQLEditor.h"
#include "console/TestFiles.h"

namespace {

using testfiles::Sjis;

// "あ" and "表" (trail byte 0x5C), "＝" (trail byte 0x81, itself a lead value).
const std::string kA = "\x82\xA0";
const std::string kHyo = "\x95\x5C";
const std::string kEq = "\x81\x81";

std::string Input(const CSQLEditor& editor) { return editor.GetLine(editor.GetLineCount() - 1).substr(5); }
int Column(const CSQLEditor& editor) { return editor.GetCaretPos().first; }

void Type(CSQLEditor& editor, const std::string& line) {
    editor.InsertText(line);
    editor.Submit();
}

std::vector<std::string> Lines(const CSQLEditor& editor) {
    std::vector<std::string> lines;
    for (int i = 0; i < editor.GetLineCount(); ++i) lines.push_back(editor.GetLine(i));
    return lines;
}

TEST(CSQLEditor, NewConsoleIsOnePromptLine) {
    CSQLEditor editor;
    EXPECT_EQ(editor.GetLineCount(), 1);
    EXPECT_EQ(editor.GetLine(0), "SQL> ");
    EXPECT_TRUE(editor.IsPromptLine(0));
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, 0));
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_EQ(editor.GetSelectedText(), "");
    EXPECT_EQ(editor.GetMaxWidth(), 100);
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.IsOverwrite());
}

TEST(CSQLEditor, OutOfRangeLinesAreEmpty) {
    CSQLEditor editor;
    Type(editor, "zz");
    for (int index : {-1, -100, editor.GetLineCount(), editor.GetLineCount() + 5}) {
        EXPECT_EQ(editor.GetLine(index), "") << index;
        EXPECT_FALSE(editor.IsPromptLine(index)) << index;
    }
}

// One editing case: start with `text` and the caret at `caret`, run the
// steps, then check the input, the caret and the selected text.
struct EditCase {
    const char* name;
    std::string text;
    int caret;
    std::function<void(CSQLEditor&)> steps;
    std::string input;
    int column;
    std::string selected;
};

void Prepare(CSQLEditor& editor, const std::string& text, int caret) {
    editor.InsertText(text);
    editor.SetCaretColumn(caret, 0, false);
}

TEST(CSQLEditor, EditingCases) {
    const EditCase cases[] = {
        {"insert in the middle", "abc", 6, [](CSQLEditor& e) { e.InsertText("XY"); }, "aXYbc", 8, ""},
        {"backspace at the prompt", "abc", 5, [](CSQLEditor& e) { e.DeleteBackward(); }, "abc", 5, ""},
        {"delete at the end", "abc", 8, [](CSQLEditor& e) { e.DeleteForward(); }, "abc", 8, ""},
        {"backspace one byte", "abc", 7, [](CSQLEditor& e) { e.DeleteBackward(); }, "ac", 6, ""},
        {"delete one byte", "abc", 6, [](CSQLEditor& e) { e.DeleteForward(); }, "ac", 6, ""},
        {"backspace after a double-byte character", "a" + kA, 8, [](CSQLEditor& e) { e.DeleteBackward(); },
         "a", 6, ""},
        {"backspace after a character with an ASCII trail", kHyo + "b", 7,
         [](CSQLEditor& e) { e.DeleteBackward(); }, "b", 5, ""},
        {"backspace after a character whose trail looks like a lead", kEq + "a", 7,
         [](CSQLEditor& e) { e.DeleteBackward(); }, "a", 5, ""},
        {"backspace after ASCII following such a character", kEq + "a", 8,
         [](CSQLEditor& e) { e.DeleteBackward(); }, kEq, 7, ""},
        {"delete a double-byte character", kA + "b", 5, [](CSQLEditor& e) { e.DeleteForward(); }, "b", 5, ""},
        {"left lands before the lead byte", "a" + kA + "b", 8, [](CSQLEditor& e) { e.MoveCaret(-1, false); },
         "a" + kA + "b", 6, ""},
        {"right lands after the trail byte", "a" + kA + "b", 6, [](CSQLEditor& e) { e.MoveCaret(+1, false); },
         "a" + kA + "b", 8, ""},
        {"left over an ASCII byte after a lead-looking trail", kEq + "a", 8,
         [](CSQLEditor& e) { e.MoveCaret(-1, false); }, kEq + "a", 7, ""},
        {"left over two such characters", kEq + kEq, 9,
         [](CSQLEditor& e) {
             e.MoveCaret(-1, false);
             e.MoveCaret(-1, false);
         },
         kEq + kEq, 5, ""},
        {"left at the prompt stays", "ab", 5, [](CSQLEditor& e) { e.MoveCaret(-1, false); }, "ab", 5, ""},
        {"right at the end stays", "ab", 7, [](CSQLEditor& e) { e.MoveCaret(+1, false); }, "ab", 7, ""},
        {"right onto a lone lead byte at the end", "a\x82", 6, [](CSQLEditor& e) { e.MoveCaret(+1, false); },
         "a\x82", 7, ""},
        {"right past a lone lead byte stays at the end", "a\x82", 7,
         [](CSQLEditor& e) { e.MoveCaret(+1, false); }, "a\x82", 7, ""},
        {"delete a lone lead byte at the end", "a\x82", 6, [](CSQLEditor& e) { e.DeleteForward(); }, "a", 6,
         ""},
        {"backspace a lone lead byte at the end", "a\x82", 7, [](CSQLEditor& e) { e.DeleteBackward(); }, "a",
         6, ""},
        {"overwrite at the end appends", "ab", 7,
         [](CSQLEditor& e) {
             e.ToggleOverwrite();
             e.InsertText("cd");
         },
         "abcd", 9, ""},
        {"overwrite in the middle replaces as many bytes", "abcd", 6,
         [](CSQLEditor& e) {
             e.ToggleOverwrite();
             e.InsertText("XY");
         },
         "aXYd", 8, ""},
        {"overwrite running past the end", "abc", 7,
         [](CSQLEditor& e) {
             e.ToggleOverwrite();
             e.InsertText("XYZ");
         },
         "abXYZ", 10, ""},
        {"shift+left twice selects two bytes", "abcdefgh", 10,
         [](CSQLEditor& e) {
             e.MoveCaret(-1, true);
             e.MoveCaret(-1, true);
         },
         "abcdefgh", 8, "de"},
        {"typing over a selection inserts at the caret", "abcdefgh", 10,
         [](CSQLEditor& e) {
             e.MoveCaret(-1, true);
             e.MoveCaret(-1, true);
             e.InsertText("Z");
         },
         "abcZdefgh", 9, ""},
        {"delete removes the selection", "abcdef", 11,
         [](CSQLEditor& e) {
             e.MoveCaret(-1, true);
             e.MoveCaret(-1, true);
             e.DeleteForward();
         },
         "abcd", 9, ""},
        {"backspace removes a selection made leftwards", "abc", 8,
         [](CSQLEditor& e) {
             e.MoveCaretHome(true);
             e.DeleteBackward();
         },
         "", 5, ""},
        {"delete removes a selection made rightwards", "abcd", 6,
         [](CSQLEditor& e) {
             e.MoveCaretEnd(true);
             e.DeleteForward();
         },
         "a", 6, ""},
        {"shift+end selects to the end", "abc", 6, [](CSQLEditor& e) { e.MoveCaretEnd(true); }, "abc", 8,
         "bc"},
        {"shift+home selects to the prompt", "abc", 7, [](CSQLEditor& e) { e.MoveCaretHome(true); }, "abc", 5,
         "ab"},
        {"a selection keeps its anchor", "abcdef", 7,
         [](CSQLEditor& e) {
             e.MoveCaret(+1, true);
             e.MoveCaretEnd(true);
             e.MoveCaret(-1, true);
         },
         "abcdef", 10, "cde"},
        {"a plain move drops the selection", "abc", 6,
         [](CSQLEditor& e) {
             e.MoveCaretEnd(true);
             e.MoveCaret(-1, false);
         },
         "abc", 7, ""},
        {"back to the anchor is no selection", "abc", 6,
         [](CSQLEditor& e) {
             e.MoveCaret(+1, true);
             e.MoveCaret(-1, true);
         },
         "abc", 6, ""},
        {"shift+right over a double-byte character selects both bytes", "a" + kA, 6,
         [](CSQLEditor& e) { e.MoveCaret(+1, true); }, "a" + kA, 8, kA},
        {"click past the end puts the caret at the end", "abc", 5,
         [](CSQLEditor& e) { e.SetCaretColumn(40, 3, false); }, "abc", 8, ""},
        {"click on the prompt puts the caret at the start", "abc", 8,
         [](CSQLEditor& e) { e.SetCaretColumn(1, 0, false); }, "abc", 5, ""},
        {"click inside a double-byte character lands before it", "a" + kA, 5,
         [](CSQLEditor& e) { e.SetCaretColumn(7, 0, false); }, "a" + kA, 6, ""},
        {"drag selects from the click", "abcdef", 5,
         [](CSQLEditor& e) {
             e.SetCaretColumn(6, 0, false);
             e.SetCaretColumn(8, 0, true);
             e.SetCaretColumn(9, 0, true);
         },
         "abcdef", 9, "d"},
        {"move by zero changes nothing", "abc", 6, [](CSQLEditor& e) { e.MoveCaret(0, false); }, "abc", 6,
         ""},
        {"huge deltas clamp", "abc", 6,
         [](CSQLEditor& e) {
             e.MoveCaret(1 << 30, false);
             e.MoveCaret(-(1 << 30), true);
         },
         "abc", 5, "abc"},
        {"typed double-byte character in two halves", "ab", 6,
         [](CSQLEditor& e) {
             e.HandleChar('\x82');
             e.HandleChar('\xA0');
         },
         "a" + kA + "b", 8, ""},
        {"control characters are not typed", "ab", 6,
         [](CSQLEditor& e) {
             e.HandleChar('\t');
             e.HandleChar('\x1B');
             e.HandleChar('\r');
         },
         "ab", 6, ""},
    };
    for (const auto& c : cases) {
        CSQLEditor editor;
        Prepare(editor, c.text, c.caret);
        c.steps(editor);
        EXPECT_EQ(Input(editor), c.input) << c.name;
        EXPECT_EQ(Column(editor), c.column) << c.name;
        EXPECT_EQ(editor.GetSelectedText(), c.selected) << c.name;
        EXPECT_EQ(editor.HasSelection(), !c.selected.empty()) << c.name;
    }
}

TEST(CSQLEditor, DragSelectionCoversTheDraggedColumns) {
    CSQLEditor editor;
    Prepare(editor, "abcdef", 5);
    editor.SetCaretColumn(6, 0, false);
    editor.SetCaretColumn(9, 0, true);  // the first move anchors where it lands
    editor.SetCaretColumn(8, 0, true);
    EXPECT_EQ(editor.GetSelectedText(), "d");
    EXPECT_TRUE(editor.IsSelected(8));
    EXPECT_FALSE(editor.IsSelected(7));
    EXPECT_FALSE(editor.IsSelected(9));
}

TEST(CSQLEditor, IsSelectedIsHalfOpenAndInsideTheInput) {
    CSQLEditor editor;
    Prepare(editor, "abcdefgh", 10);
    editor.MoveCaret(-1, true);
    editor.MoveCaret(-1, true);
    struct {
        int column;
        bool selected;
    } cases[] = {{4, false},  {7, false},  {8, true},    {9, true},
                 {10, false}, {13, false}, {200, false}, {-1, false}};
    for (const auto& c : cases) EXPECT_EQ(editor.IsSelected(c.column), c.selected) << c.column;
}

TEST(CSQLEditor, SelectionLeftBehindByUndoIsClipped) {
    CSQLEditor editor;
    editor.InsertText("a");
    editor.InsertText("bcdefgh");
    editor.MoveCaret(-1, true);  // anchor at 13, caret 12
    editor.Undo();               // text "a", caret 6, anchor still 13
    EXPECT_EQ(Input(editor), "a");
    EXPECT_EQ(editor.GetSelectedText(), "");
    EXPECT_FALSE(editor.IsSelected(12));
    editor.DeleteForward();
    EXPECT_EQ(Input(editor), "a");
    EXPECT_EQ(Column(editor), 6);
    editor.DeleteBackward();
    EXPECT_EQ(Input(editor), "");
}

TEST(CSQLEditor, BoundaryEditsStillPushAnUndoEntry) {
    CSQLEditor editor;
    editor.DeleteBackward();
    EXPECT_TRUE(editor.CanUndo());
    editor.Undo();
    EXPECT_FALSE(editor.CanUndo());
    editor.InsertText("ab");
    editor.DeleteForward();
    editor.Undo();
    EXPECT_EQ(Input(editor), "ab");
    EXPECT_EQ(Column(editor), 7);
}

TEST(CSQLEditor, UndoRestoresTextAndCaretInReverseOrder) {
    CSQLEditor editor;
    editor.InsertText("abc");
    editor.MoveCaretHome(false);
    editor.DeleteForward();  // "bc", caret 5
    editor.MoveCaretEnd(false);
    editor.InsertText("Z");  // "bcZ", caret 8
    editor.Undo();
    EXPECT_EQ(Input(editor), "bc");
    EXPECT_EQ(Column(editor), 7);
    editor.Undo();
    EXPECT_EQ(Input(editor), "abc");
    EXPECT_EQ(Column(editor), 5);
    editor.Undo();
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(Column(editor), 5);
    EXPECT_FALSE(editor.CanUndo());
    editor.Undo();  // nothing left: no change
    EXPECT_EQ(Input(editor), "");
}

TEST(CSQLEditor, UndoLimitDropsTheOldestEntries) {
    CSQLEditor editor;
    const int extra = 7;
    for (int i = 0; i < static_cast<int>(CSQLEditor::kUndoLimit) + extra; ++i) editor.InsertText("x");
    for (std::size_t i = 0; i < CSQLEditor::kUndoLimit; ++i) editor.Undo();
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(Input(editor), std::string(extra, 'x'));
}

TEST(CSQLEditor, UndoOfLongLinesIsBoundedByBytes) {
    CSQLEditor editor;
    const std::string big(4u << 20, 'b');
    editor.InsertText(big);
    for (int i = 0; i < 20; ++i) editor.InsertText("x");
    editor.Undo();
    EXPECT_EQ(Input(editor), big + std::string(19, 'x'));
    int undone = 1;
    while (editor.CanUndo()) {
        editor.Undo();
        ++undone;
    }
    EXPECT_LE(static_cast<std::size_t>(undone) * big.size(), CSQLEditor::kUndoByteLimit + big.size());
    EXPECT_GE(undone, 4);
}

TEST(CSQLEditor, RecallWrapsBothWays) {
    CSQLEditor editor;
    editor.RecallHistory(-1);
    EXPECT_EQ(Input(editor), "");
    for (const char* line : {"e0", "e1", "e2"}) Type(editor, line);
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        editor.RecallHistory(-1);
        seen.push_back(Input(editor));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"e2", "e1", "e0", "e2"}));
    Type(editor, "");  // submits the recalled "e2"
    editor.RecallHistory(+1);
    EXPECT_EQ(Input(editor), "e1");
    EXPECT_FALSE(editor.CanUndo());
}

TEST(CSQLEditor, DownOnAOneLineHistoryShowsThatLine) {
    CSQLEditor editor;
    Type(editor, "only");
    editor.RecallHistory(+1);
    EXPECT_EQ(Input(editor), "only");
}

TEST(CSQLEditor, RecallKeepsTheCaretUnlessPastTheEnd) {
    CSQLEditor editor;
    Type(editor, "ab");
    Type(editor, "abcdefgh");
    editor.InsertText("xyz");
    editor.MoveCaret(-1, true);
    editor.RecallHistory(-1);  // "abcdefgh": caret 7 stays
    EXPECT_EQ(Column(editor), 7);
    EXPECT_FALSE(editor.HasSelection());
    editor.MoveCaretEnd(false);
    editor.RecallHistory(-1);  // "ab": caret to its end
    EXPECT_EQ(Column(editor), 7);
    editor.RecallHistory(+1);
    EXPECT_EQ(Input(editor), "abcdefgh");
    EXPECT_EQ(Column(editor), 7);
}

TEST(CSQLEditor, ToggleOverwriteReturnsTheNewState) {
    CSQLEditor editor;
    EXPECT_TRUE(editor.ToggleOverwrite());
    EXPECT_TRUE(editor.IsOverwrite());
    EXPECT_FALSE(editor.ToggleOverwrite());
    EXPECT_FALSE(editor.IsOverwrite());
}

TEST(CSQLEditor, InsertGrowsTheWidthByTheInputAlone) {
    CSQLEditor editor;
    editor.InsertText(std::string(100, 'a'));
    EXPECT_EQ(editor.GetMaxWidth(), 100);
    editor.InsertText("b");
    EXPECT_EQ(editor.GetMaxWidth(), 101);
    editor.Undo();
    EXPECT_EQ(editor.GetMaxWidth(), 101) << "the width only grows";
    editor.UpdateMaxWidth(CScriptLines{"x", std::string(150, 'y'), "z"});
    EXPECT_EQ(editor.GetMaxWidth(), 150);
}

TEST(CSQLEditor, ClearKeepsHistoryWidthAndOverwrite) {
    CSQLEditor editor;
    Type(editor, "first");
    editor.InsertText(std::string(120, 'q'));
    editor.ToggleOverwrite();
    editor.MoveCaret(-1, true);
    editor.Clear();
    EXPECT_EQ(editor.GetLineCount(), 1);
    EXPECT_EQ(editor.GetLine(0), "SQL> ");
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, 0));
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(editor.GetMaxWidth(), 120);
    EXPECT_TRUE(editor.IsOverwrite());
    editor.RecallHistory(-1);
    EXPECT_EQ(Input(editor), "first");
}

TEST(CSQLEditor, KeyTableMakesOneModelCallPerKey) {
    struct KeyCase {
        EditorKey key;
        bool shift;
        std::string input;
        int column;
        std::string selected;
    } cases[] = {
        {EditorKey::Backspace, false, "acd", 6, ""}, {EditorKey::Delete, false, "abd", 7, ""},
        {EditorKey::End, false, "abcd", 9, ""},      {EditorKey::End, true, "abcd", 9, "cd"},
        {EditorKey::Home, false, "abcd", 5, ""},     {EditorKey::Home, true, "abcd", 5, "ab"},
        {EditorKey::Left, false, "abcd", 6, ""},     {EditorKey::Left, true, "abcd", 6, "b"},
        {EditorKey::Right, false, "abcd", 8, ""},    {EditorKey::Right, true, "abcd", 8, "c"},
        {EditorKey::Up, false, "e2", 7, ""},         {EditorKey::Down, false, "e1", 7, ""},
        {EditorKey::Insert, false, "abcd", 7, ""},
    };
    for (const auto& c : cases) {
        CSQLEditor editor;
        for (const char* line : {"e0", "e1", "e2"}) Type(editor, line);
        Prepare(editor, "abcd", 7);
        editor.HandleKey(c.key, c.shift);
        EXPECT_EQ(Input(editor), c.input) << static_cast<int>(c.key);
        EXPECT_EQ(Column(editor), c.column) << static_cast<int>(c.key);
        EXPECT_EQ(editor.GetSelectedText(), c.selected) << static_cast<int>(c.key);
        EXPECT_EQ(editor.IsOverwrite(), c.key == EditorKey::Insert);
    }
}

TEST(CSQLEditor, EnterKeySubmits) {
    CSQLEditor editor;
    editor.InsertText("zz");
    editor.HandleKey(EditorKey::Enter, false);
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetHistory(), CScriptLines{"zz"});
}

// --- Submission -----------------------------------------------------------

TEST(CSQLEditor, EmptyLineWaitsAsAPendingPromptLine) {
    CSQLEditor editor;
    editor.Submit();
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> ", "SQL> "}));
    EXPECT_EQ(editor.GetHistory(), CScriptLines{""});
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, 1));
}

TEST(CSQLEditor, PendingLinesFlushBeforeTheOutput) {
    CSQLEditor editor;
    Type(editor, "-- a note");
    Type(editor, "");
    Type(editor, "nonsense");
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> -- a note", "SQL> ", "SQL> nonsense",
                                                       Sjis("不明なコマンドです。"), "SQL> "}));
    EXPECT_TRUE(editor.IsPromptLine(1));
    EXPECT_FALSE(editor.IsPromptLine(3));
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, 4));
}

TEST(CSQLEditor, StatementSpansSubmissions) {
    CSQLEditor editor;
    Type(editor, "DEFINE A=-");
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> DEFINE A=-", "SQL> "}));
    Type(editor, "1");
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> DEFINE A=-", "SQL> 1", "SQL> "}));
    EXPECT_TRUE(editor.GetProcessor().GetLines().empty());
}

TEST(CSQLEditor, AfterSubmissionTheInputIsFresh) {
    CSQLEditor editor;
    editor.InsertText("nonsense");
    editor.MoveCaret(-1, true);
    editor.Submit();
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, editor.GetLineCount() - 1));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.HasSelection());
    editor.RecallHistory(-1);
    EXPECT_EQ(Input(editor), "nonsense");
}

TEST(CSQLEditor, OutputLinesWidenTheConsoleButEchoedLinesDoNot) {
    testfiles::ScratchDir dir;
    CSQLEditor editor;
    std::string name(150, 'w');
    std::istringstream in("@" + name + "\n");
    editor.Load(in);  // replayed, not typed
    std::string notice = Sjis("ファイルを開けません: ") + name;
    EXPECT_EQ(editor.GetLine(1), notice);
    EXPECT_EQ(editor.GetMaxWidth(), static_cast<int>(notice.size()));
    CSQLEditor other;
    std::istringstream wide("-- " + std::string(300, 'n') + "\n");
    other.Load(wide);
    EXPECT_EQ(other.GetMaxWidth(), 100);
}

// --- Scripts ----------------------------------------------------------------

TEST(CSQLEditor, ScriptEchoesOnlyTheTypedLine) {
    testfiles::ScratchDir dir;
    dir.Write("three.sql", "first\r\n-- skipped\nsecond\n\nthird");
    CSQLEditor editor;
    Type(editor, "@three.sql");
    std::string unknown = Sjis("不明なコマンドです。");
    EXPECT_EQ(Lines(editor),
              (std::vector<std::string>{"SQL> @three.sql", unknown, unknown, unknown, "SQL> "}));
    EXPECT_EQ(editor.GetHistory(), CScriptLines{"@three.sql"});
}

TEST(CSQLEditor, MissingScriptSaysSoInPlace) {
    testfiles::ScratchDir dir;
    dir.Write("mixed.sql", "one\n@missing.sql\ntwo\n");
    CSQLEditor editor;
    Type(editor, "@mixed.sql");
    std::string unknown = Sjis("不明なコマンドです。");
    EXPECT_EQ(Lines(editor),
              (std::vector<std::string>{"SQL> @mixed.sql", unknown, Sjis("ファイルを開けません: missing.sql"),
                                        unknown, "SQL> "}));
}

TEST(CSQLEditor, MissingScriptTypedAtThePrompt) {
    testfiles::ScratchDir dir;
    CSQLEditor editor;
    Type(editor, "-- before");
    Type(editor, "@nowhere");
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> -- before", "SQL> @nowhere",
                                                       Sjis("ファイルを開けません: nowhere"), "SQL> "}));
}

TEST(CSQLEditor, IncludedFilesMayIncludeOthersFromTheirFirstLine) {
    testfiles::ScratchDir dir;
    dir.Write("outer.sql", "@inner.sql\nouter\n");
    dir.Write("inner.sql", "DEFINE X=1\ninner\n");
    CSQLEditor editor;
    Type(editor, "@outer.sql");
    std::string unknown = Sjis("不明なコマンドです。");
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> @outer.sql", unknown, unknown, "SQL> "}));
}

TEST(CSQLEditor, CyclicScriptsStopWithAMessage) {
    testfiles::ScratchDir dir;
    dir.Write("a.sql", "one\n@b.sql\n");
    dir.Write("b.sql", "two\n@./a.sql\n");
    CSQLEditor editor;
    Type(editor, "@a.sql");
    std::string unknown = Sjis("不明なコマンドです。");
    EXPECT_EQ(Lines(editor),
              (std::vector<std::string>{"SQL> @a.sql", unknown, unknown,
                                        Sjis("スクリプトの呼び出しが循環しています: ./a.sql"), "SQL> "}));
}

TEST(CSQLEditor, IncompleteStatementAtTheEndOfAScriptContinues) {
    testfiles::ScratchDir dir;
    dir.Write("open.sql", "x -\n");
    CSQLEditor editor;
    Type(editor, "@open.sql");
    EXPECT_EQ(editor.GetLineCount(), 2);
    Type(editor, "y");
    EXPECT_EQ(Lines(editor),
              (std::vector<std::string>{"SQL> @open.sql", "SQL> y", Sjis("不明なコマンドです。"), "SQL> "}));
}

TEST(CSQLEditor, BinaryScriptDoesNotBreakTheConsole) {
    testfiles::ScratchDir dir;
    dir.Write("binary.sql", std::string("\0\xFF\x82\n\x81", 5) + "\r\n@\n");
    CSQLEditor editor;
    Type(editor, "@binary.sql");
    std::string unknown = Sjis("不明なコマンドです。");
    EXPECT_EQ(Lines(editor), (std::vector<std::string>{"SQL> @binary.sql", unknown, unknown,
                                                       Sjis("ファイルを開けません: "), "SQL> "}));
}

// --- Console files ----------------------------------------------------------

TEST(CSQLEditor, StoreWritesTheTranscriptByteForByte) {
    CSQLEditor editor;
    Type(editor, "x");
    Type(editor, "DEFINE A=-");
    editor.InsertText("q");
    std::ostringstream out;
    EXPECT_TRUE(editor.Store(out));
    EXPECT_EQ(out.str(), "SQL> x\r\n" + Sjis("不明なコマンドです。") + "\r\nSQL> DEFINE A=-\r\nSQL> q");
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, editor.GetLineCount() - 1));
    std::ostringstream empty;
    CSQLEditor fresh;
    EXPECT_TRUE(fresh.Store(empty));
    EXPECT_EQ(empty.str(), "SQL> ");
}

TEST(CSQLEditor, FailedStoreKeepsTheInput) {
    CSQLEditor editor;
    editor.InsertText("keep me");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_FALSE(editor.Store(out));
    EXPECT_EQ(Input(editor), "keep me");
}

TEST(CSQLEditor, LoadSplitsLinesAsTyped) {
    struct {
        std::string file;
        CScriptLines submitted;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\r\r\nb", {"a", "b"}},
        {"x\ry\n", {"x\ry"}},
        {"\n\n", {"", ""}},
        {"SQL> z\r\nSQL> ", {"SQL> z", "SQL> "}},
    };
    for (const auto& c : cases) {
        CSQLEditor editor;
        std::istringstream in(c.file);
        editor.Load(in);
        EXPECT_EQ(editor.GetHistory(), c.submitted) << c.file;
        EXPECT_EQ(Input(editor), "");
    }
}

TEST(CSQLEditor, StoreThenLoadReplaysTheConsole) {
    CSQLEditor editor;
    Type(editor, "-- note");
    std::ostringstream out;
    editor.Store(out);
    CSQLEditor replay;
    std::istringstream in(out.str());
    replay.Load(in);
    EXPECT_EQ(replay.GetHistory(), (CScriptLines{"SQL> -- note", "SQL> "}));
}

TEST(CSQLEditor, LoadAppendsAndStopsWhenAsked) {
    CSQLEditor editor;
    Type(editor, "-- kept");
    int submitted = 0;
    editor.SetStopCheck([&] { return editor.GetHistory().size() >= 3; });
    std::istringstream in("-- one\n-- two\n-- three\n");
    editor.Load(in);
    submitted = static_cast<int>(editor.GetHistory().size());
    EXPECT_EQ(submitted, 3);
    EXPECT_EQ(editor.GetLine(0), "SQL> -- kept");
}

// Random edits on random bytes: the caret stays on the input line and no
// operation reads or writes past its end.
TEST(CSQLEditor, AnySequenceOfEditsKeepsTheModelValid) {
    std::mt19937 random(12345);
    CSQLEditor editor;
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char bytes[] = {'a', ' ', '\x82', '\xA0', '\x81', '\x5C', '\xFC', '\x00', '-'};
    for (int step = 0; step < 20000; ++step) {
        bool shift = pick(2) == 1;
        switch (pick(13)) {
            case 0:
                editor.InsertText(std::string(1 + pick(3), bytes[pick(sizeof bytes)]));
                break;
            case 1:
                editor.DeleteForward();
                break;
            case 2:
                editor.DeleteBackward();
                break;
            case 3:
                editor.MoveCaret(pick(3) - 1, shift);
                break;
            case 4:
                editor.MoveCaretHome(shift);
                break;
            case 5:
                editor.MoveCaretEnd(shift);
                break;
            case 6:
                editor.SetCaretColumn(pick(40) - 5, pick(4), shift);
                break;
            case 7:
                editor.RecallHistory(pick(2) ? -1 : 1);
                break;
            case 8:
                editor.Undo();
                break;
            case 9:
                editor.ToggleOverwrite();
                break;
            case 10:
                if (pick(20) == 0) editor.Submit();
                break;
            case 11:
                if (pick(50) == 0) editor.Clear();
                break;
            default:
                (void)editor.IsSelected(pick(40));
                break;
        }
        auto [column, row] = editor.GetCaretPos();
        std::string line = editor.GetLine(editor.GetLineCount() - 1);
        ASSERT_GE(column, 5) << step;
        ASSERT_LE(column, static_cast<int>(line.size())) << step;
        ASSERT_EQ(row, editor.GetLineCount() - 1) << step;
        ASSERT_LE(editor.GetSelectedText().size(), line.size() - 5) << step;
    }
}

}  // namespace
