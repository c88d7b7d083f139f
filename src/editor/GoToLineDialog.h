#pragma once
// "Go to Line": asks for a 1-based line number.
#include <QDialog>

class QLabel;
class QLineEdit;

class CGoToLineDialog : public QDialog {
    Q_OBJECT
public:
    CGoToLineDialog(QWidget* parent, int lineCount);
    // The number typed (text that is not a number reads as 0), or -1 when
    // the dialog was cancelled.
    int Result() const { return result; }
    QLineEdit* Edit() const { return edit; }
    QLabel* Label() const { return label; }

    // Opens the dialog modally and returns Result().
    static int Ask(QWidget* parent, int lineCount);
    // Reads the edit box text as a signed integer; 0 when it is not one.
    static int ParseLineNumber(const QString& text);

    void accept() override;
    void reject() override;

private:
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    int result = -1;
};
