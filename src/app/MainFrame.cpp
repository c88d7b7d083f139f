#include "app/MainFrame.h"
#include "app/ChildFrame.h"
#include <QMdiArea>
#include <QMdiSubWindow>

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    mdiArea = new QMdiArea(this);
    setCentralWidget(mdiArea);
    setWindowTitle("Scrivlet");
}

CMainFrame::~CMainFrame() = default;

CChildFrame* CMainFrame::ActiveChild() const
{
    QMdiSubWindow* sub = mdiArea->activeSubWindow();
    return sub ? qobject_cast<CChildFrame*>(sub->widget()) : nullptr;
}

bool CMainFrame::OnCommand(int id)
{
    if (CChildFrame* child = ActiveChild())
        return child->OnCommand(id);
    return false;
}
