#include <gtest/gtest.h>

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCharFormat>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "app/CVantorDoc.h"
#include "app/CVantorView.h"
#include "tests/app/AppTestSupport.h"

namespace {

class CVantorViewTest : public ::testing::Test {
protected:
    CVantorViewTest() : view((apptest::Application(), document)) {
        view.resize(400, 200);
        view.show();
        view.OnInitialUpdate();
    }

    CSQLEditor& Editor() { return *document.GetEditor(); }
    std::string InputLine() { return Editor().GetLine(Editor().GetLineCount() - 1); }
    int CaretColumn() { return Editor().GetCaretPos().first; }
    void Type(const char* text) { QTest::keyClicks(&view, QString::fromUtf8(text)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view, key, modifiers);
    }
    void Commit(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(&view, &event);
    }
    // Plays space-separated keys (S- C- A- for Shift, Control, Alt); any
    // other word is typed, with '~' for a blank.
    void Play(const std::string& steps) {
        static const std::map<std::string, Qt::Key> keys = {
            {"Bksp", Qt::Key_Backspace}, {"Left", Qt::Key_Left},   {"Home", Qt::Key_Home},
            {"End", Qt::Key_End},        {"Del", Qt::Key_Delete},  {"Tab", Qt::Key_Tab},
            {"Esc", Qt::Key_Escape},     {"PgUp", Qt::Key_PageUp}, {"Ins", Qt::Key_Insert},
            {"Ret", Qt::Key_Return},     {"Enter", Qt::Key_Enter}, {"Up", Qt::Key_Up},
            {"Down", Qt::Key_Down},      {"B", Qt::Key_B},         {"R", Qt::Key_R}};
        std::istringstream in(steps);
        for (std::string s; in >> s;) {
            Qt::KeyboardModifiers modifiers;
            for (; s.size() > 2 && s[1] == '-'; s = s.substr(2))
                modifiers |= s[0] == 'S'   ? Qt::ShiftModifier
                             : s[0] == 'C' ? Qt::ControlModifier
                                           : Qt::AltModifier;
            const auto key = keys.find(s);
            if (key != keys.end()) {
                Key(key->second, modifiers);
            } else {
                std::replace(s.begin(), s.end(), '~', ' ');
                Type(s.c_str());
            }
        }
    }
    QPoint CellCenter(int column) const {
        return QPoint(column * 8 + 4 - view.horizontalScrollBar()->value(), view.GetCaretY() + 8);
    }

