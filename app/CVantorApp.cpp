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

constexpr char kUsage[] =
    "使用方法: tarvex [ファイル...]\n"
    "         tarvex --batch [--pdf 出力.pdf] [ファイル...]\n"
    "ウィンドウを開き、ファイルを入力として再生します。\n"
    "  --batch       ウィンドウを開かずに実行し、コンソールを UTF-8 で標準出力に書き出す\n"
    "  --pdf 出力    さらにコンソールを印刷して PDF ファイルに書き出す\n"
    "  --help        この説明を表示する\n";

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

CVantorApp::Options CVantorApp::Parse(const std::vector<std::string>& args) {
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if ((arg == "--pdf" || arg == "--screenshot") && i + 1 < args.size()) {
            (arg == "--pdf" ? options.pdf : options.screenshot) = args[++i];
        } else if (arg == "--pdf" || arg == "--screenshot") {
            options.error = "ファイル名がありません: " + arg;
        } else {
            options.error = "不明なオプションです: " + arg;
        }
        if (!options.error.empty()) break;
    }
    return options;
}

int CVantorApp::RunPdf(const Options& options) {
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

int CVantorApp::RunWindow(int argc, char** argv, const Options& options) {
    if (!HasDisplay()) {
        std::cerr << kProgram << ": ウィンドウを開く画面がありません。--batch で実行してください。\n"
                  << kUsage;
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
    std::vector<std::string> args(argv + 1, argv + argc);
    Options options = Parse(args);
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << kProgram << ": " << options.error << "\n" << kUsage;
        return 2;
    }
    if (!options.pdf.empty()) return RunPdf(options);
    // Note: the batch runner gets the command line as it was, so --batch
    // never touches the window system.
    if (options.batch) return CBatchRunner::Main(args, std::cin, std::cout, std::cerr);
    return RunWindow(argc, argv, options);
}
