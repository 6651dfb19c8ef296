#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "console/CSQLEditor.h"
#include "console/EditorLines.h"
#include "tests/support/Sj.h"
#include "tests/support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

// "あ" and "表" (trail byte 0x5C), "＝" (trail byte 0x81, itself a lead value).
const std::string kA = "\x82\xA0";
const std::string kHyo = "\x95\x5C";
const std::string kEq = "\x81\x81";

std::string Input(const CSQLEditor& editor) { return editor.GetLine(editor.GetLineCount() - 1).substr(5); }
int Column(const CSQLEditor& editor) { return editor.GetCaretPos().first; }
CSQLEditor::CaretPos Fresh(const CSQLEditor& editor) { return {5, editor.GetLineCount() - 1}; }

void Type(CSQLEditor& editor, const std::string& line) {
    editor.InsertText(line);
    editor.Submit();
}

// Plays space-separated steps: < > move, [ ] move with shift, >> and [[ move
// by 2^30, 0 move by zero, h H home, e E end, b backspace, d delete,
// o overwrite, iTEXT insert, kC one typed byte, cN[,R] click, CN shift-click.
void Play(CSQLEditor& e, const std::string& steps) {
    using Step = std::function<void(CSQLEditor&)>;
    static const std::map<std::string, Step> steps1 = {
        {"<", [](CSQLEditor& e) { e.MoveCaret(-1, false); }},
        {">", [](CSQLEditor& e) { e.MoveCaret(1, false); }},
        {"[", [](CSQLEditor& e) { e.MoveCaret(-1, true); }},
        {"]", [](CSQLEditor& e) { e.MoveCaret(1, true); }},
        {"0", [](CSQLEditor& e) { e.MoveCaret(0, false); }},
        {">>", [](CSQLEditor& e) { e.MoveCaret(1 << 30, false); }},
        {"[[", [](CSQLEditor& e) { e.MoveCaret(-(1 << 30), true); }},
        {"h", [](CSQLEditor& e) { e.MoveCaretHome(false); }},
        {"H", [](CSQLEditor& e) { e.MoveCaretHome(true); }},
        {"e", [](CSQLEditor& e) { e.MoveCaretEnd(false); }},
        {"E", [](CSQLEditor& e) { e.MoveCaretEnd(true); }},
        {"b", [](CSQLEditor& e) { e.DeleteBackward(); }},
        {"d", [](CSQLEditor& e) { e.DeleteForward(); }},
        {"o", [](CSQLEditor& e) { e.ToggleOverwrite(); }}};
    std::istringstream in(steps);
    for (std::string s; std::getline(in, s, ' ');) {
        int column = 0, row = 0;
        if (steps1.count(s) != 0) {
            steps1.at(s)(e);
        } else if (s[0] == 'i' || s[0] == 'k') {
            s[0] == 'i' ? e.InsertText(s.substr(1)) : e.HandleChar(s[1]);
        } else {
            ASSERT_TRUE((s[0] == 'c' || s[0] == 'C') &&
                        std::sscanf(s.c_str() + 1, "%d,%d", &column, &row) >= 1)
                << s;
            e.SetCaretColumn(column, row, s[0] == 'C');
        }
    }
}

TEST(CSQLEditor, NewConsoleIsOnePromptLine) {
    CSQLEditor editor;
    EXPECT_EQ(EditorLines(editor), Lines{"SQL> "});
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, 0));
    EXPECT_EQ(editor.GetMaxWidth(), 100);
    EXPECT_FALSE(editor.CanUndo());
    Type(editor, "zz");
    for (int index : {-1, -100, editor.GetLineCount(), editor.GetLineCount() + 5}) {
        EXPECT_EQ(editor.GetLine(index), "") << index;
        EXPECT_FALSE(editor.IsPromptLine(index)) << index;
    }
}

