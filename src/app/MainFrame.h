#pragma once
// The program's one top-level window: menus, toolbar, status bar, the MDI
// document area with its tab strip, the two pane groups, and command routing
// frame -> active document window -> view.
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>
#include "app/Menus.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTabBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTimer;
class QSystemTrayIcon;
class CChildFrame;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The running frame (null before it exists and after it is gone).
    static CMainFrame* Instance();

    // ---- documents -------------------------------------------------------
    CChildFrame* ActiveChild() const;
    // Open document windows in tab order.
    QList<CChildFrame*> Documents() const;
    int IndexOf(const CChildFrame* child) const;
    void ActivateChild(CChildFrame* child);
    // Opens a file (request 0-6) or brings forward the window that already
    // shows it. Null when the file cannot be read.
    CChildFrame* OpenFile(const QString& path, int request = 5, bool addToRecent = true);
    // A new untitled text document.
    CChildFrame* NewDocument();
    // Files dropped on the frame, in order; a folder ends the list.
    void OpenDroppedFiles(const QStringList& paths);
    // Opens the files named by a command line (arguments, the program path
    // first). An empty base directory means the current directory; an empty
    // list means this process's own arguments.
    void ProcessCommandLine(const QString& baseDirectory, const QStringList& arguments);
    // The command window's ".open": the text is split like a command line
    // and every token (none skipped, no switches) is opened.
    void OpenFilesFromText(const QString& text);
    // A second start handed its directory and arguments over.
    void OnHandOver(const QString& directory, const QStringList& arguments);

    // Save-modified question over all modified documents.
    enum SaveAnswer { Saved, SaveNothing, Cancelled };
    SaveAnswer AskSaveModified(bool allowCancel = true);
    // Close All (105): ask, write the session, close every document.
    bool CloseAllDocuments();

    // ---- commands and state ---------------------------------------------
    // Routes a command: the frame's own, else the active document window,
    // which passes the rest to its view. fromKey: it came from a shortcut.
    bool OnCommand(int id, bool fromKey = false);
    // The enable and check rules of menus and toolbar.
    bool CommandEnabled(int id, bool* checked = nullptr) const;
    // Applies the rules to every item of a menu (and its submenus).
    void UpdateMenu(QMenu* menu);
    // Applies the rules to the toolbar buttons (runs while idle).
    void UpdateToolbar();
    QAction* Action(int id) const { return actions.value(id); }
    // The menus, for modules that fill parts of them (recent files, tools).
    const MainMenus& Menus() const { return menus; }
    // Re-reads the tab strip options (EditorMask bits 4 and 5).
    void ApplyTabStripOptions();
    // Replaces the shortcut table (key map); menus show the keys after a tab.
    void SetKeyTable(const QVector<KeyBinding>& table);
    const QVector<KeyBinding>& KeyTable() const { return keyTable; }

    // ---- status bar ------------------------------------------------------
    void SetStatusText(const QString& text);
    QString StatusText(int part) const;
    // Refreshes parts 1 to 4 from the active view (all emptied without one).
    void UpdateStatus();

    // ---- panes -----------------------------------------------------------
    // Dock commands 804-809: show, bring forward or hide a pane group.
    void ShowPane(int paneCommand, bool fromKey);
    // Puts a module's widget into pane 804-809 (replacing the placeholder).
    void SetPaneWidget(int paneCommand, QWidget* widget);
    QWidget* PaneWidget(int paneCommand) const;
    QDockWidget* PaneGroup(int group) const { return groups[group]; }
    QTabWidget* PaneTabs(int group) const { return groupTabs[group]; }
    bool PaneGroupVisible(int group) const;

    // ---- fonts -----------------------------------------------------------
    int CurrentFontPreset() const { return fontPreset; }
    const QFont& PresetFont() const { return presetFont; }
    int PresetCharWidth() const { return presetCharWidth; }
    int PresetLineHeight() const { return presetLineHeight; }
    void SelectFontPreset(int preset);
    // The items of the "Set Font" drop-down: preset number and text.
    QList<QPair<int, QString>> FontPresetItems() const;

    // Notification-area icon (EditorMask bit 24): removed, then added again
    // when on. While it is on, minimising hides the window.
    void SetTrayIcon(bool on);
    bool HasTrayIcon() const { return trayIcon != nullptr; }

    // Shared fonts made at start-up: the GUI font (file and template panes)
    // and a 9-point fixed-width font (find result panes).
    const QFont& GuiFont() const { return guiFont; }
    const QFont& ResultPaneFont() const { return resultPaneFont; }

    // ---- start-up --------------------------------------------------------
    // Remembers the start directory and arguments, then queues the deferred
    // start-up steps.
    void BeginStartup(const QString& startDirectory, const QStringList& arguments);
    bool startingUp = false;

    // Window layout in "UISTATE": pane groups (side, size, active pane) and
    // the window's normal rectangle and show state. Used unless the hooks
    // below replace them.
    void RestoreLayout();
    void SaveLayout();

    // Points where later modules attach. All optional.
    struct Hooks {
        std::function<void(const QString& path)> addRecent;
        std::function<void()> restoreLayout;
        std::function<void()> saveLayout;
        std::function<void()> restoreSession;
        std::function<void()> saveSession;
        std::function<void()> beforeDestroy;          // file pane state, tray icon
        std::function<void(CChildFrame*)> documentLoaded;
        std::function<void(CChildFrame*)> documentSaved;
        std::function<void(CChildFrame*)> documentClosed;
        std::function<void(CChildFrame*)> activeDocumentChanged;
        std::function<void(const QString& path)> locateFile;
        std::function<QString()> filePaneFolder;
        std::function<void(const QString& line)> typeCommandLine;
    } hooks;

    // Commands of later features (find, options, session, recent files,
    // tools, templates, comments, typing aids, symbols). A handler returns
    // true when it carried the command out; handlers are asked in the order
    // they were added, before the active document window.
    using CommandHandler = std::function<bool(int id)>;
    void AddCommandHandler(CommandHandler handler) { commandHandlers.push_back(std::move(handler)); }
    // Their enable and check state: return true when the id is known and
    // fill enabled / checked. Until a feature answers for its commands they
    // stay disabled.
    using CommandStateHandler = std::function<bool(int id, bool* enabled, bool* checked)>;
    void AddCommandStateHandler(CommandStateHandler handler) { stateHandlers.push_back(std::move(handler)); }
    // Commands that belong to a feature built elsewhere.
    static bool IsFeatureCommand(int id);

    // Formats a size for the status bar: "1'234 Bytes", "1.50 KB", ...
    static QString FormatSizeText(qint64 size, const QLocale& locale);

    // Escape in a document window: leave the window modes, hide the find
    // group, focus the document.
    void OnEscapeInDocument();

    // Called by a document window that accepted its close.
    void OnChildClosed(CChildFrame* child);

