#include <gtest/gtest.h>

#include <QClipboard>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

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
    QPoint CellCenter(int column) const {
        return QPoint(column * 8 + 4 - view.horizontalScrollBar()->value(), view.GetCaretY() + 8);
    }

    CVantorDoc document;
    CVantorView view;
};

struct KeyCase {
    const char* name;
    const char* typed;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* line;
    int caret;
    const char* selected;
};

TEST_F(CVantorViewTest, KeysMakeTheirModelCalls) {
    const KeyCase cases[] = {
        {"backspace", "abc", Qt::Key_Backspace, Qt::NoModifier, "SQL> ab", 7, ""},
        {"left", "abc", Qt::Key_Left, Qt::NoModifier, "SQL> abc", 7, ""},
        {"shift left", "abc", Qt::Key_Left, Qt::ShiftModifier, "SQL> abc", 7, "c"},
        {"home", "abc", Qt::Key_Home, Qt::NoModifier, "SQL> abc", 5, ""},
        {"shift home", "abc", Qt::Key_Home, Qt::ShiftModifier, "SQL> abc", 5, "abc"},
        {"end after home", "abc", Qt::Key_End, Qt::NoModifier, "SQL> abc", 8, ""},
        {"delete at end", "abc", Qt::Key_Delete, Qt::NoModifier, "SQL> abc", 8, ""},
        {"tab", "abc", Qt::Key_Tab, Qt::NoModifier, "SQL> abc", 8, ""},
        {"escape", "abc", Qt::Key_Escape, Qt::NoModifier, "SQL> abc", 8, ""},
        {"page up", "abc", Qt::Key_PageUp, Qt::NoModifier, "SQL> abc", 8, ""},
        {"control letter", "abc", Qt::Key_B, Qt::ControlModifier, "SQL> abc", 8, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        document.OnNewDocument();
        Type(c.typed);
        Key(c.key, c.modifiers);
        EXPECT_EQ(InputLine(), c.line);
        EXPECT_EQ(CaretColumn(), c.caret);
        EXPECT_EQ(Editor().GetSelectedText(), c.selected);
    }
}

TEST_F(CVantorViewTest, TypingInTheMiddleInsertsAtTheCaret) {
    Type("ace");
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Type("b");
    EXPECT_EQ(InputLine(), "SQL> abce");
    EXPECT_EQ(CaretColumn(), 7);
    Key(Qt::Key_Delete);
    EXPECT_EQ(InputLine(), "SQL> abe");
}

TEST_F(CVantorViewTest, InsertTogglesOverwriteAndReportsIt) {
    QSignalSpy spy(&view, &CVantorView::OverwriteChanged);
    Type("abc");
    Key(Qt::Key_Home);
    Key(Qt::Key_Insert);
    Type("X");
    EXPECT_EQ(InputLine(), "SQL> Xbc");
    Key(Qt::Key_Insert);
    Type("Y");
    EXPECT_EQ(InputLine(), "SQL> XYbc");
    ASSERT_EQ(spy.count(), 2);
    EXPECT_TRUE(spy.at(0).at(0).toBool());
    EXPECT_FALSE(spy.at(1).at(0).toBool());
}

TEST_F(CVantorViewTest, EnterSubmitsAndUpDownRecall) {
    Type("REM one");
    Key(Qt::Key_Return);
    Type("REM second");
    Key(Qt::Key_Enter);
    EXPECT_EQ(Editor().GetLineCount(), 3);
    EXPECT_EQ(Editor().GetLine(0), "SQL> REM one");
    EXPECT_EQ(InputLine(), "SQL> ");
    Key(Qt::Key_Up);
    EXPECT_EQ(InputLine(), "SQL> REM second");
    Key(Qt::Key_Up);
    EXPECT_EQ(InputLine(), "SQL> REM one");
    Key(Qt::Key_Down);
    EXPECT_EQ(InputLine(), "SQL> REM second");
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
    for (int i = 0; i < 40; ++i) {
        Type("REM line");
        Key(Qt::Key_Return);
    }
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
        {"山田", 8, 7},                             // inside a double-byte character: before it
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
    Type("REM a");
    Key(Qt::Key_Return);
    Type("abc");
    Key(Qt::Key_Home);
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
    Key(Qt::Key_Left);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_EQ(Editor().GetSelectedText(), "b\x8e\x52");
    view.OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("b山"));
    EXPECT_FALSE(Editor().HasSelection());
    EXPECT_EQ(InputLine(),
              "SQL> ab\x8e\x52"
              "c");
    Key(Qt::Key_Home, Qt::ShiftModifier);
    view.OnEditCut();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("a"));
    EXPECT_EQ(InputLine(),
              "SQL> b\x8e\x52"
              "c");
}

TEST_F(CVantorViewTest, PasteInsertsTheClipboardOnce) {
    QApplication::clipboard()->setText(QString::fromUtf8("a\r\n山€"));
    Type("x");
    view.OnEditPaste();
    EXPECT_EQ(InputLine(), "SQL> xa\r\n\x8e\x52?");
    view.OnEditUndo();
    EXPECT_EQ(InputLine(), "SQL> x");
    QApplication::clipboard()->setText(QString::fromUtf8("p") + QChar(0) + QString::fromUtf8("q"));
    view.OnEditPaste();
    EXPECT_EQ(InputLine(), "SQL> xp");
}

TEST_F(CVantorViewTest, AcceleratorKeysNeverReachTheKeyTable) {
    Type("abc");
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    Key(Qt::Key_Backspace, Qt::AltModifier);
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(InputLine(), "SQL> abc");
    EXPECT_FALSE(Editor().IsOverwrite());
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

TEST_F(CVantorViewTest, RenderingShowsColoursAndSelectionInTheirCells) {
    Type("DEFINE");
    Key(Qt::Key_Return);  // answers with a usage line in the output colour
    Type("ABCD");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    const int input = Editor().GetLineCount() - 1;
    ASSERT_GE(input, 2);
    ASSERT_FALSE(Editor().IsPromptLine(1));
    const QImage image = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

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

TEST_F(CVantorViewTest, TheCaretIsTwoPixelsWideAtTheInputPosition) {
    view.activateWindow();
    view.setFocus();
    QApplication::setActiveWindow(&view);
    if (!view.hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
    Type("ab");
    const QImage image = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int x = view.GetCaretX();
    EXPECT_EQ(x, 7 * 8);
    // The caret inverts its strip: a white cell turns black there.
    EXPECT_EQ(image.pixelColor(x, 4), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(x + 1, 12), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(x + 2, 1), QColor(Qt::white));
}

}  // namespace

namespace {

class TraceTest : public ::testing::Test {
protected:
    TraceTest() { apptest::Application(); }
    ~TraceTest() override { unsetenv("TARVEX_TRACE"); }
    apptest::TempFiles files;
};

TEST_F(TraceTest, TheTraceNamedByTheEnvironmentLogsTheUpdateSteps) {
    const std::string path = files.Write("trace.log", "old contents\r\n");
    setenv("TARVEX_TRACE", path.c_str(), 1);
    CVantorDoc document;
    CVantorView view(document);
    view.OnInitialUpdate();
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClicks(&view, QStringLiteral("a"));
    EXPECT_EQ(apptest::TempFiles::Read(path),
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
