#include "app/CConsolePrinter.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "app/CConsolePainter.h"
#include "console/CSQLEditor.h"

namespace {

// The footer's bottom edge on the grid, with a little room below it.
constexpr int kGridPageHeight = CConsolePainter::kFooterY + 2 * CConsolePainter::kLineHeight;

}  // namespace

int CConsolePrinter::PageCount(int lineCount) {
    return std::max(0, lineCount) / CConsolePainter::kLinesPerPage + 1;
}

double CConsolePrinter::Scale(const QPagedPaintDevice& device) {
    return Scale(device.logicalDpiY(), device.height(), device.width());
}

double CConsolePrinter::Scale(double dotsPerInch, double pageHeight, double pageWidth) {
    double scale = dotsPerInch / kGridDpi;
    // Note: on paper shorter than the grid (Letter, or any paper within its
    // margins) the page shrinks so that the footer is still printed.
    const double fit = pageHeight / kGridPageHeight;
    if (pageHeight > 0 && fit < scale) scale = fit;
    const double across = pageWidth / kGridPageWidth;
    if (pageWidth > 0 && across < scale) scale = across;
    return scale;
}

void CConsolePrinter::UseMargins(QPagedPaintDevice& device) {
    QPageLayout layout = device.pageLayout();
    layout.setMode(QPageLayout::StandardMode);
    const QMarginsF current = layout.margins(QPageLayout::Millimeter);
    const auto atLeast = [](double margin) { return std::max(margin, kMinimumMarginMm); };
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMargins(QMarginsF(atLeast(current.left()), atLeast(current.top()), atLeast(current.right()),
                                atLeast(current.bottom())));
    device.setPageLayout(layout);
}

bool CConsolePrinter::Print(QPagedPaintDevice& device, const CSQLEditor& editor, int fromPage, int toPage) {
    const int pages = PageCount(editor.GetLineCount());
    fromPage = std::clamp(fromPage, 1, pages);
    toPage = std::clamp(toPage, fromPage, pages);
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double scale = Scale(device);
    CConsolePainter consolePainter;
    for (int page = fromPage; page <= toPage; ++page) {
        if (page > fromPage && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.save();
        painter.scale(scale, scale);
        consolePainter.PaintPage(painter, editor, page);
        painter.restore();
    }
    return painter.end();
}

bool CConsolePrinter::WritePdf(const QString& path, const CSQLEditor& editor) {
    QPdfWriter writer(path);
    writer.setResolution(kGridDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    UseMargins(writer);
    writer.setCreator(QStringLiteral("Tarvex"));
    return Print(writer, editor, 1, PageCount(editor.GetLineCount()));
}
