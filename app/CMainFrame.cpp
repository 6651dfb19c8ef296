#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "app/CAboutDlg.h"
#include "app/CConsolePrinter.h"
#include "app/CEditBufferDlg.h"
#include "app/CHistoryFile.h"
#include "app/CPrintPreviewDlg.h"
#include "app/CVantorDoc.h"
#include "app/CVantorView.h"
#include "app/ToolBarIcons.h"
#include "commands/CConnectCommand.h"
#include "text/Encoding.h"

namespace {

constexpr char kTitle[] = "Tarvex";
constexpr char kFilter[] = "SQL ﾌｧｲﾙ (*.sql)";
constexpr char kUntitled[] = "無題";
constexpr char kReady[] = "ﾚﾃﾞｨ";
constexpr char kOverwrite[] = "上書";
constexpr char kRunning[] = "実行中";
constexpr char kAsking[] = "入力待ち (Enter: 確定  Esc: 中止)";
constexpr char kUncommitted[] = "コミットされていない変更があります。コミットしますか?";
constexpr char kClearQuestion[] = "コンソールの内容をすべて消去しますか?";
constexpr char kCommitFailed[] = "コミットできませんでした。";
constexpr char kOpenFailed[] = "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。";
constexpr char kSaveFailed[] = "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。";
constexpr char kRecentGroup[] = "Recent File List";
constexpr char kSettingsGroup[] = "Settings";
constexpr char kPreviewPages[] = "PreviewPages";
constexpr char kGeometry[] = "WindowGeometry";
constexpr char kZoom[] = "Zoom";
constexpr char kFontFamily[] = "FontFamily";

struct PaneRow {
    const char* name;
    const char* sizingText;  // the text that sets the pane's width
    const char* text;        // shown at start
};

constexpr PaneRow kPanes[CMainFrame::kPaneCount] = {
    {"message", "", kReady}, {"kana", "ｶﾅ", "ｶﾅ"},  {"overwrite", "      ", ""},
    {"caps", "CAP", "CAP"},  {"num", "NUM", "NUM"}, {"scroll", "SCRL", "SCRL"},
};

// Lock keys and their indicator panes, by the modifier bits an X server
// reports with each key (Lock, Mod2).
struct LockRow {
    quint32 mask;
    int pane;
};
constexpr LockRow kLockKeys[] = {{0x02, 4}, {0x10, 5}};

// Commands that touch the console and wait while a statement runs.
constexpr CommandId kConsoleCommands[] = {
    CommandId::FileNew,   CommandId::FileOpen,         CommandId::FileSave,  CommandId::FileSaveAs,
    CommandId::FilePrint, CommandId::FilePrintPreview, CommandId::EditClear,
};

QString Utf8(const char* text) { return QString::fromUtf8(text); }

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

CMainFrame::CMainFrame(CVantorDoc& document, QWidget* parent) : QMainWindow(parent), m_document(document) {
    setWindowTitle(Utf8(kTitle));
    setAcceptDrops(true);
    m_view = new CVantorView(document, this);
    setCentralWidget(m_view);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    LoadRecentFiles();
    RebuildRecentMenu();
    connect(m_view, &CVantorView::EditStateChanged, this, &CMainFrame::UpdateEditCommands);
    connect(m_view, &CVantorView::OverwriteChanged, this, &CMainFrame::ShowOverwrite);
    connect(m_view, &CVantorView::StatusNote, this, [this](const QString& text) {
        if (!m_view->IsRunning()) GetPane(1)->setText(text.isEmpty() ? Utf8(kReady) : text);
    });
    QApplication::instance()->installEventFilter(this);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateEditCommands);
    connect(m_view, &CVantorView::RunStarted, this, [this] { ShowRunning(true); });
    connect(m_view, &CVantorView::AskingChanged, this, [this](bool asking) {
        GetPane(1)->setText(Utf8(asking ? kAsking : m_view->IsRunning() ? kRunning : kReady));
    });
    connect(m_view, &CVantorView::RunFinished, this, [this] {
        ShowRunning(false);
        UpdateTitle();
    });
    CSQLEditor* editor = document.GetEditor();
    editor->SetHost(this);
    editor->SetStopCheck([this] {
        m_view->PublishProgress();
        return m_closeRequested || m_view->IsCancelRequested();
    });
    SetHistoryPath(CHistoryFile::DefaultPath());
    // The zoom, font, size and place the window had when it was last closed.
    {
        QSettings settings;
        const int zoom =
            settings.value(Utf8(kSettingsGroup) + "/" + Utf8(kZoom), CVantorView::kDefaultZoom).toInt();
        const QString family = settings.value(Utf8(kSettingsGroup) + "/" + Utf8(kFontFamily)).toString();
        if (zoom != CVantorView::kDefaultZoom || !family.isEmpty()) m_view->SetZoom(zoom, family);
    }
    if (!restoreGeometry(QSettings().value(Utf8(kSettingsGroup) + "/" + Utf8(kGeometry)).toByteArray()))
        resize(800, 600);
    m_view->setFocus();
    m_view->OnInitialUpdate();
    UpdateEditCommands();
}

