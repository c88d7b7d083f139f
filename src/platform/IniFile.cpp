#include "platform/IniFile.h"

#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <sys/stat.h>

namespace {

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Key of a "key=value" line (trimmed), or empty for other lines.
QString KeyOf(const QString& raw)
{
    QString t = raw.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return QString();
    int eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return QString();
    return t.left(eq).trimmed();
}

// A line is a section header when, trimmed, it starts with "[" and has a "]".
bool HeaderName(const QString& raw, QString& name)
{
    QString t = raw.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    name = t.mid(1, close - 1).trimmed();
    return true;
}

QString EncodeValue(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    value.replace(QChar(0), QLatin1Char(' '));
    if (value.isEmpty())
        return value;
    const QChar first = value.front(), last = value.back();
    bool quote = IsBlank(first) || IsBlank(last) ||
                 (value.size() >= 2 && first == last &&
                  (first == QLatin1Char('"') || first == QLatin1Char('\'')));
    if (quote)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

bool ValidName(const QString& s, bool isKey)
{
    QString t = s.trimmed();
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0))
            return false;
    if (isKey)
        return !t.contains(QLatin1Char('=')) && !t.startsWith(QLatin1Char('[')) &&
               !t.startsWith(QLatin1Char(';'));
    return !t.contains(QLatin1Char(']'));
}

} // namespace

IniFile::IniFile(const QString& filePath) : path(filePath) {}

QString IniFile::EntryValue(const QString& raw)
{
    int eq = raw.indexOf(QLatin1Char('='));
    QString v = raw.mid(eq + 1).trimmed();
    if (v.size() >= 2 && v.front() == v.back() &&
        (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')))
        v = v.mid(1, v.size() - 2);
    return v;
}

int IniFile::ParseInt(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (IsBlank(text[i])))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    uint32_t value = 0; // wraps like the 32-bit original
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = value * 10u + uint32_t(text[i].unicode() - '0');
    if (negative)
        value = 0u - value;
    return int(int32_t(value));
}

IniFile::DiskState IniFile::StatFile() const
{
    DiskState d;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        d.exists = true;
        d.sec = st.st_mtim.tv_sec;
        d.nsec = st.st_mtim.tv_nsec;
        d.size = st.st_size;
        d.ino = st.st_ino;
        d.dev = st.st_dev;
    }
    return d;
}

void IniFile::Refresh() const
{
    DiskState now = StatFile();
    if (loaded && now == disk)
        return;
    QByteArray data;
    if (now.exists) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            data = f.readAll();
    }
    Parse(data);
    disk = now;
    loaded = true;
}

void IniFile::Parse(const QByteArray& bytes) const
{
    preamble.clear();
    sections.clear();
    index.clear();

    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QString text;
    {
        QStringDecoder dec(QStringDecoder::Utf8);
        text = dec.decode(data);
        if (dec.hasError())
            text = cp::AnsiToQString(data);
    }

    Section* current = nullptr;
    qsizetype start = 0;
    const qsizetype len = text.size();
    while (start <= len) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = len;
        QString line = text.mid(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        start = end + 1;
        if (end == len && line.isEmpty())
            break;

        QString name;
        if (HeaderName(line, name)) {
            sections.push_back(Section{name, {}});
            current = &sections.back();
            QString folded = name.toCaseFolded();
            if (!index.contains(folded))
                index.insert(folded, sections.size() - 1);
            continue;
        }
        if (!current) {
            preamble.push_back(line);
            continue;
        }
        current->entries.push_back(Entry{line, KeyOf(line).toCaseFolded()});
    }
}

const IniFile::Section* IniFile::Find(const QString& section) const
{
    auto it = index.constFind(Fold(section));
    return it == index.constEnd() ? nullptr : &sections[*it];
}

IniFile::Section* IniFile::FindOrAdd(const QString& section)
{
    auto it = index.constFind(Fold(section));
    if (it != index.constEnd())
        return &sections[*it];
    // Keep a blank line between the previous section and the new one.
    if (!sections.empty()) {
        auto& prev = sections.back().entries;
        if (prev.empty() || !prev.back().raw.trimmed().isEmpty())
            prev.push_back(Entry{QString(), QString()});
    }
    sections.push_back(Section{section.trimmed(), {}});
    index.insert(Fold(section), sections.size() - 1);
    return &sections.back();
}

const IniFile::Entry* IniFile::FindEntry(const Section* s, const QString& lkey) const
{
    if (!s)
        return nullptr;
    for (const Entry& e : s->entries)
        if (!e.lkey.isEmpty() && e.lkey == lkey)
            return &e;
    return nullptr;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def,
                            int maxChars) const
{
    QMutexLocker lock(&mutex);
    Refresh();
    const Entry* e = FindEntry(Find(section), Fold(key));
    QString v = e ? EntryValue(e->raw) : def;
    if (maxChars >= 0 && v.size() > maxChars)
        v.truncate(maxChars);
    return v;
}