TEST(CSQLEditor, EditingCases) {
    // Start with `text` and the caret at `caret`, play the steps, then check
    // the input, the caret column and the selected text.
    const struct {
        const char* name;
        std::string text;
        int caret;
        std::string steps, input;
        int column;
        std::string selected;
    } cases[] = {
        {"insert in the middle", "abc", 6, "iXY", "aXYbc", 8, ""},
        {"backspace at the prompt", "abc", 5, "b", "abc", 5, ""},
        {"delete at the end", "abc", 8, "d", "abc", 8, ""},
        {"backspace one byte", "abc", 7, "b", "ac", 6, ""},
        {"delete one byte", "abc", 6, "d", "ac", 6, ""},
        {"backspace after a double-byte character", "a" + kA, 8, "b", "a", 6, ""},
        {"backspace after a character with an ASCII trail", kHyo + "b", 7, "b", "b", 5, ""},
        {"backspace after a character whose trail looks like a lead", kEq + "a", 7, "b", "a", 5, ""},
        {"backspace after ASCII following such a character", kEq + "a", 8, "b", kEq, 7, ""},
        {"delete a double-byte character", kA + "b", 5, "d", "b", 5, ""},
        {"left lands before the lead byte", "a" + kA + "b", 8, "<", "a" + kA + "b", 6, ""},
        {"right lands after the trail byte", "a" + kA + "b", 6, ">", "a" + kA + "b", 8, ""},
        {"left over an ASCII byte after a lead-looking trail", kEq + "a", 8, "<", kEq + "a", 7, ""},
        {"left over two such characters", kEq + kEq, 9, "< <", kEq + kEq, 5, ""},
        {"left at the prompt stays", "ab", 5, "<", "ab", 5, ""},
        {"right at the end stays", "ab", 7, ">", "ab", 7, ""},
        {"right onto a lone lead byte at the end", "a\x82", 6, ">", "a\x82", 7, ""},
        {"right past a lone lead byte stays at the end", "a\x82", 7, ">", "a\x82", 7, ""},
        {"delete a lone lead byte at the end", "a\x82", 6, "d", "a", 6, ""},
        {"backspace a lone lead byte at the end", "a\x82", 7, "b", "a", 6, ""},
        {"overwrite at the end appends", "ab", 7, "o icd", "abcd", 9, ""},
        {"overwrite in the middle replaces as many bytes", "abcd", 6, "o iXY", "aXYd", 8, ""},
        {"overwrite running past the end", "abc", 7, "o iXYZ", "abXYZ", 10, ""},
        {"one byte over a double-byte character replaces all of it", "'" + kA + kHyo, 8, "o ka k'",
         "'" + kA + "a'", 10, ""},
        {"a double-byte character over two bytes replaces both", "abcd", 6, "o i" + kA, "a" + kA + "d", 8,
         ""},
        {"a double-byte character over a byte and half a character", "a" + kHyo + "b", 5, "o i" + kA,
         kA + "b", 7, ""},
        {"shift+left twice selects two bytes", "abcdefgh", 10, "[ [", "abcdefgh", 8, "de"},
        {"typing over a selection inserts at the caret", "abcdefgh", 10, "[ [ iZ", "abcZdefgh", 9, ""},
        {"delete removes the selection", "abcdef", 11, "[ [ d", "abcd", 9, ""},
        {"backspace removes a selection made leftwards", "abc", 8, "H b", "", 5, ""},
        {"delete removes a selection made rightwards", "abcd", 6, "E d", "a", 6, ""},
        {"shift+end selects to the end", "abc", 6, "E", "abc", 8, "bc"},
        {"shift+home selects to the prompt", "abc", 7, "H", "abc", 5, "ab"},
        {"a selection keeps its anchor", "abcdef", 7, "] E [", "abcdef", 10, "cde"},
        {"a plain move drops the selection", "abc", 6, "E <", "abc", 7, ""},
        {"back to the anchor is no selection", "abc", 6, "] [", "abc", 6, ""},
        {"shift+right over a double-byte character selects both bytes", "a" + kA, 6, "]", "a" + kA, 8, kA},
        {"click past the end puts the caret at the end", "abc", 5, "c40,3", "abc", 8, ""},
        {"click on the prompt puts the caret at the start", "abc", 8, "c1", "abc", 5, ""},
        {"click inside a double-byte character lands before it", "a" + kA, 5, "c7", "a" + kA, 6, ""},
        {"drag selects from the click", "abcdef", 5, "c6 C8 C9", "abcdef", 9, "d"},
        {"drag back: the first move anchors where it lands", "abcdef", 5, "c6 C9 C8", "abcdef", 8, "d"},
        {"move by zero changes nothing", "abc", 6, "0", "abc", 6, ""},
        {"huge deltas clamp", "abc", 6, ">> [[", "abc", 5, "abc"},
        {"typed double-byte character in two halves", "ab", 6, "k\x82 k\xA0", "a" + kA + "b", 8, ""},
        {"control characters are not typed", "ab", 6, "k\t k\x1B k\r", "ab", 6, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSQLEditor editor;
        editor.InsertText(c.text);
        editor.SetCaretColumn(c.caret, 0, false);
        Play(editor, c.steps);
        EXPECT_EQ(Input(editor), c.input);
        EXPECT_EQ(Column(editor), c.column);
        EXPECT_EQ(editor.GetSelectedText(), c.selected);
        EXPECT_EQ(editor.HasSelection(), !c.selected.empty());
    }
}

TEST(CSQLEditor, IsSelectedIsHalfOpenAndInsideTheInput) {
    CSQLEditor editor;
    Play(editor, "iabcdefgh c10 [ [");
    for (int column : {4, 7, 8, 9, 10, 13, 200, -1})
        EXPECT_EQ(editor.IsSelected(column), column == 8 || column == 9) << column;
    CSQLEditor dragged;
    Play(dragged, "iabcdef c6 C9 C8");
    for (int column : {7, 8, 9}) EXPECT_EQ(dragged.IsSelected(column), column == 8) << column;
}

TEST(CSQLEditor, SelectionLeftBehindByUndoIsClipped) {
    CSQLEditor editor;
    Play(editor, "ia ibcdefgh [");  // anchor at 13, caret 12
    editor.Undo();                  // text "a", caret 6, anchor still 13
    EXPECT_EQ(Input(editor), "a");
    EXPECT_EQ(editor.GetSelectedText(), "");
    EXPECT_FALSE(editor.IsSelected(12));
    editor.DeleteForward();
    EXPECT_EQ(Input(editor), "a");
    EXPECT_EQ(Column(editor), 6);
    editor.DeleteBackward();
    EXPECT_EQ(Input(editor), "");
}

TEST(CSQLEditor, UndoRestoresTextAndCaretInReverseOrder) {
    CSQLEditor boundary;  // edits that change nothing still push an entry
    boundary.DeleteBackward();
    EXPECT_TRUE(boundary.CanUndo());
    boundary.Undo();
    EXPECT_FALSE(boundary.CanUndo());
    Play(boundary, "iab d");
    boundary.Undo();
    EXPECT_EQ(Input(boundary), "ab");
    EXPECT_EQ(Column(boundary), 7);

    CSQLEditor editor;
    Play(editor, "iabc h d e iZ");  // "bc" with caret 5, then "bcZ" with caret 8
    const std::pair<const char*, int> states[] = {{"bc", 7}, {"abc", 5}, {"", 5}, {"", 5}};
    for (int i = 0; i < 4; ++i) {  // the last undo finds nothing left
        editor.Undo();
        EXPECT_EQ(Input(editor), states[i].first) << i;
        EXPECT_EQ(Column(editor), states[i].second) << i;
        EXPECT_EQ(editor.CanUndo(), i < 2) << i;
    }
}

TEST(CSQLEditor, UndoIsBoundedByEntriesAndBytes) {
    CSQLEditor editor;
    const int extra = 7;
    for (int i = 0; i < static_cast<int>(CSQLEditor::kUndoLimit) + extra; ++i) editor.InsertText("x");
    for (std::size_t i = 0; i < CSQLEditor::kUndoLimit; ++i) editor.Undo();
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(Input(editor), std::string(extra, 'x'));

    CSQLEditor big;
    const std::string text(4u << 20, 'b');
    big.InsertText(text);
    for (int i = 0; i < 20; ++i) big.InsertText("x");
    big.Undo();
    EXPECT_EQ(Input(big), text + std::string(19, 'x'));
    int undone = 1;
    for (; big.CanUndo(); ++undone) big.Undo();
    EXPECT_LE(static_cast<std::size_t>(undone) * text.size(), CSQLEditor::kUndoByteLimit + text.size());
    EXPECT_GE(undone, 4);
}

TEST(CSQLEditor, RecallWrapsBothWaysAndKeepsTheCaretUnlessPastTheEnd) {
    CSQLEditor editor;
    editor.RecallHistory(-1);
    EXPECT_EQ(Input(editor), "");
    for (const char* line : {"e0", "e1", "e2"}) Type(editor, line);
    Lines seen;
    for (int i = 0; i < 4; ++i) {
        editor.RecallHistory(-1);
        seen.push_back(Input(editor));
    }
    EXPECT_EQ(seen, (Lines{"e2", "e1", "e0", "e2"}));
    Type(editor, "");  // submits the recalled "e2"
    editor.RecallHistory(+1);
    EXPECT_EQ(Input(editor), "e1");
    EXPECT_FALSE(editor.CanUndo());

    CSQLEditor one;
    Type(one, "only");
    one.RecallHistory(+1);
    EXPECT_EQ(Input(one), "only");

    CSQLEditor caret;
    Type(caret, "ab");
    Type(caret, "abcdefgh");
    Play(caret, "ixyz [");
    caret.RecallHistory(-1);  // "abcdefgh": caret 7 stays
    EXPECT_EQ(Column(caret), 7);
    EXPECT_FALSE(caret.HasSelection());
    caret.MoveCaretEnd(false);
    caret.RecallHistory(-1);  // "ab": caret to its end
    EXPECT_EQ(Column(caret), 7);
    caret.RecallHistory(+1);
    EXPECT_EQ(Input(caret), "abcdefgh");
    EXPECT_EQ(Column(caret), 7);
}

TEST(CSQLEditor, WidthGrowsByTheInputAndOutputButNotByEchoedLines) {
    CSQLEditor editor;
    editor.InsertText(std::string(100, 'a'));
    EXPECT_EQ(editor.GetMaxWidth(), 100);
    editor.InsertText("b");
    EXPECT_EQ(editor.GetMaxWidth(), 101);
    editor.Undo();
    EXPECT_EQ(editor.GetMaxWidth(), 101) << "the width only grows";
    editor.UpdateMaxWidth(CScriptLines{"x", std::string(150, 'y'), "z"});
    EXPECT_EQ(editor.GetMaxWidth(), 150);

    testfiles::ScratchDir dir;
    CSQLEditor loaded;
    std::string name(150, 'w');
    std::istringstream in("@" + name + "\n");
    loaded.Load(in);  // replayed, not typed
    std::string notice = Sj("ファイルを開けません: ") + name;
    EXPECT_EQ(loaded.GetLine(1), notice);
    EXPECT_EQ(loaded.GetMaxWidth(), static_cast<int>(notice.size()));
    CSQLEditor echoed;
    std::istringstream wide("-- " + std::string(300, 'n') + "\n");
    echoed.Load(wide);
    EXPECT_EQ(echoed.GetMaxWidth(), 100);
}

TEST(CSQLEditor, ClearKeepsHistoryWidthAndOverwrite) {
    CSQLEditor editor;
    Type(editor, "first");
    Play(editor, "i" + std::string(120, 'q') + " o [");
    editor.Clear();
    EXPECT_EQ(EditorLines(editor), Lines{"SQL> "});
    EXPECT_EQ(editor.GetCaretPos(), CSQLEditor::CaretPos(5, 0));
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(editor.GetMaxWidth(), 120);
    EXPECT_TRUE(editor.IsOverwrite());
    editor.RecallHistory(-1);
    EXPECT_EQ(Input(editor), "first");
}

TEST(CSQLEditor, KeyTableMakesOneModelCallPerKey) {
    const struct {
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
        SCOPED_TRACE(static_cast<int>(c.key));
        CSQLEditor editor;
        for (const char* line : {"e0", "e1", "e2"}) Type(editor, line);
        Play(editor, "iabcd c7");
        editor.HandleKey(c.key, c.shift);
        EXPECT_EQ(Input(editor), c.input);
        EXPECT_EQ(Column(editor), c.column);
        EXPECT_EQ(editor.GetSelectedText(), c.selected);
        EXPECT_EQ(editor.IsOverwrite(), c.key == EditorKey::Insert);
    }
}

TEST(CSQLEditor, EnterSubmitsAndLeavesAFreshInput) {
    CSQLEditor editor;
    Play(editor, "inonsense [");
    editor.HandleKey(EditorKey::Enter, false);
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetCaretPos(), Fresh(editor));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_EQ(editor.GetHistory(), CScriptLines{"nonsense"});
    editor.RecallHistory(-1);
    EXPECT_EQ(Input(editor), "nonsense");
}

