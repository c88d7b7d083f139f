// Loading and saving through a real CTextView: detection, round trips in
// every encoding and line-end form, failures, encoding and line-end commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>
#include <unistd.h>

#include "editor/FileText.h"
#include "editor/TextView.h"
#include "platform/CodePage.h"

namespace {

using B = QsciScintillaBase;

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// UTF-16 form of UTF-8 text, with its mark, built independently of the
// encoder under test.
QByteArray Utf16File(const QByteArray& utf8, bool bigEndian)
{
    QByteArray out = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (QChar c : QString::fromUtf8(utf8)) {
        const char16_t u = c.unicode();
        char hi = char(u >> 8), lo = char(u & 0xFF);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}

class FileView : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedCodePage = cp::ProcessCodePage();
        cp::SetProcessCodePage(1252);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        cp::SetProcessCodePage(savedCodePage);
        filetext::SetWriteLimitForTest(-1);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QByteArray Text() const
    {
        long n = view.Send(B::SCI_GETLENGTH);
        return QByteArray(reinterpret_cast<const char*>(view.Send(B::SCI_GETCHARACTERPOINTER)), int(n));
    }
    void SetText(const QByteArray& text)
    {
        view.Send(B::SCI_SETTEXT, 0, reinterpret_cast<intptr_t>(text.constData()));
    }
    bool Modified() const { return view.Send(B::SCI_GETMODIFY) != 0; }

    QTemporaryDir dir;
    CTextView view;
    int savedCodePage = 0;
};

} // namespace

// Five encodings x three line-end forms: detection finds both, the text in
// the component is the UTF-8 text, and saving writes the same bytes back.
TEST_F(FileView, DetectAndSaveBackEveryEncodingAndLineEnd)
{
    // The same letters in UTF-8 and in windows-1252.
    const QByteArray latinUtf8 = "Gr\xC3\xBC\xC3\x9F" "e, caf\xC3\xA9 \xE2\x82\xAC 1";
    const QByteArray latin1252 = "Gr\xFC\xDF" "e, caf\xE9 \x80 1";
    const QByteArray wide = latinUtf8 + " \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9D\x84\x9E";
    struct Eol { const char* bytes; int mode; };
    const Eol eols[] = {{"\r\n", B::SC_EOL_CRLF}, {"\r", B::SC_EOL_CR}, {"\n", B::SC_EOL_LF}};

    for (int enc = EncodingAnsi; enc <= EncodingUtf8; ++enc) {
        for (const Eol& eol : eols) {
            const QByteArray first = enc == EncodingAnsi ? latinUtf8 : wide;
            const QByteArray text = eol.bytes + first + eol.bytes + "second line" + eol.bytes + "end";
            QByteArray file;
            switch (enc) {
            case EncodingAnsi:
                file = eol.bytes + latin1252 + eol.bytes + "second line" + eol.bytes + "end";
                break;
            case EncodingUtf16BE: file = Utf16File(text, true); break;
            case EncodingUtf16LE: file = Utf16File(text, false); break;
            case EncodingUtf8Bom: file = "\xEF\xBB\xBF" + text; break;
            default: file = text; break;
            }
            const std::string name = "enc " + std::to_string(enc) + " eol " + std::to_string(eol.mode);
            WriteAll(Path("in.txt"), file);
            ASSERT_TRUE(view.OpenDocument(Path("in.txt"), EncodingDetect)) << name;
            EXPECT_EQ(view.DocumentEncoding(), enc) << name;
            EXPECT_EQ(view.LineEndMode(), eol.mode) << name;
            EXPECT_EQ(Text(), text) << name;
            EXPECT_FALSE(Modified()) << name;
            EXPECT_FALSE(view.Send(B::SCI_CANUNDO)) << name;
            ASSERT_TRUE(view.SaveDocument(Path("out.txt"))) << name;
            EXPECT_EQ(ReadAll(Path("out.txt")), file) << name;
        }
    }
}

