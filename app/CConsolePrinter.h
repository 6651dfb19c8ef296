#pragma once

#include <QString>

class CSQLEditor;
class QPagedPaintDevice;

// Prints the console in blocks of 200 lines a page. Pages are laid out on a
// grid of 300 dots per inch (16 dots a line, 8 a column, the footer at
// (1150, 3350)) scaled to the device, so a page looks the same on any
// printer.
class CConsolePrinter {
public:
    static constexpr int kGridDpi = 300;

    // line count / 200 + 1: a console of exactly 200 lines has a second
    // page that carries only its footer.
    static int PageCount(int lineCount);
    // Device units per grid dot: the device resolution over 300, reduced
    // when the page is too short to hold the footer.
    static double Scale(const QPagedPaintDevice& device);
    // The same for a page `pageHeight` units high at `dotsPerInch`.
    static double Scale(double dotsPerInch, double pageHeight);
    // Pages fromPage..toPage (from 1, clamped to the page count). False when
    // the device could not be painted on.
    static bool Print(QPagedPaintDevice& device, const CSQLEditor& editor, int fromPage, int toPage);
    // Every page into the PDF file `path` (A4, no margins).
    static bool WritePdf(const QString& path, const CSQLEditor& editor);
};
