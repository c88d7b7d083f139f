#pragma once
// Message boxes and dialogs of the application shell. Every question the
// frame and the document windows ask goes through these functions, and each
// has a replaceable answer hook so tests (and scripted runs) can answer
// without a person at the screen.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QWidget;

namespace ui {

// Message box captioned "Scrivlet" (or `caption` when given). Returns the
// button pressed.
QMessageBox::StandardButton Message(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                    const QString& caption = QString());

using MessageHook = std::function<QMessageBox::StandardButton(
    QMessageBox::Icon icon, const QString& caption, const QString& text, QMessageBox::StandardButtons buttons)>;
// When set, Message() calls this instead of showing a box.
extern MessageHook messageHook;

// One row of the save-modified dialog.
struct SaveModifiedItem {
    QString name;          // part after the last "/", empty for an untitled document
    QString description;   // full path, or "New" for an untitled document
    bool checked = true;
    void* tag = nullptr;   // the document window the row stands for
};
enum SaveModifiedAnswer { AnswerSaved, AnswerSaveNothing, AnswerCancel };

// Shows the save-modified dialog. On return `items` holds only the rows that
// were still checked. Returns QMessageBox::Yes, No or Cancel.
QMessageBox::StandardButton SaveModifiedDialog(QWidget* parent, QVector<SaveModifiedItem>& items, bool allowCancel);
using SaveModifiedHook = std::function<QMessageBox::StandardButton(QVector<SaveModifiedItem>& items, bool allowCancel)>;
extern SaveModifiedHook saveModifiedHook;

// The Open dialog: several files plus the encoding request chosen in its
// list. `ok` false when cancelled.
struct OpenDialogResult { bool ok = false; QStringList files; int request = 5; };
OpenDialogResult OpenFilesDialog(QWidget* parent, const QString& startFolder, const QStringList& filters);
using OpenDialogHook = std::function<OpenDialogResult(const QString& startFolder, const QStringList& filters)>;
extern OpenDialogHook openDialogHook;

// The Save As dialog; returns the chosen path, empty when cancelled.
QString SaveAsDialog(QWidget* parent, const QString& initialPath, const QString& startFolder, const QStringList& filters);
using SaveAsHook = std::function<QString(const QString& initialPath, const QString& startFolder)>;
extern SaveAsHook saveAsHook;

// The filter list of the Open and Save As dialogs: the "FILTER" section
// ("Description|patterns" per line), else string 1033. Each entry is in Qt's
// "Description (patterns)" form. `maxChars` bounds the section text read.
QStringList DialogFilters(int maxChars);

// Open-dialog encoding list: text and request value, in list order.
struct EncodingChoice { const char* text; int request; };
const QVector<EncodingChoice>& OpenEncodingChoices();

// The About box.
void AboutDialog(QWidget* parent, std::function<void()> checkForUpdate);

// Version of the program as "major.minor.patch".
QString ShortVersion();

} // namespace ui
