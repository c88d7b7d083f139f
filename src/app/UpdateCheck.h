#pragma once
// The editor's side of updating: decides when an automatic check is due and
// starts the separate updater program "marlin", which sits beside the
// editor's executable. The editor never waits for the updater and reads
// nothing back from it.
#include <QString>
#include <QStringList>

// Starts the updater unless an automatic check is not due today. With force
// the day rules are skipped. The day is stored as "LastUpdate" (section
// "UPDATE") before the updater starts, so a failed start still counts as the
// day's check. silent adds "-s": the updater then shows nothing unless a
// newer version exists. Returns true when the updater was started.
bool CheckForUpdate(bool force, bool silent);

// Starts "marlin -id:1 scrivlet" (plus "-s" when silent) from the folder of
// the running executable, detached. Failures are silent; returns whether the
// process started. Used by Help > Check Update and the About box.
bool LaunchUpdater(bool silent);

namespace update {

// Whole days since 1970-01-01 00:00 UTC for a time in seconds since then.
int DayNumber(qint64 secondsSinceEpoch);
// The current day number (UTC).
int Today();

// The check rule: true when a check should run on day `today`, given the
// stored "LastUpdate" value and the configured interval. Intervals outside
// 1-30 count as 3.
bool IsCheckDue(int today, int lastUpdate, int interval, bool force);

// The updater's path and arguments as LaunchUpdater starts it.
QString UpdaterPath();
QStringList UpdaterArguments(bool silent);

} // namespace update