    CVantorDoc document;
    CVantorView view;
};

TEST_F(CVantorViewTest, KeysMakeTheirModelCalls) {
    const struct {
        const char* name;
        const char* steps;
        const char* line;
        int caret;
        const char* selected;
        bool overwrite;
    } cases[] = {
        {"backspace", "abc Bksp", "SQL> ab", 7, "", false},
        {"shift left", "abc S-Left", "SQL> abc", 7, "c", false},
        {"end after home", "abc Home End", "SQL> abc", 8, "", false},
        {"shift home", "abc S-Home", "SQL> abc", 5, "abc", false},
        {"keys without a model call", "abc Tab PgUp C-B", "SQL> abc", 8, "", false},
        {"esc clears an idle input line", "abc Left Esc", "SQL> ", 5, "", false},
        {"esc then typing", "abc Esc x", "SQL> x", 6, "", false},
        {"delete in the middle", "ace Left Left b Del", "SQL> abe", 7, "", false},
        {"insert turns overwrite on", "abc Home Ins X", "SQL> Xbc", 6, "", true},
        {"accelerator keys never reach the key table", "abc Left S-Del A-Bksp S-Ins", "SQL> abc", 7, "",
         false},
        {"return submits", "REM~one Ret", "SQL> ", 5, "", false},
        {"up recalls the last line", "REM~one Ret REM~second Enter Up", "SQL> REM second", 5, "", false},
        {"down goes forward", "REM~one Ret REM~second Enter Up Up Down", "SQL> REM second", 5, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        document.OnNewDocument();
        if (Editor().IsOverwrite()) Key(Qt::Key_Insert);
        Play(c.steps);
        EXPECT_EQ(InputLine(), c.line);
        EXPECT_EQ(CaretColumn(), c.caret);
        EXPECT_EQ(Editor().GetSelectedText(), c.selected);
        EXPECT_EQ(Editor().IsOverwrite(), c.overwrite);
    }
    document.OnNewDocument();
    Play("REM~one Ret REM~second Enter");
    EXPECT_EQ(Editor().GetLineCount(), 3);
    EXPECT_EQ(Editor().GetLine(0), "SQL> REM one");
}

TEST_F(CVantorViewTest, EscClearsTheInputLineAndUndoBringsItBack) {
    Play("select~1 Esc");
    EXPECT_EQ(InputLine(), "SQL> ");
    view.OnEditUndo();
    EXPECT_EQ(InputLine(), "SQL> select 1");
}

TEST_F(CVantorViewTest, OverwriteNeverSplitsADoubleByteCharacter) {
    Type("select '");
    Commit(QString::fromUtf8("東京"));
    Play("Left Ins a '");
    EXPECT_EQ(InputLine(),
              "SQL> select '\x93\x8C"
              "a'");
    EXPECT_EQ(CaretColumn(), 17);
}

TEST_F(CVantorViewTest, InputMethodTextIsInsertedAsCp932) {
    Commit(QString::fromUtf8("山田"));
    EXPECT_EQ(InputLine(), "SQL> \x8e\x52\x93\x63");
    EXPECT_EQ(CaretColumn(), 9);
    Commit(QString::fromUtf8("ｱ"));
    EXPECT_EQ(InputLine(), "SQL> \x8e\x52\x93\x63\xb1");
    // A character CP932 cannot hold refuses the whole commit.
    Commit(QString::fromUtf8("a\xF0\x9F\x98\x80"));
    EXPECT_EQ(InputLine(), "SQL> \x8e\x52\x93\x63\xb1");
    EXPECT_EQ(CaretColumn(), 10);
    // The double-byte character is one edit: Undo removes it whole.
    view.OnEditUndo();
    EXPECT_EQ(InputLine(), "SQL> \x8e\x52\x93\x63");
}

TEST_F(CVantorViewTest, SubmissionsKeepTheInputLineInView) {
    for (int i = 0; i < 40; ++i) Play("REM~line Ret");
    const int height = view.viewport()->height();
    EXPECT_GT(view.verticalScrollBar()->value(), 0);
    EXPECT_GE(view.GetCaretY(), 0);
    EXPECT_LE(view.GetCaretY() + 16, height);
    EXPECT_EQ(view.GetCaretY(), 40 * 16 - view.verticalScrollBar()->value());
    EXPECT_EQ(view.GetScrollHeight(), 1000);  // 41 lines fit the first range
    for (int i = 0; i < 21; ++i) Key(Qt::Key_Return);
    EXPECT_EQ(view.GetScrollHeight(), 1000);  // 62 lines: 992 pixels
    Key(Qt::Key_Return);
    EXPECT_EQ(view.GetScrollHeight(), 63 * 16 + 1000);
    for (int i = 0; i < 10; ++i) Key(Qt::Key_Return);
    EXPECT_EQ(view.GetScrollHeight(), 63 * 16 + 1000);
}

TEST_F(CVantorViewTest, ClearEmptiesTheConsoleButKeepsTheScrollRange) {
    for (int i = 0; i < 70; ++i) Key(Qt::Key_Return);
    const int range = view.GetScrollHeight();
    view.OnEditClear();
    EXPECT_EQ(Editor().GetLineCount(), 1);
    EXPECT_EQ(view.GetScrollHeight(), range);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_EQ(view.GetCaretY(), 0);
}

TEST_F(CVantorViewTest, ALongTypedLineKeepsTheCaretInView) {
    Type(std::string(150, 'x').c_str());
    const int width = view.viewport()->width();
    EXPECT_GT(view.horizontalScrollBar()->value(), 0);
    EXPECT_LE(view.GetCaretX() + 8, width);
    EXPECT_EQ(view.GetCaretX(), 155 * 8 - view.horizontalScrollBar()->value());
    Key(Qt::Key_Home);
    EXPECT_EQ(view.GetCaretX(), 5 * 8 - view.horizontalScrollBar()->value());
    EXPECT_GE(view.GetCaretX(), 0);
}

TEST_F(CVantorViewTest, ClickOnTheInputLinePlacesTheCaret) {
    const struct {
        std::string text;
        int column, caret;
    } cases[] = {
        {"SELECT", 7, 7},
        {"SELECT", 40, 11},                         // past the end
        {std::string(120, 'a') + "XYZ", 126, 126},  // with the view scrolled
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        document.OnNewDocument();
        Commit(QString::fromStdString(c.text));
        EXPECT_EQ(view.horizontalScrollBar()->value() > 0, c.text.size() > 100);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(c.column));
        EXPECT_EQ(CaretColumn(), c.caret);
    }
}

TEST_F(CVantorViewTest, ClickAboveTheInputLineDoesNotMoveTheCaret) {
    Play("REM~a Ret abc Home");
    const QPoint above(7 * 8 + 4, view.GetCaretY() - 4);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, above);
    EXPECT_EQ(CaretColumn(), 5);
    EXPECT_FALSE(view.IsMouseDown());
}