// Splits at '|'; "?" stands for the answer to an unknown command.
Lines Split(const std::string& text) {
    Lines lines;
    std::istringstream in(text + "|");
    for (std::string line; std::getline(in, line, '|');)
        lines.push_back(Sj(line == "?" ? "不明なコマンドです。" : line));
    return lines;
}

// Lines typed one by one (script files around them) and the whole console
// after: echoed lines and pending lines are prompt lines, output is not.
TEST(CSQLEditor, SubmissionCases) {
    const std::string binary = std::string("\0\xFF\x82\n\x81", 5) + "\r\n@\n";
    const struct {
        const char* name;
        std::string files;  // name=bytes, separated by ';'
        std::string typed, console;
    } cases[] = {
        {"empty line waits as a pending prompt line", "", "", "SQL> |SQL> "},
        {"pending lines flush before the output", "", "-- a note||nonsense",
         "SQL> -- a note|SQL> |SQL> nonsense|?|SQL> "},
        {"statement spanning lines waits", "", "DEFINE A=-", "SQL> DEFINE A=-|SQL> "},
        {"statement spans submissions", "", "DEFINE A=-|1", "SQL> DEFINE A=-|SQL> 1|SQL> "},
        {"script echoes only the typed line", "three.sql=first\r\n-- skipped\nsecond\n\nthird", "@three.sql",
         "SQL> @three.sql|?|?|?|SQL> "},
        {"missing script says so in place", "mixed.sql=one\n@missing.sql\ntwo\n", "@mixed.sql",
         "SQL> @mixed.sql|?|ファイルを開けません: missing.sql|?|SQL> "},
        {"missing script typed at the prompt", "", "-- before|@nowhere",
         "SQL> -- before|SQL> @nowhere|ファイルを開けません: nowhere|SQL> "},
        {"cyclic scripts stop with a message", "a.sql=one\n@b.sql\n;b.sql=two\n@./a.sql\n", "@a.sql",
         "SQL> @a.sql|?|?|スクリプトの呼び出しが循環しています: ./a.sql|SQL> "},
        {"incomplete statement at the end of a script waits", "open.sql=x -\n", "@open.sql",
         "SQL> @open.sql|SQL> "},
        {"and continues with the next typed line", "open.sql=x -\n", "@open.sql|y",
         "SQL> @open.sql|SQL> y|?|SQL> "},
        {"binary script does not break the console", "binary.sql=" + binary, "@binary.sql",
         "SQL> @binary.sql|NUL文字(0x00)を含む文は実行できません。|?|ファイルを開けません: |SQL> "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testfiles::ScratchDir dir;
        dir.WriteAll(c.files);
        CSQLEditor editor;
        const Lines typed = Split(c.typed), expected = Split(c.console);
        for (const auto& line : typed) Type(editor, line);
        EXPECT_EQ(EditorLines(editor), expected);
        for (int i = 0; i < editor.GetLineCount(); ++i)
            EXPECT_EQ(editor.IsPromptLine(i), expected[i].rfind("SQL> ", 0) == 0) << i;
        EXPECT_EQ(Lines(editor.GetHistory().begin(), editor.GetHistory().end()), typed);
        EXPECT_EQ(editor.GetCaretPos(), Fresh(editor));
        EXPECT_TRUE(typed.size() != 2 || typed[1] != "1" || editor.GetProcessor().GetLines().empty());
    }
}

TEST(CSQLEditor, StoreWritesTheTranscriptByteForByte) {
    CSQLEditor editor;
    Type(editor, "x");
    Type(editor, "DEFINE A=-");
    editor.InsertText("q");
    std::ostringstream out;
    EXPECT_TRUE(editor.Store(out));
    EXPECT_EQ(out.str(), "SQL> x\r\n" + Sj("不明なコマンドです。") + "\r\nSQL> DEFINE A=-\r\nSQL> q");
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetCaretPos(), Fresh(editor));
    std::ostringstream empty;
    CSQLEditor fresh;
    EXPECT_TRUE(fresh.Store(empty));
    EXPECT_EQ(empty.str(), "SQL> ");

    CSQLEditor failing;
    failing.InsertText("keep me");
    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    EXPECT_FALSE(failing.Store(bad));
    EXPECT_EQ(Input(failing), "keep me");
}

