#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

#include "app/CommandTable.h"
#include "interpreter/CConsoleHost.h"

class CVantorDoc;
class CVantorView;
class QAction;
class QLabel;
class QMessageBox;
class QMenu;
class QPrinter;
class QToolBar;

// The main window: menus, tool bar, status bar and the one console view.
// It is also the host the interpreter acts on for CLEAR SCREEN, "/" and
// EXIT.
class CMainFrame : public QMainWindow, public CConsoleHost {
    Q_OBJECT

public:
    // Reports a failure: the message and the file it concerns.
    using MessageSink = std::function<void(const QString& message, const QString& path)>;
    // Whether to commit the open transaction before the console goes; for
    // a question without a third choice, Commit is "yes" and RollBack "no".
    enum class Answer { Commit, RollBack, Stay };
    using QuestionSink = std::function<Answer(const QString& question)>;

    static constexpr int kRecentFileCount = 4;
    static constexpr int kPaneCount = 6;

    explicit CMainFrame(CVantorDoc& document, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVantorView* GetView() const { return m_view; }
    QAction* GetAction(CommandId command) const;
    // Status bar panes 1 to 6: the message pane, then the indicators.
    QLabel* GetPane(int pane) const;
    QStringList GetRecentFiles() const { return m_recentFiles; }
    void SetMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }
    void SetQuestionSink(QuestionSink sink) { m_questionSink = std::move(sink); }
    // Where the recall list is kept between sessions ("" : not kept).
    void SetHistoryPath(const std::string& path);

    // A question box with はい(Y) and いいえ(N) (and キャンセル when
    // `cancel`), owned by the caller.
    static QMessageBox* CreateQuestionBox(const QString& question, bool cancel, QWidget* parent);
    // Edit > Clear: empties the console after asking.
    void OnEditClear();
    // Edit > Find: asks for the text, then finds it as F3 does.
    void OnEditFind();
    // View > Font: a fixed-pitch family for the console, kept with the zoom.
    void OnViewFont();
    // The zoom step and font family, kept in the settings.
    void SetZoom(int step, const QString& family);

    // File > New: empties the console (after asking about uncommitted work).
    void OnFileNew();
    // Replays `path` into the console; a failure is reported and the file
    // leaves the recent-file list.
    bool OpenDocumentFile(const QString& path);
    bool SaveDocumentFile(const QString& path);
    // Files dropped on the window, replayed in order as Open does.
    void OpenDroppedFiles(const QList<QUrl>& urls);
    // The print preview's pages shown side by side (1 or 2), kept in the
    // settings.
    static int GetPreviewPages();
    static void SetPreviewPages(int pages);

    void SendKey(Key key) override;
    void SendCommand(Command command) override;
    void PostClose() override;
    // On the input line, masked when `hidden` (a password, ACCEPT ...
    // HIDE): a substitution variable, ACCEPT, a missing password or a new
    // one.
    bool AskLine(const std::string& prompt, bool hidden, std::string& answer) override;
    // PAUSE: `text` on the input line until Enter (Esc stops the run).
    void WaitForEnter(const std::string& text) override;
    // EDIT: the lines in an editor dialog; false when cancelled.
    bool CanEdit() const override { return true; }
    bool EditText(CScriptLines& lines) override;
    bool IsCloseRequested() const { return m_closeRequested; }
    // Asks what to do with uncommitted work and does it; false: stay.
    bool SettleUncommittedWork();
    void SaveHistory() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void Connect(CommandId command, void (CMainFrame::*handler)());
    void UpdateEditCommands();
    void ShowOverwrite(bool on);
    void ShowRunning(bool running);
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void LoadRecentFiles();
    void SaveRecentFiles() const;
    void RebuildRecentMenu();
    void Report(const QString& message, const QString& path);
    QPrinter& GetPrinter();
    // Asks through the question sink, or a question box.
    Answer Ask(const QString& question, bool cancel);
    // Lights the CAP and NUM indicators by the state a key reported.
    void ShowLockKeys(quint32 nativeModifiers);
    // "name - Tarvex" for a document with a file, else "Tarvex"; the user
    // and database connected to in front ("SCOTT@ORCL - ...").
    void UpdateTitle();
    void Zoom(int step);
    bool eventFilter(QObject* watched, QEvent* event) override;

    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnAppAbout();

    CVantorDoc& m_document;
    CVantorView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QList<QAction*> m_recentActions;
    std::map<CommandId, QAction*> m_actions;
    QLabel* m_panes[kPaneCount] = {};
    QStringList m_recentFiles;
    std::unique_ptr<QPrinter> m_printer;
    MessageSink m_messageSink;
    QuestionSink m_questionSink;
    QString m_findText;
    std::string m_historyPath;
    int m_returnDepth = 0;
    // Set by EXIT (on the thread running it) and read between lines.
    std::atomic<bool> m_closeRequested = false;
    // The window was closed while a statement ran; it closes when it ends.
    bool m_closeAfterRun = false;
};