int IniFile::ReadInt(const QString& section, const QString& key, int def) const
{
    QMutexLocker lock(&mutex);
    Refresh();
    const Entry* e = FindEntry(Find(section), Fold(key));
    return e ? ParseInt(EntryValue(e->raw)) : def;
}

bool IniFile::HasKey(const QString& section, const QString& key) const
{
    QMutexLocker lock(&mutex);
    Refresh();
    return FindEntry(Find(section), Fold(key)) != nullptr;
}

bool IniFile::HasSection(const QString& section) const
{
    QMutexLocker lock(&mutex);
    Refresh();
    return Find(section) != nullptr;
}

bool IniFile::ReadSection(const QString& section, QStringList& lines) const
{
    QMutexLocker lock(&mutex);
    Refresh();
    lines.clear();
    const Section* s = Find(section);
    if (!s)
        return false;
    for (const Entry& e : s->entries) {
        QString t = e.raw.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
            continue;
        lines.append(t);
    }
    return !lines.isEmpty();
}

QStringList IniFile::SectionNames() const
{
    QMutexLocker lock(&mutex);
    Refresh();
    QStringList names;
    for (const Section& s : sections)
        if (index.value(s.name.toCaseFolded()) == size_t(&s - sections.data()))
            names.append(s.name);
    return names;
}

QStringList IniFile::KeyNames(const QString& section) const
{
    QMutexLocker lock(&mutex);
    Refresh();
    QStringList names;
    QStringList seen;
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries)
            if (!e.lkey.isEmpty() && !seen.contains(e.lkey)) {
                seen.append(e.lkey);
                names.append(KeyOf(e.raw));
            }
    return names;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (!ValidName(section, false) || !ValidName(key, true))
        return false;
    QMutexLocker lock(&mutex);
    Refresh();
    Section* s = FindOrAdd(section);
    const QString lkey = Fold(key);
    for (Entry& e : s->entries) {
        if (!e.lkey.isEmpty() && e.lkey == lkey) {
            // Keep the key as it is spelled in the file.
            e.raw = KeyOf(e.raw) + QLatin1Char('=') + EncodeValue(value);
            return Save();
        }
    }
    // New key: after the section's last non-blank line.
    auto pos = s->entries.end();
    while (pos != s->entries.begin() && (pos - 1)->raw.trimmed().isEmpty())
        --pos;
    s->entries.insert(pos, Entry{key.trimmed() + QLatin1Char('=') + EncodeValue(value), lkey});
    return Save();
}

bool IniFile::WriteInt(const QString& section, const QString& key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteSection(const QString& section, const QStringList& lines)
{
    if (!ValidName(section, false))
        return false;
    QMutexLocker lock(&mutex);
    Refresh();
    Section* s = FindOrAdd(section);
    s->entries.clear();
    for (const QString& l : lines) {
        QString line = l;
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        QString dummy;
        if (line.trimmed().isEmpty() || HeaderName(line, dummy))
            continue; // a "[...]" line would start a new section
        s->entries.push_back(Entry{line, KeyOf(line).toCaseFolded()});
    }
    if (&sections.back() != s)
        s->entries.push_back(Entry{QString(), QString()});
    return Save();
}

bool IniFile::DeleteKey(const QString& section, const QString& key)
{
    QMutexLocker lock(&mutex);
    Refresh();
    auto it = index.constFind(Fold(section));
    if (it == index.constEnd())
        return true;
    auto& entries = sections[*it].entries;
    const QString lkey = Fold(key);
    size_t before = entries.size();
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& e) { return !e.lkey.isEmpty() && e.lkey == lkey; }),
                  entries.end());
    return entries.size() == before ? true : Save();
}

bool IniFile::DeleteSection(const QString& section)
{
    QMutexLocker lock(&mutex);
    Refresh();
    const QString folded = Fold(section);
    size_t before = sections.size();
    sections.erase(std::remove_if(sections.begin(), sections.end(),
                                  [&](const Section& s) { return s.name.toCaseFolded() == folded; }),
                   sections.end());
    if (sections.size() == before)
        return true;
    index.clear();
    for (size_t i = 0; i < sections.size(); ++i) {
        QString f = sections[i].name.toCaseFolded();
        if (!index.contains(f))
            index.insert(f, i);
    }
    return Save();
}

bool IniFile::Save()
{
    QString out;
    for (const QString& l : preamble)
        out += l + QLatin1Char('\n');
    for (const Section& s : sections) {
        out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const Entry& e : s.entries)
            out += e.raw + QLatin1Char('\n');
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    f.setDirectWriteFallback(true);
    if (!f.open(QIODevice::WriteOnly)) {
        loaded = true; // keep the in-memory change
        return false;
    }
    QByteArray bytes = out.toUtf8();
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit())
        return false;
    disk = StatFile();
    return true;
}