TEST(CSQLEditor, LoadSplitsLinesAsTyped) {
    const std::pair<std::string, Lines> cases[] = {{"", {}},
                                                   {"a", {"a"}},
                                                   {"a\n", {"a"}},
                                                   {"a\r\n\r\n", {"a", ""}},
                                                   {"a\r\r\nb", {"a", "b"}},
                                                   {"x\ry\n", {"x\ry"}},
                                                   {"\n\n", {"", ""}},
                                                   {"SQL> z\r\nSQL> ", {"z"}},
                                                   {"SQL> \nSQL> z\nSQL> \n", {"", "z"}},
                                                   {"out\nSQL> z\r\nSQLX\n SQL> y\nSQL>x", {"z"}}};
    for (const auto& [file, submitted] : cases) {
        CSQLEditor editor;
        std::istringstream in(file);
        editor.Load(in);
        EXPECT_EQ(Lines(editor.GetHistory().begin(), editor.GetHistory().end()), submitted) << file;
        EXPECT_EQ(Input(editor), "");
    }
}

// A saved console replays what was typed there, never its output: a value
// that opens a quote, an echoed error, lines that read as commands.
TEST(CSQLEditor, ASavedConsoleReplaysOnlyItsTypedLines) {
    CSQLEditor editor;
    for (const char* line : {"PROMPT it's", "nonsense", "PROMPT DEFINE X=1", "PROMPT done"})
        Type(editor, line);
    editor.InsertText("REM pending");
    std::ostringstream saved;
    ASSERT_TRUE(editor.Store(saved));
    const Lines shown = EditorLines(editor);

    CSQLEditor replay;
    std::istringstream in(saved.str());
    EXPECT_TRUE(replay.Load(in));
    EXPECT_EQ(replay.GetHistory(),
              (CScriptLines{"PROMPT it's", "nonsense", "PROMPT DEFINE X=1", "PROMPT done", "REM pending"}));
    Lines expected(shown.begin(), shown.end() - 1);
    expected.insert(expected.end(), {"SQL> REM pending", "SQL> "});
    EXPECT_EQ(EditorLines(replay), expected);
    EXPECT_TRUE(replay.GetProcessor().GetLines().empty());

    testfiles::ScratchDir dir;  // "@" follows the same rule
    dir.Write("saved.sql", saved.str());
    CSQLEditor included;
    Type(included, "@saved.sql");
    Lines outputs{"SQL> @saved.sql"};
    for (const auto& line : shown)
        if (line.rfind("SQL> ", 0) != 0) outputs.push_back(line);
    outputs.push_back("SQL> ");
    EXPECT_EQ(outputs.size(), 6u);
    EXPECT_EQ(EditorLines(included), outputs);
}

