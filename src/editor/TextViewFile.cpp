// CTextView: loading, saving, encodings and line ends.
#include "editor/TextView.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include "config/LanguageConfig.h"
#include "editor/FileText.h"
#include "platform/CodePage.h"
#include "platform/FileInfo.h"

using filetext::Bytes;

namespace {

// Files are read and written in blocks of this size: large enough to keep
// the per-call overhead small, small enough to need no whole-file buffer.
constexpr qint64 kBlockBytes = 1 << 20;
// Larger files are refused: the editing component's memory would not hold
// them sensibly (the document window sends anything over 50 MB to the hex
// view anyway).
constexpr qint64 kMaxLoadBytes = qint64(1) << 30;

QString SystemError(int err) { return QString::fromLocal8Bit(strerror(err)); }

// Reads until the buffer is full or the file ends; -1 on a read error.
qint64 ReadBlock(QFile& f, char* buf, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        qint64 r = f.read(buf + got, size - got);
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

// Command ids of the Document menu handled here.
constexpr int kFirstEncodingCommand = 501;  // + TextEncoding value
constexpr int kLastEncodingCommand = 505;
constexpr int kToCrLfCommand = 506, kToLfCommand = 507, kToCrCommand = 508;

int LineEndForCommand(int id)
{
    switch (id) {
    case kToCrLfCommand: return LineEndCrLf;
    case kToLfCommand: return LineEndLf;
    case kToCrCommand: return LineEndCr;
    default: return -1;
    }
}

std::string AnsiFileName(const QString& path)
{
    QByteArray name = cp::QStringToAnsi(QFileInfo(path).fileName());
    return std::string(name.constData(), static_cast<size_t>(name.size()));
}

} // namespace

bool CTextView::LoadFileText(const QString& path, int requested, bool keepUndo)
{
    fileError.clear();
    QFileInfo info(path);
    if (info.isDir()) {
        fileError = SystemError(EISDIR);
        return false;
    }
    if (info.exists() && !info.isFile()) {
        // Devices and pipes could block the user interface forever.
        fileError = QStringLiteral("Not a regular file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fileError = file.errorString();
        return false;
    }
    const qint64 fileSize = file.size();
    if (fileSize > kMaxLoadBytes) {
        fileError = SystemError(EFBIG);
        return false;
    }

    // Small files get a small buffer, but never smaller than the detection
    // window (files such as those in /proc report a size of 0).
    std::string block(static_cast<size_t>(
        std::min(kBlockBytes, std::max<qint64>(fileSize, static_cast<qint64>(filetext::kDetectBytes)))), '\0');
    qint64 got = ReadBlock(file, &block[0], static_cast<qint64>(block.size()));
    if (got < 0) {
        fileError = file.errorString();
        return false;
    }
    const size_t head = std::min(static_cast<size_t>(got), filetext::kDetectBytes);
    TextEncoding enc = (requested >= EncodingAnsi && requested <= EncodingUtf8)
        ? static_cast<TextEncoding>(requested)
        : filetext::DetectEncoding(block.data(), head);

    const TextEncoding oldEncoding = encoding;
    const bool wasReadOnly = Send(SCI_GETREADONLY) != 0;
    if (wasReadOnly)
        Send(SCI_SETREADONLY, 0);
    // No modification notices while the text is replaced: each one makes the
    // component's accessibility support copy the inserted text and count the
    // characters before it, which turns a block-wise load quadratic. Whoever
    // depends on the text hears of the load from the caller.
    const long eventMask = Send(SCI_GETMODEVENTMASK);
    Send(SCI_SETMODEVENTMASK, 0);
    if (keepUndo)
        Send(SCI_BEGINUNDOACTION);
    else
        Send(SCI_SETUNDOCOLLECTION, 0);
    Send(SCI_CLEARALL);
    SetDocumentEncoding(enc);

    filetext::FileTextDecoder decoder(enc == EncodingAnsi);
    filetext::LineEndCounter counter;
    LineEnd eol = filetext::DetectLineEnd(block.data(), head);
    loadedZeroBytes = false;
    bool readFailed = false;
    bool first = true;
    auto append = [this, &counter](Bytes b) {
        if (b.size == 0)
            return;
        counter.Add(b.data, b.size);
        Send(SCI_APPENDTEXT, b.size, reinterpret_cast<intptr_t>(b.data));
    };
    while (got > 0) {
        Bytes out = decoder.Decode(block.data(), static_cast<size_t>(got));
        if (first) {
            first = false;
            const bool utf16 = decoder.form() == filetext::FileTextDecoder::Utf16BE
                || decoder.form() == filetext::FileTextDecoder::Utf16LE;
            if (utf16) {
                // The raw bytes of UTF-16 text hold zero bytes, which would
                // end the search early: look at the decoded text instead.
                eol = filetext::DetectLineEnd(out.data, std::min(out.size, filetext::kDetectBytes));
            } else
                loadedZeroBytes = memchr(block.data(), 0, head) != nullptr;
            // Room for the whole text at once, so the component does not
            // grow (and copy) its buffer block by block.
            // (UTF-16 needs at most 3 bytes per 2; ANSI text grows where it
            // holds letters beyond ASCII.)
            qint64 estimate = utf16 ? fileSize * 3 / 4
                : decoder.form() == filetext::FileTextDecoder::Ansi ? fileSize + fileSize / 16 : fileSize;
            Send(SCI_ALLOCATE, static_cast<uintptr_t>(estimate + 1024));
        }
        append(out);
        got = ReadBlock(file, &block[0], static_cast<qint64>(block.size()));
        if (got < 0)
            readFailed = true;
    }
    append(decoder.Finish());
    counter.Finish();
    file.close();
    const bool outOfMemory = Send(SCI_GETSTATUS) == SC_STATUS_BADALLOC;

    Send(SCI_SETSEL, 0, 0);
    if (keepUndo)
        Send(SCI_ENDUNDOACTION);
    Send(SCI_SETUNDOCOLLECTION, 1);

    if (readFailed || outOfMemory) {
        // Never leave a partial text that a later save would write over the
        // whole file: go back to what the view held before.
        fileError = outOfMemory ? SystemError(ENOMEM) : file.errorString();
        if (outOfMemory)
            Send(SCI_SETSTATUS, SC_STATUS_OK);
        if (keepUndo) {
            Send(SCI_UNDO);
        } else {
            Send(SCI_SETUNDOCOLLECTION, 0);
            Send(SCI_CLEARALL);
            Send(SCI_SETUNDOCOLLECTION, 1);
            Send(SCI_EMPTYUNDOBUFFER);
        }
        SetDocumentEncoding(oldEncoding);
        Send(SCI_SETMODEVENTMASK, eventMask);
        if (wasReadOnly)
            Send(SCI_SETREADONLY, 1);
        return false;
    }

    if (!keepUndo)
        Send(SCI_EMPTYUNDOBUFFER);
    Send(SCI_SETEOLMODE, eol);
    Send(SCI_SETSAVEPOINT);
    lineEndCounts[LineEndCrLf] = counter.crlf;
    lineEndCounts[LineEndCr] = counter.cr;
    lineEndCounts[LineEndLf] = counter.lf;
    Send(SCI_SETMODEVENTMASK, eventMask);
    if (wasReadOnly)
        Send(SCI_SETREADONLY, 1);
    return true;
}

bool CTextView::LoadDocument(const QString& path, int requested)
{
    return LoadFileText(path, requested, true);
}

bool CTextView::OpenDocument(const QString& path, int requested)
{
    if (!LoadFileText(path, requested, false))
        return false;
    Send(SCI_EMPTYUNDOBUFFER);
    readOnlyOnOpen = fileinfo::IsReadOnly(path);
    if (readOnlyOnOpen)
        SetReadOnly(true);
    if (g_languageConfig) {
        std::string name = AnsiFileName(path);
        ApplyLanguage(g_languageConfig->LanguageForFile(name), name.c_str());
    }
    SetLineNumberMarginWidth();
    return true;
}

void CTextView::ReloadDocument(const QString& path)
{
    const long caret = Send(SCI_GETCURRENTPOS);
    const long topDocLine = Send(SCI_DOCLINEFROMVISIBLE, Send(SCI_GETFIRSTVISIBLELINE));
    if (!LoadFileText(path, encoding, true))
        return;
    SetLineNumberMarginWidth();
    if (caret > Send(SCI_GETLENGTH))
        return;
    const long line = Send(SCI_LINEFROMPOSITION, caret);
    Send(SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    Send(SCI_SETSEL, caret, caret);
    const long wantTop = Send(SCI_VISIBLEFROMDOCLINE, topDocLine);
    Send(SCI_LINESCROLL, 0, wantTop - Send(SCI_GETFIRSTVISIBLELINE));
    viewport()->update();
}

bool CTextView::SaveDocument(const QString& path)
{
    fileError.clear();
    saveLossy = false;
    if (QFileInfo(path).isDir()) {
        fileError = SystemError(EISDIR);
        return false;
    }
    // QSaveFile writes a temporary file beside the target and renames it
    // over the target on commit (keeping the target's permissions and
    // following a symbolic link to the real file), so any failure before
    // the end leaves the original untouched. Only in a folder where no new
    // file may be created (while the file itself is writable) does it write
    // in place.
    QSaveFile out(path);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly)) {
        fileError = out.errorString();
        return false;
    }

    filetext::FileTextEncoder encoder(encoding);
    int64_t written = 0;
    auto put = [&](Bytes b) -> bool {
        if (b.size == 0)
            return true;
        const int64_t limit = filetext::WriteLimitForTest();
        if (limit >= 0 && written + static_cast<int64_t>(b.size) > limit) {
            fileError = SystemError(ENOSPC);
            return false;
        }
        if (out.write(b.data, static_cast<qint64>(b.size)) != static_cast<qint64>(b.size)) {
            fileError = out.errorString();
            return false;
        }
        written += static_cast<int64_t>(b.size);
        return true;
    };

    bool ok = put(encoder.Preamble());
    const long length = Send(SCI_GETLENGTH);
    long start = 0;
    while (ok && start < length) {
        long end = std::min<long>(length, start + static_cast<long>(kBlockBytes));
        if (end < length) {
            // Ends the chunk on a character boundary.
            long boundary = Send(SCI_POSITIONBEFORE, end + 1);
            if (boundary > start)
                end = boundary;
        }
        // Reads the text where the component keeps it, without a copy.
        const char* text = reinterpret_cast<const char*>(Send(SCI_GETRANGEPOINTER, start, end - start));
        if (!text) {
            fileError = SystemError(EIO);
            ok = false;
            break;
        }
        ok = put(encoder.Encode(text, static_cast<size_t>(end - start)));
        start = end;
    }
    if (ok)
        ok = put(encoder.Finish());
    if (!ok) {
        out.cancelWriting();
        out.commit();  // with writing cancelled this only discards the temporary file
        return false;
    }
    if (!out.commit()) {
        fileError = out.errorString();
        return false;
    }
    saveLossy = encoder.lossy();
    // A lossy save keeps the document modified: closing it then still asks,
    // and the characters the file could not hold are not lost.
    if (!saveLossy)
        Send(SCI_SETSAVEPOINT);
    return true;
}

bool CTextView::SaveDocumentAs(const QString& path)
{
    const bool ok = SaveDocument(path);
    if (g_languageConfig)
        ReapplyLanguage(g_languageConfig->LanguageForFile(AnsiFileName(path)));
    return ok;
}

QString CTextView::SaveWarningText() const
{
    if (!saveLossy)
        return QString();
    return QStringLiteral("Some characters cannot be represented in the ANSI code page (%1) and were "
                          "saved as \"?\".\nThe document stays modified; save it in a Unicode encoding "
                          "to keep them.")
        .arg(QString::fromLatin1(cp::IconvName(cp::ProcessCodePage())));
}

void CTextView::SetDocumentEncoding(int e)
{
    if (e < EncodingAnsi || e > EncodingUtf8)
        e = EncodingAnsi;
    encoding = static_cast<TextEncoding>(e);
    // ANSI text is converted at load and save, so the component holds UTF-8
    // for every encoding and shows every character of the code page.
    Send(SCI_SETCODEPAGE, SC_CP_UTF8);
}

bool CTextView::HasMixedLineEnds() const
{
    return (lineEndCounts[0] ? 1 : 0) + (lineEndCounts[1] ? 1 : 0) + (lineEndCounts[2] ? 1 : 0) > 1;
}

void CTextView::SetReadOnly(bool on) { Send(SCI_SETREADONLY, on ? 1 : 0); }

bool CTextView::ClearFileReadOnly(const QString& path)
{
    if (!fileinfo::ClearReadOnly(path))
        return false;
    readOnlyOnOpen = false;
    SetReadOnly(false);
    return true;
}

bool CTextView::FileCommandEnabled(int id) const
{
    if (id >= kFirstEncodingCommand && id <= kLastEncodingCommand)
        return true;
    int mode = LineEndForCommand(id);
    return mode >= 0 && mode != LineEndMode();
}

bool CTextView::FileCommandChecked(int id) const
{
    return id >= kFirstEncodingCommand && id <= kLastEncodingCommand && encoding == id - kFirstEncodingCommand;
}

bool CTextView::OnFileCommand(int id)
{
    if (id >= kFirstEncodingCommand && id <= kLastEncodingCommand) {
        const int target = id - kFirstEncodingCommand;
        if (target == encoding)
            return true;
        // The component holds UTF-8 for every encoding, so the text, the view
        // position and the clipboard all stay as they are: only the file form
        // changes. Emptying the undo history also puts the component at its
        // save point, so a no-op edit marks the document modified again:
        // the new form (and any unsaved edits) must still be saved.
        SetDocumentEncoding(target);
        Send(SCI_EMPTYUNDOBUFFER);
        // The edit collapses the selection: keep the whole view position.
        const long anchor = Send(SCI_GETANCHOR), caret = Send(SCI_GETCURRENTPOS);
        const long top = Send(SCI_GETFIRSTVISIBLELINE), xOffset = Send(SCI_GETXOFFSET);
        const bool ro = IsReadOnly();
        if (ro)
            SetReadOnly(false);
        Send(SCI_BEGINUNDOACTION);
        SendStr(SCI_INSERTTEXT, 0, " ");
        Send(SCI_DELETERANGE, 0, 1);
        Send(SCI_ENDUNDOACTION);
        if (ro)
            SetReadOnly(true);
        Send(SCI_SETSEL, anchor, caret);
        Send(SCI_SETFIRSTVISIBLELINE, top);
        Send(SCI_SETXOFFSET, xOffset);
        return true;
    }
    const int mode = LineEndForCommand(id);
    if (mode < 0)
        return false;
    if (mode == LineEndMode() || IsReadOnly())
        return true;
    Send(SCI_SETEOLMODE, mode);
    Send(SCI_CONVERTEOLS, mode);
    return true;
}
