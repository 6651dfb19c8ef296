#pragma once

#include <QString>

class CSQLEditor;
class QPagedPaintDevice;

// Prints the console in blocks of 200 lines a page. Pages are laid out on a
// grid of 300 dots per inch (16 dots a line, 8 a column, the footer at
// (1150, 3350)) scaled to the device, so a page looks the same on any
// printer; the grid is drawn inside the page's margins, shrunk to fit them.
class CConsolePrinter {
public:
    static constexpr int kGridDpi = 300;
    // The grid's width: 300 columns.
    static constexpr int kGridPageWidth = 2400;
    // Margins kept at least, where the printer asks for less.
    static constexpr double kMinimumMarginMm = 10.0;

    // line count / 200 + 1: a console of exactly 200 lines has a second
    // page that carries only its footer.
    static int PageCount(int lineCount);
    // Device units per grid dot: the device resolution over 300, reduced
    // when the printable area is too short to hold the footer or too narrow
    // for the grid.
    static double Scale(const QPagedPaintDevice& device);
    // The same for a printable area `pageHeight` by `pageWidth` units at
    // `dotsPerInch` (a width of 0 is not checked).
    static double Scale(double dotsPerInch, double pageHeight, double pageWidth = 0);
    // Pages drawn from the top left corner of the margins, which are at
    // least kMinimumMarginMm (the printer's own when larger).
    static void UseMargins(QPagedPaintDevice& device);
    // Pages fromPage..toPage (from 1, clamped to the page count). False when
    // the device could not be painted on.
    static bool Print(QPagedPaintDevice& device, const CSQLEditor& editor, int fromPage, int toPage);
    // Every page into the PDF file `path` (A4, within the margins).
    static bool WritePdf(const QString& path, const CSQLEditor& editor);
};
