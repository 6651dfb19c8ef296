#pragma once

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>
#include <string>

#include "app/CVantorApp.h"
#include "tests/support/TempDir.h"

namespace apptest {

// The one application object of the test program, on the offscreen
// platform, with settings and databases in a directory of its own.
inline QApplication& Application() {
    static QApplication* application = [] {
        static TempHome home;
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "tests_app";
        static char* argv[] = {name, nullptr};
        auto* app = new QApplication(argc, argv);
        CVantorApp::SetNames();
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(home.Path("settings")));
        return app;
    }();
    return *application;
}

}  // namespace apptest
