#pragma once
// The document window's access to its view: creating text and hex views,
// loading, saving and reloading files, and the state the frame shows (size,
// encoding, overtype, modified). Keeps CChildFrame independent of which view
// kind it holds.
#include <QString>

class CDocView;
class CTextView;
class QWidget;

namespace docio {

// A new view of the given kind inside parent.
CDocView* CreateView(bool hex, QWidget* parent);

// Loads the file with the encoding request (0-6) into the view.
bool Load(CDocView* view, const QString& path, int request);
// The reason the last load failed, for the open-failure message.
QString LoadError(CDocView* view);
// Writes the view's document to path. On failure *error gets the reason.
bool Save(CDocView* view, const QString& path, QString* error);
// Writes under a new name (the text view re-applies the language for it).
bool SaveAs(CDocView* view, const QString& path, QString* error);
// Reads the file again (text views only; hex views are left as they are).
// Reloads a text view from its file; false (with the reason in error) when
// the view is not a text view or the file could not be read, in which case
// the view keeps the text it had.
bool Reload(CDocView* view, const QString& path, QString* error = nullptr);

bool IsModified(CDocView* view);
void SetReadOnly(CDocView* view, bool readOnly);
// Document size in bytes as the status bar shows it.
qint64 DocumentSize(CDocView* view);
// Encoding name for the status bar ("ANSI", "UNICODE BE", ... or "Hex").
QString EncodingName(CDocView* view);
bool IsOvertype(CDocView* view);

// Settings of a new untitled text view: language from the default scheme
// pattern and the default encoding.
void SetUpNewDocument(CTextView* view, const QString& defaultScheme, int encoding);
// Current encoding of a text view (TextEncoding value).
int Encoding(CTextView* view);
// Word at the caret or the selection (at most 256 characters), empty when none.
QString WordAtCaret(CTextView* view);
// Switches the text view to language index (nothing when it is current).
void SelectLanguage(CTextView* view, int index);
int LanguageIndex(CTextView* view);
// Styles the view again after the font preset changed.
void Restyle(CDocView* view);
// Enable / check state the view reports for a command; false when it does
// not know the command.
bool ViewCommandState(CDocView* view, int id, bool* enabled, bool* checked);

// Moves the caret to a 0-based line and, for column > 0, column - 1
// characters into it (never past the line end); the line is made visible.
void GoToLineColumn(CTextView* view, int line, int column);

// Names of the encodings indexed by TextEncoding (0-4).
QString EncodingText(int encoding);

} // namespace docio
