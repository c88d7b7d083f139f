// Program entry: the process-wide objects in order, the single-instance
// hand-over, the main frame, and the shutdown in reverse order.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include "app/AppSettings.h"
#include "app/CharClassTable.h"
#include "app/MainFrame.h"
#include "config/LanguageConfig.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv)
{
    // Answered before any window or instance logic.
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", SCRIVLET_VERSION_STR);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scrivlet"));
    QApplication::setApplicationVersion(QStringLiteral(SCRIVLET_VERSION_STR));
    QApplication::setQuitOnLastWindowClosed(true);

    g_settings = new AppSettings();

    // One running editor: a second start hands its directory and arguments
    // over and ends without writing any settings.
    const QStringList arguments = QApplication::arguments();
    const QString startDirectory = QDir::currentPath();
    SingleInstance instance;
    if (!g_settings->Mask(mask::AllowMultipleInstances)) {
        if (instance.TryHandOver(startDirectory, arguments.mid(1))) {
            delete g_settings;
            g_settings = nullptr;
            return 0;
        }
        instance.Listen();
    }

    (void)g_charClasses();
    g_languageConfig = new LanguageConfig();
    g_languageConfig->Load(g_settings->Directory(AppSettings::PropertiesDir).toLocal8Bit().toStdString());

    // Toolbar pictures come from the desktop's icon theme; without one the
    // freedesktop names are looked up in Adwaita, then drawn icons are used.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    int rc = 0;
    {
        auto* frame = new CMainFrame();
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(&instance, &SingleInstance::handOver, frame,
                         [frame](const QString& dir, const QStringList& args, bool hasData) {
                             frame->OnHandOver(dir, hasData ? args : QStringList());
                         });
        frame->BeginStartup(startDirectory, arguments);
        rc = app.exec();
        delete frame;
    }

    delete g_languageConfig;
    g_languageConfig = nullptr;
    g_settings->SaveSearch();
    delete g_settings;
    g_settings = nullptr;
    return rc;
}
