#include "platform/UserStore.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QMutex>
#include <memory>

namespace userstore {

namespace {

QMutex g_mutex;
QString g_overridePath;
std::shared_ptr<IniFile> g_file;

std::shared_ptr<IniFile> Store()
{
    QMutexLocker lock(&g_mutex);
    QString p = g_overridePath.isEmpty()
                    ? paths::UserConfigDir() + QStringLiteral("/registry.ini")
                    : g_overridePath;
    if (!g_file || g_file->Path() != p)
        g_file = std::make_shared<IniFile>(p);
    return g_file;
}

// "Software/Scrivlet\\Find\" -> "Software\Scrivlet\Find"
QString NormKey(const QString& keyPath)
{
    QString k = keyPath.trimmed();
    k.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (k.contains(QLatin1String("\\\\")))
        k.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    while (k.endsWith(QLatin1Char('\\')))
        k.chop(1);
    while (k.startsWith(QLatin1Char('\\')))
        k.remove(0, 1);
    return k;
}

} // namespace

QString FilePath() { return Store()->Path(); }

void SetFilePath(const QString& path)
{
    QMutexLocker lock(&g_mutex);
    g_overridePath = path;
    g_file.reset();
}

QString ReadString(const QString& keyPath, const QString& name, const QString& def)
{
    return Store()->ReadString(NormKey(keyPath), name, def, -1);
}

int ReadInt(const QString& keyPath, const QString& name, int def)
{
    return Store()->ReadInt(NormKey(keyPath), name, def);
}

bool HasValue(const QString& keyPath, const QString& name)
{
    return Store()->HasKey(NormKey(keyPath), name);
}

bool WriteString(const QString& keyPath, const QString& name, const QString& value)
{
    return Store()->WriteString(NormKey(keyPath), name, value);
}

bool WriteInt(const QString& keyPath, const QString& name, int value)
{
    return Store()->WriteInt(NormKey(keyPath), name, value);
}

bool DeleteValue(const QString& keyPath, const QString& name)
{
    return Store()->DeleteKey(NormKey(keyPath), name);
}

bool DeleteKey(const QString& keyPath)
{
    auto store = Store();
    const QString key = NormKey(keyPath);
    const QString prefix = (key + QLatin1Char('\\')).toCaseFolded();
    bool ok = true;
    for (const QString& s : store->SectionNames())
        if (s.toCaseFolded().startsWith(prefix))
            ok = store->DeleteSection(s) && ok;
    return store->DeleteSection(key) && ok;
}

bool KeyExists(const QString& keyPath)
{
    auto store = Store();
    const QString key = NormKey(keyPath);
    if (store->HasSection(key))
        return true;
    const QString prefix = (key + QLatin1Char('\\')).toCaseFolded();
    for (const QString& s : store->SectionNames())
        if (s.toCaseFolded().startsWith(prefix))
            return true;
    return false;
}

QStringList ValueNames(const QString& keyPath)
{
    return Store()->KeyNames(NormKey(keyPath));
}

QStringList SubKeyNames(const QString& keyPath)
{
    const QString key = NormKey(keyPath);
    const QString prefix = (key + QLatin1Char('\\')).toCaseFolded();
    QStringList names, folded;
    for (const QString& s : Store()->SectionNames()) {
        if (!s.toCaseFolded().startsWith(prefix))
            continue;
        QString rest = s.mid(prefix.size());
        QString first = rest.section(QLatin1Char('\\'), 0, 0);
        if (!first.isEmpty() && !folded.contains(first.toCaseFolded())) {
            folded.append(first.toCaseFolded());
            names.append(first);
        }
    }
    return names;
}

} // namespace userstore
