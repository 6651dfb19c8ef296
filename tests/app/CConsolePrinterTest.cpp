#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QTextItem>
#include <vector>

#include "app/CConsolePainter.h"
#include "app/CConsolePrinter.h"
#include "console/CSQLEditor.h"
#include "tests/app/AppTestSupport.h"

namespace {

struct DrawnText {
    QString text;
    QPointF position;  // baseline start in device units
    QColor color;
};

// A paint device that keeps every text drawn on it.
class TextRecorder : public QPaintDevice {
public:
    std::vector<DrawnText> texts;

    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    // A4 at 300 dpi.
    int metric(PaintDeviceMetric m) const override {
        const bool dpi = m == PdmDpiX || m == PdmDpiY || m == PdmPhysicalDpiX || m == PdmPhysicalDpiY;
        return m == PdmWidth                    ? 2480
               : m == PdmHeight                 ? 3508
               : dpi                            ? 300
               : m == PdmDepth                  ? 32
               : m == PdmDevicePixelRatio       ? 1
               : m == PdmDevicePixelRatioScaled ? static_cast<int>(devicePixelRatioFScale())
                                                : 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& owner) : m_owner(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            m_owner.texts.push_back({item.text(), painter()->transform().map(p), painter()->pen().color()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder& m_owner;
    };
    mutable Engine m_engine{*this};
};

// A console of `count` lines: comment lines echo as prompt lines.
void FillLines(CSQLEditor& editor, int count) {
    for (int i = 1; i < count; ++i) {
        editor.InsertText("REM " + std::to_string(i));
        editor.Submit();
    }
    ASSERT_EQ(editor.GetLineCount(), count);
}

std::vector<DrawnText> DrawPage(const CSQLEditor& editor, int page) {
    TextRecorder recorder;
    QPainter painter(&recorder);
    CConsolePainter(CConsolePainter::CreateFont()).PaintPage(painter, editor, page);
    painter.end();
    return recorder.texts;
}

// The texts drawn on one row, joined in cell order.
QString Row(const std::vector<DrawnText>& texts, double baseline) {
    QString row;
    for (const auto& t : texts)
        if (qAbs(t.position.y() - baseline) < 0.5) row += t.text;
    return row;
}

class CConsolePrinterTest : public ::testing::Test {
protected:
    CConsolePrinterTest() { apptest::Application(); }
    testfiles::ScratchDir files;
};

TEST_F(CConsolePrinterTest, PageCountIsLinesOver200PlusOne) {
    const std::pair<int, int> cases[] = {{1, 1},   {199, 1}, {200, 2}, {201, 2},
                                         {399, 2}, {400, 3}, {450, 3}, {0, 1}};
    for (const auto& [lines, pages] : cases) EXPECT_EQ(CConsolePrinter::PageCount(lines), pages) << lines;
}

TEST_F(CConsolePrinterTest, APageHoldsItsBlockOfLinesAndItsFooter) {
    CSQLEditor editor;
    FillLines(editor, 450);
    const int ascent = QFontMetrics(CConsolePainter::CreateFont()).ascent();
    const struct {
        int page;
        int firstLine;
        int lineCount;
    } cases[] = {{1, 0, 200}, {2, 200, 200}, {3, 400, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const auto texts = DrawPage(editor, c.page);
        EXPECT_EQ(Row(texts, ascent), QString::fromStdString(editor.GetLine(c.firstLine)));
        const double last = (c.lineCount - 1) * 16 + ascent;
        EXPECT_EQ(Row(texts, last), QString::fromStdString(editor.GetLine(c.firstLine + c.lineCount - 1)));
        EXPECT_TRUE(Row(texts, last + 16).isEmpty());
        const QString footer = QString::asprintf("- %d -", c.page);
        int footers = 0;
        for (const auto& t : texts) {
            EXPECT_EQ(t.color, QColor(Qt::black));
            if (t.text != footer) continue;
            ++footers;
            EXPECT_EQ(t.position, QPointF(1150, 3350 + ascent));
        }
        EXPECT_EQ(footers, 1);
    }
    CSQLEditor exact;  // an exact multiple of 200 leaves a page with only its footer
    FillLines(exact, 400);
    const auto texts = DrawPage(exact, 3);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, QStringLiteral("- 3 -"));
}

TEST_F(CConsolePrinterTest, DoubleByteCharactersTakeTwoCellsOnPaper) {
    CSQLEditor editor;
    editor.InsertText(
        "a\x8e\x52"
        "b");
    const auto texts = DrawPage(editor, 1);
    std::vector<std::pair<QString, double>> cells;
    for (const auto& t : texts)
        if (t.position.y() < 16) cells.emplace_back(t.text, t.position.x());
    ASSERT_EQ(cells.size(), 8u);  // "SQL> " then a, 山, b
    EXPECT_EQ(cells[5], std::make_pair(QStringLiteral("a"), 40.0));
    EXPECT_EQ(cells[6], std::make_pair(QString::fromUtf8("山"), 48.0));
    EXPECT_EQ(cells[7], std::make_pair(QStringLiteral("b"), 64.0));
}

TEST_F(CConsolePrinterTest, ScaleFollowsTheResolutionAndKeepsTheFooterOnShortPaper) {
    QPdfWriter a4(QString::fromStdString(files.Path("a4.pdf")));
    a4.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    a4.setResolution(600);
    EXPECT_DOUBLE_EQ(CConsolePrinter::Scale(a4), 2.0);
    a4.setResolution(300);
    EXPECT_DOUBLE_EQ(CConsolePrinter::Scale(a4), 1.0);

    QPdfWriter letter(QString::fromStdString(files.Path("letter.pdf")));
    letter.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    letter.setResolution(300);
    const double scale = CConsolePrinter::Scale(letter);
    EXPECT_LT(scale, 1.0);
    EXPECT_LE((3350 + 16) * scale, letter.height());
}

// Pages are drawn inside the printer's margins (10 mm at least), shrunk so
// that 200 lines, the footer and the grid's width fit within them.
TEST_F(CConsolePrinterTest, PagesFitInsideTheMargins) {
    const struct {
        QPageSize::PageSizeId paper;
        double margin;  // mm asked for before
        double kept;    // mm after
    } cases[] = {
        {QPageSize::A4, 0, 10}, {QPageSize::A4, 25, 25}, {QPageSize::Letter, 3, 10}, {QPageSize::A5, 0, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paper);
        QPdfWriter writer(QString::fromStdString(files.Path("margins.pdf")));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(c.paper), QPageLayout::Portrait,
                                         QMarginsF(c.margin, c.margin, c.margin, c.margin),
                                         QPageLayout::Millimeter));
        CConsolePrinter::UseMargins(writer);
        const QMarginsF margins = writer.pageLayout().margins(QPageLayout::Millimeter);
        EXPECT_NEAR(margins.left(), c.kept, 0.01);
        EXPECT_NEAR(margins.bottom(), c.kept, 0.01);
        EXPECT_EQ(writer.pageLayout().mode(), QPageLayout::StandardMode);
        const double scale = CConsolePrinter::Scale(writer);
        EXPECT_LE((3350 + 32) * scale, writer.height());
        EXPECT_LE(2400 * scale, writer.width());
        EXPECT_TRUE((3350 + 32) * scale > writer.height() - 2 || 2400 * scale > writer.width() - 2);
    }
}

}  // namespace
