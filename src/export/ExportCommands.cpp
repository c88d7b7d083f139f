#include "export/ExportCommands.h"

bool RunExportCommand(QsciScintillaBase* view, int id, const QString& documentPath, QWidget* parent)
{
    (void)view; (void)documentPath; (void)parent;
    return id == 112 || id == 113 || id == 114 || id == 115 || id == 207;
}
