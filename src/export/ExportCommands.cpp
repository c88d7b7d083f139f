#include "export/ExportCommands.h"

#include <QFileDialog>
#include <QMessageBox>
#include <Qsci/qsciscintillabase.h>
#include "config/LanguageConfig.h"
#include "editor/TextView.h"
#include "export/Export.h"

namespace {

struct ExportFormat {
    int id;
    const char* filter;     // Qt separates the patterns with spaces
    const char* extension;  // default extension
};

const ExportFormat kFormats[] = {
    {112, "Web (*.html *.htm)", "htm"},
    {113, "RTF (*.rtf)", "rtf"},
    {114, "PDF (*.pdf)", "pdf"},
    {115, "TeX (*.tex)", "tex"},
};

ExportSource SourceFor(QsciScintillaBase* view, const QString& documentPath)
{
    ExportSource src;
    src.view = view;
    src.documentPath = documentPath;
    int languageIndex = 0;
    if (auto* textView = dynamic_cast<CTextView*>(view)) {
        src.ansi = textView->encoding == EncodingAnsi;
        languageIndex = textView->languageIndex;
    }
    if (g_languageConfig) {
        src.props = &g_languageConfig->props;
        src.lexerName = g_languageConfig->Language(languageIndex).lexer;
    }
    return src;
}

} // namespace

bool RunExportCommand(QsciScintillaBase* view, int id, const QString& documentPath, QWidget* parent)
{
    if (id == 207) {
        if (view)
            CopyAsRTF(SourceFor(view, documentPath));
        return true;
    }
    const ExportFormat* format = nullptr;
    for (const ExportFormat& f : kFormats)
        if (f.id == id)
            format = &f;
    if (!format)
        return false;
    if (!view)
        return true;

    QFileDialog dialog(parent ? parent : view);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromLatin1(format->filter));
    dialog.setDefaultSuffix(QString::fromLatin1(format->extension));
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return true;
    const QString path = dialog.selectedFiles().first();

    const ExportSource src = SourceFor(view, documentPath);
    bool ok = false;
    switch (id) {
    case 112: ok = ExportHTML(src, path); break;
    case 113: ok = ExportRTF(src, path, 0, -1); break;
    case 114: ok = ExportPDF(src, path); break;
    case 115: ok = ExportTeX(src, path); break;
    }
    if (!ok)
        QMessageBox::warning(parent ? parent : view, QStringLiteral("Scrivlet"),
                             QStringLiteral("Could not save file \"%1\".").arg(path));
    return true;
}
