#pragma once
// A document window: owns exactly one view (text or hex) and the document's
// file name, encoding request and modified / read-only state.
#include <QWidget>
#include <QString>

class CMainFrame;
class CDocView;
class CTextView;

class CChildFrame : public QWidget {
    Q_OBJECT
public:
    explicit CChildFrame(CMainFrame* frame, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDocView* View() const { return view; }
    CTextView* TextView() const;   // null when the view is a hex view
    QString FilePath() const { return filePath; }

    // Command routing: handles the document-window commands, passes the rest
    // to the view. Returns true when handled.
    bool OnCommand(int id);

protected:
    CMainFrame* mainFrame = nullptr;
    CDocView* view = nullptr;
    QString filePath;
};
