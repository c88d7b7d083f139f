#include "app/DocumentIo.h"
#include "app/AppSettings.h"
#include "config/LanguageConfig.h"
#include "editor/TextView.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <type_traits>
#include <utility>

#if __has_include("editor/HexView.h")
#include "editor/HexView.h"
#define SV_HAVE_HEXVIEW 1
#else
#define SV_HAVE_HEXVIEW 0
#endif

// The text and hex views grow their file operations in their own modules.
// Each operation below uses the view's member when the view has it and a
// plain fallback otherwise, so the shell keeps working while they evolve.
#define SV_DETECT(name, ...)                                                          \
    template <class T, class = void> struct Has##name : std::false_type {};          \
    template <class T>                                                               \
    struct Has##name<T, std::void_t<decltype(std::declval<T&>().__VA_ARGS__)>> : std::true_type {};

namespace {
using Sci = QsciScintillaBase;

// Calls f; a member that returns nothing counts as success.
template <class F> bool AsBool(F&& f)
{
    if constexpr (std::is_void_v<decltype(f())>) {
        f();
        return true;
    } else {
        return static_cast<bool>(f());
    }
}

SV_DETECT(OpenDocument, OpenDocument(QString(), EncodingDetect))
SV_DETECT(SaveDocument, SaveDocument(QString()))
SV_DETECT(SaveDocumentAs, SaveDocumentAs(QString()))
SV_DETECT(ReloadDocument, ReloadDocument(QString()))
SV_DETECT(SetDocumentEncoding, SetDocumentEncoding(EncodingUtf8))
SV_DETECT(IsModified, IsModified())
SV_DETECT(IsOvertype, IsOvertype())
SV_DETECT(WordAtCaret, WordAtCaret())
SV_DETECT(SelectLanguage, SelectLanguage(0))
SV_DETECT(ApplyLanguage, ApplyLanguage(0))
SV_DETECT(RestyleView, RestyleView())
SV_DETECT(CommandState, CommandState(0, (bool*)nullptr, (bool*)nullptr))
SV_DETECT(LoadFile, LoadFile(QString()))
SV_DETECT(SaveFile, SaveFile(QString()))
SV_DETECT(FileSize, FileSize())
SV_DETECT(SetReadOnly, SetReadOnly(true))
SV_DETECT(ApplyDefaultStyle, ApplyDefaultStyle())

QString ErrnoText(int err)
{
    return err ? QString::fromLocal8Bit(std::strerror(err)) : QStringLiteral("Unknown error");
}

// ---- text view -----------------------------------------------------------

template <class V> bool TextLoad(V* v, const QString& path, int request)
{
    if constexpr (HasOpenDocument<V>::value) {
        return AsBool([&] { return v->OpenDocument(path, static_cast<TextEncoding>(request)); });
    } else {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        QByteArray bytes = f.readAll();
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        v->Send(Sci::SCI_SETREADONLY, 0);
        v->Send(Sci::SCI_CLEARALL);
        v->Send(Sci::SCI_APPENDTEXT, bytes.size(), reinterpret_cast<intptr_t>(bytes.constData()));
        v->Send(Sci::SCI_EMPTYUNDOBUFFER);
        v->Send(Sci::SCI_SETSAVEPOINT);
        v->Send(Sci::SCI_GOTOPOS, 0);
        return true;
    }
}

template <class V> bool TextWrite(V* v, const QString& path, bool as, QString* error)
{
    errno = 0;
    bool ok;
    if constexpr (HasSaveDocument<V>::value && HasSaveDocumentAs<V>::value) {
        ok = as ? AsBool([&] { return v->SaveDocumentAs(path); }) : AsBool([&] { return v->SaveDocument(path); });
    } else {
        long len = v->Send(Sci::SCI_GETLENGTH);
        QByteArray bytes(static_cast<int>(len + 1), '\0');
        v->Send(Sci::SCI_GETTEXT, len + 1, reinterpret_cast<intptr_t>(bytes.data()));
        bytes.resize(static_cast<int>(len));
        QSaveFile f(path);
        f.setDirectWriteFallback(true);
        ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
        if (!ok && error)
            *error = f.errorString();
        if (ok)
            v->Send(Sci::SCI_SETSAVEPOINT);
        return ok;
    }
    if (!ok && error) {
        int err = errno;
        QFileInfo fi(path);
        if (!err && fi.exists() && !fi.isWritable())
            err = EACCES;
        *error = ErrnoText(err);
    }
    return ok;
}

template <class V> bool TextReload(V* v, const QString& path)
{
    if constexpr (HasReloadDocument<V>::value)
        return AsBool([&] { return v->ReloadDocument(path); });
    else
        return TextLoad(v, path, EncodingDetect);
}

template <class V> bool TextModified(V* v)
{
    // The component's save point is the truth; the view's mirror flag may
    // lag behind a notification.
    return v->Send(Sci::SCI_GETMODIFY) != 0;
}

template <class V> bool TextOvertype(V* v)
{
    if constexpr (HasIsOvertype<V>::value)
        return v->IsOvertype();
    else
        return v->Send(Sci::SCI_GETOVERTYPE) != 0;
}

template <class V> QString TextWord(V* v)
{
    QByteArray word;
    if constexpr (HasWordAtCaret<V>::value) {
        word = QByteArray(v->WordAtCaret());
    } else {
        long s = v->Send(Sci::SCI_GETSELECTIONSTART), e = v->Send(Sci::SCI_GETSELECTIONEND);
        if (s == e) {
            long pos = v->Send(Sci::SCI_GETCURRENTPOS);
            s = v->Send(Sci::SCI_WORDSTARTPOSITION, pos, 1);
            e = v->Send(Sci::SCI_WORDENDPOSITION, pos, 1);
        }
        if (e > s && e - s < 256)
            for (long p = s; p < e; ++p)
                word.append(static_cast<char>(v->Send(Sci::SCI_GETCHARAT, p)));
    }
    QString text = QString::fromUtf8(word);
    if (text.contains('\n') || text.contains('\r'))
        return QString();
    return text.left(256);
}

template <class V> void TextSelectLanguage(V* v, int index)
{
    if constexpr (HasSelectLanguage<V>::value)
        v->SelectLanguage(index);
    else
        v->languageIndex = index;
}

template <class V> void TextRestyle(V* v)
{
    if constexpr (HasRestyleView<V>::value)
        v->RestyleView();
    else
        v->update();
}

template <class V> bool TextCommandState(V* v, int id, bool* enabled, bool* checked)
{
    if constexpr (HasCommandState<V>::value)
        return v->CommandState(id, enabled, checked);
    else
        return false;
}

template <class V> void TextSetEncoding(V* v, int encoding)
{
    if constexpr (HasSetDocumentEncoding<V>::value)
        v->SetDocumentEncoding(static_cast<TextEncoding>(encoding));
    else
        v->encoding = static_cast<TextEncoding>(encoding);
}

// ---- hex view ------------------------------------------------------------

#if SV_HAVE_HEXVIEW
template <class V> bool HexLoad(V* v, const QString& path)
{
    if constexpr (HasOpenDocument<V>::value)
        return AsBool([&] { return v->OpenDocument(path, EncodingHex); });
    else if constexpr (HasLoadFile<V>::value)
        return AsBool([&] { return v->LoadFile(path); });
    else
        return false;
}
template <class V> bool HexSave(V* v, const QString& path, bool as)
{
    if constexpr (HasSaveDocumentAs<V>::value && HasSaveDocument<V>::value)
        return as ? AsBool([&] { return v->SaveDocumentAs(path); }) : AsBool([&] { return v->SaveDocument(path); });
    else if constexpr (HasSaveFile<V>::value)
        return AsBool([&] { return v->SaveFile(path); });
    else
        return false;
}
template <class V> bool HexModified(V* v)
{
    if constexpr (HasIsModified<V>::value)
        return v->IsModified();
    else
        return false;
}
template <class V> qint64 HexSize(V* v)
{
    if constexpr (HasFileSize<V>::value)
        return static_cast<qint64>(v->FileSize());
    else
        return -1;
}
template <class V> void HexReadOnly(V* v, bool on)
{
    if constexpr (HasSetReadOnly<V>::value)
        v->SetReadOnly(on);
}
template <class V> void HexRestyle(V* v)
{
    if constexpr (HasApplyDefaultStyle<V>::value)
        v->ApplyDefaultStyle();
    v->viewport()->update();
}
#endif

CTextView* AsText(CDocView* view)
{
    return view && !view->IsHexView() ? static_cast<CTextView*>(view) : nullptr;
}

#if SV_HAVE_HEXVIEW
CHexView* AsHex(CDocView* view)
{
    return view && view->IsHexView() ? static_cast<CHexView*>(view) : nullptr;
}
#endif

} // namespace