// A requested encoding overrides detection, but a mark still decides how
// the bytes are decoded.
TEST_F(FileView, RequestedEncodingAndMarks)
{
    struct Case {
        const char* name;
        QByteArray file;
        int request;
        int label;
        QByteArray text;
        QByteArray saved;
    };
    const Case cases[] = {
        {"one byte", "x", EncodingDetect, EncodingAnsi, "x", "x"},
        {"utf-16 read as utf-8 no bom", Utf16File("h\xC3\xA9", false), EncodingUtf8, EncodingUtf8, "h\xC3\xA9", "h\xC3\xA9"},
        {"unmarked read as utf-16", "h\xC3\xA9", EncodingUtf16LE, EncodingUtf16LE, "h\xC3\xA9",
         QByteArray("\xFF\xFEh\x00\xE9\x00", 6)},
        {"marked utf-8 requested as utf-8 with mark", "\xEF\xBB\xBFok", EncodingUtf8Bom, EncodingUtf8Bom, "ok",
         "\xEF\xBB\xBFok"},
        {"ascii first block stays ansi", "abc", EncodingDetect, EncodingAnsi, "abc", "abc"},
    };
    for (const Case& c : cases) {
        WriteAll(Path("in.txt"), c.file);
        ASSERT_TRUE(view.OpenDocument(Path("in.txt"), c.request)) << c.name;
        EXPECT_EQ(view.DocumentEncoding(), c.label) << c.name;
        EXPECT_EQ(Text(), c.text) << c.name;
        ASSERT_TRUE(view.SaveDocument(Path("out.txt"))) << c.name;
        EXPECT_EQ(ReadAll(Path("out.txt")), c.saved) << c.name;
    }
}

// Files bigger than one read/write block: a surrogate pair whose halves
// fall in two read blocks, and a three-byte character across the first
// write chunk, both come back byte for byte.
TEST_F(FileView, BlockBoundariesInLargeFiles)
{
    const int block = 1 << 20;
    {
        QByteArray file("\xFF\xFE", 2);
        file.append(QByteArray((block - 4), 'a').replace("aa", QByteArray("a\0", 2)));  // (block-4)/2 units
        ASSERT_EQ(file.size(), block - 2);
        file.append("\x34\xD8\x1E\xDD", 4);  // U+1D11E across the block boundary
        file.append(QByteArray("\n\x00z\x00", 4));
        WriteAll(Path("wide.txt"), file);
        ASSERT_TRUE(view.OpenDocument(Path("wide.txt"), EncodingDetect));
        EXPECT_EQ(view.DocumentEncoding(), EncodingUtf16LE);
        EXPECT_TRUE(Text().endsWith("a\xF0\x9D\x84\x9E\nz"));
        EXPECT_EQ(Text().size(), (block - 4) / 2 + 4 + 2);
        ASSERT_TRUE(view.SaveDocument(Path("wide-out.txt")));
        EXPECT_TRUE(ReadAll(Path("wide-out.txt")) == file);
    }
    {
        QByteArray file(block - 1, 'b');
        file.append("\xE2\x82\xAC tail \xC3\xA9\n");
        WriteAll(Path("narrow.txt"), file);
        ASSERT_TRUE(view.OpenDocument(Path("narrow.txt"), EncodingDetect));
        EXPECT_EQ(view.DocumentEncoding(), EncodingAnsi);  // the first 100 KB are pure ASCII
        ASSERT_TRUE(view.SaveDocument(Path("narrow-out.txt")));
        EXPECT_TRUE(ReadAll(Path("narrow-out.txt")) == file);
        view.SetDocumentEncoding(EncodingUtf8);
        SetText(file);
        ASSERT_TRUE(view.SaveDocument(Path("narrow-out.txt")));
        EXPECT_TRUE(ReadAll(Path("narrow-out.txt")) == file);
    }
}

