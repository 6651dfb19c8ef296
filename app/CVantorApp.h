#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QString>
#include <string>
#include <vector>

// Start-up of the program: the window, or with --batch the console without
// one (--pdf also prints it into a PDF file).
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
    struct Options {
        bool batch = false;
        bool help = false;
        std::string pdf;
        std::string screenshot;
        std::vector<std::string> files;
        std::string error;
    };
    static Options Parse(const std::vector<std::string>& args);
    static int RunPdf(const Options& options);
    static int RunWindow(int argc, char** argv, const Options& options);
};
