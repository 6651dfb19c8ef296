#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <sstream>

#include "app/CPrintPreviewDlg.h"
#include "console/CSQLEditor.h"
#include "tests/app/AppTestSupport.h"

namespace {

QPageLayout A4() { return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()); }

// Ink (non-white pixels) in a band of the image, as a fraction of its height.
int InkRows(const QImage& image, double from, double to) {
    int rows = 0;
    for (int y = static_cast<int>(image.height() * from); y < static_cast<int>(image.height() * to); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 235) {
                ++rows;
                break;
            }
    return rows;
}

TEST(CPrintPreviewDlgTest, OnlyThePagesOnScreenAreDrawn) {
    apptest::Application();
    CSQLEditor editor;
    std::string text;
    for (int i = 1; i < 450; ++i) text += "REM " + std::to_string(i) + "\n";
    std::istringstream script(text);
    editor.Load(script);
    ASSERT_EQ(editor.GetLineCount(), 450);
    CPrintPreviewDlg dialog(editor, A4(), 1);
    dialog.show();
    dialog.grab();
    EXPECT_EQ(dialog.GetPageCount(), 3);
    EXPECT_EQ(dialog.GetPagesDrawn(), 1);
    dialog.NextPage();
    dialog.grab();
    EXPECT_EQ(dialog.GetPage(), 2);
    EXPECT_EQ(dialog.GetPagesDrawn(), 2);
    dialog.NextPage();
    dialog.NextPage();  // stays on the last page
    EXPECT_EQ(dialog.GetPage(), 3);
    dialog.SetPagesShown(2);
    EXPECT_EQ(dialog.GetPage(), 2);  // the last two pages
    dialog.SetZoom(5);
    EXPECT_EQ(dialog.GetZoom(), CPrintPreviewDlg::kZoomSteps - 1);

    // Page 3, small as in a fitted preview, holds 50 lines at the top and
    // the footer at the bottom.
    const QImage page = dialog.PageImage(3, QSize(420, 595)).toImage();
    EXPECT_GT(InkRows(page, 0.0, 0.2), 0);
    EXPECT_EQ(InkRows(page, 0.3, 0.9), 0);
    EXPECT_GT(InkRows(page, 0.9, 1.0), 0);
}

}  // namespace
