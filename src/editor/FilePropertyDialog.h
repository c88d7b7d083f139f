#pragma once
// "File Property": lines, characters and words of the editor text, and the
// size and CRC-32 / MD5 / SHA-1 / SHA-256 digests of the file on disk.
#include <QByteArray>
#include <QDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

class CTextView;
class QPlainTextEdit;

namespace fileprops {

// Words: a letter or digit below 128 after a separator (or at the start)
// begins a word; separators are blanks, line ends and most punctuation.
long CountWords(const char* data, size_t length);

struct FileDigests {
    bool ok = false;          // the file could be read to its end
    qint64 bytes = 0;
    uint32_t crc32 = 0;
    QByteArray md5, sha1, sha256;  // raw digests
};
// Reads the file in 8192-byte blocks feeding all four digests; stops early
// (ok false) when cancel becomes true or the file cannot be read.
FileDigests ComputeDigests(const QString& path, const std::atomic<bool>* cancel = nullptr);

// "Size:\t1.50 KB (1536 bytes)\n" and friends.
QString SizeLine(qint64 bytes);
// "File:\t<path>\nLines:\t..\nChars:\t..\nWords:\t..\n"
QString CountsReport(const QString& path, long lines, long chars, long words);
// The size line and the four digest lines.
QString DigestReport(const FileDigests& digests);
// The whole report, synchronously: digests only for a saved document
// (path not starting with "<") whose file can be read.
QString BuildReport(const QString& path, const QByteArray& text, long lineCount);

} // namespace fileprops

class CFilePropertyDialog : public QDialog {
    Q_OBJECT
public:
    // Fills the counts at once and reads the file's digests on a worker
    // thread, so a large file does not freeze the window.
    explicit CFilePropertyDialog(CTextView* view);
    ~CFilePropertyDialog() override;

    QString ReportText() const;
    bool ReportComplete() const { return complete; }
    // Puts the report on the clipboard (nothing when it is empty).
    void CopyReport();

private:
    void FinishReport(const QString& tail);
    QPlainTextEdit* report = nullptr;
    std::thread worker;
    std::atomic<bool> cancel{false};
    bool complete = false;
    bool waitCursor = false;
};
