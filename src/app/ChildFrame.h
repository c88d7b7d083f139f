#pragma once
// A document window: owns exactly one view (text or hex), the document's
// path, its on-disk signature and its state flags. Lives inside the main
// frame's document area as the widget of one QMdiSubWindow, with one tab in
// the frame's tab strip.
#include <QString>
#include <QWidget>
#include <cstdint>

class CMainFrame;
class CDocView;
class CTextView;
class QMdiSubWindow;
class QVBoxLayout;

class CChildFrame : public QWidget {
    Q_OBJECT
public:
    CChildFrame(CMainFrame* frame, bool hex, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDocView* View() const { return view; }
    CTextView* TextView() const;   // null when the view is a hex view
    bool IsHex() const { return isHex; }
    QString FilePath() const { return filePath; }
    // Any path that starts with "<" names an untitled document ("<new>").
    bool IsUntitled() const { return filePath.isEmpty() || filePath.startsWith('<'); }
    // Window title: the full path with EditorMask bit 2, else the tab name.
    QString DisplayName() const;
    // The part after the last "/", or the whole path when it has none.
    QString TabName() const;
    QMdiSubWindow* SubWindow() const;

    // The view says so, or the document was forced modified.
    bool IsModified() const;
    // Tab image: 0 unmodified, 1 modified, 2 read-only.
    int TabState() const { return tabState; }
    void SetTabState(int state);

    // Command routing: handles the document-window commands, passes the rest
    // to the view. Returns true when handled.
    bool OnCommand(int id);

    // Sets the path and refreshes title, tab text and tool tip.
    void SetPath(const QString& path);
    // Loads the file at the current path into the view with an encoding
    // request (0-6). Returns the loader's result.
    bool LoadFile(int request);
    // Save (106): Save As for untitled documents; reports failures.
    bool Save();
    // Save As (107). False when cancelled or when writing failed.
    bool SaveAs();
    // Reload from Disk (109).
    void Reload();
    // Answer to the save-modified dialog's save request.
    bool SaveRequest() { return Save(); }

    // The outside-change check; runs queued after activation changes.
    Q_INVOKABLE void CheckFile();
    // Quiet form for the tools: true when the file changed on disk since the
    // stored signature; asks nothing, stores nothing.
    bool FileChangedOnDisk() const;

    // Close with the save question (103). False when the window stays open.
    bool RequestClose();
    // Close without any question (close sequence, Close All).
    void CloseWithoutAsking();

    // Replaces the view by one of the other kind and loads the file into it.
    void ReplaceView(bool hex);

    int32_t signature = -1;
    bool forcedModified = false;
    bool readOnly = false;        // the user's Read Only toggle
    bool fileReadOnly = false;    // the file was read-only when it was opened
    bool closing = false;         // closing; no more outside checks (cleared when the close is cancelled)

signals:
    // Title, tab text, tool tip or tab image changed.
    void tabChanged(CChildFrame* child);
    // The view was replaced (the frame reconnects status updates).
    void viewReplaced(CChildFrame* child);

private slots:
    void OnViewModifiedChanged(int state);
    void OnViewStatusChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectView();
    void CopyToClipboard(const QString& text);
    QString Folder() const;
    // Asks to save before the view's contents are replaced; false to stop.
    bool ConfirmDiscard();
    // Reloads the text view; on failure the view keeps its text and the
    // user is told why (a missing file in the status bar). True on success.
    bool ReloadText();

    CMainFrame* mainFrame = nullptr;
    CDocView* view = nullptr;
    QVBoxLayout* layout = nullptr;
    QString filePath = QStringLiteral("<new>");
    bool isHex = false;
    int tabState = 0;
    bool closeSilently = false;
    bool checking = false;
};
