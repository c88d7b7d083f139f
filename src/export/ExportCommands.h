#pragma once
// Command glue of the exporters: the text view hands its export commands here.
//   112 Export as HTML, 113 RTF, 114 PDF, 115 LaTeX: asks for a file name with
//       the format's save dialog, then writes the whole document;
//   207 Copy as RTF: puts the selection as RTF on the clipboard.
// Returns false for any other id (the command is not an export command).
#include <QString>

class QsciScintillaBase;
class QWidget;

bool RunExportCommand(QsciScintillaBase* view, int id, const QString& documentPath, QWidget* parent);