// Files that cannot be loaded leave the view as it was and say why; odd
// but readable files load with a clear account of what they hold.
TEST_F(FileView, LoadFailuresAndOddFiles)
{
    SetText("keep me");
    QDir(dir.path()).mkdir("folder");
    for (const char* name : {"missing.txt", "folder"}) {
        EXPECT_FALSE(view.OpenDocument(Path(name), EncodingDetect)) << name;
        EXPECT_FALSE(view.fileError.isEmpty()) << name;
        EXPECT_EQ(Text(), QByteArray("keep me")) << name;
    }
    EXPECT_FALSE(view.OpenDocument("/dev/zero", EncodingDetect));  // would never end
    EXPECT_EQ(Text(), QByteArray("keep me"));
    if (geteuid() != 0) {  // permissions do not stop the superuser
        WriteAll(Path("locked.txt"), "secret");
        QFile::setPermissions(Path("locked.txt"), QFile::WriteOwner);
        EXPECT_FALSE(view.OpenDocument(Path("locked.txt"), EncodingDetect));
        EXPECT_FALSE(view.fileError.isEmpty());
        EXPECT_EQ(Text(), QByteArray("keep me"));
    }

    WriteAll(Path("empty.txt"), QByteArray());
    ASSERT_TRUE(view.OpenDocument(Path("empty.txt"), EncodingDetect));
    EXPECT_EQ(view.DocumentEncoding(), EncodingAnsi);
    EXPECT_EQ(Text(), QByteArray());

    QByteArray binary(100, 'x');
    binary[10] = binary[11] = '\0';
    WriteAll(Path("data.bin"), binary);
    ASSERT_TRUE(view.OpenDocument(Path("data.bin"), EncodingDetect));
    EXPECT_TRUE(view.loadedZeroBytes);
    EXPECT_EQ(Text(), binary);
    ASSERT_TRUE(view.SaveDocument(Path("data-out.bin")));
    EXPECT_EQ(ReadAll(Path("data-out.bin")), binary);

    WriteAll(Path("mixed.txt"), "a\r\nb\nc\rd\ne");
    ASSERT_TRUE(view.OpenDocument(Path("mixed.txt"), EncodingDetect));
    EXPECT_FALSE(view.loadedZeroBytes);
    EXPECT_TRUE(view.HasMixedLineEnds());
    EXPECT_EQ(view.lineEndCounts[LineEndCrLf], 1u);
    EXPECT_EQ(view.lineEndCounts[LineEndLf], 2u);
    EXPECT_EQ(view.lineEndCounts[LineEndCr], 1u);
    EXPECT_EQ(view.LineEndMode(), B::SC_EOL_CRLF);  // the first one decides
}

// Invalid UTF-8 in a UTF-8 document is kept byte for byte; written as
// UTF-16 every byte becomes a character and nothing is swallowed.
TEST_F(FileView, InvalidUtf8IsKept)
{
    const QByteArray file = "ok \xC3( \xFF end";
    WriteAll(Path("bad.txt"), file);
    ASSERT_TRUE(view.OpenDocument(Path("bad.txt"), EncodingUtf8));
    EXPECT_EQ(Text(), file);
    ASSERT_TRUE(view.SaveDocument(Path("bad-out.txt")));
    EXPECT_EQ(ReadAll(Path("bad-out.txt")), file);

    ASSERT_TRUE(view.OnFileCommand(503));
    ASSERT_TRUE(view.SaveDocument(Path("bad-16.txt")));
    EXPECT_EQ(ReadAll(Path("bad-16.txt")),
              QByteArray("\xFF\xFEo\0k\0 \0\xC3\0(\0 \0\xFF\0 \0e\0n\0d\0", 24));
}

// An ANSI save of characters the code page cannot hold is reported and the
// document stays modified, so the text is not lost on close.
TEST_F(FileView, LossyAnsiSaveIsReported)
{
    view.SetDocumentEncoding(EncodingAnsi);
    SetText("a \xE6\x97\xA5\xE6\x9C\xAC b \xE2\x82\xAC");
    ASSERT_TRUE(view.SaveDocument(Path("lossy.txt")));
    EXPECT_TRUE(view.saveLossy);
    EXPECT_FALSE(view.SaveWarningText().isEmpty());
    EXPECT_EQ(ReadAll(Path("lossy.txt")), QByteArray("a ?? b \x80"));
    EXPECT_TRUE(Modified());

    SetText("plain \xE2\x82\xAC");
    ASSERT_TRUE(view.SaveDocument(Path("lossy.txt")));
    EXPECT_FALSE(view.saveLossy);
    EXPECT_FALSE(Modified());
}