TEST_F(CVantorViewTest, DragSelectsFromThePressToThePointer) {
    Type("SELECT");
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(6));
    EXPECT_TRUE(view.IsMouseDown());
    // The first move anchors where the pointer is, later moves drag the caret.
    for (int column : {6, 8, 9}) {
        QMouseEvent move(QEvent::MouseMove, CellCenter(column),
                         view.viewport()->mapToGlobal(CellCenter(column)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(9));
    EXPECT_FALSE(view.IsMouseDown());
    EXPECT_EQ(Editor().GetSelectedText(), "ELE");
    EXPECT_TRUE(view.CanCutOrCopy());
}

TEST_F(CVantorViewTest, CopyAndCutCarryTheSelectedBytes) {
    Commit(QString::fromUtf8("ab山c"));
    Play("Left S-Left S-Left");
    ASSERT_EQ(Editor().GetSelectedText(), "b\x8e\x52");
    view.OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("b山"));
    EXPECT_FALSE(Editor().HasSelection());
    EXPECT_EQ(InputLine(),
              "SQL> ab\x8e\x52"
              "c");
    Play("S-Home");
    view.OnEditCut();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a"));
    EXPECT_EQ(InputLine(),
              "SQL> b\x8e\x52"
              "c");
}

TEST_F(CVantorViewTest, PasteInsertsTheClipboardOnce) {
    QApplication::clipboard()->setText(QString::fromUtf8("a山€"));
    Type("x");
    view.OnEditPaste();
    EXPECT_EQ(InputLine(), "SQL> xa\x8e\x52?");
    view.OnEditUndo();
    EXPECT_EQ(InputLine(), "SQL> x");
    QApplication::clipboard()->setText(QString::fromUtf8("p") + QChar(0) + QString::fromUtf8("q"));
    view.OnEditPaste();
    EXPECT_EQ(InputLine(), "SQL> xp");
}

// Pasted lines are submitted one by one as if typed; the last one without a
// line end stays on the input line.
TEST_F(CVantorViewTest, AMultiLinePasteSubmitsLineByLine) {
    const struct {
        const char* clipboard;
        std::vector<std::string> console;
    } cases[] = {
        {"one\r\nREM two\nREM three", {"SQL> PROMPT one", "one", "SQL> REM two", "SQL> REM three"}},
        {"one\n\nPROMPT two\n", {"SQL> PROMPT one", "one", "SQL> ", "SQL> PROMPT two", "two", "SQL> "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clipboard);
        document.OnNewDocument();
        QApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
        Type("PROMPT ");
        view.OnEditPaste();
        std::vector<std::string> lines;
        for (int i = 0; i < Editor().GetLineCount(); ++i) lines.push_back(Editor().GetLine(i));
        EXPECT_EQ(lines, c.console);
        EXPECT_FALSE(view.IsRunning());
    }
}

QImage Render(CVantorView& view) {
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of one cell of the rendered viewport.
struct CellInk {
    int blue = 0;
    int black = 0;
    int white = 0;
    int total = 0;
};

CellInk Ink(const QImage& image, int column, int row) {
    CellInk ink;
    for (int y = row * 16; y < row * 16 + 16; ++y)
        for (int x = column * 8; x < column * 8 + 8; ++x) {
            QColor c = image.pixelColor(x, y);
            ++ink.total;
            if (c.blue() > 150 && c.red() < 100 && c.green() < 100) ++ink.blue;
            if (c.red() < 60 && c.green() < 60 && c.blue() < 60) ++ink.black;
            if (c.red() > 240 && c.green() > 240 && c.blue() > 240) ++ink.white;
        }
    return ink;
}

// The point between cells at `column` on console line `row`.
QPoint Boundary(CVantorView& view, int column, int row) {
    return QPoint(column * 8 - view.horizontalScrollBar()->value(),
                  row * 16 + 8 - view.verticalScrollBar()->value());
}

void Drag(CVantorView& view, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, from);
    QMouseEvent move(QEvent::MouseMove, to, view.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     modifiers);
    QApplication::sendEvent(view.viewport(), &move);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, modifiers, to);
}