namespace docio {

bool HexViewAvailable() { return SV_HAVE_HEXVIEW != 0; }

CDocView* CreateView(bool hex, QWidget* parent)
{
#if SV_HAVE_HEXVIEW
    if (hex)
        return new CHexView(parent);
#endif
    (void)hex;
    return new CTextView(parent);
}

bool Load(CDocView* view, const QString& path, int request)
{
    if (CTextView* t = AsText(view))
        return TextLoad(t, path, request == EncodingHex ? EncodingDetect : request);
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view))
        return HexLoad(h, path);
#endif
    return false;
}

bool Save(CDocView* view, const QString& path, QString* error)
{
    if (CTextView* t = AsText(view))
        return TextWrite(t, path, false, error);
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view)) {
        errno = 0;
        bool ok = HexSave(h, path, false);
        if (!ok && error)
            *error = ErrnoText(errno);
        return ok;
    }
#endif
    return false;
}

bool SaveAs(CDocView* view, const QString& path, QString* error)
{
    if (CTextView* t = AsText(view))
        return TextWrite(t, path, true, error);
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view)) {
        errno = 0;
        bool ok = HexSave(h, path, true);
        if (!ok && error)
            *error = ErrnoText(errno);
        return ok;
    }
#endif
    return false;
}

bool Reload(CDocView* view, const QString& path)
{
    if (CTextView* t = AsText(view))
        return TextReload(t, path);
    return false;
}

