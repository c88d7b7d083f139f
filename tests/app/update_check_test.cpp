// When the editor starts the updater: the day rules and "LastUpdate".
#include "app/AppSettings.h"
#include "app/UpdateCheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UpdateSchedule, DayNumberIsWholeUtcDays)
{
    EXPECT_EQ(update::DayNumber(0), 0);
    EXPECT_EQ(update::DayNumber(86399), 0);
    EXPECT_EQ(update::DayNumber(86400), 1);
    // 2026-12-11 23:30 UTC is still day 20433 whatever the local zone says.
    EXPECT_EQ(update::DayNumber(20433LL * 86400 + 23 * 3600 + 1800), 20433);
}

TEST(UpdateSchedule, DueDays)
{
    const int N = 20433 - 20433 % 3;   // a multiple of 3
    struct Case { const char* what; int today, last, interval; bool force, due; };
    const Case cases[] = {
        {"never checked", N + 1, 0, 3, false, true},
        {"one day after", N + 1, N, 3, false, false},
        {"two days after", N + 2, N, 3, false, false},
        {"next multiple", N + 3, N, 3, false, true},
        {"multiple after one day", N + 3, N + 2, 3, false, true},
        {"day 4 after", N + 4, N, 3, false, false},
        {"day 5 after", N + 5, N, 3, false, false},
        {"same due day again", N + 3, N + 3, 3, false, false},
        {"forced on a checked day", N + 3, N + 3, 3, true, true},
        {"forced off the interval", N + 1, N, 3, true, true},
        {"interval 45 acts as 3 (no)", N + 1, N, 45, false, false},
        {"interval 45 acts as 3 (yes)", N + 3, N, 45, false, true},
        {"interval 0 acts as 3", N + 3, N, 0, false, true},
        {"daily", N + 1, N, 1, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(update::IsCheckDue(c.today, c.last, c.interval, c.force), c.due) << c.what;
}

TEST(UpdateSchedule, UpdaterCommandLine)
{
    EXPECT_EQ(update::UpdaterArguments(false), QStringList({"-id:1", "scrivlet"}));
    EXPECT_EQ(update::UpdaterArguments(true), QStringList({"-id:1", "scrivlet", "-s"}));
    EXPECT_TRUE(update::UpdaterPath().endsWith("/marlin"));
}

// "LastUpdate" reaches the settings file before the updater starts, even
// when the updater cannot be started (there is none beside the tests).
TEST(UpdateSchedule, LastUpdateStoredOncePerDay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile ini(dir.filePath("scrivlet.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[UPDATE]\r\nUpdateInterval=45\r\nLastUpdate=0\r\n");
    }
    AppSettings settings(dir.path());
    AppSettings* saved = g_settings;
    g_settings = &settings;
    EXPECT_EQ(settings.updateInterval, 3);

    const int today = update::Today();
    auto stored = [&] { return AppSettings(dir.path()).lastUpdate; };

    CheckForUpdate(false, true);   // never checked: due
    EXPECT_EQ(settings.lastUpdate, today);
    EXPECT_EQ(stored(), today);

    // A second start on the same day must not touch the file.
    settings.WriteInt("UPDATE", "LastUpdate", 7);
    CheckForUpdate(false, true);
    EXPECT_EQ(stored(), 7);

    // "Check Now" runs again and stores the day.
    CheckForUpdate(true, false);
    EXPECT_EQ(stored(), today);

    g_settings = saved;
}