// Output is selected by whole characters with the mouse and Shift+arrows,
// and copied as text; typing still goes to the input line.
TEST_F(CVantorViewTest, SelectionCoversTheWholeConsole) {
    Type("PROMPT abc");
    Key(Qt::Key_Return);
    Commit(QString::fromUtf8("PROMPT 東京x"));
    Key(Qt::Key_Return);
    // 0 "SQL> PROMPT abc", 1 "abc", 2 "SQL> PROMPT 東京x", 3 "東京x", 4 "SQL> "
    ASSERT_EQ(Editor().GetLineCount(), 5);
    const auto copied = [&] {
        QApplication::clipboard()->clear();
        view.OnEditCopy();
        return QApplication::clipboard()->text();
    };
    Drag(view, Boundary(view, 1, 1), Boundary(view, 3, 3));  // ends inside "京": before it
    EXPECT_TRUE(view.CanCopy());
    EXPECT_FALSE(view.CanCutOrCopy());
    EXPECT_EQ(copied(), QString::fromUtf8("bc\nSQL> PROMPT 東京x\n東"));
    const QImage image = Render(view);
    EXPECT_GT(Ink(image, 1, 1).black, Ink(image, 1, 1).total / 2);
    EXPECT_GT(Ink(image, 0, 1).white, Ink(image, 0, 1).total / 2);
    EXPECT_GT(Ink(image, 0, 3).black, Ink(image, 0, 3).total / 2);
    EXPECT_GT(Ink(image, 2, 3).white, Ink(image, 2, 3).total / 2);

    Drag(view, Boundary(view, 9, 2), Boundary(view, 0, 1));  // backwards
    EXPECT_EQ(copied(), QString::fromUtf8("abc\nSQL> PROM"));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, Boundary(view, 2, 0));
    EXPECT_EQ(copied(), QString::fromUtf8("L> PROMPT abc\nabc\nSQL> PROM"));

    Type("x");  // typing drops the selection and goes to the input line
    EXPECT_TRUE(view.GetSelection().IsEmpty());
    EXPECT_EQ(InputLine(), "SQL> x");
    Play("S-Up S-Left S-Left");  // from the caret, back over "x", "京" whole
    EXPECT_EQ(copied(), QString::fromUtf8("京x\nSQL> x"));
    EXPECT_EQ(InputLine(), "SQL> x");

    view.OnEditSelectAll();
    EXPECT_EQ(copied(), QString::fromUtf8("SQL> PROMPT abc\nabc\nSQL> PROMPT 東京x\n東京x\nSQL> x"));
    Type("y");
    EXPECT_EQ(InputLine(), "SQL> xy");
}

// Find goes on from the last hit, wraps to the top, skips matches that
// start inside a double-byte character, and selects and shows the hit.
TEST_F(CVantorViewTest, FindSelectsEachHitInTurn) {
    Commit(QString::fromUtf8("PROMPT 表\\ emp"));  // "表" ends in the byte "\"
    Key(Qt::Key_Return);
    for (int i = 0; i < 30; ++i) Play("REM~line Ret");
    Play("PROMPT~Emp~again Ret");
    const auto hit = [&] {
        const auto low = view.GetSelection().Low();
        return std::make_pair(low.row, low.column);
    };
    const std::vector<std::pair<int, int>> hits = {{0, 16}, {1, 4}, {32, 12}, {33, 0}, {0, 16}};
    for (const auto& expected : hits) {
        ASSERT_TRUE(view.FindNext(QStringLiteral("EMP")));
        EXPECT_EQ(hit(), expected);
        const int top = expected.first * 16 - view.verticalScrollBar()->value();
        EXPECT_GE(top, 0);
        EXPECT_LE(top + 16, view.viewport()->height());
    }
    QApplication::clipboard()->clear();
    view.OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("emp"));
    EXPECT_TRUE(view.FindNext(QStringLiteral("\\")));  // the "\" typed after "表", not its trail byte
    EXPECT_EQ(hit(), std::make_pair(1, 2));
    EXPECT_FALSE(view.FindNext(QStringLiteral("nowhere")));
}

// Tab completes from keywords and the connected database's dictionary; a
// second Tab that can add nothing lists the candidates.
TEST_F(CVantorViewTest, TabCompletesFromTheDictionary) {
    for (const char* line : {"CONNECT a/b", "CREATE TABLE employees (emp_id NUMBER, ename VARCHAR2(10));",
                             "CREATE VIEW emp_names AS SELECT ename FROM employees;"}) {
        Type(line);
        Key(Qt::Key_Return);
    }
    Play("sel Tab ~emp_ Tab");
    EXPECT_EQ(InputLine(), "SQL> select emp_");
    EXPECT_TRUE(view.GetCompletionList().isEmpty());
    Key(Qt::Key_Tab);
    EXPECT_EQ(view.GetCompletionList(), QStringList({QStringLiteral("emp_id"), QStringLiteral("emp_names")}));
    Play("i Tab ~FROM~EMPL Tab");
    EXPECT_EQ(InputLine(), "SQL> select emp_id FROM EMPLOYEES");
}

