#pragma once
// Common interface of the two kinds of document view (text and hex), so the
// document window can route commands and query state without knowing which
// one it holds.
class QWidget;
class CChildFrame;

class CDocView {
public:
    virtual ~CDocView() = default;
    virtual QWidget* Widget() = 0;
    virtual bool IsHexView() const = 0;
    // Carries out a command; returns false when the view does not handle it
    // (the caller may then try elsewhere or ignore it).
    virtual bool OnCommand(int id) = 0;
    // Enable / check state for the frame's update-UI rules.
    virtual bool CanUndo() const = 0;
    virtual bool CanRedo() const = 0;
    virtual bool HasSelection() const = 0;
    // Status bar text for part 1 ("Ln %d/%d  Col %d  Sel %d" or the hex form).
    virtual QString PositionText() const = 0;

    CChildFrame* childFrame = nullptr;
};