bool IsModified(CDocView* view)
{
    if (CTextView* t = AsText(view))
        return TextModified(t);
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view))
        return HexModified(h);
#endif
    return false;
}

void SetReadOnly(CDocView* view, bool readOnly)
{
    if (CTextView* t = AsText(view)) {
        t->Send(Sci::SCI_SETREADONLY, readOnly ? 1 : 0);
        return;
    }
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view))
        HexReadOnly(h, readOnly);
#endif
}

qint64 DocumentSize(CDocView* view)
{
    if (CTextView* t = AsText(view))
        return t->Send(Sci::SCI_GETLENGTH);
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view))
        return HexSize(h);
#endif
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
        return TextOvertype(t);
    return view != nullptr;   // the hex view always overtypes
}

void SetUpNewDocument(CTextView* view, const QString& defaultScheme, int encoding)
{
    if (!view)
        return;
    int language = 0;
    if (g_languageConfig && !defaultScheme.isEmpty())
        language = g_languageConfig->LanguageForFile(defaultScheme.toLocal8Bit().toStdString());
    if constexpr (HasApplyLanguage<CTextView>::value)
        view->ApplyLanguage(language);
    else
        view->languageIndex = language;
    if (encoding < EncodingAnsi || encoding > EncodingUtf8)
        encoding = EncodingAnsi;
    TextSetEncoding(view, encoding);
    view->Send(Sci::SCI_SETSAVEPOINT);
}

int Encoding(CTextView* view) { return view ? view->encoding : -1; }
QString WordAtCaret(CTextView* view) { return view ? TextWord(view) : QString(); }
int LanguageIndex(CTextView* view) { return view ? view->languageIndex : -1; }

void SelectLanguage(CTextView* view, int index)
{
    if (view && view->languageIndex != index)
        TextSelectLanguage(view, index);
}

void Restyle(CDocView* view)
{
    if (CTextView* t = AsText(view)) {
        TextRestyle(t);
        return;
    }
#if SV_HAVE_HEXVIEW
    if (CHexView* h = AsHex(view)) {
        HexRestyle(h);
        return;
    }
#endif
    if (view)
        view->Widget()->update();
}

bool ViewCommandState(CDocView* view, int id, bool* enabled, bool* checked)
{
    if (CTextView* t = AsText(view))
        return TextCommandState(t, id, enabled, checked);
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
