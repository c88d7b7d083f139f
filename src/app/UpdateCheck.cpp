#include "app/UpdateCheck.h"

#include "app/AppSettings.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>

namespace update {

int DayNumber(qint64 secondsSinceEpoch)
{
    return int(secondsSinceEpoch / 86400);
}

int Today()
{
    return DayNumber(QDateTime::currentSecsSinceEpoch());
}

bool IsCheckDue(int today, int lastUpdate, int interval, bool force)
{
    if (force || lastUpdate == 0)
        return true;
    if (interval < 1 || interval > 30)
        interval = 3;
    if (today == lastUpdate)
        return false;
    return today % interval == 0;
}

QString UpdaterPath()
{
    // marlin is delivered beside the editor's executable.
    return QDir(paths::ExecutableDir()).filePath(QStringLiteral("marlin"));
}

QStringList UpdaterArguments(bool silent)
{
    QStringList args{QStringLiteral("-id:1"), QStringLiteral("scrivlet")};
    if (silent)
        args << QStringLiteral("-s");
    return args;
}

} // namespace update

bool LaunchUpdater(bool silent)
{
    // Detached: the editor neither waits for the updater nor hears from it,
    // and a missing program is not reported.
    return QProcess::startDetached(update::UpdaterPath(), update::UpdaterArguments(silent));
}

bool CheckForUpdate(bool force, bool silent)
{
    const int day = update::Today();
    const int lastUpdate = g_settings ? g_settings->lastUpdate : 0;
    const int interval = g_settings ? g_settings->updateInterval : 3;
    if (!update::IsCheckDue(day, lastUpdate, interval, force))
        return false;
    // Stored before the start, so a failed start still counts as the check.
    if (g_settings) {
        g_settings->lastUpdate = day;
        g_settings->WriteInt(QStringLiteral("UPDATE"), QStringLiteral("LastUpdate"), day);
    }
    return LaunchUpdater(silent);
}