TEST(CSQLEditor, LoadAppendsAndStopsWhenAsked) {
    CSQLEditor editor;
    Type(editor, "-- kept");
    editor.SetStopCheck([&] { return editor.GetHistory().size() >= 3; });
    std::istringstream in("-- one\n-- two\n-- three\n");
    editor.Load(in);
    EXPECT_EQ(editor.GetHistory().size(), 3u);
    EXPECT_EQ(editor.GetLine(0), "SQL> -- kept");
}

// Random edits on random bytes: the caret stays on the input line and no
// operation reads or writes past its end.
TEST(CSQLEditor, AnySequenceOfEditsKeepsTheModelValid) {
    std::mt19937 random(12345);
    CSQLEditor e;
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char bytes[] = {'a', ' ', '\x82', '\xA0', '\x81', '\x5C', '\xFC', '\x00', '-'};
    bool shift = false;
    const std::function<void()> ops[] = {
        [&] { e.InsertText(std::string(1 + pick(3), bytes[pick(sizeof bytes)])); },
        [&] { e.DeleteForward(); },
        [&] { e.DeleteBackward(); },
        [&] { e.MoveCaret(pick(3) - 1, shift); },
        [&] { e.MoveCaretHome(shift); },
        [&] { e.MoveCaretEnd(shift); },
        [&] { e.SetCaretColumn(pick(40) - 5, pick(4), shift); },
        [&] { e.RecallHistory(pick(2) ? -1 : 1); },
        [&] { e.Undo(); },
        [&] { e.ToggleOverwrite(); },
        [&] {
            if (pick(20) == 0) e.Submit();
        },
        [&] {
            if (pick(50) == 0) e.Clear();
        },
        [&] { (void)e.IsSelected(pick(40)); },
    };
    for (int step = 0; step < 20000; ++step) {
        shift = pick(2) == 1;
        ops[pick(13)]();
        auto [column, row] = e.GetCaretPos();
        std::string line = e.GetLine(e.GetLineCount() - 1);
        ASSERT_GE(column, 5) << step;
        ASSERT_LE(column, static_cast<int>(line.size())) << step;
        ASSERT_EQ(row, e.GetLineCount() - 1) << step;
        ASSERT_LE(e.GetSelectedText().size(), line.size() - 5) << step;
    }
}

}  // namespace