CMainFrame::~CMainFrame() {
    CSQLEditor* editor = m_document.GetEditor();
    editor->SetStopCheck({});
    editor->SetHost(nullptr);
}

void CMainFrame::CreateActions() {
    for (const auto& row : commands::Menu()) {
        if (row.command == CommandId::Separator || row.command == CommandId::FileMru) continue;
        auto* action = new QAction(Utf8(row.label), this);
        m_actions[row.command] = action;
    }
    for (CommandId command : {CommandId::NextPane, CommandId::PrevPane}) {
        auto* action = new QAction(this);
        addAction(action);
        m_actions[command] = action;
    }
    for (const auto& row : commands::Prompts()) {
        QAction* action = GetAction(row.command);
        if (action == nullptr) continue;
        const QString prompt = Utf8(row.prompt);
        action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
        action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
    }
    std::map<CommandId, QList<QKeySequence>> keys;
    for (const auto& row : commands::Accelerators()) keys[row.command].append(QKeySequence(Utf8(row.keys)));
    for (const auto& [command, sequences] : keys) GetAction(command)->setShortcuts(sequences);

    Connect(CommandId::FileNew, &CMainFrame::OnFileNew);
    Connect(CommandId::FileOpen, &CMainFrame::OnFileOpen);
    Connect(CommandId::FileSave, &CMainFrame::OnFileSave);
    Connect(CommandId::FileSaveAs, &CMainFrame::OnFileSaveAs);
    Connect(CommandId::FilePrint, &CMainFrame::OnFilePrint);
    Connect(CommandId::FilePrintPreview, &CMainFrame::OnFilePrintPreview);
    Connect(CommandId::FilePrintSetup, &CMainFrame::OnFilePrintSetup);
    Connect(CommandId::AppAbout, &CMainFrame::OnAppAbout);
    connect(GetAction(CommandId::AppExit), &QAction::triggered, this, &QWidget::close);
    connect(GetAction(CommandId::EditUndo), &QAction::triggered, m_view, &CVantorView::OnEditUndo);
    Connect(CommandId::EditClear, &CMainFrame::OnEditClear);
    Connect(CommandId::EditFind, &CMainFrame::OnEditFind);
    Connect(CommandId::ViewFont, &CMainFrame::OnViewFont);
    connect(GetAction(CommandId::ViewZoomIn), &QAction::triggered, this,
            [this] { Zoom(m_view->GetZoom() + 1); });
    connect(GetAction(CommandId::ViewZoomOut), &QAction::triggered, this,
            [this] { Zoom(m_view->GetZoom() - 1); });
    connect(GetAction(CommandId::ViewZoomReset), &QAction::triggered, this,
            [this] { Zoom(CVantorView::kDefaultZoom); });
    connect(GetAction(CommandId::EditFindNext), &QAction::triggered, this, [this] {
        if (m_findText.isEmpty()) return OnEditFind();
        m_view->FindNext(m_findText);
    });
    connect(GetAction(CommandId::EditCut), &QAction::triggered, m_view, &CVantorView::OnEditCut);
    connect(GetAction(CommandId::EditCopy), &QAction::triggered, m_view, &CVantorView::OnEditCopy);
    connect(GetAction(CommandId::EditPaste), &QAction::triggered, m_view, &CVantorView::OnEditPaste);
    connect(GetAction(CommandId::EditSelectAll), &QAction::triggered, m_view, &CVantorView::OnEditSelectAll);
}

