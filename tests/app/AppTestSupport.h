#pragma once

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "app/CVantorApp.h"
#include "console/TestFiles.h"

namespace apptest {

// The one application object of the test program, on the offscreen
// platform, with settings and databases in a directory of its own.
inline QApplication& Application() {
    static QApplication* application = [] {
        static QTemporaryDir home;
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("TARVEX_HOME", QDir(home.path()).filePath("db").toLocal8Bit().constData(), 1);
        static int argc = 1;
        static char name[] = "tests_app";
        static char* argv[] = {name, nullptr};
        auto* app = new QApplication(argc, argv);
        CVantorApp::SetNames();
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QDir(home.path()).filePath("settings"));
        return app;
    }();
    return *application;
}

}  // namespace apptest
