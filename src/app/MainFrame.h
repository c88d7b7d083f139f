#pragma once
// The program's one top-level window: menus, toolbar, status bar, the MDI
// document area with its tab strip, the two pane groups, and command routing
// frame -> active document window -> view.
#include <QMainWindow>

class QMdiArea;
class CChildFrame;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CChildFrame* ActiveChild() const;
    bool OnCommand(int id);

protected:
    QMdiArea* mdiArea = nullptr;
};