// Ctrl+R finds older entries holding the text typed since; Esc gives the
// line back, any other key takes the entry found.
TEST_F(CVantorViewTest, CtrlRSearchesTheHistoryBackwards) {
    Play("REM~alpha Ret REM~beta Ret REM~alphabet Ret half");
    QSignalSpy notes(&view, &CVantorView::StatusNote);
    const struct {
        const char* steps;
        const char* line;
        bool searching;
    } steps[] = {
        {"C-R alp", "SQL> REM alphabet", true},
        {"C-R", "SQL> REM alpha", true},
        {"C-R", "SQL> REM alpha", true},  // nothing older
        {"Bksp Bksp", "SQL> REM alphabet", true},
        {"Esc", "SQL> half", false},
        {"C-R beta End x", "SQL> REM betax", false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.steps);
        Play(step.steps);
        EXPECT_EQ(InputLine(), step.line);
        EXPECT_EQ(view.IsSearchingHistory(), step.searching);
    }
    ASSERT_FALSE(notes.isEmpty());
    EXPECT_TRUE(notes.back().at(0).toString().isEmpty());
    Play("C-R alpha Ret");
    EXPECT_EQ(Editor().GetHistory().back(), "REM alphabet");
}

// The context menu copies, pastes, selects all, and copies the query result
// under the pointer as a table.
TEST_F(CVantorViewTest, ContextMenuCopiesAResultAsATable) {
    for (const char* line :
         {"CONNECT a/b", "SELECT 'it''s' AS v, 12 AS n FROM dual UNION ALL SELECT 'z', 3 FROM dual;"}) {
        Type(line);
        Key(Qt::Key_Return);
    }
    int row = -1;
    for (int i = 0; i < Editor().GetLineCount(); ++i)
        if (Editor().GetLine(i).rfind("it's", 0) == 0) row = i;
    ASSERT_GT(row, 0) << Editor().GetLine(3);
    std::unique_ptr<QMenu> menu(view.CreateContextMenu(row));
    QStringList labels;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) labels << action->text();
    EXPECT_EQ(labels, QStringList({QString::fromUtf8("ｺﾋﾟｰ(&C)"), QString::fromUtf8("貼り付け(&P)"),
                                   QString::fromUtf8("すべて選択(&A)"),
                                   QString::fromUtf8("結果を表としてｺﾋﾟｰ(&T)")}));
    QAction* table = menu->actions().back();
    ASSERT_TRUE(table->isEnabled());
    table->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("V\tN\nit's\t12\nz\t3"));
    std::unique_ptr<QMenu> none(view.CreateContextMenu(0));
    EXPECT_FALSE(none->actions().back()->isEnabled());
    EXPECT_FALSE(view.CopyResultAsTable(0));
}

// The line being typed is coloured; the console's lines keep black and blue.
TEST_F(CVantorViewTest, OnlyTheInputLineIsColoured) {
    Play("select~'x'~--~c Ret select~'x'~--~c");
    const QImage image = Render(view);
    // Pixels of a cell near `colour` (glyph edges are blended with white).
    const auto inked = [&](int column, int row, const QColor& colour) {
        int count = 0;
        for (int y = row * 16; y < row * 16 + 16; ++y)
            for (int x = column * 8; x < column * 8 + 8; ++x) {
                const QColor c = image.pixelColor(x, y);
                count += std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
                         std::abs(c.blue() - colour.blue()) < 40;
            }
        return count;
    };
    const int input = Editor().GetLineCount() - 1;
    EXPECT_GT(inked(5, input, CConsolePainter::kKeywordColor), 0);
    EXPECT_GT(inked(13, input, CConsolePainter::kQuotedColor), 0);
    EXPECT_GT(inked(19, input, CConsolePainter::kCommentColor), 0);
    EXPECT_EQ(
        inked(5, input, CConsolePainter::kPromptColor) + inked(0, input, CConsolePainter::kKeywordColor), 0);
    for (int column : {5, 13, 19}) {
        EXPECT_GT(inked(column, 0, CConsolePainter::kPromptColor), 0) << column;
        EXPECT_EQ(inked(column, 0, CConsolePainter::kKeywordColor) +
                      inked(column, 0, CConsolePainter::kQuotedColor) +
                      inked(column, 0, CConsolePainter::kCommentColor),
                  0)
            << column;
    }
}