// A save that fails part-way (a full disk) or cannot start leaves the
// original file as it was, leaves no temporary file behind and keeps the
// document modified.
TEST_F(FileView, FailedSaveKeepsOriginal)
{
    const QString path = Path("doc.txt");
    WriteAll(path, "original");
    view.SetDocumentEncoding(EncodingUtf8);
    SetText(QByteArray(3 << 20, 'x'));
    filetext::SetWriteLimitForTest(1 << 20);
    EXPECT_FALSE(view.SaveDocument(path));
    EXPECT_FALSE(view.fileError.isEmpty());
    EXPECT_EQ(ReadAll(path), QByteArray("original"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"doc.txt"});
    EXPECT_TRUE(Modified());
    filetext::SetWriteLimitForTest(-1);

    EXPECT_FALSE(view.SaveDocument(Path("gone/doc.txt")));
    EXPECT_FALSE(view.fileError.isEmpty());
    EXPECT_FALSE(view.SaveDocument(dir.path()));  // a folder
    EXPECT_TRUE(Modified());

    if (geteuid() != 0) {  // permissions do not stop the superuser
        const QString folder = Path("ro"), locked = Path("ro/doc.txt");
        QDir(dir.path()).mkdir("ro");
        WriteAll(locked, "original");
        QFile::setPermissions(locked, QFile::ReadOwner);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(view.SaveDocument(locked));
        EXPECT_FALSE(view.fileError.isEmpty());
        EXPECT_EQ(ReadAll(locked), QByteArray("original"));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ASSERT_TRUE(view.SaveDocument(path));
    EXPECT_FALSE(Modified());
    EXPECT_EQ(ReadAll(path).size(), 3 << 20);
}

// Saving replaces the file's content but keeps its permissions, and
// through a symbolic link writes the file the link points to.
TEST_F(FileView, SaveKeepsPermissionsAndLinks)
{
    const QString target = Path("target.txt"), link = Path("link.txt");
    WriteAll(target, "old");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions permissions = QFile::permissions(target);
    ASSERT_TRUE(QFile::link(target, link));
    view.SetDocumentEncoding(EncodingUtf8);
    SetText("new");
    ASSERT_TRUE(view.SaveDocument(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(target), QByteArray("new"));
    EXPECT_EQ(QFile::permissions(target), permissions);
}

// Switching between ANSI and the Unicode forms keeps the text, the view
// position and the user's clipboard; only the label changes, the undo
// history is emptied and the document counts as modified.
TEST_F(FileView, EncodingSwitchKeepsTextAndPosition)
{
    QByteArray file;
    for (int i = 0; i < 300; ++i)
        file += "line " + QByteArray::number(i) + " caf\xE9 \x80\n";
    WriteAll(Path("ansi.txt"), file);
    ASSERT_TRUE(view.OpenDocument(Path("ansi.txt"), EncodingDetect));
    ASSERT_EQ(view.DocumentEncoding(), EncodingAnsi);
    view.resize(500, 300);
    view.show();
    QApplication::processEvents();
    view.Send(B::SCI_SETFIRSTVISIBLELINE, 120);
    view.Send(B::SCI_SETSEL, view.Send(B::SCI_POSITIONFROMLINE, 125) + 3, view.Send(B::SCI_POSITIONFROMLINE, 127));
    QApplication::clipboard()->setText("the user's clip");
    const QByteArray before = Text();
    const long anchor = view.Send(B::SCI_GETANCHOR), caret = view.Send(B::SCI_GETCURRENTPOS);

    for (int id : {504, 502, 501, 505, 503, 501}) {
        ASSERT_TRUE(view.OnFileCommand(id));
        EXPECT_EQ(view.DocumentEncoding(), id - 501) << id;
        EXPECT_TRUE(view.FileCommandChecked(id)) << id;
        EXPECT_TRUE(Text() == before) << id;
        EXPECT_EQ(view.Send(B::SCI_GETFIRSTVISIBLELINE), 120) << id;
        EXPECT_EQ(view.Send(B::SCI_GETANCHOR), anchor) << id;
        EXPECT_EQ(view.Send(B::SCI_GETCURRENTPOS), caret) << id;
        EXPECT_EQ(QApplication::clipboard()->text(), QString("the user's clip")) << id;
        EXPECT_TRUE(Modified()) << id;
        view.Send(B::SCI_SETSAVEPOINT);
    }
    // The letters survive into the UTF-8 file.
    ASSERT_TRUE(view.OnFileCommand(505));
    ASSERT_TRUE(view.SaveDocument(Path("utf8.txt")));
    EXPECT_TRUE(ReadAll(Path("utf8.txt")).startsWith("line 0 caf\xC3\xA9 \xE2\x82\xAC\n"));
}

TEST_F(FileView, LineEndCommandsConvertAndUndo)
{
    WriteAll(Path("crlf.txt"), "a\r\nb\r\nc");
    ASSERT_TRUE(view.OpenDocument(Path("crlf.txt"), EncodingDetect));
    EXPECT_FALSE(view.FileCommandEnabled(506));
    EXPECT_TRUE(view.FileCommandEnabled(507));
    ASSERT_TRUE(view.OnFileCommand(507));
    EXPECT_EQ(Text(), QByteArray("a\nb\nc"));
    EXPECT_EQ(view.LineEndMode(), B::SC_EOL_LF);
    EXPECT_FALSE(view.FileCommandEnabled(507));
    ASSERT_TRUE(view.OnFileCommand(508));
    EXPECT_EQ(Text(), QByteArray("a\rb\rc"));
    view.Send(B::SCI_UNDO);
    EXPECT_EQ(Text(), QByteArray("a\nb\nc"));
    EXPECT_FALSE(view.OnFileCommand(509));  // not a command of this file
}

// Reload: the new text replaces the old in one undoable step; the caret
// stays where it was unless the text became shorter than that.
TEST_F(FileView, ReloadKeepsCaretAndIsUndoable)
{
    const QString path = Path("r.txt");
    WriteAll(path, "first line\nsecond line\nthird line\n");
    ASSERT_TRUE(view.OpenDocument(path, EncodingDetect));
    view.Send(B::SCI_GOTOPOS, 15);
    WriteAll(path, "FIRST LINE\nsecond line\nthird line\nfourth\n");
    view.ReloadDocument(path);
    EXPECT_EQ(Text(), QByteArray("FIRST LINE\nsecond line\nthird line\nfourth\n"));
    EXPECT_EQ(view.Send(B::SCI_GETCURRENTPOS), 15);
    EXPECT_FALSE(Modified());

    view.Send(B::SCI_GOTOPOS, 30);
    WriteAll(path, "short\n");
    view.ReloadDocument(path);
    EXPECT_EQ(Text(), QByteArray("short\n"));
    EXPECT_EQ(view.Send(B::SCI_GETCURRENTPOS), 0);

    view.Send(B::SCI_UNDO);
    EXPECT_EQ(Text(), QByteArray("FIRST LINE\nsecond line\nthird line\nfourth\n"));

    view.SetReadOnly(true);  // a read-only view still takes the file's new text
    WriteAll(path, "changed outside\n");
    view.ReloadDocument(path);
    EXPECT_EQ(Text(), QByteArray("changed outside\n"));
    EXPECT_TRUE(view.IsReadOnly());
    view.SetReadOnly(false);

    QFile::remove(path);
    view.ReloadDocument(path);  // gone: the text stays
    EXPECT_EQ(Text(), QByteArray("changed outside\n"));
}

// A save into a really full filesystem. Needs a small filesystem prepared
// outside the test (for example a 64 KB tmpfs) named by SCRIVLET_SMALL_FS;
// skipped when none is given.
TEST_F(FileView, SaveIntoFullDiskKeepsOriginal)
{
    const QString small = qEnvironmentVariable("SCRIVLET_SMALL_FS");
    if (small.isEmpty())
        GTEST_SKIP() << "SCRIVLET_SMALL_FS not set";
    const QString path = small + "/full-disk-doc.txt";
    WriteAll(path, QByteArray(16 << 10, 'o'));
    const QByteArray before = ReadAll(path);
    view.SetDocumentEncoding(EncodingUtf8);
    SetText(QByteArray(1 << 20, 'x'));
    EXPECT_FALSE(view.SaveDocument(path));
    EXPECT_FALSE(view.fileError.isEmpty());
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QDir(small).entryList(QDir::Files), QStringList{"full-disk-doc.txt"});
    EXPECT_TRUE(Modified());
    QFile::remove(path);
}
