#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "editor/TextView.h"

CChildFrame::CChildFrame(CMainFrame* frame, QWidget* parent) : QWidget(parent), mainFrame(frame) {}
CChildFrame::~CChildFrame() = default;

CTextView* CChildFrame::TextView() const
{
    return view && !view->IsHexView() ? static_cast<CTextView*>(view) : nullptr;
}

bool CChildFrame::OnCommand(int id)
{
    return view ? view->OnCommand(id) : false;
}