TEST_F(CVantorViewTest, RenderingShowsColoursAndSelectionInTheirCells) {
    Type("DEFINE");
    Key(Qt::Key_Return);  // answers with a usage line in the output colour
    Type("ABCD");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    const int input = Editor().GetLineCount() - 1;
    ASSERT_GE(input, 2);
    ASSERT_FALSE(Editor().IsPromptLine(1));
    const QImage image = Render(view);

    CellInk prompt = Ink(image, 0, 0);  // "S" of the prompt line
    EXPECT_GT(prompt.black, 0);
    EXPECT_EQ(prompt.blue, 0);
    bool outputInk = false;
    for (int column = 0; column < 10; ++column) {
        CellInk output = Ink(image, column, 1);
        EXPECT_EQ(output.black, 0) << column;
        outputInk = outputInk || output.blue > 0;
    }
    EXPECT_TRUE(outputInk);
    // "C" and "D" (columns 7 and 8) are selected: white on black.
    for (int column : {7, 8}) {
        CellInk cell = Ink(image, column, input);
        EXPECT_GT(cell.black, cell.total / 2) << column;
        EXPECT_GT(cell.white, 0) << column;
    }
    for (int column : {5, 6}) {
        CellInk cell = Ink(image, column, input);
        EXPECT_GT(cell.white, cell.total / 2) << column;
        EXPECT_GT(cell.black, 0) << column;
    }
    // Nothing is drawn right of the blank after the text.
    EXPECT_EQ(Ink(image, 12, input).white, 128);
}

// Black pixels of the viewport image within `area`.
int BlackIn(const QImage& image, const QRect& area) {
    int black = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            black += c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    return black;
}

void SendFocus(CVantorView& view, QEvent::Type type) {
    QFocusEvent event(type, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &event);
}

// Zoomed, every character still takes its cells: one for a byte, two for a
// double-byte character, and the caret and clicks follow.
TEST_F(CVantorViewTest, ZoomKeepsDoubleByteCharactersTwoCellsWide) {
    SendFocus(view, QEvent::FocusIn);
    Commit(QString::fromUtf8("a漢b"));
    for (int step : {2, 5, 8}) {
        SCOPED_TRACE(step);
        view.SetZoom(step, QString());
        const int w = view.GetCharWidth();
        const int h = view.GetLineHeight();
        EXPECT_EQ(h, CVantorView::kZoomHeights[step]);
        EXPECT_EQ(w * 2, h);
        const QFontMetrics metrics(view.GetPainter().GetFont());
        EXPECT_LE(metrics.horizontalAdvance(QLatin1Char('M')), w);
        EXPECT_LE(metrics.horizontalAdvance(QString::fromUtf8("漢")), 2 * w);
        EXPECT_EQ(view.GetCaretX(), 9 * w);
        const QImage image = Render(view);
        const int top = view.GetCaretY();
        EXPECT_GT(BlackIn(image, QRect(6 * w, top, 2 * w, h)), 0);   // 漢
        EXPECT_GT(BlackIn(image, QRect(8 * w, top, w - 1, h)), 0);   // b
        EXPECT_EQ(BlackIn(image, QRect(10 * w, top, 4 * w, h)), 0);  // nothing after
    }
    view.SetZoom(99, QString());
    EXPECT_EQ(view.GetZoom(), static_cast<int>(std::size(CVantorView::kZoomHeights)) - 1);
}

TEST_F(CVantorViewTest, ThePromptStaysInViewAfterWideLines) {
    const struct {
        const char* name;
        std::function<void()> steps;
    } cases[] = {
        {"wide line submitted", [&] { Play("REM~" + std::string(100, 'x') + " Ret"); }},
        {"Home on a long line", [&] { Play(std::string(150, 'y') + " Home"); }},
        {"cleared after a long line",
         [&] {
             Type(std::string(150, 'z').c_str());
             view.OnEditClear();
         }},
        {"key after a manual scroll",
         [&] {
             Play("REM~" + std::string(200, 'w') + " Ret");
             view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
             Type("a");
         }},
    };
    for (const auto& c : cases) {
        view.OnEditClear();
        c.steps();
        EXPECT_EQ(view.horizontalScrollBar()->value(), 0) << c.name;
        EXPECT_EQ(view.GetCaretX(), CaretColumn() * 8) << c.name;
        const QImage image = Render(view);
        // "S" of the prompt in the first cell of the caret's row.
        EXPECT_GT(BlackIn(image, QRect(0, view.GetCaretY(), 8, 16)), 0) << c.name;
    }
}

TEST_F(CVantorViewTest, TheCaretShowsWithFocusBlinksAndMovesWithItsLine) {
    for (int i = 0; i < 40; ++i) Play("REM~line Ret");
    SendFocus(view, QEvent::FocusOut);
    EXPECT_FALSE(view.IsCaretShown());
    SendFocus(view, QEvent::FocusIn);
    EXPECT_TRUE(view.IsCaretShown());
    const QRect caret(view.GetCaretX(), view.GetCaretY(), 2, 16);
    EXPECT_EQ(BlackIn(Render(view), caret), 32);
    if (QApplication::cursorFlashTime() > 0) {
        QTest::qWait(QApplication::cursorFlashTime() / 2 + 100);
        EXPECT_FALSE(view.IsCaretShown()) << "the caret blinks";
        Type("a");
        EXPECT_TRUE(view.IsCaretShown()) << "a key shows it again";
        Key(Qt::Key_Backspace);
    }
    // Scrolled away, the caret goes with its line instead of floating.
    view.verticalScrollBar()->setValue(0);
    EXPECT_EQ(view.GetCaretY(), 40 * 16);
    EXPECT_FALSE(view.IsCaretShown());
    EXPECT_LT(BlackIn(Render(view), caret), 32);
    view.verticalScrollBar()->setValue(16);
    EXPECT_EQ(view.GetCaretY(), 39 * 16);
    SendFocus(view, QEvent::FocusOut);
    EXPECT_FALSE(view.IsCaretShown());
}

