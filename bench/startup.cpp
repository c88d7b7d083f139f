// Start-up figures: time from process entry to a shown main window (settings,
// language configuration, frame, deferred start-up), then opening 50 small
// files through the command-line path. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Goals: < 400 ms to the window, < 10 ms per
// further small file.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include "app/AppDialogs.h"
#include "app/AppSettings.h"
#include "app/CharClassTable.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "config/LanguageConfig.h"

int main(int argc, char** argv)
{
    QElapsedTimer total;
    total.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 appMs = total.elapsed();

    QTemporaryDir dir;
    g_settings = new AppSettings(dir.path());
    (void)g_charClasses();
    g_languageConfig = new LanguageConfig();
    const QString props = QStringLiteral(SV_BIN_DIR) + "/properties";
    g_languageConfig->Load(props.toLocal8Bit().toStdString());
    const qint64 configMs = total.elapsed();

    auto* frame = new CMainFrame();
    frame->BeginStartup(dir.path(), {QStringLiteral("scrivlet")});
    while (frame->startingUp || !frame->isVisible())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const qint64 shownMs = total.elapsed();

    std::printf("startup: QApplication %lld ms, settings+languages %lld ms, shown window %lld ms (goal < 400)\n",
                appMs, configMs - appMs, shownMs);

    // 50 small files of different languages, opened as a command line does.
    const char* exts[] = {"txt", "cpp", "py", "html", "xml"};
    QStringList args{QStringLiteral("scrivlet")};
    for (int i = 0; i < 50; ++i) {
        const QString name = QStringLiteral("file%1.%2").arg(i).arg(exts[i % 5]);
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        for (int line = 0; line < 40; ++line)
            f.write(QStringLiteral("line %1 of a small file, some words to style\n").arg(line).toUtf8());
        args << name;
    }
    QElapsedTimer open;
    open.start();
    frame->ProcessCommandLine(dir.path(), args);
    QCoreApplication::processEvents();
    const qint64 openMs = open.elapsed();
    std::printf("open 50 small files: %lld ms total, %.2f ms per file (goal < 10), %d windows\n", openMs,
                openMs / 50.0, int(frame->Documents().size()));

    // The share of a bare document window (no file) in that figure.
    QElapsedTimer bare;
    bare.start();
    for (int i = 0; i < 50; ++i)
        frame->NewDocument();
    QCoreApplication::processEvents();
    std::printf("50 new untitled documents: %.2f ms per document\n", bare.elapsed() / 50.0);

    ui::saveModifiedHook = [](QVector<ui::SaveModifiedItem>&, bool) { return QMessageBox::No; };
    frame->close();
    delete frame;
    delete g_languageConfig;
    delete g_settings;
    return 0;
}