namespace {

// Wide columns holding short values are held compact and read back padded,
// in the view's lines, the width and the saved file alike.
TEST(CSQLEditor, WideResultsReadBackPadded) {
    TempHome home;
    CSQLEditor editor;
    for (const char* line : {"connect a/b", "create table w (a varchar2(4000), b varchar2(4000));",
                             "insert into w values ('X', 'Y');", "select * from w;"})
        Type(editor, line);
    const std::string row = "X" + std::string(4000, ' ') + "Y" + std::string(4000, ' ');
    int found = -1;
    for (int i = 0; i < editor.GetLineCount(); ++i)
        if (editor.GetLine(i) == row) found = i;
    ASSERT_GE(found, 0);
    EXPECT_EQ(editor.GetLine(found - 2), "A" + std::string(4000, ' ') + "B" + std::string(4000, ' '));
    EXPECT_EQ(editor.GetMaxWidth(), static_cast<int>(row.size()));
    EXPECT_FALSE(editor.IsPromptLine(found));
    std::ostringstream saved;
    ASSERT_TRUE(editor.Store(saved));
    EXPECT_NE(saved.str().find("\r\n" + row + "\r\n"), std::string::npos);
}

}  // namespace

namespace {

// A question takes the input line for its answer and gives it back as it
// was; a hidden answer shows as '*' and is kept nowhere.
TEST(CSQLEditor, AQuestionBorrowsTheInputLine) {
    for (const bool hidden : {false, true}) {
        CSQLEditor editor;
        Type(editor, "REM one");
        editor.InsertText("select 1");
        editor.MoveCaret(-2, false);
        const int row = editor.GetLineCount() - 1;
        editor.BeginQuestion("Password: ", hidden);
        EXPECT_TRUE(editor.IsAsking());
        EXPECT_EQ(editor.GetLine(row), "Password: ");
        EXPECT_EQ(editor.GetCaretPos(), (CSQLEditor::CaretPos{10, row}));
        EXPECT_FALSE(editor.CanUndo());
        editor.InsertText("t" + kA + "x");
        editor.DeleteBackward();
        editor.MoveCaret(-1, false);
        EXPECT_EQ(editor.GetCaretPos().first, 11);  // before the double-byte character
        editor.MoveCaretEnd(true);
        EXPECT_EQ(editor.GetSelectedText(), hidden ? "**" : kA);
        EXPECT_EQ(editor.GetLine(row), hidden ? "Password: ***" : "Password: t" + kA);
        EXPECT_EQ(editor.EndQuestion(), "t" + kA);
        EXPECT_FALSE(editor.IsAsking());
        EXPECT_EQ(editor.GetLine(row), "SQL> select 1");
        EXPECT_EQ(editor.GetCaretPos(), (CSQLEditor::CaretPos{11, row}));
        EXPECT_EQ(editor.GetHistory(), CScriptLines{"REM one"});
        editor.Undo();
        EXPECT_EQ(editor.GetLine(row), "SQL> ");
        EXPECT_FALSE(editor.CanUndo());
        EXPECT_EQ(editor.EndQuestion(), "");
    }
}

}  // namespace
