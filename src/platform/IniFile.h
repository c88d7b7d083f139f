#pragma once
// Ini file reader/writer with the semantics of the classic profile API:
// "[SECTION]" headers and "key=value" lines, sections and keys compared
// without regard to case, raw section reads (a section may hold lines without
// "="), and every write goes to disk at once.
//
// The file is parsed once and kept in memory; every call first checks (one
// stat) whether the file changed on disk and re-reads it if so, so several
// objects or processes sharing one file see each other's writes. Writes
// replace the file atomically (temporary file + rename), so a crash or a full
// disk never leaves a truncated file behind. Lines the writer does not touch
// (comments, unknown lines, their order) are kept as they were.
//
// Values are trimmed on read and one pair of matching surrounding quotes is
// removed; the writer adds such quotes when a value would otherwise change on
// the way back (leading or trailing blanks, or already quoted). Line breaks
// inside a value are written as spaces so they cannot break the file.
// The file is UTF-8; a file that is not valid UTF-8 is read in the process
// code page.
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QHash>
#include <cstdint>
#include <vector>

class IniFile {
public:
    // Longest text a string read returns (a 260-character buffer with its NUL).
    static constexpr int kMaxString = 259;

    explicit IniFile(const QString& path);
    QString Path() const { return path; }

    // The stored text, cut at maxChars (negative: no limit); def when absent.
    QString ReadString(const QString& section, const QString& key,
                       const QString& def = QString(), int maxChars = kMaxString) const;
    // Integer read: optional blanks, optional sign, leading digits; a value
    // without leading digits reads 0; a missing key gives def.
    int ReadInt(const QString& section, const QString& key, int def) const;
    bool HasKey(const QString& section, const QString& key) const;
    bool HasSection(const QString& section) const;
    // Raw lines of a section (blank lines and ";" comments left out); false
    // when the section is missing or has no such lines.
    bool ReadSection(const QString& section, QStringList& lines) const;
    QStringList SectionNames() const;
    QStringList KeyNames(const QString& section) const;

    // Writes go to disk before returning; false when the file could not be
    // written (the in-memory copy then keeps the change for this process).
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInt(const QString& section, const QString& key, int value);
    // Replaces all lines of a section (creating it when missing).
    bool WriteSection(const QString& section, const QStringList& lines);
    bool DeleteKey(const QString& section, const QString& key);
    bool DeleteSection(const QString& section);

    // Integer parsing used by ReadInt, exposed for callers holding a text.
    static int ParseInt(const QString& text);

private:
    struct Entry {
        QString raw;    // the line as stored (without line end)
        QString lkey;   // case-folded key, empty for lines without a key
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    struct DiskState {
        bool exists = false;
        int64_t sec = 0, nsec = 0, size = 0;
        uint64_t ino = 0, dev = 0;
        bool operator==(const DiskState& o) const {
            return exists == o.exists && sec == o.sec && nsec == o.nsec && size == o.size &&
                   ino == o.ino && dev == o.dev;
        }
    };

    void Refresh() const;                 // re-reads when the file changed
    void Parse(const QByteArray& data) const;
    DiskState StatFile() const;
    const Section* Find(const QString& section) const;
    Section* FindOrAdd(const QString& section);
    const Entry* FindEntry(const Section* s, const QString& lkey) const;
    bool Save();
    static QString Fold(const QString& s) { return s.trimmed().toCaseFolded(); }
    static QString EntryValue(const QString& raw);

    QString path;
    mutable QMutex mutex;
    mutable bool loaded = false;
    mutable DiskState disk;
    mutable std::vector<QString> preamble;      // lines before the first section
    mutable std::vector<Section> sections;
    mutable QHash<QString, size_t> index;       // folded name -> first section of that name
};