void CMainFrame::Connect(CommandId command, void (CMainFrame::*handler)()) {
    connect(GetAction(command), &QAction::triggered, this, handler);
}

void CMainFrame::CreateMenus() {
    QMenu* menu = nullptr;
    const char* title = nullptr;
    for (const auto& row : commands::Menu()) {
        if (title == nullptr || std::string_view(title) != row.menu) {
            title = row.menu;
            menu = menuBar()->addMenu(Utf8(title));
            if (m_fileMenu == nullptr) m_fileMenu = menu;
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateEditCommands);
        }
        if (row.command == CommandId::Separator) {
            menu->addSeparator();
        } else if (row.command == CommandId::FileMru) {
            m_recentPlaceholder = menu->addAction(Utf8(row.label));
            m_recentPlaceholder->setEnabled(false);
        } else {
            menu->addAction(GetAction(row.command));
        }
    }
}

void CMainFrame::CreateToolBar() {
    m_toolBar = addToolBar(Utf8(kTitle));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 15));
    for (CommandId command : commands::ToolBar()) {
        if (command == CommandId::Separator) {
            m_toolBar->addSeparator();
            continue;
        }
        GetAction(command)->setIcon(toolbaricons::ForCommand(command, *style()));
        m_toolBar->addAction(GetAction(command));
    }
    QAction* toggle = GetAction(CommandId::ViewToolBar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, m_toolBar, &QWidget::setVisible);
    connect(m_toolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    for (int i = 0; i < kPaneCount; ++i) {
        auto* pane = new QLabel(Utf8(kPanes[i].text), bar);
        pane->setObjectName(Utf8(kPanes[i].name));
        if (i == 0) {
            bar->addWidget(pane, 1);
            continue;
        }
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        const int width = pane->fontMetrics().horizontalAdvance(Utf8(kPanes[i].sizingText));
        pane->setMinimumWidth(width + 2 * pane->frameWidth() + 8);
        // Note: the lock key indicators light once a key reports its state.
        if (i != 2) pane->setEnabled(false);
        bar->addPermanentWidget(pane);
        m_panes[i] = pane;
    }
    m_panes[0] = bar->findChild<QLabel*>(QStringLiteral("message"));
    QAction* toggle = GetAction(CommandId::ViewStatusBar);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
}