signals:
    void activeDocumentChanged(CChildFrame* child);
    void fontPresetChanged(const QFont& font);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private slots:
    void OnStartupMessage();
    void OnSubWindowActivated(QMdiSubWindow* sub);
    void OnTabCurrentChanged(int index);
    void OnTabChanged(CChildFrame* child);

private:
    QAction* MakeAction(int id, const QString& text);
    void BuildToolbar();
    void BuildStatusBar();
    void BuildPaneGroups();
    void RebuildWindowMenu();
    void HideMdiControls();
    void RebuildLanguageMenu();
    void ApplyKeyTable();
    void ApplyFontPreset(int preset);
    void OpenDialog();
    void CopyPaste(int id);
    void SearchDocumentation();
    void ToggleHideTitle();
    void ToggleFullScreen();
    void TogglePanel();
    CChildFrame* CreateChild(const QString& path, bool hex);
    void SetDocumentButtons(bool enabled);
    QIcon CommandIcon(int id) const;
    void OpenUrl(const QString& url);

    QMdiArea* mdiArea = nullptr;
    QWidget* docArea = nullptr;
    QTabBar* tabBar = nullptr;
    QToolBar* toolBar = nullptr;
    QToolButton* fontButton = nullptr;
    QMenu* fontMenu = nullptr;
    QMenu* tabMenu = nullptr;
    QMenu* barMenu = nullptr;
    QLabel* parts[5] = {};
    QDockWidget* groups[2] = {};
    QTabWidget* groupTabs[2] = {};
    QTimer* idleTimer = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;
    QMenu* trayMenu = nullptr;
    MainMenus menus;
    QHash<int, QAction*> actions;
    QList<QAction*> keyActions;
    QVector<KeyBinding> keyTable;
    std::vector<CommandHandler> commandHandlers;
    std::vector<CommandStateHandler> stateHandlers;
    QIcon tabIcons[3];
    QPointer<CChildFrame> lastActive;

    QString startDirectory;
    QStringList startArguments;
    bool titleHidden = false;
    bool fullScreen = false;
    QRect fullScreenRestore;
    bool fullScreenWasMaximised = false;
    bool fullScreenBarVisible[5] = {};
    bool alwaysOnTop = false;
    bool panelsToggledOff = false;
    bool panelWasVisible[2] = {false, false};
    bool closingAll = false;
    bool clipboardHasText = false;

    QFont guiFont;
    QFont resultPaneFont;
    int fontPreset = 1;
    QFont presetFont;
    int presetCharWidth = 0;
    int presetLineHeight = 0;
};
