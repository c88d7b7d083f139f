#include "app/DocumentIo.h"
#include "app/AppDialogs.h"
#include "app/AppSettings.h"
#include "config/LanguageConfig.h"
#include "editor/HexView.h"
#include "editor/TextView.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {
using Sci = QsciScintillaBase;

CTextView* AsText(CDocView* view)
{
    return view && !view->IsHexView() ? static_cast<CTextView*>(view) : nullptr;
}

CHexView* AsHex(CDocView* view)
{
    return view && view->IsHexView() ? static_cast<CHexView*>(view) : nullptr;
}

QString ErrnoText(int err)
{
    return err ? QString::fromLocal8Bit(std::strerror(err)) : QStringLiteral("Unknown error");
}

// After a successful save of an ANSI document whose characters did not all
// fit the code page: tell the user which ones became "?" (the document
// stays modified, so nothing is lost on close).
void ReportLossySave(CTextView* view)
{
    if (view->saveLossy)
        ui::Message(view, QMessageBox::Warning, view->SaveWarningText());
}

bool TextWrite(CTextView* view, const QString& path, bool as, QString* error)
{
    const bool ok = as ? view->SaveDocumentAs(path) : view->SaveDocument(path);
    if (ok)
        ReportLossySave(view);
    else if (error)
        *error = view->fileError.isEmpty() ? QStringLiteral("Unknown error") : view->fileError;
    return ok;
}

bool HexWrite(CHexView* view, const QString& path, bool as, QString* error)
{
    errno = 0;
    const bool ok = as ? view->SaveDocumentAs(path) : view->SaveDocument(path);
    if (!ok && error) {
        int err = errno;
        QFileInfo fi(path);
        if (!err && fi.exists() && !fi.isWritable())
            err = EACCES;
        *error = ErrnoText(err);
    }
    return ok;
}

} // namespace

namespace docio {

CDocView* CreateView(bool hex, QWidget* parent)
{
    if (hex)
        return new CHexView(parent);
    return new CTextView(parent);
}

bool Load(CDocView* view, const QString& path, int request)
{
    if (CTextView* t = AsText(view))
        return t->OpenDocument(path, request == EncodingHex ? EncodingDetect : request);
    if (CHexView* h = AsHex(view))
        return h->OpenDocument(path, EncodingHex);
    return false;
}

QString LoadError(CDocView* view)
{
    CTextView* t = AsText(view);
    return t && !t->fileError.isEmpty() ? t->fileError : QStringLiteral("Unknown error");
}

bool Save(CDocView* view, const QString& path, QString* error)
{
    if (CTextView* t = AsText(view))
        return TextWrite(t, path, false, error);
    if (CHexView* h = AsHex(view))
        return HexWrite(h, path, false, error);
    return false;
}

bool SaveAs(CDocView* view, const QString& path, QString* error)
{
    if (CTextView* t = AsText(view))
        return TextWrite(t, path, true, error);
    if (CHexView* h = AsHex(view))
        return HexWrite(h, path, true, error);
    return false;
}

bool Reload(CDocView* view, const QString& path, QString* error)
{
    CTextView* t = AsText(view);
    if (!t)
        return false;
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QFileInfo(path).isDir() ? ErrnoText(EISDIR)
                : QFileInfo::exists(path) ? QStringLiteral("Not a regular file") : ErrnoText(ENOENT);
        return false;
    }
    // The view keeps its text when the file cannot be read; its error text
    // is cleared by every load and set by every failed one.
    t->ReloadDocument(path);
    if (!t->fileError.isEmpty()) {
        if (error)
            *error = t->fileError;
        return false;
    }
    return true;
}

bool IsModified(CDocView* view)
{
    // The component's save point is the truth; the view's mirror flag may
    // lag behind a notification.
    if (CTextView* t = AsText(view))
        return t->Send(Sci::SCI_GETMODIFY) != 0;
    if (CHexView* h = AsHex(view))
        return h->IsModified();
    return false;
}

void SetReadOnly(CDocView* view, bool readOnly)
{
    if (CTextView* t = AsText(view))
        t->SetReadOnly(readOnly);
    else if (CHexView* h = AsHex(view))
        h->SetReadOnly(readOnly);
}

qint64 DocumentSize(CDocView* view)
{
    if (CTextView* t = AsText(view))
        return t->Send(Sci::SCI_GETLENGTH);
    if (CHexView* h = AsHex(view))
        return h->FileSize();
    return -1;
}

QString EncodingText(int encoding)
{
    static const char* const names[] = {"ANSI", "UNICODE BE", "UNICODE", "UTF-8", "UTF-8 NOBOM"};
    return encoding >= 0 && encoding < 5 ? QString::fromLatin1(names[encoding]) : QString();
}

QString EncodingName(CDocView* view)
{
    if (!view)
        return QString();
    if (view->IsHexView())
        return QStringLiteral("Hex");
    return EncodingText(static_cast<CTextView*>(view)->encoding);
}

bool IsOvertype(CDocView* view)
{
    if (CTextView* t = AsText(view))
        return t->IsOvertype();
    return view != nullptr;   // the hex view always overtypes
}

void SetUpNewDocument(CTextView* view, const QString& defaultScheme, int encoding)
{
    if (!view)
        return;
    int language = 0;
    if (g_languageConfig && !defaultScheme.isEmpty())
        language = g_languageConfig->LanguageForFile(defaultScheme.toLocal8Bit().toStdString());
    view->ApplyLanguage(language);
    if (encoding < EncodingAnsi || encoding > EncodingUtf8)
        encoding = EncodingAnsi;
    view->SetDocumentEncoding(encoding);
    view->Send(Sci::SCI_SETSAVEPOINT);
}

int Encoding(CTextView* view) { return view ? view->encoding : -1; }

QString WordAtCaret(CTextView* view)
{
    if (!view)
        return QString();
    const QString text = QString::fromUtf8(view->WordAtCaret());
    if (text.contains('\n') || text.contains('\r'))
        return QString();
    return text.left(256);
}

int LanguageIndex(CTextView* view) { return view ? view->languageIndex : -1; }

void SelectLanguage(CTextView* view, int index)
{
    if (view && view->languageIndex != index)
        view->SelectLanguage(index);
}

void Restyle(CDocView* view)
{
    if (CTextView* t = AsText(view))
        t->RestyleView();
    else if (CHexView* h = AsHex(view)) {
        h->ApplyDefaultStyle();
        h->viewport()->update();
    }
}

bool ViewCommandState(CDocView* view, int id, bool* enabled, bool* checked)
{
    if (CTextView* t = AsText(view))
        return t->CommandState(id, enabled, checked);
    return false;
}

void GoToLineColumn(CTextView* view, int line, int column)
{
    if (!view)
        return;
    if (line < 0)
        line = 0;
    long lines = view->Send(Sci::SCI_GETLINECOUNT);
    if (line >= lines)
        line = static_cast<int>(lines - 1);
    view->Send(Sci::SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    view->Send(Sci::SCI_GOTOLINE, line);
    if (column > 0) {
        long pos = view->Send(Sci::SCI_POSITIONFROMLINE, line);
        const long end = view->Send(Sci::SCI_GETLINEENDPOSITION, line);
        for (int i = 1; i < column && pos < end; ++i)
            pos = view->Send(Sci::SCI_POSITIONAFTER, pos);
        if (pos > end)
            pos = end;
        view->Send(Sci::SCI_GOTOPOS, pos);
    }
}

} // namespace docio