// A window that shrinks or grows keeps the input line at its bottom and
// fills the space above with earlier lines.
TEST_F(CVantorViewTest, ResizingKeepsTheInputLineAtTheBottom) {
    for (int i = 0; i < 40; ++i) Play("REM~line Ret");
    for (int height : {120, 60, 300, 40, 200, 500}) {
        view.resize(400, height);
        QApplication::processEvents();
        const int bottom = view.viewport()->height();
        EXPECT_GT(view.GetCaretY() + 16, bottom - 16) << height;
        EXPECT_LE(view.GetCaretY() + 16, bottom) << height;
    }
    view.resize(400, 2000);  // taller than the console: it starts at the top
    QApplication::processEvents();
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_EQ(view.GetCaretY(), 40 * 16);
    // Scrolled away on purpose, a resize leaves the user where they were.
    view.resize(400, 300);
    QApplication::processEvents();
    view.verticalScrollBar()->setValue(0);
    view.resize(400, 30);
    QApplication::processEvents();
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
}

TEST_F(CVantorViewTest, CompositionIsShownInlineUntilCommitted) {
    Type("ab");
    Key(Qt::Key_Left);
    SendFocus(view, QEvent::FocusIn);
    // "にほん" under composition, the input method's cursor after "にほ".
    QInputMethodEvent compose(QString::fromUtf8("にほん"), {{QInputMethodEvent::Cursor, 2, 1, QVariant()}});
    QApplication::sendEvent(&view, &compose);
    EXPECT_EQ(InputLine(), "SQL> ab");
    EXPECT_EQ(view.GetPreedit(), QString::fromUtf8("にほん"));
    EXPECT_EQ(view.GetCaretX(), (6 + 4) * 8);
    const QRect cursor = static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(cursor.x() - view.viewport()->x(), (6 + 4) * 8);
    EXPECT_EQ(static_cast<QWidget&>(view).inputMethodQuery(Qt::ImSurroundingText).toString(),
              QStringLiteral("ab"));
    EXPECT_EQ(static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    const QImage image = Render(view);
    // Underlined over its six cells (but where the caret inverts it); "b"
    // moved right of the composition.
    EXPECT_EQ(BlackIn(image, QRect(6 * 8, 15, 4 * 8, 1)), 4 * 8);
    EXPECT_EQ(BlackIn(image, QRect(10 * 8 + 2, 15, 2 * 8 - 2, 1)), 2 * 8 - 2);
    EXPECT_GT(BlackIn(image, QRect(12 * 8, 0, 8, 15)), 0);

    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("日本"));
    QApplication::sendEvent(&view, &commit);
    EXPECT_EQ(InputLine(),
              "SQL> a\x93\xfa\x96\x7b"
              "b");
    EXPECT_TRUE(view.GetPreedit().isEmpty());
    EXPECT_EQ(static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorPosition).toInt(), 3);
}

// A composition as the input method formats it: the first segment
// underlined, the second highlighted, the caret where the method puts it.
QInputMethodEvent Composition(const QString& text, int cursor, int converted, int convertedLength,
                              bool caretShown = true) {
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    QTextCharFormat highlight;
    highlight.setBackground(QColor(0, 120, 215));
    highlight.setForeground(Qt::white);
    return QInputMethodEvent(text,
                             {{QInputMethodEvent::TextFormat, 0, static_cast<int>(text.size()), underline},
                              {QInputMethodEvent::TextFormat, converted, convertedLength, highlight},
                              {QInputMethodEvent::Cursor, cursor, caretShown ? 1 : 0, QVariant()}});
}

int HighlightIn(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == QColor(0, 120, 215);
    return count;
}

