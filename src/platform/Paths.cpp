#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>
#include <unistd.h>

namespace paths {

namespace {

QMutex g_mutex;
QString g_overrideDir;

QString Strip(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

} // namespace

QString ExecutableDir()
{
    static const QString dir = [] {
        if (QCoreApplication::instance())
            return Strip(QCoreApplication::applicationDirPath());
        QFileInfo exe(QStringLiteral("/proc/self/exe"));
        return Strip(QFileInfo(exe.symLinkTarget()).absolutePath());
    }();
    return dir;
}

bool IsPortable()
{
    static const bool portable =
        ::access(QFile::encodeName(ExecutableDir()).constData(), W_OK) == 0;
    return portable;
}

QString DataDir()
{
    {
        QMutexLocker lock(&g_mutex);
        if (!g_overrideDir.isEmpty())
            return g_overrideDir;
    }
    if (IsPortable())
        return ExecutableDir();
    // <prefix>/bin/scrivlet -> <prefix>/share/scrivlet
    return CombinePath(ExecutableDir(), QStringLiteral("../share/scrivlet"));
}

QString ProgramDir()
{
    {
        QMutexLocker lock(&g_mutex);
        if (!g_overrideDir.isEmpty())
            return g_overrideDir;
    }
    if (IsPortable())
        return ExecutableDir();
    return UserConfigDir();
}

QString UserConfigDir()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is ignored.
    if (base.isEmpty() || !base.startsWith(QLatin1Char('/')))
        base = QDir::homePath() + QStringLiteral("/.config");
    QString dir = Strip(base) + QStringLiteral("/scrivlet");
    QDir().mkpath(dir);
    return dir;
}

void OverrideProgramDir(const QString& dir)
{
    QMutexLocker lock(&g_mutex);
    g_overrideDir = dir.isEmpty() ? QString() : Strip(QDir(dir).absolutePath());
}

QString CombinePath(const QString& base, const QString& relative)
{
    QString joined;
    if (relative.startsWith(QLatin1Char('/')) || base.isEmpty())
        joined = relative;
    else if (relative.isEmpty())
        joined = base;
    else
        joined = base + QLatin1Char('/') + relative;

    const bool absolute = joined.startsWith(QLatin1Char('/'));
    QStringList parts;
    for (const QString& part : joined.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty() && parts.last() != QLatin1String(".."))
                parts.removeLast();
            else if (!absolute)
                parts.append(part); // a relative path may climb above its start
            // ".." at the root stays at the root
            continue;
        }
        parts.append(part);
    }
    QString result = parts.join(QLatin1Char('/'));
    if (absolute)
        result.prepend(QLatin1Char('/'));
    else if (result.isEmpty())
        result = QStringLiteral(".");
    return result;
}

} // namespace paths
