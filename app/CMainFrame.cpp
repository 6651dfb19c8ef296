#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "app/CAboutDlg.h"
#include "app/CConsolePrinter.h"
#include "app/CVantorDoc.h"
#include "app/CVantorView.h"

namespace {

constexpr char kTitle[] = "Tarvex";
constexpr char kFilter[] = "SQL ﾌｧｲﾙ (*.sql)";
constexpr char kUntitled[] = "無題";
constexpr char kReady[] = "ﾚﾃﾞｨ";
constexpr char kOverwrite[] = "上書";
constexpr char kOpenFailed[] = "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。";
constexpr char kSaveFailed[] = "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。";
constexpr char kRecentGroup[] = "Recent File List";
constexpr char kSettingsGroup[] = "Settings";
constexpr char kPreviewPages[] = "PreviewPages";

struct PaneRow {
    const char* name;
    const char* sizingText;  // the text that sets the pane's width
    const char* text;        // shown at start
};

constexpr PaneRow kPanes[CMainFrame::kPaneCount] = {
    {"message", "", kReady}, {"kana", "ｶﾅ", "ｶﾅ"},  {"overwrite", "      ", ""},
    {"caps", "CAP", "CAP"},  {"num", "NUM", "NUM"}, {"scroll", "SCRL", "SCRL"},
};

struct IconRow {
    CommandId command;
    const char* glyph;
};

constexpr IconRow kIcons[] = {
    {CommandId::FileNew, "N"},   {CommandId::FileOpen, "O"}, {CommandId::FileSave, "S"},
    {CommandId::EditCut, "X"},   {CommandId::EditCopy, "C"}, {CommandId::EditPaste, "V"},
    {CommandId::FilePrint, "P"}, {CommandId::AppAbout, "?"},
};

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// A tool bar button face of 16 x 15 pixels.
QIcon ButtonIcon(const char* glyph) {
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(1, 0, 13, 14);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 128));
    painter.drawText(QRect(1, 0, 14, 15), Qt::AlignCenter, Utf8(glyph));
    painter.end();
    return QIcon(pixmap);
}

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
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateEditCommands);
    CSQLEditor* editor = document.GetEditor();
    editor->SetHost(this);
    editor->SetStopCheck([this] { return m_closeRequested; });
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
    connect(GetAction(CommandId::EditClear), &QAction::triggered, m_view, &CVantorView::OnEditClear);
    connect(GetAction(CommandId::EditCut), &QAction::triggered, m_view, &CVantorView::OnEditCut);
    connect(GetAction(CommandId::EditCopy), &QAction::triggered, m_view, &CVantorView::OnEditCopy);
    connect(GetAction(CommandId::EditPaste), &QAction::triggered, m_view, &CVantorView::OnEditPaste);
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
    for (const auto& row : kIcons) GetAction(row.command)->setIcon(ButtonIcon(row.glyph));
    for (CommandId command : commands::ToolBar()) {
        if (command == CommandId::Separator)
            m_toolBar->addSeparator();
        else
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
        // Note: lock key states are not watched; their indicators stay grey.
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
    GetAction(CommandId::EditCopy)->setEnabled(m_view->CanCutOrCopy());
    GetAction(CommandId::EditPaste)->setEnabled(m_view->CanPaste());
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
    m_document.OnNewDocument();
    m_view->OnInitialUpdate();
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    CVantorDoc::FileResult result = m_document.OnOpenDocument(LocalPath(path));
    m_view->OnInitialUpdate();
    if (result == CVantorDoc::FileResult::Ok) {
        AddRecentFile(QFileInfo(path).absoluteFilePath());
        return true;
    }
    if (result == CVantorDoc::FileResult::OpenFailed) RemoveRecentFile(QFileInfo(path).absoluteFilePath());
    Report(Utf8(kOpenFailed), path);
    return false;
}

bool CMainFrame::SaveDocumentFile(const QString& path) {
    CVantorDoc::FileResult result = m_document.OnSaveDocument(LocalPath(path));
    m_view->Refresh();
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
        m_printer->setFullPage(true);
    }
    return *m_printer;
}

void CMainFrame::OnFilePrint() {
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
    QPrintPreviewDialog dialog(&GetPrinter(), this);
    const CSQLEditor& editor = *m_document.GetEditor();
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&editor](QPrinter* printer) {
        CConsolePrinter::Print(*printer, editor, 1, CConsolePrinter::PageCount(editor.GetLineCount()));
    });
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    if (preview != nullptr)
        preview->setViewMode(GetPreviewPages() == 2 ? QPrintPreviewWidget::FacingPagesView
                                                    : QPrintPreviewWidget::SinglePageView);
    dialog.exec();
    if (preview != nullptr)
        SetPreviewPages(preview->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1);
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
    if (key == Key::Up) return m_view->PlayKey(EditorKey::Up, false);
    ++m_returnDepth;
    try {
        m_view->PlayKey(EditorKey::Enter, false);
    } catch (...) {
        --m_returnDepth;
        throw;
    }
    --m_returnDepth;
}

void CMainFrame::SendCommand(Command command) {
    if (command == Command::Clear) m_view->OnEditClear();
}

void CMainFrame::PostClose() {
    m_closeRequested = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