QAction* CMainFrame::GetAction(CommandId command) const {
    auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

QLabel* CMainFrame::GetPane(int pane) const {
    return pane >= 1 && pane <= kPaneCount ? m_panes[pane - 1] : nullptr;
}

void CMainFrame::UpdateEditCommands() {
    GetAction(CommandId::EditUndo)->setEnabled(m_view->CanUndo());
    GetAction(CommandId::EditCut)->setEnabled(m_view->CanCutOrCopy());
    GetAction(CommandId::EditCopy)->setEnabled(m_view->CanCopy());
    GetAction(CommandId::EditPaste)->setEnabled(m_view->CanPaste());
}

void CMainFrame::ShowRunning(bool running) {
    GetPane(1)->setText(Utf8(running ? kRunning : kReady));
    for (CommandId command : kConsoleCommands) GetAction(command)->setEnabled(!running);
    for (QAction* action : m_recentActions) action->setEnabled(!running);
    UpdateEditCommands();
    if (!running) {
        SaveHistory();
        if (m_closeAfterRun) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void CMainFrame::SetHistoryPath(const std::string& path) {
    m_historyPath = path;
    if (!path.empty()) m_document.GetEditor()->SetHistory(CHistoryFile::Load(path));
}

void CMainFrame::SaveHistory() const {
    if (!m_historyPath.empty()) CHistoryFile::Save(m_historyPath, m_document.GetEditor()->GetHistory());
}

bool CMainFrame::SettleUncommittedWork() {
    CSQLEditor* editor = m_document.GetEditor();
    if (!editor->HasUncommittedWork()) return true;
    const Answer answer = Ask(Utf8(kUncommitted), true);
    if (answer == Answer::Stay) return false;
    std::string error;
    if (editor->EndTransaction(answer == Answer::Commit, error)) return true;
    // Note: work that could not be committed is not thrown away; the
    // window stays so the user can decide again.
    Report(Utf8(kCommitFailed), QString::fromStdString(encoding::Cp932ToUtf8(error)));
    return false;
}

QMessageBox* CMainFrame::CreateQuestionBox(const QString& question, bool cancel, QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::Question, Utf8(kTitle), question, QMessageBox::NoButton, parent);
    QAbstractButton* yes = box->addButton(Utf8("はい(&Y)"), QMessageBox::YesRole);
    QAbstractButton* no = box->addButton(Utf8("いいえ(&N)"), QMessageBox::NoRole);
    box->setDefaultButton(static_cast<QPushButton*>(yes));
    box->setEscapeButton(no);
    if (cancel) box->setEscapeButton(box->addButton(Utf8("キャンセル"), QMessageBox::RejectRole));
    return box;
}

CMainFrame::Answer CMainFrame::Ask(const QString& question, bool cancel) {
    // Note: a composition under way is dropped, so it cannot come back
    // after the box has closed.
    QGuiApplication::inputMethod()->reset();
    if (m_questionSink) return m_questionSink(question);
    std::unique_ptr<QMessageBox> box(CreateQuestionBox(question, cancel, this));
    box->exec();
    const QMessageBox::ButtonRole role = box->buttonRole(box->clickedButton());
    return role == QMessageBox::YesRole  ? Answer::Commit
           : role == QMessageBox::NoRole ? Answer::RollBack
                                         : Answer::Stay;
}

void CMainFrame::OnEditClear() {
    if (m_view->IsRunning()) return;
    if (m_document.GetEditor()->GetLineCount() > 1 && Ask(Utf8(kClearQuestion), false) != Answer::Commit)
        return;
    m_view->OnEditClear();
}

void CMainFrame::OnEditFind() {
    QGuiApplication::inputMethod()->reset();
    bool ok = false;
    const QString text = QInputDialog::getText(this, Utf8("検索"), Utf8("検索する文字列(&N):"),
                                               QLineEdit::Normal, m_findText, &ok);
    if (!ok || text.isEmpty()) return;
    m_findText = text;
    m_view->FindNext(m_findText);
}

void CMainFrame::Zoom(int step) { SetZoom(step, m_view->GetFontFamily()); }

void CMainFrame::SetZoom(int step, const QString& family) {
    m_view->SetZoom(step, family);
    QSettings settings;
    settings.setValue(Utf8(kSettingsGroup) + "/" + Utf8(kZoom), m_view->GetZoom());
    settings.setValue(Utf8(kSettingsGroup) + "/" + Utf8(kFontFamily), family);
}

void CMainFrame::OnViewFont() {
    QGuiApplication::inputMethod()->reset();
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, m_view->GetPainter().GetFont(), this, Utf8("ﾌｫﾝﾄ"),
                                              QFontDialog::MonospacedFonts);
    if (ok) SetZoom(m_view->GetZoom(), chosen.family());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        ShowLockKeys(static_cast<QKeyEvent*>(event)->nativeModifiers());
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ShowLockKeys(quint32 nativeModifiers) {
    for (const auto& row : kLockKeys) GetPane(row.pane)->setEnabled((nativeModifiers & row.mask) != 0);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_view->IsRunning()) {
        // Note: the statement under way is broken first; the window closes
        // once it has ended.
        m_closeAfterRun = true;
        if (!m_closeRequested) m_view->CancelRun();
        event->ignore();
        return;
    }
    m_closeAfterRun = false;
    if (!m_closeRequested && !SettleUncommittedWork()) {
        event->ignore();
        return;
    }
    SaveHistory();
    QSettings().setValue(Utf8(kSettingsGroup) + "/" + Utf8(kGeometry), saveGeometry());
    event->accept();
}

void CMainFrame::ShowOverwrite(bool on) { GetPane(3)->setText(on ? Utf8(kOverwrite) : QString()); }

void CMainFrame::Report(const QString& message, const QString& path) {
    if (m_messageSink) {
        m_messageSink(message, path);
        return;
    }
    QMessageBox box(QMessageBox::Warning, Utf8(kTitle), message, QMessageBox::Ok, this);
    box.setInformativeText(QDir::toNativeSeparators(path));
    box.exec();
}

void CMainFrame::OnFileNew() {
    if (m_view->IsRunning() || !SettleUncommittedWork()) return;
    m_document.OnNewDocument();
    m_view->InvalidateSnapshot();
    m_view->OnInitialUpdate();
    UpdateTitle();
}

void CMainFrame::UpdateTitle() {
    QString title = Utf8(kTitle);
    const std::string& path = m_document.GetPathName();
    if (!path.empty()) title = QFileInfo(QFile::decodeName(path.c_str())).fileName() + " - " + title;
    CSQLProcessor& processor = m_document.GetEditor()->GetProcessor();
    if (!processor.IsConnected()) return setWindowTitle(title);
    std::string who = processor.Command<CConnectCommand>().GetUser();
    const std::string& database = processor.GetConnectDatabase();
    if (!database.empty()) who += "@" + database;
    setWindowTitle(QString::fromStdString(encoding::Cp932ToUtf8(who)) + " - " + title);
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    CVantorDoc::FileResult result = CVantorDoc::FileResult::OpenFailed;
    const std::string local = LocalPath(path);
    if (!m_view->RunJob([this, &result, &local](CSQLEditor&) { result = m_document.OnOpenDocument(local); }))
        return false;
    m_view->OnInitialUpdate();
    UpdateTitle();
    if (result == CVantorDoc::FileResult::Ok) {
        AddRecentFile(QFileInfo(path).absoluteFilePath());
        return true;
    }
    if (result == CVantorDoc::FileResult::OpenFailed) RemoveRecentFile(QFileInfo(path).absoluteFilePath());
    Report(Utf8(kOpenFailed), path);
    return false;
}

bool CMainFrame::SaveDocumentFile(const QString& path) {
    if (m_view->IsRunning()) return false;
    CVantorDoc::FileResult result = m_document.OnSaveDocument(LocalPath(path));
    m_view->Refresh();
    UpdateTitle();
    if (result != CVantorDoc::FileResult::Ok) {
        Report(Utf8(kSaveFailed), path);
        return false;
    }
    AddRecentFile(QFileInfo(path).absoluteFilePath());
    return true;
}

void CMainFrame::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), Utf8(kFilter));
    if (!path.isEmpty()) OpenDocumentFile(path);
}

