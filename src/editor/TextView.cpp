#include "editor/TextView.h"

CTextView::CTextView(QWidget* parent) : QsciScintillaBase(parent) {}
CTextView::~CTextView() = default;

bool CTextView::OnCommand(int id)
{
    switch (id) {
    case 200: Send(SCI_UNDO); return true;
    case 201: Send(SCI_REDO); return true;
    case 206: Send(SCI_SELECTALL); return true;
    default: return false;
    }
}

bool CTextView::CanUndo() const { return Send(SCI_CANUNDO) != 0; }
bool CTextView::CanRedo() const { return Send(SCI_CANREDO) != 0; }
bool CTextView::HasSelection() const { return Send(SCI_GETSELECTIONEND) > Send(SCI_GETSELECTIONSTART); }

QString CTextView::PositionText() const
{
    long pos = Send(SCI_GETCURRENTPOS);
    long line = Send(SCI_LINEFROMPOSITION, pos);
    long col = Send(SCI_GETCOLUMN, pos);
    return QString::asprintf("Ln %ld/%ld  Col %ld  Sel %d", line + 1, Send(SCI_GETLINECOUNT), col + 1, selectionLength);
}
