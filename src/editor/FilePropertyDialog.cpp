#include "editor/FilePropertyDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QFile>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <zlib.h>
#include <algorithm>
#include <string>

#include "editor/TextView.h"
#include "editor/ViewHooks.h"

namespace fileprops {

namespace {

struct SeparatorTable {
    bool separator[256] = {};
    SeparatorTable()
    {
        // Line ends separate words too: a word count that joined the last
        // word of one line with the first of the next would be wrong.
        for (unsigned char c : std::string(" \t\r\n.,!?)}]>;:=@/\\%|*&^\"'~#+"))
            separator[c] = true;
    }
};

const SeparatorTable& Separators()
{
    static const SeparatorTable table;
    return table;
}

QString Hex(const QByteArray& raw) { return QString::fromLatin1(raw.toHex().toUpper()); }

} // namespace

long CountWords(const char* data, size_t length)
{
    const SeparatorTable& table = Separators();
    long count = 0;
    bool between = true;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (between) {
            if (c < 128 && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                ++count;
                between = false;
            }
        } else if (table.separator[c]) {
            between = true;
        }
    }
    return count;
}

FileDigests ComputeDigests(const QString& path, const std::atomic<bool>* cancel)
{
    FileDigests result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QCryptographicHash md5(QCryptographicHash::Md5);
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    QCryptographicHash sha256(QCryptographicHash::Sha256);
    uLong crc = crc32(0L, Z_NULL, 0);
    QByteArray block(8192, Qt::Uninitialized);
    for (;;) {
        if (cancel && cancel->load())
            return result;
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0)
            return result;
        if (got == 0)
            break;
        result.bytes += got;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(block.constData()), uInt(got));
        const QByteArrayView view(block.constData(), got);
        md5.addData(view);
        sha1.addData(view);
        sha256.addData(view);
    }
    result.crc32 = uint32_t(crc);
    result.md5 = md5.result();
    result.sha1 = sha1.result();
    result.sha256 = sha256.result();
    result.ok = true;
    return result;
}

QString SizeLine(qint64 bytes)
{
    const float kb = float(bytes) / 1024.0f;
    const float mb = kb / 1024.0f;
    const float gb = mb / 1024.0f;
    const long long n = bytes;
    if (gb >= 1.0f)
        return QString::asprintf("Size:\t%.2f GB (%lld bytes)\n", double(gb), n);
    if (mb >= 1.0f)
        return QString::asprintf("Size:\t%.2f MB (%lld bytes)\n", double(mb), n);
    if (kb >= 1.0f)
        return QString::asprintf("Size:\t%.2f KB (%lld bytes)\n", double(kb), n);
    return QString::asprintf("Size:\t%lld bytes (%lld bytes)\n", n, n);
}

QString CountsReport(const QString& path, long lines, long chars, long words)
{
    return QStringLiteral("File:\t") + path
        + QString::asprintf("\nLines:\t%ld\nChars:\t%ld\nWords:\t%ld\n", lines, chars, words);
}

QString DigestReport(const FileDigests& d)
{
    if (!d.ok)
        return QString();
    return SizeLine(d.bytes) + QString::asprintf("CRC32:\t%08X\n", unsigned(d.crc32))
        + QStringLiteral("MD5:\t") + Hex(d.md5) + QStringLiteral("\nSHA1:\t") + Hex(d.sha1)
        + QStringLiteral("\nSHA256:\t") + Hex(d.sha256) + QStringLiteral("\n");
}

QString BuildReport(const QString& path, const QByteArray& text, long lineCount)
{
    QString out = CountsReport(path, lineCount, text.size(), CountWords(text.constData(), size_t(text.size())));
    if (!path.startsWith('<'))
        out += DigestReport(ComputeDigests(path));
    return out;
}

} // namespace fileprops

CFilePropertyDialog::CFilePropertyDialog(CTextView* view) : QDialog(view)
{
    setWindowTitle(QStringLiteral("File Property"));
    report = new QPlainTextEdit(this);
    report->setObjectName(QStringLiteral("101"));
    report->setReadOnly(true);
    report->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("100"));
    copy->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("1"));
    close->setDefault(true);
    connect(copy, &QPushButton::clicked, this, &CFilePropertyDialog::CopyReport);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report);
    layout->addLayout(buttons);
    // Wide enough for the longest line, the SHA-256 digest, without scrolling.
    const QFontMetrics metrics(report->font());
    const int digestWidth = int(report->tabStopDistance()) + metrics.horizontalAdvance(QString(64, QLatin1Char('D')));
    resize(std::max(560, digestWidth + 60), 260);
    viewhooks::TranslateDialog(this, 10);

    const QString path = view ? view->DocumentPath() : QStringLiteral("<new>");
    const long length = view ? view->TextLength() : 0;
    const char* text = view ? reinterpret_cast<const char*>(view->Send(QsciScintillaBase::SCI_GETCHARACTERPOINTER)) : "";
    const long lines = view ? view->Send(QsciScintillaBase::SCI_GETLINECOUNT) : 0;
    report->setPlainText(fileprops::CountsReport(path, lines, length, fileprops::CountWords(text, size_t(length))));

    if (path.startsWith('<')) {
        complete = true;
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor = true;
    worker = std::thread([this, path]() {
        const fileprops::FileDigests digests = fileprops::ComputeDigests(path, &cancel);
        if (cancel.load())
            return;
        const QString tail = fileprops::DigestReport(digests);
        QMetaObject::invokeMethod(this, [this, tail]() { FinishReport(tail); }, Qt::QueuedConnection);
    });
}

CFilePropertyDialog::~CFilePropertyDialog()
{
    cancel = true;
    if (worker.joinable())
        worker.join();
    if (waitCursor)
        QApplication::restoreOverrideCursor();
}

void CFilePropertyDialog::FinishReport(const QString& tail)
{
    if (!tail.isEmpty()) {
        QString text = report->toPlainText();
        if (!text.endsWith('\n'))
            text += '\n';
        report->setPlainText(text + tail);
    }
    complete = true;
    if (waitCursor) {
        waitCursor = false;
        QApplication::restoreOverrideCursor();
    }
}

QString CFilePropertyDialog::ReportText() const { return report->toPlainText(); }

void CFilePropertyDialog::CopyReport()
{
    const QString text = report->toPlainText();
    if (text.isEmpty())
        return;
    QApplication::clipboard()->setText(text);
}