void CMainFrame::OnFileSave() {
    const std::string& current = m_document.GetPathName();
    if (current.empty()) return OnFileSaveAs();
    SaveDocumentFile(QFile::decodeName(current.c_str()));
}

void CMainFrame::OnFileSaveAs() {
    const std::string& current = m_document.GetPathName();
    QFileDialog dialog(this, QString(),
                       current.empty() ? Utf8(kUntitled) : QFile::decodeName(current.c_str()), Utf8(kFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("sql"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    SaveDocumentFile(dialog.selectedFiles().constFirst());
}

QPrinter& CMainFrame::GetPrinter() {
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        CConsolePrinter::UseMargins(*m_printer);
    }
    return *m_printer;
}

void CMainFrame::OnFilePrint() {
    if (m_view->IsRunning()) return;
    QPrinter& printer = GetPrinter();
    const int pages = CConsolePrinter::PageCount(m_document.GetEditor()->GetLineCount());
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pages);
    dialog.setFromTo(1, pages);
    if (dialog.exec() != QDialog::Accepted) return;
    int from = 1;
    int to = pages;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    CConsolePrinter::Print(printer, *m_document.GetEditor(), from, to);
}

int CMainFrame::GetPreviewPages() {
    QSettings settings;
    const int pages = settings.value(Utf8(kSettingsGroup) + "/" + Utf8(kPreviewPages), 1).toInt();
    return pages == 2 ? 2 : 1;
}

void CMainFrame::SetPreviewPages(int pages) {
    QSettings settings;
    settings.setValue(Utf8(kSettingsGroup) + "/" + Utf8(kPreviewPages), pages == 2 ? 2 : 1);
}

void CMainFrame::OnFilePrintPreview() {
    if (m_view->IsRunning()) return;
    CPrintPreviewDlg dialog(*m_document.GetEditor(), GetPrinter().pageLayout(), GetPreviewPages(), this);
    dialog.exec();
    SetPreviewPages(dialog.GetPagesShown());
    if (dialog.IsPrintRequested()) OnFilePrint();
}

void CMainFrame::OnFilePrintSetup() {
    QPageSetupDialog dialog(&GetPrinter(), this);
    dialog.exec();
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::LoadRecentFiles() {
    QSettings settings;
    settings.beginGroup(Utf8(kRecentGroup));
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty()) m_recentFiles.append(path);
    }
}

