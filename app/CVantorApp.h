#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QString>

#include "app/CLaunchOptions.h"

// Start-up of the window module: the window, or with --batch --pdf the
// console printed into a PDF file without one.
class CVantorApp {
public:
    // The whole program; returns the exit status.
    static int Main(int argc, char** argv);
    // Organisation and application names that the settings are kept under.
    static void SetNames();
    static QIcon AppIcon();
    // Installs Qt's own Japanese translations (standard dialogs and
    // buttons); returns how many catalogues were found.
    static int LoadTranslations(QCoreApplication& application);
    // True where a window can be shown: a display, or a Qt platform chosen
    // through QT_QPA_PLATFORM.
    static bool HasDisplay();

private:
    static int RunPdf(const CLaunchOptions& options);
    static int RunWindow(int argc, char** argv, const CLaunchOptions& options);
};
