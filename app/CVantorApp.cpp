#include "app/CVantorApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "app/CConsolePrinter.h"
#include "app/CMainFrame.h"
#include "app/CVantorDoc.h"
#include "batch/CBatchRunner.h"

namespace {

constexpr char kProgram[] = "tarvex";

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

void CVantorApp::SetNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Brenmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvex"));
}

int CVantorApp::LoadTranslations(QCoreApplication& application) {
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    int loaded = 0;
    // Note: the program speaks Japanese whatever the desktop's language, so
    // Qt's own dialogs do too.
    for (const char* name : {"qtbase_ja"}) {
        auto* translator = new QTranslator(&application);
        if (translator->load(QString::fromLatin1(name), directory)) {
            QCoreApplication::installTranslator(translator);
            ++loaded;
        } else {
            delete translator;
        }
    }
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    return loaded;
}

QIcon CVantorApp::AppIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(1, 3, 30, 26), Qt::black);
    painter.fillRect(QRect(3, 5, 26, 22), Qt::white);
    painter.setPen(QColor(0, 0, 255));
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(3, 5, 26, 22), Qt::AlignCenter, QStringLiteral("SQL"));
    painter.end();
    return QIcon(pixmap);
}

bool CVantorApp::HasDisplay() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

int CVantorApp::RunPdf(const CLaunchOptions& options) {
    // Note: printing needs fonts but no screen; the offscreen platform
    // serves whether or not a display exists.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings (no runtime directory, a painter that could not
    // start) would only repeat the message given below.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) std::cerr << kProgram << ": " << message.toStdString() << "\n";
    });
    int argc = 1;
    char name[] = "tarvex";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    SetNames();
    CBatchRunner runner;
    int status = runner.Run(options.files, std::cin, std::cout, std::cerr);
    if (!CConsolePrinter::WritePdf(QString::fromStdString(options.pdf), runner.GetEditor())) {
        std::cerr << kProgram << ": PDF ファイルを書き込めません: " << options.pdf << "\n";
        return 1;
    }
    return status;
}

int CVantorApp::RunWindow(int argc, char** argv, const CLaunchOptions& options) {
    if (!HasDisplay()) {
        std::cerr << kProgram << ": ウィンドウを開く画面がありません。--batch で実行してください。\n"
                  << CLaunchOptions::Usage();
        return 1;
    }
    QApplication application(argc, argv);
    SetNames();
    LoadTranslations(application);
    QApplication::setWindowIcon(AppIcon());
    CVantorDoc document;
    CMainFrame frame(document);
    // Note: shown before the replay, so the view scrolls within its real size.
    frame.show();
    frame.activateWindow();
    QApplication::processEvents();
    for (const auto& file : options.files) {
        if (frame.IsCloseRequested()) break;
        frame.OpenDocumentFile(QString::fromStdString(file));
    }
    if (!options.screenshot.empty()) {
        QString path = QString::fromStdString(options.screenshot);
        QTimer::singleShot(500, &frame, [&frame, path] {
            frame.grab().save(path);
            frame.close();
        });
    }
    return application.exec();
}

int CVantorApp::Main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CLaunchOptions options = CLaunchOptions::Parse(args);
    // Note: --batch without a printout never touches the window system.
    if (!options.NeedsWindow()) return options.RunWithoutWindow(args, std::cin, std::cout, std::cerr);
    if (!options.pdf.empty()) return RunPdf(options);
    return RunWindow(argc, argv, options);
}