void CMainFrame::SaveRecentFiles() const {
    QSettings settings;
    settings.remove(Utf8(kRecentGroup));
    settings.beginGroup(Utf8(kRecentGroup));
    for (int i = 0; i < m_recentFiles.size(); ++i)
        settings.setValue(QStringLiteral("File%1").arg(i + 1), m_recentFiles[i]);
}

void CMainFrame::AddRecentFile(const QString& path) {
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFileCount) m_recentFiles.removeLast();
    SaveRecentFiles();
    RebuildRecentMenu();
}

void CMainFrame::RemoveRecentFile(const QString& path) {
    if (m_recentFiles.removeAll(path) == 0) return;
    SaveRecentFiles();
    RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    m_recentPlaceholder->setVisible(m_recentFiles.isEmpty());
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        const QString path = m_recentFiles[i];
        auto* action =
            new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
        connect(action, &QAction::triggered, this, [this, path] { OpenDocumentFile(path); });
        action->setEnabled(!m_view->IsRunning());
        m_fileMenu->insertAction(m_recentPlaceholder, action);
        m_recentActions.append(action);
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    activateWindow();
    OpenDroppedFiles(event->mimeData()->urls());
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (m_closeRequested) break;
        if (url.isLocalFile()) OpenDocumentFile(url.toLocalFile());
    }
}

void CMainFrame::SendKey(Key key) {
    // Note: a re-run that would start another re-run is not played, so a
    // recalled "/" can never repeat itself without end.
    if (key == Key::Return && m_returnDepth > 0) return;
    const EditorKey editorKey = key == Key::Up ? EditorKey::Up : EditorKey::Enter;
    // Note: on the thread running a statement the key goes to the console
    // itself; the view catches up when the statement has ended.
    const bool running = m_view->GetRunner().IsWorkerThread();
    if (editorKey == EditorKey::Up) {
        if (running) return m_document.GetEditor()->HandleKey(EditorKey::Up, false);
        return m_view->PlayKey(EditorKey::Up, false);
    }
    ++m_returnDepth;
    try {
        if (running)
            m_document.GetEditor()->HandleKey(EditorKey::Enter, false);
        else
            m_view->PlayKey(EditorKey::Enter, false);
    } catch (...) {
        --m_returnDepth;
        throw;
    }
    --m_returnDepth;
}

void CMainFrame::SendCommand(Command command) {
    if (command != Command::Clear) return;
    if (!m_view->GetRunner().IsWorkerThread()) return m_view->OnEditClear();
    m_document.GetEditor()->Clear();
    m_view->InvalidateSnapshot();
}

bool CMainFrame::AskLine(const std::string& prompt, bool hidden, std::string& answer) {
    return m_view->AskOnInputLine(prompt, hidden, answer);
}

// Note: asked as a hidden answer, so that what is typed meanwhile is
// neither shown nor kept, and the text stays alone on screen.
void CMainFrame::WaitForEnter(const std::string& text) {
    std::string ignored;
    m_view->AskOnInputLine(text, true, ignored);
}

bool CMainFrame::EditText(CScriptLines& lines) {
    // Note: a statement asks from the worker thread; the dialog is the
    // window's.
    if (m_view->GetRunner().IsWorkerThread()) {
        bool ok = false;
        QMetaObject::invokeMethod(
            this, [&] { ok = EditText(lines); }, Qt::BlockingQueuedConnection);
        return ok;
    }
    QGuiApplication::inputMethod()->reset();
    CEditBufferDlg dialog(lines, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    lines = dialog.GetLines();
    return true;
}

void CMainFrame::PostClose() {
    m_closeRequested = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