TEST_F(CVantorViewTest, CompositionSegmentsAreDrawnAsTheInputMethodFormatsThem) {
    SendFocus(view, QEvent::FocusIn);
    // "きょうは": "きょ" underlined (cells 5-8), "うは" being converted (cells 9-12).
    QInputMethodEvent compose = Composition(QString::fromUtf8("きょうは"), 2, 2, 2);
    QApplication::sendEvent(&view, &compose);
    EXPECT_EQ(view.GetCaretX(), (5 + 4) * 8);
    EXPECT_TRUE(view.IsCaretShown());
    const QImage image = Render(view);
    const int row = view.GetCaretY();
    const QRect converted(9 * 8 + 2, row, 4 * 8 - 2, 16);
    EXPECT_GT(HighlightIn(image, converted), converted.width() * 16 / 2);
    EXPECT_EQ(HighlightIn(image, QRect(5 * 8, row, 4 * 8, 16)), 0);
    EXPECT_EQ(BlackIn(image, QRect(5 * 8, row + 15, 4 * 8, 1)), 4 * 8);  // underlined
    EXPECT_EQ(BlackIn(image, QRect(9 * 8 + 2, row + 15, 4 * 8 - 2, 1)), 0);

    QInputMethodEvent hidden = Composition(QString::fromUtf8("きょうは"), 4, 0, 2, false);
    QApplication::sendEvent(&view, &hidden);
    EXPECT_FALSE(view.IsCaretShown());
    EXPECT_GT(HighlightIn(Render(view), QRect(5 * 8 + 2, row, 4 * 8 - 2, 16)), 0);
}

// Near the right edge the whole composition is scrolled into view with the
// caret, and the cursor rectangle the input method reads follows scrolling.
TEST_F(CVantorViewTest, CompositionNearTheRightEdgeStaysInViewAndTheCursorRectangleFollows) {
    SendFocus(view, QEvent::FocusIn);
    Type("SELECT~aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa");
    const QString text = QString::fromUtf8("あいうえおかきくけこ");
    for (int cursor : {0, 4, 10}) {
        SCOPED_TRACE(cursor);
        QInputMethodEvent compose = Composition(text, cursor, cursor, 2);
        QApplication::sendEvent(&view, &compose);
        const int scroll = view.horizontalScrollBar()->value();
        const int start = CaretColumn() * 8 - scroll;
        EXPECT_GE(start, 0);
        EXPECT_LE(start + 20 * 8, view.viewport()->width());
        const QRect cursorRect = static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorRectangle).toRect();
        EXPECT_EQ(cursorRect.x() - view.viewport()->x(), start + 2 * cursor * 8);
    }
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value() - 40);
    const QRect after = static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(after.x() - view.viewport()->x(), view.GetCaretX());
}

// A composition interrupted by losing focus (a dialog) is dropped.
TEST_F(CVantorViewTest, LosingFocusDropsTheComposition) {
    SendFocus(view, QEvent::FocusIn);
    QInputMethodEvent compose = Composition(QString::fromUtf8("にほん"), 3, 0, 3);
    QApplication::sendEvent(&view, &compose);
    ASSERT_FALSE(view.GetPreedit().isEmpty());
    SendFocus(view, QEvent::FocusOut);
    EXPECT_TRUE(view.GetPreedit().isEmpty());
    EXPECT_EQ(view.GetCaretX(), 5 * 8);
    Type("x");
    EXPECT_EQ(InputLine(), "SQL> x");
}

}  // namespace

namespace {

class TraceTest : public ::testing::Test {
protected:
    TraceTest() { apptest::Application(); }
    ~TraceTest() override { unsetenv("TARVEX_TRACE"); }
    testfiles::ScratchDir files;
};

TEST_F(TraceTest, TheTraceNamedByTheEnvironmentLogsTheUpdateSteps) {
    const std::string path = files.Write("trace.log", "old contents\r\n");
    setenv("TARVEX_TRACE", path.c_str(), 1);
    CVantorDoc document;
    CVantorView view(document);
    view.OnInitialUpdate();
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClicks(&view, QStringLiteral("a"));
    EXPECT_EQ(testfiles::Read(path),
              "OnUpdate\r\nUpdateScrollSize()\r\nOnInitialUpdate()\r\nUpdateScrollSize()\r\nUpdateScrollSize("
              ")\r\n");
}

TEST_F(TraceTest, NoTraceWithoutTheVariableAndAnUnwritableOneIsHarmless) {
    unsetenv("TARVEX_TRACE");
    CVantorDoc quiet;
    CVantorView quietView(quiet);
    quietView.OnInitialUpdate();
    setenv("TARVEX_TRACE", files.Path("no/such/dir/trace.log").c_str(), 1);
    CVantorDoc document;
    CVantorView view(document);
    view.OnInitialUpdate();
    QTest::keyClicks(&view, QStringLiteral("ok"));
    EXPECT_EQ(document.GetEditor()->GetLine(0), "SQL> ok");
    EXPECT_FALSE(std::filesystem::exists(files.Path("no")));
}

}  // namespace
