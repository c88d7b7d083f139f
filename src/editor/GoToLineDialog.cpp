#include "editor/GoToLineDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ViewHooks.h"

CGoToLineDialog::CGoToLineDialog(QWidget* parent, int lineCount) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Go to Line"));
    label = new QLabel(QStringLiteral("Enter Line Number (1 - %d):"), this);
    label->setObjectName(QStringLiteral("100"));
    edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("120"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CGoToLineDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGoToLineDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);

    viewhooks::TranslateDialog(this, 1);
    // The label's (possibly translated) text is a format for the line count.
    const QString format = label->text().left(50);
    QString text = format;
    text.replace(QStringLiteral("%d"), QString::number(lineCount));
    label->setText(text);
    edit->setFocus();
}

int CGoToLineDialog::ParseLineNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

void CGoToLineDialog::accept()
{
    result = ParseLineNumber(edit->text());
    QDialog::accept();
}

void CGoToLineDialog::reject()
{
    result = -1;
    QDialog::reject();
}

int CGoToLineDialog::Ask(QWidget* parent, int lineCount)
{
    CGoToLineDialog dialog(parent, lineCount);
    dialog.exec();
    return dialog.Result();
}
